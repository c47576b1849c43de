#include "Recorder.hpp"

#include <base/Exception.hpp>
#include <engine/Timer.hpp>

#include <gtest/gtest.h>

#include <regex>

using engine::Selector;
using engine::Timer;
using test::Recorder;

namespace {

base::Ref<Timer> timerOn(Recorder* target, float interval) {
    return Timer::timerWithTarget(
        target, Selector::make(&Recorder::call, target, "call:"), interval);
}

}

TEST(Timer, IntervalZeroIsCalledFirstWithZeroThenWithEachFrameTime) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 0);
    EXPECT_EQ(timer->elapsed(), -1);
    timer->fire(0.016f);
    timer->fire(0.02f);
    timer->fire(0.03f);
    EXPECT_EQ(target->calls, (std::vector<float> {0, 0.02f, 0.03f}));
}

TEST(Timer, HalfSecondIntervalAtSixtyFramesFiresOnTheThirtyFirstTickAndRestarts) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 0.5f);
    float const frame = 1.0f / 60;
    int tick = 0;
    while (target->calls.empty() && tick < 100) {
        timer->fire(frame);
        ++tick;
    }
    EXPECT_EQ(tick, 31);
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_GE(target->calls[0], 0.5f);
    EXPECT_LT(target->calls[0], 0.5f + frame);
    EXPECT_EQ(timer->elapsed(), 0);
    // The count restarts from 0: the next call needs 30 whole frames again.
    for (int i = 0; i < 29; ++i)
        timer->fire(frame);
    EXPECT_EQ(target->calls.size(), 1u);
    timer->fire(frame);
    timer->fire(frame);
    EXPECT_EQ(target->calls.size(), 2u);
}

TEST(Timer, ExcessOverTheIntervalIsDroppedNotCarried) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 1);
    timer->fire(0);
    timer->fire(1.75f);
    ASSERT_EQ(target->calls.size(), 1u);
    EXPECT_FLOAT_EQ(target->calls[0], 1.75f);
    timer->fire(0.5f);
    EXPECT_EQ(target->calls.size(), 1u);
    EXPECT_FLOAT_EQ(timer->elapsed(), 0.5f);
}

TEST(Timer, IntervalCanBeChanged) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 0);
    timer->setInterval(0.25f);
    EXPECT_FLOAT_EQ(timer->interval(), 0.25f);
    timer->fire(0);
    timer->fire(0.1f);
    EXPECT_TRUE(target->calls.empty());
}

TEST(Timer, RefusesAMissingTargetOrSelector) {
    auto target = base::make<Recorder>();
    for (int which = 0; which < 2; ++which) {
        try {
            if (which == 0)
                Timer::timerWithTarget(nullptr, Selector::make(&Recorder::call, target.get()));
            else
                Timer::timerWithTarget(target.get(), Selector());
            ADD_FAILURE() << "no exception for case " << which;
        } catch (base::Exception const& e) {
            EXPECT_EQ(e.name(), "TimerInvalid");
            EXPECT_EQ(e.reason(), "Invalid init for Timer. Use initWithTarget:sel:");
        }
    }
}

TEST(Timer, DescribesClassAddressTargetAndSelector) {
    auto target = base::make<Recorder>();
    auto timer = timerOn(target.get(), 0);
    EXPECT_TRUE(std::regex_match(timer->description(),
        std::regex(R"(<Timer = [0-9A-F]{8,} \| target:Recorder selector:\(call:\)>)")))
        << timer->description();
}

TEST(Timer, DoesNotKeepItsTargetAliveOrCallItAfterItHasGone) {
    auto target = base::make<Recorder>();
    int const before = Recorder::alive;
    auto timer = timerOn(target.get(), 0);
    target = nullptr;
    EXPECT_EQ(Recorder::alive, before - 1);
    EXPECT_EQ(timer->target(), nullptr);
    timer->fire(0);
    timer->fire(1);
}
