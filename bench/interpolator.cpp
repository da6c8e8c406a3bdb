// Interpolator throughput: a generated large job pumped as the machine link pumps it, through
// the depth-aware generator and through the channel-driven one. Reports motion text bytes per
// second, the worst and 99th-percentile time of one generator call (one call turns a whole
// point group into text, and one link thread serves every machine within its 200 ms tick),
// and a hash of all the text so that an optimisation that changes a byte shows.
#include "motion/interpolate1.h"
#include "motion/machine_motion_params.h"
#include "plotmodel/plot_shape_cut_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// A machine with the record's default speed levels and motion parameters.
class BenchMachine : public MachineMotionParams {
public:
    BenchMachine(int firmware, uint8_t kind) : firmware_(firmware), kind_(kind) {}
    int GetFirmwareVersion() const override { return firmware_; }
    uint8_t GetMachineKind() const override { return kind_; }
    float GetXScale() const override { return 1.0f; }
    float GetYScale() const override { return 1.0f; }
    MotionSpeedLevel GetSpeedLevel(int) const override { return {1000, 40000, 100000, 200000}; }
    int32_t GetMoveAcceleration() const override { return 50000; }
    int32_t GetJerk() const override { return 1500000; }
    std::span<const uint8_t, kExtraBlockBytes> GetExtraBlock() const override { return extra_; }
    int GetTaskJetLevel() const override { return 0; }
    void SetEndWithD100(int32_t) override {}

private:
    int firmware_;
    uint8_t kind_;
    std::array<uint8_t, kExtraBlockBytes> extra_{};
};

void AddShape(PlotShapeCutList& job, const std::vector<std::pair<float, float>>& pts, unsigned char mau)
{
    auto* s = new PlotShape;
    bool first = true;
    for (auto [x, y] : pts) {
        s->AddPoint(x, y, first ? 1 : 0);
        first = false;
    }
    s->CalArea();
    s->SetMauIndex(mau);
    job.AddTail(s);
}

// Rows of knife circles (flattened to a quarter unit), half-cut rectangles, drawn waves,
// MauIndex 130 corners and ink-jet passes, with a few traced outlines of 100000 points each:
// the largest single groups a job hands over.
PlotShapeCutList* NewLargeJob()
{
    auto* job = new PlotShapeCutList;
    for (int c = 0; c < 3000; ++c) {
        const float cx = (c % 60) * 9000.0f, cy = (c / 60) * 9000.0f;
        const double radius = 40.0 + (c * 7919 % 4000);
        const int segments = std::max(8, static_cast<int>(M_PI / std::acos(1.0 - 0.25 / radius)));
        std::vector<std::pair<float, float>> circle;
        for (int i = 0; i <= segments; ++i) {
            const double t = 2 * M_PI * i / segments;
            circle.emplace_back(static_cast<float>(cx + radius * std::cos(t)), static_cast<float>(cy + radius * std::sin(t)));
        }
        AddShape(*job, circle, 2);
        const float w = 300.0f + c % 700, h = 200.0f + c % 500;
        AddShape(*job, {{cx, cy}, {cx + w, cy}, {cx + w, cy + h}, {cx, cy + h}, {cx, cy}}, 5);
        std::vector<std::pair<float, float>> wave;
        for (int i = 0; i < 200; ++i) wave.emplace_back(cx + 4.0f * i, static_cast<float>(cy - 500 + 60 * std::sin(i * 0.1)));
        AddShape(*job, wave, 1);
        AddShape(*job, {{cx + w, cy + h}, {cx + w + 20, cy + h + 15}, {cx + w + 40, cy + h}}, 130);
        if (c % 10 == 0) AddShape(*job, {{cx - 100, cy}, {cx - 100, cy + 6000}}, 99);
    }
    for (int k = 0; k < 4; ++k) {
        std::vector<std::pair<float, float>> outline;
        for (int i = 0; i < 100000; ++i)
            outline.emplace_back(2.0f * i, static_cast<float>(-20000 - 8000 * k + 3000 * std::sin(i * 0.0005) + 40 * std::sin(i * 0.01)));
        AddShape(*job, outline, 2);
    }
    return job;
}

uint64_t Fnv1a(uint64_t h, const uint8_t* data, int n)
{
    for (int i = 0; i < n; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

void Pump(benchmark::State& state, bool magnet)
{
    BenchMachine machine(5, magnet ? 0 : MachineMotionParams::kCuttingMachineBit);
    const PlotShapeCutList* const model = NewLargeJob();
    std::vector<double> callMs;
    int64_t bytes = 0;
    uint64_t hash = 0;
    for (auto _ : state) {
        state.PauseTiming();
        P_Interpolate1 interp;
        interp.machine = &machine;
        PARAM_SetData start;
        start.firstList = new PlotShapeCutList;
        start.secondList = new PlotShapeCutList;
        *start.secondList = *model;
        start.toolDepths[1] = start.toolDepths[3] = 800;
        start.toolDepths[2] = 600;
        interp.SetData(start);
        callMs.clear();
        hash = 14695981039346656037ull;
        P_DataBuf stream;
        state.ResumeTiming();

        for (;;) {
            if (stream.GetLeavingDataNum() == 0) {
                stream.Initialize();
                const auto t0 = std::chrono::steady_clock::now();
                const int r = magnet ? interp.BGetNextData_magnet(stream) : interp.BGetNextData_at(stream);
                callMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
                if (r < 0) break;
                stream.TerminateText();
                continue;
            }
            int n = 300;
            const uint8_t* pack = stream.GetNextGroupData(n);
            hash = Fnv1a(hash, pack, n);
            bytes += n;
        }
    }
    std::sort(callMs.begin(), callMs.end());
    state.SetBytesProcessed(bytes);
    state.counters["calls"] = static_cast<double>(callMs.size());
    state.counters["worst_call_ms"] = callMs.empty() ? 0 : callMs.back();
    state.counters["p99_call_ms"] = callMs.empty() ? 0 : callMs[callMs.size() * 99 / 100];
    char label[32];
    std::snprintf(label, sizeof label, "hash %016llx", static_cast<unsigned long long>(hash));
    state.SetLabel(label);
    delete model;
}

void BM_PumpDepthAware(benchmark::State& state) { Pump(state, false); }
void BM_PumpChannelDriven(benchmark::State& state) { Pump(state, true); }

BENCHMARK(BM_PumpDepthAware)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PumpChannelDriven)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
