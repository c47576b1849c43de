// The help book, the salon's challenge button and the special visitors' close-ups.

#include <game/interface/Interface.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <engine/TextureMgr.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/Utilities.hpp>

#include <cmath>
#include <optional>

namespace game {

using namespace interface_support;

namespace {

constexpr engine::Color3B helpOutline {126, 27, 45};
// With the close button shown, the next arrow goes at this page.
constexpr int lastArrowPage = 10;

struct HelpTexts {
    char const* main;
    char const* second;
};

// The string keys of a page's texts; none above page 11.
std::optional<HelpTexts> helpTexts(int page) {
    static constexpr HelpTexts pages[] = {{"HELP_PG1", nullptr}, {"HELP_PG2", nullptr},
        {"HELP_PG3", nullptr}, {"HELP_PG4", nullptr}, {"HELP_PG5", nullptr},
        {"HELP_PG6_2", "HELP_PG6_1"}, {"HELP_PG7_2", "HELP_PG7_1"}, {"HELP_PG8", nullptr},
        {"HELP_PG9", nullptr}, {"HELP_PG10", nullptr}, {"HELP_PG11", nullptr}};
    if (page < 1 || page > int(std::size(pages)))
        return std::nullopt;
    return pages[page - 1];
}

// A white phone help text with its dark red outline.
base::Ref<engine::Label> outlinedText(
    std::string const& text, engine::SceneNode* panel, int lines, float width) {
    auto label = GraphicEngine::createLabel(text, 0, 0, panel, 0, 14, lines, width);
    label->setColor(white);
    label->setStrokeColor(helpOutline);
    label->setStrokeSize(2);
    label->setStroke(true);
    label->setVisible(true);
    return label;
}

base::Ref<engine::Label> padText(std::string const& text, engine::SceneNode* panel, int lines) {
    auto label = GraphicEngine::createLabel(text, 0, 0, panel, 0, 28, lines, 900);
    label->setColor(white);
    label->setVisible(true);
    return label;
}

void setArrow(engine::Sprite* arrow, bool shown) {
    if (arrow)
        arrow->setOpacity(shown ? 255 : 0);
}

}

void Interface::showHelpMenu(bool showCloseButton) {
    curUIState_ = 15;
    bHelpMenuShowBackButton = showCloseButton;
    for (int slot = 0; slot < 3; ++slot)
        releaseButton(slot);
    auto* panel = pHelpMenu.get();
    if (!panel)
        return;
    bool pad = Utilities::isiPad();
    panel->setVisible(true);
    panel->stopAllActions();
    panel->setPosition(pad ? engine::Point {512, 1024} : engine::Point {240, 480});
    float drop = pad ? -640 : -320;
    panel->runAction(engine::Sequence::actions(engine::MoveBy::actionWithDuration(0.2f, {0, drop}),
        engine::MoveBy::actionWithDuration(0.1f, {0, 20}),
        engine::MoveBy::actionWithDuration(0.1f, {0, -20}),
        engine::MoveBy::actionWithDuration(0.1f, {0, 5}),
        engine::MoveTo::actionWithDuration(
            0.1f, pad ? engine::Point {512, 384} : engine::Point {240, 160})));
    float middle = pad ? 384 : 160;
    pButton[0] = GraphicEngine::createSprite("btn_circleClose.png", 26, 26, panel, 0);
    pButton[0]->setVisible(showCloseButton);
    pButton[1] = shownSprite("btn_Left.png", 40, middle, panel, 0);
    pButton[2] = shownSprite("btn_Right.png", pad ? 984 : 440, middle, panel, 0);
    nHelpMenuPage = 1;
    setHelpMenuPage(1);
}

void Interface::hiddenHelpMenu() {
    curUIState_ = 0;
    auto* panel = pHelpMenu.get();
    if (!panel)
        return;
    bool pad = Utilities::isiPad();
    panel->stopAllActions();
    panel->setPosition(pad ? engine::Point {512, 384} : engine::Point {240, 160});
    if (pad) {
        // The page stays until the next page change or the main menu removes it.
        panel->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
            engine::MoveBy::actionWithDuration(0.1f, {0, -10}),
            engine::MoveTo::actionWithDuration(0.2f, {512, 2048})));
        return;
    }
    panel->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::MoveBy::actionWithDuration(0.1f, {0, -10}),
        engine::MoveTo::actionWithDuration(0.2f, {240, 480}),
        engine::CallFunc::actionWithTarget(this, &Interface::removeHelpMenuPage)));
}

bool Interface::isHelpMenuActionDone() const {
    return !pHelpMenu || pHelpMenu->numberOfRunningActions() == 0;
}

void Interface::setHelpMenuPage(int page) {
    removeHelpMenuPage();
    nHelpMenuPage = page;
    auto* panel = pHelpMenu.get();
    if (!panel)
        return;
    setArrow(pButton[1].get(), page > 1);
    setArrow(pButton[2].get(), !(page >= lastArrowPage && bHelpMenuShowBackButton));
    if (page < 1)
        return;
    bool pad = Utilities::isiPad();
    auto size = panel->contentSize();
    engine::Point centre {size.width / 2, size.height / 2};
    pHelpMenuContent = GraphicEngine::createSprite(
        foundation::format("Help_Step%d.jpg", page), centre.x, centre.y, panel, -1);
    pHelpMenuContent->setVisible(true);
    if (pad) {
        pHelpMenuContent->setScaleX(2.2f);
        pHelpMenuContent->setScaleY(2.4f);
    }
    auto texts = helpTexts(page);
    if (!texts)
        return;
    if (pad) {
        pHelpText = padText(localized(texts->main), panel, 3);
        float half = pHelpText->contentSize().height / 2;
        bool lower = page >= 2 && page <= 4;
        pHelpText->setPosition({centre.x, lower ? half - 25 : half + 5});
    } else {
        pVersionText = outlinedText(foundation::Bundle::mainBundle()
                                        .objectForInfoDictionaryKey("CFBundleVersion")
                                        .stringValue(),
            panel, 3, 200);
        pVersionText->setPosition({460, 0});
        pHelpText = outlinedText(localized(texts->main), panel, 3, 400);
        pHelpText->setPosition({centre.x, pHelpText->contentSize().height + 10});
    }
    if (!texts->second)
        return;
    if (pad) {
        pHelpText2 = padText(localized(texts->second), panel, 5);
        pHelpText2->setPosition({centre.x, 768 - pHelpText2->contentSize().height / 2 - 50});
    } else {
        pHelpText2 = outlinedText(localized(texts->second), panel, 5, 400);
        pHelpText2->setPosition({centre.x, 320 - pHelpText2->contentSize().height / 2 - 40});
    }
}

void Interface::removeHelpMenuPage() {
    if (!pHelpMenuContent)
        return;
    removeFromParent(pHelpMenuContent.get());
    removeFromParent(pHelpText.get());
    removeFromParent(pHelpText2.get());
    removeFromParent(pVersionText.get());
    pHelpMenuContent = nullptr;
    pHelpText = nullptr;
    pHelpText2 = nullptr;
    pVersionText = nullptr;
}

namespace {

char const* closeUpPicture(int kind) {
    switch (kind) {
    case 0:
        return "Gameplay_EventCloseUp_Prez.png";
    case 1:
        return "Gameplay_EventCloseUp_RichLady.png";
    case 2:
        return "Gameplay_EventCloseUp_skyward.png";
    default:
        return nullptr;
    }
}

// The picture's path: a bundle name as it stands, a pack's name in the data folder
// when it is one plain file name.
std::optional<std::string> packCloseUpPath(std::string const& picture) {
    if (!isPlainFileName(picture)) {
        foundation::log(
            "Refused the close-up picture \"%@\": not a file name of the data folder", picture);
        return std::nullopt;
    }
    auto path = Utilities::getPathForSavedData(picture);
    if (!path || !Utilities::isFileExist(*path))
        return std::nullopt;
    return path;
}

}

void Interface::showEventCloseUp(int kind) {
    auto const* picture = closeUpPicture(kind);
    runEventCloseUp(picture ? std::optional(art(picture, Utilities::isiPad())) : std::nullopt);
}

void Interface::showDLCEventCloseUp(std::string const& picture) {
    runEventCloseUp(packCloseUpPath(picture));
}

void Interface::runEventCloseUp(std::optional<std::string> const& file) {
    // The previous close-up goes even when this one has no picture.
    if (pGameplay_EventCloseUp) {
        removeFromParent(pGameplay_EventCloseUp.get());
        pGameplay_EventCloseUp = nullptr;
    }
    auto* shop = GameGlobals::shared().shop.get();
    if (shop) {
        ui::TouchSet none;
        shop->handleTouchesCancelled(none, nullptr);
    }
    if (!file || !pLayer)
        return;
    auto texture = engine::TextureMgr::sharedTextureMgr().addImage(*file);
    if (!texture)
        return;
    bool pad = Utilities::isiPad();
    pGameplay_EventCloseUp = engine::Sprite::spriteWithTexture(texture);
    auto* sprite = pGameplay_EventCloseUp.get();
    pLayer->addChild(pGameplay_EventCloseUp, 9999);
    sprite->setVisible(true);
    // Just beyond the right edge, standing on the bottom of the screen.
    auto size = sprite->contentSize();
    engine::Point start {(pad ? 1024.0f : 480.0f) + size.width / 2, size.height / 2};
    sprite->setPosition(start);
    sprite->runAction(engine::Sequence::actions(
        engine::MoveTo::actionWithDuration(0.3f, {pad ? 725.0f : 340.0f, start.y}),
        engine::DelayTime::actionWithDuration(1.5f),
        engine::MoveTo::actionWithDuration(0.3f, start),
        engine::CallFunc::actionWithTarget(this, &Interface::endEventCloseUp)));
    if (shop)
        shop->pauseGame(Shop::PauseReason::EventCloseUp);
}

void Interface::endEventCloseUp() {
    // Only the close-up's own pause is let go: the pause menu or a power-up's
    // announcement opened meanwhile keeps the salon paused.
    if (auto* shop = GameGlobals::shared().shop.get())
        shop->resumeGame(Shop::PauseReason::EventCloseUp);
}

}
