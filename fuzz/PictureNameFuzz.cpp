// Furniture picture names from a downloaded level pack's list, with the durability
// put into their one placeholder. A name is outside text: whatever it holds must give
// a name of bounded length, never a crash or a read past the text, and a name
// without "%" must come back as it is.
#include "FuzzSupport.hpp"

#include <game/salon/PictureName.hpp>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view pic(reinterpret_cast<char const*>(data), size);
    for (int value : {0, 7, -1, INT_MAX, INT_MIN}) {
        auto name = game::formatPictureName(pic, value);
        // One placeholder grows by at most its width (64) or the digits of the value.
        FUZZ_CHECK(name.size() <= pic.size() + 64 + 12);
        if (pic.find('%') == std::string_view::npos)
            FUZZ_CHECK(name == pic);
    }
    return 0;
}
