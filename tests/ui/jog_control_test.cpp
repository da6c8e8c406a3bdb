// The jog buttons' key values and the one stop per press.
#include "ui/jog_control.h"

#include <gtest/gtest.h>

namespace {

TEST(JogControl, EachButtonSendsItsValueAndTheEndStopsThePressedMachine)
{
    const struct {
        int id;
        uint8_t value;
    } buttons[] = {{1001, 2}, {1002, 3}, {1003, 4}, {1004, 5}, {1019, 9}, {1022, 8}};
    for (const auto& b : buttons) {
        JogControl jog;
        EXPECT_EQ(jog.Press(b.id, 0x0A00007Fu), (JogCommand{0x0A00007Fu, b.value})) << b.id;
        EXPECT_TRUE(jog.IsPressed());
        EXPECT_EQ(jog.End(), (JogCommand{0x0A00007Fu, kJogStopValue}));
        EXPECT_FALSE(jog.End().has_value()) << "one stop per press";
    }
}

TEST(JogControl, NoMachineOrOtherIdsSendNothingEitherTime)
{
    JogControl jog;
    EXPECT_FALSE(jog.Press(1003, std::nullopt).has_value());
    EXPECT_FALSE(jog.IsPressed());
    EXPECT_FALSE(jog.End().has_value());
    EXPECT_FALSE(jog.Press(1017, 7u).has_value()) << "reset is not a jog";
    EXPECT_FALSE(jog.End().has_value());
}

TEST(JogControl, TheStopGoesToTheMachineOfThePressEvenAfterAnotherPress)
{
    JogControl jog;
    ASSERT_TRUE(jog.Press(1001, 11u).has_value());
    EXPECT_FALSE(jog.Press(1002, 22u).has_value()) << "a second press while held starts nothing";
    EXPECT_EQ(jog.End(), (JogCommand{11u, kJogStopValue}));
}

}  // namespace
