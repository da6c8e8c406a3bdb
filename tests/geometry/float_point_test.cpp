// Angles, lengths, line crossings and corner deviation of the point types.
#include "geometry/float_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(CFloatPoint, AnglesOnWorkedValues)
{
    struct Case {
        const char* name;
        double got;
        double want;
    };
    const CFloatPoint o(0, 0), e(1, 0), n(0, 1);
    const Case cases[] = {
        {"vector angle past a right angle stays positive", CFloatPoint::CalAngle(e, CFloatPoint(-1, -1)), 5 * kPi / 4},
        {"vector angle counter-clockwise", CFloatPoint::CalAngle(e, n), kPi / 2},
        {"vector angle of a zero vector", CFloatPoint::CalAngle(e, o), 0},
        {"straight continuation", CFloatPoint::CalAngle(o, e, CFloatPoint(2, 0)), 0},
        {"right-angle turn", CFloatPoint::CalAngle(o, e, CFloatPoint(1, 1)), 90},
        {"full reversal", CFloatPoint::CalAngle(o, e, o), 180},
        {"clockwise 135", CFloatPoint::CalAngleByDir(o, e, CFloatPoint(0, -1)), -3 * kPi / 4},
        {"counter-clockwise 90", CFloatPoint::CalAngleByDir(o, e, CFloatPoint(1, 1)), kPi / 2},
        {"direction of -y", CFloatPoint(0, -2).Angle(), 3 * kPi / 2},
        {"direction of (-1,-1)", CFloatPoint(-1, -1).Angle(), 5 * kPi / 4},
        {"direction of (1,-1)", CFloatPoint(1, -1).Angle(), 7 * kPi / 4},
        {"vector direction of -x", C2dVector(-3, 0).Angle(), kPi},
        {"clamp angle of (-1,1)", C2dVector(-1, 1).ClampAngle(), 3 * kPi / 4},
        {"clamp angle of the zero vector", C2dVector(0, 0).ClampAngle(), kPi / 2},
        {"float direction of (-1,0)", OL_2dFloatPoint(-1, 0).Angle(), kPi},
        {"float direction of (0,-1)", OL_2dFloatPoint(0, -1).Angle(), 3 * kPi / 2},
    };
    for (const Case& c : cases) EXPECT_NEAR(c.got, c.want, 1e-6) << c.name;
}

TEST(CFloatPoint, QuickModPicksTheFactorOfItsBand)
{
    EXPECT_DOUBLE_EQ(CFloatPoint(3, 4).QuickMod(), 4 * 1.2761423749153966);
    EXPECT_DOUBLE_EQ(C2dVector(-5, 5).QuickMod(), 5 * std::numbers::sqrt2);
    EXPECT_DOUBLE_EQ(CFloatPoint(10, 0).QuickMod(), 10 * 1.0690355937288492);
    for (double a = 0; a < 2 * kPi; a += 0.01) {
        CFloatPoint p(100 * std::cos(a), 100 * std::sin(a));
        EXPECT_GE(p.QuickMod(), p.Length() - 1e-9);
        EXPECT_LE(p.QuickMod(), p.Length() * 1.0691);
    }
}

TEST(CFloatPoint, TolerancesAndLineDistance)
{
    CFloatPoint a(1, 1), b(1.5, 1);
    EXPECT_EQ(a.IsEqual(a, -1.0f), 0);
    EXPECT_EQ(a.IsCloseTo(a, 0.0f), 1);
    EXPECT_EQ(a.IsCloseTo(b, 0.0f), 0);
    EXPECT_EQ(a.IsCloseTo(b, 0.5f), 1);
    EXPECT_EQ(a.IsEqual(b, 0.5f), 0) << "IsEqual is strict";
    EXPECT_DOUBLE_EQ(CFloatPoint::PtToLine({0, 5}, {-1, 0}, {1, 0}), 5.0);
    EXPECT_DOUBLE_EQ(CFloatPoint::PtToLine({3, 4}, {0, 0}, {0, 0}), 5.0) << "a line of one point";
    CFloatPoint ext = CFloatPoint::Extend({0, 0}, {2, 1}, 4);
    EXPECT_DOUBLE_EQ(ext.x, 6);
    EXPECT_DOUBLE_EQ(ext.y, 3);
    ext = CFloatPoint::Extend({0, 0}, {1, -2}, 2);
    EXPECT_DOUBLE_EQ(ext.x, 2);
    EXPECT_DOUBLE_EQ(ext.y, -4);
}

TEST(FloatFunctions, IntersectionOfSegmentsAndLines)
{
    OL_2dFloatPoint out(-7, -7);
    EXPECT_EQ(Intersection(out, {0, 0}, {2, 0}, {2, -1}, {2, 1}), 1) << "meeting at an end point";
    EXPECT_FLOAT_EQ(out.x, 2);
    EXPECT_FLOAT_EQ(out.y, 0);
    EXPECT_EQ(Intersection(out, {0, 0}, {1, 0}, {3, -1}, {3, 1}), 0) << "lines cross beyond the segment";
    EXPECT_FLOAT_EQ(out.x, 3);
    out = OL_2dFloatPoint(-7, -7);
    EXPECT_EQ(Intersection(out, {0, 0}, {1, 0}, {0, 1}, {1, 1}), -1);
    EXPECT_FLOAT_EQ(out.x, -7) << "parallel lines leave out untouched";
}

TEST(FloatFunctions, CornerDeviation)
{
    EXPECT_FLOAT_EQ(Delta({0, 0}, {1, 0}, {0, 1}, {1, 0}), 0) << "parallel rays";
    EXPECT_FLOAT_EQ(Delta({0, 0}, {1, 0}, {0, 5}, {0, -1}), 0) << "a ray starting at the crossing";
    // Legs of 10 at a right angle: (1 - cos 45°) × 10.
    EXPECT_NEAR(Delta({-10, 0}, {1, 0}, {0, 10}, {0, -1}), (1 - std::sqrt(0.5)) * 10, 1e-4);
}

TEST(OL_2dFloatPoint, ToUnitOfShortAndZeroVectors)
{
    struct Case {
        float x, y;
    };
    for (Case c : {Case{0.0004f, 0}, Case{0, -0.0003f}, Case{3e-12f, 4e-12f}, Case{1e-10f, 1e-10f}, Case{30, 40}}) {
        OL_2dFloatPoint u = OL_2dFloatPoint(c.x, c.y).ToUnit();
        EXPECT_NEAR(u.Length(), 1.0f, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(u.Angle(), OL_2dFloatPoint(c.x, c.y).Angle(), 1e-5f);
    }
    OL_2dFloatPoint z = OL_2dFloatPoint(0, 0).ToUnit();
    EXPECT_EQ(z.x, 1.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(static_cast<CPoint>(OL_2dFloatPoint(-2.7f, 2.7f)), CPoint(-2, 2));
    // Beyond the integer range (or NaN) the components are held at its ends.
    EXPECT_EQ(static_cast<CPoint>(OL_2dFloatPoint(3e9f, -3e9f)), CPoint(INT32_MAX, INT32_MIN));
    EXPECT_EQ(static_cast<CPoint>(OL_2dFloatPoint(std::nanf(""), FloatInfinite())), CPoint(INT32_MIN, INT32_MAX));
}

}  // namespace
