// The earlier knife compensation forms: arc corners, per-chord offsets and stretch scans.
//
// Method: the arc-corner forms give every vertex whose outgoing segment is long enough an arc
// of the offset radius about it, from the incoming direction to the outgoing one; shorter
// segments keep the vertex. The chord forms cut offset points and hand sharp turns to
// turning pieces (MauIndex 130) that swing the knife about the vertex: per chord of at least
// one offset (_cut), by the shared chord walk (_cut1), or per stretch found by ScanCrv (_cut2).
// Units: plotter units (40 per mm); AddCompansate's angles in degrees, others in radians.
// Preconditions: none; repeated points are passed over, negative or non-finite offsets
// count as 0.
#include "preprocess/compensation_variants.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/chord_compensation.h"
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
// _cut: a chord turning less than this from the knife direction is cut without a turn.
constexpr double kChordTurn = 0.3490658503988659;
// _cut1: offset runs take turns up to this while cutting.
constexpr double kOffsetRunTurn = kPi / 4.0;
// _cut2: a stretch needs a turning piece above the large turn, or above the small one when it
// is longer than the factor times the offset.
constexpr double kStretchSmallTurn = kPi / 6.0;
constexpr double kStretchLargeTurn = kPi / 4.0;
constexpr double kLongStretchFactor = 2.5;
// ScanCrv: how far a vertex may fall back along or off the chord and still count as on it.
constexpr double kScanTolerance = 1e-6;

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

// Builds the pieces of the chord forms: cut pieces with the source's attributes, turning
// pieces that swing the knife about a vertex.
class PieceWriter {
public:
    PieceWriter(const PlotShape& source, PlotShapeList& out) : source_(source), out_(out) {}

    void StartCut(const CFloatPoint& q)
    {
        piece_ = std::make_unique<PlotShape>();
        piece_->CopyAttrib(source_);
        Add(q);
    }
    // Appends q unless the piece already ends there (an offset point along an unchanged
    // direction is the point written before).
    void Add(const CFloatPoint& q)
    {
        CFloatPoint last;
        if (piece_->GetLastPt(last) && last == CFloatPoint(static_cast<float>(q.x), static_cast<float>(q.y))) return;
        piece_->AddPointAtLastPl(static_cast<float>(q.x), static_cast<float>(q.y));
    }
    // Hands the current cut piece over when it holds at least minPoints points; else drops it
    // (a piece that only stands where the turning piece after it starts).
    void FinishCut(int minPoints = 2)
    {
        if (piece_ && piece_->GetTolPtNum() >= minPoints) {
            piece_->CalArea();
            out_.AddTail(piece_.release());
        }
        piece_.reset();
    }
    // Ends the cut piece and swings the knife about vertex from dir to v: the turning piece
    // starts where the cut piece stopped and ends at the vertex's offset point along v; dir
    // becomes unit(v), and a new cut piece starts there.
    void TurnAbout(const CFloatPoint& vertex, CFloatPoint& dir, const CFloatPoint& v, double a)
    {
        CFloatPoint from;
        if (!piece_->GetLastPt(from)) from = vertex + dir * a;
        FinishCut();
        auto turn = std::make_unique<PlotShape>();
        turn->AddPointAtLastPl(static_cast<float>(from.x), static_cast<float>(from.y));
        turn->CalCompensateArc(vertex, dir, v, static_cast<float>(a));
        dir = preprocess::Unit(v, dir);
        CFloatPoint to = vertex + dir * a;
        turn->AddPointAtLastPl(static_cast<float>(to.x), static_cast<float>(to.y));
        turn->SetMauIndex(CutModeIndex::kFourthDepth);
        turn->CalArea();
        out_.AddTail(turn.release());
        StartCut(to);
    }

private:
    const PlotShape& source_;
    PlotShapeList& out_;
    std::unique_ptr<PlotShape> piece_;
};

// The points of every sub-polyline of source without repeats, one call of f per sub-polyline.
template <class F>
void ForEachDistinctPl(const PlotShape& source, F f)
{
    for (int pl = 0; pl < source.GetPlNum(); ++pl) {
        int32_t n = 0;
        const float* xy = source.GetPl(pl, n);
        std::vector<CFloatPoint> p = preprocess::DistinctPoints(xy, n);
        if (!p.empty()) f(p);
    }
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

void PlotShape::WnifeCompensate_cut(PlotShapeList& out, float offset, CFloatPoint& dir)
{
    DeleteRepeatPoint();
    const double a = preprocess::NonNegative(offset);
    dir = preprocess::Unit(dir, CFloatPoint(1.0, 0.0));
    PieceWriter writer(*this, out);
    ForEachDistinctPl(*this, [&](const std::vector<CFloatPoint>& p) {
        const int n = static_cast<int>(p.size());
        auto at = [&p](int k) -> const CFloatPoint& { return p[static_cast<size_t>(k)]; };
        writer.StartCut(at(0) + dir * a);
        for (int s = 0; s < n - 1;) {
            // The chord runs to the first vertex at least one offset away (or the last one).
            int e = s + 1;
            while (e < n - 1 && (at(e) - at(s)).Length() < a) ++e;
            CFloatPoint v = at(e) - at(s);
            if (std::fabs(CFloatPoint::CalAngle(dir, v)) < kChordTurn) {
                dir = preprocess::Unit(v, dir);
                writer.Add(at(s) + dir * a);
            } else {
                // The blade first reaches the vertex, then the knife swings about it.
                if (s > 0) writer.Add(at(s) + dir * a);
                writer.TurnAbout(at(s), dir, v, a);
            }
            writer.Add(at(e));
            s = e;
        }
        // The blade, one offset behind the holder, catches up with the last point. A lone
        // point stays a piece of its own offset point.
        if (n > 1) writer.Add(at(n - 1) + dir * a);
        writer.FinishCut(n > 1 ? 2 : 1);
    });
}

void PlotShape::WnifeCompensate_cut1(PlotShapeList& out, float offset, CFloatPoint& dir) const
{
    preprocess::ChordWalkOptions options;
    options.arcEntryPoint = false;
    options.offsetRunCornerAngle = kOffsetRunTurn;
    preprocess::CompensateByChords(*this, out, offset, dir, options);
}

void PlotShape::WnifeCompensate_cut2(PlotShapeList& out, float offset, CFloatPoint& dir) const
{
    const double a = preprocess::NonNegative(offset);
    dir = preprocess::Unit(dir, CFloatPoint(1.0, 0.0));
    PieceWriter writer(*this, out);
    ForEachDistinctPl(*this, [&](const std::vector<CFloatPoint>& p) {
        auto at = [&p](int k) -> const CFloatPoint& { return p[static_cast<size_t>(k)]; };
        std::vector<float> xy;
        xy.reserve(2 * p.size());
        for (const CFloatPoint& q : p) xy.insert(xy.end(), {static_cast<float>(q.x), static_cast<float>(q.y)});
        writer.StartCut(at(0) + dir * a);
        CRV_TYPE crv;
        crv.offset = static_cast<float>(a);
        crv.points = xy.data();
        crv.count = static_cast<int32_t>(p.size());
        while (ScanCrv(crv)) {
            const int s = crv.start, e = crv.end;
            CFloatPoint v = crv.kind == kCrvCurved ? at(s + 1) - at(s) : at(e) - at(s);
            double turn = std::fabs(CFloatPoint::CalAngle(dir, v));
            if (turn > kStretchLargeTurn || (turn > kStretchSmallTurn && crv.length > kLongStretchFactor * a))
                writer.TurnAbout(at(s), dir, v, a);
            // Every vertex as its offset point along the segment that reaches it.
            for (int k = s + 1; k <= e; ++k) {
                dir = preprocess::Unit(at(k) - at(k - 1), dir);
                writer.Add(at(k) + dir * a);
            }
            crv.start = e;
        }
        writer.FinishCut(p.size() > 1 ? 2 : 1);
    });
}

int PlotShape::ScanCrv(CRV_TYPE& crv)
{
    const int s = crv.start;
    if (!crv.points || s < 0 || s >= crv.count - 1) return 0;
    const float* p = crv.points;
    auto at = [p](int k) { return CFloatPoint(p[2 * k], p[2 * k + 1]); };
    const double a = preprocess::NonNegative(crv.offset);
    const double first = (at(s + 1) - at(s)).Length();
    crv.end = s + 1;
    crv.length = static_cast<float>(first);
    if (s + 1 == crv.count - 1) {
        crv.kind = kCrvLastSegment;
        return 1;
    }
    if (first > 2.0 * a) {
        crv.kind = kCrvLongSegment;
        return 1;
    }
    // Grows the chord from the start over the following vertices while it stays up to two
    // offsets long and the skipped vertices progress along it.
    double deviation = 0.0;
    for (int e = s + 2; e < crv.count; ++e) {
        CFloatPoint d = at(e) - at(s);
        double D = d.Length();
        if (!(D > 0.0)) break;
        CFloatPoint u = d * (1.0 / D);
        double previousAlong = 0.0, farthest = 0.0;
        bool onChord = true;
        for (int k = s + 1; k < e && onChord; ++k) {
            CFloatPoint w = at(k) - at(s);
            double along = u.x * w.x + u.y * w.y;
            onChord = along >= previousAlong - kScanTolerance && along <= D + kScanTolerance;
            previousAlong = along;
            farthest = std::max(farthest, std::fabs(u.x * w.y - u.y * w.x));
        }
        if (!onChord) break;
        crv.end = e;
        crv.length = static_cast<float>(D);
        deviation = farthest;
        if (D > 2.0 * a) break;
    }
    crv.kind = deviation > kScanTolerance ? kCrvCurved : kCrvStraight;
    return 1;
}
