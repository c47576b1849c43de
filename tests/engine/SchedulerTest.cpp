#include "EngineFixture.hpp"
#include "Recorder.hpp"

#include <base/Exception.hpp>
#include <engine/Scheduler.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

using engine::Scheduler;
using engine::Selector;
using engine::Timer;
using test::Recorder;

namespace {

class SchedulerTest : public test::EngineTest {
protected:
    Scheduler& scheduler() { return Scheduler::sharedScheduler(); }

    base::Ref<Timer> timerOn(Recorder* target, float interval = 0) {
        return Timer::timerWithTarget(
            target, Selector::make(&Recorder::call, target, "call:"), interval);
    }

    template<typename F> static base::Exception exceptionOf(F f) {
        try {
            f();
        } catch (base::Exception const& e) {
            return e;
        }
        return base::Exception("none", "none");
    }
};

}

TEST_F(SchedulerTest, IntervalZeroTimerScheduledBeforeATickIsCalledOnItWithZero) {
    auto target = base::make<Recorder>();
    scheduler().scheduleTimer(timerOn(target.get()));
    EXPECT_TRUE(target->calls.empty());
    tick(0.016f);
    tick(0.017f);
    tick(0.018f);
    EXPECT_EQ(target->calls, (std::vector<float> {0, 0.017f, 0.018f}));
}

TEST_F(SchedulerTest, ScheduleThenUnscheduleBeforeTheNextTickNeverFires) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get());
    scheduler().scheduleTimer(timer);
    scheduler().unscheduleTimer(timer.get());
    tick();
    tick();
    EXPECT_TRUE(target->calls.empty());
    EXPECT_FALSE(scheduler().isActive(timer.get()));
}

TEST_F(SchedulerTest, UnscheduleThenScheduleInOneFrameKeepsFiringWithItsTime) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 0.1f);
    scheduler().scheduleTimer(timer);
    tick(0.05f); // first tick counts nothing
    tick(0.05f);
    EXPECT_FLOAT_EQ(timer->elapsed(), 0.05f);
    scheduler().unscheduleTimer(timer.get());
    scheduler().scheduleTimer(timer);
    EXPECT_TRUE(scheduler().isActive(timer.get()));
    EXPECT_FALSE(scheduler().isPendingRemoval(timer.get()));
    tick(0.05f);
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_FLOAT_EQ(target->calls[0], 0.1f);
}

TEST_F(SchedulerTest, SchedulingAnActiveOrQueuedTimerRaisesAndLogs) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get());
    scheduler().scheduleTimer(timer);
    for (int state = 0; state < 2; ++state) {
        SCOPED_TRACE(state == 0 ? "queued" : "active");
        test::LogCapture log;
        auto e = exceptionOf([&] { scheduler().scheduleTimer(timer); });
        EXPECT_EQ(e.name(), "SchedulerTimerAlreadyScheduled");
        EXPECT_EQ(e.reason(), "Scheduler.scheduleTimer already scheduled");
        EXPECT_TRUE(log.contains("Scheduler.schedulerTimer: timer <Timer = "));
        EXPECT_TRUE(log.contains(" already scheduled"));
        tick();
    }
}

TEST_F(SchedulerTest, UnschedulingATimerItDoesNotHoldRaisesAndLogs) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get());
    test::LogCapture log;
    auto e = exceptionOf([&] { scheduler().unscheduleTimer(timer.get()); });
    EXPECT_EQ(e.name(), "SchedulerTimerNotFound");
    EXPECT_EQ(e.reason(), "Scheduler.unscheduleTimer not found");
    EXPECT_TRUE(log.contains("Scheduler.unscheduleTimer: timer not scheduled"));
}

TEST_F(SchedulerTest, TimeScaleMultipliesTheFrameTime) {
    auto target = base::make<Recorder>();
    scheduler().scheduleTimer(timerOn(target.get()));
    scheduler().setTimeScale(0.5f);
    EXPECT_FLOAT_EQ(scheduler().timeScale(), 0.5f);
    tick(0.1f);
    tick(0.1f);
    tick(0.04f);
    EXPECT_EQ(target->calls, (std::vector<float> {0, 0.05f, 0.02f}));
}

TEST_F(SchedulerTest, TimersFireInTheOrderTheyBecameActive) {
    std::vector<int> order;
    std::vector<base::Ref<Recorder>> targets;
    for (int i = 0; i < 4; ++i) {
        targets.push_back(base::make<Recorder>());
        targets.back()->onCall = [&order, i](float) { order.push_back(i); };
    }
    scheduler().scheduleTimer(timerOn(targets[2].get()));
    scheduler().scheduleTimer(timerOn(targets[0].get()));
    tick();
    scheduler().scheduleTimer(timerOn(targets[3].get()));
    scheduler().scheduleTimer(timerOn(targets[1].get()));
    order.clear();
    tick();
    EXPECT_EQ(order, (std::vector<int> {2, 0, 3, 1}));
}

TEST_F(SchedulerTest, ChangesMadeDuringATickTakeEffectOnTheNextOne) {
    auto first = base::make<Recorder>();
    auto second = base::make<Recorder>();
    auto late = base::make<Recorder>();
    auto secondTimer = timerOn(second.get());
    auto lateTimer = timerOn(late.get());
    first->onCall = [&](float) {
        if (first->calls.size() == 2) {
            scheduler().unscheduleTimer(secondTimer.get());
            scheduler().scheduleTimer(lateTimer);
        }
    };
    scheduler().scheduleTimer(timerOn(first.get()));
    scheduler().scheduleTimer(secondTimer);
    tick();
    tick(); // first unschedules second, which still fires in this tick
    EXPECT_EQ(second->calls.size(), 2u);
    EXPECT_TRUE(late->calls.empty());
    tick();
    EXPECT_EQ(second->calls.size(), 2u);
    EXPECT_EQ(late->calls.size(), 1u);
}

TEST_F(SchedulerTest, ATimerMayUnscheduleItselfDuringItsCall) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get());
    target->onCall = [&](float) { scheduler().unscheduleTimer(timer.get()); };
    scheduler().scheduleTimer(timer);
    tick();
    tick();
    EXPECT_EQ(target->calls.size(), 1u);
}

TEST_F(SchedulerTest, UnschedulingTwiceInOneFrameRemovesTheTimerOnce) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get());
    scheduler().scheduleTimer(timer);
    tick();
    scheduler().unscheduleTimer(timer.get());
    scheduler().unscheduleTimer(timer.get());
    tick();
    EXPECT_FALSE(scheduler().isActive(timer.get()));
    EXPECT_FALSE(scheduler().isPendingRemoval(timer.get()));
    scheduler().scheduleTimer(timer);
    tick();
    EXPECT_EQ(target->calls.size(), 2u);
}

TEST_F(SchedulerTest, UnscheduleAllForgetsQueuedAndActiveTimers) {
    auto target = base::make<Recorder>();
    auto active = timerOn(target.get());
    auto queued = timerOn(target.get());
    auto removing = timerOn(target.get());
    scheduler().scheduleTimer(active);
    scheduler().scheduleTimer(removing);
    tick();
    scheduler().scheduleTimer(queued);
    scheduler().unscheduleTimer(removing.get());
    scheduler().unscheduleAllTimers();
    target->calls.clear();
    tick();
    EXPECT_TRUE(target->calls.empty());
    for (auto* timer : {active.get(), queued.get(), removing.get()})
        EXPECT_FALSE(scheduler().isActive(timer) || scheduler().isPendingAdd(timer)
            || scheduler().isPendingRemoval(timer));
}

TEST_F(SchedulerTest, UnscheduleAllDuringATickStopsTheRestOfThatTick) {
    auto first = base::make<Recorder>();
    auto second = base::make<Recorder>();
    first->onCall = [&](float) { scheduler().unscheduleAllTimers(); };
    scheduler().scheduleTimer(timerOn(first.get()));
    scheduler().scheduleTimer(timerOn(second.get()));
    tick();
    EXPECT_EQ(first->calls.size(), 1u);
    EXPECT_TRUE(second->calls.empty());
}

TEST_F(SchedulerTest, KeepsTheTargetAliveOnlyWhileItHoldsTheTimer) {
    int const before = Recorder::alive;
    base::Ref<Timer> timer;
    {
        auto target = base::make<Recorder>();
        timer = timerOn(target.get());
        scheduler().scheduleTimer(timer);
    }
    tick();
    EXPECT_EQ(Recorder::alive, before + 1);
    scheduler().unscheduleTimer(timer.get());
    EXPECT_EQ(Recorder::alive, before + 1); // still active until the next tick
    tick();
    EXPECT_EQ(Recorder::alive, before);
    EXPECT_EQ(timer->target(), nullptr);
}

TEST_F(SchedulerTest, ATargetReleasedDuringItsOwnCallLivesUntilTheCallReturns) {
    int const before = Recorder::alive;
    {
        auto target = base::make<Recorder>();
        auto timer = timerOn(target.get());
        target->onCall = [](float) { Scheduler::purgeSharedScheduler(); };
        scheduler().scheduleTimer(timer);
    }
    tick();
    EXPECT_EQ(Recorder::alive, before);
}

TEST_F(SchedulerTest, PurgeMakesAFreshInstanceOnNextUse) {
    scheduler().setTimeScale(3);
    auto target = base::make<Recorder>();
    scheduler().scheduleTimer(timerOn(target.get()));
    Scheduler::purgeSharedScheduler();
    EXPECT_FLOAT_EQ(scheduler().timeScale(), 1);
    scheduler().tick(1);
    EXPECT_TRUE(target->calls.empty());
}
