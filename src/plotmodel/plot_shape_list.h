// PlotShapeList: the owning list of shapes that every stage passes on, with cached bounds.
//
// The list owns its shapes (destruction deletes them). Its bounds are cached: only CalArea
// recomputes them and Move shifts them. operator= is a deep copy.
#pragma once

#include "geometry/float_point.h"
#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/plot_shape.h"

#include "platform/carray.h"

#include <cstdint>
#include <functional>

class PlotShapeList : public OL_List {
public:
    PlotShapeList() = default;
    ~PlotShapeList() override = default;

    // Deep copy: clears this list, appends a NewCopy of every shape in order, copies the bounds.
    PlotShapeList& operator=(const PlotShapeList& other);

    int AddTail(OL_Object* e) override { return OL_List::AddTail(e); }

    // The shapes in list order; null past the end (every element of the list is a PlotShape).
    PlotShape* HeadShape() const { return static_cast<PlotShape*>(GetHead()); }
    PlotShape* ShapeAfter(PlotShape* s) const { return static_cast<PlotShape*>(GetNext(s)); }

    // Merges the shapes' bounds (each recomputed first when recompute is non-zero); an empty
    // list gets the zero box.
    CArea CalArea(int recompute);
    const CArea& GetArea() const { return area_; }

    // Replaces the cached bounds without looking at the shapes: the sheet packing places a
    // list by a box its caller has enlarged by the gap between lists.
    void SetArea(const CArea& area) { area_ = area; }

    // Per-shape transforms; only Move also shifts the cached bounds.
    void Scale(float sx, float sy);
    void Mirror(const CArea& box);
    void MirrorByX(int32_t x0);
    void Rotate(int32_t quarter, const CArea& box);
    void Stretchx(float k);
    void Stretchy(float k);
    void Move(int32_t dx, int32_t dy);
    // Shrinks every shape's buffers to the points it holds (PlotShape::FreeUsedSpace): for a
    // list kept long after shapes were built point by point with room to grow.
    void FreeUsedSpace();

    // Cuts every shape at the vertical line x: pieces left of it go to left, the others to
    // right (a null list drops what would go there). The shapes stay in this list.
    void CutByVLine(int32_t x, PlotShapeList* left, PlotShapeList* right) const;
    // The same at the horizontal line y, pieces below it to below.
    void CutByHLine(int32_t y, PlotShapeList* below, PlotShapeList* above) const;
    // Copies shapes whole to the side they mostly lie on; only shapes wider than 500 mm with
    // more than 400 mm before the line are cut.
    void CutByVLine_ForCut(int32_t x, PlotShapeList* left, PlotShapeList* right) const;
    // Copies every shape whole: to right when less than a third of it lies left of x.
    void CutByVLine_ForJiGuang(int32_t x, PlotShapeList* left, PlotShapeList* right) const;

    // Deletes the draw curves / the cut curves (MauIndex 2, 4 and 5 are cut curves).
    void DeleteDrawCrvs();
    void DeleteCutCrvs();
    // Sets PenIndex 1 on every shape.
    void SetAllToDraw();
    void DeleteDrawCrvsAndSetCutToDraw();

    // Replaces every half-cut shape (MauIndex 5) by its dashes, the style fitted to short shapes.
    void DashHalfCutShape(const DashStyle& s);
    // Replaces cut shapes (MauIndex 2, 4) by dashes of cut and half-cut shapes by dashes of
    // halfCut, each only when both lengths of its style are positive.
    void DashCutList(const DashStyle& cut, const DashStyle& halfCut);

    // Orders the shapes in serpentine vertical strips and rows of width band (plotter units);
    // a band of 0 or less leaves the order as it is.
    void OrderByArea(int32_t band);
    // Move the shapes with xmax <= x / xmin <= x / ymax <= y / ymin >= y to list, in order.
    void GetXMinSideMarshal(PlotShapeList& list, int32_t x);
    void GetXMinSideMarshalEx(PlotShapeList& list, int32_t x);
    void GetYMinSideMarshal(PlotShapeList& list, int32_t y);
    void GetYMaxSideMarshal(PlotShapeList& list, int32_t y);
    // Path-length order: the loop-closing engine splits the list into loops and other lines
    // (appended back in that order), then strips of 8000 units by right edge, serpentine
    // rows as OrderByArea places them, nearest start first in a row. pos starts at (0, 0)
    // and ends at the last shape's end. Defined with the loop-closing engine.
    void Order(CFloatPoint& pos);
    // The shape whose start lies nearest p (larger of |dx|, |dy|; the first on ties), or null.
    PlotShape* GetClosestEndPtOfCrv(CFloatPoint p, int& fromStart) const;
    // Breaks the shapes at vertices sharper than 30 degrees and orders the pieces in rows of
    // 8000 units from the bottom up, each running right to left, nearest start first; the
    // near-vertical pieces follow. pos ends at the last piece's end.
    void OrderOnlyY(CFloatPoint& pos);

    // Joins shapes end to end (within 1 unit) in passes until a pass joins nothing.
    void ConnectCrv();
    // Joins following shapes onto each single-polyline shape until it closes, and moves the
    // closed ones, with their bounds, to closed.
    void GetCloseCurve(PlotShapeList& closed);
    // The shapes with an end within the shared tolerance of p; atStart says which end.
    void FindCloseCrvs(const CFloatPoint& p, CArray<PlotShape*>& shapes, CArray<int>& atStart) const;
    // chain := s and the shapes that continue it end to end while the way on is unique.
    void FindConnectCrvs(PlotShape* s, CArray<PlotShape*>& chain) const;
    // Each shape's BreakAtVertex into out.
    void BreakAtVertex(OL_List& out, float angle) const;

    // Adds the offset corner at a vertex of the earlier knife compensation (direction dir
    // arriving at corner, next point after it, offset r): one point, or an arc shape of
    // MauIndex 130 appended to this list. Returns the shape to continue with.
    PlotShape* AddCompansate(PlotShape* shape, const CFloatPoint& dir, const CFloatPoint& corner,
                             const CFloatPoint& next, float r, int newPl);
    PlotShape* AddCompansate_cut(PlotShape* shape, const CFloatPoint& dir, const CFloatPoint& corner,
                                 const CFloatPoint& next, float r, int newPl);

    // ---- shape preprocessing (defined in src/preprocess) ----
    // Replaces every shape by its knife-compensated pieces, in place: offset in plotter units,
    // over-cuts in mm; MauIndex 8 shapes stay, small circular holes get a path of their own.
    void ProKnifeCompensate(float offset, float startOverCutMm, float endOverCutMm);
    // The same on threads threads, with the same result: the list is cut into runs of
    // consecutive shapes, each compensated from the knife direction the last shapes of the
    // run before it end with, and a run whose start was not the direction the run before it
    // really ended with is compensated again. poll is told the shapes done (on the calling
    // thread); when it says stop, the list is left empty and the result is false.
    bool ProKnifeCompensate(float offset, float startOverCutMm, float endOverCutMm, int threads,
                            const std::function<bool(int64_t)>& poll);

    // Draws every shape with a black pen of width 1, solid for LineType below 2 and dotted
    // from 2 on; the DC's previous pen is selected again at the end.
    void Render(structRender& r) const;

private:
    // Deletes every shape for which drop(shape) holds.
    template <class Pred>
    void DeleteWhere(Pred drop)
    {
        for (PlotShape* s = HeadShape(); s;) {
            PlotShape* next = ShapeAfter(s);
            if (drop(*s)) delete s;
            s = next;
        }
    }
    // Moves every shape for which take(shape) holds to list, in order.
    template <class Pred>
    void MoveWhere(PlotShapeList& list, Pred take)
    {
        for (PlotShape* s = HeadShape(); s;) {
            PlotShape* next = ShapeAfter(s);
            if (take(*s)) {
                s->GoOut();
                list.AddTail(s);
            }
            s = next;
        }
    }
    // Replaces every shape for which styleFor gives a style by its bridged dashes.
    template <class StyleFor>
    void ReplaceByDashes(StyleFor styleFor);

    CArea area_;
};
