// PlotLoop: collecting the shapes inside a piece, and cutting a piece at a vertical line.
//
// GetShapesInLoops goes through the loops in waves of consecutive loops. For every loop of a
// wave the worker threads test the shapes that meet its box and that no loop before the wave
// took; the loops of the wave then take, in turn and in list order, those that passed and
// that no loop before them in the wave took. A shape's test against a loop does not depend on
// what the other loops took, so each loop takes exactly what it takes with the loops worked
// on one after the other, on any number of threads.
#include "preprocess/plot_loop.h"

#include "plotmodel/loop_scan_index.h"
#include "plotmodel/shape_box_index.h"
#include "plotmodel/shape_runs.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace {

// Loops per wave: enough to keep the threads busy, few enough that the shapes an earlier
// loop of the wave takes are seldom tested again by a later one.
constexpr size_t kLoopsPerWave = 32;
// Shapes per run of tests, and per run of the table below: a large loop's shapes are tested
// on several threads.
constexpr uint32_t kShapesPerRun = 1024;

// The LoopTestX and LoopTestCrossings of every shape of an index, by place, found once for
// all the loops that test the shape.
class LoopTestTable {
public:
    LoopTestTable(const ShapeBoxIndex& index, int threads)
    {
        const uint32_t count = index.Size();
        const uint32_t runs = (count + kShapesPerRun - 1) / kShapesPerRun;
        std::vector<std::vector<float>> ys(runs);
        first_.assign(static_cast<size_t>(count) + 1, 0);
        x_.resize(count);
        RunShapeRuns(static_cast<int>(runs), threads, [&](int run, ShapeRunControl&) {
            CArray<float> crossings;
            std::vector<float>& out = ys[static_cast<size_t>(run)];
            const uint32_t from = static_cast<uint32_t>(run) * kShapesPerRun;
            for (uint32_t p = from; p < std::min(count, from + kShapesPerRun); ++p) {
                x_[p] = index.Shape(p).LoopTestX();
                index.Shape(p).LoopTestCrossings(crossings);
                out.insert(out.end(), crossings.begin(), crossings.end());
                first_[p + 1] = static_cast<uint32_t>(crossings.GetSize());
            }
        }, {});
        for (uint32_t p = 0; p < count; ++p) first_[p + 1] += first_[p];
        ys_.reserve(first_.back());
        for (const std::vector<float>& part : ys) ys_.insert(ys_.end(), part.begin(), part.end());
    }

    float X(uint32_t place) const { return x_[place]; }
    std::span<const float> Crossings(uint32_t place) const
    {
        return {ys_.data() + first_[place], first_[place + 1] - first_[place]};
    }

private:
    std::vector<float> x_;
    // The crossings of place p are ys_[first_[p]] .. ys_[first_[p + 1]].
    std::vector<uint32_t> first_;
    std::vector<float> ys_;
};

// One loop of a wave: its outer loop, the places of the shapes it tests (those left in the
// index whose box meets the outer loop's, ascending) and which of them lie inside.
struct LoopTests {
    const PlotShape* outer = nullptr;
    // The outer loop filed by its segments, when that pays for its tests; else it is walked,
    // which gives the same crossings.
    std::optional<LoopScanIndex> scan;
    std::vector<uint32_t> places;
    std::vector<char> inside;

    void Prepare(const PlotLoop& loop, const ShapeBoxIndex& index)
    {
        outer = loop.GetLargestLoop();
        if (!outer) return;
        index.Meeting(outer->GetArea(), places);
        inside.assign(places.size(), 0);
        if (LoopScanIndex::PaysFor(outer->GetTolPtNum(), places.size())) scan.emplace(*outer);
    }

    // Tests places[from] .. places[to] against the outer loop.
    void Test(size_t from, size_t to, const LoopTestTable& table)
    {
        CArray<float> crossings;
        for (size_t i = from; i < to; ++i) {
            const std::span<const float> inner = table.Crossings(places[i]);
            if (inner.empty()) continue;
            const float x = table.X(places[i]);
            crossings.RemoveAll();
            if (scan)
                scan->CalCrossings(x, crossings);
            else
                outer->CalCrossings(x, crossings);
            inside[i] = static_cast<char>(
                PlotShape::IsInsideCrossings(inner, {crossings.GetData(), static_cast<size_t>(crossings.GetSize())}));
        }
    }
};

}  // namespace

void PlotLoop::Split(int32_t x, PlotLoop& left, PlotLoop& right) const
{
    for (PlotShape* s = shapes_.HeadShape(); s; s = shapes_.ShapeAfter(s)) s->CutByVLine(x, &left.shapes_, &right.shapes_);
    left.CalArea(1);
    right.CalArea(1);
}

void GetShapesInLoops(OL_List& loops, PlotShapeList& shapes, int threads)
{
    if (shapes.Count() == 0) return;
    ShapeBoxIndex index(shapes);
    const LoopTestTable table(index, threads);
    std::vector<PlotLoop*> order;
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) order.push_back(static_cast<PlotLoop*>(o));
    struct Run {
        size_t loop, from, to;
    };
    std::vector<Run> runs;
    for (size_t wave = 0; wave < order.size(); wave += kLoopsPerWave) {
        const size_t count = std::min(kLoopsPerWave, order.size() - wave);
        std::vector<LoopTests> tests(count);
        RunShapeRuns(static_cast<int>(count), threads, [&](int k, ShapeRunControl&) {
            tests[static_cast<size_t>(k)].Prepare(*order[wave + static_cast<size_t>(k)], index);
        }, {});
        runs.clear();
        for (size_t k = 0; k < count; ++k)
            for (size_t from = 0; from < tests[k].places.size(); from += kShapesPerRun)
                runs.push_back({k, from, std::min(tests[k].places.size(), from + kShapesPerRun)});
        RunShapeRuns(static_cast<int>(runs.size()), threads, [&](int r, ShapeRunControl&) {
            const Run& run = runs[static_cast<size_t>(r)];
            tests[run.loop].Test(run.from, run.to, table);
        }, {});
        for (size_t k = 0; k < count; ++k)
            for (size_t i = 0; i < tests[k].places.size(); ++i)
                if (tests[k].inside[i] && !index.Moved(tests[k].places[i]))
                    index.MoveOut(tests[k].places[i], order[wave + k]->Shapes());
    }
}
