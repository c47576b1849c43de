#include <toolkit/json/JSONDecoder.hpp>

#include <toolkit/json/JCArray.hpp>
#include <toolkit/json/JCDictionary.hpp>
#include <toolkit/json/JCTokenCache.hpp>
#include <toolkit/json/JCUTF8.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>

namespace toolkit::json {

namespace {

// The name internal errors give as their source.
constexpr char const* SourceName = "JSONDecoder.cpp";

constexpr char const* UnexpectedTokenMessage
    = "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
      "'\"STRING\"', 'NUMBER'.";

enum TokenType : std::uint32_t {
    TokenNone = 0,
    TokenNumber = 1,
    TokenString = 2,
    TokenObjectBegin = 3,
    TokenObjectEnd = 4,
    TokenArrayBegin = 5,
    TokenArrayEnd = 6,
    TokenSeparator = 7,
    TokenComma = 8,
    TokenTrue = 9,
    TokenFalse = 10,
    TokenNull = 11,
};

bool startsValue(std::uint32_t type) {
    return type == TokenNumber || type == TokenString || type == TokenObjectBegin
        || type == TokenArrayBegin || type == TokenTrue || type == TokenFalse || type == TokenNull;
}

constexpr std::uint32_t StringHashSeed = 0x539C1505u;

// Scratch memory that starts in the caller's stack frame and moves to the heap when
// it must grow; sizes round up to sizeMultiple.
struct ManagedBuffer {
    std::uint8_t* ptr {nullptr};
    std::size_t length {0};
    bool mustFree {false};
    std::size_t sizeMultiple {0};

    void lend(std::uint8_t* memory, std::size_t size) {
        release();
        ptr = memory;
        length = size;
    }

    std::uint8_t* resize(std::size_t size) {
        if (sizeMultiple)
            size = (size + sizeMultiple - 1) / sizeMultiple * sizeMultiple;
        if (length >= size)
            return ptr;
        if (!mustFree) {
            auto heap = static_cast<std::uint8_t*>(std::malloc(size));
            if (!heap)
                return nullptr;
            if (length)
                std::memcpy(heap, ptr, length);
            ptr = heap;
            mustFree = true;
        } else {
            auto grown = static_cast<std::uint8_t*>(std::realloc(ptr, size));
            if (!grown) {
                std::free(ptr);
                ptr = nullptr;
                length = 0;
                mustFree = false;
                return nullptr;
            }
            ptr = grown;
        }
        length = size;
        return ptr;
    }

    void release() {
        if (mustFree)
            std::free(ptr);
        ptr = nullptr;
        length = 0;
        mustFree = false;
    }

    ~ManagedBuffer() { release(); }
};

// Heap slots a parse outgrew its stack slots into, kept for the next parse on the
// same thread so that large documents do not allocate them anew.
struct SpareSlots {
    base::Value* objects {nullptr};
    base::DictionaryKey* keys {nullptr};
    std::uint32_t* cfHashes {nullptr};
    std::size_t count {0};

    void free() {
        ::operator delete(objects);
        ::operator delete(keys);
        std::free(cfHashes);
        forget();
    }
    void forget() {
        objects = nullptr;
        keys = nullptr;
        cfHashes = nullptr;
        count = 0;
    }
    ~SpareSlots() { free(); }
};

thread_local SpareSlots spareSlots;

// The values and keys of the arrays and objects being read, innermost last. Its
// slots are raw memory: a slot holds a live value and key only between index0 and
// index, and the first 1024 slots are lent by the parse driver's stack frame.
struct ObjectStack {
    base::Value* objects {nullptr};
    base::DictionaryKey* keys {nullptr};
    std::uint32_t* cfHashes {nullptr};
    std::size_t count {0};
    std::size_t index {0};
    std::size_t sizeMultiple {2048};
    bool onHeap {false};

    void lend(void* objectMemory, void* keyMemory, std::uint32_t* hashMemory, std::size_t slots) {
        objects = static_cast<base::Value*>(objectMemory);
        keys = static_cast<base::DictionaryKey*>(keyMemory);
        cfHashes = hashMemory;
        count = slots;
        index = 0;
        onHeap = false;
    }

    // Moves the live slots into heap arrays of at least size slots.
    bool resize(std::size_t size) {
        size = (size + sizeMultiple - 1) / sizeMultiple * sizeMultiple;
        if (count >= size)
            return true;
        base::Value* newObjects;
        base::DictionaryKey* newKeys;
        std::uint32_t* newHashes;
        if (spareSlots.count >= size) {
            newObjects = spareSlots.objects;
            newKeys = spareSlots.keys;
            newHashes = spareSlots.cfHashes;
            size = spareSlots.count;
            spareSlots.forget();
        } else {
            newObjects = static_cast<base::Value*>(
                ::operator new(size * sizeof(base::Value), std::nothrow));
            newKeys = static_cast<base::DictionaryKey*>(
                ::operator new(size * sizeof(base::DictionaryKey), std::nothrow));
            newHashes = static_cast<std::uint32_t*>(std::calloc(size, sizeof(std::uint32_t)));
            if (!newObjects || !newKeys || !newHashes) {
                ::operator delete(newObjects);
                ::operator delete(newKeys);
                std::free(newHashes);
                return false;
            }
        }
        for (std::size_t i = 0; i < index; ++i) {
            new (&newObjects[i]) base::Value(std::move(objects[i]));
            objects[i].~Value();
            new (&newKeys[i]) base::DictionaryKey(std::move(keys[i]));
            keys[i].~DictionaryKey();
            newHashes[i] = cfHashes[i];
        }
        freeHeap();
        objects = newObjects;
        keys = newKeys;
        cfHashes = newHashes;
        count = size;
        onHeap = true;
        return true;
    }

    void push(base::Value&& object, base::DictionaryKey&& key, std::uint32_t hash) {
        new (&objects[index]) base::Value(std::move(object));
        new (&keys[index]) base::DictionaryKey(std::move(key));
        cfHashes[index] = hash;
        ++index;
    }

    void pushCopy(base::Value const& object, base::DictionaryKey&& key, std::uint32_t hash) {
        new (&objects[index]) base::Value(object);
        new (&keys[index]) base::DictionaryKey(std::move(key));
        cfHashes[index] = hash;
        ++index;
    }

    // Destroys slots [from, index) and gives them back.
    void popTo(std::size_t from) {
        for (std::size_t i = from; i < index; ++i) {
            objects[i].~Value();
            keys[i].~DictionaryKey();
        }
        index = from;
    }

    // Gives heap slots back: the largest set stays as the thread's spare.
    void freeHeap() {
        if (onHeap) {
            if (count > spareSlots.count) {
                spareSlots.free();
                spareSlots.objects = objects;
                spareSlots.keys = keys;
                spareSlots.cfHashes = cfHashes;
                spareSlots.count = count;
            } else {
                ::operator delete(objects);
                ::operator delete(keys);
                std::free(cfHashes);
            }
        }
        onHeap = false;
    }

    void release() {
        popTo(0);
        freeHeap();
        objects = nullptr;
        keys = nullptr;
        cfHashes = nullptr;
        count = 0;
    }
};

struct ParseToken {
    std::uint8_t const* ptr {nullptr};
    std::size_t length {0};
    std::uint32_t type {TokenNone};
    JCTokenValue value;
};

}

struct JCParseState {
    unsigned optionFlags {0};
    std::uint8_t const* bytes {nullptr};
    std::size_t length {0};
    std::size_t atIndex {0};
    std::size_t lineNumber {1};
    ParseToken token;
    ManagedBuffer tokenBuffer;
    ObjectStack objectStack;
    JCTokenCache cache;
    std::optional<JCError> error;
    bool mutableCollections {false};
    std::size_t depth {0};
};

namespace {

[[gnu::format(printf, 2, 3)]] void jk_error(JCParseState& state, char const* format, ...) {
    if (state.error)
        return;
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    char small[256];
    int needed = std::vsnprintf(small, sizeof small, format, arguments);
    va_end(arguments);
    std::string message;
    if (needed < 0) {
        message = format;
    } else if (std::size_t(needed) < sizeof small) {
        message.assign(small, std::size_t(needed));
    } else {
        message.resize(std::size_t(needed) + 1);
        std::vsnprintf(message.data(), message.size(), format, again);
        message.resize(std::size_t(needed));
    }
    va_end(again);
    JCError error;
    error.localizedDescription = std::move(message);
    error.atIndex = state.atIndex;
    error.lineNumber = state.lineNumber;
    state.error = std::move(error);
}

// The length of the line break at offset, or 0.
std::size_t newlineLength(JCParseState const& state, std::size_t at) {
    auto b = state.bytes;
    std::uint8_t c = b[at];
    if (c == 0x0A)
        return 1;
    if (c == 0x0D)
        return at + 1 < state.length && b[at + 1] == 0x0A ? 2 : 1;
    if (state.optionFlags & JCParseFlagUnicodeNewlines) {
        if (c == 0xC2 && at + 1 < state.length && b[at + 1] == 0x85)
            return 2;
        if (c == 0xE2 && at + 2 < state.length && b[at + 1] == 0x80
            && (b[at + 2] == 0xA8 || b[at + 2] == 0xA9))
            return 3;
    }
    return 0;
}

void skipWhitespace(JCParseState& state) {
    auto b = state.bytes;
    while (state.atIndex < state.length) {
        std::uint8_t c = b[state.atIndex];
        // The common case first: a token's first byte, which is no space, line break
        // or comment in any mode.
        if (c > ' ' && c != '/' && c < 0x80)
            break;
        if (c == ' ' || c == '\t') {
            ++state.atIndex;
            continue;
        }
        if (auto n = newlineLength(state, state.atIndex)) {
            state.atIndex += n;
            ++state.lineNumber;
            continue;
        }
        if (c == '/' && (state.optionFlags & JCParseFlagAllowComments)
            && state.atIndex + 1 < state.length) {
            if (b[state.atIndex + 1] == '*') {
                state.atIndex += 2;
                bool closed = false;
                while (state.atIndex < state.length) {
                    if (b[state.atIndex] == '*' && state.atIndex + 1 < state.length
                        && b[state.atIndex + 1] == '/') {
                        state.atIndex += 2;
                        closed = true;
                        break;
                    }
                    if (auto n = newlineLength(state, state.atIndex)) {
                        state.atIndex += n;
                        ++state.lineNumber;
                    } else {
                        ++state.atIndex;
                    }
                }
                if (!closed)
                    state.atIndex = state.length;
                continue;
            }
            if (b[state.atIndex + 1] == '/') {
                state.atIndex += 2;
                while (state.atIndex < state.length) {
                    if (auto n = newlineLength(state, state.atIndex)) {
                        state.atIndex += n;
                        ++state.lineNumber;
                        break;
                    }
                    ++state.atIndex;
                }
                continue;
            }
        }
        break;
    }
}

bool isHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::uint32_t hexValue(std::uint8_t c) {
    if (c <= '9')
        return c - '0';
    if (c <= 'F')
        return c - 'A' + 10;
    return c - 'a' + 10;
}

bool isIllegalEscapedCodePoint(std::uint32_t c) {
    return c == 0 || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF)
        || (c & 0xFFFE) == 0xFFFE;
}

// Reads four hex digits at p into value. False with the error recorded when a byte is
// not a hex digit, or when the input ends first (then nothing is recorded here).
bool readHex4(JCParseState& state, std::size_t p, std::uint32_t& value, bool& ended) {
    value = 0;
    ended = false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (p + i >= state.length) {
            state.atIndex = state.length;
            ended = true;
            return false;
        }
        std::uint8_t c = state.bytes[p + i];
        if (!isHexDigit(c)) {
            state.atIndex = p + i;
            jk_error(state,
                "Unexpected character found in \\u Unicode escape sequence.  Found '%c', "
                "expected [0-9a-fA-F].",
                c);
            return false;
        }
        value = (value << 4) | hexValue(c);
    }
    return true;
}

// The string token that starts at atIndex (its opening quote). Without escapes or
// anything to repair, the value points into the input; otherwise the unescaped text
// is built in the token buffer.
bool parseString(JCParseState& state) {
    auto b = state.bytes;
    std::size_t const length = state.length;
    std::size_t const start = state.atIndex;
    std::size_t const contentStart = start + 1;
    std::size_t p = contentStart;
    std::uint32_t hash = StringHashSeed;
    bool const loose = state.optionFlags & JCParseFlagLooseUnicode;

    auto finish = [&](std::uint8_t const* content, std::size_t contentLength) {
        auto& token = state.token;
        token.type = TokenString;
        token.ptr = b + start;
        token.length = p + 1 - start;
        token.value.ptr = content;
        token.value.length = std::uint32_t(contentLength);
        token.value.type = JCValueTypeString;
        token.value.hash = hash;
        state.atIndex = p + 1;
        return true;
    };
    auto fail = [&](std::size_t at) {
        state.atIndex = at;
        jk_error(state, "Invalid string.");
        return false;
    };

    // Fast scan.
    while (p < length) {
        std::uint8_t c = b[p];
        if (c == '"')
            return finish(b + contentStart, p - contentStart);
        if (c == '\\')
            break;
        if (c < 0x20) {
            state.atIndex = p;
            jk_error(state, "Invalid character < 0x20 found in string: 0x%2.2x.", c);
            return fail(p);
        }
        if (c >= 0x80) {
            std::uint8_t const* next;
            std::uint32_t codePoint;
            if (ConvertSingleCodePointInUTF8(b + p, b + length, &next, &codePoint) != conversionOK)
                break;
            for (auto q = b + p; q < next; ++q)
                hash = hash * 33 + *q;
            p = std::size_t(next - b);
            continue;
        }
        hash = hash * 33 + c;
        ++p;
    }
    if (p >= length)
        return fail(length);

    // Slow path: the content so far goes to the token buffer, the rest follows it
    // byte by byte.
    auto& buffer = state.tokenBuffer;
    std::size_t written = p - contentStart;
    if (buffer.length < written + 15 && !buffer.resize(written + 1023)) {
        state.atIndex = p;
        jk_error(state, "Internal error: Unable to resize temporary buffer. %s line #%ld",
            SourceName, long(__LINE__));
        return fail(p);
    }
    std::memcpy(buffer.ptr, b + contentStart, written);

    auto put = [&](std::uint32_t codePoint) {
        std::uint8_t* out = buffer.ptr + written;
        std::size_t n = JCWriteUTF8(codePoint, out);
        for (std::size_t i = 0; i < n; ++i)
            hash = hash * 33 + out[i];
        written += n;
    };

    while (p < length) {
        if (buffer.length - written < 16 && !buffer.resize(written + 1024)) {
            state.atIndex = p;
            jk_error(state, "Internal error: Unable to resize temporary buffer. %s line #%ld",
                SourceName, long(__LINE__));
            return fail(p);
        }
        std::uint8_t c = b[p];
        if (c == '"')
            return finish(buffer.ptr, written);
        if (c < 0x20) {
            state.atIndex = p;
            jk_error(state, "Invalid character < 0x20 found in string: 0x%2.2x.", c);
            return fail(p);
        }
        if (c < 0x80 && c != '\\') {
            buffer.ptr[written++] = c;
            hash = hash * 33 + c;
            ++p;
            continue;
        }
        if (c >= 0x80) {
            std::uint8_t const* next;
            std::uint32_t codePoint;
            auto result = ConvertSingleCodePointInUTF8(b + p, b + length, &next, &codePoint);
            if (result == sourceExhausted) {
                state.atIndex = p;
                jk_error(state, "End of buffer reached while parsing UTF8 in \"\" string.");
                return fail(p);
            }
            if (result != conversionOK) {
                if (!loose) {
                    state.atIndex = p;
                    jk_error(state, "Illegal UTF8 sequence found in \"\" string.");
                    return fail(p);
                }
                put(ReplacementCharacter);
            } else {
                for (auto q = b + p; q < next; ++q) {
                    buffer.ptr[written++] = *q;
                    hash = hash * 33 + *q;
                }
            }
            p = std::size_t(next - b);
            continue;
        }

        // An escape.
        if (p + 1 >= length)
            return fail(length);
        std::uint8_t e = b[p + 1];
        std::uint8_t plain = 0;
        switch (e) {
        case '"':
        case '\\':
        case '/':
            plain = e;
            break;
        case 'b':
            plain = 0x08;
            break;
        case 'f':
            plain = 0x0C;
            break;
        case 'n':
            plain = 0x0A;
            break;
        case 'r':
            plain = 0x0D;
            break;
        case 't':
            plain = 0x09;
            break;
        case 'u':
            break;
        default:
            state.atIndex = p + 1;
            jk_error(state, "Invalid escape sequence found in \"\" string.");
            return fail(p + 1);
        }
        if (e != 'u') {
            buffer.ptr[written++] = plain;
            hash = hash * 33 + plain;
            p += 2;
            continue;
        }

        std::uint32_t codePoint;
        bool ended;
        if (!readHex4(state, p + 2, codePoint, ended))
            return fail(ended ? length : state.atIndex);
        p += 6;
        bool illegal = false;
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
            if (!(p + 1 < length && b[p] == '\\' && b[p + 1] == 'u')) {
                if (!loose) {
                    state.atIndex = p;
                    jk_error(state,
                        "Required a second \\u Unicode escape sequence following a surrogate "
                        "\\u Unicode escape sequence.");
                    return fail(p);
                }
                // The bytes after the lone high surrogate are read again as content.
                put(ReplacementCharacter);
                continue;
            }
            std::uint32_t low;
            if (!readHex4(state, p + 2, low, ended))
                return fail(ended ? length : state.atIndex);
            p += 6;
            if (low >= 0xDC00 && low <= 0xDFFF)
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
            else
                illegal = true;
        }
        if (illegal || isIllegalEscapedCodePoint(codePoint)) {
            if (!loose) {
                state.atIndex = p;
                jk_error(state, "Illegal \\u Unicode escape sequence.");
                return fail(p);
            }
            codePoint = ReplacementCharacter;
        }
        put(codePoint);
    }
    return fail(length);
}

// hash * 33 + byte for each of the number's 8 bytes in memory order, written as one
// sum of independent products (the same value modulo 2^32) instead of a chain of
// eight dependent steps.
std::uint32_t hashNumberBytes(std::uint32_t hash, std::uint64_t number) {
    constexpr std::uint32_t p1 = 33, p2 = p1 * 33, p3 = p2 * 33, p4 = p3 * 33, p5 = p4 * 33,
                            p6 = p5 * 33, p7 = p6 * 33, p8 = p7 * 33;
    std::uint8_t b[8];
    std::memcpy(b, &number, 8);
    return hash * p8 + b[0] * p7 + b[1] * p6 + b[2] * p5 + b[3] * p4 + b[4] * p3 + b[5] * p2
        + b[6] * p1 + b[7];
}

// Converts the number token [start, end) of the input; tells whether it was a
// fraction or exponent by isDouble.
bool convertNumber(
    JCParseState& state, std::size_t start, std::size_t end, bool negative, bool isDouble) {
    auto first = reinterpret_cast<char const*>(state.bytes + start);
    auto last = reinterpret_cast<char const*>(state.bytes + end);
    auto& value = state.token.value;
    std::uint32_t hash;
    bool valid = true;
    // "-0" is a double, so that minus zero keeps its sign.
    bool minusZero = !isDouble && negative && end - start == 2 && first[1] == '0';
    // The token again, zero-terminated, for the range messages and their fallback.
    auto text = [&] { return std::string(first, last); };

    if (isDouble || minusZero) {
        value.type = JCValueTypeDouble;
        hash = StringHashSeed + JCValueTypeDouble;
        double d = 0;
        auto [ptr, ec] = std::from_chars(first, last, d);
        if (ec == std::errc::result_out_of_range) {
            // Beyond the range of a double either way: the C conversion tells which.
            auto copy = text();
            errno = 0;
            double clamped = std::strtod(copy.c_str(), nullptr);
            jk_error(state, "The value '%s' could not be represented as a 'double' due to %s.",
                copy.c_str(), clamped == 0 ? "underflow" : "overflow");
            valid = false;
        } else if (ec != std::errc() || ptr != last) {
            if (ec == std::errc())
                jk_error(state,
                    "The conversion function did not consume all of the number tokens "
                    "characters.");
            valid = false;
        }
        value.number.doubleValue = d;
    } else if (negative) {
        value.type = JCValueTypeLongLong;
        std::int64_t n = 0;
        auto [ptr, ec] = std::from_chars(first, last, n);
        if (ec == std::errc::result_out_of_range) {
            auto copy = text();
            errno = 0;
            long long clamped = std::strtoll(copy.c_str(), nullptr, 10);
            jk_error(state,
                "The value '%s' exceeded the minimum value that could be represented: %lld.",
                copy.c_str(), clamped);
            valid = false;
        } else if (ec != std::errc() || ptr != last) {
            if (ec == std::errc())
                jk_error(state,
                    "The conversion function did not consume all of the number tokens "
                    "characters.");
            valid = false;
        }
        value.number.longLongValue = n;
        hash = std::uint32_t(std::uint64_t(n)) + StringHashSeed + JCValueTypeLongLong;
    } else {
        value.type = JCValueTypeUnsignedLongLong;
        std::uint64_t n = 0;
        auto [ptr, ec] = std::from_chars(first, last, n);
        if (ec == std::errc::result_out_of_range) {
            auto copy = text();
            errno = 0;
            unsigned long long clamped = std::strtoull(copy.c_str(), nullptr, 10);
            jk_error(state,
                "The value '%s' exceeded the maximum value that could be represented: %llu.",
                copy.c_str(), clamped);
            valid = false;
        } else if (ec != std::errc() || ptr != last) {
            if (ec == std::errc())
                jk_error(state,
                    "The conversion function did not consume all of the number tokens "
                    "characters.");
            valid = false;
        }
        value.number.unsignedLongLongValue = n;
        hash = std::uint32_t(n) + StringHashSeed + JCValueTypeUnsignedLongLong;
    }
    if (!valid) {
        jk_error(state, "Invalid number.");
        return false;
    }
    value.hash = hashNumberBytes(hash, value.number.unsignedLongLongValue);
    value.ptr = reinterpret_cast<std::uint8_t const*>(&value.number);
    value.length = 8;
    return true;
}

bool isDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// The number token at atIndex. A number must be followed by at least one byte.
bool parseNumber(JCParseState& state) {
    auto b = state.bytes;
    std::size_t const length = state.length;
    std::size_t const start = state.atIndex;
    std::size_t p = start;
    bool negative = false;
    bool isDouble = false;

    auto invalid = [&](std::size_t at) {
        state.atIndex = at;
        jk_error(state, "Invalid number.");
        return false;
    };

    if (b[p] == '-') {
        negative = true;
        ++p;
    }
    if (p >= length)
        return invalid(length);
    if (b[p] == '0') {
        ++p;
    } else if (b[p] >= '1' && b[p] <= '9') {
        while (p < length && isDigit(b[p]))
            ++p;
    } else {
        return invalid(p);
    }
    if (p >= length)
        return invalid(length);
    if (b[p] == '.') {
        isDouble = true;
        ++p;
        if (p >= length)
            return invalid(length);
        if (!isDigit(b[p]))
            return invalid(p);
        while (p < length && isDigit(b[p]))
            ++p;
        if (p >= length)
            return invalid(length);
    }
    if (b[p] == 'e' || b[p] == 'E') {
        isDouble = true;
        ++p;
        if (p >= length)
            return invalid(length);
        if (b[p] == '+' || b[p] == '-') {
            ++p;
            if (p >= length)
                return invalid(length);
        }
        if (!isDigit(b[p]))
            return invalid(p);
        while (p < length && isDigit(b[p]))
            ++p;
        if (p >= length)
            return invalid(length);
    }

    auto& token = state.token;
    token.type = TokenNumber;
    token.ptr = b + start;
    token.length = p - start;
    state.atIndex = p;
    return convertNumber(state, start, p, negative, isDouble);
}

bool matchLiteral(JCParseState const& state, char const* literal, std::size_t size) {
    return state.atIndex + size < state.length
        && std::memcmp(state.bytes + state.atIndex, literal, size) == 0;
}

bool nextToken(JCParseState& state) {
    skipWhitespace(state);
    auto& token = state.token;
    token.type = TokenNone;
    if (state.atIndex >= state.length) {
        jk_error(state, "%s", UnexpectedTokenMessage);
        return false;
    }
    std::size_t start = state.atIndex;
    std::uint8_t c = state.bytes[start];
    std::uint32_t type = TokenNone;
    std::size_t size = 1;
    switch (c) {
    case '"':
        if (parseString(state))
            return true;
        jk_error(state, "%s", UnexpectedTokenMessage);
        return false;
    case '-':
    case '0':
    case '1':
    case '2':
    case '3':
    case '4':
    case '5':
    case '6':
    case '7':
    case '8':
    case '9':
        if (parseNumber(state))
            return true;
        jk_error(state, "%s", UnexpectedTokenMessage);
        return false;
    case '{':
        type = TokenObjectBegin;
        break;
    case '}':
        type = TokenObjectEnd;
        break;
    case '[':
        type = TokenArrayBegin;
        break;
    case ']':
        type = TokenArrayEnd;
        break;
    case ':':
        type = TokenSeparator;
        break;
    case ',':
        type = TokenComma;
        break;
    case 't':
        if (matchLiteral(state, "true", 4)) {
            type = TokenTrue;
            size = 4;
        }
        break;
    case 'f':
        if (matchLiteral(state, "false", 5)) {
            type = TokenFalse;
            size = 5;
        }
        break;
    case 'n':
        if (matchLiteral(state, "null", 4)) {
            type = TokenNull;
            size = 4;
        }
        break;
    default:
        break;
    }
    if (type == TokenNone) {
        jk_error(state, "%s", UnexpectedTokenMessage);
        return false;
    }
    token.type = type;
    token.ptr = state.bytes + start;
    token.length = size;
    state.atIndex = start + size;
    return true;
}

enum Allowed : unsigned {
    AllowValue = 1, // a value in an array, a key in an object
    AllowComma = 2,
    AllowClose = 4,
};

void expectationError(JCParseState& state, unsigned allowed, char const* first, char const* close) {
    char const* alternatives[3];
    int n = 0;
    if (allowed & AllowValue)
        alternatives[n++] = first;
    if (allowed & AllowComma)
        alternatives[n++] = "a comma";
    if (allowed & AllowClose)
        alternatives[n++] = close;
    int size = int(state.token.length);
    auto text = reinterpret_cast<char const*>(state.token.ptr);
    switch (n) {
    case 1:
        jk_error(state, "Expected %s, not '%*.*s'", alternatives[0], size, size, text);
        break;
    case 2:
        jk_error(state, "Expected %s or %s, not '%*.*s'", alternatives[0], alternatives[1], size,
            size, text);
        break;
    case 3:
        jk_error(state, "Expected %s, %s, or %s, not '%*.*s", alternatives[0], alternatives[1],
            alternatives[2], size, size, text);
        break;
    default:
        break;
    }
}

bool pushValue(JCParseState& state, base::DictionaryKey&& key, std::uint32_t hash);

bool ensureStackRoom(JCParseState& state, char const* kind) {
    auto& stack = state.objectStack;
    // Doubling keeps a long array linear; sizes stay multiples of 2048 slots.
    if (stack.index + 4 > stack.count
        && !stack.resize(std::max(stack.count * 2, stack.count + 128))) {
        jk_error(state, "Internal error: [%s] objectsIndex > %zu, resize failed? %s line #%ld",
            kind, stack.count - 4, SourceName, long(__LINE__));
        return false;
    }
    return true;
}

bool parseArray(JCParseState& state, base::Value& out) {
    auto& stack = state.objectStack;
    std::size_t const s = stack.index;
    unsigned allowed = AllowValue | AllowClose;
    bool done = false;
    while (!state.error && state.atIndex < state.length) {
        if (!ensureStackRoom(state, "array"))
            break;
        if (!nextToken(state))
            break;
        auto type = state.token.type;
        if (startsValue(type)) {
            if (!(allowed & AllowValue)) {
                jk_error(state, "Unexpected value.");
                break;
            }
            if (!pushValue(state, base::DictionaryKey(), 0))
                break;
            if (stack.objects[stack.index - 1].isNil()) {
                jk_error(state, "Internal error: Object == NULL");
                break;
            }
            allowed = AllowComma | AllowClose;
        } else if (type == TokenArrayEnd) {
            if (!(allowed & AllowClose)) {
                jk_error(state, "Unexpected ']'.");
                break;
            }
            out = base::Value(base::Ref<base::Array>(
                JCArrayCreate(stack.objects + s, stack.index - s, state.mutableCollections)));
            done = true;
            break;
        } else if (type == TokenComma) {
            if (!(allowed & AllowComma)) {
                jk_error(state, "Unexpected ','.");
                break;
            }
            allowed = AllowValue;
        } else {
            expectationError(state, allowed, "a value", "a ']'");
            break;
        }
    }
    stack.popTo(s);
    return done;
}

bool parseDictionary(JCParseState& state, base::Value& out) {
    auto& stack = state.objectStack;
    std::size_t const s = stack.index;
    unsigned allowed = AllowValue | AllowClose;
    bool done = false;
    while (!state.error && state.atIndex < state.length) {
        if (!ensureStackRoom(state, "dictionary"))
            break;
        if (!nextToken(state))
            break;
        auto type = state.token.type;
        if (type == TokenComma) {
            if (!(allowed & AllowComma)) {
                jk_error(state, "Unexpected ','.");
                break;
            }
            allowed = AllowValue;
        } else if (type == TokenObjectEnd) {
            if (!(allowed & AllowClose)) {
                jk_error(state, "Unexpected '}'.");
                break;
            }
            out = base::Value(base::Ref<base::Dictionary>(JCDictionaryCreate(stack.keys + s,
                stack.cfHashes + s, stack.objects + s, stack.index - s, state.mutableCollections)));
            done = true;
            break;
        } else if (type == TokenString) {
            if (!(allowed & AllowValue)) {
                jk_error(state, "Unexpected string.");
                break;
            }
            // The key goes through the cache like any string, which also keeps its hash.
            auto& value = state.token.value;
            base::Value scratch;
            auto const& keyObject = state.cache.lookup(value, scratch);
            if (keyObject.isNil()) {
                jk_error(state, "Internal error: Key == NULL.");
                break;
            }
            // The key shares the cache's string object (or the one made for it).
            base::DictionaryKey key(*keyObject.sharedString());
            std::uint32_t hash
                = value.cacheItem ? state.cache.cfHash(*value.cacheItem) : JCKeyHash(key);
            if (!nextToken(state))
                break;
            if (state.token.type != TokenSeparator) {
                jk_error(state, "Expected ':'.");
                break;
            }
            if (!nextToken(state))
                break;
            if (!startsValue(state.token.type)) {
                expectationError(state, allowed & (AllowValue | AllowClose), "a value", "a '}'");
                break;
            }
            if (!pushValue(state, std::move(key), hash))
                break;
            if (stack.objects[stack.index - 1].isNil()) {
                jk_error(state, "Internal error: Object == NULL.");
                break;
            }
            allowed = AllowComma | AllowClose;
        } else {
            expectationError(state, allowed, "a \"STRING\"", "a '}'");
            break;
        }
    }
    stack.popTo(s);
    return done;
}

// The array or object that the current token starts, within the nesting limit.
bool parseContainer(JCParseState& state, base::Value& out) {
    if (state.depth >= JCMaximumNestingDepth) {
        jk_error(
            state, "Arrays and objects are nested deeper than %zu levels.", JCMaximumNestingDepth);
        return false;
    }
    ++state.depth;
    bool parsed = state.token.type == TokenArrayBegin ? parseArray(state, out)
                                                      : parseDictionary(state, out);
    --state.depth;
    return parsed;
}

// The value that the current token starts, pushed onto the working stack with key
// (the stack has room: its callers made it before reading the token). Values are
// made in their slot rather than moved there.
bool pushValue(JCParseState& state, base::DictionaryKey&& key, std::uint32_t hash) {
    auto& stack = state.objectStack;
    state.token.value.cacheItem = nullptr;
    switch (state.token.type) {
    case TokenNumber:
    case TokenString: {
        base::Value scratch;
        auto const& object = state.cache.lookup(state.token.value, scratch);
        if (object.isNil()) {
            jk_error(state, "Internal error: Unknown token value type. %s line #%ld", SourceName,
                long(__LINE__));
            return false;
        }
        if (&object == &scratch)
            stack.push(std::move(scratch), std::move(key), hash);
        else
            stack.pushCopy(object, std::move(key), hash);
        return true;
    }
    case TokenObjectBegin:
    case TokenArrayBegin: {
        base::Value out;
        if (!parseContainer(state, out))
            return false;
        stack.push(std::move(out), std::move(key), hash);
        return true;
    }
    case TokenTrue:
        stack.push(base::Value(true), std::move(key), hash);
        return true;
    case TokenFalse:
        stack.push(base::Value(false), std::move(key), hash);
        return true;
    case TokenNull:
        stack.push(base::Value(base::Value::nullObject()), std::move(key), hash);
        return true;
    default:
        jk_error(
            state, "Internal error: Unknown token type. %s line #%ld", SourceName, long(__LINE__));
        return false;
    }
}

}

JSONDecoder::JSONDecoder(unsigned parseOptionFlags)
    : parseState(std::make_unique<JCParseState>()) {
    parseState->optionFlags = parseOptionFlags;
    parseState->tokenBuffer.sizeMultiple = 4096;
    parseState->objectStack.sizeMultiple = 2048;
}

JSONDecoder::~JSONDecoder() = default;

base::Ref<JSONDecoder> JSONDecoder::decoderWithParseOptions(unsigned parseOptionFlags) {
    if (parseOptionFlags > JCParseOptionValidFlags)
        throw base::Exception(base::InvalidArgumentException, "Invalid parse options.");
    return base::make<JSONDecoder>(parseOptionFlags);
}

unsigned JSONDecoder::parseOptionFlags() const {
    return parseState->optionFlags;
}

JCTokenCache const& JSONDecoder::cache() const {
    return parseState->cache;
}

void JSONDecoder::clearCache() {
    parseState->cache.clear();
}

base::Value JSONDecoder::objectWithUTF8String(
    std::uint8_t const* string, std::size_t length, JCError* error) {
    return parse(string, length, false, error);
}

base::Value JSONDecoder::mutableObjectWithUTF8String(
    std::uint8_t const* string, std::size_t length, JCError* error) {
    return parse(string, length, true, error);
}

base::Value JSONDecoder::parse(
    std::uint8_t const* string, std::size_t length, bool mutableCollections, JCError* error) {
    if (!parseState)
        throw base::Exception(base::InternalInconsistencyException, "parseState is NULL.");
    if (!string && length)
        throw base::Exception(base::InvalidArgumentException, "The string argument is NULL.");
    static std::uint8_t const nothing = 0;
    auto& state = *parseState;
    state.bytes = string ? string : &nothing;
    state.length = length;
    state.atIndex = 0;
    state.lineNumber = 1;
    state.error.reset();
    state.mutableCollections = mutableCollections;
    state.depth = 0;

    // Working storage lent from this frame; only large documents reach the heap.
    std::uint8_t tokenMemory[2048];
    state.tokenBuffer.lend(tokenMemory, sizeof tokenMemory);
    constexpr std::size_t StackSlots = 1024;
    alignas(base::Value) unsigned char objectMemory[StackSlots * sizeof(base::Value)];
    alignas(base::DictionaryKey) unsigned char keyMemory[StackSlots * sizeof(base::DictionaryKey)];
    std::uint32_t hashMemory[StackSlots];
    state.objectStack.release();
    state.objectStack.lend(objectMemory, keyMemory, hashMemory, StackSlots);

    base::Value result;
    bool parsed = false;
    if (state.atIndex < state.length) {
        if (nextToken(state)) {
            auto type = state.token.type;
            if (type == TokenArrayBegin || type == TokenObjectBegin)
                parsed = parseContainer(state, result);
            else
                jk_error(state, "Expected either '[' or '{'.");
        }
    }
    if (!parsed) {
        result = base::Value();
        if (state.atIndex == state.length)
            jk_error(state, "Reached the end of the buffer.");
        jk_error(state, "Unable to parse JSON.");
    } else if (state.atIndex < state.length) {
        skipWhitespace(state);
        if (state.atIndex < state.length && !(state.optionFlags & JCParseFlagAllowTrailingText)) {
            result = base::Value();
            jk_error(state,
                "A valid JSON object was parsed but there were additional non-white-space "
                "characters remaining.");
        }
    }
    if (error && state.error && result.isNil())
        *error = *state.error;

    state.tokenBuffer.release();
    state.objectStack.release();
    state.bytes = nullptr;
    state.length = 0;
    state.atIndex = 0;
    state.lineNumber = 1;
    state.error.reset();
    state.mutableCollections = false;
    state.token = ParseToken();
    return result;
}

namespace {

base::Value decodeOnce(base::Bytes::value_type const* bytes, std::size_t length, unsigned options,
    bool mutableResult, JCError* error) {
    auto decoder = JSONDecoder::decoderWithParseOptions(options);
    return mutableResult ? decoder->mutableObjectWithUTF8String(bytes, length, error)
                         : decoder->objectWithUTF8String(bytes, length, error);
}

}

base::Value objectFromJSONString(std::string_view text, unsigned parseOptionFlags, JCError* error) {
    return decodeOnce(reinterpret_cast<std::uint8_t const*>(text.data()), text.size(),
        parseOptionFlags, false, error);
}

base::Value mutableObjectFromJSONString(
    std::string_view text, unsigned parseOptionFlags, JCError* error) {
    return decodeOnce(reinterpret_cast<std::uint8_t const*>(text.data()), text.size(),
        parseOptionFlags, true, error);
}

base::Value objectFromJSONData(base::Bytes const& data, unsigned parseOptionFlags, JCError* error) {
    return decodeOnce(data.data(), data.size(), parseOptionFlags, false, error);
}

base::Value mutableObjectFromJSONData(
    base::Bytes const& data, unsigned parseOptionFlags, JCError* error) {
    return decodeOnce(data.data(), data.size(), parseOptionFlags, true, error);
}

}
