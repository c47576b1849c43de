#include <engine/AtlasSprite.hpp>
#include <engine/AtlasSpriteManager.hpp>
#include <engine/Describe.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <cmath>
#include <cstdio>

namespace engine {

base::Ref<AtlasSprite> AtlasSprite::spriteWithRect(Rect rect, AtlasSpriteManager* manager) {
    return base::make<AtlasSprite>(rect, manager);
}

AtlasSprite::AtlasSprite(Rect rect, AtlasSpriteManager* manager) {
    VERIFY_MSG(manager, "Argument must be non-nil");
    textureAtlas_ = manager->textureAtlas_.get();
    SceneNode::setAnchorPoint({0.5f, 0.5f});
    for (auto* corner : {&quad_.tl, &quad_.bl, &quad_.tr, &quad_.br})
        corner->colors = {255, 255, 255, 255};
    auto* texture = textureAtlas_ ? textureAtlas_->texture() : nullptr;
    opacityModifyRGB_ = texture && texture->hasPremultipliedAlpha();
    setTextureRect(rect);
}

std::string AtlasSprite::description() const {
    char text[128];
    std::snprintf(text, sizeof text, " | Rect = (%.2f,%.2f,%.2f,%.2f) | tag = %i>",
        double(rect_.origin.x), double(rect_.origin.y), double(rect_.size.width),
        double(rect_.size.height), tag());
    return "<" + className(*this) + " = " + objectAddress(this) + text;
}

bool AtlasSprite::isInAtlas() const {
    auto* atlas = textureAtlas_.get();
    return atlasIndex_ != notInAtlas && atlas && atlasIndex_ < atlas->capacity();
}

void AtlasSprite::writeQuad() {
    textureAtlas_->updateQuad(quad_, atlasIndex_);
}

void AtlasSprite::setTextureRect(Rect rect) {
    rect_ = rect;
    updateTextureCoords();
    if (isInAtlas())
        writeQuad();
    else
        dirty_ = true;
    if (rect.size != contentSize()) {
        setContentSize(rect.size);
        dirty_ = true;
    }
}

void AtlasSprite::updateTextureCoords() {
    auto* atlas = textureAtlas_.get();
    auto* texture = atlas ? atlas->texture() : nullptr;
    if (!texture || texture->pixelsWide() == 0 || texture->pixelsHigh() == 0)
        return;
    float width = static_cast<float>(texture->pixelsWide());
    float height = static_cast<float>(texture->pixelsHigh());
    float left = rect_.origin.x / width;
    float right = (rect_.origin.x + rect_.size.width) / width;
    float top = rect_.origin.y / height;
    float bottom = (rect_.origin.y + rect_.size.height) / height;
    if (flipX_)
        std::swap(left, right);
    if (flipY_)
        std::swap(top, bottom);
    quad_.bl.texCoords = {left, bottom};
    quad_.br.texCoords = {right, bottom};
    quad_.tl.texCoords = {left, top};
    quad_.tr.texCoords = {right, top};
}

void AtlasSprite::setFlipX(bool flip) {
    if (flip == flipX_)
        return;
    flipX_ = flip;
    setTextureRect(rect_);
}

void AtlasSprite::setFlipY(bool flip) {
    if (flip == flipY_)
        return;
    flipY_ = flip;
    setTextureRect(rect_);
}

void AtlasSprite::updatePosition() {
    float z = vertexZ();
    if (!visible()) {
        for (auto* corner : {&quad_.tl, &quad_.bl, &quad_.tr, &quad_.br})
            corner->vertices = {0, 0, 0};
    } else {
        Point p = position();
        Point a = transformAnchor();
        float sx = scaleX(), sy = scaleY();
        float w = rect_.size.width, h = rect_.size.height;
        if (rotation() == 0) {
            float x1, y1, x2, y2;
            if (sx == 1 && sy == 1) {
                x1 = p.x - a.x;
                y1 = p.y - a.y;
                x2 = x1 + w;
                y2 = y1 + h;
            } else {
                x1 = p.x - a.x * sx;
                y1 = p.y - a.y * sy;
                x2 = x1 + w * sx;
                y2 = y1 + h * sy;
            }
            quad_.bl.vertices = {x1, y1, z};
            quad_.br.vertices = {x2, y1, z};
            quad_.tl.vertices = {x1, y2, z};
            quad_.tr.vertices = {x2, y2, z};
        } else {
            float angle = -rotation() / 180.0f * 3.1415927f;
            float c = std::cos(angle), s = std::sin(angle);
            float x1 = -a.x * sx, y1 = -a.y * sy;
            float x2 = x1 + w * sx, y2 = y1 + h * sy;
            auto place = [&](float x, float y) {
                return Vertex3F {x * c - y * s + p.x, x * s + y * c + p.y, z};
            };
            quad_.bl.vertices = place(x1, y1);
            quad_.br.vertices = place(x2, y1);
            quad_.tl.vertices = place(x1, y2);
            quad_.tr.vertices = place(x2, y2);
        }
    }
    if (isInAtlas())
        writeQuad();
    dirty_ = false;
}

void AtlasSprite::setCornerColours() {
    Color4B colour {color_.r, color_.g, color_.b, opacity_};
    for (auto* corner : {&quad_.tl, &quad_.bl, &quad_.tr, &quad_.br})
        corner->colors = colour;
}

void AtlasSprite::updateColor() {
    if (isInAtlas())
        writeQuad();
    else
        dirty_ = true;
}

void AtlasSprite::setColor(Color3B color) {
    color_ = color;
    setCornerColours();
    updateColor();
}

void AtlasSprite::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_)
        color_ = {opacity, opacity, opacity};
    setCornerColours();
    updateColor();
}

void AtlasSprite::insertInAtlasAtIndex(std::size_t index) {
    auto* atlas = textureAtlas_.get();
    VERIFY_MSG(atlas, "AtlasSprite: the sprite's atlas is gone");
    atlasIndex_ = index;
    if (!atlas->insertQuad(quad_, index))
        atlasIndex_ = notInAtlas;
}

void AtlasSprite::setTextureAtlas(TextureAtlas* atlas) {
    textureAtlas_ = atlas;
    updateTextureCoords();
}

// Frames

void AtlasSprite::setDisplayFrame(base::Object* frame) {
    if (!frame) {
        setTextureRect({});
        return;
    }
    if (auto* atlasFrame = dynamic_cast<AtlasSpriteFrame*>(frame))
        setTextureRect(atlasFrame->rect());
}

void AtlasSprite::setDisplayFrame(std::string const& animationName, std::size_t index) {
    auto& animations = ensureAnimations();
    auto found = animations.find(animationName);
    AtlasSpriteFrame* frame = found == animations.end() ? nullptr : found->second->frameAt(index);
    if (!frame) {
        // Animations come from sheets that may lack frames: show nothing rather
        // than stop the program.
        base::logLine("AtlasSprite#setDisplayFrame. Invalid frame");
        setTextureRect({});
        return;
    }
    setTextureRect(frame->rect());
}

bool AtlasSprite::isFrameDisplayed(base::Object* frame) const {
    auto* atlasFrame = dynamic_cast<AtlasSpriteFrame*>(frame);
    return atlasFrame && atlasFrame->rect() == rect_;
}

base::Object* AtlasSprite::displayFrame() const {
    shownFrame_ = AtlasSpriteFrame::frameWithRect(rect_);
    return shownFrame_.get();
}

void AtlasSprite::addAnimation(base::Ref<AtlasAnimation> animation) {
    VERIFY_MSG(animation, "Argument must be non-nil");
    ensureAnimations()[animation->name()] = std::move(animation);
}

AtlasAnimation* AtlasSprite::animationByName(std::string const& name) const {
    if (!animations_)
        return nullptr;
    auto found = animations_->find(name);
    return found == animations_->end() ? nullptr : found->second.get();
}

std::map<std::string, base::Ref<AtlasAnimation>>& AtlasSprite::ensureAnimations() {
    if (!animations_)
        animations_ = std::make_unique<std::map<std::string, base::Ref<AtlasAnimation>>>();
    return *animations_;
}

// Transform

void AtlasSprite::setPosition(Point position) {
    SceneNode::setPosition(position);
    dirty_ = true;
}

void AtlasSprite::setRotation(float degrees) {
    SceneNode::setRotation(degrees);
    dirty_ = true;
}

void AtlasSprite::setScaleX(float scaleX) {
    SceneNode::setScaleX(scaleX);
    dirty_ = true;
}

void AtlasSprite::setScaleY(float scaleY) {
    SceneNode::setScaleY(scaleY);
    dirty_ = true;
}

void AtlasSprite::setScale(float scale) {
    SceneNode::setScale(scale);
    dirty_ = true;
}

void AtlasSprite::setVertexZ(float vertexZ) {
    SceneNode::setVertexZ(vertexZ);
    dirty_ = true;
}

void AtlasSprite::setAnchorPoint(Point anchorPoint) {
    SceneNode::setAnchorPoint(anchorPoint);
    dirty_ = true;
}

void AtlasSprite::setVisible(bool visible) {
    SceneNode::setVisible(visible);
    dirty_ = true;
}

void AtlasSprite::setRelativeAnchorPoint(bool) {
}

SceneNode& AtlasSprite::addChild(base::Ref<SceneNode>, int, int) {
    VERIFY_MSG(false, "AtlasSprite can't have children");
    return *this;
}

}
