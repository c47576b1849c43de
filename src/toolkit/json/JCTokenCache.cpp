#include <toolkit/json/JCTokenCache.hpp>

#include <toolkit/json/JCUTF8.hpp>

#include <cstring>
#include <limits>

namespace toolkit::json {

namespace {

thread_local std::unique_ptr<JCTokenCacheItem[]> spareItems;

}

JCTokenCache::JCTokenCache() {
    items = spareItems ? std::move(spareItems) : std::make_unique<JCTokenCacheItem[]>(count);
}

JCTokenCache::~JCTokenCache() {
    clear();
    if (!spareItems)
        spareItems = std::move(items);
}

base::SharedString const& JCTokenCache::emptyString() {
    static base::SharedString const empty = std::make_shared<std::string const>();
    return empty;
}

void JCTokenCache::age() {
    bool carry = prng_lfsr & 1;
    prng_lfsr >>= 1;
    if (carry)
        prng_lfsr ^= 0x80200003u;
    ages[prng_lfsr & (count - 1)] >>= 1;
}

namespace {

base::Value makeObject(JCTokenValue const& value) {
    switch (value.type) {
    case JCValueTypeString:
        return base::Value(std::make_shared<std::string const>(
            reinterpret_cast<char const*>(value.ptr), value.length));
    case JCValueTypeLongLong:
        return base::Value(static_cast<long long>(value.number.longLongValue));
    case JCValueTypeUnsignedLongLong:
        if (value.number.unsignedLongLongValue
            <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return base::Value(static_cast<long long>(value.number.unsignedLongLongValue));
        return base::Value(static_cast<unsigned long long>(value.number.unsignedLongLongValue));
    case JCValueTypeDouble:
        return base::Value(value.number.doubleValue);
    default:
        return {};
    }
}

}

base::Value const& JCTokenCache::lookup(JCTokenValue& value, base::Value& scratch) {
    value.cacheItem = nullptr;
    if (value.length == 0 && value.type == JCValueTypeString) {
        static base::Value const empty(emptyString());
        return empty;
    }

    constexpr std::size_t mask = count - 1;
    std::size_t slot = value.hash & mask;
    JCTokenCacheItem* chosen = nullptr;
    std::size_t chosenSlot = 0;
    for (std::size_t probe = 0; probe < 4; ++probe) {
        if (probe > 0)
            slot = (value.hash + (value.length + value.type + 3) * probe) & mask;
        auto& item = items[slot];
        if (item.object.isNil()) {
            chosen = &item;
            chosenSlot = slot;
            break;
        }
        if (item.hash == value.hash && item.size == value.length && item.type == value.type
            && item.holds(value.ptr, value.length)) {
            ages[slot] = std::uint8_t((ages[slot] << 1) | 1);
            value.cacheItem = &item;
            return item.object;
        }
        if (!chosen) {
            if (ages[slot] == 0) {
                chosen = &item;
                chosenSlot = slot;
            } else {
                ages[slot] >>= 1;
                age();
                age();
            }
        }
    }

    scratch = makeObject(value);
    if (chosen && !scratch.isNil()) {
        if (chosen->object.isNil())
            used.push_back(std::uint16_t(chosenSlot));
        chosen->object = std::move(scratch);
        if (value.type != JCValueTypeString)
            std::memcpy(&chosen->number, value.ptr, sizeof chosen->number);
        chosen->hash = value.hash;
        chosen->cfHash = 0;
        chosen->size = value.length;
        chosen->type = value.type;
        ages[chosenSlot] = 0;
        value.cacheItem = chosen;
        return chosen->object;
    }
    return scratch;
}

namespace {

// Equality of two byte ranges of length n. Most keys and numbers are at most 16 bytes:
// those compare as two words that may overlap, read only inside both ranges, without
// a call.
bool sameBytes(std::uint8_t const* a, std::uint8_t const* b, std::size_t n) {
    if (n > 16)
        return std::memcmp(a, b, n) == 0;
    if (n >= 8) {
        std::uint64_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + n - 8, 8);
        std::memcpy(&b1, b + n - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (n >= 4) {
        std::uint32_t a0, b0, a1, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&a1, a + n - 4, 4);
        std::memcpy(&b1, b + n - 4, 4);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

}

bool JCTokenCacheItem::holds(std::uint8_t const* bytes, std::uint32_t length) const {
    if (type == JCValueTypeString)
        return sameBytes(
            reinterpret_cast<std::uint8_t const*>(object.string()->data()), bytes, length);
    return length == sizeof number
        && sameBytes(reinterpret_cast<std::uint8_t const*>(&number), bytes, sizeof number);
}

std::uint32_t JCTokenCache::cfHash(JCTokenCacheItem& item) {
    if (item.cfHash == 0 && item.object.isString())
        item.cfHash = JCKeyHash(*item.object.string());
    return item.cfHash;
}

void JCTokenCache::clear() {
    for (auto slot : used) {
        items[slot] = JCTokenCacheItem();
        ages[slot] = 0;
    }
    used.clear();
}

}
