#include <game/progression/AnimViewAction.hpp>

#include <foundation/Format.hpp>
#include <ui/Control.hpp>
#include <ui/View.hpp>

#include <numbers>

namespace game {

AnimViewAction& AnimViewAction::setCurve(int curve) {
    animationCurve_ = curve;
    return *this;
}

void AnimViewAction::applyOnView(ui::View&) {
}

std::string AnimViewAction::description() const {
    return foundation::format("<AnimViewAction duration %@>", duration_);
}

base::Ref<AnimViewMoveAction> AnimViewMoveAction::actionWithDuration(
    double duration, graphics::Point point, bool isCenter) {
    auto action = base::make<AnimViewMoveAction>();
    action->setDuration(duration);
    action->point_ = point;
    action->isCenter_ = isCenter;
    return action;
}

base::Ref<AnimViewMoveAction> AnimViewMoveAction::setCenter(graphics::Point center) {
    return actionWithDuration(0, center, true);
}

base::Ref<AnimViewMoveAction> AnimViewMoveAction::setOrigin(graphics::Point origin) {
    return actionWithDuration(0, origin, false);
}

void AnimViewMoveAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    if (isCenter_) {
        view.setCenter(point_);
        return;
    }
    // The centre that puts the frame's origin on the point.
    auto frame = view.frame();
    view.setCenter(graphics::makePoint(
        point_.x + frame.size.width * 0.5f, point_.y + frame.size.height * 0.5f));
}

std::string AnimViewMoveAction::description() const {
    return foundation::format("<AnimViewMoveAction duration %@ %@ (%@, %@)>", duration(),
        isCenter_ ? "center" : "origin", point_.x, point_.y);
}

base::Ref<AnimViewScaleAction> AnimViewScaleAction::actionWithDuration(
    double duration, float scale) {
    auto action = base::make<AnimViewScaleAction>();
    action->setDuration(duration);
    action->scale_ = scale;
    return action;
}

base::Ref<AnimViewScaleAction> AnimViewScaleAction::setScale(float scale) {
    return actionWithDuration(0, scale);
}

void AnimViewScaleAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    float s = scale_ == 0 ? 0.0001f : scale_;
    view.setTransform(graphics::AffineTransform::makeScale(s, s));
}

std::string AnimViewScaleAction::description() const {
    return foundation::format("<AnimViewScaleAction duration %@ scale %@>", duration(), scale_);
}

base::Ref<AnimViewRotateAction> AnimViewRotateAction::actionWithDuration(
    double duration, float degree) {
    auto action = base::make<AnimViewRotateAction>();
    action->setDuration(duration);
    action->degree_ = degree;
    return action;
}

base::Ref<AnimViewRotateAction> AnimViewRotateAction::setDegree(float degree) {
    return actionWithDuration(0, degree);
}

void AnimViewRotateAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    view.setTransform(
        graphics::AffineTransform::makeRotation(float(double(degree_) * std::numbers::pi / 180.0)));
}

std::string AnimViewRotateAction::description() const {
    return foundation::format("<AnimViewRotateAction duration %@ degree %@>", duration(), degree_);
}

base::Ref<AnimViewFadeAction> AnimViewFadeAction::actionWithDuration(double duration, float alpha) {
    auto action = base::make<AnimViewFadeAction>();
    action->setDuration(duration);
    action->alpha_ = alpha;
    return action;
}

base::Ref<AnimViewFadeAction> AnimViewFadeAction::setAlpha(float alpha) {
    return actionWithDuration(0, alpha);
}

void AnimViewFadeAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    view.setAlpha(alpha_);
}

std::string AnimViewFadeAction::description() const {
    return foundation::format("<AnimViewFadeAction duration %@ alpha %@>", duration(), alpha_);
}

base::Ref<AnimViewDelayAction> AnimViewDelayAction::actionWithDuration(double duration) {
    auto action = base::make<AnimViewDelayAction>();
    action->setDuration(duration);
    return action;
}

std::string AnimViewDelayAction::description() const {
    return foundation::format("<AnimViewDelayAction duration %@>", duration());
}

base::Ref<AnimViewCallbackAction> AnimViewCallbackAction::setCallbackTarget(
    base::Object* target, Selector selector) {
    auto action = base::make<AnimViewCallbackAction>();
    action->target_ = target;
    action->selector_ = std::move(selector);
    return action;
}

void AnimViewCallbackAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    // Held for the call, so a target that lets go of itself from the call survives it.
    auto target = target_.strong();
    if (target && selector_)
        selector_(view);
}

std::string AnimViewCallbackAction::description() const {
    return "<AnimViewCallbackAction>";
}

base::Ref<AnimViewHiddenAction> AnimViewHiddenAction::setHidden(bool hidden) {
    auto action = base::make<AnimViewHiddenAction>();
    action->hidden_ = hidden;
    return action;
}

void AnimViewHiddenAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    view.setHidden(hidden_);
}

std::string AnimViewHiddenAction::description() const {
    return foundation::format("<AnimViewHiddenAction hidden %@>", hidden_);
}

base::Ref<AnimViewEnableAction> AnimViewEnableAction::setEnable(bool enable) {
    auto action = base::make<AnimViewEnableAction>();
    action->enable_ = enable;
    return action;
}

void AnimViewEnableAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    if (auto* control = dynamic_cast<ui::Control*>(&view))
        control->setEnabled(enable_);
}

std::string AnimViewEnableAction::description() const {
    return foundation::format("<AnimViewEnableAction enable %@>", enable_);
}

base::Ref<AnimViewInteractAction> AnimViewInteractAction::setInteract(bool enable) {
    auto action = base::make<AnimViewInteractAction>();
    action->enable_ = enable;
    return action;
}

void AnimViewInteractAction::applyOnView(ui::View& view) {
    AnimViewAction::applyOnView(view);
    view.setUserInteractionEnabled(enable_);
}

std::string AnimViewInteractAction::description() const {
    return foundation::format("<AnimViewInteractAction enable %@>", enable_);
}

}
