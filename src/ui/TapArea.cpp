#include <ui/TapArea.hpp>
#include <ui/Touch.hpp>

namespace ui {

base::Ref<TapArea> TapArea::create(graphics::Rect frame, std::string title, Action action) {
    return base::make<TapArea>(frame, std::move(title), std::move(action));
}

TapArea::TapArea(graphics::Rect frame, std::string title, Action action)
    : View(frame)
    , title_(std::move(title))
    , action_(std::move(action)) {
}

void TapArea::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        highlighted_ = false;
        tracking_ = false;
    }
}

bool TapArea::isInside(TouchSet const& touches) const {
    auto touch = touches.anyObject();
    return touch && bounds().contains(touch->locationInView(this));
}

void TapArea::touchesBegan(TouchSet const& touches, Event*) {
    if (!enabled_)
        return;
    tracking_ = true;
    highlighted_ = isInside(touches);
}

void TapArea::touchesMoved(TouchSet const& touches, Event*) {
    if (tracking_)
        highlighted_ = isInside(touches);
}

void TapArea::touchesEnded(TouchSet const& touches, Event*) {
    if (!tracking_)
        return;
    tracking_ = false;
    highlighted_ = false;
    if (isInside(touches) && action_) {
        // The action may remove this area (an alert going away): keep it alive.
        base::Ref<TapArea> keep(this);
        auto action = action_;
        action();
    }
}

void TapArea::touchesCancelled(TouchSet const&, Event*) {
    tracking_ = false;
    highlighted_ = false;
}

}
