#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>

namespace toolkit::json {

// The decoder's arrays. They are base::Arrays to every caller, holding their values
// in the array's own storage, and add what the decoder's readers rely on: an exact
// capacity (the decoded count, then steps of 16) and a mutation counter. Only the
// decoder makes them (JCArrayCreate). Immutable instances may be read from any
// thread; a mutable one must not change while another thread reads it.
class JCArray : public base::Array {
public:
    std::size_t count() const { return values_.size(); }
    std::size_t capacity() const { return values_.capacity(); }
    std::uint32_t mutations() const { return mutations_; }

    // Raises NSRangeException "*** -[JCArray objectAtIndex:]: index (i) beyond
    // bounds (count)" for an index not below count.
    base::Value const& objectAtIndex(std::size_t index) const;
    // Copies the values of [location, location + length) to objects; a range past
    // count raises the range message with the range's end.
    void getObjects(base::Value* objects, std::size_t location, std::size_t length) const;

    // An immutable array is its own copy; a mutable one copies into a new array.
    virtual base::Ref<base::Array> copy() const;
    // A new, ordinary mutable array with the same values.
    base::Ref<base::Array> mutableCopy() const;

    virtual char const* className() const { return "JCArray"; }

protected:
    friend base::Factory;
    friend base::Ref<JCArray> JCArrayCreate(base::Value* objects, std::size_t count, bool);
    JCArray() = default;

    [[noreturn]] void raiseRange(char const* selector, std::size_t index, std::size_t bound) const;

    std::uint32_t mutations_ {0};
};

// The mutable form: changed through its own operations, each counting a mutation.
class JCMutableArray final : public JCArray {
public:
    // A null value raises NSInvalidArgumentException "... attempt to insert nil"; an
    // index above count the range message with count + 1. Capacity grows by 16 when
    // the count reaches it.
    void insertObject(base::Value object, std::size_t index);
    void removeObjectAtIndex(std::size_t index);
    void replaceObjectAtIndex(std::size_t index, base::Value object);

    base::Ref<base::Array> copy() const override;
    char const* className() const override { return "JCMutableArray"; }

private:
    friend base::Factory;
    JCMutableArray() = default;
};

// Makes an array of count values, moved out of objects; mutable when asked.
base::Ref<JCArray> JCArrayCreate(base::Value* objects, std::size_t count, bool mutableCollection);

}
