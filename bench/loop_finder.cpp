// Time of the loop finder and the path order on generated sheets of loose strokes.
//
// Sheets: 20 mm pieces of four strokes each, spread along a long sheet (one row), packed
// into one 8000-unit band (a tall column), or one lattice of shared edges. Measured:
// LoopFinder once (tol 1.1) and the program's sequence (1.1, then 2.1, 3.1, ... below 40 on
// the rest), at 1,000 and 10,000 strokes; PlotShapeList::Order at 10,000 spread strokes.
// Compare the 10,000 figures with the 1,000 ones of the same sheet: the search is quadratic
// within a band or connected cluster.
#include "plotmodel/plot_shape_list.h"
#include "preprocess/loop_finder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr float kSide = 800.0f;  // 20 mm
constexpr float kPitch = 1200.0f;

enum Sheet { kSpread, kOneBand, kLattice };

void AddStroke(PlotShapeList& list, float x0, float y0, float x1, float y1)
{
    auto* s = new PlotShape;
    s->AddPoint(x0, y0, 1);
    s->AddPoint(x1, y1, 0);
    s->CalArea();
    list.AddTail(s);
}

// About n strokes of the given sheet, in shuffled order, some reversed.
void MakeSheet(Sheet sheet, int n, PlotShapeList& list)
{
    struct Stroke {
        float x0, y0, x1, y1;
    };
    std::vector<Stroke> strokes;
    if (sheet == kLattice) {
        int m = static_cast<int>(std::sqrt(n / 2.0));
        for (int i = 0; i <= m; ++i)
            for (int j = 0; j < m; ++j) {
                strokes.push_back({j * kSide, i * kSide, (j + 1) * kSide, i * kSide});
                strokes.push_back({i * kSide, j * kSide, i * kSide, (j + 1) * kSide});
            }
    } else {
        const int columns = sheet == kSpread ? n : 6;  // six pieces fill 7200 of a band's 8000
        for (int p = 0; p < n / 4; ++p) {
            float x = (p % columns) * kPitch, y = static_cast<float>(p / columns) * kPitch;
            strokes.push_back({x, y, x + kSide, y});
            strokes.push_back({x + kSide, y, x + kSide, y + kSide});
            strokes.push_back({x + kSide, y + kSide, x, y + kSide});
            strokes.push_back({x, y + kSide, x, y});
        }
    }
    std::mt19937 rng(7);
    std::shuffle(strokes.begin(), strokes.end(), rng);
    for (const Stroke& s : strokes) {
        if (rng() % 2) AddStroke(list, s.x1, s.y1, s.x0, s.y0);
        else AddStroke(list, s.x0, s.y0, s.x1, s.y1);
    }
}

void BM_LoopFinder(benchmark::State& state)
{
    const Sheet sheet = static_cast<Sheet>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    const bool sequence = state.range(2) != 0;
    int64_t loopsFound = 0;
    for (auto _ : state) {
        state.PauseTiming();
        PlotShapeList shapes, loops, rest;
        MakeSheet(sheet, n, shapes);
        state.ResumeTiming();
        CLoopFinder finder;
        finder.LoopFinder(shapes, loops, rest, CLoopFinder::kBandWidth, 1.1f);
        for (float tol = 2.1f; sequence && tol < 40.0f; tol += 1.0f) {
            PlotShapeList again;
            again.Append(&rest);
            finder.LoopFinder(again, loops, rest, CLoopFinder::kBandWidth, tol);
        }
        state.PauseTiming();
        loopsFound = loops.Count();
        loops.Clear();
        rest.Clear();
        state.ResumeTiming();
    }
    state.counters["loops"] = static_cast<double>(loopsFound);
}

void BM_Order(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        PlotShapeList shapes;
        MakeSheet(kSpread, static_cast<int>(state.range(0)), shapes);
        state.ResumeTiming();
        CFloatPoint pos;
        shapes.Order(pos);
        state.PauseTiming();
        shapes.Clear();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_LoopFinder)
    ->ArgNames({"sheet", "strokes", "sequence"})
    ->ArgsProduct({{kSpread, kOneBand, kLattice}, {1000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_Order)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(10);

BENCHMARK_MAIN();
