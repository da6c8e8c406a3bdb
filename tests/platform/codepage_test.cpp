// Code-page conversions: sizes, unmappable characters and the selectable ANSI page.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CodePage, SizeQueryThenExactFit)
{
    const char16_t text[] = u"刀具";
    int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(needed, 5);  // two double-byte characters and the terminator
    char out[5];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 4, nullptr, nullptr), 0) << "one byte short";
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, text, -1, out, 5, nullptr, nullptr), 5);
    EXPECT_EQ(std::string(out), "\xB5\xB6\xBE\xDF");

    char16_t back[3];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, out, -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, out, -1, back, 3), 3);
    EXPECT_EQ(std::u16string(back), u"刀具");
}

TEST(CodePage, UnmappableCharactersTakeTheDefault)
{
    const char16_t text[] = u"a\u0E01b\U0001F600c";  // a Thai letter and an emoji are not in GBK
    BOOL used = FALSE;
    char out[16] = {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, "|", &used);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), std::string("a|b|c\0", 6));
    EXPECT_TRUE(used);

    const char16_t lone[] = {u'x', 0xD800, u'y', 0};  // an unpaired surrogate
    n = WideCharToMultiByte(CP_ACP, 0, lone, 3, out, sizeof out, nullptr, &used);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "x?y");
}

TEST(CodePage, UndefinedBytesBecomeQuestionMarks)
{
    const char bytes[] = "A\xFF" "B\xB5";  // 0xFF is no GBK lead byte; 0xB5 lacks its trail byte
    char16_t out[8];
    int n = MultiByteToWideChar(CP_ACP, 0, bytes, 4, out, 8);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), u"A?B?");
}

TEST(CodePage, AnsiPageCanBeBig5)
{
    const char16_t text[] = u"刀";
    char out[4] = {};
    SetAnsiCodePage(950);
    int n = WideCharToMultiByte(CP_ACP, 0, text, 1, out, sizeof out, nullptr, nullptr);
    SetAnsiCodePage(936);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "\xA4\x4D");
    n = WideCharToMultiByte(950, 0, text, 1, out, sizeof out, nullptr, nullptr);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), "\xA4\x4D");
}

}  // namespace
