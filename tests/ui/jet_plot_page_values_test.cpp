// The speed pages', plot page's and jet head page's value rules over a machine record.
#include "machinelink/machine_globals.h"
#include "machinelink/net_machine.h"
#include "platform/settings_store.h"
#include "support/recording_message_sink.h"
#include "ui/header_gradient.h"
#include "ui/jet_page_values.h"
#include "ui/jet_speed_page_values.h"
#include "ui/plot_page_values.h"
#include "ui/speed_page_values.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Codes = std::vector<uint8_t>;

TEST(SpeedPageValues, ShowsMillimetresAndStoresPlotterUnits)
{
    SpeedConfig speeds;
    speeds.xVecMax = 160000;
    SpeedPageValues v = LoadSpeedPage(speeds);
    EXPECT_EQ(v.shownMm[2], 4000.0);
    EXPECT_FALSE(StoreSpeedPage(speeds, v));
    v.shownMm[2] = 4000.5;
    EXPECT_TRUE(StoreSpeedPage(speeds, v));
    EXPECT_EQ(speeds.xVecMax, 160020.0);
}

TEST(SpeedPageValues, UntouchedFieldTextReadsBackUnchanged)
{
    SpeedConfig speeds;
    speeds.J = 1600001;  // 40000.025 shown
    SpeedPageValues v = LoadSpeedPage(speeds);
    for (double& shown : v.shownMm) ASSERT_TRUE(ReadNumberField(FormatNumber(shown), shown));
    EXPECT_FALSE(StoreSpeedPage(speeds, v));
}

TEST(SpeedPageValues, TopSpeedRangesDifferByAxis)
{
    corvane_test::RecordingMessageSink sink;
    double value = 0;
    EXPECT_FALSE(ReadNumberField(CString(u"3001"), value, kSpeedFieldRanges[2]));
    EXPECT_TRUE(ReadNumberField(CString(u"3001"), value, kSpeedFieldRanges[3]));
}

TEST(JetSpeedPageValues, CarriageSpeedQuickCheckIsWiderThanOk)
{
    EXPECT_TRUE(IsIntegerInRange(CString(u"2600"), kCarriageSpeedQuickRange));
    EXPECT_FALSE(IsIntegerInRange(CString(u"2600"), kCarriageSpeedRange));
}

TEST(JetSpeedPageValues, OfflineStoresNothing)
{
    NET_Machine m;
    const uint16_t before = m.speedLevels[0].speed;
    JetSpeedPageValues v = LoadJetSpeedPage(m);
    v.levels[0].carriageSpeed = before + 1;
    v.carriageLevel = 2;
    const JetSpeedPageChanges changes = StoreJetSpeedPage(m, v);
    EXPECT_FALSE(changes.levelTable);
    EXPECT_FALSE(changes.levelSelection);
    EXPECT_EQ(m.speedLevels[0].speed, before);
    EXPECT_EQ(m.motionSource.interpolator.jetLevelIndex, 0);
}

TEST(JetSpeedPageValues, OutwardCompensationCountsAsChangedAndIsCleared)
{
    NET_Machine m;
    m.online = 1;
    m.speedLevels[1].zeroWord = 5;
    JetSpeedPageChanges changes = StoreJetSpeedPage(m, LoadJetSpeedPage(m));
    EXPECT_TRUE(changes.levelTable);
    EXPECT_FALSE(changes.levelSelection);
    EXPECT_EQ(m.speedLevels[1].zeroWord, 0);
    changes = StoreJetSpeedPage(m, LoadJetSpeedPage(m));
    EXPECT_FALSE(changes.levelTable);
}

TEST(JetSpeedPageValues, FeedSpeedIsShownInHundredths)
{
    NET_Machine m;
    m.online = 1;
    m.speedLevels[2].levelValue3 = 123456;
    m.motionSource.interpolator.cuttingLevelIndex = 5;
    JetSpeedPageValues v = LoadJetSpeedPage(m);
    EXPECT_EQ(v.levels[2].feedSpeed, 1234);
    EXPECT_EQ(v.feedLevel, 0);
    v.levels[2].leftStagger = 200;
    const JetSpeedPageChanges changes = StoreJetSpeedPage(m, v);
    EXPECT_TRUE(changes.levelTable);
    EXPECT_TRUE(changes.levelSelection);
    EXPECT_EQ(m.speedLevels[2].levelValue3, 123400);
    EXPECT_EQ(m.speedLevels[2].headValues[2], 200);
    EXPECT_EQ(m.motionSource.interpolator.cuttingLevelIndex, 0);
}

TEST(JetSpeedPageValues, PasswordComparesExactly)
{
    EXPECT_TRUE(IsAdvancedSettingsPassword(CString(u"tqmzr")));
    EXPECT_FALSE(IsAdvancedSettingsPassword(CString(u"tqmzr ")));
    EXPECT_FALSE(IsAdvancedSettingsPassword(CString(u"TQMZR")));
}

constexpr uint8_t kStationId[12] = {'C', 'V', '0', '0', '1', 0, 0, 0, 0, 0, 0, 0};

TEST(PlotPageValues, OldFirmwareKeepsTheCalibrationInTheSettingsStore)
{
    NET_Machine m(0x0100007F, kStationId);
    m.firmwareVersion = 10;
    CString section;
    m.GetID(section);
    PlotPageValues v = LoadPlotPage(m);
    for (float c : v.calibrationMm) EXPECT_EQ(c, 500.0f);
    v.calibrationMm[0] = 600.0f;
    const PlotPageChanges changes = StorePlotPage(m, v);
    EXPECT_EQ(changes.codes, Codes{});
    EXPECT_EQ(GetProfileString(section, u"File_xIdeal"), CString(u"600.0000"));
    for (const char16_t* key : {u"File_xReal", u"File_yIdeal", u"File_yReal"}) {
        EXPECT_TRUE(GetProfileString(section, key).IsEmpty()) << CString(key).ToUtf8();
    }
    EXPECT_EQ(LoadPlotPage(m).calibrationMm[0], 600.0f);
}

TEST(PlotPageValues, NewFirmwareSendsTheCalibrationBlock)
{
    NET_Machine m(0x0100007F, kStationId);
    m.firmwareVersion = 11;
    PlotPageValues v = LoadPlotPage(m);
    EXPECT_EQ(StorePlotPage(m, v).codes, Codes{});
    v.calibrationMm[3] = 999.5f;
    EXPECT_EQ(StorePlotPage(m, v).codes, Codes{kCalibrationBlockCode});
    EXPECT_EQ(m.calibration[3], 999.5f);
}

TEST(PlotPageValues, RotationAndScales)
{
    NET_Machine m(0x0100007F, kStationId);
    m.firmwareVersion = 11;
    m.plot.rotationDeg = 45;
    PlotPageValues v = LoadPlotPage(m);
    EXPECT_EQ(v.rotationIndex, 0);
    // The loaded record's scales are not the fixed ones: the first store resets them.
    m.plot.xCalIdeal = 1000.0f;
    m.plot.xCalReal = 0.0f;
    m.plot.plotValue4 = 3;
    EXPECT_TRUE(StorePlotPage(m, v).plotSettings);
    EXPECT_EQ(m.plot.xCalReal, 500.0f);
    EXPECT_EQ(m.plot.xCalIdeal, Fixed_XSCALE * 500.0f);
    EXPECT_EQ(m.plot.yScale, Fixed_YSCALE);
    EXPECT_EQ(m.plot.plotValue4, 10);
    EXPECT_FALSE(StorePlotPage(m, v).plotSettings);
    v.rotationIndex = 3;
    EXPECT_TRUE(StorePlotPage(m, v).plotSettings);
    EXPECT_EQ(m.plot.rotationDeg, 270);
}

TEST(PlotPageValues, CalibrationOfZeroOrLessIsRefused)
{
    corvane_test::RecordingMessageSink sink;
    float value = 500.0f;
    EXPECT_FALSE(ReadNumberField(CString(u"0"), value, kCalibrationRange));
    EXPECT_FALSE(ReadNumberField(CString(u"-1"), value, kCalibrationRange));
    EXPECT_EQ(value, 500.0f);
}

TEST(JetPageValues, UntouchedRaisesNoFlag)
{
    NET_Machine m;
    const JetPageFlags flags = StoreJetPage(m, LoadJetPage(m));
    EXPECT_FALSE(flags.head);
    EXPECT_FALSE(flags.plot);
}

TEST(JetPageValues, EachFieldRaisesItsOwnFlag)
{
    NET_Machine m;
    JetPageValues v = LoadJetPage(m);
    v.printLineWidth = 3;
    JetPageFlags flags = StoreJetPage(m, v);
    EXPECT_TRUE(flags.plot);
    EXPECT_FALSE(flags.head);
    EXPECT_EQ(m.jet.penWidth, 3);
    v = LoadJetPage(m);
    v.nozzleEnd[0] = 200;
    flags = StoreJetPage(m, v);
    EXPECT_TRUE(flags.head);
    EXPECT_FALSE(flags.plot);
}

TEST(JetPageValues, SheetGapIsClampedAfterStoring)
{
    struct Case {
        int32_t before, entered, stored;
        bool plot;
    };
    const Case cases[] = {{5, 0, 1, true}, {5, 300, 255, true}, {5, -7, 1, true}, {255, 255, 255, false}};
    for (const Case& c : cases) {
        NET_Machine m;
        m.jet.motorValue = c.before;
        JetPageValues v = LoadJetPage(m);
        v.sheetGapMm = c.entered;
        EXPECT_EQ(StoreJetPage(m, v).plot, c.plot) << c.entered;
        EXPECT_EQ(m.jet.motorValue, c.stored) << c.entered;
    }
}

TEST(JetPageValues, OtherWorkingColumnsShowAsBoth)
{
    NET_Machine m;
    m.jet.headCount = 7;
    const JetPageValues v = LoadJetPage(m);
    EXPECT_EQ(v.workingColumn, kBothColumns);
    EXPECT_TRUE(StoreJetPage(m, v).head);
    EXPECT_EQ(m.jet.headCount, 2);
}

TEST(JetPageValues, ResetsTheHiddenValuesWithoutAFlag)
{
    NET_Machine m;
    m.jet.secondJetFloat = 3.0f;
    m.jet.headValue = 9;
    const JetPageFlags flags = StoreJetPage(m, LoadJetPage(m));
    EXPECT_FALSE(flags.head || flags.plot);
    EXPECT_EQ(m.jet.secondJetFloat, 100.0f);
    EXPECT_EQ(m.jet.headValue, 60);
}

TEST(JetPageValues, SketchIsAStaircaseInTheFrame)
{
    const CRect area(10, 20, 214, 124);  // inner 202 x 102: heads 49 x 24
    const JetHeadSketch s = LayOutJetHeadSketch(area);
    EXPECT_EQ(s.frame, area);
    EXPECT_EQ(s.heads[0], CRect(14, 23, 63, 47));
    for (int i = 1; i < kJetHeads; ++i) {
        EXPECT_EQ(s.heads[i].left, s.heads[i - 1].right);
        EXPECT_EQ(s.heads[i].top, s.heads[i - 1].bottom);
        EXPECT_EQ(s.dimensionLines[i - 1].from.x, s.heads[i - 1].CenterPoint().x);
        EXPECT_EQ(s.dimensionLines[i - 1].to.x, s.heads[i].CenterPoint().x);
        EXPECT_EQ(s.dimensionLines[i - 1].from.y, 134);
    }
    EXPECT_EQ(s.heads[3].right, 210);
    EXPECT_EQ(s.centreLines[2].from, CPoint(s.heads[2].CenterPoint().x, s.heads[2].top + 2));
    EXPECT_EQ(s.centreLines[2].to, CPoint(s.heads[2].CenterPoint().x, s.heads[2].bottom - 2));
    EXPECT_EQ(s.ticks[3].from.y, 124);
    EXPECT_EQ(s.ticks[3].to.y, 144);
}

TEST(HeaderGradient, LowersEachComponentByTheStepPerLine)
{
    EXPECT_EQ(HeaderGradientColour(kHeaderGradientStart, kHeaderGradientStep, 0), RGB(171, 199, 235));
    EXPECT_EQ(HeaderGradientColour(kHeaderGradientStart, kHeaderGradientStep, 1), RGB(163, 191, 227));
    EXPECT_EQ(HeaderGradientColour(kHeaderGradientStart, kHeaderGradientStep, 22), RGB(0, 23, 59));
    EXPECT_EQ(HeaderGradientColour(kHeaderGradientStart, kHeaderGradientStep, 1000), RGB(0, 0, 0));
}

}  // namespace
