#include <engine/PVRTCDecoder.hpp>

#include <algorithm>
#include <array>

namespace engine {

namespace {

constexpr unsigned maxSide = 4096;

// Red, green, blue, alpha, 8 bits each.
using Colour = std::array<int, 4>;

bool isPowerOfTwo(unsigned value) {
    return value != 0 && (value & (value - 1)) == 0;
}

int expand5(int v) {
    return (v << 3) | (v >> 2);
}
int expand4to5(int v) {
    return (v << 1) | (v >> 3);
}
int expand3to5(int v) {
    return (v << 2) | (v >> 1);
}
// A translucent colour's 3-bit alpha is the upper three bits of a 4-bit value
// whose lowest bit is 0, so it never quite reaches opaque.
int expandAlpha3(int v) {
    return (v << 1) * 17;
}

// Colour A: the lower half of the colour word (bit 15 opaque, then RGB 5-5-4 or
// ARGB 3-4-4-3; bit 0 is the block's mode).
Colour colourA(std::uint32_t word) {
    std::uint32_t bits = word & 0xFFFF;
    if (bits & 0x8000) {
        return {expand5(int(bits >> 10) & 31), expand5(int(bits >> 5) & 31),
            expand5(expand4to5(int(bits >> 1) & 15)), 255};
    }
    return {expand5(expand4to5(int(bits >> 8) & 15)), expand5(expand4to5(int(bits >> 4) & 15)),
        expand5(expand3to5(int(bits >> 1) & 7)), expandAlpha3(int(bits >> 12) & 7)};
}

// Colour B: the upper half (bit 31 opaque, then RGB 5-5-5 or ARGB 3-4-4-4).
Colour colourB(std::uint32_t word) {
    std::uint32_t bits = word >> 16;
    if (bits & 0x8000) {
        return {expand5(int(bits >> 10) & 31), expand5(int(bits >> 5) & 31),
            expand5(int(bits) & 31), 255};
    }
    return {expand5(expand4to5(int(bits >> 8) & 15)), expand5(expand4to5(int(bits >> 4) & 15)),
        expand5(expand4to5(int(bits) & 15)), expandAlpha3(int(bits >> 12) & 7)};
}

unsigned mortonIndex(unsigned bx, unsigned by, unsigned blocksX, unsigned blocksY) {
    unsigned smaller = std::min(blocksX, blocksY);
    unsigned index = 0;
    unsigned shift = 0;
    for (unsigned bit = 1; bit < smaller; bit <<= 1, ++shift) {
        if (by & bit)
            index |= 1u << (2 * shift);
        if (bx & bit)
            index |= 1u << (2 * shift + 1);
    }
    unsigned rest = (blocksX > blocksY ? bx : by) >> shift;
    return index | (rest << (2 * shift));
}

std::uint32_t readWord(std::uint8_t const* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
        | std::uint32_t(p[3]) << 24;
}

int wrap(int value, int size) {
    int r = value % size;
    return r < 0 ? r + size : r;
}

struct Block {
    std::uint32_t modulation {0};
    Colour a;
    Colour b;
    bool modeFlag {false};
};

unsigned blockWidth(int bitsPerPixel) {
    return bitsPerPixel == 4 ? 4 : 8;
}

unsigned blocksAcross(unsigned width, int bitsPerPixel) {
    return std::max(width / blockWidth(bitsPerPixel), 2u);
}

unsigned blocksDown(unsigned height) {
    return std::max(height / 4, 2u);
}

// Modulation weights in eighths of the way from colour A to colour B.
constexpr int standardWeights[4] = {0, 3, 5, 8};
constexpr int punchThroughWeights[4] = {0, 4, 4, 8};

}

std::size_t pvrtcLevelSize(unsigned width, unsigned height, int bitsPerPixel) {
    return std::size_t(blocksAcross(width, bitsPerPixel)) * blocksDown(height) * 8;
}

std::optional<std::vector<std::uint8_t>> decodePVRTC(
    std::span<std::uint8_t const> data, unsigned width, unsigned height, int bitsPerPixel) {
    if (bitsPerPixel != 2 && bitsPerPixel != 4)
        return std::nullopt;
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height) || width > maxSide || height > maxSide)
        return std::nullopt;
    if (data.size() < pvrtcLevelSize(width, height, bitsPerPixel))
        return std::nullopt;

    int const bw = int(blockWidth(bitsPerPixel));
    int const bh = 4;
    unsigned const blocksX = blocksAcross(width, bitsPerPixel);
    unsigned const blocksY = blocksDown(height);
    int const fullWidth = int(blocksX) * bw;
    int const fullHeight = int(blocksY) * bh;

    std::vector<Block> blocks(std::size_t(blocksX) * blocksY);
    for (unsigned by = 0; by < blocksY; ++by) {
        for (unsigned bx = 0; bx < blocksX; ++bx) {
            auto const* p = data.data() + std::size_t(mortonIndex(bx, by, blocksX, blocksY)) * 8;
            Block& block = blocks[std::size_t(by) * blocksX + bx];
            block.modulation = readWord(p);
            std::uint32_t colours = readWord(p + 4);
            block.a = colourA(colours);
            block.b = colourB(colours);
            block.modeFlag = colours & 1;
        }
    }
    auto blockAt = [&](int x, int y) -> Block const& {
        return blocks[std::size_t(y / bh) * blocksX + std::size_t(x / bw)];
    };

    // Per pixel: the weight in eighths (-1 while it is still to be interpolated)
    // and whether punch-through makes it transparent.
    std::vector<int> weight(std::size_t(fullWidth) * fullHeight, 0);
    std::vector<bool> transparent(weight.size(), false);
    enum class Fill { None, Horizontal, Vertical, Both };
    std::vector<Fill> fill(blocks.size(), Fill::None);
    for (int y = 0; y < fullHeight; ++y) {
        for (int x = 0; x < fullWidth; ++x) {
            Block const& block = blockAt(x, y);
            int lx = x % bw, ly = y % bh;
            std::size_t at = std::size_t(y) * fullWidth + x;
            if (bitsPerPixel == 4) {
                int value = int(block.modulation >> (2 * (ly * 4 + lx))) & 3;
                weight[at] = block.modeFlag ? punchThroughWeights[value] : standardWeights[value];
                transparent[at] = block.modeFlag && value == 2;
            } else if (!block.modeFlag) {
                weight[at] = (block.modulation >> (ly * 8 + lx)) & 1 ? 8 : 0;
            } else if (((lx ^ ly) & 1) != 0) {
                weight[at] = -1;
            } else {
                // Stored pixels of an interpolating block hold two bits each, in
                // raster order; bits 0 and 20 double as the interpolation mode, so
                // those two pixels keep only their upper bit.
                int stored = (ly * 8 + lx) / 2;
                int value = int(block.modulation >> (2 * stored)) & 3;
                if (stored == 0 || stored == 10)
                    value = (value & 2) ? 3 : 0;
                weight[at] = standardWeights[value];
            }
        }
    }
    if (bitsPerPixel == 2) {
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (!blocks[i].modeFlag)
                continue;
            std::uint32_t m = blocks[i].modulation;
            fill[i] = !(m & 1) ? Fill::Both : (m & (1u << 20)) ? Fill::Vertical : Fill::Horizontal;
        }
        auto at = [&](int x, int y) {
            return weight[std::size_t(wrap(y, fullHeight)) * fullWidth + wrap(x, fullWidth)];
        };
        for (int y = 0; y < fullHeight; ++y) {
            for (int x = 0; x < fullWidth; ++x) {
                std::size_t index = std::size_t(y) * fullWidth + x;
                if (weight[index] != -1)
                    continue;
                // Neighbours of a missing pixel are stored or direct ones (blocks
                // have even sides), never missing ones.
                int left = at(x - 1, y), right = at(x + 1, y);
                int up = at(x, y - 1), down = at(x, y + 1);
                switch (fill[std::size_t(y / bh) * blocksX + std::size_t(x / bw)]) {
                case Fill::Horizontal:
                    weight[index] = (left + right + 1) / 2;
                    break;
                case Fill::Vertical:
                    weight[index] = (up + down + 1) / 2;
                    break;
                default:
                    weight[index] = (left + right + up + down + 2) / 4;
                    break;
                }
            }
        }
    }

    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    int const area = bw * bh;
    for (int y = 0; y < int(height); ++y) {
        // The block colours sit at the block centres: each pixel takes them from
        // the four centres around it, wrapping at the edges.
        int py = y - bh / 2;
        int by0 = wrap(py >= 0 ? py / bh : (py - bh + 1) / bh, int(blocksY));
        int fy = wrap(py, bh);
        int by1 = (by0 + 1) % int(blocksY);
        for (int x = 0; x < int(width); ++x) {
            int px = x - bw / 2;
            int bx0 = wrap(px >= 0 ? px / bw : (px - bw + 1) / bw, int(blocksX));
            int fx = wrap(px, bw);
            int bx1 = (bx0 + 1) % int(blocksX);
            Block const& p = blocks[std::size_t(by0) * blocksX + bx0];
            Block const& q = blocks[std::size_t(by0) * blocksX + bx1];
            Block const& r = blocks[std::size_t(by1) * blocksX + bx0];
            Block const& s = blocks[std::size_t(by1) * blocksX + bx1];
            int wp = (bw - fx) * (bh - fy), wq = fx * (bh - fy), wr = (bw - fx) * fy, ws = fx * fy;
            std::size_t index = std::size_t(y) * fullWidth + x;
            int m = weight[index];
            int const total = 8 * area;
            std::uint8_t* out = pixels.data() + (std::size_t(y) * width + x) * 4;
            for (int c = 0; c < 4; ++c) {
                int a = p.a[c] * wp + q.a[c] * wq + r.a[c] * wr + s.a[c] * ws;
                int b = p.b[c] * wp + q.b[c] * wq + r.b[c] * wr + s.b[c] * ws;
                out[c] = std::uint8_t((a * (8 - m) + b * m + total / 2) / total);
            }
            if (transparent[index])
                out[3] = 0;
        }
    }
    return pixels;
}

}
