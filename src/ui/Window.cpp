#include <ui/Application.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <map>

namespace ui {

base::Ref<Window> Window::create(graphics::Rect frame) {
    return base::make<Window>(frame);
}

Window::Window(graphics::Rect frame)
    : View(frame) {
    setHidden(true);
    Application::sharedApplication().registerWindow(this);
}

void Window::makeKeyAndVisible() {
    setHidden(false);
    Application::sharedApplication().setKeyWindow(this);
}

bool Window::isKeyWindow() const {
    return Application::sharedApplication().keyWindow() == this;
}

void Window::setRootViewController(base::Ref<ViewController> controller) {
    if (controller == rootViewController_)
        return;
    auto old = std::move(rootViewController_);
    rootViewController_ = controller;
    if (old && old->isViewLoaded() && old->view()->superview() == this)
        old->view()->removeFromSuperview();
    if (controller) {
        View* view = controller->view();
        view->setFrame(bounds());
        view->layoutIfNeeded();
        insertSubviewAtIndex(base::Ref<View>(view), 0);
    }
}

Responder* Window::nextResponder() const {
    return &Application::sharedApplication();
}

void Window::sendEvent(Event* event) {
    // Group the window's touches by the view they began in and by phase, keeping
    // the order in which the views first appear.
    std::vector<View*> order;
    std::map<View*, std::map<TouchPhase, TouchSet>> groups;
    for (auto const& touch : event->touchesForWindow(this)) {
        View* view = touch->view();
        if (!view)
            continue;
        if (!groups.contains(view))
            order.push_back(view);
        groups[view][touch->phase()].add(touch);
    }
    for (View* view : order) {
        base::Ref<View> keep(view);
        for (auto const& [phase, touches] : groups[view]) {
            switch (phase) {
            case TouchPhase::Began:
                view->touchesBegan(touches, event);
                break;
            case TouchPhase::Moved:
                view->touchesMoved(touches, event);
                break;
            case TouchPhase::Ended:
                view->touchesEnded(touches, event);
                break;
            case TouchPhase::Cancelled:
                view->touchesCancelled(touches, event);
                break;
            case TouchPhase::Stationary:
                break;
            }
        }
    }
}

void Window::injectTouch(
    TouchPhase phase, graphics::Point location, int tapCount, double timestamp) {
    if (phase == TouchPhase::Began) {
        if (finger_)
            injectTouch(TouchPhase::Ended, location, finger_->tapCount(), timestamp);
        View* hit = hitTest(location, nullptr);
        if (!hit)
            return;
        finger_ = Touch::create(hit, this, location, tapCount, timestamp);
    } else {
        if (!finger_)
            return;
        finger_->update(phase, location, timestamp);
    }
    base::Ref<Touch> touch = finger_;
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
        finger_ = nullptr;
    auto event = Event::create(TouchSet({touch}), timestamp);
    Application::sharedApplication().sendEvent(event.get());
}

}
