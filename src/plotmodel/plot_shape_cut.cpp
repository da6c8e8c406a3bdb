// PlotShape cuts at vertical and horizontal lines, scan-line crossings and inside tests.
//
// Coordinates are float plotter units; the cutting lines lie at integer coordinates. A point
// exactly on a line belongs to the side the polyline is on; a sub-polyline lying wholly on
// the line counts as lying on its high side (right of a vertical line, above a horizontal one).
#include "plotmodel/plot_shape.h"

#include "plotmodel/loop_scan_index.h"

#include "plotmodel/plot_shape_list.h"

#include <algorithm>
#include <cmath>

namespace {

// Within this distance a point counts as lying on a crossing of the boundary.
constexpr double kOnBoundary = 0.001;
// Within this distance an end of an unbroken shape counts as lying on the middle line.
constexpr double kOnMiddleLine = 0.01;

// IsInCrossings over sorted crossings: inside when an odd number of them lie below p, or on
// the boundary when the crossing above or below it is within reach.
int IsInSortedCrossings(const CFloatPoint& p, const CArray<float>& ys, int count)
{
    int below = 0;
    while (below < count && ys[below] < p.y) ++below;
    if (below % 2 == 1) return 1;
    if (below < count && std::fabs(ys[below] - p.y) <= kOnBoundary) return 1;
    if (below > 0 && std::fabs(ys[below - 1] - p.y) <= kOnBoundary) return 1;
    return 0;
}

// IsInsideCrossings over the loop's sorted crossings: each y of inner (sorted) is one of them,
// or has an odd number of them at or below it.
int IsInsideSortedCrossings(std::span<const float> inner, std::span<const float> outer)
{
    const size_t n = outer.size();
    if (outer[0] > inner[0] || outer[n - 1] < inner.back()) return 0;
    for (float y : inner) {
        if (std::find(outer.begin(), outer.end(), y) != outer.end()) continue;
        const size_t above = static_cast<size_t>(std::upper_bound(outer.begin(), outer.end(), y) - outer.begin());
        if (above >= n || above % 2 != 1) return 0;
    }
    return 1;
}

}  // namespace

void PlotShape::CutByVLine(const float* pts, int32_t n, int32_t c, PlotShapeList* left, PlotShapeList* right) const
{
    CutAtLine(pts, n, c, 0, left, right);
}

void PlotShape::CutByHLine(const float* pts, int32_t n, int32_t c, PlotShapeList* below, PlotShapeList* above) const
{
    CutAtLine(pts, n, c, 1, below, above);
}

void PlotShape::CutAtLine(const float* pts, int32_t n, int32_t c, int axis, PlotShapeList* low, PlotShapeList* high) const
{
    if (n <= 0) return;
    const int other = 1 - axis;
    const float line = static_cast<float>(c);
    auto at = [&](int32_t k, int ax) { return pts[2 * k + ax]; };
    int32_t firstOff = 0;
    while (firstOff < n && at(firstOff, axis) == line) ++firstOff;
    bool lowSide = firstOff < n && at(firstOff, axis) < line;

    auto newPiece = [this]() {
        auto* piece = new PlotShape;
        piece->CopyAttrib(*this);
        return piece;
    };
    auto finish = [&](PlotShape* piece, bool onLow) {
        PlotShapeList* target = onLow ? low : high;
        if (!target || piece->GetTolPtNum() == 0) {
            delete piece;
            return;
        }
        piece->CalArea();
        target->AddTail(piece);
    };
    auto addPoint = [axis](PlotShape* piece, float along, float across) {
        if (axis == 0)
            piece->AddPointAtLastPl(along, across);
        else
            piece->AddPointAtLastPl(across, along);
    };

    PlotShape* piece = newPiece();
    int32_t last = std::min(firstOff, n - 1);
    for (int32_t k = 0; k <= last; ++k) addPoint(piece, at(k, axis), at(k, other));
    for (int32_t k = last + 1; k < n; ++k) {
        float v = at(k, axis);
        bool crosses = lowSide ? v > line : v < line;
        if (crosses) {
            float v0 = at(k - 1, axis), w0 = at(k - 1, other), w1 = at(k, other);
            float w = w0 + (w1 - w0) * (line - v0) / (v - v0);
            addPoint(piece, line, w);
            finish(piece, lowSide);
            piece = newPiece();
            addPoint(piece, line, w);
            lowSide = !lowSide;
        }
        addPoint(piece, v, at(k, other));
    }
    finish(piece, lowSide);
}

void PlotShape::CutShapeAtLine(int32_t c, int axis, PlotShapeList* low, PlotShapeList* high) const
{
    if (ptNum_ <= 0) return;
    int32_t lowEdge = axis == 0 ? area_.xmin : area_.ymin;
    int32_t highEdge = axis == 0 ? area_.xmax : area_.ymax;
    if (c >= highEdge) {
        if (low) low->AddTail(NewCopy());
        return;
    }
    if (c <= lowEdge) {
        if (high) high->AddTail(NewCopy());
        return;
    }
    ForEachPl([&](const float* p, int32_t n, int32_t) { CutAtLine(p, n, c, axis, low, high); });
}

void PlotShape::CutByVLine(int32_t x, PlotShapeList* left, PlotShapeList* right) const
{
    CutShapeAtLine(x, 0, left, right);
}

void PlotShape::CutByHLine(int32_t y, PlotShapeList* below, PlotShapeList* above) const
{
    CutShapeAtLine(y, 1, below, above);
}

void PlotShape::CalIntersect(const float* pts, int32_t n, float x, CArray<float>& ys)
{
    int32_t firstOff = 0;
    while (firstOff < n && pts[2 * firstOff] == x) ++firstOff;
    if (firstOff >= n) return;
    const bool firstLeft = pts[2 * firstOff] < x;
    bool left = firstLeft;
    for (int32_t k = firstOff + 1; k < n; ++k) {
        float xk = pts[2 * k];
        if (xk == x || (xk < x) == left) continue;
        float x0 = pts[2 * k - 2], y0 = pts[2 * k - 1], y1 = pts[2 * k + 1];
        ys.Add(y0 + (y1 - y0) * (x - x0) / (xk - x0));
        left = !left;
    }
    // A line that starts on the scan line and comes back from the other side crosses there.
    if (firstOff > 0 && left != firstLeft) ys.Add(pts[2 * firstOff - 1]);
}

int PlotShape::CalIntersect(float x, CArray<float>& ys) const
{
    const int count = CalCrossings(x, ys);
    if (count > 0) std::sort(ys.begin(), ys.end());
    return count;
}

int PlotShape::CalCrossings(float x, CArray<float>& ys) const
{
    if (ptNum_ <= 0 || x < area_.xmin || x > area_.xmax) return -1;
    ys.RemoveAll();
    ForEachPl([&](const float* p, int32_t n, int32_t) { CalIntersect(p, n, x, ys); });
    return ys.GetSize();
}

int PlotShape::PtIsInLoop(const CFloatPoint& p) const
{
    CArray<float> ys;
    const int count = CalCrossings(static_cast<float>(p.x), ys);
    return IsInCrossings(p, ys, count);
}

int PlotShape::PtIsInLoop(const CFloatPoint& p, const LoopScanIndex& self) const
{
    CArray<float> ys;
    const int count = self.CalCrossings(static_cast<float>(p.x), ys);
    return IsInCrossings(p, ys, count);
}

int PlotShape::IsInCrossings(const CFloatPoint& p, CArray<float>& ys, int count)
{
    if (count <= 0) return 0;
    if (std::any_of(ys.begin(), ys.end(), [](float v) { return std::isnan(v); })) {
        std::sort(ys.begin(), ys.end());
        return IsInSortedCrossings(p, ys, count);
    }
    // Without a NaN the sorted crossings below p are those less than p.y, and the crossings
    // next to it are the least of the others and the greatest of those: one pass.
    int below = 0;
    const float* next = nullptr;
    const float* under = nullptr;
    for (const float& v : ys) {
        if (v < p.y) {
            ++below;
            if (!under || v > *under) under = &v;
        } else if (!next || v < *next) {
            next = &v;
        }
    }
    if (below % 2 == 1) return 1;
    if (next && std::fabs(*next - p.y) <= kOnBoundary) return 1;
    if (under && std::fabs(*under - p.y) <= kOnBoundary) return 1;
    return 0;
}

int PlotShape::IsInLoop(const PlotShape* loop) const
{
    if (!loop || ptNum_ <= 0) return 0;
    CArray<float> outer, inner;
    loop->CalCrossings(LoopTestX(), outer);
    LoopTestCrossings(inner);
    return IsInsideCrossings({inner.GetData(), static_cast<size_t>(inner.GetSize())},
                             {outer.GetData(), static_cast<size_t>(outer.GetSize())});
}

float PlotShape::LoopTestX() const { return static_cast<float>((static_cast<double>(area_.xmin) + area_.xmax) / 2.0); }

void PlotShape::LoopTestCrossings(CArray<float>& ys) const
{
    ys.RemoveAll();
    if (ptNum_ <= 0) return;
    CalIntersect(LoopTestX(), ys);
    if (!ys.IsEmpty()) return;
    OL_Box box;
    CalBox(box);
    double middle = (box.xmin + box.xmax) / 2.0;
    for (CFloatPoint end : {Start(), End()})
        if (std::fabs(end.x - middle) <= kOnMiddleLine) ys.Add(static_cast<float>(end.y));
    std::sort(ys.begin(), ys.end());
}

int PlotShape::IsInsideCrossings(std::span<const float> inner, std::span<float> outer)
{
    if (inner.empty()) return 0;
    const size_t n = outer.size();
    if (n == 0 || n % 2 != 0) return 0;
    const auto isNan = [](float v) { return std::isnan(v); };
    if (std::any_of(outer.begin(), outer.end(), isNan) || std::any_of(inner.begin(), inner.end(), isNan)) {
        std::sort(outer.begin(), outer.end());
        return IsInsideSortedCrossings(inner, outer);
    }
    // Without a NaN the sorted crossings' first and last are the least and the greatest, and
    // those at or below a y not among them are those below it: one pass per inner y.
    const auto [least, greatest] = std::minmax_element(outer.begin(), outer.end());
    if (*least > inner.front() || *greatest < inner.back()) return 0;
    for (float y : inner) {
        size_t below = 0;
        bool on = false;
        for (float v : outer) {
            on = on || v == y;
            below += v < y ? 1 : 0;
        }
        if (!on && (below >= n || below % 2 != 1)) return 0;
    }
    return 1;
}
