#include <base/Verify.hpp>
#include <ui/Animator.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace ui {

namespace {

std::atomic<std::uint64_t> nextSerialNumber {1};

bool nearlyZero(float value) {
    return std::fabs(value) < 1e-6f;
}

graphics::Rect transformedFrame(graphics::Point center, graphics::Rect const& bounds,
    graphics::AffineTransform const& transform) {
    auto size = bounds.size;
    if (transform.isIdentity())
        return {{center.x - size.width / 2, center.y - size.height / 2}, size};
    auto box = transform.apply(graphics::Rect {{-size.width / 2, -size.height / 2}, size});
    return box.offsetBy(center.x, center.y);
}

}

base::Ref<View> View::create(graphics::Rect frame) {
    return base::make<View>(frame);
}

View::View(graphics::Rect frame)
    : serialNumber_(nextSerialNumber.fetch_add(1)) {
    // Set directly: a view made inside an animation block does not animate into place.
    bounds_.size = frame.size;
    center_ = {frame.midX(), frame.midY()};
    needsLayout_ = true;
}

View::~View() {
    Animator::shared().viewWillDie(*this);
    for (auto const& subview : subviews_)
        subview->superview_ = nullptr;
}

graphics::Rect View::frame() const {
    return transformedFrame(center_, bounds_, transform_);
}

graphics::Rect View::Presentation::frame() const {
    return transformedFrame(center, bounds, transform);
}

void View::setFrame(graphics::Rect frame) {
    auto size = frame.size;
    graphics::Point mid {frame.midX(), frame.midY()};
    auto const& t = transform_;
    if (!t.isIdentity()) {
        mid = {mid.x - t.tx, mid.y - t.ty};
        if (nearlyZero(t.b) && nearlyZero(t.c) && !nearlyZero(t.a) && !nearlyZero(t.d))
            size = {frame.size.width / std::fabs(t.a), frame.size.height / std::fabs(t.d)};
        else if (nearlyZero(t.a) && nearlyZero(t.d) && !nearlyZero(t.b) && !nearlyZero(t.c))
            size = {frame.size.height / std::fabs(t.b), frame.size.width / std::fabs(t.c)};
        else
            size = bounds_.size;
    }
    setCenter(mid);
    setBounds({bounds_.origin, size});
    needsLayout_ = true;
}

void View::setBounds(graphics::Rect bounds) {
    Animator::shared().propertyWillChange(*this, AnimatedProperty::Bounds, bounds_, bounds);
    auto oldSize = bounds_.size;
    bounds_ = bounds;
    if (bounds.size != oldSize)
        boundsSizeChanged(oldSize);
}

void View::setCenter(graphics::Point center) {
    Animator::shared().propertyWillChange(*this, AnimatedProperty::Center, center_, center);
    center_ = center;
}

void View::setTransform(graphics::AffineTransform transform) {
    Animator::shared().propertyWillChange(
        *this, AnimatedProperty::Transform, transform_, transform);
    transform_ = transform;
}

void View::setAlpha(float alpha) {
    alpha = alpha < 0 ? 0 : (alpha > 1 ? 1 : alpha);
    Animator::shared().propertyWillChange(*this, AnimatedProperty::Alpha, alpha_, alpha);
    alpha_ = alpha;
}

void View::setBackgroundColor(Color color) {
    Animator::shared().propertyWillChange(
        *this, AnimatedProperty::BackgroundColor, backgroundColor_, color);
    backgroundColor_ = color;
}

void View::setContentMode(ContentMode mode) {
    if (mode != contentMode_) {
        contentMode_ = mode;
        setNeedsDisplay();
    }
}

void View::setNeedsDisplay() {
    ++contentVersion_;
}

View::Presentation View::presentation() const {
    Presentation presentation {center_, bounds_, transform_, alpha_, backgroundColor_};
    Animator::shared().present(*this, presentation);
    return presentation;
}

void View::boundsSizeChanged(graphics::Size oldSize) {
    needsLayout_ = true;
    if (contentMode_ == ContentMode::Redraw)
        setNeedsDisplay();
    if (autoresizesSubviews_)
        resizeSubviewsWithOldSize(oldSize);
}

void View::resizeSubviewsWithOldSize(graphics::Size oldSize) {
    auto subviews = subviews_;
    for (auto const& subview : subviews)
        subview->resizeWithOldSuperviewSize(oldSize);
}

namespace {

// Shares delta out among the flexible parts of one axis in proportion to their
// present lengths (evenly when all are zero). Answers the changes of the leading
// margin and of the size.
std::pair<float, float> distribute(float delta, float margin, float size, float trailing,
    bool flexMargin, bool flexSize, bool flexTrailing) {
    float parts[3] = {flexMargin ? std::fmax(margin, 0.0f) : 0,
        flexSize ? std::fmax(size, 0.0f) : 0, flexTrailing ? std::fmax(trailing, 0.0f) : 0};
    int flexible = int(flexMargin) + int(flexSize) + int(flexTrailing);
    if (flexible == 0 || delta == 0)
        return {0, 0};
    float total = parts[0] + parts[1] + parts[2];
    auto share = [&](int i, bool flex) {
        if (!flex)
            return 0.0f;
        return total > 0 ? delta * parts[i] / total : delta / float(flexible);
    };
    return {share(0, flexMargin), share(1, flexSize)};
}

}

void View::resizeWithOldSuperviewSize(graphics::Size oldSize) {
    if (autoresizingMask_ == Autoresizing::None || !superview_)
        return;
    auto newSize = superview_->bounds_.size;
    auto f = frame();
    unsigned m = autoresizingMask_;
    auto [dx, dw] = distribute(newSize.width - oldSize.width, f.origin.x, f.size.width,
        oldSize.width - f.origin.x - f.size.width, m & Autoresizing::FlexibleLeftMargin,
        m & Autoresizing::FlexibleWidth, m & Autoresizing::FlexibleRightMargin);
    auto [dy, dh] = distribute(newSize.height - oldSize.height, f.origin.y, f.size.height,
        oldSize.height - f.origin.y - f.size.height, m & Autoresizing::FlexibleTopMargin,
        m & Autoresizing::FlexibleHeight, m & Autoresizing::FlexibleBottomMargin);
    if (dx == 0 && dw == 0 && dy == 0 && dh == 0)
        return;
    setFrame({{f.origin.x + dx, f.origin.y + dy}, {f.size.width + dw, f.size.height + dh}});
}

graphics::Size View::sizeThatFits(graphics::Size) const {
    return bounds_.size;
}

void View::sizeToFit() {
    auto size = sizeThatFits(bounds_.size);
    auto origin = frame().origin;
    setFrame({origin, size});
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
    if (Animator::shared().blocksInteraction(*this))
        return nullptr;
    auto subviews = subviews_;
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
        View* subview = it->get();
        if (auto hit = subview->hitTest(subview->fromSuperview(point), event))
            return hit;
    }
    return this;
}

graphics::Point View::toSuperview(graphics::Point point) const {
    graphics::Point local {point.x - bounds_.midX(), point.y - bounds_.midY()};
    if (!transform_.isIdentity())
        local = transform_.apply(local);
    return {local.x + center_.x, local.y + center_.y};
}

graphics::Point View::fromSuperview(graphics::Point point) const {
    graphics::Point offset {point.x - center_.x, point.y - center_.y};
    if (!transform_.isIdentity())
        offset = transform_.inverted().apply(offset);
    return {offset.x + bounds_.midX(), offset.y + bounds_.midY()};
}

graphics::Point View::toRoot(graphics::Point point) const {
    for (View const* v = this; v->superview_; v = v->superview_)
        point = v->toSuperview(point);
    return point;
}

graphics::Point View::fromRoot(graphics::Point point) const {
    std::vector<View const*> chain;
    for (View const* v = this; v->superview_; v = v->superview_)
        chain.push_back(v);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        point = (*it)->fromSuperview(point);
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

namespace {

template<typename Convert>
graphics::Rect convertCorners(graphics::Rect const& rect, Convert convert) {
    graphics::Point corners[4]
        = {convert({rect.minX(), rect.minY()}), convert({rect.maxX(), rect.minY()}),
            convert({rect.minX(), rect.maxY()}), convert({rect.maxX(), rect.maxY()})};
    float x0 = corners[0].x, x1 = x0, y0 = corners[0].y, y1 = y0;
    for (auto const& p : corners) {
        x0 = std::fmin(x0, p.x);
        x1 = std::fmax(x1, p.x);
        y0 = std::fmin(y0, p.y);
        y1 = std::fmax(y1, p.y);
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

}

graphics::Rect View::convertRectToView(graphics::Rect rect, View const* view) const {
    return convertCorners(rect, [&](graphics::Point p) { return convertPointToView(p, view); });
}

graphics::Rect View::convertRectFromView(graphics::Rect rect, View const* view) const {
    return convertCorners(rect, [&](graphics::Point p) { return convertPointFromView(p, view); });
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
