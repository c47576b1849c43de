#include <game/salon/Shop.hpp>

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/Interface.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonRoadMap.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/BountixSetting.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace game {

using namespace shop_support;

namespace {

// A payment in whole coins: the fee ratio comes from outside (a pony day's multiplier
// from the game server, a pack's "feeRatio"), so an amount beyond int stops at its
// limits and one that is not a number pays nothing.
int wholeCoins(double amount) {
    if (std::isnan(amount))
        return 0;
    return int(std::clamp(
        amount, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

// A bundle picture name from a theme entry: a plain file name, never a path.
std::string checkedBundleName(std::string const& name) {
    if (name.empty() || name.find('/') != std::string::npos || name.find('\\') != std::string::npos
        || name == "." || name == "..") {
        foundation::log("Refused the theme picture \"%@\": not a bundle file name", name);
        return {};
    }
    return name;
}

struct FurniturePlace {
    int id;
    char const* name;
    int level;
    float x, y;
    int purchaseType;
    int reqShopLevel;
};

// The fixed places of the room, in the order they are added. A purchase type of -2
// marks a piece that is not an empty place to buy.
constexpr FurniturePlace furniturePlaces[] = {
    {0, "sofa", 1, 220, 200, -2, 0},
    {1, "sofa", 1, 260, 200, -2, 0},
    {2, "sofa", 1, 300, 200, -2, 0},
    {3, "sofa", 1, 340, 200, -2, 0},
    {4, "counter", 1, 60, 20, -2, 0},
    {5, "magazine01", 0, 100, 200, 0, 5},
    {6, "magazine02", 0, 60, 200, 0, 4},
    {7, "magazine02", 0, 380, 200, 0, 2},
    {8, "magazine01", 0, 420, 200, 0, 3},
    {9, "mini", 0, 220, 170, 2, 3},
    {10, "mini", 0, 300, 170, 2, 5},
    {11, "bath", 1, 220, 120, -2, 0},
    {12, "bath", 1, 300, 120, -2, 0},
    {13, "drying", 1, 250, 50, -2, 0},
    {14, "closet", 0, 180, 50, 3, 1},
    {15, "restbed", 0, 60, 170, 5, 3},
    {16, "restbed", 0, 50, 120, 5, 3},
    {17, "hifi", 0, 440, 170, 4, 1},
    {18, "hair", 1, 450, 110, -2, 0},
    {19, "cd", 0, 340, 50, 6, 4},
    {20, "cd", 0, 400, 50, 6, 4},
    {21, "empty", 0, 450, 60, 7, 2},
    {22, "empty", 0, 20, 200, 0, 6},
    {23, "empty", 0, 460, 200, 0, 6},
    {24, "empty", 0, 370, 170, 8, 9},
    {25, "empty", 0, 370, 120, 8, 9},
    {-1, "lamp", 0, 20, 130, -2, 0},
    {36, "empty", 0, 185, 200, 10, 1},
};

struct StaffEntry {
    char const* nameKey;
    int hireCost;
};

constexpr StaffEntry staffTable[Shop::staffSlots] = {
    {"STAFF_NAME1", 0},
    {"STAFF_NAME2", 2000},
    {"STAFF_NAME3", 30},
    {"STAFF_NAME4", 100},
    {"STAFF_NAME5", 150},
    {"STAFF_NAME6", 200},
    {"STAFF_NAME7", 300},
    {"STAFF_NAME8", 10},
    {"STAFF_NAME9", 10},
    {"STAFF_NAME10", 150},
};

// Where the door stands closed and open.
engine::Point doorClosedPoint() {
    return isPad() ? engine::Point {352.00003f, 518.6f} : engine::Point {165, 214};
}

float doorOpenX() {
    return doorClosedPoint().x - (isPad() ? 106.66667f : 50.0f);
}

}

base::Ref<Shop> Shop::initWithLayer(engine::SceneNode* layer) {
    return base::make<Shop>(layer);
}

Shop::Shop(engine::SceneNode* layer)
    : pLayer(layer)
    , itemEffectCtrl_(ItemEffectController::create())
    , questCtrl_(QuestController::init()) {
    questCtrl_->loadQuestListNamed("questList.plist");
    questCtrl_->setQuestDelegate(this);
    GameGlobals::shared().shopState = 0;
}

Shop::~Shop() {
    // The challenges (and a report holding one) may outlive the salon.
    questCtrl_->dropDelegate();
    if (staffLogTimer_)
        staffLogTimer_->invalidate();
    releaseCharacters();
}

void Shop::releaseCharacters() {
    pCounterCustomer.fill(nullptr);
    pCustomer.fill(nullptr);
    pPet.fill(nullptr);
}

void Shop::cleanup() {
    releaseCharacters();
    pStaff.fill(nullptr);
    for (auto& piece : pFurniture) {
        if (piece && piece->pSprite() && pLayer)
            pLayer->removeChild(piece->pSprite(), engine::Cleanup::Yes);
        piece = nullptr;
    }
    for (auto& piece : pUpgradeFurniture) {
        if (piece && piece->pSprite() && pLayer)
            pLayer->removeChild(piece->pSprite(), engine::Cleanup::Yes);
        piece = nullptr;
    }
    pCounterFurniture = nullptr;
    for (auto* sprite : {pShopFloor_.get(), pShopWall_.get(), pShopDoor_.get(), pShopFilter_.get(),
             pCar_[0].get(), pCar_[1].get()}) {
        if (sprite && pLayer)
            pLayer->removeChild(sprite, engine::Cleanup::Yes);
    }
}

// --- day cycle ---

int Shop::getShopState() const {
    return GameGlobals::shared().shopState;
}

void Shop::setNightFilterOpacity(float opacity) {
    if (pShopFilter_)
        pShopFilter_->setOpacity(std::uint8_t(std::clamp(int(opacity), 0, 255)));
}

float Shop::getNightFilterOpacity() const {
    return pShopFilter_ ? float(pShopFilter_->opacity()) : 0.0f;
}

void Shop::updateActiveQuests() {
    questCtrl_->updateCurrentQuests();
}

void Shop::startPreWorkingHour() {
    if (auto* engine = SoundEngine::sharedManager())
        engine->fadeToVolumeMusicTrack(0, 0.5f);
    curShopTab = 0;
    GameGlobals::shared().shopState = 1;
}

void Shop::saveGame() {
    auto& globals = GameGlobals::shared();
    DataManager::Batch batch;
    DataConrtoller::saveShopState(globals.shopState);
    DataConrtoller::saveShopTime();
    DataConrtoller::saveDay();
    DataConrtoller::saveShopLevel();
    DataConrtoller::saveMoney();
    DataConrtoller::saveSatisfaction();
    DataConrtoller::saveLastDayMoney();
    DataConrtoller::saveLastDaySatisfaction();
    DataConrtoller::saveCountingRecord();
    DataConrtoller::savePetPoints();
    for (auto& piece : pFurniture) {
        if (piece && piece->nFurnID() >= 0 && piece->nMaxDurablity() > 0)
            DataConrtoller::saveFurnDurablity(piece->nFurnID(), piece->nDurablity());
    }
}

void Shop::setWildcardMode(bool on) {
    bWildcardMode = on;
    for (auto& pet : pPet) {
        if (!pet)
            break;
        pet->setWildcardMode(on);
    }
}

void Shop::reportPayPerAction(int slot, std::string const& key) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    // Once-only: a set flag means the action was reported and is pending or done; a
    // failed offer-wall connection puts it back to 0.
    if (defaults.integerForKey(key) == 1)
        return;
    auto& services = SalonServices::shared();
    if (!services.isNetworkReachable())
        return;
    services.reportPayPerAction(slot, key);
    defaults.setInteger(1, key);
}

float Shop::arrivalBaseInterval(int level, float satisfaction) {
    double s = satisfaction;
    double interval;
    switch (level) {
    case 1:
        interval = (500 - s) / 50 + 4;
        break;
    case 2:
        interval = (500 - s) / 110 + 3.5;
        break;
    case 3:
        interval = (500 - s) / 170 + 3;
        break;
    case 4:
        interval = (500 - s) / 230 + 2.5;
        break;
    case 5:
        interval = (500 - s) / 290 + 2;
        break;
    case 6:
        interval = (500 - s) / 350 + 1.5;
        break;
    case 7:
        interval = (500 - s) / 410 + 1.5;
        break;
    default:
        interval = level >= 8 ? (500 - s) / 500 + 1.5 : 1;
        break;
    }
    return float(interval);
}

void Shop::update() {
    auto& globals = GameGlobals::shared();
    if (globals.pathFinder)
        globals.pathFinder->resetInvokeCount();
    switch (globals.shopState) {
    case 0:
        loading();
        return;
    case 3:
        globals.itemEffectTime += globals.deltaTime;
        return;
    case 1: {
        bool previewShown = false;
        for (auto& preview : pUpgradeFurniture) {
            if (!preview)
                continue;
            if (!preview->pSprite() || preview->pSprite()->opacity() == 0) {
                if (preview->pSprite() && pLayer)
                    pLayer->removeChild(preview->pSprite(), engine::Cleanup::Yes);
                preview = nullptr;
            } else {
                previewShown = true;
            }
        }
        if (!previewShown)
            beginNextDay();
        return;
    }
    case 2:
        updateWorkingHours();
        return;
    default:
        return;
    }
}

void Shop::beginNextDay() {
    auto& globals = GameGlobals::shared();
    globals.day += 1;
    pVIPAppearCount = 0;
    if (globals.day > 1)
        reportPayPerAction(2, "BTX_DAY2_ACTION");
    startWorkingHour();
    DataManager::Batch batch;
    DataConrtoller::saveShopTime();
    globals.lastDayMoney = globals.money;
    DataConrtoller::saveLastDayMoney();
    globals.lastDaySatisfaction = globals.satisfaction;
    DataConrtoller::saveLastDaySatisfaction();
    globals.musicPlayCountToday = 0;
    globals.customerToday = 0;
    globals.customerLeaveToday = 0;
    DataConrtoller::saveCountingRecord();
    for (auto& piece : pFurniture) {
        if (!piece)
            continue;
        piece->setCurFurnState(QBY_Furniture::stateFree);
        if (piece->nMaxDurablity() > 0) {
            piece->recoverDurablity();
            DataConrtoller::saveFurnDurablity(piece->nFurnID(), piece->nDurablity());
        }
    }
    startPonyDayIfDue();
    auto& services = SalonServices::shared();
    if (auto* hud = interface()) {
        if (services.isPonyModeActive())
            hud->showPonyNewDay();
        else
            hud->showNewDay();
    }
    services.checkUpdateAchievementsFromCurrentGame();
    services.updateLeaderboard();
}

void Shop::startPonyDayIfDue() {
    auto& services = SalonServices::shared();
    if (services.isPonyModeEnabled() && !services.isPonyModeActive()
        && GameGlobals::shared().day > 1 && !isChallengeMode()) {
        services.logEvent("PonyDay_Start", nullptr);
        services.setPonyModeActive(true);
        services.reloadPetsWithPonyMode(true);
    }
}

void Shop::updateWorkingHours() {
    auto& globals = GameGlobals::shared();
    if (isPaused()) {
        itemEffectCtrl_->update(globals.itemEffectTime);
        return;
    }
    globals.shopTime += globals.deltaTime;
    globals.itemEffectTime = globals.shopTime;
    itemEffectCtrl_->update(globals.itemEffectTime);

    if (bIsPlayingHappyMusic) {
        if (globals.shopTime >= happyMusicEndTime) {
            bIsPlayingHappyMusic = false;
        } else if (globals.shopTime - lastCreateMusicNoteTime >= 0.6f
            && happyMusicEndTime - globals.shopTime >= 4) {
            if (auto* hud = interface())
                hud->createMusicNote();
            lastCreateMusicNoteTime = globals.shopTime;
        }
    }
    if (bWillFadeInBgm && globals.totalTime >= fadeInBgmStartTime) {
        if (auto* engine = SoundEngine::sharedManager())
            engine->fadeToVolumeMusicTrack(1.0f, 0.1f);
        bWillFadeInBgm = false;
    }

    if (bShopOpen) {
        if (auto* hud = interface())
            hud->updateGameplayTime();
        if (globals.shopTime > closingTime) {
            bShopOpen = false;
            playSound("ShopClose");
        } else {
            float interval = arrivalBaseInterval(globals.shopLevel, globals.satisfaction);
            if (interval < 1.5f)
                interval = 1.5f;
            interval += float(salonRandom() % 10);
            if ((globals.shopTime - lastGenCustomerTime_ >= interval || lastGenCustomerTime_ == 0)
                && (!isPrezVisiting() || isChallengeMode()))
                generateCustomer();
            if (globals.shopTime - lastGenCarTime >= float(salonRandom() % 100 + 20))
                generateCar();
        }
    } else {
        bool empty = std::none_of(pCustomer.begin(), pCustomer.end(), [](auto& c) {
            return bool(c);
        }) && std::none_of(pPet.begin(), pPet.end(), [](auto& p) { return bool(p); });
        if (empty)
            startNonWorkingHour();
    }

    bool someoneInDoorway = false;
    for (int i = 0; i < customerSlots && pCustomer[std::size_t(i)]; ++i) {
        // Held for the step: a character's update may change the slots.
        base::Ref<QBY_Character> customer = pCustomer[std::size_t(i)];
        if (bIsPlayingHappyMusic)
            customer->resetWaitingTime();
        customer->update();
        if (!someoneInDoorway)
            someoneInDoorway = isInDoorway(customer.get());
        base::Ref<QBY_Character> pet = pPet[std::size_t(i)];
        if (!pet)
            break;
        if (bIsPlayingHappyMusic)
            pet->resetWaitingTime();
        pet->update();
        if (!someoneInDoorway)
            someoneInDoorway = isInDoorway(pet.get());
        if (pet->getService() == 1 && canAddCustomerToCounter()
            && pet->getAIState() == QBY_Character::stateWaitingForService)
            pet->processCommand();
    }
    for (auto& slot : pStaff) {
        if (!slot)
            break;
        base::Ref<QBY_Character> staff = slot;
        staff->update();
    }
    updateDoor(someoneInDoorway);
    checkDestroyCharacter();
    for (auto& piece : pFurniture) {
        if (piece)
            piece->updateVFX();
    }
    if (globals.gameMode == 3)
        autoPlay();
}

bool Shop::isInDoorway(QBY_Character const* character) const {
    if (!character || !character->pSprite())
        return false;
    auto position = character->pSprite()->position();
    auto door = doorClosedPoint();
    float doorwayY = isPad() ? 513.6f : 214.0f;
    int dx = int(position.x) - int(door.x);
    int dy = int(position.y) - int(doorwayY);
    return std::abs(dx) < 23 && std::abs(dy) < (isPad() ? 81 : 41);
}

void Shop::updateDoor(bool someoneInDoorway) {
    if (!pShopDoor_)
        return;
    auto closed = doorClosedPoint();
    float openX = doorOpenX();
    auto position = pShopDoor_->position();
    // The 0.1 nudge makes the equality tests fail while a slide runs, so each slide
    // starts once.
    if (someoneInDoorway && position.x == closed.x) {
        pShopDoor_->setPosition({position.x - 0.1f, position.y});
        pShopDoor_->stopAllActions();
        pShopDoor_->runAction(engine::MoveTo::actionWithDuration(0.3f, {openX, closed.y}));
    } else if (!someoneInDoorway && position.x == openX) {
        pShopDoor_->setPosition({position.x + 0.1f, position.y});
        pShopDoor_->stopAllActions();
        pShopDoor_->runAction(engine::MoveTo::actionWithDuration(0.3f, closed));
    }
}

void Shop::generateCar() {
    auto& car = pCar_[std::size_t(salonRandom() % 2)];
    if (!car || car->numberOfRunningActions() > 0)
        return;
    car->setPosition(isPad() ? engine::Point {1237.3334f, 703.80005f} : engine::Point {580, 302});
    car->runAction(engine::MoveTo::actionWithDuration(
        4.0f, isPad() ? engine::Point {-213.33334f, 703.80005f} : engine::Point {-100, 302}));
    lastGenCarTime = GameGlobals::shared().shopTime;
}

void Shop::startWorkingHour() {
    auto& globals = GameGlobals::shared();
    SalonServices::shared().hideAdView();
    if (auto* engine = SoundEngine::sharedManager()) {
        std::string music = globals.day % 2 ? "Marrowby_BGM1.mp3" : "Marrowby_BGM2.mp3";
        engine->playMusicTrack(music);
        foundation::log("Playing BGM:%@", music);
        engine->setMusicTrackLoop(true);
        engine->fadeToVolumeMusicTrack(1.0f, 0.5f);
    }
    globals.shopState = 2;
    globals.shopTime = 0;
    lastGenCustomerTime_ = 0;
    lastGenCarTime = 0;
    bShopOpen = true;
    bIsPlayingHappyMusic = false;
    happyMusicEndTime = 0;
    lastCreateMusicNoteTime = 0;
    globals.lastDayMoney = globals.money;
    globals.lastDaySatisfaction = globals.satisfaction;
    if (auto* hud = interface()) {
        hud->updateGameplayTime();
        hud->updateGameplayDay();
        hud->showPauseButton();
        hud->showHelpButton();
        if (globals.day == 1)
            hud->flashHelpButton();
    }
    playSound("ShopOpen");
    {
        DataManager::Batch batch;
        DataConrtoller::saveShopState(globals.shopState);
        DataConrtoller::saveDay();
        DataConrtoller::saveShopLevel();
        DataConrtoller::saveMoney();
        DataConrtoller::saveSatisfaction();
    }
    updateFurnCount();
}

// --- loading and room ---

bool Shop::loading() {
    auto& globals = GameGlobals::shared();
    bDeclinedChallengeMode = DataConrtoller::loadDeclinedVIPDay();
    switch (nCurLoadingPhase) {
    case 0: {
        engine::StaticFileCache::clearCache();
        questCtrl_->loadActiveQuests();
        globals.levelCapData = nullptr;
        auto entries = unpackedEntries();
        DataConrtoller::loadShopLevel();
        if (globals.shopLevel > 20) {
            for (auto const& value : *entries) {
                auto* entry = value.dictionary();
                if (!entry || entry->objectForKey("type").stringValue() != "level"
                    || !isActiveEntry(*entry))
                    continue;
                auto* data = entry->objectForKey("data").dictionary();
                if (data && data->objectForKey("levelCap").intValue() == globals.shopLevel)
                    globals.levelCapData = data->deepCopy();
            }
        }
        pShopFilter_ = engine::Sprite::spriteWithFile("qrn_ip_bg_filter.png");
        pShopFilter_->setPosition(isPad() ? engine::Point {512, 705} : engine::Point {240, 257});
        pShopFilter_->setVisible(true);
        pShopFilter_->setOpacity(0);
        if (pLayer)
            pLayer->addChild(pShopFilter_, 1);
        loadShop(globals.shopLevel);
        char const* cars[2] = {"qrn_ip_gcar.png", "qrn_ip_ocar.png"};
        for (int i = 0; i < 2; ++i) {
            auto car = engine::Sprite::spriteWithFile(cars[i]);
            car->setPosition(
                isPad() ? engine::Point {1237.3334f, 703.80005f} : engine::Point {580, 302});
            car->setVisible(true);
            if (pLayer)
                pLayer->addChild(car, 600);
            pCar_[std::size_t(i)] = car;
        }
        break;
    }
    case 1:
        loadFurniture();
        break;
    case 2:
        loadObstacle();
        updateFurnCount();
        break;
    case 3:
        for (int type = 0; type < staffSlots; ++type) {
            auto station = staffStationPoint(type);
            addStaff(type, station.x, station.y);
        }
        break;
    default:
        restoreDay();
        return true;
    }
    nCurLoadingSubPhase = 0;
    ++nCurLoadingPhase;
    return false;
}

void Shop::restoreDay() {
    auto& globals = GameGlobals::shared();
    auto* hud = interface();
    if (DataConrtoller::getShopState() == 3) {
        globals.shopState = 3;
        if (hud) {
            hud->hiddenPauseButton();
            hud->hiddenHelpButton();
        }
        globals.shopTime = closingTime;
        curShopTab = 0;
        if (SalonServices::shared().isBannerEnabled())
            SalonServices::shared().showAdView();
        if (hud)
            hud->showNextDayButton();
    } else {
        startWorkingHour();
        DataConrtoller::loadShopTime();
        DataConrtoller::loadLastDayMoney();
        DataConrtoller::loadLastDaySatisfaction();
        if (globals.shopTime == 0) {
            startPonyDayIfDue();
            if (hud) {
                if (SalonServices::shared().isPonyModeActive())
                    hud->showPonyNewDay();
                else
                    hud->showNewDay();
            }
        }
    }
    DataConrtoller::loadCountingRecord();
    if (hud) {
        hud->updateShopLevel();
        hud->updateGameplayTime();
        hud->updateGameplayNightFilter(false);
        hud->updateGameplayDay();
        hud->updateGameplayMoney(0);
        hud->updateGameplaySatisfaction(0);
    }
    pauseReasons_ = 0;
    if (globals.shopTime == 0 && globals.day == 1) {
        if (hud) {
            hud->showHelpMenu(true);
            hud->hiddenPauseButton();
            hud->hiddenHelpButton();
        }
        pauseGame();
    }
}

void Shop::loadFurniture() {
    for (auto const& place : furniturePlaces) {
        auto point = scaled(place.x, place.y);
        if (place.purchaseType == -2)
            addFurniture(place.name, place.level, point.x, point.y, place.id);
        else
            addFurniture(place.name, place.level, point.x, point.y, place.id, place.purchaseType,
                place.reqShopLevel);
        if (place.id == 4 && pFurniture[0])
            for (auto& piece : pFurniture) {
                if (piece && piece->nFurnID() == 4)
                    pCounterFurniture = piece;
            }
    }
}

void Shop::loadObstacle() {
    auto* finder = GameGlobals::shared().pathFinder.get();
    if (!finder)
        return;
    finder->cleanMap();
    if (isPad())
        finder->setIPadScaling(true);
    SalonRoadMap::writeTo(*finder);
    auto entrance = scaled(160, 190);
    int ex = int(entrance.x / 10);
    int ey = int(entrance.y / 10);
    for (auto& piece : pFurniture) {
        if (!piece || piece->furnType() != 0)
            continue;
        for (auto seat : {piece->getCustomerPos(), piece->getPetPos()}) {
            int sx = int(seat.x / 10);
            int sy = int(seat.y / 10);
            finder->findPath(ex, ey, sx, sy, nullptr);
            finder->findPath(sx, sy, ex, ey, nullptr);
        }
    }
}

void Shop::findTheme(bool& showDoor) {
    mCustomShopFloorName.clear();
    mCustomShopWallName.clear();
    showDoor = true;
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto items = storeAndUnpackedItems();
    for (auto const& value : items) {
        auto* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").stringValue() != "theme")
            continue;
        auto const* uidValue = entry->find("uid");
        std::string uid = uidValue ? uidValue->stringValue() : std::string();
        if (defaults.integerForKey(uid) != 2)
            continue;
        auto* data = entry->objectForKey("data").dictionary();
        std::string wall = data ? data->objectForKey("wall").stringValue() : std::string();
        std::string floor = data ? data->objectForKey("bg").stringValue() : std::string();
        if (!uidValue || uid.find("dlc") != std::string::npos) {
            // Downloaded art: the names must stay inside the data folder.
            wall = Utilities::getPathForSavedData(wall).value_or(std::string());
            floor = Utilities::getPathForSavedData(floor).value_or(std::string());
        } else {
            wall = wall.empty() ? wall : checkedBundleName(wall);
            floor = floor.empty() ? floor : checkedBundleName(floor);
        }
        showDoor = true;
        if (data && data->contains("door"))
            showDoor = data->objectForKey("door").boolValue();
        if (uid == "thm_000") {
            wall.clear();
            floor.clear();
        }
        mCustomShopWallName = wall;
        mCustomShopFloorName = floor;
    }
}

void Shop::loadShop(int level) {
    if (pLayer) {
        if (pShopFloor_)
            pLayer->removeChild(pShopFloor_.get(), engine::Cleanup::Yes);
        if (pShopWall_)
            pLayer->removeChild(pShopWall_.get(), engine::Cleanup::Yes);
    }
    bool showDoor = true;
    findTheme(showDoor);
    updateFurniturePosition();
    loadObstacle();
    int number = std::clamp(level, 0, 8);
    floorImage_ = mCustomShopFloorName.empty() ? foundation::format("qrn_ip_bg%.2d.jpg", number)
                                               : mCustomShopFloorName;
    wallImage_ = mCustomShopWallName.empty() ? foundation::format("qrn_ip_wall%.2d.png", number)
                                             : mCustomShopWallName;
    auto top = isPad() ? engine::Point {512, 743} : engine::Point {240, 295};
    pShopFloor_ = engine::Sprite::spriteWithFile(floorImage_);
    pShopFloor_->setAnchorPoint({0.5f, 1});
    pShopFloor_->setPosition(top);
    if (!pShopDoor_) {
        pShopDoor_ = engine::Sprite::spriteWithFile("qrn_ip_door.png");
        pShopDoor_->setAnchorPoint({0.5f, 0});
        pShopDoor_->setPosition(doorClosedPoint());
        if (pLayer)
            pLayer->addChild(pShopDoor_, isPad() ? 2200 : 1110);
    }
    pShopWall_ = engine::Sprite::spriteWithFile(wallImage_);
    pShopWall_->setAnchorPoint({0.5f, 1});
    pShopWall_->setPosition(top);
    pShopWall_->setColor({255, 255, 255});
    pShopDoor_->setVisible(showDoor);
    if (pLayer) {
        pLayer->addChild(pShopFloor_, 0);
        pLayer->addChild(pShopWall_, isPad() ? 2650 : 1110);
    }
}

engine::Point Shop::staffStationPoint(int staffType) {
    static constexpr engine::Point phone[staffSlots] = {{260, 110}, {140, 60}, {410, 130},
        {100, 130}, {300, 10}, {80, 10}, {180, 130}, {410, 70}, {220, 10}, {370, 70}};
    static constexpr engine::Point pad[staffSlots]
        = {{554.6667f, 264}, {298.6667f, 144}, {874.6667f, 312}, {213.3333f, 312}, {640.0001f, 24},
            {170.6667f, 24}, {384, 312}, {874.6667f, 168}, {469.3333f, 24}, {789.3334f, 168}};
    if (staffType < 0 || staffType >= staffSlots)
        return {0, 0};
    return isPad() ? pad[staffType] : phone[staffType];
}

// --- furniture ---

QBY_Furniture* Shop::addFurniture(
    std::string const& name, int level, float x, float y, int furnID) {
    auto slot = std::find(pFurniture.begin(), pFurniture.end(), nullptr);
    if (slot == pFurniture.end())
        return nullptr;
    int savedLevel = DataConrtoller::getFurnLevel(furnID);
    std::string kind = name;
    int madeLevel = level;
    if (savedLevel >= level) {
        if (auto const* savedName
            = QBY_Furniture::getFurnName(DataConrtoller::getFurnType(furnID))) {
            kind = savedName;
            madeLevel = savedLevel;
        }
    }
    auto piece = QBY_Furniture::createFurniture(kind, madeLevel, x, y, pLayer);
    if (!piece && kind != name)
        piece = QBY_Furniture::createFurniture(name, level, x, y, pLayer);
    if (!piece) {
        foundation::log("No furniture \"%@\" at level %d", kind, madeLevel);
        return nullptr;
    }
    *slot = piece;
    piece->setNFurnID(furnID);
    if (piece->furnType() >= 0 && piece->furnType() < furnitureTypes)
        bIsFurnTypeAvailable[std::size_t(piece->furnType())] = true;
    if (piece->nMaxDurablity() > 0)
        piece->setDurablity(DataConrtoller::getFurnDurablity(furnID));
    return piece.get();
}

QBY_Furniture* Shop::addFurniture(std::string const& name, int level, float x, float y, int furnID,
    int purchaseFurnType, int reqShopLevel) {
    auto* piece = addFurniture(name, level, x, y, furnID);
    if (piece && piece->furnType() == -1) {
        piece->setUpgradeData(purchaseFurnType);
        piece->setReqShopLevel(reqShopLevel);
    }
    return piece;
}

QBY_Furniture* Shop::getFurniture(int index) const {
    if (index < 0 || index >= furnitureSlots)
        return nullptr;
    return pFurniture[std::size_t(index)].get();
}

bool Shop::isFurnTypeAvailable(int type) const {
    return type >= 0 && type < furnitureTypes && bIsFurnTypeAvailable[std::size_t(type)];
}

int Shop::getFurnCount(int type) const {
    return type >= 0 && type < furnitureTypes ? pFurnitureCount[std::size_t(type)] : 0;
}

void Shop::updateFurnCount() {
    pFurnitureCount.fill(0);
    pFurnCount = 0;
    bIsFurnTypeAvailable.fill(false);
    for (auto& piece : pFurniture) {
        if (!piece)
            continue;
        int type = piece->furnType();
        if (type < 0 || type >= furnitureTypes)
            continue;
        ++pFurnitureCount[std::size_t(type)];
        bIsFurnTypeAvailable[std::size_t(type)] = true;
        ++pFurnCount;
    }
}

void Shop::setUpgradePreview(int index, base::Ref<QBY_Furniture> preview) {
    if (index >= 0 && index < furnitureSlots)
        pUpgradeFurniture[std::size_t(index)] = std::move(preview);
}

QBY_Furniture* Shop::getUpgradePreview(int index) const {
    if (index < 0 || index >= furnitureSlots)
        return nullptr;
    return pUpgradeFurniture[std::size_t(index)].get();
}

QBY_Furniture* Shop::upgradeFurniture(QBY_Furniture* piece) {
    if (!piece)
        return nullptr;
    auto& globals = GameGlobals::shared();
    int cost = piece->nUpgradeCost();
    bool petPoints = piece->nUpgradeCostType() == "pp";
    // A piece with no next level, or a price the player cannot pay, is refused.
    if (cost < 0 || cost == 2147483647 || (petPoints ? globals.petPoints : globals.money) < cost) {
        foundation::log("Upgrade refused: costs %d", cost);
        return nullptr;
    }
    base::Ref<QBY_Furniture> held(piece);
    {
        DataManager::Batch batch;
        if (petPoints) {
            globals.petPoints -= cost;
            globals.petPointsChanged = true;
        } else if (auto* hud = interface()) {
            hud->updateGameplayMoney(-cost);
        } else {
            globals.money -= cost;
        }
        DataConrtoller::savePetPoints();
        DataConrtoller::saveMoney();
    }
    int type = piece->upgradeFurnType() >= 0 && piece->furnType() == -1 ? piece->upgradeFurnType()
                                                                        : piece->furnType();
    int level = piece->nLevel() + 1;
    auto position = piece->pSprite() ? piece->pSprite()->position() : engine::Point {};
    int id = piece->nFurnID();
    auto removeSprite = [this](base::Ref<QBY_Furniture>& slot) {
        if (slot && slot->pSprite() && pLayer)
            pLayer->removeChild(slot->pSprite(), engine::Cleanup::Yes);
        slot = nullptr;
    };
    for (int i = 0; i < furnitureSlots; ++i) {
        auto& preview = pUpgradeFurniture[std::size_t(i)];
        auto& real = pFurniture[std::size_t(i)];
        if (preview.get() == piece) {
            removeSprite(preview);
            removeSprite(real);
        } else if (real.get() == piece) {
            removeSprite(real);
        }
    }
    auto const* name = QBY_Furniture::getFurnName(type);
    auto* made = addFurniture(name ? name : "empty", level, position.x, position.y, id);
    if (!made)
        return nullptr;
    made->setDurablity(made->nMaxDurablity());
    if (made->nUpgradeCost() > 0 && globals.shopLevel >= made->nReqShopLevel())
        made->showUpgradeIcon(false);
    if (auto* sprite = made->pSprite()) {
        sprite->setOpacity(128);
        sprite->runAction(engine::FadeTo::actionWithDuration(0.2f, 255));
        sprite->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.0f)));
    }
    {
        DataManager::Batch batch;
        DataConrtoller::savePetPoints();
        DataConrtoller::saveMoney();
        if (id >= 0) {
            DataConrtoller::saveFurnType(id, made->furnType());
            DataConrtoller::saveFurnLevel(id, made->nLevel());
        }
    }
    updateFurnCount();
    if (made->furnType() == 1) {
        for (auto& piece2 : pFurniture) {
            if (piece2.get() == made)
                pCounterFurniture = piece2;
        }
        for (auto& staff : pStaff) {
            if (staff && staff->staffType() == 5 && staff->bEnable())
                staff->setPTargetFurniture(made);
        }
    }
    return made;
}

// --- staff ---

QBY_Character* Shop::addStaff(int staffType, float x, float y) {
    auto slot = std::find(pStaff.begin(), pStaff.end(), nullptr);
    if (slot == pStaff.end() || staffType < 0 || staffType >= staffSlots)
        return nullptr;
    auto staff = QBY_Character::createCharacter(
        foundation::format("NPC%.3d", staffType + 1), x, y, pLayer, QBY_Character::typeStaff);
    auto const& entry = staffTable[staffType];
    staff->setSCharName(foundation::Bundle::mainBundle().localizedString(entry.nameKey));
    staff->setNHireCost(entry.hireCost);
    staff->setNReqShopLevel(1);
    staff->setStaffType(staffType);
    bool enabled = staffType == 0 || DataConrtoller::getStaffEnable(staffType);
    staff->enableStaff(enabled);
    staff->setLevel(std::max(1, DataConrtoller::getStaffLevel(staffType)));
    if (enabled && staffType == 6)
        SalonServices::shared().updateAchievement(36, 100);
    *slot = staff;
    return staff.get();
}

QBY_Character* Shop::getStaff(int index) const {
    if (index < 0 || index >= staffSlots)
        return nullptr;
    return pStaff[std::size_t(index)].get();
}

// --- characters ---

QBY_Character* Shop::getCustomer(int index) const {
    if (index < 0 || index >= customerSlots)
        return nullptr;
    return pCustomer[std::size_t(index)].get();
}

QBY_Character* Shop::getPet(int index) const {
    if (index < 0 || index >= customerSlots)
        return nullptr;
    return pPet[std::size_t(index)].get();
}

int Shop::customerCount() const {
    int count = 0;
    while (count < customerSlots && pCustomer[std::size_t(count)])
        ++count;
    return count;
}

// --- counter ---

bool Shop::addCustomerToCounter(QBY_Character* customer) {
    for (auto& place : pCounterCustomer) {
        if (!place) {
            place = base::Ref<QBY_Character>(customer);
            return true;
        }
        if (place.get() == customer)
            return true;
    }
    return false;
}

bool Shop::canAddCustomerToCounter() const {
    return std::any_of(
        pCounterCustomer.begin(), pCounterCustomer.end(), [](auto const& place) { return !place; });
}

int Shop::getCounterCustomerIndex(QBY_Character const* customer) const {
    for (int i = 0; i < counterPlaces; ++i) {
        if (customer && pCounterCustomer[std::size_t(i)].get() == customer)
            return i;
    }
    return -1;
}

QBY_Character* Shop::getCounterCustomer(int place) const {
    if (place < 0 || place >= counterPlaces)
        return nullptr;
    return pCounterCustomer[std::size_t(place)].get();
}

bool Shop::canServeCounter() const {
    auto const& first = pCounterCustomer[0];
    return first && first->bUsingFurniture();
}

bool Shop::finishCounterService() {
    auto& globals = GameGlobals::shared();
    base::Ref<QBY_Character> customer = pCounterCustomer[0];
    if (!customer) {
        foundation::log("First Counter Customer is null!");
        return true;
    }
    auto* pet = customer->pPet();
    float sum = customer->fSatisfaction() + (pet ? pet->fSatisfaction() : 0.0f);
    // One decimal, cut rather than rounded.
    float s = float(double(int(double(sum) * 10)) * 0.1);
    auto* hud = interface();
    if (s > 0 && hud)
        hud->updateGameplaySatisfaction(s);
    int fee = pet ? pet->nTotalFee() : 0;
    if (s > 0)
        fee = int(float(fee) + float(fee) * s * 0.5f);
    int income;
    if (isChallengeMode())
        income = wholeCoins(double(fee) * std::min(double(customer->fFeeRatio()), 6.0));
    else
        income = wholeCoins(double(float(fee) * customer->fFeeRatio()));
    if (hud)
        hud->updateGameplayMoney(income);
    customer->showIncome(income, s);
    playSound("Money");
    customer->showEmotion(0);
    if (customer->spCharType() == 0)
        SalonServices::shared().updateAchievement(29, 100);
    removeCustomerFromCounter(customer.get());
    globals.customerOverall += 1;
    globals.customerToday += 1;
    globals.overallMoneyEarned += income;
    if (globals.customerToday >= 5 && globals.shopLevel == 1)
        reportPayPerAction(0, "BTX_5_CUST_ACTION");
    return !canServeCounter();
}

void Shop::removeCustomerFromCounter(QBY_Character* customer) {
    int place = getCounterCustomerIndex(customer);
    if (place < 0)
        return;
    base::Ref<QBY_Character> held(customer);
    customer->leaveFurniture();
    customer->changeAIState(QBY_Character::stateLeaving);
    auto* pet = customer->pPet();
    if (pet) {
        // The pet goes with its owner, so the pair can be released once both are out.
        pet->leaveFurniture();
        pet->changeAIState(QBY_Character::stateLeaving);
    }
    if (place == 0) {
        customer->leaveShopFromCounter();
        if (pet)
            pet->leaveShopFromCounter();
    } else {
        auto door = scaled(160, 250);
        auto street = isPad() ? engine::Point {0, 600} : engine::Point {0, 250};
        for (auto* walker : {customer, pet}) {
            if (!walker)
                continue;
            walker->goToPoint(door);
            walker->addWalkPath(street);
        }
    }
    pCounterCustomer[std::size_t(place)] = nullptr;
    updateCounterCustomerPosition();
}

void Shop::updateCounterCustomerPosition() {
    for (int i = 0; i + 1 < counterPlaces; ++i) {
        auto& place = pCounterCustomer[std::size_t(i)];
        if (place)
            continue;
        place = std::move(pCounterCustomer[std::size_t(i + 1)]);
        pCounterCustomer[std::size_t(i + 1)] = nullptr;
        if (!place)
            continue;
        place->goToFurniture(place->pTargetFurniture());
        if (auto* pet = place->pPet())
            pet->goToFurniture(pet->pTargetFurniture());
    }
}

void Shop::pressCounterCustomerBubble() {
    bool pressed = false;
    for (auto& place : pCounterCustomer) {
        if (!place)
            continue;
        if (place->bShowBubble()) {
            place->pressBubble();
            pressed = true;
        }
        if (auto* pet = place->pPet(); pet && pet->bShowBubble()) {
            pet->pressBubble();
            pressed = true;
        }
    }
    if (pressed)
        playSound("ClickOnBubble");
}

void Shop::checkDestroyCharacter() {
    auto gone = [](base::Ref<QBY_Character> const& character) {
        return character && character->getAIState() == QBY_Character::stateGone;
    };
    for (int i = 0; i < customerSlots && pCustomer[std::size_t(i)] && pPet[std::size_t(i)]; ++i) {
        while (gone(pCustomer[std::size_t(i)]) && gone(pPet[std::size_t(i)])) {
            int j = i;
            for (;
                 j + 1 < customerSlots && pCustomer[std::size_t(j + 1)] && pPet[std::size_t(j + 1)];
                 ++j) {
                pCustomer[std::size_t(j)] = pCustomer[std::size_t(j + 1)];
                pPet[std::size_t(j)] = pPet[std::size_t(j + 1)];
            }
            pCustomer[std::size_t(j)] = nullptr;
            pPet[std::size_t(j)] = nullptr;
        }
        if (!pCustomer[std::size_t(i)] || !pPet[std::size_t(i)])
            break;
    }
}

}
