#pragma once

#include <engine/IntervalAction.hpp>

namespace engine {

// Wraps an interval action and reshapes its progress curve: every progress t
// passes through an easing function before it reaches the inner action's
// update. The eased value is computed in float and not clamped, so the inner
// action may see values slightly outside 0..1 and must treat the last one as
// its end state (the exponential ease-in never sends exactly 1). The inner
// action is started with the wrapper and never stopped by it. Owns the inner
// action. Main thread only.
class EaseAction : public IntervalAction {
public:
    static base::Ref<EaseAction> actionWithAction(base::Ref<IntervalAction> action);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    // The same kind of ease around the inner action's reverse.
    base::Ref<FiniteTimeAction> reverse() override;

    IntervalAction* innerAction() const { return other.get(); }

protected:
    ~EaseAction() override;

    // A new ease of this kind (and rate) around the given action.
    virtual base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const;
    void updateInner(float eased);

    base::Ref<IntervalAction> other;

    friend base::Factory;

    explicit EaseAction(base::Ref<IntervalAction> action);
};

// An ease with a rate: the exponent of the power curves. Its reverse has the
// rate 1/rate.
class EaseRateAction : public EaseAction {
public:
    static base::Ref<EaseRateAction> actionWithAction(base::Ref<IntervalAction> action, float rate);

    base::Ref<FiniteTimeAction> reverse() override;

    float rate() const { return rate_; }
    void setRate(float rate) { rate_ = rate; }

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

    float rate_;

    friend base::Factory;

    EaseRateAction(base::Ref<IntervalAction> action, float rate);
};

// t^rate.
class EaseIn final : public EaseRateAction {
public:
    static base::Ref<EaseIn> actionWithAction(base::Ref<IntervalAction> action, float rate);

    void update(float t) override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    EaseIn(base::Ref<IntervalAction> action, float rate);
};

// t^(1/rate).
class EaseOut final : public EaseRateAction {
public:
    static base::Ref<EaseOut> actionWithAction(base::Ref<IntervalAction> action, float rate);

    void update(float t) override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    EaseOut(base::Ref<IntervalAction> action, float rate);
};

// The power curve in, then out. The second half raises a negative base to the
// rate, so only whole-number rates give real values. Its reverse keeps the rate.
class EaseInOut final : public EaseRateAction {
public:
    static base::Ref<EaseInOut> actionWithAction(base::Ref<IntervalAction> action, float rate);

    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    EaseInOut(base::Ref<IntervalAction> action, float rate);
};

// 2^(10 (t - 1)) - 0.001, and 0 at t = 0. Reverses to EaseExponentialOut.
class EaseExponentialIn final : public EaseAction {
public:
    static base::Ref<EaseExponentialIn> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseExponentialIn(base::Ref<IntervalAction> action);
};

// 1 - 2^(-10 t), and exactly 1 at t = 1. Reverses to EaseExponentialIn.
class EaseExponentialOut final : public EaseAction {
public:
    static base::Ref<EaseExponentialOut> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseExponentialOut(base::Ref<IntervalAction> action);
};

// The exponential curve in, then out.
class EaseExponentialInOut final : public EaseAction {
public:
    static base::Ref<EaseExponentialInOut> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseExponentialInOut(base::Ref<IntervalAction> action);
};

// 1 - cos(t pi/2). Reverses to EaseSineOut.
class EaseSineIn final : public EaseAction {
public:
    static base::Ref<EaseSineIn> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseSineIn(base::Ref<IntervalAction> action);
};

// sin(t pi/2). Reverses to EaseSineIn.
class EaseSineOut final : public EaseAction {
public:
    static base::Ref<EaseSineOut> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseSineOut(base::Ref<IntervalAction> action);
};

// -0.5 (cos(pi t) - 1).
class EaseSineInOut final : public EaseAction {
public:
    static base::Ref<EaseSineInOut> actionWithAction(base::Ref<IntervalAction> action);

    void update(float t) override;

protected:
    base::Ref<EaseAction> wrap(base::Ref<IntervalAction> action) const override;

private:
    friend base::Factory;

    explicit EaseSineInOut(base::Ref<IntervalAction> action);
};

}
