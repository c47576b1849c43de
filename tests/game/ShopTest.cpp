#include "SalonDay.hpp"

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/SalonDayStart.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>

namespace {

using game::GameGlobals;
using game::QBY_Character;
using game::QBY_Furniture;
using game::Shop;

class ShopTest : public test::SalonDayTest {
protected:
    int furnitureCount() const {
        int count = 0;
        for (int i = 0; i < Shop::furnitureSlots; ++i)
            count += shop->getFurniture(i) != nullptr;
        return count;
    }

    QBY_Furniture* furnitureWithID(int id) const {
        for (int i = 0; i < Shop::furnitureSlots; ++i) {
            auto* piece = shop->getFurniture(i);
            if (piece && piece->nFurnID() == id)
                return piece;
        }
        return nullptr;
    }
};

TEST_F(ShopTest, LoadsInFivePhasesAndOpensTheDay) {
    EXPECT_EQ(shop->getShopState(), 0);
    std::vector<bool> answers;
    for (int i = 0; i < 5; ++i)
        answers.push_back(shop->loading());
    EXPECT_EQ(answers, (std::vector<bool> {false, false, false, false, true}));
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_TRUE(shop->isShopOpen());
    // Every place of the room holds a piece; the counter is the place with id 4.
    EXPECT_EQ(furnitureCount(), 28);
    ASSERT_NE(shop->getCounterFurniture(), nullptr);
    EXPECT_EQ(shop->getCounterFurniture()->nFurnID(), 4);
    EXPECT_EQ(shop->getCounterFurniture()->furnType(), 1);
    for (int type : {0, 1, 2, 3, 4})
        EXPECT_TRUE(shop->isFurnTypeAvailable(type)) << type;
    EXPECT_FALSE(shop->isFurnTypeAvailable(5));
    EXPECT_EQ(shop->getFurnCount(0), 4);
    EXPECT_EQ(shop->getFurnCount(2), 2);
    for (int type = 0; type < Shop::staffSlots; ++type) {
        auto* staff = shop->getStaff(type);
        ASSERT_NE(staff, nullptr);
        EXPECT_EQ(staff->staffType(), type);
        EXPECT_EQ(staff->pSprite()->position(), Shop::staffStationPoint(type));
        // Only the first staff member works for a new game.
        EXPECT_EQ(staff->bEnable(), type == 0) << type;
    }
}

TEST_F(ShopTest, RoomMapIsTheSalonMapWithSofaPathsCached) {
    load();
    auto& finder = *GameGlobals::shared().pathFinder;
    EXPECT_EQ(finder.getRoad(0, 25), 4);
    EXPECT_EQ(finder.getRoad(16, 25), 3);
    EXPECT_EQ(finder.getRoad(16, 24), 1);
    EXPECT_EQ(finder.getRoad(0, 24), 0);
    EXPECT_EQ(finder.getRoad(8, 1), 4);
    EXPECT_EQ(finder.getRoad(20, 31), 0);
    // Entrance to each sofa's two seats and back: four sofas, four paths each.
    EXPECT_EQ(finder.cachedPathCount(), 16u);
    EXPECT_NE(finder.cachedPath(16, 19, 22, 19), nullptr);
}

TEST_F(ShopTest, FloorAndWallFollowTheLevelUpToEight) {
    struct Case {
        int level;
        char const* floor;
        char const* wall;
    };
    for (auto const& c : {Case {1, "qrn_ip_bg01.jpg", "qrn_ip_wall01.png"},
             Case {5, "qrn_ip_bg05.jpg", "qrn_ip_wall05.png"},
             Case {12, "qrn_ip_bg08.jpg", "qrn_ip_wall08.png"}}) {
        shop->loadShop(c.level);
        EXPECT_EQ(shop->floorImageName(), c.floor);
        EXPECT_EQ(shop->wallImageName(), c.wall);
        ASSERT_NE(shop->pShopFloor(), nullptr);
        EXPECT_EQ(shop->pShopFloor()->parent(), layer.get());
        EXPECT_EQ(shop->pShopWall()->zOrder(), 1110);
    }
    EXPECT_EQ(shop->pShopDoor()->position(), (engine::Point {165, 214}));
    EXPECT_TRUE(shop->pShopDoor()->visible());
}

TEST_F(ShopTest, ThemeInUseReplacesTheArt) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setInteger(2, "thm_001");
    shop->loadShop(3);
    EXPECT_EQ(shop->floorImageName(), "qrn_theme_beach_bg.jpg");
    EXPECT_EQ(shop->wallImageName(), "qrn_theme_beach_wall.png");
    // The built-in theme brings back the level's art.
    defaults.setInteger(1, "thm_001");
    defaults.setInteger(2, "thm_000");
    shop->loadShop(3);
    EXPECT_EQ(shop->floorImageName(), "qrn_ip_bg03.jpg");
}

TEST_F(ShopTest, DownloadedThemeNamesStayInTheDataFolder) {
    auto entry = [](std::string uid, std::string wall, std::string bg, bool door) {
        auto data = base::Dictionary::create();
        data->setObject("wall", wall);
        data->setObject("bg", bg);
        data->setObject("door", door);
        auto item = base::Dictionary::create();
        item->setObject("type", "theme");
        item->setObject("uid", uid);
        item->setObject("data", data);
        return base::Value(item);
    };
    writeUnpacked(base::Array::create({entry("dlc_good", "walls/w.png", "f.jpg", false),
        entry("dlc_evil", "../../../etc/passwd", "/etc/shadow", true),
        entry("thm_evil", "../secret.png", "sub/dir.jpg", true)}));
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto folder
        = (std::filesystem::path(foundation::Sandbox::root()) / "Library/Marrowby").string();

    defaults.setInteger(2, "dlc_good");
    shop->loadShop(1);
    EXPECT_EQ(shop->wallImageName(), folder + "/walls/w.png");
    EXPECT_EQ(shop->floorImageName(), folder + "/f.jpg");
    EXPECT_FALSE(shop->pShopDoor()->visible());

    // Names that lead out of their folder are refused: the built-in art is used.
    for (char const* uid : {"dlc_evil", "thm_evil"}) {
        defaults.setInteger(0, "dlc_good");
        defaults.setInteger(0, "dlc_evil");
        defaults.setInteger(0, "thm_evil");
        defaults.setInteger(2, uid);
        shop->loadShop(1);
        EXPECT_EQ(shop->wallImageName(), "qrn_ip_wall01.png") << uid;
        EXPECT_EQ(shop->floorImageName(), "qrn_ip_bg01.jpg") << uid;
    }
}

TEST_F(ShopTest, LevelPackDataIsTakenAboveLevelTwenty) {
    auto pack = [](std::string uid, int cap, int moneyReq) {
        auto data = base::Dictionary::create();
        data->setObject("levelCap", cap);
        data->setObject("moneyReq", moneyReq);
        auto item = base::Dictionary::create();
        item->setObject("type", "level");
        item->setObject("uid", uid);
        item->setObject("data", data);
        return base::Value(item);
    };
    writeUnpacked(base::Array::create({pack("a", 21, 1), pack("b", 22, 2), pack("c", 22, 3)}));
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setInteger(1, "level_a_active");
    defaults.setInteger(1, "level_b_active");
    auto& globals = GameGlobals::shared();
    globals.shopLevel = 22;
    game::DataConrtoller::saveShopLevel();
    shop->loading();
    ASSERT_TRUE(globals.levelCapData);
    // The inactive pack "c" is left out.
    EXPECT_EQ(globals.levelCapData->objectForKey("moneyReq").intValue(), 2);
}

TEST_F(ShopTest, SaveMadeAfterHoursReopensAfterHours) {
    game::DataConrtoller::saveShopState(3);
    services.banner = true;
    load();
    auto& globals = GameGlobals::shared();
    EXPECT_EQ(shop->getShopState(), 3);
    EXPECT_FLOAT_EQ(globals.shopTime, 150);
    auto& calls = hud->calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "showNextDayButton"), calls.end());
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "showNewDay"), calls.end());
    EXPECT_NE(std::find(services.events.begin(), services.events.end(), "showAdView"),
        services.events.end());
}

TEST_F(ShopTest, SaveMadeMidDayResumesAtItsClockWithoutBanner) {
    auto& globals = GameGlobals::shared();
    globals.day = 4;
    globals.shopTime = 42.5f;
    globals.lastDayMoney = 150;
    game::DataConrtoller::saveDay();
    game::DataConrtoller::saveShopTime();
    game::DataConrtoller::saveLastDayMoney();
    game::DataConrtoller::saveShopState(2);
    globals.shopTime = 0;
    globals.lastDayMoney = 0;
    load();
    EXPECT_EQ(shop->getShopState(), 2);
    EXPECT_FLOAT_EQ(globals.shopTime, 42.5f);
    EXPECT_EQ(globals.lastDayMoney, 150);
    EXPECT_TRUE(hud->calls.empty()) << hud->calls.front();
    EXPECT_FALSE(shop->isPaused());
}

TEST_F(ShopTest, FreshDayShowsTheBannerAndTheFirstDayOpensTheHelpPaused) {
    struct Case {
        int day;
        bool pony;
        std::vector<std::string> calls;
        bool paused;
    };
    for (auto const& c :
        {Case {1, false, {"showNewDay", "showHelpMenu", "hiddenPauseButton"}, true},
            Case {2, false, {"showNewDay"}, false}, Case {2, true, {"showPonyNewDay"}, false}}) {
        TearDown();
        SetUp();
        auto& globals = GameGlobals::shared();
        globals.day = c.day;
        game::DataConrtoller::saveDay();
        foundation::UserDefaults::standardUserDefaults().setBool(
            c.pony, serverkit::PonyDayDirectiveHandler::EnabledKey);
        load();
        EXPECT_EQ(hud->calls, c.calls) << c.day;
        EXPECT_EQ(shop->isPaused(), c.paused) << c.day;
        EXPECT_EQ(serverkit::PonyDayDirectiveHandler::isPonyModeActive(), c.pony);
        EXPECT_FALSE(serverkit::PonyDayDirectiveHandler::isPonyModeEnabled());
    }
}

TEST_F(ShopTest, SavedFurnitureComesBackAsItWas) {
    // Place 14 (an empty place for a dryer) bought at level 1, the bath of place 11
    // upgraded to level 2.
    game::DataConrtoller::saveFurnType(11, 2);
    game::DataConrtoller::saveFurnLevel(11, 2);
    game::DataConrtoller::saveFurnType(14, 3);
    game::DataConrtoller::saveFurnLevel(14, 1);
    load();
    EXPECT_EQ(furnitureWithID(11)->nLevel(), 2);
    EXPECT_EQ(furnitureWithID(11)->furnType(), 2);
    EXPECT_EQ(furnitureWithID(14)->nLevel(), 1);
    EXPECT_EQ(furnitureWithID(14)->furnType(), 3);
    EXPECT_EQ(shop->getFurnCount(3), 2);
    // A saved level of 0 keeps the empty place it was given, with its purchase data.
    auto* place = furnitureWithID(9);
    EXPECT_EQ(place->furnType(), -1);
    EXPECT_EQ(place->nReqShopLevel(), 3);
    EXPECT_EQ(furnitureWithID(-1)->furnType(), -1);
}

TEST_F(ShopTest, CheckoutArithmetic) {
    struct Case {
        float customerSatisfaction;
        float petSatisfaction;
        int fee;
        float feeRatio;
        int day;
        int income;
        float satisfactionGain;
    };
    Case const cases[] = {
        {3.46f, 2.0f, 100, 15, 1, 5550, 5.4f},
        {3.46f, 2.0f, 100, 15, 30, 2220, 5.4f},
        {0.1f, 0.05f, 30, 1, 1, 31, 0.1f},
        {0.1f, 0.2f, 30, 1, 1, 34, 0.3f},
        {0.0f, 0.0f, 40, 1.5f, 1, 60, 0},
        {-0.2f, 0.1f, 40, 1, 1, 40, 0},
    };
    load();
    auto& globals = GameGlobals::shared();
    for (auto const& c : cases) {
        globals.day = c.day;
        globals.money = 1000;
        globals.satisfaction = 10;
        auto pair = makePair();
        pair.customer->setFSatisfaction(c.customerSatisfaction);
        pair.pet->setFSatisfaction(c.petSatisfaction);
        pair.pet->setNTotalFee(c.fee);
        pair.customer->setFFeeRatio(c.feeRatio);
        ASSERT_TRUE(shop->addCustomerToCounter(pair.customer.get()));
        shop->finishCounterService();
        EXPECT_EQ(globals.money, 1000 + c.income) << c.fee << " " << c.day;
        EXPECT_NEAR(globals.satisfaction, 10 + c.satisfactionGain, 1e-4) << c.fee;
        EXPECT_EQ(shop->getCounterCustomer(0), nullptr);
        EXPECT_EQ(pair.customer->getAIState(), QBY_Character::stateLeaving);
        EXPECT_EQ(pair.pet->getAIState(), QBY_Character::stateLeaving);
    }
    EXPECT_EQ(globals.customerToday, 6);
    EXPECT_EQ(globals.overallMoneyEarned, 5550 + 2220 + 31 + 34 + 60 + 40);
}

// A fee ratio from outside (a pony day's multiplier from the server) can make a payment
// that int cannot hold: it pays the most an int holds instead.
TEST_F(ShopTest, CheckoutOfAnUnpayableFeeStopsAtTheLimitOfInt) {
    load();
    auto& globals = GameGlobals::shared();
    globals.money = 0;
    auto pair = makePair();
    pair.pet->setNTotalFee(100);
    pair.customer->setFFeeRatio(1e12f);
    ASSERT_TRUE(shop->addCustomerToCounter(pair.customer.get()));
    shop->finishCounterService();
    EXPECT_EQ(globals.money, std::numeric_limits<int>::max());
    EXPECT_EQ(globals.overallMoneyEarned, std::numeric_limits<int>::max());
}

TEST_F(ShopTest, CheckoutWithNobodyAtTheCounterPaysNothing) {
    load();
    int money = GameGlobals::shared().money;
    EXPECT_TRUE(shop->finishCounterService());
    EXPECT_EQ(GameGlobals::shared().money, money);
    EXPECT_EQ(GameGlobals::shared().customerToday, 0);
}

TEST_F(ShopTest, CounterQueueHoldsFourAndClosesGaps) {
    load();
    std::vector<Pair> pairs;
    for (int i = 0; i < 5; ++i)
        pairs.push_back(makePair());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(shop->canAddCustomerToCounter());
        EXPECT_TRUE(shop->addCustomerToCounter(pairs[std::size_t(i)].customer.get()));
    }
    // Already queued: yes, and no second place.
    EXPECT_TRUE(shop->addCustomerToCounter(pairs[1].customer.get()));
    EXPECT_FALSE(shop->canAddCustomerToCounter());
    EXPECT_FALSE(shop->addCustomerToCounter(pairs[4].customer.get()));
    EXPECT_EQ(shop->getCounterCustomerIndex(pairs[4].customer.get()), -1);

    // The customer in place 2 leaves angry; place 3 moves up, place 0 stays served.
    shop->removeCustomerFromCounter(pairs[2].customer.get());
    EXPECT_EQ(shop->getCounterCustomer(0), pairs[0].customer.get());
    EXPECT_EQ(shop->getCounterCustomer(1), pairs[1].customer.get());
    EXPECT_EQ(shop->getCounterCustomer(2), pairs[3].customer.get());
    EXPECT_EQ(shop->getCounterCustomer(3), nullptr);
    EXPECT_EQ(pairs[2].customer->getAIState(), QBY_Character::stateLeaving);
    // It walks to the door and out; the one served does not.
    int length = pairs[2].customer->walkPathLength();
    ASSERT_GE(length, 2);
    EXPECT_EQ(pairs[2].customer->walkPathPoint(length - 1), (engine::Point {0, 250}));
    EXPECT_EQ(pairs[2].customer->walkPathPoint(length - 2), (engine::Point {160, 250}));
    EXPECT_EQ(pairs[0].customer->getAIState(), QBY_Character::stateIdle);
    // Removing someone who is not queued changes nothing.
    shop->removeCustomerFromCounter(pairs[4].customer.get());
    EXPECT_EQ(shop->getCounterCustomer(2), pairs[3].customer.get());
}

TEST_F(ShopTest, ServedCustomerLeavesThroughTheCounter) {
    load();
    auto pair = makePair();
    shop->addCustomerToCounter(pair.customer.get());
    EXPECT_FALSE(shop->canServeCounter());
    pair.customer->setBUsingFurniture(true);
    EXPECT_TRUE(shop->canServeCounter());
    shop->finishCounterService();
    std::vector<engine::Point> path;
    for (int i = 0; i < pair.customer->walkPathLength(); ++i)
        path.push_back(pair.customer->walkPathPoint(i));
    EXPECT_EQ(path, (std::vector<engine::Point> {{100, 60}, {160, 60}, {160, 250}, {0, 250}}));
    EXPECT_EQ(hud->incomeShown.size(), 0u);
    EXPECT_EQ(QBY_Character::pendingIncomeMessages(), 1u);
}

TEST_F(ShopTest, FifthCustomerOfALevelOneDayReportsTheOfferActionOnce) {
    load();
    auto& globals = GameGlobals::shared();
    for (int i = 0; i < 4; ++i) {
        auto pair = makePair();
        shop->addCustomerToCounter(pair.customer.get());
        shop->finishCounterService();
    }
    EXPECT_TRUE(services.reported.empty());
    for (int i = 0; i < 3; ++i) {
        auto pair = makePair();
        shop->addCustomerToCounter(pair.customer.get());
        shop->finishCounterService();
    }
    EXPECT_EQ(services.reported, (std::vector<std::string> {"0 BTX_5_CUST_ACTION"}));
    EXPECT_EQ(
        foundation::UserDefaults::standardUserDefaults().integerForKey("BTX_5_CUST_ACTION"), 1);
    EXPECT_EQ(globals.customerToday, 7);
}

TEST_F(ShopTest, OfferActionWaitsForTheNetworkAndRetriesAfterAReset) {
    services.reachable = false;
    Shop::reportPayPerAction(2, "BTX_DAY2_ACTION");
    EXPECT_TRUE(services.reported.empty());
    services.reachable = true;
    Shop::reportPayPerAction(2, "BTX_DAY2_ACTION");
    Shop::reportPayPerAction(2, "BTX_DAY2_ACTION");
    EXPECT_EQ(services.reported.size(), 1u);
    // A failed offer-wall connection puts the flag back; the action is sent again.
    foundation::UserDefaults::standardUserDefaults().setInteger(0, "BTX_DAY2_ACTION");
    Shop::reportPayPerAction(2, "BTX_DAY2_ACTION");
    EXPECT_EQ(services.reported.size(), 2u);
}

}

namespace {

TEST(SalonDayStart, ReadsTheFlagAndItsLevel) {
    struct Case {
        char const* argument;
        bool taken;
        std::optional<int> level;
    };
    Case const cases[] = {
        {"--salon-day", true, std::nullopt},
        {"--salon-day=8", true, 8},
        {"--salon-day=1", true, 1},
        {"--salon-day=0", false, std::nullopt},
        {"--salon-day=100", false, std::nullopt},
        {"--salon-day=8x", false, std::nullopt},
        {"--salon-day=", false, std::nullopt},
        {"--salon-days", false, std::nullopt},
        {"--headless", false, std::nullopt},
        {nullptr, false, std::nullopt},
    };
    for (auto const& c : cases) {
        std::optional<int> level;
        EXPECT_EQ(game::SalonDayStart::parseArgument(c.argument, level), c.taken)
            << (c.argument ? c.argument : "null");
        EXPECT_EQ(level, c.level) << (c.argument ? c.argument : "null");
    }
}

TEST_F(ShopTest, SalonDayStartAsksForTheSalonWithASavedWorkingDay) {
    game::SalonDayStart::start(6);
    auto& globals = GameGlobals::shared();
    EXPECT_EQ(globals.nextProgramState, game::ProgramStateShop);
    EXPECT_EQ(game::DataConrtoller::getShopLevel(), 6);
    EXPECT_EQ(game::DataConrtoller::getShopState(), 2);
    load();
    EXPECT_EQ(globals.shopLevel, 6);
    EXPECT_EQ(globals.day, 2);
    EXPECT_FALSE(shop->isPaused());
    EXPECT_EQ(shop->floorImageName(), "qrn_ip_bg06.jpg");
}

}
