#include "RecordingEffect.hpp"

#include <foundation/Random.hpp>
#include <game/progression/ItemEffectController.hpp>
#include <game/progression/StaffFinishEffect.hpp>
#include <game/progression/TestEffect.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>

namespace {

using game::ItemEffectController;
using game::ItemEffectEvent;
using test::RecordingEffect;
using Log = std::vector<std::string>;

struct Scheduled {
    char const* name;
    float duration;
    float cooldown;
    float at;
};

struct TimelineCase {
    char const* what;
    std::vector<Scheduled> effects;
    std::vector<float> updates;
    Log calls;
    std::size_t left;
};

TEST(ItemEffectController, TimelineCallSequences) {
    TimelineCase const cases[] = {
        {"an empty timeline only records the time", {}, {5}, {}, 0},
        {"duration 0, cooldown 0: start, end on the next update, removed on the one after",
            {{"a", 0, 0, 1}}, {1, 2, 3},
            {"a start", "a cooldown 0", "a end -1", "a cooldown -1", "a endCooldown"}, 0},
        {"an event at exactly the current time starts; a later one is not touched",
            {{"a", 5, 0, 2}, {"b", 5, 0, 3}}, {2}, {"a start", "a cooldown 5"}, 2},
        {"an event behind a later one is not touched either", {{"b", 5, 0, 9}, {"a", 5, 0, 2}}, {2},
            {"a start", "a cooldown 5"}, 2},
        {"equal times: both start on one update", {{"a", 1, 0, 1}, {"b", 1, 0, 1}}, {1},
            {"a start", "a cooldown 1", "b start", "b cooldown 1"}, 2},
        {"active: update until the end, then end and the cooldown", {{"a", 2, 1, 0}},
            {0, 1, 2, 2.5f, 3},
            {"a start", "a cooldown 3", "a update -1", "a cooldown 2", "a end -2", "a cooldown 1",
                "a cooldown 0.5", "a endCooldown"},
            0},
        {"a removal does not skip the event behind it", {{"a", 0, 0, 0}, {"b", 5, 0, 0}}, {0, 1, 2},
            {"a start", "a cooldown 0", "b start", "b cooldown 5", "a end -1", "a cooldown -1",
                "b update -1", "b cooldown 4", "a endCooldown", "b update -2", "b cooldown 3"},
            1},
        {"a paused clock: the same arguments every update, no end", {{"a", 2, 0, 0}}, {0, 1, 1, 1},
            {"a start", "a cooldown 2", "a update -1", "a cooldown 1", "a update -1",
                "a cooldown 1", "a update -1", "a cooldown 1"},
            1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        Log calls;
        auto timeline = ItemEffectController::create();
        for (auto const& s : c.effects)
            timeline->scheduleEffect(
                RecordingEffect::create(s.name, calls, s.duration, s.cooldown), s.at);
        for (float time : c.updates)
            timeline->update(time);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(timeline->timeline().size(), c.left);
        EXPECT_EQ(timeline->stageTime(), c.updates.back());
    }
}

TEST(ItemEffectController, OptionalOperationsAreSentOnlyWhenImplemented) {
    Log calls;
    auto timeline = ItemEffectController::create();
    auto effect = RecordingEffect::create("a", calls, 1);
    effect->withoutStart = true;
    timeline->scheduleEffect(effect, 0);
    timeline->update(0);
    EXPECT_EQ(calls, (Log {"a cooldown 1"}));
}

TEST(ItemEffectController, CancelInEachState) {
    struct Case {
        char const* what;
        std::vector<float> updates;
        int state;
        Log calls;
    };
    Case const cases[] = {
        {"scheduled: never starts, hears nothing", {}, ItemEffectEvent::scheduled, {}},
        {"active: ends with the stage time, then the cooldown ends", {1, 1.5f},
            ItemEffectEvent::active, {"a end 1.5", "a endCooldown"}},
        {"cooling down: removed without a call", {1, 4}, ItemEffectEvent::coolingDown, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        Log calls;
        auto timeline = ItemEffectController::create();
        auto effect = RecordingEffect::create("a", calls, 2, 5);
        timeline->scheduleEffect(effect, 1);
        for (float time : c.updates)
            timeline->update(time);
        ASSERT_EQ(timeline->timeline().front()->eventState, c.state);
        calls.clear();
        timeline->cancelEffect(effect.get());
        EXPECT_EQ(calls, c.calls);
        EXPECT_TRUE(timeline->timeline().empty());
        timeline->update(10);
        EXPECT_EQ(calls, c.calls);
    }
}

TEST(ItemEffectController, CancelEffectRemovesEveryEventOfThatVeryObjectOnly) {
    Log calls;
    auto timeline = ItemEffectController::create();
    auto twice = RecordingEffect::create("a", calls, 1);
    auto other = RecordingEffect::create("b", calls, 1);
    timeline->scheduleEffect(twice, 1);
    timeline->scheduleEffect(other, 2);
    timeline->scheduleEffect(twice, 3);
    timeline->cancelEffect(RecordingEffect::create("a", calls, 1).get());
    EXPECT_EQ(timeline->timeline().size(), 3u);
    timeline->cancelEffect(twice.get());
    ASSERT_EQ(timeline->timeline().size(), 1u);
    EXPECT_EQ(timeline->timeline().front()->item_effect(), other.get());
}

TEST(ItemEffectController, CancelAllEndsOnlyTheActiveEvents) {
    Log calls;
    auto timeline = ItemEffectController::create();
    timeline->scheduleEffect(RecordingEffect::create("cooling", calls, 0, 9), 0);
    timeline->scheduleEffect(RecordingEffect::create("active", calls, 9), 1);
    timeline->scheduleEffect(RecordingEffect::create("later", calls, 9), 50);
    timeline->update(0);
    timeline->update(1);
    calls.clear();
    timeline->cancelAllEffects();
    EXPECT_EQ(calls, (Log {"active end 1", "active endCooldown"}));
    EXPECT_TRUE(timeline->timeline().empty());
}

TEST(ItemEffectController, ScheduleWithADelayCountsFromTheLastStageTime) {
    Log calls;
    auto timeline = ItemEffectController::create();
    timeline->update(7);
    timeline->scheduleEffectDelay(RecordingEffect::create("a", calls, 1), 0);
    timeline->scheduleEffectDelay(RecordingEffect::create("b", calls, 1), 2);
    EXPECT_EQ(timeline->timeline()[0]->eventTime, 7);
    EXPECT_EQ(timeline->timeline()[1]->eventTime, 9);
    timeline->update(7);
    EXPECT_EQ(calls, (Log {"a start", "a cooldown 1"}));
}

TEST(ItemEffectController, InsertionKeepsTheTimelineSortedAndATimeThatIsNotANumberStopsTheScan) {
    Log calls;
    auto timeline = ItemEffectController::create();
    float const nan = std::numeric_limits<float>::quiet_NaN();
    for (float at : {5.0f, 1.0f, 3.0f, nan, 2.0f, 4.0f})
        timeline->scheduleEffect(RecordingEffect::create("e", calls, 100), at);
    ASSERT_EQ(timeline->timeline().size(), 6u);
    timeline->update(1000);
    int started = 0;
    for (auto const& event : timeline->timeline()) {
        if (std::isnan(event->eventTime))
            break;
        EXPECT_EQ(event->eventState, ItemEffectEvent::active);
        ++started;
    }
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "e start"), started);
    EXPECT_LT(started, 6);
    EXPECT_EQ(
        game::compareItemEffectEventTime(*timeline->timeline()[0], *timeline->timeline()[1]), -1);
}

TEST(ItemEffectController, UpdateHoldsTheLockWhileEffectsRunAndReleasesItWhenOneThrows) {
    Log calls;
    auto timeline = ItemEffectController::create();
    auto effect = RecordingEffect::create("a", calls, 5);
    bool lockedDuringStart = false;
    effect->onStart = [&] {
        std::thread other([&] {
            lockedDuringStart = !timeline->timelineLock().try_lock();
            if (!lockedDuringStart)
                timeline->timelineLock().unlock();
        });
        other.join();
        // The same thread may come back in.
        timeline->scheduleEffect(RecordingEffect::create("b", calls, 5), 100);
        throw std::runtime_error("effect failed");
    };
    timeline->scheduleEffect(effect, 0);
    EXPECT_THROW(timeline->update(0), std::runtime_error);
    EXPECT_TRUE(lockedDuringStart);
    // Released: another thread can take it now.
    bool freeAfter = false;
    std::thread other([&] {
        freeAfter = timeline->timelineLock().try_lock();
        if (freeAfter)
            timeline->timelineLock().unlock();
    });
    other.join();
    EXPECT_TRUE(freeAfter);
    // The state it had reached is kept: the effect counts as started.
    ASSERT_EQ(timeline->timeline().size(), 2u);
    EXPECT_EQ(timeline->timeline()[0]->eventState, ItemEffectEvent::active);
    effect->onStart = nullptr;
    calls.clear();
    timeline->update(1);
    EXPECT_EQ(calls, (Log {"a update -1", "a cooldown 4"}));
}

TEST(ItemEffectController, TestEffectRunsOnTheTimelineAndLogsWithItsId) {
    foundation::Rand48::shared().seed(3);
    test::LogCapture log;
    auto timeline = ItemEffectController::create();
    auto effect = game::TestEffect::init();
    timeline->scheduleEffect(effect, 0);
    for (float time : {0.0f, 1.0f, 2.5f, 3.0f})
        timeline->update(time);
    EXPECT_TRUE(timeline->timeline().empty());
    int id = effect->uid();
    EXPECT_NE(id, 0);
    auto text = std::to_string(id);
    EXPECT_EQ(log.lines(),
        (Log {"TEST EVENT " + text + " START", "TEST EVENT " + text + " UPDATE -1.000000",
            "TEST EVENT " + text + " END -2.500000"}));
    EXPECT_EQ(effect->remainingTime(), 0);
}

TEST(ItemEffectController, StaffFinishEffectRunsAndIsGoneOnTheSecondUpdateAfter) {
    auto timeline = ItemEffectController::create();
    auto effect = game::StaffFinishEffect::init();
    EXPECT_EQ(effect->defaultCount(), 3);
    timeline->scheduleEffect(effect, 0);
    timeline->update(0);
    timeline->update(0.1f);
    EXPECT_EQ(timeline->timeline().size(), 1u);
    timeline->update(0.2f);
    EXPECT_TRUE(timeline->timeline().empty());
    EXPECT_EQ(effect->remainingTime(), 0);
}

}
