// PlotShape: storage and growth, bounds, deep copies, joining, transforms and HPGL text.
#include "plotmodel/plot_shape.h"

#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using namespace plot_fixtures;

const Polyline kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};

TEST(PlotShapeBuilding, PointsGoToTheLastOrANewSubPolyline)
{
    PlotShape s;
    s.AddPointAtLastPl(1, 2);
    EXPECT_EQ(s.GetPlNum(), 1);
    EXPECT_EQ(s.GetTolPtNum(), 1);

    PlotShape two;
    two.AddPoint(1, 1, 1);
    two.AddPoint(2, 2, 1);
    EXPECT_EQ(Polylines(two), (std::vector<Polyline>{{{1, 1}}, {{2, 2}}}));

    int32_t n = 7;
    EXPECT_EQ(two.GetPl(two.GetPlNum(), n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(two.GetPl(-1, n), nullptr);
    EXPECT_EQ(two.Point(2), CFloatPoint(0, 0));
    EXPECT_EQ(two.ToCPoint(-1), CPoint(0, 0));
}

TEST(PlotShapeBuilding, GrowsPastManyStepsAndTrimsWithoutLosingPoints)
{
    PlotShape s;
    for (int pl = 0; pl < 25; ++pl)
        for (int k = 0; k < 100; ++k) s.AddPoint(static_cast<float>(pl), static_cast<float>(k), k == 0);
    s.FreeUsedSpace();
    ASSERT_EQ(s.GetPlNum(), 25);
    ASSERT_EQ(s.GetTolPtNum(), 2500);
    int32_t n = 0;
    const float* p = s.GetPl(24, n);
    ASSERT_EQ(n, 100);
    EXPECT_EQ(p[0], 24.0f);
    EXPECT_EQ(p[199], 99.0f);
    s.AddPointAtLastPl(-1, -1);  // growth after trimming
    EXPECT_EQ(s.End(), CFloatPoint(-1, -1));

    EXPECT_EQ(s.CheckPlBuf(0), 0);
    EXPECT_EQ(s.CheckPtBuf(-3), 0);
}

TEST(PlotShapeBuilding, ClearedShapesBuildAgainInTheStorageTheyHad)
{
    const auto used = [] {
        auto s = std::make_unique<PlotShape>();
        for (int k = 0; k < 200; ++k) s->AddPoint(static_cast<float>(k), 1.0f, k % 50 == 0);
        s->SetPenIndex(5);
        s->SetMauIndex(3);
        s->SetLineType(2);
        s->SetRecIndex(9);
        s->SetPatternIndex(4);
        s->AllocZLen();
        s->CalArea();
        return s;
    };
    const auto fill = [](PlotShape& s) {
        s.AddPointAtLastPl(7, 8);
        s.AddPointAtLastPl(9, 10);
        s.CalArea();
    };
    PlotShape fresh;
    fill(fresh);

    auto points = used();
    int32_t count = 0;
    const float* storage = points->GetPl(0, count);
    points->ClearPoints();
    EXPECT_EQ(points->GetZLen(), nullptr);
    EXPECT_EQ(points->GetArea(), CArea(0, 1, 199, 1)) << "the bounds stay until recomputed";
    fill(*points);
    EXPECT_EQ(Polylines(*points), Polylines(fresh)) << "no count of the sub-polylines dropped is taken on";
    EXPECT_EQ(points->GetPl(0, count), storage);
    EXPECT_EQ(points->GetPenIndex(), 5);
    EXPECT_EQ(points->GetPatternIndex(), 4u);

    auto all = used();
    all->ClearKeepingStorage();
    EXPECT_EQ(all->GetArea(), PlotShape().GetArea()) << "the bounds of a new shape";
    fill(*all);
    EXPECT_EQ(Polylines(*all), Polylines(fresh));
    EXPECT_EQ(all->GetArea(), fresh.GetArea());
    EXPECT_EQ(all->GetPenIndex(), fresh.GetPenIndex());
    EXPECT_EQ(all->GetMauIndex(), fresh.GetMauIndex());
    EXPECT_EQ(all->GetLineType(), fresh.GetLineType());
    EXPECT_EQ(all->GetRecIndex(), fresh.GetRecIndex());
    EXPECT_EQ(all->GetPatternIndex(), fresh.GetPatternIndex());
    EXPECT_EQ(all->GetFloatValue(), fresh.GetFloatValue());
    EXPECT_EQ(all->GetZLen(), nullptr);
}

TEST(PlotShapeBounds, TruncatesTowardZeroAndAnEmptyShapeGetsTheInvalidBox)
{
    PlotShape empty;
    EXPECT_EQ(empty.CalArea(), CArea(2147483647, 2147483647, -2147483647, -2147483647));

    PlotShape one;
    one.AddPointAtLastPl(10.9f, -3.9f);
    EXPECT_EQ(one.CalArea(), CArea(10, -3, 10, -3));
    EXPECT_EQ(one.GetArea(), CArea(10, -3, 10, -3));

    PlotShape far;
    far.AddPointAtLastPl(1e30f, -5.5f);
    EXPECT_EQ(far.CalArea(), CArea(INT32_MAX, -5, INT32_MAX, -5));
}

TEST(PlotShapeCopy, DeepCopiesShareNoBufferAndOutliveTheirSource)
{
    auto source = std::make_unique<PlotShape>();
    Fill(*source, {kSquare, {{5, 5}, {6, 6}}});
    source->SetPatternIndex(7);
    source->SetPenIndex(3);
    source->SetLineType(2);
    source->SetRecIndex(4);
    source->SetMauIndex(5);
    source->SetFloatValue(2.5f);

    PlotShape assigned;
    assigned.AddPoint(9, 9, 1);
    assigned = *source;
    std::unique_ptr<PlotShape> made(source->NewCopy());
    std::vector<Polyline> want = Polylines(*source);
    source.reset();  // the copies must not read the freed buffers

    for (PlotShape* copy : {&assigned, made.get()}) {
        EXPECT_EQ(Polylines(*copy), want);
        EXPECT_EQ(copy->GetPatternIndex(), 7u);
        EXPECT_EQ(copy->GetPenIndex(), 3);
        EXPECT_EQ(copy->GetLineType(), 2);
        EXPECT_EQ(copy->GetRecIndex(), 4);
        EXPECT_EQ(copy->GetMauIndex(), 5);
        EXPECT_EQ(copy->GetFloatValue(), 2.5f);
        EXPECT_EQ(copy->GetArea(), CArea(0, 0, 100, 100));
        EXPECT_EQ(copy->GetStoredIn(), nullptr);
    }
    assigned.AddPointAtLastPl(1, 1);
    EXPECT_EQ(made->GetTolPtNum(), 7);
}

TEST(PlotShapeCopy, CopyAttribTakesThePatternButNotTheBoundsAndDestroyKeepsThem)
{
    PlotShape source;
    Fill(source, {kSquare});
    source.SetPatternIndex(7);
    source.SetPenIndex(6);
    source.SetMauIndex(2);

    PlotShape target;
    target.CopyAttrib(source);
    EXPECT_EQ(target.GetPatternIndex(), 7u);
    EXPECT_EQ(target.GetMauIndex(), 2);
    EXPECT_EQ(target.GetFloatValue(), 6.0f);
    EXPECT_EQ(target.GetArea(), CArea());
    EXPECT_EQ(target.GetTolPtNum(), 0);

    source.Destroy();
    EXPECT_EQ(source.GetTolPtNum(), 0);
    EXPECT_EQ(source.GetPlNum(), 0);
    EXPECT_EQ(source.GetMauIndex(), 127);
    EXPECT_EQ(source.GetPenIndex(), 0);
    EXPECT_EQ(source.GetPatternIndex(), 7u);
    EXPECT_EQ(source.GetArea(), CArea(0, 0, 100, 100));
}

TEST(PlotShapeCopy, AppendingAShapeToItselfDoublesIt)
{
    PlotShape s;
    Fill(s, {{{1, 2}, {3, 4}}});
    s.Append(&s);
    EXPECT_EQ(Polylines(s), (std::vector<Polyline>{{{1, 2}, {3, 4}}, {{1, 2}, {3, 4}}}));
}

TEST(PlotShapeDepth, AllocZLenGivesOneZeroedEntryPerSubPolylineAndAtLeastOne)
{
    PlotShape empty;
    EXPECT_EQ(empty.GetZLen(), nullptr);
    empty.AllocZLen();
    ASSERT_NE(empty.GetZLen(), nullptr);
    EXPECT_EQ(empty.GetZLen()[0], 0);

    PlotShape s;
    Fill(s, {{{0, 0}}, {{1, 1}}, {{2, 2}}});
    s.AllocZLen();
    s.GetZLen()[2] = 9;
    s.AllocZLen();
    EXPECT_EQ(s.GetZLen()[2], 0);
}

// Restores the library-wide tolerance after a test that changes it.
class JoinTolerance : public ::testing::Test {
protected:
    void TearDown() override { PlotShape::SetError(5.0f); }
};

TEST_F(JoinTolerance, IsFiveAtLoadAndStoredAsAnAbsoluteValue)
{
    EXPECT_EQ(PlotShape::GetError(), 5.0f);
    PlotShape::SetError(-3.0f);
    EXPECT_EQ(PlotShape::GetError(), 3.0f);
}

TEST_F(JoinTolerance, EndTestsAndClosureUseIt)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {100, 0}, {100, 100}, {4, 5}}});
    EXPECT_EQ(s.IsClose(), 1);
    EXPECT_EQ(s.IsEndPt(CFloatPoint(0, 0)), 0);
    EXPECT_EQ(s.IsEndPt(CFloatPoint(4, 5)), 1);
    EXPECT_EQ(s.IsEndPt(CFloatPoint(4, 5.5)), -1);
    EXPECT_EQ(s.IsEndPoint(CFloatPoint(104, 105)), -1);
    EXPECT_EQ(s.IsEndPoint(CFloatPoint(5, -5)), 0);
    EXPECT_EQ(s.IsEndPoint(CFloatPoint(9, 10)), 1);
    PlotShape::SetError(4.0f);
    EXPECT_EQ(s.IsClose(), 0);

    PlotShape twoSame;
    Fill(twoSame, {{{1, 1}, {1, 1}}});
    EXPECT_EQ(twoSame.IsClose(), 0);
    PlotShape empty;
    EXPECT_EQ(empty.IsEndPt(CFloatPoint(0, 0)), -1);
    CFloatPoint p;
    EXPECT_EQ(empty.GetStartPt(p), 0);
    EXPECT_EQ(s.GetLastPt(p), 1);
    EXPECT_EQ(p, CFloatPoint(4, 5));
}

TEST(PlotShapeConnect, JoinsAtTheFirstMatchingPairOfEnds)
{
    struct Case {
        const char* name;
        Polyline other;
        Polyline want;
    };
    // This shape runs (0,0) -> (10,0).
    const Case cases[] = {
        {"end meets start", {{12, 1}, {20, 0}}, {{0, 0}, {10, 0}, {20, 0}}},
        {"end meets end", {{20, 0}, {13, 2}}, {{0, 0}, {10, 0}, {20, 0}}},
        {"start meets start", {{-2, 0}, {-10, 0}}, {{-10, 0}, {0, 0}, {10, 0}}},
        {"start meets end", {{-10, 0}, {3, 3}}, {{-10, 0}, {0, 0}, {10, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape s, other;
        Fill(s, {{{0, 0}, {10, 0}}});
        Fill(other, {c.other});
        EXPECT_EQ(s.Connect(other), 1);
        EXPECT_EQ(AllPoints(s), c.want);
        EXPECT_EQ(other.GetTolPtNum(), 2);
    }
    PlotShape s, far;
    Fill(s, {{{0, 0}, {10, 0}}});
    Fill(far, {{{16, 0}, {30, 0}}});
    EXPECT_EQ(s.Connect(far), 0);
    EXPECT_EQ(s.GetTolPtNum(), 2);
}

TEST(PlotShapeConnect, RefusesShapesWithoutASubPolylineToJoin)
{
    // Joining onto a shape without sub-polylines would count points into a polyline that
    // does not exist: every joining entry point refuses it.
    PlotShape empty, piece;
    Fill(piece, {{{0, 0}, {10, 0}}});
    EXPECT_EQ(empty.Connect(piece), 0);
    EXPECT_EQ(empty.AddAtLast(piece), 0);
    EXPECT_EQ(empty.AddAtStart(piece), 0);
    EXPECT_EQ(empty.GetTolPtNum(), 0);
    EXPECT_EQ(empty.GetPlNum(), 0);

    PlotShape twoPolylines;
    Fill(twoPolylines, {{{10, 0}, {20, 0}}, {{30, 0}, {40, 0}}});
    EXPECT_EQ(piece.Connect(twoPolylines), 0);
    EXPECT_EQ(piece.GetTolPtNum(), 2);
}

TEST(PlotShapeMeasure, LengthRectangleAndBoxHits)
{
    PlotShape s;
    Fill(s, {kSquare, {{0, 0}, {3, 4}}, {{7, 7}}});
    EXPECT_FLOAT_EQ(s.CalLength(), 405.0f);

    struct Case {
        const char* name;
        Polyline points;
        int want;
    };
    const Case cases[] = {
        {"square", kSquare, 1},
        {"repeated first point and lead-out", {{0, 0}, {0, 0}, {50, 0}, {100, 0}, {100, 50}, {0, 50}, {0, 0}, {30, 70}}, 1},
        {"slanted side", {{0, 0}, {100, 0}, {100, 100}, {1, 100}, {0, 0}}, 0},
        {"three runs", {{0, 0}, {100, 0}, {100, 100}, {50, 100}, {0, 100}}, 0},
        {"too few points", {{0, 0}, {100, 0}, {100, 100}, {0, 100}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape r;
        Fill(r, {c.points});
        EXPECT_EQ(r.IsRect(), c.want);
    }

    PlotShape frame;
    Fill(frame, {kSquare});
    EXPECT_EQ(frame.IsIntersectWithBox(OL_Box(40, 40, 60, 60)), 0);  // inside, touching no side
    EXPECT_EQ(frame.IsIntersectWithBox(OL_Box(90, 40, 110, 60)), 1);
    EXPECT_EQ(frame.IsIntersectWithBox(OL_Box(200, 200, 300, 300)), 0);
}

TEST(PlotShapeMeasure, LowestCrossingAndItsDirection)
{
    struct Case {
        const char* name;
        std::initializer_list<Polyline> polylines;
        float x;
        int want;
        float wantY;
    };
    const Case cases[] = {
        {"square, bottom side runs towards larger x", {kSquare}, 50, 0, 0},
        {"reversed square", {{{0, 0}, {0, 100}, {100, 100}, {100, 0}, {0, 0}}}, 50, 1, 0},
        {"vertex on the line, arriving from the left", {{{0, 50}, {50, 10}, {100, 50}}}, 50, 0, 10},
        {"start on the line, leaving to the left", {{{50, 5}, {0, 60}, {100, 60}}}, 50, 1, 5},
        {"lower polyline wins", {{{0, 80}, {100, 80}}, {{100, 20}, {0, 20}}}, 30, 1, 20},
        {"outside the x range", {kSquare}, 101, -1, -99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape s;
        Fill(s, c.polylines);
        float y = -99;
        EXPECT_EQ(s.CalInterset_Lowest(c.x, y), c.want);
        EXPECT_EQ(y, c.wantY);
    }
    PlotShape empty;
    float y = 0;
    EXPECT_EQ(empty.CalInterset_Lowest(0, y), -1);
}

TEST(PlotShapeTransform, MoveShiftsPointsAndBoundsTheOthersOnlyPoints)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {10, 20}}});
    s.Move(5.7f, -2.2f);
    EXPECT_EQ(AllPoints(s), (Polyline{{5.7f, -2.2f}, {15.7f, 17.8f}}));
    EXPECT_EQ(s.GetArea(), CArea(5, -2, 15, 18));

    const CArea box(0, 0, 100, 50);
    struct Case {
        const char* name;
        void (*apply)(PlotShape&, const CArea&);
        Polyline want;
    };
    const Case cases[] = {
        {"quarter 1", [](PlotShape& p, const CArea& b) { p.Rotate(1, &b); }, {{40, 10}, {30, 30}}},
        {"quarter 2", [](PlotShape& p, const CArea& b) { p.Rotate(2, &b); }, {{90, 40}, {70, 30}}},
        {"quarter 3", [](PlotShape& p, const CArea& b) { p.Rotate(3, &b); }, {{10, 90}, {20, 70}}},
        {"quarter 4 does nothing", [](PlotShape& p, const CArea& b) { p.Rotate(4, &b); }, {{10, 10}, {30, 20}}},
        {"quarter 1, null box", [](PlotShape& p, const CArea&) { p.Rotate(1, nullptr); }, {{-10, 10}, {-20, 30}}},
        {"mirror", [](PlotShape& p, const CArea& b) { p.Mirror(&b); }, {{10, 40}, {30, 30}}},
        {"mirror, null box", [](PlotShape& p, const CArea&) { p.Mirror(nullptr); }, {{10, -10}, {30, -20}}},
        {"mirror by x", [](PlotShape& p, const CArea&) { p.MirrorByX(100); }, {{90, 10}, {70, 20}}},
        {"scale", [](PlotShape& p, const CArea&) { p.Scale(2, -1); }, {{20, -10}, {60, -20}}},
        {"stretch x", [](PlotShape& p, const CArea&) { p.Stretchx(0.5f); }, {{15, 10}, {40, 20}}},
        {"stretch y", [](PlotShape& p, const CArea&) { p.Stretchy(0.5f); }, {{10, 15}, {30, 35}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape p;
        Fill(p, {{{10, 10}, {30, 20}}});
        c.apply(p, box);
        EXPECT_EQ(AllPoints(p), c.want);
        EXPECT_EQ(p.GetArea(), CArea(10, 10, 30, 20));
    }
}

TEST(PlotShapeTransform, RotateTurnsByTheDirectionAndAZeroDirectionChangesNothing)
{
    PlotShape s;
    Fill(s, {{{20, 10}, {30, 10}}});
    s.Rotate(10, 10, 0, 5);  // a quarter turn about (10, 10)
    Polyline got = AllPoints(s);
    EXPECT_NEAR(got[0].x, 10, 1e-5);
    EXPECT_NEAR(got[0].y, 20, 1e-5);
    EXPECT_NEAR(got[1].x, 10, 1e-5);
    EXPECT_NEAR(got[1].y, 30, 1e-5);
    EXPECT_EQ(s.GetArea().ymax, 30);

    // A zero or infinite direction names no rotation: the shape stays as it was (no NaN),
    // and its bounds are computed as after any rotation.
    for (float dx : {0.0f, FloatInfinite()}) {
        PlotShape still;
        Fill(still, {{{20, 10}, {30, 10}}});
        still.AddPointAtLastPl(40, 10);
        still.Rotate(10, 10, dx, 0);
        EXPECT_EQ(AllPoints(still), (Polyline{{20, 10}, {30, 10}, {40, 10}})) << dx;
        EXPECT_EQ(still.GetArea(), CArea(20, 10, 40, 10)) << dx;
    }
}

TEST(PlotShapeTransform, ReverseTurnsPointsAndSubPolylineCounts)
{
    PlotShape s;
    Fill(s, {{{1, 1}}, {{2, 2}, {3, 3}, {4, 4}}});
    s.Reverse();
    EXPECT_EQ(Polylines(s), (std::vector<Polyline>{{{4, 4}, {3, 3}, {2, 2}}, {{1, 1}}}));
}

TEST(PlotShapeText, WritesPenUpThenPenDownPerSubPolyline)
{
    struct Case {
        const char* name;
        std::initializer_list<Polyline> polylines;
        const char* want;
        const char* wantFloat;
    };
    const Case cases[] = {
        {"three points", {{{0, 0}, {400, 0}, {400, 400}}}, "PU0,0;PD400,0,400,400;",
         "PU0,0;PD400,0,400,400;"},
        {"one point", {{{5.9f, -6.9f}}}, "PU5,-6;PD;", "PU5.9,-6.9;PD;"},
        {"two sub-polylines", {{{1, 2}, {3, 4}}, {{5, 6}, {7, 8}}}, "PU1,2;PD3,4;PU5,6;PD7,8;",
         "PU1,2;PD3,4;PU5,6;PD7,8;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlotShape s;
        Fill(s, c.polylines);
        CStringA text("SP1;");
        s.ToPltString(text);
        EXPECT_EQ(text.str(), std::string("SP1;") + c.want);
        CStringA floats;
        s.ToPltStringFloat(floats);
        EXPECT_EQ(floats.str(), c.wantFloat);
    }
    PlotShape empty;
    CStringA none;
    empty.ToPltString(none);
    EXPECT_TRUE(none.IsEmpty());
}

}  // namespace
