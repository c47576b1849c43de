#pragma once

#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>
#include <ui/Layer.hpp>
#include <ui/Responder.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class GraphicsContext;

// How a view's content fills its bounds, numbered as the platform numbers them.
enum class ContentMode {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

// The bits of a view's autoresizing mask: which of its margins and sizes follow a change
// of its superview's size.
namespace Autoresizing {
inline constexpr unsigned None = 0;
inline constexpr unsigned FlexibleLeftMargin = 1 << 0;
inline constexpr unsigned FlexibleWidth = 1 << 1;
inline constexpr unsigned FlexibleRightMargin = 1 << 2;
inline constexpr unsigned FlexibleTopMargin = 1 << 3;
inline constexpr unsigned FlexibleHeight = 1 << 4;
inline constexpr unsigned FlexibleBottomMargin = 1 << 5;
}

// The pace of a view animation, numbered as the platform numbers them.
enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// The page transitions of the begin/commit animation form, numbered as the platform
// numbers them.
enum class AnimationTransition {
    None = 0,
    FlipFromLeft = 1,
    FlipFromRight = 2,
    CurlUp = 3,
    CurlDown = 4
};

// The option bits of the block animation form, with the platform's values.
namespace AnimationOptions {
inline constexpr unsigned LayoutSubviews = 1 << 0;
inline constexpr unsigned AllowUserInteraction = 1 << 1;
inline constexpr unsigned BeginFromCurrentState = 1 << 2;
inline constexpr unsigned Repeat = 1 << 3;
inline constexpr unsigned Autoreverse = 1 << 4;
inline constexpr unsigned OverrideInheritedDuration = 1 << 5;
inline constexpr unsigned OverrideInheritedCurve = 1 << 6;
inline constexpr unsigned AllowAnimatedContent = 1 << 7;
inline constexpr unsigned ShowHideTransitionViews = 1 << 8;
inline constexpr unsigned CurveEaseInOut = 0 << 16;
inline constexpr unsigned CurveEaseIn = 1 << 16;
inline constexpr unsigned CurveEaseOut = 2 << 16;
inline constexpr unsigned CurveLinear = 3 << 16;
inline constexpr unsigned TransitionNone = 0 << 20;
inline constexpr unsigned TransitionFlipFromLeft = 1 << 20;
inline constexpr unsigned TransitionFlipFromRight = 2 << 20;
inline constexpr unsigned TransitionCurlUp = 3 << 20;
inline constexpr unsigned TransitionCurlDown = 4 << 20;
inline constexpr unsigned TransitionCrossDissolve = 5 << 20;
}

// A rectangle on the screen in a tree of views. A view retains its subviews; the
// superview link is not retained. Geometry is kept as the platform keeps it: the
// centre in the superview's coordinates, the bounds in the view's own and a transform
// about the centre, with the frame derived from all three (the bounding box of the
// transformed bounds). Subviews are ordered back to front. Main thread only.
//
// Appearance (background colour, alpha, transform, corner radius, border) is drawn by
// the view renderer; a subclass draws its own content in drawRect, which the renderer
// calls again after setNeedsDisplay or a change of size and otherwise reuses.
//
// Animations: the animatable properties (frame, bounds, center, transform, alpha,
// backgroundColor) changed between beginAnimations and commitAnimations, or inside the
// block of animateWithDuration, take their new value at once (the model value) while
// presentation() (what is drawn) moves from the old value to the new one over the
// animation's time on the clock. Callbacks arrive from the main run loop, never inside
// the call that committed the animation.
class View : public Responder {
public:
    static base::Ref<View> create(graphics::Rect frame = {});

    ~View() override;

    // --- geometry ---
    graphics::Rect frame() const;
    // With a transform other than the identity the new frame is met by moving the
    // centre and, for transforms that only scale or turn by quarter turns, by sizing the
    // bounds so that the transformed bounds fill it; other transforms keep the size.
    void setFrame(graphics::Rect frame);
    graphics::Rect bounds() const { return bounds_; }
    void setBounds(graphics::Rect bounds);
    graphics::Point center() const { return center_; }
    void setCenter(graphics::Point center);
    graphics::AffineTransform transform() const { return transform_; }
    void setTransform(graphics::AffineTransform transform);

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

    // --- appearance ---
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    float alpha() const { return alpha_; }
    // Clamped to 0 to 1.
    void setAlpha(float alpha);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    // Clear (drawing nothing) unless set.
    Color backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(Color color);
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    // The corner radius, border and animations of the view's drawing.
    Layer& layer() { return layer_; }
    Layer const& layer() const { return layer_; }

    // --- autoresizing and layout ---
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
    // On by default: a change of this view's bounds size moves and sizes the subviews as
    // their masks say.
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }
    // The size that suits the content within size; the current size by default.
    virtual graphics::Size sizeThatFits(graphics::Size size) const;
    // Resizes the bounds to sizeThatFits of the current size, keeping the frame's origin.
    void sizeToFit();

    void setNeedsLayout() { needsLayout_ = true; }
    void layoutIfNeeded();
    virtual void layoutSubviews() { }

    // --- touches ---
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
    // interaction off, or moving in a block animation that does not allow it).
    // Points reach subviews through their transforms.
    virtual View* hitTest(graphics::Point point, Event* event);
    virtual bool pointInside(graphics::Point point, Event* event) const;

    // Converts between this view's coordinates and another view's of the same
    // window, through every frame, bounds origin and transform on the way; a null view
    // stands for the window (or the root of the tree). Rectangles become the bounding
    // box of their converted corners.
    graphics::Point convertPointToView(graphics::Point point, View const* view) const;
    graphics::Point convertPointFromView(graphics::Point point, View const* view) const;
    graphics::Rect convertRectToView(graphics::Rect rect, View const* view) const;
    graphics::Rect convertRectFromView(graphics::Rect rect, View const* view) const;

    // The view's controller when it is one's view, else the superview.
    Responder* nextResponder() const override;

    // --- drawing ---
    // Asks for drawRect to run again before the view is next drawn.
    void setNeedsDisplay();
    // Changes whenever the drawn content changes; the renderer keeps a view's bitmap
    // while it stays the same. Views whose content moves by itself (animated images,
    // spinners) fold their current frame in.
    virtual std::uint64_t contentVersion() const { return contentVersion_; }
    // Draws the view's content (not its background or border, which the renderer draws)
    // into context, in the view's own coordinates: the context covers the bounds, and rect
    // (the area to draw) is the whole bounds. Nothing by default.
    virtual void drawRect(GraphicsContext&, graphics::Rect) { }
    // True for a view that draws itself with OpenGL straight into the framebuffer
    // before the other views are drawn (the engine's drawing surface): the renderer
    // draws none of its own content then, only its subviews over it.
    virtual bool drawsWithGL() const { return false; }
    // A number no other view of the process has, for caches keyed by view.
    std::uint64_t serialNumber() const { return serialNumber_; }

    // --- presentation ---
    // What is on screen now: the model values with the running animations applied at
    // the clock's current time.
    struct Presentation {
        graphics::Point center;
        graphics::Rect bounds;
        graphics::AffineTransform transform;
        float alpha {1};
        Color backgroundColor;

        graphics::Rect frame() const;
    };
    Presentation presentation() const;

    // --- animations, begin/commit form ---
    // Opens an animation block; the animatable properties set until the matching
    // commitAnimations animate with its settings. Blocks nest; each commit starts its
    // own block's animations. animationID and context come back to the callbacks.
    static void beginAnimations(std::string animationID = {}, void* context = nullptr);
    static void commitAnimations();
    // Settings of the innermost open block (ignored when none is open). Defaults:
    // 0.2 s, no delay, ease in and out, one run, not from the current state.
    static void setAnimationDuration(double duration);
    static void setAnimationDelay(double delay);
    static void setAnimationStartDate(double monotonicTime);
    static void setAnimationCurve(AnimationCurve curve);
    // 0 or 1 runs once; fractions stop part way; infinity repeats for ever.
    static void setAnimationRepeatCount(float count);
    static void setAnimationRepeatAutoreverses(bool autoreverses);
    // Start from what is on screen rather than from the model value, so an animation
    // that replaces a running one continues from where that one is.
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    // The delegate is retained until the block's did-stop call, so the callbacks may
    // capture it.
    static void setAnimationDelegate(base::Object* delegate);
    using WillStartSelector = std::function<void(std::string const& animationID, void* context)>;
    using DidStopSelector
        = std::function<void(std::string const& animationID, bool finished, void* context)>;
    // Called when the animations begin, after the delay.
    static void setAnimationWillStartSelector(WillStartSelector selector);
    // Called once every animation of the block has ended: finished is true when all
    // ran to their end, false when any was removed early (replaced by a new animation
    // of the same property of the same view, or removed from the layer).
    static void setAnimationDidStopSelector(DidStopSelector selector);
    // Runs a page transition on view (flip or curl) as part of the block.
    static void setAnimationTransition(AnimationTransition transition, View* view, bool cache);
    // When off, property changes inside blocks take effect without animating; the
    // blocks' callbacks still come.
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();

    // --- animations, block form ---
    using Animations = std::function<void()>;
    using Completion = std::function<void(bool finished)>;
    // Runs animations as a block with these settings: curve, repetition, starting from
    // the current state and page transitions come from options. Unless options allow
    // it, the animated views take no touches until the animation ends. completion
    // (which may be empty) is called as a did-stop selector is.
    static void animateWithDuration(double duration, double delay, unsigned options,
        Animations const& animations, Completion completion);
    static void animateWithDuration(
        double duration, Animations const& animations, Completion completion = {});
    // A page transition of view (flip, curl or cross-dissolve from options) while
    // animations changes it; its property changes are not animated one by one unless
    // options allow animated content.
    static void transitionWithView(View* view, double duration, unsigned options,
        Animations const& animations, Completion completion);
    // Replaces fromView by toView in fromView's superview (or, with
    // ShowHideTransitionViews, hides the one and shows the other) with a page
    // transition of the superview.
    static void transitionFromView(
        View* fromView, View* toView, double duration, unsigned options, Completion completion);

protected:
    // Notifications of tree changes, in the platform's order: willMoveToSuperview,
    // willMoveToWindow, (the move), didMoveToWindow, didMoveToSuperview; the parent
    // is told didAddSubview after and willRemoveSubview before.
    virtual void willMoveToSuperview(View*) { }
    virtual void didMoveToSuperview() { }
    virtual void willMoveToWindow(Window*) { }
    virtual void didMoveToWindow() { }
    virtual void didAddSubview(View*) { }
    virtual void willRemoveSubview(View*) { }

    // Moves and sizes the subviews by their autoresizing masks after this view's
    // bounds size changed from oldSize.
    virtual void resizeSubviewsWithOldSize(graphics::Size oldSize);
    void resizeWithOldSuperviewSize(graphics::Size oldSize);

private:
    friend class ViewController;

    // From the superview's coordinates to this view's, and back.
    graphics::Point fromSuperview(graphics::Point point) const;
    graphics::Point toSuperview(graphics::Point point) const;
    graphics::Point toRoot(graphics::Point point) const;
    graphics::Point fromRoot(graphics::Point point) const;
    View const* root() const;
    void attach(base::Ref<View> const& view, std::size_t index);
    void detachFromSuperview();
    void notifyWindowChange(Window* newWindow, bool did);
    std::size_t indexOfSubview(View const* view) const;
    void boundsSizeChanged(graphics::Size oldSize);

    View* superview_ {nullptr};
    // The controller whose view this is; it is told when the view changes window.
    ViewController* viewController_ {nullptr};
    std::vector<base::Ref<View>> subviews_;
    graphics::Point center_;
    graphics::Rect bounds_;
    graphics::AffineTransform transform_;
    Color backgroundColor_ {Color::clearColor()};
    Layer layer_ {*this};
    std::uint64_t serialNumber_;
    std::uint64_t contentVersion_ {0};
    float alpha_ {1};
    int tag_ {0};
    unsigned autoresizingMask_ {Autoresizing::None};
    ContentMode contentMode_ {ContentMode::ScaleToFill};
    bool hidden_ {false};
    bool opaque_ {true};
    bool clipsToBounds_ {false};
    bool autoresizesSubviews_ {true};
    bool userInteractionEnabled_ {true};
    bool multipleTouchEnabled_ {false};
    bool exclusiveTouch_ {false};
    bool needsLayout_ {false};

protected:
    friend base::Factory;

    explicit View(graphics::Rect frame = {});
};

}
