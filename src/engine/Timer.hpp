#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <engine/Selector.hpp>

#include <string>

namespace engine {

// Calls one selector of one target when its interval has elapsed; the
// Scheduler fires it once a tick. Main thread only.
//
// The target is kept alive while the scheduler holds the timer (pending, active
// or pending removal), so a callback never reaches a freed object. Outside the
// scheduler the timer only watches its target: a node that owns timers for its
// own selectors is not kept alive by them, and a timer whose target has gone
// does nothing when fired.
//
// The first tick after creation counts no time, so a new timer never fires with
// a stale frame time; excess time over the interval is dropped, not carried over.
class Timer final : public base::Object {
public:
    // Refuses a missing target or an empty selector with the "TimerInvalid" exception.
    static base::Ref<Timer> timerWithTarget(
        base::Object* target, Selector selector, float interval = 0);

    // Adds the frame time (none on the first call) and calls the selector with the
    // accumulated time once it reaches the interval.
    void fire(float dt);

    float interval() const { return interval_; }
    void setInterval(float interval) { interval_ = interval; }
    // Seconds accumulated since the last call; -1 before the first tick.
    float elapsed() const { return elapsed_; }

    // Null once the target has been destroyed.
    base::Object* target() const { return target_.get(); }
    Selector const& selector() const { return selector_; }

    std::string description() const;

private:
    friend class Scheduler;
    void holdTarget() { heldTarget_ = target_.strong(); }
    void releaseTarget() { heldTarget_ = nullptr; }

    base::WeakRef<base::Object> target_;
    base::Ref<base::Object> heldTarget_;
    Selector selector_;
    float interval_;
    float elapsed_ {-1};

    friend base::Factory;

    // Use timerWithTarget.
    Timer(base::Object* target, Selector selector, float interval);
};

}
