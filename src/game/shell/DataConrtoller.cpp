#include <game/shell/DataConrtoller.hpp>

#include <base/Log.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/ResourceLookup.hpp>
#include <game/shell/ServerEventQueue.hpp>

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace game {

namespace {

constexpr char const* saveDataMark = "DATA_";

constexpr char const* keyDay = "DATA_DAY";
constexpr char const* keyMaxDay = "DATA_MAX_DAY";
constexpr char const* keyShopLevel = "DATA_SHOPLEVEL";
constexpr char const* keyMaxShopLevel = "DATA_MAX_SHOPLEVEL";
constexpr char const* keyMoney = "DATA_MONEY";
constexpr char const* keyMaxMoney = "DATA_MAX_MONEY";
constexpr char const* keySatisfaction = "DATA_SATISFACTION";
constexpr char const* keyMaxSatisfaction = "DATA_MAX_SATISFACTION";
constexpr char const* keyShopTime = "DATA_SHOPTIME";
constexpr char const* keyLastDayMoney = "DATA_LASTDAYMONEY";
constexpr char const* keyAverageCashflow = "DATA_AVG_DAILY_CASHFLOW";
constexpr char const* keyLastDaySatisfaction = "DATA_LASTDAYSATISFACTION";
constexpr char const* keyAverageSatisfactionChange = "DATA_AVG_DAILY_SATCHANGE";
constexpr char const* keyShopState = "DATA_SHOPSTATE";
constexpr char const* keyFurnitureType = "DATA_FURNTYPE";
constexpr char const* keyFurnitureLevel = "DATA_FURNLEVEL";
constexpr char const* keyFurnitureDurability = "DATA_FURNDURABLITY";
constexpr char const* keyStaffEnable = "DATA_STAFFENABLE";
constexpr char const* keyStaffLevel = "DATA_STAFFLEVEL";
constexpr char const* keyChallengeCompleted = "DATA_CHALLENGE_COMPLETED";
constexpr char const* keyChallengeFailed = "DATA_CHALLENGE_FAILED";
constexpr char const* keyChallengeConsecutive = "DATA_CHALLENGE_CONSECUTIVE";
constexpr char const* keyDeclinedVIPDay = "DATA_DECLINEDVIPDAY";

constexpr char const* keyEmail = "SYS_EMAIL";
constexpr char const* keyMusic = "SYS_BGM";
constexpr char const* keyEffects = "SYS_SFX";
constexpr char const* keyPrize = "SYS_PRIZE";
constexpr char const* keyChallenge = "SYS_CHALLENGE";
constexpr char const* keyPetPoints = "SYS_PETPOINTS";
constexpr char const* keyOverallPetPoints = "SYS_OVERALLPETPOINTS";
constexpr char const* keyPetPointsSpent = "SYS_PETPOINTS_SPENT";
constexpr char const* keyPetPointsPurchased = "SYS_PETPOINTS_PURCHASED";
constexpr char const* keyPetPointsEarned = "SYS_PETPOINTS_EARNED";

constexpr char const* defaultThemeUid = "thm_000";
constexpr int themeOwned = 1;
constexpr int themeInUse = 2;

struct Counter {
    char const* key;
    int GameGlobals::*field;
};

// In the order the record is written.
constexpr std::array<Counter, 19> countingRecord = {{
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
}};

std::string slotKey(char const* base, int slot) {
    return foundation::format("%@%d", base, slot);
}

GameGlobals& globals() {
    return GameGlobals::shared();
}

void addToTotal(char const* key, int amount) {
    DataManager::setInt(DataManager::getIntForKey(key) + amount, key);
}

// A running average that takes half of the new value; a stored 0 counts as no
// average yet, so the first value is taken whole.
float foldIntoAverage(char const* key, double value) {
    double stored = DataManager::getFloatForKey(key, 0);
    double average = stored != 0 ? 0.5 * stored + 0.5 * value : value;
    DataManager::setFloat(float(average), key);
    return float(average);
}

bool isSaveDataKey(std::string_view key) {
    return foundation::containsString(key, saveDataMark);
}

// What the game reads back from a save: text and numbers through DataManager,
// flags stored as the platform's booleans, and lists of ids (the active
// challenges). Anything else would only be read back as nonsense.
bool isReadableSaveValue(base::Value const& value) {
    switch (value.kind()) {
    case base::Value::Kind::String:
        return foundation::isValidUtf8(*value.string());
    case base::Value::Kind::Boolean:
    case base::Value::Kind::Integer:
    case base::Value::Kind::Unsigned:
        return true;
    case base::Value::Kind::Real:
        return std::isfinite(value.doubleValue());
    case base::Value::Kind::Array:
        for (auto const& element : *value.array()) {
            if (!element.isString() || !foundation::isValidUtf8(*element.string()))
                return false;
        }
        return true;
    default:
        return false;
    }
}

void reloadCoreValues() {
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
}

}

// --- progress ---

void DataConrtoller::loadDay() {
    globals().day = DataManager::getIntForKey(keyDay, 1);
}

void DataConrtoller::saveDay() {
    DataManager::Batch batch;
    int day = globals().day;
    DataManager::setInt(day, keyDay);
    if (DataManager::getIntForKey(keyMaxDay, 0) < day)
        DataManager::setInt(day, keyMaxDay);
}

void DataConrtoller::loadShopLevel() {
    globals().shopLevel = DataManager::getIntForKey(keyShopLevel, 1);
}

void DataConrtoller::saveShopLevel() {
    DataManager::Batch batch;
    int level = globals().shopLevel;
    DataManager::setInt(level, keyShopLevel);
    if (DataManager::getIntForKey(keyMaxShopLevel, 1) < level)
        DataManager::setInt(level, keyMaxShopLevel);
}

int DataConrtoller::getShopLevel() {
    return DataManager::getIntForKey(keyShopLevel, 1);
}

void DataConrtoller::loadMoney() {
    globals().money = DataManager::getIntForKey(keyMoney, 0);
}

void DataConrtoller::saveMoney() {
    DataManager::Batch batch;
    int money = globals().money;
    DataManager::setInt(money, keyMoney);
    if (DataManager::getIntForKey(keyMaxMoney, 0) < money)
        DataManager::setInt(money, keyMaxMoney);
}

void DataConrtoller::loadSatisfaction() {
    globals().satisfaction = DataManager::getFloatForKey(keySatisfaction, 0);
}

void DataConrtoller::saveSatisfaction() {
    DataManager::Batch batch;
    float satisfaction = globals().satisfaction;
    DataManager::setFloat(satisfaction, keySatisfaction);
    if (DataManager::getFloatForKey(keyMaxSatisfaction, 0) < satisfaction)
        DataManager::setFloat(satisfaction, keyMaxSatisfaction);
}

void DataConrtoller::loadShopTime() {
    globals().shopTime = DataManager::getFloatForKey(keyShopTime, 0);
}

void DataConrtoller::saveShopTime() {
    DataManager::setFloat(globals().shopTime, keyShopTime);
}

void DataConrtoller::loadLastDayMoney() {
    globals().lastDayMoney = DataManager::getIntForKey(keyLastDayMoney, 0);
}

void DataConrtoller::saveLastDayMoney() {
    DataManager::Batch batch;
    int money = globals().lastDayMoney;
    DataManager::setInt(money, keyLastDayMoney);
    foldIntoAverage(keyAverageCashflow, money);
}

void DataConrtoller::storeLastDayMoney() {
    DataManager::setInt(globals().lastDayMoney, keyLastDayMoney);
}

void DataConrtoller::loadLastDaySatisfaction() {
    globals().lastDaySatisfaction = DataManager::getFloatForKey(keyLastDaySatisfaction, 0);
}

void DataConrtoller::saveLastDaySatisfaction() {
    DataManager::Batch batch;
    float satisfaction = globals().lastDaySatisfaction;
    DataManager::setFloat(satisfaction, keyLastDaySatisfaction);
    foldIntoAverage(keyAverageSatisfactionChange, satisfaction);
}

int DataConrtoller::getShopState() {
    return DataManager::getIntForKey(keyShopState, 2);
}

void DataConrtoller::saveShopState(int state) {
    DataManager::setInt(state, keyShopState);
}

int DataConrtoller::getFurnType(int slot) {
    return DataManager::getIntForKey(slotKey(keyFurnitureType, slot), -1);
}

void DataConrtoller::saveFurnType(int slot, int type) {
    DataManager::setInt(type, slotKey(keyFurnitureType, slot));
}

int DataConrtoller::getFurnLevel(int slot) {
    return DataManager::getIntForKey(slotKey(keyFurnitureLevel, slot), -1);
}

void DataConrtoller::saveFurnLevel(int slot, int level) {
    DataManager::setInt(level, slotKey(keyFurnitureLevel, slot));
}

int DataConrtoller::getFurnDurablity(int slot) {
    return DataManager::getIntForKey(slotKey(keyFurnitureDurability, slot), 0);
}

void DataConrtoller::saveFurnDurablity(int slot, int durablity) {
    DataManager::setInt(durablity, slotKey(keyFurnitureDurability, slot));
}

bool DataConrtoller::getStaffEnable(int index) {
    return DataManager::getBoolForKey(slotKey(keyStaffEnable, index), false);
}

void DataConrtoller::saveStaffEnable(int index, bool enable) {
    DataManager::setBool(enable, slotKey(keyStaffEnable, index));
}

int DataConrtoller::getStaffLevel(int index) {
    return DataManager::getIntForKey(slotKey(keyStaffLevel, index), 1);
}

void DataConrtoller::saveStaffLevel(int index, int level) {
    DataManager::setInt(level, slotKey(keyStaffLevel, index));
}

void DataConrtoller::logChallengeComplete() {
    DataManager::Batch batch;
    addToTotal(keyChallengeCompleted, 1);
    addToTotal(keyChallengeConsecutive, 1);
}

void DataConrtoller::logChallengeFailed() {
    DataManager::Batch batch;
    addToTotal(keyChallengeFailed, 1);
    DataManager::setInt(0, keyChallengeConsecutive);
}

int DataConrtoller::getChallengeCompleteCount() {
    return DataManager::getIntForKey(keyChallengeCompleted, 0);
}

int DataConrtoller::getChallengeFailCount() {
    return DataManager::getIntForKey(keyChallengeFailed, 0);
}

int DataConrtoller::getChallengeCompleteStreak() {
    return DataManager::getIntForKey(keyChallengeConsecutive, 0);
}

void DataConrtoller::saveDeclinedVIPDay(bool declined) {
    DataManager::setBool(declined, keyDeclinedVIPDay);
}

bool DataConrtoller::loadDeclinedVIPDay() {
    return DataManager::getBoolForKey(keyDeclinedVIPDay, false);
}

void DataConrtoller::loadCountingRecord() {
    auto& g = globals();
    for (auto const& counter : countingRecord)
        g.*counter.field = DataManager::getIntForKey(counter.key, 0);
}

void DataConrtoller::saveCountingRecord() {
    DataManager::Batch batch;
    auto const& g = globals();
    for (auto const& counter : countingRecord)
        DataManager::setInt(g.*counter.field, counter.key);
}

void DataConrtoller::resetCountingRecord() {
    auto& g = globals();
    g.customerToday = 0;
    g.customerOverall = 0;
    g.customerLeaveToday = 0;
    g.customerLeaveOverall = 0;
    g.overallMoneyEarned = 0;
    g.richLadyVisitCount = 0;
    g.prezVisitCount = 0;
    g.musicPlayCountToday = 0;
    saveCountingRecord();
}

// --- settings and Vov Azavuz ---

std::optional<std::string> DataConrtoller::getEmail() {
    return DataManager::getStringForKey(keyEmail);
}

void DataConrtoller::saveEmail(std::string_view email) {
    DataManager::setString(email, keyEmail);
}

void DataConrtoller::eraseEmail() {
    DataManager::removeAllKey(keyEmail);
}

bool DataConrtoller::getBgmEnable() {
    return DataManager::getBoolForKey(keyMusic, true);
}

void DataConrtoller::saveBgmEnable(bool enable) {
    DataManager::setBool(enable, keyMusic);
}

bool DataConrtoller::getSfxEnable() {
    return DataManager::getBoolForKey(keyEffects, true);
}

void DataConrtoller::saveSfxEnable(bool enable) {
    DataManager::setBool(enable, keyEffects);
}

int DataConrtoller::getPrize(int index) {
    return DataManager::getIntForKey(slotKey(keyPrize, index), 0);
}

void DataConrtoller::savePrize(int index, int value) {
    DataManager::setInt(value, slotKey(keyPrize, index));
}

void DataConrtoller::erasePrize() {
    DataManager::removeAllKey(keyPrize);
}

bool DataConrtoller::getDailyChallengeEnabled() {
    return DataManager::getBoolForKey(keyChallenge, true);
}

void DataConrtoller::setDailyChallengeEnabled(bool enabled) {
    DataManager::setBool(enabled, keyChallenge);
}

void DataConrtoller::loadPetPoints() {
    auto& g = globals();
    g.petPoints = DataManager::getIntForKey(keyPetPoints, 0);
    g.overallPetPoints = DataManager::getIntForKey(keyOverallPetPoints, g.petPoints);
    g.petPointsChanged = true;
}

void DataConrtoller::savePetPoints() {
    DataManager::Batch batch;
    auto& g = globals();
    DataManager::setInt(g.petPoints, keyPetPoints);
    DataManager::setInt(g.overallPetPoints, keyOverallPetPoints);
    g.petPointsChanged = true;
}

void DataConrtoller::logPetPointsSpent(int amount) {
    addToTotal(keyPetPointsSpent, amount);
}

void DataConrtoller::logPetPointsPurchased(int amount) {
    addToTotal(keyPetPointsPurchased, amount);
}

void DataConrtoller::logPetPointsEarned(int amount) {
    addToTotal(keyPetPointsEarned, amount);
}

// --- the whole save ---

void DataConrtoller::resetData() {
    DataManager::Batch batch;
    DataManager::removeAllKey(saveDataMark);

    // Owned themes survive a new game; only the mark of the one in use goes back
    // to the default theme.
    auto& lookup = ResourceLookup::shared();
    auto path = lookup.pathForResource("StoreItemList.plist");
    auto items = path ? lookup.arrayWithContentsOfFile(*path) : nullptr;
    if (items) {
        for (auto const& item : *items) {
            auto const* entry = item.dictionary();
            if (!entry)
                continue;
            auto const* type = entry->objectForKey("type").string();
            auto const* uid = entry->objectForKey("uid").string();
            if (!type || *type != "theme" || !uid || uid->empty())
                continue;
            if (DataManager::objectForKey(*uid).intValue() == themeInUse)
                DataManager::setObject(themeOwned, *uid);
        }
    }
    DataManager::setObject(themeInUse, defaultThemeUid);
}

bool DataConrtoller::haveResumeData() {
    return DataManager::checkHaveKey(saveDataMark);
}

base::Ref<base::Dictionary> DataConrtoller::exportSaveData() {
    // The store's snapshot already holds copies of its lists.
    auto store = DataManager::dictionaryRepresentation();
    auto save = base::Dictionary::create();
    for (auto const& [key, value] : *store) {
        if (isSaveDataKey(key))
            save->setObject(key, value);
    }
    return save;
}

bool DataConrtoller::importSaveData(base::Dictionary const* data) {
    std::vector<std::pair<std::string, base::Value>> accepted;
    bool refused = false;
    if (data) {
        for (auto const& [key, value] : *data) {
            if (!isSaveDataKey(key)) {
                foundation::log("Save import: left out \"%@\", which is not save data", key);
                continue;
            }
            if (!foundation::isValidUtf8(key) || !isReadableSaveValue(value)) {
                foundation::log("Save import: \"%@\" holds a value the game cannot read", key);
                refused = true;
                continue;
            }
            accepted.emplace_back(key, value);
        }
    }
    if (refused) {
        base::logLine("Save import refused: the save data was left as it was");
    } else {
        // Every value was checked above, so the store takes each of them; the
        // store keeps copies, so the sender's lists stay the sender's. One batch,
        // so the file holds the imported save whole or not at all.
        {
            DataManager::Batch batch;
            for (auto const& [key, value] : accepted)
                DataManager::setObject(value, key);
        }
        DataManager::synchronize();
    }
    reloadCoreValues();
    return !refused;
}

void DataConrtoller::reportStatistics() {
    auto event = base::Dictionary::create();
    auto addFloat = [&](char const* key) {
        event->setObject(
            key, foundation::format("%f", double(DataManager::getFloatForKey(key, 0))));
    };
    auto addInt = [&](char const* key) {
        event->setObject(key, foundation::format("%d", DataManager::getIntForKey(key, 0)));
    };
    addFloat(keyAverageCashflow);
    addFloat(keyAverageSatisfactionChange);
    addInt(keyMaxDay);
    addInt(keyMaxMoney);
    addFloat(keyMaxSatisfaction);
    addInt(keyMaxShopLevel);
    addInt(keyPetPointsPurchased);
    addInt(keyPetPointsEarned);
    addInt(keyPetPointsSpent);

    auto* queue = ServerEventQueue::shared();
    if (!queue) {
        base::logLine("Statistics not sent: no game server connection");
        return;
    }
    queue->queueEvent(std::move(event));
}

}
