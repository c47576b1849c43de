// The salon's modes: pause, the after-hours shopping mode, happy music and
// consumable sounds, the door block, the store's items, the combo, the whole save,
// the salon's achievements and the debugging modes.

#include <engine/ActionManager.hpp>
#include <engine/IntervalAction.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/salon/ShopSupport.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GraphicEngine.hpp>

namespace game {

using namespace shop_support;

void Shop::pauseGame(PauseReason reason) {
    bool wasPaused = isPaused();
    pauseReasons_ |= unsigned(reason);
    if (wasPaused)
        return;
    auto& actions = engine::ActionManager::sharedManager();
    for (auto* sprite : {pShopDoor_.get(), pCar_[0].get(), pCar_[1].get()}) {
        if (sprite)
            actions.pauseAllActionsForTarget(sprite);
    }
    for (int i = 0; i < customerSlots; ++i) {
        if (auto& customer = pCustomer[std::size_t(i)])
            customer->pause();
        if (auto& pet = pPet[std::size_t(i)])
            pet->pause();
    }
    for (auto& staff : pStaff) {
        if (staff)
            staff->pause();
    }
    if (bIsPlayingHappyMusic) {
        if (auto* hud = interface())
            hud->pauseMusicNote();
    }
}

void Shop::resumeGame(PauseReason reason) {
    if (!isPausedFor(reason))
        return;
    pauseReasons_ &= ~unsigned(reason);
    if (isPaused())
        return;
    auto& actions = engine::ActionManager::sharedManager();
    for (auto* sprite : {pShopDoor_.get(), pCar_[0].get(), pCar_[1].get()}) {
        if (sprite)
            actions.resumeAllActionsForTarget(sprite);
    }
    for (int i = 0; i < customerSlots; ++i) {
        if (auto& customer = pCustomer[std::size_t(i)])
            customer->resume();
        if (auto& pet = pPet[std::size_t(i)])
            pet->resume();
    }
    for (auto& staff : pStaff) {
        if (staff)
            staff->resume();
    }
    if (bIsPlayingHappyMusic) {
        if (auto* hud = interface())
            hud->resumeMusicNote();
    }
}

void Shop::setShopTab(int tab) {
    if (tab != 0 && tab != 1)
        return;
    endShoppingMode();
    curShopTab = tab;
    startShoppingMode();
}

void Shop::startShoppingMode() {
    auto& globals = GameGlobals::shared();
    if (auto* engine = SoundEngine::sharedManager()) {
        engine->playMusicTrack("qrn_hellomyfriend_v2.mp3");
        engine->setMusicTrackLoop(true);
        engine->fadeToVolumeMusicTrack(1.0f, 0.5f);
    }
    if (curShopTab == 1) {
        for (int i = 0; i < furnitureSlots; ++i) {
            auto& place = pFurniture[std::size_t(i)];
            if (!place)
                continue;
            bool reached = globals.shopLevel >= place->nReqShopLevel();
            if (place->furnType() == -1 && place->upgradeFurnType() != -1 && reached
                && place->nLevel() == 0) {
                auto const* name = QBY_Furniture::getFurnName(place->upgradeFurnType());
                auto position = place->pSprite() ? place->pSprite()->position() : engine::Point {};
                auto preview = name ? QBY_Furniture::createFurniture(
                                   name, place->nLevel(), position.x, position.y, pLayer)
                                    : nullptr;
                if (preview && !pUpgradeFurniture[std::size_t(i)]) {
                    preview->setNFurnID(place->nFurnID());
                    if (auto* sprite = preview->pSprite()) {
                        sprite->setColor({64, 64, 64});
                        sprite->setOpacity(0);
                        GraphicEngine::fadeToSprite(sprite, 128, 0.5f);
                    }
                    preview->showUpgradeIcon(true);
                    pUpgradeFurniture[std::size_t(i)] = preview;
                    GraphicEngine::fadeOutSprite(place->pSprite(), 0.5f);
                } else if (preview && pLayer && preview->pSprite()) {
                    pLayer->removeChild(preview->pSprite(), engine::Cleanup::Yes);
                }
            } else if (place->nUpgradeCost() > 0 && reached) {
                place->showUpgradeIcon(false);
            }
        }
    }
    if (curShopTab == 0) {
        for (auto& slot : pStaff) {
            auto* staff = slot.get();
            if (!staff)
                continue;
            staff->pSprite()->setPosition(staff->getStartPoint());
            staff->updateZPos();
            staff->changeAction(0);
            staff->changeDirection(2);
            if (staff->bEnable()) {
                staff->pSprite()->setVisible(true);
                staff->pSprite()->stopAllActions();
                GraphicEngine::fadeInAtlasSprite(staff->pSprite(), 0.5f);
                if (staff->getLevel() < staffLevelCount(staff->staffType()))
                    staff->showHireIcon(false);
            } else if (globals.shopLevel >= staff->nReqShopLevel()) {
                staff->pSprite()->stopAllActions();
                staff->pSprite()->setVisible(true);
                staff->pSprite()->setColor({64, 64, 64});
                staff->pSprite()->setOpacity(0);
                GraphicEngine::fadeToAtlasSprite(staff->pSprite(), 128, 0.5f);
                staff->showHireIcon(true);
            }
        }
    }
    checkFurnitureAchievements();
    checkStaffAchievements();
}

void Shop::endShoppingMode() {
    for (int i = 0; i < furnitureSlots; ++i) {
        if (auto& preview = pUpgradeFurniture[std::size_t(i)]) {
            preview->removeUpgradeIcon();
            if (auto* sprite = preview->pSprite()) {
                sprite->stopAllActions();
                GraphicEngine::fadeToSprite(sprite, 0, 0.5f);
            }
        }
        if (auto& piece = pFurniture[std::size_t(i)]) {
            if (piece->pSprite() && piece->pSprite()->opacity() == 0) {
                piece->pSprite()->stopAllActions();
                GraphicEngine::fadeInSprite(piece->pSprite(), 0.5f);
            }
            if (piece->bShowUpgradeIcon())
                piece->removeUpgradeIcon();
        }
    }
    for (auto& staff : pStaff) {
        if (!staff)
            continue;
        if (!staff->bEnable()) {
            staff->pSprite()->stopAllActions();
            GraphicEngine::fadeToAtlasSprite(staff->pSprite(), 0, 0.5f);
        }
        staff->removeHireIcon();
    }
    checkFurnitureAchievements();
    checkStaffAchievements();
}

bool Shop::shoppingModeInTransition() const {
    for (auto const& staff : pStaff) {
        if (staff && staff->pSprite() && staff->pSprite()->numberOfRunningActions() > 0)
            return true;
    }
    for (int i = 0; i < furnitureSlots; ++i) {
        for (auto const* piece :
            {pFurniture[std::size_t(i)].get(), pUpgradeFurniture[std::size_t(i)].get()}) {
            if (piece && piece->pSprite() && piece->pSprite()->numberOfRunningActions() > 0)
                return true;
        }
    }
    return false;
}

void Shop::startHappyMusic() {
    auto& globals = GameGlobals::shared();
    bIsPlayingHappyMusic = true;
    happyMusicEndTime = globals.shopTime + 15;
    if (auto* engine = SoundEngine::sharedManager())
        engine->setVolumeMusicTrack(0);
    playSound("FurnMusicPlayer");
    bWillFadeInBgm = true;
    fadeInBgmStartTime = globals.totalTime + 15;
    globals.musicPlayCountToday += 1;
    DataConrtoller::saveCountingRecord();
}

void Shop::startConsumableMusicNamed(std::string const& name, float duration) {
    auto* engine = SoundEngine::sharedManager();
    if (engine)
        engine->setVolumeMusicTrack(0);
    if (!mConsumableSFX.empty()) {
        if (engine)
            engine->stopSoundName(mConsumableSFX);
        mConsumableSFX.clear();
    }
    playSound(name);
    bWillFadeInBgm = true;
    fadeInBgmStartTime = GameGlobals::shared().totalTime + duration;
    mConsumableSFX = name;
}

void Shop::blockCustomers(bool block, QBY_Furniture* doorBlock) {
    float fx = isPad() ? padX : 1;
    float fy = isPad() ? padY : 1;
    auto* sprite = doorBlock ? doorBlock->pSprite() : nullptr;
    if (block) {
        for (int i = 0; i < customerSlots; ++i) {
            base::Ref<QBY_Character> customer = pCustomer[std::size_t(i)];
            if (!customer)
                break;
            if (customer->pSprite()->position().y > 240 * fy)
                customer->leaveShop();
        }
        bBlockCustomers = true;
        if (sprite)
            sprite->runAction(engine::MoveTo::actionWithDuration(0.5f, {160 * fx, 200 * fy}));
    } else {
        bBlockCustomers = false;
        if (sprite) {
            sprite->stopAllActions();
            sprite->runAction(engine::MoveTo::actionWithDuration(0.5f, {185 * fx, 200 * fy}));
        }
    }
}

void Shop::saveAllData() {
    saveGame();
}

void Shop::quitGame() {
    GameGlobals::shared().nextProgramState = ProgramStateMainMenu;
}

void Shop::checkFurnitureAchievements() {
    bool toFill = false;
    bool upgradable = false;
    for (auto const& piece : pFurniture) {
        if (!piece)
            continue;
        if (piece->upgradeFurnType() != piece->furnType())
            toFill = true;
        else if (piece->nUpgradeCost() > 0)
            upgradable = true;
    }
    auto& services = SalonServices::shared();
    if (!toFill) {
        services.updateAchievement(12, 100);
        if (!upgradable)
            services.updateAchievement(13, 100);
    }
}

void Shop::checkChallengeAchievements() {
    int completed = DataConrtoller::getChallengeCompleteCount();
    int streak = DataConrtoller::getChallengeCompleteStreak();
    auto& services = SalonServices::shared();
    if (streak > 4) {
        services.updateAchievement(38, 100);
        if (streak > 14)
            services.updateAchievement(39, 100);
    }
    if (completed >= 30) {
        services.updateAchievement(40, 100);
        if (completed >= 100)
            services.updateAchievement(41, 100);
    }
    if (services.isGameCenterAvailable())
        services.reportScore(3, completed);
}

void Shop::setCurrentItem(base::Dictionary const* item) {
    mCurrentItemData = item ? item->deepCopy() : nullptr;
}

bool Shop::pay(int price, bool petPoints) {
    auto& globals = GameGlobals::shared();
    if (price < 0 || (petPoints ? globals.petPoints : globals.money) < price)
        return false;
    playSound("Money");
    if (petPoints) {
        globals.petPoints -= price;
        DataConrtoller::logPetPointsSpent(price);
        DataConrtoller::savePetPoints();
        globals.petPointsChanged = true;
    } else {
        if (auto* hud = interface())
            hud->updateGameplayMoney(-price);
        else
            globals.money -= price;
        DataConrtoller::saveMoney();
    }
    return true;
}

bool Shop::purchaseCurrentItem() {
    if (!mCurrentItemData)
        return false;
    auto& item = *mCurrentItemData;
    auto& globals = GameGlobals::shared();
    bool petPoints = item.objectForKey("cost_type").stringValue() == "pp";
    int price = item.objectForKey("cost").intValue();
    if (price < 0 || (petPoints ? globals.petPoints : globals.money) < price)
        return false;
    auto type = item.objectForKey("type").stringValue();
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto uid = item.objectForKey("uid").stringValue();
    if (type == "theme" && defaults.integerForKey(uid) == 0) {
        pay(price, petPoints);
        defaults.setInteger(1, uid);
        auto& services = SalonServices::shared();
        services.updateAchievement(37, 100);
        auto name = item.objectForKey("name").stringValue();
        foundation::log("log name:%@", name);
        auto parameters = base::Dictionary::create();
        parameters->setObject("theme", name);
        services.logEvent("Theme Purchase", parameters);
        useCurrentItem();
        return true;
    }
    if (type == "consumable") {
        pay(price, petPoints);
        auto* data = item.objectForKey("data").dictionary();
        if (auto* hud = interface(); hud && data)
            hud->didPurchaseConsumableNamed(data->objectForKey("data_key").stringValue(),
                data->objectForKey("lot_size").intValue());
        return true;
    }
    return false;
}

bool Shop::useCurrentItem() {
    if (!mCurrentItemData)
        return false;
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto items = storeAndUnpackedItems();
    auto type = mCurrentItemData->objectForKey("type").stringValue();
    for (auto const& value : items) {
        auto* entry = value.dictionary();
        if (!entry || entry->objectForKey("type").stringValue() != type)
            continue;
        auto uid = entry->objectForKey("uid").stringValue();
        if (!uid.empty() && defaults.integerForKey(uid) == 2)
            defaults.setInteger(1, uid);
    }
    defaults.setInteger(2, mCurrentItemData->objectForKey("uid").stringValue());
    loadShop(GameGlobals::shared().shopLevel);
    return true;
}

void Shop::triggerCombo(std::string const& name) {
    if (name != "RINSE_REPEAT")
        return;
    for (auto& piece : pFurniture) {
        if (!piece || (piece->furnType() != 2 && piece->furnType() != 3))
            continue;
        playSound("ClickEffect");
        piece->modServingTimeMult(0.5f, 1.5f, 15);
    }
}

void Shop::changeGameMode() {
    auto& globals = GameGlobals::shared();
    if (globals.gameMode == 1) {
        globals.gameMode = 4;
        foundation::log("EDIT MODE");
    } else {
        globals.gameMode = 1;
        foundation::log("DRAG MODE");
    }
}

void Shop::autoPlay() {
    for (auto& slot : pPet) {
        if (!slot)
            break;
        base::Ref<QBY_Character> pet = slot;
        if (pet->getAIState() == QBY_Character::stateWaitingForService)
            pet->processCommand();
    }
    for (auto& slot : pFurniture) {
        if (!slot)
            break;
        auto* piece = slot.get();
        if (piece->furnType() == 1) {
            auto* first = pCounterCustomer[0].get();
            if (first && first->getAIState() == QBY_Character::stateAtFurniture)
                staffGoToWork(piece);
        } else if (piece->nNumOfPet >= 1 && piece->nNumOfStaff == 0
            && piece->curFurnState() == QBY_Furniture::stateTaken && piece->furnType() != 0
            && piece->furnType() != -1) {
            staffGoToWork(piece);
        }
    }
}

void Shop::allCharSpeedUp() {
    for (int i = 0; i < customerSlots; ++i) {
        for (auto* character : {pCustomer[std::size_t(i)].get(), pPet[std::size_t(i)].get()}) {
            if (!character)
                continue;
            character->setWalkSpeed(1200);
            character->setFPS(120);
            character->stop();
            character->goToPoint(character->getDestPoint());
        }
    }
}

void Shop::forceCloseShop() {
    sendEveryoneAway([](QBY_Character const&) { return false; });
    GameGlobals::shared().shopTime = closingTime;
}

}
