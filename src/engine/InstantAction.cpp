#include <engine/InstantAction.hpp>
#include <engine/SceneNode.hpp>

namespace engine {

// InstantAction

base::Ref<Action> InstantAction::copy() const {
    return base::make<InstantAction>();
}

void InstantAction::step(float) {
    update(1);
}

base::Ref<FiniteTimeAction> InstantAction::reverse() {
    return copyOf<FiniteTimeAction>(*this);
}

// Show, Hide, ToggleVisibility

base::Ref<Show> Show::action() {
    return base::make<Show>();
}

base::Ref<Action> Show::copy() const {
    return Show::action();
}

void Show::start() {
    InstantAction::start();
    if (target())
        target()->setVisible(true);
}

base::Ref<FiniteTimeAction> Show::reverse() {
    return Hide::action();
}

base::Ref<Hide> Hide::action() {
    return base::make<Hide>();
}

base::Ref<Action> Hide::copy() const {
    return Hide::action();
}

void Hide::start() {
    InstantAction::start();
    if (target())
        target()->setVisible(false);
}

base::Ref<FiniteTimeAction> Hide::reverse() {
    return Show::action();
}

base::Ref<ToggleVisibility> ToggleVisibility::action() {
    return base::make<ToggleVisibility>();
}

base::Ref<Action> ToggleVisibility::copy() const {
    return ToggleVisibility::action();
}

void ToggleVisibility::start() {
    InstantAction::start();
    if (target())
        target()->setVisible(!target()->visible());
}

// Place

base::Ref<Place> Place::actionWithPosition(Point position) {
    return base::make<Place>(position);
}

Place::Place(Point point)
    : position(point) {
}

base::Ref<Action> Place::copy() const {
    return Place::actionWithPosition(position);
}

void Place::start() {
    InstantAction::start();
    if (target())
        target()->setPosition(position);
}

// CallFunc

base::Ref<CallFunc> CallFunc::actionWithTarget(base::Object* target, Function selector) {
    return base::make<CallFunc>(target, std::move(selector));
}

CallFunc::CallFunc(base::Object* target, Function function)
    : targetCallback_(target)
    , selector(std::move(function)) {
}

CallFunc::CallFunc(base::Object* target)
    : targetCallback_(target) {
}

base::Ref<Action> CallFunc::copy() const {
    return CallFunc::actionWithTarget(targetCallback_.get(), selector);
}

void CallFunc::start() {
    InstantAction::start();
    // The callback may release the last outside reference to this action (by
    // stopping it) or to its target object; both stay alive until it returns.
    base::Ref<CallFunc> self(this);
    base::Ref<base::Object> callbackTarget = targetCallback_;
    execute();
}

void CallFunc::execute() {
    if (targetCallback_ && selector)
        selector();
}

// CallFuncN

base::Ref<CallFuncN> CallFuncN::actionWithTarget(base::Object* target, Function selector) {
    return base::make<CallFuncN>(target, std::move(selector));
}

CallFuncN::CallFuncN(base::Object* target, Function function)
    : CallFunc(target)
    , selector(std::move(function)) {
}

CallFuncN::CallFuncN(base::Object* target)
    : CallFunc(target) {
}

base::Ref<Action> CallFuncN::copy() const {
    return CallFuncN::actionWithTarget(targetCallback_.get(), selector);
}

void CallFuncN::execute() {
    if (targetCallback_ && selector)
        selector(target());
}

// CallFuncND

base::Ref<CallFuncND> CallFuncND::actionWithTarget(
    base::Object* target, Function selector, void* data) {
    return base::make<CallFuncND>(target, std::move(selector), data);
}

CallFuncND::CallFuncND(base::Object* target, Function function, void* data)
    : CallFuncN(target)
    , selector(std::move(function))
    , data_(data) {
}

base::Ref<Action> CallFuncND::copy() const {
    return CallFuncND::actionWithTarget(targetCallback_.get(), selector, data_);
}

void CallFuncND::execute() {
    if (targetCallback_ && selector)
        selector(target(), data_);
}

}
