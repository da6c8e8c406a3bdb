// Intersections: lines against segments and shapes, positions on a polyline, box overlaps.
#include "plotmodel/intersection.h"

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"
#include "shape_fixtures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace plot_fixtures;

const Polyline kSquare{{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};

TEST(LineIntersect, CrossingLinesGiveThePointAndBothParameters)
{
    CFloatPoint out(-1, -1);
    float t[2] = {-1, -1};
    EXPECT_EQ(LineIntersect(out, t, {0, 0}, {10, 0}, {5, -5}, {5, 5}), 1);
    EXPECT_DOUBLE_EQ(out.x, 5);
    EXPECT_DOUBLE_EQ(out.y, 0);
    EXPECT_FLOAT_EQ(t[0], 0.5f);
    EXPECT_FLOAT_EQ(t[1], 0.5f);
}

TEST(LineIntersect, ParallelLinesWriteNothing)
{
    CFloatPoint out(-1, -1);
    float t[2] = {-1, -1};
    EXPECT_EQ(LineIntersect(out, t, {0, 0}, {10, 0}, {0, 5}, {10, 5}), 0);
    EXPECT_DOUBLE_EQ(out.x, -1);
    EXPECT_FLOAT_EQ(t[0], -1);
}

TEST(LineIntersectWithCurve, HitsComeInPolylineOrderOrByLineParameter)
{
    std::unique_ptr<PlotShape> square(NewShape(kSquare));
    CArray<PtOnPolyline> hits;
    CArray<float> params;
    ASSERT_EQ(LineIntersectWithCurve({-10, 50}, {110, 50}, square.get(), hits, params), 2);
    EXPECT_DOUBLE_EQ(hits[0].x, 100);
    EXPECT_DOUBLE_EQ(hits[0].y, 50);
    EXPECT_EQ(hits[0].vertexIndex, 1u);
    EXPECT_EQ(hits[0].shape, square.get());
    EXPECT_DOUBLE_EQ(hits[1].x, 0);
    EXPECT_EQ(hits[1].vertexIndex, 3u);

    for (auto fast : {LineIntersectWithCurve_fast, LineIntersectWithCurve_fast_v1}) {
        ASSERT_EQ(fast({-10, 50}, {110, 50}, square.get(), hits, params), 2);
        EXPECT_DOUBLE_EQ(hits[0].x, 0);
        EXPECT_EQ(hits[0].vertexIndex, 3u);
        EXPECT_DOUBLE_EQ(hits[1].x, 100);
        EXPECT_NEAR(params[0], 1.0 / 12, 1e-6);
        EXPECT_NEAR(params[1], 11.0 / 12, 1e-6);
    }
    // Only _fast limits the line to a -> b.
    EXPECT_EQ(LineIntersectWithCurve_fast({-10, 50}, {50, 50}, square.get(), hits, params), 1);
    EXPECT_DOUBLE_EQ(hits[0].x, 0);
}

TEST(LineIntersectWithCurve, ALineThroughAVertexHitsOnceAndEmptyInputsGiveNothing)
{
    std::unique_ptr<PlotShape> vee(NewShape({{0, 0}, {10, 10}, {20, 0}}));
    CArray<PtOnPolyline> hits;
    CArray<float> params;
    ASSERT_EQ(LineIntersectWithCurve({-5, 10}, {25, 10}, vee.get(), hits, params), 1);
    EXPECT_EQ(hits[0].vertexIndex, 0u);
    EXPECT_DOUBLE_EQ(hits[0].x, 10);

    std::unique_ptr<PlotShape> single(NewShape({{0, 0}}));
    EXPECT_EQ(LineIntersectWithCurve_fast({-5, 0}, {5, 0}, single.get(), hits, params), 0);
    EXPECT_EQ(LineIntersectWithCurve({-5, 0}, {5, 0}, nullptr, hits, params), 0);
    EXPECT_TRUE(hits.IsEmpty());
    EXPECT_TRUE(params.IsEmpty());
}

TEST(Compare, OrdersPositionsAlongThePolyline)
{
    std::unique_ptr<PlotShape> square(NewShape(kSquare)), other(NewShape(kSquare));
    PtOnPolyline onSeg0(CFloatPoint(50, 0), 0, square.get()), laterOnSeg0(CFloatPoint(80, 0), 0, square.get());
    PtOnPolyline onSeg2(CFloatPoint(50, 100), 2, square.get()), vertex1(CFloatPoint(100, 0), 1, square.get());
    PtOnPolyline elsewhere(CFloatPoint(50, 0), 0, other.get()), pastEnd(CFloatPoint(0, 0), 5, square.get());
    PtOnPolyline upSeg1(CFloatPoint(100, 20), 1, square.get()), higherSeg1(CFloatPoint(100, 70), 1, square.get());
    PtOnPolyline leftSeg2(CFloatPoint(20, 100), 2, square.get()), noShape(CFloatPoint(50, 0), 0);
    struct Case {
        const char* name;
        PtOnPolyline& a;
        PtOnPolyline& b;
        int expected;
    } cases[] = {
        {"itself", onSeg0, onSeg0, 0},
        {"other shape", onSeg0, elsewhere, -2},
        {"no shape", noShape, noShape, -2},
        {"index past the end", onSeg0, pastEnd, -2},
        {"two segments on", onSeg0, onSeg2, 1},
        // Unsigned indices would wrap at b = 0 and read index 2 as coming first.
        {"two segments back", onSeg2, onSeg0, -1},
        {"next segment", onSeg0, vertex1, 1},
        {"previous segment", vertex1, onSeg0, -1},
        {"same segment, along x", onSeg0, laterOnSeg0, 1},
        {"same segment, along x, after", laterOnSeg0, onSeg0, -1},
        {"same segment, along y", upSeg1, higherSeg1, 1},
        {"same segment, leftwards", onSeg2, leftSeg2, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(Compare(c.a, c.b), c.expected) << c.name;
}

TEST(PartAreas, BoxThePolylineBetweenAndBeyondTwoPositions)
{
    std::unique_ptr<PlotShape> square(NewShape(kSquare)), other(NewShape(kSquare));
    PtOnPolyline a(CFloatPoint(50.7, 0), 0, square.get()), b(CFloatPoint(50, 100), 2, square.get());
    CArea out;
    ASSERT_EQ(GetMidArea(a, b, out), 1);
    EXPECT_EQ(out, CArea(50, 0, 100, 100));
    ASSERT_EQ(GetEndPointArea(b, a, out), 1);
    EXPECT_EQ(out, CArea(0, 0, 50, 100));

    PtOnPolyline foreign(CFloatPoint(1, 1), 0, other.get());
    out = CArea(1, 2, 3, 4);
    EXPECT_EQ(GetMidArea(a, foreign, out), 0);
    EXPECT_EQ(out, CArea());
    out = CArea(1, 2, 3, 4);
    EXPECT_EQ(GetEndPointArea(a, foreign, out), 0);
    EXPECT_EQ(out, CArea());
}

TEST(InterAreaRatio, IsTheShareOfTheFirstBoxCoveredByTheSecond)
{
    struct Case {
        const char* name;
        CArea a, b;
        float expected;
    } cases[] = {
        {"itself", {0, 0, 100, 100}, {0, 0, 100, 100}, 1.0f},
        {"disjoint", {0, 0, 10, 10}, {20, 20, 30, 30}, 0.0f},
        {"half", {0, 0, 100, 100}, {50, -10, 200, 200}, 0.5f},
        {"quarter", {0, 0, 100, 100}, {50, 50, 200, 200}, 0.25f},
        // A box that only touches b along a side is not covered by it.
        {"touching a side", {0, 0, 100, 100}, {100, 0, 200, 100}, 0.0f},
        {"touching the top", {0, 0, 100, 100}, {0, 100, 100, 200}, 0.0f},
        {"a vertical line inside", {50, 10, 50, 90}, {0, 0, 100, 100}, 1.0f},
        {"a horizontal line inside", {10, 50, 90, 50}, {0, 0, 100, 100}, 1.0f},
        {"a point", {5, 5, 5, 5}, {0, 0, 10, 10}, 0.0f},
    };
    for (const Case& c : cases) EXPECT_FLOAT_EQ(InterAreaRatio(c.a, c.b), c.expected) << c.name;
}

TEST(CurveIntersect, PairsCrossingsOnBothShapesAndWithItself)
{
    std::unique_ptr<PlotShape> square(NewShape(kSquare)), line(NewShape({{-10, 50}, {110, 50}}));
    CArray<PtOnPolyline> hits[2];
    EXPECT_EQ(CurveIntersectWithCurve(hits, square.get(), line.get()), 1);
    ASSERT_EQ(hits[0].GetSize(), 2);
    ASSERT_EQ(hits[1].GetSize(), 2);
    EXPECT_EQ(hits[0][0].shape, square.get());
    EXPECT_EQ(hits[0][0].vertexIndex, 3u);
    EXPECT_EQ(hits[1][0].shape, line.get());
    EXPECT_EQ(hits[1][0].vertexIndex, 0u);
    EXPECT_EQ(CurveIntersectWithCurve(hits, line.get(), square.get()), 0);
    EXPECT_EQ(hits[0][0].shape, line.get());

    std::unique_ptr<PlotShape> bowTie(NewShape({{0, 0}, {100, 100}, {100, 0}, {0, 100}}));
    ASSERT_EQ(CurveIntersectSelf(hits, bowTie.get()), 1);
    EXPECT_DOUBLE_EQ(hits[0][0].x, 50);
    EXPECT_DOUBLE_EQ(hits[0][0].y, 50);
    EXPECT_EQ(hits[0][0].vertexIndex, 0u);
    EXPECT_EQ(hits[1][0].vertexIndex, 2u);
}

}  // namespace
