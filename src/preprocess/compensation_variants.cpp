// The earlier knife compensation forms: arc corners about every vertex and the start over-cut.
//
// Method: every vertex whose outgoing segment is long enough gets an arc of the offset radius
// about it, from the incoming direction to the outgoing one; shorter segments keep the vertex.
// Units: plotter units (40 per mm), angles in degrees. Preconditions: none; repeated points
// are passed over.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/point_sequence.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
// Turns below this keep the vertex; arcs step about 1 mm of arc, at most 22.5 degrees.
constexpr double kArcTurnDegrees = 30.0;
constexpr double kMaxStepDegrees = 22.5;
constexpr double kArcStepFactor = 7200.0;
constexpr int kMinArcSteps = 3;
// An arc never has more steps than this, whatever its radius.
constexpr double kMaxArcSteps = 3600.0;
// A vertex gets a corner when the segment after it is at least this many offsets long (|dx| + |dy|).
constexpr double kCornerSegmentFactor = 1.5;

// Appends the arc-corner offset of one sub-polyline to out, starting a new sub-polyline.
void OffsetWithCorners(PlotShape& out, const float* pts, int n, float a, CFloatPoint& dir)
{
    std::vector<CFloatPoint> p = preprocess::DistinctPoints(pts, n);
    if (p.empty()) return;
    if (p.size() == 1) {
        out.AddPoint(static_cast<float>(p[0].x), static_cast<float>(p[0].y), 1);
        return;
    }
    out.AddCompansate(dir, p[0], p[1], a, 1);
    for (size_t k = 1; k + 1 < p.size(); ++k) {
        CFloatPoint incoming = p[k] - p[k - 1], outgoing = p[k + 1] - p[k];
        if (std::fabs(outgoing.x) + std::fabs(outgoing.y) >= kCornerSegmentFactor * a)
            out.AddCompansate(incoming, p[k], p[k + 1], a, 0);
        else
            out.AddPoint(static_cast<float>(p[k].x), static_cast<float>(p[k].y), 0);
    }
    dir = preprocess::Unit(p.back() - p[p.size() - 2], dir);
    CFloatPoint last = p.back() + dir * a;
    out.AddPoint(static_cast<float>(last.x), static_cast<float>(last.y), 0);
}

}  // namespace

void PlotShape::AddCompansate(const CFloatPoint& dir, const CFloatPoint& vertex, const CFloatPoint& next, float radius,
                              int newPl)
{
    CFloatPoint d = next - vertex;
    double dot = dir.x * d.x + dir.y * d.y;
    double cross = dir.x * d.y - dir.y * d.x;
    double turn = dot == 0.0 ? 90.0 : std::atan(std::fabs(cross) / dot) * 180.0 / kPi;
    if (turn < 0.0) turn += 180.0;
    double dirLength = dir.Length();
    // A non-finite radius or direction has no arc; the vertex stands for the corner.
    bool noArc = (dot == 0.0 && cross == 0.0) || !std::isfinite(radius) || !(dirLength > 0.0) || !std::isfinite(dirLength);
    if (noArc || turn < kArcTurnDegrees || 4.0 * radius > std::fabs(d.x) + std::fabs(d.y)) {
        AddPoint(static_cast<float>(vertex.x), static_cast<float>(vertex.y), newPl);
        return;
    }
    double step = std::min(kArcStepFactor / (radius * kPi), kMaxStepDegrees);
    // A huge radius makes a tiny step: the step count is held as the list's corner holds it.
    int steps = static_cast<int>(std::clamp(turn / step + 1.0, static_cast<double>(kMinArcSteps), kMaxArcSteps));
    double angle = (cross < 0.0 ? -turn : turn) / steps * kPi / 180.0;
    double c = std::cos(angle), s = std::sin(angle);
    double wx = radius * dir.x / dirLength, wy = radius * dir.y / dirLength;
    for (int k = 0; k <= steps; ++k) {
        AddPoint(static_cast<float>(vertex.x + wx), static_cast<float>(vertex.y + wy), k == 0 ? newPl : 0);
        double x = wx * c - wy * s;
        wy = wx * s + wy * c;
        wx = x;
    }
}

void PlotShape::WnifeCompensate(PlotShape& out, float offset, CFloatPoint& dir) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) { OffsetWithCorners(out, p, n, offset, dir); });
    out.CalArea();
}

void PlotShape::WnifeCompensate(PlotShapeList& out, float offset, CFloatPoint& dir) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) { WnifeCompensate_sub(out, offset, dir, p, n); });
}

void PlotShape::WnifeCompensate_sub(PlotShapeList& out, float offset, CFloatPoint& dir, const float* pts, int n) const
{
    auto piece = std::make_unique<PlotShape>();
    piece->CopyAttrib(*this);
    OffsetWithCorners(*piece, pts, n, offset, dir);
    piece->CalArea();
    out.AddTail(piece.release());
}

void PlotShape::EndExtend(float length)
{
    int32_t n = 0;
    const float* p = GetPl(0, n);
    if (n < 2) return;
    // Walks the start of the line for the point length along it; a line shorter than
    // length gives its last point.
    double remaining = length;
    for (int32_t k = 1; k < n; ++k) {
        CFloatPoint a(p[2 * k - 2], p[2 * k - 1]), b(p[2 * k], p[2 * k + 1]);
        double seg = (b - a).Length();
        if (seg > remaining) {
            CFloatPoint q = a + (b - a) * (remaining / seg);
            AddPointAtLastPl(static_cast<float>(q.x), static_cast<float>(q.y));
            return;
        }
        remaining -= seg;
    }
    AddPointAtLastPl(p[2 * n - 2], p[2 * n - 1]);
}
