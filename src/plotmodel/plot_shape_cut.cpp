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
    if (ptNum_ <= 0 || x < area_.xmin || x > area_.xmax) return -1;
    ys.RemoveAll();
    ForEachPl([&](const float* p, int32_t n, int32_t) { CalIntersect(p, n, x, ys); });
    std::sort(ys.begin(), ys.end());
    return ys.GetSize();
}

int PlotShape::PtIsInLoop(const CFloatPoint& p) const
{
    CArray<float> ys;
    const int count = CalIntersect(static_cast<float>(p.x), ys);
    return IsInCrossings(p, ys, count);
}

int PlotShape::PtIsInLoop(const CFloatPoint& p, const LoopScanIndex& self) const
{
    CArray<float> ys;
    const int count = self.CalIntersect(static_cast<float>(p.x), ys);
    return IsInCrossings(p, ys, count);
}

int PlotShape::IsInCrossings(const CFloatPoint& p, const CArray<float>& ys, int count)
{
    if (count <= 0) return 0;
    int below = 0;
    while (below < count && ys[below] < p.y) ++below;
    if (below % 2 == 1) return 1;
    // On the boundary: within reach of the crossing above or below, where one exists.
    if (below < count && std::fabs(ys[below] - p.y) <= kOnBoundary) return 1;
    if (below > 0 && std::fabs(ys[below - 1] - p.y) <= kOnBoundary) return 1;
    return 0;
}

int PlotShape::IsInLoop(const PlotShape* loop) const
{
    if (!loop || ptNum_ <= 0) return 0;
    const float x = LoopTestX();
    CArray<float> outer;
    loop->CalIntersect(x, outer);
    return IsInsideCrossings(x, outer);
}

int PlotShape::IsInLoop(const LoopScanIndex& loop) const
{
    if (ptNum_ <= 0) return 0;
    const float x = LoopTestX();
    CArray<float> outer;
    loop.CalIntersect(x, outer);
    return IsInsideCrossings(x, outer);
}

float PlotShape::LoopTestX() const { return static_cast<float>((static_cast<double>(area_.xmin) + area_.xmax) / 2.0); }

int PlotShape::IsInsideCrossings(float x, const CArray<float>& outer) const
{
    CArray<float> inner;
    CalIntersect(x, inner);
    if (inner.IsEmpty()) {
        OL_Box box;
        CalBox(box);
        double middle = (box.xmin + box.xmax) / 2.0;
        for (CFloatPoint end : {Start(), End()})
            if (std::fabs(end.x - middle) <= kOnMiddleLine) inner.Add(static_cast<float>(end.y));
        if (inner.IsEmpty()) return 0;
        std::sort(inner.begin(), inner.end());
    }
    int n = outer.GetSize();
    if (n == 0 || n % 2 != 0) return 0;
    if (outer[0] > inner[0] || outer[n - 1] < inner[inner.GetSize() - 1]) return 0;
    for (float y : inner) {
        if (std::find(outer.begin(), outer.end(), y) != outer.end()) continue;
        int above = static_cast<int>(std::upper_bound(outer.begin(), outer.end(), y) - outer.begin());
        if (above >= n || above % 2 != 1) return 0;
    }
    return 1;
}
