#pragma once

#include <atomic>
#include <cstdint>

namespace base {

class WeakLink;

// The root of every reference-counted class. The count is intrusive and atomic, so
// a Ref may be taken on any thread; weak references are for the main thread.
// An object starts with a count of zero: the first Ref that holds it owns it.
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
    mutable std::atomic<int> refCount_ {0};
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
