#include <base/Verify.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <algorithm>

namespace ui {

base::Ref<View> View::create(graphics::Rect frame) {
    return base::make<View>(frame);
}

View::View(graphics::Rect frame) {
    setFrame(frame);
}

View::~View() {
    for (auto const& subview : subviews_)
        subview->superview_ = nullptr;
}

graphics::Rect View::frame() const {
    return {
        {center_.x - bounds_.size.width / 2, center_.y - bounds_.size.height / 2}, bounds_.size};
}

void View::setFrame(graphics::Rect frame) {
    bounds_.size = frame.size;
    center_ = {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2};
    needsLayout_ = true;
}

void View::setBounds(graphics::Rect bounds) {
    if (bounds.size != bounds_.size)
        needsLayout_ = true;
    bounds_ = bounds;
}

Window* View::window() const {
    return dynamic_cast<Window*>(const_cast<View*>(root()));
}

View const* View::root() const {
    View const* view = this;
    while (view->superview_)
        view = view->superview_;
    return view;
}

std::size_t View::indexOfSubview(View const* view) const {
    for (std::size_t i = 0; i < subviews_.size(); ++i) {
        if (subviews_[i].get() == view)
            return i;
    }
    return subviews_.size();
}

void View::notifyWindowChange(Window* newWindow, bool did) {
    if (did)
        didMoveToWindow();
    else
        willMoveToWindow(newWindow);
    if (viewController_) {
        if (did)
            viewController_->viewDidMoveToWindow();
        else
            viewController_->viewWillMoveToWindow(newWindow);
    }
    auto subviews = subviews_;
    for (auto const& subview : subviews)
        subview->notifyWindowChange(newWindow, did);
}

void View::attach(base::Ref<View> const& view, std::size_t index) {
    VERIFY(view && view.get() != this && !isDescendantOfView(view.get()));
    // Keep the view alive while it moves between parents.
    base::Ref<View> keep = view;
    if (view->superview_ == this) {
        auto from = indexOfSubview(view.get());
        subviews_.erase(subviews_.begin() + std::ptrdiff_t(from));
        index = std::min(index, subviews_.size());
        subviews_.insert(subviews_.begin() + std::ptrdiff_t(index), view);
        return;
    }
    Window* oldWindow = view->window();
    Window* newWindow = window();
    view->willMoveToSuperview(this);
    if (oldWindow != newWindow)
        view->notifyWindowChange(newWindow, false);
    if (view->superview_)
        view->detachFromSuperview();
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + std::ptrdiff_t(index), view);
    view->superview_ = this;
    if (oldWindow != newWindow)
        view->notifyWindowChange(newWindow, true);
    view->didMoveToSuperview();
    didAddSubview(view.get());
}

void View::detachFromSuperview() {
    View* parent = superview_;
    parent->willRemoveSubview(this);
    auto index = parent->indexOfSubview(this);
    superview_ = nullptr;
    // Erasing may drop the last reference to this view: do it last.
    parent->subviews_.erase(parent->subviews_.begin() + std::ptrdiff_t(index));
}

void View::addSubview(base::Ref<View> view) {
    attach(view, subviews_.size());
}

void View::insertSubviewAtIndex(base::Ref<View> view, std::size_t index) {
    attach(view, index);
}

void View::insertSubviewAbove(base::Ref<View> view, View* sibling) {
    auto index = indexOfSubview(sibling);
    attach(view, index == subviews_.size() ? index : index + 1);
}

void View::insertSubviewBelow(base::Ref<View> view, View* sibling) {
    auto index = indexOfSubview(sibling);
    attach(view, index == subviews_.size() ? 0 : index);
}

void View::removeFromSuperview() {
    if (!superview_)
        return;
    base::Ref<View> keep(this);
    Window* oldWindow = window();
    willMoveToSuperview(nullptr);
    if (oldWindow)
        notifyWindowChange(nullptr, false);
    detachFromSuperview();
    if (oldWindow)
        notifyWindowChange(nullptr, true);
    didMoveToSuperview();
}

void View::bringSubviewToFront(View* view) {
    auto index = indexOfSubview(view);
    if (index < subviews_.size())
        attach(base::Ref<View>(view), subviews_.size());
}

void View::sendSubviewToBack(View* view) {
    auto index = indexOfSubview(view);
    if (index < subviews_.size())
        attach(base::Ref<View>(view), 0);
}

void View::exchangeSubviewAtIndex(std::size_t first, std::size_t second) {
    if (first < subviews_.size() && second < subviews_.size())
        std::swap(subviews_[first], subviews_[second]);
}

bool View::isDescendantOfView(View const* view) const {
    for (View const* v = this; v; v = v->superview_) {
        if (v == view)
            return true;
    }
    return false;
}

View* View::viewWithTag(int tag) {
    if (tag_ == tag)
        return this;
    for (auto const& subview : subviews_) {
        if (auto found = subview->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

bool View::pointInside(graphics::Point point, Event*) const {
    return bounds_.contains(point);
}

View* View::hitTest(graphics::Point point, Event* event) {
    if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01f || !pointInside(point, event))
        return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* subview = it->get();
        if (auto hit = subview->hitTest(subview->convertPointFromView(point, this), event))
            return hit;
    }
    return this;
}

graphics::Point View::toRoot(graphics::Point point) const {
    for (View const* v = this; v->superview_; v = v->superview_) {
        auto f = v->frame();
        point = {
            point.x - v->bounds_.origin.x + f.origin.x, point.y - v->bounds_.origin.y + f.origin.y};
    }
    return point;
}

graphics::Point View::fromRoot(graphics::Point point) const {
    std::vector<View const*> chain;
    for (View const* v = this; v->superview_; v = v->superview_)
        chain.push_back(v);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        auto f = (*it)->frame();
        point = {point.x - f.origin.x + (*it)->bounds_.origin.x,
            point.y - f.origin.y + (*it)->bounds_.origin.y};
    }
    return point;
}

graphics::Point View::convertPointToView(graphics::Point point, View const* view) const {
    auto inRoot = toRoot(point);
    return view ? view->fromRoot(inRoot) : inRoot;
}

graphics::Point View::convertPointFromView(graphics::Point point, View const* view) const {
    auto inRoot = view ? view->toRoot(point) : point;
    return fromRoot(inRoot);
}

graphics::Rect View::convertRectToView(graphics::Rect rect, View const* view) const {
    return {convertPointToView(rect.origin, view), rect.size};
}

graphics::Rect View::convertRectFromView(graphics::Rect rect, View const* view) const {
    return {convertPointFromView(rect.origin, view), rect.size};
}

void View::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSubviews();
    }
    auto subviews = subviews_;
    for (auto const& subview : subviews)
        subview->layoutIfNeeded();
}

Responder* View::nextResponder() const {
    if (viewController_)
        return viewController_;
    return superview_;
}

}
