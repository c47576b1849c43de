#pragma once

#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Responder.hpp>

#include <vector>

namespace ui {

// A rectangle on the screen in a tree of views. A view retains its subviews; the
// superview link is not retained. Geometry is kept as the platform keeps it: the
// centre in the superview's coordinates and the bounds in the view's own, with the
// frame derived from both. Subviews are ordered back to front. Main thread only.
class View : public Responder {
public:
    static base::Ref<View> create(graphics::Rect frame = {});

    explicit View(graphics::Rect frame = {});
    ~View() override;

    graphics::Rect frame() const;
    void setFrame(graphics::Rect frame);
    graphics::Rect bounds() const { return bounds_; }
    void setBounds(graphics::Rect bounds);
    graphics::Point center() const { return center_; }
    void setCenter(graphics::Point center) { center_ = center; }

    View* superview() const { return superview_; }
    std::vector<base::Ref<View>> const& subviews() const { return subviews_; }
    // The window at the root of this view's tree, or null when there is none.
    Window* window() const;

    void addSubview(base::Ref<View> view);
    void insertSubviewAtIndex(base::Ref<View> view, std::size_t index);
    void insertSubviewAbove(base::Ref<View> view, View* sibling);
    void insertSubviewBelow(base::Ref<View> view, View* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(View* view);
    void sendSubviewToBack(View* view);
    void exchangeSubviewAtIndex(std::size_t first, std::size_t second);
    bool isDescendantOfView(View const* view) const;
    // This view if its tag matches, else the first match in a depth-first search.
    View* viewWithTag(int tag);

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    float alpha() const { return alpha_; }
    void setAlpha(float alpha) { alpha_ = alpha < 0 ? 0 : (alpha > 1 ? 1 : alpha); }
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
    bool isExclusiveTouch() const { return exclusiveTouch_; }
    void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // The deepest visible, interactive descendant containing point (in this view's
    // coordinates), searching the front-most subviews first; null when the point
    // is outside or this view does not take touches (hidden, alpha under 0.01,
    // interaction off).
    virtual View* hitTest(graphics::Point point, Event* event);
    virtual bool pointInside(graphics::Point point, Event* event) const;

    // Converts between this view's coordinates and another view's of the same
    // window; a null view stands for the window (or the root of the tree).
    graphics::Point convertPointToView(graphics::Point point, View const* view) const;
    graphics::Point convertPointFromView(graphics::Point point, View const* view) const;
    graphics::Rect convertRectToView(graphics::Rect rect, View const* view) const;
    graphics::Rect convertRectFromView(graphics::Rect rect, View const* view) const;

    void setNeedsLayout() { needsLayout_ = true; }
    void layoutIfNeeded();
    virtual void layoutSubviews() { }

    // The view's controller when it is one's view, else the superview.
    Responder* nextResponder() const override;

protected:
    // Notifications of tree changes, in the platform's order: willMoveToSuperview,
    // willMoveToWindow, (the move), didMoveToWindow, didMoveToSuperview; the parent
    // is told didAddSubview after and willRemoveSubview before.
    virtual void willMoveToSuperview(View* newSuperview) { }
    virtual void didMoveToSuperview() { }
    virtual void willMoveToWindow(Window* newWindow) { }
    virtual void didMoveToWindow() { }
    virtual void didAddSubview(View* subview) { }
    virtual void willRemoveSubview(View* subview) { }

private:
    friend class ViewController;

    graphics::Point toRoot(graphics::Point point) const;
    graphics::Point fromRoot(graphics::Point point) const;
    View const* root() const;
    void attach(base::Ref<View> const& view, std::size_t index);
    void detachFromSuperview();
    void notifyWindowChange(Window* newWindow, bool did);
    std::size_t indexOfSubview(View const* view) const;

    View* superview_ {nullptr};
    // The controller whose view this is; it is told when the view changes window.
    ViewController* viewController_ {nullptr};
    std::vector<base::Ref<View>> subviews_;
    graphics::Point center_;
    graphics::Rect bounds_;
    float alpha_ {1};
    int tag_ {0};
    bool hidden_ {false};
    bool opaque_ {true};
    bool userInteractionEnabled_ {true};
    bool multipleTouchEnabled_ {false};
    bool exclusiveTouch_ {false};
    bool needsLayout_ {false};
};

}
