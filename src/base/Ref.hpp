#pragma once

#include <base/Object.hpp>

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

namespace base {

class Factory;

// A strong, nullable reference to an Object: retains on copy, releases on
// destruction. What holds retained fields and returned objects that the receiver
// keeps. A raw pointer becomes an owner only by the explicit constructor, which
// takes a count of its own; the count a new object starts with is taken over by
// the Factory alone.
template<typename T> class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) { }
    explicit Ref(T* object)
        : ptr_(object) {
        if (ptr_)
            ptr_->retain();
    }
    Ref(Ref const& other)
        : Ref(other.ptr_) { }
    Ref(Ref&& other) noexcept
        : ptr_(std::exchange(other.ptr_, nullptr)) { }
    template<typename U>
    requires std::is_convertible_v<U*, T*> Ref(Ref<U> const& other)
        : Ref(static_cast<T*>(other.get())) { }
    template<typename U>
    requires std::is_convertible_v<U*, T*> Ref(Ref<U>&& other)
    noexcept
        : ptr_(static_cast<T*>(other.leak())) { }
    ~Ref() {
        if (ptr_)
            ptr_->release();
    }

    Ref& operator=(Ref const& other) {
        Ref(other).swap(*this);
        return *this;
    }
    Ref& operator=(Ref&& other) noexcept {
        Ref(std::move(other)).swap(*this);
        return *this;
    }
    Ref& operator=(std::nullptr_t) {
        Ref().swap(*this);
        return *this;
    }

    void swap(Ref& other) noexcept { std::swap(ptr_, other.ptr_); }

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    T& operator*() const { return *ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

    // Gives up ownership without releasing; the caller takes over the count.
    T* leak() { return std::exchange(ptr_, nullptr); }

    template<typename U> bool operator==(Ref<U> const& other) const { return ptr_ == other.get(); }
    bool operator==(T const* other) const { return ptr_ == other; }
    bool operator==(std::nullptr_t) const { return ptr_ == nullptr; }

private:
    friend Factory;

    struct Adopt { };
    // Takes over the count the object already has, without retaining.
    Ref(T* object, Adopt)
        : ptr_(object) { }

    T* ptr_ {nullptr};
};

// Whether the Factory may make a T from these arguments: T is an Object and
// nobody outside its friends can construct it so.
template<typename T, typename... Args>
concept FactoryMade = std::is_base_of_v<Object, T> && !std::is_constructible_v<T, Args&&...>;

// The one door through which objects are made. A class keeps its constructors
// private (or protected, for its subclasses) and names `friend base::Factory;`, so
// that only make() and the class's own static factories can create it. A new
// object's count is 1 from its constructor on and make() adopts that count, so a
// constructor that takes and drops a Ref to itself cannot free the object.
//
// make() refuses, at compile time, a class that anyone could construct with the
// same arguments: a constructor left public would let objects be made on the
// stack, as members or with a bare new, outside reference counting.
class Factory {
public:
    template<typename T, typename... Args> static Ref<T> make(Args&&... args) {
        static_assert(std::is_base_of_v<Object, T>, "only Objects are made by the Factory");
        static_assert(FactoryMade<T, Args...>,
            "an Object's constructors must not be public: make them private (protected "
            "when subclassed) and name `friend base::Factory;`");
        return Ref<T>(new T(std::forward<Args>(args)...), typename Ref<T>::Adopt {});
    }
};

// Makes an object and returns the owning reference; the factories of every class
// go through this.
template<typename T, typename... Args> Ref<T> make(Args&&... args) {
    return Factory::make<T>(std::forward<Args>(args)...);
}

// A checked downcast, for asking whether an object is of a kind: null when the
// object is not a U.
template<typename U, typename T> Ref<U> ref_cast(Ref<T> const& ref) {
    return Ref<U>(dynamic_cast<U*>(ref.get()));
}

}

template<typename T> struct std::hash<base::Ref<T>> {
    std::size_t operator()(base::Ref<T> const& ref) const noexcept {
        return std::hash<T*>()(ref.get());
    }
};
