#pragma once

#include <toolkit/json/JCError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace toolkit::json {

struct JCParseState;
class JCTokenCache;

enum JCParseOptionFlags : unsigned {
    JCParseOptionNone = 0,
    // "/* */" and "//" comments count as white space.
    JCParseFlagAllowComments = 0x01,
    // U+0085, U+2028 and U+2029 count as line breaks.
    JCParseFlagUnicodeNewlines = 0x02,
    // Malformed UTF-8 and illegal \u escapes in strings become U+FFFD instead of errors.
    JCParseFlagLooseUnicode = 0x04,
    // Text after the complete top-level value is ignored instead of being an error.
    JCParseFlagAllowTrailingText = 0x08,
    JCParseOptionValidFlags = 0x0F,
};

// Arrays and objects nested deeper than this end the parse with an error instead of
// exhausting the thread's stack.
inline constexpr std::size_t JCMaximumNestingDepth = 512;

// The JSON reader of the server client, the directives, the content packages and the
// REST toolkit: a strict single-pass decoder of UTF-8 into JCArray / JCDictionary
// trees (or their mutable forms) whose leaves are shared strings, numbers, booleans
// and nulls, read by every caller as base::Values. The top level must be an array or
// an object. Malformed input never throws: the result is a null value and the first
// error of the parse, with the byte offset and line where the reader stood, goes to
// the caller's error. A decoder keeps a cache of the strings and numbers it made
// (JCTokenCache) from parse to parse, so equal texts in every tree it returns are one
// object. One decoder serves one call at a time, on any one thread.
class JSONDecoder final : public base::Object {
public:
    static base::Ref<JSONDecoder> decoder() { return decoderWithParseOptions(JCParseOptionNone); }
    // Options above 15 raise NSInvalidArgumentException "Invalid parse options.".
    static base::Ref<JSONDecoder> decoderWithParseOptions(unsigned parseOptionFlags);

    base::Value objectWithUTF8String(
        std::uint8_t const* string, std::size_t length, JCError* error = nullptr);
    base::Value mutableObjectWithUTF8String(
        std::uint8_t const* string, std::size_t length, JCError* error = nullptr);
    base::Value parseUTF8String(
        std::uint8_t const* string, std::size_t length, JCError* error = nullptr) {
        return objectWithUTF8String(string, length, error);
    }
    base::Value objectWithData(base::Bytes const& jsonData, JCError* error = nullptr) {
        return objectWithUTF8String(jsonData.data(), jsonData.size(), error);
    }
    base::Value mutableObjectWithData(base::Bytes const& jsonData, JCError* error = nullptr) {
        return mutableObjectWithUTF8String(jsonData.data(), jsonData.size(), error);
    }
    base::Value parseJSONData(base::Bytes const& jsonData, JCError* error = nullptr) {
        return parseUTF8String(jsonData.data(), jsonData.size(), error);
    }
    // The text's bytes as UTF-8.
    base::Value objectWithString(std::string_view text, JCError* error = nullptr) {
        return objectWithUTF8String(
            reinterpret_cast<std::uint8_t const*>(text.data()), text.size(), error);
    }
    base::Value mutableObjectWithString(std::string_view text, JCError* error = nullptr) {
        return mutableObjectWithUTF8String(
            reinterpret_cast<std::uint8_t const*>(text.data()), text.size(), error);
    }

    // Forgets every cached string and number; trees already returned keep theirs.
    void clearCache();

    unsigned parseOptionFlags() const;
    JCTokenCache const& cache() const;

    ~JSONDecoder() override;

private:
    friend base::Factory;
    explicit JSONDecoder(unsigned parseOptionFlags);

    base::Value parse(
        std::uint8_t const* string, std::size_t length, bool mutableCollections, JCError* error);

    std::unique_ptr<JCParseState> parseState;
};

// One-off decoding through a fresh decoder whose cache goes with it.
base::Value objectFromJSONString(
    std::string_view text, unsigned parseOptionFlags = 0, JCError* error = nullptr);
base::Value mutableObjectFromJSONString(
    std::string_view text, unsigned parseOptionFlags = 0, JCError* error = nullptr);
base::Value objectFromJSONData(
    base::Bytes const& data, unsigned parseOptionFlags = 0, JCError* error = nullptr);
base::Value mutableObjectFromJSONData(
    base::Bytes const& data, unsigned parseOptionFlags = 0, JCError* error = nullptr);

}
