#pragma once

#include <atomic>
#include <cstdint>

namespace base {

class Factory;
class WeakLink;

// The root of every reference-counted class. The count is intrusive and atomic, so
// a Ref may be taken on any thread; weak references are for the main thread.
//
// Objects are made only by base::make<T>(...) or a class's own static factory,
// both of which go through base::Factory (Ref.hpp): constructors are private, or
// protected where the class is subclassed, and the class names
// `friend base::Factory;`. So an Object is never on the stack, a by-value member
// or a bare new. An object starts with a count of 1, which the Factory's Ref takes
// over; any other Ref is made from a raw pointer only explicitly, and retains.
class Object {
public:
    Object(Object const&) = delete;
    Object& operator=(Object const&) = delete;

    void retain() const { refCount_.fetch_add(1, std::memory_order_relaxed); }
    void release() const;
    int retainCount() const { return refCount_.load(std::memory_order_relaxed); }

    // The link that weak references share; made on first use.
    WeakLink& weakLink() const;

protected:
    Object() = default;
    virtual ~Object();

private:
    mutable std::atomic<int> refCount_ {1};
    mutable WeakLink* weakLink_ {nullptr};
};

// Shared between an object and its weak references; outlives the object and is
// cleared when the object dies.
class WeakLink {
public:
    explicit WeakLink(Object* object)
        : object_(object) { }

    Object* object() const { return object_; }
    void clear() { object_ = nullptr; }

    void retain() { count_.fetch_add(1, std::memory_order_relaxed); }
    void release() {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

private:
    Object* object_;
    std::atomic<int> count_ {1};
};

}
