#include <engine/EaseAction.hpp>

#include <cmath>

namespace engine {

namespace {

constexpr float pi = 3.1415927f;
constexpr float halfPi = 1.5707964f;

float durationOf(IntervalAction const* action) {
    VERIFY_MSG(action, "Ease: arguments must be non-nil");
    return action->duration();
}

}

// EaseAction

base::Ref<EaseAction> EaseAction::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<EaseAction>(std::move(action));
}

EaseAction::EaseAction(base::Ref<IntervalAction> action)
    : IntervalAction(durationOf(action.get()))
    , other(std::move(action)) {
}

EaseAction::~EaseAction() = default;

base::Ref<EaseAction> EaseAction::wrap(base::Ref<IntervalAction> action) const {
    return EaseAction::actionWithAction(std::move(action));
}

base::Ref<Action> EaseAction::copy() const {
    return wrap(copyOf(*other));
}

void EaseAction::start() {
    IntervalAction::start();
    other->setTarget(target());
    other->start();
}

void EaseAction::updateInner(float eased) {
    base::Ref<IntervalAction> inner = other;
    inner->update(eased);
}

void EaseAction::update(float t) {
    updateInner(t);
}

base::Ref<FiniteTimeAction> EaseAction::reverse() {
    return wrap(intervalReverse(*other));
}

// EaseRateAction

base::Ref<EaseRateAction> EaseRateAction::actionWithAction(
    base::Ref<IntervalAction> action, float rate) {
    return base::make<EaseRateAction>(std::move(action), rate);
}

EaseRateAction::EaseRateAction(base::Ref<IntervalAction> action, float rate)
    : EaseAction(std::move(action))
    , rate_(rate) {
}

base::Ref<EaseAction> EaseRateAction::wrap(base::Ref<IntervalAction> action) const {
    return EaseRateAction::actionWithAction(std::move(action), rate_);
}

base::Ref<FiniteTimeAction> EaseRateAction::reverse() {
    auto reversed = base::ref_cast<EaseRateAction>(EaseAction::reverse());
    reversed->setRate(1 / rate_);
    return reversed;
}

// EaseIn, EaseOut, EaseInOut

base::Ref<EaseIn> EaseIn::actionWithAction(base::Ref<IntervalAction> action, float rate) {
    return base::make<EaseIn>(std::move(action), rate);
}

EaseIn::EaseIn(base::Ref<IntervalAction> action, float rate)
    : EaseRateAction(std::move(action), rate) {
}

base::Ref<EaseAction> EaseIn::wrap(base::Ref<IntervalAction> action) const {
    return EaseIn::actionWithAction(std::move(action), rate_);
}

void EaseIn::update(float t) {
    updateInner(std::pow(t, rate_));
}

base::Ref<EaseOut> EaseOut::actionWithAction(base::Ref<IntervalAction> action, float rate) {
    return base::make<EaseOut>(std::move(action), rate);
}

EaseOut::EaseOut(base::Ref<IntervalAction> action, float rate)
    : EaseRateAction(std::move(action), rate) {
}

base::Ref<EaseAction> EaseOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseOut::actionWithAction(std::move(action), rate_);
}

void EaseOut::update(float t) {
    updateInner(std::pow(t, 1 / rate_));
}

base::Ref<EaseInOut> EaseInOut::actionWithAction(base::Ref<IntervalAction> action, float rate) {
    return base::make<EaseInOut>(std::move(action), rate);
}

EaseInOut::EaseInOut(base::Ref<IntervalAction> action, float rate)
    : EaseRateAction(std::move(action), rate) {
}

base::Ref<EaseAction> EaseInOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseInOut::actionWithAction(std::move(action), rate_);
}

void EaseInOut::update(float t) {
    // An even power of the negative base comes out positive: the sign folds it
    // back below 1. The rate's whole part decides, as an integer's parity would.
    float sign = std::fmod(std::trunc(rate_), 2.0f) != 0 ? 1 : -1;
    float u = t * 2;
    if (u < 1)
        updateInner(0.5f * std::pow(u, rate_));
    else
        updateInner(sign * 0.5f * (std::pow(u - 2, rate_) + sign * 2));
}

base::Ref<FiniteTimeAction> EaseInOut::reverse() {
    return wrap(intervalReverse(*other));
}

// The exponential eases

base::Ref<EaseExponentialIn> EaseExponentialIn::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<EaseExponentialIn>(std::move(action));
}

EaseExponentialIn::EaseExponentialIn(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseExponentialIn::wrap(base::Ref<IntervalAction> action) const {
    return EaseExponentialIn::actionWithAction(std::move(action));
}

void EaseExponentialIn::update(float t) {
    updateInner(t == 0 ? 0 : std::exp2(10 * (t - 1)) - 0.001f);
}

base::Ref<FiniteTimeAction> EaseExponentialIn::reverse() {
    return EaseExponentialOut::actionWithAction(intervalReverse(*other));
}

base::Ref<EaseExponentialOut> EaseExponentialOut::actionWithAction(
    base::Ref<IntervalAction> action) {
    return base::make<EaseExponentialOut>(std::move(action));
}

EaseExponentialOut::EaseExponentialOut(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseExponentialOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseExponentialOut::actionWithAction(std::move(action));
}

void EaseExponentialOut::update(float t) {
    updateInner(t == 1 ? 1 : 1 - std::exp2(-10 * t));
}

base::Ref<FiniteTimeAction> EaseExponentialOut::reverse() {
    return EaseExponentialIn::actionWithAction(intervalReverse(*other));
}

base::Ref<EaseExponentialInOut> EaseExponentialInOut::actionWithAction(
    base::Ref<IntervalAction> action) {
    return base::make<EaseExponentialInOut>(std::move(action));
}

EaseExponentialInOut::EaseExponentialInOut(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseExponentialInOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseExponentialInOut::actionWithAction(std::move(action));
}

void EaseExponentialInOut::update(float t) {
    float u = t * 2;
    if (u < 1)
        updateInner(0.5f * std::exp2(10 * (u - 1)));
    else
        updateInner(0.5f * (2 - std::exp2(-10 * (u - 1))));
}

// The sine eases

base::Ref<EaseSineIn> EaseSineIn::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<EaseSineIn>(std::move(action));
}

EaseSineIn::EaseSineIn(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseSineIn::wrap(base::Ref<IntervalAction> action) const {
    return EaseSineIn::actionWithAction(std::move(action));
}

void EaseSineIn::update(float t) {
    updateInner(1 - std::cos(t * halfPi));
}

base::Ref<FiniteTimeAction> EaseSineIn::reverse() {
    return EaseSineOut::actionWithAction(intervalReverse(*other));
}

base::Ref<EaseSineOut> EaseSineOut::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<EaseSineOut>(std::move(action));
}

EaseSineOut::EaseSineOut(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseSineOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseSineOut::actionWithAction(std::move(action));
}

void EaseSineOut::update(float t) {
    updateInner(std::sin(t * halfPi));
}

base::Ref<FiniteTimeAction> EaseSineOut::reverse() {
    return EaseSineIn::actionWithAction(intervalReverse(*other));
}

base::Ref<EaseSineInOut> EaseSineInOut::actionWithAction(base::Ref<IntervalAction> action) {
    return base::make<EaseSineInOut>(std::move(action));
}

EaseSineInOut::EaseSineInOut(base::Ref<IntervalAction> action)
    : EaseAction(std::move(action)) {
}

base::Ref<EaseAction> EaseSineInOut::wrap(base::Ref<IntervalAction> action) const {
    return EaseSineInOut::actionWithAction(std::move(action));
}

void EaseSineInOut::update(float t) {
    updateInner(-0.5f * (std::cos(pi * t) - 1));
}

}
