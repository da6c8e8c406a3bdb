// Preview painting speed: a job of 1,000,000 segments (10,000 closed shapes of 100 segments,
// pens 1-8, 2000 × 1000 mm) painted by the preview's paint function into a 1920 × 1080 image,
// fitted and zoomed ×10 about the centre. "Batched" draws each sub-polyline as one batch of
// lines (the preview's way); "PerSegment" draws the same lines one LineTo at a time.
#include "platform/cdc_painter.h"
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_cut_list.h"
#include "plotmodel/render_context.h"
#include "ui/preview_paint.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kShapes = 10000;
constexpr int kSegments = 100;
constexpr int kWidthPx = 1920;
constexpr int kHeightPx = 1080;
constexpr double kPi = 3.14159265358979323846;

// 100 rows × 100 columns of closed 100-gons over 80000 × 40000 plotter units.
const PlotShapeCutList& BenchJob()
{
    static const std::unique_ptr<PlotShapeCutList> job = [] {
        auto list = std::make_unique<PlotShapeCutList>();
        std::vector<float> pts(2 * (kSegments + 1));
        for (int i = 0; i < kShapes; ++i) {
            const double cx = 400.0 + 800.0 * (i % 100), cy = 200.0 + 400.0 * (i / 100);
            for (int k = 0; k <= kSegments; ++k) {
                const double a = 2 * kPi * (k % kSegments) / kSegments;
                pts[2 * k] = static_cast<float>(cx + 380.0 * std::cos(a));
                pts[2 * k + 1] = static_cast<float>(cy + 190.0 * std::sin(a));
            }
            auto* s = new PlotShape;
            s->Append(pts.data(), kSegments + 1);
            s->SetPenIndex(1 + i % 8);
            list->AddTail(s);
        }
        list->CalArea(1);
        return list;
    }();
    return *job;
}

PreviewPicture Picture(double zoom)
{
    PreviewPicture p;
    p.shownList = &BenchJob();
    FitJobToView(p.mapping, BenchJob().GetArea(), kWidthPx, kHeightPx);
    if (zoom != 1.0) ZoomAt(p.mapping, zoom, BenchJob().GetArea().Height(), {kWidthPx / 2.0, kHeightPx / 2.0});
    for (int i = 0; i < kPreviewPenCount; ++i) p.penColours[static_cast<size_t>(i)] = RGB(20 * i, 255 - 20 * i, 128);
    p.clientWidth = kWidthPx;
    return p;
}

void Batched(benchmark::State& state, double zoom)
{
    const PreviewPicture picture = Picture(zoom);
    QImage image(kWidthPx, kHeightPx, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        CPainterDC dc(&painter);
        PaintPreview(dc, picture);
    }
    state.counters["segments"] = kShapes * kSegments;
}

void PerSegment(benchmark::State& state, double zoom)
{
    const PreviewPicture picture = Picture(zoom);
    QImage image(kWidthPx, kHeightPx, QImage::Format_RGB32);
    std::vector<std::unique_ptr<CPen>> pens;
    for (COLORREF c : picture.penColours) pens.push_back(std::make_unique<CPen>(PS_SOLID, 1, c));
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        CPainterDC dc(&painter);
        dc.SetWindowOrg(PreviewWindowOrg(picture.mapping));
        structRender r;
        r.dc = &dc;
        r.scale = picture.mapping.scalePxPerUnit;
        r.originY = BenchJob().GetArea().Height();
        for (PlotShape* s = BenchJob().HeadShape(); s; s = BenchJob().ShapeAfter(s)) {
            dc.SelectObject(pens[static_cast<size_t>(s->GetPenIndex() - 1)].get());
            for (int i = 0; i < s->GetPlNum(); ++i) {
                int32_t n = 0;
                const float* p = s->GetPl(i, n);
                PlotShape::Render(n, p, r);
            }
        }
    }
    state.counters["segments"] = kShapes * kSegments;
}

BENCHMARK_CAPTURE(Batched, Fit, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Batched, Zoom10, 10.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerSegment, Fit, 1.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PerSegment, Zoom10, 10.0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
