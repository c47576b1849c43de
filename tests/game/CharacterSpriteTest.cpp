#include "SalonFixture.hpp"

#include <engine/AtlasSpriteManager.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Scheduler.hpp>
#include <foundation/Sandbox.hpp>
#include <game/salon/CharacterSprite.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using game::CharacterSprite;

class CharacterSpriteTest : public test::SalonFixture {
protected:
    base::Ref<CharacterSprite> customer(
        float x = 100, float y = 100, engine::Point offset = {0, 0}) {
        return CharacterSprite::create("CUS001", x, y, layer.get(), offset);
    }

    // The frames a customer's owner adds: walking three ways (left mirrors right),
    // standing, sitting.
    static void addCustomerFrames(CharacterSprite& body) {
        char const facings[4] = {'a', 'c', 'e', 'c'};
        for (int direction = 0; direction < 4; ++direction) {
            for (int frame = 0; frame < 9; ++frame) {
                char name[32];
                std::snprintf(name, sizeof name, "CUS001001%c%03d.png", facings[direction], frame);
                body.addFrame(name, CharacterSprite::WALK, direction);
            }
            body.addFrame(direction == CharacterSprite::DOWN
                    ? "CUS001002e000.png"
                    : std::string("CUS001001") + facings[direction] + "000.png",
                CharacterSprite::STAND, direction);
            body.addFrame("CUS001004e000.png", CharacterSprite::SIT, direction);
        }
    }
};

TEST_F(CharacterSpriteTest, StartsInvisibleStandingFacingDownWithSixteenEmptyAnimations) {
    auto body = customer(120, 80);
    auto* sprite = body->pSprite();
    ASSERT_NE(sprite, nullptr);
    EXPECT_FALSE(sprite->visible());
    EXPECT_EQ(sprite->position(), engine::makePoint(120, 80));
    EXPECT_EQ(sprite->parent(), body->pManager());
    EXPECT_EQ(body->pManager()->parent(), layer.get());
    EXPECT_NE(body->pManager()->texture(), nullptr);
    EXPECT_EQ(body->getAction(), CharacterSprite::STAND);
    EXPECT_EQ(body->getDirection(), CharacterSprite::DOWN);
    EXPECT_EQ(body->getFrameIndex(), 0);
    EXPECT_EQ(body->getDestPoint(), engine::makePoint(120, 80));
    EXPECT_EQ(body->fps(), 8);
    EXPECT_EQ(body->walkSpeed(), 60);
    ASSERT_NE(sprite->animations(), nullptr);
    EXPECT_EQ(sprite->animations()->size(), 16u);
    for (int action = 0; action < 4; ++action) {
        for (int direction = 0; direction < 4; ++direction) {
            auto* animation = body->animation(action, direction);
            EXPECT_EQ(animation->frames().size(), 0u);
            EXPECT_EQ(sprite->animationByName(CharacterSprite::getAnimationName(action, direction)),
                animation);
        }
    }
}

TEST_F(CharacterSpriteTest, AnimationNames) {
    struct Case {
        int action, direction;
        char const* name;
    };
    Case const cases[] = {
        {0, 0, "STANDUP"},
        {1, 3, "WALKLEFT"},
        {2, 2, "SITDOWN"},
        {3, 1, "SERVINGRIGHT"},
        {1, 7, "WALKDOWN"},
        {0, -1, "STANDDOWN"},
    };
    for (auto c : cases)
        EXPECT_EQ(CharacterSprite::getAnimationName(c.action, c.direction), c.name);
}

TEST_F(CharacterSpriteTest, FramesFromTheSheetWithTheirAnchors) {
    auto body = customer(100, 100, {4, 6});
    auto rect = body->getPicRect("CUS001001c003.png");
    EXPECT_EQ(rect.size, engine::makeSize(48, 80));
    EXPECT_GE(rect.origin.x, 0);
    EXPECT_EQ(body->getPicRect("nothing.png"), engine::makeRect(-1, -1, 0, 0));
    addCustomerFrames(*body);
    EXPECT_EQ(body->animation(CharacterSprite::WALK, CharacterSprite::RIGHT)->frames().size(), 9u);
    EXPECT_EQ(body->animation(CharacterSprite::STAND, CharacterSprite::DOWN)->frames().size(), 1u);
    // Frames the sheet lacks are skipped.
    body->addFrame("CUS001001c009.png", CharacterSprite::WALK, CharacterSprite::RIGHT);
    EXPECT_EQ(body->animation(CharacterSprite::WALK, CharacterSprite::RIGHT)->frames().size(), 9u);
    // Offsets 0 over 48 x 80 frames, shifted by the character's own offset; sitting
    // lowers the body by 8.
    auto walk = body->frameOffset(CharacterSprite::WALK, CharacterSprite::RIGHT);
    EXPECT_FLOAT_EQ(walk.x, 4.0f / 48 + 0.5f);
    EXPECT_FLOAT_EQ(walk.y, 6.0f / 80);
    auto sit = body->frameOffset(CharacterSprite::SIT, CharacterSprite::DOWN);
    auto sitRect = body->getPicRect("CUS001004e000.png");
    EXPECT_FLOAT_EQ(sit.y, (8.0f + 6.0f) / sitRect.size.height);
}

TEST_F(CharacterSpriteTest, FrameStepsByTheFrameRate) {
    auto body = customer();
    addCustomerFrames(*body);
    body->changeAction(CharacterSprite::WALK);
    // 8 frames a second in steps of 1/60 s: a new frame on every eighth step.
    int changes = 0, previous = body->getFrameIndex();
    std::vector<int> changedAt;
    for (int step = 1; step <= 40; ++step) {
        body->update(1.0f / 60);
        if (body->getFrameIndex() != previous) {
            changedAt.push_back(step);
            previous = body->getFrameIndex();
            ++changes;
        }
    }
    EXPECT_EQ(changedAt, (std::vector<int> {8, 16, 24, 32, 40}));
    EXPECT_EQ(body->getFrameIndex(), 5);
    // The index wraps at the animation's length, both ways.
    body->setFrameIndex(8);
    body->nextFrame();
    EXPECT_EQ(body->getFrameIndex(), 0);
    body->prevFrame();
    EXPECT_EQ(body->getFrameIndex(), 8);
    EXPECT_EQ(body->pSprite()->textureRect(), body->getPicRect("CUS001001e008.png"));

    // A one-frame animation never moves.
    body->changeAction(CharacterSprite::SIT);
    for (int step = 0; step < 60; ++step)
        body->update(1.0f / 60);
    EXPECT_EQ(body->getFrameIndex(), 0);

    body->setFPS(7.9f);
    body->setWalkSpeed(99.9f);
    EXPECT_EQ(body->fps(), 7);
    EXPECT_EQ(body->walkSpeed(), 99);
}

TEST_F(CharacterSpriteTest, WalkingFacesTheLargerDistance) {
    struct Case {
        float x, y;
        int direction;
        bool mirrored;
    };
    Case const cases[] = {
        {103, 97, CharacterSprite::DOWN, false},
        {200, 100, CharacterSprite::RIGHT, false},
        {0, 120, CharacterSprite::LEFT, true},
        {110, 300, CharacterSprite::UP, false},
        {100.9f, 99.5f, CharacterSprite::DOWN, false},
        {100, 100, CharacterSprite::UP, false},
    };
    for (auto c : cases) {
        auto body = customer(100, 100);
        addCustomerFrames(*body);
        body->walkTo({c.x, c.y});
        EXPECT_EQ(body->getAction(), CharacterSprite::WALK) << c.x << "," << c.y;
        EXPECT_EQ(body->getDirection(), c.direction) << c.x << "," << c.y;
        EXPECT_EQ(body->pSprite()->flipX(), c.mirrored) << c.x << "," << c.y;
        EXPECT_EQ(body->getDestPoint(), engine::makePoint(c.x, c.y));
    }
}

TEST_F(CharacterSpriteTest, WalksAtItsSpeedAndStopsWhereItIs) {
    auto body = customer(100, 100);
    addCustomerFrames(*body);
    body->setWalkSpeed(120);
    body->walkTo({220, 100});
    // An action starts moving on the frame after it was run: 30 steps of 1/60 s at
    // 120 points a second after that.
    frames(31);
    EXPECT_NEAR(body->pSprite()->position().x, 160, 0.01);
    // Sums of frame times fall a hair short of a whole second: one frame more.
    frames(31);
    EXPECT_EQ(body->pSprite()->position(), engine::makePoint(220, 100));

    body->walkTo({220, 40});
    frames(15);
    body->pause();
    auto paused = body->pSprite()->position();
    frames(15);
    EXPECT_EQ(body->pSprite()->position(), paused);
    body->resume();
    frames(5);
    EXPECT_LT(body->pSprite()->position().y, paused.y);

    body->stop();
    auto stopped = body->pSprite()->position();
    EXPECT_EQ(body->getDestPoint(), stopped);
    EXPECT_EQ(body->getAction(), CharacterSprite::STAND);
    frames(10);
    EXPECT_EQ(body->pSprite()->position(), stopped);
}

TEST_F(CharacterSpriteTest, DepthFollowsTheHeightOnTheScreen) {
    auto low = customer(100, 20);
    auto high = customer(100, 200);
    low->updateZPos();
    high->updateZPos();
    EXPECT_EQ(low->getZPos(), 3200 - 200);
    EXPECT_EQ(high->getZPos(), 3200 - 2000);
    high->setZPosOffset(-1);
    high->updateZPos();
    EXPECT_EQ(high->getZPos(), 1199);
    // The layer draws the lower body last, in front.
    EXPECT_EQ(layer->children().back().get(), low->pManager());
    // Any frame change keeps the depth: after moving up, a redraw reorders.
    low->pSprite()->setPosition({100, 250});
    low->updateFrame();
    EXPECT_EQ(low->getZPos(), 3200 - 2500);
}

TEST_F(CharacterSpriteTest, OutlineSettingsGoToTheBatch) {
    auto body = customer();
    body->setStroke(true);
    body->setStrokeColor({150, 80, 150});
    body->setStrokeSize(2);
    EXPECT_TRUE(body->pManager()->stroke());
    EXPECT_EQ(body->pManager()->strokeColor(), (engine::Color3B {150, 80, 150}));
    EXPECT_FLOAT_EQ(body->pManager()->strokeSize(), 2);
}

TEST_F(CharacterSpriteTest, MissingSheetDrawsNothingAndSaysNothingOfFrames) {
    auto body = CharacterSprite::create("NOSUCHSHEET", 50, 50, layer.get(), {0, 0});
    EXPECT_EQ(body->getPicRect("NOSUCHSHEET001e000.png"), engine::makeRect(-1, -1, 0, 0));
    body->addFrame("NOSUCHSHEET001e000.png", CharacterSprite::WALK, CharacterSprite::DOWN);
    EXPECT_EQ(body->animation(CharacterSprite::WALK, CharacterSprite::DOWN)->frames().size(), 0u);
    body->changeAction(CharacterSprite::WALK);
    body->update(1);
    EXPECT_EQ(body->getFrameIndex(), 0);
}

TEST_F(CharacterSpriteTest, SheetsOfDownloadedCharactersComeFromTheDataFolder) {
    auto folder = sandbox / "Library/Marrowby";
    std::filesystem::create_directories(folder);
    auto bundle = std::filesystem::path(QUILLABY_BUILD_DIR) / "bundle";
    std::filesystem::copy_file(bundle / "DOG001.plist", folder / "PACKDOG.plist");
    std::filesystem::copy_file(bundle / "DOG001.png", folder / "PACKDOG.png");
    auto body = CharacterSprite::create("PACKDOG", 50, 50, layer.get(), {0, 0});
    body->addFrame("DOG001001e000.png", CharacterSprite::WALK, CharacterSprite::DOWN);
    EXPECT_EQ(body->animation(CharacterSprite::WALK, CharacterSprite::DOWN)->frames().size(), 1u);
    EXPECT_NE(body->pManager()->texture(), nullptr);

    // A name that leads out of the data folder reads nothing there.
    std::filesystem::copy_file(bundle / "DOG001.plist", sandbox / "Library/ESCAPE.plist");
    auto outside = CharacterSprite::create("../ESCAPE", 50, 50, layer.get(), {0, 0});
    outside->addFrame("DOG001001e000.png", CharacterSprite::WALK, CharacterSprite::DOWN);
    EXPECT_EQ(
        outside->animation(CharacterSprite::WALK, CharacterSprite::DOWN)->frames().size(), 0u);
}

TEST_F(CharacterSpriteTest, ReleasingTheBodyTakesItsBatchOffTheLayer) {
    auto body = customer();
    EXPECT_EQ(layer->children().size(), 1u);
    body = nullptr;
    EXPECT_EQ(layer->children().size(), 0u);
}

}
