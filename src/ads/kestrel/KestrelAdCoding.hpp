#pragma once

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <base/Value.hpp>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace ads::kestrel {

// Registers every archived class of the ad client, once; the operations that read
// or write archives call it first.
void registerKestrelAdCoding();

// Optional numbers, texts and data in keyed archives: a missing value is written as
// null and read back as none. An archive is outside input, so a number that does not
// fit the field's type reads as none too.
template<typename T>
void encodeOptional(
    foundation::KeyedArchiver& coder, std::optional<T> const& value, std::string_view key) {
    coder.encodeObject(value ? base::Value(*value) : base::Value(), key);
}

template<typename T>
std::optional<T> decodeOptionalNumber(
    foundation::KeyedUnarchiver const& coder, std::string_view key) {
    auto value = coder.decodeObjectForKey(key);
    if (!value.isNumber())
        return std::nullopt;
    if (value.kind() == base::Value::Kind::Unsigned) {
        auto u = value.unsignedLongLongValue();
        if (u > std::uint64_t(std::numeric_limits<T>::max()))
            return std::nullopt;
        return T(u);
    }
    auto n = value.longLongValue();
    if (n < std::int64_t(std::numeric_limits<T>::min())
        || (n > 0 && std::uint64_t(n) > std::uint64_t(std::numeric_limits<T>::max())))
        return std::nullopt;
    return T(n);
}

inline std::optional<std::string> decodeOptionalString(
    foundation::KeyedUnarchiver const& coder, std::string_view key) {
    auto value = coder.decodeObjectForKey(key);
    if (auto const* text = value.string())
        return *text;
    return std::nullopt;
}

inline std::optional<base::Bytes> decodeOptionalData(
    foundation::KeyedUnarchiver const& coder, std::string_view key) {
    auto value = coder.decodeObjectForKey(key);
    if (auto const* bytes = value.data())
        return *bytes;
    return std::nullopt;
}

// The decimal text of a number, "(null)" for none: how the ad client prints ids.
template<typename T> std::string describeNumber(std::optional<T> const& value) {
    return value ? std::to_string(*value) : std::string("(null)");
}

}
