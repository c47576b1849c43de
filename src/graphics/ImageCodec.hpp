#pragma once

#include <graphics/Image.hpp>

#include <string>

// The codecs behind Image, for Image.cpp: each answers the image or std::nullopt with the
// reason filled in, and logs nothing, so the caller logs one line that names its source.
namespace graphics::codec {

std::optional<Image> readPNG(std::span<std::uint8_t const> bytes, std::string& reason);
std::optional<Image> readJPEG(std::span<std::uint8_t const> bytes, std::string& reason);
std::optional<std::vector<std::uint8_t>> writePNG(Image const& image, std::string& reason);
// Baseline RGB at a quality from 0 to 1; alpha is dropped (colours as laid over black).
std::optional<std::vector<std::uint8_t>> writeJPEG(
    Image const& image, float quality, std::string& reason);

// The reason for refusing a file of width x height, or nothing when its size is one that
// may be decoded (sides from 1 to Image::maxSide, Image::maxDecodedPixels in all).
std::optional<std::string> sizeRefusal(std::uint64_t width, std::uint64_t height);

}
