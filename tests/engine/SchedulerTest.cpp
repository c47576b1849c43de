#include "EngineFixture.hpp"
#include "Recorder.hpp"

#include <base/Exception.hpp>
#include <engine/Scheduler.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

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

// Against a plain list of what should be active: any mix of scheduling, unscheduling
// (of waiting and of active timers) and ticks fires the active timers in the order
// they became active, a timer taken back before its removal keeping its place.
TEST_F(SchedulerTest, AnyMixOfChangesKeepsTheOrderTimersBecameActive) {
    constexpr int Count = 24;
    std::vector<int> fired;
    std::vector<base::Ref<Recorder>> targets;
    std::vector<base::Ref<Timer>> timers;
    for (int i = 0; i < Count; ++i) {
        targets.push_back(base::make<Recorder>());
        targets.back()->onCall = [&fired, i](float) { fired.push_back(i); };
        timers.push_back(timerOn(targets.back().get()));
    }
    // The model: the active list in order, what waits to be added, what waits to go.
    std::vector<int> active, adding;
    std::vector<bool> removing(Count, false);
    auto contains = [](std::vector<int> const& list, int i) {
        return std::find(list.begin(), list.end(), i) != list.end();
    };
    std::uint32_t seed = 7;
    auto next = [&seed](int bound) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(bound));
    };
    for (int step = 0; step < 2000; ++step) {
        int i = next(Count);
        int what = next(10);
        if (what < 4) {
            bool scheduled = contains(adding, i) || (contains(active, i) && !removing[i]);
            if (scheduled)
                continue;
            scheduler().scheduleTimer(timers[i]);
            if (contains(active, i))
                removing[i] = false;
            else
                adding.push_back(i);
        } else if (what < 8) {
            if (contains(adding, i)) {
                scheduler().unscheduleTimer(timers[i].get());
                std::erase(adding, i);
            } else if (contains(active, i)) {
                scheduler().unscheduleTimer(timers[i].get());
                removing[i] = true;
            }
        } else {
            fired.clear();
            tick();
            std::erase_if(active, [&removing](int t) { return removing[t]; });
            std::fill(removing.begin(), removing.end(), false);
            active.insert(active.end(), adding.begin(), adding.end());
            adding.clear();
            ASSERT_EQ(fired, active) << "at step " << step;
        }
        for (int t = 0; t < Count; ++t) {
            ASSERT_EQ(scheduler().isPendingAdd(timers[t].get()), contains(adding, t));
            ASSERT_EQ(scheduler().isActive(timers[t].get()), contains(active, t));
            ASSERT_EQ(scheduler().isPendingRemoval(timers[t].get()), removing[t]);
        }
    }
}
