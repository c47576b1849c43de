#include "TextureRenderFixture.hpp"

#include <engine/AtlasNode.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/SpriteSheet.hpp>

#include <base/Exception.hpp>

#include <gtest/gtest.h>

using namespace engine;
using graphics::Rgba;
using namespace test::colours;

namespace {

class AtlasRenderTest : public test::TextureRenderTest {
protected:
    void SetUp() override {
        TextureRenderTest::SetUp();
        // A sheet of four 8 x 8 tiles in a row: red, green, blue, white.
        graphics::Image sheet(32, 8);
        Rgba const tiles[] = {red, green, blue, white};
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 32; ++x)
                sheet.setPixel(x, y, tiles[x / 8]);
        }
        test::writePNG(resources->bundle() / "tiles.png", sheet);
    }

    Rect tile(int index) const { return makeRect(float(index * 8), 0, 8, 8); }
};

TEST_F(AtlasRenderTest, TextureCoordinatesComeFromTheRectangleAndFlips) {
    auto texture = Texture2D::initWithImage(test::solidImage(512, 256, white));
    auto manager = AtlasSpriteManager::spriteManagerWithTexture(texture);
    struct Case {
        bool flipX, flipY;
        Tex2F bl, br, tl, tr;
    } const cases[] = {
        {false, false, {0.125f, 0.25f}, {0.1875f, 0.25f}, {0.125f, 0.125f}, {0.1875f, 0.125f}},
        {true, false, {0.1875f, 0.25f}, {0.125f, 0.25f}, {0.1875f, 0.125f}, {0.125f, 0.125f}},
        {false, true, {0.125f, 0.125f}, {0.1875f, 0.125f}, {0.125f, 0.25f}, {0.1875f, 0.25f}},
        {true, true, {0.1875f, 0.125f}, {0.125f, 0.125f}, {0.1875f, 0.25f}, {0.125f, 0.25f}},
    };
    for (auto const& c : cases) {
        auto sprite = manager->createSpriteWithRect(makeRect(64, 32, 32, 32));
        sprite->setFlipX(c.flipX);
        sprite->setFlipY(c.flipY);
        auto const& q = sprite->quad();
        EXPECT_EQ(q.bl.texCoords, c.bl) << c.flipX << c.flipY;
        EXPECT_EQ(q.br.texCoords, c.br) << c.flipX << c.flipY;
        EXPECT_EQ(q.tl.texCoords, c.tl) << c.flipX << c.flipY;
        EXPECT_EQ(q.tr.texCoords, c.tr) << c.flipX << c.flipY;
    }
    // The texture's padded size counts, not its content.
    auto padded = AtlasSpriteManager::spriteManagerWithTexture(
        Texture2D::initWithImage(test::solidImage(300, 200, white)));
    auto sprite = padded->createSpriteWithRect(makeRect(0, 0, 256, 128));
    EXPECT_EQ(sprite->quad().tr.texCoords, (Tex2F {0.5f, 0}));
    EXPECT_EQ(sprite->quad().bl.texCoords, (Tex2F {0, 0.5f}));
    // The sheet is premultiplied, so opacity sets the colour too.
    EXPECT_TRUE(sprite->doesOpacityModifyRGB());
}

TEST_F(AtlasRenderTest, ABatchDrawsItsSpritesInZOrderWithOneCall) {
    auto manager = AtlasSpriteManager::spriteManagerWithFile("tiles.png", 4);
    // Twenty overlapping sprites; the one with the highest z is on top.
    std::vector<base::Ref<AtlasSprite>> sprites;
    for (int i = 0; i < 20; ++i) {
        auto sprite = manager->createSpriteWithRect(tile(i % 3));
        sprite->setPosition({float(10 + i * 4), 20});
        sprites.push_back(sprite);
        manager->addChild(sprite, 20 - i);
    }
    EXPECT_EQ(manager->totalSprites(), 20u);
    EXPECT_GE(manager->textureAtlas()->capacity(), 20u);
    auto before = TextureAtlas::drawCallCount();
    drawScene(*manager);
    EXPECT_EQ(TextureAtlas::drawCallCount() - before, 1u);
    // Sprite i covers x from 6 + 4i to 14 + 4i; the lower i, the higher z, so at
    // x = 13 sprite 0 (red) covers sprites 1 (green) and 2 (blue).
    EXPECT_TRUE(near(rgb(13, 20), red));
    EXPECT_TRUE(near(rgb(15, 20), green));
    EXPECT_TRUE(near(rgb(19, 20), blue));
    EXPECT_TRUE(near(rgb(10, 25), black));

    // Raise the last sprite above all others: it now covers its neighbour.
    manager->reorderChild(sprites[19].get(), 100);
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(85, 20), green)); // sprite 19 is tile 1
    sprites[19]->setPosition({13, 20});
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(13, 20), green));
}

TEST_F(AtlasRenderTest, TransformFlipAndColourReachTheScreen) {
    auto manager = AtlasSpriteManager::spriteManagerWithFile("tiles.png");
    auto sprite = manager->createSpriteWithRect(makeRect(4, 0, 8, 8)); // half red, half green
    manager->addChild(sprite, 0);
    sprite->setPosition({40, 40}); // covers (36, 36) to (44, 44)
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(37, 40), red));
    EXPECT_TRUE(near(rgb(42, 40), green));
    sprite->setFlipX(true);
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(37, 40), green));
    EXPECT_TRUE(near(rgb(42, 40), red));
    sprite->setScale(2); // (32, 32) to (48, 48)
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(33, 47), green));
    EXPECT_TRUE(near(rgb(31, 40), black));
    sprite->setColor({255, 0, 0});
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(33, 47), black)); // green tinted red
    EXPECT_TRUE(near(rgb(46, 33), red));
    sprite->setVisible(false);
    drawScene(*manager);
    EXPECT_TRUE(near(rgb(46, 33), black));
}

TEST_F(AtlasRenderTest, TheOutlineMovesAndRecoloursOnlyTheFirstSprite) {
    auto manager = AtlasSpriteManager::spriteManagerWithFile("tiles.png");
    auto first = manager->createSpriteWithRect(tile(3)); // white
    auto second = manager->createSpriteWithRect(tile(3));
    manager->addChild(first, 0);
    manager->addChild(second, 1);
    first->setPosition({30, 30}); // (26, 26) to (34, 34)
    second->setPosition({90, 30}); // (86, 26) to (94, 34)
    manager->setStroke(true);
    manager->setStrokeColor({0, 0, 255});
    manager->setStrokeSize(3);
    auto before = TextureAtlas::drawCallCount();
    drawScene(*manager);
    EXPECT_EQ(TextureAtlas::drawCallCount() - before, 9u);
    EXPECT_TRUE(near(rgb(24, 30), blue));
    EXPECT_TRUE(near(rgb(36, 36), blue));
    EXPECT_TRUE(near(rgb(30, 30), white));
    EXPECT_TRUE(near(rgb(84, 30), black));
    EXPECT_TRUE(near(rgb(90, 30), white));
    // The first quad is back as it was.
    auto const& q = manager->textureAtlas()->quads()[0];
    EXPECT_EQ(q.bl.vertices, (Vertex3F {26, 26, 0}));
    EXPECT_EQ(q.bl.colors, (Color4B {255, 255, 255, 255}));
}

// Tiles of the sheet in a row, one per item.
class TileRow : public AtlasNode {
public:
    void updateAtlasValues() override {
        for (int i = 0; i < count_; ++i) {
            float left = texStepX() * float(i % itemsPerRow()), right = left + texStepX();
            V3F_C4B_T2F_Quad q {};
            q.bl = {{float(i * 8), 0, 0}, {}, {left, texStepY()}};
            q.br = {{float(i * 8 + 8), 0, 0}, {}, {right, texStepY()}};
            q.tl = {{float(i * 8), 8, 0}, {}, {left, 0}};
            q.tr = {{float(i * 8 + 8), 8, 0}, {}, {right, 0}};
            textureAtlas()->updateQuad(q, std::size_t(i));
        }
    }

private:
    int count_;

    friend base::Factory;

    TileRow(int count)
        : AtlasNode("tiles.png", 8, 8, count)
        , count_(count) {
        updateAtlasValues();
    }
};

TEST_F(AtlasRenderTest, AnAtlasNodeDrawsItsTilesInItsColour) {
    auto row = base::make<TileRow>(4);
    EXPECT_EQ(row->itemsPerRow(), 4);
    EXPECT_EQ(row->itemsPerColumn(), 1);
    EXPECT_FLOAT_EQ(row->texStepX(), 0.25f);
    EXPECT_FLOAT_EQ(row->texStepY(), 1.0f);
    EXPECT_TRUE(row->doesOpacityModifyRGB());
    EXPECT_EQ(row->blendFunc(), defaultBlendFunc);
    drawScene(*row);
    EXPECT_TRUE(near(rgb(4, 4), red));
    EXPECT_TRUE(near(rgb(12, 4), green));
    EXPECT_TRUE(near(rgb(20, 4), blue));
    EXPECT_TRUE(near(rgb(28, 4), white));
    row->setOpacity(128);
    EXPECT_EQ(row->color(), (Color3B {128, 128, 128}));
    drawScene(*row);
    EXPECT_TRUE(near(rgb(28, 4), {128, 128, 128, 255}));

    auto plain = AtlasNode::atlasWithTileFile("tiles.png", 8, 8, 2);
    try {
        plain->updateAtlasValues();
        FAIL() << "the abstract update ran";
    } catch (base::Exception const& e) {
        EXPECT_EQ(e.name(), "AtlasNode:Abstract");
        EXPECT_EQ(e.reason(), "updateAtlasValue not overriden");
    }
    auto missing = AtlasNode::atlasWithTileFile("absent.png", 8, 8, 2);
    EXPECT_EQ(missing->itemsPerRow(), 0);
    drawScene(*missing);
}

// The generated art of the build's bundle, when it has been built.
TEST_F(AtlasRenderTest, ARealSheetFromTheBuildBundleDraws) {
    std::filesystem::path bundle = std::filesystem::path(QUILLABY_BUILD_DIR) / "bundle";
    if (!std::filesystem::exists(bundle / "BUN001.plist"))
        GTEST_SKIP() << "the bundle has not been generated";
    foundation::Bundle::setMainBundlePath(bundle.string());
    StaticFileCache::clearCache();
    auto sheet = SpriteSheet::sheetWithName("BUN001");
    ASSERT_TRUE(sheet);
    auto names = sheet->frameNames();
    ASSERT_FALSE(names.empty());
    auto frame = sheet->frameNamed(names.front());
    ASSERT_TRUE(frame);
    EXPECT_GT(frame->rect.size.width, 0);
    auto manager = sheet->spriteManager(1);
    ASSERT_TRUE(manager->texture());
    auto sprite = manager->createSpriteWithRect(frame->rect);
    manager->addChild(sprite, 0);
    sprite->setAnchorPoint({0, 0});
    sprite->setPosition({0, 0});
    drawScene(*manager);
    int drawn = 0;
    auto image = this->image();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            drawn += image.pixel(x, y) != Rgba {0, 0, 0, 255} ? 1 : 0;
    }
    EXPECT_GT(drawn, 100);
}

TEST_F(AtlasRenderTest, SheetsReadTheirFramesFromTheList) {
    auto frames = base::Dictionary::create();
    auto entry = [](float x, float y, float w, float h, float ox, float oy) {
        auto d = base::Dictionary::create();
        d->setObject("x", x);
        d->setObject("y", y);
        d->setObject("width", w);
        d->setObject("height", h);
        d->setObject("offsetX", ox);
        d->setObject("offsetY", oy);
        return base::Value(d);
    };
    frames->setObject("b.png", entry(8, 0, 8, 8, 1, -2));
    frames->setObject("A.png", entry(0, 0, 8, 8, 0, 0));
    frames->setObject("c.png", 5);
    auto list = base::Dictionary::create();
    list->setObject("frames", frames);
    test::writeList(resources->bundle() / "tiles.plist", list);

    auto sheet = SpriteSheet::sheetWithName("tiles");
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->imagePath(), (resources->bundle() / "tiles.png").string());
    EXPECT_EQ(sheet->frameNames(), (std::vector<std::string> {"A.png", "b.png", "c.png"}));
    auto b = sheet->frameNamed("b.png");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->rect, makeRect(8, 0, 8, 8));
    EXPECT_EQ(b->offset, (Point {1, -2}));
    EXPECT_FALSE(sheet->frameNamed("c.png"));
    EXPECT_FALSE(sheet->frameNamed("d.png"));
    EXPECT_FALSE(SpriteSheet::sheetWithName("nothing"));

    // A pack's sheet in the data folder.
    test::writeList(resources->dataFolder() / "visitor.plist", list);
    auto pack = SpriteSheet::sheetWithName("visitor");
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->imagePath(), (resources->dataFolder() / "visitor.png").string());
}

}
