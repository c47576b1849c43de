#include <ads/bountix/BTXHTMLEntities.hpp>

#include <gtest/gtest.h>

#include <string>

using namespace ads::bountix;
using namespace ads::bountix::BTXNSStringHTMLAdditions;

TEST(BTXHTMLEntities, TablesAreSortedAndHoldTheNamedEntities) {
    auto sorted = [](auto const& table) {
        for (std::size_t i = 1; i < table.size(); ++i)
            if (table[i - 1].unit >= table[i].unit)
                return false;
        return true;
    };
    EXPECT_TRUE(sorted(fullHTMLEntityTable));
    EXPECT_TRUE(sorted(shortHTMLEntityTable));
    EXPECT_EQ(std::string(fullHTMLEntityTable.front().text), "&quot;");
    EXPECT_EQ(std::string(fullHTMLEntityTable.back().text), "&diams;");
    EXPECT_EQ(std::string(shortHTMLEntityTable.back().text), "&euro;");
}

TEST(BTXNSStringHTMLAdditions, Escapes) {
    struct Case {
        char const* input;
        char const* forHTML;
        char const* forAscii;
    };
    Case const cases[] {
        {"", "", ""},
        {"a<b & c>\"d'", "a&lt;b &amp; c&gt;&quot;d&apos;", "a&lt;b &amp; c&gt;&quot;d&apos;"},
        // e with acute: kept by the short table, named by the full one.
        {"caf\xC3\xA9", "caf\xC3\xA9", "caf&eacute;"},
        // Cyrillic capital Io has no entity: numeric only with the full table.
        {"\xD0\x81", "\xD0\x81", "&#1025;"},
        {"\xE2\x80\x94\xE2\x82\xAC", "&mdash;&euro;", "&mdash;&euro;"},
        {"plain", "plain", "plain"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(CHW_stringByEscapingForHTML(c.input), c.forHTML) << c.input;
        EXPECT_EQ(CHW_stringByEscapingForAsciiHTML(c.input), c.forAscii) << c.input;
    }
}

TEST(BTXNSStringHTMLAdditions, Unescapes) {
    struct Case {
        char const* input;
        char const* expected;
    };
    Case const cases[] {
        {"no entities", "no entities"},
        {"&#65;&#x41;&#X42;", "AAB"},
        {"&#0;", "&#0;"},
        {"&#65535;", "&#65535;"},
        {"&#65534;", "\xEF\xBF\xBE"},
        {"&#x;", "&#x;"},
        {"&#12a;", "&#12a;"},
        {"&lt;b&gt; &amp;amp;", "<b> &amp;"},
        {"&eacute;&Eacute;", "\xC3\xA9\xC3\x89"},
        {"&EACUTE;", "&EACUTE;"},
        {"&notanentity;", "&notanentity;"},
        // Longer than ten characters including both marks.
        {"&#00000065;", "&#00000065;"},
        {"&#0000065;", "A"},
        {"& x; &amp", "& x; &amp"},
        {"&&amp;", "&&"},
        {"&lt", "&lt"},
        {"&apos;&quot;", "'\""},
        {"&#1025;", "\xD0\x81"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(CHW_stringByUnescapingFromHTML(c.input), c.expected) << c.input;
}

TEST(BTXNSStringHTMLAdditions, AsciiEscapingRoundTrips) {
    std::string text = "<\xC3\xA9t\xC3\xA9> & \xD0\x81 \xE2\x82\xAC";
    EXPECT_EQ(CHW_stringByUnescapingFromHTML(CHW_stringByEscapingForAsciiHTML(text)), text);
}
