#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace engine {

// Software decoding of PVRTC (version 1) compressed textures, for GL drivers
// without the PowerVR compression extension: the data is decoded to RGBA and
// uploaded as ordinary pixels, so PVR files still draw.
//
// The data is a grid of 64-bit blocks in Morton order (the y bit of each pair
// lowest), 4 x 4 pixels a block at 4 bits per pixel and 8 x 4 at 2 bits per
// pixel, at least 2 x 2 blocks. Each block holds two colours (A and B, opaque
// or translucent) and a modulation word; each pixel blends the A and B colours,
// bilinearly upscaled from the block centres of its four nearest blocks, by its
// modulation weight. Stateless and thread-safe.

// Bytes of one level of width x height pixels: the block grid times 8.
std::size_t pvrtcLevelSize(unsigned width, unsigned height, int bitsPerPixel);

// The pixels of one level as RGBA rows from the top, straight alpha. nullopt for
// a bit count other than 2 or 4, a side that is 0, above 4096 or not a power of
// two, or data shorter than pvrtcLevelSize.
std::optional<std::vector<std::uint8_t>> decodePVRTC(
    std::span<std::uint8_t const> data, unsigned width, unsigned height, int bitsPerPixel);

}
