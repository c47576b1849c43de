#include <ads/mosaic/MXTimer.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>

#include <gtest/gtest.h>

#include <vector>

using ads::mosaic::MXTimer;
using ads::mosaic::MXTimerTarget;

namespace {

class MXTimerTest : public ::testing::Test {
protected:
    ~MXTimerTest() override { foundation::RunLoop::main().reset(); }

    base::Ref<MXTimer> oneShot(double seconds) {
        return MXTimer::timerWithTimeInterval(
            seconds, [this] { firedAt.push_back(now()); }, {}, false);
    }
    double now() const { return foundation::Clock::current().monotonic(); }

    foundation::ScopedManualClock clock;
    std::vector<double> firedAt;
};

TEST_F(MXTimerTest, FiresOnceOnlyAfterBeingScheduled) {
    auto timer = oneShot(10);
    double const start = now();
    foundation::RunLoop::main().runFor(20);
    EXPECT_TRUE(firedAt.empty());
    EXPECT_FALSE(timer->isScheduled());

    // Its interval counts from when it was made, as an unscheduled system timer's does.
    timer = oneShot(10);
    double const made = now();
    foundation::RunLoop::main().runFor(4);
    EXPECT_TRUE(timer->scheduleNow());
    EXPECT_TRUE(timer->isScheduled());
    foundation::RunLoop::main().runFor(30);
    ASSERT_EQ(firedAt.size(), 1u);
    EXPECT_DOUBLE_EQ(firedAt[0], made + 10);
    EXPECT_FALSE(timer->isValid());
    EXPECT_FALSE(timer->scheduleNow());
    EXPECT_GT(made, start);
}

TEST_F(MXTimerTest, PauseAndResumeOfAnUnscheduledTimerDoNothing) {
    auto timer = oneShot(10);
    EXPECT_FALSE(timer->pause());
    EXPECT_FALSE(timer->isScheduled());
    EXPECT_FALSE(timer->isPaused());
    EXPECT_FALSE(timer->resume());
    EXPECT_FALSE(timer->isScheduled());
}

TEST_F(MXTimerTest, ResumeFiresAfterTheTimeThatWasLeft) {
    auto timer = oneShot(20);
    ASSERT_TRUE(timer->scheduleNow());
    foundation::RunLoop::main().runFor(7.7);
    ASSERT_TRUE(timer->pause());
    EXPECT_NEAR(timer->secondsLeft(), 12.3, 1e-9);
    EXPECT_EQ(timer->pauseDate(), now());
    EXPECT_FALSE(timer->pause()); // already paused
    EXPECT_TRUE(timer->isScheduled());

    foundation::RunLoop::main().runFor(100);
    EXPECT_TRUE(firedAt.empty());
    double const resumedAt = now();
    ASSERT_TRUE(timer->resume());
    EXPECT_FALSE(timer->resume()); // no longer paused
    foundation::RunLoop::main().runFor(20);
    ASSERT_EQ(firedAt.size(), 1u);
    EXPECT_NEAR(firedAt[0], resumedAt + 12.3, 1e-9);
}

TEST_F(MXTimerTest, ATimerPausedPastItsFireDateResumesWithFiveSecondsLeft) {
    auto timer = oneShot(1);
    ASSERT_TRUE(timer->scheduleNow());
    clock->advance(3); // the loop has not run: the timer is overdue
    ASSERT_TRUE(timer->pause());
    EXPECT_DOUBLE_EQ(timer->secondsLeft(), 5.0);
    double const resumedAt = now();
    ASSERT_TRUE(timer->resume());
    foundation::RunLoop::main().runFor(10);
    ASSERT_EQ(firedAt.size(), 1u);
    EXPECT_DOUBLE_EQ(firedAt[0], resumedAt + 5);
}

TEST_F(MXTimerTest, AnInvalidatedTimerCannotBePausedOrResumed) {
    auto timer = oneShot(10);
    ASSERT_TRUE(timer->scheduleNow());
    ASSERT_TRUE(timer->pause());
    timer->invalidate();
    EXPECT_FALSE(timer->resume());
    EXPECT_FALSE(timer->isScheduled());
}

TEST_F(MXTimerTest, LettingGoOfATimerStopsIt) {
    {
        auto timer = oneShot(1);
        ASSERT_TRUE(timer->scheduleNow());
    }
    foundation::RunLoop::main().runFor(5);
    EXPECT_TRUE(firedAt.empty());
}

TEST(MXTimerTarget, PostsItsNameWithItselfAsObjectOrNothingWithoutAName) {
    std::vector<void const*> senders;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        "", [&](foundation::Notification const& note) {
            if (note.name() == "Autorefresh" || note.name().empty())
                senders.push_back(note.object());
        });
    auto target = MXTimerTarget::initWithNotificationName("Autorefresh");
    target->postNotification();
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], target.get());

    MXTimerTarget::initWithNotificationName("")->postNotification();
    EXPECT_EQ(senders.size(), 1u);
}

}
