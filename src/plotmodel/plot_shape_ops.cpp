// PlotShape geometry operations: appending runs, repeated points, closure and coincidence,
// restarting closed lines, circles, and splitting at sharp vertices.
//
// Points are float plotter units (40 per mm). A sharp vertex is one where the direction
// turns by 90 degrees or more or by an angle whose tangent exceeds the given tolerance.
#include "plotmodel/plot_shape.h"

#include "plotmodel/plot_shape_list.h"
#include "plotmodel/turn_test.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kHalfPi = std::numbers::pi / 2.0;
// Points closer than this on both axes count as one.
constexpr float kRepeatTolerance = 0.001f;

}  // namespace

void PlotShape::Append(int n, const float* pts, int newPl)
{
    if (n <= 0 || !pts) return;
    if (newPl || plNum_ == 0) {
        if (!CheckPlBuf(1)) return;
        plPtNum_[static_cast<size_t>(plNum_)] = 0;
        ++plNum_;
    }
    AppendPointsToLastPl(pts, n);
}

void PlotShape::Append(const float* pts, int n)
{
    if (!pts || n <= 0) return;
    Append(n, pts, 1);
    CalArea();
}

void PlotShape::Append(int n, const float* xs, const float* ys, int newPl)
{
    if (n <= 0 || !xs || !ys) return;
    std::vector<float> pairs(2 * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        pairs[2 * static_cast<size_t>(i)] = xs[i];
        pairs[2 * static_cast<size_t>(i) + 1] = ys[i];
    }
    Append(n, pairs.data(), newPl);
}

void PlotShape::ReplaceVertex(int i, float x, float y)
{
    if (i < 0 || i >= ptNum_) return;
    pts_[2 * static_cast<size_t>(i)] = x;
    pts_[2 * static_cast<size_t>(i) + 1] = y;
}

void PlotShape::CalBox(OL_Box& box) const
{
    // A shape without points has no first point to start from: the zero box.
    if (ptNum_ <= 0) {
        box.SetRectEmpty();
        return;
    }
    double xmin = pts_[0], xmax = pts_[0], ymin = pts_[1], ymax = pts_[1];
    for (int32_t i = 1; i < ptNum_; ++i) {
        double x = pts_[2 * static_cast<size_t>(i)], y = pts_[2 * static_cast<size_t>(i) + 1];
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    }
    box.xmin = xmin;
    box.xmax = xmax;
    box.ymin = ymin;
    box.ymax = ymax;
}

float PlotShape::LineLength(const float* pts, int i)
{
    float dx = pts[2 * i + 2] - pts[2 * i], dy = pts[2 * i + 3] - pts[2 * i + 1];
    return std::sqrt(dx * dx + dy * dy);
}

int PlotShape::Connect(PlotShape* p, float tol) { return p ? ConnectWithin(*p, tol) : 0; }

void PlotShape::DeleteRepeatPoint()
{
    int32_t keptPl = 0, kept = 0, read = 0;
    for (int32_t pl = 0; pl < plNum_; ++pl) {
        int32_t n = plPtNum_[static_cast<size_t>(pl)];
        int32_t first = kept;
        for (int32_t k = 0; k < n; ++k, ++read) {
            float x = pts_[2 * static_cast<size_t>(read)], y = pts_[2 * static_cast<size_t>(read) + 1];
            if (kept > first) {
                float px = pts_[2 * static_cast<size_t>(kept) - 2], py = pts_[2 * static_cast<size_t>(kept) - 1];
                if (std::fabs(x - px) < kRepeatTolerance && std::fabs(y - py) < kRepeatTolerance) continue;
            }
            pts_[2 * static_cast<size_t>(kept)] = x;
            pts_[2 * static_cast<size_t>(kept) + 1] = y;
            ++kept;
        }
        if (kept > first) plPtNum_[static_cast<size_t>(keptPl++)] = kept - first;
    }
    std::fill(plPtNum_.begin() + keptPl, plPtNum_.begin() + plNum_, 0);
    plNum_ = keptPl;
    ptNum_ = kept;
}

int PlotShape::IsClose(float tol) const
{
    if (ptNum_ <= 3) return 0;
    CFloatPoint first = Start(), last = End();
    return std::fabs(first.x - last.x) <= tol && std::fabs(first.y - last.y) <= tol ? 1 : 0;
}

int PlotShape::IsCoincide(const PlotShape* other, float tol) const
{
    if (!other || other->ptNum_ != ptNum_) return 0;
    for (int32_t i = 0; i < ptNum_; ++i)
        if (!Point(i).IsCloseTo(other->Point(i), tol)) return 0;
    return 1;
}

void PlotShape::StartAtVertex(int k, PlotShape* out) const
{
    if (!out || out == this) return;
    *out = *this;
    int32_t n = ptNum_;
    // Restarting needs one closed sub-polyline and a vertex inside it; otherwise the copy
    // stays as it is rather than reading past the points.
    if (k <= 0 || plNum_ != 1 || k >= n) return;
    const float* p = pts_.data();
    std::vector<float> ring;
    ring.reserve(2 * static_cast<size_t>(n));
    for (int32_t i = k; i < n; ++i) ring.insert(ring.end(), {p[2 * i], p[2 * i + 1]});
    for (int32_t i = 1; i < k; ++i) ring.insert(ring.end(), {p[2 * i], p[2 * i + 1]});
    ring.insert(ring.end(), {p[2 * k], p[2 * k + 1]});
    std::copy(ring.begin(), ring.end(), out->pts_.begin());
}

void PlotShape::StartAtMidVertex(int k, PlotShape* out) const
{
    int32_t n = ptNum_;
    // The segment after vertex k must exist within the points.
    if (!out || out == this || k < 0 || k + 1 >= n) return;
    out->CheckPtBuf(n + 2);
    out->CopyAttrib(*this);
    const float* p = pts_.data();
    float mx = (p[2 * k] + p[2 * k + 2]) / 2.0f, my = (p[2 * k + 1] + p[2 * k + 3]) / 2.0f;
    std::vector<float> ring{mx, my};
    ring.reserve(2 * static_cast<size_t>(n) + 2);
    for (int32_t i = k + 1; i < n; ++i) ring.insert(ring.end(), {p[2 * i], p[2 * i + 1]});
    for (int32_t i = 1; i <= k; ++i) ring.insert(ring.end(), {p[2 * i], p[2 * i + 1]});
    ring.insert(ring.end(), {mx, my});
    out->Append(static_cast<int>(ring.size() / 2), ring.data(), 1);
    out->CalArea();
}

void PlotShape::CreateCircle(float r)
{
    double radius = 40.0 * static_cast<double>(r);
    // 3.2 as the single-precision constant it has always been.
    const double sagittaFactor = static_cast<double>(3.2f);
    int perQuarter = 5;
    // Only a positive radius has a chord count to compute; others keep the minimum.
    if (radius > 0.0) {
        double b = 1.0 + std::trunc(kHalfPi / std::sqrt(sagittaFactor / radius));
        if (b > perQuarter) perQuarter = b < 1e6 ? static_cast<int>(b) : 1000000;
    }
    double step = kHalfPi / perQuarter;
    float R = static_cast<float>(radius);
    AddPointAtLastPl(R, 0.0f);
    for (int k = 1; k < 4 * perQuarter; ++k)
        AddPointAtLastPl(static_cast<float>(radius * std::cos(k * step)), static_cast<float>(radius * std::sin(k * step)));
    AddPointAtLastPl(R, 0.0f);
    CalArea();
}

int PlotShape::IsCircle(float* radius, float tol) const
{
    if (plNum_ != 1 || ptNum_ <= 8) return 0;
    CFloatPoint first = Start(), last = End();
    if (std::fabs(first.x - last.x) > tol || std::fabs(first.y - last.y) > tol) return 0;
    OL_Box box;
    CalBox(box);
    if (std::fabs(box.Height() - box.Width()) > tol) return 0;
    CFloatPoint q = box.Center();
    double r0 = (first - q).Length();
    double low = (r0 - tol) * (r0 - tol), high = (r0 + tol) * (r0 + tol);
    auto inRing = [&](double x, double y) {
        double d2 = (x - q.x) * (x - q.x) + (y - q.y) * (y - q.y);
        return d2 >= low && d2 <= high;
    };
    const float* p = pts_.data();
    for (int32_t i = 0; i < ptNum_; ++i) {
        if (!inRing(p[2 * i], p[2 * i + 1])) return 0;
        if (i + 1 < ptNum_ &&
            !inRing((static_cast<double>(p[2 * i]) + p[2 * i + 2]) / 2.0, (static_cast<double>(p[2 * i + 1]) + p[2 * i + 3]) / 2.0))
            return 0;
    }
    if (radius) *radius = static_cast<float>(r0);
    return 1;
}

int PlotShape::GetNextCurve(int n, const float* pts, int start, float tanTol)
{
    if (start < 0 || start >= n - 1) return -1;
    for (int v = start + 1; v < n - 1; ++v)
        if (IsSharpVertex(pts, v, tanTol)) return v;
    return n - 1;
}

void PlotShape::BreakAtVertex(const float* pts, int n, OL_List& out, float tanTol)
{
    // An empty sub-polyline makes no piece: a shape without points would only carry the
    // invalid box into the orderings that read the pieces' boxes.
    if (n <= 0 || !pts) return;
    // Pieces are made at their size: a sheet broken at its corners has many small ones.
    if (n == 1) {
        auto* piece = new PlotShape;
        piece->ReserveExactly(1, 1);
        piece->Append(pts, 1);
        out.AddTail(piece);
        return;
    }
    for (int start = 0; start < n - 1;) {
        int end = GetNextCurve(n, pts, start, tanTol);
        auto* piece = new PlotShape;
        piece->ReserveExactly(1, end - start + 1);
        piece->Append(pts + 2 * start, end - start + 1);
        out.AddTail(piece);
        start = end;
    }
}

void PlotShape::BreakAtVertex(OL_List& out, float tanTol) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) { BreakAtVertex(p, n, out, tanTol); });
}

void PlotShape::BreakAt(PlotShapeList& out, float tanTol) const
{
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (n <= 0) return;
        PlotShapeList pieces;
        if (n <= 2) {
            auto* piece = new PlotShape;
            piece->ReserveExactly(1, n);
            piece->Append(p, n);
            pieces.AddTail(piece);
        } else {
            BreakAtVertex(p, n, pieces, tanTol);
        }
        for (PlotShape* piece = pieces.HeadShape(); piece; piece = pieces.ShapeAfter(piece)) piece->CopyAttrib(*this);
        out.Append(&pieces);
    });
}

int PlotShape::FindVertexAngle(float tanTol)
{
    if (!IsClose()) return 0;
    DeleteRepeatPoint();
    int32_t n = ptNum_;
    if (n <= 3) return 0;
    const float* p = pts_.data();
    // The closing vertex: from P(n-2) -> P(n-1) on to P0 -> P1.
    if (IsSharpTurn(static_cast<double>(p[2 * n - 2]) - p[2 * n - 4], static_cast<double>(p[2 * n - 1]) - p[2 * n - 3],
                    static_cast<double>(p[2]) - p[0], static_cast<double>(p[3]) - p[1], tanTol))
        return 0;
    for (int v = 1; v < n - 1; ++v)
        if (IsSharpVertex(p, v, tanTol)) return v;
    return 0;
}
