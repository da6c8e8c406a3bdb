// CString / CStringA: formatting in the C locale, editing members and width conversions.
#include "platform/cstring.h"

#include "support/comma_locale.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CStringFormat, WritesLikePrintfForEachConversion)
{
    struct Case {
        const char* name;
        CStringA got;
        const char* want;
    };
    CStringA a;
    auto fmt = [](auto... args) {
        CStringA s;
        s.Format(args...);
        return s;
    };
    const Case cases[] = {
        {"int", fmt("%d", 42), "42"},
        {"width and zero pad", fmt("%05d", -42), "-0042"},
        {"left align", fmt("%-4d|", 7), "7   |"},
        {"negative int as %x wraps at 32 bits", fmt("%x", -1), "ffffffff"},
        {"64-bit", fmt("%lld", static_cast<long long>(1) << 40), "1099511627776"},
        {"unsigned short", fmt("%u", static_cast<unsigned short>(65535)), "65535"},
        {"fixed", fmt("%.3f", 2.0 / 3.0), "0.667"},
        {"general", fmt("%g", 1.5), "1.5"},
        {"exponent", fmt("%e", 1500.0), "1.500000e+03"},
        {"star width and precision", fmt("%*.*f", 8, 2, 3.14159), "    3.14"},
        {"char", fmt("%c%c", 'o', 'k'), "ok"},
        {"percent", fmt("100%%"), "100%"},
        {"narrow text", fmt("<%s>", "abc"), "<abc>"},
        {"text precision and width", fmt("[%5.2s]", CStringA("abcdef")), "[   ab]"},
        {"missing argument writes nothing", fmt("%d,%d", 1), "1,"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got.str(), c.want) << c.name;
}

TEST(CStringFormat, WideFormatTakesTextOfBothWidths)
{
    CString s;
    s.Format(u"%s=%d;%S", CString(u"speed"), 300, "mm");
    EXPECT_EQ(s.str(), u"speed=300;mm");
    s.AppendFormat(u"%.1f", 0.25);
    EXPECT_EQ(s.str(), u"speed=300;mm0.2");
}

TEST(CStringFormat, NumbersIgnoreTheProcessLocale)
{
    corvane_test::ScopedCommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale can be made here";
    CString wide;
    wide.Format(u"%.1f", 1.5);
    CStringA narrow;
    narrow.Format("%g|%f", 1.5, 0.5);
    EXPECT_EQ(wide.str(), u"1.5");
    EXPECT_EQ(narrow.str(), "1.5|0.500000");
}

TEST(CString, EditingMembersClampAndReport)
{
    CString s(u"  Knife,Pen ");
    s.Trim();
    EXPECT_EQ(s.str(), u"Knife,Pen");
    EXPECT_EQ(s.Find(u','), 5);
    EXPECT_EQ(s.Find(u"Pen"), 6);
    EXPECT_EQ(s.Find(u"x"), -1);
    EXPECT_EQ(s.ReverseFind(u'n'), 8);
    EXPECT_EQ(s.Left(5).str(), u"Knife");
    EXPECT_EQ(s.Right(3).str(), u"Pen");
    EXPECT_EQ(s.Mid(6).str(), u"Pen");
    EXPECT_EQ(s.Left(100).str(), s.str());
    EXPECT_EQ(s.Mid(100).str(), u"");
    EXPECT_EQ(s.Replace(u"n", u"nn"), 2);
    EXPECT_EQ(s.str(), u"Knnife,Penn");
    EXPECT_EQ(s.Remove(u'n'), 4);
    EXPECT_EQ(CString(u"Pen-é").MakeUpper().str(), u"PEN-é");
    EXPECT_EQ(CString(u"abc").CompareNoCase(u"ABC"), 0);
    EXPECT_LT(CString(u"abc").Compare(u"abd"), 0);
    EXPECT_THROW(s.GetAt(s.GetLength()), CInvalidArgException);
    EXPECT_THROW(s.GetAt(-1), CInvalidArgException);
}

TEST(CString, BufferEditEndsAtTheTerminator)
{
    CStringA s;
    char* p = s.GetBuffer(16);
    std::snprintf(p, 16, "%s", "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.str(), "abc");
}

TEST(CString, ConvertsBetweenWidthsThroughTheAnsiPage)
{
    CString wide(u"刀A");
    CStringA ansi(wide);
    EXPECT_EQ(ansi.str(), "\xB5\xB6"
                          "A");  // GBK
    EXPECT_EQ(CString(ansi).str(), u"刀A");
    EXPECT_EQ(CString::FromUtf8("é/x").ToUtf8(), "é/x");
}

}  // namespace
