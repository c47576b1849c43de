#include <engine/AtlasSpriteManager.hpp>
#include <engine/Camera.hpp>
#include <engine/DrawScope.hpp>
#include <engine/GridBase.hpp>
#include <engine/TextureMgr.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>
#include <graphics/GLES.hpp>

#include <algorithm>
#include <string>

namespace engine {

base::Ref<AtlasSpriteManager> AtlasSpriteManager::spriteManagerWithFile(
    std::string const& file, std::size_t capacity) {
    return spriteManagerWithTexture(TextureMgr::sharedTextureMgr().addImage(file), capacity);
}

base::Ref<AtlasSpriteManager> AtlasSpriteManager::spriteManagerWithTexture(
    base::Ref<Texture2D> texture, std::size_t capacity) {
    return base::make<AtlasSpriteManager>(std::move(texture), capacity);
}

AtlasSpriteManager::AtlasSpriteManager(base::Ref<Texture2D> texture, std::size_t capacity)
    : Outline({255, 255, 255}, 0)
    , textureAtlas_(TextureAtlas::textureAtlasWithTexture(std::move(texture), capacity)) {
    updateBlendFunc();
}

AtlasSpriteManager::~AtlasSpriteManager() = default;

base::Ref<AtlasSprite> AtlasSpriteManager::createSpriteWithRect(Rect rect) {
    return AtlasSprite::spriteWithRect(rect, this);
}

AtlasSprite* AtlasSpriteManager::spriteAt(std::size_t position) const {
    return static_cast<AtlasSprite*>(children()[position].get());
}

TextureAtlas* AtlasSpriteManager::textureAtlas() const {
    // Main thread only: squeezing the empty places out changes nothing a caller sees.
    if (emptyChildSlots() > 0)
        const_cast<AtlasSpriteManager*>(this)->compactChildren();
    return textureAtlas_.get();
}

bool AtlasSpriteManager::holds(SceneNode const* child) const {
    auto const& slots = childSlots();
    std::size_t slot = child->slotInParent();
    return child->parent() == this && slot < slots.size() && slots[slot].get() == child;
}

void AtlasSpriteManager::renumber(
    std::size_t first, std::size_t last, std::ptrdiff_t expectedShift) {
    for (std::size_t position = first; position <= last && position < children().size();
         ++position) {
        AtlasSprite* sprite = spriteAt(position);
        if (expectedShift != 0) {
            VERIFY_MSG(sprite->atlasIndex() == position + expectedShift,
                "AtlasSpriteManager: index failed");
        }
        sprite->setIndex(position);
    }
}

SceneNode& AtlasSpriteManager::addChild(base::Ref<SceneNode> child, int z, int tag) {
    VERIFY_MSG(child, "Argument must be non-nil");
    auto* sprite = dynamic_cast<AtlasSprite*>(child.get());
    VERIFY_MSG(sprite, "AtlasSpriteManager only supports AtlasSprites as children");
    VERIFY_MSG(!child->parent(), "child already added. It can't be added again");
    if (sprite->textureAtlas() != textureAtlas_.get())
        sprite->setTextureAtlas(textureAtlas_.get());
    if (textureAtlas_->totalQuads() >= textureAtlas_->capacity()) {
        compactChildren();
        if (textureAtlas_->totalQuads() >= textureAtlas_->capacity() && !resizeAtlas()) {
            base::logLine("AtlasSpriteManager: the batch holds " + std::to_string(totalSprites_)
                + " sprites, as many as 16-bit indices reach; sprite not added");
            return *this;
        }
    }
    SceneNode::addChild(std::move(child), z, tag);
    std::size_t index = sprite->slotInParent();
    sprite->insertInAtlasAtIndex(index);
    ++totalSprites_;
    auto const& slots = childSlots();
    for (std::size_t slot = index + 1; slot < slots.size(); ++slot) {
        if (auto* later = static_cast<AtlasSprite*>(slots[slot].get())) {
            VERIFY_MSG(later->atlasIndex() + 1 == slot, "AtlasSpriteManager: index failed");
            later->setIndex(slot);
        }
    }
    return *this;
}

void AtlasSpriteManager::removeChild(SceneNode* child, Cleanup cleanup) {
    if (!child || !holds(child))
        return;
    auto* sprite = static_cast<AtlasSprite*>(child);
    base::Ref<SceneNode> keep(child);
    SceneNode::removeChild(child, cleanup);
    sprite->setIndex(AtlasSprite::notInAtlas);
    // The quad stays as the empty place's, unless the place was dropped from the end.
    textureAtlas_->removeQuadsFromIndex(childSlots().size());
    --totalSprites_;
}

void AtlasSpriteManager::willCompactChildren() {
    auto const& slots = childSlots();
    auto quads = textureAtlas_->quads();
    std::size_t next = 0;
    for (std::size_t slot = 0; slot < slots.size(); ++slot) {
        auto* sprite = static_cast<AtlasSprite*>(slots[slot].get());
        if (!sprite)
            continue;
        if (slot != next && slot < quads.size())
            quads[next] = quads[slot];
        sprite->setIndex(next);
        ++next;
    }
    textureAtlas_->removeQuadsFromIndex(next);
}

void AtlasSpriteManager::removeChildAtIndex(std::size_t index, Cleanup cleanup) {
    VERIFY_MSG(index < children().size(), "AtlasSpriteManager: index failed");
    removeChild(children()[index].get(), cleanup);
}

void AtlasSpriteManager::removeAllChildrenWithCleanup(Cleanup cleanup) {
    auto removed = children();
    SceneNode::removeAllChildrenWithCleanup(cleanup);
    for (auto const& child : removed)
        static_cast<AtlasSprite*>(child.get())->setIndex(AtlasSprite::notInAtlas);
    totalSprites_ = 0;
    textureAtlas_->removeAllQuads();
}

void AtlasSpriteManager::reorderChild(SceneNode* child, int z) {
    VERIFY_MSG(child, "Child must be non-nil");
    if (!holds(child))
        return;
    // Without empty places the quads move exactly as the children do.
    compactChildren();
    SceneNode::reorderChild(child, z);
    auto* sprite = static_cast<AtlasSprite*>(child);
    std::size_t now = child->slotInParent();
    std::size_t before = sprite->atlasIndex();
    if (now == before)
        return;
    textureAtlas_->insertQuadFromIndex(before, now);
    renumber(std::min(before, now), std::max(before, now), 0);
}

std::size_t AtlasSpriteManager::indexForNewChildAtZ(int z) const {
    auto const& list = children();
    auto found
        = std::find_if(list.begin(), list.end(), [z](auto const& c) { return c->zOrder() > z; });
    return static_cast<std::size_t>(found - list.begin());
}

bool AtlasSpriteManager::resizeAtlas() {
    std::size_t quantity = std::min(
        (textureAtlas_->totalQuads() * 4 + 4) / 3, std::size_t(TextureAtlas::maxCapacity));
    if (quantity <= textureAtlas_->capacity())
        return false;
    return textureAtlas_->resizeCapacity(quantity);
}

void AtlasSpriteManager::updateBlendFunc() {
    auto* sheet = textureAtlas_->texture();
    if (!sheet || !sheet->hasPremultipliedAlpha())
        blendFunc_ = straightAlphaBlendFunc;
}

void AtlasSpriteManager::setTexture(base::Ref<Texture2D> texture) {
    textureAtlas_->setTexture(std::move(texture));
    updateBlendFunc();
}

void AtlasSpriteManager::setTextureAtlas(base::Ref<TextureAtlas> atlas) {
    VERIFY_MSG(atlas, "Argument must be non-nil");
    textureAtlas_ = std::move(atlas);
    for (auto const& child : children())
        static_cast<AtlasSprite*>(child.get())->setTextureAtlas(textureAtlas_.get());
}

void AtlasSpriteManager::visit() {
    if (!visible())
        return;
    base::Ref<SceneNode> self(this);
    graphics::DrawState::Run run;
    glPushMatrix();
    bool gridActive = grid() && grid()->active();
    if (gridActive) {
        graphics::DrawState::restoreDefaults();
        grid()->beforeDraw();
        transformAncestors();
    }
    transform();
    draw();
    if (gridActive && grid()) {
        graphics::DrawState::restoreDefaults();
        grid()->afterDraw(camera());
    }
    glPopMatrix();
}

void AtlasSpriteManager::draw() {
    for (auto const& child : children()) {
        auto* sprite = static_cast<AtlasSprite*>(child.get());
        if (sprite->dirty())
            sprite->updatePosition();
    }
    if (totalSprites_ == 0)
        return;
    TexturedDrawScope scope(TexturedDrawScope::Colours::PerVertex);

    if (stroke() && textureAtlas_->totalQuads() > 0) {
        glBlendFunc(defaultBlendFunc.src, defaultBlendFunc.dst);
        V3F_C4B_T2F_Quad& first = textureAtlas_->quads()[0];
        V3F_C4B_T2F_Quad const saved = first;
        Color3B outline = strokeColor();
        for (auto* corner : {&first.tl, &first.bl, &first.tr, &first.br}) {
            corner->colors.r = outline.r;
            corner->colors.g = outline.g;
            corner->colors.b = outline.b;
        }
        for (auto const& offset : Outline::offsets) {
            float dx = offset[0] * strokeSize(), dy = offset[1] * strokeSize();
            first.tl.vertices
                = {saved.tl.vertices.x + dx, saved.tl.vertices.y + dy, saved.tl.vertices.z};
            first.bl.vertices
                = {saved.bl.vertices.x + dx, saved.bl.vertices.y + dy, saved.bl.vertices.z};
            first.tr.vertices
                = {saved.tr.vertices.x + dx, saved.tr.vertices.y + dy, saved.tr.vertices.z};
            first.br.vertices
                = {saved.br.vertices.x + dx, saved.br.vertices.y + dy, saved.br.vertices.z};
            textureAtlas_->drawNumberOfQuads(totalSprites_);
        }
        first = saved;
    }

    BlendScope blend(blendFunc_);
    textureAtlas_->drawNumberOfQuads(totalSprites_);
}

}
