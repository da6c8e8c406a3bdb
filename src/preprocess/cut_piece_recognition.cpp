// RecgniseCaiPian: cut-piece recognition, the loop finder run over the chosen pens' shapes.
#include "plotmodel/intersection.h"

#include "plotmodel/plot_shape_list.h"
#include "preprocess/loop_finder.h"
#include "preprocess/plot_loop.h"

namespace {

// Closing tolerance of the recognition, plotter units.
constexpr float kTolerance = 6.0f;
// Strokes break at corners sharper than this, degrees.
constexpr float kBreakDegrees = 20.0f;
// Band of the pieces' strip order, millimetres; of the final order, plotter units.
constexpr int32_t kPieceBandMm = 500;
constexpr int32_t kListBand = 12000;
constexpr int kReverse = 2;

void ReturnSmallShapes(PlotShapeList& from, PlotShapeList& to, float limitMm2)
{
    for (PlotShape* s = from.HeadShape(); s;) {
        PlotShape* next = from.ShapeAfter(s);
        if (s->GetArea().Area() < limitMm2) {
            s->GoOut();
            to.AddTail(s);
        }
        s = next;
    }
}

}  // namespace

int RecgniseCaiPian(PlotShapeList& list, OL_List& groups, REC_CAIPIAN_OPT opt)
{
    CLoopFinder finder;
    PlotShapeList collector;
    for (int pen = 1; pen <= 12; ++pen) {
        if (!opt.penFlags[pen - 1]) continue;
        PlotShapeList work;
        for (PlotShape* s = list.HeadShape(); s;) {
            PlotShape* next = list.ShapeAfter(s);
            if (s->GetPenIndex() == pen) {
                s->GoOut();
                work.AddTail(s);
            }
            s = next;
        }
        PlotShapeList rest, second, left;
        finder.LoopGet(work, collector, kTolerance);
        finder.BreakAtAngle(work, kBreakDegrees);
        finder.LoopFinder(work, collector, rest, CLoopFinder::kBandWidth, kTolerance);
        second.Append(&rest);
        second.CalArea(0);
        finder.LoopFinder(second, collector, left, CLoopFinder::kBandWidth, kTolerance);
        list.Append(&left);
    }
    if (collector.Count() == 0) return 0;
    ReturnSmallShapes(collector, list, opt.areaLimitMm2);
    PlotShape* outside = nullptr;
    finder.FileAllLargeLoops(collector, groups, outside);
    list.Append(&collector);  // nothing is left there; kept safe should grouping leave a loop
    finder.SortPlotLoop(groups, kPieceBandMm);
    for (OL_Object* g = groups.GetHead(); g;) {
        OL_Object* next = groups.GetNext(g);
        auto* group = static_cast<PlotLoop*>(g);
        PlotShapeList& shapes = group->Shapes();
        if (shapes.Count() == 1 && shapes.HeadShape()->GetArea().Area() < opt.areaLimitMm2) {
            list.Append(&shapes);
            delete group;
        } else if (PlotShape* outline = shapes.HeadShape()) {
            if (opt.outerPen != 0) outline->SetPenIndex(opt.outerPen);
            if (opt.outerDirection == kReverse) outline->Reverse();
            for (PlotShape* s = shapes.ShapeAfter(outline); s; s = shapes.ShapeAfter(s)) {
                if (!s->IsClose()) continue;
                if (opt.innerPen != 0) s->SetPenIndex(opt.innerPen);
                if (opt.innerDirection == kReverse) s->Reverse();
            }
        }
        g = next;
    }
    GetShapesInLoops(groups, list);
    if (outside) list.AddTail(outside);
    list.OrderByArea(kListBand);
    return 1;
}
