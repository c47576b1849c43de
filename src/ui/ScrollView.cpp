#include <base/Verify.hpp>
#include <foundation/Clock.hpp>
#include <ui/ScrollView.hpp>
#include <ui/Touch.hpp>
#include <ui/TransitionTimer.hpp>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

double const frameInterval = 1.0 / 60;
// A finger that rested this long before lifting flicks nothing.
double const restBeforeLift = 0.1;
// Flicks slower than this (points a second) stay on their page.
float const pageFlickSpeed = 200;

double now() {
    return foundation::Clock::current().monotonic();
}

float towards(float from, float to, float fraction) {
    return from + (to - from) * fraction;
}

}

base::Ref<ScrollView> ScrollView::create(graphics::Rect frame) {
    return base::make<ScrollView>(frame);
}

ScrollView::ScrollView(graphics::Rect frame)
    : View(frame) {
}

ScrollView::~ScrollView() {
    if (motion_)
        motion_->invalidate();
}

void ScrollView::setDecelerationRate(float rate) {
    decelerationRate_ = std::clamp(rate, 0.0f, 0.999f);
}

graphics::Point ScrollView::minimumContentOffset() const {
    return {-contentInset_.left, -contentInset_.top};
}

graphics::Point ScrollView::maximumContentOffset() const {
    auto size = bounds().size;
    auto min = minimumContentOffset();
    return {std::max(min.x, contentSize_.width + contentInset_.right - size.width),
        std::max(min.y, contentSize_.height + contentInset_.bottom - size.height)};
}

bool ScrollView::canMoveHorizontally() const {
    return scrollEnabled_
        && (maximumContentOffset().x > minimumContentOffset().x
            || (bounces_ && alwaysBounceHorizontal_));
}

bool ScrollView::canMoveVertically() const {
    return scrollEnabled_
        && (maximumContentOffset().y > minimumContentOffset().y
            || (bounces_ && alwaysBounceVertical_));
}

graphics::Point ScrollView::clamped(graphics::Point offset) const {
    auto min = minimumContentOffset();
    auto max = maximumContentOffset();
    return {std::clamp(offset.x, min.x, max.x), std::clamp(offset.y, min.y, max.y)};
}

void ScrollView::moveTo(graphics::Point offset) {
    auto b = bounds();
    if (b.origin == offset)
        return;
    base::Ref<ScrollView> keep(this);
    b.origin = offset;
    setBounds(b);
    contentOffsetDidChange();
    if (delegate_)
        delegate_->scrollViewDidScroll(*this);
}

void ScrollView::setContentOffset(graphics::Point offset, bool animated) {
    stopMotion();
    if (animated)
        animateTo(offset, TransitionTimer::StandardDuration, false);
    else
        moveTo(offset);
}

void ScrollView::scrollRectToVisible(graphics::Rect rect, bool animated) {
    auto visible = bounds();
    auto offset = visible.origin;
    if (rect.minX() < visible.minX())
        offset.x = rect.minX();
    else if (rect.maxX() > visible.maxX())
        offset.x = std::min(rect.minX(), rect.maxX() - visible.size.width);
    if (rect.minY() < visible.minY())
        offset.y = rect.minY();
    else if (rect.maxY() > visible.maxY())
        offset.y = std::min(rect.minY(), rect.maxY() - visible.size.height);
    offset = clamped(offset);
    if (offset != visible.origin)
        setContentOffset(offset, animated);
}

void ScrollView::stopMotion() {
    if (motion_)
        std::exchange(motion_, nullptr)->invalidate();
    decelerating_ = false;
}

void ScrollView::animateTo(graphics::Point target, double duration, bool decelerating) {
    stopMotion();
    motionFrom_ = contentOffset();
    motionTo_ = target;
    motionStart_ = now();
    motionDuration_ = duration;
    decelerating_ = decelerating;
    // The timer holds this view only through the pointer; the destructor stops it.
    motion_ = foundation::Timer::scheduledTimer(
        frameInterval, [this](foundation::Timer&) { step(); }, true);
}

void ScrollView::step() {
    base::Ref<ScrollView> keep(this);
    double t = motionDuration_ > 0 ? std::min(1.0, (now() - motionStart_) / motionDuration_) : 1;
    // Quick at first, slowing to rest.
    float eased = float(1 - std::pow(1 - t, 3));
    moveTo(
        {towards(motionFrom_.x, motionTo_.x, eased), towards(motionFrom_.y, motionTo_.y, eased)});
    if (t < 1 || !motion_)
        return;
    bool wasDecelerating = decelerating_;
    stopMotion();
    if (!delegate_)
        return;
    if (wasDecelerating)
        delegate_->scrollViewDidEndDecelerating(*this);
    else
        delegate_->scrollViewDidEndScrollingAnimation(*this);
}

void ScrollView::touchesBegan(TouchSet const& touches, Event*) {
    auto touch = touches.anyObject();
    if (!touch)
        return;
    stopMotion();
    tracking_ = true;
    dragging_ = false;
    touchMoved_ = false;
    dragStart_ = touch->locationInView(nullptr);
    offsetAtDragStart_ = contentOffset();
    samples_[0] = {dragStart_, touch->timestamp()};
    sampleCount_ = 1;
}

void ScrollView::touchesMoved(TouchSet const& touches, Event*) {
    auto touch = touches.anyObject();
    if (!touch || !tracking_)
        return;
    base::Ref<ScrollView> keep(this);
    auto at = touch->locationInView(nullptr);
    bool horizontal = canMoveHorizontally();
    bool vertical = canMoveVertically();
    if (!dragging_) {
        auto moved = at - dragStart_;
        if ((horizontal && std::fabs(moved.x) > DragThreshold)
            || (vertical && std::fabs(moved.y) > DragThreshold)) {
            dragging_ = true;
            touchMoved_ = true;
            // The content follows from here, without jumping by the threshold.
            dragStart_ = at;
            offsetAtDragStart_ = contentOffset();
            if (delegate_)
                delegate_->scrollViewWillBeginDragging(*this);
        } else {
            if (std::fabs(moved.x) > DragThreshold || std::fabs(moved.y) > DragThreshold)
                touchMoved_ = true;
            return;
        }
    }
    if (!tracking_)
        return;
    auto moved = at - dragStart_;
    if (directionalLock_) {
        if (std::fabs(moved.x) > std::fabs(moved.y))
            moved.y = 0;
        else
            moved.x = 0;
    }
    graphics::Point raw {horizontal ? offsetAtDragStart_.x - moved.x : offsetAtDragStart_.x,
        vertical ? offsetAtDragStart_.y - moved.y : offsetAtDragStart_.y};
    auto limit = clamped(raw);
    graphics::Point offset = bounces_ ? limit + (raw - limit) * 0.5f : limit;
    if (sampleCount_ == 2)
        samples_[0] = samples_[1];
    samples_[sampleCount_ == 2 ? 1 : sampleCount_++] = {at, touch->timestamp()};
    moveTo(offset);
}

void ScrollView::touchesEnded(TouchSet const& touches, Event*) {
    auto touch = touches.anyObject();
    endDrag(touch ? touch->timestamp() : 0, false);
}

void ScrollView::touchesCancelled(TouchSet const&, Event*) {
    endDrag(0, true);
}

void ScrollView::endDrag(double time, bool cancelled) {
    if (!tracking_)
        return;
    tracking_ = false;
    if (!dragging_)
        return;
    dragging_ = false;
    base::Ref<ScrollView> keep(this);
    graphics::Point velocity;
    if (!cancelled && sampleCount_ == 2) {
        auto const& [p0, t0] = samples_[0];
        auto const& [p1, t1] = samples_[1];
        if (t1 > t0 && time - t1 <= restBeforeLift) {
            float dt = float(t1 - t0);
            // The content moves against the finger.
            velocity = {canMoveHorizontally() ? -(p1.x - p0.x) / dt : 0,
                canMoveVertically() ? -(p1.y - p0.y) / dt : 0};
        }
    }
    auto target = restingOffset(velocity);
    auto offset = contentOffset();
    bool willDecelerate
        = std::fabs(target.x - offset.x) > 0.5f || std::fabs(target.y - offset.y) > 0.5f;
    if (delegate_)
        delegate_->scrollViewDidEndDragging(*this, willDecelerate);
    if (!willDecelerate) {
        moveTo(target);
        return;
    }
    if (delegate_)
        delegate_->scrollViewWillBeginDecelerating(*this);
    double duration = TransitionTimer::StandardDuration;
    if (!pagingEnabled_) {
        float speed = std::hypot(velocity.x, velocity.y);
        duration += std::min(1.7, double(speed) / 2000);
    }
    animateTo(target, duration, true);
}

graphics::Point ScrollView::restingOffset(graphics::Point velocity) const {
    auto offset = contentOffset();
    if (pagingEnabled_) {
        auto size = bounds().size;
        auto page = [&](float at, float start, float length, float speed) {
            if (length <= 0)
                return at;
            float index = std::round(at / length);
            if (speed > pageFlickSpeed)
                index = std::floor(start / length) + 1;
            else if (speed < -pageFlickSpeed)
                index = std::ceil(start / length) - 1;
            return index * length;
        };
        offset = {page(offset.x, offsetAtDragStart_.x, size.width, velocity.x),
            page(offset.y, offsetAtDragStart_.y, size.height, velocity.y)};
        return clamped(offset);
    }
    // Where the content would come to rest slowing by the deceleration rate each
    // millisecond.
    float glide = decelerationRate_ / (1 - decelerationRate_) / 1000;
    return clamped(offset + velocity * glide);
}

}
