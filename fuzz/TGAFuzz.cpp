// TGA images from files: any bytes give a record whose status says how the load went; a
// loaded image holds exactly width x height pixels of its own size and is no longer flipped,
// a refused one holds none.
#include "FuzzSupport.hpp"

#include <effects/TGALib.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

using namespace effects;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    TGAImage image = loadTgaImage(std::span<std::uint8_t const>(data, size));
    FUZZ_CHECK(image);
    FUZZ_CHECK(image->status >= TgaOk && image->status <= TgaUnsupportedType);
    if (image->status == TgaOk) {
        FUZZ_CHECK(image->width > 0 && image->height > 0);
        FUZZ_CHECK(image->pixelDepth == 8 || image->pixelDepth == 24 || image->pixelDepth == 32);
        FUZZ_CHECK(image->imageData.size()
            == std::size_t(image->width) * std::size_t(image->height)
                * std::size_t(image->bytesPerPixel()));
        FUZZ_CHECK(image->flipped == 0);
    } else {
        FUZZ_CHECK(image->imageData.empty());
    }
    return 0;
}
