#include <foundation/Lock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <foundation/Timer.hpp>

#include "MainLoopFixture.hpp"
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

using foundation::RunLoop;
using foundation::Thread;

namespace {

class ThreadTest : public test::MainLoopTest {
protected:
    ~ThreadTest() override { EXPECT_TRUE(Thread::waitForDetachedThreads(30.0)); }
};

}

TEST_F(ThreadTest, DetachedThreadIsNotMainAndHasARunLoopOfItsOwn) {
    EXPECT_TRUE(Thread::isMainThread());
    EXPECT_EQ(&RunLoop::current(), &RunLoop::main());

    std::promise<bool> isMain;
    std::promise<bool> ownLoop;
    Thread::detach([&] {
        isMain.set_value(Thread::isMainThread());
        auto* loop = &RunLoop::current();
        ownLoop.set_value(loop != &RunLoop::main() && loop == &RunLoop::current());
    });
    EXPECT_FALSE(isMain.get_future().get());
    EXPECT_TRUE(ownLoop.get_future().get());
}

TEST_F(ThreadTest, WorkerRunsItsLoopUntilWorkPostedToItHasRun) {
    std::promise<base::Ref<RunLoop>> workerLoop;
    std::atomic<bool> received = false;
    std::atomic<bool> ranOnWorker = false;
    std::atomic<bool> finished = false;
    Thread::detach([&] {
        workerLoop.set_value(base::Ref<RunLoop>(&RunLoop::current()));
        RunLoop::current().runUntil([&] { return received.load(); }, 30.0);
        RunLoop::main().perform([&] { finished = true; });
    });

    auto loop = workerLoop.get_future().get();
    auto mainId = std::this_thread::get_id();
    loop->perform([&, mainId] {
        ranOnWorker = std::this_thread::get_id() != mainId;
        received = true;
    });
    EXPECT_TRUE(this->loop().runUntil([&] { return finished.load(); }, 30.0));
    EXPECT_TRUE(ranOnWorker);
}

TEST_F(ThreadTest, TimerScheduledOnAWorkerFiresOnThatWorkersLoop) {
    std::atomic<bool> firedOnWorker = false;
    std::atomic<bool> done = false;
    Thread::detach([&] {
        auto workerId = std::this_thread::get_id();
        foundation::Timer::scheduledTimer(
            0.5,
            [&, workerId](
                foundation::Timer&) { firedOnWorker = std::this_thread::get_id() == workerId; },
            false);
        // The manual clock does not move on its own: step it on this thread's loop.
        RunLoop::current().runFor(1.0);
        done = true;
    });
    EXPECT_TRUE(Thread::waitForDetachedThreads(30.0));
    EXPECT_TRUE(done);
    EXPECT_TRUE(firedOnWorker);
    EXPECT_EQ(loop().timerCount(), 0u);
}

TEST_F(ThreadTest, WaitForDetachedThreadsAnswersWhetherAllHaveFinished) {
    std::promise<void> release;
    auto released = release.get_future().share();
    Thread::detach([released] { released.wait(); });
    EXPECT_EQ(Thread::detachedThreadCount(), 1u);
    EXPECT_FALSE(Thread::waitForDetachedThreads(0.01));

    release.set_value();
    EXPECT_TRUE(Thread::waitForDetachedThreads(30.0));
    EXPECT_EQ(Thread::detachedThreadCount(), 0u);
}

TEST_F(ThreadTest, ExceptionLeavingADetachedThreadIsLoggedAndEndsOnlyThatThread) {
    test::LogCapture log;
    Thread::detach([] { throw std::runtime_error("upload failed"); });
    EXPECT_TRUE(Thread::waitForDetachedThreads(30.0));
    EXPECT_TRUE(log.contains("upload failed"));
}

template<typename LockType> class LockTest : public ::testing::Test { };

using LockTypes = ::testing::Types<foundation::Lock, foundation::RecursiveLock>;
TYPED_TEST_SUITE(LockTest, LockTypes);

TYPED_TEST(LockTest, TryLockFromAnotherThreadFailsWhileHeldAndSucceedsAfter) {
    TypeParam lock;
    auto tryFromAnotherThread = [&] {
        return std::async(std::launch::async, [&] {
            std::unique_lock held(lock, std::try_to_lock);
            return held.owns_lock();
        }).get();
    };
    {
        std::lock_guard guard(lock);
        EXPECT_FALSE(tryFromAnotherThread());
    }
    EXPECT_TRUE(tryFromAnotherThread());
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
}

TEST(RecursiveLock, HolderTakesItAgainAndReleasesItAfterAsManyUnlocks) {
    foundation::RecursiveLock lock;
    auto freeForOthers = [&] {
        return std::async(std::launch::async, [&] {
            if (!lock.tryLock())
                return false;
            lock.unlock();
            return true;
        }).get();
    };
    lock.lock();
    EXPECT_TRUE(lock.tryLock());
    lock.unlock();
    EXPECT_FALSE(freeForOthers());
    lock.unlock();
    EXPECT_TRUE(freeForOthers());
}
