// The featured app's name and cost from the offer service, with their numeric character
// references turned into characters (the decoding the featured-app screen uses, built
// alone so that the program needs only the base library). Whatever the text, the result is never
// longer than the text, and valid UTF-8 stays valid UTF-8 (no surrogate half or number past the
// last character is ever written).
#include "FuzzSupport.hpp"

#include <game/shell/CharacterReferences.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool isValidUTF8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = std::uint8_t(text[i]);
        int length = c < 0x80  ? 1
            : (c >> 5) == 0x6  ? 2
            : (c >> 4) == 0xE  ? 3
            : (c >> 3) == 0x1E ? 4
                               : 0;
        if (length == 0 || i + std::size_t(length) > text.size())
            return false;
        std::uint32_t value = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            auto next = std::uint8_t(text[i + std::size_t(k)]);
            if ((next >> 6) != 0x2)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t smallest[] {0, 0, 0x80, 0x800, 0x10000};
        if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += std::size_t(length);
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto decoded = game::decodeCharacterReferences(text);
    FUZZ_CHECK(decoded.size() <= text.size());
    if (isValidUTF8(text))
        FUZZ_CHECK(isValidUTF8(decoded));
    if (text.find("&#") == std::string_view::npos)
        FUZZ_CHECK(decoded == text);
    return 0;
}
