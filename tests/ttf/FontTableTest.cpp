#include <ttf/FontTable.hpp>

#include <support/LogCapture.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

using ttf::FontTable;
using Subtable = test::TestFontSpec::CmapSubtable;

namespace {

std::optional<FontTable> tableOf(test::TestFontSpec const& spec) {
    return FontTable::fromCmap(test::buildCmapTable(spec), "font");
}

std::vector<graphics::GlyphId> glyphsOf(
    FontTable const& table, std::u16string_view text, std::vector<std::uint8_t>* counts = nullptr) {
    std::vector<graphics::GlyphId> glyphs;
    std::vector<std::uint8_t> unitCounts;
    table.mapCharsToGlyphs(text, glyphs, unitCounts);
    EXPECT_EQ(glyphs.size(), unitCounts.size());
    if (counts)
        *counts = unitCounts;
    return glyphs;
}

struct Choice {
    char const* name;
    std::vector<Subtable> records;
    // The format chosen, 0 for none.
    int format;
};

class FontTableChoice : public ::testing::TestWithParam<Choice> { };

}

TEST_P(FontTableChoice, ChoosesTheSubtableByTheRules) {
    test::TestFontSpec spec;
    spec.cmaps = GetParam().records;
    auto table = tableOf(spec);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->hasSubtable() ? int(table->format()) : 0, GetParam().format);
    EXPECT_FALSE(table->isDamaged());
}

INSTANTIATE_TEST_SUITE_P(Table, FontTableChoice,
    ::testing::Values(Choice {"WindowsBmp", {{3, 1, 4}}, 4},
        Choice {"UnicodeFormat12", {{0, 4, 12}}, 12},
        Choice {"HigherUnicodeEncodingWins", {{0, 3, 4}, {0, 4, 12}}, 12},
        Choice {"LowerUnicodeEncodingDoesNot", {{0, 4, 12}, {0, 3, 4}}, 12},
        Choice {"WindowsBmpOnlyWhenNothingIsChosen", {{0, 3, 12}, {3, 1, 4}}, 12},
        Choice {"UnicodeAfterWindowsWins", {{3, 1, 4}, {0, 3, 12}}, 12},
        Choice {"WindowsFullRepertoireIsIgnored", {{3, 10, 12}}, 0},
        Choice {"MacintoshIsIgnored", {{1, 0, 4}}, 0}, Choice {"NoSubtables", {}, 0}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST(FontTable, MapsThroughFormatFourDeltasAndRangeOffsets) {
    for (bool rangeOffsets : {false, true}) {
        test::TestFontSpec spec;
        spec.cmaps = {{3, 1, 4, rangeOffsets}};
        auto table = tableOf(spec);
        ASSERT_TRUE(table);
        EXPECT_EQ(glyphsOf(*table, u"Az \u2026\u00E9"),
            (std::vector<graphics::GlyphId> {spec.glyphFor(U'A'), spec.glyphFor(U'z'),
                spec.glyphFor(U' '), spec.glyphFor(U'\u2026'), 0}))
            << rangeOffsets;
    }
}

TEST(FontTable, FormatTwelveTakesASurrogatePairAsOneCharacter) {
    test::TestFontSpec spec;
    spec.cmaps = {{0, 4, 12}};
    auto table = tableOf(spec);
    ASSERT_TRUE(table);
    std::vector<std::uint8_t> counts;
    EXPECT_EQ(glyphsOf(*table, u"a\U0001F600b", &counts),
        (std::vector<graphics::GlyphId> {
            spec.glyphFor(U'a'), spec.glyphFor(U'\U0001F600'), spec.glyphFor(U'b')}));
    EXPECT_EQ(counts, (std::vector<std::uint8_t> {1, 2, 1}));
    // A lone surrogate is looked up by itself.
    EXPECT_EQ(glyphsOf(*table,
                  u"\xD83D"
                  u"a"),
        (std::vector<graphics::GlyphId> {0, spec.glyphFor(U'a')}));
}

TEST(FontTable, FormatFourLooksUpEachHalfOfASurrogatePair) {
    auto table = tableOf({});
    ASSERT_TRUE(table);
    std::vector<std::uint8_t> counts;
    EXPECT_EQ(glyphsOf(*table, u"\U0001F600", &counts), (std::vector<graphics::GlyphId> {0, 0}));
    EXPECT_EQ(counts, (std::vector<std::uint8_t> {1, 1}));
}

TEST(FontTable, WithoutASubtableNothingIsMapped) {
    test::TestFontSpec spec;
    spec.cmaps = {{1, 0, 4}};
    auto table = tableOf(spec);
    ASSERT_TRUE(table);
    EXPECT_TRUE(glyphsOf(*table, u"abc").empty());
    EXPECT_TRUE(glyphsOf(FontTable(), u"abc").empty());
}

TEST(FontTable, RefusesABadVersionAndRecordsOutsideTheTable) {
    auto cmap = test::buildCmapTable({});
    test::LogCapture log;
    auto badVersion = cmap;
    badVersion[1] = 1;
    EXPECT_FALSE(FontTable::fromCmap(badVersion, "Forged"));
    EXPECT_TRUE(log.contains("cmap table for font Forged has bad version number"));
    auto tooMany = cmap;
    tooMany[2] = 0x40;
    EXPECT_FALSE(FontTable::fromCmap(tooMany, "Forged"));
    EXPECT_FALSE(FontTable::fromCmap({0, 0}, "Forged"));
}

TEST(FontTable, PassesOverDamagedSubtablesForAGoodOne) {
    test::TestFontSpec spec;
    spec.cmaps = {{3, 1, 4}, {0, 4, 12}};
    auto good = test::buildCmapTable(spec);
    std::size_t second = 4 + 8 + 4; // offset field of the second record
    struct Damage {
        char const* name;
        std::function<void(std::vector<std::uint8_t>&)> apply;
    };
    for (auto const& d : {Damage {"offset past the end", [&](auto& t) { t[second] = 0x7F; }},
             Damage {"groups past the end", [&](auto& t) {
                         std::size_t at = std::size_t(t[second + 2]) << 8 | t[second + 3];
                         t[at + 12] = 0x10;
                     }}}) {
        auto cmap = good;
        d.apply(cmap);
        test::LogCapture log;
        auto table = FontTable::fromCmap(cmap, "Damaged");
        ASSERT_TRUE(table) << d.name;
        EXPECT_TRUE(table->isDamaged()) << d.name;
        EXPECT_EQ(table->format(), FontTable::Format::Segments4) << d.name;
        EXPECT_EQ(table->glyphForCharacter(U'A'), spec.glyphFor(U'A')) << d.name;
        EXPECT_TRUE(log.contains("Damaged")) << d.name;
    }
}

TEST(FontTable, SegmentsPastTheEndMakeTheSubtableUnusable) {
    auto cmap = test::buildCmapTable({});
    cmap[12 + 6] = 0x7F; // segCountX2 of the only subtable
    test::LogCapture log;
    auto table = FontTable::fromCmap(cmap, "Damaged");
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->isDamaged());
    EXPECT_FALSE(table->hasSubtable());
}

TEST(FontTable, RangeOffsetsPointingOutsideTheTableMapToNothing) {
    test::TestFontSpec spec;
    spec.cmaps = {{3, 1, 4, true}};
    auto cmap = test::buildCmapTable(spec);
    auto table = tableOf(spec);
    ASSERT_TRUE(table);
    // Every idRangeOffset of the subtable at 12 made huge: lookups must stay inside.
    std::size_t segments = (std::size_t(cmap[12 + 6]) << 8 | cmap[12 + 7]) / 2;
    std::size_t rangeOffsets = 12 + 16 + 6 * segments;
    for (std::size_t i = 0; i + 1 < segments; ++i) {
        cmap[rangeOffsets + 2 * i] = 0xFF;
        cmap[rangeOffsets + 2 * i + 1] = 0xFE;
    }
    auto forged = FontTable::fromCmap(cmap, "Forged");
    ASSERT_TRUE(forged);
    EXPECT_EQ(glyphsOf(*forged, u"Az~"), (std::vector<graphics::GlyphId> {0, 0, 0}));
}

TEST(FontTable, ReadsTheTableOfAFontAndRefusesAFontWithoutOne) {
    test::TestFontSpec spec;
    auto face = graphics::FontFace::createWithData(test::buildTestFont(spec), "box.ttf");
    ASSERT_TRUE(face);
    auto table = FontTable::readFontTableFromCGFont(*face);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->glyphForCharacter(U'Q'), spec.glyphFor(U'Q'));

    spec.omitTables = {"cmap"};
    face = graphics::FontFace::createWithData(test::buildTestFont(spec), "box.ttf");
    ASSERT_TRUE(face);
    test::LogCapture log;
    EXPECT_FALSE(FontTable::readFontTableFromCGFont(*face));
    EXPECT_TRUE(
        log.contains("CGFontCopyTableForTag returned NULL for 'cmap' tag in font TestBox-Regular"));
}
