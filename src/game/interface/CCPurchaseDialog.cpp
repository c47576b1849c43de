#include <game/interface/CCPurchaseDialog.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <game/interface/InterfaceSupport.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

using interface_support::isPlainFileName;

constexpr engine::Color3B white {255, 255, 255};
constexpr engine::Color3B grey {128, 128, 128};

std::string localized(std::string_view key) {
    return foundation::Bundle::mainBundle().localizedString(key);
}

// The text of a string entry; anything else reads as empty.
std::string text(base::Dictionary const& dictionary, std::string_view key) {
    auto const* string = dictionary.objectForKey(key).string();
    return string ? *string : std::string();
}

// The item's "data", or null when it has none or it is not a dictionary.
base::Dictionary const* dataOf(base::Dictionary const& item) {
    return item.objectForKey(CCPurchaseDialog::keyData).dictionary();
}

base::Ref<engine::Label> makeLabel(std::string const& string, engine::Size box,
    engine::TextAlignment alignment, char const* font, float size) {
    auto label = engine::Label::labelWithString(string, box, alignment, font, size);
    label->setColor(white);
    return label;
}

// A pulse on a pressed button: down to 0.9 and back in 0.2 s.
void pulse(engine::Sprite& button) {
    button.runAction(engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.0f)));
}

}

base::Ref<CCPurchaseDialog> CCPurchaseDialog::initDialogWithDictionary(
    base::Dictionary const& item, CCPurchaseDialogDelegate* delegate) {
    return base::make<CCPurchaseDialog>(item, delegate);
}

CCPurchaseDialog::CCPurchaseDialog(base::Dictionary const& item, CCPurchaseDialogDelegate* delegate)
    : _config(item.copy())
    , _delegate(delegate) {
    build();
}

bool CCPurchaseDialog::isPetPointPrice() const {
    return text(*_config, keyCostType) == "pp";
}

int CCPurchaseDialog::cost() const {
    return _config->objectForKey(keyCost).intValue();
}

bool CCPurchaseDialog::canAfford() const {
    auto const& globals = GameGlobals::shared();
    return (isPetPointPrice() ? globals.petPoints : globals.money) >= cost();
}

std::string CCPurchaseDialog::titleFor(base::Dictionary const& item) {
    auto type = text(item, keyType);
    if (type == "staff")
        return localized("SHOP_HIRE");
    if (type == "device") {
        auto const* data = dataOf(item);
        if (!data || !data->objectForKey(keyPurchase).boolValue())
            return localized("SHOP_UPGRADE2");
    }
    return localized("SHOP_PURCHASE");
}

std::optional<std::string> CCPurchaseDialog::thumbnailPath(base::Dictionary const& item) {
    auto const* data = dataOf(item);
    auto thumb = data ? text(*data, keyThumb) : std::string();
    if (text(item, keyUid).find("dlc") == std::string::npos) {
        // The resource lookup would take an absolute name as it stands, outside the bundle;
        // relative names that climb out of it it refuses itself.
        if (thumb.starts_with('/')) {
            foundation::log("Refused the picture \"%@\" of the item \"%@\": not a bundle name",
                thumb, text(item, keyUid));
            return std::nullopt;
        }
        return thumb.empty() ? std::nullopt : std::optional(thumb);
    }
    if (!isPlainFileName(thumb)) {
        foundation::log("Refused the picture \"%@\" of the downloadable item \"%@\": not a file "
                        "name of the data folder",
            thumb, text(item, keyUid));
        return std::nullopt;
    }
    return Utilities::getPathForSavedData(thumb);
}

void CCPurchaseDialog::build() {
    bool pad = Utilities::isiPad();
    bool petPoints = isPetPointPrice();
    auto type = text(*_config, keyType);

    _dim = engine::Sprite::spriteWithFile("shopBG.png");
    _dim->setPosition(pad ? engine::Point {512, 384} : engine::Point {240, 160});
    if (pad)
        _dim->setScale(3);
    _dim->setVisible(false);
    addChild(_dim, 0);

    _bg = engine::Sprite::spriteWithFile(
        pad ? "Gameplay_UpgradeMenu_iPad.png" : "Gameplay_UpgradeMenu.png");
    _bg->setPosition(pad ? engine::Point {512, 384} : engine::Point {240, 160});
    addChild(_bg, 1);
    auto panel = _bg->contentSize();

    _logo = engine::Sprite::spriteWithFile(
        pad ? "Gameplay_UpgradeIcon_iPad.png" : "Gameplay_UpgradeIcon.png");
    auto logo = _logo->contentSize();
    _logo->setPosition({logo.width / 2, panel.height - logo.height / 2});
    _bg->addChild(_logo, 0);

    _titleLabel = makeLabel(
        titleFor(*_config), {250, 50}, engine::TextAlignment::Left, "Helvetica-Bold", 18);
    _titleLabel->setAnchorPoint({0, 1});
    _titleLabel->setPosition({pad ? 83.65f : 50.0f, panel.height - 10});
    _bg->addChild(_titleLabel, 10);

    engine::Point picture
        = pad ? engine::Point {panel.width / 4, 300} : engine::Point {panel.width / 2 - 120, 195};
    if (auto path = thumbnailPath(*_config)) {
        _thumbnail = engine::Sprite::spriteWithFile(*path);
        auto size = _thumbnail->contentSize();
        engine::Point at = picture;
        if (type == "theme")
            _thumbnail->setScale(0.48f);
        else if (type == "staff")
            at.y -= 10;
        else if (type == "device" && size.height > 90)
            _thumbnail->setScale(90 / size.height);
        _thumbnail->setPosition(at);
        _bg->addChild(_thumbnail, 1);
    }

    _nameLabel
        = makeLabel(text(*_config, keyName), pad ? engine::Size {360, 80} : engine::Size {240, 40},
            engine::TextAlignment::Center, "Helvetica", pad ? 24 : 16);
    _nameLabel->setPosition({picture.x, pad ? 200.0f : 125.0f});
    _bg->addChild(_nameLabel, 2);

    _descLabel
        = makeLabel(text(*_config, keyDesc), pad ? engine::Size {360, 120} : engine::Size {240, 60},
            engine::TextAlignment::Center, "Helvetica", pad ? 18 : 16);
    _descLabel->setPosition(pad ? engine::Point {panel.width * 0.75f, 230}
                                : engine::Point {panel.width / 2 + 110, 160});
    _bg->addChild(_descLabel, 3);

    // The tablet shows the price as the item gives it; a missing price reads 0.
    std::string price = foundation::format("%d", cost());
    if (pad) {
        auto const& value = _config->objectForKey(keyCost);
        if (value.isNumber() || value.isString())
            price = value.stringValue();
    }
    _costLabel = engine::Label::labelWithString(
        petPoints ? price : "$" + price, "Helvetica", pad ? 36 : 24);
    _costLabel->setColor(white);
    _costLabel->setPosition(
        pad ? engine::Point {panel.width * 0.75f, 325} : engine::Point {panel.width / 2 + 80, 210});
    _bg->addChild(_costLabel, 4);

    if (petPoints) {
        _ppIcon = engine::Sprite::spriteWithFile(
            pad ? "PetPoint_IconSmall_iPad.png" : "PetPoint_IconSmall.png");
        _ppIcon->setPosition(pad ? engine::Point {panel.width * 0.75f + 60, 325}
                                 : engine::Point {panel.width / 2 + 30, 210});
        _bg->addChild(_ppIcon);
    }

    float margin = pad ? 10 : 20;
    _buttonCancel = engine::Sprite::spriteWithFile("btn_NO.png");
    auto cancel = _buttonCancel->contentSize();
    _buttonCancel->setPosition(
        {panel.width - cancel.width / 2 - margin, cancel.height / 2 + margin});
    _bg->addChild(_buttonCancel, pad ? 6 : 5);

    _buttonOK = engine::Sprite::spriteWithFile("btn_YES.png");
    _buttonOK->setPosition({_buttonCancel->position().x - cancel.width / 2 - margin
            - _buttonOK->contentSize().width / 2,
        _buttonCancel->position().y});
    if (!canAfford())
        _buttonOK->setColor(grey);
    _bg->addChild(_buttonOK, pad ? 5 : 6);

    _buttonPoints = engine::Sprite::spriteWithFile("btn_BG_blue_Shorter.png");
    _buttonPoints->setPosition({pad ? 167.3f : 100.0f, _buttonCancel->position().y});
    _bg->addChild(_buttonPoints, 7);
    buildButtonContents();

    auto const& globals = GameGlobals::shared();
    _ppStatus = engine::Sprite::spriteWithFile("PetPointValue.png");
    auto ppSize = _ppStatus->contentSize();
    _ppStatus->setPosition(
        {panel.width - ppSize.width / 2 - 10, panel.height - ppSize.height / 2 - 8});
    _bg->addChild(_ppStatus);

    _cashStatus = engine::Sprite::spriteWithFile("CashValue.png");
    auto cashSize = _cashStatus->contentSize();
    _cashStatus->setPosition({_ppStatus->position().x - ppSize.width / 2 - 10 - cashSize.width / 2,
        panel.height - cashSize.height / 2 - 8});
    _bg->addChild(_cashStatus);

    _ppLabel = makeLabel(foundation::format("%d", globals.petPoints), {250, 50},
        engine::TextAlignment::Left, "Helvetica", 16);
    _ppLabel->setAnchorPoint({0, 0.5f});
    _ppLabel->setPosition(
        {_ppStatus->position().x - ppSize.width / 2 + 40, _ppStatus->position().y - 15});
    _bg->addChild(_ppLabel, 10);

    _cashLabel = makeLabel(foundation::format("%d", globals.money), {250, 50},
        engine::TextAlignment::Left, "Helvetica", 16);
    _cashLabel->setAnchorPoint({0, 0.5f});
    _cashLabel->setPosition(
        {_cashStatus->position().x - cashSize.width / 2 + 30, _cashStatus->position().y - 15});
    _bg->addChild(_cashLabel, 11);
}

void CCPurchaseDialog::buildButtonContents() {
    bool pad = Utilities::isiPad();
    bool petPoints = isPetPointPrice();
    auto icon
        = engine::Sprite::spriteWithFile(petPoints ? "PetPoint_IconSmall.png" : "Money_icon.png");
    auto iconSize = icon->contentSize();
    icon->setPosition(
        {_buttonPoints->contentSize().height / 2, iconSize.width / 2 + (pad ? 20.0f : 10.0f)});
    _buttonPoints->addChild(icon);

    char const* key = petPoints ? (pad ? "SHORTBUYPP" : "BUYPP") : "GETMONEY";
    engine::Size box = !petPoints && pad ? engine::Size {200, 50} : engine::Size {150, 50};
    float size = pad ? 18 : (petPoints ? 16 : 15);
    auto label = makeLabel(localized(key), box, engine::TextAlignment::Left, "Helvetica", size);
    label->setAnchorPoint({0, 0.5f});
    label->setPosition(
        {icon->position().x + iconSize.width / 2 + (pad ? 10.0f : 5.0f), icon->position().y - 15});
    _buttonPoints->addChild(label);
}

void CCPurchaseDialog::showDialogFromPosition(engine::Point point) {
    setIsTouchEnabled(true);
    _startPos = point;
    _dim->setVisible(true);
    _dim->setOpacity(0);
    _bg->setScale(0.01f);
    _bg->setPosition(point);
    auto grow = engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::ScaleTo::actionWithDuration(0.2f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 0.9f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.0f));
    grow->setTag(showActionTag);
    _bg->runAction(grow);
    engine::Point centre
        = Utilities::isiPad() ? engine::Point {512, 384} : engine::Point {240, 160};
    _bg->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::MoveTo::actionWithDuration(0.2f, centre)));
    _dim->runAction(engine::FadeIn::actionWithDuration(0.5f));
    schedule(&CCPurchaseDialog::update);
}

void CCPurchaseDialog::dismissDialog() {
    _bg->stopAllActions();
    // A fade-in still running, or an earlier dismissal's fade-out, would otherwise
    // fight this fade or tell the delegate twice.
    _dim->stopAllActions();
    setIsTouchEnabled(false);
    auto shrink = engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::ScaleTo::actionWithDuration(0.1f, 1.2f),
        engine::ScaleTo::actionWithDuration(0.2f, 0.0f));
    shrink->setTag(dismissActionTag);
    _bg->runAction(shrink);
    _bg->runAction(engine::Sequence::actions(engine::DelayTime::actionWithDuration(0.2f),
        engine::DelayTime::actionWithDuration(0.1f),
        engine::MoveTo::actionWithDuration(0.2f, _startPos)));
    _dim->runAction(engine::Sequence::actions(engine::FadeOut::actionWithDuration(0.5f),
        engine::CallFunc::actionWithTarget(this, &CCPurchaseDialog::hideDimBG)));
    unschedule(&CCPurchaseDialog::update);
}

void CCPurchaseDialog::hideDimBG() {
    _dim->setVisible(false);
    if (_delegate) {
        base::Ref<CCPurchaseDialog> keep(this);
        base::Ref<base::Dictionary const> item = _config->copy();
        _delegate->purchaseDialogDidDismissWithResponse(*this, resp, std::move(item));
    }
}

void CCPurchaseDialog::update(float) {
    auto const& globals = GameGlobals::shared();
    auto setText = [](engine::Label& label, std::string const& string) {
        // Rendering a label costs a texture upload: only a changed balance is drawn anew.
        if (label.getText() != string)
            label.setString(string);
    };
    setText(*_ppLabel, foundation::format("%d", globals.petPoints));
    setText(*_cashLabel, foundation::format("%d", globals.money));
    _buttonOK->setColor(canAfford() ? white : grey);
}

bool CCPurchaseDialog::hitsButton(engine::Sprite const& button, engine::Point point) const {
    auto panel = _bg->contentSize();
    auto size = button.contentSize();
    engine::Rect area {
        {_bg->position().x - panel.width / 2 + button.position().x - size.width / 2,
            _bg->position().y - panel.height / 2 + button.position().y - size.height / 2},
        size};
    return area.contains(point);
}

void CCPurchaseDialog::accept(int response, engine::Sprite& button) {
    base::Ref<CCPurchaseDialog> keep(this);
    resp = response;
    if (_delegate)
        _delegate->purchaseDialogDidSelectResponse(*this, response, *_config);
    if (auto* sound = SoundEngine::sharedManager())
        sound->playSoundName("Click");
    pulse(button);
}

bool CCPurchaseDialog::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch)
        return true;
    auto point = convertTouchToNodeSpace(touch);
    if (hitsButton(*_buttonOK, point)) {
        if (canAfford())
            accept(Buy, *_buttonOK);
    } else if (hitsButton(*_buttonCancel, point)) {
        accept(Cancel, *_buttonCancel);
    } else if (hitsButton(*_buttonPoints, point)) {
        accept(isPetPointPrice() ? GetPetPoints : GetMoney, *_buttonPoints);
    }
    return true;
}

void CCPurchaseDialog::cleanup() {
    removeChild(_dim.get(), engine::Cleanup::Yes);
    removeChild(_bg.get(), engine::Cleanup::Yes);
    Layer::cleanup();
}

}
