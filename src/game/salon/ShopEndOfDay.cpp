// The salon's end of day: the after-hours view and the day's accounting (level-up,
// bonuses, achievements, the save and its upload, the report).

#include <foundation/UserDefaults.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GraphicEngine.hpp>

#include <algorithm>
#include <cmath>

namespace game {

using namespace shop_support;

namespace {

constexpr int defaultLevelCap = 20;
constexpr long long unreachableMoney = 2147483647;

// The "moneyReq" of the first level pack, active or not, that opens the level.
std::optional<long long> packMoneyRequirement(int level) {
    auto entries = unpackedEntries();
    for (auto const& value : *entries) {
        auto* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").stringValue() != "level")
            continue;
        auto* data = entry->objectForKey("data").dictionary();
        if (data && data->objectForKey("levelCap").intValue() == level
            && data->contains("moneyReq"))
            return data->objectForKey("moneyReq").intValue();
    }
    return std::nullopt;
}

// The level pack's data for the level, when the level is above 20.
void refreshLevelCapData() {
    auto& globals = GameGlobals::shared();
    globals.levelCapData = nullptr;
    if (globals.shopLevel < 21)
        return;
    for (auto const& data : activePackData("level")) {
        if (data->objectForKey("levelCap").intValue() == globals.shopLevel) {
            globals.levelCapData = data->deepCopy();
            return;
        }
    }
}

void reportLevelAction(int slot, char const* key, bool compareIds) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    if (defaults.integerForKey(key) != 0)
        return;
    if (compareIds && BountixSetting::getPayPerAction(slot) == BountixSetting::getBountixID())
        return;
    Shop::reportPayPerAction(slot, key);
}

void addPetPoints(int amount) {
    auto& globals = GameGlobals::shared();
    globals.petPoints += amount;
    globals.overallPetPoints += amount;
    globals.petPointsChanged = true;
    DataConrtoller::savePetPoints();
}

}

long long Shop::moneyRequirement(int level) {
    static constexpr long long table[12]
        = {0, 500, 2000, 8000, 20000, 30000, 40000, 50000, 200000, 1100000, 1400000, 2000000};
    if (level < 0)
        return 0;
    if (level < 12)
        return table[level];
    if (level < defaultLevelCap)
        return (long long)(level + 1) * 802500 - 7632500;
    // A level pack must say what its level costs; without that it cannot be reached.
    return packMoneyRequirement(level + 1).value_or(unreachableMoney);
}

float Shop::satisfactionRequirement(int level, int cap) {
    static constexpr float table[12] = {0, 3, 20, 50, 90, 150, 300, 500, 1000, 2500, 3500, 5000};
    if (level + 1 > std::max(defaultLevelCap, cap))
        return 1000000;
    if (level < 0)
        return 0;
    if (level < 12)
        return table[level];
    // Levels 12 to 19 and, for the levels packs open, the same rule carried on.
    return float((level + 1) * 1650 - 14950);
}

int Shop::levelCapFromPacks() {
    int cap = defaultLevelCap;
    for (auto const& data : activePackData("level")) {
        if (data->objectForKey("levelCap").intValue() == cap + 1)
            cap += 1;
    }
    return cap;
}

void Shop::startNonWorkingHour() {
    auto& globals = GameGlobals::shared();
    auto& services = SalonServices::shared();
    auto* hud = interface();
    // 1. The door opens.
    if (bBlockCustomers) {
        for (auto& piece : pFurniture) {
            if (!piece)
                break;
            if (piece->furnType() == 10) {
                blockCustomers(false, piece.get());
                break;
            }
        }
    }
    // 2. A declined challenge lasts the day only.
    bDeclinedChallengeMode = false;
    DataConrtoller::saveDeclinedVIPDay(false);
    // 3. The cap that the level packs open.
    if (int cap = levelCapFromPacks(); cap != defaultLevelCap)
        globals.levelCap = cap;
    // 4, 5. After-hours music and state.
    if (auto* engine = SoundEngine::sharedManager()) {
        engine->playMusicTrack("qrn_hellomyfriend_v2.mp3");
        engine->setMusicTrackLoop(true);
        engine->setVolumeMusicTrack(0);
        engine->fadeToVolumeMusicTrack(1.0f, 0.5f);
    }
    globals.shopState = 3;
    bShopOpen = false;
    if (hud) {
        hud->hiddenPauseButton();
        hud->hiddenHelpButton();
    }
    // 6. The staff stop and the hired ones fade out.
    for (auto& staff : pStaff) {
        if (!staff)
            continue;
        staff->stop();
        staff->cleanWalkPath();
        if (staff->bEnable())
            GraphicEngine::fadeOutAtlasSprite(staff->pSprite(), 0.5f);
    }
    // 7, 8. Level-up against the totals.
    refreshLevelCapData();
    bool levelUp = false;
    int cap = std::max(defaultLevelCap, globals.levelCap);
    while (globals.shopLevel < cap) {
        int level = globals.shopLevel;
        if (double(globals.money) < double(moneyRequirement(level)))
            break;
        if (int packs = levelCapFromPacks(); packs != defaultLevelCap)
            globals.levelCap = packs;
        float needed = satisfactionRequirement(level, globals.levelCap);
        if (!(globals.satisfaction >= needed))
            break;
        globals.shopLevel = level + 1;
        levelUp = true;
    }
    // 9. Every tenth day the whole save goes to the server.
    if (globals.day % 10 == 0) {
        saveAllData();
        services.pushSaveData(DataConrtoller::exportSaveData());
    }
    // 10. Power-ups and consumable sounds end with the day.
    itemEffectCtrl_->cancelAllEffects();
    if (!mConsumableSFX.empty()) {
        if (auto* engine = SoundEngine::sharedManager())
            engine->stopSoundName(mConsumableSFX);
        mConsumableSFX.clear();
    }
    // 11. The new level's room.
    if (levelUp) {
        refreshLevelCapData();
        if (hud)
            hud->updateShopLevel();
        playSound("LevelUp");
        loadShop(globals.shopLevel);
    } else {
        playSound("ShowReport");
    }
    // 12. Offer-wall actions for the levels reached.
    if (globals.shopLevel > 1)
        reportLevelAction(3, "BTX_LVL2_ACTION", true);
    if (globals.shopLevel > 4)
        reportLevelAction(4, "BTX_LVL5_ACTION", true);
    if (globals.shopLevel > 8)
        reportLevelAction(5, "BTX_LVL10_ACTION", false);
    // 13, 14. The report and the save.
    if (hud)
        hud->showReport(levelUp);
    {
        DataManager::Batch batch;
        DataConrtoller::saveShopState(globals.shopState);
        DataConrtoller::saveDay();
        DataConrtoller::saveShopLevel();
        DataConrtoller::saveMoney();
        DataConrtoller::saveSatisfaction();
        DataConrtoller::saveCountingRecord();
    }
    services.updateLeaderboard();
    // 15. Achievements of the day.
    int dayMoney = globals.money - globals.lastDayMoney;
    float change = globals.satisfaction - globals.lastDaySatisfaction;
    int left = globals.customerLeaveToday;
    auto achieve = [&services](int number) { services.updateAchievement(number, 100); };
    if (left != -1) {
        if (left == 0) {
            achieve(27);
            if (globals.shopLevel == 6)
                achieve(30);
            if (globals.shopLevel == 7)
                achieve(33);
            if (globals.shopLevel == 8)
                achieve(35);
        }
        if (left > 9)
            achieve(32);
    }
    if (dayMoney >= 5000)
        achieve(16);
    if (dayMoney >= 10000)
        achieve(17);
    if (dayMoney >= 15000)
        achieve(18);
    if (dayMoney < 1)
        achieve(19);
    if (change >= 10)
        achieve(20);
    if (change >= 15)
        achieve(21);
    if (change <= -10)
        achieve(22);
    if (change <= -15)
        achieve(23);
    if (globals.customerToday > 39)
        achieve(24);
    if (globals.customerToday > 59)
        achieve(25);
    if (globals.customerToday > 79)
        achieve(26);
    if ((globals.shopLevel == 7 || globals.shopLevel == 8) && globals.musicPlayCountToday == 0)
        achieve(28);
    services.checkUpdateAchievementsFromCurrentGame();
    // 16. The first day's bonus, once.
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    if (defaults.integerForKey("PPBONUS_EOD1_BONUS") == 0 && globals.day == 1) {
        addPetPoints(10);
        defaults.setInteger(1, "PPBONUS_EOD1_BONUS");
        if (hud)
            hud->showEOD1Bonus();
    }
    // 17. Five Vov Azavuz for every level gained since the last bonus.
    if (levelUp) {
        int given = int(defaults.integerForKey("PPBONUS_EOL_BONUS"));
        if (given < globals.shopLevel) {
            for (int level = std::max(given, 1); level < globals.shopLevel; ++level)
                addPetPoints(5);
            defaults.setInteger(globals.shopLevel, "PPBONUS_EOL_BONUS");
            if (hud)
                hud->showEOLBonus();
        }
    }
    // 18. A pony day ends with the day.
    if (services.isPonyModeActive()) {
        services.setPonyModeActive(false);
        services.reloadPetsWithPonyMode(false);
        if (hud)
            hud->showPonyDayPopup();
    }
    // 19. The daily challenge's result.
    questCtrl_->markCompletedQuests();
    if (auto active = questCtrl_->getActiveQuests(); !active.empty() && hud)
        hud->showQuestReport(active.front()->quest_id());
    // 20.
    checkChallengeAchievements();
    if (hud)
        hud->showNextDayButton();
}

}
