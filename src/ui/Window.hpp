#pragma once

#include <ui/Touch.hpp>
#include <ui/View.hpp>

namespace ui {

// The root of a view tree on the screen. It turns raw finger input into touches,
// finds the view under each new finger by hit testing, and delivers every phase of
// a touch to the view it began in. Main thread only.
class Window : public View {
public:
    static base::Ref<Window> create(graphics::Rect frame);

    explicit Window(graphics::Rect frame = {});

    // Shows the window and makes it the application's key window.
    void makeKeyAndVisible();
    bool isKeyWindow() const;

    // Delivers each touch of the event to the view it began in, by phase.
    virtual void sendEvent(Event* event);

    // The one-finger input of the mouse and of scripted plays: a finger goes down
    // (Began), moves and lifts (Ended) at a point in window coordinates. A finger
    // that goes down while another is down ends the old one first.
    void injectTouch(TouchPhase phase, graphics::Point location, int tapCount, double timestamp);

    Responder* nextResponder() const override;

private:
    base::Ref<Touch> finger_;
};

}
