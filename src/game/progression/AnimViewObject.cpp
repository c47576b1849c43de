#include <game/progression/AnimViewObject.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <foundation/Format.hpp>
#include <foundation/Timer.hpp>
#include <ui/Layer.hpp>

#include <exception>

namespace game {

base::Ref<AnimViewObject> AnimViewObject::create() {
    return base::make<AnimViewObject>();
}

void AnimViewObject::addAction(base::Ref<AnimViewAction> action) {
    _actions.push_back(std::move(action));
}

void AnimViewObject::removeAllAction() {
    _actions.clear();
    isPlayingAction_ = false;
    if (view_)
        view_->layer().removeAllAnimations();
}

bool AnimViewObject::runNextActionWithCallBackTarget(base::Object* target, DidStop selector) {
    if (_actions.empty()) {
        isPlayingAction_ = false;
        return false;
    }
    isPlayingAction_ = true;
    auto action = std::move(_actions.front());
    _actions.pop_front();

    if (dynamic_cast<AnimViewDelayAction*>(action.get())) {
        // The timer holds this object and the target until it fires.
        base::Ref<AnimViewObject> self(this);
        base::Ref<base::Object> heldTarget(target);
        foundation::Timer::scheduledTimer(
            action->duration(),
            [self, heldTarget, selector](foundation::Timer&) { self->delayDidFinished(selector); },
            false);
    } else if (action->duration() > 0) {
        ui::View::beginAnimations({}, this);
        int curve = action->animationCurve();
        ui::View::setAnimationCurve(
            curve >= 0 && curve <= 3 ? ui::AnimationCurve(curve) : ui::AnimationCurve::Linear);
        ui::View::setAnimationDuration(action->duration());
        ui::View::setAnimationDelegate(target);
        ui::View::setAnimationDidStopSelector(selector);
        applyGuarded(*action);
        ui::View::commitAnimations();
    } else {
        applyGuarded(*action);
        if (selector)
            selector({}, true, this);
    }
    return isPlayingAction_;
}

void AnimViewObject::applyGuarded(AnimViewAction& action) {
    if (!view_)
        return;
    try {
        action.applyOnView(*view_);
    } catch (base::Exception const& exception) {
        base::logLine(foundation::format(
            "%@ Error %@: %@", action.description(), exception.name(), exception.reason()));
    } catch (std::exception const& exception) {
        base::logLine(foundation::format(
            "%@ Error %@: %@", action.description(), "std::exception", exception.what()));
    }
}

void AnimViewObject::delayDidFinished(DidStop const& selector) {
    if (selector)
        selector({}, true, this);
}

}
