#pragma once

#include <base/Value.hpp>
#include <foundation/ByteView.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// The Base64 encodings of RFC 4648: the standard alphabet ("+/") and the URL-safe
// one ("-_"), with or without "=" padding.
//
// Decoding is as forgiving as the decoders that read server replies: spaces, tabs
// and line breaks anywhere are skipped, and padding may be present or left out.
// Anything else that is not of the chosen alphabet, padding in the wrong place or
// of the wrong length, or a final group of a single character gives nullopt.
// Unused low bits of the last character are ignored, as most decoders do.
class Base64 {
public:
    enum class Alphabet { Standard, URLSafe };
    enum class Padding { Yes, No };

    static std::string encode(
        ByteView bytes, Alphabet alphabet = Alphabet::Standard, Padding padding = Padding::Yes);
    static std::optional<base::Bytes> decode(
        std::string_view text, Alphabet alphabet = Alphabet::Standard);
};

}
