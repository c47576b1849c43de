#include <ui/Control.hpp>
#include <ui/Touch.hpp>

#include <algorithm>

namespace ui {

Control::Control(graphics::Rect frame)
    : View(frame) {
}

void Control::addTarget(base::Object* target, Action action, unsigned controlEvents) {
    if (!action || controlEvents == 0)
        return;
    registrations_.push_back(
        {base::WeakRef<base::Object>(target), target != nullptr, std::move(action), controlEvents});
}

void Control::removeTarget(base::Object* target, unsigned controlEvents) {
    for (auto& registration : registrations_) {
        if (!target || registration.target.get() == target)
            registration.events &= ~controlEvents;
    }
    std::erase_if(registrations_, [](Registration const& r) { return r.events == 0; });
}

std::vector<base::Object*> Control::allTargets() const {
    std::vector<base::Object*> targets;
    for (auto const& registration : registrations_) {
        auto* target = registration.target.get();
        if (target && std::find(targets.begin(), targets.end(), target) == targets.end())
            targets.push_back(target);
    }
    return targets;
}

unsigned Control::allControlEvents() const {
    unsigned events = 0;
    for (auto const& registration : registrations_)
        events |= registration.events;
    return events;
}

void Control::sendActionsForControlEvents(unsigned controlEvents) {
    sendActions(controlEvents, nullptr);
}

void Control::sendActions(unsigned controlEvents, Event* event) {
    base::Ref<View> keep(this);
    // Actions may add and remove registrations: run over a copy.
    auto registrations = registrations_;
    for (auto const& registration : registrations) {
        if (!(registration.events & controlEvents))
            continue;
        // Keep the target alive through its own action.
        base::Ref<base::Object> target = registration.target.strong();
        if (registration.hasTarget && !target)
            continue;
        sendAction(registration.action, event);
    }
    std::erase_if(registrations_, [](Registration const& r) { return r.hasTarget && !r.target; });
}

void Control::sendAction(Action const& action, Event* event) {
    action(*this, event);
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (!enabled) {
        highlighted_ = false;
        tracking_ = false;
    }
    stateDidChange();
}

void Control::setSelected(bool selected) {
    if (selected == selected_)
        return;
    selected_ = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted) {
    if (highlighted == highlighted_)
        return;
    highlighted_ = highlighted;
    stateDidChange();
}

unsigned Control::state() const {
    unsigned state = ControlState::Normal;
    if (highlighted_)
        state |= ControlState::Highlighted;
    if (!enabled_)
        state |= ControlState::Disabled;
    if (selected_)
        state |= ControlState::Selected;
    return state;
}

void Control::setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment) {
    horizontal_ = alignment;
    setNeedsLayout();
}

void Control::setContentVerticalAlignment(ControlContentVerticalAlignment alignment) {
    vertical_ = alignment;
    setNeedsLayout();
}

bool Control::isInside(Touch const& touch) const {
    return pointInside(touch.locationInView(this), nullptr);
}

void Control::touchesBegan(TouchSet const& touches, Event* event) {
    auto* touch = touches.anyObject();
    if (!touch || !enabled_)
        return;
    base::Ref<View> keep(this);
    base::Ref<Touch> keepTouch(touch);
    touchInside_ = true;
    tracking_ = beginTrackingWithTouch(*touch, event);
    setHighlighted(true);
    unsigned events = ControlEvents::TouchDown;
    if (touch->tapCount() > 1)
        events |= ControlEvents::TouchDownRepeat;
    sendActions(events, event);
}

void Control::touchesMoved(TouchSet const& touches, Event* event) {
    auto* touch = touches.anyObject();
    if (!touch || !enabled_)
        return;
    base::Ref<View> keep(this);
    base::Ref<Touch> keepTouch(touch);
    bool wasInside = touchInside_;
    touchInside_ = isInside(*touch);
    if (tracking_)
        tracking_ = continueTrackingWithTouch(*touch, event);
    setHighlighted(tracking_ && touchInside_);
    unsigned events
        = touchInside_ ? ControlEvents::TouchDragInside : ControlEvents::TouchDragOutside;
    if (touchInside_ && !wasInside)
        events |= ControlEvents::TouchDragEnter;
    if (!touchInside_ && wasInside)
        events |= ControlEvents::TouchDragExit;
    sendActions(events, event);
}

void Control::touchesEnded(TouchSet const& touches, Event* event) {
    auto* touch = touches.anyObject();
    if (!touch || !enabled_)
        return;
    base::Ref<View> keep(this);
    base::Ref<Touch> keepTouch(touch);
    touchInside_ = isInside(*touch);
    bool wasTracking = tracking_;
    tracking_ = false;
    setHighlighted(false);
    if (wasTracking)
        endTrackingWithTouch(*touch, event);
    sendActions(touchInside_ ? ControlEvents::TouchUpInside : ControlEvents::TouchUpOutside, event);
}

void Control::touchesCancelled(TouchSet const&, Event* event) {
    if (!enabled_)
        return;
    base::Ref<View> keep(this);
    bool wasTracking = tracking_;
    tracking_ = false;
    setHighlighted(false);
    if (wasTracking)
        cancelTrackingWithEvent(event);
    sendActions(ControlEvents::TouchCancel, event);
}

}
