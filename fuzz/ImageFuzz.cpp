// PNG and JPEG decoding of images from the bundle and from servers (ad creatives):
// any bytes give an image or nothing, never one bigger than maxSide, and a decoded
// image is whole: its pixels fill its rows, its alpha converts both ways and it
// writes back as a PNG that decodes to the same size.
#include "FuzzSupport.hpp"

#include <graphics/Image.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

using graphics::Image;

namespace {

void checkImage(Image& image) {
    FUZZ_CHECK(image.width() >= 0 && image.width() <= Image::maxSide);
    FUZZ_CHECK(image.height() >= 0 && image.height() <= Image::maxSide);
    FUZZ_CHECK(image.pixels().size() == image.bytesPerRow() * std::size_t(image.height()));
    if (image.isEmpty())
        return;
    image.pixel(image.width() - 1, image.height() - 1);
    image.premultiplyAlpha();
    image.unpremultiplyAlpha();
    // Writing back is slow for big images; small ones cover the same code.
    if (image.pixels().size() <= 64 * 1024) {
        auto png = image.encodePNG();
        FUZZ_CHECK(png.has_value());
        auto back = Image::decodePNG(*png);
        FUZZ_CHECK(back && back->width() == image.width() && back->height() == image.height());
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::span<std::uint8_t const> bytes(data, size);
    if (auto image = Image::decode(bytes))
        checkImage(*image);
    return 0;
}
