#include <ads/kestrel/KestrelAdListView.hpp>

#include <ui/Touch.hpp>

namespace ads::kestrel {

KestrelAdListView::KestrelAdListView(graphics::Rect frame)
    : ui::View(frame) {
}

base::Ref<KestrelAdListView> KestrelAdListView::create(graphics::Rect frame) {
    return base::make<KestrelAdListView>(frame);
}

void KestrelAdListView::dragByYDisplacement(float dy) {
    auto frame = this->frame();
    float oldY = frame.origin.y;
    float y = oldY + dy;
    if (y > float(lowerLocationLimit_))
        y = float(lowerLocationLimit_);
    else if (y < float(upperLocationLimit_))
        y = float(upperLocationLimit_);
    frame.origin.y = y;
    setFrame(frame);
    if (webView_.get())
        updateWebViewFrame(y - oldY);
}

void KestrelAdListView::dragToYPosition(float y) {
    dragByYDisplacement(y - frame().origin.y);
}

void KestrelAdListView::updateWebViewFrame(float dy) {
    auto* view = webView_.get();
    if (!view)
        return;
    auto frame = view->frame();
    frame.size.height += dy;
    view->setFrame(frame);
}

graphics::Point KestrelAdListView::locationOf(ui::TouchSet const& touches) const {
    auto* touch = touches.anyObject();
    return touch ? touch->locationInView(superview()) : _lastLocation;
}

void KestrelAdListView::touchesBegan(ui::TouchSet const& touches, ui::Event*) {
    _lastLocation = locationOf(touches);
}

void KestrelAdListView::touchesMoved(ui::TouchSet const& touches, ui::Event*) {
    auto location = locationOf(touches);
    dragByYDisplacement(location.y - _lastLocation.y);
    _lastLocation = location;
    _dragInProgress = true;
}

void KestrelAdListView::touchesEnded(ui::TouchSet const& touches, ui::Event*) {
    auto location = locationOf(touches);
    if (_dragInProgress) {
        dragByYDisplacement(location.y - _lastLocation.y);
        _dragInProgress = false;
        return;
    }
    // A tap flips the panel: open goes closed, anything else opens.
    if (frame().origin.y == float(upperLocationLimit_))
        dragToYPosition(float(lowerLocationLimit_));
    else
        dragToYPosition(float(upperLocationLimit_));
}

void KestrelAdListView::touchesCancelled(ui::TouchSet const&, ui::Event*) {
    _dragInProgress = false;
}

}
