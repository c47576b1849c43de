#pragma once

#include <toolkit/json/JCError.hpp>

#include <base/Value.hpp>

#include <cstddef>
#include <optional>
#include <string>

namespace toolkit::json {

enum JCSerializeOptionFlags : unsigned {
    JCSerializeOptionNone = 0,
    // Every non-ASCII character of a string is written as \u escapes (surrogate pairs
    // above U+FFFF). No other bit has an effect.
    JCSerializeFlagEscapeUnicode = 0x02,
};

// Arrays and objects nested deeper than this (a collection that holds itself, for
// one) end the encoding with an error instead of exhausting the stack.
inline constexpr std::size_t JCMaximumEncodeDepth = 512;

// Writes an array or dictionary tree as compact JSON text in UTF-8: no spaces or
// line breaks, keys in the dictionary's own order, integers in full, reals with 17
// significant digits, "/" unescaped, control characters as \b \t \n \f \r or
// \u00XX. A string met again (the same shared string, or the same collection
// walked twice) costs one copy of its earlier text. Null and the null object write
// "null". Data, dates, NaN and infinities cannot be written: the result is then
// empty and error (when given) says why. All state lives in the call, so any
// thread may encode as long as the tree does not change meanwhile.
std::optional<base::Bytes> JSONData(
    base::Array const& array, unsigned serializeOptions = 0, JCError* error = nullptr);
std::optional<base::Bytes> JSONData(
    base::Dictionary const& dictionary, unsigned serializeOptions = 0, JCError* error = nullptr);
std::optional<std::string> JSONString(
    base::Array const& array, unsigned serializeOptions = 0, JCError* error = nullptr);
std::optional<std::string> JSONString(
    base::Dictionary const& dictionary, unsigned serializeOptions = 0, JCError* error = nullptr);

}
