// Hexadecimal decoding: any text decodes or is refused, and what decodes is the text
// itself, read back in lower case.
#include "FuzzSupport.hpp"

#include <foundation/Hex.hpp>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

using foundation::Hex;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string text(reinterpret_cast<char const*>(data), size);
    if (auto bytes = Hex::decode(text)) {
        FUZZ_CHECK(bytes->size() * 2 == size);
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
            [](unsigned char c) { return char(std::tolower(c)); });
        FUZZ_CHECK(Hex::encode(*bytes) == lower);
        std::string upper = text;
        std::transform(upper.begin(), upper.end(), upper.begin(),
            [](unsigned char c) { return char(std::toupper(c)); });
        FUZZ_CHECK(Hex::encode(*bytes, foundation::HexCase::Upper) == upper);
    }
    auto back = Hex::decode(Hex::encode(foundation::ByteView(data, size)));
    FUZZ_CHECK(back && *back == base::Bytes(data, data + size));
    return 0;
}
