#pragma once

#include <base/Ref.hpp>
#include <engine/TouchHandler.hpp>

#include <vector>

namespace engine {

// Receives the drawing surface's touch sets and offers them to registered
// handlers in priority order; among equal priorities the most recently registered
// is asked first. A standard handler that answers true ends the dispatch; so does
// an emptied set (every touch swallowed by targeted handlers). Handlers added or
// removed during a dispatch take effect from the next one. One per process, made
// on first use; main thread only.
class TouchDispatcher final : public base::Object, public EAGLTouchDelegate {
public:
    static TouchDispatcher& sharedDispatcher();
    // Drops the instance with every handler; the next sharedDispatcher() makes a
    // new one that dispatches.
    static void purgeSharedDispatcher();

    bool dispatchEvents() const { return dispatchEvents_; }
    void setDispatchEvents(bool dispatch) { dispatchEvents_ = dispatch; }

    // Raises NSInvalidArgumentException "Delegate already added to touch
    // dispatcher." when the delegate is registered already.
    void addHandler(base::Ref<TouchHandler> handler);
    void addStandardDelegate(StandardTouchDelegate* delegate, int priority);
    void addTargetedDelegate(TargetedTouchDelegate* delegate, int priority, bool swallowsTouches);
    // Removes the delegate's handler; null and unknown delegates are ignored. The
    // delegate is the object that registered, through either interface.
    void removeDelegate(base::Object const* delegate);
    void removeAllDelegates();
    // Raises NSInvalidArgumentException "Got nil touch delegate" or "Touch
    // delegate not found".
    void setPriority(int priority, base::Object const* delegate);

    std::vector<base::Ref<TouchHandler>> const& touchHandlers() const { return touchHandlers_; }

    void touchesBegan(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesMoved(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesCancelled(ui::TouchSet const& touches, ui::Event* event) override;

private:
    void dispatch(TouchPhaseKind phase, ui::TouchSet const& touches, ui::Event* event);

    std::vector<base::Ref<TouchHandler>> touchHandlers_;
    bool dispatchEvents_ {true};

    friend base::Factory;

    TouchDispatcher() = default;
};

}
