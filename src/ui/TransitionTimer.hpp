#pragma once

#include <base/Ref.hpp>
#include <foundation/Timer.hpp>

#include <functional>

namespace ui {

// The clock of one animated screen change (a presentation, a push, an alert
// showing or going): runs the step that ends the change once its duration has
// passed on the calling thread's run loop, so under a manual clock tests see the
// change end exactly when they advance the loop by the duration. Owned by the
// object whose change it times; main thread only. Destroying or cancelling it
// drops the step without running it.
class TransitionTimer {
public:
    // How long the platform's standard screen changes take.
    static constexpr double StandardDuration = 0.3;

    TransitionTimer() = default;
    ~TransitionTimer();
    TransitionTimer(TransitionTimer const&) = delete;
    TransitionTimer& operator=(TransitionTimer const&) = delete;

    // Runs done after duration seconds; with a duration of 0 or less, at once. A
    // change still running is finished first, so its end step never gets lost.
    void start(double duration, std::function<void()> done);
    bool isRunning() const { return timer_ != nullptr || done_ != nullptr; }
    // Runs the pending end step now, if there is one.
    void finishNow();
    void cancel();

private:
    base::Ref<foundation::Timer> timer_;
    std::function<void()> done_;
};

}
