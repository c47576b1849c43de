#include <game/server/PonyDayPopup.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/Format.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>
#include <ui/Application.hpp>
#include <ui/Touch.hpp>

namespace game {

namespace {

constexpr engine::Color3B white {255, 255, 255};

void logFinish(char const* response) {
    auto parameters = base::Dictionary::create();
    parameters->setObject("popup_response", response);
    analytics::KestrelAnalytics::logEvent("PonyDay_Finish", parameters);
}

// The tablet's art is drawn at twice the phone's size, so its offsets, text box and
// fonts are doubled too, and the popup stands at the tablet screen's centre.
float unit() {
    return Utilities::isiPad() ? 2.0f : 1.0f;
}

void playClick() {
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName("Click");
}

}

base::Ref<PonyDayPopup> PonyDayPopup::showWithText(
    std::string const& text, engine::SceneNode* parent, int z) {
    auto popup = initWithText(text);
    popup->setPosition(Utilities::isiPad() ? engine::Point {512, 384} : engine::Point {240, 160});
    popup->setScale(0);
    popup->setAnchorPoint({0, 0});
    popup->_popupBG2->setVisible(false);
    if (parent) {
        parent->addChild(popup, z);
        auto* target = popup.get();
        popup->runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.2f),
            engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
            engine::ScaleTo::actionWithDuration(0.1f, 1.0f),
            engine::CallFunc::actionWithTarget(target, &PonyDayPopup::showDimBG)));
    }
    return popup;
}

base::Ref<PonyDayPopup> PonyDayPopup::initWithText(std::string const& text) {
    return base::make<PonyDayPopup>(text);
}

PonyDayPopup::PonyDayPopup(std::string const& text) {
    float const u = unit();
    auto sprite = [](char const* file, engine::Point at) {
        auto made = engine::Sprite::spriteWithFile(file);
        made->setAnchorPoint({0.5f, 0.5f});
        made->setPosition(at);
        return made;
    };
    _popupBG2 = sprite("shopBG.png", {0, 0});
    _popupBG2->setVisible(false);
    // One picture on both devices: scaled to cover the tablet's screen.
    if (u > 1)
        _popupBG2->setScale(3);
    _popupBG = sprite("ponypopup.png", {0, 0});
    _popupIcon = sprite("ponyicon.png", {-76 * u, 0});

    _popupLabel = engine::Label::labelWithString(
        text, {150 * u, 150 * u}, engine::TextAlignment::Center, "Helvetica", 14 * u);
    _popupLabel->setColor(white);
    auto textSize = _popupLabel->getTextSize();
    auto icon = _popupIcon->position();
    auto iconSize = _popupIcon->contentSize();
    _popupLabel->setPosition({icon.x + iconSize.width / 2 + 10 * u + textSize.width / 2,
        icon.y + iconSize.height / 2 - textSize.height});

    _popupDownloadButton = sprite("btn_BG_blue.png", {120 * u, -60 * u});
    auto caption = engine::Label::labelWithString("Download", "Helvetica", 18 * u);
    caption->setColor(white);
    caption->setAnchorPoint({0.5f, 0.5f});
    auto buttonSize = _popupDownloadButton->contentSize();
    caption->setPosition({buttonSize.width / 2, buttonSize.height / 2});
    _popupDownloadButton->addChild(caption);

    _popupDismissButton = sprite("btn_circleClose.png", {120 * u, 60 * u});

    addChild(_popupBG2, 0);
    addChild(_popupBG, 0);
    addChild(_popupIcon, 0);
    addChild(_popupLabel, 0);
    addChild(_popupDismissButton, 0);
    addChild(_popupDownloadButton, 0);
    setIsTouchEnabled(true);
}

std::string PonyDayPopup::storeLink() {
    auto host = ServerConfig::appStoreHost();
    if (host.empty())
        return {};
    return foundation::format("itms-apps://%@/WebObjects/MZStore.woa/wa/viewSoftware?id=%@&mt=8",
        host, std::string(promotedProductID));
}

void PonyDayPopup::setOpacity(std::uint8_t opacity) {
    for (auto* sprite : {_popupBG.get(), _popupBG2.get(), _popupIcon.get(),
             _popupDismissButton.get(), _popupDownloadButton.get()})
        sprite->setOpacity(opacity);
}

void PonyDayPopup::showDimBG() {
    if (!_popupBG2)
        return;
    _popupBG2->setVisible(true);
    _popupBG2->setOpacity(0);
    _popupBG2->runAction(engine::FadeIn::actionWithDuration(0.3f));
}

void PonyDayPopup::hideDimBG() {
    if (_popupBG2)
        _popupBG2->setVisible(false);
}

void PonyDayPopup::hide() {
    if (auto* above = parent())
        above->removeChild(this, engine::Cleanup::Yes);
}

bool PonyDayPopup::hits(engine::Sprite const& button, engine::Point point) {
    auto size = button.contentSize();
    auto at = button.position();
    engine::Rect area {{at.x - size.width / 2, at.y - size.height / 2}, size};
    return area.contains(point);
}

bool PonyDayPopup::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch || closing_)
        return true;
    auto point = convertTouchToNodeSpace(touch);
    if (hits(*_popupDismissButton, point))
        close();
    else if (hits(*_popupDownloadButton, point))
        download();
    return true;
}

void PonyDayPopup::close() {
    closing_ = true;
    if (!_ponyDayClickThru)
        logFinish("dismiss");
    stopAllActions();
    runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.2f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 0.0f),
        engine::CallFunc::actionWithTarget(this, &PonyDayPopup::hide)));
    hideDimBG();
    playClick();
}

void PonyDayPopup::download() {
    logFinish("clickthru");
    _ponyDayClickThru = true;
    auto link = storeLink();
    if (link.empty())
        foundation::log("No application store host is configured; the store link is not opened.");
    else
        ui::Application::sharedApplication().openExternalURL(link);
    playClick();
}

}
