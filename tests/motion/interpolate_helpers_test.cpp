// The interpolator's helpers: control codes, step bytes of a move, unit conversions, and the
// geometry on point groups.
#include "motion/interpolate.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using Code = std::array<unsigned char, 4>;

template <class F>
Code Coded(F f)
{
    Code out{};
    f(out.data());
    return out;
}

TEST(InterpolateHelpers, ControlCodes)
{
    // 0xC1 0x7F: low byte bits 7 and 6 set, high byte bit 6 set.
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeTimerDelayL(0x7FC1, o); }), (Code{2, 1 + 0x20 + 0x10 + 4, 0x01, 0x3F}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeTimerDelayH(0x8005, o); }), (Code{3, 1 + 8, 0x05, 0x00}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeMotoGroup(7, o); }), (Code{3, 2, 3, 2}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeMotoGroup(0, o); }), (Code{3, 2, 3, 1}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodePWM(1, 0x80, o); }), (Code{3, 2, 1, 0x80}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodePWM(0, 0x80, o); }), (Code{3, 0x12, 1, 0x80}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodePenState(1, o); }), (Code{3, 2, 2, 1}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodePenState(2, o); }), (Code{3, 2, 2, 2}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodePenState(9, o); }), (Code{3, 2, 2, 3}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeEncrypt(4, o); }), (Code{3, 2, 2, 4}));
    EXPECT_EQ(Coded([](auto* o) { P_Interpolate::CodeEncrypt(1, o); }), (Code{3, 2, 2, 5}));
}

std::vector<uint8_t> Steps(const CPoint& p, const CPoint& q, int mode)
{
    P_Interpolate interp;
    P_DataBuf b;
    interp.Move(b, p, q, mode);
    return std::vector<uint8_t>(b.GetData(), b.GetData() + b.GetDataNum());
}

TEST(InterpolateHelpers, MoveWritesOneStepBytePerPulseOfTheLongerAxis)
{
    // x leads; y steps where the accumulator (from 1/3) reaches 0.5: on the second byte.
    EXPECT_EQ(Steps({0, 0}, {3, 1}, 0), (std::vector<uint8_t>{0x23, 0x63, 0x23}));
    // Negative directions and mode 1; a diagonal steps both axes every time, x leading.
    EXPECT_EQ(Steps({5, 5}, {3, 3}, 1), (std::vector<uint8_t>{0x6E, 0x6E}));
    // y leads.
    EXPECT_EQ(Steps({0, 0}, {-1, 2}, 3), (std::vector<uint8_t>{0x64, 0x44}));
    EXPECT_TRUE(Steps({4, 4}, {4, 4}, 0).empty());
}

TEST(InterpolateHelpers, UnitConversionsAndTheirGuards)
{
    P_Interpolate interp;
    EXPECT_DOUBLE_EQ(interp.XPulsespeedToAnglespeed(1600), 60.0);
    EXPECT_DOUBLE_EQ(interp.XAnglespeedToPulsespeed(60), 1600.0);
    EXPECT_DOUBLE_EQ(interp.ZAngleAccToPulseAcc(6), 8.0);
    EXPECT_DOUBLE_EQ(interp.ZPulseAccToAngleAcc(8), 6.0);

    interp.SetCircutNum(0, -5, 4);
    EXPECT_EQ(interp.xPulsesPerTurn, 1600) << "no axis is given 0 or fewer pulses per turn";
    EXPECT_EQ(interp.yPulsesPerTurn, 1600);
    EXPECT_EQ(interp.zPulsesPerTurn, 4);
    EXPECT_TRUE(std::isfinite(interp.YPulsespeedToAnglespeed(100)));

    interp.SetBianbi(2.0, 0.5);
    EXPECT_DOUBLE_EQ(interp.xLengthFactor, 1.0 / 80);
    EXPECT_DOUBLE_EQ(interp.yLengthFactor, 1.0 / 20);
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
        interp.SetBianbi(bad, 1.0);
        interp.SetBianbi(1.0, bad);
    }
    EXPECT_DOUBLE_EQ(interp.xRatio, 2.0);
    EXPECT_DOUBLE_EQ(interp.yRatio, 0.5);
}

TEST(InterpolateHelpers, GeometryOnScaledDifferences)
{
    constexpr double pi = std::numbers::pi;
    P_Interpolate interp;
    interp.SetBianbi(1.0 / 40, 1.0 / 40);  // length factors 1: plain pulses
    EXPECT_DOUBLE_EQ(interp.GetLength({0, 0}, {3, -4}), 5.0);
    EXPECT_EQ(P_Interpolate::GetPulseNum({0, 0}, {3, -4}), 4);
    CArray<CPoint> pts;
    for (CPoint p : {CPoint(0, 0), CPoint(3, -4), CPoint(3, 6)}) pts.Add(p);
    EXPECT_EQ(P_Interpolate::GetPulseNum(pts, 0), 14);
    EXPECT_EQ(P_Interpolate::GetPulseNum(pts, 1), 17);

    const struct {
        CPoint to;
        double angle;
    } angles[] = {{{0, 0}, 1.5 * pi}, {{0, -3}, 1.5 * pi}, {{0, 3}, 0.5 * pi}, {{-3, 0}, pi},
                  {{3, 0}, 0.0},      {{1, 1}, pi / 4},    {{1, -1}, 1.75 * pi}, {{-1, -1}, 1.25 * pi}};
    for (const auto& c : angles) EXPECT_DOUBLE_EQ(interp.GetAngle({0, 0}, c.to), c.angle) << c.to.x << "," << c.to.y;

    EXPECT_DOUBLE_EQ(interp.CalAngle({0, 0}, {10, 0}, {20, 0}), 0.0);
    EXPECT_DOUBLE_EQ(interp.CalAngle({0, 0}, {10, 0}, {10, 10}), 90.0);
    EXPECT_DOUBLE_EQ(interp.CalAngle({0, 0}, {10, 0}, {20, 10}), 45.0);
    EXPECT_DOUBLE_EQ(interp.CalAngle({0, 0}, {10, 0}, {0, 10}), 135.0);

    EXPECT_DOUBLE_EQ(P_Interpolate::GetSlope(0.75 * pi), -0.25 * pi);
    EXPECT_DOUBLE_EQ(P_Interpolate::GetSlope(-0.25 * pi), -0.25 * pi);
    EXPECT_NEAR(P_Interpolate::GetSlope(1e12 * pi + 0.1), P_Interpolate::GetSlope(std::fmod(1e12 * pi + 0.1, pi)), 1e-9)
        << "a far angle ends";
    EXPECT_TRUE(std::isnan(P_Interpolate::GetSlope(HUGE_VAL)));

    CArray<CPoint> line;
    EXPECT_EQ(interp.AddToPtArray(line, {0, 0}), 1);
    EXPECT_EQ(interp.AddToPtArray(line, {0, 0}), 1) << "a repeat is taken as added";
    EXPECT_EQ(interp.AddToPtArray(line, {10, 0}), 1);
    EXPECT_EQ(interp.AddToPtArray(line, {20, 5}), 0) << "a turn above 20 degrees";
    EXPECT_EQ(interp.AddToPtArray(line, {20, 3}), 1);
    EXPECT_EQ(line.GetSize(), 3);
}

TEST(InterpolateHelpers, NextPointsOnLineWalkStretchesOfTheGroup)
{
    P_Interpolate interp;
    interp.SetBianbi(1.0 / 40, 1.0 / 40);
    for (CPoint p : {CPoint(0, 0), CPoint(0, 0), CPoint(10, 0), CPoint(30, 0)}) interp.pointGroup.Add(p);
    CPoint at(0, 0);
    EXPECT_EQ(interp.GetNextPtOnLine(at), 1) << "first stretch: 17";
    EXPECT_EQ(at, CPoint(17, 0));
    EXPECT_EQ(interp.groupCopy.GetSize(), 3);
    EXPECT_EQ(interp.groupCopy[1], CPoint(10, 0));
    EXPECT_EQ(interp.cursor, 2);
    EXPECT_EQ(interp.GetNextPtOnLine(at), 0) << "second stretch: 0.5, truncated onto the same point";
    interp.cursor = 3;
    EXPECT_EQ(interp.GetNextPtOnLine(at), 0) << "nothing after the last point";
    EXPECT_EQ(interp.groupCopy.GetSize(), 0);
}

}  // namespace
