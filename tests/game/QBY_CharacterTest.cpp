#include "SalonDay.hpp"

#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using game::CharacterSprite;
using game::QBY_Character;

class QBY_CharacterTest : public test::SalonDayTest {
protected:
    std::vector<int> queueOf(QBY_Character const& character) {
        std::vector<int> queue;
        for (int i = 0; i < QBY_Character::serviceQuerySize; ++i) {
            queue.push_back(character.serviceAt(i));
            if (queue.back() == 1)
                break;
        }
        return queue;
    }

    base::Ref<QBY_Character> pet() {
        return QBY_Character::createCharacter(
            "DOG001", 200, 200, layer.get(), QBY_Character::typePet);
    }
};

TEST_F(QBY_CharacterTest, FrameNames) {
    struct Case {
        int type, action, direction, frame;
        char const* name;
    };
    Case const cases[] = {
        {0, CharacterSprite::STAND, CharacterSprite::DOWN, 0, "K002e000.png"},
        {0, CharacterSprite::STAND, CharacterSprite::UP, 0, "K001a000.png"},
        {0, CharacterSprite::WALK, CharacterSprite::LEFT, 7, "K001c007.png"},
        {0, CharacterSprite::SIT, CharacterSprite::RIGHT, 0, "K004e000.png"},
        {3, CharacterSprite::SIT, CharacterSprite::UP, 0, "K004e000.png"},
        {1, CharacterSprite::SIT, CharacterSprite::UP, 0, "K002e000.png"},
        {2, CharacterSprite::SERVING, CharacterSprite::RIGHT, 1, "K003c001.png"},
        {1, CharacterSprite::SERVING, CharacterSprite::RIGHT, 0, "K002e000.png"},
        {0, 9, CharacterSprite::UP, 0, "K002e000.png"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(QBY_Character::getPicName("K", c.type, c.action, c.direction, c.frame), c.name);
}

TEST_F(QBY_CharacterTest, LongWalkPathsAreNeverCut) {
    auto character = pet();
    // More points than the hundred a fixed path would hold, from both ends.
    for (int i = 0; i < 120; ++i)
        character->addWalkPath({float(i), 0});
    for (int i = 1; i <= 30; ++i)
        character->insertWalkPath({float(-i), 0});
    ASSERT_EQ(character->walkPathLength(), 150);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(character->walkPathPoint(i), (engine::Point {float(i - 30), 0})) << i;
    character->cleanWalkPath();
    EXPECT_EQ(character->walkPathLength(), 0);
}

TEST_F(QBY_CharacterTest, WalksItsPathPointByPointAndStands) {
    load();
    auto character = pet();
    character->setWalkSpeed(600);
    std::vector<engine::Point> points {{210, 200}, {210, 230}, {250, 230}};
    for (auto point : points)
        character->addWalkPath(point);
    std::vector<engine::Point> reached;
    for (int i = 0; i < 120 && character->walkPathLength() > 0; ++i) {
        auto before = character->walkPathLength();
        character->update();
        if (character->walkPathLength() < before)
            reached.push_back(character->pSprite()->position());
        frames(1);
    }
    EXPECT_EQ(reached, points);
    EXPECT_EQ(character->getAction(), CharacterSprite::STAND);
    EXPECT_TRUE(character->isReachDest());
}

TEST_F(QBY_CharacterTest, ReachesItsDestinationOnlyStandingOnIt) {
    auto character = pet();
    EXPECT_TRUE(character->isReachDest());
    character->addWalkPath({210, 200});
    EXPECT_FALSE(character->isReachDest());
    character->setBWaitingPathFind(true);
    character->cleanWalkPath();
    EXPECT_FALSE(character->isReachDest());
    character->setBWaitingPathFind(false);
    character->pSprite()->setPosition({200.5f, 200});
    EXPECT_FALSE(character->isReachDest());
}

TEST_F(QBY_CharacterTest, QueuesFollowTheRoomInFixedOrder) {
    load();
    // The room: two baths, one dryer, one hair station.
    std::set<std::vector<int>> seen;
    for (int i = 0; i < 200; ++i) {
        auto queue = queueOf(*pet());
        seen.insert(queue);
        ASSERT_EQ(queue.front(), 0);
        ASSERT_EQ(queue.back(), 1);
    }
    EXPECT_EQ(seen, (std::set<std::vector<int>> {{0, 4, 1}, {0, 2, 3, 1}, {0, 4, 2, 3, 1}}));
}

TEST_F(QBY_CharacterTest, PresidentsPetTakesEveryServiceOfTheRoom) {
    load();
    auto president
        = QBY_Character::createCharacter("PREZ", 200, 200, layer.get(), QBY_Character::typeSpecial);
    president->setSpCharType(0);
    auto dog = pet();
    dog->setPMaster(president.get());
    dog->initServiceQuery();
    EXPECT_EQ(queueOf(*dog), (std::vector<int> {0, 4, 2, 3, 1}));
    EXPECT_NEAR(dog->fSatisfaction(), 0.15f, 1e-6);
    // A customer's visit is worth 0.05 more at each end.
    EXPECT_NEAR(
        president->fSatisfaction() - 0.1f, 0.05f * float(queueOf(*president).size() - 2), 1e-6);
}

TEST_F(QBY_CharacterTest, RoomWithoutServiceFurnitureStillSendsPetsToTheCounter) {
    shop->addFurniture("sofa", 1, 220, 200, 0);
    shop->addFurniture("counter", 1, 60, 20, 4);
    shop->updateFurnCount();
    auto dog = pet();
    EXPECT_EQ(queueOf(*dog), (std::vector<int> {0, 1}));
    dog->nextService();
    EXPECT_EQ(dog->getService(), 1);
}

TEST_F(QBY_CharacterTest, NextServiceSkipsTheServiceJustHadUnlessWildcard) {
    load();
    auto* bath = shop->getFurniture(11);
    ASSERT_EQ(bath->furnType(), 2);
    auto president
        = QBY_Character::createCharacter("PREZ", 200, 200, layer.get(), QBY_Character::typeSpecial);
    president->setSpCharType(0);
    for (bool wildcard : {false, true}) {
        auto dog = pet();
        dog->setPMaster(president.get());
        dog->initServiceQuery();
        dog->setWildcardMode(wildcard);
        // Hair, then the bath, standing at a bath: a bath is not asked for again.
        dog->setPTargetFurniture(bath);
        dog->nextService();
        EXPECT_EQ(dog->serviceAt(0), 4);
        dog->nextService();
        EXPECT_EQ(dog->serviceAt(0), wildcard ? 2 : 3) << wildcard;
        dog->setPTargetFurniture(nullptr);
    }
}

TEST_F(QBY_CharacterTest, WildcardModeAsksForAnyServiceButNotSofaOrCounter) {
    load();
    auto dog = pet();
    dog->setWildcardMode(true);
    EXPECT_EQ(dog->getService(), 0);
    dog->nextService();
    EXPECT_EQ(dog->getService(), dog->serviceAt(0) == 1 ? 1 : 11);
}

TEST_F(QBY_CharacterTest, StaffLevelSetsServingAndWalkingSpeed) {
    load();
    auto* staff = shop->getStaff(0);
    ASSERT_NE(staff, nullptr);
    staff->setLevel(3);
    EXPECT_FLOAT_EQ(staff->fServingSpeed(), 1.4f);
    EXPECT_FLOAT_EQ(staff->fWalkSpeed(), 1.4f);
    EXPECT_EQ(staff->walkSpeed(), 196);
    staff->finishNow();
    EXPECT_LT(staff->servingStartTime(), -2e9f);
    staff->restoreSpeedSettings();
    EXPECT_EQ(staff->getLevel(), 3);
}

TEST_F(QBY_CharacterTest, CounterClerkWorksOnlyAtTheCounter) {
    load();
    auto* clerk = shop->getStaff(5);
    clerk->enableStaff(true);
    auto* groomer = shop->getStaff(0);
    for (int type : {1, 2, 3, 4, 5, 6, 8}) {
        EXPECT_EQ(clerk->getCanWorkInFurniture(type), type == 1) << type;
        EXPECT_TRUE(groomer->getCanWorkInFurniture(type)) << type;
    }
    EXPECT_FALSE(groomer->getCanWorkInFurniture(0));
    EXPECT_FALSE(groomer->getCanWorkInFurniture(12));
}

}
