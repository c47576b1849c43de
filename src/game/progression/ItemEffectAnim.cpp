#include <game/progression/ItemEffectAnim.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

ItemEffectAnim::ItemEffectAnim() {
    setIsTouchEnabled(true);
    schedule(&ItemEffectAnim::update);
}

void ItemEffectAnim::initBackground(char const* name) {
    bool pad = Utilities::isiPad();
    engine::Point at = pad ? engine::Point {512, 300} : engine::Point {240, 110};
    _background = AnimatedSprite::init(name, at.x, at.y, this, 0, {0, 0});
    _background->setScaleY(0);
    _background->runAction(
        engine::Sequence::actions(engine::ScaleTo::actionWithDuration(0.25f, 1, 1),
            engine::DelayTime::actionWithDuration(0.75f),
            engine::ScaleTo::actionWithDuration(0.1f, 1, 0)));
}

base::Ref<engine::FiniteTimeAction> ItemEffectAnim::iconPath(
    engine::Point first, engine::Point second, engine::Point exit) {
    return engine::Sequence::actions(engine::MoveTo::actionWithDuration(0.25f, first),
        engine::MoveTo::actionWithDuration(0.1f, second),
        engine::DelayTime::actionWithDuration(0.65f),
        engine::MoveTo::actionWithDuration(0.1f, exit),
        engine::CallFunc::actionWithTarget(this, &ItemEffectAnim::setAnimFinished));
}

base::Ref<ItemEffectAnim> ItemEffectAnim::initSpeedBonusAnim() {
    auto anim = base::make<ItemEffectAnim>();
    anim->initBackground("btn_power_bg");
    bool pad = Utilities::isiPad();
    float y = pad ? 285 : 110;
    engine::Point start = pad ? engine::Point {2048, y} : engine::Point {1024, y};
    anim->_ani_icon
        = AnimatedSprite::init("btn_power_anim", start.x, start.y, anim.get(), 1, {0, 0});
    anim->_ani_icon->runAction(pad ? anim->iconPath({512, y}, {512, y}, {-512, y})
                                   : anim->iconPath({250, y}, {240, y}, {-250, y}));
    return anim;
}

base::Ref<ItemEffectAnim> ItemEffectAnim::initIncomeBonusAnim() {
    auto anim = base::make<ItemEffectAnim>();
    anim->initBackground("btn_instant_bg");
    bool pad = Utilities::isiPad();
    anim->_icon = engine::Sprite::spriteWithFile("btn_instant_ani4.png");
    if (anim->_icon) {
        float y = pad ? 400 : 160;
        anim->_icon->setPosition(pad ? engine::Point {512, y} : engine::Point {1024, y});
        anim->addChild(anim->_icon, 1);
        anim->_icon->runAction(pad ? anim->iconPath({512, y}, {512, y}, {-512, y})
                                   : anim->iconPath({250, y}, {240, y}, {-250, y}));
    }
    return anim;
}

base::Ref<ItemEffectAnim> ItemEffectAnim::initWildcardBonusAnim() {
    auto anim = base::make<ItemEffectAnim>();
    anim->initBackground("btn_wildcard_bg");
    bool pad = Utilities::isiPad();
    float y = pad ? 400 : 160;
    engine::Point start = pad ? engine::Point {512, y} : engine::Point {1024, y};
    anim->_icon = engine::Sprite::spriteWithFile("btn_wildcard_ani4.png");
    if (!anim->_icon)
        return anim;
    anim->_icon->setPosition(start);
    anim->addChild(anim->_icon, 2);
    anim->_icon->runAction(pad ? anim->iconPath({512, y}, {512, y}, {-512, y})
                               : anim->iconPath({250, y}, {240, y}, {-250, y}));

    anim->_spin_sfx = engine::Sprite::spriteWithFile("btn_wildcard_ani5.png");
    if (!anim->_spin_sfx)
        return anim;
    auto size = anim->_icon->contentSize();
    float dx = pad ? 80 : 35;
    float dy = pad ? 160 : 75;
    float X = dx - size.width * 0.5f;
    float Y = y + dy - size.height * 0.5f;
    float across = pad ? 512 : 250;
    float rest = pad ? 512 : 240;
    anim->_spin_sfx->setPosition({start.x + dx, start.y + dy});
    anim->addChild(anim->_spin_sfx, 1);
    anim->_spin_sfx->runAction(anim->iconPath({X + across, Y}, {X + rest, Y}, {-across - X, Y}));
    anim->_spin_sfx->runAction(engine::RotateBy::actionWithDuration(1.1f, 360));
    return anim;
}

void ItemEffectAnim::update(float dt) {
    if (_background)
        _background->update(dt);
    if (_ani_icon)
        _ani_icon->update(dt);
}

void ItemEffectAnim::cleanup() {
    if (_background) {
        _background->destroy();
        _background = nullptr;
    }
    if (_ani_icon) {
        _ani_icon->destroy();
        _ani_icon = nullptr;
    }
    if (_spin_sfx) {
        removeChild(_spin_sfx.get(), engine::Cleanup::Yes);
        _spin_sfx = nullptr;
    }
    if (_icon) {
        removeChild(_icon.get(), engine::Cleanup::Yes);
        _icon = nullptr;
    }
    Layer::cleanup();
}

}
