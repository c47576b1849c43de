#include <graphics/FontFace.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using graphics::FontFace;

namespace {

base::Ref<FontFace> faceOf(test::TestFontSpec const& spec) {
    return FontFace::createWithData(test::buildTestFont(spec), "test font");
}

constexpr char liberationSans[]
    = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

}

TEST(FontFace, ReadsTheDesignMetricsAndNames) {
    auto face = faceOf({});
    ASSERT_TRUE(face);
    EXPECT_EQ(face->unitsPerEm(), 1000);
    EXPECT_EQ(face->ascent(), 800);
    EXPECT_EQ(face->descent(), -200);
    EXPECT_EQ(face->lineGap(), 0);
    EXPECT_EQ(face->capHeight(), 700);
    EXPECT_EQ(face->xHeight(), 500);
    EXPECT_EQ(face->numberOfGlyphs(), 98);
    EXPECT_EQ(face->familyName(), "Test Box");
    EXPECT_EQ(face->postScriptName(), "TestBox-Regular");
}

TEST(FontFace, TakesCapAndXHeightFromTheOutlinesWithoutAnOS2Table) {
    test::TestFontSpec spec;
    spec.omitTables = {"OS/2"};
    auto face = faceOf(spec);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->capHeight(), spec.inkTop);
    EXPECT_EQ(face->xHeight(), spec.inkTop);
}

TEST(FontFace, MapsCharactersThroughItsUnicodeMap) {
    test::TestFontSpec spec;
    auto face = faceOf(spec);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->glyphForCharacter(U'A'), spec.glyphFor(U'A'));
    EXPECT_EQ(face->glyphForCharacter(U'\u00E9'), 0);
    // A basic-plane map has no character outside the plane; a format 12 map has.
    EXPECT_EQ(face->glyphForCharacter(U'\U0001F600'), 0);
    spec.cmaps = {{3, 10, 12}};
    face = faceOf(spec);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->glyphForCharacter(U'\U0001F600'), spec.glyphFor(U'\U0001F600'));
}

TEST(FontFace, GivesAdvancesInFontUnitsAndZeroForGlyphsItLacks) {
    auto face = faceOf({});
    ASSERT_TRUE(face);
    std::vector<graphics::GlyphId> glyphs {1, 34, 97, 98, 5000};
    std::vector<int> advances(glyphs.size(), -1);
    face->glyphAdvances(glyphs, advances);
    EXPECT_EQ(advances, (std::vector<int> {500, 500, 500, 0, 0}));
}

TEST(FontFace, CopiesItsRawTables) {
    test::TestFontSpec spec;
    auto face = faceOf(spec);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->copyTable(FontFace::tag('c', 'm', 'a', 'p')), test::buildCmapTable(spec));
    EXPECT_EQ(face->copyTable(FontFace::tag('n', 'a', 'm', 'e')), test::buildNameTable(spec));
    EXPECT_FALSE(face->copyTable(FontFace::tag('k', 'e', 'r', 'n')));
}

TEST(FontFace, RefusesWhatIsNoFontWithALoggedLine) {
    test::TempDir dir;
    auto font = test::buildTestFont({});
    std::vector<std::uint8_t> half(font.begin(), font.begin() + std::ptrdiff_t(font.size() / 2));
    std::vector<std::uint8_t> header(font.begin(), font.begin() + 12);
    std::vector<std::uint8_t> garbage(4096, 0x5A);
    for (auto const& bytes : {std::vector<std::uint8_t> {}, header, half, garbage}) {
        test::LogCapture log;
        EXPECT_FALSE(FontFace::createWithData(bytes, "damaged")) << bytes.size();
        EXPECT_TRUE(log.contains("damaged")) << bytes.size();
    }
    test::LogCapture log;
    EXPECT_FALSE(FontFace::createWithFile(dir / "missing.ttf"));
    EXPECT_FALSE(FontFace::createWithFile(dir.path()));
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST(FontFace, RefusesATruncatedCopyOfARealFont) {
    std::ifstream in(liberationSans, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 1000u);
    bytes.resize(bytes.size() / 3);
    test::LogCapture log;
    EXPECT_FALSE(FontFace::createWithData(bytes, "truncated"));
}

TEST(FontFace, LoadsAnInstalledFont) {
    auto face = FontFace::createWithFile(liberationSans);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->familyName(), "Liberation Sans");
    EXPECT_EQ(face->unitsPerEm(), 2048);
    EXPECT_GT(face->capHeight(), face->xHeight());
    EXPECT_GT(face->xHeight(), 0);
    EXPECT_NE(face->glyphForCharacter(U'A'), 0);
    EXPECT_TRUE(face->cairoFace());
}

TEST(FontFace, RefusesATableDirectoryThatPointsOutsideTheFile) {
    auto bytes = test::buildTestFont({});
    // The length of the first table in the directory.
    for (std::size_t i = 24; i < 28; ++i)
        bytes[i] = 0x7F;
    test::LogCapture log;
    EXPECT_FALSE(FontFace::createWithData(bytes, "forged"));
    EXPECT_TRUE(log.contains("forged is damaged"));
}
