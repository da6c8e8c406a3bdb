// Nothing lost, nothing twice: seeded sheets of loose strokes through every loop operation.
//
// Every input is a CountedShape. After an operation each input is destroyed at most once,
// an input still alive sits in exactly one output list or group, and the undirected segments
// of all outputs are those of the inputs (the generator puts every pair of ends that could
// join exactly on top of each other, so joins keep the segments).
#include "plotmodel/intersection.h"
#include "plotmodel/shape_fixtures.h"
#include "preprocess/loop_finder.h"
#include "preprocess/photo_find_loop.h"
#include "preprocess/plot_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <tuple>
#include <vector>

namespace {

using namespace plot_fixtures;

using Segment = std::tuple<float, float, float, float>;

struct Job {
    DestructionCounts counts;
    PlotShapeList list;
    // Each input with its id (an input may be destroyed by the time it is checked).
    std::vector<std::pair<const PlotShape*, int>> inputs;
};

// Appends the undirected, non-empty segments of s.
void AddSegments(const PlotShape& s, std::vector<Segment>& out)
{
    for (const Polyline& pl : Polylines(s))
        for (size_t i = 1; i < pl.size(); ++i) {
            Pt a = pl[i - 1], b = pl[i];
            if (a == b) continue;
            if (std::tie(b.x, b.y) < std::tie(a.x, a.y)) std::swap(a, b);
            out.emplace_back(a.x, a.y, b.x, b.y);
        }
}

// A closed ring of a square with two extra vertices on every side, on a grid of step.
Polyline Ring(float x, float y, float side, float step)
{
    Polyline ring;
    Pt corners[] = {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
    float third = std::floor(side / 3 / step) * step;
    for (int c = 0; c < 4; ++c) {
        Pt a = corners[c], b = corners[(c + 1) % 4];
        float dx = b.x > a.x ? 1.0f : (b.x < a.x ? -1.0f : 0.0f), dy = b.y > a.y ? 1.0f : (b.y < a.y ? -1.0f : 0.0f);
        ring.push_back(a);
        ring.push_back({a.x + dx * third, a.y + dy * third});
        ring.push_back({a.x + dx * 2 * third, a.y + dy * 2 * third});
    }
    ring.push_back(corners[0]);
    return ring;
}

// A seeded sheet: squares cut into 2-6 shuffled, partly reversed strokes (some on pen 2),
// dangling strokes, small outlines, multi-sub-polyline and empty shapes, and a square near
// the top of the 32-bit range.
void MakeJob(unsigned seed, Job& job)
{
    std::mt19937 rng(seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<CountedShape*> shapes;
    int id = 0;
    auto add = [&](const std::vector<Polyline>& polylines) {
        auto* s = new CountedShape(job.counts, id++);
        for (const Polyline& pl : polylines) {
            bool first = true;
            for (const Pt& p : pl) {
                s->AddPoint(p.x, p.y, first ? 1 : 0);
                first = false;
            }
        }
        s->CalArea();
        s->SetPenIndex(uniform(0, 5) == 0 ? 2 : 1);
        shapes.push_back(s);
    };
    auto cutRing = [&](const Polyline& ring) {
        int pieces = uniform(2, 6);
        std::set<int> cuts{0, static_cast<int>(ring.size()) - 1};
        while (static_cast<int>(cuts.size()) < pieces + 1) cuts.insert(uniform(1, static_cast<int>(ring.size()) - 2));
        std::vector<int> at(cuts.begin(), cuts.end());
        for (size_t k = 1; k < at.size(); ++k) {
            Polyline piece(ring.begin() + at[k - 1], ring.begin() + at[k] + 1);
            if (uniform(0, 1)) std::reverse(piece.begin(), piece.end());
            add({piece});
        }
    };
    for (int i = uniform(3, 8); i > 0; --i)
        cutRing(Ring(100.0f * uniform(0, 3000), 100.0f * uniform(0, 600), 300.0f * uniform(3, 12), 100.0f));
    for (int i = uniform(1, 3); i > 0; --i) {
        Polyline small = Ring(100.0f * uniform(0, 3000), 100.0f * uniform(0, 600), 300.0f, 100.0f);
        if (uniform(0, 1)) add({small});
        else cutRing(small);
    }
    for (int i = uniform(2, 6); i > 0; --i) {
        float x = 100.0f * uniform(0, 3000) + 50, y = 100.0f * uniform(0, 600) + 50;
        add({{{x, y}, {x + 100.0f * uniform(1, 20), y + 100.0f * uniform(-5, 5)}}});
    }
    // Two sub-polylines, the first of which closes an outline with the next two strokes.
    add({{{0, 0}, {900, 0}, {900, 900}}, {{5050, 5050}, {5150, 5050}}});
    add({{{900, 900}, {0, 900}}});
    add({{{0, 900}, {0, 0}}});
    add({});
    add({{{150, 150}}});
    cutRing(Ring(2146435072.0f, 1024.0f, 3072.0f, 256.0f));
    std::shuffle(shapes.begin(), shapes.end(), rng);
    for (CountedShape* s : shapes) {
        job.list.AddTail(s);
        job.inputs.emplace_back(s, s->Id());
    }
}

// Checks the outputs against the inputs: destructions, membership, segments.
void ExpectConserved(const Job& job, const std::vector<Segment>& before, const std::vector<const PlotShapeList*>& outputs,
                     const char* operation, unsigned seed)
{
    std::vector<const PlotShape*> all;
    for (const PlotShapeList* l : outputs)
        for (PlotShape* s : Shapes(*l)) all.push_back(s);
    std::vector<const PlotShape*> sorted = all;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << operation << " seed " << seed << ": a shape twice";
    for (const auto& [s, id] : job.inputs) {
        int destroyed = job.counts.Of(id);
        EXPECT_LE(destroyed, 1) << operation << " seed " << seed << " shape " << id;
        if (destroyed == 0) {
            EXPECT_EQ(std::count(all.begin(), all.end(), s), 1) << operation << " seed " << seed << " shape " << id << " lost";
        }
    }
    std::vector<Segment> after;
    for (const PlotShape* s : all) AddSegments(*s, after);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before) << operation << " seed " << seed;
}

struct Operation {
    const char* name;
    // Runs on the job's list and names the lists that hold the results.
    std::function<void(Job&, std::vector<const PlotShapeList*>&)> run;
};

TEST(Conservation, EveryLoopOperationKeepsEveryStroke)
{
    PlotShapeList loops, rest, out;
    CPhotoFindLoop* engine = nullptr;
    OL_List groups;
    const Operation operations[] = {
        {"LoopFinder",
         [&](Job& job, auto& outputs) {
             CLoopFinder().LoopFinder(job.list, loops, rest, CLoopFinder::kBandWidth, 6.0f);
             outputs = {&job.list, &loops, &rest};
         }},
        {"CurveClusterFind",
         [&](Job& job, auto& outputs) {
             CLoopFinder().CurveClusterFind(job.list, out, 2.2f);
             outputs = {&job.list, &out};
         }},
        {"CPhotoFindLoop::Recognize",
         [&](Job& job, auto& outputs) {
             engine = new CPhotoFindLoop(&job.list);
             engine->Recognize();
             outputs = {&job.list, &engine->Loops(), &engine->Lines()};
         }},
        {"Order",
         [&](Job& job, auto& outputs) {
             CFloatPoint pos;
             job.list.Order(pos);
             outputs = {&job.list};
         }},
        {"RecgniseCaiPian",
         [&](Job& job, auto& outputs) {
             REC_CAIPIAN_OPT opt;
             opt.penFlags[0] = 1;
             opt.outerPen = 5;
             opt.innerPen = 6;
             opt.outerDirection = 2;
             opt.areaLimitMm2 = 100.0f;
             RecgniseCaiPian(job.list, groups, opt);
             outputs = {&job.list};
             for (OL_Object* g = groups.GetHead(); g; g = groups.GetNext(g)) outputs.push_back(&static_cast<PlotLoop*>(g)->Shapes());
         }},
    };
    PlotShape::SetError(5.0f);
    for (const Operation& op : operations)
        for (unsigned seed = 1; seed <= 25; ++seed) {
            Job job;
            MakeJob(seed, job);
            std::vector<Segment> before;
            for (PlotShape* s : Shapes(job.list)) AddSegments(*s, before);
            std::sort(before.begin(), before.end());
            std::vector<const PlotShapeList*> outputs;
            op.run(job, outputs);
            ExpectConserved(job, before, outputs, op.name, seed);
            loops.Clear();
            rest.Clear();
            out.Clear();
            groups.Clear();
            delete engine;
            engine = nullptr;
        }
}

}  // namespace
