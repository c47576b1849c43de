#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <vector>

namespace graphics {

// How an image's alpha is to be read. The numbers are the platform's alpha-info codes, which
// the texture code compares against: codes 1 to 4 have alpha, 7 is a mask without colour.
enum class AlphaInfo : int {
    None = 0,
    PremultipliedLast = 1,
    PremultipliedFirst = 2,
    Last = 3,
    First = 4,
    NoneSkipLast = 5,
    NoneSkipFirst = 6,
    Only = 7,
};

struct Rgba {
    std::uint8_t r {0};
    std::uint8_t g {0};
    std::uint8_t b {0};
    std::uint8_t a {0};

    bool operator==(Rgba const&) const = default;
};

// "(r, g, b, a)", for messages and test failures.
std::ostream& operator<<(std::ostream& out, Rgba const& colour);

// A decoded bitmap: rows from the top, tightly packed, 8 bits per channel. Either RGBA8 (bytes
// R, G, B, A; alpha info PremultipliedLast, Last or NoneSkipLast with alpha 255) or A8, an
// alpha-only mask with no colour (alpha info Only), which text masks use. A plain value; the
// codecs are safe on any thread.
//
// Decoders refuse bad input with std::nullopt and one logged line, never a crash: corrupt or
// truncated files, unknown formats, sides above maxSide, and images of more pixels than
// maxDecodedPixels, checked from the header before anything is allocated for the pixels (so
// a small forged file cannot ask for gigabytes). They hand over straight (not premultiplied)
// alpha; premultiplyAlpha() converts.
class Image {
public:
    enum class Format { RGBA8, A8 };

    static constexpr int maxSide = 8192;
    // The most pixels a decoded file may have: no picture of the game is larger than
    // 2048 x 2048, which takes 16 MB decoded.
    static constexpr std::uint64_t maxDecodedPixels = 2048 * 2048;

    Image() = default;
    // Transparent black (RGBA8, premultiplied) or an empty mask (A8).
    Image(int width, int height, Format format = Format::RGBA8);
    // Takes pixels of width x height in format; alphaInfo must suit the format.
    Image(int width, int height, Format format, AlphaInfo alphaInfo,
        std::vector<std::uint8_t> pixels);

    // By content: PNG or JPEG signature.
    static std::optional<Image> decode(std::span<std::uint8_t const> bytes);
    static std::optional<Image> decodePNG(std::span<std::uint8_t const> bytes);
    static std::optional<Image> decodeJPEG(std::span<std::uint8_t const> bytes);
    static std::optional<Image> decodeFile(std::filesystem::path const& path);

    // An 8-bit PNG: RGBA for RGBA8 images (straight alpha, converted back when premultiplied),
    // grey for masks. std::nullopt and a logged line for an empty image.
    std::optional<std::vector<std::uint8_t>> encodePNG() const;
    // Writes through a temporary file in the same folder and renames it, so a failed write
    // leaves no partial file. False and a logged line on failure.
    bool writePNG(std::filesystem::path const& path) const;
    // A baseline JPEG at a quality from 0 to 1 (1 best); alpha is dropped, the colours taken
    // as laid over black. std::nullopt and a logged line for an empty image.
    std::optional<std::vector<std::uint8_t>> encodeJPEG(float quality) const;

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    Format format() const { return format_; }
    AlphaInfo alphaInfo() const { return alphaInfo_; }
    // Bits per component of the source the image came from (1, 2, 4, 8 or 16 for PNG, 8 for
    // JPEG and for made images); the pixels held here are always 8 bits.
    int bitsPerComponent() const { return bitsPerComponent_; }
    void setBitsPerComponent(int bits);
    bool hasAlpha() const;
    bool isPremultiplied() const;
    // False for masks, which have no colour space.
    bool hasColorSpace() const { return format_ == Format::RGBA8; }

    int bytesPerPixel() const { return format_ == Format::RGBA8 ? 4 : 1; }
    std::size_t bytesPerRow() const { return std::size_t(width_) * bytesPerPixel(); }
    std::span<std::uint8_t const> pixels() const { return pixels_; }
    std::span<std::uint8_t> pixels() { return pixels_; }
    std::uint8_t const* row(int y) const;
    std::uint8_t* row(int y);

    // (x, y) from the top-left. A mask reads as black with its alpha and stores only alpha.
    Rgba pixel(int x, int y) const;
    void setPixel(int x, int y, Rgba colour);

    // Straight alpha to premultiplied and back; nothing for images without alpha or already
    // in the wanted form. Unpremultiplying loses what premultiplying rounded away.
    void premultiplyAlpha();
    void unpremultiplyAlpha();
    void flipVertically();

    bool operator==(Image const&) const = default;

private:
    int width_ {0};
    int height_ {0};
    Format format_ {Format::RGBA8};
    AlphaInfo alphaInfo_ {AlphaInfo::PremultipliedLast};
    int bitsPerComponent_ {8};
    std::vector<std::uint8_t> pixels_;
};

}
