#pragma once

#include <base/Ref.hpp>

#include <mutex>
#include <utility>

namespace base {

// The program-wide instance of an Object class, made by base::make<T>() on first
// use and dropped by reset(), after which the next use makes a new one. Only
// making and dropping the instance are locked; what the instance does is up to
// the class (most are main-thread only).
//
// The slot itself is never destroyed, so an instance still installed when the
// program exits is not torn down by static destructors in arbitrary order: code
// running late (an observer removing itself, a node releasing a texture) still
// reaches it. A class uses it only from its own source file, through its named
// accessor (sharedScheduler(), defaultCenter(), ...).
template<typename T> class SharedInstance {
public:
    // The instance, made on first use.
    static T& get() {
        return get([](T&) {});
    }
    // The same; onMade runs once for each instance made, under the lock, before
    // any caller sees it.
    template<typename OnMade> static T& get(OnMade&& onMade) {
        Slot& slot = shared();
        std::lock_guard lock(slot.mutex);
        if (!slot.instance) {
            slot.instance = make<T>();
            std::forward<OnMade>(onMade)(*slot.instance);
        }
        return *slot.instance;
    }

    // The instance if one is installed, without making one.
    static Ref<T> current() {
        Slot& slot = shared();
        std::lock_guard lock(slot.mutex);
        return slot.instance;
    }

    // Drops the instance and hands it back, so that the caller lets go of it (and
    // whatever teardown that runs) outside the lock. Null when there was none.
    static Ref<T> reset() {
        Slot& slot = shared();
        std::lock_guard lock(slot.mutex);
        return std::move(slot.instance);
    }

    // Drops the instance only while it is still `expected`; a newer instance
    // stays. Returns whether it dropped it.
    static bool resetIfCurrent(T const* expected) {
        Ref<T> old;
        {
            Slot& slot = shared();
            std::lock_guard lock(slot.mutex);
            if (slot.instance.get() != expected)
                return false;
            old = std::move(slot.instance);
        }
        return true;
    }

private:
    struct Slot {
        std::mutex mutex;
        Ref<T> instance;
    };

    static Slot& shared() {
        static Slot* slot = new Slot;
        return *slot;
    }
};

}
