#include <engine/Texture2D.hpp>
#include <engine/TextureMgr.hpp>

#include <gtest/gtest.h>

using engine::Texture2DPixelFormat;
using graphics::Rgba;

namespace {

TEST(TextureFormats, SixteenBitConversionsTruncateEachChannel) {
    struct Case {
        Rgba pixel;
        std::uint16_t rgb565, rgba4444, rgb5a1;
    } const cases[] = {
        {{255, 128, 0, 255}, 0xFC00, 0xF80F, 0xFC01},
        {{0, 0, 0, 0}, 0x0000, 0x0000, 0x0000},
        {{255, 255, 255, 255}, 0xFFFF, 0xFFFF, 0xFFFF},
        {{7, 3, 7, 127}, 0x0000, 0x0007, 0x0000}, // every channel just under one step
        {{8, 4, 8, 128}, 0x0821, 0x0008, 0x0803},
        {{17, 34, 51, 68}, 0x1106, 0x1234, 0x110C},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(engine::convertToRGB565(c.pixel), c.rgb565) << c.pixel;
        EXPECT_EQ(engine::convertToRGBA4444(c.pixel), c.rgba4444) << c.pixel;
        EXPECT_EQ(engine::convertToRGB5A1(c.pixel), c.rgb5a1) << c.pixel;
    }
}

TEST(TextureFormats, SidesRoundUpToPowersOfTwo) {
    struct Case {
        unsigned size, side;
    } const cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 4}, {200, 256}, {300, 512}, {512, 512},
        {1024, 1024}, {1025, 2048}};
    for (auto const& c : cases)
        EXPECT_EQ(engine::nextPowerOfTwo(c.size), c.side) << c.size;
}

TEST(TextureFormats, BytesPerPixelOfEachFormat) {
    EXPECT_EQ(engine::bytesPerPixel(Texture2DPixelFormat::RGBA8888), 4);
    EXPECT_EQ(engine::bytesPerPixel(Texture2DPixelFormat::RGB565), 2);
    EXPECT_EQ(engine::bytesPerPixel(Texture2DPixelFormat::A8), 1);
    EXPECT_EQ(engine::bytesPerPixel(Texture2DPixelFormat::RGBA4444), 2);
    EXPECT_EQ(engine::bytesPerPixel(Texture2DPixelFormat::RGB5A1), 2);
    EXPECT_EQ(engine::bytesPerPixel(static_cast<Texture2DPixelFormat>(9)), 0);
}

TEST(TextureFormats, TheCacheChoosesTheFormatByTheNameAsPassed) {
    struct Case {
        char const* name;
        Texture2DPixelFormat format;
    } const cases[] = {
        {"bg.jpg", Texture2DPixelFormat::RGB565},
        {"themes/qrn_theme_beach_bg.jpg", Texture2DPixelFormat::RGB565},
        {"bg.png", Texture2DPixelFormat::RGBA4444},
        {"BG.JPG", Texture2DPixelFormat::RGBA4444},
        {"bg.jpeg", Texture2DPixelFormat::RGBA4444},
        {"jpg", Texture2DPixelFormat::RGBA4444},
    };
    for (auto const& c : cases)
        EXPECT_EQ(engine::TextureMgr::pixelFormatForName(c.name), c.format) << c.name;
}

TEST(TextureFormats, AddressKeysAreEightUpperCaseHexDigitsAtLeast) {
    EXPECT_EQ(engine::TextureMgr::addressKey(reinterpret_cast<void const*>(0xABCDEF)), "00ABCDEF");
    EXPECT_EQ(engine::TextureMgr::addressKey(reinterpret_cast<void const*>(0x7F00DEADBEEF)),
        "7F00DEADBEEF");
}

TEST(TextureFormats, TheDefaultAlphaFormatIsAProcessWideSetting) {
    auto before = engine::Texture2D::defaultAlphaPixelFormat();
    engine::Texture2D::setDefaultAlphaPixelFormat(Texture2DPixelFormat::RGB5A1);
    EXPECT_EQ(engine::Texture2D::defaultAlphaPixelFormat(), Texture2DPixelFormat::RGB5A1);
    engine::Texture2D::setDefaultAlphaPixelFormat(before);
}

}
