#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Timer.hpp>

#include <cmath>

namespace foundation {

namespace {

// The shortest repeat interval; a repeating timer of 0 would otherwise fire
// without end at one instant. The platform uses the same floor.
constexpr double minimumRepeatInterval = 0.0001;

double sanitisedInterval(double interval, bool repeats) {
    if (repeats)
        return interval >= minimumRepeatInterval ? interval : minimumRepeatInterval;
    return interval > 0 ? interval : 0.0;
}

}

base::Ref<Timer> Timer::scheduledTimer(
    double interval, Callback callback, bool repeats, base::Value userInfo) {
    auto timer = Timer::timer(interval, std::move(callback), repeats, std::move(userInfo));
    RunLoop::current().addTimer(timer);
    return timer;
}

base::Ref<Timer> Timer::timer(
    double interval, Callback callback, bool repeats, base::Value userInfo) {
    return base::make<Timer>(interval, std::move(callback), repeats, std::move(userInfo));
}

Timer::Timer(double interval, Callback callback, bool repeats, base::Value userInfo)
    : interval_(sanitisedInterval(interval, repeats))
    , repeats_(repeats)
    , userInfo_(std::move(userInfo))
    , callback_(std::move(callback))
    , fireDate_(Clock::current().monotonic() + interval_) {
}

Timer::~Timer() = default;

void Timer::invalidate() {
    Callback released;
    {
        std::lock_guard lock(callbackMutex_);
        if (!valid_.exchange(false))
            return;
        if (firing_ == 0)
            released = std::move(callback_);
    }
    base::Ref<Timer> keep(this);
    if (auto* loop = loop_.load())
        loop->removeTimer(*this);
    // released goes here, after the loop let go: its captures may call back in.
}

void Timer::fire() {
    fireNow(false, 0.0);
}

void Timer::setFireDate(double date) {
    if (!valid_.load() || std::isnan(date))
        return;
    fireDate_.store(date);
    if (auto* loop = loop_.load())
        loop->wake();
}

void Timer::fireNow(bool fromLoop, double now) {
    base::Ref<Timer> keep(this);
    {
        std::lock_guard lock(callbackMutex_);
        if (!valid_.load() || (fromLoop && firing_ > 0))
            return;
        ++firing_;
    }
    if (fromLoop && repeats_)
        fireDate_.store(nextFireDate(now));

    // Ends the call even when the callback throws: a one-shot timer is spent, and
    // a callback left behind by an invalidate() during the call is released.
    struct EndOfCall {
        Timer& timer;
        ~EndOfCall() {
            Callback released;
            {
                std::lock_guard lock(timer.callbackMutex_);
                --timer.firing_;
                if (!timer.valid_.load() && timer.firing_ == 0)
                    released = std::move(timer.callback_);
            }
            if (!timer.repeats_)
                timer.invalidate();
        }
    } endOfCall {*this};

    if (callback_)
        callback_(*this);
}

double Timer::nextFireDate(double now) const {
    double fireDate = fireDate_.load();
    double next = fireDate + interval_;
    if (next <= now) {
        double missed = std::floor((now - fireDate) / interval_);
        next = fireDate + (missed + 1) * interval_;
        if (next <= now)
            next += interval_;
    }
    return next;
}

}
