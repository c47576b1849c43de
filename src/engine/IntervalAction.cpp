#include <base/Exception.hpp>
#include <engine/FrameSettable.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

// Stands for a duration of zero, so that progress is always a division.
constexpr float zeroDuration = 1e-8f;
constexpr float pi = 3.1415927f;

// Truncated toward zero and kept within a byte: progress outside 0..1 (from an
// ease action) must not turn into an out-of-range conversion.
std::uint8_t clampedByte(float value) {
    if (!(value > 0))
        return 0;
    if (value >= 255)
        return 255;
    return static_cast<std::uint8_t>(value);
}

// Truncated toward zero and reduced to 8 bits, as a colour channel stores it.
std::uint8_t wrappedByte(float value) {
    if (!std::isfinite(value) || std::fabs(value) > 65535)
        return 0;
    return static_cast<std::uint8_t>(static_cast<int>(value) & 0xFF);
}

RGBAProtocol* rgbaOf(SceneNode* node) {
    return dynamic_cast<RGBAProtocol*>(node);
}

Point negated(Point p) {
    return {-p.x, -p.y};
}

}

// IntervalAction

base::Ref<IntervalAction> IntervalAction::action() {
    throw base::Exception("IntervalActionInit", "Init not supported. Use InitWithDuration");
}

base::Ref<IntervalAction> IntervalAction::actionWithDuration(float duration) {
    return base::make<IntervalAction>(duration);
}

IntervalAction::IntervalAction(float duration) {
    setDuration(duration == 0 ? zeroDuration : duration);
}

base::Ref<Action> IntervalAction::copy() const {
    return base::make<IntervalAction>(duration());
}

void IntervalAction::start() {
    FiniteTimeAction::start();
    elapsed_ = 0;
    firstTick_ = true;
}

void IntervalAction::step(float dt) {
    if (firstTick_) {
        firstTick_ = false;
        elapsed_ = 0;
    } else {
        elapsed_ += dt;
    }
    // A duration set to zero or less after construction counts as the zero
    // duration, rather than dividing by it.
    float duration = std::max(this->duration(), zeroDuration);
    update(std::min(1.0f, elapsed_ / duration));
}

bool IntervalAction::isDone() const {
    return elapsed_ >= duration();
}

base::Ref<FiniteTimeAction> IntervalAction::reverse() {
    throw base::Exception("ReverseActionNotImplemented", "Reverse Action not implemented");
}

// RotateTo

base::Ref<RotateTo> RotateTo::actionWithDuration(float duration, float angle) {
    return base::make<RotateTo>(duration, angle);
}

RotateTo::RotateTo(float duration, float degrees)
    : IntervalAction(duration)
    , angle(degrees) {
}

base::Ref<Action> RotateTo::copy() const {
    return base::make<RotateTo>(duration(), angle);
}

void RotateTo::start() {
    IntervalAction::start();
    startAngle = target() ? target()->rotation() : 0;
    if (startAngle > 0)
        startAngle = std::fmod(startAngle, 360.0f);
    else
        startAngle = std::fmod(startAngle, -360.0f);
    angle -= startAngle;
    if (angle > 180)
        angle -= 360;
    if (angle < -180)
        angle += 360;
}

void RotateTo::update(float t) {
    if (target())
        target()->setRotation(startAngle + angle * t);
}

// RotateBy

base::Ref<RotateBy> RotateBy::actionWithDuration(float duration, float angle) {
    return base::make<RotateBy>(duration, angle);
}

RotateBy::RotateBy(float duration, float degrees)
    : IntervalAction(duration)
    , angle(degrees) {
}

base::Ref<Action> RotateBy::copy() const {
    return base::make<RotateBy>(duration(), angle);
}

void RotateBy::start() {
    IntervalAction::start();
    startAngle = target() ? target()->rotation() : 0;
}

void RotateBy::update(float t) {
    if (target())
        target()->setRotation(startAngle + angle * t);
}

base::Ref<FiniteTimeAction> RotateBy::reverse() {
    return RotateBy::actionWithDuration(duration(), -angle);
}

// MoveTo

base::Ref<MoveTo> MoveTo::actionWithDuration(float duration, Point position) {
    return base::make<MoveTo>(duration, position);
}

MoveTo::MoveTo(float duration, Point position)
    : IntervalAction(duration)
    , endPosition(position) {
}

MoveTo::MoveTo(float duration, Point offset, ByOffset)
    : IntervalAction(duration)
    , delta(offset) {
}

base::Ref<Action> MoveTo::copy() const {
    return base::make<MoveTo>(duration(), endPosition);
}

void MoveTo::start() {
    IntervalAction::start();
    startPosition = target() ? target()->position() : Point {};
    delta = endPosition - startPosition;
}

void MoveTo::update(float t) {
    if (target())
        target()->setPosition(startPosition + delta * t);
}

// MoveBy

base::Ref<MoveBy> MoveBy::actionWithDuration(float duration, Point offset) {
    return base::make<MoveBy>(duration, offset);
}

MoveBy::MoveBy(float duration, Point offset)
    : MoveTo(duration, offset, ByOffset {}) {
}

base::Ref<Action> MoveBy::copy() const {
    return base::make<MoveBy>(duration(), delta);
}

void MoveBy::start() {
    // The MoveTo part recomputes delta from the unset end point; the offset
    // goes back in.
    Point offset = delta;
    MoveTo::start();
    delta = offset;
}

base::Ref<FiniteTimeAction> MoveBy::reverse() {
    return MoveBy::actionWithDuration(duration(), negated(delta));
}

// JumpBy

base::Ref<JumpBy> JumpBy::actionWithDuration(
    float duration, Point position, float height, int jumps) {
    return base::make<JumpBy>(duration, position, height, jumps);
}

JumpBy::JumpBy(float duration, Point position, float jumpHeight, int jumpCount)
    : IntervalAction(duration)
    , delta(position)
    , height(jumpHeight)
    , jumps(jumpCount) {
}

base::Ref<Action> JumpBy::copy() const {
    return base::make<JumpBy>(duration(), delta, height, jumps);
}

void JumpBy::start() {
    IntervalAction::start();
    startPosition = target() ? target()->position() : Point {};
}

void JumpBy::update(float t) {
    if (!target())
        return;
    float y = height * std::fabs(std::sin(t * pi * static_cast<float>(jumps)));
    y += delta.y * t;
    float x = delta.x * t;
    target()->setPosition({startPosition.x + x, startPosition.y + y});
}

base::Ref<FiniteTimeAction> JumpBy::reverse() {
    return JumpBy::actionWithDuration(duration(), negated(delta), height, jumps);
}

// JumpTo

base::Ref<JumpTo> JumpTo::actionWithDuration(
    float duration, Point position, float height, int jumps) {
    return base::make<JumpTo>(duration, position, height, jumps);
}

JumpTo::JumpTo(float duration, Point position, float jumpHeight, int jumpCount)
    : JumpBy(duration, position, jumpHeight, jumpCount) {
}

base::Ref<Action> JumpTo::copy() const {
    return base::make<JumpTo>(duration(), delta, height, jumps);
}

void JumpTo::start() {
    JumpBy::start();
    delta = delta - startPosition;
}

// BezierBy

base::Ref<BezierBy> BezierBy::actionWithDuration(float duration, BezierConfig bezier) {
    return base::make<BezierBy>(duration, bezier);
}

BezierBy::BezierBy(float duration, BezierConfig bezier)
    : IntervalAction(duration)
    , config(bezier) {
}

base::Ref<Action> BezierBy::copy() const {
    return base::make<BezierBy>(duration(), config);
}

void BezierBy::start() {
    IntervalAction::start();
    startPosition = target() ? target()->position() : Point {};
}

void BezierBy::update(float t) {
    if (!target())
        return;
    float a = std::pow(1 - t, 3.0f);
    float b = 3 * t * std::pow(1 - t, 2.0f);
    float c = 3 * std::pow(t, 2.0f) * (1 - t);
    float d = std::pow(t, 3.0f);
    auto at = [&](float start, float end, float control1, float control2) {
        return a * start + b * control1 + c * control2 + d * end;
    };
    float x = at(config.startPosition.x, config.endPosition.x, config.controlPoint_1.x,
        config.controlPoint_2.x);
    float y = at(config.startPosition.y, config.endPosition.y, config.controlPoint_1.y,
        config.controlPoint_2.y);
    target()->setPosition({startPosition.x + x, startPosition.y + y});
}

base::Ref<FiniteTimeAction> BezierBy::reverse() {
    BezierConfig r {negated(config.startPosition), negated(config.endPosition),
        negated(config.controlPoint_1), negated(config.controlPoint_2)};
    return BezierBy::actionWithDuration(duration(), r);
}

// ScaleTo

base::Ref<ScaleTo> ScaleTo::actionWithDuration(float duration, float scale) {
    return base::make<ScaleTo>(duration, scale, scale);
}

base::Ref<ScaleTo> ScaleTo::actionWithDuration(float duration, float scaleX, float scaleY) {
    return base::make<ScaleTo>(duration, scaleX, scaleY);
}

ScaleTo::ScaleTo(float duration, float scaleX, float scaleY)
    : IntervalAction(duration)
    , endScaleX(scaleX)
    , endScaleY(scaleY) {
}

base::Ref<Action> ScaleTo::copy() const {
    return base::make<ScaleTo>(duration(), endScaleX, endScaleY);
}

void ScaleTo::start() {
    IntervalAction::start();
    startScaleX = target() ? target()->scaleX() : 0;
    startScaleY = target() ? target()->scaleY() : 0;
    deltaX = endScaleX - startScaleX;
    deltaY = endScaleY - startScaleY;
}

void ScaleTo::update(float t) {
    if (!target())
        return;
    target()->setScaleX(startScaleX + deltaX * t);
    target()->setScaleY(startScaleY + deltaY * t);
}

// ScaleBy

base::Ref<ScaleBy> ScaleBy::actionWithDuration(float duration, float scale) {
    return base::make<ScaleBy>(duration, scale, scale);
}

base::Ref<ScaleBy> ScaleBy::actionWithDuration(float duration, float scaleX, float scaleY) {
    return base::make<ScaleBy>(duration, scaleX, scaleY);
}

ScaleBy::ScaleBy(float duration, float scaleX, float scaleY)
    : ScaleTo(duration, scaleX, scaleY) {
}

base::Ref<Action> ScaleBy::copy() const {
    return base::make<ScaleBy>(duration(), endScaleX, endScaleY);
}

void ScaleBy::start() {
    ScaleTo::start();
    deltaX = startScaleX * endScaleX - startScaleX;
    deltaY = startScaleY * endScaleY - startScaleY;
}

base::Ref<FiniteTimeAction> ScaleBy::reverse() {
    return ScaleBy::actionWithDuration(duration(), 1 / endScaleX, 1 / endScaleY);
}

// Blink

base::Ref<Blink> Blink::actionWithDuration(float duration, int blinks) {
    return base::make<Blink>(duration, blinks);
}

Blink::Blink(float duration, int blinks)
    : IntervalAction(duration)
    , times(blinks) {
}

base::Ref<Action> Blink::copy() const {
    return base::make<Blink>(duration(), times);
}

void Blink::update(float t) {
    if (!target())
        return;
    float slice = 1.0f / static_cast<float>(times);
    float m = std::fmod(t, slice);
    target()->setVisible(m > slice * 0.5f);
}

base::Ref<FiniteTimeAction> Blink::reverse() {
    return Blink::actionWithDuration(duration(), times);
}

// FadeIn

base::Ref<FadeIn> FadeIn::actionWithDuration(float duration) {
    return base::make<FadeIn>(duration);
}

FadeIn::FadeIn(float duration)
    : IntervalAction(duration) {
}

base::Ref<Action> FadeIn::copy() const {
    return base::make<FadeIn>(duration());
}

void FadeIn::update(float t) {
    if (auto* rgba = rgbaOf(target()))
        rgba->setOpacity(clampedByte(255 * t));
}

base::Ref<FiniteTimeAction> FadeIn::reverse() {
    return FadeOut::actionWithDuration(duration());
}

// FadeOut

base::Ref<FadeOut> FadeOut::actionWithDuration(float duration) {
    return base::make<FadeOut>(duration);
}

FadeOut::FadeOut(float duration)
    : IntervalAction(duration) {
}

base::Ref<Action> FadeOut::copy() const {
    return base::make<FadeOut>(duration());
}

void FadeOut::update(float t) {
    if (auto* rgba = rgbaOf(target()))
        rgba->setOpacity(clampedByte(255 * (1 - t)));
}

base::Ref<FiniteTimeAction> FadeOut::reverse() {
    return FadeIn::actionWithDuration(duration());
}

// FadeTo

base::Ref<FadeTo> FadeTo::actionWithDuration(float duration, std::uint8_t opacity) {
    return base::make<FadeTo>(duration, opacity);
}

FadeTo::FadeTo(float duration, std::uint8_t opacity)
    : IntervalAction(duration)
    , toOpacity(opacity) {
}

base::Ref<Action> FadeTo::copy() const {
    return base::make<FadeTo>(duration(), toOpacity);
}

void FadeTo::start() {
    IntervalAction::start();
    auto* rgba = rgbaOf(target());
    fromOpacity = rgba ? rgba->opacity() : 0;
}

void FadeTo::update(float t) {
    if (auto* rgba = rgbaOf(target()))
        rgba->setOpacity(clampedByte(fromOpacity + (toOpacity - fromOpacity) * t));
}

// TintTo

base::Ref<TintTo> TintTo::actionWithDuration(
    float duration, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return base::make<TintTo>(duration, red, green, blue);
}

TintTo::TintTo(float duration, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    : IntervalAction(duration)
    , to {red, green, blue} {
}

base::Ref<Action> TintTo::copy() const {
    return base::make<TintTo>(duration(), to.r, to.g, to.b);
}

void TintTo::start() {
    IntervalAction::start();
    auto* rgba = rgbaOf(target());
    from = rgba ? rgba->color() : Color3B {};
}

void TintTo::update(float t) {
    auto* rgba = rgbaOf(target());
    if (!rgba)
        return;
    rgba->setColor({clampedByte(from.r + (to.r - from.r) * t),
        clampedByte(from.g + (to.g - from.g) * t), clampedByte(from.b + (to.b - from.b) * t)});
}

// TintBy

base::Ref<TintBy> TintBy::actionWithDuration(
    float duration, std::int16_t deltaRed, std::int16_t deltaGreen, std::int16_t deltaBlue) {
    return base::make<TintBy>(duration, deltaRed, deltaGreen, deltaBlue);
}

TintBy::TintBy(
    float duration, std::int16_t deltaRed, std::int16_t deltaGreen, std::int16_t deltaBlue)
    : IntervalAction(duration)
    , deltaR(deltaRed)
    , deltaG(deltaGreen)
    , deltaB(deltaBlue) {
}

base::Ref<Action> TintBy::copy() const {
    return base::make<TintBy>(duration(), deltaR, deltaG, deltaB);
}

void TintBy::start() {
    IntervalAction::start();
    auto* rgba = rgbaOf(target());
    Color3B color = rgba ? rgba->color() : Color3B {};
    fromR = color.r;
    fromG = color.g;
    fromB = color.b;
}

void TintBy::update(float t) {
    auto* rgba = rgbaOf(target());
    if (!rgba)
        return;
    rgba->setColor({wrappedByte(fromR + deltaR * t), wrappedByte(fromG + deltaG * t),
        wrappedByte(fromB + deltaB * t)});
}

base::Ref<FiniteTimeAction> TintBy::reverse() {
    return TintBy::actionWithDuration(duration(), static_cast<std::int16_t>(-deltaR),
        static_cast<std::int16_t>(-deltaG), static_cast<std::int16_t>(-deltaB));
}

// DelayTime

base::Ref<DelayTime> DelayTime::actionWithDuration(float duration) {
    return base::make<DelayTime>(duration);
}

DelayTime::DelayTime(float duration)
    : IntervalAction(duration) {
}

base::Ref<Action> DelayTime::copy() const {
    return base::make<DelayTime>(duration());
}

base::Ref<FiniteTimeAction> DelayTime::reverse() {
    return DelayTime::actionWithDuration(duration());
}

// Animate

namespace {

float animationDuration(AnimationProtocol const* animation) {
    VERIFY_MSG(animation, "Animate: argument Animation must be non-nil");
    return static_cast<float>(animation->frames().size()) * animation->delay();
}

}

base::Ref<Animate> Animate::actionWithAnimation(base::Ref<AnimationProtocol> animation) {
    return base::make<Animate>(std::move(animation), true);
}

base::Ref<Animate> Animate::actionWithAnimation(
    base::Ref<AnimationProtocol> animation, bool restoreOriginalFrame) {
    return base::make<Animate>(std::move(animation), restoreOriginalFrame);
}

Animate::Animate(base::Ref<AnimationProtocol> animation, bool restore)
    : IntervalAction(animationDuration(animation.get()))
    , animation_(std::move(animation))
    , restoreOriginalFrame(restore) {
}

base::Ref<Action> Animate::copy() const {
    return Animate::actionWithAnimation(animation_);
}

void Animate::start() {
    IntervalAction::start();
    auto* node = dynamic_cast<FrameSettable*>(target());
    origFrame = base::Ref<base::Object>(node ? node->displayFrame() : nullptr);
}

void Animate::stop() {
    if (restoreOriginalFrame) {
        if (auto* node = dynamic_cast<FrameSettable*>(target()))
            node->setDisplayFrame(origFrame.get());
    }
    IntervalAction::stop();
}

void Animate::update(float t) {
    auto* node = dynamic_cast<FrameSettable*>(target());
    auto const& frames = animation_->frames();
    std::size_t count = frames.size();
    if (!node || count == 0)
        return;
    std::size_t index = 0;
    if (t != 0) {
        float position = t / (1.0f / static_cast<float>(count));
        if (!(position > 0))
            index = 0;
        else if (position >= static_cast<float>(count))
            index = count - 1;
        else
            index = static_cast<std::size_t>(position);
    }
    base::Object* frame = frames[index].get();
    if (!node->isFrameDisplayed(frame))
        node->setDisplayFrame(frame);
}

}
