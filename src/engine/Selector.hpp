#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

namespace engine {

// A scheduled callback that knows who it is: the call itself (one float, the
// elapsed time in seconds) plus an identity, so that a node can tell whether a
// callback is already scheduled and can unschedule it later with a freshly made
// selector for the same thing.
//
// Two kinds exist. Selector::make(&MainScene::update, this) binds a member
// function; two such selectors are equal when they name the same member function
// of the same object. Selector::function("tick:", callable) wraps any callable;
// two such selectors are equal when their names are equal (the name is the
// identity, as a selector's name is). A default-made selector is empty and equal
// only to other empty ones. The name also appears in descriptions and logs.
class Selector {
public:
    using Function = std::function<void(float)>;

    Selector() = default;

    // The target may be of a class derived from the one that declares the method.
    template<typename T, typename U>
    static Selector make(void (T::*method)(float), U* target, std::string name = {}) {
        Selector selector;
        T* object = target;
        if (!method || !object)
            return selector;
        selector.function_ = [method, object](float dt) { (object->*method)(dt); };
        selector.identity_ = std::make_shared<MemberIdentity<T>>(method, object);
        selector.name_ = std::move(name);
        return selector;
    }

    static Selector function(std::string name, Function callable);

    explicit operator bool() const { return static_cast<bool>(function_); }
    void operator()(float dt) const { function_(dt); }

    std::string const& name() const { return name_; }

    bool operator==(Selector const& other) const;

private:
    struct Identity {
        virtual ~Identity() = default;
        virtual bool equals(Identity const& other) const = 0;
    };

    template<typename T> struct MemberIdentity final : Identity {
        MemberIdentity(void (T::*member)(float), T* object)
            : method(member)
            , target(object) { }
        bool equals(Identity const& other) const override {
            auto const* same = dynamic_cast<MemberIdentity const*>(&other);
            return same && same->method == method && same->target == target;
        }
        void (T::*method)(float);
        T* target;
    };

    Function function_;
    std::shared_ptr<Identity const> identity_;
    std::string name_;
};

}
