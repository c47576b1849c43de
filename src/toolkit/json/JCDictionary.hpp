#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit::json {

class JCDictionaryEnumerator;

// The decoder's dictionaries: an open-addressing hash table that is the
// base::Dictionary's own slot storage, so every caller reads and walks it as a
// base::Dictionary (walks go in table order). The table has one of 40 fixed
// capacities; a key of hash h is looked for at h mod capacity and the entries after
// it, and the first empty entry ends the search. Keys hash with JCKeyHash. Removal
// puts the later entries of the probe run back in place, so none becomes
// unreachable. Only the decoder makes them (JCDictionaryCreate). Immutable instances
// may be read from any thread; a mutable one must not change while another thread
// reads it.
class JCDictionary : public base::Dictionary {
public:
    std::size_t count() const { return size(); }
    std::size_t capacity() const { return slots_.size(); }
    std::uint32_t mutations() const { return mutations_; }

    base::Value const* find(std::string_view key) const override;
    // A null value raises NSInvalidArgumentException "*** -[<class> setObject:forKey:]:
    // attempt to insert nil value (key: <key>)". The table grows first when the count
    // after the insertion would want a larger capacity.
    void setObject(std::string_view key, base::Value value) override;
    // A missing key changes nothing.
    void removeObjectForKey(std::string_view key) override;
    void removeAll() override;

    // The occupied entries in table order. The table keeps empty entries between
    // them, so the list is made afresh at each call and holds until the next.
    std::vector<Entry> const& entries() const override;
    // The occupied entries in table order, into either vector (both may be null).
    void getObjectsAndKeys(std::vector<base::Value>* objects, std::vector<std::string>* keys) const;
    base::Ref<JCDictionaryEnumerator> keyEnumerator() const;
    // The entry at table index i, or null when it is empty.
    Entry const* entryAtIndex(std::size_t i) const {
        return slots_[i].second.isNil() ? nullptr : &slots_[i];
    }

    // An immutable dictionary is its own copy; a mutable one copies into a new one.
    virtual base::Ref<base::Dictionary> copy() const;
    // A new, ordinary mutable dictionary with the same entries.
    base::Ref<base::Dictionary> mutableCopy() const { return base::Dictionary::copy(); }

    virtual char const* className() const { return "JCDictionary"; }

    // The table capacity for count entries: the first of the 40 fixed sizes not
    // below count x 1.33.
    static std::size_t capacityForCount(std::size_t count);

protected:
    friend base::Factory;
    friend base::Ref<JCDictionary> JCDictionaryCreate(base::DictionaryKey* keys,
        std::uint32_t const* keyHashes, base::Value* objects, std::size_t, bool);
    JCDictionary() = default;

    static constexpr std::size_t npos = std::size_t(-1);

    std::size_t entryForKey(std::string_view key, std::uint32_t hash) const;
    void allocateTable(std::size_t capacity);
    void fill(base::DictionaryKey* keys, std::uint32_t const* keyHashes, base::Value* objects,
        std::size_t count);
    void addObject(std::uint32_t hash, base::DictionaryKey key, base::Value object);
    void reinsert(Entry entry);
    void removeEntry(std::size_t index);
    void resizeIfNecessary();
    void mutated();

    std::uint32_t mutations_ {0};
    mutable std::vector<Entry> listed_;
};

class JCMutableDictionary final : public JCDictionary {
public:
    base::Ref<base::Dictionary> copy() const override { return mutableCopy(); }
    char const* className() const override { return "JCMutableDictionary"; }

private:
    friend base::Factory;
    JCMutableDictionary() = default;
};

// Hands out the keys of a JCDictionary in table order; keeps the dictionary alive.
class JCDictionaryEnumerator final : public base::Object {
public:
    static base::Ref<JCDictionaryEnumerator> initWithJKDictionary(
        base::Ref<JCDictionary const> dictionary);

    // The next key, or nothing at the end.
    std::optional<std::string> nextObject();
    // The keys not handed out yet.
    base::Ref<base::Array> allObjects();

private:
    friend base::Factory;
    explicit JCDictionaryEnumerator(base::Ref<JCDictionary const> dictionary)
        : collection(std::move(dictionary)) { }

    base::Ref<JCDictionary const> collection;
    std::size_t nextObject_ {0};
};

// Makes a dictionary of count pairs, moved out of keys and objects, with each key's
// hash given; a later duplicate key replaces the earlier pair. Mutable when asked.
// The keys are kept as given, so keys that share a text keep sharing it.
base::Ref<JCDictionary> JCDictionaryCreate(base::DictionaryKey* keys,
    std::uint32_t const* keyHashes, base::Value* objects, std::size_t count,
    bool mutableCollection);

}
