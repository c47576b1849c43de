// PNG and JPEG decoding of images from the bundle and from servers (ad creatives):
// any bytes give an image or nothing, never one bigger than maxSide or of more pixels
// than the budget, and a decoded
// image is whole: its pixels fill its rows, its alpha converts both ways and it
// writes back as a PNG that decodes to the same size.
//
// libpng drops a chunk whose checksum is wrong before reading it, so nearly every
// change to a PNG would be refused there: the mutator writes the checksums of a
// changed PNG afresh, so that changes reach the headers and pixels behind them.
#include "FuzzSupport.hpp"

#include <graphics/Image.hpp>

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

using graphics::Image;

namespace {

void checkImage(Image& image) {
    FUZZ_CHECK(image.width() >= 0 && image.width() <= Image::maxSide);
    FUZZ_CHECK(image.height() >= 0 && image.height() <= Image::maxSide);
    FUZZ_CHECK(
        std::uint64_t(image.width()) * std::uint64_t(image.height()) <= Image::maxDecodedPixels);
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

extern "C" std::size_t LLVMFuzzerCustomMutator(
    std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int) {
    size = LLVMFuzzerMutate(data, size, maxSize);
    static std::uint8_t const signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < sizeof signature || std::memcmp(data, signature, sizeof signature) != 0)
        return size;
    // Chunks: a big-endian length, four letters of type, the data, and a CRC-32 of
    // type and data.
    std::size_t at = sizeof signature;
    while (size - at >= 12) {
        std::uint32_t length = std::uint32_t(data[at]) << 24 | std::uint32_t(data[at + 1]) << 16
            | std::uint32_t(data[at + 2]) << 8 | data[at + 3];
        if (length > size - at - 12)
            break;
        std::uint8_t* type = data + at + 4;
        auto crc = std::uint32_t(crc32(crc32(0, nullptr, 0), type, uInt(length + 4)));
        std::uint8_t* sum = type + 4 + length;
        sum[0] = std::uint8_t(crc >> 24);
        sum[1] = std::uint8_t(crc >> 16);
        sum[2] = std::uint8_t(crc >> 8);
        sum[3] = std::uint8_t(crc);
        at += 12 + length;
    }
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::span<std::uint8_t const> bytes(data, size);
    if (auto image = Image::decode(bytes))
        checkImage(*image);
    return 0;
}
