#include <ttf/TTFLabelStringDrawing.hpp>
#include <ttf/TTFont.hpp>

#include <support/LogCapture.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

#include <cfloat>

using graphics::Size;
using ttf::LineBreakMode;
using ttf::TTFont;

namespace {

base::Ref<TTFont> boxFont(float size, test::TestFontSpec const& spec = {}) {
    auto face = graphics::FontFace::createWithData(test::buildTestFont(spec), "box.ttf");
    EXPECT_TRUE(face);
    return TTFont::fontWithCGFont(face, size);
}

}

TEST(TTFLabelStringDrawing, MeasuresWithTheFontsAdvancesAndLeading) {
    auto font = boxFont(20);
    EXPECT_EQ(ttf::sizeWithTTFont("", *font), (Size {0, 0}));
    EXPECT_EQ(ttf::sizeWithTTFont("hello", *font), (Size {50, 20}));
    EXPECT_EQ(ttf::sizeWithTTFont("a\r\nb", *font), (Size {30, 20}));
    EXPECT_EQ(ttf::sizeWithTTFont("a\r\nb", *font, {FLT_MAX, FLT_MAX}), (Size {10, 40}));
    EXPECT_EQ(ttf::sizeWithTTFont("hello world", *font, {100, FLT_MAX}), (Size {50, 40}));
    EXPECT_EQ(ttf::sizeWithTTFont("hello world", *font, {85, 20}, LineBreakMode::TailTruncation),
        (Size {60, 20}));
    EXPECT_EQ(ttf::sizeWithTTFont("abc", *boxFont(15)), (Size {23, 15}));
}

TEST(TTFLabelStringDrawing, SupplementaryCharacterIsOneGlyphOnlyInAFormatTwelveFont) {
    test::TestFontSpec groups;
    groups.cmaps = {{0, 4, 12}};
    EXPECT_EQ(ttf::sizeWithTTFont("\U0001F600", *boxFont(20, groups)), (Size {10, 20}));
    // Two lookups, two missing glyphs of the same advance.
    EXPECT_EQ(ttf::sizeWithTTFont("\U0001F600", *boxFont(20)), (Size {20, 20}));
}

TEST(TTFLabelStringDrawing, FontWithoutAUsableMapLaysOutAsEmptyLines) {
    test::TestFontSpec spec;
    spec.cmaps = {{1, 0, 4}};
    EXPECT_EQ(
        ttf::sizeWithTTFont("abc\ndef", *boxFont(20, spec), {FLT_MAX, FLT_MAX}), (Size {0, 40}));
    spec.omitTables = {"cmap"};
    test::LogCapture log;
    EXPECT_EQ(ttf::sizeWithTTFont("abc", *boxFont(20, spec)), (Size {0, 20}));
}

TEST(TTFLabelStringDrawing, ComputesAdvancesTimesTheRatio) {
    auto font = boxFont(20);
    std::vector<graphics::GlyphId> glyphs {1, 2, 3};
    std::vector<float> advances(3);
    EXPECT_EQ(ttf::computeGlyphAdvances(*font, glyphs, advances), (Size {30, 20}));
    EXPECT_EQ(advances, (std::vector<float> {10, 10, 10}));
}

TEST(TTFLabelStringDrawing, DrawsEachLineAlignedInTheRectangle) {
    auto font = boxFont(20);
    test::TextCanvas canvas(64, 48);
    auto size = ttf::drawInRect(
        "ab\nc", {{0, 4}, {60, 100}}, *font, LineBreakMode::WordWrap, ttf::TextAlignment::Center);
    EXPECT_EQ(size, (Size {20, 40}));
    // Centre: "ab" from x 20, "c" from x 25; baselines 16 and 36 below y 4.
    EXPECT_TRUE(
        test::inkExactlyIn(canvas.image(), {{21, 6, 29, 20}, {31, 6, 39, 20}, {26, 26, 34, 40}}));
}

TEST(TTFLabelStringDrawing, DrawsOneLineAtAPointWithinAWidth) {
    auto font = boxFont(20);
    test::TextCanvas canvas(64, 24);
    auto size = ttf::drawAtPoint("abc def", {2, 0}, 35, *font, LineBreakMode::TailTruncation);
    EXPECT_EQ(size, (Size {30, 20}));
    // "ab" and the ellipsis, every glyph a box.
    EXPECT_TRUE(
        test::inkExactlyIn(canvas.image(), {{3, 2, 11, 16}, {13, 2, 21, 16}, {23, 2, 31, 16}}));
}

TEST(TTFLabelStringDrawing, FontFileAndSizeFormsMatchTheFontForms) {
    auto font = boxFont(20);
    auto& face = *font->cgFont();
    EXPECT_EQ(
        ttf::sizeWithCGFont("hello world", face, 20), ttf::sizeWithTTFont("hello world", *font));
    EXPECT_EQ(ttf::sizeWithCGFont("hello world", face, 20, {60, FLT_MAX}), (Size {50, 40}));
    test::TextCanvas canvas(64, 24);
    EXPECT_EQ(ttf::drawInRect("ab", {{0, 0}, {64, 24}}, face, 20), (Size {20, 20}));
    EXPECT_TRUE(test::inkExactlyIn(canvas.image(), {{1, 2, 9, 16}, {11, 2, 19, 16}}));
}

TEST(TTFLabelStringDrawing, RealFontInksInsideTheMeasuredBoxOnly) {
    auto face = graphics::FontFace::createWithFile(
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf");
    ASSERT_TRUE(face);
    auto font = TTFont::fontWithCGFont(face, 24);
    auto size = ttf::sizeWithTTFont("Quillaby", *font);
    EXPECT_GT(size.width, 80);
    test::TextCanvas canvas(160, 48);
    ttf::drawAtPoint("Quillaby", {10, 8}, *font);
    auto ink = test::inkAround(canvas.image(), 10, 8, 10 + int(size.width), 8 + int(size.height));
    EXPECT_GT(ink.inside, 255 * 100);
    EXPECT_EQ(ink.outside, 0);
}
