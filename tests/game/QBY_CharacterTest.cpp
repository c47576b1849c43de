#include "SalonDay.hpp"

#include <game/interface/CCIncomeDisplay.hpp>

#include <engine/ActionManager.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/salon/ComboTracker.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using game::CharacterSprite;
using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;

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

    base::Ref<QBY_Character> customer(float x = 200, float y = 200) {
        return QBY_Character::createCharacter(
            "CUS001", x, y, layer.get(), QBY_Character::typeCustomer);
    }

    QBY_Furniture* pieceOfType(int type) const {
        for (int i = 0; i < game::Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (piece && piece->furnType() == type)
                return piece;
        }
        return nullptr;
    }

    // Whether the node is still on the salon layer (an effect through its batch node).
    bool onLayer(engine::SceneNode const* node) const {
        return node && node->parent() == layer.get();
    }
    bool onLayer(game::AnimatedSprite const* effect) const {
        return effect && effect->manager() && onLayer(effect->manager());
    }

    // Moves the wall clock (the time of taps, answers and income messages).
    void wait(double seconds) { clock->advance(seconds); }
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

namespace {

// --- patience ---

class PatienceTest : public QBY_CharacterTest { };

TEST_F(PatienceTest, CustomerAtTheDoorHurriesThenLeavesAngryWithoutCountingAsLeft) {
    load();
    struct Case {
        float timeOutSpeed, punishment;
    };
    for (auto c : {Case {1, 1}, Case {2, 0.5f}}) {
        auto& globals = GameGlobals::shared();
        globals.shopTime = 0;
        hud->satisfactionChanges.clear();
        auto guest = customer();
        guest->setFTimeOutSpeed(c.timeOutSpeed);
        guest->setFSatisfactionPunishmentRatio(c.punishment);
        guest->changeAIState(QBY_Character::stateWaitingAtDoor);
        guest->showBubble();
        ASSERT_EQ(guest->bubbleName(), "qrn_ip_icon_sofa_normal.png");
        float limit = 10 * c.timeOutSpeed;
        float worth = guest->fSatisfaction();

        globals.shopTime = 0.7f * limit - 0.05f;
        guest->updateBubbleState();
        EXPECT_EQ(guest->curSatisfactionState(), 0);
        globals.shopTime = 0.7f * limit;
        guest->updateBubbleState();
        EXPECT_EQ(guest->curSatisfactionState(), 1);
        EXPECT_EQ(guest->bubbleName(), "qrn_ip_icon_sofa_hurry.png");
        EXPECT_NEAR(guest->fSatisfaction(), worth - 0.1f, 1e-6);
        // Waiting for a seat is not a hurried service.
        EXPECT_EQ(globals.customerHurryCount, 0);

        globals.shopTime = limit - 0.05f;
        guest->updateBubbleState();
        EXPECT_EQ(guest->getAIState(), QBY_Character::stateWaitingAtDoor);
        globals.shopTime = limit;
        guest->updateBubbleState();
        EXPECT_EQ(guest->getAIState(), QBY_Character::stateLeaving) << c.timeOutSpeed;
        ASSERT_EQ(hud->satisfactionChanges.size(), 1u);
        EXPECT_FLOAT_EQ(hud->satisfactionChanges[0], -0.48f * c.punishment);
        EXPECT_EQ(globals.customerLeaveToday, 0);
        EXPECT_EQ(globals.customerLeaveOverall, 0);
        EXPECT_EQ(globals.customerAngryCount, 0);
        ASSERT_NE(guest->pEmotion(), nullptr);
        EXPECT_EQ(globals.customerHappyCount, 0);
    }
}

TEST_F(PatienceTest, PetWaitingForAServiceCountsTheHurryAndItsOwnerLeavesAngry) {
    load();
    auto* hair = pieceOfType(4);
    ASSERT_NE(hair, nullptr);
    float limit = hair->timeOutForWaiting();
    ASSERT_GT(limit, 0);
    struct Case {
        int spCharType;
        // The achievements complete so far.
        std::set<int> achieved;
    };
    Case const cases[] = {
        {-1, {}},
        {0, {34}},
        {1, {31, 34}},
    };
    int left = 0;
    for (auto const& c : cases) {
        auto& globals = GameGlobals::shared();
        globals.shopTime = 100;
        services.events.clear();
        auto owner = customer(150, 150);
        owner->setSpCharType(c.spCharType);
        auto dog = pet();
        dog->setPMaster(owner.get());
        owner->setPPet(dog.get());
        dog->initServiceQuery();
        dog->nextService();
        dog->goToFurniture(hair);
        dog->changeAIState(QBY_Character::stateWaitingForService);
        dog->showBubble();
        ASSERT_TRUE(dog->bShowBubble());
        int hurried = globals.customerHurryCount;

        globals.shopTime = 100 + 0.7f * limit;
        dog->updateBubbleState();
        EXPECT_EQ(dog->curSatisfactionState(), 1);
        EXPECT_EQ(globals.customerHurryCount, hurried + 1);
        EXPECT_NE(dog->bubbleName().find("_hurry.png"), std::string::npos) << dog->bubbleName();

        globals.shopTime = 100 + limit;
        dog->updateBubbleState();
        ++left;
        EXPECT_EQ(dog->getAIState(), QBY_Character::stateLeaving);
        EXPECT_EQ(owner->getAIState(), QBY_Character::stateLeaving);
        EXPECT_EQ(globals.customerLeaveToday, left);
        EXPECT_EQ(globals.customerLeaveOverall, left);
        EXPECT_EQ(globals.customerAngryCount, left);
        // The owner shows the anger.
        EXPECT_NE(owner->pEmotion(), nullptr);
        EXPECT_EQ(dog->pEmotion(), nullptr);
        EXPECT_TRUE(services.events.empty()) << c.spCharType;
        EXPECT_EQ(achievedNumbers(), c.achieved) << c.spCharType;
        EXPECT_EQ(hair->activePet, nullptr);
    }
}

TEST_F(PatienceTest, ResetWaitingTimeCalmsAHurriedCustomer) {
    load();
    auto& globals = GameGlobals::shared();
    globals.shopTime = 0;
    auto guest = customer();
    guest->changeAIState(QBY_Character::stateWaitingAtDoor);
    guest->showBubble();
    globals.shopTime = 8;
    guest->updateBubbleState();
    ASSERT_EQ(guest->curSatisfactionState(), 1);
    guest->resetWaitingTime();
    EXPECT_EQ(guest->curSatisfactionState(), 0);
    EXPECT_EQ(guest->bubbleName(), "qrn_ip_icon_sofa_normal.png");
    EXPECT_EQ(guest->startWaitingTime(), 8);
    // The patience counts again from the reset.
    globals.shopTime = 14.9f;
    guest->updateBubbleState();
    EXPECT_EQ(guest->curSatisfactionState(), 0);
}

TEST_F(PatienceTest, NoBubbleNoImpatience) {
    load();
    auto& globals = GameGlobals::shared();
    auto guest = customer();
    guest->changeAIState(QBY_Character::stateWaitingAtDoor);
    globals.shopTime = 1000;
    guest->updateBubbleState();
    EXPECT_EQ(guest->curSatisfactionState(), 0);
    EXPECT_EQ(guest->getAIState(), QBY_Character::stateWaitingAtDoor);
}

// --- emotions ---

TEST_F(QBY_CharacterTest, EmotionsShowAboveTheCharacterAndHideWhenDone) {
    load();
    auto guest = customer(100, 120);
    auto dog = pet();
    guest->showEmotion(0);
    EXPECT_EQ(GameGlobals::shared().customerHappyCount, 1);
    auto* happy = guest->pEmotion();
    ASSERT_NE(happy, nullptr);
    EXPECT_EQ(happy->opacity(), 255);
    EXPECT_EQ(happy->fps(), 8);
    EXPECT_EQ(happy->scale(), 0);
    EXPECT_EQ(happy->position(), (engine::Point {115, 190}));
    EXPECT_TRUE(onLayer(happy));
    EXPECT_EQ(happy->getZPos(), guest->getZPos() + 1);
    dog->showEmotion(1);
    EXPECT_EQ(GameGlobals::shared().customerHappyCount, 1);
    ASSERT_NE(dog->pEmotion(), nullptr);
    EXPECT_EQ(dog->pEmotion()->position(), (engine::Point {215, 240}));

    // It grows, stays and shrinks (1.9 s), following its character, then hides.
    guest->pSprite()->setPosition({130, 120});
    for (int i = 0; i < 30; ++i) {
        frames(1);
        guest->updateEmotionPosition();
    }
    EXPECT_EQ(happy->scale(), 1.0f);
    EXPECT_EQ(happy->position(), (engine::Point {145, 190}));
    for (int i = 0; i < 90 && happy->visible(); ++i) {
        frames(1);
        guest->updateEmotionPosition();
    }
    EXPECT_FALSE(happy->visible());

    // Another value shows nothing and takes the old emotion away.
    base::Ref<game::AnimatedSprite> old(dog->pEmotion());
    dog->showEmotion(2);
    EXPECT_EQ(dog->pEmotion(), nullptr);
    EXPECT_FALSE(onLayer(old.get()));
}

// --- income messages ---

TEST_F(QBY_CharacterTest, TwoPaymentsInOneFrameShowOneSecondApartWhereEachPaid) {
    load();
    auto first = customer(100, 60);
    auto second = customer(300, 150);
    first->showIncome(30, 0.2f);
    second->showIncome(45, 0.1f);
    EXPECT_EQ(QBY_Character::pendingIncomeMessages(), 2u);
    // Where they stood when they paid counts, not where they are now.
    first->pSprite()->setPosition({10, 10});
    second->pSprite()->setPosition({20, 20});

    // Whichever character updates first shows the oldest message.
    second->update();
    first->update();
    EXPECT_EQ(hud->incomeShown, (std::vector<int> {30}));
    wait(1.0);
    first->update();
    second->update();
    EXPECT_EQ(hud->incomeShown.size(), 1u);
    wait(0.01);
    first->update();
    second->update();
    EXPECT_EQ(hud->incomeShown, (std::vector<int> {30, 45}));
    EXPECT_EQ(hud->incomeShownAt,
        (std::vector<engine::Point> {engine::Point {100, 60}, engine::Point {300, 150}}));
    EXPECT_EQ(QBY_Character::pendingIncomeMessages(), 0u);
    // The markers float on the salon layer, 70 points above where each paid.
    std::vector<game::CCIncomeDisplay*> markers;
    for (auto const& child : layer->children()) {
        if (auto* marker = dynamic_cast<game::CCIncomeDisplay*>(child.get()))
            markers.push_back(marker);
    }
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0]->zOrder(), 30000);
    EXPECT_EQ(markers[0]->position(), (engine::Point {100, 130}));
    EXPECT_EQ(markers[1]->position(), (engine::Point {300, 220}));
    EXPECT_EQ(markers[1]->incomeMsgLabel()->getText(), "45");
    EXPECT_EQ(markers[1]->satMsgLabel()->getText(), "0.10");
}

// --- star messages ---

TEST_F(QBY_CharacterTest, StarMessageShowsTextAndAStarBesideItThenFades) {
    load();
    auto guest = customer(450, 100);
    guest->showStarMessage("Fast service! +$5");
    auto* label = guest->speedLabelNode();
    auto* star = guest->spinningStarNode();
    ASSERT_NE(label, nullptr);
    ASSERT_NE(star, nullptr);
    EXPECT_TRUE(onLayer(label));
    EXPECT_TRUE(onLayer(star));
    // Kept on the screen: x at most 400.
    EXPECT_EQ(label->position(), (engine::Point {400, 170}));
    EXPECT_EQ(label->zOrder(), guest->getZPos() + 1);
    EXPECT_EQ(star->zOrder(), guest->getZPos() + 1);
    EXPECT_EQ(star->position().y, 170);
    // The star follows the text: a longer text pushes it further right, and it never
    // lands half a screen away.
    float shortGap = star->position().x - 410;
    EXPECT_GT(shortGap, 20);
    EXPECT_LT(shortGap, 120);

    base::Ref<engine::Label> oldLabel(label);
    guest->showStarMessage("Fast service! +$5 and a much longer text");
    EXPECT_FALSE(onLayer(oldLabel.get()));
    EXPECT_GT(guest->spinningStarNode()->position().x - 410, shortGap + 40);

    // Both fade out and stay until the next message.
    frames(150);
    EXPECT_EQ(guest->speedLabelNode()->opacity(), 0);
    EXPECT_EQ(guest->spinningStarNode()->opacity(), 0);
    EXPECT_TRUE(onLayer(guest->speedLabelNode()));

    // A staff member not hired shows none.
    auto* staff = shop->getStaff(1);
    staff->enableStaff(false);
    staff->showStarMessage("Speedy work! +$3");
    EXPECT_EQ(staff->speedLabelNode(), nullptr);
}

// --- pausing ---

TEST_F(QBY_CharacterTest, PauseHoldsTheBubbleAndTheEmotionUntilResumed) {
    load();
    auto guest = customer();
    guest->changeAIState(QBY_Character::stateWaitingAtDoor);
    guest->showBubble();
    guest->showEmotion(0);
    frames(3);
    auto* bubble = guest->pBubble();
    auto* emotion = guest->pEmotion();
    ASSERT_NE(bubble, nullptr);
    ASSERT_NE(emotion, nullptr);
    guest->pause();
    float bubbleScale = bubble->scale();
    float emotionScale = emotion->scale();
    frames(10);
    EXPECT_EQ(bubble->scale(), bubbleScale);
    EXPECT_EQ(emotion->scale(), emotionScale);
    guest->resume();
    frames(3);
    EXPECT_NE(bubble->scale(), bubbleScale);
    EXPECT_NE(emotion->scale(), emotionScale);
}

TEST_F(QBY_CharacterTest, PauseWithoutBubbleOrEmotionPausesTheBody) {
    auto guest = customer();
    guest->pSprite()->runAction(engine::MoveBy::actionWithDuration(1, {60, 0}));
    guest->pause();
    frames(10);
    EXPECT_EQ(guest->pSprite()->position().x, 200);
    guest->resume();
    frames(10);
    EXPECT_GT(guest->pSprite()->position().x, 200);
}

// --- services: answers, streaks and bonuses ---

class ServiceBonusTest : public QBY_CharacterTest {
protected:
    void SetUp() override {
        QBY_CharacterTest::SetUp();
        load();
        hair = pieceOfType(4);
        ASSERT_NE(hair, nullptr);
        ASSERT_GE(hair->getCharge(), 2);
        dog = pet();
        dog->goToFurniture(hair);
    }

    // The pet's next request comes up; after `after` seconds the player answers it.
    void answerAfter(double after) {
        dog->nextService();
        dog->changeAIState(QBY_Character::stateWaitingForService);
        dog->showBubble();
        ASSERT_TRUE(dog->bShowBubble());
        wait(after);
        dog->pressBubble();
    }

    QBY_Furniture* hair {nullptr};
    base::Ref<QBY_Character> dog;
};

TEST_F(ServiceBonusTest, QuickAnswersBuildAStreakThatASlowAnswerEnds) {
    auto& globals = GameGlobals::shared();
    struct Step {
        double after;
        int bonus;
    };
    // Answered within 1.5 s of the request: 5, 10, 15 ...; at 1.5 s or later, no
    // bonus, and the streak starts again.
    Step const steps[] = {{1.0, 5}, {0.2, 10}, {1.49, 15}, {1.5, 0}, {0.1, 5}, {3.0, 0}, {0, 5}};
    int fee = 0;
    int fast = 0;
    int served = 0;
    for (auto const& step : steps) {
        answerAfter(step.after);
        fee += step.bonus;
        fast += step.bonus > 0;
        ++served;
        EXPECT_EQ(dog->nTotalFee(), fee) << step.after;
        EXPECT_FALSE(dog->bShowBubble());
        if (step.bonus > 0) {
            EXPECT_EQ(
                dog->speedLabelNode()->getText(), "Fast service! +$" + std::to_string(step.bonus));
        }
    }
    EXPECT_EQ(globals.customerFastService, fast);
    EXPECT_EQ(globals.customerService, served);
    EXPECT_EQ(game::ComboTracker::sharedTracker().getComboCountForGroup(dog->comboGroup()), 1);
}

TEST_F(ServiceBonusTest, AnswerWithoutABubbleDoesNothing) {
    dog->nextService();
    dog->pressBubble();
    EXPECT_EQ(dog->nTotalFee(), 0);
    EXPECT_EQ(GameGlobals::shared().customerService, 0);
}

TEST_F(ServiceBonusTest, IncomePowerUpGivesTheIncomeBonusInsteadOfTheFastOne) {
    dog->setFChargeRatio(1.5f);
    float worth = dog->fSatisfaction();
    answerAfter(0.2);
    EXPECT_EQ(dog->nTotalFee(), 0);
    EXPECT_EQ(GameGlobals::shared().customerFastService, 0);
    EXPECT_NEAR(dog->fSatisfaction(), worth + 0.1f, 1e-6);
    ASSERT_EQ(hud->bonusShown.size(), 1u);
    auto position = dog->pSprite()->position();
    EXPECT_EQ(hud->bonusShown[0].at, (engine::Point {position.x, position.y + 70}));
    EXPECT_EQ(hud->bonusShown[0].z, dog->getZPos() + 1);
    EXPECT_EQ(hud->bonusShown[0].layer, layer.get());
    int markers = 0;
    for (auto const& child : layer->children()) {
        if (dynamic_cast<game::CCIncomeBonusDisplay*>(child.get())) {
            ++markers;
            EXPECT_EQ(child->zOrder(), dog->getZPos() + 1);
        }
    }
    EXPECT_EQ(markers, 1);
}

TEST_F(ServiceBonusTest, IncomeBonusNeedsAnExtraOfAtLeastOneAndAnEnabledCharacter) {
    struct Case {
        float ratio;
        bool enabled;
        float x;
        bool shown;
        float shownX;
    };
    float small = 1.0f + 0.5f / float(hair->getCharge());
    Case const cases[] = {
        {1.0f, true, 200, false, 0},
        {small, true, 200, false, 0},
        {2.0f, false, 200, false, 0},
        {2.0f, true, 200, true, 200},
        // Kept on the screen: x at most 430.
        {2.0f, true, 470, true, 430},
    };
    for (auto const& c : cases) {
        hud->bonusShown.clear();
        auto character = pet();
        character->goToFurniture(hair);
        character->pSprite()->setPosition({c.x, 100});
        character->setFChargeRatio(c.ratio);
        if (!c.enabled)
            character->enableStaff(false);
        character->showIncomeBonus();
        ASSERT_EQ(hud->bonusShown.size(), c.shown ? 1u : 0u) << c.ratio << " " << c.x;
        if (c.shown) {
            EXPECT_EQ(hud->bonusShown[0].at, (engine::Point {c.shownX, 170}));
        }
    }
}

// --- taps ---

class TapTest : public ServiceBonusTest {
protected:
    void SetUp() override {
        ServiceBonusTest::SetUp();
        staff = shop->getStaff(0);
        staff->enableStaff(true);
        staff->setPTargetFurniture(hair);
        staff->changeAIState(QBY_Character::stateAtFurniture);
        hair->activePet = dog.get();
    }

    void tapAfter(double seconds) {
        wait(seconds);
        staff->tap();
    }

    QBY_Character* staff {nullptr};
};

TEST_F(TapTest, QuickTapsSpeedTheServiceInStepsUpToTheSpeedBonusAndTheFlames) {
    struct Case {
        int level;
        std::vector<float> factors;
        int lastStep;
    };
    // The first tap only starts the count; from level 7 two steps, else four.
    Case const cases[] = {
        {3, {1, 1.25f, 1.5f, 1.75f, 2.0f, 2.25f, 2.25f}, 6},
        {7, {1, 1.5f, 2.0f, 2.5f, 2.5f}, 4},
    };
    for (auto const& c : cases) {
        staff->leaveFurniture();
        staff->killFireStartVFX();
        staff->killFireVFX();
        staff->setPTargetFurniture(hair);
        staff->changeAIState(QBY_Character::stateAtFurniture);
        staff->setLevel(c.level);
        staff->useFurniture(hair);
        dog->setNTotalFee(0);
        int bonus = int(float(hair->getCharge()) * 0.5f);
        tapAfter(5);
        for (std::size_t tap = 0; tap < c.factors.size(); ++tap) {
            if (tap > 0)
                tapAfter(0.3);
            EXPECT_FLOAT_EQ(staff->tapSpeedBonusMult(), c.factors[tap])
                << "level " << c.level << " tap " << tap + 1;
            // The flames start on the third tap.
            EXPECT_EQ(staff->fireStartVFX() != nullptr, tap >= 2) << tap + 1;
            bool done = int(tap) + 1 >= c.lastStep;
            EXPECT_EQ(dog->nTotalFee(), done ? bonus : 0) << tap + 1;
            EXPECT_EQ(staff->fireVFX() != nullptr, done) << tap + 1;
        }
        EXPECT_EQ(staff->speedLabelNode()->getText(), "Speedy work! +$" + std::to_string(bonus));
        EXPECT_EQ(staff->tapcount(), c.lastStep);
    }
}

TEST_F(TapTest, ASlowTapOnlyRestartsTheClock) {
    staff->setLevel(3);
    tapAfter(5);
    tapAfter(0.5);
    EXPECT_FLOAT_EQ(staff->tapSpeedBonusMult(), 1.25f);
    tapAfter(1.01);
    EXPECT_EQ(staff->tapcount(), 1);
    EXPECT_FLOAT_EQ(staff->tapSpeedBonusMult(), 1.25f);
    tapAfter(1.0);
    EXPECT_EQ(staff->tapcount(), 2);
}

TEST_F(TapTest, TapsCountOnlyAtAPieceWithAPet) {
    struct Case {
        int state;
        bool withPet;
    };
    for (auto c : {Case {QBY_Character::stateWalkingToFurniture, true},
             Case {QBY_Character::stateAtFurniture, false}}) {
        staff->changeAIState(c.state);
        hair->activePet = c.withPet ? dog.get() : nullptr;
        for (int i = 0; i < 4; ++i)
            tapAfter(0.2);
        EXPECT_EQ(staff->tapcount(), 0) << c.state;
        EXPECT_EQ(staff->tapSpeedBonusMult(), 1) << c.state;
    }
}

TEST_F(TapTest, ServiceEndsSoonerByTheTapFactorAndTheCountRestartsAfterIt) {
    auto& globals = GameGlobals::shared();
    globals.shopTime = 50;
    staff->setLevel(1);
    hair->nNumOfPet = 1;
    hair->setCurFurnState(QBY_Furniture::stateTaken);
    staff->useFurniture(hair);
    ASSERT_EQ(hair->curFurnState(), QBY_Furniture::stateInService);
    for (int i = 0; i < 6; ++i)
        tapAfter(0.2);
    ASSERT_FLOAT_EQ(staff->tapSpeedBonusMult(), 2.25f);
    float shortened = hair->servingTime() / (staff->fServingSpeed() * 2.25f);
    globals.shopTime = 50 + shortened - 0.01f;
    staff->updateAIState();
    EXPECT_EQ(hair->curFurnState(), QBY_Furniture::stateInService);
    globals.shopTime = 50 + shortened + 0.01f;
    staff->updateAIState();
    EXPECT_EQ(hair->curFurnState(), QBY_Furniture::stateServiceFinished);
    EXPECT_EQ(staff->tapcount(), 0);
    EXPECT_EQ(staff->pTargetFurniture(), nullptr);
}

// --- the flames ---

TEST_F(TapTest, FlamesFollowTheStaffMemberAndFadeAwayAfterTheirTime) {
    staff->pSprite()->setPosition({120, 100});
    staff->showFireStartVFX();
    base::Ref<game::AnimatedSprite> start(staff->fireStartVFX());
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->tag(), 112);
    EXPECT_EQ(start->fps(), 12);
    EXPECT_EQ(start->opacity(), 0);
    EXPECT_EQ(start->position(), (engine::Point {140, 100}));
    EXPECT_TRUE(onLayer(start.get()));
    EXPECT_EQ(start->getZPos(), 10 * 320 - 10 * 110);
    frames(7);
    EXPECT_EQ(start->opacity(), 255);

    // Each frame they follow the staff member, at its depth.
    staff->pSprite()->setPosition({150, 80});
    staff->updateFireStartVFX();
    EXPECT_EQ(start->position(), (engine::Point {170, 80}));
    EXPECT_EQ(start->getZPos(), 10 * 320 - 10 * 90);

    // After 1.5 s they fade out over 0.1 s and go.
    frames(80);
    EXPECT_EQ(staff->fireStartVFX(), start.get());
    frames(12);
    EXPECT_EQ(staff->fireStartVFX(), nullptr);
    EXPECT_FALSE(onLayer(start.get()));

    // The last step's flames take the first ones' place.
    staff->showFireStartVFX();
    base::Ref<game::AnimatedSprite> first(staff->fireStartVFX());
    staff->showFireVFX();
    base::Ref<game::AnimatedSprite> fire(staff->fireVFX());
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(fire->tag(), 111);
    EXPECT_EQ(fire->position(), (engine::Point {150, 80}));
    frames(12);
    EXPECT_EQ(staff->fireStartVFX(), nullptr);
    EXPECT_FALSE(onLayer(first.get()));
    staff->updateFireVFX();
    EXPECT_EQ(fire->position(), (engine::Point {157, 80}));
    frames(90);
    EXPECT_EQ(staff->fireVFX(), fire.get());
    frames(20);
    EXPECT_EQ(staff->fireVFX(), nullptr);
    EXPECT_FALSE(onLayer(fire.get()));
}

TEST_F(TapTest, NewFlamesAreNotCutShortByTheTimerOfEarlierOnes) {
    staff->showFireVFX();
    frames(60);
    staff->showFireVFX();
    base::Ref<game::AnimatedSprite> second(staff->fireVFX());
    // The first flames' 1.5 s end here; the second ones' half a second later.
    frames(40);
    EXPECT_EQ(staff->fireVFX(), second.get());
    EXPECT_EQ(second->opacity(), 255);
    frames(70);
    EXPECT_EQ(staff->fireVFX(), nullptr);
}

TEST_F(QBY_CharacterTest, FlamesGoWithTheirCharacter) {
    load();
    auto worker
        = QBY_Character::createCharacter("NPC001", 100, 100, layer.get(), QBY_Character::typeStaff);
    worker->showFireStartVFX();
    worker->showFireVFX();
    base::Ref<game::AnimatedSprite> start(worker->fireStartVFX());
    base::Ref<game::AnimatedSprite> fire(worker->fireVFX());
    ASSERT_NE(fire, nullptr);
    worker = nullptr;
    EXPECT_FALSE(onLayer(fire.get()));
    EXPECT_FALSE(onLayer(start.get()));
    // The timers of the gone character do nothing.
    frames(120);
}

}
