#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace toolkit::json {

enum ConversionResult {
    conversionOK = 0,
    sourceExhausted = 1,
    sourceIllegal = 3,
};

inline constexpr std::uint32_t ReplacementCharacter = 0xFFFD;

// Decodes the UTF-8 sequence that starts at source (a byte of 0x80 or more, or any
// byte) into one code point, by the well-formedness table of the Unicode standard.
// Surrogates, U+FDD0..U+FDEF and code points ending in FFFE or FFFF count as illegal
// and give U+FFFD with next after the sequence. A malformed sequence gives U+FFFD
// with next past the lead byte and the continuation bytes after it (at most as many
// as the lead byte announced); it is sourceExhausted when the input ended inside an
// otherwise unbroken sequence, sourceIllegal otherwise.
ConversionResult ConvertSingleCodePointInUTF8(std::uint8_t const* source,
    std::uint8_t const* sourceEnd, std::uint8_t const** next, std::uint32_t* codePoint);

// As ConvertSingleCodePointInUTF8, but tells a well-formed sequence of a code point
// that strings must not carry (a noncharacter) from a malformed one: true when the
// bytes up to next are well-formed UTF-8 of any code point.
bool JCIsWellFormedUTF8(std::uint8_t const* source, std::uint8_t const* sourceEnd,
    std::uint8_t const** next, std::uint32_t* codePoint);

// Writes code point as 1 to 4 bytes of UTF-8 at out (room for 4 is needed) and
// returns the count.
std::size_t JCWriteUTF8(std::uint32_t codePoint, std::uint8_t* out);

// The hash of a dictionary key: 32-bit FNV-1a over the key's UTF-8 bytes (offset
// basis 0x811C9DC5, prime 0x01000193). Fixed, so table layouts and enumeration order
// are the same on every run and machine.
inline std::uint32_t JCKeyHash(std::string_view key) {
    std::uint32_t hash = 0x811C9DC5u;
    for (unsigned char b : key) {
        hash ^= b;
        hash *= 0x01000193u;
    }
    return hash;
}

}
