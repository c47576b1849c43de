// The interface's day report with its next-day button, and the popups of the
// salon day: the day banners, the VIP-day question, the seasons bonus and the
// pony-day message.

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <foundation/Format.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/salon/Shop.hpp>
#include <game/server/PonyDayPopup.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/Utilities.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>

#include <algorithm>

namespace game {

using namespace interface_support;

namespace {

constexpr int firstLevelCap = 20;

// Scale 0 to 1 with an overshoot, as every popping panel does.
base::Ref<engine::FiniteTimeAction> popIn() {
    return engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.0f));
}

void fadeBanner(engine::Sprite* banner) {
    if (!banner)
        return;
    banner->stopAllActions();
    banner->setOpacity(0);
    banner->setVisible(true);
    banner->runAction(engine::Sequence::actions(engine::FadeIn::actionWithDuration(0.5f),
        engine::DelayTime::actionWithDuration(1.0f), engine::FadeOut::actionWithDuration(0.5f)));
}

}

engine::Sprite* Interface::requirementStar(int index) const {
    if (index < 0 || index >= int(pGameplay_LvReqStar.size()))
        return nullptr;
    return pGameplay_LvReqStar[size_t(index)].get();
}

// --- the day report ---

void Interface::showReport(bool levelUp) {
    curUIState_ = 11;
    showBanner();
    fillReportChange();
    if (pGameplay_LvReqMoneyText)
        pGameplay_LvReqMoneyText->setVisible(true);
    if (pGameplay_LvReqSatisfactionText)
        pGameplay_LvReqSatisfactionText->setVisible(true);
    if (pGameplay_ComingSoon)
        pGameplay_ComingSoon->setVisible(false);
    if (pGameplay_ReportLevelUp)
        pGameplay_ReportLevelUp->setVisible(levelUp);
    fillReportRequirements();

    auto* panel = pGameplay_Report.get();
    if (!panel)
        return;
    panel->setVisible(true);
    panel->setScale(0);
    panel->stopAllActions();
    panel->runAction(popIn());
    bool pad = Utilities::isiPad();
    float lift = pGameplay_Banner ? panel->contentSize().height / 4 : 0;
    panel->setPosition({pad ? 512.0f : 240.0f, (pad ? 367.3f : 147.5f) + lift});
}

void Interface::fillReportChange() {
    auto& globals = GameGlobals::shared();
    auto* panel = pGameplay_Report.get();
    removeFromLayer(pGameplay_ReportMoneyArrow.get());
    removeFromLayer(pGameplay_ReportSatisfactionArrow.get());
    pGameplay_ReportMoneyArrow = nullptr;
    pGameplay_ReportSatisfactionArrow = nullptr;

    bool pad = Utilities::isiPad();
    auto size = sizeOf(panel);
    // An up or down arrow beside a change, none beside no change.
    auto arrow = [&](bool up, engine::Label* label, float padDy) {
        engine::Point at = pad ? engine::Point {size.width / 2 - 40, size.height / 2 + padDy}
                               : engine::Point {(label ? label->position().x : 0) + 75,
                                   (label ? label->position().y : 0) - 1};
        return shownSprite(
            art(up ? "Gameplay_ArrowUp.png" : "Gameplay_ArrowDown.png", pad), at.x, at.y, panel, 0);
    };
    // The day's change, exact even where money and the start money lie far apart.
    long long money = static_cast<long long>(globals.money) - globals.lastDayMoney;
    if (money != 0)
        pGameplay_ReportMoneyArrow = arrow(money >= 1, pGameplay_ReportMoneyText.get(), 63);
    float satisfaction = globals.satisfaction - globals.lastDaySatisfaction;
    if (satisfaction != 0)
        pGameplay_ReportSatisfactionArrow
            = arrow(satisfaction > 0, pGameplay_ReportSatisfactionText.get(), -17);

    if (pGameplay_ReportMoneyText)
        pGameplay_ReportMoneyText->setString(foundation::format("%lld", money));
    if (pGameplay_ReportSatisfactionText)
        pGameplay_ReportSatisfactionText->setString(
            foundation::format("%.1f%%", double(satisfaction)));
    if (pGameplay_ReportHappyText)
        pGameplay_ReportHappyText->setString(foundation::format("%d", globals.customerToday));
    if (pGameplay_ReportAngryText)
        pGameplay_ReportAngryText->setString(foundation::format("%d", globals.customerLeaveToday));
}

void Interface::fillReportRequirements() {
    auto& globals = GameGlobals::shared();
    // The cap follows the level packs active now, so that a pack switched on since
    // the last report counts at once.
    if (int cap = Shop::levelCapFromPacks(); cap > firstLevelCap)
        globals.levelCap = cap;
    int cap = std::max(globals.levelCap, firstLevelCap);
    int level = globals.shopLevel;
    auto setTitle = [this](char const* key) {
        if (pGameplay_ReportRequirementTitle)
            pGameplay_ReportRequirementTitle->setString(localized(key));
    };
    if (level >= cap) {
        for (auto& star : pGameplay_LvReqStar) {
            if (star)
                star->setVisible(false);
        }
        if (pGameplay_ReportLvlText)
            pGameplay_ReportLvlText->setVisible(false);
        setTitle("SHOP_NEWLEVEL");
        if (pGameplay_LvReqMoneyText)
            pGameplay_LvReqMoneyText->setVisible(false);
        if (pGameplay_LvReqSatisfactionText)
            pGameplay_LvReqSatisfactionText->setVisible(false);
        return;
    }
    bool pad = Utilities::isiPad();
    auto size = sizeOf(pGameplay_Report.get());
    engine::Point anchor = pad ? engine::Point {size.width / 2 - 163, size.height / 2 - 160}
                               : engine::Point {136, 45};
    for (int i = 0; i < int(pGameplay_LvReqStar.size()); ++i) {
        auto* star = pGameplay_LvReqStar[size_t(i)].get();
        if (!star)
            continue;
        // The first and the fifth flank the level text.
        star->setVisible(i == 0 || i == 4);
        if (i < 5)
            star->setPosition({anchor.x + float(i - 2) * 28, anchor.y});
    }
    if (auto* text = pGameplay_ReportLvlText.get()) {
        text->setPosition({anchor.x, anchor.y - 3});
        text->setString(foundation::format(localized("TOPBAR_LEVEL_FMT"), level + 1));
        text->setVisible(true);
    }
    setTitle("SHOP_LVLREQ");
    if (pGameplay_LvReqMoneyText)
        pGameplay_LvReqMoneyText->setString(
            foundation::format("%lld", Shop::moneyRequirement(level)));
    if (pGameplay_LvReqSatisfactionText)
        pGameplay_LvReqSatisfactionText->setString(
            foundation::format("%.1f%%", double(Shop::satisfactionRequirement(level, cap))));
}

void Interface::hiddenReport() {
    curUIState_ = 0;
    hiddenBanner();
    if (auto* panel = pGameplay_Report.get()) {
        panel->stopAllActions();
        panel->runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
            engine::ScaleTo::actionWithDuration(0.2f, 0.0f)));
    }
}

void Interface::showNextDayButton() {
    if (pTabBar) {
        if (auto* shop = GameGlobals::shared().shop.get())
            pTabBar->selectTab(shop->getShopTab(), true);
        pTabBar->extendTabs();
    }
    if (pItemBar)
        pItemBar->setBubblesVisible(true);
    auto* button = pGameplay_NextDayButton.get();
    if (!button)
        return;
    button->setVisible(true);
    button->stopAllActions();
    auto size = button->contentSize();
    float x = (Utilities::isiPad() ? 1024.0f : 480.0f) - size.width / 2;
    button->setPosition({x, -size.height / 2});
    button->runAction(engine::MoveTo::actionWithDuration(1.0f, {x, size.height / 2}));
}

void Interface::hiddenNextDayButton() {
    if (auto* button = pGameplay_NextDayButton.get()) {
        button->stopAllActions();
        auto size = button->contentSize();
        button->runAction(
            engine::MoveTo::actionWithDuration(1.0f, {button->position().x, -size.height / 2}));
    }
    if (pTabBar)
        pTabBar->retractTabs();
    if (pItemBar)
        pItemBar->setBubblesVisible(false);
}

// --- day banners ---

void Interface::showNewDay() {
    fadeBanner(pGameplay_NewDay.get());
}

void Interface::showPonyNewDay() {
    fadeBanner(pGameplay_PonyNewDay.get());
}

// --- VIP-day question ---

void Interface::showVIPDayWarning() {
    if (auto* shop = GameGlobals::shared().shop.get())
        shop->clearDailyChallenge();
    curUIState_ = 17;
    auto* panel = pGameplay_VIPWarning.get();
    if (!panel)
        return;
    bool pad = Utilities::isiPad();
    panel->setVisible(true);
    panel->setPosition(pad ? engine::Point {512, -400} : engine::Point {240, -200});
    panel->stopAllActions();
    releaseButton(0);
    releaseButton(1);
    addButtonToSprite(panel, "BUTTON_YES", 0, pad ? -200 : -125, pad ? -100 : -90);
    addButtonToSprite(panel, "BUTTON_NO", 1, pad ? 200 : 125, pad ? -100 : -90);
    panel->runAction(engine::MoveTo::actionWithDuration(
        0.2f, pad ? engine::Point {512, 384} : engine::Point {240, 160}));
    if (auto* engine = SoundEngine::sharedManager())
        engine->setVolumeMusicTrack(0);
    playSound("EventRichLady");
}

void Interface::hideVIPDayWarning() {
    curUIState_ = 0;
    if (auto* panel = pGameplay_VIPWarning.get()) {
        panel->stopAllActions();
        panel->runAction(engine::MoveTo::actionWithDuration(0.2f, {240, -300}));
    }
    playSound("Click");
    hiddenNextDayButton();
    if (auto* shop = GameGlobals::shared().shop.get()) {
        shop->setShopTab(0);
        shop->endShoppingMode();
        shop->startPreWorkingHour();
    }
}

// --- seasons bonus ---

void Interface::showSeasonsBonus(int type) {
    curUIState_ = 19;
    if (!pLayer)
        return;
    bool pad = Utilities::isiPad();
    removeFromLayer(pSeasonsBouns_Bg.get());
    pSeasonsBouns_Bg = GraphicEngine::createSprite(
        art("Gameplay_UpgradeMenu.png", pad), pad ? 512 : 240, pad ? 384 : 160, pLayer, 10010);
    auto* panel = pSeasonsBouns_Bg.get();
    auto size = sizeOf(panel);
    pSeasonsBouns_Text = boxLabel(localized("SEASONS_BONUS_NAME"), {300, 30}, 26, white, panel, 1,
        {size.width / 2, size.height - 30});
    if (type >= 1 && type <= 3)
        pSeasonsBouns_Text = boxLabel(localized(foundation::format("SEASONS_BONUS_DESC_%d", type)),
            {500, 200}, 20, white, panel, 1, {size.width / 2, size.height - 220});
    panel->setVisible(true);
    panel->setPosition(pad ? engine::Point {512, -400} : engine::Point {240, -200});
    panel->stopAllActions();
    releaseButton(9);
    addButtonToSprite(panel, "BUTTON_YES", 9, pad ? 0 : -125, pad ? -100 : -90);
    panel->runAction(engine::MoveTo::actionWithDuration(
        0.2f, pad ? engine::Point {512, 384} : engine::Point {240, 160}));
}

void Interface::hideSeasonsBonus() {
    curUIState_ = 0;
    if (pSeasonsBouns_Bg)
        pSeasonsBouns_Bg->stopAllActions();
    playSound("Click");
    releaseButton(9);
    removeFromLayer(pSeasonsBouns_Bg.get());
    pSeasonsBouns_Bg = nullptr;
    pSeasonsBouns_Text = nullptr;
}

// --- pony-day message ---

void Interface::showPonyDayPopup() {
    auto message = ponyDayMessage();
    if (!message || !pLayer)
        return;
    pPonyDayPopup = showPonyDayPopupWithText(*message, pLayer, 10011);
}

std::optional<std::string> Interface::ponyDayMessage() {
    return serverkit::PonyDayDirectiveHandler::getMessage();
}

base::Ref<engine::SceneNode> Interface::showPonyDayPopupWithText(
    std::string const& text, engine::SceneNode* parent, int z) {
    return PonyDayPopup::showWithText(text, parent, z);
}

}
