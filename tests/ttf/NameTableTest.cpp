#include <ttf/NameTable.hpp>

#include <support/LogCapture.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

using ttf::NameTable;
using Record = test::TestFontSpec::NameRecord;

namespace {

std::vector<std::uint8_t> tableOf(std::vector<Record> records) {
    test::TestFontSpec spec;
    spec.names = std::move(records);
    return test::buildNameTable(spec);
}

std::vector<std::uint8_t> ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

struct Case {
    char const* name;
    std::vector<Record> records;
    std::optional<std::string> family;
};

class NameTableRecords : public ::testing::TestWithParam<Case> { };

}

TEST_P(NameTableRecords, TakesTheFirstRecordItCanRead) {
    auto const& c = GetParam();
    EXPECT_EQ(NameTable::entry(tableOf(c.records), NameTable::familyNameID, "font"), c.family);
}

INSTANTIATE_TEST_SUITE_P(Table, NameTableRecords,
    ::testing::Values(Case {"WindowsUnicode",
                          {{3, 1, 0x409, 1, test::utf16BigEndian(u"Caf\u00E9")}}, "Caf\u00E9"},
        Case {"UnicodeAnyEncoding", {{0, 4, 0, 1, test::utf16BigEndian(u"Uni")}}, "Uni"},
        Case {"MacRoman", {{1, 0, 0, 1, {'C', 'a', 'f', 0x8E}}}, "Caf\u00E9"},
        Case {"OtherIdsAreSkipped",
            {{3, 1, 0x409, 4, test::utf16BigEndian(u"Full")},
                {3, 1, 0x409, 1, test::utf16BigEndian(u"Family")}},
            "Family"},
        Case {"UnreadableFormsAreSkipped",
            {{3, 0, 0x409, 1, test::utf16BigEndian(u"Symbol")},
                {3, 10, 0x409, 1, test::utf16BigEndian(u"Full repertoire")},
                {1, 1, 0, 1, ascii("Japanese")}, {2, 1, 0, 1, ascii("ISO")},
                {1, 0, 0, 1, ascii("Roman")}},
            "Roman"},
        Case {"FirstReadableWins",
            {{1, 0, 0, 1, ascii("Mac")}, {3, 1, 0x409, 1, test::utf16BigEndian(u"Windows")}},
            "Mac"},
        Case {"NoMatch", {{3, 1, 0x409, 6, test::utf16BigEndian(u"PS")}}, std::nullopt},
        Case {"OddLengthDropsTheLastByte", {{3, 1, 0x409, 1, {0, 'A', 0}}}, "A"}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST(NameTable, DecodesMacRoman) {
    std::vector<std::uint8_t> bytes {'a', 0x80, 0xA5, 0xC9, 0xD2, 0xF0, 0xFF};
    EXPECT_EQ(NameTable::decodeMacRoman(bytes), "a\u00C4\u2022\u2026\u201C\uF8FF\u02C7");
}

TEST(NameTable, ReadsFormatOneAndRefusesOthers) {
    auto table = tableOf({{3, 1, 0x409, 1, test::utf16BigEndian(u"Tagged")}});
    table[1] = 1;
    EXPECT_EQ(NameTable::entry(table, 1, "font"), "Tagged");
    table[1] = 2;
    test::LogCapture log;
    EXPECT_EQ(NameTable::entry(table, 1, "Forged"), std::nullopt);
    EXPECT_TRUE(log.contains("name table for font Forged has bad version number"));
}

TEST(NameTable, RefusesDamagedTablesWithoutReadingOutsideThem) {
    auto good = tableOf({{3, 1, 0x409, 1, test::utf16BigEndian(u"Family")}});
    struct Damage {
        char const* name;
        std::size_t at;
        std::uint8_t value;
        std::size_t keep;
    };
    for (auto const& d : {Damage {"too many records", 3, 200, good.size()},
             Damage {"string past the end", 14, 0xFF, good.size()},
             Damage {"storage past the end", 4, 0xFF, good.size()}, Damage {"cut short", 0, 0, 10},
             Damage {"no header", 0, 0, 4}}) {
        auto table = good;
        table[d.at] = d.value;
        table.resize(d.keep);
        test::LogCapture log;
        EXPECT_EQ(NameTable::entry(table, 1, "Damaged"), std::nullopt) << d.name;
        EXPECT_TRUE(log.contains("name table for font Damaged")) << d.name;
    }
}

TEST(NameTable, SkipsADamagedRecordForALaterGoodOne) {
    auto table
        = tableOf({{3, 1, 0x409, 1, test::utf16BigEndian(u"Bad")}, {1, 0, 0, 1, ascii("Good")}});
    table[6 + 10] = 0xFF; // first record's offset
    test::LogCapture log;
    EXPECT_EQ(NameTable::entry(table, 1, "font"), "Good");
    EXPECT_EQ(log.lines().size(), 1u);
}
