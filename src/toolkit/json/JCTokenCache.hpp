#pragma once

#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace toolkit::json {

// The kind of a decoded string or number, as the tokenizer leaves it.
enum JCValueType : std::uint32_t {
    JCValueTypeString = 5,
    JCValueTypeLongLong = 7,
    JCValueTypeUnsignedLongLong = 11,
    JCValueTypeDouble = 13,
};

// One slot. The bytes that key it are the object's own: a string's text, or the 8
// bytes of a number, kept in number.
struct JCTokenCacheItem {
    base::Value object; // nil marks an empty slot
    std::uint32_t hash {0};
    std::uint32_t cfHash {0}; // JCKeyHash of the text, 0 until first needed
    std::uint32_t size {0};
    std::uint32_t type {0};
    std::uint64_t number {0};

    bool holds(std::uint8_t const* bytes, std::uint32_t length) const;
};

// The decoder's value as the cache sees it: the bytes that key it (a string's UTF-8
// content or the 8 bytes of a number), its hash and its type, plus the number.
struct JCTokenValue {
    std::uint8_t const* ptr {nullptr};
    std::uint32_t length {0};
    std::uint32_t type {0};
    std::uint32_t hash {0};
    union {
        std::int64_t longLongValue;
        std::uint64_t unsignedLongLongValue;
        double doubleValue;
    } number {};
    JCTokenCacheItem* cacheItem {nullptr};
};

// A decoder's cache of the strings and numbers it made recently, so that repeated
// keys and common values are one shared object across every tree the decoder
// returns. 1024 slots, four probes per token; each slot has an age byte that hits
// raise and misses and a linear-feedback shift register wear down, so a full cache
// gives up its least used slots. Owned by one decoder and used by one parse at a
// time.
class JCTokenCache {
public:
    static constexpr std::size_t count = 1024;

    JCTokenCache();
    ~JCTokenCache();
    JCTokenCache(JCTokenCache const&) = delete;
    JCTokenCache& operator=(JCTokenCache const&) = delete;

    // The object for the value: from the cache, or made now (and stored when a slot
    // was free or worn out). Sets value.cacheItem to the slot that answered or took
    // it, or null. The empty string is one constant shared object.
    base::Value cachedObject(JCTokenValue& value) {
        base::Value scratch;
        return lookup(value, scratch);
    }
    // As cachedObject without taking a reference: the slot's own object, or scratch
    // holding the new one when no slot took it. Valid until the next lookup.
    base::Value const& lookup(JCTokenValue& value, base::Value& scratch);

    // One ageing step: the register moves and the age of the slot it names halves.
    void age();

    // Empties every slot; the objects stay alive in the trees that hold them.
    void clear();

    // The key hash of a slot's string, computed on first use.
    std::uint32_t cfHash(JCTokenCacheItem& item);

    JCTokenCacheItem const& item(std::size_t slot) const { return items[slot]; }
    std::uint8_t ageOf(std::size_t slot) const { return ages[slot]; }
    std::uint32_t prngLFSR() const { return prng_lfsr; }

    static base::SharedString const& emptyString();

private:
    // The slot array; a decoder that goes leaves its emptied array to the next one
    // made on the same thread, so a decoder per document costs no fresh 64 KB.
    std::unique_ptr<JCTokenCacheItem[]> items;
    // Slots filled since the last clear, so that clearing touches only those.
    std::vector<std::uint16_t> used;
    std::uint32_t prng_lfsr {1};
    std::uint8_t ages[count] {};
};

}
