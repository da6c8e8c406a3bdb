// Sheet packing of merged job files: the genetic search (population 30, crossover 0.75,
// mutation 0.01, 1000 generations) against widest-first skyline packing, in one run.
//
// The parts are seeded rectangles of 40-400 mm along x and 40-600 mm across a material of
// 1800 mm; 20 and 100 parts. Reported per packing: the time and the utilisation, the boxes'
// area over the used material (L x width); the time ratio of the two comes from one run.
#include "preprocess/sheet_packing.h"
#include "preprocess/sort_rect_genetic_algorithm.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int32_t kWidthMm = 1800;
constexpr int32_t kUnitsPerMm = 40;

// The same seeded parts on every call: lists of one rectangle each, from the origin.
class Parts {
public:
    explicit Parts(int count)
    {
        std::mt19937 random(20261210);
        std::uniform_int_distribution<int32_t> along(40, 400);
        std::uniform_int_distribution<int32_t> across(40, 600);
        for (int k = 0; k < count; ++k) {
            const float w = static_cast<float>(along(random) * kUnitsPerMm);
            const float h = static_cast<float>(across(random) * kUnitsPerMm);
            auto list = std::make_unique<PlotShapeList>();
            auto* shape = new PlotShape;
            shape->AddPoint(0, 0, 1);
            shape->AddPoint(w, 0, 0);
            shape->AddPoint(w, h, 0);
            shape->AddPoint(0, h, 0);
            shape->AddPoint(0, 0, 0);
            shape->CalArea();
            list->AddTail(shape);
            list->CalArea(0);
            areaMm2_ += list->GetArea().Area();
            pointers_.push_back(list.get());
            owned_.push_back(std::move(list));
        }
    }
    PlotShapeList** Lists() { return pointers_.data(); }
    int Count() const { return static_cast<int>(pointers_.size()); }
    double AreaMm2() const { return areaMm2_; }

private:
    std::vector<std::unique_ptr<PlotShapeList>> owned_;
    std::vector<PlotShapeList*> pointers_;
    double areaMm2_ = 0.0;
};

void GeneticSearch(benchmark::State& state)
{
    double utilisation = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        Parts parts(static_cast<int>(state.range(0)));
        PlotShapeList out;
        state.ResumeTiming();
        SetRectData(parts.Lists(), parts.Count(), kWidthMm, &out);
        SortRect_GeneticAlgorithm search;
        search.SetRandomSeed(1);
        search.SetParam(30, 0.75f, 0.01f, 1000);
        search.SetChromosomeSize(parts.Count());
        search.StartCalculate();
        utilisation = search.GetStoredBestIndividual()->GetResult(&out);
        ClearRectData();
    }
    state.counters["utilisation"] = utilisation;
}

void WidestFirst(benchmark::State& state)
{
    double utilisation = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        Parts parts(static_cast<int>(state.range(0)));
        PlotShapeList out;
        CArray<HorizontalLine> skyline;
        state.ResumeTiming();
        SetInitialSkyline(skyline, kWidthMm);
        SortRects_LowestHorizontalLine(parts.Lists(), parts.Count(), skyline, &out);
        state.PauseTiming();
        int32_t length = 0;
        for (const HorizontalLine& s : skyline) length = std::max(length, s.level);
        utilisation = parts.AreaMm2() / (static_cast<double>(length) / kUnitsPerMm * kWidthMm);
        state.ResumeTiming();
    }
    state.counters["utilisation"] = utilisation;
}

}  // namespace

BENCHMARK(GeneticSearch)->Arg(20)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WidestFirst)->Arg(20)->Arg(100)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
