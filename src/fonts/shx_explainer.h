// ShxExplainer: the interpreter that turns one shape's byte code into glyph polylines.
#pragma once

#include <cstdint>

class CTamselFont;
class PlotChar;

class ShxExplainer {
public:
    // Pen state shared by a shape and the subshapes it calls. Positions are in font units.
    struct DrawInfo {
        static constexpr int32_t StackSize = 1000;
        float x = 0.0f;
        float y = 0.0f;
        float scale = 1.0f;
        int32_t penDown = 1;
        int32_t horizontal = 1;  // text is always drawn horizontally
        float stack[StackSize] = {};
        int32_t stackCount = 0;
    };
    // Subshape calls nest at most this deep; a damaged font may make them cyclic.
    static constexpr int MaxSubshapeDepth = 16;
    // Commands (and pairs or triples of a list) interpreted for one glyph at the most, so
    // that subshapes calling each other many times over cannot make a glyph without end.
    static constexpr int32_t MaxStepsPerGlyph = 50000;
    // Points one glyph may hold (real glyphs hold a few hundred). The step limit alone lets
    // a few bytes of arcs that call themselves expand into millions of points; a glyph that
    // would hold more than this is left empty instead.
    static constexpr int32_t MaxPointsPerGlyph = 1 << 12;

    explicit ShxExplainer(CTamselFont& font);
    virtual ~ShxExplainer() = default;

    // Takes the definition (name, then byte code) of one shape and rewinds to its start.
    void Attach(const char* code, int length, uint16_t number);
    // Interprets the attached shape into glyph with a fresh pen state; a glyph that draws
    // anything ends with its final pen position as a one-point polyline (its advance).
    // A glyph that would hold more than maxPoints points (at most MaxPointsPerGlyph) is left
    // empty. Returns 1.
    int Explain(PlotChar& glyph, int32_t maxPoints = MaxPointsPerGlyph);

    // The move (dx, dy) of a vector byte: length in the high nibble, direction in the low.
    static void Offset(float& dx, float& dy, unsigned char vectorByte);
    // Rotate (x, y) back / forward by the angle of the direction (c, s); a direction of
    // zero length leaves the point as it is.
    static void Divide(double& x, double& y, double c, double s);
    static void Multiply(double& x, double& y, double c, double s);

private:
    // The length of the command at the read position; 0 when the shape ends there.
    int GetNextCmd() const;
    // What one glyph may still spend, shared by the shape and the subshapes it calls.
    struct Budget {
        int32_t stepsLeft = MaxStepsPerGlyph;
        int32_t maxPoints = MaxPointsPerGlyph;
        bool exceeded = false;  // the glyph went past maxPoints
        // Notes whether the glyph now holds more points than allowed; true when it does.
        bool Overrun(const PlotChar& glyph);
    };
    void ExplainSub(PlotChar& glyph, DrawInfo& info, int depth, Budget& budget);
    // Moves the pen to (x, y), drawing when it is down.
    static void MoveTo(PlotChar& glyph, DrawInfo& info, float x, float y);
    void OctantArc(PlotChar& glyph, DrawInfo& info, int at) const;
    void FractionalArc(PlotChar& glyph, DrawInfo& info, int at) const;
    static void BulgeArc(PlotChar& glyph, DrawInfo& info, int dx, int dy, int bulge);
    unsigned char Byte(int at) const { return static_cast<unsigned char>(code_[at]); }
    int SignedByte(int at) const { return static_cast<signed char>(code_[at]); }

    CTamselFont* font_;
    const char* code_ = nullptr;
    int length_ = 0;
    uint16_t number_ = 0;
    int position_ = 0;
};
