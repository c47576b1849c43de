#pragma once

#include <base/WeakRef.hpp>
#include <ui/View.hpp>

#include <functional>
#include <vector>

namespace ui {

// The events a control reports to its targets, with the platform's bit values.
namespace ControlEvents {
inline constexpr unsigned TouchDown = 1 << 0;
inline constexpr unsigned TouchDownRepeat = 1 << 1;
inline constexpr unsigned TouchDragInside = 1 << 2;
inline constexpr unsigned TouchDragOutside = 1 << 3;
inline constexpr unsigned TouchDragEnter = 1 << 4;
inline constexpr unsigned TouchDragExit = 1 << 5;
inline constexpr unsigned TouchUpInside = 1 << 6;
inline constexpr unsigned TouchUpOutside = 1 << 7;
inline constexpr unsigned TouchCancel = 1 << 8;
inline constexpr unsigned ValueChanged = 1 << 12;
inline constexpr unsigned EditingDidBegin = 1 << 16;
inline constexpr unsigned EditingChanged = 1 << 17;
inline constexpr unsigned EditingDidEnd = 1 << 18;
inline constexpr unsigned EditingDidEndOnExit = 1 << 19;
inline constexpr unsigned AllTouchEvents = 0x00000FFF;
inline constexpr unsigned AllEditingEvents = 0x000F0000;
inline constexpr unsigned AllEvents = 0xFFFFFFFF;
}

// A control's state bits, with the platform's values; Normal is none of them.
namespace ControlState {
inline constexpr unsigned Normal = 0;
inline constexpr unsigned Highlighted = 1 << 0;
inline constexpr unsigned Disabled = 1 << 1;
inline constexpr unsigned Selected = 1 << 2;
}

enum class ControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// A view that turns touches into events for its targets. A finger that goes down on an
// enabled control highlights it and sends TouchDown (with TouchDownRepeat from the
// second tap on); while it moves the control stays highlighted only while the finger is
// inside its bounds (TouchDragInside/Outside, TouchDragEnter/Exit on crossing); lifting
// it sends TouchUpInside or TouchUpOutside, and a cancelled touch TouchCancel. A
// disabled control swallows touches and sends nothing. Subclasses hook the tracking
// steps. Main thread only.
//
// Targets are not retained: an action whose target has died is skipped. An action with
// no target is always called. Actions run in the order they were added, one call per
// action for each send whatever bits of it matched; an action may remove targets or
// the control itself.
class Control : public View {
public:
    using Action = std::function<void(Control& sender, Event* event)>;

    void addTarget(base::Object* target, Action action, unsigned controlEvents);
    // Removes target's actions for those events (an action keeps its other events); a
    // null target means every action.
    void removeTarget(base::Object* target, unsigned controlEvents);
    // The live targets, without repeats.
    std::vector<base::Object*> allTargets() const;
    unsigned allControlEvents() const;
    void sendActionsForControlEvents(unsigned controlEvents);
    // Calls one action; subclasses may filter or log.
    virtual void sendAction(Action const& action, Event* event);

    bool isEnabled() const { return enabled_; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted);
    // The ControlState bits of now.
    unsigned state() const;
    bool isTracking() const { return tracking_; }
    bool isTouchInside() const { return touchInside_; }

    ControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontal_; }
    void setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment);
    ControlContentVerticalAlignment contentVerticalAlignment() const { return vertical_; }
    void setContentVerticalAlignment(ControlContentVerticalAlignment alignment);

    // Tracking steps: begin answers whether to track the touch; continue whether to go on.
    virtual bool beginTrackingWithTouch(Touch&, Event*) { return true; }
    virtual bool continueTrackingWithTouch(Touch&, Event*) { return true; }
    virtual void endTrackingWithTouch(Touch&, Event*) { }
    virtual void cancelTrackingWithEvent(Event*) { }

    void touchesBegan(TouchSet const& touches, Event* event) override;
    void touchesMoved(TouchSet const& touches, Event* event) override;
    void touchesEnded(TouchSet const& touches, Event* event) override;
    void touchesCancelled(TouchSet const& touches, Event* event) override;

protected:
    // Sends the actions registered for any of controlEvents, with the event of the touch.
    void sendActions(unsigned controlEvents, Event* event);
    // Told after enabled, selected or highlighted changed.
    virtual void stateDidChange() { setNeedsDisplay(); }

private:
    struct Registration {
        base::WeakRef<base::Object> target;
        bool hasTarget {false};
        Action action;
        unsigned events {0};
    };

    bool isInside(Touch const& touch) const;

    std::vector<Registration> registrations_;
    ControlContentHorizontalAlignment horizontal_ {ControlContentHorizontalAlignment::Center};
    ControlContentVerticalAlignment vertical_ {ControlContentVerticalAlignment::Center};
    bool enabled_ {true};
    bool selected_ {false};
    bool highlighted_ {false};
    bool tracking_ {false};
    bool touchInside_ {false};

protected:
    friend base::Factory;

    explicit Control(graphics::Rect frame = {});
};

}
