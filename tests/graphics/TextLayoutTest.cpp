#include <graphics/TextLayout.hpp>

#include <foundation/Strings.hpp>

#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

using graphics::LineBreakMode;
using graphics::Size;
using graphics::TextAlignment;
using graphics::TextLayout;

namespace {

// Every character a glyph of its own code (a surrogate pair one glyph when combining), each
// 10 points wide; lines 20 points apart with the baseline 16 points down.
class FixedGlyphs final : public graphics::GlyphSource {
public:
    explicit FixedGlyphs(bool combinesSurrogates = true, bool mapsAnything = true)
        : combines_(combinesSurrogates)
        , maps_(mapsAnything) { }

    void mapCharacters(std::u16string_view units, std::vector<graphics::GlyphId>& glyphs,
        std::vector<std::uint8_t>& counts) const override {
        if (!maps_)
            return;
        for (std::size_t i = 0; i < units.size(); ++i) {
            bool pair = combines_ && units[i] >= 0xD800 && units[i] <= 0xDBFF
                && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
            glyphs.push_back(units[i]);
            counts.push_back(pair ? 2 : 1);
            if (pair)
                ++i;
        }
    }
    bool glyphAdvances(
        std::span<graphics::GlyphId const> glyphs, std::span<float> advances) const override {
        for (std::size_t i = 0; i < glyphs.size(); ++i)
            advances[i] = 10;
        return true;
    }
    float leading() const override { return 20; }
    float ascender() const override { return 16; }
    graphics::FontFace* face() const override { return nullptr; }
    float pointSize() const override { return 20; }

private:
    bool combines_;
    bool maps_;
};

struct Laid {
    Size size;
    // Each line's characters, "…" after them when truncated.
    std::vector<std::string> lines;
    std::vector<float> x;
    std::vector<float> baselines;
};

Laid lay(std::u16string_view text, Size box, LineBreakMode mode,
    TextAlignment alignment = TextAlignment::Left, bool singleLine = false,
    FixedGlyphs const& font = FixedGlyphs()) {
    Laid laid;
    laid.size = TextLayout::layout(
        text, font, box, mode, alignment, singleLine, [&](TextLayout::Line const& line) {
            laid.lines.push_back(
                foundation::utf16ToUtf8(line.text) + (line.ellipsis ? "\u2026" : ""));
            laid.x.push_back(line.positions.empty() ? -1 : line.positions.front().x);
            laid.baselines.push_back(line.positions.empty() ? -1 : line.positions.front().y);
            EXPECT_EQ(line.glyphs.size(), line.positions.size());
        });
    return laid;
}

constexpr Size unlimited {FLT_MAX, FLT_MAX};

struct BreakCase {
    char const* name;
    std::u16string text;
    Size box;
    LineBreakMode mode;
    std::vector<std::string> lines;
    Size size;
};

class TextLayoutBreaks : public ::testing::TestWithParam<BreakCase> { };

}

TEST(TextLayout, EmptyTextMeasuresZeroAndDrawsNothing) {
    auto laid = lay(u"", unlimited, LineBreakMode::WordWrap);
    EXPECT_EQ(laid.size, (Size {0, 0}));
    EXPECT_TRUE(laid.lines.empty());
}

TEST_P(TextLayoutBreaks, BreaksAndMeasuresAsTheRulesSay) {
    auto const& c = GetParam();
    auto laid = lay(c.text, c.box, c.mode);
    EXPECT_EQ(laid.lines, c.lines);
    EXPECT_EQ(laid.size, c.size);
}

INSTANTIATE_TEST_SUITE_P(Table, TextLayoutBreaks,
    ::testing::Values(
        BreakCase {"OneLine", u"ab", unlimited, LineBreakMode::WordWrap, {"ab"}, {20, 20}},
        BreakCase {"CarriageReturnAndLineFeedAreOneBreak", u"a\r\nb", unlimited,
            LineBreakMode::WordWrap, {"a", "b"}, {10, 40}},
        BreakCase {"TwoLineFeedsMakeAnEmptyLine", u"a\n\nb", unlimited, LineBreakMode::WordWrap,
            {"a", "", "b"}, {10, 60}},
        BreakCase {
            "FinalLineFeedAddsNoLine", u"a\n", unlimited, LineBreakMode::WordWrap, {"a"}, {10, 20}},
        BreakCase {
            "LoneLineFeedIsOneEmptyLine", u"\n", unlimited, LineBreakMode::WordWrap, {""}, {0, 20}},
        BreakCase {"EveryNewlineCharacterBreaks",
            u"a\rb\x0B"
            u"c\x0C"
            u"d\x85"
            u"e\u2028f\u2029g",
            unlimited, LineBreakMode::WordWrap, {"a", "b", "c", "d", "e", "f", "g"}, {10, 140}},
        BreakCase {"WordWrapPutsOneWordOnEachLine", u"hello world", {100, FLT_MAX},
            LineBreakMode::WordWrap, {"hello", "world"}, {50, 40}},
        BreakCase {"SpaceThatDoesNotFitEndsTheLine", u"hello world", {55, FLT_MAX},
            LineBreakMode::WordWrap, {"hello", "world"}, {50, 40}},
        BreakCase {"SpacesAroundABreakAreDropped", u"ab  cd", {35, FLT_MAX},
            LineBreakMode::WordWrap, {"ab", "cd"}, {20, 40}},
        BreakCase {"LeadingSpaceOfAParagraphStays", u" abc def", {45, FLT_MAX},
            LineBreakMode::WordWrap, {" abc", "def"}, {40, 40}},
        BreakCase {"LongWordBreaksByCharacters", u"abcdefghij", {45, FLT_MAX},
            LineBreakMode::WordWrap, {"abcd", "efgh", "ij"}, {40, 60}},
        BreakCase {"CharacterWrapFillsEachLine", u"hello world", {80, FLT_MAX},
            LineBreakMode::CharacterWrap, {"hello wo", "rld"}, {80, 40}},
        BreakCase {"GlyphWiderThanTheBoxStandsAlone", u"ab", {5, FLT_MAX}, LineBreakMode::WordWrap,
            {"a", "b"}, {10, 40}},
        BreakCase {"BoxLowerThanALineStillGetsOne", u"hello world", {100, 5},
            LineBreakMode::WordWrap, {"hello"}, {50, 20}},
        BreakCase {"LineWhoseBottomAndAscenderPassTheBoxIsTheLast", u"aaa bbb ccc", {35, 40},
            LineBreakMode::WordWrap, {"aaa", "bbb"}, {30, 40}},
        BreakCase {"WidestLineIsTheWidth", u"aaaa bb", {45, FLT_MAX}, LineBreakMode::WordWrap,
            {"aaaa", "bb"}, {40, 40}},
        BreakCase {"TailTruncationDropsALoneFirstLetter", u"hello world", {85, 20},
            LineBreakMode::TailTruncation, {"hello\u2026"}, {60, 20}},
        BreakCase {"TailTruncationMakesRoomForTheEllipsis", u"abcdefghij", {55, 20},
            LineBreakMode::TailTruncation, {"abcd\u2026"}, {50, 20}},
        BreakCase {"TailTruncationMarksAFollowingParagraph", u"abc\ndef", {100, 20},
            LineBreakMode::TailTruncation, {"abc\u2026"}, {40, 20}},
        BreakCase {"TailTruncationLeavesTextThatFits", u"abc", {100, 20},
            LineBreakMode::TailTruncation, {"abc"}, {30, 20}},
        BreakCase {"TailTruncationOnlyCutsTheLastLine", u"aaa bbb ccc", {35, 40},
            LineBreakMode::TailTruncation, {"aaa", "bb\u2026"}, {30, 40}},
        BreakCase {"HeadTruncationCutsAtTheLastGlyphThatFits", u"hello world", {85, 20},
            LineBreakMode::HeadTruncation, {"hello wo"}, {80, 20}},
        BreakCase {"MiddleTruncationCutsAtTheLastGlyphThatFits", u"hello world", {85, 20},
            LineBreakMode::MiddleTruncation, {"hello wo"}, {80, 20}},
        BreakCase {"ClipBreaksTheLastLineAtACharacter", u"hello world", {85, 20},
            LineBreakMode::Clip, {"hello wo"}, {80, 20}},
        BreakCase {"ClipWrapsWordsBeforeTheLastLine", u"hello world again", {85, FLT_MAX},
            LineBreakMode::Clip, {"hello", "world", "again"}, {50, 60}},
        BreakCase {"WordWrapOnTheLastLineBreaksAtAWord", u"hello world", {85, 20},
            LineBreakMode::WordWrap, {"hello"}, {50, 20}}),
    [](auto const& testCase) { return std::string(testCase.param.name); });

TEST(TextLayout, SingleLineModeTurnsBreaksIntoSpaces) {
    auto laid = lay(u"a\r\nb", unlimited, LineBreakMode::Clip, TextAlignment::Left, true);
    EXPECT_EQ(laid.lines, std::vector<std::string> {"a b"});
    EXPECT_EQ(laid.size, (Size {30, 20}));
}

TEST(TextLayout, AlignsEachLineInTheBox) {
    struct Case {
        TextAlignment alignment;
        std::vector<float> x;
    };
    for (auto const& c : {Case {TextAlignment::Left, {0, 0}},
             Case {TextAlignment::Center, {25, 40}}, Case {TextAlignment::Right, {50, 80}}}) {
        auto laid = lay(u"hello\nab", {100, FLT_MAX}, LineBreakMode::WordWrap, c.alignment);
        EXPECT_EQ(laid.x, c.x) << int(c.alignment);
    }
}

TEST(TextLayout, UnknownAlignmentKeepsThePreviousLinesPosition) {
    auto laid = lay(u"abc\nd", {100, FLT_MAX}, LineBreakMode::WordWrap, TextAlignment(7));
    EXPECT_EQ(laid.x, (std::vector<float> {0, 0}));
}

TEST(TextLayout, LinesAreOneLeadingApartWithTheBaselineAnAscenderDown) {
    auto laid = lay(u"a\nb\nc", unlimited, LineBreakMode::WordWrap);
    EXPECT_EQ(laid.baselines, (std::vector<float> {16, 36, 56}));
}

TEST(TextLayout, SurrogatePairIsOneGlyphWhenTheFontCombinesIt) {
    std::u16string text = u"a\U0001F600b";
    EXPECT_EQ(TextLayout::layout(text, FixedGlyphs(true), unlimited, LineBreakMode::Clip,
                  TextAlignment::Left, true),
        (Size {30, 20}));
    EXPECT_EQ(TextLayout::layout(text, FixedGlyphs(false), unlimited, LineBreakMode::Clip,
                  TextAlignment::Left, true),
        (Size {40, 20}));
}

TEST(TextLayout, SurrogatePairIsNeverSplitAcrossLines) {
    auto laid = lay(u"ab\U0001F600", {25, FLT_MAX}, LineBreakMode::CharacterWrap);
    EXPECT_EQ(laid.lines, (std::vector<std::string> {"ab", "\U0001F600"}));
}

TEST(TextLayout, FontThatMapsNothingLaysOutEmptyLines) {
    auto laid = lay(u"abc\ndef", unlimited, LineBreakMode::WordWrap, TextAlignment::Left, false,
        FixedGlyphs(true, false));
    EXPECT_EQ(laid.size, (Size {0, 40}));
    EXPECT_EQ(laid.lines, (std::vector<std::string> {"", ""}));
}

TEST(TextLayout, KnowsThePlatformsNewlineCharacters) {
    for (char16_t unit : {u'\n', u'\x0B', u'\x0C', u'\r', u'\x85', u'\u2028', u'\u2029'})
        EXPECT_TRUE(TextLayout::isNewline(unit)) << int(unit);
    for (char16_t unit : {u' ', u'\t', u'a', u'\u00A0'})
        EXPECT_FALSE(TextLayout::isNewline(unit)) << int(unit);
}
