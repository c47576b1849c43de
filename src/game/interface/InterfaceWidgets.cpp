// The interface's money and Pet Point buttons, the music notes of the happy
// music, the news bar's slide, the theme store and transfer panels, and the
// banner hooks.

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/server/CCTransferCoinsView.hpp>
#include <game/server/CCTransferPPView.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/StoreDisplay.hpp>

namespace game {

using namespace interface_support;

// --- buttons ---

void Interface::labelButton(engine::Sprite* button, std::string const& key, int fontSize,
    float width, engine::Point at, int z) {
    auto label = GraphicEngine::createBoldLabel(
        localized(key), at.x, at.y, button, float(z), fontSize, 1, width);
    label->setColor(white);
    label->setVisible(true);
}

base::Ref<engine::Sprite> Interface::createBuyPetPointsButton(
    float x, float y, engine::SceneNode* parent, float z, bool shortFormat) {
    bool pad = Utilities::isiPad();
    auto button = GraphicEngine::createSprite(
        shortFormat ? "btn_BG_blue_Shorter.png" : art("btn_BG_blue.png", pad), x, y, parent, z);
    if (!button)
        return nullptr;
    auto [w, h] = button->contentSize();
    engine::Point labelAt = !pad ? engine::Point {w / 2 + 25, h / 2 - 3}
        : shortFormat            ? engine::Point {(w + 80) / 2, h / 2 - 5}
                                 : engine::Point {w / 2 + 35, h / 2 - 5};
    float width = shortFormat ? (pad ? 140.0f : -1.0f) : (pad ? 220.0f : 140.0f);
    labelButton(
        button.get(), shortFormat ? "SHORTBUYPP" : "BUYPP", pad ? 30 : 17, width, labelAt, 0);
    shownSprite(art("btn_icon_PPBuy.png", pad), 25, h / 2 - 3, button.get(), 0)
        ->setAnchorPoint({0, 0.5f});
    return button;
}

base::Ref<engine::Sprite> Interface::createEarnFreePetPointsButton(
    float x, float y, engine::SceneNode* parent, float z, bool shortFormat) {
    bool pad = Utilities::isiPad();
    auto button = GraphicEngine::createSprite(
        shortFormat ? "btn_BG_blue_Shorter.png" : art("btn_BG_blue.png", pad), x, y, parent, z);
    if (!button)
        return nullptr;
    auto [w, h] = button->contentSize();
    labelButton(button.get(), shortFormat ? "SHORTEARNPP" : "EARNPP", pad ? 26 : 17,
        shortFormat ? -1.0f : 140.0f, {w / 2 - 25, h / 2 - (pad ? 5.0f : 3.0f)}, 0);
    shownSprite(
        art("btn_icon_PPFree.png", pad), w - (pad ? 10.0f : 7.0f), h / 2 - 3, button.get(), 0)
        ->setAnchorPoint({1, 0.5f});
    return button;
}

base::Ref<engine::Sprite> Interface::createGetMoreMoneyButton(
    float x, float y, engine::SceneNode* parent, float z) {
    bool pad = Utilities::isiPad();
    auto button = GraphicEngine::createSprite(art("btn_GetMoreMoney.png", pad), x, y, parent, z);
    if (!button)
        return nullptr;
    auto [w, h] = button->contentSize();
    labelButton(button.get(), "GETMONEY", pad ? 38 : 24, pad ? 355.0f : 225.0f,
        pad ? engine::Point {w / 2 + 90, h / 2 - 5} : engine::Point {w / 2 + 55, h / 2 - 3}, 1);
    return button;
}

base::Ref<engine::Sprite> Interface::createAchievementsButton(
    float x, float y, engine::SceneNode* parent, float z) {
    if (!Utilities::isiPad())
        return shownSprite("btn_icon_Achievements.png", x, y, parent, int(z));
    auto button = GraphicEngine::createSprite("btn_BG_green_iPad.png", x, y, parent, z);
    if (!button)
        return nullptr;
    auto [w, h] = button->contentSize();
    labelButton(button.get(), "ACHIEVEMENTS", 36, 275, {(w + 25) / 2, h / 2 - 5}, 0);
    shownSprite("btn_icon_Achievement_iPad.png", 25, h / 2 - 3, button.get(), 0);
    return button;
}

base::Ref<engine::Sprite> Interface::createMoreAppsButton(
    float x, float y, engine::SceneNode* parent, float z) {
    if (!Utilities::isiPad())
        return GraphicEngine::createSprite("btn_icon_MoreApps.png", x, y, parent, z);
    auto button = GraphicEngine::createSprite("btn_BG_golden_iPad.png", x, y, parent, z);
    if (!button)
        return nullptr;
    auto size = button->contentSize();
    auto label = GraphicEngine::createBoldLabel(
        localized("MOREAPPS"), 0, size.height / 2 - 5, button.get(), 0, 36, 1, 245);
    label->setColor(white);
    label->setVisible(true);
    // Left-aligned after the golden edge: its centre by its own width.
    label->setPosition({label->contentSize().width / 2 + 75, size.height / 2 - 5});
    shownSprite("btn_icon_MoreApps_iPad.png", size.width - 18, size.height / 2 - 3, button.get(), 0)
        ->setAnchorPoint({1, 0.5f});
    return button;
}

// --- music notes ---

void Interface::createMusicNote() {
    if (!pLayer)
        return;
    bool pad = Utilities::isiPad();
    auto picture = foundation::format("Gameplay_music%.2d.png", int(foundation::random() % 2 + 1));
    float y
        = pad ? float(foundation::random() % 150 + 300) : float(foundation::random() % 100 + 150);
    auto note = GraphicEngine::createSprite(picture, pad ? 1024 : 480, y, pLayer, 9996);
    if (!note)
        return;
    note->setVisible(true);
    note->setOpacity(0);
    note->setRotation(-30);
    note->runAction(engine::MoveTo::actionWithDuration(4.0f, {-20, y}));
    note->runAction(engine::Sequence::actions(engine::FadeTo::actionWithDuration(0.5f, 128),
        engine::DelayTime::actionWithDuration(3.0f), engine::FadeTo::actionWithDuration(0.5f, 0)));
    note->runAction(engine::Repeat::actionWithAction(
        engine::Sequence::actions(engine::RotateBy::actionWithDuration(0.6f, 60),
            engine::RotateBy::actionWithDuration(0.6f, -60)),
        4));
    pGameplay_MusicNote.push_back(note);
}

void Interface::checkMusicNoteEnd() {
    auto& actions = engine::ActionManager::sharedManager();
    auto notes = pGameplay_MusicNote;
    for (auto const& note : notes) {
        if (note && actions.numberOfRunningActionsInTarget(note.get()) > 0)
            continue;
        std::erase(pGameplay_MusicNote, note);
        if (!note)
            continue;
        note->stopAllActions();
        removeFromLayer(note.get());
    }
}

void Interface::pauseMusicNote() {
    for (auto const& note : pGameplay_MusicNote) {
        if (note)
            engine::ActionManager::sharedManager().pauseAllActionsForTarget(note.get());
    }
}

void Interface::resumeMusicNote() {
    for (auto const& note : pGameplay_MusicNote) {
        if (note)
            engine::ActionManager::sharedManager().resumeAllActionsForTarget(note.get());
    }
}

// --- news bar ---

void Interface::showNews() {
    auto* bar = pNews_Bar.get();
    if (!bar)
        return;
    bool pad = Utilities::isiPad();
    float x = pad ? 512 : 240;
    bar->stopAllActions();
    bar->setPosition({x, -40});
    bar->setVisible(true);
    bar->runAction(engine::MoveTo::actionWithDuration(0.2f, {x, pad ? 29.0f : 19.0f}));
}

void Interface::hiddenNews() {
    auto* bar = pNews_Bar.get();
    if (!bar)
        return;
    bar->stopAllActions();
    bar->runAction(
        engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.2f,
                                      {bar->position().x, Utilities::isiPad() ? -60.0f : -40.0f}),
            engine::CallFunc::actionWithTarget(this, &Interface::hiddenNewsHelper)));
}

void Interface::hiddenNewsHelper() {
    if (pNews_Bar)
        pNews_Bar->setVisible(false);
}

// --- theme store ---

base::Ref<engine::SceneNode> Interface::makeStoreDisplay() {
    return StoreDisplay::node();
}

base::Ref<engine::SceneNode> Interface::makeTransferCoinsView() {
    return CCTransferCoinsView::node();
}

base::Ref<engine::SceneNode> Interface::makeTransferPPView() {
    return CCTransferPPView::node();
}

void Interface::showInAppShop() {
    if (pStore_Display || !pLayer)
        return;
    if (auto* controller = pLayer->pRootViewController()) {
        controller->hideBTXAd();
        controller->hideAdView();
    }
    pStore_Display = makeStoreDisplay();
    if (!pStore_Display)
        return;
    pStore_Display->setPosition({240, 480});
    pLayer->addChild(pStore_Display, 9996);
    pStore_Display->runAction(engine::MoveTo::actionWithDuration(0.2f, {240, 160}));
}

void Interface::hideInAppShop() {
    if (!pStore_Display)
        return;
    pStore_Display->runAction(
        engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.2f, {240, 480}),
            engine::CallFunc::actionWithTarget(this, &Interface::hideInAppShopDone)));
}

void Interface::hideInAppShopDone() {
    if (!pStore_Display)
        return;
    pStore_Display->stopAllActions();
    removeFromLayer(pStore_Display.get());
    pStore_Display = nullptr;
}

// --- transfer panels ---

void Interface::showTransferCoinsView() {
    if (pTransferCoinsView || !pLayer)
        return;
    pTransferCoinsView = makeTransferCoinsView();
    if (!pTransferCoinsView)
        return;
    slideInPanel(pTransferCoinsView.get(), {0, -320}, {0, 0});
}

void Interface::showTransferPPView() {
    if (pTransferPPView || !pLayer)
        return;
    pTransferPPView = makeTransferPPView();
    if (!pTransferPPView)
        return;
    bool pad = Utilities::isiPad();
    slideInPanel(pTransferPPView.get(), pad ? engine::Point {32, -384} : engine::Point {0, -320},
        pad ? engine::Point {32, 64} : engine::Point {0, 0});
}

void Interface::slideInPanel(engine::SceneNode* panel, engine::Point from, engine::Point to) {
    panel->setPosition(from);
    panel->runAction(engine::MoveTo::actionWithDuration(0.25f, to));
    pLayer->addChild(base::Ref<engine::SceneNode>(panel), 20000);
}

void Interface::hideTransferCoinsView() {
    if (auto* panel = pTransferCoinsView.get()) {
        panel->stopAllActions();
        panel->runAction(
            engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.25f, {0, -320}),
                engine::CallFunc::actionWithTarget(this, &Interface::releaseTransferCoinsView)));
    }
    if (pTabBar)
        pTabBar->selectTab(prevActiveTabIndex_, false);
}

void Interface::hideTransferPPView() {
    if (auto* panel = pTransferPPView.get()) {
        panel->stopAllActions();
        panel->runAction(
            engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.25f, {0, -320}),
                engine::CallFunc::actionWithTarget(this, &Interface::releaseTransferPPView)));
    }
    if (pTabBar)
        pTabBar->selectTab(prevActiveTabIndex_, false);
}

void Interface::releaseTransferCoinsView() {
    removeFromLayer(pTransferCoinsView.get());
    pTransferCoinsView = nullptr;
}

void Interface::releaseTransferPPView() {
    removeFromLayer(pTransferPPView.get());
    pTransferPPView = nullptr;
}

// --- banner hooks ---

void Interface::showBanner() {
    lastShowBannerTime_ = GameGlobals::shared().totalTime;
}

void Interface::updateBanner() {
    lastShowBannerTime_ = GameGlobals::shared().totalTime;
}

void Interface::hiddenBanner() {
    bShowBanner_ = false;
}

}
