// Knife compensation: worked holder paths, the small-hole path, restarts and bad input.
#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "plotmodel/shape_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>

using namespace plot_fixtures;

namespace {

constexpr float kTol = 0.001f;
constexpr unsigned char kTurn = CutModeIndex::kFourthDepth;

void ExpectPoints(const Polyline& actual, const Polyline& expected, float tol = kTol)
{
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(actual[k].x, expected[k].x, tol) << "point " << k;
        EXPECT_NEAR(actual[k].y, expected[k].y, tol) << "point " << k;
    }
}

// The pieces of one shape compensated with KnifeCompensate_cut4 from direction (1, 0).
std::vector<PlotShape*> Cut4(PlotShapeList& out, const Polyline& line, float a, float b, float c)
{
    PlotShape s;
    Fill(s, {line});
    CFloatPoint dir(1.0, 0.0);
    s.KnifeCompensate_cut4(out, a, dir, b, c);
    return Shapes(out);
}

TEST(KnifeCompensateCut4, StraightLineTurnsOnTheSpotThenCutsPastItsEnd)
{
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {400, 0}}, 20, 1, 0);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0]->GetMauIndex(), kTurn);
    ExpectPoints(AllPoints(*pieces[0]), {{20, 0}, {20, 0}});
    ExpectPoints(AllPoints(*pieces[1]), {{20, 0}, {400, 0}, {420, 0}});
    EXPECT_EQ(pieces[1]->GetArea().xmax, 420) << "pieces carry their bounds";
}

TEST(KnifeCompensateCut4, CornerMakesATurningPieceBeforeTheCorner)
{
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {400, 0}, {400, 400}}, 20, 1, 0);
    ASSERT_EQ(pieces.size(), 4u);
    ExpectPoints(AllPoints(*pieces[1]), {{20, 0}, {400, 0}, {420, 0}});
    ExpectPoints(AllPoints(*pieces[2]), {{420, -40}, {419.4986f, -35.5496f}, {418.0194f, -31.3223f}, {415.6366f, -27.5302f},
                                         {412.4698f, -24.3634f}, {408.6777f, -21.9806f}, {404.4504f, -20.5014f}, {400, -20}});
    EXPECT_EQ(pieces[2]->GetMauIndex(), kTurn);
    EXPECT_EQ(pieces[2]->GetPenIndex(), 0) << "a fresh turning piece has default attributes";
    EXPECT_EQ(pieces[2]->GetRecIndex(), PlotShape::kDefaultRecIndex);
    ExpectPoints(AllPoints(*pieces[3]), {{400, -20}, {400, 400}, {400, 420}});
}

TEST(KnifeCompensateCut4, EndOverCutExtendsEveryCutPiece)
{
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {400, 0}, {400, 400}}, 20, 1, 0.5f);
    ASSERT_EQ(pieces.size(), 4u);
    ExpectPoints({AllPoints(*pieces[1]).back()}, {{440, 0}});
    ExpectPoints({AllPoints(*pieces[3]).back()}, {{400, 440}});
}

TEST(KnifeCompensateCut4, WithoutStartOverCutTheKnifeTurnsAtTheCorner)
{
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {400, 0}, {400, 400}}, 20, 0, 0);
    ASSERT_EQ(pieces.size(), 4u);
    Polyline turn = AllPoints(*pieces[2]);
    ExpectPoints({turn.front(), turn.back()}, {{420, 0}, {400, 20}});
    for (const Pt& p : turn) EXPECT_NEAR(std::hypot(p.x - 400, p.y), 20, kTol);
    ExpectPoints(AllPoints(*pieces[3]), {{400, 20}, {400, 400}, {400, 420}});
}

TEST(KnifeCompensateCut3, EqualsCut4WithoutOverCuts)
{
    Polyline line{{0, 0}, {400, 0}, {400, 400}, {390, 410}, {0, 405}, {3, 2}};
    PlotShape s;
    Fill(s, {line});
    PlotShapeList cut3, cut4;
    CFloatPoint d3(1.0, 0.0), d4(1.0, 0.0);
    s.KnifeCompensate_cut3(cut3, 20, d3);
    s.KnifeCompensate_cut4(cut4, 20, d4, 0, 0);
    auto a = Shapes(cut3), b = Shapes(cut4);
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) EXPECT_EQ(AllPoints(*a[k]), AllPoints(*b[k]));
    EXPECT_EQ(d3.x, d4.x);
    EXPECT_EQ(d3.y, d4.y);
}

TEST(KnifeCompensateCut4, LoopShorterThanTwoOffsetsEndsTheLookAheadAtItsStart)
{
    // The look-ahead chord back to p[0] has no direction; it must not poison the path.
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0}, {30, 0}}, 20, 0.5f, 0.5f);
    ASSERT_FALSE(pieces.empty());
    for (PlotShape* piece : pieces)
        for (const Pt& p : AllPoints(*piece)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST(KnifeCompensateCut4, RepeatedPointsArePassedOver)
{
    PlotShapeList plain, repeated;
    auto a = Cut4(plain, {{0, 0}, {400, 0}, {400, 400}}, 20, 1, 0.5f);
    auto b = Cut4(repeated, {{0, 0}, {0, 0}, {400, 0}, {400, 0}, {400, 400}, {400, 400}}, 20, 1, 0.5f);
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) EXPECT_EQ(AllPoints(*a[k]), AllPoints(*b[k]));
}

TEST(ExtendAtEnd, CoincidingEndPointsExtendAlongTheNearestRealSegment)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {10, 0}, {10, 0}}});
    s.ExtendAtEnd(5);
    ExpectPoints(AllPoints(s), {{0, 0}, {10, 0}, {15, 0}});
    s.ExtendAtStart(2);
    ExpectPoints(AllPoints(s), {{-2, 0}, {10, 0}, {15, 0}});

    PlotShape still;
    Fill(still, {{{3, 3}, {3, 3}}});
    still.ExtendAtEnd(5);
    still.ExtendAtStart(5);
    ExpectPoints(AllPoints(still), {{3, 3}, {3, 3}});
}

TEST(KnifeCompensateCut4, ZeroOffsetCutsTheLineItself)
{
    PlotShapeList out;
    auto pieces = Cut4(out, {{0, 0}, {100, 0}, {100, 100}}, 0, 0, 0.5f);
    for (PlotShape* piece : pieces)
        for (const Pt& p : AllPoints(*piece)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    ExpectPoints({AllPoints(*pieces.back()).back()}, {{100, 120}});
}

TEST(CalCompensateArc, FindsThePointAtStraightLineDistance)
{
    const float pts[] = {0, 0, 10, 0, 20, 10, 30, 30};
    CFloatPoint x(-1, -1);
    int j = PlotShape::CalCompensateArc(x, pts, 3, 15);
    EXPECT_EQ(j, 2);
    EXPECT_NEAR(x.Length(), 15, 0.1);
    CFloatPoint unchanged(-1, -1);
    EXPECT_EQ(PlotShape::CalCompensateArc(unchanged, pts, 3, 1000), -1);
    EXPECT_EQ(unchanged.x, -1);
}

TEST(CalCompensateSmallArc, HolePathsPassOverRepeatedPoints)
{
    // A square hole with its corners standing twice.
    const float ring[] = {0, 0, 10, 0, 10, 0, 10, 10, 0, 10, 0, 10, 0, 0};
    const float plain[] = {0, 0, 10, 0, 10, 10, 0, 10, 0, 0};
    PlotShape a, b, every;
    CFloatPoint da(0, 1), db(0, 1), de(0, 1);
    EXPECT_EQ(a.CalCompensateSmallArc_slick(ring, 7, da, 5), 0);
    b.CalCompensateSmallArc_slick(plain, 5, db, 5);
    EXPECT_EQ(AllPoints(a), AllPoints(b));
    for (const Pt& p : AllPoints(a)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    every.CalCompensateSmallArc(ring, 7, de, 5);
    EXPECT_GT(every.GetTolPtNum(), a.GetTolPtNum()) << "a turning arc at every corner";
    for (const Pt& p : AllPoints(every)) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    PlotShape tooShort;
    tooShort.CalCompensateSmallArc_slick(ring, 2, da, 5);
    EXPECT_EQ(tooShort.GetTolPtNum(), 0);
}

// ---- the whole list ----

struct Piece {
    unsigned char mau;
    Polyline points;
};

std::vector<Piece> Compensate(PlotShape* shape, float a, float b, float c)
{
    PlotShapeList list;
    list.AddTail(shape);
    list.ProKnifeCompensate(a, b, c);
    std::vector<Piece> out;
    for (PlotShape* s : Shapes(list)) {
        EXPECT_EQ(s->GetPlNum(), 1);
        out.push_back({s->GetMauIndex(), AllPoints(*s)});
    }
    return out;
}

TEST(ProKnifeCompensate, ClosedRectangleRestartsInTheMiddleOfItsLaterLongSide)
{
    PlotShape probe;
    Fill(probe, {{{0, 0}, {0, 100}, {400, 100}, {400, 0}, {0, 0}}});
    EXPECT_EQ(probe.FindVerticalLine(std::tan(10 * std::numbers::pi_v<float> / 180), 160), 3);

    auto pieces = Compensate(NewShape({{0, 0}, {0, 100}, {400, 100}, {400, 0}, {0, 0}}, CutModeIndex::kCut), 20, 0, 0);
    ASSERT_EQ(pieces.size(), 10u);
    EXPECT_EQ(pieces[0].mau, kTurn);
    ASSERT_EQ(pieces[0].points.size(), 14u);
    ExpectPoints({pieces[0].points.front(), pieces[0].points.back()}, {{220, 0}, {180, 0}});
    for (size_t k = 1; k + 1 < pieces[0].points.size(); ++k) {
        EXPECT_LT(pieces[0].points[k].y, 0);
        EXPECT_NEAR(std::hypot(pieces[0].points[k].x - 200, pieces[0].points[k].y), 20, kTol);
    }
    EXPECT_EQ(pieces[1].mau, CutModeIndex::kCut);
    ExpectPoints(pieces[1].points, {{180, 0}, {0, 0}, {-20, 0}});
    ExpectPoints(pieces.back().points, {{380, 0}, {200, 0}, {180, 0}});
    for (size_t k = 0; k < pieces.size(); ++k) EXPECT_EQ(pieces[k].mau, k % 2 == 0 ? kTurn : CutModeIndex::kCut);
}

TEST(ProKnifeCompensate, RestartSearchResults)
{
    const float tan10 = std::tan(10 * std::numbers::pi_v<float> / 180);
    PlotShape diamond, open;
    Fill(diamond, {{{0, -100}, {100, 0}, {0, 100}, {-100, 0}, {0, -100}}});
    Fill(open, {{{0, 0}, {400, 0}, {400, 400}}});
    EXPECT_EQ(diamond.FindVerticalLine(tan10, 160), -2);
    EXPECT_EQ(open.FindVerticalLine(tan10, 160), 0);
    auto pieces = Compensate(NewShape({{0, -100}, {100, 0}, {0, 100}, {-100, 0}, {0, -100}}), 20, 0, 0);
    ASSERT_FALSE(pieces.empty());
    ExpectPoints({pieces[0].points.front()}, {{20, -100}});
}

TEST(ProKnifeCompensate, SmallCircleBecomesAStrokeAndAHolePath)
{
    auto* circle = new PlotShape;
    circle->CreateCircle(2.5f);
    circle->Move(1000, 1000);
    circle->CalArea();
    circle->SetMauIndex(CutModeIndex::kCut);
    circle->SetPenIndex(3);
    circle->SetLineType(1);
    auto pieces = Compensate(circle, 20, 0, 0);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].mau, kTurn);
    ASSERT_EQ(pieces[0].points.size(), 8u);
    ExpectPoints({pieces[0].points.front(), pieces[0].points.back()}, {{1020, 933.333f}, {1000, 953.333f}});
    EXPECT_EQ(pieces[1].mau, CutModeIndex::kCut);
    ExpectPoints(pieces[1].points, {{1000, 953.333f}, {1000, 1066.667f}, {1000, 1086.667f}});
    EXPECT_EQ(pieces[2].mau, CutModeIndex::kCut);
    ASSERT_EQ(pieces[2].points.size(), 37u);
    ExpectPoints({pieces[2].points.front(), pieces[2].points.back()}, {{1098.257f, 1019.924f}, {1098.257f, 1019.924f}});
}

TEST(ProKnifeCompensate, HolePieceKeepsEveryAttributeOfTheCircle)
{
    auto* circle = new PlotShape;
    circle->CreateCircle(2.5f);
    circle->SetMauIndex(CutModeIndex::kCut);
    circle->SetPenIndex(3);
    circle->SetLineType(1);
    circle->SetRecIndex(7);
    circle->SetPatternIndex(9);
    PlotShapeList list;
    list.AddTail(circle);
    list.ProKnifeCompensate(20, 0, 0);
    PlotShape* hole = list.ShapeAfter(list.ShapeAfter(list.HeadShape()));
    ASSERT_NE(hole, nullptr);
    EXPECT_EQ(hole->GetPenIndex(), 3);
    EXPECT_EQ(hole->GetLineType(), 1);
    EXPECT_EQ(hole->GetRecIndex(), 7);
    EXPECT_EQ(hole->GetPatternIndex(), 9u);
    CArea stored = hole->GetArea();
    EXPECT_EQ(stored.xmax, hole->CalArea().xmax) << "the hole piece has its bounds";
    EXPECT_EQ(stored.ymin, hole->CalArea().ymin);
}

TEST(ProKnifeCompensate, CircleOfThreeMillimetresIsCompensatedLikeAnyClosedShape)
{
    auto* circle = new PlotShape;
    circle->CreateCircle(3.0f);
    auto pieces = Compensate(circle, 20, 0, 0);
    ASSERT_FALSE(pieces.empty());
    for (const Piece& p : pieces)
        for (const Pt& q : p.points) EXPECT_GT(std::hypot(q.x, q.y), 100) << "no stroke through the centre";
}

TEST(ProKnifeCompensate, NoCompensationShapeStaysApartFromRepeatedPoints)
{
    auto pieces = Compensate(NewShape({{0, 0}, {0, 0}, {50, 0}, {50, 50}}, CutModeIndex::kNoCompensation), 20, 1, 1);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].mau, CutModeIndex::kNoCompensation);
    ExpectPoints(pieces[0].points, {{0, 0}, {50, 0}, {50, 50}});
}

TEST(ProKnifeCompensate, ShortClosedLineIsCutWholeNotRestartedInsideItsFirstSegment)
{
    // Closed within the joining tolerance and folded to two points by the restart search:
    // restarting at "segment 0" would drop the stretch (0,0)-(2,0).
    auto pieces = Compensate(NewShape({{0, 0}, {2, 0}, {4, 0}}), 0, 0, 0);
    float xmin = 1e9f, xmax = -1e9f;
    for (const Piece& p : pieces)
        if (p.mau != kTurn)
            for (const Pt& q : p.points) {
                xmin = std::min(xmin, q.x);
                xmax = std::max(xmax, q.x);
            }
    EXPECT_EQ(xmin, 0);
    EXPECT_EQ(xmax, 4);
}

TEST(ProKnifeCompensate, ClosedShapeOfSeveralSubPolylinesIsNotJoinedAcrossItsTravel)
{
    auto* s = new PlotShape;
    Fill(*s, {{{0, 0}, {400, 0}, {400, 100}}, {{1000, 1000}, {1400, 1000}, {1400, 1100}, {2, 1}}});
    auto pieces = Compensate(s, 20, 0, 0);
    bool reachesSecond = false;
    auto near = [](const Pt& p, float x, float y) { return std::hypot(p.x - x, p.y - y) < 60; };
    for (const Piece& p : pieces) {
        for (size_t k = 1; k < p.points.size(); ++k) {
            const Pt &from = p.points[k - 1], &to = p.points[k];
            EXPECT_FALSE(near(from, 400, 100) && near(to, 1000, 1000)) << "a cut across the travel";
        }
        for (const Pt& q : p.points) reachesSecond |= q.x > 1300;
    }
    EXPECT_TRUE(reachesSecond) << "the second sub-polyline is cut";
}

TEST(ProKnifeCompensate, MachineValuesThatAreNegativeOrNotFiniteCountAsZero)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto zero = Compensate(NewShape({{0, 0}, {400, 0}, {400, 400}}), 0, 0, 0);
    auto bad = Compensate(NewShape({{0, 0}, {400, 0}, {400, 400}}), -20, nan, -std::numeric_limits<float>::infinity());
    ASSERT_EQ(zero.size(), bad.size());
    for (size_t k = 0; k < zero.size(); ++k) EXPECT_EQ(zero[k].points, bad[k].points);
}

TEST(ProKnifeCompensate, EmptyShapesLeaveNothingSinglePointsLeaveOnePiece)
{
    PlotShapeList list;
    list.AddTail(new PlotShape);
    auto* lone = new PlotShape;
    Fill(*lone, {{{5, 5}}});
    list.AddTail(lone);
    list.ProKnifeCompensate(20, 0.5f, 0.5f);
    auto shapes = Shapes(list);
    ASSERT_EQ(shapes.size(), 1u);
    ExpectPoints(AllPoints(*shapes[0]), {{25, 5}});
}

// ---- the earlier variants ----

TEST(AddCompansate, ArcCornerAboutTheVertex)
{
    PlotShape s;
    s.AddCompansate(CFloatPoint(1, 0), CFloatPoint(100, 0), CFloatPoint(100, 100), 20, 1);
    ExpectPoints(AllPoints(s), {{120, 0}, {119.0211f, 6.1803f}, {116.1803f, 11.7557f}, {111.7557f, 16.1803f}, {106.1803f, 19.0211f}, {100, 20}});
    PlotShape near;
    near.AddCompansate(CFloatPoint(1, 0), CFloatPoint(100, 0), CFloatPoint(100, 50), 20, 1);
    ExpectPoints(AllPoints(near), {{100, 0}});
}

TEST(AddCompansate, HugeOrNonFiniteRadiusStaysBounded)
{
    PlotShape huge;
    huge.AddCompansate(CFloatPoint(1, 0), CFloatPoint(0, 0), CFloatPoint(0, 1e30f), 1e20f, 1);
    EXPECT_LE(huge.GetTolPtNum(), 3601);
    PlotShape nan;
    nan.AddCompansate(CFloatPoint(1, 0), CFloatPoint(7, 0), CFloatPoint(7, 100), std::numeric_limits<float>::quiet_NaN(), 1);
    ExpectPoints(AllPoints(nan), {{7, 0}});
}

TEST(WnifeCompensate, OffsetsEveryVertexAndMovesTheLastPointOn)
{
    PlotShape s;
    Fill(s, {{{0, 0}, {100, 0}, {100, 100}}});
    s.SetPenIndex(4);
    PlotShapeList out;
    CFloatPoint dir(1, 0);
    s.WnifeCompensate(out, 10, dir);
    auto pieces = Shapes(out);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->GetPenIndex(), 4);
    Polyline p = AllPoints(*pieces[0]);
    ExpectPoints({p.front(), p.back()}, {{0, 0}, {100, 110}});
    EXPECT_GT(p.size(), 4u) << "an arc about the right-angle vertex";
    EXPECT_NEAR(dir.y, 1, 1e-9);

    PlotShape repeated;
    Fill(repeated, {{{0, 0}, {0, 0}, {100, 0}, {100, 0}, {100, 100}}});
    PlotShapeList again;
    CFloatPoint d2(1, 0);
    repeated.WnifeCompensate(again, 10, d2);
    EXPECT_EQ(AllPoints(*again.HeadShape()), p) << "repeated points are passed over";
}

// A list of zig-zag lines, lone points (which leave the knife direction as they found it),
// small circles and shapes kept whole, in a seeded order.
void FillMixedList(PlotShapeList& list)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> at(0.0f, 20000.0f), step(-300.0f, 300.0f);
    for (int k = 0; k < 900; ++k) {
        Polyline line{{at(rng), at(rng)}};
        if (k % 3 == 0) {
            for (int i = 0; i < 6; ++i) line.push_back({line.back().x + step(rng), line.back().y + step(rng)});
        }
        PlotShape* s = NewShape(line, k % 29 == 0 ? CutModeIndex::kNoCompensation : CutModeIndex::kCut);
        if (k % 97 == 0) {
            s->Destroy();
            s->CreateCircle(2.0f);
            s->Move(line[0].x, line[0].y);
        }
        list.AddTail(s);
    }
}

// The runs of a list compensated on threads give the pieces of one pass. Where a run ends in
// lone points, the direction guessed for the next run is not the one it starts with, and
// that run is compensated again.
TEST(ProKnifeCompensate, OnThreadsGivesThePiecesOfOnePass)
{
    PlotShapeList serial;
    FillMixedList(serial);
    serial.ProKnifeCompensate(20, 0.5f, 0.3f);
    for (int threads : {2, 8}) {
        PlotShapeList threaded;
        FillMixedList(threaded);
        ASSERT_TRUE(threaded.ProKnifeCompensate(20, 0.5f, 0.3f, threads, {}));
        const auto want = Shapes(serial), got = Shapes(threaded);
        ASSERT_EQ(got.size(), want.size()) << threads << " threads";
        for (size_t k = 0; k < want.size(); ++k) {
            ASSERT_EQ(got[k]->GetMauIndex(), want[k]->GetMauIndex()) << "shape " << k;
            ASSERT_EQ(got[k]->GetPlNum(), want[k]->GetPlNum()) << "shape " << k;
            int32_t n = 0, m = 0;
            const float* a = want[k]->GetPl(0, n);
            const float* b = got[k]->GetPl(0, m);
            ASSERT_EQ(m, n) << "shape " << k;
            ASSERT_EQ(std::memcmp(a, b, sizeof(float) * 2 * static_cast<size_t>(n)), 0) << "shape " << k;
        }
    }
}

TEST(ProKnifeCompensate, OnThreadsAStopLeavesTheListEmpty)
{
    PlotShapeList list;
    FillMixedList(list);
    EXPECT_FALSE(list.ProKnifeCompensate(20, 0.5f, 0.3f, 4, [](int64_t) { return false; }));
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
