// Ink-jet raster throughput: a dense 45° hatch 3000 columns wide and 8000 rows high, rendered
// band by band (300 columns each, the default heads) and packed as the link thread packs it.
// The closing note gives the time per band, the output rows per second (bitmap height plus
// head spread, per band) and the packed bytes per band.
#include "machinelink/net_machine.h"
#include "plotmodel/plot_shape_cut_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr float kWidth = 3000;
constexpr float kHeight = 8000;
constexpr float kHatchSpacing = 8;

// Lines y = x - c across the box, every kHatchSpacing along x.
PlotShapeCutList* NewHatch()
{
    auto* list = new PlotShapeCutList;
    for (float c = -kHeight; c < kWidth; c += kHatchSpacing) {
        const float x0 = std::max(c, 0.0f), x1 = std::min(c + kHeight, kWidth);
        auto* s = new PlotShape;
        s->AddPoint(x0, x0 - c, 1);
        s->AddPoint(x1, x1 - c, 0);
        s->CalArea();
        list->AddTail(s);
    }
    return list;
}

struct Totals {
    double seconds = 0;
    int64_t bands = 0;
    int64_t rows = 0;
    int64_t bytes = 0;
} totals;

void BM_PackHatchBands(benchmark::State& state)
{
    NET_Machine machine;
    PARAM_SetData p;
    p.firstList = NewHatch();
    p.secondList = new PlotShapeCutList;
    machine.motionSource.interpolator.SetData(p);
    machine.GetJetInfo(machine.task.headPositions, machine.task.nozzleRanges);
    machine.task.rowStep = machine.GetJetPt();
    // Output rows of a band: the bitmap's rows (the job's height, 50 above, margin and 10
    // below) and the head spread.
    const int64_t rowsPerBand = int64_t{machine.PrintList()->GetArea().ymax} + 50 + machine.jet.margin + 10 +
                                machine.task.headPositions[4];
    uint8_t pack[300];
    for (auto _ : state) {
        machine.jetEndMarker = 1;  // the bands, without the warm-up
        machine.jetStream.Initialize();
        const auto start = std::chrono::steady_clock::now();
        int64_t bytes = 0;
        for (int n; (n = machine.GetNextStrJet(pack, sizeof pack)) > 0;) bytes += n;
        totals.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int64_t bands = machine.jetEndMarker - 1;
        totals.bands += bands;
        totals.rows += bands * rowsPerBand;
        totals.bytes += bytes;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bands"] = static_cast<double>(machine.jetEndMarker - 1);
}

BENCHMARK(BM_PackHatchBands)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (totals.bands > 0) {
        std::printf("jet raster: %.2f ms per band, %.0f rows per second, %.0f packed bytes per band (%lld bands)\n",
                    totals.seconds * 1000.0 / totals.bands, totals.rows / totals.seconds,
                    static_cast<double>(totals.bytes) / totals.bands, static_cast<long long>(totals.bands));
    }
    return 0;
}
