#include <base/Exception.hpp>
#include <base/SharedInstance.hpp>
#include <engine/TouchDispatcher.hpp>

#include <algorithm>

namespace engine {

TouchDispatcher& TouchDispatcher::sharedDispatcher() {
    return base::SharedInstance<TouchDispatcher>::get();
}

void TouchDispatcher::purgeSharedDispatcher() {
    base::SharedInstance<TouchDispatcher>::reset();
}

void TouchDispatcher::addHandler(base::Ref<TouchHandler> handler) {
    for (auto const& existing : touchHandlers_) {
        if (existing->delegate() == handler->delegate())
            throw base::Exception(
                base::InvalidArgumentException, "Delegate already added to touch dispatcher.");
    }
    auto lower = std::count_if(touchHandlers_.begin(), touchHandlers_.end(),
        [&](auto const& existing) { return existing->priority() < handler->priority(); });
    touchHandlers_.insert(touchHandlers_.begin() + lower, std::move(handler));
}

void TouchDispatcher::addStandardDelegate(StandardTouchDelegate* delegate, int priority) {
    addHandler(StandardTouchHandler::handlerWithDelegate(delegate, priority));
}

void TouchDispatcher::addTargetedDelegate(
    TargetedTouchDelegate* delegate, int priority, bool swallowsTouches) {
    addHandler(TargetedTouchHandler::handlerWithDelegate(delegate, priority, swallowsTouches));
}

void TouchDispatcher::removeDelegate(base::Object const* delegate) {
    if (!delegate)
        return;
    auto found = std::find_if(touchHandlers_.begin(), touchHandlers_.end(),
        [&](auto const& handler) { return handler->delegate() == delegate; });
    if (found != touchHandlers_.end())
        touchHandlers_.erase(found);
}

void TouchDispatcher::removeAllDelegates() {
    touchHandlers_.clear();
}

void TouchDispatcher::setPriority(int priority, base::Object const* delegate) {
    if (!delegate)
        throw base::Exception(base::InvalidArgumentException, "Got nil touch delegate");
    auto found = std::find_if(touchHandlers_.begin(), touchHandlers_.end(),
        [&](auto const& handler) { return handler->delegate() == delegate; });
    if (found == touchHandlers_.end())
        throw base::Exception(base::InvalidArgumentException, "Touch delegate not found");
    if ((*found)->priority() == priority)
        return;
    base::Ref<TouchHandler> handler = *found;
    handler->setPriority(priority);
    touchHandlers_.erase(found);
    addHandler(handler);
}

void TouchDispatcher::dispatch(
    TouchPhaseKind phase, ui::TouchSet const& touches, ui::Event* event) {
    if (!dispatchEvents_)
        return;
    auto handlers = touchHandlers_;
    ui::TouchSet remaining = touches;
    for (auto const& handler : handlers) {
        if (handler->handle(phase, remaining, event))
            break;
        if (remaining.empty())
            break;
    }
}

void TouchDispatcher::touchesBegan(ui::TouchSet const& touches, ui::Event* event) {
    dispatch(TouchPhaseKind::Began, touches, event);
}

void TouchDispatcher::touchesMoved(ui::TouchSet const& touches, ui::Event* event) {
    dispatch(TouchPhaseKind::Moved, touches, event);
}

void TouchDispatcher::touchesEnded(ui::TouchSet const& touches, ui::Event* event) {
    dispatch(TouchPhaseKind::Ended, touches, event);
}

void TouchDispatcher::touchesCancelled(ui::TouchSet const& touches, ui::Event* event) {
    dispatch(TouchPhaseKind::Cancelled, touches, event);
}

}
