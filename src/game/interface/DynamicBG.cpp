#include <game/interface/DynamicBG.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/InstantAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Format.hpp>
#include <foundation/Random.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/Utilities.hpp>

#include <cmath>

namespace game {

namespace {

constexpr float fadeDuration = 0.25f;

// A uniform draw in [0, 1) from the seedable generator behind random().
double uniform() {
    return double(foundation::random()) / 2147483648.0;
}

// The title picture in the user's first preferred language when the bundle has
// one, else the default picture.
std::string titlePicture(bool pad) {
    std::string base = pad ? "Title_Name_iPad" : "Title_Name";
    auto languages
        = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
    if (languages && !languages->empty() && languages->front() != "en") {
        auto localized = foundation::format("%@_%@", base, languages->front());
        if (engine::StaticFileCache::sharedCache().pathForResource(localized, "png"))
            return localized + ".png";
    }
    return base + ".png";
}

}

base::Ref<DynamicBG> DynamicBG::node() {
    return base::make<DynamicBG>();
}

DynamicBG::DynamicBG() {
    initSprites();
    startBubbles();
    schedule(&DynamicBG::update, 1);
}

void DynamicBG::showTitle() {
    _titleButton->setVisible(true);
    auto bob = engine::Sequence::actions(engine::MoveBy::actionWithDuration(0.3f, {0, -5}),
        engine::MoveBy::actionWithDuration(0.3f, {0, 5}));
    _titleButton->runAction(engine::Repeat::actionWithAction(bob, 99999));
    _isDimmed = false;
}

void DynamicBG::hideTitle() {
    _titleButton->runAction(engine::ScaleTo::actionWithDuration(0.5f, 1.5f));
    _titleButton->runAction(engine::FadeTo::actionWithDuration(0.5f, 0));
    _staticBG->runAction(engine::FadeTo::actionWithDuration(0.5f, 128));
    _staticFG->runAction(engine::TintTo::actionWithDuration(0.5f, 128, 128, 128));
    _staticTitle->runAction(engine::TintTo::actionWithDuration(0.5f, 128, 128, 128));
    _isDimmed = true;
}

void DynamicBG::update(float) {
    if (!_generateBubbles)
        return;
    addBubble(64);
    addBubble(425);
}

void DynamicBG::addBubble(float x) {
    auto image = foundation::format("qby2_title_bubble%d.png", int(foundation::random() % 4 + 1));
    auto bubble = DynamicBubble::initWithImageNamed(image, _isDimmed);
    bubble->setPosition({x, 50});
    addChild(bubble, 1);
}

base::Ref<DynamicBubble> DynamicBubble::initWithImageNamed(std::string const& image, bool dim) {
    auto bubble = base::make<DynamicBubble>();
    bubble->_bubbleSprite = engine::Sprite::spriteWithFile(image);
    bubble->addChild(bubble->_bubbleSprite);
    bubble->_verticalSpeed = 1;
    bubble->_horizontalSpeed = 0;
    bubble->_updateVector = {0, 1};
    bubble->_clock = 0;
    bubble->_phase = float(1024 * uniform());
    bubble->_spin = float((1 - 2 * uniform()) * 0.5);
    bubble->schedule(&DynamicBubble::update);
    if (dim) {
        bubble->_bubbleSprite->setOpacity(128);
        bubble->_bubbleSprite->runAction(engine::TintTo::actionWithDuration(0.2f, 128, 128, 128));
    }
    bubble->_bubbleSprite->runAction(
        engine::Sequence::actions(engine::FadeOut::actionWithDuration(5),
            engine::CallFunc::actionWithTarget(bubble.get(), &DynamicBubble::destroy)));
    return bubble;
}

float DynamicBubble::sineFunc(float t) const {
    return std::sin(_phase + t) * 0.5f;
}

void DynamicBubble::update(float dt) {
    if (!_bubbleSprite)
        return;
    _clock += dt;
    _horizontalSpeed = sineFunc(_clock);
    _updateVector = {_horizontalSpeed, _verticalSpeed};
    setPosition({position().x + _updateVector.x, position().y + _updateVector.y});
    setRotation(rotation() + _spin);
}

void DynamicBubble::destroy() {
    if (auto* owner = parent())
        owner->removeChild(this, engine::Cleanup::Yes);
}

void DynamicBubble::cleanup() {
    unschedule(&DynamicBubble::update);
    if (_bubbleSprite) {
        removeChild(_bubbleSprite.get(), engine::Cleanup::Yes);
        _bubbleSprite = nullptr;
    }
    SceneNode::cleanup();
}

void DynamicBG::initSprites() {
    bool pad = Utilities::isiPad();
    _staticBG = engine::Sprite::spriteWithFile("qby2_title_bg1.png");
    _staticBG->setAnchorPoint({0, 0});
    _staticBG->setPosition({0, 0});
    addChild(_staticBG, 0);

    _staticFG = engine::Sprite::spriteWithFile("qby2_title_1.png");
    _staticFG->setAnchorPoint({0, 0});
    _staticFG->setPosition({0, 0});
    addChild(_staticFG, 2);

    _staticTitle = engine::Sprite::spriteWithFile(titlePicture(pad));
    _staticTitle->setPosition(pad ? engine::Point {512, 228} : engine::Point {240, 95});
    addChild(_staticTitle, 3);

    _bfLogo = engine::Sprite::spriteWithFile(pad ? "Title_BFLogo_iPad.png" : "Title_BFLogo.png");
    _bfLogo->setPosition(pad ? engine::Point {512, 724.8f} : engine::Point {240, 302});

    _titleButton
        = engine::Sprite::spriteWithFile(pad ? "Title_Button_iPad.png" : "Title_Button.png");
    _titleButton->setPosition(pad ? engine::Point {512, 60} : engine::Point {240, 25});
    _titleButton->setVisible(false);
    addChild(_titleButton, 5);
}

void DynamicBG::hideAll() {
    for (auto* sprite :
        {_staticBG.get(), _staticFG.get(), _staticTitle.get(), _titleButton.get(), _bfLogo.get()})
        sprite->setOpacity(0);
}

void DynamicBG::fadeInDimmed() {
    for (auto* sprite : {_staticBG.get(), _staticFG.get(), _staticTitle.get()}) {
        sprite->runAction(engine::FadeTo::actionWithDuration(fadeDuration, 255));
        sprite->runAction(engine::TintTo::actionWithDuration(fadeDuration, 128, 128, 128));
    }
}

void DynamicBG::fadeOut() {
    for (auto* sprite : {_staticBG.get(), _staticFG.get(), _staticTitle.get()})
        sprite->runAction(engine::FadeTo::actionWithDuration(fadeDuration, 0));
}

bool DynamicBG::isTitleActionDone() const {
    return _titleButton->numberOfRunningActions() <= 1 && _staticBG->numberOfRunningActions() == 0;
}

void DynamicBG::cleanup() {
    for (auto* sprite : {_staticBG.get(), _staticFG.get(), _staticTitle.get(), _titleButton.get()})
        removeChild(sprite, engine::Cleanup::Yes);
    SceneNode::cleanup();
}

}
