// Number reading in the C locale: atof and atoi results without their locale and overflow faults.
#include "platform/number_parse.h"

#include "support/comma_locale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

namespace {

TEST(NumberParse, ReadsTheLeadingNumberAsAtofDoes)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"1.5", 1.5},     {"  -2.25xyz", -2.25}, {"+.5", 0.5},  {"5.", 5.0},    {".", 0.0},
        {"-", 0.0},       {"abc", 0.0},          {"", 0.0},     {"1e3", 1000.0}, {"+-1", 0.0},
        {"12,5", 12.0},   {"-0.000", 0.0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(CLocaleAtof(std::string_view(c.text)), c.value) << c.text;

    std::string huge(400, '9');
    EXPECT_EQ(CLocaleAtof(huge), HUGE_VAL);
    EXPECT_EQ(CLocaleAtof("-" + huge), -HUGE_VAL);
    EXPECT_EQ(CLocaleAtof("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(CLocaleAtof(std::u16string_view(u" 3.5文")), 3.5);
}

TEST(NumberParse, ReadsPointDecimalsUnderACommaLocale)
{
    corvane_test::ScopedCommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale can be made here";
    EXPECT_DOUBLE_EQ(CLocaleAtof(std::string_view("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(CLocaleAtof(std::string_view("12,5")), 12.0);
}

TEST(NumberParse, IntegersSaturateAndFloatsNarrowWithoutOverflow)
{
    EXPECT_EQ(CLocaleAtoi("  42;"), 42);
    EXPECT_EQ(CLocaleAtoi("-17"), -17);
    EXPECT_EQ(CLocaleAtoi("x1"), 0);
    EXPECT_EQ(CLocaleAtoi("2147483647"), 2147483647);
    EXPECT_EQ(CLocaleAtoi("99999999999999999999999"), 2147483647);
    EXPECT_EQ(CLocaleAtoi("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(CLocaleAtoi("-99999999999999999999999"), -2147483647 - 1);

    EXPECT_EQ(NarrowToFloat(1e39), HUGE_VALF);
    EXPECT_EQ(NarrowToFloat(-1e39), -HUGE_VALF);
    EXPECT_EQ(NarrowToFloat(FLT_MAX), FLT_MAX);
    EXPECT_TRUE(std::isnan(NarrowToFloat(NAN)));
}

}  // namespace
