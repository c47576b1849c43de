// Bitmap font descriptions (".fnt" text) from the bundle and from downloaded content:
// any text gives no configuration or one whose every definition and kerning pair
// answers, and the sheet name it gives never leaves the folder of the description.
#include "FuzzSupport.hpp"

#include <engine/BitmapFontConfiguration.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using engine::BitmapFontConfiguration;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    if (auto configuration = BitmapFontConfiguration::configurationWithText(text, "fuzz")) {
        for (unsigned code = 0; code < 256; ++code) {
            auto const& definition = configuration->definition(std::uint8_t(code));
            FUZZ_CHECK(definition.charID == 0 || definition.charID == code);
            configuration->kerningAmount(code, 'A');
        }
        configuration->commonHeight();
    }
    if (auto sheet = BitmapFontConfiguration::sheetNameFromText(text, "fuzz")) {
        FUZZ_CHECK(!sheet->empty() && sheet->front() != '/');
        FUZZ_CHECK(*sheet != ".." && !sheet->starts_with("../")
            && sheet->find("/../") == std::string::npos && !sheet->ends_with("/.."));
    }
    return 0;
}
