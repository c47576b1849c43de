#include <foundation/AwaitedWork.hpp>

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <utility>

using foundation::AwaitedWork;

TEST(AwaitedWork, AMarkCountsUntilItIsFinishedOrDestroyedAndMovesWithoutCountingTwice) {
    auto before = AwaitedWork::pending();
    {
        AwaitedWork first;
        AwaitedWork second;
        EXPECT_EQ(AwaitedWork::pending(), before + 2);
        first.finish();
        first.finish();
        EXPECT_EQ(AwaitedWork::pending(), before + 1);
        AwaitedWork moved(std::move(second));
        EXPECT_EQ(AwaitedWork::pending(), before + 1);
        AwaitedWork assigned;
        assigned = std::move(moved);
        EXPECT_EQ(AwaitedWork::pending(), before + 1);
    }
    EXPECT_EQ(AwaitedWork::pending(), before);
}

TEST(AwaitedWork, WaitingReturnsAtOnceWithNoMarkAndOnceAnotherThreadFinishesItsMark) {
    EXPECT_TRUE(AwaitedWork::waitForPending(60));
    std::promise<void> started;
    std::promise<void> release;
    auto go = release.get_future();
    std::thread worker([&started, go = std::move(go), mark = AwaitedWork()]() mutable {
        started.set_value();
        go.wait();
        mark.finish();
    });
    started.get_future().wait();
    EXPECT_EQ(AwaitedWork::pending(), 1u);
    release.set_value();
    EXPECT_TRUE(AwaitedWork::waitForPending(60));
    EXPECT_EQ(AwaitedWork::pending(), 0u);
    worker.join();
}

TEST(AwaitedWork, AMarkOlderThanTheLimitIsGivenUpOnceAndHoldsNothingBackAfterwards) {
    AwaitedWork stuck;
    EXPECT_FALSE(AwaitedWork::waitForPending(0.01));
    EXPECT_TRUE(AwaitedWork::waitForPending(0.01));
    EXPECT_EQ(AwaitedWork::pending(), 1u);
}
