#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Forward.hpp>

#include <functional>
#include <string>

namespace game {

// One step of a view's animation queue (AnimViewManager): a change of a platform
// view's property, animated over the duration when there is one, or a wait, a call
// back, or a flag set at once. The view-animation curves are numbered as the platform
// numbers them (0 ease in and out, 1 ease in, 2 ease out, 3 linear). Main thread.
class AnimViewAction : public base::Object {
public:
    double duration() const { return duration_; }
    void setDuration(double duration) { duration_ = duration; }
    int animationCurve() const { return animationCurve_; }
    void setAnimationCurve(int curve) { animationCurve_ = curve; }
    // Sets the curve and answers the action itself, for use inside an argument list.
    AnimViewAction& setCurve(int curve);

    // Makes the action's change on view; the caller opens the animation block.
    virtual void applyOnView(ui::View& view);
    // What the queue's log line names when applying the action fails.
    virtual std::string description() const;

protected:
    AnimViewAction() = default;

private:
    double duration_ {0};
    int animationCurve_ {3};
};

// Moves the view: its centre to the point, or its frame's origin to the point.
class AnimViewMoveAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewMoveAction> actionWithDuration(
        double duration, graphics::Point point, bool isCenter);
    static base::Ref<AnimViewMoveAction> setCenter(graphics::Point center);
    static base::Ref<AnimViewMoveAction> setOrigin(graphics::Point origin);

    graphics::Point point() const { return point_; }
    bool isCenter() const { return isCenter_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewMoveAction() = default;

    graphics::Point point_;
    bool isCenter_ {false};
};

// Replaces the view's whole transform with a scale; a scale of 0 becomes 0.0001, which
// keeps the transform invertible.
class AnimViewScaleAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewScaleAction> actionWithDuration(double duration, float scale);
    static base::Ref<AnimViewScaleAction> setScale(float scale);

    float scale() const { return scale_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewScaleAction() = default;

    float scale_ {1};
};

// Replaces the view's whole transform with a rotation, in degrees.
class AnimViewRotateAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewRotateAction> actionWithDuration(double duration, float degree);
    static base::Ref<AnimViewRotateAction> setDegree(float degree);

    float degree() const { return degree_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewRotateAction() = default;

    float degree_ {0};
};

class AnimViewFadeAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewFadeAction> actionWithDuration(double duration, float alpha);
    static base::Ref<AnimViewFadeAction> setAlpha(float alpha);

    float alpha() const { return alpha_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewFadeAction() = default;

    float alpha_ {1};
};

// Changes nothing: the queue waits for the duration on a timer.
class AnimViewDelayAction : public AnimViewAction {
public:
    static base::Ref<AnimViewDelayAction> actionWithDuration(double duration);
    std::string description() const override;

protected:
    friend base::Factory;
    AnimViewDelayAction() = default;
};

// Calls back with the view. The target is not held: once it is gone the call is
// skipped and the queue goes on.
class AnimViewCallbackAction final : public AnimViewAction {
public:
    using Selector = std::function<void(ui::View& view)>;
    static base::Ref<AnimViewCallbackAction> setCallbackTarget(
        base::Object* target, Selector selector);

    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewCallbackAction() = default;

    base::WeakRef<base::Object> target_;
    Selector selector_;
};

class AnimViewHiddenAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewHiddenAction> setHidden(bool hidden);

    bool hidden() const { return hidden_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewHiddenAction() = default;

    bool hidden_ {false};
};

// Enables or disables a control; other views are left as they are.
class AnimViewEnableAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewEnableAction> setEnable(bool enable);

    bool enable() const { return enable_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewEnableAction() = default;

    bool enable_ {true};
};

// Sets whether the view takes touches.
class AnimViewInteractAction final : public AnimViewAction {
public:
    static base::Ref<AnimViewInteractAction> setInteract(bool enable);

    bool enable() const { return enable_; }
    void applyOnView(ui::View& view) override;
    std::string description() const override;

private:
    friend base::Factory;
    AnimViewInteractAction() = default;

    bool enable_ {true};
};

}
