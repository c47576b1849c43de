#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Verify.hpp>
#include <engine/Forward.hpp>

#include <string>

namespace engine {

// The protocol every action follows: a timed change applied to one node. The
// ActionManager keeps it while it runs, sends setTarget and start when a node
// runs it, step with each frame's time (seconds, never negative) while the
// node's actions are not paused, and stop once isDone answers true. An action
// removed early gets no stop. The same object may be started again after it
// finished; start resets its timing. update(t) applies the state for progress t
// (0 at the start, 1 at the end) and must answer any t in any order, because
// composites drive their inner actions directly. Main thread only.
//
// The action never retains its target. Actions that hold other actions retain
// them. Copies are made from the construction parameters alone: a copy has tag
// -1 and no target.
class Action : public base::Object {
public:
    static base::Ref<Action> action();

    // "<ClassName = 0804A1B0 | Tag = -1>".
    virtual std::string description() const;
    // A fresh action of the same class; see copyOf for a typed copy.
    virtual base::Ref<Action> copy() const;

    virtual void start() { }
    virtual void stop() { }
    virtual bool isDone() const { return true; }
    // Both only log that a subclass forgot to override them.
    virtual void step(float dt);
    virtual void update(float t);

    SceneNode* target() const { return target_; }
    void setTarget(SceneNode* target) { target_ = target; }
    // -1 means no tag.
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

protected:
    ~Action() override = default;

private:
    SceneNode* target_ {nullptr};
    int tag_ {-1};

protected:
    friend base::Factory;

    Action() = default;
};

// An action with a duration in seconds. Main thread only.
class FiniteTimeAction : public Action {
public:
    base::Ref<Action> copy() const override;

    // The action that undoes this one, or null when there is none. Interval
    // actions that cannot be reversed raise "ReverseActionNotImplemented".
    virtual base::Ref<FiniteTimeAction> reverse();

    float duration() const { return duration_; }
    void setDuration(float duration) { duration_ = duration; }

protected:
    ~FiniteTimeAction() override = default;

private:
    float duration_ {0};

protected:
    friend base::Factory;

    FiniteTimeAction() = default;
};

// A copy typed as the class of the original (or of one of its bases).
template<typename T> base::Ref<T> copyOf(T const& action) {
    base::Ref<T> copy = base::ref_cast<T>(action.copy());
    VERIFY_MSG(copy, "copy must be of the same class");
    return copy;
}

// The reverse of an action wrapped by a wrapper that can only hold interval
// actions: its reverse must be an interval action too.
base::Ref<IntervalAction> intervalReverse(IntervalAction& action);

}
