#include <graphics/Image.hpp>
#include <graphics/ImageCodec.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <system_error>

namespace graphics {

namespace {

bool validAlphaInfo(Image::Format format, AlphaInfo alphaInfo) {
    if (format == Image::Format::A8)
        return alphaInfo == AlphaInfo::Only;
    // Pixels are always stored R, G, B, A: only the "last" kinds describe them.
    return alphaInfo == AlphaInfo::PremultipliedLast || alphaInfo == AlphaInfo::Last
        || alphaInfo == AlphaInfo::NoneSkipLast;
}

bool startsWith(std::span<std::uint8_t const> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// Files bigger than this are not images the program makes or ships; refusing them early
// keeps a stray path from reading a huge file into memory.
constexpr std::uintmax_t maxFileSize = 256u * 1024 * 1024;

}

std::ostream& operator<<(std::ostream& out, Rgba const& colour) {
    return out << '(' << int(colour.r) << ", " << int(colour.g) << ", " << int(colour.b) << ", "
               << int(colour.a) << ')';
}

Image::Image(int width, int height, Format format)
    : width_(width)
    , height_(height)
    , format_(format)
    , alphaInfo_(format == Format::A8 ? AlphaInfo::Only : AlphaInfo::PremultipliedLast) {
    VERIFY(width >= 0 && height >= 0 && width <= maxSide && height <= maxSide);
    pixels_.assign(bytesPerRow() * std::size_t(height), 0);
}

Image::Image(
    int width, int height, Format format, AlphaInfo alphaInfo, std::vector<std::uint8_t> pixels)
    : width_(width)
    , height_(height)
    , format_(format)
    , alphaInfo_(alphaInfo)
    , pixels_(std::move(pixels)) {
    VERIFY(width >= 0 && height >= 0 && width <= maxSide && height <= maxSide);
    VERIFY(validAlphaInfo(format, alphaInfo));
    VERIFY(pixels_.size() == bytesPerRow() * std::size_t(height));
}

void Image::setBitsPerComponent(int bits) {
    VERIFY(bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
    bitsPerComponent_ = bits;
}

bool Image::hasAlpha() const {
    auto code = static_cast<int>(alphaInfo_);
    return code >= 1 && code <= 4;
}

bool Image::isPremultiplied() const {
    return alphaInfo_ == AlphaInfo::PremultipliedLast
        || alphaInfo_ == AlphaInfo::PremultipliedFirst;
}

std::uint8_t const* Image::row(int y) const {
    VERIFY(y >= 0 && y < height_);
    return pixels_.data() + bytesPerRow() * std::size_t(y);
}

std::uint8_t* Image::row(int y) {
    VERIFY(y >= 0 && y < height_);
    return pixels_.data() + bytesPerRow() * std::size_t(y);
}

Rgba Image::pixel(int x, int y) const {
    VERIFY(x >= 0 && x < width_);
    auto const* p = row(y) + std::size_t(x) * bytesPerPixel();
    if (format_ == Format::A8)
        return {0, 0, 0, p[0]};
    return {p[0], p[1], p[2], p[3]};
}

void Image::setPixel(int x, int y, Rgba colour) {
    VERIFY(x >= 0 && x < width_);
    auto* p = row(y) + std::size_t(x) * bytesPerPixel();
    if (format_ == Format::A8) {
        p[0] = colour.a;
        return;
    }
    p[0] = colour.r;
    p[1] = colour.g;
    p[2] = colour.b;
    p[3] = colour.a;
}

void Image::premultiplyAlpha() {
    if (alphaInfo_ != AlphaInfo::Last)
        return;
    for (std::size_t i = 0; i < pixels_.size(); i += 4) {
        unsigned alpha = pixels_[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            pixels_[i + c] = std::uint8_t((pixels_[i + c] * alpha + 127) / 255);
    }
    alphaInfo_ = AlphaInfo::PremultipliedLast;
}

void Image::unpremultiplyAlpha() {
    if (alphaInfo_ != AlphaInfo::PremultipliedLast)
        return;
    for (std::size_t i = 0; i < pixels_.size(); i += 4) {
        unsigned alpha = pixels_[i + 3];
        for (std::size_t c = 0; c < 3; ++c) {
            unsigned value = alpha ? (pixels_[i + c] * 255u + alpha / 2) / alpha : 0;
            pixels_[i + c] = std::uint8_t(std::min(value, 255u));
        }
    }
    alphaInfo_ = AlphaInfo::Last;
}

void Image::flipVertically() {
    auto stride = bytesPerRow();
    for (int top = 0, bottom = height_ - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(row(top), row(top) + stride, row(bottom));
}

namespace {

std::optional<Image> decodeBySignature(std::span<std::uint8_t const> bytes, std::string& reason) {
    if (startsWith(bytes, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}))
        return codec::readPNG(bytes, reason);
    if (startsWith(bytes, {0xFF, 0xD8, 0xFF}))
        return codec::readJPEG(bytes, reason);
    reason = "neither a PNG nor a JPEG signature";
    return std::nullopt;
}

std::optional<Image> logRefusal(std::string_view what, std::string const& reason) {
    base::logLine(std::string(what) + " refused: " + reason);
    return std::nullopt;
}

}

namespace codec {

std::optional<std::string> sizeRefusal(std::uint64_t width, std::uint64_t height) {
    auto size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width == 0 || height == 0 || width > std::uint64_t(Image::maxSide)
        || height > std::uint64_t(Image::maxSide))
        return "the image is " + size + "; sides run from 1 to " + std::to_string(Image::maxSide);
    if (width * height > Image::maxDecodedPixels)
        return "the image is " + size + ", more than the " + std::to_string(Image::maxDecodedPixels)
            + " an image may have";
    return std::nullopt;
}

}

std::optional<Image> Image::decode(std::span<std::uint8_t const> bytes) {
    std::string reason;
    if (auto image = decodeBySignature(bytes, reason))
        return image;
    return logRefusal("Image", reason);
}

std::optional<Image> Image::decodePNG(std::span<std::uint8_t const> bytes) {
    std::string reason;
    if (auto image = codec::readPNG(bytes, reason))
        return image;
    return logRefusal("PNG image", reason);
}

std::optional<Image> Image::decodeJPEG(std::span<std::uint8_t const> bytes) {
    std::string reason;
    if (auto image = codec::readJPEG(bytes, reason))
        return image;
    return logRefusal("JPEG image", reason);
}

std::optional<Image> Image::decodeFile(std::filesystem::path const& path) {
    auto what = "Image file " + path.string();
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error)
        return logRefusal(what, error.message());
    if (size > maxFileSize)
        return logRefusal(what, "larger than any image it could hold");
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(size);
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size)))
        return logRefusal(what, "cannot be read");
    std::string reason;
    if (auto image = decodeBySignature(bytes, reason))
        return image;
    return logRefusal(what, reason);
}

std::optional<std::vector<std::uint8_t>> Image::encodePNG() const {
    std::string reason;
    auto bytes = codec::writePNG(*this, reason);
    if (!bytes)
        base::logLine("Cannot encode the image as PNG: " + reason);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> Image::encodeJPEG(float quality) const {
    std::string reason;
    auto bytes = codec::writeJPEG(*this, quality, reason);
    if (!bytes)
        base::logLine("Cannot encode the image as JPEG: " + reason);
    return bytes;
}

bool Image::writePNG(std::filesystem::path const& path) const {
    auto bytes = encodePNG();
    if (!bytes)
        return false;
    auto temporary = path;
    temporary += ".partial";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<char const*>(bytes->data()), std::streamsize(bytes->size()));
        file.close();
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            base::logLine("Cannot write the PNG file " + path.string());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        base::logLine("Cannot write the PNG file " + path.string() + ": " + error.message());
        return false;
    }
    return true;
}

}
