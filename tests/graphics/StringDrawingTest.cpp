#include <graphics/BitmapContext.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>

#include <support/TempDir.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

#include <cfloat>

using graphics::BitmapContext;
using graphics::Font;
using graphics::Image;
using graphics::Rect;
using graphics::Size;

namespace {

class StringDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeTestFont(dir / "box.ttf");
        ASSERT_TRUE(Font::registerFontFile("Box", dir / "box.ttf"));
        box = Font::fontWithName("Box", 20);
        ASSERT_TRUE(box);
    }
    void TearDown() override { Font::removeRegisteredFonts(); }

    test::TempDir dir;
    base::Ref<Font> box;
};

}

TEST_F(StringDrawingTest, MeasuresOneLineAndWrappedText) {
    EXPECT_EQ(graphics::sizeWithFont("hello", *box), (Size {50, 20}));
    EXPECT_EQ(graphics::sizeWithFont("hello\nworld", *box), (Size {110, 20}));
    EXPECT_EQ(graphics::sizeWithFont("hello world", *box, {100, FLT_MAX}), (Size {50, 40}));
    EXPECT_EQ(graphics::sizeWithFont(
                  "hello world", *box, {85, 20}, graphics::LineBreakMode::TailTruncation),
        (Size {60, 20}));
    EXPECT_EQ(graphics::sizeWithFont("", *box), (Size {0, 0}));
}

TEST_F(StringDrawingTest, RoundsMeasuredSizesUp) {
    auto font = box->fontWithSize(15);
    EXPECT_EQ(graphics::sizeWithFont("abc", *font), (Size {23, 15}));
}

TEST_F(StringDrawingTest, DrawsGlyphsWhereTheLayoutPutsThem) {
    test::TextCanvas canvas(64, 48);
    // Baseline 16 below the top of the rectangle; each box glyph inks x 1 to 9 and 14 points
    // up from the baseline within its 10-point advance.
    auto size = graphics::drawInRect("ab\nc", Rect {{10, 5}, {100, 100}}, *box);
    EXPECT_EQ(size, (Size {20, 40}));
    EXPECT_TRUE(
        test::inkExactlyIn(canvas.image(), {{11, 7, 19, 21}, {21, 7, 29, 21}, {11, 27, 19, 41}}));
}

TEST_F(StringDrawingTest, AlignsDrawnLinesInTheRectangle) {
    test::TextCanvas canvas(64, 24);
    graphics::drawInRect("a", Rect {{0, 0}, {60, 24}}, *box, graphics::LineBreakMode::WordWrap,
        graphics::TextAlignment::Right);
    EXPECT_TRUE(test::inkExactlyIn(canvas.image(), {{51, 2, 59, 16}}));
}

TEST_F(StringDrawingTest, DrawsAtAPointWithinAWidth) {
    test::TextCanvas canvas(64, 24);
    auto size
        = graphics::drawAtPoint("abcdef", {0, 0}, 25, *box, graphics::LineBreakMode::CharacterWrap);
    EXPECT_EQ(size, (Size {20, 20}));
    EXPECT_TRUE(test::inkExactlyIn(canvas.image(), {{1, 2, 9, 16}, {11, 2, 19, 16}}));
}

TEST_F(StringDrawingTest, WithoutACurrentContextDrawingOnlyMeasures) {
    EXPECT_EQ(graphics::drawInRect("ab", Rect {{0, 0}, {100, 100}}, *box), (Size {20, 20}));
}

TEST_F(StringDrawingTest, FontGlyphsTakeASurrogatePairAsOneCharacter) {
    graphics::FontGlyphs glyphs(*box);
    std::vector<graphics::GlyphId> ids;
    std::vector<std::uint8_t> counts;
    glyphs.mapCharacters(std::u16string {u'a', 0xD83D, 0xDE00, u'b', 0xD83D}, ids, counts);
    EXPECT_EQ(counts, (std::vector<std::uint8_t> {1, 2, 1, 1}));
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(ids[0], box->face().glyphForCharacter(U'a'));
    EXPECT_EQ(ids[1], box->face().glyphForCharacter(0x1F600));
    EXPECT_NE(ids[0], 0);
    std::vector<float> advances(ids.size());
    ASSERT_TRUE(glyphs.glyphAdvances(ids, advances));
    EXPECT_FLOAT_EQ(advances[0], 10);
    EXPECT_FLOAT_EQ(glyphs.leading(), 20);
    EXPECT_FLOAT_EQ(glyphs.pointSize(), 20);
}

TEST_F(StringDrawingTest, RealFontInksInsideTheMeasuredBoxOnly) {
    auto font = Font::fontWithName("Helvetica", 24);
    ASSERT_TRUE(font);
    auto size = graphics::sizeWithFont("Hello", *font);
    EXPECT_GT(size.width, 40);
    EXPECT_LT(size.width, 80);
    test::TextCanvas canvas(128, 64);
    graphics::drawAtPoint("Hello", {20, 10}, *font);
    auto ink = test::inkAround(canvas.image(), 20, 10, 20 + int(size.width), 10 + int(size.height));
    EXPECT_GT(ink.inside, 255 * 60);
    EXPECT_EQ(ink.outside, 0);
}
