#include "SalonDay.hpp"

#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>

#include <gtest/gtest.h>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::Shop;

class ShopVisitorsTest : public test::SalonDayTest {
protected:
    void SetUp() override {
        SalonDayTest::SetUp();
        auto& globals = GameGlobals::shared();
        globals.visitorPool = base::Dictionary::create();
        for (char const* key : {"PREZ", "RICHLADY", "SKYW"})
            globals.visitorPool->setObject(key, key);
    }

    void openDay(int day, float satisfaction) {
        auto& globals = GameGlobals::shared();
        globals.day = day;
        game::DataConrtoller::saveDay();
        load();
        shop->resumeGame();
        globals.satisfaction = satisfaction;
    }

    static base::Value vip(
        std::string const& uid, std::string const& id, double chance, int minLevel, int maxLevel) {
        auto data = base::Dictionary::create();
        data->setObject("char_id", id);
        data->setObject("min_level", minLevel);
        data->setObject("max_level", maxLevel);
        data->setObject("appearChance", chance);
        data->setObject("timeout", 0.8);
        data->setObject("angryRatio", 2.0);
        data->setObject("happyRatio", 3.0);
        data->setObject("feeRatio", 4.0);
        data->setObject("closeup", "close.png");
        data->setObject("clearsRoom", true);
        data->setObject("enter_sfx", "");
        auto item = base::Dictionary::create();
        item->setObject("type", "vip");
        item->setObject("uid", uid);
        item->setObject("data", data);
        return base::Value(item);
    }
};

TEST_F(ShopVisitorsTest, SpecialVisitorChances) {
    struct Case {
        float satisfaction;
        bool challenge;
        int vipsToday;
        double president, lady;
    } const cases[] = {
        {60, false, 0, 0, 0.0035},
        {10, false, 0, 0, 0},
        {5, false, 0, 0, 0},
        {100, false, 0, 0.002, 0.0063},
        {5000, false, 0, 0.002, 0.0063},
        {100, false, 1, 0, 0},
        {0, true, 3, 0.33, 0.33},
    };
    for (auto const& c : cases) {
        auto chances = Shop::visitorChances(c.satisfaction, c.challenge, c.vipsToday);
        EXPECT_NEAR(chances.president, c.president, 1e-9) << c.satisfaction;
        EXPECT_NEAR(chances.richLady, c.lady, 1e-9) << c.satisfaction;
        EXPECT_NEAR(chances.superhero, c.lady, 1e-9) << c.satisfaction;
    }
}

TEST_F(ShopVisitorsTest, OrdinaryPatienceStaysPositiveAtEveryLevel) {
    EXPECT_FLOAT_EQ(Shop::ordinaryTimeOutSpeed(1), 3.0f);
    EXPECT_FLOAT_EQ(Shop::ordinaryTimeOutSpeed(5), 1.0f);
    EXPECT_FLOAT_EQ(Shop::ordinaryTimeOutSpeed(10), 1.0f);
    EXPECT_FLOAT_EQ(Shop::ordinaryTimeOutSpeed(20), 0.4f);
    for (int level = 1; level <= 99; ++level)
        EXPECT_GT(Shop::ordinaryTimeOutSpeed(level), 0) << level;
}

TEST_F(ShopVisitorsTest, ChallengeDayArrivalsAreSpecialVisitors) {
    openDay(30, 0);
    ASSERT_TRUE(shop->isChallengeMode());
    int specials = 0;
    for (int i = 0; i < 20; ++i) {
        shop->generateCustomer();
        auto* customer = shop->getCustomer(i);
        ASSERT_NE(customer, nullptr);
        if (customer->spCharType() >= 0) {
            ++specials;
            EXPECT_EQ(customer->charType(), QBY_Character::typeSpecial);
            EXPECT_FLOAT_EQ(customer->fFeeRatio(), 15);
            EXPECT_FLOAT_EQ(customer->fTimeOutSpeed(), 0.7f);
            EXPECT_FLOAT_EQ(shop->getPet(i)->fTimeOutSpeed(), customer->fTimeOutSpeed());
        }
    }
    auto& globals = GameGlobals::shared();
    // 0.99 a draw: about every arrival.
    EXPECT_GE(specials, 18);
    EXPECT_EQ(
        globals.prezVisitCount + globals.richLadyVisitCount + globals.superVisitCount, specials);
    EXPECT_EQ(shop->vipAppearCount(), specials);
    // No close-up on a challenge day.
    shop->specialCustomerAppearEvent(1);
    EXPECT_TRUE(std::find(hud->calls.begin(), hud->calls.end(), "closeUp 1") == hud->calls.end());
}

TEST_F(ShopVisitorsTest, DecliningTheChallengeLastsTheDay) {
    openDay(29, 0);
    EXPECT_TRUE(shop->isEligibleForChallengeMode());
    GameGlobals::shared().day = 30;
    EXPECT_TRUE(shop->isChallengeMode());
    shop->declineChallengeMode();
    EXPECT_FALSE(shop->isChallengeMode());
    EXPECT_TRUE(game::DataConrtoller::loadDeclinedVIPDay());
    shop->startNonWorkingHour();
    EXPECT_TRUE(shop->isChallengeMode());
    EXPECT_FALSE(game::DataConrtoller::loadDeclinedVIPDay());
}

TEST_F(ShopVisitorsTest, OnlyOneSpecialVisitorADayAndThePresidentSendsTheOthersAway) {
    openDay(2, 100);
    shop->generateCustomer();
    shop->getCustomer(0)->setSpCharType(1);
    shop->specialCustomerAppearEvent(0);
    EXPECT_EQ(shop->getCustomer(0)->getAIState(), QBY_Character::stateLeaving);
    EXPECT_TRUE(std::find(hud->calls.begin(), hud->calls.end(), "closeUp 0") != hud->calls.end());
}

TEST_F(ShopVisitorsTest, PackVisitorsComeByChanceWithinTheirLevels) {
    // Chances far above 1 make the draw certain, so the level range alone decides.
    writeUnpacked(base::Array::create(
        {vip("a", "VIPA", 100, 3, 0), vip("b", "VIPB", 100, 0, 0), vip("c", "VIPC", 100, 0, 0)}));
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setInteger(1, "vip_a_active");
    defaults.setInteger(1, "vip_b_active");
    openDay(2, 50);
    shop->generateCustomer();
    auto* customer = shop->getCustomer(0);
    ASSERT_NE(customer, nullptr);
    // "a" needs level 3; "c" is not active.
    EXPECT_EQ(customer->spCharType(), 5);
    EXPECT_EQ(customer->sCharName(), "VIPB");
    EXPECT_FLOAT_EQ(customer->fFeeRatio(), 4);
    EXPECT_FLOAT_EQ(customer->fTimeOutSpeed(), 0.8f);
    EXPECT_FLOAT_EQ(customer->fSatisfactionRatio(), 3);
    EXPECT_FLOAT_EQ(customer->fSatisfactionPunishmentRatio(), 2);

    // Its arrival clears the room of everyone else.
    shop->generateCustomer();
    auto* other = shop->getCustomer(1);
    other->setSCharName("someone");
    shop->dlcSpecialCustomerAppearEvent("VIPB");
    EXPECT_EQ(other->getAIState(), QBY_Character::stateLeaving);
    EXPECT_NE(customer->getAIState(), QBY_Character::stateLeaving);
    EXPECT_TRUE(std::find(hud->calls.begin(), hud->calls.end(), "dlcCloseUp close.png")
        != hud->calls.end());
    // An id of no active pack does nothing.
    hud->calls.clear();
    shop->dlcSpecialCustomerAppearEvent("VIPC");
    EXPECT_TRUE(hud->calls.empty());
}

TEST_F(ShopVisitorsTest, NoArrivalWhenTheTwentyFourPlacesAreTaken) {
    openDay(2, 0);
    for (int i = 0; i < 30; ++i)
        shop->generateCustomer();
    EXPECT_EQ(shop->customerCount(), Shop::arrivalSlots);
}

TEST_F(ShopVisitorsTest, DailyChallengeMovesTheCountersAndShowsTheQuest) {
    openDay(2, 0);
    auto challenge = [](char const* prerequisite) {
        auto entry = base::Dictionary::create();
        entry->setObject("prerequisite", prerequisite);
        entry->setObject("condition", "service:3");
        entry->setObject("rewardcode", "coin:50");
        auto list = base::Dictionary::create();
        list->setObject("Q7", base::Value(entry));
        return list;
    };
    auto& globals = GameGlobals::shared();
    globals.customerHappyCount = 6;
    globals.customerAngryCount = 4;
    globals.customerIncome = 300;
    shop->questController()->loadQuestList(*challenge("lvl:99"));
    EXPECT_FALSE(shop->prepareDailyChallenge());
    EXPECT_EQ(globals.customerHappyCountP, 6);
    EXPECT_EQ(globals.customerHappyCount, 0);
    EXPECT_EQ(globals.customerIncomeP, 300);
    EXPECT_FALSE(shop->isDailyChallenge());
    shop->questController()->loadQuestList(*challenge(""));
    auto* quest = shop->questController()->getQuestById("Q7");
    ASSERT_TRUE(quest);
    quest->markQuestFail();
    quest->setNotified(true);
    EXPECT_TRUE(shop->prepareDailyChallenge());
    EXPECT_EQ(quest->questDelegate(), shop.get());
    EXPECT_FALSE(quest->marked());
    EXPECT_FALSE(quest->notified());
    EXPECT_TRUE(shop->isDailyChallenge());
    EXPECT_EQ(hud->calls.back(), "questReport Q7");
    shop->clearDailyChallenge();
    EXPECT_FALSE(shop->isDailyChallenge());
}

}

namespace {

TEST_F(ShopVisitorsTest, EachSpecialVisitorBringsTheMusicBackAfterItsOwnPause) {
    openDay(2, 0);
    auto& globals = GameGlobals::shared();
    struct Case {
        int kind;
        float pause;
    } const cases[] = {{0, 4}, {1, 5}, {2, 5}};
    for (auto const& c : cases) {
        globals.totalTime = 100.0f * float(c.kind + 1);
        shop->specialCustomerAppearEvent(c.kind);
        ASSERT_TRUE(shop->musicReturnTime()) << c.kind;
        // The superhero too: never an older time, which would end the pause at once.
        EXPECT_FLOAT_EQ(*shop->musicReturnTime(), globals.totalTime + c.pause) << c.kind;
    }
}

}
