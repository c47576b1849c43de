#include <engine/IntervalAction.hpp>
#include <engine/RepeatForever.hpp>

namespace engine {

base::Ref<RepeatForever> RepeatForever::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<RepeatForever>(std::move(action));
}

RepeatForever::RepeatForever(base::Ref<IntervalAction> action)
    : other(std::move(action)) {
    VERIFY_MSG(other, "Argument must be non-nil");
}

RepeatForever::~RepeatForever() = default;

base::Ref<Action> RepeatForever::copy() const {
    return RepeatForever::actionWithAction(copyOf(*other));
}

void RepeatForever::start() {
    Action::start();
    other->setTarget(target());
    other->start();
}

void RepeatForever::step(float dt) {
    other->step(dt);
    if (other->isDone())
        other->start();
}

base::Ref<RepeatForever> RepeatForever::reverse() {
    return RepeatForever::actionWithAction(intervalReverse(*other));
}

}
