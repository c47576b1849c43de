#include <base/Exception.hpp>
#include <engine/Describe.hpp>
#include <engine/Timer.hpp>

namespace engine {

base::Ref<Timer> Timer::timerWithTarget(base::Object* target, Selector selector, float interval) {
    return base::make<Timer>(target, std::move(selector), interval);
}

Timer::Timer(base::Object* target, Selector selector, float interval)
    : target_(target)
    , selector_(std::move(selector))
    , interval_(interval) {
    if (!target || !selector_)
        throw base::Exception("TimerInvalid", "Invalid init for Timer. Use initWithTarget:sel:");
}

void Timer::fire(float dt) {
    if (elapsed_ == -1)
        elapsed_ = 0;
    else
        elapsed_ += dt;
    if (elapsed_ >= interval_) {
        base::Ref<base::Object> target = target_.strong();
        if (target)
            selector_(elapsed_);
        elapsed_ = 0;
    }
}

std::string Timer::description() const {
    base::Object* target = target_.get();
    return "<" + className(*this) + " = " + objectAddress(this)
        + " | target:" + (target ? className(*target) : std::string("nil")) + " selector:("
        + selector_.name() + ")>";
}

}
