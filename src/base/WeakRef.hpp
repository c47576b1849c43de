#pragma once

#include <base/Ref.hpp>

namespace base {

// A reference that does not keep its object alive and reads as null once the
// object is gone. For parents, delegates, targets and observers. Main thread only:
// an object dying on another thread while a weak reference is read is not guarded.
template<typename T> class WeakRef {
public:
    WeakRef() = default;
    WeakRef(std::nullptr_t) { }
    WeakRef(T* object) { reset(object); }
    WeakRef(Ref<T> const& ref) { reset(ref.get()); }
    WeakRef(WeakRef const& other)
        : link_(other.link_) {
        if (link_)
            link_->retain();
    }
    WeakRef& operator=(WeakRef const& other) {
        WeakRef copy(other);
        std::swap(link_, copy.link_);
        return *this;
    }
    WeakRef& operator=(T* object) {
        reset(object);
        return *this;
    }
    ~WeakRef() {
        if (link_)
            link_->release();
    }

    // The object, or null once it has been destroyed.
    T* get() const { return link_ ? static_cast<T*>(link_->object()) : nullptr; }
    Ref<T> strong() const { return Ref<T>(get()); }
    T* operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    void reset(T* object) {
        if (link_)
            link_->release();
        link_ = nullptr;
        if (object) {
            link_ = &static_cast<Object const*>(object)->weakLink();
            link_->retain();
        }
    }

    WeakLink* link_ {nullptr};
};

}
