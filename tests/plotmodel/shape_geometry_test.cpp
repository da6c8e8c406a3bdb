// PlotShape geometry operations: appending runs, repeated points, restarting closed lines,
// circles, sharp vertices, line cuts, scan-line crossings and inside tests.
#include "plotmodel/plot_shape.h"
#include "plotmodel/loop_scan_index.h"
#include "plotmodel/plot_shape_list.h"

#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace plot_fixtures;

const Polyline kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};

std::unique_ptr<PlotShape> Make(std::initializer_list<Polyline> polylines)
{
    auto s = std::make_unique<PlotShape>();
    Fill(*s, polylines);
    return s;
}

std::vector<float> Ys(const CArray<float>& a) { return {a.begin(), a.end()}; }

TEST(ShapeAppend, RunsGoToTheLastOrANewSubPolyline)
{
    const float run[] = {1, 1, 2, 2};
    const float xs[] = {7, 8}, ys[] = {9, 10};
    PlotShape s;
    s.Append(0, run, 1);
    EXPECT_EQ(s.GetPlNum(), 0);
    s.Append(2, run, 0);  // no sub-polyline yet: a new one
    s.Append(1, run + 2, 0);
    s.Append(2, xs, ys, 1);
    EXPECT_EQ(Polylines(s), (std::vector<Polyline>{{{1, 1}, {2, 2}, {2, 2}}, {{7, 9}, {8, 10}}}));
    EXPECT_EQ(s.GetArea(), CArea()) << "these forms leave the bounds alone";
    s.Append(run, 2);
    EXPECT_EQ(s.GetPlNum(), 3);
    EXPECT_EQ(s.GetArea(), CArea(1, 1, 8, 10));
    s.Append(nullptr, 2);
    s.ReplaceVertex(1, -1, -1);
    s.ReplaceVertex(7, 5, 5);
    EXPECT_EQ(s.Point(1), CFloatPoint(-1, -1));
    EXPECT_EQ(s.GetTolPtNum(), 7);
    EXPECT_FLOAT_EQ(PlotShape::LineLength(std::vector<float>{0, 0, 3, 4}.data(), 0), 5.0f);
}

TEST(ShapeRepeats, RemovesPointsCloserThanAThousandthAndEmptySubPolylines)
{
    auto s = Make({{{0, 0}, {0.0005f, 0.0004f}, {0.001f, 0}, {5, 5}, {5, 5}}, {}, {{9, 9}}});
    s->AddPoint(0, 0, 1);
    s->DeleteRepeatPoint();
    EXPECT_EQ(Polylines(*s), (std::vector<Polyline>{{{0, 0}, {0.001f, 0}, {5, 5}}, {{9, 9}}, {{0, 0}}}));
    EXPECT_EQ(s->GetTolPtNum(), 5);
}

TEST(ShapeClosure, ClosedCoincidentAndBox)
{
    auto s = Make({{{0, 0}, {10, 0}, {10, 10}, {1, 1}}});
    EXPECT_EQ(s->IsClose(1.0f), 1);
    EXPECT_EQ(s->IsClose(0.5f), 0);
    EXPECT_EQ(Make({{{0, 0}, {10, 0}, {0, 0}}})->IsClose(1.0f), 0) << "more than 3 points are needed";

    auto near = Make({{{0.5f, 0}, {10, 0.5f}, {10, 10}, {1, 1}}});
    EXPECT_EQ(s->IsCoincide(near.get(), 0.5f), 1);
    EXPECT_EQ(s->IsCoincide(near.get(), 0.4f), 0);
    EXPECT_EQ(s->IsCoincide(nullptr, 1.0f), 0);

    OL_Box box;
    Make({{{-1.5f, 2}, {3, -4.25f}}})->CalBox(box);
    EXPECT_EQ(box.xmin, -1.5);
    EXPECT_EQ(box.ymin, -4.25);
    EXPECT_EQ(box.xmax, 3);
    EXPECT_EQ(box.ymax, 2);
    // A shape without points has no first point: the box becomes the zero box.
    OL_Box empty(1, 1, 5, 5);
    PlotShape().CalBox(empty);
    EXPECT_EQ(empty.xmax, 0.0);
}

TEST(ShapeRestart, StartsAClosedLineAtAVertexOrMidSegment)
{
    const auto square = Make({kSquare});
    PlotShape out;
    square->StartAtVertex(2, &out);
    EXPECT_EQ(AllPoints(out), (Polyline{{100, 100}, {0, 100}, {0, 0}, {100, 0}, {100, 100}}));
    PlotShape mid;
    square->StartAtMidVertex(1, &mid);
    EXPECT_EQ(AllPoints(mid), (Polyline{{100, 50}, {100, 100}, {0, 100}, {0, 0}, {100, 0}, {100, 50}}));
    EXPECT_EQ(mid.GetArea(), CArea(0, 0, 100, 100));

    // Vertices past the end or before the start leave a plain copy / nothing; nothing is
    // read outside the points.
    for (int k : {5, 9, -1, 0}) {
        SCOPED_TRACE(k);
        PlotShape copy;
        square->StartAtVertex(k, &copy);
        EXPECT_EQ(AllPoints(copy), kSquare);
    }
    for (int k : {4, 5, -1}) {
        SCOPED_TRACE(k);
        PlotShape none;
        square->StartAtMidVertex(k, &none);
        EXPECT_EQ(none.GetTolPtNum(), 0);
    }
    PlotShape fromEmpty;
    PlotShape().StartAtVertex(1, &fromEmpty);
    PlotShape().StartAtMidVertex(0, &fromEmpty);
    EXPECT_EQ(fromEmpty.GetTolPtNum(), 0);
}

TEST(ShapeCircle, CreateCircleOfOneMillimetreHasTwentyFivePoints)
{
    PlotShape c;
    c.CreateCircle(1.0f);
    ASSERT_EQ(c.GetTolPtNum(), 25);  // b = 6 per quarter: 24 chords
    EXPECT_EQ(c.Start(), CFloatPoint(40, 0));
    EXPECT_EQ(c.End(), CFloatPoint(40, 0));
    EXPECT_NEAR(c.Point(6).x, 0.0, 1e-5);
    EXPECT_NEAR(c.Point(6).y, 40.0, 1e-5);
    EXPECT_EQ(c.GetArea(), CArea(-40, -40, 40, 40));

    float radius = 0;
    EXPECT_EQ(c.IsCircle(&radius, 0.5f), 1);
    EXPECT_FLOAT_EQ(radius, 40.0f);
    EXPECT_EQ(Make({kSquare})->IsCircle(&radius, 1.0f), 0) << "five points are too few";

    PlotShape tiny, large;
    tiny.CreateCircle(0.0f);
    EXPECT_EQ(tiny.GetTolPtNum(), 21) << "at least 5 points per quarter";
    large.CreateCircle(-2.0f);
    EXPECT_EQ(large.GetTolPtNum(), 21);
}

TEST(ShapeVertices, SmoothRunsAndBreaksAtSharpVertices)
{
    const std::vector<float> l = {0, 0, 10, 0, 20, 1, 20, 20, 19, 40};
    struct Case {
        int start;
        int want;
    };
    for (Case c : {Case{0, 2}, Case{2, 4}, Case{3, 4}, Case{4, -1}, Case{-1, -1}})
        EXPECT_EQ(PlotShape::GetNextCurve(5, l.data(), c.start, 0.2f), c.want) << "start " << c.start;

    auto s = Make({{{0, 0}, {10, 0}, {20, 1}, {20, 20}, {19, 40}}, {{5, 5}}});
    s->SetMauIndex(5);
    PlotShapeList pieces;
    s->BreakAtVertex(pieces, 0.2f);
    std::vector<PlotShape*> got = Shapes(pieces);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(AllPoints(*got[0]), (Polyline{{0, 0}, {10, 0}, {20, 1}}));
    EXPECT_EQ(AllPoints(*got[1]), (Polyline{{20, 1}, {20, 20}, {19, 40}}));
    EXPECT_EQ(AllPoints(*got[2]), (Polyline{{5, 5}}));
    EXPECT_EQ(got[0]->GetMauIndex(), 127) << "BreakAtVertex pieces carry no attributes";

    PlotShapeList withAttributes;
    s->BreakAt(withAttributes, 0.2f);
    got = Shapes(withAttributes);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1]->GetMauIndex(), 5);
    EXPECT_EQ(got[1]->GetArea(), CArea(19, 1, 20, 40));
}

TEST(ShapeVertices, FindVertexAngleGivesTheFirstCornerOfALineStartedOnASide)
{
    auto midSide = Make({{{50, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}, {50, 0}}});
    EXPECT_EQ(midSide->FindVertexAngle(0.1f), 1);
    auto atCorner = Make({kSquare});
    EXPECT_EQ(atCorner->FindVertexAngle(0.1f), 0) << "the line already starts at a corner";
    auto open = Make({{{0, 0}, {100, 0}, {100, 100}}});
    EXPECT_EQ(open->FindVertexAngle(0.1f), 0);
}

TEST(ShapeCut, SquareCutAtFiftyGivesPiecesOnBothSidesWithTheCrossings)
{
    auto square = Make({kSquare});
    square->SetMauIndex(2);
    PlotShapeList left, right;
    square->CutByVLine(50, &left, &right);
    std::vector<PlotShape*> l = Shapes(left), r = Shapes(right);
    ASSERT_EQ(l.size(), 2u);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(AllPoints(*l[0]), (Polyline{{0, 0}, {50, 0}}));
    EXPECT_EQ(AllPoints(*r[0]), (Polyline{{50, 0}, {100, 0}, {100, 100}, {50, 100}}));
    EXPECT_EQ(AllPoints(*l[1]), (Polyline{{50, 100}, {0, 100}, {0, 0}}));
    EXPECT_EQ(r[0]->GetArea(), CArea(50, 0, 100, 100));
    EXPECT_EQ(l[1]->GetMauIndex(), 2);

    PlotShapeList below;
    square->CutByHLine(25, &below, nullptr);  // the upper pieces are dropped
    std::vector<PlotShape*> b = Shapes(below);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(AllPoints(*b[0]), (Polyline{{0, 0}, {100, 0}, {100, 25}}));
    EXPECT_EQ(AllPoints(*b[1]), (Polyline{{0, 25}, {0, 0}}));
}

TEST(ShapeCut, WholeShapesAndLinesOnTheCut)
{
    auto square = Make({kSquare});
    PlotShapeList left, right;
    square->CutByVLine(100, &left, &right);
    square->CutByVLine(0, &left, &right);
    square->CutByVLine(-5, nullptr, nullptr);
    ASSERT_EQ(left.Count(), 1);
    ASSERT_EQ(right.Count(), 1);
    EXPECT_EQ(AllPoints(*left.HeadShape()), kSquare);

    // A polyline lying on the line has no side of its own: it goes with the high side. A
    // polyline that starts on the line takes the side of its first point off it.
    auto onLine = Make({{{30, 0}, {30, 40}}, {{30, 5}, {30, 9}, {10, 9}, {40, 9}}, kSquare});
    PlotShapeList l2, r2;
    onLine->CutByVLine(30, &l2, &r2);
    std::vector<PlotShape*> l = Shapes(l2), r = Shapes(r2);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(AllPoints(*r[0]), (Polyline{{30, 0}, {30, 40}}));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(AllPoints(*l[0]), (Polyline{{30, 5}, {30, 9}, {10, 9}, {30, 9}}));
    EXPECT_EQ(AllPoints(*r[1]), (Polyline{{30, 9}, {40, 9}}));
}

TEST(ShapeScanLine, AVertexOnTheLineCountsWhenPassedNotWhenTouched)
{
    struct Case {
        const char* name;
        Polyline ring;
        float x;
        std::vector<float> want;
    };
    const Case cases[] = {
        {"edges", kSquare, 30, {0, 100}},
        {"passes through a vertex", {{0, 0}, {100, 0}, {100, 100}, {50, 60}, {0, 100}, {0, 0}}, 50, {0, 60}},
        {"touches a vertex", {{0, 0}, {50, 40}, {0, 80}, {0, 0}}, 50, {}},
        {"starts on the line", {{50, 0}, {100, 50}, {50, 100}, {0, 50}, {50, 0}}, 50, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CArray<float> ys;
        ys.Add(-7);
        EXPECT_EQ(Make({c.ring})->CalIntersect(c.x, ys), static_cast<int>(c.want.size()));
        EXPECT_EQ(Ys(ys), c.want);
    }
    CArray<float> ys;
    EXPECT_EQ(Make({kSquare})->CalIntersect(101, ys), -1);
    EXPECT_EQ(PlotShape().CalIntersect(0, ys), -1);
}

TEST(ShapeScanLine, PointsInsideOnTheBoundaryAndOutside)
{
    const auto square = Make({kSquare});
    struct Case {
        double x, y;
        int want;
    };
    const Case cases[] = {
        {50, 50, 1}, {50, 100, 1}, {50, 0.0005, 1}, {0, 50, 0},  // the line along a side has no crossing
        {50, 150, 0}, {50, -20, 0}, {200, 50, 0},
    };
    for (Case c : cases) EXPECT_EQ(square->PtIsInLoop(CFloatPoint(c.x, c.y)), c.want) << c.x << ", " << c.y;
    EXPECT_EQ(PlotShape().PtIsInLoop(CFloatPoint(0, 0)), 0);
}

TEST(ShapeScanLine, ShapesInsideALoop)
{
    const auto loop = Make({kSquare});
    struct Case {
        const char* name;
        Polyline shape;
        int want;
    };
    const Case cases[] = {
        {"small square inside", {{20, 20}, {40, 20}, {40, 40}, {20, 40}, {20, 20}}, 1},
        {"vertical stroke inside", {{60, 10}, {60, 90}}, 1},
        {"crossing the side", {{80, 20}, {120, 20}, {120, 40}, {80, 40}, {80, 20}}, 0},
        {"outside", {{200, 20}, {240, 20}, {240, 40}}, 0},
        {"reaching above", {{50, 50}, {50, 150}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Make({c.shape})->IsInLoop(loop.get()), c.want);
    }
    EXPECT_EQ(PlotShape().IsInLoop(loop.get()), 0);
    EXPECT_EQ(Make({{{20, 20}, {40, 40}}})->IsInLoop(nullptr), 0);
}

// The inside test over crossings in any order gives what the test over the sorted crossings
// gives, on seeded sets of a few values (so that ties, shared values and signed zeros are
// common) and with NaNs among them.
TEST(ShapeScanLine, InsideCrossingsInAnyOrderAsSorted)
{
    const auto sortedTest = [](const std::vector<float>& inner, std::vector<float> outer) {
        std::sort(outer.begin(), outer.end());
        const auto n = static_cast<std::ptrdiff_t>(outer.size());
        if (inner.empty() || n == 0 || n % 2 == 1) return 0;
        bool inside = !(outer.front() > inner.front()) && !(outer.back() < inner.back());
        for (size_t i = 0; inside && i < inner.size(); ++i) {
            const bool onCrossing = std::count(outer.begin(), outer.end(), inner[i]) > 0;
            const auto above = std::upper_bound(outer.begin(), outer.end(), inner[i]) - outer.begin();
            inside = onCrossing || (above < n && above % 2 == 1);
        }
        return inside ? 1 : 0;
    };
    const float values[] = {-2.0f, -0.0f, 0.0f, 1.0f, 1.5f, 3.0f, 7.0f, std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 rng(11);
    int insideSeen = 0;
    for (int k = 0; k < 20000; ++k) {
        const bool withNan = k % 10 == 0;
        std::uniform_int_distribution<int> pick(0, withNan ? 7 : 6), innerCount(0, 3), outerCount(0, 8);
        std::vector<float> inner(static_cast<size_t>(innerCount(rng))), outer(static_cast<size_t>(outerCount(rng)));
        for (float& v : inner) v = values[pick(rng)];
        for (float& v : outer) v = values[pick(rng)];
        std::sort(inner.begin(), inner.end());
        const int want = sortedTest(inner, outer);
        insideSeen += want;
        EXPECT_EQ(PlotShape::IsInsideCrossings(inner, outer), want) << "case " << k;
    }
    EXPECT_GT(insideSeen, 1000) << "the cases hold enough insides";
}

// PtIsInLoop, walked and through the segment index, gives what the straightforward test over
// the sorted crossings gives: seeded integer loops (some with a y of no number), points on
// their vertices, on their crossings, just off them, and anywhere.
TEST(ShapeScanLine, PointInsideAsOverTheSortedCrossings)
{
    const auto straightforward = [](const PlotShape& loop, const CFloatPoint& p) {
        CArray<float> ys;
        const int n = loop.CalIntersect(static_cast<float>(p.x), ys);
        int below = 0;
        for (int i = 0; i < n && ys[i] < p.y; ++i) below = i + 1;
        const bool near = (below < n && std::fabs(ys[below] - p.y) <= 0.001) || (below > 0 && std::fabs(ys[below - 1] - p.y) <= 0.001);
        return n > 0 && (below % 2 == 1 || near) ? 1 : 0;
    };
    std::mt19937 rng(17);
    std::uniform_int_distribution<int> coord(0, 40), count(3, 60);
    int inside = 0;
    for (int k = 0; k < 300; ++k) {
        PlotShape loop;
        const int n = count(rng);
        for (int i = 0; i < n; ++i) {
            const float y = k % 25 == 0 && i == n / 2 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(coord(rng));
            loop.AddPoint(static_cast<float>(coord(rng)), y, i == 0 ? 1 : 0);
        }
        loop.AddPoint(loop.Start().x, loop.Start().y, 0);
        loop.CalArea();
        const LoopScanIndex index(loop);
        std::vector<CFloatPoint> points;
        for (int i = 0; i < 40; ++i) points.push_back(CFloatPoint(coord(rng) + 0.5 * (i % 2), coord(rng) + 0.25 * (i % 3)));
        for (int i = 0; i < n; ++i) points.push_back(loop.Point(i));
        for (int x = 0; x <= 40; x += 3) {
            CArray<float> ys;
            loop.CalIntersect(static_cast<float>(x), ys);
            for (float y : ys)
                for (double d : {0.0, 0.0005, -0.0005, 0.01}) points.push_back(CFloatPoint(x, y + d));
        }
        for (const CFloatPoint& p : points) {
            const int want = straightforward(loop, p);
            inside += want;
            EXPECT_EQ(loop.PtIsInLoop(p), want) << "loop " << k << " at " << p.x << ", " << p.y;
            EXPECT_EQ(loop.PtIsInLoop(p, index), want) << "loop " << k << " at " << p.x << ", " << p.y << " indexed";
        }
    }
    EXPECT_GT(inside, 1000) << "the cases hold enough insides";
}

}  // namespace
