// PlotShape drawing: the preview mapping and the raster mapping with its band stretch.
#include "plotmodel/plot_shape.h"

#include "platform/cdc.h"
#include "plotmodel/plot_units.h"

#include <cmath>
#include <vector>

namespace {

// tan 10°: a segment steeper than this is drawn with the vertical pen.
constexpr double kVerticalPenSlope = 0.17632697763868918;

// The raster row of y (truncated first): stretched inside the bottom and top bands when the band height is set.
int64_t StretchedRow(float y, const structRenderPrint& r)
{
    int64_t iy = TruncateToInt32(y);
    // A band of zero or less width has nothing to stretch: dividing by it is skipped.
    if (r.bottomBand > 0 && iy < r.bottomBand) return iy + (r.bottomBand - iy) * r.bottomStretch / r.bottomBand;
    if (r.topBand > 0 && iy > static_cast<int64_t>(r.height) - r.topBand)
        return iy + (r.topBand + iy - r.height) * r.topStretch / r.topBand;
    return iy;
}

}  // namespace

void PlotShape::Render(structRender& r) const
{
    if (!r.dc) return;
    // Each sub-polyline is one batch of lines; the pen then stands at its last point, as
    // drawing it line by line would leave it.
    thread_local std::vector<CPoint> points;
    auto sx = [&r](float x) { return TruncateToInt32(x * r.scale); };
    auto sy = [&r](float y) { return TruncateToInt32(-(r.scale * (y - r.originY))); };
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (!p || n <= 0) return;
        points.resize(static_cast<size_t>(n));
        for (int32_t k = 0; k < n; ++k) points[static_cast<size_t>(k)] = CPoint(sx(p[2 * k]), sy(p[2 * k + 1]));
        r.dc->Polyline(points.data(), n);
        r.dc->MoveTo(points.back());
    });
}

void PlotShape::RenderPrint(structRenderPrint& r, CPen* pens) const
{
    if (!r.dc) return;
    auto px = [&r](float x) { return TruncateToInt32(x + r.offsetX); };
    auto py = [&r](float y) {
        if (r.height == 0) return TruncateToInt32(y + r.offsetY);
        return TruncateToInt32(static_cast<double>(StretchedRow(y, r)) + r.offsetY);
    };
    int chosen = -1;  // no pen selected by this call yet
    ForEachPl([&](const float* p, int32_t n, int32_t) {
        if (n <= 0) return;
        r.dc->MoveTo(px(p[0]), py(p[1]));
        for (int32_t k = 1; k < n; ++k) {
            if (pens) {
                double dx = static_cast<double>(p[2 * k]) - p[2 * k - 2];
                double dy = static_cast<double>(p[2 * k + 1]) - p[2 * k - 1];
                int pen = dy != 0.0 && std::fabs(dx / dy) < kVerticalPenSlope ? 1 : 0;
                if (pen != chosen) {
                    r.dc->SelectObject(&pens[pen]);
                    chosen = pen;
                }
            }
            r.dc->LineTo(px(p[2 * k]), py(p[2 * k + 1]));
        }
    });
}
