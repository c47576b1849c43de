#include "TextureRenderFixture.hpp"

#include <engine/PVRTexture.hpp>
#include <engine/Texture2D.hpp>

#include <base/Exception.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cmath>

using namespace engine;
using graphics::Rgba;
namespace pvr = test::pvr;

namespace {

class Texture2DTest : public test::TextureRenderTest {
protected:
    // Draws the texture at the point with the default blend and white colour.
    void draw(Texture2D const& texture, Point at = {0, 0}) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        texture.drawAtPoint(at);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glFinish();
    }

    void drawIn(Texture2D const& texture, Rect rect) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        texture.drawInRect(rect);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glFinish();
    }
};

// An n-bit channel as GL widens it to 8 bits.
int widen(unsigned value, int bits) {
    return int(std::lround(value * 255.0 / ((1 << bits) - 1)));
}

TEST_F(Texture2DTest, SixteenBitFormatsKeepTheTruncatedColours) {
    Rgba const colours[] = {{255, 128, 0, 255}, {17, 34, 51, 255}, {200, 100, 50, 255}};
    graphics::Image image(3, 1);
    for (int x = 0; x < 3; ++x)
        image.setPixel(x, 0, colours[x]);
    struct Case {
        Texture2DPixelFormat format;
        int bits[3];
        int shifts[3];
        std::uint16_t (*convert)(Rgba);
    } const cases[] = {
        {Texture2DPixelFormat::RGB565, {5, 6, 5}, {11, 5, 0}, convertToRGB565},
        {Texture2DPixelFormat::RGBA4444, {4, 4, 4}, {12, 8, 4}, convertToRGBA4444},
        {Texture2DPixelFormat::RGB5A1, {5, 5, 5}, {11, 6, 1}, convertToRGB5A1},
    };
    for (auto const& c : cases) {
        clear();
        Texture2D::setDefaultAlphaPixelFormat(c.format);
        auto texture = Texture2D::initWithImage(image);
        ASSERT_TRUE(texture);
        EXPECT_EQ(texture->pixelFormat(), c.format);
        // One pixel of the texture becomes 8 x 8 on screen.
        texture->setAliasTexParameters();
        drawIn(*texture, makeRect(0, 0, 24, 8));
        for (int x = 0; x < 3; ++x) {
            std::uint16_t value = c.convert(colours[x]);
            Rgba expected {
                std::uint8_t(widen((value >> c.shifts[0]) & ((1u << c.bits[0]) - 1), c.bits[0])),
                std::uint8_t(widen((value >> c.shifts[1]) & ((1u << c.bits[1]) - 1), c.bits[1])),
                std::uint8_t(widen((value >> c.shifts[2]) & ((1u << c.bits[2]) - 1), c.bits[2])),
                255};
            EXPECT_TRUE(near(rgb(x * 8 + 4, 4), expected)) << int(c.format) << " colour " << x;
        }
    }
    // The known colour of the three formats, read back from GL: 0xFC00, 0xF80F, 0xFC01.
    EXPECT_EQ(widen(0xFC00 >> 5 & 63, 6), 130);
}

TEST_F(Texture2DTest, ImagesArePaddedToPowerOfTwoSides) {
    struct Case {
        int width, height;
        unsigned pixelsWide, pixelsHigh;
    } const cases[] = {
        {1, 1, 1, 1},
        {300, 200, 512, 256},
        {3, 5, 4, 8},
        {1024, 2, 1024, 2},
        {64, 64, 64, 64},
    };
    for (auto const& c : cases) {
        auto texture
            = Texture2D::initWithImage(test::solidImage(c.width, c.height, {255, 255, 255, 255}));
        ASSERT_TRUE(texture) << c.width << "x" << c.height;
        EXPECT_EQ(texture->pixelsWide(), c.pixelsWide);
        EXPECT_EQ(texture->pixelsHigh(), c.pixelsHigh);
        EXPECT_EQ(texture->contentSize(), (Size {float(c.width), float(c.height)}));
        EXPECT_FLOAT_EQ(texture->maxS(), float(c.width) / float(c.pixelsWide));
        EXPECT_FLOAT_EQ(texture->maxT(), float(c.height) / float(c.pixelsHigh));
        EXPECT_NE(texture->name(), 0u);
    }
}

TEST_F(Texture2DTest, ImagesBeyondTheLargestTextureAreRefusedNotFatal) {
    test::LogCapture log;
    EXPECT_FALSE(Texture2D::initWithImage(test::solidImage(1025, 1, {255, 0, 0, 255})));
    EXPECT_FALSE(Texture2D::initWithImage(test::solidImage(1, 2000, {255, 0, 0, 255})));
    EXPECT_EQ(log.lines(),
        (std::vector<std::string> {"Image is bigger than the supported 1024 x 1024",
            "Image is bigger than the supported 1024 x 1024"}));
}

TEST_F(Texture2DTest, NoImageIsLoggedAndGivesNoTexture) {
    test::LogCapture log;
    EXPECT_FALSE(Texture2D::initWithImage(nullptr));
    EXPECT_FALSE(Texture2D::initWithImage(graphics::Image()));
    EXPECT_EQ(log.lines(), (std::vector<std::string> {"Image is Null", "Image is Null"}));
}

TEST_F(Texture2DTest, TheFormatFollowsTheImagesAlphaAndDepth) {
    Texture2D::setDefaultAlphaPixelFormat(Texture2DPixelFormat::RGBA4444);
    auto opaque = test::opaqueImage(2, 2, {10, 20, 30, 255});
    // Eight bits per component take the default format even without alpha.
    EXPECT_EQ(Texture2D::initWithImage(opaque)->pixelFormat(), Texture2DPixelFormat::RGBA4444);
    opaque.setBitsPerComponent(4);
    EXPECT_EQ(Texture2D::initWithImage(opaque)->pixelFormat(), Texture2DPixelFormat::RGB565);
    auto translucent = test::solidImage(2, 2, {10, 20, 30, 40});
    translucent.setBitsPerComponent(4);
    EXPECT_EQ(Texture2D::initWithImage(translucent)->pixelFormat(), Texture2DPixelFormat::RGBA4444);
    graphics::Image mask(2, 2, graphics::Image::Format::A8);
    EXPECT_EQ(Texture2D::initWithImage(mask)->pixelFormat(), Texture2DPixelFormat::A8);
}

TEST_F(Texture2DTest, ColoursAreStoredPremultipliedForImagesWithAlpha) {
    // Straight alpha, as the decoder gives it: half-transparent white.
    std::vector<std::uint8_t> pixels = {255, 255, 255, 128};
    graphics::Image straight(
        1, 1, graphics::Image::Format::RGBA8, graphics::AlphaInfo::Last, pixels);
    auto texture = Texture2D::initWithImage(straight);
    ASSERT_TRUE(texture);
    EXPECT_TRUE(texture->hasPremultipliedAlpha());
    drawIn(*texture, makeRect(0, 0, 8, 8));
    // Over black with (GL_ONE, GL_ONE_MINUS_SRC_ALPHA): the premultiplied colour.
    EXPECT_TRUE(near(rgb(4, 4), {128, 128, 128, 255}));

    auto opaque = Texture2D::initWithImage(test::opaqueImage(1, 1, {1, 2, 3, 255}));
    EXPECT_FALSE(opaque->hasPremultipliedAlpha());
}

TEST_F(Texture2DTest, TheImageIsDrawnUprightFromItsFirstRows) {
    // Top row red, bottom row blue, in a 3 x 2 image padded to 4 x 2.
    graphics::Image image(3, 2);
    for (int x = 0; x < 3; ++x) {
        image.setPixel(x, 0, {255, 0, 0, 255});
        image.setPixel(x, 1, {0, 0, 255, 255});
    }
    auto texture = Texture2D::initWithImage(image);
    ASSERT_TRUE(texture);
    draw(*texture, {10, 20});
    EXPECT_TRUE(near(rgb(11, 21), {255, 0, 0, 255}));
    EXPECT_TRUE(near(rgb(11, 20), {0, 0, 255, 255}));
    // Only the content is drawn: three pixels wide, not four.
    EXPECT_TRUE(near(rgb(12, 20), {0, 0, 255, 255}));
    EXPECT_TRUE(near(rgb(13, 20), {0, 0, 0, 255}));
    EXPECT_TRUE(near(rgb(11, 22), {0, 0, 0, 255}));
}

TEST_F(Texture2DTest, RawPixelsUploadInTheirFormat) {
    std::vector<std::uint8_t> rgba = {0, 255, 0, 255, 0, 0, 255, 255};
    auto texture = Texture2D::initWithData(rgba, Texture2DPixelFormat::RGBA8888, 2, 1, {2, 1});
    ASSERT_TRUE(texture);
    EXPECT_FALSE(texture->hasPremultipliedAlpha());
    EXPECT_FLOAT_EQ(texture->maxS(), 1);
    Texture2D::setAliasNextInit(true);
    auto alias = Texture2D::initWithData(rgba, Texture2DPixelFormat::RGBA8888, 2, 1, {2, 1});
    EXPECT_FALSE(Texture2D::getAliasNextInit());
    // Alias filtering keeps a hard edge; the next texture is filtered again.
    drawIn(*alias, makeRect(0, 0, 16, 4));
    EXPECT_TRUE(near(rgb(7, 2), {0, 255, 0, 255}));
    EXPECT_TRUE(near(rgb(8, 2), {0, 0, 255, 255}));
    clear();
    drawIn(*texture, makeRect(0, 0, 16, 4));
    EXPECT_TRUE(rgb(7, 2).b > 0 && rgb(7, 2).g > 0);

    std::vector<std::uint8_t> alpha = {255, 0};
    auto mask = Texture2D::initWithData(alpha, Texture2DPixelFormat::A8, 2, 1, {2, 1});
    ASSERT_TRUE(mask);
    clear();
    mask->setAliasTexParameters();
    // Masks are not premultiplied: their colour comes from the node.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4ub(255, 255, 0, 255);
    drawIn(*mask, makeRect(0, 0, 16, 4));
    glColor4ub(255, 255, 255, 255);
    EXPECT_TRUE(near(rgb(2, 2), {255, 255, 0, 255}));
    EXPECT_TRUE(near(rgb(12, 2), {0, 0, 0, 255}));
}

TEST_F(Texture2DTest, MasksAreTheSeamOfTextTextures) {
    graphics::Image mask(128, 32, graphics::Image::Format::A8);
    for (int x = 0; x < 100; ++x)
        mask.setPixel(x, 0, {0, 0, 0, 255});
    auto texture = Texture2D::initWithMask(mask, {100, 30});
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixelFormat(), Texture2DPixelFormat::A8);
    EXPECT_EQ(texture->pixelsWide(), 128u);
    EXPECT_EQ(texture->pixelsHigh(), 32u);
    EXPECT_EQ(texture->contentSize(), (Size {100, 30}));
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    draw(*texture);
    // Row 0 of the mask is the top of the 30-point box.
    EXPECT_TRUE(near(rgb(50, 29), {255, 255, 255, 255}));
    EXPECT_TRUE(near(rgb(50, 28), {0, 0, 0, 255}));
}

TEST_F(Texture2DTest, AnUnknownFormatIsAnInternalInconsistency) {
    std::vector<std::uint8_t> bytes(16, 0);
    try {
        Texture2D::initWithData(bytes, static_cast<Texture2DPixelFormat>(7), 1, 1, {1, 1});
        FAIL() << "made a texture of format 7";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), base::InternalInconsistencyException);
        EXPECT_EQ(e.reason(), "");
    }
}

TEST_F(Texture2DTest, DescriptionNamesTheTexture) {
    auto texture = Texture2D::initWithImage(test::solidImage(300, 200, {0, 0, 0, 255}));
    auto text = texture->description();
    EXPECT_TRUE(text.starts_with("<Texture2D = ")) << text;
    EXPECT_TRUE(text.ends_with(" | Name = " + std::to_string(texture->name())
        + " | Dimensions = 512x256 | Coordinates = (0.59, 0.78)>"))
        << text;
}

// PVR

std::vector<std::uint8_t> redBlueStripes() {
    // Every block: rows 0 and 1 colour A (red), rows 2 and 3 colour B (blue).
    auto modulation = pvr::modulation4({{{0, 0, 0, 0}, {0, 0, 0, 0}, {3, 3, 3, 3}, {3, 3, 3, 3}}});
    return pvr::repeat(pvr::block(modulation, pvr::opaqueColours(31, 0, 0, 0, 0, 31)), 4);
}

TEST_F(Texture2DTest, PVRFilesAreDecodedAndDrawn) {
    auto path = resources->home() / "stripes.pvr";
    test::writeBytes(path, pvr::file(8, 8, 0x19, redBlueStripes()));
    auto texture = Texture2D::initWithPVRTCFile(path.string());
    ASSERT_TRUE(texture);
    ASSERT_NE(texture->name(), 0u);
    EXPECT_EQ(texture->pixelsWide(), 8u);
    EXPECT_EQ(texture->contentSize(), (Size {8, 8}));
    EXPECT_EQ(texture->maxS(), 1);
    EXPECT_EQ(texture->maxT(), 1);
    texture->setAliasTexParameters();
    drawIn(*texture, makeRect(0, 0, 32, 32));
    // Texture row 0 is the top: the top two rows of each block are red.
    EXPECT_TRUE(near(rgb(2, 30), {255, 0, 0, 255}));
    EXPECT_TRUE(near(rgb(2, 22), {0, 0, 255, 255}));
    EXPECT_TRUE(near(rgb(30, 14), {255, 0, 0, 255}));
    EXPECT_TRUE(near(rgb(30, 2), {0, 0, 255, 255}));
}

TEST_F(Texture2DTest, PVRFilesWithEveryLevelUpload) {
    auto level0 = redBlueStripes();
    auto data = level0;
    data.insert(data.end(), level0.begin(), level0.end()); // 4 x 4
    data.insert(data.end(), level0.begin(), level0.end()); // 2 x 2
    data.insert(data.end(), level0.begin(), level0.end()); // 1 x 1
    auto path = resources->home() / "levels.pvr";
    test::writeBytes(path, pvr::file(8, 8, 0x19, data));
    test::LogCapture log;
    auto texture = PVRTexture::pvrTextureWithContentsOfFile(path.string());
    ASSERT_TRUE(texture);
    EXPECT_TRUE(texture->imageData().empty());
    EXPECT_NE(texture->name(), 0u);
    EXPECT_TRUE(log.lines().empty());
    auto viaURL = PVRTexture::pvrTextureWithContentsOfURL("file://" + path.string());
    EXPECT_TRUE(viaURL);
    EXPECT_FALSE(PVRTexture::pvrTextureWithContentsOfURL("http://example.com/levels.pvr"));
}

TEST_F(Texture2DTest, AFileThatIsNotPVRGivesAnEmptyTexture) {
    auto path = resources->home() / "fake.pvr";
    test::writeText(path, "this is not a texture at all, not even close to one; more text here");
    auto texture = Texture2D::initWithPVRTCFile(path.string());
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->name(), 0u);
    EXPECT_EQ(texture->contentSize(), (Size {}));
    EXPECT_EQ(
        Texture2D::initWithPVRTCFile((resources->home() / "missing.pvr").string())->name(), 0u);
}

TEST_F(Texture2DTest, RawPVRTCDataMustHoldTheWholeTexture) {
    auto data = redBlueStripes();
    auto texture = Texture2D::initWithPVRTCData(data, 0, 4, true, 8);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixelsWide(), 8u);
    texture->setAliasTexParameters();
    drawIn(*texture, makeRect(0, 0, 8, 8));
    EXPECT_TRUE(near(rgb(0, 7), {255, 0, 0, 255}));
    EXPECT_TRUE(near(rgb(0, 0), {0, 0, 255, 255}));

    test::LogCapture log;
    EXPECT_FALSE(Texture2D::initWithPVRTCData(std::span(data).first(31), 0, 4, true, 8));
    EXPECT_FALSE(Texture2D::initWithPVRTCData(data, 0, 4, true, 16));
    EXPECT_FALSE(Texture2D::initWithPVRTCData(data, 0, 3, true, 8));
    EXPECT_FALSE(Texture2D::initWithPVRTCData(data, 0, 4, true, 6));
    EXPECT_EQ(log.lines().size(), 4u);
}

}
