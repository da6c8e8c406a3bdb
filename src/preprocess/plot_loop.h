// PlotLoop: one cut piece, its outer loop followed by the loops and shapes that lie inside it.
#pragma once

#include "geometry/ol_box.h"
#include "geometry/ol_list.h"
#include "plotmodel/plot_shape_list.h"

#include <cstdint>

class PlotLoop : public OL_Object {
public:
    PlotLoop() = default;
    ~PlotLoop() override = default;

    // The group's shapes: the outer loop first, then what lies inside it in nesting order.
    PlotShapeList& Shapes() { return shapes_; }
    const PlotShapeList& Shapes() const { return shapes_; }

    // The cached bounds of the group's shapes.
    const CArea* GetArea() const { return &shapes_.GetArea(); }
    // Merges the shapes' bounds (each recomputed first when recompute is non-zero).
    CArea CalArea(int recompute) { return shapes_.CalArea(recompute); }
    // The outer loop, or null for an empty group.
    PlotShape* GetLargestLoop() const { return shapes_.HeadShape(); }
    // Cuts every shape at the vertical line x into the groups left and right (pieces left of
    // the line to left) and recomputes both groups' bounds.
    void Split(int32_t x, PlotLoop& left, PlotLoop& right) const;

private:
    PlotShapeList shapes_;
};

// For every loop of loops in turn, moves the shapes of shapes that lie inside its outer loop to
// the end of the loop, in list order; each loop takes from what the loops before it left. The
// shapes are filed by box once, so each loop looks only at the shapes whose box meets its outer
// loop's. The inside tests run on threads worker threads; what each loop takes is the same on
// any number of them.
void GetShapesInLoops(OL_List& loops, PlotShapeList& shapes, int threads = 1);
