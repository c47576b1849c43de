#include <game/interface/MainMenu.hpp>

#include <game/interface/Interface.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/SoundEngine.hpp>

namespace game {

namespace {

constexpr char const* turnOffTitle = "Turn off Challenges";
constexpr char const* turnOnTitle = "Turn on Challenges";

}

base::Ref<MainMenu> MainMenu::init() {
    return base::make<MainMenu>();
}

MainMenu::~MainMenu() {
    // The alert does not retain its delegate.
    if (challengesAlert_ && challengesAlert_->delegate() == this)
        challengesAlert_->setDelegate(nullptr);
}

Interface* MainMenu::interface() {
    auto& layer = GameGlobals::shared().mainLayer;
    return layer ? layer->interface() : nullptr;
}

void MainMenu::start(int state) {
    curMainMenuState = state;
    if (auto* face = interface()) {
        switch (state) {
        case 0:
            face->showTitle();
            break;
        case 3:
            face->showMainMenu();
            SalonServices::shared().checkUpdateAchievementsFromCurrentGame();
            SalonServices::shared().updateLeaderboard();
            break;
        case 6:
            face->showNewGame();
            break;
        case 9:
            face->showConfirmNewGame();
            break;
        case 12:
            face->showOption();
            break;
        case 24:
            face->showHelpMenu(true);
            break;
        default:
            break;
        }
    }
    nPressedIndex = -1;
    if (auto* sound = SoundEngine::sharedManager()) {
        sound->playMusicTrack(titleTrack);
        sound->setMusicTrackLoop(true);
        sound->fadeToVolumeMusicTrack(1.0f, 0.5f);
    }
}

void MainMenu::enterSalon() {
    GameGlobals::shared().nextProgramState = ProgramStateShop;
}

void MainMenu::update() {
    auto* face = interface();
    if (!face)
        return;
    // Once the salon is asked for, the menu waits to be released; a frame that
    // still reaches it must not start a second new game or ask about the save
    // that the first one just wrote.
    if (GameGlobals::shared().nextProgramState == ProgramStateShop)
        return;
    switch (curMainMenuState) {
    case 0:
        if (face->isTitleActionDone())
            curMainMenuState = 1;
        break;
    case 2:
        if (face->isTitleActionDone())
            start(3);
        break;
    case 3:
        if (face->isMainMenuActionDone())
            curMainMenuState = 4;
        break;
    case 5:
        if (!face->isMainMenuActionDone())
            break;
        switch (nPressedIndex) {
        case 0:
            if (DataConrtoller::haveResumeData()) {
                start(6);
            } else {
                startNewGame();
                enterSalon();
            }
            break;
        case 1:
            enterSalon();
            break;
        case 2:
            start(12);
            break;
        case 3:
            start(24);
            break;
        default:
            break;
        }
        break;
    case 6:
        if (face->isNewGameActionDone())
            curMainMenuState = 7;
        break;
    case 8:
        if (!face->isNewGameActionDone())
            break;
        if (nPressedIndex == 0)
            start(9);
        else if (nPressedIndex == 1)
            start(3);
        break;
    case 9:
        if (face->isConfirmNewGameActionDone())
            curMainMenuState = 10;
        break;
    case 11:
        if (!face->isConfirmNewGameActionDone())
            break;
        if (nPressedIndex == 0) {
            startNewGame();
            enterSalon();
        } else if (nPressedIndex == 1) {
            start(3);
        }
        break;
    case 12:
        if (face->isOptionActionDone())
            curMainMenuState = 13;
        break;
    case 14:
        if (face->isOptionActionDone() && nPressedIndex == 0)
            start(3);
        break;
    case 24:
        if (face->isHelpMenuActionDone())
            curMainMenuState = 25;
        break;
    case 26:
        if (face->isHelpMenuActionDone()) {
            face->removeHelpMenuPage();
            start(3);
        }
        break;
    default:
        break;
    }
}

void MainMenu::handlePressTitle() {
    if (curMainMenuState != 1)
        return;
    if (auto* face = interface())
        face->HiddenTitle();
    curMainMenuState = 2;
}

void MainMenu::handlePressButton(int slot) {
    auto* face = interface();
    switch (curMainMenuState) {
    case 4:
        if (slot >= 0 && slot <= 3) {
            nPressedIndex = slot;
            if (face)
                face->HiddenMainMenu(slot);
            curMainMenuState = 5;
        } else {
            pressMenuButton(slot);
        }
        break;
    case 7:
        nPressedIndex = slot;
        if (face)
            face->HiddenNewGame();
        curMainMenuState = 8;
        break;
    case 10:
        nPressedIndex = slot;
        if (face)
            face->HiddenConfirmNewGame();
        curMainMenuState = 11;
        break;
    case 13:
        nPressedIndex = slot;
        if (face)
            face->HiddenOption();
        curMainMenuState = 14;
        break;
    case 25:
        if (face)
            face->hiddenHelpMenu();
        curMainMenuState = 26;
        break;
    default:
        break;
    }
}

void MainMenu::pressMenuButton(int slot) {
    auto* layer = GameGlobals::shared().mainLayer.get();
    switch (slot) {
    case 4:
        if (layer)
            layer->showBountixOffers();
        break;
    case 6:
        if (layer)
            layer->showAchievements();
        break;
    case 10:
        if (layer)
            layer->showDownloadPage();
        break;
    case 11:
        if (auto* controller = layer ? layer->pRootViewController() : nullptr)
            controller->showDailyBonus();
        break;
    case 13:
        AdClients::shared().howdyCheckin();
        break;
    case 14:
        askAboutChallenges();
        break;
    default:
        break;
    }
}

void MainMenu::askAboutChallenges() {
    bool on = DataConrtoller::getDailyChallengeEnabled();
    std::string message
        = "This feature gives you random challenges to fulfill when starting a new day. ";
    message += on ? "Really turn it off?" : "Turn it on?";
    if (challengesAlert_ && challengesAlert_->delegate() == this)
        challengesAlert_->setDelegate(nullptr);
    challengesAlert_
        = ui::AlertView::create(on ? turnOffTitle : turnOnTitle, message, this, "No", {"Yes"});
    challengesAlert_->show();
}

void MainMenu::willDismissWithButtonIndex(ui::AlertView& alert, int index) {
    if (&alert == challengesAlert_.get())
        challengesAlert_ = nullptr;
    if (alert.buttonTitleAtIndex(index) != "Yes")
        return;
    if (alert.title() == turnOffTitle)
        DataConrtoller::setDailyChallengeEnabled(false);
    else if (alert.title() == turnOnTitle)
        DataConrtoller::setDailyChallengeEnabled(true);
    else
        return;
    if (auto* face = interface())
        face->updateChallengeButton();
}

void MainMenu::startNewGame() {
    auto& globals = GameGlobals::shared();
    DataConrtoller::resetData();
    DataConrtoller::loadDay();
    DataConrtoller::loadShopLevel();
    DataConrtoller::loadMoney();
    DataConrtoller::loadSatisfaction();
    globals.money = 200;
    DataConrtoller::saveMoney();
    globals.lastDayMoney = globals.money;
    DataConrtoller::saveLastDayMoney();
    globals.lastDaySatisfaction = globals.satisfaction;
    DataConrtoller::saveLastDaySatisfaction();
    DataConrtoller::resetCountingRecord();
}

}
