#pragma once

#include <base/Ref.hpp>
#include <foundation/Timer.hpp>
#include <ui/EdgeInsets.hpp>
#include <ui/View.hpp>

namespace ui {

// What a scroll view tells its delegate. A drag brings scrollViewWillBeginDragging,
// scrollViewDidScroll for each move, then scrollViewDidEndDragging; when the
// content goes on moving afterwards (a flick, a page to settle on, a stretch past
// the edge to spring back from), scrollViewWillBeginDecelerating, more
// scrollViewDidScroll and scrollViewDidEndDecelerating once it rests. An animated
// setContentOffset ends with scrollViewDidEndScrollingAnimation. Every operation is
// optional.
class ScrollViewDelegate {
public:
    virtual ~ScrollViewDelegate() = default;

    virtual void scrollViewDidScroll(ScrollView&) { }
    virtual void scrollViewWillBeginDragging(ScrollView&) { }
    virtual void scrollViewDidEndDragging(ScrollView&, bool) { }
    virtual void scrollViewWillBeginDecelerating(ScrollView&) { }
    virtual void scrollViewDidEndDecelerating(ScrollView&) { }
    virtual void scrollViewDidEndScrollingAnimation(ScrollView&) { }
};

// A view that shows part of a larger content and moves it under the finger. The
// content offset is the bounds' origin, so subviews placed in content coordinates
// move as it changes. A finger that moves more than a few points along an axis the
// content can move on starts a drag; past the edges the content follows at half
// the finger's speed when it bounces and stops at the edge when it does not. On
// lifting, the content glides on in the direction of the flick (or to the nearest
// page when paging) and comes to rest within the edges. Moving content is timed on
// the run loop's clock, a step each 1/60 s, so tests drive it with a manual clock;
// a new touch stops it where it is. Touches that reach the scroll view (directly or
// passed on by its content) stop there. Main thread only.
class ScrollView : public View {
public:
    static constexpr float DecelerationRateNormal = 0.998f;
    static constexpr float DecelerationRateFast = 0.99f;
    // How far a finger moves before a drag begins.
    static constexpr float DragThreshold = 10;

    static base::Ref<ScrollView> create(graphics::Rect frame = {});

    ~ScrollView() override;

    ScrollViewDelegate* delegate() const { return delegate_; }
    void setDelegate(ScrollViewDelegate* delegate) { delegate_ = delegate; }

    graphics::Point contentOffset() const { return bounds().origin; }
    // Moves the content at once (stopping any motion) or, animated, over
    // TransitionTimer's standard duration. The offset is taken as given.
    void setContentOffset(graphics::Point offset, bool animated = false);
    graphics::Size contentSize() const { return contentSize_; }
    void setContentSize(graphics::Size size) { contentSize_ = size; }
    EdgeInsets contentInset() const { return contentInset_; }
    void setContentInset(EdgeInsets inset) { contentInset_ = inset; }
    EdgeInsets scrollIndicatorInsets() const { return indicatorInsets_; }
    void setScrollIndicatorInsets(EdgeInsets inset) { indicatorInsets_ = inset; }
    // The offsets the content rests between.
    graphics::Point minimumContentOffset() const;
    graphics::Point maximumContentOffset() const;

    bool isPagingEnabled() const { return pagingEnabled_; }
    void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
    bool bounces() const { return bounces_; }
    void setBounces(bool bounces) { bounces_ = bounces; }
    bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
    void setAlwaysBounceVertical(bool always) { alwaysBounceVertical_ = always; }
    bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
    void setAlwaysBounceHorizontal(bool always) { alwaysBounceHorizontal_ = always; }
    bool isScrollEnabled() const { return scrollEnabled_; }
    void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
    bool isDirectionalLockEnabled() const { return directionalLock_; }
    void setDirectionalLockEnabled(bool enabled) { directionalLock_ = enabled; }
    bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
    void setShowsHorizontalScrollIndicator(bool shows) { showsHorizontal_ = shows; }
    bool showsVerticalScrollIndicator() const { return showsVertical_; }
    void setShowsVerticalScrollIndicator(bool shows) { showsVertical_ = shows; }
    bool scrollsToTop() const { return scrollsToTop_; }
    void setScrollsToTop(bool scrolls) { scrollsToTop_ = scrolls; }
    bool delaysContentTouches() const { return delaysContentTouches_; }
    void setDelaysContentTouches(bool delays) { delaysContentTouches_ = delays; }
    bool canCancelContentTouches() const { return canCancelContentTouches_; }
    void setCanCancelContentTouches(bool can) { canCancelContentTouches_ = can; }
    float decelerationRate() const { return decelerationRate_; }
    void setDecelerationRate(float rate);

    // A finger is down on the content / has moved it / the content glides on.
    bool isTracking() const { return tracking_; }
    bool isDragging() const { return dragging_; }
    bool isDecelerating() const { return decelerating_; }

    // Moves the content as little as needed to show rect (in content coordinates).
    void scrollRectToVisible(graphics::Rect rect, bool animated);
    void flashScrollIndicators() { }

    void touchesBegan(TouchSet const& touches, Event* event) override;
    void touchesMoved(TouchSet const& touches, Event* event) override;
    void touchesEnded(TouchSet const& touches, Event* event) override;
    void touchesCancelled(TouchSet const& touches, Event* event) override;

protected:
    // After every change of the offset, before the delegate hears of it.
    virtual void contentOffsetDidChange() { }
    // Whether a finger that went down has started a drag (for subclasses that
    // treat a touch without a drag as a tap).
    bool touchMoved() const { return touchMoved_; }

private:
    struct Sample {
        graphics::Point location;
        double time;
    };

    void moveTo(graphics::Point offset);
    bool canMoveHorizontally() const;
    bool canMoveVertically() const;
    graphics::Point clamped(graphics::Point offset) const;
    graphics::Point restingOffset(graphics::Point velocity) const;
    void endDrag(double time, bool cancelled);
    void animateTo(graphics::Point target, double duration, bool decelerating);
    void step();
    void stopMotion();

    ScrollViewDelegate* delegate_ {nullptr};
    graphics::Size contentSize_;
    EdgeInsets contentInset_;
    EdgeInsets indicatorInsets_;
    float decelerationRate_ {DecelerationRateNormal};
    bool pagingEnabled_ {false};
    bool bounces_ {true};
    bool alwaysBounceVertical_ {false};
    bool alwaysBounceHorizontal_ {false};
    bool scrollEnabled_ {true};
    bool directionalLock_ {false};
    bool showsHorizontal_ {true};
    bool showsVertical_ {true};
    bool scrollsToTop_ {true};
    bool delaysContentTouches_ {true};
    bool canCancelContentTouches_ {true};

    bool tracking_ {false};
    bool dragging_ {false};
    bool touchMoved_ {false};
    bool decelerating_ {false};
    graphics::Point dragStart_;
    graphics::Point offsetAtDragStart_;
    Sample samples_[2] {};
    int sampleCount_ {0};

    base::Ref<foundation::Timer> motion_;
    graphics::Point motionFrom_;
    graphics::Point motionTo_;
    double motionStart_ {0};
    double motionDuration_ {0};

protected:
    friend base::Factory;

    explicit ScrollView(graphics::Rect frame = {});
};

}
