// The settings store: typed values by section and key in the per-test INI file.
#include "platform/settings_store.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

TEST(SettingsStore, LivesUnderTheConfigHomeAndKeepsValuesOfEveryType)
{
    EXPECT_EQ(SettingsStorePath(), std::string(std::getenv("XDG_CONFIG_HOME")) + "/Corvane/Corvane.ini");
    EXPECT_FALSE(std::filesystem::exists(SettingsStorePath()));

    EXPECT_EQ(WriteProfileInt(u"FileSetting", u"SortCut", -7), TRUE);
    EXPECT_EQ(WriteProfileString(u"AutoPrint Settings", u"Auto Directory", u"/srv/任务/auto"), TRUE);
    WriteProfileFloat(u"AutoPrint Settings", u"TextScale", 1.25f);

    EXPECT_TRUE(std::filesystem::exists(SettingsStorePath()));
    EXPECT_EQ(GetProfileInt(u"FileSetting", u"SortCut", 1), -7);
    EXPECT_EQ(GetProfileString(u"AutoPrint Settings", u"Auto Directory"), CString(u"/srv/任务/auto"));
    EXPECT_EQ(GetProfileString(u"AutoPrint Settings", u"TextScale"), CString(u"1.250000"));
    EXPECT_FLOAT_EQ(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f), 1.25f);

    // Text with the INI file's special characters comes back unchanged.
    WriteProfileString(u"S", u"K", u"a,b;c=d \"q\" @x");
    EXPECT_EQ(GetProfileString(u"S", u"K"), CString(u"a,b;c=d \"q\" @x"));
}

TEST(SettingsStore, MissingOrUnreadableValuesGiveTheDefaults)
{
    EXPECT_EQ(GetProfileInt(u"NET_SET", u"BroadCastIP", 42), 42);
    EXPECT_EQ(GetProfileString(u"NET_SET", u"Missing", u"dflt"), CString(u"dflt"));
    EXPECT_EQ(GetProfileString(u"NET_SET", u"Missing"), CString(u""));
    EXPECT_FLOAT_EQ(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f), 1.0f);

    WriteProfileString(u"AutoPrint Settings", u"TextScale", u"");
    EXPECT_FLOAT_EQ(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f), 1.0f);
    // Text that is not a number reads as 0, and a leading number is taken as far as it goes.
    WriteProfileString(u"AutoPrint Settings", u"TextScale", u"abc");
    EXPECT_FLOAT_EQ(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f), 0.0f);
    WriteProfileString(u"AutoPrint Settings", u"TextScale", u" 2.5mm");
    EXPECT_FLOAT_EQ(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f), 2.5f);
    WriteProfileString(u"AutoPrint Settings", u"TextScale", u"1e60");
    EXPECT_TRUE(std::isinf(GetProfileFloat(u"AutoPrint Settings", u"TextScale", 1.0f)));

    WriteProfileString(u"FileSetting", u"Delete", u"12x");
    EXPECT_EQ(GetProfileInt(u"FileSetting", u"Delete", 3), 3);
    WriteProfileString(u"FileSetting", u"Delete", u"99999999999");
    EXPECT_EQ(GetProfileInt(u"FileSetting", u"Delete", 3), 3);
}

TEST(SettingsStore, NamesCompareCaseBlindAndNullsRemove)
{
    WriteProfileInt(u"AutoPrint Settings", u"iWorkMode", 2);
    EXPECT_EQ(GetProfileInt(u"autoprint settings", u"IWORKMODE", 0), 2);
    // A write under another spelling replaces the stored value instead of adding a second one.
    WriteProfileInt(u"AUTOPRINT SETTINGS", u"iworkmode", 3);
    EXPECT_EQ(GetProfileInt(u"AutoPrint Settings", u"iWorkMode", 0), 3);
    EXPECT_EQ(corvane_test::ReadFile(SettingsStorePath()).find("iworkmode"), std::string::npos);

    WriteProfileInt(u"AutoPrint Settings", u"BSPLINE_FIT", 0);
    EXPECT_EQ(WriteProfileString(u"AutoPrint Settings", u"iWorkMode", nullptr), TRUE);
    EXPECT_EQ(GetProfileInt(u"AutoPrint Settings", u"iWorkMode", -1), -1);
    EXPECT_EQ(GetProfileInt(u"AutoPrint Settings", u"BSPLINE_FIT", -1), 0);

    EXPECT_EQ(WriteProfileString(u"autoprint settings", nullptr, nullptr), TRUE);
    EXPECT_EQ(GetProfileInt(u"AutoPrint Settings", u"BSPLINE_FIT", -1), -1);
}

}  // namespace
