#include <ttf/TTFLabel.hpp>

#include <support/TestFont.hpp>

#include <gtest/gtest.h>

using graphics::Rect;
using ttf::TTFLabel;
using ttf::TTFont;

namespace {

base::Ref<TTFont> boxFont(float size) {
    return TTFont::fontWithCGFont(
        graphics::FontFace::createWithData(test::buildTestFont({}), "box.ttf"), size);
}

// A label in white, which the grey canvas takes as full coverage.
base::Ref<TTFLabel> whiteLabel(graphics::Rect frame, base::Ref<TTFont> font, std::string text) {
    auto label = TTFLabel::labelWithFrame(frame, std::move(font));
    label->setText(std::move(text));
    label->setTextColor({255, 255, 255, 255});
    return label;
}

}

TEST(TTFLabel, CentresOneLineVerticallyAndAlignsIt) {
    auto label = whiteLabel({{0, 0}, {100, 40}}, boxFont(20), "ab");
    for (auto [alignment, x] : {std::pair {graphics::TextAlignment::Left, 0},
             std::pair {graphics::TextAlignment::Center, 40},
             std::pair {graphics::TextAlignment::Right, 80}}) {
        test::TextCanvas canvas(100, 40);
        label->setTextAlignment(alignment);
        label->drawRect();
        // Line top at round((40 - 20) / 2) = 10, baseline at 26.
        EXPECT_TRUE(
            test::inkExactlyIn(canvas.image(), {{x + 1, 12, x + 9, 26}, {x + 11, 12, x + 19, 26}}))
            << int(alignment);
    }
}

TEST(TTFLabel, ShrinksOneLineToItsWidthKeepingTheBaseline) {
    auto label = whiteLabel({{0, 0}, {50, 40}}, boxFont(20), "abcdefghij");
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(5);
    test::TextCanvas canvas(60, 40);
    label->drawRect();
    // Size 20 x 50 / 100 = 10: glyphs 5 points apart; the baseline stays at 26.
    auto image = canvas.image();
    EXPECT_EQ(image.pixel(2, 22).a, 255);
    EXPECT_EQ(image.pixel(47, 22).a, 255);
    EXPECT_EQ(image.pixel(2, 26).a, 0);
    EXPECT_EQ(image.pixel(2, 18).a, 0);
    EXPECT_EQ(test::inkAround(image, 0, 19, 50, 26).outside, 0);
}

TEST(TTFLabel, ShrinkingStopsAtTheMinimumSize) {
    auto label = whiteLabel({{0, 0}, {50, 40}}, boxFont(20), "abcdefghij");
    label->setAdjustsFontSizeToFitWidth(true);
    label->setMinimumFontSize(16);
    label->setLineBreakMode(graphics::LineBreakMode::Clip);
    test::TextCanvas canvas(60, 40);
    label->drawRect();
    // At 16 points each glyph advances 8: six glyphs fit in 50, clipped by characters.
    EXPECT_EQ(test::inkAround(canvas.image(), 0, 0, 48, 40).outside, 0);
    EXPECT_GT(test::inkAround(canvas.image(), 40, 0, 48, 40).inside, 0);
}

TEST(TTFLabel, CentresSeveralLinesAsABlock) {
    auto label = whiteLabel({{0, 0}, {60, 100}}, boxFont(20), "hello world");
    label->setNumberOfLines(0);
    label->setLineBreakMode(graphics::LineBreakMode::WordWrap);
    test::TextCanvas canvas(60, 100);
    label->drawRect();
    // Two lines, 40 high, from y 30.
    auto ink = test::inkAround(canvas.image(), 0, 30, 60, 70);
    EXPECT_EQ(ink.outside, 0);
    EXPECT_EQ(ink.inside, 10L * 8 * 14 * 255);
}

TEST(TTFLabel, LimitsLinesToTheNumberAsked) {
    auto label = TTFLabel::labelWithFrame({{0, 0}, {60, 100}}, boxFont(20));
    label->setText("one two three four");
    label->setNumberOfLines(2);
    label->setLineBreakMode(graphics::LineBreakMode::WordWrap);
    EXPECT_EQ(label->textRectForBounds({{5, 5}, {60, 100}}, 2), (Rect {{5, 5}, {30, 40}}));
    EXPECT_EQ(label->textRectForBounds({{0, 0}, {60, 100}}, 0), (Rect {{0, 0}, {50, 80}}));
    EXPECT_EQ(label->textRectForBounds({{0, 0}, {30, 100}}, 1), (Rect {{0, 0}, {30, 20}}));
}

TEST(TTFLabel, SizeAndFontFileReplaceTheFont) {
    auto label = TTFLabel::labelWithFrame({{0, 0}, {60, 40}}, boxFont(20));
    auto* face = label->cgFont();
    label->setPointSize(10);
    EXPECT_EQ(label->pointSize(), 10);
    EXPECT_EQ(label->cgFont(), face);
    auto other = graphics::FontFace::createWithData(test::buildTestFont({}), "other");
    label->setCGFont(other);
    EXPECT_EQ(label->cgFont(), other.get());
    EXPECT_EQ(label->pointSize(), 10);
}

TEST(TTFLabel, WithoutATrueTypeFontDrawsWithThePlatformFont) {
    auto label = whiteLabel({{0, 0}, {100, 40}}, nullptr, "Hi");
    ASSERT_TRUE(label->font());
    test::TextCanvas canvas(100, 40);
    label->drawRect();
    EXPECT_GT(test::inkAround(canvas.image(), 0, 0, 100, 40).inside, 0);
}

TEST(TTFLabel, NoTextDrawsNothing) {
    auto label = whiteLabel({{0, 0}, {100, 40}}, boxFont(20), "");
    test::TextCanvas canvas(100, 40);
    label->drawRect();
    EXPECT_EQ(test::inkAround(canvas.image(), 0, 0, 0, 0).outside, 0);
}
