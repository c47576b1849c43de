#include <ttf/TTFont.hpp>

#include <support/LogCapture.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

using ttf::TTFont;

namespace {

base::Ref<graphics::FontFace> faceOf(test::TestFontSpec const& spec) {
    return graphics::FontFace::createWithData(test::buildTestFont(spec), "box.ttf");
}

}

TEST(TTFont, RoundsScaledMetricsOutwards) {
    test::TestFontSpec spec;
    spec.unitsPerEm = 2048;
    spec.ascent = 1900;
    spec.descent = -500;
    spec.capHeight = 1409;
    spec.xHeight = 1082;
    auto font = TTFont::fontWithCGFont(faceOf(spec), 12);
    EXPECT_FLOAT_EQ(font->ratio(), 12.0f / 2048);
    EXPECT_EQ(font->ascender(), 12); // ceil(11.133)
    EXPECT_EQ(font->descender(), -3); // floor(-2.929)
    EXPECT_EQ(font->leading(), 15);
    EXPECT_EQ(font->capHeight(), 9); // ceil(8.256)
    EXPECT_EQ(font->xHeight(), 7); // ceil(6.340)
}

TEST(TTFont, ReadsItsNamesOnce) {
    auto face = faceOf({});
    auto font = TTFont::fontWithCGFont(face, 10);
    EXPECT_EQ(font->familyName(), "Test Box");
    EXPECT_EQ(font->fontName(), "Test Box Regular");
    EXPECT_EQ(font->postScriptName(), "TestBox-Regular");
    EXPECT_EQ(font->copyNameTableEntryForID(2), std::nullopt);
}

TEST(TTFont, WithoutANameTableItHasNoNames) {
    test::TestFontSpec spec;
    spec.omitTables = {"name"};
    auto face = faceOf(spec);
    ASSERT_TRUE(face);
    auto font = TTFont::fontWithCGFont(face, 10);
    test::LogCapture log;
    EXPECT_EQ(font->familyName(), std::nullopt);
    EXPECT_EQ(font->familyName(), std::nullopt);
    EXPECT_EQ(log.lines().size(), 1u) << "the answer is kept";
    EXPECT_TRUE(log.contains("CGFontCopyTableForTag returned NULL for 'name' tag"));
}

TEST(TTFont, FontWithSizeIsItselfAtTheSameSize) {
    auto font = TTFont::fontWithCGFont(faceOf({}), 20);
    EXPECT_EQ(font->fontWithSize(20).get(), font.get());
    auto smaller = font->fontWithSize(10);
    EXPECT_NE(smaller.get(), font.get());
    EXPECT_EQ(smaller->cgFont(), font->cgFont());
    EXPECT_EQ(smaller->leading(), 10);
    EXPECT_EQ(font->leading(), 20);
}

TEST(TTFont, SizeMustBeAboveZero) {
    auto font = TTFont::fontWithCGFont(faceOf({}), 20);
    EXPECT_DEATH(font->fontWithSize(0), "fontSize > 0.0");
}

TEST(TTFont, EqualMeansTheSameFileAtTheSameSize) {
    auto face = faceOf({});
    auto a = TTFont::fontWithCGFont(face, 12);
    EXPECT_TRUE(a->isEqual(*TTFont::fontWithCGFont(face, 12)));
    EXPECT_FALSE(a->isEqual(*TTFont::fontWithCGFont(face, 13)));
    EXPECT_FALSE(a->isEqual(*TTFont::fontWithCGFont(faceOf({}), 12)));
}
