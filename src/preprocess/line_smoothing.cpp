// Line detection and smoothing: folding nearly straight runs, simplifying zig-zag runs of short lines.
//
// Method: MakeLine grows chords greedily from a run start and accepts a vertex while its
// distance from the chord line stays within the tolerance times the cosine of its angle to the
// chord; the interior vertices of an accepted run are overwritten with the run's first point,
// for one DeleteRepeatPoint pass at the end. Slick_new splits a polyline into exactly collinear
// lines; runs of short lines (at most 20 units, 0.5 mm, on the larger axis) that change turning
// side more than once are replaced by Slick3's hull of the zig-zag on the side of its bulge.
//
// Units: plotter units (40 per mm); angles in radians. Preconditions: none.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "platform/cdc.h"
#include "plotmodel/plot_units.h"
#include "preprocess/zigzag_chord.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
// A line at most this long on its larger axis is short.
constexpr double kShortLine = 20.0;
// Slick3: largest distance of a vertex from its chord, smallest chord extent, and the
// deviation below which a chord keeps only its ends.
constexpr double kZigZagWidth = 5.0;
constexpr double kMinChordExtent = 1.0;
constexpr double kMinBulge = 1.0;
// The straightening tolerance of the smoothed shapes and of the level-segment search.
constexpr float kStraightTolerance = 1.0f;
// The unused line tolerance the smoothing passes to GetNextLine.
constexpr float kLineTolerance = 0.01745506562292576f;

struct Vec {
    double x;
    double y;
};

Vec At(const float* p, int k) { return {p[2 * k], p[2 * k + 1]}; }
Vec Diff(const float* p, int to, int from) { return {static_cast<double>(p[2 * to]) - p[2 * from], static_cast<double>(p[2 * to + 1]) - p[2 * from + 1]}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double AbsMaxAxis(Vec v) { return std::max(std::fabs(v.x), std::fabs(v.y)); }

// The vertex tests of the two chord growers.
enum class ChordError { kAngular, kVertical };

// True when every vertex strictly between b and c lies close enough to the chord b -> c.
bool ChordHolds(const float* p, int b, int c, double tol, ChordError error)
{
    Vec K = Diff(p, c, b);
    double k2 = Dot(K, K);
    if (k2 == 0.0) return false;
    double previousDot = 0.0;
    for (int k = b + 1; k < c; ++k) {
        Vec W = Diff(p, k, b);
        double dot = Dot(W, K);
        if (dot > k2 || dot < previousDot) return false;
        previousDot = dot;
        if (error == ChordError::kAngular) {
            double cross = K.x * W.y - K.y * W.x;
            if (std::fabs(CFloatPoint(W.x, W.y).QuickMod() * cross) > tol * dot) return false;
        } else if (K.x == 0.0) {
            // A chord without x extent meets a vertex's vertical only at the chord's own x.
            if (W.x != 0.0) return false;
        } else {
            Vec pb = At(p, b), pk = At(p, k);
            if (std::fabs(pb.y + (pk.x - pb.x) * K.y / K.x - pk.y) > tol) return false;
        }
    }
    return true;
}

// Folds the accepted runs of p in place; the shared body of both MakeLine forms.
int FoldRuns(int n, float* p, float tol, ChordError error)
{
    if (!p || n <= 2) return 0;
    int changed = n == 3 ? 1 : 0;
    for (int b = 0; b + 2 < n;) {
        int c = b + 2;
        // runEnd: the last vertex of the accepted run.
        int runEnd = b + 1;
        while (c < n && ChordHolds(p, b, c, tol, error)) runEnd = c++;
        if (runEnd - b >= 2) {
            for (int k = b + 1; k < runEnd; ++k) {
                p[2 * k] = p[2 * b];
                p[2 * k + 1] = p[2 * b + 1];
            }
            changed = 1;
        }
        b = runEnd;
    }
    return changed;
}

// Calls fold on the points of every sub-polyline; DeleteRepeatPoint when any changed.
template <class Fold>
void FoldEverySubPolyline(PlotShape& s, Fold fold)
{
    int changed = 0;
    for (int pl = 0; pl < s.GetPlNum(); ++pl) {
        int32_t n = 0;
        float* p = s.GetPl(pl, n);
        changed |= fold(n, p);
    }
    if (changed) s.DeleteRepeatPoint();
}

// Appends points from .. to of p to out's last sub-polyline.
void AppendRange(PlotShape& out, const float* p, int from, int to)
{
    if (to >= from) out.Append(to - from + 1, p + 2 * from, 0);
}

}  // namespace

int PlotShape::MakeLine(int n, float* pts, float tol) { return FoldRuns(n, pts, tol, ChordError::kAngular); }

void PlotShape::MakeLine(float tol)
{
    FoldEverySubPolyline(*this, [tol](int32_t n, float* p) { return MakeLine(n, p, tol); });
}

int PlotShape::MakeLineYError(int n, float* pts, float tol) { return FoldRuns(n, pts, tol, ChordError::kVertical); }

void PlotShape::MakeLineYError(float tol)
{
    FoldEverySubPolyline(*this, [tol](int32_t n, float* p) { return MakeLineYError(n, p, tol); });
}

int PlotShape::GetNextLine(int n, const float* pts, int start, float)
{
    if (!pts || start < 0 || start >= n - 1) return -1;
    if (start == n - 2) return n - 1;
    Vec d0 = Diff(pts, start + 1, start);
    int k = start + 2;
    for (; k < n; ++k) {
        Vec seg = Diff(pts, k, k - 1);
        if (Cross(d0, seg) != 0.0 || Dot(d0, seg) < 0.0) break;
    }
    return k - 1;
}

double PlotShape::AngleAtVertex(const float* pts, int a, int b, int c)
{
    Vec d1 = Diff(pts, b, a), d2 = Diff(pts, c, b);
    double dot = Dot(d1, d2), cross = Cross(d1, d2);
    if (dot == 0.0) return cross >= 0.0 ? kPi / 2.0 : -kPi / 2.0;
    double t = std::atan(cross / dot);
    if (dot > 0.0) return t;
    return cross >= 0.0 ? t + kPi : t - kPi;
}

void PlotShape::Slick3(int n, const float* p, PlotShape& out)
{
    if (n <= 0 || !p) return;
    out.AddPoint(p[0], p[1], 1);
    int s = 0;
    while (s < n - 2) {
        preprocess::ZigZagChord chord = preprocess::LongestChord(p, n, s, kZigZagWidth, kMinChordExtent);
        const int f = chord.end, e = chord.farthest;
        const double dev = chord.deviation;
        if (f == s + 1 || dev < kMinBulge) {
            out.AddPointAtLastPl(p[2 * f], p[2 * f + 1]);
            s = f;
            continue;
        }
        double w = AngleAtVertex(p, s, f, e);
        if (w == 0.0) {
            out.AddPointAtLastPl(p[2 * f], p[2 * f + 1]);
            s = f;
            continue;
        }
        // The hull of the zig-zag on the bulge's side, from s to the farthest vertex e.
        for (int g = s; g < e - 1;) {
            int best = -1;
            double bestAngle = 0.0;
            for (int i = g + 1; i <= e - 1; ++i) {
                double angle = AngleAtVertex(p, g, e, i);
                bool onSide = w > 0.0 ? angle > 0.0 && angle >= bestAngle : angle < 0.0 && angle <= bestAngle;
                if (onSide) {
                    bestAngle = angle;
                    best = i;
                }
            }
            if (best < 0) break;
            out.AddPointAtLastPl(p[2 * best], p[2 * best + 1]);
            g = best;
        }
        out.AddPointAtLastPl(p[2 * e], p[2 * e + 1]);
        s = e;
    }
    AppendRange(out, p, s + 1, n - 1);
    out.CalArea();
}

void PlotShape::Slick_new(int n, const float* p, PlotShape& out, structRender*)
{
    if (!p || n <= 0) return;
    // Fewer than two points have no line to walk: they are kept as they are.
    if (n < 2) {
        AppendRange(out, p, 0, n - 1);
        return;
    }
    int b = GetNextLine(n, p, 0, kLineTolerance);
    if (b == n - 1) {
        AppendRange(out, p, 0, n - 1);
        return;
    }
    Vec V = Diff(p, b, 0);
    int previousStart = 0;
    int copied = 0;
    while (b < n - 1) {
        Vec A = V;
        int c = GetNextLine(n, p, b, kLineTolerance);
        V = Diff(p, c, b);
        if (AbsMaxAxis(V) > kShortLine || Dot(A, V) < 0.0) {
            previousStart = b;
            b = c;
            continue;
        }
        // A candidate zig-zag run opens with the short line b -> c.
        int runStart = b, runEnd = c;
        int beforeRun = previousStart;
        double q = AbsMaxAxis(V);
        double side = Cross(A, V);
        int alternations = 0;
        bool reversal = false;
        Vec lineBefore = V;
        int lineBeforeStart = b;
        int start = c;
        while (start < n - 1) {
            int end = GetNextLine(n, p, start, kLineTolerance);
            Vec W = Diff(p, end, start);
            double dot = Dot(lineBefore, W), cross = Cross(lineBefore, W);
            if (dot < 0.0) {
                if (q < kShortLine) runEnd = start;
                reversal = true;
                lineBefore = W;
                lineBeforeStart = start;
                start = end;
                break;
            }
            if ((cross > 0.0 && side < 0.0) || (cross < 0.0 && side > 0.0)) {
                if (q >= kShortLine) break;
                ++alternations;
                q = AbsMaxAxis(W);
                side = cross;
                runEnd = start;
            } else {
                q += AbsMaxAxis(W);
            }
            lineBefore = W;
            lineBeforeStart = start;
            start = end;
        }
        if (!reversal && start >= n - 1 && q < kShortLine) runEnd = n - 1;
        if (alternations > 1) {
            Vec before = Diff(p, runStart, beforeRun);
            if (AbsMaxAxis(before) < kShortLine && beforeRun >= copied) runStart = beforeRun;
            AppendRange(out, p, copied, runStart);
            PlotShape scratch;
            Slick3(runEnd - runStart + 1, p + 2 * runStart, scratch);
            int32_t m = 0;
            const float* simplified = scratch.GetPl(0, m);
            out.Append(m, simplified, 0);
            copied = runEnd;
        }
        // Go on after a reversing line, else from the line at which the run stopped.
        V = lineBefore;
        previousStart = lineBeforeStart;
        b = start;
    }
    AppendRange(out, p, copied, n - 1);
}

void PlotShape::Slick_new(PlotShapeList& out) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        // An empty sub-polyline makes no shape: it would only carry the invalid box on.
        if (n <= 0) return;
        auto* smoothed = new PlotShape;
        smoothed->CopyAttrib(*this);
        Slick_new(n, p, *smoothed, nullptr);
        int32_t count = 0;
        float* q = smoothed->GetPl(0, count);
        MakeLine(smoothed->GetTolPtNum(), q, kStraightTolerance);
        // The joins of the smoothed runs leave points standing twice; they go in any case.
        smoothed->DeleteRepeatPoint();
        smoothed->CalArea();
        out.AddTail(smoothed);
    });
}

void PlotShape::Render(int n, const float* pts, structRender& r)
{
    if (!r.dc || !pts || n <= 0) return;
    auto sx = [&r](float x) { return TruncateToInt32(x * r.scale); };
    auto sy = [&r](float y) { return TruncateToInt32(-(r.scale * (y - r.originY))); };
    r.dc->MoveTo(sx(pts[0]), sy(pts[1]));
    for (int k = 1; k < n; ++k) r.dc->LineTo(sx(pts[2 * k]), sy(pts[2 * k + 1]));
}

int PlotShape::FindVerticalLine(float tanTol, float minLength)
{
    if (!IsClose()) return 0;
    DeleteRepeatPoint();
    for (int before = -1; before != GetTolPtNum();) {
        before = GetTolPtNum();
        MakeLine(kStraightTolerance);
    }
    if (GetTolPtNum() <= 3) return 0;
    int best = -2;
    double bestLength = -1.0;
    // Segments are taken inside sub-polylines only: the step from one sub-polyline's last
    // point to the next one's first is travel, not a line of the shape.
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        int32_t first = static_cast<int32_t>((p - pts_.data()) / 2);
        for (int32_t k = 1; k < n; ++k) {
            Vec d = Diff(p, k, k - 1);
            double length = std::hypot(d.x, d.y);
            if (std::fabs(d.y) < std::fabs(d.x) && std::fabs(d.y / d.x) < tanTol && length >= minLength && length >= bestLength) {
                bestLength = length;
                best = first + k - 1;
            }
        }
    });
    return best;
}

PlotShape* PlotShape::Rebuild(float a, float b, float c, float d) const
{
    auto result = std::make_unique<PlotShape>();
    PlotShapeList smoothed;
    Slick_new(smoothed);
    for (PlotShape* shape = smoothed.HeadShape(); shape; shape = smoothed.ShapeAfter(shape)) {
        PlotShape restarted;
        const PlotShape* line = shape;
        if (shape->IsClose() && d > 0.0f) {
            shape->StartAtVertex(shape->FindVertexAngle(d), &restarted);
            line = &restarted;
        }
        PlotShapeList pieces;
        line->BreakAt(pieces, c);
        bool first = true;
        for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) {
            int32_t n = 0;
            const float* p = piece->GetPl(0, n);
            PlotShape rebuilt;
            if (rebuilt.RebuildBy(n, p, a, b) <= 0) continue;
            // The pieces of one smoothed line share their break vertices: each further piece
            // continues the line without its first point.
            if (first) result->Append(&rebuilt);
            else result->AddAtLast(rebuilt);
            first = false;
        }
    }
    result->CopyAttrib(*this);
    result->CalArea();
    return result.release();
}
