#include <game/progression/CCItemBar.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/Label.hpp>
#include <engine/Sprite.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

constexpr char const* countKey = "ITEM_COUNT";
constexpr char const* levelKey = "ITEM_LEVEL";

base::Ref<base::Dictionary> savedRecord(std::string const& name) {
    auto record = foundation::UserDefaults::standardUserDefaults().dictionaryForKey(
        CCItemBar::recordKey(name));
    return record ? record->copy() : nullptr;
}

void saveRecord(std::string const& name, base::Ref<base::Dictionary> record) {
    foundation::UserDefaults::standardUserDefaults().setObject(
        base::Value(std::move(record)), CCItemBar::recordKey(name));
}

}

base::Ref<CCItemBar> CCItemBar::init() {
    return base::make<CCItemBar>();
}

CCItemBar::CCItemBar() {
    setIsTouchEnabled(true);
}

std::string CCItemBar::recordKey(std::string const& name) {
    return "SYS_SPITEM_BTN_" + name;
}

int CCItemBar::savedCount(std::string const& name) {
    auto record = savedRecord(name);
    return record ? record->objectForKey(countKey).intValue() : 0;
}

CCTimerSprite* CCItemBar::timerOf(engine::SceneNode& button) {
    return static_cast<CCTimerSprite*>(button.getChildByTag(timerTag));
}

CCTimerSprite* CCItemBar::timerSprite(std::string const& name) const {
    for (auto const& button : _buttonList) {
        auto* timer = timerOf(*button);
        if (timer && timer->name() == name)
            return timer;
    }
    return nullptr;
}

void CCItemBar::setBarPosition(engine::Point position) {
    _barPos = position;
    layout();
}

void CCItemBar::addButton(
    std::string const& name, std::string const& path, int defaultCount, int defaultLevel) {
    int count = defaultCount;
    if (auto record = savedRecord(name)) {
        count = record->objectForKey(countKey).intValue();
    } else {
        auto fresh = base::Dictionary::create();
        fresh->setObject(countKey, defaultCount);
        fresh->setObject(levelKey, defaultLevel);
        saveRecord(name, fresh);
    }

    bool pad = Utilities::isiPad();
    auto button = engine::SceneNode::node();
    auto plate = engine::Sprite::spriteWithFile("sp_bar.png");
    auto plateSize = plate->contentSize();
    plate->setPosition({plateSize.width * 0.5f, -plateSize.height * 0.5f});
    button->addChild(plate, 1);

    auto timer = CCTimerSprite::initWithFile(path);
    timer->setName(name);
    timer->setOverlayPath("sp_effect.png");
    timer->setLightPath("sp_effect.png");
    timer->setPosition({plate->position().x, plate->position().y - (pad ? 30.0f : 15.0f)});
    button->addChild(timer, 0, timerTag);

    auto label = engine::Label::labelWithString(std::to_string(count), {100, 35},
        engine::TextAlignment::Center, "Helvetica", pad ? 28 : 14);
    label->setAnchorPoint({0.5f, 0.5f});
    label->setPosition({plate->position().x, plate->position().y + (pad ? 2.0f : -5.0f)});
    button->addChild(label, 2, countTag);

    addChild(button);
    _buttonList.push_back(button);
    layout();
}

void CCItemBar::layout() {
    float x = _barPos.x;
    for (auto const& button : _buttonList) {
        auto* timer = timerOf(*button);
        if (auto* label = static_cast<engine::Label*>(button->getChildByTag(countTag)))
            label->setString(std::to_string(timer ? savedCount(timer->name()) : 0));
        button->setPosition({x, _barPos.y});
        x += (timer ? timer->contentSize().width : 0) + 5;
    }
}

bool CCItemBar::modItemCountForButton(std::string const& name, int delta) {
    auto record = savedRecord(name);
    if (!record) {
        if (delta < 0)
            return false;
        record = base::Dictionary::create();
        record->setObject(countKey, 0);
        record->setObject(levelKey, 1);
    }
    long long count = (long long)record->objectForKey(countKey).intValue() + delta;
    if (count < 0)
        return false;
    record->setObject(countKey, int(std::min<long long>(count, 2147483647)));
    saveRecord(name, record);
    layout();
    return true;
}

void CCItemBar::modItemLevelForButton(std::string const& name, int delta) {
    auto record = savedRecord(name);
    if (!record)
        return;
    record->setObject(levelKey, record->objectForKey(levelKey).intValue() + delta);
    saveRecord(name, record);
    layout();
}

bool CCItemBar::isButtonLocked(std::string const& name) const {
    auto* timer = timerSprite(name);
    return !timer || timer->cooldownRatio() != 0;
}

void CCItemBar::triggerButton(std::string const& name, bool on) {
    // The delegate may change the bar; walk a copy.
    auto buttons = _buttonList;
    for (auto const& button : buttons) {
        auto* timer = timerOf(*button);
        if (!timer || timer->name() != name)
            continue;
        if (on) {
            timer->lock();
            if (delegate_)
                delegate_->ccItemBar(*this, timer->name());
        } else {
            timer->unlock();
        }
    }
}

void CCItemBar::attachItemEffect(base::Ref<ItemEffectProtocol> effect, std::string const& name) {
    for (auto const& button : _buttonList) {
        auto* timer = timerOf(*button);
        if (timer && timer->name() == name)
            timer->setItemEffect(effect);
    }
}

void CCItemBar::setBubblesVisible(bool visible) {
    for (auto const& button : _buttonList) {
        auto* bubble = button->getChildByTag(bubbleTag);
        if (visible && !bubble) {
            auto* timer = timerOf(*button);
            if (!timer)
                continue;
            auto sprite = engine::Sprite::spriteWithFile("sp_buy.png");
            sprite->setScale(0);
            sprite->setPosition({timer->position().x,
                timer->position().y - timer->contentSize().height * 0.5f
                    - sprite->contentSize().height / 3});
            button->addChild(sprite, 0, bubbleTag);
            auto pulse = engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.4f, 1.0f),
                engine::ScaleTo::actionWithDuration(0.4f, 0.9f));
            sprite->runAction(engine::Repeat::actionWithAction(pulse, 99999));
        } else if (!visible && bubble) {
            bubble->stopAllActions();
            button->removeChild(bubble, engine::Cleanup::Yes);
        }
    }
}

bool CCItemBar::ccTouchesBegan(ui::TouchSet& touches, ui::Event*) {
    auto* touch = touches.anyObject();
    if (!touch)
        return false;
    auto point = convertTouchToNodeSpace(touch);
    for (auto const& button : _buttonList) {
        auto* timer = timerOf(*button);
        if (!timer)
            continue;
        auto size = timer->contentSize();
        engine::Rect box {{button->position().x + timer->position().x - size.width * 0.5f,
                              button->position().y + timer->position().y - size.height * 0.5f},
            size};
        if (!box.contains(point))
            continue;
        if (!isButtonLocked(timer->name()))
            triggerButton(timer->name(), true);
        return true;
    }
    return false;
}

}
