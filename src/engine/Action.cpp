#include <base/Log.hpp>
#include <engine/Action.hpp>
#include <engine/Describe.hpp>
#include <engine/IntervalAction.hpp>

namespace engine {

base::Ref<Action> Action::action() {
    return base::make<Action>();
}

std::string Action::description() const {
    return "<" + className(*this) + " = " + objectAddress(this) + " | Tag = " + std::to_string(tag_)
        + ">";
}

base::Ref<Action> Action::copy() const {
    auto copy = base::make<Action>();
    copy->setTarget(target_);
    copy->setTag(tag_);
    return copy;
}

void Action::step(float) {
    base::logLine("[Action step]. override me");
}

void Action::update(float) {
    base::logLine("[Action update]. override me");
}

base::Ref<Action> FiniteTimeAction::copy() const {
    auto copy = base::make<FiniteTimeAction>();
    copy->setTarget(target());
    copy->setTag(tag());
    return copy;
}

base::Ref<FiniteTimeAction> FiniteTimeAction::reverse() {
    return nullptr;
}

base::Ref<IntervalAction> intervalReverse(IntervalAction& action) {
    auto reversed = base::ref_cast<IntervalAction>(action.reverse());
    VERIFY_MSG(reversed, "the reverse of a wrapped action must be an interval action");
    return reversed;
}

}
