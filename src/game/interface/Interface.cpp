#include <game/interface/Interface.hpp>

#include <engine/ActionManager.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/interface/AnimatedSprite.hpp>
#include <game/interface/CCIncomeDisplay.hpp>
#include <game/interface/CCStatusBar.hpp>
#include <game/interface/CCTabBar.hpp>
#include <game/interface/DynamicBG.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/progression/CCItemBar.hpp>
#include <game/progression/IncomeBonusEffect.hpp>
#include <game/progression/StaffSpeedEffect.hpp>
#include <game/progression/WildcardServiceEffect.hpp>
#include <game/salon/QBY_Character.hpp>
#include <game/salon/QBY_Furniture.hpp>
#include <game/salon/SalonServices.hpp>
#include <game/salon/Shop.hpp>
#include <game/server/NewsDisplay.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <graphics/Font.hpp>
#include <graphics/StringDrawing.hpp>

#include <algorithm>
#include <cmath>

namespace game {

using namespace interface_support;

base::Ref<Interface> Interface::initWithLayer(MainLayer* layer) {
    return base::make<Interface>(layer);
}

Interface::Interface(MainLayer* layer)
    : pLayer(layer) {
}

Interface::~Interface() {
    if (pClickEffect)
        pClickEffect->destroy();
    pClickEffect = nullptr;
    removeFromLayer(pHelpMenu.get());
    removeFromLayer(pNews_Bar.get());
    pHelpMenu = nullptr;
    pNews_Bar = nullptr;
    removeInterface(ProgramStateMainMenu);
    removeInterface(ProgramStateShop);
}

engine::Sprite* Interface::button(int slot) const {
    if (slot < 0 || slot >= buttonSlots)
        return nullptr;
    return pButton[size_t(slot)].get();
}

base::Ref<engine::SceneNode> Interface::makeNewsBar() {
    return NewsDisplay::node();
}

void Interface::removeFromLayer(engine::SceneNode* node) {
    removeFromParent(node);
}

// --- build and teardown ---

void Interface::initInterface(int state) {
    curUIState_ = 0;
    curProgramState_ = state;
    pGameplay_ReportLvlText = nullptr;
    pPonyDayPopup = nullptr;
    for (auto& slot : pButton)
        slot = nullptr;
    buildCommon();
    if (state == ProgramStateMainMenu)
        buildMainMenu();
    else if (state == ProgramStateShop)
        buildSalon();
}

void Interface::buildCommon() {
    GraphicEngine::preloadSprite("btn_BG.png");
    if (!pClickEffect)
        initClickEffect();
    if (!pLayer)
        return;
    if (!pHelpMenu) {
        pHelpMenu = engine::Sprite::spriteWithTexture(nullptr);
        pHelpMenu->setContentSize(engine::DirectorServices::current().winSize());
        pHelpMenu->setVisible(false);
        pLayer->addChild(pHelpMenu, 10001);
    }
    if (!pNews_Bar) {
        pNews_Bar = makeNewsBar();
        if (pNews_Bar) {
            pNews_Bar->setVisible(false);
            pLayer->addChild(pNews_Bar, 10001);
        }
    }
}

void Interface::buildMainMenu() {
    if (!pLayer)
        return;
    bool pad = Utilities::isiPad();
    if (pad) {
        std::string language;
        if (auto languages
            = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
            languages && !languages->empty())
            language = languages->front();
        std::string title = "Title_Bg_iPad.jpg";
        if (language != "en" && !language.empty()
            && foundation::Bundle::mainBundle().pathForResource("Title_Bg_iPad_" + language, "jpg"))
            title = "Title_Bg_iPad_" + language + ".jpg";
        pTitle_Bg = GraphicEngine::createSprite(title, 512, 384, pLayer, 10000);
        pTitle_BFLogo
            = GraphicEngine::createSprite("Title_BFLogo_iPad.png", 512, 725, pLayer, 10000);
        pTitle_Button
            = GraphicEngine::createSprite("Title_Button_iPad.png", 512, 48, pLayer, 10000);
    } else {
        pTitle = DynamicBG::node();
        pLayer->addChild(pTitle, 10000);
    }
    auto plate = pad ? createBigPetPointsInterface(512, 196, pLayer, 10000)
                     : createPetPointsInterface(240, 73, pLayer, 10000);
    pMainMenu_PetPointsBg = plate.first;
    pMainMenu_PetPointsText = plate.second;

    pOption_Bgm_Bg = GraphicEngine::createSprite(
        "Option_Bgm_Bg.png", pad ? 512 : 210, pad ? 384 : 160, pLayer, 10000);
    auto* panel = pOption_Bgm_Bg.get();
    auto size = sizeOf(panel);
    float cx = size.width / 2 + 30;
    auto caption = [&](char const* key, float x, float y, int fontSize, float width, int z) {
        auto label = GraphicEngine::createBoldLabel(
            localized(key), x, y, panel, float(z), fontSize, 1, width);
        label->setColor(white);
        label->setVisible(true);
    };
    caption("OPTIONS", cx, size.height - 30, pad ? 24 : 18, 240, 3);
    caption("MUSIC", pad ? cx - 125 : cx - 75, pad ? 270 : 170, pad ? 18 : 16, 135, 1);
    caption("SOUNDS", pad ? cx + 125 : cx + 75, pad ? 270 : 170, pad ? 18 : 16, 135, 1);
    float iconY = pad ? 195 : 115;
    pOption_Bgm_On = shownSprite("Option_Bgm_Icon_On.png", cx - (pad ? 135 : 105), iconY, panel, 1);
    pOption_Bgm_Off = shownSprite("Option_Bgm_Icon_Off.png", cx - (pad ? 65 : 45), iconY, panel, 1);
    pOption_Sfx_On = shownSprite("Option_Sfx_Icon_On.png", cx + (pad ? 65 : 45), iconY, panel, 1);
    pOption_Sfx_Off
        = shownSprite("Option_Sfx_Icon_Off.png", cx + (pad ? 135 : 105), iconY, panel, 1);
    engine::Point markAnchor = pad ? engine::Point {0.4f, 0.4f} : engine::Point {0.5f, 0.4f};
    pOption_Bgm_Select
        = shownSprite("Option_Bgm_Select.png", cx - (pad ? 135 : 105), iconY, panel, 0);
    pOption_Bgm_Select->setAnchorPoint(markAnchor);
    pOption_Sfx_Select
        = shownSprite("Option_Bgm_Select.png", cx + (pad ? 65 : 45), iconY, panel, 0);
    pOption_Sfx_Select->setAnchorPoint(markAnchor);

    engine::Point centre = pad ? engine::Point {512, 384} : engine::Point {240, 160};
    pPopupBox_Bg
        = GraphicEngine::createSprite("Option_Popup_Bg.png", centre.x, centre.y, pLayer, 10000);
    auto popup = sizeOf(pPopupBox_Bg.get());
    pPopupBox_Text = GraphicEngine::createLabel(" ", popup.width / 2,
        popup.height / 2 + (pad ? -10.0f : 0.0f), pPopupBox_Bg.get(), 0, pad ? 18 : 16, 2);
    pPopupBox_Text->setColor(white);
    pPopupBox_Text->setVisible(true);
    pWarningBox_Bg
        = GraphicEngine::createSprite("Option_Warning_Bg.png", centre.x, centre.y, pLayer, 10000);
    auto warning = sizeOf(pWarningBox_Bg.get());
    pWarningBox_Text = GraphicEngine::createLabel(" ", warning.width / 2,
        warning.height / 2 + (pad ? -20.0f : -30.0f), pWarningBox_Bg.get(), 0, pad ? 18 : 16, 3,
        pad ? -1.0f : 250.0f);
    pWarningBox_Text->setColor(white);
    pWarningBox_Text->setVisible(true);
}

void Interface::buildSalon() {
    if (!pLayer)
        return;
    bool pad = Utilities::isiPad();
    auto& globals = GameGlobals::shared();
    auto win = engine::DirectorServices::current().winSize();

    pGameplay_PauseButton
        = shownSprite("Gameplay_PauseButton.png", win.width - 20, 20, pLayer, 10000);
    pGameplay_HelpButton = shownSprite("Challenga_Btn.png", 20, 20, pLayer, 10000);
    pGameplay_HelpButton->setOpacity(0);

    pStatusBar = CCStatusBar::init();
    pLayer->addChild(pStatusBar, 10002);
    pStatusBar->setLevelText(foundation::format(localized("TOPBAR_LEVEL_FMT"), globals.shopLevel));
    pStatusBar->setScoreText(foundation::format(
        globals.satisfaction >= 100 ? "%.0f%%" : "%.1f%%", double(globals.satisfaction)));
    pStatusBar->setMoneyText(foundation::format("%d", globals.money));
    pStatusBar->setDayText(foundation::format("%d", globals.day));

    pTabBar = CCTabBar::init();
    pTabBar->setDelegate(this);
    pTabBar->setBarPosition(pad ? engine::Point {10, 706} : engine::Point {2, 290});
    for (char const* icon : {"tab_staffs.png", "tab_device.png", "tab_wall.png", "tab_pet_pt.png"})
        pTabBar->addTab(icon);
    pLayer->addChild(pTabBar, 10002);

    pItemBar = CCItemBar::init();
    pItemBar->setDelegate(this);
    pLayer->addChild(pItemBar, 10002);
    pItemBar->setBarPosition(pad ? engine::Point {750, 768} : engine::Point {330, 320});
    // Each button starts with the count and level of a fresh effect of its kind.
    auto add = [this](char const* name, char const* picture, ItemEffectProtocol& effect) {
        pItemBar->addButton(name, picture, effect.defaultCount(), effect.defaultLevel());
    };
    add("IncomeBonus", "sp_instant2.png", *IncomeBonusEffect::init());
    add("WildcardBonus", "sp_wildcard.png", *WildcardServiceEffect::init());
    add("SpeedBonus", "sp_power_up.png", *StaffSpeedEffect::init());

    engine::Point banner = pad ? engine::Point {512, 387.3f} : engine::Point {240, 167.5f};
    pGameplay_NewDay = GraphicEngine::createSprite(
        art("Gameplay_NewDay.png", pad), banner.x, banner.y, pLayer, 10000);
    auto& salon = SalonServices::shared();
    if (!pad && (salon.isPonyModeEnabled() || salon.isPonyModeActive()))
        pGameplay_PonyNewDay
            = GraphicEngine::createSprite("ponyday.png", 240, 167.5f, pLayer, 10000);

    engine::Point panelAt = pad ? engine::Point {512, 367.3f} : engine::Point {240, 147.5f};
    pGameplay_PauseMenu = GraphicEngine::createSprite(
        art("Gameplay_PauseMenu.png", pad), panelAt.x, panelAt.y, pLayer, 10000);
    auto pause = sizeOf(pGameplay_PauseMenu.get());
    if (pad) {
        shownSprite("Gameplay_PauseTitle_iPad.png", pause.width / 2 + 15, pause.height - 80,
            pGameplay_PauseMenu.get(), 0);
    } else {
        auto title = GraphicEngine::createBoldLabel(localized("PAUSE"), pause.width / 2,
            pause.height - 40, pGameplay_PauseMenu.get(), 0, 16, 1, 210);
        title->setColor(white);
        title->setVisible(true);
    }

    pGameplay_Report = GraphicEngine::createSprite(
        art("Gameplay_Report.png", pad), panelAt.x, panelAt.y, pLayer, 10003);
    auto report = sizeOf(pGameplay_Report.get());
    buildReportChildren(pad, {report.width / 2, report.height / 2});
    buildVIPWarning(pad);

    // The report's requirement part: stars, level text, coming-soon badge, texts.
    auto* panel = pGameplay_Report.get();
    for (int i = 0; i < 5; ++i)
        pGameplay_LvReqStar[size_t(i)]
            = GraphicEngine::createSprite("Gameplay_Star.png", 0, 0, panel, 0);
    if (!pGameplay_ReportLvlText) {
        pGameplay_ReportLvlText = engine::Label::labelWithString("", "Helvetica", 16);
        pGameplay_ReportLvlText->setColor(levelRed);
        pGameplay_ReportLvlText->setPosition({0, 0});
        panel->addChild(pGameplay_ReportLvlText, 0);
    }
    engine::Point centre {report.width / 2, report.height / 2};
    pGameplay_ComingSoon = GraphicEngine::createSprite("Gameplay_ComingSoon.png",
        centre.x + (pad ? 122.0f : 86.0f), centre.y + (pad ? 48.0f : 0.0f), panel, 1);
    pGameplay_LvReqMoneyText = pad
        ? boxLabel(" ", {150, 31}, 24, white, panel, 0, {centre.x + 170, centre.y - 137})
        : boxLabel(" ", {100, 21}, 16, white, panel, 0, {352, 59});
    pGameplay_LvReqSatisfactionText = pad
        ? boxLabel(" ", {150, 31}, 24, white, panel, 0, {centre.x + 180, centre.y - 197})
        : boxLabel(" ", {100, 21}, 16, white, panel, 0, {354, 22});

    pGameplay_NextDayButton = pad
        ? GraphicEngine::createSprite("btn_BG_iPad.png", win.width - 190, 58, pLayer, 9999)
        : GraphicEngine::createSprite("btn_BG_smaller.png", 0, 0, pLayer, 9999);
    auto next = sizeOf(pGameplay_NextDayButton.get());
    pGameplay_NextDayText = GraphicEngine::createBoldLabel(localized("BUTTON_NEXTDAY"),
        next.width / 2, next.height / 2 + (pad ? -5.0f : 0.0f), pGameplay_NextDayButton.get(),
        pad ? 9999 : 0, pad ? 48 : 14, 1, pad ? 280 : 85);
    pGameplay_NextDayText->setColor(white);
    pGameplay_NextDayText->setVisible(true);

    if (pad) {
        pGameplay_dimBG = GraphicEngine::createSprite("shopBG.png", 512, 367.3f, pLayer, 10003);
        pGameplay_dimBG->setScale(2);
    }
}

void Interface::buildReportChildren(bool pad, engine::Point centre) {
    auto* panel = pGameplay_Report.get();
    auto at = [&](float dx, float dy) { return engine::Point {centre.x + dx, centre.y + dy}; };
    if (pad) {
        pGameplay_ReportMoneyText = boxLabel(" ", {150, 31}, 24, white, panel, 0, at(-173, 62));
        pGameplay_ReportSatisfactionText
            = boxLabel(" ", {150, 31}, 24, white, panel, 0, at(-163, -20));
        pGameplay_ReportHappyText = boxLabel(" ", {150, 31}, 24, white, panel, 0, at(175, 62));
        pGameplay_ReportAngryText = boxLabel(" ", {150, 31}, 24, white, panel, 0, at(175, -20));
        auto title = boxLabel(localized("SHOP_REPORT"), {250, 35}, 28, pink, panel, 0, at(0, 160));
        title->setStrokeColor(white);
        title->setStrokeSize(2);
        title->setStroke(true);
        boxLabel(localized("SHOP_INCOME"), {200, 35}, 28, pink, panel, 0, at(-171, 102));
        boxLabel(localized("SHOP_HAPPINESS"), {200, 35}, 28, pink, panel, 0, at(-171, 22));
        boxLabel(localized("SHOP_HAPPYCOUNT"), {300, 35}, 28, pink, panel, 0, at(180, 102));
        boxLabel(localized("SHOP_ANGRYCOUNT"), {300, 35}, 28, pink, panel, 0, at(180, 22));
        pGameplay_ReportRequirementTitle = boxLabel(localized("SHOP_LVLREQ"), {400, 35}, 28, white,
            panel, 0, at(45, -87), engine::TextAlignment::Left);
        pGameplay_ReportLevelUp = GraphicEngine::createSprite(
            "Gameplay_LevelUp_iPad.png", centre.x - 334, centre.y + 197, panel, 1);
    } else {
        pGameplay_ReportMoneyText = boxLabel(" ", {100, 21}, 16, white, panel, 0, {132, 188});
        pGameplay_ReportSatisfactionText
            = boxLabel(" ", {100, 21}, 16, white, panel, 0, {135, 136});
        pGameplay_ReportHappyText = boxLabel(" ", {150, 21}, 16, white, panel, 0, {346, 188});
        pGameplay_ReportAngryText = boxLabel(" ", {150, 31}, 16, white, panel, 0, {346, 131});
        boxLabel(localized("SHOP_REPORT"), {250, 35}, 18, white, panel, 0,
            {centre.x, centre.y * 2 - 44});
        boxLabel(localized("SHOP_INCOME"), {200, 35}, 18, pink, panel, 0, {127, 207});
        boxLabel(localized("SHOP_HAPPINESS"), {200, 35}, 18, pink, panel, 0, {127, 156});
        boxLabel(localized("SHOP_HAPPYCOUNT"), {300, 35}, 18, pink, panel, 0, {344, 207});
        boxLabel(localized("SHOP_ANGRYCOUNT"), {300, 35}, 18, pink, panel, 0, {344, 156});
        pGameplay_ReportRequirementTitle = boxLabel(localized("SHOP_LVLREQ"), {330, 35}, 18, white,
            panel, 0, {135, 85}, engine::TextAlignment::Left);
        pGameplay_ReportLevelUp
            = GraphicEngine::createSprite("Gameplay_LevelUp.png", 68, 261, panel, 1);
    }
    pGameplay_ReportRequirementTitle->setAnchorPoint({0, 0.5f});
    GraphicEngine::preloadSprite(art("Gameplay_ArrowUp.png", pad));
    GraphicEngine::preloadSprite(art("Gameplay_ArrowDown.png", pad));
}

void Interface::buildVIPWarning(bool pad) {
    pGameplay_VIPWarning = GraphicEngine::createSprite(
        pad ? "Gameplay_UpgradeMenu_iPad.png" : "Gameplay_BG_Generic.png", pad ? 512 : 240,
        pad ? 384 : 160, pLayer, 10010);
    auto* panel = pGameplay_VIPWarning.get();
    auto size = sizeOf(panel);
    // The description is a localized format with one integer: the checked
    // formatter fills only what it is given, whatever the table's text asks for.
    auto description = foundation::format(localized("VIP_DAY_DESC"), 30);
    if (pad) {
        boxLabel(localized("VIP_DAY_NAME"), {300, 30}, 26, white, panel, 1,
            {size.width / 2, size.height - 30});
        boxLabel(description, {500, 200}, 20, white, panel, 1, {size.width / 2, size.height - 240});
    } else {
        boxLabel(localized("VIP_DAY_NAME"), {300, 30}, 24, white, panel, 1, {240, 290});
        boxLabel(description, {400, 200}, 18, white, panel, 1, {240, 140});
    }
}

void Interface::removeInterface(int state) {
    curProgramState_ = 0;
    for (int slot = 0; slot < buttonSlots; ++slot) {
        removeFromLayer(pButton[size_t(slot)].get());
        pButton[size_t(slot)] = nullptr;
    }
    removeHelpMenuPage();
    if (state == ProgramStateShop)
        removeSalon();
    else if (state == ProgramStateMainMenu)
        removeMainMenu();
}

void Interface::removeSalon() {
    foundation::log("removeInterface SHOP");
    for (auto& note : pGameplay_MusicNote) {
        note->stopAllActions();
        removeFromLayer(note.get());
    }
    pGameplay_MusicNote.clear();
    auto drop = [this](auto& field) {
        removeFromLayer(field.get());
        field = nullptr;
    };
    drop(pStatusBar);
    drop(pTabBar);
    drop(pItemBar);
    drop(pGameplay_PauseButton);
    drop(pGameplay_PauseMenu);
    drop(pGameplay_HelpButton);
    drop(pGameplay_Report);
    drop(pGameplay_Banner);
    drop(pGameplay_NewDay);
    drop(pGameplay_PonyNewDay);
    drop(pGameplay_NextDayButton);
    drop(pGameplay_EventCloseUp);
    drop(pGameplay_VIPWarning);
    drop(pGameplay_dimBG);
    drop(pGameplay_PPBonusBG);
    drop(pGameplay_PPBonusBG2);
    // The popups and side panels still open go with the salon.
    drop(pSeasonsBouns_Bg);
    drop(pPonyDayPopup);
    drop(pStore_Display);
    drop(pTransferCoinsView);
    drop(pTransferPPView);
    drop(pQuestReport);
    if (pPurchaseDialog) {
        removeFromLayer(pPurchaseDialog);
        pPurchaseDialog = nullptr;
    }
    pUpgradeFurn = nullptr;
    pHireChar = nullptr;
    pSeasonsBouns_Text = nullptr;
    pGameplay_ReportMoneyArrow = nullptr;
    pGameplay_ReportSatisfactionArrow = nullptr;
    pGameplay_ComingSoon = nullptr;
    pGameplay_ReportLevelUp = nullptr;
    for (auto& star : pGameplay_LvReqStar)
        star = nullptr;
    for (auto* text :
        {&pGameplay_LvReqMoneyText, &pGameplay_LvReqSatisfactionText, &pGameplay_ReportMoneyText,
            &pGameplay_ReportSatisfactionText, &pGameplay_ReportLvlText, &pGameplay_ReportHappyText,
            &pGameplay_ReportAngryText, &pGameplay_ReportRequirementTitle, &pGameplay_NextDayText})
        *text = nullptr;
}

void Interface::removeMainMenu() {
    foundation::log("removeInterface MAINMENU");
    auto drop = [this](auto& field) {
        removeFromLayer(field.get());
        field = nullptr;
    };
    drop(pTitle_Bg);
    drop(pTitle_Button);
    drop(pTitle_BFLogo);
    drop(pTitle);
    auto dropAll = [this](base::Ref<engine::Sprite>& field) {
        if (field)
            field->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
        removeFromLayer(field.get());
        field = nullptr;
    };
    dropAll(pMainMenu_PetPointsBg);
    dropAll(pOption_Bgm_Bg);
    dropAll(pPopupBox_Bg);
    dropAll(pWarningBox_Bg);
    pMainMenu_PetPointsText = nullptr;
    pPopupBox_Text = nullptr;
    pWarningBox_Text = nullptr;
    for (auto* icon : {&pOption_Bgm_On, &pOption_Bgm_Off, &pOption_Sfx_On, &pOption_Sfx_Off,
             &pOption_Bgm_Select, &pOption_Sfx_Select})
        *icon = nullptr;
}

// --- frame update, pause, tap effect ---

void Interface::update() {
    if (pClickEffect && pClickEffect->visible())
        updateClickEffect();
    auto& globals = GameGlobals::shared();
    // No banner is ever made, so this stays idle.
    if (auto* banner = pGameplay_Banner.get(); banner && curUIState_ != 16) {
        bool idle
            = engine::ActionManager::sharedManager().numberOfRunningActionsInTarget(banner) == 0;
        if (bShowBanner_ && globals.totalTime - lastShowBannerTime_ >= 5 && idle)
            updateBanner();
        else if (!bShowBanner_ && banner->visible() && idle)
            banner->setVisible(false);
    }
    if (curProgramState_ == ProgramStateShop) {
        checkMusicNoteEnd();
        if (globals.petPointsChanged && pGameplay_PetPointsText) {
            auto text = foundation::format("%d", globals.petPoints);
            if (text != pGameplay_PetPointsText->getText())
                pGameplay_PetPointsText->fastSetString(text);
        }
    } else if (curProgramState_ == ProgramStateMainMenu) {
        if (globals.petPointsChanged && pMainMenu_PetPointsText)
            pMainMenu_PetPointsText->fastSetString(foundation::format("%d", globals.petPoints));
    }
}

void Interface::autoPauseGame() {
    if (curProgramState_ != ProgramStateShop)
        return;
    auto* shop = GameGlobals::shared().shop.get();
    if (!shop || shop->getShopState() != 2 || curUIState() != 0)
        return;
    showPauseMenu();
    hiddenPauseButton();
    hiddenHelpButton();
    shop->pauseGame(Shop::PauseReason::Game);
    shop->saveAllData();
}

void Interface::initClickEffect() {
    if (!pLayer)
        return;
    pClickEffect = AnimatedSprite::init("vfx006", 240, -320, pLayer, 10002);
    if (!pClickEffect)
        return;
    pClickEffect->setVisible(false);
    pClickEffect->setFPS(15);
}

void Interface::playClickEffect(engine::Point point) {
    if (!pClickEffect)
        return;
    pClickEffect->setFrameIndex(0);
    pClickEffect->setVisible(true);
    pClickEffect->setPosition(point);
    pClickEffect->setOpacity(255);
    pClickEffect->stopAllActions();
    GraphicEngine::fadeOutAtlasSprite(pClickEffect.get(), 0.6f);
    playSound("ClickEffect");
}

void Interface::updateClickEffect() {
    if (!pClickEffect)
        return;
    if (pClickEffect->getFrameIndex() < 8)
        pClickEffect->update(GameGlobals::shared().deltaTime);
    else
        pClickEffect->setVisible(false);
}

// --- Pet Point plates ---

std::pair<base::Ref<engine::Sprite>, base::Ref<engine::Label>> Interface::createPetPointsInterface(
    float x, float y, engine::SceneNode* parent, float z) {
    auto plate = GraphicEngine::createSprite("PetPointValue.png", x, y, parent, z);
    auto size = sizeOf(plate.get());
    engine::Size box {size.width - 45, size.height};
    auto label = boxLabel(foundation::format("%d", GameGlobals::shared().petPoints), box, 18, white,
        plate.get(), 0, {box.width / 2 + 45, size.height / 2 - 2}, engine::TextAlignment::Left);
    return {plate, label};
}

std::pair<base::Ref<engine::Sprite>, base::Ref<engine::Label>>
Interface::createBigPetPointsInterface(float x, float y, engine::SceneNode* parent, float z) {
    auto plate = GraphicEngine::createSprite("PetPointValue_iPad.png", x, y, parent, z);
    auto size = sizeOf(plate.get());
    auto label = boxLabel(foundation::format("%d", GameGlobals::shared().petPoints), size, 28,
        white, plate.get(), 0, {size.width / 2 + 90, size.height / 2 - 9},
        engine::TextAlignment::Left);
    return {plate, label};
}

// --- HUD readouts ---

void Interface::updateShopLevel() {
    if (pStatusBar)
        pStatusBar->setLevelText(foundation::format("%d", GameGlobals::shared().shopLevel));
}

void Interface::updateGameplayDay() {
    if (pStatusBar)
        pStatusBar->setDayText(foundation::format("%d", GameGlobals::shared().day));
}

void Interface::updateGameplayMoney(int n) {
    auto& globals = GameGlobals::shared();
    long long money = static_cast<long long>(globals.money) + n;
    globals.money = static_cast<int>(std::clamp<long long>(money, 0, 2147483647));
    if (n > 0) {
        globals.customerIncome += n;
        if (pStatusBar)
            pStatusBar->showChangeMoneyText(foundation::format("+%d", n), true);
    } else if (n < 0 && pStatusBar) {
        // The amount as an unsigned number, so the smallest int prints whole.
        auto amount = static_cast<unsigned>(-static_cast<long long>(n));
        pStatusBar->showChangeMoneyText(foundation::format("-%u", amount), false);
    }
    if (pStatusBar)
        pStatusBar->setMoneyText(foundation::format("%d", globals.money));
}

void Interface::updateGameplaySatisfaction(float change) {
    auto& globals = GameGlobals::shared();
    globals.satisfaction = std::clamp(globals.satisfaction + change, 0.0f, 999999.9f);
    if (!pStatusBar)
        return;
    double shown = globals.satisfaction;
    pStatusBar->setScoreText(foundation::format(shown >= 100 ? "%.0f%%" : "%.1f%%", shown));
    if (change > 0)
        pStatusBar->showChangeScoreText(foundation::format("+%.1f", double(change)), true);
    else if (change < 0)
        pStatusBar->showChangeScoreText(foundation::format("%.1f", double(change)), false);
}

void Interface::updateGameplayTime() {
    updateGameplayNightFilter(true);
    float clock = GameGlobals::shared().shopTime;
    if (clock >= 150) {
        if (pStatusBar)
            pStatusBar->setTimeText(localized("SHOP_CLOSED"));
        return;
    }
    float x = clock / 150 * 12;
    float whole = std::trunc(x);
    int hour = 9 + int(whole);
    int minute = int((x - whole) * 60);
    if (hour == nLastGameplay_Hour && minute == nLastGameplay_Minute)
        return;
    if (pStatusBar)
        pStatusBar->setTimeText(foundation::format("%.2d:%.2d", hour, minute));
    nLastGameplay_Hour = hour;
    nLastGameplay_Minute = minute;
}

void Interface::updateGameplayNightFilter(bool smooth) {
    auto& globals = GameGlobals::shared();
    auto* shop = globals.shop.get();
    if (!shop)
        return;
    float fraction = globals.shopTime / 150.0f;
    float target = 0;
    if (fraction > 0.75f && fraction < 0.8333333f)
        target = (fraction - 0.75f) * 192 / 0.0833333f;
    else if (fraction >= 0.8333333f)
        target = 192;
    if (smooth) {
        float current = shop->getNightFilterOpacity();
        if (target - current > 10)
            target = current + 10;
        else if (current - target > 10)
            target = current - 10;
    }
    shop->setNightFilterOpacity(target);
}

// --- buttons, pause menu, news ---

base::Ref<engine::Sprite> Interface::addButtonToSprite(
    engine::SceneNode* panel, std::string const& key, int slot, float offsetX, float offsetY) {
    if (slot < 0 || slot >= buttonSlots)
        return nullptr;
    releaseButton(slot);
    bool pad = Utilities::isiPad();
    auto button = engine::Sprite::spriteWithFile(pad ? "btn_BG_iPad.png" : "btn_BG.png");
    if (!button)
        return nullptr;
    pButton[size_t(slot)] = button;
    auto size = button->contentSize();
    auto label
        = engine::Label::labelWithString(localized(key), "Helvetica-Bold", pad ? 36.0f : 24.0f);
    label->setColor(white);
    label->setVisible(true);
    label->setPosition({size.width / 2, size.height / 2 - 5});
    button->addChild(label, 0);
    auto panelSize = sizeOf(panel);
    if (panel)
        panel->addChild(button, 0);
    button->setPosition(
        {std::trunc(panelSize.width / 2 + offsetX), std::trunc(panelSize.height / 2 + offsetY)});
    button->setVisible(true);
    button->setColor(white);
    return button;
}

void Interface::releaseButton(int slot) {
    auto* button = this->button(slot);
    if (!button)
        return;
    base::Ref<engine::Sprite> keep(button);
    button->stopAllActions();
    button->removeAllChildrenWithCleanup(engine::Cleanup::Yes);
    removeFromLayer(button);
    pButton[size_t(slot)] = nullptr;
}

void Interface::clickButtonEffect(int slot) {
    auto* button = this->button(slot);
    if (!button)
        return;
    // The main menu's check-in button is drawn at 0.6 and pulses in proportion.
    float rest = slot == 13 ? 0.6f : 1.0f;
    float pressed = slot == 13 ? 0.54f : 0.9f;
    button->stopAllActions();
    button->setScale(rest);
    button->runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.1f, pressed),
        engine::ScaleTo::actionWithDuration(0.1f, rest)));
}

void Interface::disableButton(int slot) {
    colourButton(slot, {128, 128, 128}, {127, 40, 53});
}

void Interface::enableButton(int slot) {
    colourButton(slot, white, {255, 81, 107});
}

void Interface::colourButton(int slot, engine::Color3B colour, engine::Color3B outline) {
    auto* button = this->button(slot);
    if (!button)
        return;
    button->setColor(colour);
    for (auto& child : button->children()) {
        if (auto* rgba = dynamic_cast<engine::RGBAProtocol*>(child.get()))
            rgba->setColor(colour);
        if (auto* label = dynamic_cast<engine::Label*>(child.get()))
            label->setStrokeColor(outline);
    }
}

void Interface::showPauseButton() {
    auto* button = pGameplay_PauseButton.get();
    if (!button || GraphicEngine::fadeInSpriteDone(button))
        return;
    button->stopAllActions();
    GraphicEngine::fadeInSprite(button, 0.2f);
}

void Interface::hiddenPauseButton() {
    auto* button = pGameplay_PauseButton.get();
    if (!button || GraphicEngine::fadeOutSpriteDone(button))
        return;
    button->stopAllActions();
    GraphicEngine::fadeOutSprite(button, 0.2f);
}

void Interface::showHelpButton() {
    auto* button = pGameplay_HelpButton.get();
    auto* shop = GameGlobals::shared().shop.get();
    if (!button || !shop || !shop->isDailyChallenge() || GraphicEngine::fadeInSpriteDone(button))
        return;
    button->stopAllActions();
    GraphicEngine::fadeInSprite(button, 0.2f);
}

void Interface::hiddenHelpButton() {
    auto* button = pGameplay_HelpButton.get();
    if (!button || GraphicEngine::fadeOutSpriteDone(button))
        return;
    button->stopAllActions();
    GraphicEngine::fadeOutSprite(button, 0.2f);
}

void Interface::showPauseMenu() {
    curUIState_ = 10;
    bool pad = Utilities::isiPad();
    if (auto* panel = pGameplay_PauseMenu.get()) {
        panel->setVisible(true);
        panel->setScale(0);
        panel->stopAllActions();
        panel->runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.0f)));
    }
    for (int slot = 0; slot < buttonSlots; ++slot)
        releaseButton(slot);
    addButtonToSprite(pGameplay_PauseMenu.get(), "BUTTON_RESUME", 0, pad ? 15 : 0, pad ? 25 : 0);
    addButtonToSprite(
        pGameplay_PauseMenu.get(), "BUTTON_SAVEQUIT", 1, pad ? 15 : 0, pad ? -80 : -60);
    showNews();
}

void Interface::hiddenPauseMenu() {
    curUIState_ = 0;
    if (auto* panel = pGameplay_PauseMenu.get()) {
        panel->stopAllActions();
        panel->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
            engine::ScaleTo::actionWithDuration(0.2f, 0.0f)));
    }
    hiddenNews();
}

// --- Pet Point bonus panels ---

void Interface::showEOD1Bonus() {
    curUIState_ = 20;
    pGameplay_PPBonusBG = showBonusPanel(localized("EOD1BONUS_CONTENT"), 9);
}

void Interface::showEOLBonus() {
    curUIState_ = 21;
    // The table's text is a format for one integer; the checked formatter never
    // reads more than it is given.
    pGameplay_PPBonusBG2 = showBonusPanel(
        foundation::format(localized("EOLBONUS_CONTENT"), GameGlobals::shared().shopLevel), 10);
}

void Interface::hideEOD1Bonus() {
    hideBonusPanel(pGameplay_PPBonusBG, 9, bool(pGameplay_PPBonusBG2), 21);
}

void Interface::hideEOLBonus() {
    hideBonusPanel(pGameplay_PPBonusBG2, 10, bool(pGameplay_PPBonusBG), 20);
}

base::Ref<engine::Sprite> Interface::showBonusPanel(std::string const& body, int slot) {
    if (!pLayer)
        return nullptr;
    bool pad = Utilities::isiPad();
    float x = pad ? 512 : 240;
    auto panel = shownSprite("Gameplay_BG_Generic.png", x, -160, pLayer, 10010);
    auto size = sizeOf(panel.get());
    boxLabel(localized("EOD1BONUS_TITLE"), {300, 30}, 26, white, panel.get(), 0,
        {size.width / 2, size.height - 25});
    shownSprite(
        "PetPoint_IconSmall.png", size.width / 2 - 160, size.height - 25, panel.get(), 10000);
    // The body's box is just as large as the wrapped text needs.
    engine::Size box {400, 400};
    if (auto font = graphics::Font::fontWithName("Helvetica", 16)) {
        auto needed = graphics::sizeWithFont(body, *font, {400, 400});
        box = {needed.width, needed.height};
    }
    boxLabel(body, box, 16, white, panel.get(), 0, {size.width / 2, size.height - 120},
        engine::TextAlignment::Left);
    releaseButton(slot);
    addButtonToSprite(panel.get(), "BUTTON_OK", slot, 0, -100);
    panel->runAction(engine::MoveTo::actionWithDuration(
        0.2f, pad ? engine::Point {512, 384} : engine::Point {240, 160}));
    return panel;
}

void Interface::hideBonusPanel(
    base::Ref<engine::Sprite>& panel, int slot, bool otherOpen, int other) {
    curUIState_ = otherOpen ? other : 11;
    if (panel)
        panel->stopAllActions();
    playSound("Click");
    releaseButton(slot);
    removeFromLayer(panel.get());
    panel = nullptr;
}

// --- income markers ---

void Interface::showIncomeDisplay(
    int income, float satisfaction, engine::Point position, engine::SceneNode* layer) {
    if (!layer)
        return;
    if (auto marker = CCIncomeDisplay::initWithIncome(income, satisfaction, position))
        layer->addChild(marker, 30000);
}

void Interface::showIncomeBonusDisplay(engine::Point position, int z, engine::SceneNode* layer) {
    if (!layer)
        return;
    if (auto marker = CCIncomeBonusDisplay::initWithPosition(position))
        layer->addChild(marker, z);
}

}
