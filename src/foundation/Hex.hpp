#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

enum class HexCase { Lower, Upper };

// Bytes as hexadecimal text, two digits per byte, most significant digit first,
// with no separators; and back. Digests and signatures are written this way.
class Hex {
public:
    static std::string encode(ByteView bytes, HexCase letters = HexCase::Lower);
    // Takes digits of either case; an odd count or any other character (spaces
    // included) gives nullopt.
    static std::optional<base::Bytes> decode(std::string_view text);
    // The value of one hexadecimal digit of either case, or -1 for any other character.
    static int digitValue(char32_t character);
};

}
