#include "EffectsFixture.hpp"

#include <base/Exception.hpp>
#include <effects/Grabber.hpp>
#include <effects/Grid.hpp>
#include <effects/GridAction.hpp>
#include <effects/GridEffects.hpp>
#include <engine/Camera.hpp>
#include <engine/Layer.hpp>
#include <engine/Texture2D.hpp>

#include <vector>

using namespace effects;
using engine::Color4B;
using engine::ColorLayer;

namespace {

using GridTest = test::EffectsTest;

class TabletGridTest : public test::EffectsTest {
protected:
    TabletGridTest()
        : EffectsTest(1024, 768) { }
};

std::vector<std::uint16_t> list(std::initializer_list<std::uint16_t> values) {
    return values;
}

}

TEST_F(GridTest, AOneByOneMeshHasFourVerticesAndTwoTriangles) {
    auto grid = Grid3D::gridWithSize({1, 1});
    EXPECT_EQ(grid->vertices().size(), 4u);
    EXPECT_EQ(grid->indices(), list({0, 2, 1, 2, 3, 1}));
    EXPECT_EQ(grid->vertex({0, 0}), (ccVertex3F {0, 0, 0}));
    EXPECT_EQ(grid->vertex({1, 1}), (ccVertex3F {480, 320, 0}));
    EXPECT_EQ(grid->vertex({0, 1}), (ccVertex3F {0, 320, 0}));
    EXPECT_FALSE(grid->active());
    EXPECT_EQ(grid->reuseGrid(), 0);
}

TEST_F(GridTest, AOneByOneTiledGridHasOneQuad) {
    auto grid = TiledGrid3D::gridWithSize({1, 1});
    ASSERT_EQ(grid->vertices().size(), 1u);
    EXPECT_EQ(grid->indices(), list({0, 1, 2, 1, 2, 3}));
    EXPECT_EQ(grid->tile({0, 0}), (ccQuad3 {{0, 0, 0}, {480, 0, 0}, {0, 320, 0}, {480, 320, 0}}));
}

TEST_F(GridTest, CellsOfAPhoneWindowAreThirtyTwoPointsAndTheTextureIsTheNextPowerOfTwo) {
    auto grid = Grid3D::gridWithSize({15, 10});
    EXPECT_FLOAT_EQ(grid->step().x, 32);
    EXPECT_FLOAT_EQ(grid->step().y, 32);
    EXPECT_EQ(grid->texture()->pixelsWide(), 512u);
    EXPECT_EQ(grid->texture()->pixelsHigh(), 512u);
    EXPECT_EQ(grid->vertices().size(), 16u * 11u);
    EXPECT_EQ(grid->indices().size(), 15u * 10u * 6u);
    // Point (i, j) lives at i(y+1)+j; cell (i, j) at 6(jx+i).
    auto const& coords = grid->texCoordinates();
    std::size_t last = 15 * 11 + 10;
    EXPECT_FLOAT_EQ(coords[last * 2], 480.0f / 512);
    EXPECT_FLOAT_EQ(coords[last * 2 + 1], 320.0f / 512);
    std::size_t cell = 6 * (2 * 15 + 3);
    EXPECT_EQ(grid->indices()[cell], 3 * 11 + 2);
    EXPECT_EQ(grid->indices()[cell + 4], 4 * 11 + 3);
    EXPECT_EQ(grid->vertex({3, 2}), (ccVertex3F {96, 64, 0}));
}

TEST_F(TabletGridTest, ATabletWindowIsGrabbedWholeIntoALargerTexture) {
    auto grid = TiledGrid3D::gridWithSize({16, 12});
    EXPECT_EQ(grid->texture()->pixelsWide(), 1024u);
    EXPECT_EQ(grid->texture()->pixelsHigh(), 1024u);
    EXPECT_FLOAT_EQ(grid->step().x, 64);
    EXPECT_FLOAT_EQ(grid->step().y, 64);
    auto const& coords = grid->texCoordinates();
    std::size_t lastTile = 15 * 12 + 11;
    EXPECT_FLOAT_EQ(coords[lastTile * 8 + 6], 1.0f);
    EXPECT_FLOAT_EQ(coords[lastTile * 8 + 7], 0.75f);
}

TEST_F(GridTest, ReuseMakesTheCurrentShapeTheOriginalAsManyTimesAsAllowed) {
    auto grid = Grid3D::gridWithSize({2, 2});
    grid->setReuseGrid(2);
    grid->setVertex({1, 1}, {10, 20, 30});
    grid->reuse();
    EXPECT_EQ(grid->originalVertex({1, 1}), (ccVertex3F {10, 20, 30}));
    grid->setVertex({1, 1}, {11, 21, 31});
    grid->reuse();
    EXPECT_EQ(grid->originalVertex({1, 1}), (ccVertex3F {11, 21, 31}));
    EXPECT_EQ(grid->reuseGrid(), 0);
    grid->setVertex({1, 1}, {12, 22, 32});
    grid->reuse();
    EXPECT_EQ(grid->originalVertex({1, 1}), (ccVertex3F {11, 21, 31}));
    EXPECT_EQ(grid->reuseGrid(), 0);

    auto tiles = TiledGrid3D::gridWithSize({2, 2});
    ccQuad3 moved {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
    tiles->setTile({1, 0}, moved);
    tiles->reuse();
    EXPECT_NE(tiles->originalTile({1, 0}), moved);
    tiles->setReuseGrid(1);
    tiles->reuse();
    EXPECT_EQ(tiles->originalTile({1, 0}), moved);
}

TEST_F(GridTest, TheBareBaseRaisesAndDescribesItself) {
    auto grid = base::make<GridBase>(ccGridSize {3, 4});
    try {
        grid->blit();
        FAIL() << "blit did not raise";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "GridBase");
        EXPECT_EQ(e.reason(), "Abstract class needs implementation");
    }
    EXPECT_THROW(grid->reuse(), base::Exception);
    auto text = grid->description();
    EXPECT_EQ(text.rfind("<", 0), 0u) << text;
    EXPECT_NE(text.find("GridBase = "), std::string::npos) << text;
    EXPECT_NE(text.find(" | Dimensions = 3x4>"), std::string::npos) << text;
}

TEST_F(GridTest, AGrabberRaisesWhenTheTextureCannotBeAttached) {
    auto grabber = Grabber::create();
    // An alpha-only texture is not colour-renderable.
    std::vector<std::uint8_t> alpha(64, 0);
    auto texture
        = engine::Texture2D::initWithData(alpha, engine::Texture2DPixelFormat::A8, 8, 8, {8, 8});
    try {
        grabber->grab(*texture);
        FAIL() << "grab did not raise";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "Frame Grabber");
        EXPECT_EQ(e.reason(), "Could not attach texture to framebuffer");
    }
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &bound);
    EXPECT_EQ(GLuint(bound), framebuffer());
}

TEST_F(GridTest, ANodeDrawnThroughAnActiveFlatGridLooksAsWithout) {
    auto root = engine::SceneNode::node();
    auto left = ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}, 240, 320);
    auto right = ColorLayer::layerWithColor(Color4B {0, 0, 255, 255}, 240, 160);
    right->setPosition({240, 80});
    root->addChild(left);
    root->addChild(right);

    drawFrame(*root);
    auto flat = image();

    auto grid = Grid3D::gridWithSize({8, 8});
    root->setGrid(grid);
    drawFrame(*root);
    // Inactive: drawn as without a grid.
    EXPECT_TRUE(image() == flat);

    grid->setActive(true);
    drawFrame(*root);
    auto through = image();
    ASSERT_EQ(through.width(), flat.width());
    int differing = 0;
    for (int y = 0; y < height(); y += 7) {
        for (int x = 0; x < width(); x += 7) {
            auto a = flat.pixel(x, y), b = through.pixel(x, y);
            if (std::abs(a.r - b.r) > 2 || std::abs(a.b - b.b) > 2)
                ++differing;
        }
    }
    EXPECT_EQ(differing, 0);
    // The frame's clear colour is left as it was.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[3], 1.0f);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &bound);
    EXPECT_EQ(GLuint(bound), framebuffer());
}

TEST_F(GridTest, AMovedVertexMovesThePicture) {
    auto root = engine::SceneNode::node();
    root->addChild(ColorLayer::layerWithColor(Color4B {255, 255, 255, 255}, 480, 320));
    auto grid = TiledGrid3D::gridWithSize({2, 1});
    grid->setActive(true);
    root->setGrid(grid);
    // The right tile collapses to a point: its half of the window shows the clear colour.
    grid->setTile({1, 0}, ccQuad3 {});
    drawFrame(*root);
    EXPECT_EQ(pixel(100, 160).r, 255);
    EXPECT_EQ(pixel(380, 160).r, 0);
    // Shifted up by 100 points, the left tile uncovers the bottom.
    ccQuad3 q = grid->originalTile({0, 0});
    for (auto* corner : {&q.bl, &q.br, &q.tl, &q.tr})
        corner->y += 100;
    grid->setTile({0, 0}, q);
    drawFrame(*root);
    EXPECT_EQ(pixel(100, 50).r, 0);
    EXPECT_EQ(pixel(100, 150).r, 255);
}

TEST_F(GridTest, AWavedNodeMatchesTheFlatOneAtTheStartAndBendsItsEdgesLater) {
    auto root = engine::SceneNode::node();
    root->onEnter();
    auto left = ColorLayer::layerWithColor(Color4B {255, 0, 0, 255}, 240, 320);
    auto right = ColorLayer::layerWithColor(Color4B {0, 0, 255, 255}, 240, 320);
    right->setPosition({240, 0});
    root->addChild(left);
    root->addChild(right);
    drawFrame(*root);
    auto flat = image();

    // Rising amplitude: none at the start.
    root->runAction(AccelAmplitude::actionWithAction(
        Waves::actionWithWaves(2, 30, false, true, {16, 12}, 1), 1));
    tick(0.1f);
    drawFrame(*root);
    auto start = image();
    int differing = 0;
    for (int y = 0; y < height(); y += 5)
        for (int x = 0; x < width(); x += 5)
            differing += std::abs(flat.pixel(x, y).r - start.pixel(x, y).r) > 2 ? 1 : 0;
    EXPECT_EQ(differing, 0);

    // Later the red-blue edge sways sideways along its height, and the left edge uncovers
    // or overhangs the window; far from the edges the colours stay.
    tick(0.5f);
    drawFrame(*root);
    auto waved = image();
    int moved = 0;
    for (int y = 0; y < height(); y += 4) {
        int edge = 0;
        while (edge < width() && waved.pixel(edge, y).r > 128)
            ++edge;
        if (std::abs(edge - 240) > 3)
            ++moved;
    }
    EXPECT_GT(moved, 20);
    EXPECT_EQ(waved.pixel(120, 160).r, 255);
    EXPECT_EQ(waved.pixel(360, 160).b, 255);
}
