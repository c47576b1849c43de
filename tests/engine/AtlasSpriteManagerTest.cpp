#include "EngineFixture.hpp"

#include <engine/AtlasAnimation.hpp>
#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/IntervalAction.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace engine;

namespace {

// Managers without a texture: indices, quads and positions need no GL.
class AtlasSpriteManagerTest : public test::EngineTest {
protected:
    base::Ref<AtlasSpriteManager> manager = AtlasSpriteManager::spriteManagerWithTexture(nullptr);

    // A sprite whose quad carries its number in the red channel.
    base::Ref<AtlasSprite> numbered(int number) {
        auto sprite = manager->createSpriteWithRect(makeRect(0, 0, 8, 8));
        sprite->setColor({std::uint8_t(number), 0, 0});
        return sprite;
    }

    std::vector<int> atlasNumbers() const {
        std::vector<int> out;
        auto* atlas = manager->textureAtlas();
        for (std::size_t i = 0; i < atlas->totalQuads(); ++i)
            out.push_back(atlas->quads()[i].tl.colors.r);
        return out;
    }

    std::vector<int> childNumbers() const {
        std::vector<int> out;
        for (auto const& child : manager->children())
            out.push_back(static_cast<AtlasSprite*>(child.get())->color().r);
        return out;
    }

    // Children and quads in the same order, each child knowing its index.
    void expectInStep() const {
        EXPECT_EQ(atlasNumbers(), childNumbers());
        for (std::size_t i = 0; i < manager->children().size(); ++i)
            EXPECT_EQ(static_cast<AtlasSprite*>(manager->children()[i].get())->atlasIndex(), i);
        EXPECT_EQ(manager->totalSprites(), manager->children().size());
        EXPECT_EQ(manager->textureAtlas()->totalQuads(), manager->children().size());
    }
};

TEST_F(AtlasSpriteManagerTest, ChildrenAndQuadsFollowZOrder) {
    manager->addChild(numbered(10), 0);
    manager->addChild(numbered(12), 2);
    manager->addChild(numbered(11), 1);
    EXPECT_EQ(childNumbers(), (std::vector<int> {10, 11, 12}));
    expectInStep();
    // Equal z goes after the sprites already there.
    manager->addChild(numbered(13), 1);
    EXPECT_EQ(childNumbers(), (std::vector<int> {10, 11, 13, 12}));
    expectInStep();
}

TEST_F(AtlasSpriteManagerTest, TheAtlasGrowsByAThirdWhenFull) {
    EXPECT_EQ(manager->textureAtlas()->capacity(), 29u);
    for (int i = 0; i < 29; ++i)
        manager->addChild(numbered(i), 0);
    EXPECT_EQ(manager->textureAtlas()->capacity(), 29u);
    manager->addChild(numbered(29), 0);
    EXPECT_EQ(manager->textureAtlas()->capacity(), 40u);
    for (int i = 30; i < 41; ++i)
        manager->addChild(numbered(i), 0);
    EXPECT_EQ(manager->textureAtlas()->capacity(), 54u);
    expectInStep();
}

TEST_F(AtlasSpriteManagerTest, RemovingAtEveryPositionKeepsChildrenAndQuadsInStep) {
    for (int at = 0; at < 4; ++at) {
        manager = AtlasSpriteManager::spriteManagerWithTexture(nullptr, 4);
        for (int i = 0; i < 4; ++i)
            manager->addChild(numbered(i), i);
        auto* removed = static_cast<AtlasSprite*>(manager->children()[std::size_t(at)].get());
        base::Ref<AtlasSprite> keep(removed);
        manager->removeChild(removed, Cleanup::Yes);
        std::vector<int> expected = {0, 1, 2, 3};
        expected.erase(expected.begin() + at);
        EXPECT_EQ(childNumbers(), expected) << "at " << at;
        expectInStep();
        // A removed sprite no longer writes into the atlas.
        EXPECT_EQ(removed->atlasIndex(), AtlasSprite::notInAtlas);
        removed->setColor({99, 0, 0});
        EXPECT_EQ(atlasNumbers(), expected) << "at " << at;
    }
}

TEST_F(AtlasSpriteManagerTest, RemovalByPositionAndOfEverything) {
    for (int i = 0; i < 3; ++i)
        manager->addChild(numbered(i), i);
    manager->removeChildAtIndex(1, Cleanup::Yes);
    EXPECT_EQ(childNumbers(), (std::vector<int> {0, 2}));
    expectInStep();
    auto other = manager->createSpriteWithRect(makeRect(0, 0, 1, 1));
    manager->removeChild(other.get(), Cleanup::Yes); // not a child: ignored
    manager->removeChild(nullptr, Cleanup::Yes);
    EXPECT_EQ(manager->totalSprites(), 2u);
    manager->removeAllChildrenWithCleanup(Cleanup::Yes);
    EXPECT_EQ(manager->totalSprites(), 0u);
    EXPECT_EQ(manager->textureAtlas()->totalQuads(), 0u);
    manager->addChild(numbered(5), 0);
    expectInStep();
}

TEST_F(AtlasSpriteManagerTest, ReorderingMovesTheQuadWithTheChild) {
    std::vector<base::Ref<AtlasSprite>> sprites;
    for (int i = 0; i < 5; ++i) {
        sprites.push_back(numbered(i));
        manager->addChild(sprites.back(), i);
    }
    manager->reorderChild(sprites[4].get(), 1);
    EXPECT_EQ(childNumbers(), (std::vector<int> {0, 1, 4, 2, 3}));
    expectInStep();
    manager->reorderChild(sprites[0].get(), 10);
    EXPECT_EQ(childNumbers(), (std::vector<int> {1, 4, 2, 3, 0}));
    expectInStep();
    manager->reorderChild(sprites[2].get(), 2); // same z: stays
    EXPECT_EQ(childNumbers(), (std::vector<int> {1, 4, 2, 3, 0}));
    expectInStep();
}

TEST_F(AtlasSpriteManagerTest, ASpriteOfAnotherManagerMovesToThisAtlas) {
    auto other = AtlasSpriteManager::spriteManagerWithTexture(nullptr);
    auto sprite = other->createSpriteWithRect(makeRect(0, 0, 4, 4));
    sprite->setColor({7, 0, 0});
    manager->addChild(sprite, 0);
    EXPECT_EQ(sprite->textureAtlas(), manager->textureAtlas());
    EXPECT_EQ(other->textureAtlas()->totalQuads(), 0u);
    expectInStep();
}

TEST_F(AtlasSpriteManagerTest, QuadPositionsFollowTheTransform) {
    auto sprite = manager->createSpriteWithRect(makeRect(0, 0, 32, 32));
    manager->addChild(sprite, 0);
    sprite->setPosition({100, 50});
    EXPECT_TRUE(sprite->dirty());
    sprite->updatePosition();
    EXPECT_FALSE(sprite->dirty());
    auto const& q = manager->textureAtlas()->quads()[0];
    EXPECT_EQ(q.bl.vertices, (Vertex3F {84, 34, 0}));
    EXPECT_EQ(q.br.vertices, (Vertex3F {116, 34, 0}));
    EXPECT_EQ(q.tl.vertices, (Vertex3F {84, 66, 0}));
    EXPECT_EQ(q.tr.vertices, (Vertex3F {116, 66, 0}));

    sprite->setScaleX(2);
    sprite->setVertexZ(3);
    sprite->updatePosition();
    EXPECT_EQ(q.bl.vertices, (Vertex3F {68, 34, 3}));
    EXPECT_EQ(q.tr.vertices, (Vertex3F {132, 66, 3}));

    sprite->setScale(1);
    sprite->setVertexZ(0);
    sprite->setRotation(90); // clockwise
    sprite->updatePosition();
    EXPECT_NEAR(q.bl.vertices.x, 84, 1e-4);
    EXPECT_NEAR(q.bl.vertices.y, 66, 1e-4);
    EXPECT_NEAR(q.br.vertices.x, 84, 1e-4);
    EXPECT_NEAR(q.br.vertices.y, 34, 1e-4);
    EXPECT_NEAR(q.tr.vertices.x, 116, 1e-4);
    EXPECT_NEAR(q.tr.vertices.y, 34, 1e-4);
}

TEST_F(AtlasSpriteManagerTest, AnInvisibleSpriteKeepsItsSlotButDrawsNothing) {
    manager->addChild(numbered(1), 0);
    auto sprite = numbered(2);
    manager->addChild(sprite, 1);
    sprite->setPosition({40, 40});
    sprite->setVisible(false);
    sprite->updatePosition();
    auto const& q = manager->textureAtlas()->quads()[1];
    for (auto const* corner : {&q.tl, &q.bl, &q.tr, &q.br})
        EXPECT_EQ(corner->vertices, (Vertex3F {0, 0, 0}));
    EXPECT_EQ(manager->textureAtlas()->totalQuads(), 2u);
    EXPECT_EQ(q.tl.colors.r, 2);
}

TEST_F(AtlasSpriteManagerTest, ColourAndOpacityAreWrittenAtOnce) {
    auto sprite = numbered(0);
    manager->addChild(sprite, 0);
    sprite->setColor({10, 20, 30});
    sprite->setOpacity(40);
    auto const& q = manager->textureAtlas()->quads()[0];
    EXPECT_EQ(q.br.colors, (Color4B {10, 20, 30, 40}));
    EXPECT_FALSE(sprite->doesOpacityModifyRGB());
    sprite->setOpacityModifyRGB(true);
    sprite->setOpacity(50);
    EXPECT_EQ(q.tl.colors, (Color4B {50, 50, 50, 50}));
    EXPECT_EQ(sprite->color(), (Color3B {50, 50, 50}));
}

TEST_F(AtlasSpriteManagerTest, AnUnchangedFlipLeavesTheQuadAlone) {
    auto sprite = numbered(0);
    manager->addChild(sprite, 0);
    auto& q = manager->textureAtlas()->quads()[0];
    sprite->setFlipX(false);
    q.tl.colors.g = 77;
    sprite->setFlipX(false);
    EXPECT_EQ(q.tl.colors.g, 77);
    sprite->setFlipX(true);
    EXPECT_EQ(q.tl.colors.g, 0);
    EXPECT_TRUE(sprite->flipX());
}

TEST_F(AtlasSpriteManagerTest, TheRectangleSetsTheContentSize) {
    auto sprite = manager->createSpriteWithRect(makeRect(4, 8, 20, 10));
    EXPECT_EQ(sprite->contentSize(), (Size {20, 10}));
    EXPECT_EQ(sprite->transformAnchor(), (Point {10, 5}));
    EXPECT_EQ(sprite->atlasIndex(), AtlasSprite::notInAtlas);
    EXPECT_TRUE(sprite->dirty());
    sprite->setTextureRect(makeRect(0, 0, 6, 6));
    EXPECT_EQ(sprite->contentSize(), (Size {6, 6}));
    EXPECT_EQ(sprite->textureRect(), makeRect(0, 0, 6, 6));
}

TEST_F(AtlasSpriteManagerTest, FramesAreRectangles) {
    auto sprite = manager->createSpriteWithRect(makeRect(0, 0, 8, 8));
    auto animation = AtlasAnimation::animationWithName("walk", 0.1f);
    animation->addFrameWithRect(makeRect(8, 0, 8, 8));
    animation->addFrameWithRect(makeRect(16, 0, 8, 8));
    sprite->addAnimation(animation);
    EXPECT_EQ(sprite->animationByName("walk"), animation.get());
    EXPECT_EQ(sprite->animationByName("run"), nullptr);

    sprite->setDisplayFrame("walk", 1);
    EXPECT_EQ(sprite->textureRect(), makeRect(16, 0, 8, 8));
    auto* shown = sprite->displayFrame();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(sprite->isFrameDisplayed(shown));
    EXPECT_TRUE(sprite->isFrameDisplayed(animation->frames()[1].get()));
    EXPECT_FALSE(sprite->isFrameDisplayed(animation->frames()[0].get()));
    EXPECT_FALSE(sprite->isFrameDisplayed(nullptr));

    test::LogCapture log;
    sprite->setDisplayFrame("walk", 2);
    EXPECT_TRUE(log.contains("AtlasSprite#setDisplayFrame. Invalid frame"));
    EXPECT_EQ(sprite->textureRect(), Rect {});
    sprite->setDisplayFrame("missing", 0);
    EXPECT_EQ(log.lines().size(), 2u);

    sprite->setDisplayFrame(animation->frames()[0].get());
    EXPECT_EQ(sprite->textureRect(), makeRect(8, 0, 8, 8));
    sprite->setDisplayFrame(nullptr);
    EXPECT_EQ(sprite->textureRect(), Rect {});
}

TEST_F(AtlasSpriteManagerTest, AnimateShowsEachRectangleAndRestoresTheFirst) {
    auto sprite = manager->createSpriteWithRect(makeRect(0, 0, 8, 8));
    manager->addChild(sprite, 0);
    auto animation = AtlasAnimation::animationWithName("walk", 0.5f);
    animation->addFrameWithRect(makeRect(8, 0, 8, 8));
    animation->addFrameWithRect(makeRect(16, 0, 8, 8));
    auto animate = Animate::actionWithAnimation(animation);
    EXPECT_EQ(animate->duration(), 1);
    animate->setTarget(sprite.get());
    animate->start();
    animate->update(0.25f);
    EXPECT_EQ(sprite->textureRect(), makeRect(8, 0, 8, 8));
    animate->update(0.75f);
    EXPECT_EQ(sprite->textureRect(), makeRect(16, 0, 8, 8));
    animate->stop();
    EXPECT_EQ(sprite->textureRect(), makeRect(0, 0, 8, 8));
}

TEST_F(AtlasSpriteManagerTest, DescriptionsNameTheRectangle) {
    auto sprite = manager->createSpriteWithRect(makeRect(1, 2, 3, 4));
    sprite->setTag(7);
    EXPECT_TRUE(sprite->description().ends_with(" | Rect = (1.00,2.00,3.00,4.00) | tag = 7>"));
    auto frame = AtlasSpriteFrame::frameWithRect(makeRect(1, 2, 3, 4));
    EXPECT_TRUE(frame->description().starts_with("<AtlasSpriteFrame = "));
    EXPECT_TRUE(frame->description().ends_with(" | Rect = (1.00,2.00,3.00,4.00)>"));
}

TEST_F(AtlasSpriteManagerTest, TheBlendFollowsTheTexture) {
    EXPECT_EQ(manager->blendFunc(), straightAlphaBlendFunc);
    EXPECT_FALSE(manager->stroke());
    EXPECT_EQ(manager->strokeColor(), (Color3B {255, 255, 255}));
    EXPECT_EQ(manager->strokeSize(), 0);
}

// Removed sprites leave their places and quads behind until the next read squeezes
// them out: against a plain list kept by z then arrival, any mix of adds at any z,
// removals and reorders keeps children and quads in step, and a removed sprite's
// later changes reach no quad.
TEST_F(AtlasSpriteManagerTest, AnyMixOfChangesKeepsChildrenAndQuadsInStep) {
    std::vector<base::Ref<AtlasSprite>> sprites;
    for (int i = 0; i < 40; ++i)
        sprites.push_back(numbered(i));
    std::vector<AtlasSprite*> model;
    auto insert = [&model](AtlasSprite* sprite, int z) {
        auto place = std::find_if(
            model.begin(), model.end(), [z](AtlasSprite* s) { return s->zOrder() > z; });
        model.insert(place, sprite);
    };
    std::uint32_t seed = 5;
    auto next = [&seed](int bound) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(bound));
    };
    for (int step = 0; step < 3000; ++step) {
        auto* sprite = sprites[std::size_t(next(int(sprites.size())))].get();
        bool isChild = sprite->parent() == manager.get();
        int what = next(10);
        int z = next(3);
        if (what < 5 && !isChild) {
            manager->addChild(base::Ref<SceneNode>(sprite), z);
            insert(sprite, z);
        } else if (what < 8 && isChild) {
            manager->removeChild(sprite, Cleanup::No);
            std::erase(model, sprite);
            // A removed sprite writes nowhere, even before its place is squeezed out.
            // (Reading the quads squeezes the places out, so only now and then.)
            if (step % 5 == 0) {
                auto number = sprite->color().r;
                sprite->setColor({200, 0, 0});
                auto quads = atlasNumbers();
                ASSERT_EQ(std::count(quads.begin(), quads.end(), 200), 0) << "at step " << step;
                sprite->setColor({number, 0, 0});
            }
        } else if (what < 9 && isChild) {
            bool moves = sprite->zOrder() != z;
            manager->reorderChild(sprite, z);
            if (moves) {
                std::erase(model, sprite);
                insert(sprite, z);
            }
        } else if (step % 13 == 0) {
            std::vector<int> expected;
            for (auto* s : model)
                expected.push_back(s->color().r);
            ASSERT_EQ(childNumbers(), expected) << "at step " << step;
            expectInStep();
            ASSERT_FALSE(HasFailure()) << "at step " << step;
        }
    }
    std::vector<int> expected;
    for (auto* s : model)
        expected.push_back(s->color().r);
    EXPECT_EQ(childNumbers(), expected);
    expectInStep();
}

// Sixteen-bit indices reach 65,536 vertices, four a sprite: the batch takes 16,384
// sprites and refuses the next ones with a logged line, without stopping the program.
TEST_F(AtlasSpriteManagerTest, ABatchPastSixteenBitIndicesRefusesMoreSpritesAndGoesOn) {
    test::LogCapture log;
    std::size_t const limit = 65536 / 4;
    for (std::size_t i = 0; i < limit + 20; ++i)
        manager->addChild(manager->createSpriteWithRect(makeRect(0, 0, 4, 4)), 0);
    EXPECT_EQ(manager->totalSprites(), limit);
    EXPECT_EQ(manager->children().size(), limit);
    EXPECT_EQ(manager->textureAtlas()->capacity(), limit);
    EXPECT_TRUE(log.contains("sprite not added"));
    // A refused sprite is left without a parent; after a removal there is room again.
    auto refused = manager->createSpriteWithRect(makeRect(0, 0, 4, 4));
    manager->addChild(refused, 0);
    EXPECT_EQ(refused->parent(), nullptr);
    manager->removeChildAtIndex(0, Cleanup::Yes);
    manager->addChild(refused, 0);
    EXPECT_EQ(refused->parent(), manager.get());
    EXPECT_EQ(manager->totalSprites(), limit);
    EXPECT_EQ(refused->atlasIndex(), limit - 1);
}

TEST_F(AtlasSpriteManagerTest, OnlyAtlasSpritesMayBeChildren) {
    EXPECT_DEATH(manager->addChild(SceneNode::node(), 0),
        "AtlasSpriteManager only supports AtlasSprites as children");
    auto sprite = manager->createSpriteWithRect(makeRect(0, 0, 1, 1));
    EXPECT_DEATH(sprite->addChild(SceneNode::node(), 0), "AtlasSprite can't have children");
}

}
