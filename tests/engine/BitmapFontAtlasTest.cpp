#include "TextRenderHelpers.hpp"

#include <engine/AtlasSprite.hpp>
#include <engine/BitmapFontAtlas.hpp>

using engine::AtlasSprite;
using engine::BitmapFontAtlas;
using engine::Point;
using engine::Size;
using graphics::Rgba;
using namespace test::colours;

namespace {

// A sheet with "A" (red), "B" (green) and "C" (blue), each 10 x 20, and a description with
// line height 32 and a kerning of -2 from "A" to "B".
class BitmapFontAtlasTest : public test::TextRenderTest {
protected:
    void SetUp() override {
        TextRenderTest::SetUp();
        graphics::Image sheet(32, 20);
        Rgba const cells[] = {red, green, blue};
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 30; ++x)
                sheet.setPixel(x, y, cells[x / 10]);
        }
        test::writePNG(resources->bundle() / "abc.png", sheet);
        writeFont("abc.fnt", "");
    }

    void writeFont(std::string const& name, std::string const& more,
        std::string const& page = "page id=0 file=\"abc.png\"") {
        test::writeText(resources->bundle() / name,
            "info face=\"abc\" size=20\n"
            "common lineHeight=32 base=26 scaleW=32 scaleH=20 pages=1 packed=0\n"
                + page
                + "\nchars count=3\n"
                  "char id=65 x=0 y=0 width=10 height=20 xoffset=0 yoffset=4 xadvance=12 page=0\n"
                  "char id=66 x=10 y=0 width=10 height=20 xoffset=0 yoffset=4 xadvance=12 page=0\n"
                  "char id=67 x=20 y=0 width=10 height=20 xoffset=1 yoffset=4 xadvance=18 page=0\n"
                  "kernings count=1\n"
                  "kerning first=65 second=66 amount=-2\n"
                + more);
    }

    static std::vector<Point> visiblePositions(BitmapFontAtlas const& label) {
        std::vector<Point> positions;
        for (auto const& child : label.children()) {
            if (child->visible())
                positions.push_back(child->position());
        }
        return positions;
    }
};

}

TEST_F(BitmapFontAtlasTest, PlacesEachCharacterByPenOffsetsAndKerning) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("ABC", "abc.fnt");
    ASSERT_TRUE(label);
    // A at pen 0: (0 + 0) + 12 / 2, (32 - 4) - 20 / 2. B at pen 12 with kerning -2. C at
    // pen 22 with its offset 1.
    EXPECT_EQ(visiblePositions(*label), (std::vector<Point> {{6, 18}, {16, 18}, {32, 18}}));
    EXPECT_EQ(label->contentSize(), (Size {40, 20}));
    EXPECT_EQ(label->anchorPoint(), (Point {0.5f, 0.5f}));
    EXPECT_EQ(label->kerningAmmountForFirst('A', 'B'), -2);
    EXPECT_EQ(label->getChildByTag(1)->position(), (Point {16, 18}));
}

TEST_F(BitmapFontAtlasTest, TheFirstCharacterTakesKerningAfterCode65535) {
    writeFont("first.fnt", "kerning first=65535 second=67 amount=5\n");
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("C", "first.fnt");
    ASSERT_TRUE(label);
    EXPECT_EQ(visiblePositions(*label), (std::vector<Point> {{1 + 9 + 5, 18}}));
}

TEST_F(BitmapFontAtlasTest, ReusesCharacterSpritesByPosition) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("ABC", "abc.fnt");
    ASSERT_TRUE(label);
    auto* first = label->getChildByTag(0);
    label->setString("A");
    EXPECT_EQ(label->children().size(), 3u);
    EXPECT_EQ(visiblePositions(*label).size(), 1u);
    label->setString("CBAB");
    EXPECT_EQ(label->children().size(), 4u);
    EXPECT_EQ(label->getChildByTag(0), first);
    EXPECT_EQ(visiblePositions(*label).size(), 4u);
    label->setString("");
    EXPECT_EQ(label->contentSize(), (Size {0, 0}));
}

TEST_F(BitmapFontAtlasTest, LeavesOutCharactersBeyondTheTable) {
    test::LogCapture log;
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("A\u0141B", "abc.fnt");
    ASSERT_TRUE(label);
    EXPECT_EQ(log.lines().size(), 1u);
    // "Ł" (U+0141) would land on "A" in a table indexed by the low byte.
    EXPECT_EQ(visiblePositions(*label), (std::vector<Point> {{6, 18}, {16, 18}}));
    EXPECT_EQ(label->getChildByTag(1), nullptr);
}

TEST_F(BitmapFontAtlasTest, PassesColourAndOpacityToEveryCharacter) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("AB", "abc.fnt");
    ASSERT_TRUE(label);
    EXPECT_TRUE(label->doesOpacityModifyRGB()) << "the sheet has premultiplied alpha";
    label->setOpacityModifyRGB(false);
    label->setColor({1, 2, 3});
    label->setOpacity(9);
    for (auto const& child : label->children()) {
        auto* sprite = dynamic_cast<AtlasSprite*>(child.get());
        EXPECT_EQ(sprite->color(), (engine::Color3B {1, 2, 3}));
        EXPECT_EQ(sprite->opacity(), 9);
        EXPECT_FALSE(sprite->doesOpacityModifyRGB());
    }
    label->setString("ABC");
    EXPECT_EQ(dynamic_cast<AtlasSprite*>(label->getChildByTag(2))->opacity(), 9);
}

TEST_F(BitmapFontAtlasTest, DrawsEachCharacterFromTheSheetAndNothingElse) {
    auto label = BitmapFontAtlas::bitmapFontAtlasWithString("AB", "abc.fnt");
    ASSERT_TRUE(label);
    label->setPosition({64, 64});
    drawScene(*label);
    // 22 x 20 centred on (64, 64): the origin at (53, 54); A spans x 1 to 11 and B 11 to
    // 21 of it, both y 8 to 28.
    EXPECT_TRUE(near(rgb(58, 72), red));
    EXPECT_TRUE(near(rgb(69, 72), green));
    EXPECT_EQ(inkAroundGL(54, 62, 74, 82).outside, 0);
}

TEST_F(BitmapFontAtlasTest, RefusesDamagedDescriptionsAndSheets) {
    writeFont("wide.fnt", "",
        "page id=0 file=\"abc.png\"\ncommon lineHeight=1 base=1 scaleW=4096 scaleH=1 pages=1");
    writeFont("pages.fnt", "", "page id=1 file=\"abc.png\"");
    writeFont("escape.fnt", "", "page id=0 file=\"../abc.png\"");
    writeFont("nosheet.fnt", "", "page id=0 file=\"missing.png\"");
    test::writeText(resources->bundle() / "cut.fnt", "common lineHeight=32 base=26 scaleW\n");
    for (auto const& name :
        {"wide.fnt", "pages.fnt", "escape.fnt", "nosheet.fnt", "cut.fnt", "absent.fnt"}) {
        test::LogCapture log;
        EXPECT_FALSE(BitmapFontAtlas::bitmapFontAtlasWithString("AB", name)) << name;
        EXPECT_FALSE(log.lines().empty()) << name;
    }
}
