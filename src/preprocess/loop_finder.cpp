// CLoopFinder: orientation of loops and strokes, taking closed shapes, breaking at corners,
// and joining stroke clusters.
#include "preprocess/loop_finder.h"

#include "plotmodel/shape_runs.h"
#include "preprocess/end_point_grid.h"
#include "preprocess/stroke_ends.h"

#include <cmath>
#include <memory>
#include <vector>

namespace {

// Vertices this close to the leftmost vertex in both axes are passed over when LoopDirection
// looks for its neighbours, plotter units.
constexpr double kNeighbourSkip = 1.5;
constexpr double kPi = 3.1415926;

// The direction class of a vector: 0 negative x axis or zero, 1 lower half, 2 positive x
// axis, 3 upper half.
int DirectionClass(const CFloatPoint& v)
{
    if (v.y > 0) return 3;
    if (v.y < 0) return 1;
    return v.x > 0 ? 2 : 0;
}

// The nearest vertex of p (n points) from b in steps of step (±1), cyclically, that lies
// further than kNeighbourSkip from b in some axis; failing that in one round, the nearest
// vertex that differs from b. False when every vertex equals b.
bool NeighbourOf(const float* p, int32_t n, int32_t b, int32_t step, CFloatPoint& out)
{
    const CFloatPoint at = stroke_ends::Vertex(p, b);
    int32_t differing = -1;
    for (int32_t k = 1; k < n; ++k) {
        int32_t i = ((b + step * k) % n + n) % n;
        CFloatPoint q = stroke_ends::Vertex(p, i);
        if (std::fabs(q.x - at.x) > kNeighbourSkip || std::fabs(q.y - at.y) > kNeighbourSkip) {
            out = q;
            return true;
        }
        if (differing < 0 && !(q == at)) differing = i;
    }
    // Every vertex lies within the skip distance: one round is enough to know it, and the
    // nearest differing vertex gives the direction instead of walking on for ever.
    if (differing < 0) return false;
    out = stroke_ends::Vertex(p, differing);
    return true;
}

}  // namespace

int CLoopFinder::VectorComp_N180P180(const CFloatPoint& a, const CFloatPoint& b)
{
    int ca = DirectionClass(a), cb = DirectionClass(b);
    if (ca != cb) return ca > cb ? 1 : -1;
    if (ca == 0 || ca == 2) return 0;
    // Within one open half-plane the angle grows as x / y falls, that is counter-clockwise.
    double cross = b.x * a.y - b.y * a.x;
    return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
}

int CLoopFinder::LoopDirection(PlotShape* shape)
{
    if (!shape) return -1;
    shape->DeleteRepeatPoint();
    int32_t n = 0;
    const float* p = shape->GetPl(0, n);
    if (!p || n <= 0) return -1;
    if (n <= 3) return 0;
    int32_t b = stroke_ends::LeftmostVertex(p, n);
    CFloatPoint before, after;
    if (!NeighbourOf(p, n, b, -1, before) || !NeighbourOf(p, n, b, 1, after)) return 0;
    CFloatPoint at = stroke_ends::Vertex(p, b);
    return VectorComp_N180P180(before - at, after - at) > 0 ? 1 : 0;
}

int CLoopFinder::CalLoopDirection(PlotShape* stroke)
{
    if (!stroke) return -1;
    int32_t n = 0;
    const float* p = stroke->GetPl(0, n);
    if (!p || n <= 0) return -1;
    int32_t b = stroke_ends::LeftmostVertex(p, n);
    if (n == 1 || b == 0) return 2;
    if (b == n - 1) return 3;
    CFloatPoint at = stroke_ends::Vertex(p, b);
    return VectorComp_N180P180(stroke_ends::Vertex(p, b - 1) - at, stroke_ends::Vertex(p, b + 1) - at) > 0 ? 1 : 0;
}

void CLoopFinder::LoopGet(PlotShapeList& shapes, PlotShapeList& loops, float tol)
{
    for (PlotShape* s = shapes.HeadShape(); s;) {
        PlotShape* next = shapes.ShapeAfter(s);
        // A loop is one closed sub-polyline: the ends of several would not close an outline.
        if (s->GetPlNum() == 1 && s->IsClose(tol)) {
            CArea box = s->CalArea();
            if (box.Width() != 0 && box.Height() != 0) {
                s->DeleteRepeatPoint();
                if (s->GetTolPtNum() > 3) {
                    if (LoopDirection(s) == 1) s->Reverse();
                    s->GoOut();
                    loops.AddTail(s);
                }
            }
        }
        s = next;
    }
}

void CLoopFinder::BreakAtAngle(PlotShapeList& shapes, float degrees)
{
    const float tanTol = std::tan(static_cast<float>(degrees * kPi / 180.0));
    // Runs of shapes are broken on the worker threads and their pieces joined in list order.
    // Each shape goes as soon as it is broken, so the shapes and all their pieces are never
    // held together.
    const int threads = ShapeWorkerThreads(0);
    auto runs = SplitIntoRuns(shapes, RunsForThreads(threads));
    std::vector<std::unique_ptr<PlotShapeList>> pieces(runs.size());
    RunShapeRuns(static_cast<int>(runs.size()), threads, [&](int r, ShapeRunControl&) {
        const size_t k = static_cast<size_t>(r);
        pieces[k] = std::make_unique<PlotShapeList>();
        while (PlotShape* s = runs[k]->HeadShape()) {
            s->BreakAt(*pieces[k], tanTol);
            delete s;
        }
    }, {});
    JoinRuns(pieces, shapes);
}

void CLoopFinder::CurveClusterFind(PlotShapeList& shapes, PlotShapeList& out, float tol)
{
    // Shapes that cannot be joined (several sub-polylines, fewer than 2 points) and closed
    // strokes move over untouched; only the open strokes are chained.
    std::vector<PlotShape*> open;
    while (PlotShape* s = shapes.HeadShape()) {
        s->GoOut();
        bool closed = s->Start().IsCloseTo(s->End(), tol);
        if (stroke_ends::CanJoin(*s) && !closed)
            open.push_back(s);
        else
            out.AddTail(s);
    }
    // The ends of the open strokes by grid cell, each filed with the stroke's place in the
    // list: the first remaining stroke touching a chain's end is the one of the lowest place.
    EndPointGrid<size_t> ends(tol);
    for (size_t i = 0; i < open.size(); ++i) {
        ends.Add(open[i]->Start(), i);
        ends.Add(open[i]->End(), i);
    }
    std::vector<bool> taken(open.size(), false);
    // Extends the chain forward from its end with the first remaining stroke whose start or
    // end lies within tol, again and again, until it closes or nothing touches its end.
    auto extend = [&](PlotShape& chain) {
        while (chain.GetPlNum() == 1 && !chain.Start().IsCloseTo(chain.End(), tol)) {
            const CFloatPoint end = chain.End();
            size_t found = open.size();
            ends.Near(end, [&](size_t i) {
                if (i >= found || taken[i]) return;
                if (open[i]->Start().IsCloseTo(end, tol) || open[i]->End().IsCloseTo(end, tol)) found = i;
            });
            if (found == open.size()) break;
            PlotShape piece;
            piece = *open[found];
            if (!piece.Start().IsCloseTo(end, tol)) piece.Reverse();
            if (!chain.AddAtLast(piece)) break;
            taken[found] = true;
            delete open[found];
        }
    };
    for (size_t i = 0; i < open.size(); ++i) {
        if (taken[i]) continue;
        taken[i] = true;
        PlotShape* s = open[i];
        // Forward from the end, then backward from the start, keeping the stroke's direction.
        extend(*s);
        s->Reverse();
        extend(*s);
        s->Reverse();
        s->CalArea();
        out.AddTail(s);
    }
}
