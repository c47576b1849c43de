#include "TextRenderHelpers.hpp"

#include <base/Exception.hpp>
#include <engine/Label.hpp>

#include <cfloat>

using engine::Label;
using engine::Size;
using engine::TextAlignment;
using test::colours::black;
using test::colours::red;
using test::colours::white;

namespace {

class LabelTest : public test::TextRenderTest { };

// Three words of seven letters: three lines in a 100-point box at 20 points.
constexpr char threeLines[] = "aaaaaaa bbbbbbb ccccccc";

}

TEST_F(LabelTest, IsMadeOnlyWithItsTextAndFont) {
    try {
        base::make<Label>();
        FAIL();
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "LabelInit");
        EXPECT_EQ(e.reason(), "Use initWithString:dimensions:aligment:fontName:font instead");
    }
}

TEST_F(LabelTest, TextureIsAnAlphaMaskOfTheMeasuredText) {
    auto label = Label::labelWithString("ab", "Box", 20);
    auto* texture = label->texture();
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->pixelFormat(), engine::Texture2DPixelFormat::A8);
    EXPECT_EQ(texture->contentSize(), (Size {20, 20}));
    EXPECT_EQ(texture->pixelsWide(), 32u);
    EXPECT_EQ(texture->pixelsHigh(), 32u);
    EXPECT_EQ(label->contentSize(), (Size {20, 20}));
    EXPECT_EQ(label->getText(), "ab");
}

TEST_F(LabelTest, BoxedTextureTakesTheBoxRoundedUpToPowersOfTwo) {
    auto label = Label::labelWithString("ab", {100, 30}, TextAlignment::Center, "Box", 20);
    EXPECT_EQ(label->texture()->pixelsWide(), 128u);
    EXPECT_EQ(label->texture()->pixelsHigh(), 32u);
    EXPECT_EQ(label->contentSize(), (Size {100, 30}));
}

TEST_F(LabelTest, DrawsInkOnItsGlyphsOnly) {
    auto label = Label::labelWithString("ab", "Box", 20);
    label->setPosition({64, 64});
    drawScene(*label);
    // The label covers 54 to 74 both ways; each glyph inks x 1 to 9 of its 10 points and
    // the rows 2 to 16 from the top.
    EXPECT_TRUE(near(rgb(59, 65), white));
    EXPECT_TRUE(near(rgb(69, 65), white));
    EXPECT_TRUE(near(rgb(64, 65), black)) << "between the glyphs";
    EXPECT_TRUE(near(rgb(59, 73), black)) << "above the ink";
    EXPECT_EQ(inkAroundGL(55, 58, 74, 72).outside, 0);
}

TEST_F(LabelTest, RealFontDrawsInsideItsBoxAndNowhereElse) {
    auto label = Label::labelWithString("Salon", "Helvetica", 24);
    label->setPosition({64, 64});
    Size size = label->contentSize();
    ASSERT_GT(size.width, 40);
    drawScene(*label);
    int x0 = 64 - int(size.width / 2), y0 = 64 - int(size.height / 2);
    auto ink = inkAroundGL(x0, y0, x0 + int(size.width) + 1, y0 + int(size.height) + 1);
    EXPECT_GT(ink.inside, 255 * 3 * 80);
    EXPECT_EQ(ink.outside, 0);
}

TEST_F(LabelTest, OutlineIsDrawnBehindTheTextInItsColour) {
    auto label = Label::labelWithString("ab", "Box", 20);
    label->setPosition({64, 64});
    drawScene(*label);
    EXPECT_TRUE(near(rgb(54, 65), black));
    label->setStrokeColor({255, 0, 0});
    label->setStroke(true);
    ASSERT_TRUE(label->outlineTexture());
    drawScene(*label);
    // The outline widens each glyph by a pixel on both sides; the text stays on top.
    EXPECT_TRUE(near(rgb(54, 65), red));
    EXPECT_TRUE(near(rgb(64, 65), red));
    EXPECT_TRUE(near(rgb(59, 65), white));
    EXPECT_TRUE(near(rgb(40, 65), black));
}

TEST_F(LabelTest, OutlineSettingsRebuildTheOutlineOnlyWhileItIsOn) {
    auto label = Label::labelWithString("ab", "Box", 20);
    label->setStrokeSize(2);
    label->setStrokeColor({255, 0, 0});
    EXPECT_FALSE(label->outlineTexture());
    label->setStroke(true);
    base::Ref<engine::Texture2D> first(label->outlineTexture());
    ASSERT_TRUE(first);
    label->setStrokeSize(3);
    EXPECT_NE(label->outlineTexture(), first.get());
    base::Ref<engine::Texture2D> second(label->outlineTexture());
    label->setString("abc");
    EXPECT_NE(label->outlineTexture(), second.get());
    EXPECT_EQ(label->outlineTexture()->contentSize(), (Size {30, 20}));
}

struct Shrink {
    char const* name;
    char const* text;
    Size box;
    float fontSize;
    float expected;
};

class LabelShrink : public test::TextRenderTest, public ::testing::WithParamInterface<Shrink> { };

TEST_P(LabelShrink, LowersTheSizeWhileTheRuleSaysSo) {
    auto const& c = GetParam();
    auto label = Label::labelWithString(c.text, c.box, TextAlignment::Left, "Box", c.fontSize);
    EXPECT_EQ(label->fontSize(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, LabelShrink,
    ::testing::Values(
        // 3 lines at 20 to 14 points, 2 lines of 26 at 13.
        Shrink {"ThreeLinesShrinkUntilTheyFit", threeLines, {100, 40}, 20, 13},
        Shrink {"TextThatFitsKeepsItsSize", "ab", {100, 40}, 20, 20},
        // One line of 20 is below 4.8 x-heights of 10.
        Shrink {"OneTallLineIsNotShrunk", "abc", {100, 10}, 20, 20},
        Shrink {"TwoLinesBelowTheXHeightsRuleStay", "aaaaaaa bbbbbbb", {100, 30}, 20, 20},
        Shrink {"ShrinkingStopsAtFivePoints", threeLines, {10, 1}, 20, 5},
        Shrink {"ASizeAtTheFloorIsKept", threeLines, {10, 1}, 4, 4},
        Shrink {"NoBoxNoShrinking", threeLines, {0, 0}, 20, 20}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST_F(LabelTest, ALoweredSizeStaysForLaterTexts) {
    auto label = Label::labelWithString(threeLines, {100, 40}, TextAlignment::Left, "Box", 20);
    ASSERT_EQ(label->fontSize(), 13);
    label->setString("ab");
    EXPECT_EQ(label->fontSize(), 13);
    EXPECT_EQ(label->texture()->contentSize(), (Size {100, 40}));
}

TEST_F(LabelTest, FastSetStringKeepsTheSize) {
    auto label = Label::labelWithString("ab", {100, 40}, TextAlignment::Left, "Box", 20);
    label->fastSetString(threeLines);
    EXPECT_EQ(label->fontSize(), 20);
    EXPECT_EQ(label->getText(), threeLines);
}

TEST_F(LabelTest, MeasuresItsTextWithinItsBox) {
    auto label = Label::labelWithString("", {100, 100}, TextAlignment::Left, "Box", 20);
    EXPECT_EQ(label->getTextSize(), (Size {0, 0}));
    label->fastSetString("hello world");
    EXPECT_EQ(label->getTextSize(), (Size {50, 40}));
    auto unboxed = Label::labelWithString("hello world", "Box", 20);
    EXPECT_EQ(unboxed->getTextSize(), (Size {110, 20}));
}

TEST_F(LabelTest, ADamagedBundleFontFallsBackToThePlatformFont) {
    auto bytes = test::buildTestFont({});
    bytes.resize(bytes.size() / 2);
    test::writeBytes(resources->bundle() / "Box.ttf", bytes);
    test::LogCapture log;
    auto label = Label::labelWithString("ab", "Box", 20);
    EXPECT_TRUE(log.contains("is refused"));
    label->setPosition({64, 64});
    drawScene(*label);
    EXPECT_TRUE(near(rgb(59, 65), white)) << "the registered platform font draws";
}

TEST_F(LabelTest, UnknownFontDrawsInTheSystemFont) {
    test::LogCapture log;
    auto label = Label::labelWithString("Salon", "Nonexistent Sans", 24);
    EXPECT_GT(label->contentSize().width, 40);
    EXPECT_TRUE(log.contains("Nonexistent Sans"));
}
