#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace game {

// The Base64 codec the server clock's replies are read with. Encoding is the standard
// one of RFC 4648 with "=" padding. Decoding is the server clock's own, kept as the
// server's clients have always read it: the length must be a multiple of 4, trailing
// "=" are dropped (each taking one byte off the result), a last group of 2 or 3
// characters reads its missing characters as "A", and every character outside the
// alphabet, spaces, line breaks and bytes of 128 and up included, counts as 0.
// Stateless; any thread.
class Base64 {
public:
    Base64() = delete;

    static std::string encode(base::Bytes const& data);
    static std::string encode(std::uint8_t const* bytes, std::size_t length);
    // Nothing for an empty text or one whose length is not a multiple of 4.
    static std::optional<base::Bytes> decode(std::string_view text);
};

// The string helpers over the codec: a string's bytes encoded, and a text decoded and
// its bytes read back as a string (nothing when the text does not decode).
std::string encodeBase64(std::string_view text);
std::optional<std::string> decodeBase64(std::string_view text);

}
