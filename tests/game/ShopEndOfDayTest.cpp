#include "RecordingEffect.hpp"
#include "SalonDay.hpp"

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GameServerStandIn.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <gtest/gtest.h>

namespace {

using game::GameGlobals;
using game::Shop;

class ShopEndOfDayTest : public test::SalonDayTest {
protected:
    void openDay(int day, int level, int money, float satisfaction) {
        auto& globals = GameGlobals::shared();
        globals.day = day;
        globals.shopLevel = level;
        game::DataConrtoller::saveDay();
        game::DataConrtoller::saveShopLevel();
        load();
        globals.money = money;
        globals.satisfaction = satisfaction;
    }

    static base::Value levelPack(std::string const& uid, int cap, std::optional<int> moneyReq) {
        auto data = base::Dictionary::create();
        data->setObject("levelCap", cap);
        if (moneyReq)
            data->setObject("moneyReq", *moneyReq);
        auto item = base::Dictionary::create();
        item->setObject("type", "level");
        item->setObject("uid", uid);
        item->setObject("data", data);
        return base::Value(item);
    }

    foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
};

TEST_F(ShopEndOfDayTest, RequirementsByLevel) {
    struct Case {
        int level;
        long long money;
        float satisfaction;
    } const cases[] = {
        {0, 0, 0},
        {1, 500, 3},
        {2, 2000, 20},
        {8, 200000, 1000},
        {11, 2000000, 5000},
        {12, 2800000, 6500},
        {19, 8417500, 18050},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(Shop::moneyRequirement(c.level), c.money) << c.level;
        EXPECT_FLOAT_EQ(Shop::satisfactionRequirement(c.level, 20), c.satisfaction) << c.level;
    }
    // At the cap, nothing can be reached; below a pack's cap the rule goes on.
    EXPECT_FLOAT_EQ(Shop::satisfactionRequirement(20, 20), 1000000);
    EXPECT_FLOAT_EQ(Shop::satisfactionRequirement(20, 22), 19700);
    EXPECT_EQ(Shop::moneyRequirement(20), 2147483647);
}

TEST_F(ShopEndOfDayTest, LevelUpAtTheBoundaries) {
    struct Case {
        int level, money;
        float satisfaction;
        int expected;
    } const cases[] = {
        {1, 499, 100, 1},
        {1, 500, 2.9f, 1},
        {1, 500, 3, 2},
        {1, 2000, 20, 3},
        {12, 2800000, 6500, 13},
        {12, 2799999, 6500, 12},
        {19, 8417500, 18050, 20},
        {20, 2000000000, 900000, 20},
    };
    for (auto const& c : cases) {
        TearDown();
        SetUp();
        openDay(2, c.level, c.money, c.satisfaction);
        shop->startNonWorkingHour();
        EXPECT_EQ(GameGlobals::shared().shopLevel, c.expected) << c.level << " " << c.money;
        EXPECT_EQ(game::DataConrtoller::getShopLevel(), c.expected);
        bool levelUp = c.expected > c.level;
        EXPECT_EQ(hud->calls.back(), "showNextDayButton");
        EXPECT_TRUE(
            std::find(hud->calls.begin(), hud->calls.end(), levelUp ? "report levelUp" : "report")
            != hud->calls.end());
        EXPECT_EQ(shop->getShopState(), 3);
    }
}

TEST_F(ShopEndOfDayTest, LevelPacksChainFromTwentyOne) {
    for (int first : {21, 22}) {
        TearDown();
        SetUp();
        writeUnpacked(base::Array::create({levelPack("a", first, 3000000)}));
        defaults().setInteger(1, "level_a_active");
        openDay(2, 20, 2000000000, 900000);
        shop->startNonWorkingHour();
        EXPECT_EQ(GameGlobals::shared().shopLevel, first == 21 ? 21 : 20) << first;
    }
    // A pack without its price opens nothing.
    TearDown();
    SetUp();
    writeUnpacked(base::Array::create({levelPack("a", 21, std::nullopt)}));
    defaults().setInteger(1, "level_a_active");
    openDay(2, 20, 2000000000, 900000);
    shop->startNonWorkingHour();
    EXPECT_EQ(GameGlobals::shared().shopLevel, 20);
}

TEST_F(ShopEndOfDayTest, EveryTenthDayUploadsTheSave) {
    // The game's own upload, through the server kit to the stand-in game server.
    test::GameServerStandIn server;
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::ReachableViaWiFi);
    for (int day : {9, 10, 11, 20}) {
        TearDown();
        SetUp();
        serverkit::QBYConnect::resetSharedManager();
        serverkit::QBYConnect::sharedManager().setConfiguration(
            {server.host(), "udid", "", "", ""});
        auto before = server.uploads().size();
        openDay(day, 1, 0, 0);
        shop->startNonWorkingHour();
        foundation::RunLoop::main().runUntil(
            [] { return !serverkit::QBYConnect::sharedManager().isLoading(); }, 20);
        auto uploads = server.uploads();
        ASSERT_EQ(uploads.size() - before, day % 10 == 0 ? 1u : 0u) << day;
        if (day % 10 == 0) {
            auto request = toolkit::json::objectFromJSONString(uploads.back());
            auto const* save = request.dictionary()->objectForKey("savedata").dictionary();
            ASSERT_TRUE(save);
            EXPECT_TRUE(save->contains("DATA_DAY"));
        }
    }
    serverkit::QBYConnect::resetSharedManager();
    foundation::Reachability::clearForcedStatus();
}

TEST_F(ShopEndOfDayTest, PetPointBonuses) {
    auto& globals = GameGlobals::shared();
    // The first day's end, once.
    openDay(1, 1, 0, 0);
    shop->startNonWorkingHour();
    EXPECT_EQ(globals.petPoints, 10);
    shop->startNonWorkingHour();
    EXPECT_EQ(globals.petPoints, 10);
    // The first level-up with the key unset: 5.
    TearDown();
    SetUp();
    openDay(2, 1, 500, 3);
    shop->startNonWorkingHour();
    EXPECT_EQ(globals.shopLevel, 2);
    EXPECT_EQ(globals.petPoints, 5);
    EXPECT_EQ(defaults().integerForKey("PPBONUS_EOL_BONUS"), 2);
    // From 3 to 5 with the key at 3: 10.
    TearDown();
    SetUp();
    defaults().setInteger(3, "PPBONUS_EOL_BONUS");
    openDay(2, 3, 20000, 90);
    shop->startNonWorkingHour();
    EXPECT_EQ(globals.shopLevel, 5);
    EXPECT_EQ(globals.petPoints, 10);
    EXPECT_TRUE(
        std::find(hud->calls.begin(), hud->calls.end(), "showEOLBonus") != hud->calls.end());
}

TEST_F(ShopEndOfDayTest, AchievementsOfTheDay) {
    openDay(2, 7, 0, 0);
    auto& globals = GameGlobals::shared();
    globals.lastDayMoney = 0;
    globals.money = 16000;
    globals.lastDaySatisfaction = 0;
    globals.satisfaction = 16;
    globals.customerToday = 45;
    globals.customerLeaveToday = 0;
    globals.musicPlayCountToday = 0;
    // One power-up running and one still to come when the day ends.
    std::vector<std::string> calls;
    std::string challenge = "q01_first_steps";
    shop->questController()->addToCurrentQuestsById(challenge);
    auto* timeline = shop->itemEffectCtrl();
    timeline->scheduleEffect(test::RecordingEffect::create("running", calls, 100), 0);
    timeline->scheduleEffect(test::RecordingEffect::create("later", calls, 100), 200);
    timeline->update(3);
    calls.clear();
    shop->startNonWorkingHour();
    for (int n : {27, 33, 16, 17, 18, 20, 21, 24, 28})
        EXPECT_TRUE(achieved(n)) << n;
    for (int n : {30, 35, 32, 19, 22, 23, 25, 26})
        EXPECT_FALSE(achieved(n)) << n;
    EXPECT_TRUE(timeline->timeline().empty());
    EXPECT_EQ(calls, (std::vector<std::string> {"running end 3", "running endCooldown"}));
    // The day's challenge is settled and reported.
    ASSERT_EQ(shop->questController()->getActiveQuests().size(), 1u);
    EXPECT_TRUE(shop->questController()->getActiveQuests().front()->marked());
    EXPECT_EQ(hud->calls.end()[-2], "questReport " + challenge);
}

TEST_F(ShopEndOfDayTest, PonyDayAndOfferActionsEndWithTheDay) {
    serverkit::PonyDayDirectiveHandler::setPonyModeActive(true);
    openDay(2, 8, 200000, 1000);
    shop->startNonWorkingHour();
    EXPECT_EQ(GameGlobals::shared().shopLevel, 9);
    EXPECT_FALSE(serverkit::PonyDayDirectiveHandler::isPonyModeActive());
    EXPECT_TRUE(
        std::find(hud->calls.begin(), hud->calls.end(), "showPonyDayPopup") != hud->calls.end());
    // The built-in ids of slots 3 and 4 are the application's: only the level-9 action.
    EXPECT_EQ(services.reported, (std::vector<std::string> {"5 BTX_LVL10_ACTION"}));
}

}
