#include <ui/Touch.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ui {

base::Ref<Touch> Touch::create(
    View* view, Window* window, graphics::Point windowLocation, int tapCount, double timestamp) {
    auto touch = base::make<Touch>();
    touch->view_ = view;
    touch->window_ = window;
    touch->location_ = windowLocation;
    touch->previousLocation_ = windowLocation;
    touch->tapCount_ = tapCount;
    touch->timestamp_ = timestamp;
    return touch;
}

View* Touch::view() const {
    return view_.get();
}

Window* Touch::window() const {
    return window_.get();
}

graphics::Point Touch::locationInView(View const* view) const {
    if (!view || !window_)
        return location_;
    return view->convertPointFromView(location_, window_.get());
}

graphics::Point Touch::previousLocationInView(View const* view) const {
    if (!view || !window_)
        return previousLocation_;
    return view->convertPointFromView(previousLocation_, window_.get());
}

void Touch::update(TouchPhase phase, graphics::Point windowLocation, double timestamp) {
    phase_ = phase;
    previousLocation_ = location_;
    location_ = windowLocation;
    timestamp_ = timestamp;
}

bool TouchSet::contains(Touch const* touch) const {
    return std::any_of(
        touches_.begin(), touches_.end(), [&](auto const& t) { return t.get() == touch; });
}

void TouchSet::add(base::Ref<Touch> touch) {
    if (!contains(touch.get()))
        touches_.push_back(std::move(touch));
}

void TouchSet::remove(Touch const* touch) {
    std::erase_if(touches_, [&](auto const& t) { return t.get() == touch; });
}

base::Ref<Event> Event::create(TouchSet allTouches, double timestamp) {
    auto event = base::make<Event>();
    event->allTouches_ = std::move(allTouches);
    event->timestamp_ = timestamp;
    return event;
}

TouchSet Event::touchesForView(View const* view) const {
    TouchSet set;
    for (auto const& touch : allTouches_) {
        if (touch->view() == view)
            set.add(touch);
    }
    return set;
}

TouchSet Event::touchesForWindow(Window const* window) const {
    TouchSet set;
    for (auto const& touch : allTouches_) {
        if (touch->window() == window)
            set.add(touch);
    }
    return set;
}

}
