#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <game/progression/ItemEffectProtocol.hpp>

#include <mutex>
#include <vector>

namespace game {

// One scheduled use of a power-up on the timeline.
class ItemEffectEvent final : public base::Object {
public:
    enum State { scheduled = 0, active = 1, coolingDown = 2 };

    static base::Ref<ItemEffectEvent> create(base::Ref<ItemEffectProtocol> effect, float time);

    // Stage time at which the effect started, and its end and cooldown end.
    float startTime {0};
    float endTime {0};
    float cooldownTime {0};
    // The scheduled start, the sort key; never changed after scheduling.
    float eventTime {0};
    int eventState {scheduled};

    ItemEffectProtocol* item_effect() const { return mItemEffect.get(); }
    void setItem_effect(base::Ref<ItemEffectProtocol> effect) { mItemEffect = std::move(effect); }

private:
    friend base::Factory;
    ItemEffectEvent() = default;

    base::Ref<ItemEffectProtocol> mItemEffect;
};

// -1 when a's eventTime is smaller, 1 when larger, 0 otherwise (equal, or a time that
// is not a number).
int compareItemEffectEventTime(ItemEffectEvent const& a, ItemEffectEvent const& b);

// The salon's power-up timeline: events sorted by their scheduled time, started,
// kept informed, ended, cooled down and dropped as the owner passes the item-effect
// clock to update(). It has no clock of its own. The salon owns one for its life.
//
// update() holds a recursive lock on the timeline for its whole scan, the calls into
// the effects included, so an effect may call back into the controller on the same
// thread; an exception from an effect releases it and leaves the timeline as far as
// it got. Scheduling and cancelling take no lock. Every call comes from the main
// thread. Releasing the controller ends no effect.
class ItemEffectController final : public base::Object {
public:
    static base::Ref<ItemEffectController> create();

    void scheduleEffect(base::Ref<ItemEffectProtocol> effect, float time);
    // At the last stage time plus the delay.
    void scheduleEffectDelay(base::Ref<ItemEffectProtocol> effect, float delay);
    // Appends the event and sorts the timeline again.
    void insertAndSort(base::Ref<ItemEffectEvent> event);
    // Removes every event of that very effect; an active one is first sent
    // endEffect(stage time) and endCooldown(), the others nothing.
    void cancelEffect(ItemEffectProtocol const* effect);
    // The same for every event, front first.
    void cancelAllEffects();
    // Advances the timeline to the time: each event makes at most one transition.
    void update(float time);

    float stageTime() const { return mStageTime; }
    std::vector<base::Ref<ItemEffectEvent>> const& timeline() const { return mTimeline; }
    // Held while update() runs (for tests of its release).
    std::recursive_mutex& timelineLock() { return mTimelineLock; }

private:
    friend base::Factory;
    ItemEffectController() = default;

    void removeAt(std::size_t index);

    float mStageTime {0};
    std::vector<base::Ref<ItemEffectEvent>> mTimeline;
    std::recursive_mutex mTimelineLock;
};

}
