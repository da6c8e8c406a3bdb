// CLoopFinder: orientation, closed shapes, chaining strokes into loops, groups and their order.
#include "preprocess/loop_finder.h"

#include "plotmodel/shape_fixtures.h"
#include "loop_stroke_fixtures.h"
#include "random_polylines.h"
#include "preprocess/plot_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

using namespace plot_fixtures;

constexpr float kTol = 6.0f;

TEST(LoopFinderOrientation, VectorComparisonIsOneConsistentOrder)
{
    // Ascending: the negative x axis and the zero vector, the lower half, the positive x
    // axis, the upper half; ranks shared where the comparison says equal.
    struct Ranked {
        CFloatPoint v;
        int rank;
    } order[] = {
        {{-5, 0}, 0}, {{0, 0}, 0},     {{-1, -0.01}, 1}, {{-1, -1}, 2}, {{0, -1}, 3}, {{1, -1}, 4},  {{1, -0.01}, 5},
        {{2, 0}, 6},  {{7, 0}, 6},     {{1, 0.01}, 7},   {{1, 1}, 8},   {{0, 1}, 9},  {{-1, 1}, 10}, {{-1, 0.01}, 11},
    };
    for (const Ranked& a : order)
        for (const Ranked& b : order) {
            int expected = a.rank == b.rank ? 0 : (a.rank > b.rank ? 1 : -1);
            EXPECT_EQ(CLoopFinder::VectorComp_N180P180(a.v, b.v), expected)
                << "(" << a.v.x << ", " << a.v.y << ") vs (" << b.v.x << ", " << b.v.y << ")";
        }
}

TEST(LoopFinderOrientation, StrokeDirectionAtTheLeftmostVertex)
{
    CLoopFinder f;
    struct Case {
        Polyline points;
        int expected;
    } cases[] = {
        {{{0, 5}, {10, 0}}, 2}, {{{10, 0}, {0, 5}}, 3}, {{{4, 4}}, 2}, {{{10, 10}, {0, 5}, {10, 0}}, 1}, {{{10, 0}, {0, 5}, {10, 10}}, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PlotShape> s(NewShape(c.points));
        EXPECT_EQ(f.CalLoopDirection(s.get()), c.expected) << c.points.size();
    }
    PlotShape empty;
    EXPECT_EQ(f.CalLoopDirection(&empty), -1);
    EXPECT_EQ(f.LoopDirection(&empty), -1);
}

TEST(LoopFinderOrientation, LoopsWhoseVerticesAllCrowdTheLeftmostOneEnd)
{
    CLoopFinder f;
    // Every vertex lies within 1.5 units of the leftmost one: the neighbours are then the
    // nearest differing vertices, which give the orientation of the same loop drawn larger.
    std::unique_ptr<PlotShape> tiny(NewShape({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}));
    std::unique_ptr<PlotShape> large(NewShape({{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}));
    EXPECT_EQ(f.LoopDirection(tiny.get()), f.LoopDirection(large.get()));
    EXPECT_EQ(f.LoopDirection(large.get()), 1);
}

TEST(LoopGet, TakesClosedShapesOrientedAndLeavesFlatOnes)
{
    CLoopFinder f;
    PlotShapeList shapes, loops;
    PlotShape* square = NewShape({{0, 0}, {800, 0}, {800, 800}, {0, 800}, {0, 0}});
    PlotShape* backAndForth = NewShape({{0, 0}, {800, 0}, {400, 0}, {0, 0}});
    PlotShape* open = NewShape({{0, 0}, {800, 0}, {800, 800}, {0, 800}});
    PlotShape* twoPolylines = new PlotShape;
    Fill(*twoPolylines, {{{0, 0}, {800, 0}, {800, 800}}, {{800, 800}, {0, 800}, {0, 0}}});
    for (PlotShape* s : {square, backAndForth, open, twoPolylines}) shapes.AddTail(s);
    f.LoopGet(shapes, loops, kTol);
    ASSERT_EQ(Shapes(loops), (std::vector<PlotShape*>{square}));
    EXPECT_EQ(AllPoints(*square), (Polyline{{0, 0}, {0, 800}, {800, 800}, {800, 0}, {0, 0}}));
    EXPECT_EQ(f.LoopDirection(square), 0);
    EXPECT_EQ(Shapes(shapes), (std::vector<PlotShape*>{backAndForth, open, twoPolylines}));
}

TEST(LoopFinderSearch, FourStrokesOfASquareBecomeOneLoop)
{
    CLoopFinder f;
    DestructionCounts counts;
    PlotShapeList shapes, loops, rest;
    AddSquareStrokes(shapes, counts, 0, 1000, 1000, 800);
    f.LoopFinder(shapes, loops, rest, 0, kTol);
    ASSERT_EQ(loops.Count(), 1);
    EXPECT_EQ(rest.Count(), 0);
    EXPECT_EQ(shapes.Count(), 0);
    for (int id = 0; id < 4; ++id) EXPECT_EQ(counts.Of(id), 1) << id;
    PlotShape* loop = loops.HeadShape();
    EXPECT_EQ(loop->GetPlNum(), 1);
    EXPECT_EQ(loop->GetTolPtNum(), 5);
    EXPECT_TRUE(loop->Start() == loop->End());
    EXPECT_EQ(loop->GetArea(), CArea(1000, 1000, 1800, 1800));
    EXPECT_EQ(f.LoopDirection(loop), 0);
}

TEST(LoopFinderSearch, SmallOutlinesDanglingStrokesAndUnjoinableShapesStayInRest)
{
    CLoopFinder f;
    DestructionCounts counts;
    PlotShapeList shapes, loops, rest;
    AddSquareStrokes(shapes, counts, 0, 0, 0, 200);  // 5 mm: 25 mm², below 100
    shapes.AddTail(NewCounted(counts, 10, {{6000, 0}, {6800, 0}}));
    // Its first sub-polyline and the three strokes after it go round a 50 mm square: a join
    // would lose the points of its second sub-polyline.
    auto* twoPolylines = new CountedShape(counts, 11);
    Fill(*twoPolylines, {{{3000, 0}, {5000, 0}, {5000, 1000}}, {{9050, 50}, {9150, 50}}});
    shapes.AddTail(twoPolylines);
    shapes.AddTail(NewCounted(counts, 12, {{3000, 800}}));
    shapes.AddTail(new CountedShape(counts, 13));
    shapes.AddTail(NewCounted(counts, 14, {{5000, 1000}, {5000, 2000}}));
    shapes.AddTail(NewCounted(counts, 15, {{5000, 2000}, {3000, 2000}}));
    shapes.AddTail(NewCounted(counts, 16, {{3000, 2000}, {3000, 0}}));
    f.LoopFinder(shapes, loops, rest, 0, kTol);
    EXPECT_EQ(loops.Count(), 0);
    EXPECT_EQ(rest.Count(), 11);
    EXPECT_TRUE(counts.byId.empty()) << "nothing deleted";
    EXPECT_EQ(twoPolylines->GetTolPtNum(), 5);
    EXPECT_EQ(twoPolylines->GetStoredIn(), &rest);
}

TEST(LoopFinderSearch, ALongZigZagOutlineIsFoundWithoutDeepRecursion)
{
    CLoopFinder f;
    PlotShapeList shapes, loops, rest;
    constexpr int kTeeth = 20000;
    for (int i = 0; i < kTeeth; ++i)
        shapes.AddTail(NewShape({{i * 40.0f, (i % 2) * 400.0f}, {(i + 1) * 40.0f, ((i + 1) % 2) * 400.0f}}));
    const float right = kTeeth * 40.0f;
    shapes.AddTail(NewShape({{right, 0}, {right, -400}}));
    shapes.AddTail(NewShape({{right, -400}, {0, -400}}));
    shapes.AddTail(NewShape({{0, -400}, {0, 0}}));
    f.LoopFinder(shapes, loops, rest, 0, kTol);
    ASSERT_EQ(loops.Count(), 1);
    EXPECT_EQ(rest.Count(), 0);
    EXPECT_EQ(loops.HeadShape()->GetTolPtNum(), kTeeth + 4);
}

TEST(LoopFinderSearch, EmptyInputsGiveEmptyResults)
{
    CLoopFinder f;
    PlotShapeList shapes, loops, rest, out;
    OL_List groups;
    PlotShape notAFrame;
    PlotShape* frame = &notAFrame;
    f.LoopGet(shapes, loops, kTol);
    f.BreakAtAngle(shapes, 20);
    f.LoopFinder(shapes, loops, rest, 0, kTol);
    f.CurveClusterFind(shapes, out, kTol);
    EXPECT_EQ(f.FileAllLargeLoops(loops, groups, frame), 0);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(loops.Count() + rest.Count() + out.Count() + groups.Count(), 0);
    shapes.AddTail(new PlotShape);
    f.BreakAtAngle(shapes, 20);
    EXPECT_EQ(shapes.Count(), 0) << "an empty shape has no pieces";
}

TEST(CurveClusterFind, JoinsStrokesMeetingEndToEndAndMovesEverything)
{
    CLoopFinder f;
    DestructionCounts counts;
    PlotShapeList shapes, out;
    shapes.AddTail(NewCounted(counts, 0, {{100, 0}, {200, 0}}));
    shapes.AddTail(NewCounted(counts, 1, {{300, 0}, {200, 0}}));
    shapes.AddTail(NewCounted(counts, 2, {{0, 0}, {100, 0}}));
    shapes.AddTail(NewCounted(counts, 3, {{5000, 0}, {6000, 0}}));
    auto* twoPolylines = new CountedShape(counts, 4);
    Fill(*twoPolylines, {{{300, 0}, {400, 0}}, {{400, 0}, {500, 0}}});
    shapes.AddTail(twoPolylines);
    f.CurveClusterFind(shapes, out, kTol);
    EXPECT_EQ(shapes.Count(), 0);
    ASSERT_EQ(out.Count(), 3);
    std::vector<PlotShape*> all = Shapes(out);
    auto joined = std::find_if(all.begin(), all.end(), [](PlotShape* s) { return s->GetPlNum() == 1 && s->GetTolPtNum() == 4; });
    ASSERT_NE(joined, all.end());
    Polyline pts = AllPoints(**joined);
    EXPECT_TRUE(pts == (Polyline{{0, 0}, {100, 0}, {200, 0}, {300, 0}}) || pts == (Polyline{{300, 0}, {200, 0}, {100, 0}, {0, 0}}));
    EXPECT_EQ(counts.Of(3) + counts.Of(4), 0);
    EXPECT_EQ(counts.Of(0) + counts.Of(1) + counts.Of(2), 2);
    EXPECT_EQ(twoPolylines->GetPlNum(), 2);
}

struct GroupFixture {
    CLoopFinder f;
    PlotShapeList loops;
    OL_List groups;
    PlotShape* frame = nullptr;
    PlotShape* Loop(float x, float y, float side)
    {
        PlotShape* s = NewShape(Square(x, y, side));
        loops.AddTail(s);
        return s;
    }
    std::vector<PlotLoop*> Groups() const
    {
        std::vector<PlotLoop*> out;
        for (OL_Object* g = groups.GetHead(); g; g = groups.GetNext(g)) out.push_back(static_cast<PlotLoop*>(g));
        return out;
    }
};

TEST(FileAllLargeLoops, FindsTheFrameAndGroupsPiecesWithTheirHoles)
{
    GroupFixture g;
    PlotShape* hole = g.Loop(1500, 1500, 500);
    PlotShape* pieceB = g.Loop(5000, 1000, 2000);
    PlotShape* frameLoop = g.Loop(0, 0, 10000);
    PlotShape* pieceA = g.Loop(1000, 1000, 2000);
    EXPECT_EQ(g.f.FileAllLargeLoops(g.loops, g.groups, g.frame), 0);
    EXPECT_EQ(g.frame, frameLoop);
    EXPECT_EQ(frameLoop->GetStoredIn(), nullptr);
    EXPECT_EQ(g.loops.Count(), 0);
    std::vector<PlotLoop*> groups = g.Groups();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(Shapes(groups[0]->Shapes()), (std::vector<PlotShape*>{pieceA, hole}));
    EXPECT_EQ(Shapes(groups[1]->Shapes()), (std::vector<PlotShape*>{pieceB}));
    EXPECT_EQ(*groups[0]->GetArea(), CArea(1000, 1000, 3000, 3000));
    delete g.frame;
}

TEST(FileAllLargeLoops, NestsDeepLoopsOutermostFirstAndNoFrameWithoutARectangle)
{
    GroupFixture g;
    constexpr int kDepth = 500;
    std::vector<PlotShape*> nested;
    for (int i = kDepth - 1; i >= 0; --i) nested.push_back(g.Loop(i * 10.0f, i * 10.0f, 40000 - i * 20.0f));
    std::reverse(nested.begin(), nested.end());
    // The outermost loop is a square that covers everything, but the inner ones are in it:
    // it is the frame, and the rest nest in one group.
    g.f.FileAllLargeLoops(g.loops, g.groups, g.frame);
    ASSERT_EQ(g.frame, nested[0]);
    std::vector<PlotLoop*> groups = g.Groups();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(Shapes(groups[0]->Shapes()), std::vector<PlotShape*>(nested.begin() + 1, nested.end()));
    delete g.frame;

    GroupFixture tri;
    PlotShape* triangle = NewShape({{0, 0}, {10000, 0}, {0, 10000}, {0, 0}});
    tri.loops.AddTail(triangle);
    PlotShape* inside = tri.Loop(100, 100, 1000);
    tri.f.FileAllLargeLoops(tri.loops, tri.groups, tri.frame);
    EXPECT_EQ(tri.frame, nullptr);
    ASSERT_EQ(tri.Groups().size(), 1u);
    EXPECT_EQ(Shapes(tri.Groups()[0]->Shapes()), (std::vector<PlotShape*>{triangle, inside}));
}

TEST(SortPlotLoop, OrdersGroupsInStripsByTheirTopEdge)
{
    GroupFixture g;
    PlotShape* high = g.Loop(1000, 5000, 2000);
    PlotShape* low = g.Loop(6000, 1000, 2000);
    PlotShape* nextStrip = g.Loop(21000, 0, 500);
    PlotShape* far = g.Loop(2000000000.0f, 0, 1000);
    g.loops.GoOut(far);
    g.loops.AddHead(far);
    g.f.FileAllLargeLoops(g.loops, g.groups, g.frame);
    ASSERT_EQ(g.frame, nullptr);
    g.f.SortPlotLoop(g.groups, 500);
    std::vector<PlotShape*> order;
    for (PlotLoop* p : g.Groups()) order.push_back(p->GetLargestLoop());
    EXPECT_EQ(order, (std::vector<PlotShape*>{low, high, nextStrip, far}));

    std::vector<PlotLoop*> before = g.Groups();
    g.f.SortPlotLoop(g.groups, 0);
    EXPECT_EQ(g.Groups(), before) << "a band of no width keeps the order";
    OL_List empty;
    g.f.SortPlotLoop(empty, 500);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(PlotLoop, CollectsTheShapesInsideAndSplitsAtALine)
{
    // The second group has the same outline: it takes only what the first one left.
    OL_List loops;
    auto* group = new PlotLoop;
    auto* twin = new PlotLoop;
    PlotShape* outer = NewShape(Square(0, 0, 1000));
    PlotShape* twinOuter = NewShape(Square(0, 0, 1000));
    group->Shapes().AddTail(outer);
    twin->Shapes().AddTail(twinOuter);
    for (PlotLoop* g : {group, twin}) {
        g->CalArea(0);
        loops.AddTail(g);
    }
    PlotShapeList shapes;
    PlotShape* outside = NewShape({{2000, 100}, {2900, 900}});
    PlotShape* inside = NewShape({{100, 100}, {900, 900}});
    PlotShape* across = NewShape({{500, 500}, {1500, 500}});
    PlotShape* alsoInside = NewShape({{200, 800}, {800, 200}});
    for (PlotShape* s : {outside, inside, across, alsoInside}) shapes.AddTail(s);
    GetShapesInLoops(loops, shapes);
    EXPECT_EQ(Shapes(group->Shapes()), (std::vector<PlotShape*>{outer, inside, alsoInside}));
    EXPECT_EQ(Shapes(twin->Shapes()), (std::vector<PlotShape*>{twinOuter}));
    EXPECT_EQ(Shapes(shapes), (std::vector<PlotShape*>{outside, across}));

    PlotLoop left, right;
    group->Split(500, left, right);
    EXPECT_EQ(left.GetArea()->xmax, 500);
    EXPECT_EQ(right.GetArea()->xmin, 500);
    EXPECT_EQ(left.GetArea()->xmin, 0);
    EXPECT_EQ(right.GetArea()->xmax, 1000);
    EXPECT_EQ(group->Shapes().Count(), 3) << "the group keeps its shapes";
}

// Overlapping wavy loops over seeded shapes of every kind: a few loops large enough to hold
// thousands of shapes, some of few points and some of many, and an empty group.
void MakeLoopSheet(unsigned seed, OL_List& loops, PlotShapeList& shapes)
{
    preprocess_fixtures::RandomPolylines r(seed);
    for (int k = 0; k < 80; ++k) {
        auto* loop = new PlotLoop;
        loops.AddTail(loop);
        if (k == 41) continue;
        const double cx = r.Uniform(-20000, 20000), cy = r.Uniform(-20000, 20000);
        const double radius = k % 25 == 0 ? 18000 : r.Uniform(500, 6000), depth = r.Uniform(0, 0.4);
        const int n = r.Int(6, 300), waves = r.Int(0, 12);
        Polyline p;
        for (int i = 0; i < n; ++i) {
            const double t = 2 * std::numbers::pi * i / n, rr = radius * (1 - depth * (0.5 + 0.5 * std::sin(waves * t)));
            p.push_back({static_cast<float>(cx + rr * std::cos(t)), static_cast<float>(cy + rr * std::sin(t))});
        }
        p.push_back(p.front());
        loop->Shapes().AddTail(NewShape(p));
        loop->CalArea(0);
    }
    for (unsigned i = 0; i < 6000; ++i) shapes.AddTail(r.Shape(i));
}

std::vector<std::vector<unsigned>> Tags(const OL_List& loops, const PlotShapeList& rest)
{
    std::vector<std::vector<unsigned>> out;
    for (OL_Object* o = loops.GetHead(); o; o = loops.GetNext(o)) {
        const PlotShapeList& shapes = static_cast<PlotLoop*>(o)->Shapes();
        out.emplace_back();
        for (PlotShape* s = shapes.ShapeAfter(shapes.HeadShape()); s; s = shapes.ShapeAfter(s))
            out.back().push_back(s->GetPatternIndex());
    }
    out.emplace_back();
    for (PlotShape* s = rest.HeadShape(); s; s = rest.ShapeAfter(s)) out.back().push_back(s->GetPatternIndex());
    return out;
}

// On any number of threads each loop takes what a scan of what the loops before it left, in
// list order and with PlotShape::IsInLoop, takes.
TEST(PlotLoop, CollectsWhatAScanWithTheInsideTestCollects)
{
    for (unsigned seed : {3u, 4u}) {
        OL_List scanned;
        PlotShapeList scanLeft;
        MakeLoopSheet(seed, scanned, scanLeft);
        for (OL_Object* o = scanned.GetHead(); o; o = scanned.GetNext(o)) {
            auto* loop = static_cast<PlotLoop*>(o);
            PlotShape* outer = loop->GetLargestLoop();
            if (!outer) continue;
            for (PlotShape* s = scanLeft.HeadShape(); s;) {
                PlotShape* next = scanLeft.ShapeAfter(s);
                if (s->GetArea().IsIntersectWith(outer->GetArea()) && s->IsInLoop(outer)) {
                    s->GoOut();
                    loop->Shapes().AddTail(s);
                }
                s = next;
            }
        }
        const auto want = Tags(scanned, scanLeft);
        size_t taken = 0;
        for (size_t k = 0; k + 1 < want.size(); ++k) taken += want[k].size();
        ASSERT_GT(taken, 1000u) << "the loops hold many shapes";
        for (int threads : {1, 3, 8}) {
            OL_List loops;
            PlotShapeList shapes;
            MakeLoopSheet(seed, loops, shapes);
            GetShapesInLoops(loops, shapes, threads);
            EXPECT_EQ(Tags(loops, shapes), want) << "seed " << seed << ", " << threads << " threads";
        }
    }
}

}  // namespace
