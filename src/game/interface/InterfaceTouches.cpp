// The interface's touch dispatcher and the callbacks of the HUD widgets it owns.
//
// Every touch of the game is offered here before the salon sees it. The
// dispatcher picks its table by the UI state (a modal popup first), then by the
// program state and the salon's or the main menu's own state; a NO lets the
// salon pick up whatever lies under the finger.
//
// A row that acts and still lets the touch pass ends the look at the set: a
// later touch of the same set would otherwise act on the state the first one
// just changed (a second challenge report, a second day started).

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/RGBAProtocol.hpp>
#include <game/interface/CCPurchaseDialog.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/interface/StaffLevels.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/IncomeBonusEffect.hpp>
#include <game/progression/ItemEffectController.hpp>
#include <game/progression/StaffSpeedEffect.hpp>
#include <game/progression/WildcardServiceEffect.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

using namespace interface_support;

namespace {

// The menu's title track, which the music switch starts again when music comes on.
constexpr char const* titleMusicTrack = MainMenu::titleTrack;

// Salon and popup buttons are tested at their size, the main menu's a little
// inside it, the help book's page arrows generously.
constexpr float exactTolerance = 0;
constexpr float menuTolerance = -2;
constexpr float arrowTolerance = 10;

bool hit(engine::Sprite* sprite, engine::Point point, float tolerance = exactTolerance) {
    return GraphicEngine::isPointInSprite(sprite, point, tolerance);
}

engine::Point scenePoint(ui::Touch const& touch) {
    auto location = touch.locationInView(touch.view());
    return GraphicEngine::convertTouchPoint({location.x, location.y});
}

}

bool Interface::handleTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto& globals = GameGlobals::shared();
    for (auto const& touch : touches) {
        if (!touch)
            continue;
        auto point = scenePoint(*touch);
        int uiState = curUIState();
        if (uiState == 19) {
            if (!hit(button(9), point))
                return false;
            clickButtonEffect(9);
            playSound("Click");
            hideSeasonsBonus();
            return true;
        }
        if (uiState == 15) {
            if (bHelpMenuShowBackButton && hit(button(0), point)) {
                clickButtonEffect(0);
                playSound("Click");
                if (curProgramState_ == ProgramStateShop) {
                    hiddenHelpMenu();
                    showPauseButton();
                    showHelpButton();
                    if (auto salon = globals.shop)
                        salon->resumeGame();
                } else if (curProgramState_ == ProgramStateMainMenu) {
                    if (auto menu = globals.mainMenu)
                        menu->handlePressButton(0);
                }
                return true;
            }
            for (int slot : {1, 2}) {
                auto* arrow = button(slot);
                if (arrow && arrow->opacity() == 255 && hit(arrow, point, arrowTolerance)) {
                    clickButtonEffect(slot);
                    playSound("Click");
                    setHelpMenuPage(nHelpMenuPage + (slot == 1 ? -1 : 1));
                    return true;
                }
            }
            return false;
        }
        if (curProgramState_ == ProgramStateShop) {
            // Held for the call: a row may end the salon state.
            auto salon = globals.shop;
            if (!salon)
                return false;
            bool stop = false;
            bool consumed = false;
            int shopState = salon->getShopState();
            if (shopState == 2)
                consumed = salonWorkingTouch(*salon, point, stop);
            else if (shopState == 3)
                consumed = salonAfterHoursTouch(*salon, point, stop);
            if (consumed)
                return true;
            if (stop)
                return false;
        } else if (curProgramState_ == ProgramStateMainMenu) {
            auto menu = globals.mainMenu;
            if (!menu)
                return false;
            if (mainMenuTouch(*menu, point))
                return true;
            if (pClickEffect)
                playClickEffect(point);
        }
    }
    return false;
}

bool Interface::salonWorkingTouch(Shop& salon, engine::Point point, bool&) {
    switch (curUIState()) {
    case 11:
        if (!hit(pGameplay_Report.get(), point))
            return false;
        playSound("Click");
        hiddenReport();
        showPauseButton();
        showHelpButton();
        salon.resumeGame();
        return true;
    case 10:
        if (hit(button(0), point)) {
            clickButtonEffect(0);
            playSound("Click");
            hiddenPauseMenu();
            showPauseButton();
            showHelpButton();
            salon.resumeGame();
            return true;
        }
        if (hit(button(1), point)) {
            clickButtonEffect(1);
            playSound("Confirm");
            salon.saveAllData();
            SalonServices::shared().pushSaveData(DataConrtoller::exportSaveData());
            salon.quitGame();
            return true;
        }
        return false;
    case 0:
        if (hit(pGameplay_PauseButton.get(), point)) {
            playSound("Pause");
            showPauseMenu();
            hiddenPauseButton();
            hiddenHelpButton();
            salon.pauseGame();
            return true;
        }
        if (pGameplay_HelpButton && pGameplay_HelpButton->opacity() == 255
            && hit(pGameplay_HelpButton.get(), point)) {
            playSound("Click");
            curUIState_ = 22;
            salon.showQuestProgress();
            return true;
        }
        if (pStatusBar && pStatusBar->hitTest(point)) {
            playSound("Click");
            showReport(false);
            hiddenPauseButton();
            hiddenHelpButton();
            salon.pauseGame();
            return true;
        }
        return false;
    default:
        return false;
    }
}

void Interface::startNextDay(Shop& salon) {
    playSound("Click");
    hiddenNextDayButton();
    hideInAppShop();
    if (auto* controller = pLayer ? pLayer->pRootViewController() : nullptr) {
        controller->hideBTXAd();
        controller->hideAdView();
    }
    salon.endShoppingMode();
    salon.startPreWorkingHour();
}

bool Interface::salonAfterHoursTouch(Shop& salon, engine::Point point, bool& stop) {
    switch (curUIState()) {
    case 0:
        if (!hit(pGameplay_NextDayButton.get(), point))
            return false;
        if (salon.shoppingModeInTransition())
            return true;
        if (salon.isEligibleForChallengeMode()) {
            hideInAppShop();
            showVIPDayWarning();
            return true;
        }
        if (salon.isEligibleForDailyChallenge()) {
            // The challenge's report starts the day when it is dismissed; without
            // one the day starts now. Either way the touch passes on, but no later
            // touch of the set may press the button again.
            if (!salon.prepareDailyChallenge())
                startNextDay(salon);
            stop = true;
            return false;
        }
        startNextDay(salon);
        return true;
    case 11:
        if (!pGameplay_Report || pGameplay_Report->numberOfRunningActions() > 0
            || !hit(pGameplay_Report.get(), point))
            return false;
        playSound("Click");
        hiddenReport();
        showNextDayButton();
        salon.startShoppingMode();
        return true;
    case 17:
        if (hit(button(0), point)) {
            playSound("Click");
            hideVIPDayWarning();
            stop = true;
        } else if (hit(button(1), point)) {
            playSound("Click");
            salon.declineChallengeMode();
            hideVIPDayWarning();
            stop = true;
        }
        return false;
    case 20:
    case 21: {
        bool pad = Utilities::isiPad();
        engine::Point below {pad ? 512.0f : 240.0f, -160};
        auto slideAway = [&](base::Ref<engine::Sprite> const& panel, void (Interface::*hide)()) {
            if (!panel) {
                (this->*hide)();
                return;
            }
            // A second press while it slides starts the slide again; it hides once.
            panel->stopAllActions();
            panel->runAction(
                engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.2f, below),
                    engine::CallFunc::actionWithTarget(this, hide)));
        };
        if (hit(button(10), point)) {
            slideAway(pGameplay_PPBonusBG2, &Interface::hideEOLBonus);
            return true;
        }
        if (hit(button(9), point)) {
            slideAway(pGameplay_PPBonusBG, &Interface::hideEOD1Bonus);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool Interface::mainMenuTouch(MainMenu& menu, engine::Point point) {
    switch (menu.getMainMenuState()) {
    case 1:
        playSound("Confirm");
        menu.handlePressTitle();
        return true;
    case 4:
        for (int slot = 0; slot < buttonSlots; ++slot) {
            auto* candidate = button(slot);
            if (!candidate || !hit(candidate, point, menuTolerance))
                continue;
            bool allowed = true;
            if (slot == 1)
                allowed = DataConrtoller::haveResumeData();
            else if (slot == 13 || slot == 14)
                allowed = candidate->visible();
            if (!allowed)
                continue;
            playSound("Confirm");
            clickButtonEffect(slot);
            menu.handlePressButton(slot);
            return true;
        }
        return false;
    case 7:
    case 10:
        for (int slot : {0, 1}) {
            if (hit(button(slot), point, menuTolerance)) {
                playSound(slot == 0 ? "Confirm" : "Cancel");
                clickButtonEffect(slot);
                menu.handlePressButton(slot);
                return true;
            }
        }
        return false;
    case 13:
        if (optionsTouch(point))
            return true;
        if (hit(button(0), point, menuTolerance)) {
            playSound("Cancel");
            clickButtonEffect(0);
            menu.handlePressButton(0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool Interface::optionsTouch(engine::Point point) {
    auto* sound = SoundEngine::sharedManager();
    bool musicOn = sound && sound->isMusicTrackEnable();
    bool soundOn = sound && sound->isSoundEnable();
    auto mark = [](engine::Sprite* marker, engine::Sprite* half) {
        if (marker)
            marker->setPosition(half->position());
    };
    // Only the half that changes the current setting answers.
    if (auto* half = musicOn ? pOption_Bgm_Off.get() : pOption_Bgm_On.get(); hit(half, point)) {
        mark(pOption_Bgm_Select.get(), half);
        if (musicOn) {
            playSound("Click");
            if (sound)
                sound->enableMusicTrack(false);
            DataConrtoller::saveBgmEnable(false);
        } else {
            if (sound) {
                sound->enableMusicTrack(true);
                sound->setVolumeMusicTrack(0);
                sound->playMusicTrack(titleMusicTrack);
                sound->setMusicTrackLoop(true);
                sound->fadeToVolumeMusicTrack(1.0f, 0.5f);
            }
            DataConrtoller::saveBgmEnable(true);
            playSound("Click");
        }
        return true;
    }
    if (auto* half = soundOn ? pOption_Sfx_Off.get() : pOption_Sfx_On.get(); hit(half, point)) {
        mark(pOption_Sfx_Select.get(), half);
        if (soundOn) {
            if (sound)
                sound->enableSound(false);
            DataConrtoller::saveSfxEnable(false);
        } else {
            if (sound)
                sound->enableSound(true);
            playSound("Click");
            DataConrtoller::saveSfxEnable(true);
        }
        return true;
    }
    return false;
}

bool Interface::handleTouchesMoved(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleTouchesEnded(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleTouchesCancelled(ui::TouchSet& touches, ui::Event* event) {
    return handleTouchesEnded(touches, event);
}

bool Interface::handleDoubleTap(ui::TouchSet&, ui::Event*) {
    return false;
}

bool Interface::handleChangeTextField(ui::TextField&, ui::TextRange, std::string const&) {
    bUpdateText = true;
    return true;
}

bool Interface::handleEndTextField(ui::TextField&) {
    moveDownEmailBox();
    return true;
}

void Interface::ccTabBar(CCTabBar& bar, int tab) {
    playSound("Click");
    if (auto* controller = pLayer ? pLayer->pRootViewController() : nullptr) {
        controller->hideBTXAd();
        controller->hideAdView();
    }
    auto salon = GameGlobals::shared().shop;
    if (salon && salon->shoppingModeInTransition()) {
        bar.selectTab(prevActiveTabIndex_, true);
        return;
    }
    if (prevActiveTabIndex_ == 2)
        hideInAppShop();
    switch (tab) {
    case 0:
    case 1:
        if (salon)
            salon->setShopTab(tab);
        prevActiveTabIndex_ = tab;
        if (pItemBar)
            pItemBar->setBubblesVisible(tab == 0);
        break;
    case 2:
        showInAppShop();
        prevActiveTabIndex_ = 2;
        if (pItemBar)
            pItemBar->setBubblesVisible(false);
        break;
    case 3:
        showTransferPPView();
        if (pItemBar)
            pItemBar->setBubblesVisible(false);
        break;
    default:
        break;
    }
}

namespace {

// A power-up of the bar: its effect, the jingle that plays while it runs, and what a
// batch of it costs.
struct PowerUp {
    char const* name;
    char const* jingle;
    base::Ref<ItemEffectProtocol> (*make)();
    base::Ref<base::Dictionary> (*purchaseData)();
};

PowerUp const* powerUpNamed(std::string const& name) {
    static PowerUp const powerUps[] {
        {"IncomeBonus", "ConsumableMoney",
            [] { return base::Ref<ItemEffectProtocol>(IncomeBonusEffect::init()); },
            &IncomeBonusEffect::purchaseData},
        {"WildcardBonus", "ConsumableWildcard",
            [] { return base::Ref<ItemEffectProtocol>(WildcardServiceEffect::init()); },
            &WildcardServiceEffect::purchaseData},
        {"SpeedBonus", "ConsumableLightning",
            [] { return base::Ref<ItemEffectProtocol>(StaffSpeedEffect::init()); },
            &StaffSpeedEffect::purchaseData},
    };
    for (auto const& powerUp : powerUps) {
        if (name == powerUp.name)
            return &powerUp;
    }
    return nullptr;
}

}

void Interface::ccItemBar(CCItemBar& bar, std::string const& buttonName) {
    int uiState = curUIState();
    if (uiState == 10 || uiState == 11 || uiState == 15)
        return;
    auto const* powerUp = powerUpNamed(buttonName);
    auto salon = GameGlobals::shared().shop;
    if (!powerUp || !salon)
        return;
    int shopState = salon->getShopState();
    if (shopState == 2) {
        if (!bar.modItemCountForButton(buttonName, -1))
            return;
        auto effect = powerUp->make();
        if (auto* timeline = salon->itemEffectCtrl())
            timeline->scheduleEffectDelay(effect, 0);
        bar.attachItemEffect(effect, buttonName);
        playSound("ConsumableActivate");
        salon->startConsumableMusicNamed(powerUp->jingle, effect->effectDuration());
    } else if (shopState == 3 && uiState == 0 && salon->getShopTab() == 0) {
        showShopDialog(powerUp->purchaseData());
    }
}

void Interface::didPurchaseConsumableNamed(std::string const& name, int count) {
    if (pItemBar)
        pItemBar->modItemCountForButton(name, count);
}

void Interface::purchaseDialogDidSelectResponse(
    CCPurchaseDialog& dialog, int response, base::Dictionary const&) {
    switch (response) {
    case CCPurchaseDialog::Buy:
    case CCPurchaseDialog::Cancel:
        dialog.dismissDialog();
        break;
    case CCPurchaseDialog::GetPetPoints:
        if (auto* controller = pLayer ? pLayer->pRootViewController() : nullptr)
            controller->showInAppPurchase();
        break;
    case CCPurchaseDialog::GetMoney:
        if (auto* controller = pLayer ? pLayer->pRootViewController() : nullptr)
            controller->showTransferPetPointsToMoney();
        break;
    default:
        break;
    }
}

void Interface::purchaseDialogDidDismissWithResponse(
    CCPurchaseDialog& dialog, int response, base::Ref<base::Dictionary const> item) {
    auto salon = GameGlobals::shared().shop;
    if (response == CCPurchaseDialog::Buy && item && salon) {
        auto type = item->objectForKey("type").stringValue();
        if (type == "staff") {
            if (pHireChar && canPurchaseStaff(*pHireChar)) {
                playSound("Money");
                auto* staff = pHireChar.get();
                pHireChar = base::Ref<QBY_Character>(
                    staff->bEnable() ? salon->upgradeStaff(staff) : salon->hireStaff(staff));
                salon->checkStaffAchievements();
            }
        } else if (type == "device") {
            if (pUpgradeFurn && canPurchaseFurniture(*pUpgradeFurn)) {
                playSound("Money");
                pUpgradeFurn
                    = base::Ref<QBY_Furniture>(salon->upgradeFurniture(pUpgradeFurn.get()));
                salon->checkFurnitureAchievements();
            }
        } else if (type == "theme" || type == "consumable") {
            salon->purchaseCurrentItem();
        }
    }
    // The dialog that closed leaves the layer; it is the open one unless another
    // replaced it meanwhile, which stays.
    if (pPurchaseDialog == &dialog)
        pPurchaseDialog = nullptr;
    removeFromParent(&dialog);
}

void Interface::updateChallengeButton() {
    auto* challenges = button(14);
    if (!challenges)
        return;
    auto colour = DataConrtoller::getDailyChallengeEnabled() ? engine::Color3B {255, 255, 255}
                                                             : engine::Color3B {128, 128, 128};
    challenges->setColor(colour);
    for (int tag : {223, 224}) {
        if (auto* child = dynamic_cast<engine::RGBAProtocol*>(challenges->getChildByTag(tag)))
            child->setColor(colour);
    }
}

}
