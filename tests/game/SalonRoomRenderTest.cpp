#include "SalonFixture.hpp"

#include <engine/Sprite.hpp>
#include <game/salon/CharacterSprite.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/PathWalker.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonRoadMap.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

namespace {

using game::CharacterSprite;

// A customer's body that takes its turning points from the path finder and walks
// them one after another, as the salon's characters do.
class Walker final : public game::PathWalker {
public:
    explicit Walker(CharacterSprite& body)
        : body_(body) { }

    void insertWalkPath(engine::Point point) override { path.push_front(point); }
    void setBWaitingPathFind(bool) override { }

    // One frame: the next leg starts when the last one has arrived.
    void step(float dt) {
        auto position = body_.pSprite()->position();
        if (position == body_.getDestPoint() && !path.empty()) {
            body_.walkTo(path.front());
            path.pop_front();
        }
        body_.update(dt);
    }

    std::deque<engine::Point> path;

private:
    CharacterSprite& body_;
};

class SalonRoomRenderTest : public test::SalonFixture {
protected:
    void buildRoom() {
        auto floor = engine::Sprite::spriteWithFile("qrn_ip_bg01.jpg");
        floor->setAnchorPoint({0.5f, 1});
        floor->setPosition({240, 295});
        layer->addChild(floor, 0);
        auto wall = engine::Sprite::spriteWithFile("qrn_ip_wall01.png");
        wall->setAnchorPoint({0.5f, 1});
        wall->setPosition({240, 295});
        layer->addChild(wall, 1110);
        auto door = engine::Sprite::spriteWithFile("qrn_ip_door.png");
        door->setAnchorPoint({0.5f, 0});
        door->setPosition({165, 214});
        layer->addChild(door, 1110);
        struct Place {
            char const* name;
            float x, y;
        };
        Place const places[] = {
            {"sofa", 220, 200},
            {"sofa", 260, 200},
            {"sofa", 300, 200},
            {"sofa", 340, 200},
            {"counter", 60, 20},
            {"bath", 220, 120},
            {"bath", 300, 120},
            {"drying", 250, 50},
            {"hair", 450, 110},
            {"lamp", 20, 130},
        };
        for (auto const& place : places)
            furniture.push_back(
                game::QBY_Furniture::createFurniture(place.name, 1, place.x, place.y, layer.get()));
    }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        layer->visit();
        glDisable(GL_BLEND);
        glFinish();
    }

    std::vector<base::Ref<game::QBY_Furniture>> furniture;
};

TEST_F(SalonRoomRenderTest, ACustomerWalksItsPathInTheRoom) {
    buildRoom();
    auto finder = game::PathFindingSystem::create();
    game::SalonRoadMap::writeTo(*finder);

    // From the door to the first sofa's seat, facing the way each leg goes.
    auto body = CharacterSprite::create("CUS001", 160, 190, layer.get(), {0, 0});
    char const facings[4] = {'a', 'c', 'e', 'c'};
    for (int direction = 0; direction < 4; ++direction) {
        for (int frame = 0; frame < 9; ++frame) {
            char name[32];
            std::snprintf(name, sizeof name, "CUS001001%c%03d.png", facings[direction], frame);
            body->addFrame(name, CharacterSprite::WALK, direction);
        }
    }
    body->setWalkSpeed(120);
    body->setFPS(12);
    body->pSprite()->setVisible(true);
    Walker walker(*body);
    finder->findPath(16, 19, 22, 20, &walker);
    ASSERT_EQ(walker.path.size(), 3u);

    struct Seen {
        int direction;
        engine::Point position;
        int z;
    };
    // A bath at work beside the walk.
    auto& bath = *furniture[5];
    bath.showVFX();
    game::GameGlobals::shared().deltaTime = 1.0f / 60;

    std::vector<Seen> seen;
    bool shot = false;
    for (int frame = 0; frame < 120; ++frame) {
        walker.step(1.0f / 60);
        bath.updateVFX();
        frames(1);
        body->updateZPos();
        auto position = body->pSprite()->position();
        seen.push_back({body->getDirection(), position, body->getZPos()});
        if (!shot && position.x >= 200) {
            // Mid-corridor, walking right in front of the sofas.
            draw();
            auto path = saveImage("salon-room-walk");
            std::printf("room screenshot: %s\n", path.c_str());
            EXPECT_EQ(body->getDirection(), CharacterSprite::RIGHT);
            EXPECT_FALSE(body->pSprite()->flipX());
            // The body is drawn: its pixels differ from the room without it.
            auto with = pixel(int(position.x), int(position.y) + 30);
            body->pSprite()->setVisible(false);
            draw();
            auto without = pixel(int(position.x), int(position.y) + 30);
            body->pSprite()->setVisible(true);
            EXPECT_NE(with, without);
            shot = true;
        }
    }
    EXPECT_TRUE(shot);
    // Right along the corridor, then up into the seat; in front of the wall all the
    // way, at the depth of its height.
    EXPECT_EQ(seen.front().direction, CharacterSprite::RIGHT);
    EXPECT_EQ(seen.back().direction, CharacterSprite::UP);
    EXPECT_EQ(seen.back().position, engine::makePoint(220, 200));
    for (auto const& s : seen) {
        EXPECT_EQ(s.z, int(3200 - 10 * double(s.position.y)));
        EXPECT_GT(s.z, 1110);
    }
}

}
