// The two motion text generators: the fixed sequences of depth changes, ink-jet passes and
// MauIndex 130 / 8 groups, the channel commands, the level index rule and the end of a job.
#include "interpolator_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

using namespace interp_fixtures;

// A paper-feed leg of an ink-jet pass at the level 0 jet speed (1000 × 40).
std::string Leg(int dx, int dy)
{
    return "P" + std::to_string(dx) + "," + std::to_string(dy) + ";S1,1000,1,1000,40000,200000," +
           std::to_string(std::abs(dy)) + ",2000000;";
}

// Hands one group to a generator as the traversal would have, without a cut list.
Call RunGroup(P_Interpolate1& interp, bool magnet, int code, std::vector<CPoint> pts)
{
    interp.groupCopy.RemoveAll();
    for (const CPoint& p : pts) interp.groupCopy.Add(p);
    interp.traversalCode = code;
    interp.cursor = 0;
    return CallOnce([&](P_DataBuf& b) { return magnet ? interp.BGetNextData_magnet(b) : interp.BGetNextData_at(b); });
}

struct FixedCase {
    const char* name;
    bool magnet;
    int firmware;
    int code;
    std::vector<CPoint> pts;
    std::string text;
    int result;  // -1: the text's length
};

class FixedSequenceTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedSequenceTest, GivesTheMachinesText)
{
    const FixedCase& c = GetParam();
    FakeMachine m = c.magnet ? FakeMachine::Magnet(c.firmware) : FakeMachine::Cutting(c.firmware);
    P_Interpolate1 interp;
    interp.machine = &m;
    SetLS_RepeatJetAtSectionStart(1);
    const Call got = RunGroup(interp, c.magnet, c.code, c.pts);
    EXPECT_EQ(got.text, c.text);
    EXPECT_EQ(got.result, c.result < 0 ? static_cast<int>(c.text.size()) : c.result);
    EXPECT_EQ(interp.groupCopy.GetSize(), 0) << "every branch uses the group up";
}

const std::string kCross = "P500,0;S1,1000,1,1000,40000,100000,500,200000;";

INSTANTIATE_TEST_SUITE_P(
    Groups, FixedSequenceTest,
    ::testing::Values(
        FixedCase{"at_130", false, 4, 130, {{0, 0}, {100, 50}, {100, -30}},
                  "P100,50;P0,-80;S1,600,1,600,800,1000,180,10000;", 0},
        FixedCase{"magnet_130", true, 4, 4, {{0, 0}, {100, 50}, {100, -30}},
                  "N1,10000;D20;N1,10000;D20;P100,50;P0,-80;S1,600,1,600,800,1000,180,10000;", 0},
        FixedCase{"at_100_up", false, 4, 100, {{0, 0}, {500, 0}, {500, 2000}},
                  "W0,2;" + kCross + "W0,1;" + Leg(0, 2000), 105},
        FixedCase{"at_101_down", false, 4, 101, {{0, 0}, {500, 0}, {500, -2000}},
                  "W0,4;" + kCross + "W0,1;" + Leg(0, -2000) + "W0,16;", -1},
        FixedCase{"magnet_100_second_leg_keeps_dx", true, 4, 100, {{0, 0}, {500, 0}, {530, 2000}},
                  "W0,2;" + kCross + "W0,1;" + Leg(30, 2000), -1},
        FixedCase{"at_99_down", false, 4, 99, {{0, 0}, {0, -2000}}, "W0,8;" + Leg(0, -2000), -1},
        FixedCase{"at_99_leg_ignores_dx", false, 4, 99, {{0, 0}, {70, 2000}}, "W0,8;W0,2;W0,1;" + Leg(0, 2000), -1},
        FixedCase{"at_102_up", false, 4, 102, {{0, 0}, {0, 2000}}, "W0,8;W0,2;W0,1;" + Leg(0, 2000) + "W0,16;", -1},
        FixedCase{"magnet_99_down_repeat_jet", true, 4, 99, {{0, 0}, {0, -2000}}, "W0,8;" + Leg(0, -2000), -1},
        FixedCase{"magnet_102_up", true, 4, 102, {{0, 0}, {40, 2000}},
                  "W0,8;W0,2;W0,1;" + Leg(40, 2000) + "W0,16;", -1},
        FixedCase{"at_103_firmware_4_one_leg", false, 4, 103, {{0, 0}, {0, 1000}}, "W0,8;W0,2;W0,1;" + Leg(0, 1000), -1},
        FixedCase{"at_103_firmware_5_replays", false, 5, 103, {{0, 0}, {0, 1000}},
                  "W0,8;W0,2;W0,1;" + Leg(0, 1000) + "W0,32;" + Leg(0, -1000) + "W0,8;" + Leg(0, 1000), -1},
        FixedCase{"at_104_down_firmware_5", false, 5, 104, {{0, 0}, {0, -1000}}, "W0,8;" + Leg(0, -1000) + "W0,16;", -1},
        FixedCase{"magnet_103_firmware_3_one_leg", true, 3, 103, {{0, 0}, {10, 1000}},
                  "W0,8;W0,2;W0,1;" + Leg(10, 1000), -1},
        FixedCase{"magnet_104_firmware_4_replays", true, 4, 104, {{0, 0}, {10, 1000}},
                  "W0,8;W0,2;W0,1;" + Leg(10, 1000) + "W0,32;" + Leg(-10, -1000) + "W0,8;" + Leg(10, 1000) + "W0,16;",
                  -1},
        FixedCase{"at_99_three_points_nothing", false, 4, 99, {{0, 0}, {0, 10}, {0, 20}}, "", 0},
        FixedCase{"at_100_two_points_nothing", false, 4, 100, {{0, 0}, {0, 10}}, "", 0},
        FixedCase{"magnet_103_three_points_nothing", true, 4, 103, {{0, 0}, {0, 10}, {0, 20}}, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MotionText, JetPassesOfTheChannelDrivenMachineFollowTheRepeatJetFlag)
{
    FakeMachine m = FakeMachine::Magnet();
    P_Interpolate1 interp;
    interp.machine = &m;
    SetLS_RepeatJetAtSectionStart(0);
    EXPECT_EQ(RunGroup(interp, true, 99, {{0, 0}, {0, -2000}}).text, Leg(0, -2000) + "W0,8;");
    EXPECT_EQ(RunGroup(interp, true, 102, {{0, 0}, {0, -2000}}).text, Leg(0, -2000));
    // The flag only matters against +y.
    EXPECT_EQ(RunGroup(interp, true, 99, {{0, 0}, {0, 2000}}).text, "W0,8;W0,2;W0,1;" + Leg(0, 2000));
    SetLS_RepeatJetAtSectionStart(1);
}

TEST(MotionText, JetLegsTakeTheTaskLevelSpeedAndTheCuttingLevelValues)
{
    FakeMachine m = FakeMachine::Cutting();
    m.taskJetLevel = 2;  // speed 2000
    P_Interpolate1 interp;
    interp.machine = &m;
    interp.cuttingLevelIndex = 1;  // 48000, 100000, 400000
    EXPECT_EQ(RunGroup(interp, false, 100, {{0, 0}, {300, 0}, {300, 100}}).text,
              "W0,2;P300,0;S1,1000,1,1000,48000,100000,300,400000;W0,1;P0,100;S1,1000,1,1000,80000,200000,100,2000000;");

    // Out-of-range levels count as 0 here and are left as they are.
    m.taskJetLevel = 9;
    interp.cuttingLevelIndex = 5;
    EXPECT_EQ(RunGroup(interp, false, 100, {{0, 0}, {500, 0}, {500, 2000}}).text, "W0,2;" + kCross + "W0,1;" + Leg(0, 2000));
    EXPECT_EQ(interp.cuttingLevelIndex, 5);
}

struct LevelCase {
    const char* name;
    bool magnet;
    int code;
    int32_t P_Interpolate1::*index;
};

class LevelIndexTest : public ::testing::TestWithParam<LevelCase> {};

// Only speed set 0 is fast, so the text shows which set planned the path.
TEST_P(LevelIndexTest, OutOfRangeIsStoredBackAsZeroAndSelectsSetZero)
{
    const LevelCase& c = GetParam();
    FakeMachine m = c.magnet ? FakeMachine::Magnet() : FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    interp.speedConfigs[0].xVecMax = 5000;
    interp.speedConfigs[1].xVecMax = interp.speedConfigs[2].xVecMax = 100;
    for (int32_t wild : {7, -1}) {
        interp.*c.index = wild;
        const Call got = RunGroup(interp, c.magnet, c.code, {{0, 0}, {1000, 0}});
        EXPECT_NE(got.text.find("P1000,0;S1,1201,1,1201,5000,160001,1000,1600000;"), std::string::npos) << got.text;
        EXPECT_EQ(interp.*c.index, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Indices, LevelIndexTest,
    ::testing::Values(LevelCase{"at_travel_cutting_level", false, 0, &P_Interpolate1::cuttingLevelIndex},
                      LevelCase{"at_draw_jet_level", false, 1, &P_Interpolate1::jetLevelIndex},
                      LevelCase{"at_half_cut_jet_level", false, 3, &P_Interpolate1::jetLevelIndex},
                      LevelCase{"at_knife_first_speed", false, 2, &P_Interpolate1::firstSpeedIndex},
                      LevelCase{"magnet_travel_second_speed", true, 0, &P_Interpolate1::secondSpeedIndex},
                      LevelCase{"magnet_draw_jet_level", true, 1, &P_Interpolate1::jetLevelIndex},
                      LevelCase{"magnet_knife_first_speed", true, 2, &P_Interpolate1::firstSpeedIndex}),
    [](const auto& info) { return std::string(info.param.name); });

// The depth-aware jet branches bring the second speed index into range, but only for a group
// whose point count fits its code.
TEST(MotionText, FittingJetPassesOfTheDepthTraversalResetTheSecondSpeedIndex)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    interp.secondSpeedIndex = 7;
    EXPECT_EQ(RunGroup(interp, false, 100, {{0, 0}, {0, 10}}), (Call{0, ""}));
    EXPECT_EQ(interp.secondSpeedIndex, 7) << "a pass of the wrong form changes nothing";
    RunGroup(interp, false, 103, {{0, 0}, {0, 10}});
    EXPECT_EQ(interp.secondSpeedIndex, 0);
    interp.secondSpeedIndex = 2;
    RunGroup(interp, false, 99, {{0, 0}, {0, 10}});
    EXPECT_EQ(interp.secondSpeedIndex, 2) << "a valid index stays";
}

TEST(MotionText, UnusableSpeedValuesArePlannedWithTheDefaultOfTheirField)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    // A sharp corner, then a gentle arc, so that line, start and curve values all count.
    std::vector<CPoint> path = {{0, 0}, {1000, 0}, {1000, 700}};
    for (int i = 1; i <= 40; ++i)
        path.push_back({1000 + static_cast<int32_t>(3000 * std::sin(i * 0.02)),
                        700 + static_cast<int32_t>(3000 * (1 - std::cos(i * 0.02)))});
    CSpeedLayout1 reference;
    CArray<CPoint> points;
    for (const CPoint& p : path) points.Add(p);
    reference.Append(points, 2);
    reference.StartFind();
    P_DataBuf expected;
    while (reference.GetNextData_at(expected, 0) > 0) {
    }

    double SpeedConfig::*fields[] = {&SpeedConfig::xAccLine, &SpeedConfig::yAccLine, &SpeedConfig::xVecMax,
                                     &SpeedConfig::yVecMax,  &SpeedConfig::xVecInit, &SpeedConfig::yVecInit,
                                     &SpeedConfig::J,        &SpeedConfig::xAccCrv,  &SpeedConfig::yAccCrv,
                                     &SpeedConfig::xAccCrvJiWan, &SpeedConfig::yAccCrvJiWan};
    for (double SpeedConfig::*f : fields) {
        for (double v : {0.0, -5.0, std::nan(""), HUGE_VAL}) {
            interp.speedConfigs[0] = SpeedConfig();
            interp.speedConfigs[0].*f = v;
            EXPECT_EQ(RunGroup(interp, false, 2, path).text, Text(expected)) << v;
        }
    }
    EXPECT_EQ(interp.speedConfigs[0].yAccCrvJiWan, HUGE_VAL) << "the machine's own values stay";
}

TEST(MotionText, StepsOfAVeryLongPathStayPositive)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    // Two runs of about two billion steps each: their sum does not fit 32 bits.
    const Call got = RunGroup(interp, false, 2, {{0, 0}, {2000000000, 0}, {2000000000, 2000000000}});
    EXPECT_EQ(got.result, INT32_MAX) << "a negative result would read as the end of the job";
}

TEST(MotionText, ChannelDrivenPlannerGroupsEndTheTextAndReportTheStreamLength)
{
    FakeMachine m = FakeMachine::Magnet();
    P_Interpolate1 interp;
    interp.machine = &m;
    interp.groupCopy.Add({0, 0});
    interp.groupCopy.Add({100, 0});
    interp.traversalCode = 2;
    P_DataBuf b;
    b.AppendString("O100;");  // a start prefix already in the stream
    const int r = interp.BGetNextData_magnet(b);
    EXPECT_EQ(Text(b), "O100;N1,10000;D30;N1,8000;D30;" + DefaultLine(100, 0));
    EXPECT_EQ(r, b.GetDataNum());
    EXPECT_EQ(b.GetData()[b.GetDataNum()], 0) << "a zero byte behind the text";
}

struct ToolCase {
    const char* name;
    int firmware;
    uint8_t b11;
    std::string text;
};

class ToolSequenceTest : public ::testing::TestWithParam<ToolCase> {};

TEST_P(ToolSequenceTest, MauIndex8WritesTheToolSequenceAndEndsWithD100)
{
    const ToolCase& c = GetParam();
    FakeMachine m = FakeMachine::Magnet(c.firmware);
    m.SetExtraWord(0, 100);
    m.SetExtraWord(2, 200);
    m.SetExtraWord(4, 300);
    m.SetExtraWord(6, 400);
    m.SetExtraWord(8, 50);
    m.SetExtraWord(14, 23);  // 23 × 2000: two full dwells and 6000
    m.extraBlock[11] = c.b11;
    P_Interpolate1 interp;
    interp.machine = &m;
    const Call got = RunGroup(interp, true, 6, {{0, 0}, {300, 10}, {250, 40}});
    EXPECT_EQ(got, (Call{0, c.text}));
    EXPECT_EQ(m.endWithD100, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Extra, ToolSequenceTest,
    ::testing::Values(
        ToolCase{"lift", 22, 0,
                 "A100;D200;D20000;D20000;D6000;B1,300;S1,1000,1,1000,4000,50000,300,1500000;O100;D100;"},
        ToolCase{"path", 22, 1,
                 "O101;D300;A100;D200;D20000;D20000;D6000;P300,10;P-50,30;S1,600,1,600,4000,50000,350,1500000;"
                 "O100;D100;A101;D400;"},
        ToolCase{"path_channel_2", 23, 1,
                 "O101;N2,0;D300;A100;D200;D20000;D20000;D6000;N2,12000;D10;P300,10;P-50,30;"
                 "S1,600,1,600,4000,50000,350,1500000;N2,0;O100;D100;A101;D400;"}),
    [](const auto& info) { return std::string(info.param.name); });

// Channel values per code (default block), each after a group of the code before it.
TEST(MotionText, ChannelCommandsFollowTheGroupCodes)
{
    FakeMachine m = FakeMachine::Magnet();
    P_Interpolate1 interp;
    interp.machine = &m;
    // The leading "N" and "D" commands of the group's text: what precedes the path, the
    // pass or the tool sequence.
    auto prefix = [&](int code) {
        const std::string text = RunGroup(interp, true, code, {{0, 0}, {100, 0}}).text;
        size_t end = 0;
        while (end < text.size() && (text[end] == 'N' || text[end] == 'D')) end = text.find(';', end) + 1;
        return text.substr(0, end);
    };
    EXPECT_EQ(prefix(0), "");
    EXPECT_EQ(prefix(2), "N1,10000;D30;N1,8000;D30;");
    EXPECT_EQ(prefix(2), "") << "knife after knife";
    EXPECT_EQ(prefix(0), "N1,0;D40;N1,0;");
    EXPECT_EQ(prefix(4), "N1,10000;D20;N1,10000;D20;");
    EXPECT_EQ(prefix(2), "N1,8000;D30;") << "knife after MauIndex 130: no lead";
    EXPECT_EQ(prefix(3), "N1,10000;D30;N1,6000;D30;");
    EXPECT_EQ(prefix(4), "N1,10000;D20;") << "MauIndex 130 after a half cut: no lead";
    EXPECT_EQ(prefix(5), "N1,0;D20;N1,0;");
    EXPECT_EQ(prefix(2), "N1,10000;D20;N1,8000;D20;") << "knife after a join move";
    EXPECT_EQ(prefix(1), "N1,0;N0,8000;D40;N1,0;N0,6000;D30;") << "both leads share the longer dwell";
    EXPECT_EQ(prefix(2), "N1,10000;N0,0;D40;N1,8000;N0,0;D30;") << "both channels change";
    EXPECT_EQ(prefix(5), "N1,0;D20;N1,0;");
    EXPECT_EQ(prefix(3), "N1,10000;D20;N1,6000;D20;") << "half cut after a join move";
    EXPECT_EQ(prefix(4), "N1,10000;D20;");
    EXPECT_EQ(prefix(3), "N1,6000;D30;") << "half cut after MauIndex 130: no lead";
    EXPECT_EQ(interp.lastChannel1, 6000);
    EXPECT_EQ(interp.lastChannel0, 0);
    EXPECT_EQ(interp.lastGroupCode, 3);
    // Ink-jet passes and the MauIndex 8 sequence leave the channels as travel does.
    EXPECT_EQ(prefix(99), "N1,0;D40;N1,0;");
    EXPECT_EQ(prefix(2), "N1,10000;D30;N1,8000;D30;");
    EXPECT_EQ(prefix(6), "N1,0;D40;N1,0;");
    EXPECT_EQ(prefix(104), "");
}

TEST(MotionText, DepthJobGivesDepthMovesAroundTheKnifePathAndEnds)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    interp.machine = &m;
    StartJob(interp, {{{{{100, 0}, {300, 0}}}, 2}}, {0, 800, 600, 800});
    auto at = [&](P_DataBuf& b) { return interp.BGetNextData_at(b); };

    EXPECT_EQ(CallOnce(at), (Call{100, DefaultLine(100, 0)})) << "travel to the shape";
    EXPECT_EQ(CallOnce(at), (Call{6, "B0,800;S1,1000,1,1000,2300,20000,800,1500000;"})) << "lower";
    EXPECT_EQ(CallOnce(at), (Call{200, DefaultLine(200, 0)})) << "the knife path";
    EXPECT_EQ(CallOnce(at), (Call{6, "B0,-800;S1,1000,1,1000,2300,20000,800,1500000;"})) << "raise";
    EXPECT_EQ(CallOnce(at), (Call{-3, ""}));
    EXPECT_EQ(CallOnce(at), (Call{-1, ""}));
    EXPECT_EQ(CallOnce(at), (Call{-1, ""}));
}

TEST(MotionText, ChannelDrivenJobWalksTheCodesOfItsTraversal)
{
    FakeMachine m = FakeMachine::Magnet();
    P_Interpolate1 interp;
    interp.machine = &m;
    StartJob(interp, {{{{{100, 0}, {200, 0}}}, 2},
                      {{{{200, 0}, {300, 0}}}, 130},
                      {{{{300, 0}, {400, 0}}}, 2},
                      {{{{500, 0}, {600, 0}}}}});
    auto magnet = [&](P_DataBuf& b) { return interp.BGetNextData_magnet(b); };
    auto planned = [](const std::string& text) { return Call{static_cast<int>(text.size()), text}; };

    EXPECT_EQ(CallOnce(magnet), planned(DefaultLine(100, 0)));
    EXPECT_EQ(CallOnce(magnet), planned("N1,10000;D30;N1,8000;D30;" + DefaultLine(100, 0)));
    EXPECT_EQ(CallOnce(magnet), (Call{0, "N1,10000;D20;P100,0;S1,600,1,600,800,1000,100,10000;"}))
        << "MauIndex 130 after a knife: no lead";
    EXPECT_EQ(CallOnce(magnet), planned("N1,8000;D30;" + DefaultLine(100, 0)));
    EXPECT_EQ(CallOnce(magnet), planned("N1,0;D40;N1,0;" + DefaultLine(100, 0)));
    EXPECT_EQ(CallOnce(magnet), planned(DefaultLine(100, 0))) << "a drawing path";
    EXPECT_EQ(CallOnce(magnet), (Call{-3, ""}));
    EXPECT_EQ(CallOnce(magnet), (Call{-1, ""}));
}

TEST(MotionText, WithoutJobOrMachineNothingIsWritten)
{
    FakeMachine m = FakeMachine::Cutting();
    P_Interpolate1 interp;
    EXPECT_EQ(CallOnce([&](P_DataBuf& b) { return interp.BGetNextData_at(b); }), (Call{-1, ""})) << "no machine";
    interp.machine = &m;
    PARAM_SetData none;
    interp.SetData(none);
    EXPECT_EQ(CallOnce([&](P_DataBuf& b) { return interp.BGetNextData_at(b); }), (Call{-1, ""}));
    EXPECT_EQ(CallOnce([&](P_DataBuf& b) { return interp.BGetNextData_magnet(b); }), (Call{-1, ""}));
}

}  // namespace
