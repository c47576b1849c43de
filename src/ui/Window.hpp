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

    // The controller whose view fills the window. Setting one takes the old one's
    // view out and puts the new one's view in at the back, sized to the window,
    // so it appears as any controller's view does when it enters a window.
    ViewController* rootViewController() const { return rootViewController_.get(); }
    void setRootViewController(base::Ref<ViewController> controller);

private:
    base::Ref<Touch> finger_;
    base::Ref<ViewController> rootViewController_;

    friend base::Factory;

    explicit Window(graphics::Rect frame = {});
};

}
