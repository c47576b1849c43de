#include <toolkit/json/JSONEncoder.hpp>

#include <toolkit/json/JCUTF8.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace toolkit::json {

namespace {

constexpr std::size_t CacheSlots = 1024;

struct JCEncodeCache {
    void const* object {nullptr};
    std::uint32_t offset {0};
    std::uint32_t length {0};
};

struct JCEncodeState {
    std::string out;
    unsigned optionFlags {0};
    std::optional<JCError> error;
    std::size_t depth {0};
    JCEncodeCache cache[CacheSlots];

    bool fail(std::string message) {
        if (!error) {
            JCError e;
            e.localizedDescription = std::move(message);
            error = std::move(e);
        }
        return false;
    }
};

std::size_t cacheSlot(void const* object) {
    auto a = reinterpret_cast<std::uintptr_t>(object);
    return (((a >> 21) ^ (a >> 9)) + (a >> 4)) & (CacheSlots - 1);
}

char const Hex[] = "0123456789abcdef";

void appendEscape(std::string& out, std::uint32_t unit) {
    char text[6] = {'\\', 'u', Hex[(unit >> 12) & 15], Hex[(unit >> 8) & 15], Hex[(unit >> 4) & 15],
        Hex[unit & 15]};
    out.append(text, 6);
}

// Writes one ASCII byte with the escapes JSON needs.
inline void appendASCII(std::string& out, std::uint8_t c) {
    switch (c) {
    case 0x08:
        out.append("\\b", 2);
        return;
    case 0x09:
        out.append("\\t", 2);
        return;
    case 0x0A:
        out.append("\\n", 2);
        return;
    case 0x0C:
        out.append("\\f", 2);
        return;
    case 0x0D:
        out.append("\\r", 2);
        return;
    case '"':
        out.append("\\\"", 2);
        return;
    case '\\':
        out.append("\\\\", 2);
        return;
    default:
        if (c < 0x20)
            appendEscape(out, c);
        else
            out.push_back(char(c));
    }
}

bool needsEscape(std::uint8_t c) {
    return c < 0x20 || c == '"' || c == '\\' || c >= 0x80;
}

bool addString(JCEncodeState& state, std::string const& text) {
    auto& out = state.out;
    auto& slot = state.cache[cacheSlot(&text)];
    if (slot.object == &text) {
        out.append(out, slot.offset, slot.length);
        return true;
    }
    std::size_t start = out.size();
    auto bytes = reinterpret_cast<std::uint8_t const*>(text.data());
    auto end = bytes + text.size();
    out.reserve(out.size() + text.size() + 2);
    out.push_back('"');
    auto p = bytes;
    while (p < end) {
        // Runs of plain bytes go in one piece.
        auto run = p;
        while (run < end && !needsEscape(*run))
            ++run;
        if (run > p) {
            out.append(reinterpret_cast<char const*>(p), std::size_t(run - p));
            p = run;
            continue;
        }
        if (*p < 0x80) {
            appendASCII(out, *p++);
            continue;
        }
        std::uint8_t const* next;
        std::uint32_t codePoint;
        if (state.optionFlags & JCSerializeFlagEscapeUnicode) {
            if (ConvertSingleCodePointInUTF8(p, end, &next, &codePoint) != conversionOK) {
                out.resize(start);
                return state.fail("Error converting UTF8.");
            }
            if (codePoint >= 0x10000) {
                appendEscape(out, 0xD7C0 + (codePoint >> 10));
                appendEscape(out, 0xDC00 + (codePoint & 0x3FF));
            } else {
                appendEscape(out, codePoint);
            }
        } else {
            if (!JCIsWellFormedUTF8(p, end, &next, &codePoint)) {
                out.resize(start);
                return state.fail(
                    "An error occurred converting the contents of a NSString to UTF8.");
            }
            out.append(reinterpret_cast<char const*>(p), std::size_t(next - p));
        }
        p = next;
    }
    out.push_back('"');
    slot.object = &text;
    slot.offset = std::uint32_t(start);
    slot.length = std::uint32_t(out.size() - start);
    return true;
}

void addUnsigned(std::string& out, std::uint64_t value) {
    char digits[24];
    char* p = digits + sizeof digits;
    do {
        *--p = char('0' + value % 10);
        value /= 10;
    } while (value);
    out.append(p, std::size_t(digits + sizeof digits - p));
}

bool addValue(JCEncodeState& state, base::Value const& value);

bool addArray(JCEncodeState& state, base::Array const& array) {
    auto& out = state.out;
    out.push_back('[');
    bool first = true;
    for (auto const& element : array) {
        if (!first)
            out.push_back(',');
        first = false;
        if (!addValue(state, element))
            return false;
    }
    out.push_back(']');
    return true;
}

bool addDictionary(JCEncodeState& state, base::Dictionary const& dictionary) {
    auto& out = state.out;
    out.push_back('{');
    bool first = true;
    for (auto const& [key, element] : dictionary) {
        if (!first)
            out.push_back(',');
        first = false;
        if (!addString(state, key))
            return false;
        out.push_back(':');
        if (!addValue(state, element))
            return false;
    }
    out.push_back('}');
    return true;
}

bool addCollection(JCEncodeState& state, base::Value const& value) {
    if (state.depth >= JCMaximumEncodeDepth)
        return state.fail("Arrays and objects are nested deeper than 512 levels.");
    ++state.depth;
    bool written = value.isArray() ? addArray(state, *value.array())
                                   : addDictionary(state, *value.dictionary());
    --state.depth;
    return written;
}

bool addValue(JCEncodeState& state, base::Value const& value) {
    auto& out = state.out;
    switch (value.kind()) {
    case base::Value::Kind::String:
        return addString(state, *value.string());
    case base::Value::Kind::Integer: {
        std::int64_t n = value.longLongValue();
        if (n < 0) {
            out.push_back('-');
            addUnsigned(out, 0 - std::uint64_t(n));
        } else {
            addUnsigned(out, std::uint64_t(n));
        }
        return true;
    }
    case base::Value::Kind::Unsigned:
        addUnsigned(out, value.unsignedLongLongValue());
        return true;
    case base::Value::Kind::Real: {
        double d = value.doubleValue();
        if (!std::isfinite(d))
            return state.fail(
                "Floating point values must be finite.  JSON does not support NaN or Infinity.");
        char text[40];
        auto result = std::to_chars(text, text + sizeof text, d, std::chars_format::general, 17);
        out.append(text, std::size_t(result.ptr - text));
        return true;
    }
    case base::Value::Kind::Decimal: {
        // Written exactly as the digits it holds.
        auto const& decimal = *value.decimal();
        if (decimal.isNaN())
            return state.fail(
                "Floating point values must be finite.  JSON does not support NaN or Infinity.");
        out.append(decimal.stringValue());
        return true;
    }
    case base::Value::Kind::Boolean:
        if (value.boolValue())
            out.append("true", 4);
        else
            out.append("false", 5);
        return true;
    case base::Value::Kind::Null:
        out.append("null", 4);
        return true;
    case base::Value::Kind::Array:
    case base::Value::Kind::Dictionary:
        return addCollection(state, value);
    case base::Value::Kind::Data:
        return state.fail("Unable to serialize object class NSData.");
    case base::Value::Kind::Date:
        return state.fail("Unable to serialize object class NSDate.");
    }
    return state.fail("Unable to serialize object class (unknown).");
}

// Runs one encoding; the text, or nothing with the error stored.
std::optional<std::string> encode(base::Value const& object, unsigned options, JCError* error) {
    auto state = std::make_unique<JCEncodeState>();
    state->optionFlags = options;
    state->out.reserve(4096);
    if (addValue(*state, object))
        return std::move(state->out);
    if (error)
        *error = *state->error;
    return std::nullopt;
}

base::Value holding(base::Array const& array) {
    return base::Value(base::Ref<base::Array>(const_cast<base::Array*>(&array)));
}

base::Value holding(base::Dictionary const& dictionary) {
    return base::Value(base::Ref<base::Dictionary>(const_cast<base::Dictionary*>(&dictionary)));
}

std::optional<base::Bytes> asBytes(std::optional<std::string> text) {
    if (!text)
        return std::nullopt;
    return base::Bytes(text->begin(), text->end());
}

}

std::optional<base::Bytes> JSONData(base::Array const& array, unsigned options, JCError* error) {
    return asBytes(encode(holding(array), options, error));
}

std::optional<base::Bytes> JSONData(
    base::Dictionary const& dictionary, unsigned options, JCError* error) {
    return asBytes(encode(holding(dictionary), options, error));
}

std::optional<std::string> JSONString(base::Array const& array, unsigned options, JCError* error) {
    return encode(holding(array), options, error);
}

std::optional<std::string> JSONString(
    base::Dictionary const& dictionary, unsigned options, JCError* error) {
    return encode(holding(dictionary), options, error);
}

}
