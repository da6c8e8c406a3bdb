// Dashing: plain patterns, bridges on straight stretches, the walks along a polyline, and
// the list's half-cut and cut-list dashing.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

namespace {

using namespace plot_fixtures;

structDash Pattern(float gap, float dash, float xScale = 1, float yScale = 1) { return {gap, dash, 0, xScale, yScale}; }

TEST(PlainDash, AlternatesDashesAndGapsAlongThePolyline)
{
    PlotShape line;
    Fill(line, {{{0, 0}, {4, 0}, {4, 6}}});
    line.SetPenIndex(3);
    line.SetMauIndex(5);
    PlotShapeList out;
    // Dash 3, gap 2 along a path of length 10 whose corner lies inside the second dash.
    EXPECT_EQ(line.Dash(out, Pattern(2, 3), 3, std::vector<float>{0, 0, 4, 0, 4, 6}.data()), 1);
    ASSERT_EQ(out.Count(), 1);
    PlotShape* dashes = out.HeadShape();
    EXPECT_EQ(Polylines(*dashes), (std::vector<Polyline>{{{0, 0}, {3, 0}}, {{4, 1}, {4, 4}}}));
    EXPECT_EQ(dashes->GetArea(), CArea(0, 0, 4, 4));
    EXPECT_EQ(dashes->GetMauIndex(), 5);
    EXPECT_EQ(dashes->GetFloatValue(), 3.0f) << "CopyAttrib gives the pen as the float value";
    EXPECT_EQ(line.Dash(out, Pattern(2, 3), 1, std::vector<float>{0, 0}.data()), 0);

    PlotShapeList scaled;
    line.Dash(scaled, Pattern(2, 3, 0.5f, 0.5f), 3, std::vector<float>{0, 0, 4, 0, 4, 6}.data());
    EXPECT_EQ(Polylines(*scaled.HeadShape()), (std::vector<Polyline>{{{0, 0}, {4, 0}, {4, 2}}}))
        << "lengths measured at half scale: the first dash covers 6 units";
}

TEST(PlainDash, EverySubPolylineGivesAShapeWithTheLineAttributes)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {10, 0}}, {{0, 5}, {10, 5}}});
    s.SetLineType(3);
    s.SetPenIndex(4);
    s.SetFloatValue(0.25f);
    PlotShapeList out;
    PlotShape* before = NewShape({{1, 1}});
    out.AddTail(before);
    s.Dash(out, Pattern(2, 3));
    std::vector<PlotShape*> got = Shapes(out);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0]->GetLineType(), 0) << "shapes already in the list stay as they were";
    EXPECT_EQ(Polylines(*got[2]), (std::vector<Polyline>{{{0, 5}, {3, 5}}, {{5, 5}, {8, 5}}}));
    for (PlotShape* d : {got[1], got[2]}) {
        EXPECT_EQ(d->GetLineType(), 3);
        EXPECT_EQ(d->GetPenIndex(), 4);
        EXPECT_EQ(d->GetFloatValue(), 0.25f);
    }
}

TEST(PlainDash, TheCountOfItsPointsIsWhatDashingMakesAndStopsPastTheLimit)
{
    const struct {
        std::vector<Polyline> polylines;
        structDash pattern;
    } cases[] = {
        {{{{0, 0}, {4, 0}, {4, 6}}}, Pattern(2, 3)},
        // Corners inside gaps and dashes, a repeated vertex, two sub-polylines, one point alone.
        {{{{0, 0}, {7, 0}, {7, 0}, {7, 9}, {1, 9}}, {{0, 20}, {50, 20}}, {{3, 3}}}, Pattern(1.5f, 2.5f)},
        // A dash ending exactly at the line's end, and a scaled pattern.
        {{{{0, 0}, {10, 0}}}, Pattern(2, 3)},
        {{{{0, 0}, {100, 0}, {100, 100}}}, Pattern(3, 3, 0.025f, 0.025f)},
        // Without a period the line is one piece of its own points.
        {{{{0, 0}, {10, 0}, {10, 10}}}, Pattern(0, 0)},
    };
    for (const auto& c : cases) {
        PlotShape s;
        for (const Polyline& pl : c.polylines) Fill(s, {pl});
        PlotShapeList made;
        s.Dash(made, c.pattern);
        int64_t points = 0;
        for (PlotShape* d : Shapes(made)) points += d->GetTolPtNum();
        EXPECT_EQ(s.DashPointCount(c.pattern, INT64_MAX), points);
        EXPECT_EQ(s.DashPointCount(c.pattern, points), points);
        if (points > 2) {
            const int64_t stopped = s.DashPointCount(c.pattern, points - 2);
            EXPECT_GT(stopped, points - 2) << "past the limit, whatever it stopped at";
            EXPECT_LE(stopped, points);
        }
    }
}

TEST(PlainDash, APatternWithoutPeriodLeavesTheLineUndashed)
{
    // Walking by a period of zero would never end: such patterns leave the line whole.
    PlotShape s;
    Fill(s, {{{0, 0}, {10, 0}, {10, 10}}});
    for (structDash d : {Pattern(0, 0), Pattern(-3, 2), Pattern(5, -5), Pattern(4, 0)}) {
        PlotShapeList out;
        s.Dash(out, d);
        ASSERT_EQ(out.Count(), 1);
        EXPECT_EQ(Polylines(*out.HeadShape()), (std::vector<Polyline>{{{0, 0}, {10, 0}, {10, 10}}}));
    }
}

TEST(CurveWalk, FindsPointsAlongAndBackAndReportsWhatIsAvailable)
{
    const std::vector<float> p = {0, 0, 10, 0, 10, 10};
    PtOnCurve from{0, 5, 0}, out;
    EXPECT_FLOAT_EQ(PlotShape::FindPtOnCurve(3, p.data(), 8, from, out), 8);
    EXPECT_EQ(out.index, 1);
    EXPECT_DOUBLE_EQ(out.x, 10);
    EXPECT_DOUBLE_EQ(out.y, 3);
    EXPECT_FLOAT_EQ(PlotShape::FindPtOnCurve(3, p.data(), -4, from, out), -4);
    EXPECT_EQ(out.index, 0);
    EXPECT_DOUBLE_EQ(out.x, 1);
    EXPECT_FLOAT_EQ(PlotShape::FindPtOnCurve(3, p.data(), 50, from, out), 15);
    EXPECT_EQ(out.index, 1);
    EXPECT_DOUBLE_EQ(out.y, 10);
    EXPECT_FLOAT_EQ(PlotShape::FindPtOnCurve(3, p.data(), -50, from, out), -5);
    EXPECT_DOUBLE_EQ(out.x, 0);
    EXPECT_EQ(PlotShape::FindPtOnCurve(3, p.data(), 0, from, out), 0);
    EXPECT_EQ(PlotShape::FindPtOnCurve(3, p.data(), 5, PtOnCurve{2, 10, 10}, out), 0);
}

TEST(CurveWalk, RadiusOfAStretch)
{
    // Points on a circle of radius 100 about (0, 0), from -30 to +30 degrees.
    std::vector<float> arc;
    for (int a = -30; a <= 30; a += 10) {
        double r = a * std::numbers::pi / 180;
        arc.insert(arc.end(), {static_cast<float>(100 * std::cos(r)), static_cast<float>(100 * std::sin(r))});
    }
    PtOnCurve from{0, arc[0], arc[1]}, to{5, arc[12], arc[13]};
    EXPECT_NEAR(PlotShape::CalRadius(7, arc.data(), from, to), 100.0, 0.5);

    const std::vector<float> straight = {0, 0, 5, 0, 10, 0};
    EXPECT_EQ(PlotShape::CalRadius(3, straight.data(), PtOnCurve{0, 0, 0}, PtOnCurve{1, 10, 0}), PlotShape::kStraightRadius);
    EXPECT_EQ(PlotShape::CalRadius(3, straight.data(), PtOnCurve{0, 2, 0}, PtOnCurve{0, 2, 0}), PlotShape::kStraightRadius);
    const std::vector<float> back = {0, 0, 8, 1, 4, 2, 10, 0};
    EXPECT_EQ(PlotShape::CalRadius(4, back.data(), PtOnCurve{0, 0, 0}, PtOnCurve{2, 10, 0}), 0.0f);
}

// A run: 100 straight, a quarter arc of radius 60 (5 mm bends too much), then 300 upwards.
Polyline StraightArcStraight()
{
    Polyline p = {{0, 0}, {100, 0}};
    for (int k = 1; k <= 10; ++k) {
        double a = -std::numbers::pi / 2 + k * std::numbers::pi / 20;
        p.push_back({static_cast<float>(100 + 60 * std::cos(a)), static_cast<float>(60 + 60 * std::sin(a))});
    }
    p.push_back({160, 360});
    return p;
}

TEST(BridgedDash, PutsBridgesOnStraightStretchesOnly)
{
    PlotShape s;
    Fill(s, {StraightArcStraight()});
    s.SetMauIndex(5);
    s.SetPenIndex(2);
    s.SetFloatValue(7);
    PlotShapeList out;
    // Period 100 would put the first bridge at the start of the arc.
    s.Dash(out, DashStyle{10, 90, 1.0f, 10});
    std::vector<PlotShape*> pieces = Shapes(out);
    ASSERT_GE(pieces.size(), 2u);
    // The first bridge is moved off the bend to where 30 units ahead run straight enough:
    // past the arc's end, on its last chord or the vertical stretch.
    CFloatPoint end = pieces[0]->End(), next = pieces[1]->Start();
    EXPECT_GT(end.x, 155);
    EXPECT_GT(end.y, 40);
    EXPECT_NEAR(std::hypot(next.x - end.x, next.y - end.y), 10, 0.2) << "the bridge is one gap long";

    // Taken as it comes (no test length), the bridge sits one period on, at the bend's start.
    PlotShapeList plain;
    s.Dash(plain, DashStyle{10, 90, 1.0f, 0});
    EXPECT_EQ(plain.HeadShape()->End(), CFloatPoint(90, 0));
    EXPECT_EQ(pieces[0]->Start(), CFloatPoint(0, 0));
    EXPECT_EQ(pieces.back()->End(), CFloatPoint(160, 360));
    EXPECT_EQ(pieces[0]->GetMauIndex(), 5);
    EXPECT_EQ(pieces[0]->GetFloatValue(), 7.0f) << "dashing keeps the float value";
    EXPECT_FALSE(pieces[0]->GetArea().IsInvalid());
}

TEST(BridgedDash, APatternWithoutPeriodLeavesTheLineUndashed)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {100, 0}, {100, 100}}});
    for (DashStyle style : {DashStyle{0, 0, 1, 10}, DashStyle{-5, 5, 1, 10}, DashStyle{5, -5, 1, 10}}) {
        PlotShapeList out;
        s.Dash(out, style);
        ASSERT_EQ(out.Count(), 2) << "one piece per smooth run";
        EXPECT_EQ(AllPoints(*out.HeadShape()), (Polyline{{0, 0}, {100, 0}}));
    }
    PlotShapeList out;
    s.Dash(out, DashStyle{10, 20, 1, -4});  // a negative test length takes every bridge place as it comes
    EXPECT_GT(out.Count(), 2);
}

TEST(ListDash, HalfCutShapesAreReplacedByDashesFittedToShortShapes)
{
    PlotShapeList list;
    list.AddTail(NewShape({{0, 0}, {50, 0}}, 2));
    list.AddTail(NewShape({{0, 10}, {10, 10}}, 5));
    list.AddTail(NewShape({{0, 20}, {5, 20}}, 7));
    // Length 10 with gap 2 and dash 5: 2 × 7 > 10, e = 5 - 2 = 3 > 2, so dash 3.
    list.DashHalfCutShape(DashStyle{2, 5, 0.1f, 1});
    std::vector<PlotShape*> got = Shapes(list);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0]->GetMauIndex(), 2);
    EXPECT_EQ(AllPoints(*got[1]), (Polyline{{0, 10}, {3, 10}}));
    EXPECT_EQ(AllPoints(*got[2]), (Polyline{{5, 10}, {10, 10}}));
    EXPECT_EQ(got[2]->GetMauIndex(), 5);
    EXPECT_EQ(got[3]->GetMauIndex(), 7);

    PlotShapeList unfitted;
    unfitted.AddTail(NewShape({{0, 10}, {20, 10}}, 5));  // 2 × 7 <= 20: the style as given
    unfitted.DashHalfCutShape(DashStyle{2, 5, 0.1f, 1});
    EXPECT_EQ(AllPoints(*unfitted.HeadShape()), (Polyline{{0, 10}, {5, 10}}));

    PlotShapeList still;
    still.AddTail(NewShape({{0, 10}, {10, 10}}, 5));
    still.DashHalfCutShape(DashStyle{0, 0, 0.1f, 1});
    ASSERT_EQ(still.Count(), 1);
    EXPECT_EQ(AllPoints(*still.HeadShape()), (Polyline{{0, 10}, {10, 10}}));
}

TEST(ListDash, CutListDashesEachKindWithItsOwnStyleWhenBothLengthsArePositive)
{
    PlotShapeList list;
    list.AddTail(NewShape({{0, 0}, {100, 0}}, 2));
    list.AddTail(NewShape({{0, 10}, {100, 10}}, 4));
    list.AddTail(NewShape({{0, 20}, {100, 20}}, 5));
    list.AddTail(NewShape({{0, 30}, {100, 30}}, 1));
    list.DashCutList(DashStyle{10, 40, 0.1f, 1}, DashStyle{0, 30, 0.1f, 1});
    std::vector<PlotShape*> got = Shapes(list);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(AllPoints(*got[0]), (Polyline{{0, 0}, {40, 0}}));
    EXPECT_EQ(AllPoints(*got[2]), (Polyline{{0, 10}, {40, 10}}));
    EXPECT_EQ(AllPoints(*got[4]), (Polyline{{0, 20}, {100, 20}})) << "a gap of 0 leaves half-cuts whole";
    EXPECT_EQ(got[5]->GetMauIndex(), 1);
}

}  // namespace
