#include <base/Verify.hpp>
#include <engine/TouchHandler.hpp>

namespace engine {

namespace {

base::Object* owningObject(void const* delegate, base::Object* object) {
    VERIFY_MSG(delegate, "Touch delegate may not be nil");
    VERIFY_MSG(object, "Touch delegate must be an engine object");
    return object;
}

}

TouchHandler::TouchHandler(base::Object* delegate, int priority)
    : delegate_(delegate)
    , priority_(priority) {
}

base::Ref<StandardTouchHandler> StandardTouchHandler::handlerWithDelegate(
    StandardTouchDelegate* delegate, int priority) {
    auto owner = owningObject(delegate, dynamic_cast<base::Object*>(delegate));
    return base::make<StandardTouchHandler>(owner, delegate, priority);
}

StandardTouchHandler::StandardTouchHandler(
    base::Object* owner, StandardTouchDelegate* delegate, int priority)
    : TouchHandler(owner, priority)
    , standard_(delegate) {
}

bool StandardTouchHandler::handle(TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event) {
    switch (phase) {
    case TouchPhaseKind::Began:
        return standard_->ccTouchesBegan(touches, event);
    case TouchPhaseKind::Moved:
        return standard_->ccTouchesMoved(touches, event);
    case TouchPhaseKind::Ended:
        return standard_->ccTouchesEnded(touches, event);
    case TouchPhaseKind::Cancelled:
        return standard_->ccTouchesCancelled(touches, event);
    }
    return false;
}

base::Ref<TargetedTouchHandler> TargetedTouchHandler::handlerWithDelegate(
    TargetedTouchDelegate* delegate, int priority, bool swallowsTouches) {
    auto owner = owningObject(delegate, dynamic_cast<base::Object*>(delegate));
    return base::make<TargetedTouchHandler>(owner, delegate, priority, swallowsTouches);
}

TargetedTouchHandler::TargetedTouchHandler(
    base::Object* owner, TargetedTouchDelegate* delegate, int priority, bool swallowsTouches)
    : TouchHandler(owner, priority)
    , targeted_(delegate)
    , swallowsTouches_(swallowsTouches) {
}

bool TargetedTouchHandler::handle(TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event) {
    switch (phase) {
    case TouchPhaseKind::Began: {
        auto snapshot = touches.allObjects();
        for (auto const& touch : snapshot) {
            if (targeted_->ccTouchBegan(touch.get(), event)) {
                claimedTouches_.add(touch);
                if (swallowsTouches_)
                    touches.remove(touch.get());
            }
        }
        return false;
    }
    case TouchPhaseKind::Moved:
        updateKnownTouches(phase, touches, event, false);
        return false;
    case TouchPhaseKind::Ended:
    case TouchPhaseKind::Cancelled:
        updateKnownTouches(phase, touches, event, true);
        return false;
    }
    return false;
}

void TargetedTouchHandler::updateKnownTouches(
    TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event, bool unclaim) {
    auto snapshot = touches.allObjects();
    for (auto const& touch : snapshot) {
        if (!claimedTouches_.contains(touch.get()))
            continue;
        if (phase == TouchPhaseKind::Moved)
            targeted_->ccTouchMoved(touch.get(), event);
        else if (phase == TouchPhaseKind::Ended)
            targeted_->ccTouchEnded(touch.get(), event);
        else
            targeted_->ccTouchCancelled(touch.get(), event);
        if (unclaim)
            claimedTouches_.remove(touch.get());
        if (swallowsTouches_)
            touches.remove(touch.get());
    }
}

}
