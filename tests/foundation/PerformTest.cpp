#include <foundation/Perform.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <foundation/Timer.hpp>

#include "MainLoopFixture.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using foundation::performAfterDelay;
using foundation::RunLoop;

namespace {

class PerformTest : public test::MainLoopTest {
protected:
    ~PerformTest() override { EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(30.0)); }
};

double realNow() {
    return foundation::RealClock().monotonic();
}

}

TEST_F(PerformTest, DelayedCallsRunByDelayAndInCallOrderForEqualDelays) {
    int alive = 0;
    auto target = base::make<test::Tracked>(alive);
    double start = now();
    std::vector<std::pair<std::string, double>> ran;
    auto call = [&](std::string name) {
        return [&ran, this, start, name] { ran.emplace_back(name, now() - start); };
    };
    performAfterDelay(target.get(), call("two"), 2.0);
    performAfterDelay(target.get(), call("one a"), 1.0);
    performAfterDelay(target.get(), call("one b"), 1.0);
    performAfterDelay(nullptr, call("zero"), 0.0);

    loop().runFor(3.0);

    EXPECT_EQ(ran,
        (std::vector<std::pair<std::string, double>> {
            {"zero", 0.0}, {"one a", 1.0}, {"one b", 1.0}, {"two", 2.0}}));
}

TEST_F(PerformTest, CancellingATargetCancelsOnlyItsOwnCalls) {
    int alive = 0;
    auto first = base::make<test::Tracked>(alive);
    auto second = base::make<test::Tracked>(alive);
    std::vector<std::string> ran;
    performAfterDelay(
        first.get(), [&] { ran.push_back("first 1"); }, 1.0);
    performAfterDelay(
        second.get(), [&] { ran.push_back("second"); }, 1.0);
    performAfterDelay(
        first.get(), "refresh", nullptr, [&] { ran.push_back("first 2"); }, 2.0);

    foundation::cancelPreviousPerformRequests(first.get());
    loop().runFor(5.0);

    EXPECT_EQ(ran, (std::vector<std::string> {"second"}));
}

TEST_F(PerformTest, CancellingBySelectorAndArgumentLeavesTheTargetsOtherCalls) {
    int alive = 0;
    auto target = base::make<test::Tracked>(alive);
    int pairA = 0;
    int pairB = 0;
    struct Case {
        char const* selector;
        void const* argument;
        char const* name;
    };
    std::vector<Case> const cases {
        {"timeoutButton", &pairA, "timeout A"},
        {"timeoutButton", &pairB, "timeout B"},
        {"fadeInButton", &pairA, "fade A"},
        {"timeoutButton", nullptr, "timeout none"},
    };
    std::vector<std::string> ran;
    for (auto const& c : cases) {
        performAfterDelay(
            target.get(), c.selector, c.argument,
            [&ran, name = std::string(c.name)] { ran.push_back(name); }, 1.0);
    }

    foundation::cancelPreviousPerformRequests(target.get(), "timeoutButton", &pairA);
    foundation::cancelPreviousPerformRequests(target.get(), "timeoutButton");
    loop().runFor(2.0);

    EXPECT_EQ(ran, (std::vector<std::string> {"timeout B", "fade A"}));
}

TEST_F(PerformTest, ZeroDelayRunsAfterTheCurrentEventAndNeverInsideIt) {
    struct Event {
        char const* name;
        std::function<void(std::function<void()>)> deliver;
    };
    std::vector<Event> const events {
        {"posted work", [&](std::function<void()> event) { loop().perform(event); }},
        {"timer",
            [&](std::function<void()> event) {
                foundation::Timer::scheduledTimer(
                    0.0, [event](foundation::Timer&) { event(); }, false);
            }},
        {"delayed call",
            [&](std::function<void()> event) { performAfterDelay(nullptr, event, 0); }},
    };
    for (auto const& event : events) {
        SCOPED_TRACE(event.name);
        std::vector<std::string> order;
        event.deliver([&] {
            performAfterDelay(
                nullptr, [&] { order.push_back("deferred"); }, 0.0);
            order.push_back("event ends");
        });
        loop().runPending();
        EXPECT_EQ(order, (std::vector<std::string> {"event ends"}));
        loop().runPending();
        EXPECT_EQ(order, (std::vector<std::string> {"event ends", "deferred"}));
    }
}

TEST_F(PerformTest, DelayedCallKeepsItsTargetAliveUntilItRunsOrIsCancelled) {
    int alive = 0;
    auto ran = base::make<test::Tracked>(alive);
    auto cancelled = base::make<test::Tracked>(alive);
    performAfterDelay(
        ran.get(), [] {}, 1.0);
    performAfterDelay(
        cancelled.get(), [] {}, 1.0);
    auto* cancelledTarget = cancelled.get();
    ran = nullptr;
    cancelled = nullptr;
    EXPECT_EQ(alive, 2);

    foundation::cancelPreviousPerformRequests(cancelledTarget);
    EXPECT_EQ(alive, 1);
    loop().runFor(1.0);
    EXPECT_EQ(alive, 0);
}

TEST_F(PerformTest, PerformOnMainThreadFromTheMainThreadWaitingRunsAtOnceElseQueues) {
    std::vector<std::string> ran;
    foundation::performOnMainThread([&] { ran.push_back("queued"); }, false);
    foundation::performOnMainThread([&] { ran.push_back("at once"); }, true);
    EXPECT_EQ(ran, (std::vector<std::string> {"at once"}));
    loop().runPending();
    EXPECT_EQ(ran, (std::vector<std::string> {"at once", "queued"}));
}

TEST_F(PerformTest, PerformOnMainThreadFromAWorkerWaitsUntilTheMainLoopRanIt) {
    std::thread::id ranOn;
    std::atomic<bool> workerSawResult = false;
    std::atomic<bool> workerDone = false;
    foundation::Thread::detach([&] {
        foundation::performOnMainThread([&] { ranOn = std::this_thread::get_id(); }, true);
        workerSawResult = ranOn != std::thread::id();
        workerDone = true;
    });

    EXPECT_TRUE(loop().runUntil([&] { return workerDone.load(); }, 30.0));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_TRUE(workerSawResult);
}

TEST_F(PerformTest, WaitingWorkerIsReleasedWhenTheMainLoopDropsItsCall) {
    std::atomic<bool> ran = false;
    std::atomic<bool> posting = false;
    foundation::Thread::detach([&] {
        posting = true;
        foundation::performOnMainThread([&] { ran = true; }, true);
    });
    double began = realNow();
    while ((!posting || loop().pendingWorkCount() == 0) && realNow() - began < 30.0)
        std::this_thread::yield();

    loop().reset();

    EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(30.0));
    EXPECT_FALSE(ran);
}
