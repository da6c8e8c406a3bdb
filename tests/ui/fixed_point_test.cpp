// Fixed-point text of the extension fields: formatting and reading tables.
#include "ui/fixed_point.h"

#include <gtest/gtest.h>

namespace {

TEST(FixedPoint, FormatsThousandths)
{
    struct Case {
        uint32_t value;
        int n;
        const char16_t* text;
    };
    const Case cases[] = {
        {1000, 3, u"1"},   {50, 3, u"0.05"}, {0, 3, u"0"},     {12345, 3, u"12.345"}, {1500, 3, u"1.5"},
        {100, 3, u"0.1"},  {65535, 3, u"65.535"}, {10000, 3, u"10"}, {120, 0, u"120"},  {7, 1, u"0.7"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFixedPoint(c.value, c.n), CString(c.text)) << c.value << " n=" << c.n;
    }
}

TEST(FixedPoint, ReadsTextAndReturnsTheFullValue)
{
    struct Case {
        const char16_t* text;
        uint64_t value;
    };
    const Case cases[] = {
        {u"1.5", 1500},   {u"2", 2000},         {u"0.05", 50},  {u"12.3456", 12345}, {u"abc", 0},
        {u"70", 70000},   {u"65.535", 65535},   {u"65.536", 65536}, {u"123456", 12345000},
        {u"1.2.3", 1200}, {u"3x", 3000},        {u"", 0},       {u".5", 500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFixedPoint(CString(c.text), 3), c.value) << CString(c.text).ToUtf8();
    }
}

TEST(FixedPoint, LimitsDecimalsToFive)
{
    EXPECT_EQ(ParseFixedPoint(CString(u"1.23456789"), 9), 123450u) << "five digits in all, five decimals";
    EXPECT_EQ(ParseFixedPoint(CString(u"99999"), 5), 9999900000u);
    EXPECT_EQ(ParseFixedPoint(CString(u"1.9"), 0), 1u);
}

}  // namespace
