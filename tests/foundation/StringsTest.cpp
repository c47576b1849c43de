#include <foundation/CharacterSet.hpp>
#include <foundation/Strings.hpp>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace foundation;

namespace {

using Strings = std::vector<std::string>;

// U+00E9 (two bytes, one unit), U+20AC (three bytes, one unit), U+1F600 (four
// bytes, two units).
constexpr char const* eAcute = "\xC3\xA9";
constexpr char const* euro = "\xE2\x82\xAC";
constexpr char const* grin = "\xF0\x9F\x98\x80";

}

TEST(Strings, CountsUtf16UnitsAsThePlatformsLength) {
    struct Case {
        std::string text;
        std::size_t length;
    };
    Case const cases[] = {
        {"", 0},
        {"abc", 3},
        {eAcute, 1},
        {euro, 1},
        {grin, 2},
        {std::string("a") + grin + "b", 4},
        // Bytes that are not UTF-8 count one each.
        {"\xFF\xFE", 2},
        {"\xE2\x82", 2},
        {"\xC0\xAF", 2},
        {"\xED\xA0\x80", 3},
    };
    for (auto const& c : cases)
        EXPECT_EQ(utf16Length(c.text), c.length) << c.text;
}

TEST(Strings, ConvertsBetweenUtf8AndUtf16) {
    std::string text = std::string("a") + eAcute + euro + grin;
    std::u16string units = utf8ToUtf16(text);
    EXPECT_EQ(units, (std::u16string {u'a', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(utf16ToUtf8(units), text);
    // A lone surrogate has no UTF-8 form.
    EXPECT_EQ(utf16ToUtf8(std::u16string {0xD83D, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(utf8ToUtf16("\xFF"), std::u16string(1, char16_t(0xFFFD)));
    EXPECT_TRUE(isValidUtf8(text));
    EXPECT_TRUE(isValidUtf8("\xEF\xBF\xBD"));
    EXPECT_FALSE(isValidUtf8("ab\xFF"));
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));
}

TEST(Strings, DecodesUtf16SurrogatePairsAndLeavesUnpairedOnesAlone) {
    // Each case: the units, and the code points read one after another with the units
    // each took.
    struct Read {
        char32_t codePoint;
        std::size_t units;
    };
    struct Case {
        char const* name;
        std::u16string text;
        std::vector<Read> reads;
    };
    Case const cases[] = {
        {"plain", u"ab", {{u'a', 1}, {u'b', 1}}},
        {"pair", {0xD83D, 0xDE00}, {{0x1F600, 2}}},
        {"lowest and highest pairs", {0xD800, 0xDC00, 0xDBFF, 0xDFFF},
            {{0x10000, 2}, {0x10FFFF, 2}}},
        {"pair between units", {u'a', 0xD83D, 0xDE00, u'b'}, {{u'a', 1}, {0x1F600, 2}, {u'b', 1}}},
        {"lone high", {0xD83D, u'x'}, {{0xD83D, 1}, {u'x', 1}}},
        {"two highs then a low", {0xD83D, 0xD83D, 0xDE00}, {{0xD83D, 1}, {0x1F600, 2}}},
        {"lone low", {u'x', 0xDE00}, {{u'x', 1}, {0xDE00, 1}}},
        {"reversed", {0xDE00, 0xD83D}, {{0xDE00, 1}, {0xD83D, 1}}},
        {"high at the end of input", {u'a', 0xD83D}, {{u'a', 1}, {0xD83D, 1}}},
        {"units next to the surrogates", {0xD7FF, 0xE000}, {{0xD7FF, 1}, {0xE000, 1}}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t position = 0;
        for (auto const& read : c.reads) {
            ASSERT_LT(position, c.text.size());
            std::size_t start = position;
            EXPECT_EQ(decodeUtf16(c.text, position), read.codePoint);
            EXPECT_EQ(position - start, read.units);
        }
        EXPECT_EQ(position, c.text.size());
    }
}

TEST(Strings, EncodesCodePointsAsUtf16) {
    struct Case {
        char32_t codePoint;
        std::u16string units;
    };
    Case const cases[] = {
        {u'a', u"a"},
        {0xFFFF, {0xFFFF}},
        {0x10000, {0xD800, 0xDC00}},
        {0x1F600, {0xD83D, 0xDE00}},
        {0x10FFFF, {0xDBFF, 0xDFFF}},
        {0x110000, {0xFFFD}},
    };
    for (auto const& c : cases) {
        std::u16string out;
        appendUtf16(out, c.codePoint);
        EXPECT_EQ(out, c.units) << std::hex << std::uint32_t(c.codePoint);
    }
}

TEST(Strings, CutsByUtf16IndexWithoutSplittingCharacters) {
    std::string text = std::string("ab") + grin + "c";
    struct Case {
        std::size_t index;
        std::string to;
        std::string from;
    };
    Case const cases[] = {
        {0, "", text},
        {2, "ab", std::string(grin) + "c"},
        {3, "ab", std::string(grin) + "c"}, // inside the pair: rounds down
        {4, std::string("ab") + grin, "c"},
        {5, text, ""},
        {99, text, ""},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(substringToUtf16Index(text, c.index), c.to) << c.index;
        EXPECT_EQ(substringFromUtf16Index(text, c.index), c.from) << c.index;
    }
    EXPECT_EQ(substringWithUtf16Range(text, 1, 3), std::string("b") + grin);
    EXPECT_EQ(substringWithUtf16Range(text, 4, SIZE_MAX), "c");
    EXPECT_EQ(substringWithUtf16Range(text, 9, 2), "");
    EXPECT_EQ(byteOffsetOfUtf16Index(text, 4), 6u);
}

TEST(Strings, ComparesLiterallyWithoutCaseAndNumerically) {
    struct Case {
        char const* a;
        char const* b;
        int literal;
        int caseless;
        int numeric;
    };
    Case const cases[] = {
        {"a", "a", 0, 0, 0},
        {"a", "b", -1, -1, -1},
        {"B", "a", -1, 1, -1},
        {"abc", "ABC", 1, 0, 1},
        {"ab", "abc", -1, -1, -1},
        {"", "", 0, 0, 0},
        {"", "a", -1, -1, -1},
        {"1.10", "1.9", -1, -1, 1},
        {"4.10", "4.1", 1, 1, 1},
        {"4.0", "4.1", -1, -1, -1},
        {"2.0", "2.0.0", -1, -1, -1},
        {"10", "9", -1, -1, 1},
        {"01", "1", -1, -1, 0},
        {"1.2.10", "1.2.9", -1, -1, 1},
        {"item20", "item3", -1, -1, 1},
        {"99999999999999999999999", "100000000000000000000000", 1, 1, -1},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(compare(c.a, c.b), c.literal) << c.a << " vs " << c.b;
        EXPECT_EQ(caseInsensitiveCompare(c.a, c.b), c.caseless) << c.a << " vs " << c.b;
        EXPECT_EQ(numericCompare(c.a, c.b), c.numeric) << c.a << " vs " << c.b;
        EXPECT_EQ(numericCompare(c.b, c.a), -c.numeric) << c.b << " vs " << c.a;
    }
    EXPECT_EQ(compare("A10", "a9", CompareOptions::CaseInsensitive | CompareOptions::Numeric), 1);
}

TEST(Strings, ComparesAsUtf16UnitsOrder) {
    // U+FF01 follows U+1F600 in code points but precedes it in UTF-16 units.
    EXPECT_EQ(compare(grin, "\xEF\xBC\x81"), -1);
    EXPECT_EQ(compare(eAcute, "z"), 1);
}

TEST(Strings, TestsPrefixesSuffixesAndContents) {
    EXPECT_TRUE(hasPrefix("http://host", "http://"));
    EXPECT_FALSE(hasPrefix("http", "http://"));
    EXPECT_TRUE(hasPrefix("x", ""));
    EXPECT_TRUE(hasSuffix("list.plist", ".plist"));
    EXPECT_FALSE(hasSuffix("plist", ".plist"));
    EXPECT_TRUE(containsString("click_url=x", "click_url="));
    EXPECT_FALSE(containsString("", "a"));
}

TEST(Strings, SplitsAtSeparatorsKeepingEmptyPieces) {
    struct Case {
        char const* text;
        char const* separator;
        Strings pieces;
    };
    Case const cases[] = {
        {"a,b,c", ",", {"a", "b", "c"}},
        {"a,,b", ",", {"a", "", "b"}},
        {",a,", ",", {"", "a", ""}},
        {"", ",", {""}},
        {"abc", "", {"abc"}},
        {"a::b::", "::", {"a", "b", ""}},
        {"a:::b", "::", {"a", ":b"}},
        {"marquee://close", "/", {"marquee:", "", "close"}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(componentsSeparatedBy(c.text, c.separator), c.pieces) << c.text;
}

TEST(Strings, SplitsAtCharactersOfASet) {
    EXPECT_EQ(componentsSeparatedByCharacters("a&b;c&&d", CharacterSet::characters("&;")),
        (Strings {"a", "b", "c", "", "d"}));
    EXPECT_EQ(componentsSeparatedByCharacters(
                  std::string("x") + euro + "y", CharacterSet::characters(euro)),
        (Strings {"x", "y"}));
    EXPECT_EQ(
        componentsSeparatedByCharacters("one two\nthree", CharacterSet::whitespaceAndNewline()),
        (Strings {"one", "two", "three"}));
    EXPECT_EQ(componentsSeparatedByCharacters("", CharacterSet::whitespace()), (Strings {""}));
    EXPECT_EQ(componentsJoinedBy({"a", "b", ""}, "&"), "a&b&");
    EXPECT_EQ(componentsJoinedBy({}, "&"), "");
}

TEST(Strings, TrimsWhitespaceAndNewlines) {
    struct Case {
        std::string text;
        std::string expected;
    };
    Case const cases[] = {
        {"  word  ", "word"},
        {"\t\r\n word\n", "word"},
        {"   ", ""},
        {"", ""},
        {"a b", "a b"},
        {"\xC2\xA0word\xE2\x80\xA8", "word"}, // no-break space, line separator
        {std::string(" ") + eAcute + " ", eAcute},
        {"\xFF ", "\xFF"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(trimmed(c.text), c.expected) << c.text;
    EXPECT_EQ(trimmed("xxabxx", CharacterSet::characters("x")), "ab");
}

TEST(Strings, ClassifiesCharacters) {
    struct Case {
        char32_t c;
        bool whitespace;
        bool newline;
        bool digit;
        bool letter;
        bool alphanumeric;
    };
    Case const cases[] = {
        {U' ', true, false, false, false, false},
        {U'\n', false, true, false, false, false},
        {0x2029, false, true, false, false, false},
        {0x3000, true, false, false, false, false},
        {U'7', false, false, true, false, true},
        {U'q', false, false, false, true, true},
        {0x00E9, false, false, false, true, true},
        {0x4E2D, false, false, false, true, true},
        {U'-', false, false, false, false, false},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(CharacterSet::whitespace().contains(c.c), c.whitespace) << unsigned(c.c);
        EXPECT_EQ(CharacterSet::newline().contains(c.c), c.newline) << unsigned(c.c);
        EXPECT_EQ(CharacterSet::decimalDigits().contains(c.c), c.digit) << unsigned(c.c);
        EXPECT_EQ(CharacterSet::letters().contains(c.c), c.letter) << unsigned(c.c);
        EXPECT_EQ(CharacterSet::alphanumerics().contains(c.c), c.alphanumeric) << unsigned(c.c);
        EXPECT_EQ(CharacterSet::alphanumerics().inverted().contains(c.c), !c.alphanumeric)
            << unsigned(c.c);
    }
    EXPECT_TRUE(CharacterSet::uppercaseLetters().contains(0x00C9));
    EXPECT_TRUE(CharacterSet::lowercaseLetters().contains(0x00E9));
    EXPECT_TRUE(CharacterSet::punctuation().contains(U'!'));
    EXPECT_TRUE(CharacterSet::letters().unionWith(CharacterSet::decimalDigits()).contains(U'5'));
}

TEST(Strings, ReplacesEveryOccurrenceWithoutOverlap) {
    EXPECT_EQ(replaceOccurrences("a-b-c", "-", "+"), "a+b+c");
    EXPECT_EQ(replaceOccurrences("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceOccurrences("abc", "", "x"), "abc");
    EXPECT_EQ(replaceOccurrences("abc", "abc", ""), "");
    EXPECT_EQ(replaceOccurrences("x", "x", "xx"), "xx");
    EXPECT_EQ(replaceOccurrences("", "a", "b"), "");
}

TEST(Strings, ChangesTheCaseOfAsciiLetters) {
    EXPECT_EQ(uppercase(std::string("abc-Z9") + eAcute), std::string("ABC-Z9") + eAcute);
    EXPECT_EQ(lowercase("HeLLo_1"), "hello_1");
}

TEST(Strings, PercentEscapesForUrls) {
    struct Case {
        std::string text;
        std::string plain;
        std::string strict;
    };
    Case const cases[] = {
        {"abc-._~XYZ019", "abc-._~XYZ019", "abc-._~XYZ019"},
        {"a b", "a%20b", "a%20b"},
        {"a&b=c+d/e?f#g", "a&b=c+d/e?f#g", "a%26b%3Dc%2Bd%2Fe%3Ff%23g"},
        {"!*'();:@$,[]", "!*'();:@$,[]", "%21%2A%27%28%29%3B%3A%40%24%2C%5B%5D"},
        {"100%", "100%25", "100%25"},
        {"\"<>\\^`{|}", "%22%3C%3E%5C%5E%60%7B%7C%7D", "%22%3C%3E%5C%5E%60%7B%7C%7D"},
        {eAcute, "%C3%A9", "%C3%A9"},
        {"\n\x7F", "%0A%7F", "%0A%7F"},
        {"", "", ""},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(addingPercentEscapes(c.text), c.plain) << c.text;
        EXPECT_EQ(addingStrictPercentEscapes(c.text), c.strict) << c.text;
        EXPECT_EQ(replacingPercentEscapes(c.plain), c.text) << c.plain;
        EXPECT_EQ(replacingPercentEscapes(c.strict), c.text) << c.strict;
    }
    EXPECT_EQ(addingPercentEscapes("a b", StringEncoding::Ascii), "a%20b");
    EXPECT_EQ(addingPercentEscapes(eAcute, StringEncoding::Ascii), std::nullopt);
    EXPECT_EQ(addingPercentEscapes(eAcute, StringEncoding::Utf8), "%C3%A9");
}

TEST(Strings, RemovesPercentEscapesOrRefusesBadOnes) {
    struct Case {
        char const* text;
        std::optional<std::string> utf8;
        std::optional<std::string> ascii;
    };
    Case const cases[] = {
        {"a%20b", "a b", "a b"},
        {"%c3%A9", eAcute, std::nullopt},
        {"a+b", "a+b", "a+b"},
        {"%", std::nullopt, std::nullopt},
        {"%2", std::nullopt, std::nullopt},
        {"ab%", std::nullopt, std::nullopt},
        {"%zz", std::nullopt, std::nullopt},
        {"%FF", std::nullopt, std::nullopt},
        {"%00", std::string(1, '\0'), std::string(1, '\0')},
        {"no escapes", "no escapes", "no escapes"},
        {"", "", ""},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(replacingPercentEscapes(c.text), c.utf8) << c.text;
        EXPECT_EQ(replacingPercentEscapes(c.text, StringEncoding::Ascii), c.ascii) << c.text;
    }
}
