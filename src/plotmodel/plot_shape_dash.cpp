// PlotShape dashing: plain patterns (structDash) and patterns with bridges (DashStyle) that
// put their gaps on straight stretches only, with the walks along a polyline they use.
//
// Lengths are plotter units. A pattern whose dash is not positive or whose gap is negative
// has no period to walk by, and a line that would need more than kMaxDashes periods is no
// real job: such lines are left undashed (one piece per polyline), so that dashing never
// loses a line nor walks without end. A loader bounds the dashes of a whole load by counting
// them first (DashPointCount), with the walk that makes them.
#include "plotmodel/plot_shape.h"

#include "plotmodel/plot_shape_list.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A stretch bends too much for a bridge when its radius is at most this (5 mm).
constexpr float kBridgeMinRadius = 200.0f;

constexpr double kMaxDashes = 1e6;

// Plain length of a point array, in double precision.
double RunLength(int n, const float* pts)
{
    double total = 0.0;
    for (int i = 0; i + 1 < n; ++i)
        total += std::hypot(static_cast<double>(pts[2 * i + 2]) - pts[2 * i], static_cast<double>(pts[2 * i + 3]) - pts[2 * i + 1]);
    return total;
}

bool UsablePattern(float gap, float dash, double length)
{
    return dash > 0.0f && gap >= 0.0f && length / (static_cast<double>(gap) + dash) <= kMaxDashes;
}

// Appends (x, y) to a point run unless it repeats the run's last point.
void AddDistinct(std::vector<float>& run, double x, double y)
{
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (run.size() >= 2 && run[run.size() - 2] == fx && run[run.size() - 1] == fy) return;
    run.push_back(fx);
    run.push_back(fy);
}

// A new shape holding the points of pts from position a to position b, with its bounds.
PlotShape* PieceBetween(const float* pts, const PtOnCurve& a, const PtOnCurve& b)
{
    std::vector<float> run;
    AddDistinct(run, a.x, a.y);
    for (int32_t v = a.index + 1; v <= b.index; ++v) AddDistinct(run, pts[2 * v], pts[2 * v + 1]);
    AddDistinct(run, b.x, b.y);
    auto* piece = new PlotShape;
    piece->Append(run.data(), static_cast<int>(run.size() / 2));
    return piece;
}

// Walks the plain pattern d along one point array of n > 1 points: runs.Begin(x, y) starts a
// dash at a point, runs.Add(x, y) continues the current one, runs.Whole() takes the array as
// it stands when the pattern cannot be walked, runs.DropLast() leaves out a last dash of one
// point. A sink answering false from Begin or Add stops the walk.
template <class Runs>
void WalkPlainDashes(const structDash& d, int n, const float* pts, Runs& runs)
{
    double scaledLength = 0.0;
    for (int i = 0; i + 1 < n; ++i) scaledLength += PlotShape::GetLength(pts + 2 * i, pts + 2 * i + 2, d);
    if (!UsablePattern(d.gap, d.dash, scaledLength)) {
        runs.Whole(n, pts);
        return;
    }
    bool inDash = true;
    double remaining = d.dash;  // of the current dash or gap
    if (!runs.Begin(pts[0], pts[1])) return;
    for (int i = 0; i + 1 < n; ++i) {
        const float* a = pts + 2 * i;
        const float* b = a + 2;
        double segment = PlotShape::GetLength(a, b, d);
        double done = 0.0;  // length of this segment already walked
        for (;;) {
            double left = segment - done;
            if (remaining > left || segment <= 0.0) {
                remaining -= std::max(left, 0.0);
                if (inDash && !runs.Add(b[0], b[1])) return;
                break;
            }
            done += remaining;
            double t = done / segment;
            float x = static_cast<float>(a[0] + (b[0] - a[0]) * t), y = static_cast<float>(a[1] + (b[1] - a[1]) * t);
            if (inDash) {
                if (!runs.Add(x, y)) return;
                remaining = d.gap;
            } else {
                if (!runs.Begin(x, y)) return;
                remaining = d.dash;
            }
            inDash = !inDash;
        }
    }
    // A dash begun exactly at the end of the line has no length: it is left out.
    runs.DropLast();
}

// The dashes of one walk, as point runs.
struct DashRuns {
    std::vector<std::vector<float>> runs;

    void Whole(int n, const float* pts) { runs.emplace_back(pts, pts + 2 * static_cast<size_t>(n)); }
    bool Begin(float x, float y)
    {
        runs.push_back({x, y});
        return true;
    }
    bool Add(float x, float y)
    {
        AddDistinct(runs.back(), x, y);
        return true;
    }
    void DropLast()
    {
        if (runs.size() > 1 && runs.back().size() == 2) runs.pop_back();
    }
};

// The points of the walk, counted without keeping them; the walk stops once they pass limit.
struct DashPointTally {
    int64_t limit;
    int64_t points = 0;
    int64_t runs = 0;
    int64_t lastRunPoints = 0;
    float lastX = 0.0f, lastY = 0.0f;

    void Whole(int n, const float*) { points += n; }
    // A dash's first point may pass the limit by one: the walk's last dash can still be left out.
    bool Begin(float x, float y)
    {
        ++runs;
        lastRunPoints = 0;
        Take(x, y);
        return points - 1 <= limit;
    }
    bool Add(float x, float y)
    {
        if (lastRunPoints > 0 && x == lastX && y == lastY) return true;
        Take(x, y);
        return points <= limit;
    }
    void DropLast()
    {
        if (runs > 1 && lastRunPoints == 1) --points;
    }
    void Take(float x, float y)
    {
        lastX = x;
        lastY = y;
        ++lastRunPoints;
        ++points;
    }
};

}  // namespace

float PlotShape::GetLength(const float* a, const float* b, const structDash& d)
{
    float dx = d.xScale * (b[0] - a[0]), dy = d.yScale * (b[1] - a[1]);
    return std::sqrt(dx * dx + dy * dy);
}

int PlotShape::Dash(OL_List& out, const structDash& d, int n, const float* pts) const
{
    if (n <= 1 || !pts) return 0;
    DashRuns dashes;
    WalkPlainDashes(d, n, pts, dashes);
    auto* shape = new PlotShape;
    for (const std::vector<float>& run : dashes.runs) shape->Append(static_cast<int>(run.size() / 2), run.data(), 1);
    shape->CalArea();
    shape->CopyAttrib(*this);
    out.AddTail(shape);
    return 1;
}

int64_t PlotShape::DashPointCount(const structDash& d, int64_t limit) const
{
    int64_t total = 0;
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (total > limit || n <= 1 || !p) return;
        DashPointTally tally{limit - total};
        WalkPlainDashes(d, n, p, tally);
        total += tally.points;
    });
    return total;
}

void PlotShape::Dash(OL_List& out, const structDash& d) const
{
    // Only the shapes made here take this shape's attributes; what out held stays as it was.
    OL_List made;
    ForEachPl([&](const float* p, int32_t n, int32_t) { Dash(made, d, n, p); });
    while (auto* shape = static_cast<PlotShape*>(made.GetHead())) {
        shape->SetLineType(lineType_);
        shape->SetPenIndex(penIndex_);
        shape->SetFloatValue(floatValue_);
        shape->GoOut();
        out.AddTail(shape);
    }
}

void PlotShape::Dash(PlotShapeList& out, DashStyle s) const
{
    PlotShapeList pieces;
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (n < 2) return;
        for (int start = 0; start < n - 1;) {
            int end = GetNextCurve(n, p, start, s.cornerTolerance);
            Dash(end - start + 1, p + 2 * start, s, pieces);
            start = end;
        }
    });
    for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) {
        piece->CopyAttrib(*this);
        piece->SetFloatValue(floatValue_);
    }
    out.Append(&pieces);
}

void PlotShape::Dash(int n, const float* pts, DashStyle s, PlotShapeList& out)
{
    if (n < 2 || !pts) return;
    PtOnCurve end{n - 2, pts[2 * n - 2], pts[2 * n - 1]};
    PtOnCurve start{0, pts[0], pts[1]};
    if (!UsablePattern(s.gap, s.dash, RunLength(n, pts))) {
        out.AddTail(PieceBetween(pts, start, end));
        return;
    }
    const float period = s.gap + s.dash;
    const float testLength = 3.0f * s.bridgeTestLength;
    for (;;) {
        PtOnCurve bridgeEnd;
        if (FindPtOnCurve(n, pts, period, start, bridgeEnd) < period) {
            out.AddTail(PieceBetween(pts, start, end));
            return;
        }
        // Move the bridge on until the stretch after it is straight enough; without a
        // positive test length every place is taken as it comes.
        while (testLength > 0.0f) {
            PtOnCurve ahead;
            if (FindPtOnCurve(n, pts, testLength, bridgeEnd, ahead) < testLength) {
                out.AddTail(PieceBetween(pts, start, end));
                return;
            }
            if (CalRadius(n, pts, bridgeEnd, ahead) > kBridgeMinRadius) break;
            bridgeEnd = ahead;
        }
        PtOnCurve bridgeStart = bridgeEnd;
        if (s.gap > 0.0f) FindPtOnCurve(n, pts, -s.gap, bridgeEnd, bridgeStart);
        out.AddTail(PieceBetween(pts, start, bridgeStart));
        start = bridgeEnd;
    }
}

float PlotShape::FindPtOnCurve(int n, const float* pts, float dist, const PtOnCurve& from, PtOnCurve& out)
{
    if (dist == 0.0f || !pts || from.index < 0 || from.index >= n - 1) return 0.0f;
    const bool forward = dist > 0.0f;
    double remaining = std::fabs(dist);
    double x = from.x, y = from.y;
    // Segment i is walked towards its end vertex going forward, towards its start going back.
    for (int32_t i = from.index; i >= 0 && i < n - 1; i += forward ? 1 : -1) {
        const float* target = pts + 2 * (forward ? i + 1 : i);
        double l = std::hypot(target[0] - x, target[1] - y);
        if (remaining <= l) {
            double t = l > 0.0 ? remaining / l : 0.0;
            out = {i, x + (target[0] - x) * t, y + (target[1] - y) * t};
            return dist;
        }
        remaining -= l;
        x = target[0];
        y = target[1];
    }
    out = forward ? PtOnCurve{n - 2, pts[2 * n - 2], pts[2 * n - 1]} : PtOnCurve{0, pts[0], pts[1]};
    float covered = static_cast<float>(std::fabs(dist) - remaining);
    return forward ? covered : -covered;
}

float PlotShape::CalRadius(int n, const float* pts, const PtOnCurve& from, const PtOnCurve& to)
{
    double cx = to.x - from.x, cy = to.y - from.y;
    double chord = std::hypot(cx, cy);
    if (chord <= 0.0 || !pts) return kStraightRadius;
    double ux = cx / chord, uy = cy / chord;
    double previousAlong = 0.0, h = 0.0;
    for (int32_t v = std::max(from.index + 1, 0); v <= to.index && v < n; ++v) {
        double dx = pts[2 * v] - from.x, dy = pts[2 * v + 1] - from.y;
        double along = dx * ux + dy * uy;
        if (along < previousAlong || along > chord) return 0.0f;
        previousAlong = along;
        h = std::max(h, std::fabs(dx * uy - dy * ux));
    }
    if (h <= 0.0) return kStraightRadius;
    return static_cast<float>((4.0 * h * h + chord * chord) / (8.0 * h));
}
