#pragma once

#include <engine/Action.hpp>

namespace engine {

// Repeats an interval action until it is removed: when the inner action reports
// done after a step it is started again in the same step, with no stop between
// cycles. Time past the end of a cycle is not carried into the next; the new
// cycle begins with the inner action's usual first step, which updates with 0.
// Owns the inner action. Main thread only.
class RepeatForever final : public Action {
public:
    static base::Ref<RepeatForever> actionWithAction(base::Ref<IntervalAction> action);

    base::Ref<Action> copy() const override;
    void start() override;
    void step(float dt) override;
    bool isDone() const override { return false; }
    // A RepeatForever of the inner action's reverse.
    base::Ref<RepeatForever> reverse();

    IntervalAction* innerAction() const { return other.get(); }

protected:
    ~RepeatForever() override;

private:
    base::Ref<IntervalAction> other;

    friend base::Factory;

    explicit RepeatForever(base::Ref<IntervalAction> action);
};

}
