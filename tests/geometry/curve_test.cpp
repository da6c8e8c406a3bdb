// Curves: B-spline building, evaluation at knots, interpolation and flattening; cubic and
// quadratic Bezier halving, flatness and flattening.
#include "geometry/ol_bezier.h"
#include "geometry/ol_bspline.h"
#include "geometry/ol_qbezier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <vector>

namespace {

CArray<OL_2dFloatPoint> Points(std::initializer_list<OL_2dFloatPoint> pts)
{
    CArray<OL_2dFloatPoint> a;
    for (const OL_2dFloatPoint& p : pts) a.Add(p);
    return a;
}

// Points on a circle of radius r about the origin, from angle a0 to a1 (radians).
CArray<OL_2dFloatPoint> Arc(double r, double a0, double a1, int n)
{
    CArray<OL_2dFloatPoint> a;
    for (int k = 0; k < n; ++k) {
        double t = a0 + (a1 - a0) * k / (n - 1);
        a.Add(OL_2dFloatPoint(static_cast<float>(r * std::cos(t)), static_cast<float>(r * std::sin(t))));
    }
    return a;
}

TEST(BSplineBuild, NeedsFourControlPointsAndClampsItsKnots)
{
    OL_BSpline s;
    EXPECT_EQ(s.CreateByCtlPt(Points({{0, 0}, {1, 1}, {2, 0}})), 0);
    ASSERT_EQ(s.CreateByCtlPt(Points({{0, 0}, {10, 20}, {20, 20}, {30, 0}})), 1);
    EXPECT_EQ(s.GetOrgNum(), 2u);
    EXPECT_EQ(s.GetOrg(0), OL_2dFloatPoint(0, 0));
    EXPECT_EQ(s.GetOrg(1), OL_2dFloatPoint(30, 0));

    OL_BSpline u;
    ASSERT_EQ(u.CreateByCtlPt(Points({{0, 0}, {6, 0}, {12, 6}, {18, 0}, {24, 6}, {30, 0}, {36, 6}, {42, 0}})), 1);
    ASSERT_EQ(u.GetOrgNum(), 6u);
    const float knots[] = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5, 5, 5};
    for (unsigned k = 0; k < 12; ++k) EXPECT_EQ(u.GetKnot(k), knots[k]) << "knot " << k;
    // Inner origins of uniform spans: (P(i) + 4 P(i+1) + P(i+2)) / 6 away from the ends.
    OL_2dFloatPoint second = u.CalOrg(2);
    EXPECT_FLOAT_EQ(second.x, (12 + 4 * 18 + 24) / 6.0f);
    EXPECT_FLOAT_EQ(second.y, (6 + 0 + 6) / 6.0f);
    EXPECT_EQ(u.CalOrg(0), OL_2dFloatPoint(0, 0));
    EXPECT_EQ(u.CalOrg(5), OL_2dFloatPoint(42, 0));
    EXPECT_EQ(u.CalOrg(6), OL_2dFloatPoint(0, 0)) << "beyond the origins";

    OL_2dFloatPoint first, after;
    EXPECT_EQ(u.SplitAtOrg(0, first, after), 0);
    EXPECT_EQ(u.SplitAtOrg(5, first, after), 0);
    ASSERT_EQ(u.SplitAtOrg(2, first, after), 1);
    EXPECT_FLOAT_EQ(first.x, (12 + 2 * 18) / 3.0f);
    EXPECT_FLOAT_EQ(after.x, (2 * 18 + 24) / 3.0f);
}

TEST(BSplineBuild, GivenKnotsAndOriginsBuildTheCurveAsGiven)
{
    CArray<OL_2dFloatPoint> controls = Points({{0, 0}, {10, 20}, {20, 20}, {30, 0}, {40, 10}});
    OL_BSpline uniform, given, withOrigins;
    ASSERT_EQ(uniform.CreateByCtlPt(controls), 1);
    ASSERT_EQ(given.Create({0, 0, 0, 0, 1, 2, 2, 2, 2}, controls, nullptr), 1);
    for (unsigned i = 0; i < uniform.GetOrgNum(); ++i) {
        EXPECT_EQ(given.GetOrg(i).x, uniform.GetOrg(i).x) << i;
        EXPECT_EQ(given.GetOrg(i).y, uniform.GetOrg(i).y) << i;
    }
    CArray<OL_2dFloatPoint> origins = Points({{0, 0}, {5, 5}, {40, 10}});
    ASSERT_EQ(withOrigins.Create({0, 0, 0, 0, 1, 2, 2, 2, 2}, controls, &origins), 1);
    EXPECT_EQ(withOrigins.GetOrg(1).x, 5.0f);
    // Sizes must be k + 4 knots and k - 2 origins for k >= 4 control points.
    EXPECT_EQ(given.Create({0, 0, 0, 0, 1, 2, 2, 2}, controls, nullptr), 0);
    CArray<OL_2dFloatPoint> two = Points({{0, 0}, {1, 1}});
    EXPECT_EQ(given.Create({0, 0, 0, 0, 1, 2, 2, 2, 2}, controls, &two), 0);
}

TEST(BSplineFlatten, APointLimitFailsTheFlatteningInsteadOfCuttingIt)
{
    OL_BSpline s;
    ASSERT_EQ(s.CreateByCtlPt(Points({{0, 0}, {100, 200}, {200, 200}, {300, 0}})), 1);
    float* xs = nullptr;
    float* ys = nullptr;
    int all = s.Subdivide(xs, ys, nullptr, 0.5f, 0.1f);
    ASSERT_GT(all, 3);
    std::free(xs);
    std::free(ys);
    xs = ys = nullptr;
    EXPECT_EQ(s.Subdivide(xs, ys, nullptr, 0.5f, 0.1f, static_cast<size_t>(all)), all);
    std::free(xs);
    std::free(ys);
    xs = ys = nullptr;
    EXPECT_EQ(s.Subdivide(xs, ys, nullptr, 0.5f, 0.1f, static_cast<size_t>(all - 1)), 0);
    EXPECT_EQ(xs, nullptr);
    EXPECT_EQ(ys, nullptr);
}

TEST(BSplineBuild, CurvesWithoutTwoSpansHaveNoInnerOrigin)
{
    // n - 2 is never taken below zero: an empty curve and a one-span curve refuse.
    OL_BSpline empty;
    OL_2dFloatPoint a, b;
    EXPECT_EQ(empty.SplitAtOrg(1, a, b), 0);
    EXPECT_EQ(empty.SplitAtOrg(0xFFFFFFFFu, a, b), 0);
    EXPECT_EQ(empty.CalOrg(1), OL_2dFloatPoint(0, 0));
    OL_BSpline oneSpan;
    oneSpan.CreateByCtlPt(Points({{0, 0}, {1, 1}, {2, 1}, {3, 0}}));
    EXPECT_EQ(oneSpan.SplitAtOrg(1, a, b), 0);
    float* xs = nullptr;
    float* ys = nullptr;
    EXPECT_EQ(empty.Subdivide(xs, ys, nullptr, 1, 0.1f), 0);
}

TEST(BSplineFlatten, PreconditionsAllocateNothingWhenTheyFail)
{
    OL_BSpline s;
    s.CreateByCtlPt(Points({{0, 0}, {10, 20}, {20, 20}, {30, 0}}));
    float* xs = nullptr;
    float* ys = nullptr;
    EXPECT_EQ(s.Subdivide(xs, ys, nullptr, 1, 1.0471975511965976f), 0);
    EXPECT_EQ(s.Subdivide(xs, ys, nullptr, 0, 0.1f), 0);
    EXPECT_EQ(s.Subdivide(xs, ys, nullptr, 1, 0), 0);
    EXPECT_EQ(xs, nullptr);
    EXPECT_EQ(ys, nullptr);
    float dummy = 0;
    float* taken = &dummy;
    EXPECT_EQ(s.Subdivide(taken, ys, nullptr, 1, 0.1f), 0);
    EXPECT_EQ(taken, &dummy);
    std::vector<float> records{1, 2, 3, 4};
    EXPECT_EQ(s.Subdivide(records, 0, 0.1f), 0);
    EXPECT_TRUE(records.empty()) << "a refused flattening leaves none of the records held before";
}

TEST(BSplineFlatten, ACurveBuiltAgainFlattensAsANewOne)
{
    // The arrays and the records are refilled in place: nothing of the longer curve before
    // may show in the shorter one after.
    OL_BSpline reused;
    std::vector<float> records;
    ASSERT_EQ(reused.CreateByCtlPt(Arc(1000, 0, 3, 12)), 1);
    ASSERT_GT(reused.Subdivide(records, 0.5f, 0.1f), 12);
    const CArray<OL_2dFloatPoint> shorter = Points({{0, 0}, {100, 200}, {200, 200}, {300, 0}, {400, -50}});
    ASSERT_EQ(reused.CreateByCtlPt(shorter), 1);
    const int m = reused.Subdivide(records, 0.5f, 0.1f);
    OL_BSpline fresh;
    ASSERT_EQ(fresh.CreateByCtlPt(shorter), 1);
    std::vector<float> expected;
    ASSERT_EQ(fresh.Subdivide(expected, 0.5f, 0.1f), m);
    EXPECT_EQ(records, expected);
    EXPECT_EQ(reused.GetOrgNum(), fresh.GetOrgNum());
    for (unsigned i = 0; i < fresh.GetOrgNum(); ++i) EXPECT_EQ(reused.GetOrg(i), fresh.GetOrg(i)) << "origin " << i;
}

TEST(BSplineFlatten, AStraightCubicIsOnePiece)
{
    OL_BSpline s;
    s.CreateByCtlPt(Points({{0, 0}, {10, 0}, {20, 0}, {30, 0}}));
    float* xs = nullptr;
    float* ys = nullptr;
    unsigned ends[1] = {99};
    ASSERT_EQ(s.Subdivide(xs, ys, ends, 0.5f, 0.1f), 2);
    EXPECT_EQ(xs[0], 0);
    EXPECT_EQ(xs[1], 30);
    EXPECT_EQ(ends[0], 1u);
    std::free(xs);
    std::free(ys);
}

TEST(BSplineInterpolate, PassesThroughItsPointsAndFollowsTheArc)
{
    CArray<OL_2dFloatPoint> data = Arc(1000, 0, std::numbers::pi / 2, 9);
    OL_BSpline s;
    ASSERT_EQ(s.Interpolate(data), 1);
    ASSERT_EQ(s.GetOrgNum(), 9u);
    EXPECT_EQ(s.GetKnot(3), 0.0f);
    EXPECT_FLOAT_EQ(s.GetKnot(11), 1.0f);
    for (unsigned i = 1; i + 1 < 9; ++i) {
        OL_2dFloatPoint p = s.CalOrg(i);
        EXPECT_NEAR(p.x, data[static_cast<int>(i)].x, 0.01) << "origin " << i;
        EXPECT_NEAR(p.y, data[static_cast<int>(i)].y, 0.01) << "origin " << i;
    }
    float* xs = nullptr;
    float* ys = nullptr;
    int n = s.Subdivide(xs, ys, nullptr, 0.2f, 0.05f);
    ASSERT_GT(n, 9);
    for (int k = 0; k < n; ++k) EXPECT_NEAR(std::hypot(xs[k], ys[k]), 1000.0, 1.0) << "point " << k;
    EXPECT_FLOAT_EQ(xs[n - 1], data[8].x);
    std::free(xs);
    std::free(ys);

    std::vector<float> records;
    int m = s.Subdivide(records, 0.2f, 0.05f);
    ASSERT_GT(m, 9);
    ASSERT_EQ(records.size(), 4u * static_cast<size_t>(m));
    EXPECT_NEAR(records[2], std::numbers::pi / 2, 0.05) << "the start runs upwards";
    for (int k = 1; k < m; ++k) EXPECT_GE(records[4 * k + 2], records[4 * k - 2] - 1e-3) << "turning left all along";
    EXPECT_NEAR(records[4 * (m - 1) + 2], std::numbers::pi, 0.05);
}

TEST(BSplineInterpolate, DirectionsRunOnPastAFullTurn)
{
    OL_BSpline s;
    ASSERT_EQ(s.Interpolate(Arc(500, 0, 3 * std::numbers::pi, 25)), 1);
    std::vector<float> records;
    int m = s.Subdivide(records, 0.5f, 0.1f);
    ASSERT_GT(m, 25);
    for (int k = 1; k < m; ++k) EXPECT_LT(std::fabs(records[4 * k + 2] - records[4 * k - 2]), std::numbers::pi);
    EXPECT_GT(records[4 * (m - 1) + 2], 3 * std::numbers::pi) << "unwrapped, not folded into [0, 2π)";
}

TEST(BSplineInterpolate, MergesNearPointsAndRefusesTooFewDistinctOnes)
{
    OL_BSpline s;
    EXPECT_EQ(s.Interpolate(Points({{0, 0}})), 0);
    EXPECT_EQ(s.Interpolate(Points({{0, 0}, {0.05f, 0}, {0.09f, 0}})), 0);
    ASSERT_EQ(s.Interpolate(Points({{0, 0}, {0.05f, 0}, {10, 0}, {20, 0}, {20.05f, 0}})), 1);
    ASSERT_EQ(s.GetOrgNum(), 3u);
    EXPECT_EQ(s.GetOrg(2), OL_2dFloatPoint(20.05f, 0)) << "a near last point replaces the last origin";
    ASSERT_EQ(s.Interpolate(Points({{0, 0}, {9, 3}})), 1);
    EXPECT_FLOAT_EQ(s.GetCtlPt(1).x, 3);
    EXPECT_FLOAT_EQ(s.GetCtlPt(2).y, 2);
}

TEST(BSplineEndCondition, ChordForCollinearPointsArcTangentOtherwise)
{
    OL_2dFloatPoint line = OL_BSpline::EndCondition({0, 0}, {10, 0}, {30, 0});
    EXPECT_EQ(line, OL_2dFloatPoint(10, 0));
    // On the unit circle scaled by 100: (100, 0), (0, 100), (-100, 0) run anticlockwise,
    // so the tangent at the first point is straight up.
    OL_2dFloatPoint t = OL_BSpline::EndCondition({100, 0}, {0, 100}, {-100, 0});
    EXPECT_NEAR(t.x, 0, 0.5);
    EXPECT_NEAR(t.y, 100 * std::numbers::sqrt2, 0.5);
    // Points no test can settle on still give an answer: the search is bounded.
    float nan = std::numeric_limits<float>::quiet_NaN();
    OL_BSpline::EndCondition({0, 0}, {nan, 1}, {2, 3});
}

TEST(CubicBezier, HalvesAndTestsFlatness)
{
    OL_Bezier b({0, 0}, {0, 30}, {30, 30}, {30, 0}), left, right;
    b.SplitAtMid(left, right);
    EXPECT_EQ(left.P3, OL_2dFloatPoint(15, 22.5f));
    EXPECT_EQ(right.P0, left.P3);
    EXPECT_EQ(left.P1, OL_2dFloatPoint(0, 15));
    EXPECT_EQ(right.P3, OL_2dFloatPoint(30, 0));
    EXPECT_EQ(b.IsFlat(31, 1, 0.1f), 1) << "a short chord is flat";
    EXPECT_EQ(b.IsFlat(8, 1, 0.1f), 0);
    EXPECT_EQ(OL_Bezier({0, 0}, {10, 0.5f}, {20, -0.5f}, {30, 0}).IsFlat(8, 1, 0.1f), 1);
    EXPECT_EQ(OL_Bezier({0, 0}, {-1, 0}, {20, 0}, {30, 0}).IsFlat(8, 1, 0.1f), 0) << "a leg running backwards";
}

TEST(QuadraticBezier, EvaluatesHalvesAndFlattens)
{
    OL_QBezier q({0, 0}, {1, 2}, {2, 0});
    EXPECT_EQ(q.PtAt(0.5f), OL_2dFloatPoint(1, 1));
    EXPECT_EQ(q.PtAt(1.5f), OL_2dFloatPoint(0, 0));
    EXPECT_EQ(q.PtAt(-0.1f), OL_2dFloatPoint(0, 0));
    OL_QBezier left, right;
    q.SplitAtMid(left, right);
    EXPECT_EQ(left.P2, OL_2dFloatPoint(1, 1));
    EXPECT_EQ(right.P1, OL_2dFloatPoint(1.5f, 1));
    EXPECT_EQ(q.CanBeALine(3, 0.1f, 0.1f), 1);
    EXPECT_EQ(q.CanBeALine(1, 0.1f, 0.1f), 0);
    EXPECT_EQ(q.CanBeALine(1, 1.5f, 0.1f), 1);

    OL_QBezier big({0, 0}, {100, 200}, {200, 0});
    float* out = nullptr;
    int n = big.Subdivide(out, 5, 0.1f, 0.01f);
    ASSERT_GT(n, 2);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2 * n - 2], 200);
    for (int k = 1; k < n; ++k) EXPECT_GT(out[2 * k], out[2 * k - 2]);
    std::free(out);
}

TEST(QuadraticBezier, FlatteningStopsAtItsDepthAndGrowsItsBuffer)
{
    // With no tolerance to meet, halving would never end: it stops at the depth limit, and
    // the buffer grows far past its first estimate of a few points.
    OL_QBezier q({0, 0}, {1, 2}, {2, 0});
    float* out = nullptr;
    int n = q.Subdivide(out, 0, 0, 0);
    EXPECT_EQ(n, (1 << OL_QBezier::kMaxDepth) + 1);
    EXPECT_EQ(out[2 * n - 2], 2);
    std::free(out);

    float nan = std::numeric_limits<float>::quiet_NaN();
    OL_QBezier broken({0, 0}, {nan, 1}, {2, 0});
    out = nullptr;
    n = broken.Subdivide(out, 0.5f, 0.1f, 0.1f);
    EXPECT_EQ(n, (1 << OL_QBezier::kMaxDepth) + 1);
    std::free(out);
}

}  // namespace
