#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>

#include "MainLoopFixture.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using foundation::Timer;

namespace {

class TimerTest : public test::MainLoopTest { };

}

TEST_F(TimerTest, TimersDueAtTheSameInstantFireInTheOrderTheyWereScheduled) {
    std::vector<std::string> fired;
    auto record
        = [&](std::string name) { return [&fired, name](Timer&) { fired.push_back(name); }; };
    // Made first but scheduled last: scheduling, not making, sets the order.
    auto late = Timer::timer(1.0, record("added last"), false);
    Timer::scheduledTimer(1.0, record("first"), false);
    Timer::scheduledTimer(1.0, record("second"), false);
    Timer::scheduledTimer(0.5, record("earlier date"), false);
    Timer::scheduledTimer(1.0, record("third"), false);
    loop().addTimer(late);

    loop().runFor(1.0);

    EXPECT_EQ(fired,
        (std::vector<std::string> {"earlier date", "first", "second", "third", "added last"}));
}

TEST_F(TimerTest, RepeatingTimerFiresAtEachIntervalWithTheClockOnItsFireDate) {
    double start = now();
    std::vector<double> at;
    auto timer = Timer::scheduledTimer(
        0.25, [&](Timer&) { at.push_back(now() - start); }, true);

    loop().runFor(1.1);

    EXPECT_EQ(at, (std::vector<double> {0.25, 0.5, 0.75, 1.0}));
    EXPECT_DOUBLE_EQ(now(), start + 1.1);
    EXPECT_DOUBLE_EQ(timer->fireDate(), start + 1.25);
    EXPECT_TRUE(timer->isValid());
}

TEST_F(TimerTest, FrameTimerAtSixtyPerSecondFiresAboutThreeThousandSixHundredTimesAMinute) {
    int frames = 0;
    Timer::scheduledTimer(
        1.0 / 60, [&](Timer&) { ++frames; }, true);
    loop().runFor(60.0);
    EXPECT_NEAR(frames, 3600, 1);
}

TEST_F(TimerTest, LateLoopFiresRepeatingTimerOnceAndSkipsTheMissedIntervals) {
    double start = now();
    int calls = 0;
    auto timer = Timer::scheduledTimer(
        1.0, [&](Timer&) { ++calls; }, true);

    clock->advance(3.5);
    loop().runPending();
    loop().runPending();

    EXPECT_EQ(calls, 1);
    EXPECT_DOUBLE_EQ(timer->fireDate(), start + 4.0);
    loop().runFor(0.5);
    EXPECT_EQ(calls, 2);
}

TEST_F(TimerTest, OneShotTimerIsValidInItsCallbackAndSpentAfterIt) {
    bool validDuringCall = false;
    auto timer = Timer::scheduledTimer(
        2.0, [&](Timer& self) { validDuringCall = self.isValid(); }, false, base::Value("info"));
    EXPECT_TRUE(loop().containsTimer(*timer));
    EXPECT_EQ(timer->timeInterval(), 0.0);
    EXPECT_EQ(timer->userInfo().stringValue(), "info");

    loop().runFor(5.0);

    EXPECT_TRUE(validDuringCall);
    EXPECT_FALSE(timer->isValid());
    EXPECT_FALSE(loop().containsTimer(*timer));
    EXPECT_EQ(loop().timerCount(), 0u);
}

TEST_F(TimerTest, InvalidatingInsideItsOwnCallbackEndsARepeatingTimerThatOnlyTheLoopHeld) {
    int calls = 0;
    std::string infoAfterInvalidate;
    Timer::scheduledTimer(
        1.0,
        [&](Timer& self) {
            if (++calls == 2) {
                self.invalidate();
                // Still alive until the call returns, although the loop let go.
                infoAfterInvalidate = self.userInfo().stringValue();
            }
        },
        true, base::Value("kept"));

    loop().runFor(10.0);

    EXPECT_EQ(calls, 2);
    EXPECT_EQ(infoAfterInvalidate, "kept");
    EXPECT_EQ(loop().timerCount(), 0u);
}

TEST_F(TimerTest, DistantFutureFireDatePausesATimerAndANewDateResumesIt) {
    double firedAt = 0;
    auto timer = Timer::scheduledTimer(
        20.0, [&](Timer&) { firedAt = now(); }, false);
    loop().runFor(7.7);

    double secondsLeft = timer->fireDate() - now();
    EXPECT_NEAR(secondsLeft, 12.3, 1e-9);
    timer->setFireDate(Timer::distantFuture);
    loop().runFor(3600.0);
    EXPECT_EQ(firedAt, 0);
    EXPECT_TRUE(timer->isValid());
    EXPECT_TRUE(loop().containsTimer(*timer));

    double resumedAt = now();
    timer->setFireDate(resumedAt + secondsLeft);
    loop().runFor(20.0);
    EXPECT_DOUBLE_EQ(firedAt, resumedAt + secondsLeft);
}

TEST_F(TimerTest, RepeatingTimerContinuesAtItsIntervalFromANewFireDate) {
    double start = now();
    std::vector<double> at;
    auto timer = Timer::scheduledTimer(
        1.0, [&](Timer&) { at.push_back(now() - start); }, true);
    timer->setFireDate(start + 0.25);
    loop().runFor(2.5);
    EXPECT_EQ(at, (std::vector<double> {0.25, 1.25, 2.25}));
}

TEST_F(TimerTest, FireDateSetInsideTheCallbackWinsOverTheInterval) {
    double start = now();
    std::vector<double> at;
    Timer::scheduledTimer(
        1.0,
        [&](Timer& self) {
            at.push_back(now() - start);
            self.setFireDate(now() + 5.0);
        },
        true);
    loop().runFor(12.0);
    EXPECT_EQ(at, (std::vector<double> {1.0, 6.0, 11.0}));
}

TEST_F(TimerTest, UnscheduledTimerWaitsUntilAddedAndKeepsTheFireDateItWasMadeWith) {
    int calls = 0;
    auto timer = Timer::timer(
        5.0, [&](Timer&) { ++calls; }, false);
    double made = timer->fireDate();
    loop().runFor(10.0);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(loop().containsTimer(*timer));

    loop().addTimer(timer);
    loop().addTimer(timer);
    EXPECT_EQ(loop().timerCount(), 1u);
    EXPECT_EQ(timer->fireDate(), made);
    loop().runPending();
    EXPECT_EQ(calls, 1);
}

TEST_F(TimerTest, InvalidatedTimerIsNeitherFiredNorScheduled) {
    int calls = 0;
    auto timer = Timer::timer(
        1.0, [&](Timer&) { ++calls; }, true);
    timer->invalidate();
    loop().addTimer(timer);
    timer->fire();
    timer->setFireDate(now());
    loop().runFor(3.0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(loop().timerCount(), 0u);
}

TEST_F(TimerTest, FireCallsAtOnceKeepingARepeatingScheduleAndSpendingAOneShot) {
    int repeatingCalls = 0;
    int oneShotCalls = 0;
    auto repeating = Timer::scheduledTimer(
        10.0, [&](Timer&) { ++repeatingCalls; }, true);
    auto oneShot = Timer::scheduledTimer(
        10.0, [&](Timer&) { ++oneShotCalls; }, false);
    double date = repeating->fireDate();

    repeating->fire();
    oneShot->fire();

    EXPECT_EQ(repeatingCalls, 1);
    EXPECT_EQ(repeating->fireDate(), date);
    EXPECT_TRUE(repeating->isValid());
    EXPECT_EQ(oneShotCalls, 1);
    EXPECT_FALSE(oneShot->isValid());
    EXPECT_FALSE(loop().containsTimer(*oneShot));
    loop().runFor(10.0);
    EXPECT_EQ(repeatingCalls, 2);
    EXPECT_EQ(oneShotCalls, 1);
}

TEST_F(TimerTest, TimerHoldsWhatItsCallbackCapturesUntilInvalidated) {
    int alive = 0;
    auto target = base::make<test::Tracked>(alive);
    auto timer = Timer::scheduledTimer(
        1.0, [target](Timer&) {}, true);
    target = nullptr;
    loop().runFor(3.0);
    EXPECT_EQ(alive, 1);

    timer->invalidate();
    EXPECT_EQ(alive, 0);
}

TEST_F(TimerTest, LoopRetainsAScheduledTimerThatNobodyElseHolds) {
    int calls = 0;
    Timer::scheduledTimer(
        1.0, [&](Timer&) { ++calls; }, true);
    loop().runFor(3.0);
    EXPECT_EQ(calls, 3);
}

TEST_F(TimerTest, RunningTheLoopInsideACallbackDoesNotFireThatTimerAgain) {
    int calls = 0;
    Timer::scheduledTimer(
        1.0,
        [&](Timer&) {
            ++calls;
            loop().runPending();
            loop().runFor(0.5);
        },
        false);
    loop().runFor(2.0);
    EXPECT_EQ(calls, 1);
}

TEST_F(TimerTest, RepeatIntervalOfZeroIsRaisedToTheShortestInterval) {
    int calls = 0;
    auto timer = Timer::scheduledTimer(
        0.0, [&](Timer&) { ++calls; }, true);
    EXPECT_DOUBLE_EQ(timer->timeInterval(), 0.0001);
    loop().runFor(0.001);
    EXPECT_NEAR(calls, 10, 1);
}
