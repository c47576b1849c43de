#include <engine/IntervalAction.hpp>
#include <engine/Speed.hpp>

namespace engine {

base::Ref<Speed> Speed::actionWithAction(base::Ref<IntervalAction> action, float speed) {
    return base::make<Speed>(std::move(action), speed);
}

Speed::Speed(base::Ref<IntervalAction> action, float speed)
    : other(std::move(action))
    , speed_(speed) {
    VERIFY_MSG(other, "Argument must be non-nil");
}

Speed::~Speed() = default;

base::Ref<Action> Speed::copy() const {
    return Speed::actionWithAction(copyOf(*other), speed_);
}

void Speed::start() {
    Action::start();
    other->setTarget(target());
    other->start();
}

void Speed::stop() {
    other->stop();
    Action::stop();
}

void Speed::step(float dt) {
    other->step(dt * speed_);
}

bool Speed::isDone() const {
    return other->isDone();
}

base::Ref<Speed> Speed::reverse() {
    return Speed::actionWithAction(intervalReverse(*other), speed_);
}

}
