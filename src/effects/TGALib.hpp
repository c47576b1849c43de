#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace effects {

// Load results of TGA images.
enum TGAStatus : int {
    TgaOk = 0,
    TgaCannotOpen = 1,
    // The header or the pixels are missing or short, or the image has no pixels.
    TgaReadError = 2,
    TgaIndexedColour = 3,
    // A buffer could not be had, or the image is larger than maxTgaPixels.
    TgaNoMemory = 4,
    // An image type other than 2, 3 and 10, or a pixel size the type does not have.
    TgaUnsupportedType = 5,
};

// Most pixels a TGA image may have.
inline constexpr std::int64_t maxTgaPixels = 16 * 1024 * 1024;

// A TGA image in memory: rows from the bottom up (unless still flipped), pixels as R, G, B(,
// A) of pixelDepth / 8 bytes. Only true-colour (type 2, 24 or 32 bits), grey (type 3, 8 bits)
// and run-length true-colour (type 10) images load; imageData then holds exactly
// width x height pixels. The ID field and any colour map are skipped.
struct sImageTGA {
    int status {TgaOk};
    std::uint8_t type {0};
    std::uint8_t pixelDepth {0};
    std::int16_t width {0};
    std::int16_t height {0};
    std::vector<std::uint8_t> imageData;
    int flipped {0};

    int bytesPerPixel() const { return pixelDepth / 8; }
};

using TGAImage = std::unique_ptr<sImageTGA>;

// Reads the file at path (the status tells how it went; the record is always there).
TGAImage loadTgaImage(std::string const& path);
// The same, of a file already in memory.
TGAImage loadTgaImage(std::span<std::uint8_t const> file);
void freeTgaImage(TGAImage& image);

// The steps of loading, over a file in memory read from `offset` on. Each answers false
// (setting the status) when the file runs short or the header is refused.
bool readTgaHeader(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image);
bool readTgaPixels(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image);
bool readTgaRlePixels(std::span<std::uint8_t const> file, std::size_t& offset, sImageTGA& image);
// Swaps the rows top for bottom and clears flipped.
void flipTgaRows(sImageTGA& image);

}
