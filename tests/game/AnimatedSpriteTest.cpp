// Effect sprites cut from a sheet on the off-screen GL fixture: frame order, the tick at a
// frame rate, wrapping, anchor points from the offsets, and the batch node in its parent.

#include "ShellStates.hpp"

#include <engine/ActionManager.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Layer.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <support/GLFixture.hpp>

using engine::Point;
using game::AnimatedSprite;

namespace {

class AnimatedSpriteTest : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        reset();
        std::filesystem::create_directories(bundle);
        foundation::Bundle::setMainBundlePath(bundle.string());
        test::writePicture(bundle / "sheet.png", 64, 32);
        test::writePicture(bundle / "single.png", 16, 16);
        auto effects = base::Dictionary::create();
        effects->setObject("sheet", offset(-10, 6));
        test::writePlist(bundle / "vfxList.plist", *effects);
        // Keys in an order that only a case-blind sort puts right: a, B, c.
        writeSheet("sheet",
            {{"c", 32, 0, 16, 20, 0, 0}, {"B", 16, 0, 16, 20, 0, 0}, {"a", 0, 0, 16, 20, 2, 4}});
        writeSheet("single", {{"only", 0, 0, 16, 16, 0, 0}});
        parent = engine::Layer::node();
        parent->onEnter();
    }
    void TearDown() override {
        parent->onExit();
        parent = nullptr;
        reset();
        foundation::Bundle::setMainBundlePath({});
        GLFixture::TearDown();
    }
    static void reset() {
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
        engine::TextureMgr::purgeSharedTextureMgr();
        engine::StaticFileCache::clearCache();
    }

    struct Frame {
        std::string key;
        double x, y, width, height, offsetX, offsetY;
    };
    void writeSheet(std::string const& name, std::vector<Frame> const& frames) {
        auto list = base::Dictionary::create();
        for (auto const& f : frames) {
            auto entry = base::Dictionary::create();
            entry->setObject("x", f.x);
            entry->setObject("y", f.y);
            entry->setObject("width", f.width);
            entry->setObject("height", f.height);
            entry->setObject("offsetX", f.offsetX);
            entry->setObject("offsetY", f.offsetY);
            list->setObject(f.key, base::Value(entry));
        }
        auto sheet = base::Dictionary::create();
        sheet->setObject("frames", base::Value(list));
        test::writePlist(bundle / (name + ".plist"), *sheet);
    }
    static base::Value offset(double x, double y) {
        auto entry = base::Dictionary::create();
        entry->setObject("offsetX", x);
        entry->setObject("offsetY", y);
        return base::Value(entry);
    }

    test::TempDir dir;
    std::filesystem::path bundle {dir / "bundle"};
    base::Ref<engine::Layer> parent;
};

TEST_F(AnimatedSpriteTest, FramesPlayInCaseBlindKeyOrderAtEightASecond) {
    auto sprite = AnimatedSprite::init("sheet", 40, 50, parent.get(), 3.9f);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->frameCount(), 3u);
    EXPECT_EQ(sprite->manager()->parent(), parent.get());
    EXPECT_EQ(sprite->getZPos(), 3);
    EXPECT_EQ(sprite->position(), (Point {40, 50}));
    EXPECT_EQ(sprite->fps(), 8);
    // Nothing is shown until the first change.
    EXPECT_EQ(sprite->textureRect().size.width, 0);
    sprite->setFrameIndex(0);
    EXPECT_EQ(sprite->textureRect().size.width, 0);

    // Ticks of 1/60 s: the 8th gathers 8/60 >= 1/8 and shows frame 1, "B".
    for (int tick = 1; tick <= 7; ++tick)
        sprite->update(1.0f / 60);
    EXPECT_EQ(sprite->getFrameIndex(), 0);
    sprite->update(1.0f / 60);
    EXPECT_EQ(sprite->getFrameIndex(), 1);
    EXPECT_FLOAT_EQ(sprite->textureRect().origin.x, 16);
    // The count starts again from 0, the excess dropped.
    for (int tick = 1; tick <= 7; ++tick)
        sprite->update(1.0f / 60);
    EXPECT_EQ(sprite->getFrameIndex(), 1);
    sprite->update(1.0f / 60);
    EXPECT_EQ(sprite->getFrameIndex(), 2);
    EXPECT_FLOAT_EQ(sprite->textureRect().origin.x, 32);
    // One big tick changes one frame only, and wraps after the last.
    sprite->update(10);
    EXPECT_EQ(sprite->getFrameIndex(), 0);
    EXPECT_FLOAT_EQ(sprite->textureRect().origin.x, 0);
    sprite->destroy();
}

TEST_F(AnimatedSpriteTest, TheRateIsCutToAWholeNumberAndZeroStopsIt) {
    auto sprite = AnimatedSprite::init("sheet", 0, 0, parent.get(), 0);
    sprite->setFPS(2.9f);
    EXPECT_EQ(sprite->fps(), 2);
    sprite->update(0.25f);
    EXPECT_EQ(sprite->getFrameIndex(), 0);
    sprite->update(0.25f);
    EXPECT_EQ(sprite->getFrameIndex(), 1);
    sprite->setFPS(0);
    for (int tick = 0; tick < 100; ++tick)
        sprite->update(1);
    EXPECT_EQ(sprite->getFrameIndex(), 1);
    sprite->destroy();
}

TEST_F(AnimatedSpriteTest, ASingleFrameNeverAdvancesAndStepsWrapBothWays) {
    auto single = AnimatedSprite::init("single", 0, 0, parent.get(), 0);
    single->update(5);
    EXPECT_EQ(single->getFrameIndex(), 0);
    EXPECT_EQ(single->textureRect().size.width, 0) << "still nothing shown";

    auto sprite = AnimatedSprite::init("sheet", 0, 0, parent.get(), 0);
    sprite->prevFrame();
    EXPECT_EQ(sprite->getFrameIndex(), 2);
    sprite->nextFrame();
    EXPECT_EQ(sprite->getFrameIndex(), 0);
    sprite->setFrameIndex(1);
    EXPECT_FLOAT_EQ(sprite->textureRect().origin.x, 16);
    single->destroy();
    sprite->destroy();
}

TEST_F(AnimatedSpriteTest, TheAnchorComesFromTheLastFrameInKeyOrderAndTheEffectsOffset) {
    // The last frame "c" has no offset of its own; the effect list gives (-10, 6):
    // x = -10 / 16 + 0.5, y = 6 / 20.
    auto sprite = AnimatedSprite::init("sheet", 0, 0, parent.get(), 0);
    EXPECT_EQ(sprite->globalOffset(), (Point {-10, 6}));
    sprite->nextFrame();
    EXPECT_FLOAT_EQ(sprite->anchorPoint().x, -10.0f / 16 + 0.5f);
    EXPECT_FLOAT_EQ(sprite->anchorPoint().y, 6.0f / 20);

    // A name missing from the list has no offset; an offset of minus half the width
    // puts the anchor's x at 0.
    auto plain = AnimatedSprite::init("single", 0, 0, parent.get(), 0);
    EXPECT_EQ(plain->globalOffset(), (Point {0, 0}));
    auto shifted = AnimatedSprite::init("single", 0, 0, parent.get(), 0, {-8, 0});
    shifted->updateAnchorPoint();
    EXPECT_FLOAT_EQ(shifted->anchorPoint().x, 0);
    for (auto* s : {sprite.get(), plain.get(), shifted.get()})
        s->destroy();
}

TEST_F(AnimatedSpriteTest, PictureRectanglesOfUnknownKeysAreMarked) {
    auto sprite = AnimatedSprite::init("sheet", 0, 0, parent.get(), 0);
    EXPECT_EQ(sprite->getPicRect("B"), engine::makeRect(16, 0, 16, 20));
    EXPECT_EQ(sprite->getPicRect("b"), engine::makeRect(-1, -1, 0, 0));
    sprite->addFrame("nope");
    EXPECT_EQ(sprite->frameCount(), 3u);
    sprite->destroy();
}

TEST_F(AnimatedSpriteTest, TheBatchNodeMovesInItsParentAndGoesOnDestroy) {
    auto sprite = AnimatedSprite::init("sheet", 0, 0, parent.get(), 5);
    auto other = engine::SceneNode::node();
    parent->addChild(other, 7);
    sprite->updateZPos(9);
    EXPECT_EQ(sprite->getZPos(), 9);
    EXPECT_EQ(parent->children().back().get(), sprite->manager());

    sprite->setStroke(true);
    sprite->setStrokeSize(2);
    EXPECT_TRUE(sprite->manager()->stroke());
    EXPECT_FLOAT_EQ(sprite->manager()->strokeSize(), 2);

    sprite->runAction(engine::FadeTo::actionWithDuration(1, 0));
    auto tick = [](int frames) {
        for (int i = 0; i < frames; ++i)
            engine::ActionManager::sharedManager().tick(0.1f);
    };
    sprite->pause();
    tick(5);
    EXPECT_EQ(sprite->opacity(), 255);
    sprite->resume();
    tick(5);
    EXPECT_LT(sprite->opacity(), 255);
    sprite->stop();
    EXPECT_EQ(sprite->numberOfRunningActions(), 0);

    sprite->destroy();
    EXPECT_EQ(parent->children().size(), 1u);
    EXPECT_EQ(sprite->manager(), nullptr);
    sprite->destroy();
}

}
