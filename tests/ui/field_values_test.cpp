// Dialog field exchange: integer and number reading, their messages and number text.
#include "ui/field_values.h"

#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using corvane_test::RecordingMessageSink;

using Texts = std::vector<std::u16string>;

// The texts of the messages shown so far.
Texts Shown(const RecordingMessageSink& sink)
{
    Texts texts;
    for (const auto& message : sink.Shown()) texts.push_back(message.text);
    return texts;
}

TEST(FieldValues, ReadsIntegersWithinTheirRange)
{
    struct Case {
        const char16_t* text;
        bool accepted;
        int64_t value;
        const char16_t* message;
    };
    const IntegerRange range{0, 12000};
    const Case cases[] = {
        {u"12000", true, 12000, nullptr},
        {u" 7 ", true, 7, nullptr},
        {u"+5", true, 5, nullptr},
        {u"12001", false, 0, u"Please enter an integer between 0 and 12000."},
        {u"-1", false, 0, u"Please enter an integer between 0 and 12000."},
        {u"99999999999999999999", false, 0, u"Please enter an integer between 0 and 12000."},
        {u"abc", false, 0, u"Please enter an integer."},
        {u"", false, 0, u"Please enter an integer."},
        {u"1.5", false, 0, u"Please enter an integer."},
        {u"12x", false, 0, u"Please enter an integer."},
    };
    for (const Case& c : cases) {
        RecordingMessageSink sink;
        int64_t value = -99;
        EXPECT_EQ(ReadIntegerValue(CString(c.text), range, value), c.accepted) << CString(c.text).ToUtf8();
        if (c.accepted) {
            EXPECT_EQ(value, c.value);
            EXPECT_TRUE(sink.Shown().empty());
        } else {
            EXPECT_EQ(value, -99);
            EXPECT_EQ(Shown(sink), Texts{c.message}) << CString(c.text).ToUtf8();
        }
    }
}

TEST(FieldValues, IntegerFieldsRefuseWhatTheirTypeCannotHold)
{
    RecordingMessageSink sink;
    int16_t knife = 5;
    EXPECT_FALSE(ReadIntegerField(CString(u"40000"), knife));
    EXPECT_EQ(knife, 5);
    uint8_t nozzle = 152;
    EXPECT_FALSE(ReadIntegerField(CString(u"300"), nozzle));
    EXPECT_EQ(nozzle, 152);
    EXPECT_TRUE(ReadIntegerField(CString(u"255"), nozzle));
    EXPECT_EQ(nozzle, 255);
    int32_t limit = 0;
    EXPECT_FALSE(ReadIntegerField(CString(u"2147483648"), limit));
    EXPECT_EQ(Shown(sink), (Texts{u"Please enter an integer between -32768 and 32767.",
                                  u"Please enter an integer between 0 and 255.",
                                  u"Please enter an integer between -2147483648 and 2147483647."}));
}

TEST(FieldValues, ReadsFiniteNumbersOnly)
{
    struct Case {
        const char16_t* text;
        bool accepted;
        double value;
    };
    const Case cases[] = {
        {u"0.01", true, 0.01}, {u"-3.5", true, -3.5}, {u"1e3", true, 1000.0}, {u" 2 ", true, 2.0},
        {u"nan", false, 0},    {u"inf", false, 0},    {u"-inf", false, 0},    {u"1e400", false, 0},
        {u"abc", false, 0},    {u"", false, 0},       {u"1,5", false, 0},
    };
    for (const Case& c : cases) {
        RecordingMessageSink sink;
        double value = -99;
        EXPECT_EQ(ReadNumberField(CString(c.text), value), c.accepted) << CString(c.text).ToUtf8();
        if (c.accepted) {
            EXPECT_EQ(value, c.value);
        } else {
            EXPECT_EQ(value, -99);
            EXPECT_EQ(Shown(sink), Texts{u"Please enter a number."});
        }
    }
}

TEST(FieldValues, FloatFieldsRefuseValuesBeyondTheFloatRange)
{
    RecordingMessageSink sink;
    float x = 1.0f;
    EXPECT_FALSE(ReadNumberField(CString(u"1e39"), x));
    EXPECT_EQ(x, 1.0f);
    EXPECT_EQ(Shown(sink), Texts{u"Please enter a number."});
    EXPECT_TRUE(ReadNumberField(CString(u"0.01"), x));
    EXPECT_EQ(x, 0.01f);
}

TEST(FieldValues, NumberRangesShowTheirBoundsAndRefuseNaN)
{
    RecordingMessageSink sink;
    double top = 0;
    EXPECT_FALSE(ReadNumberField(CString(u"3001"), top, NumberRange{30, 3000}));
    EXPECT_TRUE(ReadNumberField(CString(u"3000"), top, NumberRange{30, 3000}));
    EXPECT_EQ(top, 3000.0);
    float calibration = 0;
    EXPECT_FALSE(ReadNumberField(CString(u"0"), calibration, NumberRange{0.0001, 1000000}));
    EXPECT_FALSE(ReadNumberField(CString(u"nan"), calibration, NumberRange{0.0001, 1000000}));
    EXPECT_EQ(Shown(sink), (Texts{u"Please enter a number between 30 and 3000.",
                                  u"Please enter a number between 0.0001 and 1000000.", u"Please enter a number."}));
}

TEST(FieldValues, QuickCheckShowsNothing)
{
    RecordingMessageSink sink;
    EXPECT_TRUE(IsIntegerInRange(CString(u"2600"), IntegerRange{100, 3000}));
    EXPECT_FALSE(IsIntegerInRange(CString(u"3001"), IntegerRange{100, 3000}));
    EXPECT_FALSE(IsIntegerInRange(CString(u"x"), IntegerRange{100, 3000}));
    EXPECT_TRUE(sink.Shown().empty());
}

TEST(FieldValues, NumbersShowInTheirShortestRoundTripForm)
{
    for (float v : {0.75f, 0.8f, 0.01f, 20.0f, -1000.0f, 1.0e-7f, 3.4028235e38f}) {
        float back = 0;
        ASSERT_TRUE(ReadNumberField(FormatNumber(v), back)) << FormatNumber(v).ToUtf8();
        EXPECT_EQ(back, v);
    }
    for (double v : {4000.0, 4000.025, 0.1, 1.0 / 3.0}) {
        double back = 0;
        ASSERT_TRUE(ReadNumberField(FormatNumber(v), back));
        EXPECT_EQ(back, v);
    }
    EXPECT_EQ(FormatNumber(0.75f), CString(u"0.75"));
    EXPECT_EQ(FormatNumber(4000.0), CString(u"4000"));
    EXPECT_EQ(FormatInteger(-32768), CString(u"-32768"));
}

TEST(FieldValues, FixedPointFieldsRefuseAbove65535Units)
{
    RecordingMessageSink sink;
    uint16_t lift = 1000;
    EXPECT_TRUE(ReadFixedPointField(CString(u"65.535"), 3, lift));
    EXPECT_EQ(lift, 65535);
    EXPECT_FALSE(ReadFixedPointField(CString(u"70"), 3, lift));
    EXPECT_EQ(lift, 65535);
    EXPECT_EQ(Shown(sink), Texts{u"Please enter a number between 0 and 65.535."});
}

}  // namespace
