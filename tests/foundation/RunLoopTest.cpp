#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>

#include "MainLoopFixture.hpp"
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using foundation::RunLoop;
using foundation::Timer;

namespace {

class RunLoopTest : public test::MainLoopTest { };

double realNow() {
    return foundation::RealClock().monotonic();
}

}

TEST_F(RunLoopTest, PerformedWorkRunsOnTheNextPassInPostingOrder) {
    std::vector<int> ran;
    loop().perform([&] { ran.push_back(1); });
    loop().perform([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());

    EXPECT_TRUE(loop().runPending());
    EXPECT_EQ(ran, (std::vector<int> {1, 2}));
    EXPECT_FALSE(loop().runPending());
}

TEST_F(RunLoopTest, WorkPostedDuringAPassWaitsForTheNextPass) {
    std::vector<std::string> ran;
    loop().perform([&] {
        ran.push_back("outer");
        loop().perform([&] { ran.push_back("inner"); });
    });
    loop().runPending();
    EXPECT_EQ(ran, (std::vector<std::string> {"outer"}));
    loop().runPending();
    EXPECT_EQ(ran, (std::vector<std::string> {"outer", "inner"}));
}

TEST_F(RunLoopTest, RunForStepsTheManualClockToEachFireDateAndEndsAtTheSpan) {
    double start = now();
    std::vector<double> seen;
    Timer::scheduledTimer(
        1.5, [&](Timer&) { seen.push_back(now() - start); }, false);
    Timer::scheduledTimer(
        0.5, [&](Timer&) { seen.push_back(now() - start); }, false);
    Timer::scheduledTimer(
        9.0, [&](Timer&) { seen.push_back(now() - start); }, false);

    loop().runFor(2.0);

    EXPECT_EQ(seen, (std::vector<double> {0.5, 1.5}));
    EXPECT_DOUBLE_EQ(now(), start + 2.0);
    EXPECT_EQ(loop().timerCount(), 1u);
}

TEST_F(RunLoopTest, RunForFiresTimersThatCallbacksScheduleWithinTheSpan) {
    double start = now();
    std::vector<double> seen;
    Timer::scheduledTimer(
        1.0,
        [&](Timer&) {
            seen.push_back(now() - start);
            Timer::scheduledTimer(
                1.0, [&](Timer&) { seen.push_back(now() - start); }, false);
        },
        false);
    loop().runFor(3.0);
    EXPECT_EQ(seen, (std::vector<double> {1.0, 2.0}));
}

TEST_F(RunLoopTest, RunForOfZeroRunsWhatIsDueNowAndWhatThatDefersToNow) {
    double start = now();
    int ran = 0;
    loop().perform([&] {
        ++ran;
        loop().perform([&] { ++ran; });
    });
    loop().runFor(0);
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(now(), start);
}

TEST_F(RunLoopTest, RunForMovesTheClockOnWhenWorkDefersItselfForEver) {
    test::LogCapture log;
    std::function<void()> again = [&] { loop().perform(again); };
    loop().perform(again);
    double start = now();

    loop().runFor(1.0);

    EXPECT_DOUBLE_EQ(now(), start + 1.0);
    EXPECT_TRUE(log.contains("work keeps deferring itself"));
    loop().reset();
}

TEST_F(RunLoopTest, RunUntilReturnsOnceDoneWithWorkPostedFromAnotherThread) {
    std::atomic<bool> done = false;
    std::thread poster([&] { RunLoop::main().perform([&] { done = true; }); });

    double began = realNow();
    EXPECT_TRUE(loop().runUntil([&] { return done.load(); }, 30.0));
    EXPECT_LT(realNow() - began, 30.0);
    poster.join();
}

TEST_F(RunLoopTest, RunUntilTimesOutInRealTimeWhileTheManualClockStandsStill) {
    double start = now();
    double began = realNow();
    EXPECT_FALSE(loop().runUntil([] { return false; }, 0.05));
    EXPECT_GE(realNow() - began, 0.05);
    EXPECT_EQ(now(), start);
}

TEST_F(RunLoopTest, RunReturnsAfterStopFromACallback) {
    int ran = 0;
    loop().perform([&] { ++ran; });
    loop().perform([&] { loop().stop(); });
    loop().run();
    EXPECT_EQ(ran, 1);
}

TEST_F(RunLoopTest, StopFromAnotherThreadWakesASleepingRun) {
    std::atomic<bool> running = false;
    loop().perform([&] { running = true; });
    std::thread stopper([&] {
        while (!running)
            std::this_thread::yield();
        RunLoop::main().stop();
    });
    loop().run();
    stopper.join();
    EXPECT_TRUE(running);
}

TEST_F(RunLoopTest, StopWithNothingRunningMakesTheNextRunReturnAtOnce) {
    loop().stop();
    loop().run();
    loop().stop();
    EXPECT_FALSE(loop().runUntil([] { return false; }, 30.0));
}

TEST_F(RunLoopTest, ResetInvalidatesTimersAndDropsQueuedWork) {
    int ran = 0;
    auto timer = Timer::scheduledTimer(
        1.0, [&](Timer&) { ++ran; }, true);
    loop().perform([&] { ++ran; });

    loop().reset();
    loop().runFor(5.0);

    EXPECT_EQ(ran, 0);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop().timerCount(), 0u);
}

TEST_F(RunLoopTest, WorkThatThrowsLeavesTheWorkBehindItQueued) {
    std::vector<int> ran;
    loop().perform([] { throw std::runtime_error("failed"); });
    loop().perform([&] { ran.push_back(2); });

    EXPECT_THROW(loop().runPending(), std::runtime_error);
    EXPECT_TRUE(ran.empty());
    loop().runPending();
    EXPECT_EQ(ran, (std::vector<int> {2}));
}

TEST_F(RunLoopTest, TimerCallbackThatThrowsLeavesItsTimerConsistent) {
    int calls = 0;
    auto timer = Timer::scheduledTimer(
        1.0,
        [&](Timer&) {
            ++calls;
            throw std::runtime_error("failed");
        },
        true);
    EXPECT_THROW(loop().runFor(1.0), std::runtime_error);
    EXPECT_TRUE(timer->isValid());
    EXPECT_THROW(loop().runFor(1.0), std::runtime_error);
    EXPECT_EQ(calls, 2);
}

// With the real clock the loop sleeps until the next timer rather than spinning.
TEST(RunLoopRealClock, RunSleepsUntilTheNextTimerIsDue) {
    RunLoop::main().reset();
    double began = realNow();
    auto timer = Timer::scheduledTimer(
        0.03, [](Timer&) { RunLoop::main().stop(); }, false);
    RunLoop::main().run();
    EXPECT_GE(realNow() - began, 0.03);
    EXPECT_FALSE(timer->isValid());

    began = realNow();
    RunLoop::main().runFor(0.03);
    EXPECT_GE(realNow() - began, 0.03);
    RunLoop::main().reset();
}

TEST_F(RunLoopTest, TimerAddedFromAnotherThreadFiresOnThisLoop) {
    std::thread::id firedOn;
    auto timer = Timer::timer(
        1.0, [&](Timer&) { firedOn = std::this_thread::get_id(); }, false);
    std::thread([&] { RunLoop::main().addTimer(timer); }).join();

    loop().runFor(1.0);

    EXPECT_EQ(firedOn, std::this_thread::get_id());
}
