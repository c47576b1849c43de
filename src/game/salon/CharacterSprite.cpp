#include <game/salon/CharacterSprite.hpp>

#include <base/Verify.hpp>
#include <engine/ActionManager.hpp>
#include <engine/DirectorServices.hpp>
#include <engine/IntervalAction.hpp>
#include <engine/StaticFileCache.hpp>
#include <foundation/PropertyList.hpp>
#include <game/shell/GraphicEngine.hpp>
#include <game/shell/Utilities.hpp>

#include <cmath>
#include <cstdlib>

namespace game {

namespace {

char const* const actionNames[4] = {"STAND", "WALK", "SIT", "SERVING"};

}

base::Ref<CharacterSprite> CharacterSprite::create(std::string const& sheetName, float x, float y,
    engine::SceneNode* layer, engine::Point offset) {
    return base::make<CharacterSprite>(sheetName, x, y, layer, offset);
}

CharacterSprite::CharacterSprite(
    std::string const& sheetName, float x, float y, engine::SceneNode* layer, engine::Point offset)
    : pLayer(layer)
    , destPoint {x, y}
    , fGlobalOffset(offset) {
    auto& cache = engine::StaticFileCache::sharedCache();
    base::Ref<base::Dictionary> sheet;
    if (auto listPath = cache.pathForResource(sheetName + ".plist"))
        sheet = cache.dictionaryWithContentsOfFile(*listPath);
    std::string imagePath;
    if (sheet) {
        imagePath = cache.pathForResource(sheetName + ".png").value_or(sheetName + ".png");
    } else {
        // Sheets of downloaded characters live in the data folder; a name that would
        // lead out of it gives no path, and so no frames.
        if (auto listPath = Utilities::getPathForSavedData(sheetName + ".plist"))
            sheet = foundation::PropertyList::dictionaryWithContentsOfFile(*listPath);
        imagePath = Utilities::getPathForSavedData(sheetName + ".png").value_or(std::string());
    }
    if (sheet)
        framesDict = sheet->objectForKey("frames").dictionaryRef();

    pManager_ = engine::AtlasSpriteManager::spriteManagerWithFile(imagePath);
    pSprite_ = pManager_->createSpriteWithRect(engine::makeRect(0, 0, 0, 0));
    pSprite_->setPosition({x, y});
    pSprite_->setVisible(false);
    pManager_->addChild(pSprite_, 0);
    if (layer)
        layer->addChild(pManager_, 0);

    for (int action = 0; action < 4; ++action) {
        for (int direction = 0; direction < 4; ++direction) {
            auto animation
                = engine::AtlasAnimation::animationWithName(getAnimationName(action, direction), 0);
            pAnimation[std::size_t(action)][std::size_t(direction)] = animation;
            pSprite_->addAnimation(animation);
        }
    }
}

CharacterSprite::~CharacterSprite() {
    if (auto* layer = pLayer.get())
        layer->removeChild(pManager_.get(), engine::Cleanup::Yes);
}

int CharacterSprite::directionSlot(int direction) {
    return direction == UP || direction == RIGHT || direction == LEFT ? direction : DOWN;
}

int CharacterSprite::actionSlot(int action) {
    VERIFY(action >= 0 && action < 4);
    return action;
}

std::string CharacterSprite::getAnimationName(int action, int direction) {
    char const* const directionNames[4] = {"UP", "RIGHT", "DOWN", "LEFT"};
    return std::string(actionNames[actionSlot(action)]) + directionNames[directionSlot(direction)];
}

engine::AtlasAnimation* CharacterSprite::animation(int action, int direction) const {
    return pAnimation[std::size_t(actionSlot(action))][std::size_t(directionSlot(direction))].get();
}

engine::Point CharacterSprite::frameOffset(int action, int direction) const {
    return fFrameOffset[std::size_t(actionSlot(action))][std::size_t(directionSlot(direction))];
}

engine::Rect CharacterSprite::getPicRect(std::string const& frameName) const {
    auto const* frame = framesDict ? framesDict->objectForKey(frameName).dictionary() : nullptr;
    if (!frame)
        return engine::makeRect(-1, -1, 0, 0);
    return engine::makeRect(frame->objectForKey("x").floatValue(),
        frame->objectForKey("y").floatValue(), frame->objectForKey("width").floatValue(),
        frame->objectForKey("height").floatValue());
}

void CharacterSprite::addFrame(std::string const& frameName, int action, int direction) {
    auto rect = getPicRect(frameName);
    if (rect.origin.x == -1 && rect.origin.y == -1)
        return;
    auto const& frame = *framesDict->objectForKey(frameName).dictionary();
    float width = frame.objectForKey("width").floatValue();
    float height = frame.objectForKey("height").floatValue();
    // A frame without area draws nothing, and its anchor would divide by zero.
    if (!(width > 0) || !(height > 0))
        return;
    int a = actionSlot(action);
    int d = directionSlot(direction);
    pAnimation[std::size_t(a)][std::size_t(d)]->addFrameWithRect(rect);
    float offsetX = frame.objectForKey("offsetX").floatValue();
    float offsetY = frame.objectForKey("offsetY").floatValue();
    // Sitting lowers the body onto the seat.
    if (a == SIT)
        offsetY += 8;
    fFrameOffset[std::size_t(a)][std::size_t(d)]
        = {(offsetX + fGlobalOffset.x) / width + 0.5f, (offsetY + fGlobalOffset.y) / height};
}

void CharacterSprite::changeAction(int action) {
    actionSlot(action);
    if (action == curActionIndex)
        return;
    curActionIndex = action;
    curFrameIndex = 0;
    updateFrame();
}

void CharacterSprite::changeDirection(int direction) {
    if (direction == curDirectionIndex)
        return;
    curDirectionIndex = direction;
    curFrameIndex = 0;
    updateFrame();
}

void CharacterSprite::setFrameIndex(int index) {
    if (index == curFrameIndex)
        return;
    curFrameIndex = index;
    updateFrame();
}

void CharacterSprite::updateFrame() {
    pSprite_->setFlipX(curDirectionIndex == LEFT);
    pSprite_->setDisplayFrame(getAnimationName(curActionIndex, curDirectionIndex),
        std::size_t(std::max(curFrameIndex, 0)));
    updateAnchorPoint();
    updateZPos();
}

void CharacterSprite::updateZPos() {
    auto* layer = pLayer.get();
    if (!layer)
        return;
    double height = engine::DirectorServices::current().winSize().height;
    int z = int(10.0 * height - 10.0 * double(pSprite_->position().y)) + nZPosOffset;
    layer->reorderChild(pManager_.get(), z);
}

int CharacterSprite::getZPos() const {
    return pManager_->zOrder();
}

void CharacterSprite::updateAnchorPoint() {
    pSprite_->setAnchorPoint(frameOffset(curActionIndex, curDirectionIndex));
}

int CharacterSprite::currentFrameCount() const {
    return int(animation(curActionIndex, curDirectionIndex)->frames().size());
}

void CharacterSprite::nextFrame() {
    ++curFrameIndex;
    if (curFrameIndex >= currentFrameCount())
        curFrameIndex = 0;
    updateFrame();
}

void CharacterSprite::prevFrame() {
    --curFrameIndex;
    if (curFrameIndex < 0)
        curFrameIndex = std::max(currentFrameCount() - 1, 0);
    updateFrame();
}

void CharacterSprite::setStroke(bool stroke) {
    pManager_->setStroke(stroke);
}

void CharacterSprite::setStrokeColor(engine::Color3B color) {
    pManager_->setStrokeColor({color.r, color.g, color.b});
}

void CharacterSprite::setStrokeSize(int size) {
    pManager_->setStrokeSize(float(size));
}

void CharacterSprite::update(float dt) {
    if (currentFrameCount() < 2 || fFPS <= 0)
        return;
    frameDuration += dt;
    if (double(frameDuration) >= 1.0 / double(fFPS)) {
        nextFrame();
        frameDuration = 0;
    }
}

void CharacterSprite::walkTo(engine::Point point) {
    destPoint = point;
    engine::Point position = pSprite_->position();
    float distance = GraphicEngine::getDistanceBetweenPoints(point, position);
    pSprite_->stopAllActions();
    // A body that cannot walk arrives at once rather than never.
    float duration = fSpeed > 0 ? distance / float(fSpeed) : 0.0f;
    pSprite_->runAction(engine::MoveTo::actionWithDuration(duration, point));
    changeAction(WALK);
    int dx = int(position.x - point.x);
    int dy = int(position.y - point.y);
    if (std::abs(dx) > std::abs(dy))
        changeDirection(position.x > point.x ? LEFT : RIGHT);
    else
        changeDirection(position.y > point.y ? DOWN : UP);
}

void CharacterSprite::stop() {
    pSprite_->stopAllActions();
    destPoint = pSprite_->position();
    changeAction(STAND);
}

void CharacterSprite::pause() {
    engine::ActionManager::sharedManager().pauseAllActionsForTarget(pSprite_.get());
}

void CharacterSprite::resume() {
    engine::ActionManager::sharedManager().resumeAllActionsForTarget(pSprite_.get());
}

}
