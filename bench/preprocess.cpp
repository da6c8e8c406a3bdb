// Cut-job preprocessing throughput: smoothing, B-spline fitting and knife compensation of a
// generated job, alone and chained as the dispatcher runs them, in input points per second.
//
// Arguments: total input points and points per jittery curve. The job mixes jittery integer
// curves (a wave with one-unit noise, steps of 1 to 3 units), rectangles and small loops
// (circles of 2.5 mm, which take the small-hole path).
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "preprocess/path_analysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

// Appends shapes to job until it holds about total points.
void MakeJob(PlotShapeList& job, int64_t total, int perCurve)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> noise(-1, 1), step(1, 3);
    int64_t points = 0;
    for (int group = 0; points < total; ++group) {
        const float ox = static_cast<float>((group % 100) * 12000), oy = static_cast<float>((group / 100) * 12000);
        auto* curve = new PlotShape;
        float x = ox;
        for (int k = 0; k < perCurve; ++k) {
            x += static_cast<float>(step(rng));
            float y = oy + std::round(800.0f * std::sin((x - ox) / 300.0f)) + static_cast<float>(noise(rng));
            curve->AddPoint(x, y, k == 0 ? 1 : 0);
        }
        auto* rect = new PlotShape;
        const float corners[] = {0, 0, 0, 2000, 3000, 2000, 3000, 0, 0, 0};
        for (int k = 0; k < 5; ++k) rect->AddPoint(ox + corners[2 * k], oy + 2500.0f + corners[2 * k + 1], k == 0 ? 1 : 0);
        auto* loop = new PlotShape;
        loop->CreateCircle(2.5f);
        loop->Move(ox + 5000.0f, oy + 5000.0f);
        for (PlotShape* s : {curve, rect, loop}) {
            s->SetMauIndex(CutModeIndex::kCut);
            s->CalArea();
            points += s->GetTolPtNum();
            job.AddTail(s);
        }
    }
}

int64_t CountPoints(const PlotShapeList& list)
{
    int64_t n = 0;
    for (PlotShape* s = list.HeadShape(); s; s = list.ShapeAfter(s)) n += s->GetTolPtNum();
    return n;
}

void Smooth(PlotShapeList& job, PlotShapeList& out)
{
    for (PlotShape* s = job.HeadShape(); s; s = job.ShapeAfter(s)) {
        s->MakeLine(1.0f);
        s->Slick_new(out);
    }
}

void Fit(PlotShapeList& job, PlotShapeList& out)
{
    for (PlotShape* s = job.HeadShape(); s; s = job.ShapeAfter(s)) {
        s->DeleteRepeatPoint();
        BsplineFit(s, &out);
    }
}

void Compensate(PlotShapeList& job) { job.ProKnifeCompensate(20.0f, 0.5f, 0.5f); }

enum class Stage { kSmooth, kFit, kCompensate, kChain };

void Run(benchmark::State& state, Stage stage)
{
    PlotShapeList source;
    MakeJob(source, state.range(0), static_cast<int>(state.range(1)));
    const int64_t inputPoints = CountPoints(source);
    int64_t outputShapes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PlotShapeList job;
        job = source;
        PlotShapeList smoothed, fitted;
        state.ResumeTiming();
        switch (stage) {
        case Stage::kSmooth: Smooth(job, smoothed); break;
        case Stage::kFit: Fit(job, fitted); break;
        case Stage::kCompensate: Compensate(job); break;
        case Stage::kChain:
            Smooth(job, smoothed);
            Fit(smoothed, fitted);
            Compensate(fitted);
            break;
        }
        benchmark::DoNotOptimize(fitted.Count() + smoothed.Count() + job.Count());
        state.PauseTiming();
        outputShapes = stage == Stage::kSmooth ? smoothed.Count() : stage == Stage::kCompensate ? job.Count() : fitted.Count();
        // The lists are freed outside the timed part.
        job.Clear();
        smoothed.Clear();
        fitted.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * inputPoints);
    state.counters["points"] = static_cast<double>(inputPoints);
    state.counters["shapesOut"] = static_cast<double>(outputShapes);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Args({250000, 1000})->Args({1000000, 1000})->Args({4000000, 1000});
    b->Args({1000000, 100})->Args({1000000, 10000});
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
}

void BM_SmoothMakeLineSlick(benchmark::State& s) { Run(s, Stage::kSmooth); }
void BM_FitDeleteRepeatBspline(benchmark::State& s) { Run(s, Stage::kFit); }
void BM_KnifeCompensate(benchmark::State& s) { Run(s, Stage::kCompensate); }
void BM_Chain(benchmark::State& s) { Run(s, Stage::kChain); }

BENCHMARK(BM_SmoothMakeLineSlick)->Apply(Sizes);
BENCHMARK(BM_FitDeleteRepeatBspline)->Apply(Sizes);
BENCHMARK(BM_KnifeCompensate)->Apply(Sizes);
BENCHMARK(BM_Chain)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
