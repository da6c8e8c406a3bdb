// CLoopFinder: grouping loops into pieces with the loops inside them, the sheet's frame, and
// the strip order of the pieces.
#include "preprocess/loop_finder.h"

#include "plotmodel/loop_scan_index.h"
#include "plotmodel/strip_rows.h"
#include "preprocess/plot_loop.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A loop covering at least this share of all loops' bounds, and a rectangle, is the frame.
constexpr double kFrameShare = 0.95;
// Plotter units per millimetre of the strip band.
constexpr int64_t kUnitsPerMm = 40;

// The point of a loop tested against an outer loop: the middle of its first and last points
// for fewer than 3 points, else the middle of points n/2 and n/2 + 1.
CFloatPoint TestPoint(const PlotShape& s)
{
    int n = s.GetTolPtNum();
    if (n < 3) return (s.Start() + s.End()) * 0.5;
    return (s.Point(n / 2) + s.Point(n / 2 + 1)) * 0.5;
}

// Takes the outermost loop out of loops (the first loop, replaced by every later one whose
// bounds contain it) and moves the loops inside it to inner.
PlotShape* TakeOutermost(PlotShapeList& loops, PlotShapeList& inner)
{
    PlotShape* outer = loops.HeadShape();
    if (!outer) return nullptr;
    for (PlotShape* s = loops.ShapeAfter(outer); s; s = loops.ShapeAfter(s))
        if (outer->GetArea().IsInBox(s->GetArea())) outer = s;
    outer->GoOut();
    const CArea& box = outer->GetArea();
    // The loops within its box; those of another box need the test.
    std::vector<PlotShape*> within;
    for (PlotShape* s = loops.HeadShape(); s; s = loops.ShapeAfter(s))
        if (s->GetArea().IsInBox(box)) within.push_back(s);
    const auto tests = std::count_if(within.begin(), within.end(), [&box](const PlotShape* s) { return !(s->GetArea() == box); });
    std::optional<LoopScanIndex> scan;
    // The outer loop is filed by its segments when enough loops need the test; the walk over
    // its points gives the same crossings.
    if (LoopScanIndex::PaysFor(outer->GetTolPtNum(), static_cast<size_t>(tests))) scan.emplace(*outer);
    auto inside = [&](const CFloatPoint& p) { return (scan ? outer->PtIsInLoop(p, *scan) : outer->PtIsInLoop(p)) != 0; };
    for (PlotShape* s : within) {
        if (s->GetArea() == box || inside(TestPoint(*s))) {
            s->GoOut();
            inner.AddTail(s);
        }
    }
    return outer;
}

// Appends the inner loops to group in nesting order: the outermost of them, then the loops
// inside that one, and so on. Its own stack, so any depth of nesting fits.
void LoopSort(PlotShapeList& inner, PlotShapeList& group)
{
    std::vector<std::unique_ptr<PlotShapeList>> pending;
    pending.push_back(std::make_unique<PlotShapeList>());
    pending.back()->Append(&inner);
    while (!pending.empty()) {
        PlotShapeList& top = *pending.back();
        if (top.Count() == 0) {
            pending.pop_back();
            continue;
        }
        auto deeper = std::make_unique<PlotShapeList>();
        group.AddTail(TakeOutermost(top, *deeper));
        if (deeper->Count() > 0) pending.push_back(std::move(deeper));
    }
}

}  // namespace

int CLoopFinder::FileAllLargeLoops(PlotShapeList& loops, OL_List& groups, PlotShape*& frame)
{
    frame = nullptr;
    const double allArea = loops.CalArea(0).Area();
    bool first = true;
    while (loops.Count() > 0) {
        PlotShapeList inner;
        PlotShape* outer = TakeOutermost(loops, inner);
        if (first && outer->GetArea().Area() >= kFrameShare * allArea && outer->IsRect()) {
            frame = outer;
            loops.Append(&inner);
            first = false;
            continue;
        }
        first = false;
        auto* group = new PlotLoop;
        group->Shapes().AddTail(outer);
        LoopSort(inner, group->Shapes());
        group->CalArea(0);
        groups.AddTail(group);
    }
    return 0;
}

void CLoopFinder::SortPlotLoop(OL_List& groups, int32_t band)
{
    // A band of no width has no strips: the order stays as it is.
    if (band <= 0 || groups.Count() == 0) return;
    const int64_t width = static_cast<int64_t>(band) * kUnitsPerMm;
    struct Placed {
        OL_Object* group;
        int64_t strip;
        int32_t ymax;
    };
    std::vector<Placed> placed;
    for (OL_Object* g = groups.GetHead(); g; g = groups.GetNext(g)) {
        const CArea* box = static_cast<PlotLoop*>(g)->GetArea();
        // The first strip whose right edge k × width is at or right of the group's right
        // edge, computed per group so far-apart groups need no walk over empty strips.
        int64_t strip = strip_rows::FirstBandAtOrAbove(box->xmax, width);
        placed.push_back({g, strip, box->ymax});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.strip != b.strip ? a.strip < b.strip : a.ymax < b.ymax;
    });
    for (const Placed& p : placed) {
        p.group->GoOut();
        groups.AddTail(p.group);
    }
}
