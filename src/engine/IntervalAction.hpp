#pragma once

#include <engine/Action.hpp>
#include <engine/AnimationProtocol.hpp>
#include <engine/Color.hpp>
#include <engine/Geometry.hpp>

#include <cstdint>

namespace engine {

// An action that runs over its duration. Every step adds the frame time to the
// elapsed time and sends update with min(1, elapsed / duration); the first step
// after start discards its time, so an action run on a node first updates with
// 0, and finishes on the step where the time of the later steps reaches the
// duration. A duration of 0 is kept as 1e-8, so a zero-length action takes two
// steps (update 0, then 1). Main thread only.
//
// The members below change one property of their target over the duration:
// start captures the target's starting value, update sets the value for the
// progress. A missing target reads as zero (black for colours) and updates
// then change nothing.
class IntervalAction : public FiniteTimeAction {
public:
    // Raises "IntervalActionInit": an interval action needs its duration.
    static base::Ref<IntervalAction> action();
    static base::Ref<IntervalAction> actionWithDuration(float duration);

    base::Ref<Action> copy() const override;
    void start() override;
    void step(float dt) override;
    bool isDone() const override;
    // Raises "ReverseActionNotImplemented"; members that can be undone override it.
    base::Ref<FiniteTimeAction> reverse() override;

    float elapsed() const { return elapsed_; }

protected:
    ~IntervalAction() override = default;

    float elapsed_ {0};
    bool firstTick_ {true};

    friend base::Factory;

    explicit IntervalAction(float duration);
};

// Turns the target to an absolute rotation in degrees by the shorter way: the
// start is reduced into (-360, 360) keeping its sign and the turn folded into
// [-180, 180]. The final rotation is not reduced further. Start overwrites the
// requested angle with the turn, so a copy made after a start turns by it.
class RotateTo final : public IntervalAction {
public:
    static base::Ref<RotateTo> actionWithDuration(float duration, float angle);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    float angle;
    float startAngle {0};

    friend base::Factory;

    RotateTo(float duration, float angle);
};

// Turns the target by a number of degrees.
class RotateBy final : public IntervalAction {
public:
    static base::Ref<RotateBy> actionWithDuration(float duration, float angle);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    float angle;
    float startAngle {0};

    friend base::Factory;

    RotateBy(float duration, float angle);
};

// Moves the target in a straight line to a point. Repeated, it moves once and
// then stays.
class MoveTo : public IntervalAction {
public:
    static base::Ref<MoveTo> actionWithDuration(float duration, Point position);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

protected:
    // For MoveBy: no end point, the offset in delta.
    struct ByOffset { };
    MoveTo(float duration, Point offset, ByOffset);

    Point endPosition;
    Point startPosition;
    Point delta;

    friend base::Factory;

    MoveTo(float duration, Point position);
};

// Moves the target by an offset. Repeated, it moves one offset per repetition.
class MoveBy final : public MoveTo {
public:
    static base::Ref<MoveBy> actionWithDuration(float duration, Point offset);

    base::Ref<Action> copy() const override;
    void start() override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    MoveBy(float duration, Point offset);
};

// Moves the target by an offset in a number of hops of a height, each the
// upper half of a sine wave over the straight line.
class JumpBy : public IntervalAction {
public:
    static base::Ref<JumpBy> actionWithDuration(
        float duration, Point position, float height, int jumps);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    Point startPosition;
    Point delta;
    float height;
    int jumps;

    friend base::Factory;

    JumpBy(float duration, Point position, float height, int jumps);
};

// Jumps to an absolute point. The end point waits in delta until start turns it
// into the offset; a copy made or a restart done after a start works from the
// offset.
class JumpTo final : public JumpBy {
public:
    static base::Ref<JumpTo> actionWithDuration(
        float duration, Point position, float height, int jumps);

    base::Ref<Action> copy() const override;
    void start() override;

private:
    friend base::Factory;

    JumpTo(float duration, Point position, float height, int jumps);
};

// A cubic Bezier curve; every point is relative to the target's position at
// start.
struct BezierConfig {
    Point startPosition;
    Point endPosition;
    Point controlPoint_1;
    Point controlPoint_2;
};

// Moves the target along a cubic Bezier curve relative to where it starts.
class BezierBy final : public IntervalAction {
public:
    static base::Ref<BezierBy> actionWithDuration(float duration, BezierConfig bezier);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    BezierConfig config;
    Point startPosition;

    friend base::Factory;

    BezierBy(float duration, BezierConfig bezier);
};

// Scales the target to absolute factors, x first, then y.
class ScaleTo : public IntervalAction {
public:
    static base::Ref<ScaleTo> actionWithDuration(float duration, float scale);
    static base::Ref<ScaleTo> actionWithDuration(float duration, float scaleX, float scaleY);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

protected:
    float startScaleX {0}, startScaleY {0};
    float endScaleX, endScaleY;
    float deltaX {0}, deltaY {0};

    friend base::Factory;

    ScaleTo(float duration, float scaleX, float scaleY);
};

// Multiplies the target's scale by factors.
class ScaleBy final : public ScaleTo {
public:
    static base::Ref<ScaleBy> actionWithDuration(float duration, float scale);
    static base::Ref<ScaleBy> actionWithDuration(float duration, float scaleX, float scaleY);

    base::Ref<Action> copy() const override;
    void start() override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    ScaleBy(float duration, float scaleX, float scaleY);
};

// Hides and shows the target a number of times, hidden in the first half of
// each blink. The visibility of the last update stays; nothing restores it.
class Blink final : public IntervalAction {
public:
    static base::Ref<Blink> actionWithDuration(float duration, int blinks);

    base::Ref<Action> copy() const override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    int times;

    friend base::Factory;

    Blink(float duration, int blinks);
};

// Fades an RGBAProtocol target from transparent to opaque.
class FadeIn final : public IntervalAction {
public:
    static base::Ref<FadeIn> actionWithDuration(float duration);

    base::Ref<Action> copy() const override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    explicit FadeIn(float duration);
};

// Fades an RGBAProtocol target from opaque to transparent.
class FadeOut final : public IntervalAction {
public:
    static base::Ref<FadeOut> actionWithDuration(float duration);

    base::Ref<Action> copy() const override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    explicit FadeOut(float duration);
};

// Fades an RGBAProtocol target from its opacity to another.
class FadeTo final : public IntervalAction {
public:
    static base::Ref<FadeTo> actionWithDuration(float duration, std::uint8_t opacity);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    std::uint8_t toOpacity;
    std::uint8_t fromOpacity {0};

    friend base::Factory;

    FadeTo(float duration, std::uint8_t opacity);
};

// Tints an RGBAProtocol target from its colour to another.
class TintTo final : public IntervalAction {
public:
    static base::Ref<TintTo> actionWithDuration(
        float duration, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    Color3B to;
    Color3B from;

    friend base::Factory;

    TintTo(float duration, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
};

// Shifts the colour of an RGBAProtocol target by signed amounts. A channel
// pushed past 0 or 255 wraps around as an 8-bit value does, which the reverse
// undoes exactly.
class TintBy final : public IntervalAction {
public:
    static base::Ref<TintBy> actionWithDuration(
        float duration, std::int16_t deltaRed, std::int16_t deltaGreen, std::int16_t deltaBlue);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

private:
    std::int16_t deltaR, deltaG, deltaB;
    std::int16_t fromR {0}, fromG {0}, fromB {0};

    friend base::Factory;

    TintBy(float duration, std::int16_t deltaRed, std::int16_t deltaGreen, std::int16_t deltaBlue);
};

// Only takes time.
class DelayTime final : public IntervalAction {
public:
    static base::Ref<DelayTime> actionWithDuration(float duration);

    base::Ref<Action> copy() const override;
    void update(float) override { }
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    explicit DelayTime(float duration);
};

// Shows the frames of an animation one after another on a FrameSettable
// target, each for the animation's delay. With restoreOriginalFrame, stop puts
// back the frame shown when the action started. An animation without frames
// shows nothing.
class Animate final : public IntervalAction {
public:
    static base::Ref<Animate> actionWithAnimation(base::Ref<AnimationProtocol> animation);
    static base::Ref<Animate> actionWithAnimation(
        base::Ref<AnimationProtocol> animation, bool restoreOriginalFrame);

    // The copy always restores the frame, whatever this one does.
    base::Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;

    AnimationProtocol* animation() const { return animation_.get(); }

private:
    base::Ref<AnimationProtocol> animation_;
    base::Ref<base::Object> origFrame;
    bool restoreOriginalFrame;

    friend base::Factory;

    Animate(base::Ref<AnimationProtocol> animation, bool restoreOriginalFrame);
};

}
