#include "ResourceHelpers.hpp"

#include <engine/PVRTCDecoder.hpp>
#include <engine/PVRTexture.hpp>
#include <support/LogCapture.hpp>
#include <support/PeakMemory.hpp>

#include <gtest/gtest.h>

using engine::decodePVRTC;
using graphics::Rgba;
namespace pvr = test::pvr;

namespace {

// Reads one decoded pixel.
Rgba at(std::vector<std::uint8_t> const& pixels, unsigned width, unsigned x, unsigned y) {
    auto const* p = pixels.data() + (std::size_t(y) * width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

constexpr Rgba red {255, 0, 0, 255};
constexpr Rgba blue {0, 0, 255, 255};

// Every block the same: opaque red A, opaque blue B.
std::uint32_t const redBlue = pvr::opaqueColours(31, 0, 0, 0, 0, 31);

TEST(PVRTCDecoder, StandardModulationBlendsFromAToBInEighths) {
    auto modulation = pvr::modulation4({{{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}}});
    auto data = pvr::repeat(pvr::block(modulation, redBlue), 4);
    auto pixels = decodePVRTC(data, 8, 8, 4);
    ASSERT_TRUE(pixels);
    ASSERT_EQ(pixels->size(), 8u * 8 * 4);
    EXPECT_EQ(at(*pixels, 8, 0, 0), red);
    EXPECT_EQ(at(*pixels, 8, 1, 0), (Rgba {159, 0, 96, 255})); // 3/8 of the way
    EXPECT_EQ(at(*pixels, 8, 2, 5), (Rgba {96, 0, 159, 255})); // 5/8
    EXPECT_EQ(at(*pixels, 8, 7, 7), blue);
}

TEST(PVRTCDecoder, PunchThroughModeHasHalfwayAndTransparentCodes) {
    auto modulation = pvr::modulation4({{{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}}});
    auto colours = pvr::opaqueColours(31, 0, 0, 0, 0, 31, true);
    auto pixels = decodePVRTC(pvr::repeat(pvr::block(modulation, colours), 4), 8, 8, 4);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(at(*pixels, 8, 0, 0), red);
    EXPECT_EQ(at(*pixels, 8, 1, 0), (Rgba {128, 0, 128, 255}));
    EXPECT_EQ(at(*pixels, 8, 2, 0).a, 0);
    EXPECT_EQ(at(*pixels, 8, 3, 0), blue);
}

TEST(PVRTCDecoder, TranslucentColoursExpandTheirFewBits) {
    // A: alpha 4 of 7 (136 after expansion), red 15 of 15, green 0, blue 7 of 7.
    auto colours = pvr::translucentA(4, 15, 0, 7, 0, 31, 0);
    auto pixels = decodePVRTC(pvr::repeat(pvr::block(0, colours), 4), 8, 8, 4);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(at(*pixels, 8, 3, 3), (Rgba {255, 0, 255, 136}));
    // The largest translucent alpha stays short of opaque.
    auto full = decodePVRTC(
        pvr::repeat(pvr::block(0, pvr::translucentA(7, 0, 0, 0, 0, 0, 0)), 4), 8, 8, 4);
    EXPECT_EQ(at(*full, 8, 0, 0).a, 238);
    // Colour B, all ones in modulation, gives green.
    auto green = decodePVRTC(pvr::repeat(pvr::block(0xFFFFFFFF, colours), 4), 8, 8, 4);
    EXPECT_EQ(at(*green, 8, 5, 1), (Rgba {0, 255, 0, 255}));
}

TEST(PVRTCDecoder, BlocksAreInMortonOrderAndColoursSitAtBlockCentres) {
    // Blocks of 8 x 8 pixels at 4 bits per pixel are 2 x 2; in Morton order with
    // the y bit lowest: (0,0), (0,1), (1,0), (1,1).
    std::vector<std::uint8_t> data;
    for (auto colours :
        {pvr::opaqueColours(31, 0, 0, 0, 0, 0), pvr::opaqueColours(0, 31, 0, 0, 0, 0),
            pvr::opaqueColours(0, 0, 15, 0, 0, 0), pvr::opaqueColours(31, 31, 15, 0, 0, 0)}) {
        auto one = pvr::block(0, colours);
        data.insert(data.end(), one.begin(), one.end());
    }
    auto pixels = decodePVRTC(data, 8, 8, 4);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(at(*pixels, 8, 2, 2), red);
    EXPECT_EQ(at(*pixels, 8, 2, 6), (Rgba {0, 255, 0, 255}));
    EXPECT_EQ(at(*pixels, 8, 6, 2), blue);
    EXPECT_EQ(at(*pixels, 8, 6, 6), (Rgba {255, 255, 255, 255}));
    // Halfway between two centres, half of each.
    EXPECT_EQ(at(*pixels, 8, 4, 2), (Rgba {128, 0, 128, 255}));
}

TEST(PVRTCDecoder, TwoBitDirectModeTakesOneBitAPixel) {
    // 8 x 4 pixels a block; the first row alternates A and B.
    std::uint32_t modulation = 0xAA;
    auto pixels = decodePVRTC(pvr::repeat(pvr::block(modulation, redBlue), 4), 16, 8, 2);
    ASSERT_TRUE(pixels);
    ASSERT_EQ(pixels->size(), 16u * 8 * 4);
    EXPECT_EQ(at(*pixels, 16, 0, 0), red);
    EXPECT_EQ(at(*pixels, 16, 1, 0), blue);
    EXPECT_EQ(at(*pixels, 16, 9, 4), blue);
    EXPECT_EQ(at(*pixels, 16, 0, 1), red);
}

// Two-bit values for the stored pixels of an interpolating block: 3 in rows 0
// and 2, 0 in rows 1 and 3. Bits 0 and 20 choose how the other pixels are made.
std::uint32_t interpolatingModulation(bool bit0, bool bit20) {
    std::uint32_t word = 0;
    for (int stored = 0; stored < 16; ++stored) {
        int row = stored / 4;
        if (row % 2 == 0)
            word |= 3u << (2 * stored);
    }
    word = bit0 ? word | 1u : word & ~1u;
    word = bit20 ? word | (1u << 20) : word & ~(1u << 20);
    return word;
}

TEST(PVRTCDecoder, TwoBitInterpolatedModeFillsTheMissingPixels) {
    auto colours = pvr::opaqueColours(31, 0, 0, 0, 0, 31, true);
    struct Case {
        bool bit0, bit20;
        Rgba missing;
        char const* mode;
    } const cases[] = {
        {false, false, {128, 0, 128, 255}, "both ways"},
        {true, false, blue, "horizontal"},
        {true, true, red, "vertical"},
    };
    for (auto const& c : cases) {
        auto data = pvr::repeat(pvr::block(interpolatingModulation(c.bit0, c.bit20), colours), 4);
        auto pixels = decodePVRTC(data, 16, 8, 2);
        ASSERT_TRUE(pixels) << c.mode;
        // (1, 0) is missing: left and right hold B, above and below A.
        EXPECT_EQ(at(*pixels, 16, 1, 0), c.missing) << c.mode;
        // Stored pixels keep their value.
        EXPECT_EQ(at(*pixels, 16, 2, 0), blue) << c.mode;
        EXPECT_EQ(at(*pixels, 16, 1, 1), red) << c.mode;
    }
}

TEST(PVRTCDecoder, SmallLevelsUseTheTwoByTwoBlockMinimum) {
    EXPECT_EQ(engine::pvrtcLevelSize(8, 8, 4), 32u);
    EXPECT_EQ(engine::pvrtcLevelSize(4, 4, 4), 32u);
    EXPECT_EQ(engine::pvrtcLevelSize(1, 1, 2), 32u);
    EXPECT_EQ(engine::pvrtcLevelSize(32, 16, 2), 4u * 4 * 8);
    auto pixels = decodePVRTC(pvr::repeat(pvr::block(0, redBlue), 4), 2, 1, 4);
    ASSERT_TRUE(pixels);
    ASSERT_EQ(pixels->size(), 2u * 1 * 4);
    EXPECT_EQ(at(*pixels, 2, 1, 0), red);
}

TEST(PVRTCDecoder, RefusesWhatItCannotDecode) {
    auto data = pvr::repeat(pvr::block(0, redBlue), 4);
    EXPECT_FALSE(decodePVRTC(data, 8, 8, 3));
    EXPECT_FALSE(decodePVRTC(data, 12, 8, 4));
    EXPECT_FALSE(decodePVRTC(data, 0, 8, 4));
    EXPECT_FALSE(decodePVRTC(data, 8192, 8, 4));
    EXPECT_FALSE(decodePVRTC(std::span(data).first(31), 8, 8, 4));
    EXPECT_FALSE(decodePVRTC(data, 16, 16, 4)); // needs 128 bytes
}

// PVR files

TEST(PVRTexture, LevelsAreCutFromTheDataLength) {
    struct Case {
        unsigned width, height;
        std::uint32_t type;
        std::size_t dataBytes;
        std::vector<std::size_t> levels;
    } const cases[] = {
        {8, 8, 0x19, 32, {32}},
        {8, 8, 0x19, 64, {32, 32}},
        {16, 16, 0x19, 128 + 32 + 32, {128, 32, 32}},
        {32, 8, 0x18, 64 + 32, {64, 32}},
    };
    for (auto const& c : cases) {
        auto file = pvr::file(c.width, c.height, c.type, std::vector<std::uint8_t>(c.dataBytes, 0));
        auto texture = base::make<engine::PVRTexture>();
        ASSERT_TRUE(texture->unpackPVRData(file)) << c.width << "x" << c.height;
        std::vector<std::size_t> sizes;
        for (auto const& level : texture->imageData())
            sizes.push_back(level.size());
        EXPECT_EQ(sizes, c.levels) << c.width << "x" << c.height;
        EXPECT_EQ(texture->width(), c.width);
        EXPECT_EQ(texture->height(), c.height);
        EXPECT_EQ(texture->internalFormat(),
            c.type == 0x19 ? engine::PVRTexture::formatRGBA4bpp
                           : engine::PVRTexture::formatRGBA2bpp);
    }
}

TEST(PVRTexture, LevelsEndAtOneByOneWhateverTheDataLengthSays) {
    struct Case {
        unsigned width, height;
        std::uint32_t type;
        std::size_t dataBytes;
        std::size_t levels;
    } const cases[] = {
        {1, 1, 0x19, 32 * 10, 1},
        {8, 8, 0x19, 32 * 10, 4},
        {32, 8, 0x18, 64 + 32 * 20, 6},
        {16, 16, 0x19, 128 + 32 * 30, 5},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        auto texture = base::make<engine::PVRTexture>();
        ASSERT_TRUE(texture->unpackPVRData(
            pvr::file(c.width, c.height, c.type, std::vector<std::uint8_t>(c.dataBytes, 0))))
            << c.width << "x" << c.height;
        EXPECT_EQ(texture->imageData().size(), c.levels) << c.width << "x" << c.height;
        EXPECT_EQ(texture->imageData().back().size(), 32u) << c.width << "x" << c.height;
    }
    EXPECT_TRUE(log.contains("bytes after the last level are left out"));
}

// 32 MB of data after the header of a 1 x 1 texture: one level, not a million.
TEST(PVRTexture, AHugeDataLengthCostsLittleMemory) {
    auto file = pvr::file(1, 1, 0x19, std::vector<std::uint8_t>(std::size_t(32) << 20, 0));
    test::LogCapture log;
    auto growth = test::peakMemoryGrowth([&] {
        auto texture = base::make<engine::PVRTexture>();
        return texture->unpackPVRData(file) && texture->imageData().size() == 1;
    });
    ASSERT_TRUE(growth);
    EXPECT_LT(*growth, std::size_t(4) << 20);
}

TEST(PVRTexture, TheAlphaMaskSaysWhetherItHasAlpha) {
    std::vector<std::uint8_t> data(32, 0);
    auto texture = base::make<engine::PVRTexture>();
    ASSERT_TRUE(texture->unpackPVRData(pvr::file(8, 8, 0x19, data, 0xFF)));
    EXPECT_TRUE(texture->hasAlpha());
    ASSERT_TRUE(texture->unpackPVRData(pvr::file(8, 8, 0x19, data, 0)));
    EXPECT_FALSE(texture->hasAlpha());
}

TEST(PVRTexture, RefusesOtherFiles) {
    std::vector<std::uint8_t> data(32, 0);
    auto good = pvr::file(8, 8, 0x19, data);
    for (std::size_t tagByte = 44; tagByte < 48; ++tagByte) {
        auto file = good;
        file[tagByte] ^= 0x20;
        EXPECT_FALSE(base::make<engine::PVRTexture>()->unpackPVRData(file)) << tagByte;
    }
    EXPECT_FALSE(base::make<engine::PVRTexture>()->unpackPVRData(pvr::file(8, 8, 0x10, data)));
    EXPECT_FALSE(base::make<engine::PVRTexture>()->unpackPVRData(std::span(good).first(51)));
    EXPECT_TRUE(base::make<engine::PVRTexture>()->unpackPVRData(good));
}

TEST(PVRTexture, RefusesHeadersThatPromiseMoreThanTheFileHolds) {
    std::vector<std::uint8_t> data(32, 0);
    test::LogCapture log;
    // The data length says two levels, the file holds one.
    EXPECT_FALSE(
        base::make<engine::PVRTexture>()->unpackPVRData(pvr::file(8, 8, 0x19, data, 0, 64)));
    // Data that ends inside a level.
    EXPECT_FALSE(base::make<engine::PVRTexture>()->unpackPVRData(
        pvr::file(16, 16, 0x19, std::vector<std::uint8_t>(140, 0), 0, 140)));
    EXPECT_FALSE(
        base::make<engine::PVRTexture>()->unpackPVRData(pvr::file(8, 8, 0x19, data, 0, 0)));
    EXPECT_FALSE(base::make<engine::PVRTexture>()->unpackPVRData(pvr::file(12, 8, 0x19, data)));
    EXPECT_FALSE(
        base::make<engine::PVRTexture>()->unpackPVRData(pvr::file(0x40000000, 8, 0x19, data)));
    EXPECT_EQ(log.lines().size(), 5u);
}

}
