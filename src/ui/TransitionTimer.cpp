#include <foundation/Timer.hpp>
#include <ui/TransitionTimer.hpp>

namespace ui {

TransitionTimer::~TransitionTimer() {
    cancel();
}

void TransitionTimer::start(double duration, std::function<void()> done) {
    finishNow();
    done_ = std::move(done);
    if (duration <= 0) {
        finishNow();
        return;
    }
    timer_ = foundation::Timer::scheduledTimer(
        duration, [this](foundation::Timer&) { finishNow(); }, false);
}

void TransitionTimer::finishNow() {
    if (timer_)
        std::exchange(timer_, nullptr)->invalidate();
    if (auto done = std::exchange(done_, nullptr))
        done();
}

void TransitionTimer::cancel() {
    if (timer_)
        std::exchange(timer_, nullptr)->invalidate();
    done_ = nullptr;
}

}
