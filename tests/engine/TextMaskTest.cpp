#include <engine/TextMask.hpp>

#include <graphics/Font.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>
#include <support/TestFont.hpp>
#include <ttf/FontManager.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using engine::Size;
using engine::TextMask;
using graphics::Image;
using graphics::TextAlignment;

namespace {

// "Box" is a TrueType font of the bundle; "PlatformBox" only a platform font with the same
// glyphs but twice the advance.
class TextMaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        ttf::FontManager::purgeSharedManager();
        test::writeTestFont(dir / "Box.ttf");
        test::TestFontSpec wide;
        wide.advance = 1000;
        test::writeTestFont(dir / "wide.ttf", wide);
        ASSERT_TRUE(graphics::Font::registerFontFile("PlatformBox", dir / "wide.ttf"));
        ttf::FontManager::sharedManager().setResourceLocator(
            [this](std::string const& name, std::string const& type) -> std::optional<std::string> {
                auto path = dir / (type.empty() ? name : name + "." + type);
                if (std::filesystem::exists(path))
                    return path.string();
                return std::nullopt;
            });
    }
    void TearDown() override {
        ttf::FontManager::purgeSharedManager();
        graphics::Font::removeRegisteredFonts();
    }

    test::TempDir dir;
};

Image maskOf(std::vector<std::uint8_t> pixels, int width) {
    int height = int(pixels.size()) / width;
    return Image(width, height, Image::Format::A8, graphics::AlphaInfo::Only, std::move(pixels));
}

}

TEST_F(TextMaskTest, MeasuresWithTheBundleFontThenThePlatformFont) {
    EXPECT_EQ(TextMask::measure("hello", "Box", 20), (Size {50, 20}));
    EXPECT_EQ(TextMask::measure("hello", "PlatformBox", 20), (Size {100, 20}));
    EXPECT_EQ(TextMask::measure("", "Box", 20), (Size {0, 0}));
}

TEST_F(TextMaskTest, AnUnknownFontNameFallsBackToTheSystemFontOnce) {
    test::LogCapture log;
    Size size = TextMask::measure("Hello", "No Such Face", 20);
    EXPECT_GT(size.width, 20);
    EXPECT_GT(size.height, 15);
    TextMask::measure("Hello", "No Such Face", 20);
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.contains("No Such Face"));
}

TEST_F(TextMaskTest, RendersTheStringAlignedInTheBoxFromTheTop) {
    auto mask = TextMask::render("ab", {60, 30}, TextAlignment::Center, "Box", 20, 64, 32);
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask->width(), 64);
    EXPECT_EQ(mask->height(), 32);
    EXPECT_EQ(mask->format(), Image::Format::A8);
    // Centred: "ab" from x 20; the baseline 16 below the top.
    EXPECT_TRUE(test::inkExactlyIn(*mask, {{21, 2, 29, 16}, {31, 2, 39, 16}}));
}

TEST_F(TextMaskTest, WrapsByWordsInTheBox) {
    auto mask = TextMask::render("ab cd", {30, 40}, TextAlignment::Left, "Box", 20, 32, 64);
    ASSERT_TRUE(mask);
    EXPECT_TRUE(test::inkExactlyIn(
        *mask, {{1, 2, 9, 16}, {11, 2, 19, 16}, {1, 22, 9, 36}, {11, 22, 19, 36}}));
}

TEST_F(TextMaskTest, RendersWithThePlatformFontWhenTheBundleHasNone) {
    auto mask = TextMask::render("a", {40, 20}, TextAlignment::Left, "PlatformBox", 20, 64, 32);
    ASSERT_TRUE(mask);
    // Advance 20 points, ink from 1 to 9.
    EXPECT_TRUE(test::inkExactlyIn(*mask, {{1, 2, 9, 16}}));
}

TEST_F(TextMaskTest, RefusesSidesOutOfRange) {
    test::LogCapture log;
    EXPECT_FALSE(TextMask::render("a", {1, 1}, TextAlignment::Left, "Box", 20, 0, 16));
    EXPECT_FALSE(TextMask::render("a", {1, 1}, TextAlignment::Left, "Box", 20, 16384, 16));
    EXPECT_EQ(log.lines().size(), 2u);
    auto empty = TextMask::render("", {1, 1}, TextAlignment::Left, "Box", 20, 2, 2);
    ASSERT_TRUE(empty);
    EXPECT_EQ(test::inkAround(*empty, 0, 0, 0, 0).outside, 0);
}

TEST_F(TextMaskTest, TakesBoxSidesAsWholePixels) {
    EXPECT_EQ(TextMask::wholePixels(100.7f), 100u);
    EXPECT_EQ(TextMask::wholePixels(-3), 0u);
    EXPECT_EQ(TextMask::wholePixels(NAN), 0u);
    EXPECT_EQ(TextMask::wholePixels(INFINITY), 0u);
}

TEST(TextMaskOutline, OnePassWidensSidewaysAndAveragesVertically) {
    auto mask = maskOf(
        {
            0, 0, 0, 0, 0, //
            0, 0, 0, 0, 0, //
            0, 0, 255, 0, 0, //
            0, 0, 0, 0, 0, //
            0, 0, 0, 0, 0, //
        },
        5);
    TextMask::thicken(mask, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(mask.pixels().begin(), mask.pixels().end()),
        (std::vector<std::uint8_t> {
            0, 0, 0, 0, 0, //
            0, 85, 85, 85, 0, //
            0, 85, 85, 85, 0, //
            0, 85, 85, 85, 0, //
            0, 0, 0, 0, 0, //
        }));
}

TEST(TextMaskOutline, EdgesRepeatAndSumsStopAt255) {
    auto mask = maskOf({200, 200, 0}, 3);
    TextMask::thicken(mask, 1);
    // Across: 255 (200 + 200 + 200 capped), 255, 200; down: the one row three times, / 3.
    EXPECT_EQ(std::vector<std::uint8_t>(mask.pixels().begin(), mask.pixels().end()),
        (std::vector<std::uint8_t> {255, 255, 200}));
}

TEST(TextMaskOutline, RunsOnePassPerStartedUnitOfStrokeSize) {
    struct Case {
        float strokeSize;
        int passes;
    };
    auto afterPasses = [](int passes) {
        auto mask = maskOf(std::vector<std::uint8_t>(81, 0), 9);
        mask.pixels()[40] = 255;
        for (int i = 0; i < passes; ++i)
            TextMask::thicken(mask, 1);
        return std::vector<std::uint8_t>(mask.pixels().begin(), mask.pixels().end());
    };
    for (auto c : {Case {0, 0}, Case {-1, 0}, Case {0.5f, 1}, Case {1, 1}, Case {1.5f, 2},
             Case {2, 2}, Case {2.01f, 3}}) {
        auto mask = maskOf(std::vector<std::uint8_t>(81, 0), 9);
        mask.pixels()[40] = 255;
        TextMask::thicken(mask, c.strokeSize);
        EXPECT_EQ(std::vector<std::uint8_t>(mask.pixels().begin(), mask.pixels().end()),
            afterPasses(c.passes))
            << c.strokeSize;
    }
}
