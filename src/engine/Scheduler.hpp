#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/Timer.hpp>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace engine {

// Hands each frame's time to every active Timer. One per process, made on first
// use; the director ticks it once a frame unless the game is paused, and its end
// purges it (the next use makes a new one). Main thread only; only the creation
// of the instance is locked.
//
// Timers added or removed while a tick runs never disturb that tick: additions
// and removals wait in their lists and are applied at the start of the next
// tick, so a callback may safely unschedule itself or others. A timer is in one
// of four places: nowhere, pending add, active, or active and pending removal.
class Scheduler final : public base::Object {
public:
    static Scheduler& sharedScheduler();
    // Drops the instance (and its hold on every scheduled timer); the next
    // sharedScheduler() makes a new one. Safe to call during a tick.
    static void purgeSharedScheduler();

    ~Scheduler() override;

    // Takes a timer waiting for removal back, or queues it for the next tick.
    // Raises "SchedulerTimerAlreadyScheduled" for a timer that is active or queued.
    void scheduleTimer(base::Ref<Timer> timer);
    // Drops a timer waiting to be added, or queues an active one for removal at
    // the next tick. Raises "SchedulerTimerNotFound" for a timer it does not hold.
    void unscheduleTimer(Timer* timer);
    // Forgets every timer at once, queued or active.
    void unscheduleAllTimers();

    // Applies the queued removals and additions, then fires every active timer in
    // the order it became active with the frame time times the time scale.
    void tick(float dt);

    float timeScale() const { return timeScale_; }
    void setTimeScale(float timeScale) { timeScale_ = timeScale; }

    // What is held, for tests and diagnostics.
    bool isActive(Timer const* timer) const;
    bool isPendingAdd(Timer const* timer) const;
    bool isPendingRemoval(Timer const* timer) const;
    // Pending add, or active and not pending removal: what unscheduleTimer takes.
    bool isScheduled(Timer const* timer) const;

private:
    // Where each held timer is, so that scheduling and unscheduling find it in
    // constant time instead of searching the lists.
    enum class Place : std::uint8_t { PendingAdd, Active, PendingRemoval };
    struct Slot {
        Place place;
        // The timer's position in methodsToAdd while it waits there.
        std::size_t addIndex;
    };

    void compactPendingAdds();

    // Active timers in the order they became active. Timers unscheduled while
    // waiting to be added leave an empty place in methodsToAdd, skipped by the
    // next tick; methodsToRemove keeps each removed timer alive until then and
    // may name one twice (the place in slots_ decides).
    std::vector<base::Ref<Timer>> scheduledMethods;
    std::vector<base::Ref<Timer>> methodsToRemove;
    std::vector<base::Ref<Timer>> methodsToAdd;
    std::size_t emptyAdds_ {0};
    std::unordered_map<Timer const*, Slot> slots_;
    float timeScale_ {1.0f};

    friend base::Factory;

    // Use sharedScheduler.
    Scheduler();
};

}
