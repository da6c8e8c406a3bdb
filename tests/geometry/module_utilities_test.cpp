// Program directory and the library's code-page conversion functions.
#include "geometry/module_utilities.h"

#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ModuleUtilities, ProgramDirectoryEndsWithItsSeparator)
{
    EXPECT_EQ(GetExeModulePath().ToUtf8(), corvane_test::ProgramDir());
}

TEST(ModuleUtilities, ConvertCharToLPWSTRNeedsRoomForTwoTerminators)
{
    char16_t out[13];
    EXPECT_EQ(ConvertCharToLPWSTR("0123456789", out, 12), 0);
    EXPECT_EQ(ConvertCharToLPWSTR("0123456789", out, 13), 1);
    EXPECT_EQ(std::u16string(out), u"0123456789");
}

TEST(ModuleUtilities, ConverPWCharToPCharReplacesMissingCharacters)
{
    char out[16];
    EXPECT_EQ(ConverPWCharToPChar(u"A\u0E01B", out, sizeof out), 1);
    EXPECT_STREQ(out, "A|B");
    EXPECT_EQ(ConverPWCharToPChar(u"刀刀", out, 5), 0) << "4 bytes plus one do not fit in 5";
    EXPECT_EQ(ConverPWCharToPChar(u"刀刀", out, 6), 1);
    EXPECT_STREQ(out, "\xB5\xB6\xB5\xB6");
}

TEST(ModuleUtilities, WideCharToMultiCharTerminatesWhenThereIsRoom)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    WideCharToMultiChar(u"abc", out, sizeof out);
    EXPECT_STREQ(out, "abc");

    std::memset(out, 'x', sizeof out);
    WideCharToMultiChar(u"abcd", out, 4);
    EXPECT_EQ(std::string(out, 5), "abcdx") << "exact fit: no terminator, nothing beyond";

    std::memset(out, 'x', sizeof out);
    WideCharToMultiChar(u"a刀刀", out, 4);
    EXPECT_EQ(std::string(out, 5), std::string("a\xB5\xB6\0x", 5)) << "whole characters only";
}

}  // namespace
