#pragma once

#include <engine/Action.hpp>

namespace engine {

// Runs an interval action faster or slower: each step hands the inner action
// the frame time times the speed. Done when the inner action is; a speed of 0
// never finishes. Owns the inner action. Main thread only.
class Speed final : public Action {
public:
    static base::Ref<Speed> actionWithAction(base::Ref<IntervalAction> action, float speed);

    base::Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void step(float dt) override;
    bool isDone() const override;
    // A Speed of the inner action's reverse, at the same speed.
    base::Ref<Speed> reverse();

    // A change applies from the next step.
    float speed() const { return speed_; }
    void setSpeed(float speed) { speed_ = speed; }
    IntervalAction* innerAction() const { return other.get(); }

protected:
    ~Speed() override;

private:
    base::Ref<IntervalAction> other;
    float speed_;

    friend base::Factory;

    Speed(base::Ref<IntervalAction> action, float speed);
};

}
