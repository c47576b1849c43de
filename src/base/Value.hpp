#pragma once

#include <base/Decimal.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace base {

class Array;
class Dictionary;

using Bytes = std::vector<std::uint8_t>;

// An immutable string that several values hold at once, as the platform's string
// objects are shared by reference: the JSON decoder hands the same one to every tree
// that holds an equal text. Values made from a std::string keep their own copy.
using SharedString = std::shared_ptr<std::string const>;

// A dictionary's key: a text of its own, or a shared text that other keys and values
// hold as well (the JSON decoder gives every key the string object of its cache, so
// equal keys of every tree one decoder returns are one object). Reads as the
// std::string it holds, and compares by text.
class DictionaryKey {
public:
    DictionaryKey() = default;
    DictionaryKey(std::string text)
        : text_(std::move(text)) { }
    DictionaryKey(std::string_view text)
        : text_(std::string(text)) { }
    DictionaryKey(char const* text)
        : text_(std::string(text ? text : "")) { }
    // A null pointer gives the empty key.
    DictionaryKey(SharedString text) {
        if (text)
            text_ = std::move(text);
    }

    std::string const& str() const {
        if (auto shared = std::get_if<SharedString>(&text_))
            return **shared;
        return *std::get_if<std::string>(&text_);
    }
    operator std::string const&() const { return str(); }
    operator std::string_view() const { return str(); }
    // The shared text the key refers to, or null when it holds its own.
    SharedString const* shared() const { return std::get_if<SharedString>(&text_); }

    std::size_t size() const { return str().size(); }
    bool empty() const { return str().empty(); }
    char const* data() const { return str().data(); }
    char const* c_str() const { return str().c_str(); }

    bool operator==(DictionaryKey const& other) const { return str() == other.str(); }
    std::strong_ordering operator<=>(DictionaryKey const& other) const {
        return str().compare(other.str()) <=> 0;
    }
    friend bool operator==(DictionaryKey const& key, std::string_view text) {
        return std::string_view(key.str()) == text;
    }
    friend std::strong_ordering operator<=>(DictionaryKey const& key, std::string_view text) {
        return std::string_view(key.str()).compare(text) <=> 0;
    }
    friend bool operator==(DictionaryKey const& key, char const* text) { return key.str() == text; }
    friend std::string operator+(DictionaryKey const& key, std::string_view text) {
        std::string joined(key.str());
        joined += text;
        return joined;
    }
    friend std::string operator+(std::string_view text, DictionaryKey const& key) {
        std::string joined(text);
        joined += key.str();
        return joined;
    }
    friend std::ostream& operator<<(std::ostream& out, DictionaryKey const& key);

private:
    std::variant<std::string, SharedString> text_;
};

// A point in time as seconds since 2001-01-01 00:00:00 UTC, the platform's epoch.
struct Date {
    double seconds {0};
    bool operator==(Date const&) const = default;
};

// The dynamic value of property lists, JSON, user defaults and user-info
// dictionaries. Scalars, strings, data and dates are values; arrays and
// dictionaries are shared by reference like the platform's mutable collections,
// and copying one is explicit (Array::copy, Dictionary::copy).
// Numbers keep the kind they were made with (signed, unsigned 64-bit, real, or the
// platform's decimal number); booleans are their own kind.
class Value {
public:
    enum class Kind {
        Null,
        Boolean,
        Integer,
        Unsigned,
        Real,
        String,
        Data,
        Date,
        Array,
        Dictionary,
        Decimal
    };

    // The platform's null object (NSNull): a value that stands for "null" inside
    // collections, where a plain null value means "absent". It is a Null like the
    // plain one; isNullObject() tells them apart.
    struct NullObject {
        bool operator==(NullObject const&) const = default;
    };

    Value() = default;
    Value(std::nullptr_t) { }
    Value(NullObject)
        : storage_(NullObject {}) { }
    static Value nullObject() { return Value(NullObject {}); }
    Value(bool b)
        : storage_(b) { }
    Value(int i)
        : storage_(std::int64_t(i)) { }
    Value(long i)
        : storage_(std::int64_t(i)) { }
    Value(long long i)
        : storage_(std::int64_t(i)) { }
    Value(unsigned i)
        : storage_(std::int64_t(i)) { }
    Value(unsigned long u)
        : storage_(std::uint64_t(u)) { }
    Value(unsigned long long u)
        : storage_(std::uint64_t(u)) { }
    Value(double d)
        : storage_(d) { }
    Value(float f)
        : storage_(double(f)) { }
    Value(char const* s)
        : storage_(std::string(s ? s : "")) {
        if (!s)
            storage_ = std::monostate {};
    }
    Value(std::string s)
        : storage_(std::move(s)) { }
    Value(std::string_view s)
        : storage_(std::string(s)) { }
    // A string value that refers to a shared text instead of copying it; a null
    // pointer gives a null value.
    Value(SharedString s) {
        if (s)
            storage_ = std::move(s);
    }
    Value(Bytes bytes)
        : storage_(std::make_shared<Bytes const>(std::move(bytes))) { }
    Value(Date date)
        : storage_(date) { }
    Value(base::Decimal decimal)
        : storage_(decimal) { }
    Value(Ref<Array> array);
    Value(Ref<Dictionary> dictionary);

    Kind kind() const {
        auto index = storage_.index();
        if (index < SharedStringIndex)
            return Kind(index);
        return index == SharedStringIndex ? Kind::String : Kind::Null;
    }
    // Null or the null object.
    bool isNull() const { return kind() == Kind::Null; }
    // The plain null value: nothing at all. Dictionaries do not hold it.
    bool isNil() const { return storage_.index() == 0; }
    bool isNullObject() const { return storage_.index() == NullObjectIndex; }
    bool isBoolean() const { return kind() == Kind::Boolean; }
    bool isNumber() const {
        auto k = kind();
        return k == Kind::Integer || k == Kind::Unsigned || k == Kind::Real || k == Kind::Decimal;
    }
    bool isDecimal() const { return kind() == Kind::Decimal; }
    bool isString() const { return kind() == Kind::String; }
    bool isData() const { return kind() == Kind::Data; }
    bool isDate() const { return kind() == Kind::Date; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isDictionary() const { return kind() == Kind::Dictionary; }

    // Access of one kind: null when the value is of another kind.
    std::string const* string() const {
        if (auto shared = std::get_if<SharedString>(&storage_))
            return shared->get();
        return std::get_if<std::string>(&storage_);
    }
    // The shared text of a string value made from one, else null.
    SharedString const* sharedString() const { return std::get_if<SharedString>(&storage_); }
    Bytes const* data() const;
    Date const* date() const { return std::get_if<Date>(&storage_); }
    base::Decimal const* decimal() const { return std::get_if<base::Decimal>(&storage_); }
    Array* array() const;
    Dictionary* dictionary() const;
    Ref<Array> arrayRef() const;
    Ref<Dictionary> dictionaryRef() const;

    // The platform's conversions, as numbers and strings answer them: a string
    // gives the number its leading characters spell (none gives 0), a boolean 0 or
    // 1; anything else gives 0 / false / an empty string.
    int intValue() const;
    std::int64_t longLongValue() const;
    std::uint64_t unsignedLongLongValue() const;
    double doubleValue() const;
    float floatValue() const { return float(doubleValue()); }
    bool boolValue() const;
    // A number or boolean as its text ("12", "0.5", "1"); a string as itself.
    std::string stringValue() const;

    // The platform's description text: "(null)" for null, plist-like text for
    // collections. Used where values are formatted with %@.
    std::string description() const;

    // Equality as the platform's isEqual: answers it: numbers compare by value
    // across their kinds, collections element by element.
    bool operator==(Value const& other) const;

    static std::int64_t integerFromString(std::string_view);
    static double doubleFromString(std::string_view);
    static bool boolFromString(std::string_view);

private:
    // The alternatives follow Kind in order; then come a shared string, which is a
    // String as well, and the null object, a Null.
    using Storage = std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double,
        std::string, std::shared_ptr<Bytes const>, Date, Ref<Array>, Ref<Dictionary>, base::Decimal,
        SharedString, NullObject>;
    static constexpr std::size_t SharedStringIndex = 11;
    static constexpr std::size_t NullObjectIndex = 12;

    void describe(std::string& out, int indent) const;

    Storage storage_;
};

// An ordered, mutable list of values, shared by reference. Other libraries may
// derive their own arrays (the JSON decoder's) that keep the values here and add
// bookkeeping of their own.
class Array : public Object {
public:
    static Ref<Array> create() { return make<Array>(); }
    static Ref<Array> create(std::vector<Value> values);

    std::size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }

    // Out-of-range access raises NSRangeException, as the platform does.
    Value const& at(std::size_t index) const;
    Value const& operator[](std::size_t index) const { return at(index); }
    void set(std::size_t index, Value value);

    void add(Value value) { values_.push_back(std::move(value)); }
    void insert(std::size_t index, Value value);
    void removeAt(std::size_t index);
    void removeLast();
    void removeAll() { values_.clear(); }
    bool contains(Value const& value) const;
    // Index of the first equal value, or npos.
    std::size_t indexOf(Value const& value) const;

    // A new array holding the same values (nested collections shared).
    Ref<Array> copy() const { return create(values_); }
    // A new array with nested arrays and dictionaries copied too.
    Ref<Array> deepCopy() const;

    std::vector<Value> const& values() const { return values_; }
    auto begin() const { return values_.begin(); }
    auto end() const { return values_.end(); }

    static constexpr std::size_t npos = std::size_t(-1);

protected:
    friend Factory;
    Array() = default;

    std::vector<Value> values_;
};

// A mutable dictionary from string keys to values, shared by reference. Keeps
// insertion order, so enumeration, descriptions and files written from it are
// deterministic. Setting an existing key keeps its place.
//
// Entries sit in a vector in insertion order, and a hash index maps each key to its
// slot. Removing a key leaves an empty slot behind (its value the plain null, which
// no live entry holds) instead of shifting every later entry, and the slots are compacted
// once they outnumber the live entries, so removal costs amortised constant time in
// any order. Enumeration skips the empty slots.
//
// Other libraries may derive dictionaries of their own (the JSON decoder's hash
// table) that keep their entries in the same slots, empty ones marked the same way,
// and answer the virtual operations below from their own index; everything else,
// walking included, works on the slots alone.
class Dictionary : public Object {
public:
    using Entry = std::pair<DictionaryKey, Value>;

    // Walks the live entries in insertion order.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Entry;
        using difference_type = std::ptrdiff_t;
        using pointer = Entry const*;
        using reference = Entry const&;

        Iterator() = default;
        reference operator*() const { return *at_; }
        pointer operator->() const { return at_; }
        Iterator& operator++() {
            ++at_;
            skipEmpty();
            return *this;
        }
        Iterator operator++(int) {
            auto before = *this;
            ++*this;
            return before;
        }
        bool operator==(Iterator const& other) const { return at_ == other.at_; }

    private:
        friend class Dictionary;
        Iterator(Entry const* at, Entry const* end)
            : at_(at)
            , end_(end) {
            skipEmpty();
        }
        void skipEmpty() {
            while (at_ != end_ && at_->second.isNil())
                ++at_;
        }

        Entry const* at_ {nullptr};
        Entry const* end_ {nullptr};
    };

    static Ref<Dictionary> create() { return make<Dictionary>(); }
    static Ref<Dictionary> create(std::vector<Entry> entries);

    std::size_t size() const { return slots_.size() - emptySlots_; }
    bool empty() const { return size() == 0; }

    // The value for key, or a null value when the key is absent.
    Value const& objectForKey(std::string_view key) const;
    Value const& operator[](std::string_view key) const { return objectForKey(key); }
    virtual Value const* find(std::string_view key) const;
    bool contains(std::string_view key) const { return find(key) != nullptr; }

    // Setting a null value removes the key, as the platform refuses nil objects; the
    // null object is stored like any value.
    virtual void setObject(std::string_view key, Value value);
    virtual void removeObjectForKey(std::string_view key);
    virtual void removeAll();
    // Copies every entry of other into this dictionary, replacing equal keys.
    void addEntriesFrom(Dictionary const& other);

    std::vector<std::string> keys() const;
    // The live entries in insertion order, by position. Squeezes the empty places out
    // first, so it is not for a dictionary read by several threads at once. A derived
    // dictionary whose slots are its own table lists its entries instead.
    virtual std::vector<Entry> const& entries() const;
    Iterator begin() const { return Iterator(slots_.data(), slots_.data() + slots_.size()); }
    Iterator end() const {
        auto last = slots_.data() + slots_.size();
        return Iterator(last, last);
    }

    Ref<Dictionary> copy() const { return create(entries()); }
    Ref<Dictionary> deepCopy() const;

protected:
    friend Factory;
    Dictionary() = default;

    // Entries in slot order; an empty slot holds a null value.
    std::vector<Entry> slots_;
    std::size_t emptySlots_ {0};

private:
    // Up to this many slots a key is found by comparing it with each slot's; past
    // it, the dictionary builds its index and keeps it from then on.
    static constexpr std::size_t UnindexedSlots = 8;
    static constexpr std::uint32_t NoSlot = 0xFFFFFFFF;
    static constexpr std::size_t NotFound = std::size_t(-1);

    // A place of the index: a key's hash and the slot holding the key, or NoSlot.
    struct IndexEntry {
        std::uint32_t hash;
        std::uint32_t slot;
    };

    static std::uint32_t hashOf(std::string_view key);
    // The slot of a live key, or NotFound.
    std::size_t slotOf(std::string_view key) const;
    // The index place holding the key's slot, or the free place that ends its run.
    std::size_t placeOf(std::string_view key, std::uint32_t hash) const;
    // Makes the index anew for the live slots, at most a quarter full.
    void rebuildIndex();
    // Frees an index place, moving later entries of its run back so none is lost.
    void unindexPlace(std::size_t place);
    void compact();

    // Open addressing with linear probing: a power-of-two number of places, at most
    // half of them used, each entry holding its hash so that growing, compacting and
    // removing never hash a key again and a probe compares a key only on equal
    // hashes. The keys stay in the slots alone. Empty while unindexed.
    std::vector<IndexEntry> index_;
};

}
