#include <foundation/Clock.hpp>

#include <gtest/gtest.h>

using foundation::Clock;

TEST(Clock, ManualClockMovesBothReadingsTogetherOnlyWhenTold) {
    foundation::ScopedManualClock manual;
    double monotonic = Clock::current().monotonic();
    double wall = Clock::current().wallTime();
    EXPECT_EQ(Clock::current().monotonic(), monotonic);
    manual->advance(2.5);
    EXPECT_DOUBLE_EQ(Clock::current().monotonic(), monotonic + 2.5);
    EXPECT_DOUBLE_EQ(Clock::current().wallTime(), wall + 2.5);
}

TEST(Clock, RealClockIsRestoredAndReadsTheWallInReferenceSeconds) {
    { foundation::ScopedManualClock manual; }
    // 2020-01-01 is 599616000 s after the reference date.
    EXPECT_GT(Clock::current().wallTime(), 599616000.0);
    double a = Clock::current().monotonic();
    EXPECT_GE(Clock::current().monotonic(), a);
}
