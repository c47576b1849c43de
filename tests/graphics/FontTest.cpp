#include <graphics/Font.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using graphics::Font;

namespace {

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeTestFont(dir / "box.ttf");
        ASSERT_TRUE(Font::registerFontFile("Box", dir / "box.ttf"));
    }
    void TearDown() override { Font::removeRegisteredFonts(); }

    test::TempDir dir;
};

struct Mapping {
    char const* name;
    char const* family;
    char const* style;
};

}

TEST_F(FontTest, PlatformNamesMapToInstalledFreeFonts) {
    for (auto const& m : {Mapping {"Helvetica", "Liberation Sans", "Regular"},
             Mapping {"Helvetica-Bold", "Liberation Sans", "Bold"},
             Mapping {"HelveticaNeue", "Liberation Sans", "Regular"},
             Mapping {"HelveticaNeue-Bold", "Liberation Sans", "Bold"},
             Mapping {"Arial", "Liberation Sans", "Regular"},
             Mapping {"Arial-BoldMT", "Liberation Sans", "Bold"},
             Mapping {"Verdana", "DejaVu Sans", "Book"},
             Mapping {"Marker Felt", "DejaVu Sans", "Bold"}}) {
        auto font = Font::fontWithName(m.name, 12);
        ASSERT_TRUE(font) << m.name;
        EXPECT_EQ(font->fontName(), m.name);
        EXPECT_EQ(font->familyName(), m.family) << m.name;
        EXPECT_EQ(font->face().styleName(), m.style) << m.name;
        EXPECT_EQ(font->pointSize(), 12);
    }
}

TEST_F(FontTest, OtherNamesAreInstalledFamiliesFullOrPostScriptNames) {
    for (auto const& [name, family] : {std::pair {"DejaVu Serif", "DejaVu Serif"},
             std::pair {"LiberationSerif-Bold", "Liberation Serif"},
             std::pair {"Liberation Serif Bold", "Liberation Serif"}}) {
        auto font = Font::fontWithName(name, 10);
        ASSERT_TRUE(font) << name;
        EXPECT_EQ(font->familyName(), family);
    }
    EXPECT_FALSE(Font::fontWithName("No Such Typeface Anywhere", 10));
    EXPECT_FALSE(Font::fontWithName("", 10));
}

TEST_F(FontTest, SystemFontsAreHelvetica) {
    EXPECT_EQ(Font::systemFontOfSize(14)->fontName(), "Helvetica");
    EXPECT_EQ(Font::boldSystemFontOfSize(14)->fontName(), "Helvetica-Bold");
}

TEST_F(FontTest, SizesMustBeAboveZero) {
    for (float size : {0.0f, -3.0f, NAN, INFINITY})
        EXPECT_FALSE(Font::fontWithName("Box", size)) << size;
    auto font = Font::fontWithName("Box", 10);
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->fontWithSize(0));
}

TEST_F(FontTest, ScalesTheDesignMetricsToItsSize) {
    auto font = Font::fontWithName("Box", 20);
    ASSERT_TRUE(font);
    EXPECT_FLOAT_EQ(font->ascender(), 16);
    EXPECT_FLOAT_EQ(font->descender(), -4);
    EXPECT_FLOAT_EQ(font->lineHeight(), 20);
    EXPECT_FLOAT_EQ(font->capHeight(), 14);
    EXPECT_FLOAT_EQ(font->xHeight(), 10);
    auto smaller = font->fontWithSize(10);
    ASSERT_TRUE(smaller);
    EXPECT_EQ(smaller->fontName(), "Box");
    EXPECT_FLOAT_EQ(smaller->lineHeight(), 10);
    EXPECT_EQ(&smaller->face(), &font->face());
}

TEST_F(FontTest, RegisteredNamesComeBeforeBuiltInOnes) {
    ASSERT_TRUE(Font::registerFontFile("Helvetica", dir / "box.ttf"));
    EXPECT_EQ(Font::fontWithName("Helvetica", 12)->familyName(), "Test Box");
    Font::removeRegisteredFonts();
    EXPECT_EQ(Font::fontWithName("Helvetica", 12)->familyName(), "Liberation Sans");
}

TEST_F(FontTest, RegisteringAFileThatIsNoFontFails) {
    std::ofstream(dir / "bad.ttf") << "not a font";
    test::LogCapture log;
    EXPECT_FALSE(Font::registerFontFile("Bad", dir / "bad.ttf"));
    EXPECT_TRUE(log.contains("Bad"));
    EXPECT_FALSE(Font::fontWithName("Bad", 12));
}
