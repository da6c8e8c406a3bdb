// PlotChar: the polylines of one font glyph, or of a laid-out string, in float font units.
#pragma once

#include "fonts/shx_box.h"

#include <cstdint>

class HpglExplainer;

// Polylines are stored back to back in one point buffer with a point count per polyline.
// Buffers grow when a request does not fit strictly below their capacity: the counts to
// the need plus 10 slots, the points to the need plus PointBufferGrowth.
class PlotChar {
public:
    static constexpr int32_t PlBufferGrowth = 10;
    static constexpr int32_t PointBufferGrowth = 64;

    PlotChar();
    // The same empty glyph; the interpreter is not consulted.
    explicit PlotChar(HpglExplainer* explainer);
    // A deep copy, code included (a copy sharing the buffers would free them twice).
    PlotChar(const PlotChar& other);
    // Frees own buffers, appends the other's polylines and copies its box (not its code).
    PlotChar& operator=(const PlotChar& other);
    virtual ~PlotChar();

    uint16_t GetChar() const { return code_; }
    void SetChar(uint16_t code) { code_ = code; }

    // Appends a point to the last polyline, first creating one when there is none.
    void AddPointAtLastPl(float x, float y);
    // Starts a new polyline first when newPolyline is non-zero, then appends the point.
    void AddPoint(float x, float y, int newPolyline);
    // Appends all polylines and points of another glyph; the box is left as it is.
    void Append(const PlotChar& other);

    int32_t GetPlNum() const { return plCount_; }
    int32_t GetTolPtNum() const { return ptCount_; }
    // The first point (x, y pairs) of polyline n and its point count; null and 0 when n is
    // out of range.
    float* GetPl(int n, int32_t& count);
    const float* GetPl(int n, int32_t& count) const;
    // The point count of polyline n (0 when out of range), without walking the ones before it.
    int32_t GetPlPtNum(int n) const { return n >= 0 && n < plCount_ ? plLengths_[n] : 0; }
    int GetStartPt(float& x, float& y) const;
    int GetLastPt(float& x, float& y) const;

    // Recomputes the box from all points, each coordinate truncated to an integer.
    const ShxBox& CalArea();
    const ShxBox& CalArea_AllPt() { return CalArea(); }
    const ShxBox& GetArea() const { return box_; }

    // Adds (dx, dy) to every point; the box moves by the offsets truncated to integers.
    void Move(float dx, float dy);
    // Multiplies every point, then recomputes the box.
    void Scale(float sx, float sy);
    // Rotates every point about (cx, cy) by the angle of the direction (c, s), then
    // recomputes the box.
    void Rotate(float cx, float cy, float c, float s);
    // Reverses the point order and the order of the polylines.
    void Reverse();
    // Joins a single-polyline glyph after this single-polyline glyph, their shared point once.
    void AddAtLast(PlotChar& other);
    // Joins a single-polyline glyph before this one, their shared point once, and empties it.
    void AddAtStart(PlotChar& other);
    // Shrinks both buffers to their use; an empty glyph frees them.
    void FreeUsedSpace();

private:
    // Makes room for n more polylines; 0 when that cannot be done.
    int CheckPlBuf(int32_t n);
    // Makes room for n more points; 0 when that cannot be done.
    int CheckPtBuf(int32_t n);
    void FreeBuffers();

    uint16_t code_ = 0;
    int32_t plCount_ = 0;
    int32_t plCapacity_ = 0;
    int32_t* plLengths_ = nullptr;  // points per polyline
    int32_t ptCount_ = 0;
    int32_t ptCapacity_ = 0;
    float* points_ = nullptr;  // x, y pairs in font units
    ShxBox box_;
};
