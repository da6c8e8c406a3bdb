// The monotonic tick and its replacement by a clock that tests drive.
#include "platform/tick_clock.h"

#include "support/fake_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(TickClock, IsMonotonicAndReplaceableByTests)
{
    const TickMs before = MonotonicMs();
    {
        corvane_test::FakeClock clock(5);
        EXPECT_EQ(MonotonicMs(), 5);
        clock.Advance(150);
        EXPECT_EQ(MonotonicMs(), 155);
        clock.Set(-3);
        EXPECT_EQ(MonotonicMs(), -3);
    }
    EXPECT_GE(MonotonicMs(), before);
}

}  // namespace
