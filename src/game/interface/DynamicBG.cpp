#include <game/interface/DynamicBG.hpp>

#include <engine/CompositeAction.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/shell/Utilities.hpp>

namespace game {

namespace {

constexpr float fadeDuration = 0.25f;

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
