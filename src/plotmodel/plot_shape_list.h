// PlotShapeList: the owning list of shapes that every stage passes on, with cached bounds.
//
// The list owns its shapes (destruction deletes them). Its bounds are cached: only CalArea
// recomputes them and Move shifts them. operator= is a deep copy.
#pragma once

#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/plot_shape.h"

#include <cstdint>

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

    // Per-shape transforms; only Move also shifts the cached bounds.
    void Scale(float sx, float sy);
    void Mirror(const CArea& box);
    void MirrorByX(int32_t x0);
    void Rotate(int32_t quarter, const CArea& box);
    void Stretchx(float k);
    void Stretchy(float k);
    void Move(int32_t dx, int32_t dy);

    // Draws every shape with a black pen of width 1, solid for LineType below 2 and dotted
    // from 2 on; the DC's previous pen is selected again at the end.
    void Render(structRender& r) const;

private:
    CArea area_;
};
