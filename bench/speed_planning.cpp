// Speed planning throughput: a generated job planned path by path as the interpolator does,
// reported as input points per second and motion text bytes per second.
#include "motion/speed_layout.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using Job = std::vector<CArray<CPoint>>;

// Circles of radius 40..8000 units flattened to a chord error of a quarter unit.
Job Circles(int count)
{
    Job job;
    for (int c = 0; c < count; ++c) {
        const double radius = 40.0 + (c * 7919 % 8000);
        const double cx = (c % 50) * 20000.0, cy = (c / 50) * 20000.0;
        const int segments = std::max(8, static_cast<int>(M_PI / std::acos(1.0 - 0.25 / radius)));
        CArray<CPoint> path;
        for (int i = 0; i <= segments; ++i) {
            const double t = 2 * M_PI * i / segments;
            path.Add(CPoint(static_cast<int32_t>(std::lround(cx + radius * std::cos(t))),
                            static_cast<int32_t>(std::lround(cy + radius * std::sin(t)))));
        }
        job.push_back(path);
    }
    return job;
}

// Rectangles with sharp corners, a full stop at each.
Job Rectangles(int count)
{
    Job job;
    for (int r = 0; r < count; ++r) {
        const int32_t x = (r % 100) * 3000, y = (r / 100) * 3000, w = 400 + r % 2000, h = 300 + r % 1500;
        CArray<CPoint> path;
        for (const CPoint& p : {CPoint(x, y), CPoint(x + w, y), CPoint(x + w, y + h), CPoint(x, y + h), CPoint(x, y)})
            path.Add(p);
        job.push_back(path);
    }
    return job;
}

// One polyline of a million points: a wave of short steps, as a traced outline gives.
Job LongPolyline()
{
    CArray<CPoint> path;
    for (int i = 0; i < 1000000; ++i)
        path.Add(CPoint(i * 2, static_cast<int32_t>(std::lround(3000 * std::sin(i * 0.0005) + 40 * std::sin(i * 0.01)))));
    return {path};
}

void Plan(benchmark::State& state, const Job& job)
{
    CSpeedLayout1 planner;
    P_DataBuf out;
    int64_t points = 0, bytes = 0;
    for (auto _ : state) {
        for (const CArray<CPoint>& path : job) {
            planner.SetSpeedConfig(SpeedConfig{});
            planner.Append(path, 0);
            planner.StartFind();
            out.Initialize();
            int64_t steps = 0;
            while (int n = planner.GetNextData_at(out, 0)) steps += n;
            benchmark::DoNotOptimize(steps);
            points += path.GetSize();
            bytes += out.GetDataNum();
        }
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["text_MB/s"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Circles(benchmark::State& state)
{
    static const Job job = Circles(2000);
    Plan(state, job);
}
void BM_Rectangles(benchmark::State& state)
{
    static const Job job = Rectangles(20000);
    Plan(state, job);
}
void BM_MillionPointPolyline(benchmark::State& state)
{
    static const Job job = LongPolyline();
    Plan(state, job);
}

BENCHMARK(BM_Circles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rectangles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionPointPolyline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
