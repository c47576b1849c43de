#include <engine/BitmapFontConfiguration.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <fstream>

using engine::BitmapFontConfiguration;
using engine::Rect;

namespace {

constexpr char sample[] = R"(info face="Test" size=32 bold=0 italic=0 charset="" unicode=0
common lineHeight=32 base=26 scaleW=256 scaleH=128 pages=1 packed=0
page id=0 file="sheet.png"
chars count=3
char id=65   x=10    y=20    width=18    height=20    xoffset=1     yoffset=4    xadvance=18    page=0  chnl=0
char id=66 x=30 y=20 width=16 height=22 xoffset=-2 yoffset=3 xadvance=17 page=0 chnl=0
char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=8 page=0 chnl=0
kernings count=2
kerning first=65 second=66 amount=-2
kerning first=66  second=65  amount=1
)";

base::Ref<BitmapFontConfiguration> parse(std::string const& text) {
    return BitmapFontConfiguration::configurationWithText(text, "test.fnt");
}

std::string withLine(std::string const& line) {
    return std::string(sample) + line + "\n";
}

}

TEST(BitmapFontConfiguration, ParsesCharactersLineHeightAndKerning) {
    auto font = parse(sample);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->commonHeight(), 32u);
    auto const& a = font->definition('A');
    EXPECT_EQ(a.charID, 'A');
    EXPECT_EQ(a.rect, (Rect {{10, 20}, {18, 20}}));
    EXPECT_EQ(a.xOffset, 1);
    EXPECT_EQ(a.yOffset, 4);
    EXPECT_EQ(a.xAdvance, 18);
    EXPECT_EQ(font->definition('B').xOffset, -2);
    EXPECT_EQ(font->definition(' ').xAdvance, 8);
    EXPECT_EQ(font->definition('C').xAdvance, 0) << "undefined entries stay zero";
    EXPECT_TRUE(font->hasKerningDictionary());
    EXPECT_EQ(font->kerningAmount('A', 'B'), -2);
    EXPECT_EQ(font->kerningAmount('B', 'A'), 1);
    EXPECT_EQ(font->kerningAmount(65535, 'A'), 0);
}

TEST(BitmapFontConfiguration, RefusesTheOtherFormsOfTheFormatWithALogLine) {
    struct Case {
        char const* what;
        std::string text;
        char const* logged;
    };
    Case const cases[] = {
        {"XML",
            "<?xml version=\"1.0\"?>\n<font>\n  <info face=\"Test\" size=\"32\"/>\n"
            "  <common lineHeight=\"32\" base=\"26\" pages=\"1\"/>\n</font>\n",
            "an XML bitmap font"},
        {"XML after a byte-order mark and blanks", "\xEF\xBB\xBF\n  <font></font>",
            "an XML bitmap font"},
        {"JSON", "{\"info\": {\"face\": \"Test\"}, \"common\": {\"lineHeight\": 32}}",
            "a JSON bitmap font"},
        {"binary", std::string("BMF\x03\x01\x0e\x00\x00\x00", 9), "a binary bitmap font"},
    };
    for (auto const& c : cases) {
        test::LogCapture log;
        EXPECT_FALSE(parse(c.text)) << c.what;
        EXPECT_TRUE(log.contains(
            std::string("test.fnt is refused: ") + c.logged + "; only the text form is read"))
            << c.what;
    }
    test::LogCapture log;
    EXPECT_TRUE(parse("\xEF\xBB\xBF" + std::string(sample)))
        << "a text font after a byte-order mark";
}

TEST(BitmapFontConfiguration, ReadsFilesWithWindowsLineEnds) {
    std::string text;
    for (char c : std::string(sample)) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    auto font = parse(text);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->kerningAmount('A', 'B'), -2);
}

TEST(BitmapFontConfiguration, KerningCountMinusOneMeansNoTable) {
    std::string text = sample;
    text.replace(text.find("kernings count=2"), 16, "kernings count=-1");
    auto font = parse(text);
    ASSERT_TRUE(font);
    EXPECT_FALSE(font->hasKerningDictionary());
    EXPECT_EQ(font->kerningAmount('A', 'B'), 0);
}

TEST(BitmapFontConfiguration, CharacterCodesBeyondTheTableArePassedOver) {
    test::LogCapture log;
    auto font = parse(
        withLine(
            "char id=321 x=99 y=99 width=5 height=5 xoffset=0 yoffset=0 xadvance=99 page=0 chnl=0")
        + "char id=-1 x=99 y=99 width=5 height=5 xoffset=0 yoffset=0 xadvance=99\n");
    ASSERT_TRUE(font);
    // 321 is 65 in its low byte: 'A' must keep its own definition.
    EXPECT_EQ(font->definition('A').xAdvance, 18);
    EXPECT_EQ(font->definition(255).xAdvance, 0);
    EXPECT_EQ(log.lines().size(), 2u);
}

TEST(BitmapFontConfiguration, RefusesDamagedFiles) {
    struct Case {
        char const* name;
        std::string text;
        char const* why;
    };
    std::string text = sample;
    auto replaced = [&](std::string const& from, std::string const& to) {
        std::string copy = text;
        copy.replace(copy.find(from), from.size(), to);
        return copy;
    };
    for (auto const& c : {
             Case {"sheet too wide", replaced("scaleW=256", "scaleW=2048"), "1024x1024"},
             Case {"two pages", replaced("pages=1", "pages=2"), "only supports 1 page"},
             Case {"cut common line", replaced("scaleH=128 pages=1 packed=0", "scaleH"),
                 "common line"},
             Case {"cut char line", replaced("xadvance=17 page=0 chnl=0", "xadvance"), "char line"},
             Case {"second kerning count", withLine("kernings count=5"),
                 "dictionary already initialized"},
             Case {"cut kerning", withLine("kerning first=1 second"), "kerning line"},
         }) {
        test::LogCapture log;
        EXPECT_FALSE(parse(c.text)) << c.name;
        EXPECT_TRUE(log.contains(c.why)) << c.name;
    }
}

TEST(BitmapFontConfiguration, ReadsNumbersAsThePlatformDoes) {
    auto font = parse(
        "common lineHeight=  +40junk base=1 scaleW=1 scaleH=1 pages=1\n"
        "char id=66 x=99999999999 y=abc width=3 height=4 xoffset=-7 yoffset=0 xadvance=5\n");
    ASSERT_TRUE(font);
    EXPECT_EQ(font->commonHeight(), 40u);
    EXPECT_EQ(font->definition('B').rect.origin.x, 2147483647.0f);
    EXPECT_EQ(font->definition('B').rect.origin.y, 0);
    EXPECT_EQ(font->definition('B').xOffset, -7);
}

TEST(BitmapFontConfiguration, NamesItsSheetFromThePageLine) {
    EXPECT_EQ(BitmapFontConfiguration::sheetNameFromText(sample, "test.fnt"), "sheet.png");
    for (auto const& line : {"page id=1 file=\"sheet.png\"", "page id=0 file=sheet.png",
             "page id=0 file=\"../../secret.png\"", "page id=0 file=\"/etc/passwd\"",
             "page id=0 file=\"\"", "page id=0"}) {
        test::LogCapture log;
        EXPECT_EQ(BitmapFontConfiguration::sheetNameFromText(
                      std::string("info face=\"x\"\n") + line + "\n", "test.fnt"),
            std::nullopt)
            << line;
        EXPECT_EQ(log.lines().size(), 1u) << line;
    }
    EXPECT_EQ(BitmapFontConfiguration::sheetNameFromText("info\n", "test.fnt"), std::nullopt);
}

TEST(BitmapFontConfiguration, CacheParsesEachFileOnceAndKeepsNoRefusals) {
    test::TempDir dir;
    auto good = (dir / "good.fnt").string();
    auto bad = (dir / "bad.fnt").string();
    std::ofstream(good) << sample;
    std::ofstream(bad) << "common lineHeight=1 base=1 scaleW=1 scaleH=1 pages=7\n";
    engine::purgeCachedFontConfigurations();
    auto first = engine::CachedFontConfiguration(good);
    ASSERT_TRUE(first);
    EXPECT_EQ(engine::CachedFontConfiguration(good), first);
    test::LogCapture log;
    EXPECT_FALSE(engine::CachedFontConfiguration(bad));
    EXPECT_FALSE(engine::CachedFontConfiguration(bad));
    EXPECT_EQ(log.lines().size(), 2u);
    EXPECT_FALSE(engine::CachedFontConfiguration((dir / "missing.fnt").string()));
    engine::purgeCachedFontConfigurations();
}
