#pragma once

#include <base/WeakRef.hpp>
#include <engine/SceneNode.hpp>

#include <functional>
#include <type_traits>

namespace engine {

// A node of a Menu that calls its target when activated: the base of the text, image and
// toggle items. The target is not retained: a callback bound to an engine object with
// bind() is skipped once that object is gone. Main thread.
class MenuItem : public SceneNode {
public:
    // The selector bound to its target, called with the item itself.
    using Invocation = std::function<void(MenuItem*)>;

    // Binds a member function; the target is held weakly when it is an engine object.
    template<typename T, typename U>
    static Invocation bind(U* target, void (T::*method)(MenuItem*)) {
        T* object = target;
        if (!object || !method)
            return {};
        if constexpr (std::is_base_of_v<base::Object, T>) {
            base::WeakRef<T> weak(object);
            return [weak, method](MenuItem* item) {
                if (T* alive = weak.get())
                    (alive->*method)(item);
            };
        } else {
            return [object, method](MenuItem* item) { (object->*method)(item); };
        }
    }

    static base::Ref<MenuItem> itemWithTarget(Invocation invocation);

    // Nothing here; items show their state their own way.
    virtual void selected() { }
    virtual void unselected() { }
    // Calls the target when enabled.
    virtual void activate();

    bool isEnabled() const { return isEnabled_; }
    virtual void setIsEnabled(bool enabled) { isEnabled_ = enabled; }

    // The item's rectangle in its parent's space, from its position, size and anchor.
    Rect rect() const;

private:
    Invocation invocation_;
    bool isEnabled_ {true};

protected:
    friend base::Factory;

    // Raises "MenuItemInit": an item is made with its target.
    MenuItem();
    explicit MenuItem(Invocation invocation);
};

}
