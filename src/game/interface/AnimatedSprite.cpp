#include <game/interface/AnimatedSprite.hpp>

#include <engine/ActionManager.hpp>
#include <engine/StaticFileCache.hpp>

#include <algorithm>
#include <cctype>

namespace game {

namespace {

std::string lowered(std::string const& text) {
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return result;
}

base::Ref<base::Dictionary> bundleList(std::string const& name) {
    auto& cache = engine::StaticFileCache::sharedCache();
    auto path = cache.pathForResource(name);
    return path ? cache.dictionaryWithContentsOfFile(*path) : nullptr;
}

}

base::Ref<AnimatedSprite> AnimatedSprite::init(
    std::string const& name, float x, float y, engine::SceneNode* parent, float z) {
    engine::Point offset {0, 0};
    if (auto effects = bundleList("vfxList.plist")) {
        if (auto const* entry = effects->objectForKey(name).dictionary()) {
            offset.x = entry->objectForKey("offsetX").floatValue();
            offset.y = entry->objectForKey("offsetY").floatValue();
        }
    }
    return init(name, x, y, parent, z, offset);
}

base::Ref<AnimatedSprite> AnimatedSprite::init(std::string const& name, float x, float y,
    engine::SceneNode* parent, float z, engine::Point offset) {
    auto& cache = engine::StaticFileCache::sharedCache();
    auto image = name + ".png";
    auto manager = engine::AtlasSpriteManager::spriteManagerWithFile(
        cache.pathForResource(image).value_or(image));
    if (!manager)
        return nullptr;
    auto sprite = base::make<AnimatedSprite>(manager.get());
    sprite->fGlobalOffset = offset;
    sprite->setPosition({x, y});
    sprite->pParent = parent;
    manager->addChild(sprite, 0);
    if (parent)
        parent->addChild(manager, int(z));

    sprite->pAnimation = engine::AtlasAnimation::animationWithName(animationName, 0);
    sprite->addAnimation(sprite->pAnimation);

    if (auto sheet = bundleList(name + ".plist"))
        sprite->framesDict = sheet->objectForKey("frames").dictionaryRef();
    if (sprite->framesDict) {
        auto keys = sprite->framesDict->keys();
        std::stable_sort(keys.begin(), keys.end(),
            [](std::string const& a, std::string const& b) { return lowered(a) < lowered(b); });
        for (auto const& key : keys)
            sprite->addFrame(key);
    }
    sprite->frameDuration = 0;
    sprite->curFrameIndex = 0;
    sprite->fFPS = 8;
    return sprite;
}

AnimatedSprite::AnimatedSprite(engine::AtlasSpriteManager* manager)
    : AtlasSprite(engine::makeRect(0, 0, 0, 0), manager)
    , pManager(manager) {
}

std::size_t AnimatedSprite::frameCount() const {
    return pAnimation ? pAnimation->frames().size() : 0;
}

engine::Rect AnimatedSprite::getPicRect(std::string const& key) const {
    auto const* frame = framesDict ? framesDict->objectForKey(key).dictionary() : nullptr;
    if (!frame)
        return engine::makeRect(-1, -1, 0, 0);
    return engine::makeRect(frame->objectForKey("x").floatValue(),
        frame->objectForKey("y").floatValue(), frame->objectForKey("width").floatValue(),
        frame->objectForKey("height").floatValue());
}

void AnimatedSprite::addFrame(std::string const& key) {
    auto rect = getPicRect(key);
    if (rect.origin.x == -1 && rect.origin.y == -1)
        return;
    pAnimation->addFrameWithRect(rect);
    auto const* frame = framesDict->objectForKey(key).dictionary();
    float width = frame->objectForKey("width").floatValue();
    float height = frame->objectForKey("height").floatValue();
    // A frame without an area has no anchor to give.
    if (width == 0 || height == 0)
        return;
    float offsetX = frame->objectForKey("offsetX").floatValue();
    float offsetY = frame->objectForKey("offsetY").floatValue();
    fFrameOffset
        = {(offsetX + fGlobalOffset.x) / width + 0.5f, (offsetY + fGlobalOffset.y) / height};
}

void AnimatedSprite::setFrameIndex(int index) {
    if (index == curFrameIndex)
        return;
    curFrameIndex = index;
    updateFrame();
}

void AnimatedSprite::nextFrame() {
    int count = int(frameCount());
    curFrameIndex = count == 0 || curFrameIndex + 1 >= count ? 0 : curFrameIndex + 1;
    updateFrame();
}

void AnimatedSprite::prevFrame() {
    int count = int(frameCount());
    curFrameIndex = curFrameIndex - 1 < 0 ? std::max(count - 1, 0) : curFrameIndex - 1;
    updateFrame();
}

void AnimatedSprite::updateFrame() {
    setDisplayFrame(animationName, std::size_t(std::max(curFrameIndex, 0)));
    updateAnchorPoint();
}

void AnimatedSprite::updateAnchorPoint() {
    setAnchorPoint(fFrameOffset);
}

void AnimatedSprite::update(float dt) {
    if (frameCount() < 2)
        return;
    frameDuration += dt;
    if (double(frameDuration) >= 1.0 / double(fFPS)) {
        nextFrame();
        frameDuration = 0;
    }
}

void AnimatedSprite::stop() {
    stopAllActions();
}

void AnimatedSprite::pause() {
    engine::ActionManager::sharedManager().pauseAllActionsForTarget(this);
}

void AnimatedSprite::resume() {
    engine::ActionManager::sharedManager().resumeAllActionsForTarget(this);
}

void AnimatedSprite::updateZPos(int z) {
    auto* manager = pManager.get();
    if (manager && manager->parent())
        manager->parent()->reorderChild(manager, z);
}

int AnimatedSprite::getZPos() const {
    auto* manager = pManager.get();
    return manager ? manager->zOrder() : 0;
}

void AnimatedSprite::setStroke(bool stroke) {
    if (auto* manager = pManager.get())
        manager->setStroke(stroke);
}

void AnimatedSprite::setStrokeColor(engine::Color3B color) {
    if (auto* manager = pManager.get())
        manager->setStrokeColor(color);
}

void AnimatedSprite::setStrokeSize(float size) {
    if (auto* manager = pManager.get())
        manager->setStrokeSize(size);
}

void AnimatedSprite::destroy() {
    auto manager = pManager.strong();
    if (manager && manager->parent())
        manager->parent()->removeChild(manager.get(), engine::Cleanup::Yes);
    pManager = nullptr;
}

}
