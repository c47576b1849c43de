#include "TextRenderHelpers.hpp"

#include <engine/LabelAtlas.hpp>

using engine::LabelAtlas;
using engine::Size;
using engine::Tex2F;
using graphics::Rgba;
using namespace test::colours;

namespace {

// A map of 10 x 10 cells, four to a row and two rows: "0" to "7" in red, green, blue,
// white, then the same again.
class LabelAtlasTest : public test::TextRenderTest {
protected:
    void SetUp() override {
        TextRenderTest::SetUp();
        graphics::Image map(40, 20);
        Rgba const cells[] = {red, green, blue, white};
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 40; ++x)
                map.setPixel(x, y, cells[x / 10]);
        }
        test::writePNG(resources->bundle() / "digits.png", map);
    }

    static base::Ref<LabelAtlas> digits(std::string const& text) {
        return LabelAtlas::labelAtlasWithString(text, "digits.png", 10, 10, '0');
    }
};

// The texture is padded to 64 x 32: a cell is 10/64 wide and 10/32 high in it.
constexpr float stepX = 10.0f / 64, stepY = 10.0f / 32;

}

TEST_F(LabelAtlasTest, OneQuadPerCharacterFromItsCell) {
    auto label = digits("125");
    EXPECT_EQ(label->contentSize(), (Size {30, 10}));
    auto quads = label->textureAtlas()->quads();
    struct Cell {
        int column, row;
    };
    Cell const cells[] = {{1, 0}, {2, 0}, {1, 1}};
    for (std::size_t i = 0; i < 3; ++i) {
        auto const& q = quads[i];
        float left = float(cells[i].column) * stepX, top = float(cells[i].row) * stepY;
        EXPECT_EQ(q.tl.texCoords, (Tex2F {left, top})) << i;
        EXPECT_EQ(q.br.texCoords, (Tex2F {left + stepX, top + stepY})) << i;
        EXPECT_EQ(q.bl.vertices.x, float(i) * 10) << i;
        EXPECT_EQ(q.tr.vertices.x, float(i + 1) * 10) << i;
        EXPECT_EQ(q.tr.vertices.y, 10) << i;
    }
}

TEST_F(LabelAtlasTest, CharactersOutsideTheMapAreBlank) {
    // "/" comes before "0", "9" after the eight cells, and a byte above 127 far after.
    auto label = digits("/9\xC3\xA9"
                        "1");
    auto quads = label->textureAtlas()->quads();
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(quads[i], engine::V3F_C4B_T2F_Quad {}) << i;
    EXPECT_EQ(quads[4].tl.texCoords, (Tex2F {stepX, 0}));
}

TEST_F(LabelAtlasTest, LongerTextGrowsTheAtlas) {
    auto label = digits("1");
    label->setString("01234567");
    EXPECT_GE(label->textureAtlas()->capacity(), 8u);
    EXPECT_EQ(label->contentSize(), (Size {80, 10}));
    label->setString("");
    EXPECT_EQ(label->contentSize(), (Size {0, 10}));
}

TEST_F(LabelAtlasTest, DrawsItsCharactersInTheNodeColour) {
    auto label = digits("123");
    label->setPosition({20, 20});
    drawScene(*label);
    EXPECT_TRUE(near(rgb(25, 25), green));
    EXPECT_TRUE(near(rgb(35, 25), blue));
    EXPECT_TRUE(near(rgb(45, 25), white));
    EXPECT_EQ(inkAroundGL(20, 20, 50, 30).outside, 0);
    label->setColor({255, 0, 0});
    label->setString("3");
    drawScene(*label);
    EXPECT_TRUE(near(rgb(25, 25), red)) << "white tinted red";
    EXPECT_EQ(inkAroundGL(20, 20, 30, 30).outside, 0) << "only as many quads as characters";
}
