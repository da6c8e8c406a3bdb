// The print traversal walked group by group: codes, point groups, depths and pulse totals.
#include "plotmodel/plot_shape_cut_list.h"

#include "traversal_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace plot_fixtures;
namespace R = GetNextPathResult;

Group G(int code, std::vector<CPoint> pts) { return {code, std::move(pts)}; }

// A knife job (MauIndex 2) cut at depth 20 of the four depths 10, 20, 30, 40.
void MakeKnifeJob(PlotShapeCutList& l)
{
    AddShape(l, {{100.7f, 200.2f}, {300.9f, 200.5f}, {300.2f, -0.7f}}, CutModeIndex::kCut);
    l.InitPrint(10, 20, 30, 40);
    l.SetHeadPosition(0, 0, 0);
    l.SetReportedPosition(0, 0, 0);
}

TEST(CutListWalk, KnifeJobGivesTravelLowerPathRaiseThenFinishes)
{
    PlotShapeCutList l;
    MakeKnifeJob(l);
    EXPECT_EQ(l.GetToltalPulseNum(), 600) << "before the walk no plunge is counted";
    EXPECT_EQ(l.GetToltalPulseNum_at(), 600);
    EXPECT_EQ(l.GetCurveTotal(), 1);

    std::vector<Group> expected = {
        G(R::kTravel, {{0, 0}, {100, 200}}),
        Depth(-20),
        G(CutModeIndex::kCut, {{100, 200}, {300, 200}, {300, 0}}),  // -0.7 truncates to 0
        Depth(20),
        G(R::kNoShapeLeft, {}),
    };
    EXPECT_EQ(WalkDepth(l), expected);
    EXPECT_TRUE(l.IsFinished());
    CArray<CPoint> g;
    EXPECT_EQ(l.GetNextPath(g), R::kFinished);
    EXPECT_EQ(g.GetSize(), 0);

    ASSERT_NE(l.GetHead(), nullptr);
    EXPECT_EQ(static_cast<PlotShape*>(l.GetHead())->GetZLen()[0], -20);
    EXPECT_EQ(l.GetToltalPulseNum(), 640) << "the plunge and the raise count once walked";
    EXPECT_EQ(l.GetToltalPulseNum_at(), 600);
    EXPECT_EQ(l.GetCurveOrdinal(), 1) << "the count leaves the cursor on the first shape";
    EXPECT_FLOAT_EQ(l.GetPercentage(), 1.0f);
}

struct WalkCase {
    const char* name;
    std::function<void(PlotShapeCutList&)> build;
    std::vector<Group> expected;
};

class CutListWalkCases : public ::testing::TestWithParam<WalkCase> {};

TEST_P(CutListWalkCases, YieldsTheGroups)
{
    PlotShapeCutList l;
    GetParam().build(l);
    EXPECT_EQ(WalkDepth(l), GetParam().expected);
    CArray<CPoint> g;
    EXPECT_EQ(l.GetNextPath(g), R::kFinished);
}

PlotShape* TwoPolylines(const Polyline& a, const Polyline& b, unsigned char mau)
{
    auto* s = new PlotShape;
    Fill(*s, {a, b});
    s->SetMauIndex(mau);
    return s;
}

const WalkCase kWalkCases[] = {
    {"ShapesThatJoinAreCutOnWithoutRaiseOrMove",
     [](PlotShapeCutList& l) {
         AddShape(l, {{0, 0}, {100, 0}}, CutModeIndex::kCut);
         AddShape(l, {{100.4f, 0.9f}, {100, 100}}, CutModeIndex::kCut);
         l.InitPrint(5, 20, 30, 40);
     },
     {Depth(-20), G(2, {{0, 0}, {100, 0}}), G(2, {{100, 0}, {100, 100}}), Depth(20), G(R::kNoShapeLeft, {})}},
    {"SubPolylinesThatMeetNeedNoMoveAndADrawingAtDepthZeroNoDepthChange",
     [](PlotShapeCutList& l) {
         l.AddTail(TwoPolylines({{0, 0}, {50, 0}}, {{50, 0}, {50, 50}}, PlotShape::kDefaultMauIndex));
         l.InitPrint(0, 20, 30, 40);
     },
     {G(1, {{0, 0}, {50, 0}}), G(1, {{50, 0}, {50, 50}}), G(R::kNoShapeLeft, {})}},
    {"SubPolylinesApartAreRaisedMovedAndLowered",
     [](PlotShapeCutList& l) {
         l.AddTail(TwoPolylines({{0, 0}, {10, 0}}, {{20, 0}, {30, 0}}, CutModeIndex::kHalfCut));
         l.InitPrint(0, 0, 7, 0);
     },
     {Depth(-7), G(5, {{0, 0}, {10, 0}}), Depth(7), G(R::kTravel, {{10, 0}, {20, 0}}), Depth(-7),
      G(5, {{20, 0}, {30, 0}}), Depth(7), G(R::kNoShapeLeft, {})}},
    {"ALoweredToolAtJobStartIsRaisedFirst",
     [](PlotShapeCutList& l) {
         AddShape(l, {{10, 10}, {20, 10}});
         l.InitPrint(3, 20, 30, 40);
         l.SetHeadPosition(5, 5, 12);
         l.SetCurrentDepth(12);
     },
     {Depth(-12), G(R::kTravel, {{5, 5}, {10, 10}}), Depth(3), G(1, {{10, 10}, {20, 10}}), Depth(-3),
      G(R::kNoShapeLeft, {})}},
    {"ASubPolylineThatTruncatesToOnePointYieldsNoGroup",
     [](PlotShapeCutList& l) {
         l.AddTail(TwoPolylines({{-0.7f, 3.9f}, {0.2f, 3.1f}}, {{0, 3}, {-10.5f, 3}}, PlotShape::kDefaultMauIndex));
         l.InitPrint(0, 0, 0, 0);
         l.SetHeadPosition(0, 3, 0);
     },
     {G(R::kNothingAppended, {}), G(1, {{0, 3}, {-10, 3}}), G(R::kNoShapeLeft, {})}},
    {"ShapesWithoutPointsAreSkippedInsteadOfVisitingTheOrigin",
     [](PlotShapeCutList& l) {
         l.AddTail(new PlotShape);
         AddShape(l, {{10, 5}, {20, 5}});
         l.AddTail(new PlotShape);
         AddShape(l, {{20, 5}, {30, 5}});
         l.AddTail(new PlotShape);
         l.InitPrint(0, 0, 0, 0);
         l.SetHeadPosition(10, 5, 0);
     },
     {G(1, {{10, 5}, {20, 5}}), G(1, {{20, 5}, {30, 5}}), G(R::kNoShapeLeft, {})}},
    {"CutModesChooseDepthAndCodeAndJoinedShapesChangeDepthDirectly",
     [](PlotShapeCutList& l) {
         AddShape(l, {{0, 0}, {0, 100}}, CutModeIndex::kRaiseToolFirst);
         AddShape(l, {{0, 100}, {50, 100}}, CutModeIndex::kFourthDepth);
         AddShape(l, {{50, 100}, {60, 100}}, 7);
         l.InitPrint(3, 20, 30, 40);
     },
     {G(99, {{0, 0}, {0, 100}}), Depth(-40), G(130, {{0, 100}, {50, 100}}), Depth(43), G(1, {{50, 100}, {60, 100}}),
      Depth(-3), G(R::kNoShapeLeft, {})}},
    {"RepeatedTruncatedPointsAreLeftOutOfAPath",
     [](PlotShapeCutList& l) {
         AddShape(l, {{0, 0}, {9.2f, 0}, {9.8f, 0.5f}, {20, 0}});
         l.InitPrint(0, 0, 0, 0);
     },
     {G(1, {{0, 0}, {9, 0}, {20, 0}}), G(R::kNoShapeLeft, {})}},
    {"AnEmptyListFinishesAtOnce", [](PlotShapeCutList& l) { l.InitPrint(1, 2, 3, 4); }, {G(R::kNoShapeLeft, {})}},
};

INSTANTIATE_TEST_SUITE_P(Jobs, CutListWalkCases, ::testing::ValuesIn(kWalkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CutListWalk, AOnePointSubPolylineJoinedAtDepthCountsNoPlunge)
{
    PlotShapeCutList l;
    auto* s = new PlotShape;
    Fill(*s, {{{0, 0}, {10, 0}}, {{10, 0}}, {{10, 0}, {20, 0}}});
    s->SetMauIndex(CutModeIndex::kCut);
    l.AddTail(s);
    l.InitPrint(0, 20, 0, 0);
    std::vector<Group> walk = Motion(WalkDepth(l));
    std::vector<Group> expected = {Depth(-20), G(2, {{0, 0}, {10, 0}}), G(2, {{10, 0}, {20, 0}}), Depth(20)};
    EXPECT_EQ(walk, expected);
    EXPECT_EQ(l.GetToltalPulseNum(), 60);
}

// A dashed line is one shape of as many sub-polylines as dashes. Each call of a walk finds
// its place from where the last one stood, so such a shape is walked in linear time (looked
// up from the first sub-polyline on every call, 20000 dashes took hours).
TEST(CutListWalk, ADashedLineOfManyDashesIsWalkedWholeAndResumedQuickly)
{
    constexpr int kDashes = 20000;
    const float line[] = {0, 0, 20.0f * kDashes, 0};
    structDash d;
    d.dash = 10;
    d.gap = 10;
    PlotShapeCutList l;
    PlotShape().Dash(l, d, 2, line);
    ASSERT_EQ(l.HeadShape()->GetPlNum(), kDashes);
    l.HeadShape()->SetMauIndex(CutModeIndex::kCut);
    l.InitPrint(0, 7, 0, 0);

    auto depthWalk = [&l](CArray<CPoint>& pts) { return l.GetNextPath(pts); };
    std::vector<Group> walk = Motion(WalkAll(depthWalk, 10 * kDashes));
    // Lower, cut; then raise, travel, lower, cut per further dash; the last raise.
    ASSERT_EQ(walk.size(), 4u * kDashes - 1);
    EXPECT_EQ(walk[walk.size() - 2], G(CutModeIndex::kCut, {{20 * kDashes - 20, 0}, {20 * kDashes - 10, 0}}));
    int64_t pulses = 0;
    for (const Group& g : walk) pulses += Pulses(g);
    EXPECT_EQ(pulses, l.GetToltalPulseNum());

    l.ResumePrint(static_cast<int32_t>(pulses - 12));  // 5 pulses into the last dash
    CArray<CPoint> g;
    EXPECT_EQ(ToGroup(l.GetNextPath(g), g), G(CutModeIndex::kCut, {{20 * kDashes - 15, 0}, {20 * kDashes - 10, 0}}));

    CArray<CFloatPoint> angles;
    l.InitPrint(0, 7, 0, 0);
    std::vector<Group> at =
        Motion(WalkAll([&](CArray<CPoint>& pts) { return l.GetNextPath_at(pts, angles, nullptr); }, 10 * kDashes));
    EXPECT_EQ(at.size(), 2u * kDashes - 1) << "a cut and a join move per dash";
}

TEST(CutListWalk, ProgressCountsListPositions)
{
    PlotShapeCutList l;
    l.AddTail(new PlotShape);
    AddShape(l, {{0, 0}, {10, 0}});
    AddShape(l, {{20, 0}, {30, 0}});
    AddShape(l, {{40, 0}, {50, 0}});
    l.InitPrint(0, 0, 0, 0);
    EXPECT_EQ(l.GetPercentage(), 0.0f);
    CArray<CPoint> g;
    l.GetNextPath(g);  // travel to the second list position
    EXPECT_EQ(l.GetCurveOrdinal(), 2);
    EXPECT_FLOAT_EQ(l.GetPercentage(), 0.5f);
    l.AddCrvNumCounter(4);
    EXPECT_FLOAT_EQ(l.GetPercentage(), 0.25f);

    PlotShapeCutList empty;
    empty.InitPrint(0, 0, 0, 0);
    EXPECT_EQ(empty.GetPercentage(), 0.0f);
}

// ---- the walk without depth changes ----

TEST(CutListWalkAt, CodesByCutModeJoinMovesAndUnwrappedAngles)
{
    PlotShapeCutList l;
    l.AddTail(TwoPolylines({{0, 0}, {10, -10}, {20, 0}}, {{30, 0}, {40, 0}}, CutModeIndex::kCut));
    AddShape(l, {{40, 0}, {50, 0}}, CutModeIndex::kHalfCut);
    AddShape(l, {{60, 0}, {70, 0}}, CutModeIndex::kNoCompensation);
    l.InitPrint(1, 2, 3, 4);
    l.SetCurrentDepth(9);  // never raised or lowered by this walk
    const float aspect[2] = {2.0f, 1.0f};  // x scale above y scale: y differences count twice

    CArray<CPoint> g;
    CArray<CFloatPoint> angles;
    ASSERT_EQ(l.GetNextPath_at(g, angles, aspect), GetNextPathAtResult::kKnife);
    EXPECT_EQ(ToGroup(2, g), G(2, {{0, 0}, {10, -10}, {20, 0}}));
    ASSERT_EQ(angles.GetSize(), 3);
    const double down = 2 * M_PI - std::atan(2.0);  // direction of (10, -20)
    const double up = std::atan(2.0) + 2 * M_PI;    // (10, 20), unwrapped past 2π
    EXPECT_NEAR(angles[0].x, down, 1e-6) << "the first entry takes the second point's angle";
    EXPECT_EQ(angles[0].y, 0.0);
    EXPECT_NEAR(angles[1].x, down, 1e-6);
    EXPECT_NEAR(angles[1].y, std::sqrt(500.0), 1e-4);
    EXPECT_NEAR(angles[2].x, up, 1e-6);
    EXPECT_NEAR(angles[2].y, 2 * std::sqrt(500.0), 1e-4);

    std::vector<Group> rest = {
        G(GetNextPathAtResult::kJoinMove, {{20, 0}, {30, 0}}),
        G(GetNextPathAtResult::kKnife, {{30, 0}, {40, 0}}),
        G(GetNextPathAtResult::kHalfCut, {{40, 0}, {50, 0}}),
        G(GetNextPathAtResult::kTravelOrDraw, {{50, 0}, {60, 0}}),
        G(GetNextPathAtResult::kNoCompensation, {{60, 0}, {70, 0}}),
        G(R::kNoShapeLeft, {}),
        G(R::kFinished, {}),
    };
    for (const Group& want : rest) {
        g.RemoveAll();
        int code = l.GetNextPath_at(g, angles, aspect);
        EXPECT_EQ(ToGroup(code, g), want);
    }
    EXPECT_EQ(l.GetCurrentDepth(), 9);
}

TEST(CutListWalkAt, CodesOfTheRemainingCutModes)
{
    const std::pair<unsigned char, int> cases[] = {{1, 0}, {3, 0}, {4, 2}, {127, 0}, {130, 4},
                                                   {99, 99}, {100, 100}, {101, 101}, {102, 102}};
    for (auto [mau, code] : cases) {
        PlotShapeCutList l;
        AddShape(l, {{0, 0}, {5, 5}}, mau);
        l.InitPrint(0, 0, 0, 0);
        CArray<CPoint> g;
        CArray<CFloatPoint> angles;
        EXPECT_EQ(l.GetNextPath_at(g, angles, nullptr), code) << "MauIndex " << int(mau);
    }
}

TEST(CutListWalkAt, ScalesOfZeroOrLessCountAsOneToOne)
{
    const float cases[][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 0.0f}, {-2.0f, 1.0f}, {1.0f, 1.0f}};
    for (const auto& aspect : cases) {
        PlotShapeCutList l;
        AddShape(l, {{0, 0}, {10, 10}});
        l.InitPrint(0, 0, 0, 0);
        CArray<CPoint> g;
        CArray<CFloatPoint> angles;
        ASSERT_EQ(l.GetNextPath_at(g, angles, aspect), 0);
        ASSERT_EQ(angles.GetSize(), 2);
        EXPECT_NEAR(angles[1].x, M_PI / 4, 1e-9) << aspect[0] << ":" << aspect[1];
        EXPECT_NEAR(angles[1].y, std::sqrt(200.0), 1e-9);
    }
}

// ---- the walk with axis-parallel travel ----

TEST(CutListWalkAngle, TravelsAlongYThenXLowersByPenAndReturnsHome)
{
    PlotShapeCutList l;
    auto add = [&l](const Polyline& pts, short pen) {
        PlotShape* s = NewShape(pts);
        s->SetPenIndex(pen);
        l.AddTail(s);
    };
    add({{10, 20}, {30, 20}}, 2);
    add({{40, 50}, {40, 60}}, 1);
    add({{40, 60}, {45, 60}}, 5);  // joined: stays at the depth it is at
    l.InitPrint(3, 20, 30, 0);

    std::vector<Group> expected = {
        G(R::kTravel, {{0, 0}, {0, 20}, {10, 20}}),
        Depth(-20),
        G(2, {{10, 20}, {30, 20}}),
        Depth(20),
        G(R::kTravel, {{30, 20}, {30, 50}, {40, 50}}),
        Depth(3),
        G(1, {{40, 50}, {40, 60}}),
        G(5, {{40, 60}, {45, 60}}),
        Depth(-3),
        G(R::kTravel, {{45, 60}, {45, 0}, {0, 0}}),
        G(R::kNoShapeLeft, {}),
    };
    EXPECT_EQ(WalkAll([&l](CArray<CPoint>& g) { return l.GetNextPath_Angle(g); }), expected);
    EXPECT_EQ(l.GetArea(), CArea(10, 20, 45, 60)) << "the box is recomputed at the end";

    // A stop 5 pulses before the end lies in the move home: 60 along y, then 40 of 45 along x.
    int64_t total = 0;
    for (const Group& g : expected) total += Pulses(g);
    l.SetReportedPosition(5, 0, 0);
    l.ResumePrint(static_cast<int32_t>(total - 5));
    CArray<CPoint> g;
    EXPECT_EQ(l.GetNextPath_Angle(g), R::kTravel);
    EXPECT_EQ(ToGroup(0, g), G(0, {{5, 0}, {0, 0}}));
    g.RemoveAll();
    EXPECT_EQ(l.GetNextPath_Angle(g), R::kNoShapeLeft);
}

// ---- copies, shifts and drawing ----

TEST(CutList, CopyIsDeepAndLeavesNoCursorIntoDeletedShapes)
{
    PlotShapeCutList a;
    AddShape(a, {{0, 0}, {10, 0}}, CutModeIndex::kCut);
    AddShape(a, {{20, 0}, {30, 0}});
    PlotShapeCutList b;
    AddShape(b, {{5, 5}, {6, 6}});
    b.InitPrint(0, 0, 0, 0);
    CArray<CPoint> g;
    b.GetNextPath(g);
    ASSERT_NE(b.GetCurrentShape(), nullptr);

    b = a;
    EXPECT_EQ(b.Count(), 2);
    EXPECT_EQ(b.GetCurrentShape(), nullptr);
    EXPECT_NE(b.GetHead(), a.GetHead());
    EXPECT_EQ(AllPoints(*b.HeadShape()), AllPoints(*a.HeadShape()));
    EXPECT_EQ(b.HeadShape()->GetMauIndex(), CutModeIndex::kCut);
}

TEST(CutList, MovesCutShapesAndDrawShapesApart)
{
    PlotShapeCutList l;
    const unsigned char modes[] = {2, 4, 5, 1, 8, 127, 130};
    for (unsigned char m : modes) AddShape(l, {{0, 0}}, m);
    l.MoveCutList(10, 20);
    l.MoveDrawList(-1, -2);
    for (PlotShape* s : Shapes(l)) {
        bool cut = CutModeIndex::IsCutCurve(s->GetMauIndex());
        EXPECT_EQ(AllPoints(*s), (Polyline{cut ? Pt{10, 20} : Pt{-1, -2}})) << int(s->GetMauIndex());
    }
}

}  // namespace
