// PlotLoop: collecting the shapes inside a piece, and cutting a piece at a vertical line.
#include "preprocess/plot_loop.h"

#include "plotmodel/loop_scan_index.h"
#include "plotmodel/shape_box_index.h"

#include <optional>

namespace {

// Loops of up to this many points are walked rather than filed by their segments.
constexpr int kWalkedLoopPoints = 32;

}  // namespace

void PlotLoop::Split(int32_t x, PlotLoop& left, PlotLoop& right) const
{
    for (PlotShape* s = shapes_.HeadShape(); s; s = shapes_.ShapeAfter(s)) s->CutByVLine(x, &left.shapes_, &right.shapes_);
    left.CalArea(1);
    right.CalArea(1);
}

void GetShapesInLoops(OL_List& loops, PlotShapeList& shapes)
{
    ShapeBoxIndex index(shapes);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
        auto* loop = static_cast<PlotLoop*>(o);
        PlotShape* outer = loop->GetLargestLoop();
        if (!outer) continue;
        // A small loop is walked; a larger one is filed by its segments once a shape needs it.
        std::optional<LoopScanIndex> scan;
        index.MoveMeeting(outer->GetArea(), loop->Shapes(), [&](const PlotShape& s) {
            if (outer->GetTolPtNum() <= kWalkedLoopPoints) return s.IsInLoop(outer) != 0;
            if (!scan) scan.emplace(*outer);
            return s.IsInLoop(*scan) != 0;
        });
    }
}
