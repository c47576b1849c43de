#pragma once

#include <engine/AtlasSprite.hpp>
#include <engine/BlendFunc.hpp>
#include <engine/Color.hpp>
#include <engine/Outline.hpp>
#include <engine/SceneNode.hpp>
#include <engine/TextureAtlas.hpp>
#include <engine/TextureProtocol.hpp>

#include <string>

namespace engine {

// Draws the AtlasSprites cut from one sheet in one batch: it owns a texture atlas
// over the sheet's texture and keeps its children (by z) and the atlas's quads in
// the same order, the child at position i having its quad at index i. Children
// are not visited one by one; draw rewrites the quads of dirty sprites and draws
// them all with one call. The atlas grows by a third when full, up to the 16384
// quads that 16-bit indices reach; a sprite past that is refused with a logged
// line and not added.
//
// A removed sprite leaves its place empty among the children and its quad in the
// atlas (see SceneNode::childSlots), so removal does not move every later quad;
// both are squeezed together before the next draw.
//
// With the outline on, the first sprite is drawn eight more times first, moved
// by the outline size around its place and recoloured in the outline colour;
// the outline serves managers that hold one sprite, as the characters' do.
// Main thread; drawing needs the GL context.
class AtlasSpriteManager : public SceneNode, public TextureProtocol, public Outline {
public:
    static constexpr std::size_t defaultCapacity = 29;

    // The sheet through the texture cache.
    static base::Ref<AtlasSpriteManager> spriteManagerWithFile(
        std::string const& file, std::size_t capacity = defaultCapacity);
    static base::Ref<AtlasSpriteManager> spriteManagerWithTexture(
        base::Ref<Texture2D> texture, std::size_t capacity = defaultCapacity);

    // A new sprite on this manager, not added.
    base::Ref<AtlasSprite> createSpriteWithRect(Rect rect);

    // Only AtlasSprites (asserted: "AtlasSpriteManager only supports AtlasSprites
    // as children"). A sprite made by another manager moves to this atlas.
    SceneNode& addChild(base::Ref<SceneNode> child, int z, int tag) override;
    using SceneNode::addChild;
    // A removed sprite is out of the atlas: its later changes write nowhere.
    void removeChild(SceneNode* child, Cleanup cleanup) override;
    void removeChildAtIndex(std::size_t index, Cleanup cleanup);
    void removeAllChildrenWithCleanup(Cleanup cleanup) override;
    void reorderChild(SceneNode* child, int z) override;

    void visit() override;
    void draw() override;

    // The position of the first child with a greater z, or the number of children.
    std::size_t indexForNewChildAtZ(int z) const;
    // Grows the atlas to (quads x 4 + 4) / 3 (29, 40, 54, 73...), at most to
    // TextureAtlas::maxCapacity; false when it cannot grow.
    bool resizeAtlas();
    // The default blend, or (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA) for a texture
    // without premultiplied alpha.
    void updateBlendFunc();

    std::size_t totalSprites() const { return totalSprites_; }
    Texture2D* texture() const override { return textureAtlas_->texture(); }
    void setTexture(base::Ref<Texture2D> texture) override;
    // The atlas with the quads of removed sprites squeezed out, so that its quads
    // are exactly the children's.
    TextureAtlas* textureAtlas() const;
    // The children move to the new atlas with their indices.
    void setTextureAtlas(base::Ref<TextureAtlas> atlas);
    BlendFunc blendFunc() const override { return blendFunc_; }
    void setBlendFunc(BlendFunc blendFunc) override { blendFunc_ = blendFunc; }

protected:
    ~AtlasSpriteManager() override;

    void willCompactChildren() override;

private:
    friend class AtlasSprite;

    AtlasSprite* spriteAt(std::size_t position) const;
    bool holds(SceneNode const* child) const;
    // Children from first to last (inclusive) get their positions as indices.
    void renumber(std::size_t first, std::size_t last, std::ptrdiff_t expectedShift);

    std::size_t totalSprites_ {0};
    base::Ref<TextureAtlas> textureAtlas_;
    BlendFunc blendFunc_ {defaultBlendFunc};

protected:
    friend base::Factory;

    // Use the factories.
    AtlasSpriteManager(base::Ref<Texture2D> texture, std::size_t capacity);
};

}
