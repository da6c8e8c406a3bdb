// CBinaryPolyLineList and CPolyLine: integer polylines with a pen and a line type, joined
// where they touch, converted to and from integer HPGL text, cut, clipped, ordered and drawn.
//
// Coordinates are integer plotter units (40 per mm). A polyline holds at most 65535 points
// (its count is 16-bit): longer runs are split into several polylines that share their
// boundary points, and a join that would pass the limit is refused. Arithmetic on the
// points saturates at the int32 limits instead of overflowing.
#pragma once

#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "platform/carray.h"
#include "platform/cstring.h"
#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <vector>

class CDC;
class CPen;
class PlotShape;
class PlotShapeList;
class CBinaryPolyLineList;

// The drawing context of the integer polylines: device x = x × scaleX and device
// y = (height - y) × scaleY, both truncated toward zero.
struct structRender1 {
    CDC* dc = nullptr;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    int32_t height = 0;  // plotter units: the y drawn at the device's top edge
};

class CPolyLine : public OL_Object {
public:
    // The most points one polyline holds.
    static constexpr uint32_t kMaxPoints = 65535;

    CPolyLine() = default;
    // Deep copy of points, pen, line type and box.
    CPolyLine(const CPolyLine& other);
    CPolyLine& operator=(const CPolyLine& other);
    ~CPolyLine() override = default;

    // True when x lies at or right of the box's xmax / y at or above its ymax.
    virtual bool IsLefterVLine(int32_t x);
    virtual bool IsUnderHLine(int32_t y);

    // Replace the points (n x,y pairs) and the pen, then recompute the box. 0 and no change
    // when n is above kMaxPoints.
    int Create(const int32_t* xy, unsigned n, unsigned pen);
    // Float coordinates are truncated toward zero.
    int Create(const float* xy, unsigned n, unsigned pen);
    // From an array of x,y floats, with pen and line type.
    int Create(const CArray<float, float>& xy, unsigned short pen, short lineType);

    int PtNum() const { return pointCount_; }
    int Pen() const { return pen_; }
    short GetLineType() const { return lineType_; }
    void SetLineType(short lineType) { lineType_ = lineType; }
    int32_t MaxX();
    // Point i; (0, 0) out of range.
    CPoint Point(int i) const;
    // The box, computed on first need.
    const CArea& GetArea();
    // True when the box lies inside area / meets area.
    bool IsInArea(const CArea& area);
    bool IsIntersect(const CArea& area);
    static double PointDistance(const CPoint& a, const CPoint& b);

    // Joins other onto this polyline's end: 1 when this end is other's start (other's
    // points after its first are appended) or other's end (other is reversed first); 0 when
    // either has no points, the pens differ, the ends do not meet or the result would pass
    // kMaxPoints.
    int Append(CPolyLine& other);
    void Reverse();
    // First / last point: -1 without points, else 0.
    int Start(CPoint& p) const;
    int End(CPoint& p) const;
    // Recomputes the box (an empty polyline gets xmin = ymin = INT32_MAX, xmax = ymax = 0).
    void CalArea();

    void Move(int32_t dx, int32_t dy);
    // Multiplies and truncates toward zero.
    void Scale(float sx, float sy);
    // Each point becomes s × (point + d).
    void MoveAndScale(int32_t dx, int32_t dy, float sx, float sy);
    // y becomes box.ymax - y (-y for a null box).
    void Mirror(const CArea* box);
    // Quarter turns within the box (its xmax / ymax, 0 for a null box): 1 maps (x, y) to
    // (ymax - y, x), 2 to (xmax - x, ymax - y), 3 to (y, xmax - x); others do nothing.
    void Rotate(int32_t quarterTurns, const CArea* box);

    // Appends "PUx,y;" for the first point / "PDx,y,...;" for the later ones (nothing when
    // there are none) / both, the first only when withPU is set.
    void PU(CStringA& out) const;
    void PD(CStringA& out) const;
    void OToHPGLCode(CStringA& out, bool withPU) const;

    // Draws with MoveTo / LineTo on dc: device x = x × sx, device y = (height - y) × sy.
    void Render(CDC* dc, float sx, float sy, int32_t height) const;
    void Render(structRender1& r) const;

    // Cuts at the horizontal line y: a polyline wholly on or above the line goes to above,
    // one wholly on or below it to below (moved from its list, or copied when copy is set);
    // any other is split at its crossings into pieces for each side, this polyline staying
    // where it is. A null list drops what would go there.
    void CutByHLine(int32_t y, CBinaryPolyLineList* below, CBinaryPolyLineList* above, int copy);
    // The same at the vertical line x, left and right.
    void CutByVLine(int32_t x, CBinaryPolyLineList* left, CBinaryPolyLineList* right, int copy);
    // Clips to area into out (cleared first) and returns the number of pieces; 0 and out
    // untouched when the boxes do not meet.
    int CutByArea(const CArea& area, CBinaryPolyLineList& out);

private:
    friend class CBinaryPolyLineList;
    // Splits at a line of one axis; vertical selects x.
    void CutByLine(bool vertical, int32_t at, CBinaryPolyLineList* lower, CBinaryPolyLineList* upper, int copy);
    // Recomputes the box only when it was made already.
    void RefreshArea();
    CPolyLine* NewPiece() const;

    uint16_t pointCount_ = 0;
    uint16_t pen_ = 0;
    std::unique_ptr<CArea> box_;
    std::vector<CPoint> points_;
    short lineType_ = 0;
};

class CBinaryPolyLineList : public OL_List {
public:
    // The five shared drawing pens (0 red, 1 blue, 2 green, 3 black, 4 yellow), made when the
    // library is loaded; ReleasePen deletes them and nulls the slots.
    static CPen* m_penArray[5];
    static void ReleasePen();

    // The first text buffer size of OToHPGLCode.
    static constexpr int32_t kInitialTextBytes = 1000000;

    CBinaryPolyLineList() = default;
    ~CBinaryPolyLineList() override;

    // Deletes every polyline and the box.
    void Clear() override;
    // Merges the polyline into the tail polyline when CPolyLine::Append takes it (it is then
    // deleted; result 1); otherwise links it at the end. 0 for an element already in a list
    // or one that is no CPolyLine.
    int AddTail(OL_Object* polyline) override;
    // Joins through AddTail only when the new polyline and the tail both have a line type of
    // 0 or more; otherwise links without joining.
    int AddTailEx(OL_Object* polyline);

    CPolyLine* HeadLine() const { return static_cast<CPolyLine*>(GetHead()); }
    CPolyLine* LineAfter(CPolyLine* p) const { return static_cast<CPolyLine*>(GetNext(p)); }

    // Replaces the list by the polylines of integer HPGL text: "PU" x,y sets the position,
    // each "PD" run becomes one polyline (pen 0) from the position. 0 when the text has
    // fewer than 3 characters, else 1.
    int CreateFromHPGL(const CStringA& text);
    // Writes every polyline with its PU into out (replacing it).
    void OToHPGLCode(CStringA& out);
    int32_t GetHPGLLen() const { return textLengthBytes_; }
    // Replaces the list by the polylines of shapes (the shapes stay where they are).
    void CreateFrom(const PlotShapeList& shapes);
    // Adds one polyline (pen 1) per non-empty sub-polyline of shape, coordinates truncated,
    // joined by AddTail.
    void AppendPlotShape(const PlotShape& shape);

    // Joins onto p every polyline of this list that can continue it, until none can.
    void LinkAtEnd(CPolyLine* p);
    // LinkAtEnd for every polyline.
    void MakeLink();

    const CArea& CalArea();
    const CArea& GetArea(int recompute);
    // The box in device pixels of a 96 dpi desktop: plotter units to hundredths of a
    // millimetre, scaled by 100 / scalePercent, y pointing down.
    void GetPictureBound(CRect& out, int scalePercent);

    void Move(int32_t dx, int32_t dy);
    void Scale(float sx, float sy);
    void MoveAndScale(int32_t dx, int32_t dy, float sx, float sy);
    // Mirrors / turns every polyline within the list's box, then recomputes the box.
    void Mirror();
    void Rotate(int32_t quarterTurns);

    // Cuts every polyline; without copy the source list is emptied afterwards. Nothing
    // happens when both lists are null.
    void CutByHLine(int32_t y, CBinaryPolyLineList* below, CBinaryPolyLineList* above, int copy);
    void CutByVLine(int32_t x, CBinaryPolyLineList* left, CBinaryPolyLineList* right, int copy);
    // Copies the polylines inside area and clips the others, adding them to out.
    void CutByArea(const CArea& area, CBinaryPolyLineList& out);

    // Draws scaled to the rectangle, keeping the aspect ratio, with the pen of each
    // polyline (pens above 4 keep the pen before).
    void Render(CDC* dc, const CRect& rect);
    // The same in the rectangle (x, y, width, height); with a caption, a vertical mark is
    // drawn every 10 cm along x.
    void Render(CDC* dc, int32_t x, int32_t y, int32_t width, int32_t height, const char16_t* caption = nullptr);
    void Render(structRender1& r);

    // The first polyline whose start is nearer to p than distance, else the nearest one;
    // null for an empty list.
    CPolyLine* FindAClosedPolyLine(const CPoint& p, int32_t distance);
    // Reorders from the first polyline on, each time taking the one whose start is nearest
    // the last end (the first one found within 1200 units).
    void Optimize();
    // Moves the polylines inside area to out and optimises out.
    void PolyLinesInArea(CBinaryPolyLineList& out, const CArea& area);
    // Orders by cells of dx × dy (rows from the bottom, columns from the left) / by bands of
    // height dy, each group optimised. Nothing for a size of 0 or less.
    void AreaSort(int32_t dx, int32_t dy);
    void VerticalSort(int32_t dy);

private:
    // Moves every polyline of other to the end of this list without joining.
    void LinkAll(OL_List& other);
    // Groups the polylines by key (in order of the keys, list order within a key), optimises
    // each group and links the groups back in order.
    template <class Key>
    void SortByGroups(Key key);

    std::unique_ptr<CArea> box_;
    int32_t textLengthBytes_ = kInitialTextBytes;
};
