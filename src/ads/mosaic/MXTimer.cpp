#include <ads/mosaic/MXTimer.hpp>

#include <ads/mosaic/MXLogging.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>

namespace ads::mosaic {

namespace {

double now() {
    return foundation::Clock::current().monotonic();
}

}

base::Ref<MXTimer> MXTimer::timerWithTimeInterval(
    double seconds, Action action, base::Value userInfo, bool repeats) {
    auto timer = base::make<MXTimer>();
    timer->timer_ = foundation::Timer::timer(
        seconds,
        [action = std::move(action)](foundation::Timer&) {
            if (action)
                action();
        },
        repeats, std::move(userInfo));
    return timer;
}

MXTimer::~MXTimer() {
    if (timer_)
        timer_->invalidate();
}

bool MXTimer::isValid() const {
    return timer_ && timer_->isValid();
}

void MXTimer::invalidate() {
    if (timer_)
        timer_->invalidate();
}

bool MXTimer::isScheduled() const {
    return timer_ && foundation::RunLoop::current().containsTimer(*timer_);
}

bool MXTimer::scheduleNow() {
    if (!isValid()) {
        MXLogDebugMessage("Could not schedule invalidated MXTimer (%p).", this);
        return false;
    }
    MXLogDebugMessage("Scheduled MXTimer (%p).", this);
    foundation::RunLoop::current().addTimer(timer_);
    return true;
}

bool MXTimer::pause() {
    if (isPaused_) {
        MXLogDebugMessage("No-op: tried to pause an MXTimer (%p) that was already paused.", this);
        return false;
    }
    if (!isValid()) {
        MXLogDebugMessage("Cannot pause invalidated MXTimer (%p).", this);
        return false;
    }
    if (!isScheduled()) {
        MXLogDebugMessage("No-op: tried to pause an MXTimer (%p) that was never scheduled.", this);
        return false;
    }
    double const at = now();
    pauseDate_ = at;
    secondsLeft_ = timer_->fireDate() - at;
    if (secondsLeft_ <= 0) {
        MXLogWarnMessage("An MXTimer was somehow paused after it was supposed to fire.");
        secondsLeft_ = 5.0;
    } else {
        MXLogDebugMessage(
            "Paused MXTimer (%p) %.1f seconds left before firing.", this, secondsLeft_);
    }
    timer_->setFireDate(foundation::Timer::distantFuture);
    isPaused_ = true;
    return true;
}

bool MXTimer::resume() {
    if (!isValid()) {
        MXLogDebugMessage("Cannot resume invalidated MXTimer (%p).", this);
        return false;
    }
    if (!isPaused_) {
        MXLogDebugMessage("No-op: tried to resume an MXTimer (%p) that was never paused.", this);
        return false;
    }
    MXLogDebugMessage("Resumed MXTimer (%p), should fire in %.1f seconds.", this, secondsLeft_);
    timer_->setFireDate(now() + secondsLeft_);
    if (!isScheduled())
        foundation::RunLoop::current().addTimer(timer_);
    isPaused_ = false;
    return true;
}

base::Ref<MXTimerTarget> MXTimerTarget::initWithNotificationName(std::string name) {
    return base::make<MXTimerTarget>(std::move(name));
}

void MXTimerTarget::postNotification() {
    if (notificationName_.empty()) {
        MXLogWarnMessage(
            "MXTimerTarget (%p) tried to post a notification without a notification name.", this);
        return;
    }
    foundation::NotificationCenter::defaultCenter().postNotification(notificationName_, this);
}

}
