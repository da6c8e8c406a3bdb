// Pages: a drawing list and a cutting list per page (PlotPage), and the list of pages
// (PlotPageList) with its own print traversal, resume search and pulse counting.
//
// The page traversal walks the shapes page by page, the drawing list of a page before its
// cutting list, without tool-depth changes, in the integer points of the cut list's
// traversal (point_group.h: truncation toward zero, max(|dx|, |dy|) pulses per move). After
// the last shape the head travels back to (0, 0). The pulse counter follows the groups
// handed out, so GetPercentage reports the share of the job's pulses done.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/dash_style.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/point_group.h"
#include "plotmodel/sub_polylines.h"

#include <cstdint>

class PlotPenList;
struct structRender;

// Which list of a page holds a shape.
namespace PageListKind {
constexpr int kDrawing = 1;
constexpr int kCutting = 2;
}  // namespace PageListKind

class PlotPage : public OL_Object {
public:
    PlotPage() = default;

    PlotShapeList& DrawList() { return drawList_; }
    PlotShapeList& CutList() { return cutList_; }
    const PlotShapeList& DrawList() const { return drawList_; }
    const PlotShapeList& CutList() const { return cutList_; }
    // A value kept with the page (0 for a new page); nothing in the library interprets it.
    int32_t GetValue() const { return value_; }
    void SetValue(int32_t v) { value_ = v; }

    // Moves the shapes of pen 1 into the drawing list and those of pen 2 into the cutting list.
    void CopyPage(PlotPenList& pens);
    // As CopyPage, band by band (8000 units of y from the bottom up), each band ordered
    // nearest-neighbour from p; p ends at the last shape's end.
    void CopyPage1(PlotPenList& pens, CFloatPoint& p);
    const CArea& GetArea() const { return area_; }
    // The union of both lists' boxes (PlotShapeList::CalArea(flag)); an empty list is left out.
    CArea CalArea(int flag);
    void Scale(double sx, double sy);
    // The shape whose start or end is nearest p by |dx| + |dy| (the earlier on ties), reversed
    // when its end is the nearer; p becomes its end. Null for an empty list.
    static PlotShape* GetClosestLine(PlotShapeList& list, CFloatPoint& p);
    // Moves the shapes of from to the end of to, nearest first from p.
    static void Order(PlotShapeList& from, PlotShapeList& to, CFloatPoint& p);
    // Draws the drawing list black and the cutting list green, then gives the DC its pen back.
    void Render(structRender& r) const;

private:
    // Starts at 0: a new page holds no value left from earlier memory.
    int32_t value_ = 0;
    PlotShapeList drawList_;
    PlotShapeList cutList_;
    CArea area_;
};

class PlotPageList : public OL_List {
public:
    PlotPageList() = default;

    PlotPage* HeadPage() const { return static_cast<PlotPage*>(GetHead()); }
    PlotPage* PageAfter(PlotPage* p) const { return static_cast<PlotPage*>(GetNext(p)); }

    void Render(structRender& r) const;
    // The union of the pages' boxes (pages without shapes left out).
    CArea CalArea(int flag);
    const CArea& GetArea() const { return area_; }
    void Scale(double sx, double sy);

    // Appends the shape to the last page's cutting list (cut set) or drawing list; a drawing
    // shape after cutting work starts a new page, and the first shape the first page. A null
    // shape is ignored.
    void AddPlotShape(PlotShape* s, int cut);
    void MoveCutList(int32_t dx, int32_t dy);
    void MoveDrawList(int32_t dx, int32_t dy);

    // Cursor to the first / next shape with points, page by page, drawing list first.
    PlotShape* GetFirstShape();
    PlotShape* GetNextShape();
    // The list kind (PageListKind) of the current shape; 0 before the first.
    int GetCurrentListKind() const { return listKind_; }
    PlotPage* GetCurrentPage() const { return currentPage_; }
    PlotShape* GetCurrentShape() const { return currentShape_; }

    // Prepares a walk from the head position (x, y); the start position is 0 / start.
    void InitPrint(int32_t x, int32_t y, int32_t unused, int source);
    void InitPrintAutoPrint(int32_t x, int32_t y, int32_t start, int source);
    // The next point group: travel 0, join inside a cutting-list shape 3 (GetNextPath) or 5
    // (GetNextPath_at), a path by list kind (1, 2) or 4 for MauIndex 126 (GetNextPath) or
    // 130 (GetNextPath_at); -1, -2, -3 as in the cut list.
    int GetNextPath(CArray<CPoint>& group);
    int GetNextPath_at(CArray<CPoint>& group);
    // Resume searches: position the cursor at the stored resume count (then cleared).
    int GetBreakPointPath(CArray<CPoint>& group);
    int GetBreakPointPath_at(CArray<CPoint>& group);
    // The point n pulses from a toward b, then b; 0 and nothing when n passes b.
    static int GetBreakPointPath_Line(CArray<CPoint>& group, int32_t n, const CPoint& a, const CPoint& b);

    // Total pulses of all pages (moves and paths; the move home is not counted).
    int32_t GetToltalPulseNum() const;
    static int32_t GetPulseNum_Move(const CPoint& a, const CPoint& b);
    static int32_t GetPulseNum_Line(const CPoint& a, const CPoint& b) { return GetPulseNum_Move(a, b); }
    static int32_t GetPulseNum_Curve(int count, const float* xy);
    void AddPulseNumCounter(int32_t n) { pulseCounter_ = SaturateToInt32(static_cast<int64_t>(pulseCounter_) + n); }
    // Resume count and pulse counter := n.
    int ResumePrint(int32_t n);
    // Pulse counter / total pulses; 0 when the total is 0.
    float GetPercentage() const;
    int32_t GetPulseCounter() const { return pulseCounter_; }

    int GetDataSource() const { return dataSource_; }
    void SetDataSource(int source) { dataSource_ = source; }
    int32_t GetStartPos() const { return startPos_; }
    void SetStartPos(int32_t unused, int32_t y) { (void)unused; startPos_ = y; }
    // The position a resumed group's first point is snapped onto.
    void SetReferencePosition(int32_t x, int32_t y) { referenceX_ = x; referenceY_ = y; }

    // Dashes one sub-polyline into list as one new shape (1), or 0 for fewer than 2 points.
    static int Dash(PlotShapeList& list, const structDash& d, int n, const float* pts);
    // Replaces every page's cutting list by the dashes of its sub-polylines of 2 or more
    // points; the dashes keep their shape's attributes.
    void DashCutList(const structDash& d);
    // Puts a knife-direction stroke before every shape of every cutting list.
    void ProKnifeDir(float kx, float ky);
    // Inserts before every shape a two-point shape of MauIndex 126, 5 units long (measured
    // with the scales kx, ky; 0 or less counts as 1) from its first point towards its first
    // point at least 1 unit away; a shape without such a point gets none.
    static void ProKnifeDir(PlotShapeList& list, float kx, float ky);
    static float GetLength(const CFloatPoint& a, const CFloatPoint& b, const structDash& d);

private:
    // Where a search leaves the cursor.
    struct Place {
        PlotPage* page = nullptr;
        PlotShape* shape = nullptr;
        int32_t pointIndex = 0;
        int listKind = 0;
    };
    int NextGroup(CArray<CPoint>& group, bool at);
    int BreakPoint(CArray<CPoint>& group, bool at);
    void InitWalk(int32_t x, int32_t y, int32_t start, int source);
    void PlaceCursor(const Place& place);
    // The shape with points after (page, list, shape) in walk order; null at the end.
    Place PlaceAfter(const Place& from) const;

    CArea area_;
    PlotPage* currentPage_ = nullptr;
    PlotShape* currentShape_ = nullptr;
    int32_t pointIndex_ = 0;
    int listKind_ = 0;
    int32_t resumePulses_ = 0;
    int32_t totalPulses_ = 0;
    int32_t pulseCounter_ = 0;
    // Head position at job start, plotter units.
    int32_t headX_ = 0;
    int32_t headY_ = 0;
    int32_t startPos_ = 0;
    int32_t started_ = 0;
    int32_t finished_ = 0;
    int32_t referenceX_ = 0;
    int32_t referenceY_ = 0;
    int dataSource_ = 0;
    // The sub-polyline of the current shape at which the walk last stood.
    SubPolylineHint hint_;
};
