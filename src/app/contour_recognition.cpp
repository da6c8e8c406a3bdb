// Contour recognition with the loop finder, and the half-cut pen filter.
#include "app/contour_recognition.h"

#include "app/shape_moves.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/loop_finder.h"
#include "preprocess/plot_loop.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace {

constexpr float kContourTolerance = 2.1f;
constexpr float kClusterTolerance = 2.2f;
constexpr float kBreakAngleDeg = 20.0f;
constexpr int32_t kLoopBandMm = 500;
constexpr int32_t kOpenOrderBand = 12000;
constexpr int64_t kSmallLoopArea = 100;
// Recognition on open: the first tolerance, the widening rounds' first tolerance, their step
// and the tolerance at which they stop; the rec index of an outline, the mau index of what
// lies inside it.
constexpr float kOpenFirstTolerance = 0.9f;
constexpr float kOpenWideningStart = 1.9f;
constexpr float kOpenWideningStep = 1.0f;
constexpr float kOpenWideningEnd = 40.0f;
constexpr unsigned char kOutlineRecIndex = 4;
constexpr unsigned char kInsideMauIndex = 1;

// Steps shared by both recognisers: closed shapes to closed, the rest to open, then the
// contours whose box repeats an earlier one deleted.
void FindClosedContours(CLoopFinder& finder, PlotShapeList& list, PlotShapeList& closed, PlotShapeList& open)
{
    FindLoopsTwoPasses(finder, list, closed, open, kContourTolerance);
    struct BoxHash {
        size_t operator()(const CArea& b) const
        {
            uint64_t h = static_cast<uint32_t>(b.xmin);
            for (int32_t v : {b.ymin, b.xmax, b.ymax}) h = h * 0x9E3779B97F4A7C15ULL ^ static_cast<uint32_t>(v);
            return static_cast<size_t>(h ^ (h >> 29));
        }
    };
    std::unordered_set<CArea, BoxHash> seen;
    for (PlotShape* s = closed.HeadShape(); s;) {
        PlotShape* next = closed.ShapeAfter(s);
        if (!seen.insert(s->GetArea()).second) delete s;
        s = next;
    }
}

int64_t BoxArea(const CArea& box)
{
    return (static_cast<int64_t>(box.xmax) - box.xmin) * (static_cast<int64_t>(box.ymax) - box.ymin);
}

// Takes every group of one shape whose box is below kSmallLoopArea out of loops: its shape
// goes to open, the group is deleted. Such a contour is no piece.
void MoveSmallLoneLoopsToOpen(OL_List& loops, PlotShapeList& open)
{
    for (OL_Object* o = loops.GetHead(); o;) {
        OL_Object* next = loops.GetNext(o);
        auto* loop = static_cast<PlotLoop*>(o);
        PlotShape* only = loop->Shapes().HeadShape();
        if (loop->Shapes().Count() == 1 && BoxArea(only->GetArea()) < kSmallLoopArea) {
            only->GoOut();
            open.AddTail(only);
            delete loop;
        }
        o = next;
    }
}

}  // namespace

bool FindLoopsTwoPasses(CLoopFinder& finder, PlotShapeList& list, PlotShapeList& closed, PlotShapeList& open,
                        float tol, const std::vector<float>& widening, const std::function<bool(size_t pass)>& proceed)
{
    finder.LoopGet(list, closed, tol);
    finder.BreakAtAngle(list, kBreakAngleDeg);
    // The loop finder leaves the strokes it does not join as they were: one run of rounds
    // gives what a call per pass on the strokes the pass before left gives.
    std::vector<float> passes{tol, tol};
    passes.insert(passes.end(), widening.begin(), widening.end());
    return finder.LoopFinderRounds(list, closed, open, passes, proceed);
}

void RecogniseContourPlain(PlotShapeList& list)
{
    CLoopFinder finder;
    PlotShapeList closed, open;
    FindClosedContours(finder, list, closed, open);
    list.Clear();
    list.Append(&open);
    list.Append(&closed);
    list.CalArea(1);
}

void RecogniseContourWithClusters(PlotShapeList& list, OL_List& loops, PlotShape*& outer, int threads)
{
    CLoopFinder finder;
    PlotShapeList closed, open;
    FindClosedContours(finder, list, closed, open);
    outer = nullptr;
    finder.FileAllLargeLoops(closed, loops, outer);
    finder.SortPlotLoop(loops, kLoopBandMm);
    MoveSmallLoneLoopsToOpen(loops, open);
    PlotShapeList clusters;
    finder.CurveClusterFind(open, clusters, kClusterTolerance);
    open.Append(&clusters);
    GetShapesInLoops(loops, open, threads);
    open.OrderByArea(kOpenOrderBand);
    list.Append(&open);
    list.CalArea(1);
}

void RecogniseContourOnOpen(PlotShapeList& list)
{
    CLoopFinder finder;
    PlotShapeList closed, open;
    // The widening rounds: 1.9, 2.9, ... 39.9 while strokes stay open. The count, not the
    // float sum, ends the rounds, so no rounding adds or drops one.
    const int rounds = static_cast<int>((kOpenWideningEnd - kOpenWideningStart) / kOpenWideningStep) + 1;
    std::vector<float> widening;
    for (int round = 0; round < rounds; ++round)
        widening.push_back(kOpenWideningStart + static_cast<float>(round) * kOpenWideningStep);
    FindLoopsTwoPasses(finder, list, closed, open, kOpenFirstTolerance, widening);
    OL_List loops;
    PlotShape* outer = nullptr;
    finder.FileAllLargeLoops(closed, loops, outer);
    finder.SortPlotLoop(loops, kLoopBandMm);
    MoveSmallLoneLoopsToOpen(loops, open);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
        PlotShapeList& shapes = static_cast<PlotLoop*>(o)->Shapes();
        PlotShape* outline = shapes.HeadShape();
        if (!outline) continue;
        outline->SetRecIndex(kOutlineRecIndex);
        for (PlotShape* s = shapes.ShapeAfter(outline); s; s = shapes.ShapeAfter(s)) s->SetMauIndex(kInsideMauIndex);
    }
    GetShapesInLoops(loops, open);
    // Anything the finder left in closed (none groups no loop) stays with the job.
    open.Append(&closed);
    if (outer) {
        if (!outer->IsRect()) outer->SetRecIndex(kOutlineRecIndex);
        list.AddTail(outer);
    }
    list.Append(&open);
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
        PlotShapeList& shapes = static_cast<PlotLoop*>(o)->Shapes();
        while (OL_Object* last = shapes.GetTail()) {
            shapes.GoOut(last);
            list.AddTail(last);
        }
    }
    loops.Clear();
    list.CalArea(1);
}

CArea MoveSelectedPensToList(const uint8_t penTable[8], PlotShapeList& list, PlotShapeList& target)
{
    MoveShapesIf(list, target, [penTable](const PlotShape& s) {
        const int pen = s.GetPenIndex();
        return s.GetMauIndex() == 5 || s.GetRecIndex() == 5 || (pen >= 1 && pen <= 8 && penTable[pen - 1] == 1);
    });
    return target.CalArea(1);
}
