#include <game/interface/Interface.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

using namespace interface_support;

namespace {

constexpr int menuZ = 10000;
constexpr int challengesIconTag = 223;
constexpr int challengesLabelTag = 224;
// The check-in button rests smaller than the others.
constexpr int checkInSlot = 13;
constexpr float checkInScale = 0.6f;

base::Ref<engine::FiniteTimeAction> popIn(float delay, float rest) {
    return engine::Sequence::actions(engine::DelayTime::actionWithDuration(delay),
        engine::ScaleTo::actionWithDuration(0.2f, rest * 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, rest * 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, rest));
}

base::Ref<engine::FiniteTimeAction> shrinkAway(float delay, float peak) {
    return engine::Sequence::actions(engine::DelayTime::actionWithDuration(delay),
        engine::ScaleTo::actionWithDuration(0.1f, peak),
        engine::ScaleTo::actionWithDuration(0.2f, 0.0f));
}

bool idle(engine::SceneNode* node) {
    return !node || node->numberOfRunningActions() == 0;
}

}

// --- title ---

void Interface::showTitle() {
    if (!pTitle_Bg) {
        if (pTitle)
            pTitle->showTitle();
        return;
    }
    for (auto* sprite : {pTitle_Bg.get(), pTitle_BFLogo.get(), pTitle_Button.get()}) {
        if (sprite)
            sprite->setVisible(true);
    }
    pTitle_Bg->setOpacity(255);
    if (pTitle_BFLogo)
        pTitle_BFLogo->setOpacity(255);
    if (auto* button = pTitle_Button.get()) {
        button->setOpacity(0);
        GraphicEngine::fadeInSprite(button, 0.25f);
        auto bob = engine::Sequence::actions(engine::MoveBy::actionWithDuration(0.3f, {0, -5}),
            engine::MoveBy::actionWithDuration(0.3f, {0, 5}));
        button->runAction(engine::Repeat::actionWithAction(bob, 99999));
    }
}

void Interface::HiddenTitle() {
    if (!pTitle_Bg) {
        if (pTitle)
            pTitle->hideTitle();
        return;
    }
    if (auto* button = pTitle_Button.get()) {
        button->stopAllActions();
        button->runAction(engine::ScaleTo::actionWithDuration(0.5f, 1.5f));
        GraphicEngine::fadeOutSprite(button, 0.5f);
    }
    // The title's name is part of the background picture, which dims.
    GraphicEngine::fadeToSprite(pTitle_Bg.get(), 128, 0.5f);
}

bool Interface::isTitleActionDone() {
    if (!pTitle_Bg)
        return pTitle ? pTitle->isTitleActionDone() : true;
    // The endless bob is one action; a fade beside it is still running.
    if (pTitle_Button && pTitle_Button->numberOfRunningActions() > 1)
        return false;
    return idle(pTitle_Bg.get());
}

// --- main menu ---

void Interface::showSeasonsButton(bool show) {
    bShowSeasonsButton = show;
    if (auto* seasons = button(12))
        seasons->setVisible(show);
}

void Interface::buildMenuButtons(bool pad) {
    auto* parent = pLayer;
    auto place = [&](int slot, std::string const& file, engine::Point at) -> engine::Sprite* {
        auto made = GraphicEngine::createSprite(file, at.x, at.y, parent, menuZ);
        pButton[size_t(slot)] = made;
        return made.get();
    };
    auto icon = [](engine::Sprite* button, std::string const& file, engine::Point at,
                    engine::Point anchor) {
        if (!button)
            return;
        auto made = GraphicEngine::createSprite(file, at.x, at.y, button, 1);
        if (!made)
            return;
        made->setAnchorPoint(anchor);
        made->setVisible(true);
    };
    std::string plain = pad ? "btn_BG_iPad.png" : "btn_BG.png";
    int fontSize = pad ? 36 : 24;
    float labelDrop = pad ? 5 : 3;
    float inset = pad ? 35 : 30;

    if (auto* newGame
        = place(0, plain, pad ? engine::Point {312, 456} : engine::Point {125, 220})) {
        auto [w, h] = newGame->contentSize();
        labelButton(newGame, "NEW GAME", fontSize, pad ? 220.0f : 135.0f,
            {w / 2 + inset, h / 2 - labelDrop}, 1);
        icon(newGame, art("btn_icon_web.png", pad), {inset, h / 2 - 5}, {0, 0.5f});
    }
    if (auto* resume = place(1, plain, pad ? engine::Point {698, 454} : engine::Point {355, 220})) {
        auto [w, h] = resume->contentSize();
        labelButton(resume, "RESUME", fontSize, pad ? 200.0f : 125.0f,
            {w / 2 - inset, h / 2 - labelDrop}, 1);
        icon(resume, art("btn_icon_refresh.png", pad), {w - inset, h / 2 - 5}, {1, 0.5f});
    }
    place(2, pad ? "btn_BigIcon_system.png" : "btn_icon_system.png",
        pad ? engine::Point {893, 700} : engine::Point {400, 280});
    place(3, pad ? "btn_BigIcon_help.png" : "btn_icon_help.png",
        pad ? engine::Point {987, 700} : engine::Point {451, 280});
    pButton[4] = createBuyPetPointsButton(pad ? 698 : 355, pad ? 337 : 150, parent, menuZ, false);
    pButton[6] = createAchievementsButton(pad ? 583 : 300, pad ? 698 : 280, parent, menuZ);
    if (auto* download
        = place(10, plain, pad ? engine::Point {306, 337} : engine::Point {125, 150})) {
        auto [w, h] = download->contentSize();
        labelButton(download, "BUTTON_DOWNLOAD", fontSize, pad ? 300.0f : 190.0f,
            {w / 2, h / 2 - labelDrop}, 1);
    }
    if (DataConrtoller::haveResumeData())
        place(11, pad ? "btn_icon_Draw_iPad.png" : "btn_icon_Draw.png",
            pad ? engine::Point {794, 700} : engine::Point {349, 280});
    if (pad)
        return;
    auto& clients = AdClients::shared();
    if (clients.isHowdySupported() && clients.shouldShowHowdy())
        place(checkInSlot, "Howdy.bundle/sdk-icon-checkin.png", {70, 73});
    if (auto* challenges = place(14, "btn_BG_SmallGolden.png", {80, 280})) {
        auto [w, h] = challenges->contentSize();
        auto mark
            = GraphicEngine::createSprite("btn_icon_Challenga.png", 15, h / 2, challenges, menuZ);
        if (mark) {
            mark->setTag(challengesIconTag);
            mark->setVisible(true);
        }
        auto label = GraphicEngine::createBoldLabel(
            "Challenges", w / 2 + 10, h / 2 - 3, challenges, 2, 18);
        label->setColor(white);
        label->setVisible(true);
        label->setTag(challengesLabelTag);
        updateChallengeButton();
    }
}

void Interface::showMainMenu() {
    bool pad = Utilities::isiPad();
    // The title stays behind the menu, dimmed.
    if (pTitle_Bg) {
        pTitle_Bg->setVisible(true);
        pTitle_Bg->setOpacity(128);
        if (pTitle_BFLogo)
            pTitle_BFLogo->setVisible(true);
    } else if (pTitle) {
        pTitle->hideTitle();
    }
    for (int slot = 0; slot < buttonSlots; ++slot)
        releaseButton(slot);
    if (!pLayer)
        return;
    buildMenuButtons(pad);
    showNews();
    disableButton(DataConrtoller::haveResumeData() ? 0 : 1);
    for (int slot = 0; slot < buttonSlots; ++slot) {
        auto* shown = button(slot);
        if (!shown)
            continue;
        shown->setVisible(slot != 12 || bShowSeasonsButton);
        shown->setScale(0);
        shown->runAction(popIn(float(slot) * 0.1f, slot == checkInSlot ? checkInScale : 1.0f));
    }
    if (auto* plate = pMainMenu_PetPointsBg.get()) {
        plate->setVisible(true);
        plate->setScale(0);
        plate->runAction(popIn(1.5f, 1.0f));
    }
    showEmailBar();
    if (auto* controller = pLayer->pRootViewController())
        controller->checkEarnPetPointsByBountix();
}

void Interface::HiddenMainMenu(int pressedSlot) {
    int staggered = 0;
    for (int slot = 0; slot < buttonSlots; ++slot) {
        if (slot == pressedSlot)
            continue;
        float delay = 0.2f + 0.1f * float(staggered++);
        if (auto* shown = button(slot)) {
            // A hide during the pop-in takes over from it.
            shown->stopAllActions();
            shown->runAction(shrinkAway(delay, slot == checkInSlot ? 0.72f : 1.2f));
        }
    }
    if (auto* pressed = button(pressedSlot)) {
        pressed->stopAllActions();
        pressed->runAction(shrinkAway(1.7f, pressedSlot == checkInSlot ? 0.72f : 1.2f));
    }
    if (auto* plate = pMainMenu_PetPointsBg.get()) {
        plate->stopAllActions();
        plate->runAction(shrinkAway(0.2f + 0.1f * float(staggered), 1.2f));
    }
    hiddenNews();
}

bool Interface::isMainMenuActionDone() {
    for (int slot = 0; slot < buttonSlots; ++slot) {
        if (!idle(button(slot)))
            return false;
    }
    return true;
}

// --- dialogs ---

void Interface::showDialog(int uiState, engine::Sprite* panel, engine::Label* text, char const* key,
    engine::Point at, std::initializer_list<DialogButton> buttons) {
    curUIState_ = uiState;
    if (!panel)
        return;
    panel->setVisible(true);
    panel->setScale(0);
    panel->stopAllActions();
    panel->runAction(popIn(0, 1.0f));
    if (text && key) {
        text->setString(localized(key));
        text->setPosition(at);
    }
    for (auto const& added : buttons)
        addButtonToSprite(panel, added.key, added.slot, added.offsetX, added.offsetY);
}

void Interface::hideDialog(engine::Sprite* panel) {
    curUIState_ = 0;
    if (!panel)
        return;
    panel->stopAllActions();
    panel->runAction(shrinkAway(0.2f, 1.2f));
}

bool Interface::dialogDone(engine::Sprite* panel) {
    return idle(panel);
}

void Interface::showNewGame() {
    bool pad = Utilities::isiPad();
    auto size = sizeOf(pWarningBox_Bg.get());
    showDialog(2, pWarningBox_Bg.get(), pWarningBox_Text.get(), "TEXT_NEWGAME",
        {size.width / 2, size.height / 2 + (pad ? 60.0f : 40.0f)},
        {{0, "BUTTON_ERASE", 10, -15}, {1, "BUTTON_CANCEL", 10, pad ? -120.0f : -75.0f}});
}

void Interface::HiddenNewGame() {
    hideDialog(pWarningBox_Bg.get());
}

bool Interface::isNewGameActionDone() {
    return dialogDone(pWarningBox_Bg.get());
}

void Interface::showConfirmNewGame() {
    bool pad = Utilities::isiPad();
    auto size = sizeOf(pWarningBox_Bg.get());
    showDialog(3, pWarningBox_Bg.get(), pWarningBox_Text.get(), "TEXT_NEWGAME2",
        {size.width / 2, size.height / 2 + 40},
        {{0, "BUTTON_YES", 10, -15}, {1, "BUTTON_NO", 10, pad ? -120.0f : -75.0f}});
}

void Interface::HiddenConfirmNewGame() {
    hideDialog(pWarningBox_Bg.get());
}

bool Interface::isConfirmNewGameActionDone() {
    return dialogDone(pWarningBox_Bg.get());
}

void Interface::showOption() {
    showDialog(4, pOption_Bgm_Bg.get(), nullptr, nullptr, {}, {{0, "BUTTON_BACK", 30, -75}});
    auto mark = [](engine::Sprite* marker, engine::Sprite* on, engine::Sprite* off, bool enabled) {
        if (auto* half = enabled ? on : off; marker && half)
            marker->setPosition(half->position());
    };
    mark(pOption_Bgm_Select.get(), pOption_Bgm_On.get(), pOption_Bgm_Off.get(),
        DataConrtoller::getBgmEnable());
    mark(pOption_Sfx_Select.get(), pOption_Sfx_On.get(), pOption_Sfx_Off.get(),
        DataConrtoller::getSfxEnable());
}

void Interface::HiddenOption() {
    hideDialog(pOption_Bgm_Bg.get());
}

bool Interface::isOptionActionDone() {
    return dialogDone(pOption_Bgm_Bg.get());
}

void Interface::showConfirmErase() {
    bool pad = Utilities::isiPad();
    auto size = sizeOf(pPopupBox_Bg.get());
    showDialog(6, pPopupBox_Bg.get(), pPopupBox_Text.get(), "TEXT_CONFIRMERASE",
        {size.width / 2 + 10, size.height / 2 + 40},
        {{0, "BUTTON_YES", 0, -15}, {1, "BUTTON_NO", 0, pad ? -120.0f : -75.0f}});
}

void Interface::HiddenConfirmErase() {
    hideDialog(pPopupBox_Bg.get());
}

bool Interface::isConfirmEraseActionDone() {
    return dialogDone(pPopupBox_Bg.get());
}

void Interface::showFinishErase() {
    // The text keeps the place the build gave it.
    auto* text = pPopupBox_Text.get();
    showDialog(7, pPopupBox_Bg.get(), text, "TEXT_FINISHERASE",
        text ? text->position() : engine::Point {}, {{0, "BUTTON_OK", 0, -55}});
}

void Interface::HiddenFinishErase() {
    hideDialog(pPopupBox_Bg.get());
}

bool Interface::isFinishEraseActionDone() {
    return dialogDone(pPopupBox_Bg.get());
}

// --- hooks nothing opens ---

void Interface::showAd() {
    lastUIState = curUIState_;
    curUIState_ = 16;
}

void Interface::showBannerAd() {
    showAd();
}

void Interface::HiddenAd() {
    curUIState_ = lastUIState;
}

}
