#pragma once

#include <engine/IntervalAction.hpp>

#include <array>
#include <initializer_list>

namespace engine {

// The composite actions build timelines out of other actions and map their own
// progress onto the progress of the actions they hold. They own their inner
// actions, give them their own target and start, update and stop them
// themselves; the action manager only sees the outermost action. Main thread
// only.

// Runs one action, then another. Its duration is the sum of both; the first
// action's share of it is the split. Crossing the split (in either direction,
// and however far one update jumps) finishes the action being left with update
// 1 and stop before the other starts, so an instant action on either side
// always acts. Stopping the sequence does not stop the inner action running.
class Sequence final : public IntervalAction {
public:
    static base::Ref<Sequence> actionOne(
        base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two);
    // Folds from the left: actions(a, b, c) is a sequence of (a sequence of a and
    // b) and c. One action is returned itself; the list ends at the first null,
    // so a null first action gives null.
    template<typename... More>
    static base::Ref<FiniteTimeAction> actions(
        base::Ref<FiniteTimeAction> first, More const&... more) {
        return actionsFromList({std::move(first), base::Ref<FiniteTimeAction>(more)...});
    }
    static base::Ref<FiniteTimeAction> actionsFromList(
        std::initializer_list<base::Ref<FiniteTimeAction>> actions);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    // The second action's reverse, then the first's.
    base::Ref<FiniteTimeAction> reverse() override;

    FiniteTimeAction* first() const { return actions_[0].get(); }
    FiniteTimeAction* second() const { return actions_[1].get(); }

private:
    std::array<base::Ref<FiniteTimeAction>, 2> actions_;
    float split {0};
    // The inner action that received the latest update; -1 before the first.
    int last {-1};

    friend base::Factory;

    Sequence(base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two);
};

// Runs an action a number of times; done once every repetition has completed.
// One repetition is counted per update however far the progress moved, so
// after a large step the missing ones complete one per step while the progress
// stays at 1.
class Repeat final : public IntervalAction {
public:
    static base::Ref<Repeat> actionWithAction(base::Ref<FiniteTimeAction> action, unsigned times);

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    bool isDone() const override;
    base::Ref<FiniteTimeAction> reverse() override;

    unsigned total() const { return total_; }

private:
    unsigned times;
    unsigned total_ {0};
    base::Ref<FiniteTimeAction> other;

    friend base::Factory;

    Repeat(base::Ref<FiniteTimeAction> action, unsigned times);
};

// Runs two actions at once. The shorter one is lengthened with a DelayTime at
// its end, so both see the same progress; the duration is the longer one's.
class Spawn final : public IntervalAction {
public:
    static base::Ref<Spawn> actionOne(
        base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two);
    // Folds from the left as Sequence::actions does.
    template<typename... More>
    static base::Ref<FiniteTimeAction> actions(
        base::Ref<FiniteTimeAction> first, More const&... more) {
        return actionsFromList({std::move(first), base::Ref<FiniteTimeAction>(more)...});
    }
    static base::Ref<FiniteTimeAction> actionsFromList(
        std::initializer_list<base::Ref<FiniteTimeAction>> actions);

    // For copies: the pair is already of equal length. The tag is complete only
    // inside Spawn's source.
    struct Lengthened;

    base::Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    base::Ref<FiniteTimeAction> reverse() override;

    // After lengthening.
    FiniteTimeAction* first() const { return one.get(); }
    FiniteTimeAction* second() const { return two.get(); }

private:
    base::Ref<FiniteTimeAction> one;
    base::Ref<FiniteTimeAction> two;

    friend base::Factory;

    Spawn(base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two);
    Spawn(base::Ref<FiniteTimeAction> one, base::Ref<FiniteTimeAction> two, Lengthened const&);
};

// Plays an action backwards in time: progress t becomes 1 - t.
class ReverseTime final : public IntervalAction {
public:
    static base::Ref<ReverseTime> actionWithAction(base::Ref<FiniteTimeAction> action);

    base::Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;
    // A copy of the inner action.
    base::Ref<FiniteTimeAction> reverse() override;

private:
    base::Ref<FiniteTimeAction> other;

    friend base::Factory;

    explicit ReverseTime(base::Ref<FiniteTimeAction> action);
};

}
