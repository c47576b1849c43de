#include "ShellFixture.hpp"

#include <foundation/Bundle.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ResourceLookup.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GameServerStandIn.hpp>
#include <support/LogCapture.hpp>
#include <toolkit/json/JSONDecoder.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>

using game::DataConrtoller;
using game::DataManager;
using game::GameGlobals;

namespace {

using Store = std::map<std::string, std::string>;

GameGlobals& globals() {
    return GameGlobals::shared();
}

// What an empty store answers for all the same (the system's values, such as
// its languages); left out of the comparisons below.
std::set<std::string> systemKeys;

// The whole store as text, for comparing it before and after.
Store snapshot() {
    Store store;
    auto entries = DataManager::dictionaryRepresentation();
    for (auto const& [key, value] : *entries) {
        if (!systemKeys.contains(key))
            store[key] = value.description();
    }
    return store;
}

// The store's text entries only: what DataManager writes.
Store texts() {
    Store store;
    auto entries = DataManager::dictionaryRepresentation();
    for (auto const& [key, value] : *entries) {
        if (value.isString() && !systemKeys.contains(key))
            store[key] = *value.string();
    }
    return store;
}

void clearStore() {
    DataManager::removeAllKey("");
}

class DataConrtollerTest : public test::ShellFixture {
protected:
    DataConrtollerTest() {
        systemKeys.clear();
        for (auto const& key : DataManager::dictionaryRepresentation()->keys())
            systemKeys.insert(key);
    }
};

}

// --- the save format ---

TEST_F(DataConrtollerTest, EverySaveOperationWritesItsKeysAsText) {
    struct Case {
        char const* name;
        std::function<void()> save;
        Store stored;
    };
    std::vector<Case> const cases = {
        {"saveDay",
            [] {
                globals().day = 7;
                DataConrtoller::saveDay();
            },
            {{"DATA_DAY", "7"}, {"DATA_MAX_DAY", "7"}}},
        {"saveShopLevel",
            [] {
                globals().shopLevel = 3;
                DataConrtoller::saveShopLevel();
            },
            {{"DATA_SHOPLEVEL", "3"}, {"DATA_MAX_SHOPLEVEL", "3"}}},
        {"saveMoney",
            [] {
                globals().money = 250;
                DataConrtoller::saveMoney();
            },
            {{"DATA_MONEY", "250"}, {"DATA_MAX_MONEY", "250"}}},
        {"saveSatisfaction",
            [] {
                globals().satisfaction = 12.5f;
                DataConrtoller::saveSatisfaction();
            },
            {{"DATA_SATISFACTION", "12.500000"}, {"DATA_MAX_SATISFACTION", "12.500000"}}},
        {"saveShopTime",
            [] {
                globals().shopTime = 75.25f;
                DataConrtoller::saveShopTime();
            },
            {{"DATA_SHOPTIME", "75.250000"}}},
        {"saveLastDayMoney",
            [] {
                globals().lastDayMoney = 1000;
                DataConrtoller::saveLastDayMoney();
            },
            {{"DATA_LASTDAYMONEY", "1000"}, {"DATA_AVG_DAILY_CASHFLOW", "1000.000000"}}},
        {"saveLastDaySatisfaction",
            [] {
                globals().lastDaySatisfaction = 40;
                DataConrtoller::saveLastDaySatisfaction();
            },
            {{"DATA_LASTDAYSATISFACTION", "40.000000"}, {"DATA_AVG_DAILY_SATCHANGE", "40.000000"}}},
        {"saveShopState", [] { DataConrtoller::saveShopState(3); }, {{"DATA_SHOPSTATE", "3"}}},
        {"saveFurnType", [] { DataConrtoller::saveFurnType(3, 4); }, {{"DATA_FURNTYPE3", "4"}}},
        {"saveFurnLevel", [] { DataConrtoller::saveFurnLevel(12, 2); },
            {{"DATA_FURNLEVEL12", "2"}}},
        {"saveFurnDurablity", [] { DataConrtoller::saveFurnDurablity(0, 80); },
            {{"DATA_FURNDURABLITY0", "80"}}},
        {"saveStaffEnable", [] { DataConrtoller::saveStaffEnable(2, true); },
            {{"DATA_STAFFENABLE2", "1"}}},
        {"saveStaffLevel", [] { DataConrtoller::saveStaffLevel(0, 3); },
            {{"DATA_STAFFLEVEL0", "3"}}},
        {"saveDeclinedVIPDay", [] { DataConrtoller::saveDeclinedVIPDay(true); },
            {{"DATA_DECLINEDVIPDAY", "1"}}},
        {"logChallengeComplete", [] { DataConrtoller::logChallengeComplete(); },
            {{"DATA_CHALLENGE_COMPLETED", "1"}, {"DATA_CHALLENGE_CONSECUTIVE", "1"}}},
        {"logChallengeFailed", [] { DataConrtoller::logChallengeFailed(); },
            {{"DATA_CHALLENGE_FAILED", "1"}, {"DATA_CHALLENGE_CONSECUTIVE", "0"}}},
        {"saveEmail", [] { DataConrtoller::saveEmail("a@b.example"); },
            {{"SYS_EMAIL", "a@b.example"}}},
        {"saveBgmEnable", [] { DataConrtoller::saveBgmEnable(false); }, {{"SYS_BGM", "0"}}},
        {"saveSfxEnable", [] { DataConrtoller::saveSfxEnable(false); }, {{"SYS_SFX", "0"}}},
        {"savePrize", [] { DataConrtoller::savePrize(2, 50); }, {{"SYS_PRIZE2", "50"}}},
        {"setDailyChallengeEnabled", [] { DataConrtoller::setDailyChallengeEnabled(false); },
            {{"SYS_CHALLENGE", "0"}}},
        {"savePetPoints",
            [] {
                globals().petPoints = 30;
                globals().overallPetPoints = 80;
                DataConrtoller::savePetPoints();
            },
            {{"SYS_PETPOINTS", "30"}, {"SYS_OVERALLPETPOINTS", "80"}}},
        {"logPetPointsSpent", [] { DataConrtoller::logPetPointsSpent(5); },
            {{"SYS_PETPOINTS_SPENT", "5"}}},
        {"logPetPointsPurchased", [] { DataConrtoller::logPetPointsPurchased(100); },
            {{"SYS_PETPOINTS_PURCHASED", "100"}}},
        {"logPetPointsEarned", [] { DataConrtoller::logPetPointsEarned(7); },
            {{"SYS_PETPOINTS_EARNED", "7"}}},
    };
    for (auto const& c : cases) {
        clearStore();
        c.save();
        EXPECT_EQ(snapshot().size(), c.stored.size()) << c.name;
        EXPECT_EQ(texts(), c.stored) << c.name;
    }
}

TEST_F(DataConrtollerTest, CountingRecordWritesNineteenCountersUnderTheirKeys) {
    std::vector<std::pair<char const*, int GameGlobals::*>> const record = {
        {"DATA_CUSTOMER_TODAY", &GameGlobals::customerToday},
        {"DATA_CUSTOMER_OVERALL", &GameGlobals::customerOverall},
        {"DATA_CUSTOMERLEAVE_TODAY", &GameGlobals::customerLeaveToday},
        {"DATA_CUSTOMERLEAVE_OVERALL", &GameGlobals::customerLeaveOverall},
        {"DATA_OVERALLMONEYEARNED", &GameGlobals::overallMoneyEarned},
        {"DATA_RICHLADYVISITCOUNT", &GameGlobals::richLadyVisitCount},
        {"DATA_PREZVISITCOUNT", &GameGlobals::prezVisitCount},
        {"DATA_SUPERVISITCOUNT", &GameGlobals::superVisitCount},
        {"DATA_MUSIC_PLAYCOUNT_TODAY", &GameGlobals::musicPlayCountToday},
        {"DATA_CUSTOMER_HAPPYCOUNT", &GameGlobals::customerHappyCount},
        {"DATA_CUSTOMER_HAPPYCOUNT_P", &GameGlobals::customerHappyCountP},
        {"DATA_CUSTOMER_ANGRYCOUNT", &GameGlobals::customerAngryCount},
        {"DATA_CUSTOMER_ANGRYCOUNT_P", &GameGlobals::customerAngryCountP},
        {"DATA_CUSTOMER_HURRYCOUNT", &GameGlobals::customerHurryCount},
        {"DATA_CUSTOMER_HURRYCOUNT_P", &GameGlobals::customerHurryCountP},
        {"DATA_CUSTOMER_INCOME", &GameGlobals::customerIncome},
        {"DATA_CUSTOMER_INCOME_P", &GameGlobals::customerIncomeP},
        {"DATA_CUSTOMER_SERVICE", &GameGlobals::customerService},
        {"DATA_CUSTOMER_SERVICE_P", &GameGlobals::customerServiceP},
    };
    Store expected;
    for (std::size_t i = 0; i < record.size(); ++i) {
        globals().*record[i].second = int(100 + i);
        expected[record[i].first] = std::to_string(100 + i);
    }
    globals().customerFastService = 55;
    globals().customerFastServiceP = 56;

    DataConrtoller::saveCountingRecord();
    EXPECT_EQ(snapshot().size(), 19u);
    EXPECT_EQ(texts(), expected);

    GameGlobals::reset();
    DataConrtoller::loadCountingRecord();
    for (std::size_t i = 0; i < record.size(); ++i)
        EXPECT_EQ(globals().*record[i].second, int(100 + i)) << record[i].first;
    EXPECT_EQ(globals().customerFastService, 0);
}

TEST_F(DataConrtollerTest, ResettingTheRecordKeepsSuperheroAndChallengeCounters) {
    auto& g = globals();
    for (int* counter : {&g.customerToday, &g.customerOverall, &g.customerLeaveToday,
             &g.customerLeaveOverall, &g.overallMoneyEarned, &g.richLadyVisitCount,
             &g.prezVisitCount, &g.superVisitCount, &g.musicPlayCountToday, &g.customerHappyCount,
             &g.customerHappyCountP, &g.customerAngryCount, &g.customerAngryCountP,
             &g.customerHurryCount, &g.customerHurryCountP, &g.customerIncome, &g.customerIncomeP,
             &g.customerService, &g.customerServiceP})
        *counter = 5;
    DataConrtoller::resetCountingRecord();

    for (char const* key : {"DATA_CUSTOMER_TODAY", "DATA_CUSTOMER_OVERALL",
             "DATA_CUSTOMERLEAVE_TODAY", "DATA_CUSTOMERLEAVE_OVERALL", "DATA_OVERALLMONEYEARNED",
             "DATA_RICHLADYVISITCOUNT", "DATA_PREZVISITCOUNT", "DATA_MUSIC_PLAYCOUNT_TODAY"})
        EXPECT_EQ(DataManager::getStringForKey(key), "0") << key;
    for (char const* key : {"DATA_SUPERVISITCOUNT", "DATA_CUSTOMER_HAPPYCOUNT",
             "DATA_CUSTOMER_HAPPYCOUNT_P", "DATA_CUSTOMER_ANGRYCOUNT", "DATA_CUSTOMER_ANGRYCOUNT_P",
             "DATA_CUSTOMER_HURRYCOUNT", "DATA_CUSTOMER_HURRYCOUNT_P", "DATA_CUSTOMER_INCOME",
             "DATA_CUSTOMER_INCOME_P", "DATA_CUSTOMER_SERVICE", "DATA_CUSTOMER_SERVICE_P"})
        EXPECT_EQ(DataManager::getStringForKey(key), "5") << key;
    EXPECT_EQ(g.customerToday, 0);
    EXPECT_EQ(g.superVisitCount, 5);
}

// --- reading ---

TEST_F(DataConrtollerTest, FirstLaunchReadsTheDefaults) {
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
    DataConrtoller::loadPetPoints();
    EXPECT_EQ(globals().day, 1);
    EXPECT_EQ(globals().shopLevel, 1);
    EXPECT_EQ(globals().money, 0);
    EXPECT_EQ(globals().satisfaction, 0.0f);
    EXPECT_EQ(globals().petPoints, 0);
    EXPECT_EQ(globals().overallPetPoints, 0);
    EXPECT_EQ(DataConrtoller::getShopLevel(), 1);
    EXPECT_EQ(DataConrtoller::getShopState(), 2);
    for (int slot = 0; slot < 40; ++slot) {
        EXPECT_EQ(DataConrtoller::getFurnType(slot), -1);
        EXPECT_EQ(DataConrtoller::getFurnLevel(slot), -1);
        EXPECT_EQ(DataConrtoller::getFurnDurablity(slot), 0);
    }
    for (int member = 0; member < 5; ++member) {
        EXPECT_FALSE(DataConrtoller::getStaffEnable(member));
        EXPECT_EQ(DataConrtoller::getStaffLevel(member), 1);
    }
    EXPECT_TRUE(DataConrtoller::getBgmEnable());
    EXPECT_TRUE(DataConrtoller::getSfxEnable());
    EXPECT_TRUE(DataConrtoller::getDailyChallengeEnabled());
    EXPECT_FALSE(DataConrtoller::loadDeclinedVIPDay());
    EXPECT_EQ(DataConrtoller::getEmail(), std::nullopt);
    EXPECT_EQ(DataConrtoller::getPrize(0), 0);
    EXPECT_EQ(DataConrtoller::getChallengeCompleteCount(), 0);
    EXPECT_FALSE(DataConrtoller::haveResumeData());
    EXPECT_TRUE(snapshot().empty());
}

TEST_F(DataConrtollerTest, LoadsGiveBackWhatWasSaved) {
    auto& g = globals();
    g.day = 12;
    g.shopLevel = 4;
    g.money = 3456;
    g.satisfaction = 78.5f;
    g.shopTime = 99.75f;
    g.lastDayMoney = 3000;
    g.lastDaySatisfaction = 70.25f;
    DataConrtoller::saveDay();
    DataConrtoller::saveShopLevel();
    DataConrtoller::saveMoney();
    DataConrtoller::saveSatisfaction();
    DataConrtoller::saveShopTime();
    DataConrtoller::saveLastDayMoney();
    DataConrtoller::saveLastDaySatisfaction();

    GameGlobals::reset();
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
    DataConrtoller::loadShopTime();
    DataConrtoller::loadLastDayMoney();
    DataConrtoller::loadLastDaySatisfaction();
    EXPECT_EQ(g.day, 12);
    EXPECT_EQ(g.shopLevel, 4);
    EXPECT_EQ(g.money, 3456);
    EXPECT_FLOAT_EQ(g.satisfaction, 78.5f);
    EXPECT_FLOAT_EQ(g.shopTime, 99.75f);
    EXPECT_EQ(g.lastDayMoney, 3000);
    EXPECT_FLOAT_EQ(g.lastDaySatisfaction, 70.25f);
    EXPECT_EQ(DataConrtoller::getShopLevel(), 4);
}

TEST_F(DataConrtollerTest, PerSlotValuesStayInTheirSlots) {
    DataConrtoller::saveFurnType(1, 5);
    DataConrtoller::saveFurnType(11, 6);
    DataConrtoller::saveStaffEnable(1, true);
    DataConrtoller::saveStaffLevel(3, 2);
    EXPECT_EQ(DataConrtoller::getFurnType(1), 5);
    EXPECT_EQ(DataConrtoller::getFurnType(11), 6);
    EXPECT_EQ(DataConrtoller::getFurnType(2), -1);
    EXPECT_TRUE(DataConrtoller::getStaffEnable(1));
    EXPECT_FALSE(DataConrtoller::getStaffEnable(2));
    EXPECT_EQ(DataConrtoller::getStaffLevel(3), 2);
    EXPECT_EQ(DataConrtoller::getStaffLevel(1), 1);
}

// --- maxima and averages ---

TEST_F(DataConrtollerTest, MaximaRiseOnlyForHigherValues) {
    struct Case {
        char const* name;
        std::function<void()> save;
        char const* maxKey;
        std::optional<std::string> storedMax;
        std::optional<std::string> expectedMax;
    };
    std::vector<Case> const cases = {
        {"money below",
            [] {
                globals().money = 500;
                DataConrtoller::saveMoney();
            },
            "DATA_MAX_MONEY", "800", "800"},
        {"money above",
            [] {
                globals().money = 900;
                DataConrtoller::saveMoney();
            },
            "DATA_MAX_MONEY", "800", "900"},
        {"money equal",
            [] {
                globals().money = 800;
                DataConrtoller::saveMoney();
            },
            "DATA_MAX_MONEY", "800", "800"},
        {"day above",
            [] {
                globals().day = 31;
                DataConrtoller::saveDay();
            },
            "DATA_MAX_DAY", "30", "31"},
        {"day below",
            [] {
                globals().day = 2;
                DataConrtoller::saveDay();
            },
            "DATA_MAX_DAY", "30", "30"},
        {"level 1 without maximum",
            [] {
                globals().shopLevel = 1;
                DataConrtoller::saveShopLevel();
            },
            "DATA_MAX_SHOPLEVEL", std::nullopt, std::nullopt},
        {"level 2 without maximum",
            [] {
                globals().shopLevel = 2;
                DataConrtoller::saveShopLevel();
            },
            "DATA_MAX_SHOPLEVEL", std::nullopt, "2"},
        {"satisfaction above",
            [] {
                globals().satisfaction = 50.5f;
                DataConrtoller::saveSatisfaction();
            },
            "DATA_MAX_SATISFACTION", "50.000000", "50.500000"},
        {"satisfaction below",
            [] {
                globals().satisfaction = 10;
                DataConrtoller::saveSatisfaction();
            },
            "DATA_MAX_SATISFACTION", "50.000000", "50.000000"},
        {"money 0 without maximum",
            [] {
                globals().money = 0;
                DataConrtoller::saveMoney();
            },
            "DATA_MAX_MONEY", std::nullopt, std::nullopt},
    };
    for (auto const& c : cases) {
        clearStore();
        if (c.storedMax)
            DataManager::setString(*c.storedMax, c.maxKey);
        c.save();
        EXPECT_EQ(DataManager::getStringForKey(c.maxKey), c.expectedMax) << c.name;
    }
}

TEST_F(DataConrtollerTest, DailyAveragesTakeHalfOfEachNewValue) {
    globals().lastDayMoney = 1000;
    DataConrtoller::saveLastDayMoney();
    EXPECT_EQ(DataManager::getStringForKey("DATA_AVG_DAILY_CASHFLOW"), "1000.000000");
    globals().lastDayMoney = 500;
    DataConrtoller::saveLastDayMoney();
    EXPECT_EQ(DataManager::getStringForKey("DATA_AVG_DAILY_CASHFLOW"), "750.000000");

    globals().lastDaySatisfaction = 20;
    DataConrtoller::saveLastDaySatisfaction();
    globals().lastDaySatisfaction = 30;
    DataConrtoller::saveLastDaySatisfaction();
    EXPECT_EQ(DataManager::getStringForKey("DATA_AVG_DAILY_SATCHANGE"), "25.000000");
}

TEST_F(DataConrtollerTest, AStoredAverageOfZeroCountsAsNoAverage) {
    DataManager::setString("0.000000", "DATA_AVG_DAILY_CASHFLOW");
    globals().lastDayMoney = 640;
    DataConrtoller::saveLastDayMoney();
    EXPECT_EQ(DataManager::getStringForKey("DATA_AVG_DAILY_CASHFLOW"), "640.000000");
}

// --- counts and settings ---

TEST_F(DataConrtollerTest, ChallengeCountsAndStreak) {
    DataConrtoller::logChallengeComplete();
    DataConrtoller::logChallengeComplete();
    EXPECT_EQ(DataConrtoller::getChallengeCompleteStreak(), 2);
    DataConrtoller::logChallengeFailed();
    DataConrtoller::logChallengeComplete();
    EXPECT_EQ(DataConrtoller::getChallengeCompleteCount(), 3);
    EXPECT_EQ(DataConrtoller::getChallengeFailCount(), 1);
    EXPECT_EQ(DataConrtoller::getChallengeCompleteStreak(), 1);
}

TEST_F(DataConrtollerTest, PetPointTotalsAddUp) {
    DataConrtoller::logPetPointsSpent(30);
    DataConrtoller::logPetPointsSpent(12);
    DataConrtoller::logPetPointsPurchased(460);
    DataConrtoller::logPetPointsEarned(5);
    DataConrtoller::logPetPointsEarned(5);
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS_SPENT"), 42);
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS_PURCHASED"), 460);
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS_EARNED"), 10);
}

TEST_F(DataConrtollerTest, LifetimePetPointsDefaultToTheCurrentBalance) {
    DataManager::setInt(40, "SYS_PETPOINTS");
    DataConrtoller::loadPetPoints();
    EXPECT_EQ(globals().petPoints, 40);
    EXPECT_EQ(globals().overallPetPoints, 40);
    EXPECT_TRUE(globals().petPointsChanged);

    DataManager::setInt(90, "SYS_OVERALLPETPOINTS");
    DataConrtoller::loadPetPoints();
    EXPECT_EQ(globals().overallPetPoints, 90);

    globals().petPointsChanged = false;
    DataConrtoller::savePetPoints();
    EXPECT_TRUE(globals().petPointsChanged);
}

TEST_F(DataConrtollerTest, ErasingRemovesBySubstring) {
    DataConrtoller::saveEmail("a@b.example");
    DataConrtoller::savePrize(0, 3);
    DataConrtoller::savePrize(4, 9);
    DataConrtoller::savePrize(17, 1);
    DataConrtoller::saveBgmEnable(false);
    DataConrtoller::eraseEmail();
    DataConrtoller::erasePrize();
    EXPECT_EQ(DataConrtoller::getEmail(), std::nullopt);
    EXPECT_EQ(texts(), (Store {{"SYS_BGM", "0"}}));
}

// --- new game ---

namespace {

base::Value storeItem(char const* type, std::optional<char const*> uid) {
    auto item = base::Dictionary::create({{"type", type}, {"name", "item"}});
    if (uid)
        item->setObject("uid", *uid);
    return item;
}

}

TEST_F(DataConrtollerTest, NewGameRemovesProgressAndKeepsSettingsAndOwnedThemes) {
    bundle.add("StoreItemList.plist",
        base::Array::create({storeItem("theme", "thm_000"), storeItem("theme", "thm_001"),
            storeItem("theme", "thm_002"), storeItem("staff", "stf_001"),
            storeItem("theme", std::nullopt), base::Value("not an item")}));
    globals().money = 500;
    DataConrtoller::saveMoney();
    DataManager::setObject(base::Array::create({"q1", "q2"}), "DATA_ACTIVE_QUESTS");
    DataManager::setObject(true, "DATA_CCTAB_FIRSTRUN");
    DataManager::setInt(77, "SYS_PETPOINTS");
    DataManager::setString("a@b.example", "SYS_EMAIL");
    DataManager::setObject(1, "thm_000");
    DataManager::setObject(2, "thm_001");
    DataManager::setObject(1, "thm_002");
    DataManager::setObject(2, "stf_001");

    DataConrtoller::resetData();

    EXPECT_FALSE(DataConrtoller::haveResumeData());
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS"), 77);
    EXPECT_EQ(DataConrtoller::getEmail(), "a@b.example");
    EXPECT_EQ(DataManager::objectForKey("thm_000"), base::Value(2));
    EXPECT_EQ(DataManager::objectForKey("thm_001"), base::Value(1));
    EXPECT_EQ(DataManager::objectForKey("thm_002"), base::Value(1));
    EXPECT_TRUE(DataManager::objectForKey("thm_000").isNumber());
    EXPECT_EQ(DataManager::objectForKey("stf_001"), base::Value(2));
}

TEST_F(DataConrtollerTest, NewGameWithoutTheStoreListStillPutsTheDefaultThemeInUse) {
    DataManager::setInt(3, "DATA_DAY");
    DataConrtoller::resetData();
    EXPECT_FALSE(DataConrtoller::haveResumeData());
    EXPECT_EQ(DataManager::getIntForKey("thm_000"), 2);
}

TEST_F(DataConrtollerTest, NewGameSequenceStartsWithTwoHundredCoins) {
    globals().day = 40;
    DataConrtoller::saveDay();
    globals().customerOverall = 900;
    DataConrtoller::saveCountingRecord();

    // What the main menu does to start a new game.
    DataConrtoller::resetData();
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
    globals().money = 200;
    DataConrtoller::saveMoney();
    globals().lastDayMoney = globals().money;
    DataConrtoller::saveLastDayMoney();
    globals().lastDaySatisfaction = globals().satisfaction;
    DataConrtoller::saveLastDaySatisfaction();
    DataConrtoller::resetCountingRecord();

    EXPECT_EQ(globals().day, 1);
    EXPECT_EQ(globals().shopLevel, 1);
    EXPECT_EQ(globals().satisfaction, 0.0f);
    EXPECT_EQ(DataManager::getStringForKey("DATA_MONEY"), "200");
    EXPECT_EQ(DataManager::getStringForKey("DATA_MAX_MONEY"), "200");
    EXPECT_EQ(DataManager::getStringForKey("DATA_MAX_DAY"), std::nullopt);
    EXPECT_EQ(DataManager::getStringForKey("DATA_AVG_DAILY_CASHFLOW"), "200.000000");
    EXPECT_EQ(DataManager::getStringForKey("DATA_CUSTOMER_OVERALL"), "0");
    EXPECT_TRUE(DataConrtoller::haveResumeData());
}

TEST_F(DataConrtollerTest, AnyDataKeyMeansASavedGame) {
    EXPECT_FALSE(DataConrtoller::haveResumeData());
    DataManager::setInt(1, "SYS_BGM");
    EXPECT_FALSE(DataConrtoller::haveResumeData());
    DataManager::setObject(base::Array::create(), "DATA_ACTIVE_QUESTS");
    EXPECT_TRUE(DataConrtoller::haveResumeData());
}

// --- export and import ---

namespace {

void fillDevice() {
    globals().day = 9;
    globals().shopLevel = 3;
    globals().money = 1500;
    globals().satisfaction = 33.5f;
    DataConrtoller::saveDay();
    DataConrtoller::saveShopLevel();
    DataConrtoller::saveMoney();
    DataConrtoller::saveSatisfaction();
    DataConrtoller::saveFurnType(3, 2);
    DataConrtoller::saveStaffEnable(1, true);
    DataManager::setObject(base::Array::create({"q7", "q9"}), "DATA_ACTIVE_QUESTS");
    DataManager::setObject(true, "DATA_CCTAB_FIRSTRUN");
    DataManager::setInt(250, "SYS_PETPOINTS");
    DataManager::setString("first@device.example", "SYS_EMAIL");
    DataManager::setObject(2, "thm_001");
}

}

TEST_F(DataConrtollerTest, ExportHoldsEveryDataKeyAndNothingElse) {
    fillDevice();
    auto save = DataConrtoller::exportSaveData();
    std::set<std::string> keys;
    for (auto const& [key, value] : *save)
        keys.insert(key);
    EXPECT_EQ(keys,
        (std::set<std::string> {"DATA_DAY", "DATA_MAX_DAY", "DATA_SHOPLEVEL", "DATA_MAX_SHOPLEVEL",
            "DATA_MONEY", "DATA_MAX_MONEY", "DATA_SATISFACTION", "DATA_MAX_SATISFACTION",
            "DATA_FURNTYPE3", "DATA_STAFFENABLE1", "DATA_ACTIVE_QUESTS", "DATA_CCTAB_FIRSTRUN"}));
    EXPECT_EQ(save->objectForKey("DATA_MONEY"), base::Value("1500"));
    EXPECT_EQ(save->objectForKey("DATA_CCTAB_FIRSTRUN"), base::Value(true));
}

TEST_F(DataConrtollerTest, ExportIsACopyThatLaterSavesDoNotChange) {
    fillDevice();
    auto save = DataConrtoller::exportSaveData();
    globals().money = 1;
    DataConrtoller::saveMoney();
    DataManager::setObject(base::Array::create({"q1"}), "DATA_ACTIVE_QUESTS");
    EXPECT_EQ(save->objectForKey("DATA_MONEY"), base::Value("1500"));
    EXPECT_EQ(save->objectForKey("DATA_ACTIVE_QUESTS").array()->size(), 2u);
}

TEST_F(DataConrtollerTest, ImportOnAnotherDeviceReproducesTheSaveAndKeepsItsSettings) {
    fillDevice();
    auto save = DataConrtoller::exportSaveData();
    auto exported = snapshot();

    // The other device: its own settings and a progress key the save lacks.
    clearStore();
    GameGlobals::reset();
    DataManager::setInt(5, "SYS_PETPOINTS");
    DataManager::setString("second@device.example", "SYS_EMAIL");
    DataManager::setInt(4, "DATA_FURNTYPE7");

    EXPECT_TRUE(DataConrtoller::importSaveData(save.get()));

    auto imported = snapshot();
    for (auto const& [key, value] : exported) {
        if (key.find("DATA_") != std::string::npos) {
            EXPECT_EQ(imported[key], value) << key;
        }
    }
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS"), 5);
    EXPECT_EQ(DataConrtoller::getEmail(), "second@device.example");
    EXPECT_EQ(DataManager::getIntForKey("DATA_FURNTYPE7"), 4);
    EXPECT_FALSE(DataManager::checkHaveKey("thm_001"));
    EXPECT_EQ(globals().day, 9);
    EXPECT_EQ(globals().shopLevel, 3);
    EXPECT_EQ(globals().money, 1500);
    EXPECT_FLOAT_EQ(globals().satisfaction, 33.5f);
}

TEST_F(DataConrtollerTest, ImportLeavesOutKeysThatAreNotSaveData) {
    DataManager::setInt(5, "SYS_PETPOINTS");
    auto save = base::Dictionary::create(
        {{"SYS_PETPOINTS", "99999"}, {"thm_003", 2}, {"DATA_MONEY", "75"}});
    test::LogCapture log;
    EXPECT_TRUE(DataConrtoller::importSaveData(save.get()));
    EXPECT_EQ(DataManager::getIntForKey("SYS_PETPOINTS"), 5);
    EXPECT_FALSE(DataManager::checkHaveKey("thm_003"));
    EXPECT_EQ(globals().money, 75);
    EXPECT_TRUE(log.contains("SYS_PETPOINTS"));
    EXPECT_TRUE(log.contains("thm_003"));
}

TEST_F(DataConrtollerTest, ImportTakesEveryKindTheGameReads) {
    auto save = base::Dictionary::create({{"DATA_MONEY", "75"}, {"DATA_DAY", 4},
        {"DATA_SATISFACTION", 12.5}, {"DATA_CCTAB_FIRSTRUN", true},
        {"DATA_ACTIVE_QUESTS", base::Array::create({"q1", "q2"})},
        {"DATA_MAX_MONEY", base::Value(std::uint64_t(80))}});
    EXPECT_TRUE(DataConrtoller::importSaveData(save.get()));
    EXPECT_EQ(globals().money, 75);
    EXPECT_EQ(globals().day, 4);
    EXPECT_FLOAT_EQ(globals().satisfaction, 12.5f);
    EXPECT_TRUE(DataManager::getBoolForKey("DATA_CCTAB_FIRSTRUN"));
    EXPECT_EQ(DataManager::objectForKey("DATA_ACTIVE_QUESTS"),
        base::Value(base::Array::create({"q1", "q2"})));
    EXPECT_EQ(DataManager::getIntForKey("DATA_MAX_MONEY"), 80);
}

TEST_F(DataConrtollerTest, ImportedNumbersBeyondAnIntSaturateAsTheirTextDoes) {
    constexpr int highest = std::numeric_limits<int>::max();
    constexpr int lowest = std::numeric_limits<int>::min();
    struct Case {
        char const* name;
        base::Value number;
        std::string text;
        int money;
    };
    std::vector<Case> const cases = {
        {"largest int", base::Value(2147483647), "2147483647", highest},
        {"2^31", base::Value(std::int64_t(1) << 31), "2147483648", highest},
        {"2^32 + 5", base::Value((std::int64_t(1) << 32) + 5), "4294967301", highest},
        {"largest 64-bit", base::Value(std::numeric_limits<std::int64_t>::max()),
            "9223372036854775807", highest},
        {"largest unsigned", base::Value(std::numeric_limits<std::uint64_t>::max()),
            "18446744073709551615", highest},
        {"1e300", base::Value(1e300), "1" + std::string(300, '0'), highest},
        {"2^31 as a real", base::Value(2147483648.0), "2147483648", highest},
        {"smallest int", base::Value(lowest), "-2147483648", lowest},
        {"-2^31 - 1", base::Value(-(std::int64_t(1) << 31) - 1), "-2147483649", lowest},
        {"-2^32 - 5", base::Value(-(std::int64_t(1) << 32) - 5), "-4294967301", lowest},
        {"-1e300", base::Value(-1e300), "-1" + std::string(300, '0'), lowest},
        {"a real inside the range", base::Value(-12.75), "-12", -12},
    };
    for (auto const& c : cases) {
        for (auto const& [form, value] :
            {std::pair {"number", c.number}, std::pair {"text", base::Value(c.text)}}) {
            GameGlobals::reset();
            auto save = base::Dictionary::create(
                {{"DATA_MONEY", value}, {"DATA_DAY", value}, {"DATA_DECLINEDVIPDAY", value}});
            ASSERT_TRUE(DataConrtoller::importSaveData(save.get())) << c.name << " as " << form;
            EXPECT_EQ(globals().money, c.money) << c.name << " as " << form;
            EXPECT_EQ(globals().day, c.money) << c.name << " as " << form;
            // A flag is set by any number but 0: a large one never wraps to 0.
            EXPECT_TRUE(DataConrtoller::loadDeclinedVIPDay()) << c.name << " as " << form;
        }
    }
}

TEST_F(DataConrtollerTest, ImportWithAnUnreadableValueIsRefusedWithoutTouchingTheSave) {
    struct Case {
        char const* name;
        std::string key;
        base::Value value;
    };
    std::vector<Case> const cases = {
        {"dictionary", "DATA_DAY", base::Dictionary::create({{"day", 3}})},
        {"data", "DATA_DAY", base::Value(base::Bytes {1, 2, 3})},
        {"date", "DATA_DAY", base::Value(base::Date {1000})},
        {"list of numbers", "DATA_ACTIVE_QUESTS", base::Array::create({1, 2})},
        {"nested list", "DATA_ACTIVE_QUESTS", base::Array::create({base::Array::create({"q1"})})},
        {"not a number", "DATA_SATISFACTION", std::numeric_limits<double>::quiet_NaN()},
        {"infinite", "DATA_SATISFACTION", std::numeric_limits<double>::infinity()},
        {"broken text", "DATA_EMAIL", base::Value(std::string("a\xff\xfe"))},
        {"broken key", std::string("DATA_\xff"), base::Value("1")},
    };
    for (auto const& c : cases) {
        clearStore();
        GameGlobals::reset();
        fillDevice();
        auto before = snapshot();
        // Good values and foreign keys beside the bad one change nothing either.
        auto save = base::Dictionary::create({{"DATA_MONEY", "1"}, {"SYS_PETPOINTS", "99999"},
            {c.key, c.value}, {"DATA_FURNTYPE9", "3"}});
        test::LogCapture log;
        EXPECT_FALSE(DataConrtoller::importSaveData(save.get())) << c.name;
        EXPECT_EQ(snapshot(), before) << c.name;
        EXPECT_EQ(globals().money, 1500) << c.name;
        EXPECT_TRUE(log.contains("refused")) << c.name;
    }
}

TEST_F(DataConrtollerTest, ImportOfNothingChangesNothingAndReloads) {
    fillDevice();
    auto before = snapshot();
    GameGlobals::reset();
    EXPECT_TRUE(DataConrtoller::importSaveData(nullptr));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(globals().money, 1500);

    GameGlobals::reset();
    auto empty = base::Dictionary::create();
    EXPECT_TRUE(DataConrtoller::importSaveData(empty.get()));
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(globals().day, 9);
}

TEST_F(DataConrtollerTest, ImportedListsAreNotSharedWithTheSender) {
    auto quests = base::Array::create({"q1"});
    auto save = base::Dictionary::create({{"DATA_ACTIVE_QUESTS", quests}});
    DataConrtoller::importSaveData(save.get());
    quests->add("q2");
    EXPECT_EQ(DataManager::objectForKey("DATA_ACTIVE_QUESTS").array()->size(), 1u);
}

// --- saves of many keys ---

TEST_F(DataConrtollerTest, ASaveOfManyKeysReachesTheFileOnlyWhenItsBatchCloses) {
    auto path = foundation::UserDefaults::standardUserDefaults().path();
    foundation::UserDefaults::standardUserDefaults().setAutosaveDelay(3600);
    auto savedText = [&](char const* key) {
        auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(path);
        return saved ? saved->objectForKey(key).stringValue() : std::string();
    };
    globals().day = 3;
    globals().money = 30;
    DataConrtoller::saveDay();
    DataConrtoller::saveMoney();
    ASSERT_TRUE(DataManager::synchronize());
    {
        DataManager::Batch save;
        globals().day = 4;
        globals().money = 40;
        DataConrtoller::saveDay();
        // A write in the middle of the save holds the save before it, whole.
        ASSERT_TRUE(DataManager::synchronize());
        EXPECT_EQ(savedText("DATA_DAY"), "3");
        EXPECT_EQ(savedText("DATA_MAX_DAY"), "3");
        {
            DataManager::Batch nested;
            DataConrtoller::saveMoney();
        }
        ASSERT_TRUE(DataManager::synchronize());
        EXPECT_EQ(savedText("DATA_MONEY"), "30");
        // The running game reads its own changes meanwhile.
        EXPECT_EQ(DataManager::getIntForKey("DATA_MONEY"), 40);
    }
    ASSERT_TRUE(DataManager::synchronize());
    EXPECT_EQ(savedText("DATA_DAY"), "4");
    EXPECT_EQ(savedText("DATA_MAX_DAY"), "4");
    EXPECT_EQ(savedText("DATA_MONEY"), "40");
    EXPECT_EQ(savedText("DATA_MAX_MONEY"), "40");
}

TEST_F(DataConrtollerTest, TheAutosaveWritesABatchOnceItCloses) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    defaults.setAutosaveDelay(0);
    {
        DataManager::Batch save;
        globals().day = 8;
        DataConrtoller::saveDay();
    }
    ASSERT_TRUE(defaults.waitUntilSaved(30));
    auto saved = foundation::PropertyList::dictionaryWithContentsOfFile(defaults.path());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->objectForKey("DATA_DAY").stringValue(), "8");
    EXPECT_EQ(saved->objectForKey("DATA_MAX_DAY").stringValue(), "8");
}

// --- statistics ---

namespace {

// The statistics go through the game's real server connection to the stand-in game
// server, which the test reads.
class StatisticsTest : public DataConrtollerTest {
protected:
    StatisticsTest() {
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        serverkit::QBYConnect::resetSharedManager();
        connection.setUp({gameServer.host(), "udid", sandboxPath("data"), "", ""});
    }
    ~StatisticsTest() override {
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
    }

    // The "eventdata" of every "events" call that reached the server.
    std::vector<base::Ref<base::Dictionary>> events() {
        foundation::RunLoop::main().runUntil(
            [] { return !serverkit::QBYConnect::sharedManager().isLoading(); }, 20);
        std::vector<base::Ref<base::Dictionary>> found;
        for (auto const& call : gameServer.calls()) {
            if (call.method != "events")
                continue;
            EXPECT_FALSE(call.sig) << "statistics are not signed";
            auto request = toolkit::json::objectFromJSONString(call.data);
            found.push_back(request.dictionary()->objectForKey("eventdata").dictionaryRef());
        }
        return found;
    }

    test::GameServerStandIn gameServer;
    game::GameServerConnection connection;
};

}

TEST_F(StatisticsTest, StatisticsEventCarriesNineValuesAsText) {
    DataManager::setFloat(750, "DATA_AVG_DAILY_CASHFLOW");
    DataManager::setFloat(12.5f, "DATA_AVG_DAILY_SATCHANGE");
    DataManager::setInt(31, "DATA_MAX_DAY");
    DataManager::setInt(9000, "DATA_MAX_MONEY");
    DataManager::setFloat(88.25f, "DATA_MAX_SATISFACTION");
    DataManager::setInt(6, "DATA_MAX_SHOPLEVEL");
    DataManager::setInt(460, "SYS_PETPOINTS_PURCHASED");
    DataManager::setInt(15, "SYS_PETPOINTS_EARNED");
    DataManager::setInt(300, "SYS_PETPOINTS_SPENT");
    DataManager::setInt(999, "SYS_PETPOINTS");

    DataConrtoller::reportStatistics();

    auto sent = events();
    ASSERT_EQ(sent.size(), 1u);
    auto const& event = *sent[0];
    std::vector<std::pair<std::string, base::Value>> const expected = {
        {"DATA_AVG_DAILY_CASHFLOW", "750.000000"},
        {"DATA_AVG_DAILY_SATCHANGE", "12.500000"},
        {"DATA_MAX_DAY", "31"},
        {"DATA_MAX_MONEY", "9000"},
        {"DATA_MAX_SATISFACTION", "88.250000"},
        {"DATA_MAX_SHOPLEVEL", "6"},
        {"SYS_PETPOINTS_PURCHASED", "460"},
        {"SYS_PETPOINTS_EARNED", "15"},
        {"SYS_PETPOINTS_SPENT", "300"},
    };
    // The decoded object walks in its own table order; the keys and values count.
    std::vector<std::pair<std::string, base::Value>> got(event.begin(), event.end());
    auto byKey = [](auto const& x, auto const& y) { return x.first < y.first; };
    std::sort(got.begin(), got.end(), byKey);
    auto sortedExpected = expected;
    std::sort(sortedExpected.begin(), sortedExpected.end(), byKey);
    EXPECT_EQ(got, sortedExpected);
}

TEST_F(StatisticsTest, StatisticsOfAFreshGameAreZeros) {
    DataConrtoller::reportStatistics();
    auto sent = events();
    ASSERT_EQ(sent.size(), 1u);
    auto const& event = *sent[0];
    EXPECT_EQ(event.size(), 9u);
    EXPECT_EQ(event.objectForKey("DATA_AVG_DAILY_CASHFLOW"), base::Value("0.000000"));
    EXPECT_EQ(event.objectForKey("DATA_MAX_SHOPLEVEL"), base::Value("0"));
    EXPECT_EQ(event.objectForKey("SYS_PETPOINTS_SPENT"), base::Value("0"));
}

TEST_F(StatisticsTest, StatisticsWithoutAServerConnectionAreLoggedAndDropped) {
    game::ServerEventQueue::setShared(nullptr);
    test::LogCapture log;
    DataConrtoller::reportStatistics();
    EXPECT_TRUE(events().empty());
    EXPECT_TRUE(log.contains("Statistics not sent"));
}

TEST_F(DataConrtollerTest, NewGameReadsTheThemesOfTheShippedStoreList) {
    game::ResourceLookup::setShared(nullptr);
    foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
    DataManager::setObject(2, "thm_002");
    DataManager::setObject(1, "thm_000");
    DataConrtoller::resetData();
    EXPECT_EQ(DataManager::objectForKey("thm_002"), base::Value(1));
    EXPECT_EQ(DataManager::objectForKey("thm_000"), base::Value(2));
}

TEST_F(DataConrtollerTest, ImportedSaveIsOnDiskAtOnce) {
    auto save = base::Dictionary::create({{"DATA_DAY", "12"}, {"DATA_MONEY", "3400"}});
    ASSERT_TRUE(DataConrtoller::importSaveData(save.get()));
    // A new store reads only what reached the file.
    foundation::UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(DataManager::getIntForKey("DATA_DAY"), 12);
    EXPECT_EQ(DataManager::getIntForKey("DATA_MONEY"), 3400);
}
