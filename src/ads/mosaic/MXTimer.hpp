#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Timer.hpp>

#include <functional>
#include <optional>

namespace ads::mosaic {

// A timer that can be paused and resumed: it holds a system timer made unscheduled,
// adds it to the current thread's run loop when asked, and pauses it by moving its
// fire date to the distant future. Owned by whoever keeps it (the ad manager keeps
// its refresh timer); going away invalidates the system timer, so nothing fires for
// a timer nobody holds. Main thread.
class MXTimer final : public base::Object {
public:
    using Action = std::function<void()>;

    // The system timer is made now and counts its interval from now, whenever it is
    // scheduled; the action is its target and selector.
    static base::Ref<MXTimer> timerWithTimeInterval(
        double seconds, Action action, base::Value userInfo, bool repeats);

    bool isValid() const;
    void invalidate();
    // Whether the current thread's run loop holds the system timer.
    bool isScheduled() const;

    // Each answers whether it did something; see the source for the no-op cases.
    bool scheduleNow();
    bool pause();
    bool resume();

    bool isPaused() const { return isPaused_; }
    double secondsLeft() const { return secondsLeft_; }
    foundation::Timer* timer() const { return timer_.get(); }
    void setTimer(base::Ref<foundation::Timer> timer) { timer_ = std::move(timer); }
    // Monotonic seconds when it was paused; none before the first pause.
    std::optional<double> pauseDate() const { return pauseDate_; }
    void setPauseDate(std::optional<double> date) { pauseDate_ = date; }

protected:
    ~MXTimer() override;

private:
    base::Ref<foundation::Timer> timer_;
    bool isPaused_ {false};
    double secondsLeft_ {0.0};
    std::optional<double> pauseDate_;

    friend base::Factory;

    MXTimer() = default;
};

// Turns a timer's firing into a notification: postNotification posts the name it
// was made with, with the target itself as the object, on the default centre.
class MXTimerTarget final : public base::Object {
public:
    static base::Ref<MXTimerTarget> initWithNotificationName(std::string name);

    void postNotification();
    std::string const& notificationName() const { return notificationName_; }

private:
    std::string notificationName_;

    friend base::Factory;

    explicit MXTimerTarget(std::string name)
        : notificationName_(std::move(name)) { }
};

}
