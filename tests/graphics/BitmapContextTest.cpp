#include <graphics/BitmapContext.hpp>
#include <graphics/FontFace.hpp>

#include <support/TestFont.hpp>

#include <gtest/gtest.h>

using graphics::BitmapContext;
using graphics::Rgba;

TEST(BitmapContext, RefusesSidesOutOfRange) {
    EXPECT_FALSE(BitmapContext::create(0, 4, BitmapContext::Format::Grey8));
    EXPECT_FALSE(BitmapContext::create(4, -1, BitmapContext::Format::RGBA8));
    EXPECT_FALSE(
        BitmapContext::create(graphics::Image::maxSide + 1, 1, BitmapContext::Format::Grey8));
    EXPECT_TRUE(BitmapContext::create(1, 1, BitmapContext::Format::Grey8));
}

TEST(BitmapContext, StartsBlankWithTheOriginAtTheBottomLeft) {
    auto context = BitmapContext::create(3, 20, BitmapContext::Format::RGBA8);
    ASSERT_TRUE(context);
    EXPECT_EQ(context->image().pixel(1, 1), (Rgba {0, 0, 0, 0}));
    context->setRGBFillColor(1, 0, 0, 1);
    context->fillRect({{0, 0}, {3, 5}});
    auto image = context->image();
    EXPECT_EQ(image.pixel(1, 19), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(image.pixel(1, 15), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(image.pixel(1, 14), (Rgba {0, 0, 0, 0}));
}

TEST(BitmapContext, FillsPolygonsInUserSpace) {
    // A right triangle with its right angle at the bottom left (y up): rows from the
    // top are 10 - y.
    auto context = BitmapContext::create(10, 10, BitmapContext::Format::RGBA8);
    ASSERT_TRUE(context);
    context->setRGBFillColor(0, 0, 1, 1);
    graphics::Point const triangle[] = {{0, 0}, {10, 0}, {0, 10}};
    context->fillPolygon(triangle);
    auto image = context->image();
    EXPECT_EQ(image.pixel(0, 9), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(image.pixel(2, 5), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(image.pixel(6, 8), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(image.pixel(9, 0), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(image.pixel(8, 1), (Rgba {0, 0, 0, 0}));
    // The diagonal pixels are partly covered.
    EXPECT_GT(image.pixel(5, 5).a, 0);
    EXPECT_LT(image.pixel(5, 5).a, 255);

    // The transform applies; fewer than three points fill nothing.
    auto moved = BitmapContext::create(10, 10, BitmapContext::Format::RGBA8);
    moved->setRGBFillColor(1, 1, 1, 1);
    moved->translateCTM(5, 5);
    graphics::Point const square[] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}};
    moved->fillPolygon(square);
    moved->fillPolygon(std::span(square).first(2));
    EXPECT_EQ(moved->image().pixel(7, 2), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(moved->image().pixel(2, 2), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(moved->image().pixel(7, 7), (Rgba {0, 0, 0, 0}));
}

TEST(BitmapContext, GreyContextHoldsCoverageTimesTheGreyLevel) {
    auto context = BitmapContext::create(3, 2, BitmapContext::Format::Grey8);
    context->setGrayFillColor(1, 1);
    context->fillRect({{0, 0}, {1, 2}});
    context->setGrayFillColor(0.5f, 1);
    context->fillRect({{1, 0}, {1, 2}});
    auto image = context->image();
    EXPECT_EQ(image.format(), graphics::Image::Format::A8);
    EXPECT_EQ(image.pixel(0, 0).a, 255);
    EXPECT_NEAR(image.pixel(1, 0).a, 128, 1);
    EXPECT_EQ(image.pixel(2, 0).a, 0);
}

TEST(BitmapContext, SavesAndRestoresTheTransformAndTheFont) {
    auto context = BitmapContext::create(10, 10, BitmapContext::Format::Grey8);
    auto face = graphics::FontFace::createWithData(test::buildTestFont({}), "box");
    context->setFont(face.get());
    context->setFontSize(12);
    context->saveGState();
    context->translateCTM(0, 10);
    context->scaleCTM(1, -1);
    context->setFont(nullptr);
    context->setFontSize(30);
    EXPECT_EQ(context->ctm(), (graphics::AffineTransform {1, 0, 0, -1, 0, 10}));
    context->restoreGState();
    context->restoreGState(); // unbalanced: ignored
    EXPECT_EQ(context->ctm(), graphics::AffineTransform::identity());
    EXPECT_EQ(context->font(), face.get());
    EXPECT_EQ(context->fontSize(), 12);
}

TEST(BitmapContext, GlyphsStandUprightInTheDefaultSpace) {
    test::TestFontSpec spec;
    auto face = graphics::FontFace::createWithData(test::buildTestFont(spec), "box");
    auto context = BitmapContext::create(20, 20, BitmapContext::Format::Grey8);
    context->setGrayFillColor(1, 1);
    context->setFont(face.get());
    context->setFontSize(10);
    graphics::GlyphId glyph = spec.glyphFor(U'A');
    graphics::Point at {0, 2};
    context->showGlyphs({&glyph, 1}, {&at, 1});
    auto image = context->image();
    // Ink from x 0.5 to 4.5 and from 2 to 9 points up: rows 11 to 17 from the top.
    EXPECT_EQ(image.pixel(2, 14).a, 255);
    EXPECT_EQ(image.pixel(2, 10).a, 0);
    EXPECT_EQ(image.pixel(2, 18).a, 0);
    EXPECT_EQ(image.pixel(6, 14).a, 0);
}

TEST(BitmapContext, KeepsAPerThreadStackOfCurrentContexts) {
    EXPECT_EQ(BitmapContext::currentContext(), nullptr);
    auto a = BitmapContext::create(1, 1, BitmapContext::Format::Grey8);
    auto b = BitmapContext::create(1, 1, BitmapContext::Format::Grey8);
    BitmapContext::pushContext(*a);
    BitmapContext::pushContext(*b);
    EXPECT_EQ(BitmapContext::currentContext(), b.get());
    BitmapContext::popContext();
    EXPECT_EQ(BitmapContext::currentContext(), a.get());
    BitmapContext::popContext();
    BitmapContext::popContext();
    EXPECT_EQ(BitmapContext::currentContext(), nullptr);
}
