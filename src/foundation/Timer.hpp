#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace foundation {

class RunLoop;

// A one-shot or repeating timer that a run loop fires (the platform's timer).
//
// Fire dates are seconds on Clock::current().monotonic(), the same reading that
// the loop compares them with. A loop retains the timers scheduled on it until
// they are invalidated (a one-shot timer invalidates itself after firing), so
// nobody else needs to keep a scheduled timer. The callback is the timer's
// target: whatever it captures lives as long as the timer is valid, and is
// released on invalidate(), as the platform's timer releases its target.
//
// A timer belongs to the run loop it was added to, and fires on that loop's
// thread. Timers due at the same instant fire in the order they were added to
// the loop. A repeating timer reschedules itself from its previous fire date; when
// the loop was late by more than an interval, the missed firings are dropped (one
// firing, then the next date in the future), never fired in a burst.
class Timer : public base::Object {
public:
    using Callback = std::function<void(Timer&)>;

    // A fire date so far ahead that the timer never fires: the way to pause one
    // while keeping it scheduled (setFireDate(Timer::distantFuture)).
    static constexpr double distantFuture = 63113904000.0;

    // A timer added to the current thread's run loop, first due interval seconds
    // from now.
    static base::Ref<Timer> scheduledTimer(
        double interval, Callback callback, bool repeats, base::Value userInfo = {});
    // The same, not yet on any loop; its fire date still counts from now. Add it
    // with RunLoop::addTimer.
    static base::Ref<Timer> timer(
        double interval, Callback callback, bool repeats, base::Value userInfo = {});

    // Removes the timer from its loop and releases the callback. Safe from the
    // timer's own callback, which then finishes normally; nothing fires afterwards.
    void invalidate();
    bool isValid() const { return valid_.load(); }

    // Calls the callback now, outside the schedule: a repeating timer keeps its fire
    // date, a one-shot timer is invalidated afterwards. Nothing happens once invalid.
    void fire();

    double fireDate() const { return fireDate_.load(); }
    // Moves the next firing; the loop wakes to honour an earlier date. A repeating
    // timer continues at its interval from the new date. Ignored once invalid.
    void setFireDate(double date);

    // The repeat interval; 0 for a one-shot timer, as the platform answers.
    double timeInterval() const { return repeats_ ? interval_ : 0.0; }
    bool repeats() const { return repeats_; }
    base::Value const& userInfo() const { return userInfo_; }

protected:
    ~Timer() override;

private:
    friend class RunLoop;

    // What a delayed call is keyed by, so that it can be cancelled per target, or
    // per target, selector and argument.
    struct PerformRequest {
        base::Object const* target;
        std::string selector;
        void const* argument;
    };

    // Runs the callback. With fromLoop, a repeating timer first moves its fire date
    // past now, so a callback that sets a fire date of its own wins.
    void fireNow(bool fromLoop, double now);
    // The fire date after this one, past now.
    double nextFireDate(double now) const;

    double const interval_;
    bool const repeats_;
    base::Value const userInfo_;
    // Guards releasing the callback against a call of it under way on another thread.
    std::mutex callbackMutex_;
    Callback callback_;
    std::atomic<double> fireDate_;
    std::atomic<bool> valid_ {true};
    // The loop that holds the timer, or null; set and cleared under that loop's lock.
    std::atomic<RunLoop*> loop_ {nullptr};
    // The order in which the loop received the timer: ties between equal fire dates.
    std::uint64_t order_ {0};
    // Calls of the callback under way; a timer never fires again inside its own call.
    std::atomic<int> firing_ {0};
    std::optional<PerformRequest> request_;

    friend base::Factory;

    Timer(double interval, Callback callback, bool repeats, base::Value userInfo);
};

}
