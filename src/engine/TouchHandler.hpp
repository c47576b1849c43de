#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <engine/TouchDelegate.hpp>

namespace engine {

enum class TouchPhaseKind { Began, Moved, Ended, Cancelled };

// One registration with the TouchDispatcher: a delegate and its priority (lower
// is asked first). The handler retains its delegate, so a registered layer lives
// at least until it is removed. Main thread only.
class TouchHandler : public base::Object {
public:
    // The delegate object, retained; it is compared by identity.
    base::Object* delegate() const { return delegate_.get(); }
    int priority() const { return priority_; }
    void setPriority(int priority) { priority_ = priority; }

    // Offers one phase of the touches; answers true to end the dispatch.
    virtual bool handle(TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event) = 0;

protected:
    TouchHandler(base::Object* delegate, int priority);

private:
    base::Ref<base::Object> delegate_;
    int priority_;

    friend base::Factory;
};

class StandardTouchHandler final : public TouchHandler {
public:
    // Asserts "Touch delegate may not be nil" for a missing delegate; the delegate
    // must be an engine object.
    static base::Ref<StandardTouchHandler> handlerWithDelegate(
        StandardTouchDelegate* delegate, int priority);

    bool handle(TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event) override;

private:
    StandardTouchDelegate* standard_;

    friend base::Factory;

    StandardTouchHandler(base::Object* owner, StandardTouchDelegate* delegate, int priority);
};

class TargetedTouchHandler final : public TouchHandler {
public:
    static base::Ref<TargetedTouchHandler> handlerWithDelegate(
        TargetedTouchDelegate* delegate, int priority, bool swallowsTouches);

    // Begin: asks the delegate about each touch, claims those it accepts and, when
    // swallowing, takes them out of the set. Moved, ended and cancelled reach the
    // delegate only for claimed touches; ended and cancelled unclaim them. A
    // targeted handler never ends the dispatch itself.
    bool handle(TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event) override;

    bool swallowsTouches() const { return swallowsTouches_; }
    void setSwallowsTouches(bool swallows) { swallowsTouches_ = swallows; }
    ui::TouchSet const& claimedTouches() const { return claimedTouches_; }

private:
    void updateKnownTouches(
        TouchPhaseKind phase, ui::TouchSet& touches, ui::Event* event, bool unclaim);

    TargetedTouchDelegate* targeted_;
    bool swallowsTouches_;
    ui::TouchSet claimedTouches_;

    friend base::Factory;

    TargetedTouchHandler(
        base::Object* owner, TargetedTouchDelegate* delegate, int priority, bool swallowsTouches);
};

}
