// The earlier smoothing and rebuild passes and the small measures on a shape's own points.
//
// Method: the smoothing passes drop vertices of each sub-polyline and keep the rest in order:
// Slick drops a vertex within 1 unit of the line from the last kept vertex to the next one
// at a turn under 90 degrees; Slick1 drops a vertex under 1.5 units from the last kept one at
// a turn under 90 degrees; Slick2 keeps the end of the longest chord over a zig-zag (or its
// farthest vertex when that bulges out far). The rebuild passes cut a polyline into runs of
// curve and line and replace each curve run by a clamped cubic B-spline over the run's
// vertices as control points, sampled again (OL_BSpline::Subdivide); lines keep their ends.
// A B-spline lies in the hull of its control points, so a rebuilt run stays in its box.
// Units: plotter units (40 per mm), angles in radians. Preconditions: none; a point equal to
// its predecessor is passed over, and no run of points is lost.
#include "geometry/ol_bspline.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/point_sequence.h"
#include "preprocess/zigzag_chord.h"

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
// Slick: a vertex this close to the line past it goes.
constexpr double kSlickDeviation = 1.0;
// Slick1: a vertex closer than this to the last kept one goes.
constexpr double kSlick1Spacing = 1.5;
// Slick, Slick1: a vertex that turns this much or more always stays.
constexpr double kSmoothTurnLimit = kPi / 2.0;
// Slick2: chord width, smallest chord extent, and the share 1 / factor of the width above
// which a chord keeps its farthest vertex.
constexpr double kSlick2Width = 5.0;
constexpr double kSlick2MinExtent = 1.0;
constexpr double kSlick2BulgeFactor = 1.9;
// RebuildBy: the sampling's angle tolerance, the fewest points of a curve (a cubic needs four
// control points) and the path length, in tolerances, below which a curve is not rebuilt.
constexpr float kRebuildAngle = 0.034906585f;
constexpr int kMinCurvePoints = 4;
constexpr double kMinCurveTolerances = 6.0;
// RebuildByV1: the turn that ends a run, the sampling's angle tolerance and distance tolerance.
constexpr double kRunTurnTangent = 0.57735026918962573;  // tan 30 degrees
constexpr float kV1Angle = 0.06981317f;
constexpr float kV1Tolerance = 1.0f;
// Rebuild (list form): straightness tangent and run lengths of the first and further runs.
constexpr float kListStraightTangent = 0.052407779283041196f;  // tan 3 degrees
constexpr float kFirstRunLength = 160.0f;
constexpr float kFurtherRunLength = 320.0f;
// Rebuild (array form): the turn that separates curves from corners, the sampling's angle
// tolerance, and the distance tolerance (also: points closer than this count as one).
constexpr double kCurveTurnTangent = 0.36397023426620234;  // tan 20 degrees
constexpr float kArrayAngle = 0.034906585f;
constexpr float kArrayTolerance = 0.01f;
// Distance tolerance of the array form's sampling, units.
constexpr float kArraySampling = 1.0f;

// The signed angle from u to v in (-π, π]; 0 when both products vanish. For an obtuse angle
// the acute asin value is mirrored into the half plane it belongs to: π - θ above, -π - θ
// below, as CFloatPoint::CalAngleByDir does.
double SignedAngle(const CFloatPoint& u, const CFloatPoint& v)
{
    double cross = u.x * v.y - u.y * v.x, dot = u.x * v.x + u.y * v.y;
    if (cross == 0.0 && dot == 0.0) return 0.0;
    double theta = std::asin(cross / std::sqrt(cross * cross + dot * dot));
    if (dot >= 0.0) return theta;
    return theta >= 0.0 ? kPi - theta : -kPi - theta;
}

// The turn at p[b] between the segments a -> b and b -> c: (dot, cross).
void TurnAt(const std::vector<CFloatPoint>& p, size_t a, size_t b, size_t c, double& dot, double& cross)
{
    CFloatPoint u = p[b] - p[a], v = p[c] - p[b];
    dot = u.x * v.x + u.y * v.y;
    cross = u.x * v.y - u.y * v.x;
}

// Appends q as the next point of out's current sub-polyline (a new one when first).
void AddTo(PlotShape& out, const CFloatPoint& q, bool first)
{
    out.AddPoint(static_cast<float>(q.x), static_cast<float>(q.y), first ? 1 : 0);
}

// Keeps the vertices of every sub-polyline of source for which keep(points, last kept index,
// candidate index) holds, the ends always, as one sub-polyline each of out.
template <class Keep>
void ThinOut(const PlotShape& source, PlotShape& out, Keep keep)
{
    out.CopyAttrib(source);
    for (int pl = 0; pl < source.GetPlNum(); ++pl) {
        int32_t n = 0;
        const float* xy = source.GetPl(pl, n);
        std::vector<CFloatPoint> p = preprocess::DistinctPoints(xy, n);
        if (p.empty()) continue;
        AddTo(out, p[0], true);
        size_t kept = 0;
        for (size_t k = 1; k + 1 < p.size(); ++k)
            if (keep(p, kept, k)) {
                AddTo(out, p[k], false);
                kept = k;
            }
        if (p.size() > 1) AddTo(out, p.back(), false);
    }
    out.CalArea();
}

// The points of a clamped cubic B-spline over controls, sampled within lenTol and angTol;
// false when the curve cannot be built or sampled.
bool SampleCurve(const std::vector<CFloatPoint>& controls, float lenTol, float angTol, std::vector<CFloatPoint>& sampled)
{
    CArray<OL_2dFloatPoint> ctl;
    for (const CFloatPoint& q : controls) ctl.Add(OL_2dFloatPoint(static_cast<float>(q.x), static_cast<float>(q.y)));
    OL_BSpline curve;
    if (!curve.CreateByCtlPt(ctl)) return false;
    std::vector<float> records;
    int m = curve.Subdivide(records, lenTol, angTol);
    sampled.clear();
    for (int k = 0; k < m; ++k) sampled.emplace_back(records[4 * k], records[4 * k + 1]);
    if (m < 2) return false;
    // The clamped curve starts and ends on its end control points; they are set exactly so
    // that neighbouring runs still meet.
    sampled.front() = controls.front();
    sampled.back() = controls.back();
    return true;
}

// Appends run (its first point already written) to out: as the sampled curve over it when
// it is a curve that sampling can rebuild, else as it stands.
void AppendRun(PlotShape& out, const std::vector<CFloatPoint>& run, bool curve, float lenTol, float angTol)
{
    std::vector<CFloatPoint> sampled;
    const std::vector<CFloatPoint>& written = curve && SampleCurve(run, lenTol, angTol, sampled) ? sampled : run;
    for (size_t k = 1; k < written.size(); ++k) AddTo(out, written[k], false);
}

double PathLength(const std::vector<CFloatPoint>& run)
{
    double length = 0.0;
    for (size_t k = 1; k < run.size(); ++k) length += (run[k] - run[k - 1]).Length();
    return length;
}

}  // namespace

double PlotShape::PlotToLine(int i, int j, int k) const
{
    // A line through two equal points is that point: the distance is the distance to it.
    return CFloatPoint::PtToLine(Point(i), Point(j), Point(k));
}

double PlotShape::AngleAtVertex(int i, int j, int k) const
{
    return SignedAngle(Point(j) - Point(i), Point(k) - Point(i));
}

double PlotShape::AngleAtVertex1(int i, int j, int k) const
{
    return SignedAngle(Point(j) - Point(i), Point(k) - Point(j));
}

void PlotShape::Slick(PlotShape& out) const
{
    ThinOut(*this, out, [](const std::vector<CFloatPoint>& p, size_t kept, size_t k) {
        const float xy[] = {static_cast<float>(p[kept].x), static_cast<float>(p[kept].y), static_cast<float>(p[k].x),
                            static_cast<float>(p[k].y), static_cast<float>(p[k + 1].x), static_cast<float>(p[k + 1].y)};
        bool gentle = std::fabs(AngleAtVertex(xy, 0, 1, 2)) < kSmoothTurnLimit;
        return !(gentle && CFloatPoint::PtToLine(p[k], p[kept], p[k + 1]) <= kSlickDeviation);
    });
}

void PlotShape::Slick1(PlotShape& out) const
{
    ThinOut(*this, out, [](const std::vector<CFloatPoint>& p, size_t kept, size_t k) {
        bool gentle = std::fabs(CFloatPoint::CalAngleByDir(p[kept], p[k], p[k + 1])) < kSmoothTurnLimit;
        return !(gentle && (p[k] - p[kept]).Length() < kSlick1Spacing);
    });
}

void PlotShape::Slick2(PlotShape& out) const
{
    out.CopyAttrib(*this);
    for (int pl = 0; pl < GetPlNum(); ++pl) {
        int32_t count = 0;
        const float* xy = GetPl(pl, count);
        std::vector<float> p = preprocess::DistinctXY(xy, count);
        const int n = static_cast<int>(p.size() / 2);
        if (n == 0) continue;
        out.AddPoint(p[0], p[1], 1);
        for (int s = 0; s < n - 1;) {
            preprocess::ZigZagChord chord = preprocess::LongestChord(p.data(), n, s, kSlick2Width, kSlick2MinExtent);
            // A chord that bulges out far keeps its farthest vertex as a new start.
            int next = chord.deviation * kSlick2BulgeFactor > kSlick2Width ? chord.farthest : chord.end;
            out.AddPointAtLastPl(p[2 * static_cast<size_t>(next)], p[2 * static_cast<size_t>(next) + 1]);
            s = next;
        }
    }
    out.CalArea();
}

int PlotShape::RebuildBy(int n, const float* pts, float a, float b)
{
    std::vector<CFloatPoint> p = preprocess::DistinctPoints(pts, n);
    if (p.empty()) return 0;
    // Without a usable tolerance or curve segment length nothing is fitted.
    const bool fits = std::isfinite(a) && a > 0.0f && std::isfinite(b) && b > 0.0f;
    AddTo(*this, p[0], true);
    std::vector<CFloatPoint> run{p[0]};
    auto flush = [&]() {
        bool curve = fits && run.size() >= static_cast<size_t>(kMinCurvePoints) && PathLength(run) > kMinCurveTolerances * a;
        AppendRun(*this, run, curve, a, kRebuildAngle);
        run.assign(1, run.back());
    };
    for (size_t k = 1; k < p.size(); ++k) {
        // A segment longer than b is a line of its own between curves.
        if ((p[k] - p[k - 1]).Length() > b) {
            flush();
            AddTo(*this, p[k], false);
            run.assign(1, p[k]);
            continue;
        }
        run.push_back(p[k]);
    }
    flush();
    CalArea();
    int32_t written = 0;
    GetPl(GetPlNum() - 1, written);
    return written;
}

int PlotShape::RebuildByV1(PlotShapeList& out, int n, const float* pts, float a, float b) const
{
    if (!pts || n < 2) return 0;
    std::vector<CFloatPoint> p;
    for (int k = 0; k < n; ++k) p.emplace_back(pts[2 * k], pts[2 * k + 1]);
    // The run uses at least its first segment, so a caller walking on by the result always
    // gets further; it grows while the turns stay under 30 degrees and it stays b long.
    size_t e = 1;
    double length = (p[1] - p[0]).Length();
    bool straight = true;
    while (e + 1 < p.size()) {
        double segment = (p[e + 1] - p[e]).Length();
        if (length + segment > b) break;
        double dot = 0.0, cross = 0.0;
        TurnAt(p, e - 1, e, e + 1, dot, cross);
        // A segment without length has no turn and continues the run.
        if (dot != 0.0 || cross != 0.0) {
            if (dot <= 0.0 || std::fabs(cross / dot) > kRunTurnTangent) break;
            if (std::fabs(cross / dot) > a) straight = false;
        }
        length += segment;
        ++e;
    }
    std::vector<CFloatPoint> run = preprocess::DistinctPoints(pts, static_cast<int32_t>(e + 1));
    auto piece = std::make_unique<PlotShape>();
    piece->CopyAttrib(*this);
    AddTo(*piece, run.front(), true);
    if (straight) {
        if (run.size() > 1) AddTo(*piece, run.back(), false);
    } else {
        AppendRun(*piece, run, run.size() >= static_cast<size_t>(kMinCurvePoints), kV1Tolerance, kV1Angle);
    }
    piece->CalArea();
    out.AddTail(piece.release());
    return static_cast<int>(e);
}

void PlotShape::Rebuild(PlotShapeList& out)
{
    DeleteRepeatPoint();
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (n == 1) {
            // A lone point has no run to rebuild; it is kept as a shape of its own.
            auto* dot = new PlotShape;
            dot->CopyAttrib(*this);
            dot->Append(p, 1);
            out.AddTail(dot);
            return;
        }
        int32_t d = RebuildByV1(out, n, p, kListStraightTangent, kFirstRunLength);
        while (d > 0 && d < n - 1) {
            // Each run starts on the last point of the one before; a run that uses nothing
            // ends the walk rather than repeating it for ever.
            int used = RebuildByV1(out, n - d, p + 2 * d, kListStraightTangent, kFurtherRunLength);
            if (used <= 0) break;
            d += used;
        }
    });
}

int PlotShape::Rebuild(int n, const float* pts, PlotShape& out)
{
    // Points closer than the tolerance (both axes) count as one.
    std::vector<CFloatPoint> p;
    for (int k = 0; pts && k < n; ++k) {
        CFloatPoint q(pts[2 * k], pts[2 * k + 1]);
        if (p.empty() || std::fabs(q.x - p.back().x) >= kArrayTolerance || std::fabs(q.y - p.back().y) >= kArrayTolerance)
            p.push_back(q);
    }
    if (p.empty()) return 0;
    std::vector<float> xy;
    for (const CFloatPoint& q : p) xy.insert(xy.end(), {static_cast<float>(q.x), static_cast<float>(q.y)});
    const int m = static_cast<int>(p.size());
    AddTo(out, p[0], true);
    // Lines are the exactly collinear runs; consecutive lines meeting at a turn under 20
    // degrees form a curve, whose vertices become the control points of its B-spline.
    std::vector<CFloatPoint> run{p[0]};
    int previousStart = -1;
    for (int start = 0; start < m - 1;) {
        int end = GetNextLine(m, xy.data(), start, 0.0f);
        if (previousStart >= 0) {
            double dot = 0.0, cross = 0.0;
            TurnAt(p, static_cast<size_t>(previousStart), static_cast<size_t>(start), static_cast<size_t>(end), dot, cross);
            if (dot <= 0.0 || std::fabs(cross / dot) > kCurveTurnTangent) {
                AppendRun(out, run, run.size() >= static_cast<size_t>(kMinCurvePoints), kArraySampling, kArrayAngle);
                run.assign(1, run.back());
            }
        }
        run.push_back(p[static_cast<size_t>(end)]);
        previousStart = start;
        start = end;
    }
    AppendRun(out, run, run.size() >= static_cast<size_t>(kMinCurvePoints), kArraySampling, kArrayAngle);
    out.CalArea();
    int32_t written = 0;
    out.GetPl(out.GetPlNum() - 1, written);
    return written;
}
