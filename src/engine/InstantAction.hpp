#pragma once

#include <engine/Action.hpp>
#include <engine/Geometry.hpp>

#include <functional>

namespace engine {

// An action that does its whole work when it starts and is done at once: its
// duration is 0, its first step sends update 1 (which does nothing) and it then
// reports done. Run directly on a node it has acted before runAction returns;
// in a Sequence it acts when the timeline reaches it. Its reverse is a copy.
// Main thread only.
class InstantAction : public FiniteTimeAction {
public:
    base::Ref<Action> copy() const override;
    bool isDone() const override { return true; }
    void step(float dt) override;
    void update(float) override { }
    base::Ref<FiniteTimeAction> reverse() override;

protected:
    ~InstantAction() override = default;

    friend base::Factory;

    InstantAction() = default;
};

// Makes the target visible.
class Show final : public InstantAction {
public:
    static base::Ref<Show> action();

    base::Ref<Action> copy() const override;
    void start() override;
    // A Hide.
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    Show() = default;
};

// Makes the target invisible.
class Hide final : public InstantAction {
public:
    static base::Ref<Hide> action();

    base::Ref<Action> copy() const override;
    void start() override;
    // A Show.
    base::Ref<FiniteTimeAction> reverse() override;

private:
    friend base::Factory;

    Hide() = default;
};

// Flips the target's visibility.
class ToggleVisibility final : public InstantAction {
public:
    static base::Ref<ToggleVisibility> action();

    base::Ref<Action> copy() const override;
    void start() override;

private:
    friend base::Factory;

    ToggleVisibility() = default;
};

// Puts the target at a point.
class Place final : public InstantAction {
public:
    static base::Ref<Place> actionWithPosition(Point position);

    base::Ref<Action> copy() const override;
    void start() override;

private:
    Point position;

    friend base::Factory;

    explicit Place(Point position);
};

// Calls back into game code when it starts. The callback is a function bound
// to its target object (usually capturing it as a plain pointer); the action
// retains that object for its whole life, copies included, so a sequence that
// ends with a CallFunc on a layer keeps the layer alive until the sequence is
// released. With no target object nothing is called, as a message sent to
// nothing. The callback runs inside start, so it may stop or run actions,
// remove nodes, or release the node that ran it.
class CallFunc : public InstantAction {
public:
    using Function = std::function<void()>;

    static base::Ref<CallFunc> actionWithTarget(base::Object* target, Function selector);
    // The target may be of a class derived from the one that declares the method.
    template<typename T, typename U>
    static base::Ref<CallFunc> actionWithTarget(U* target, void (T::*method)()) {
        return actionWithTarget(target, bind<T>(target, method));
    }

    base::Ref<Action> copy() const override;
    void start() override;
    virtual void execute();

    base::Object* targetCallback() const { return targetCallback_.get(); }

protected:
    explicit CallFunc(base::Object* target);

    template<typename T, typename... Args>
    static std::function<void(Args...)> bind(T* target, void (T::*method)(Args...)) {
        if (!target || !method)
            return {};
        return [target, method](Args... args) { (target->*method)(args...); };
    }

    base::Ref<base::Object> targetCallback_;

private:
    Function selector;

protected:
    friend base::Factory;

    CallFunc(base::Object* target, Function selector);
};

// Calls back with the node that ran the action (null when there is none).
class CallFuncN : public CallFunc {
public:
    using Function = std::function<void(SceneNode*)>;

    static base::Ref<CallFuncN> actionWithTarget(base::Object* target, Function selector);
    template<typename T, typename U>
    static base::Ref<CallFuncN> actionWithTarget(U* target, void (T::*method)(SceneNode*)) {
        return actionWithTarget(target, bind<T>(target, method));
    }

    base::Ref<Action> copy() const override;
    void execute() override;

protected:
    explicit CallFuncN(base::Object* target);

private:
    Function selector;

protected:
    friend base::Factory;

    CallFuncN(base::Object* target, Function selector);
};

// Calls back with the node that ran the action and a pointer that the action
// stores but does not own; copies pass the same pointer.
class CallFuncND final : public CallFuncN {
public:
    using Function = std::function<void(SceneNode*, void*)>;

    static base::Ref<CallFuncND> actionWithTarget(
        base::Object* target, Function selector, void* data);
    template<typename T, typename U>
    static base::Ref<CallFuncND> actionWithTarget(
        U* target, void (T::*method)(SceneNode*, void*), void* data) {
        return actionWithTarget(target, bind<T>(target, method), data);
    }

    base::Ref<Action> copy() const override;
    void execute() override;

    void* data() const { return data_; }

private:
    Function selector;
    void* data_;

    friend base::Factory;

    CallFuncND(base::Object* target, Function selector, void* data);
};

}
