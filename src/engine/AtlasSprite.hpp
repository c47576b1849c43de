#pragma once

#include <base/WeakRef.hpp>
#include <engine/AtlasAnimation.hpp>
#include <engine/AtlasSpriteFrame.hpp>
#include <engine/Color.hpp>
#include <engine/Forward.hpp>
#include <engine/FrameSettable.hpp>
#include <engine/Quad.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>
#include <engine/TextureAtlas.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace engine {

// One rectangle of a sheet, drawn as one quad of its AtlasSpriteManager's
// texture atlas. Transform changes only mark the sprite dirty: the manager's next
// draw recomputes its quad. Rectangle, flip and colour changes are written to
// the atlas at once while the sprite is in it. It can hold named AtlasAnimations,
// shown through the frame protocol (a frame is an AtlasSpriteFrame).
//
// The sprite watches its atlas without keeping it alive; it is in the atlas from
// its manager's addChild to its removal. It has no children. Main thread.
class AtlasSprite : public SceneNode, public RGBAProtocol, public FrameSettable {
public:
    static constexpr std::size_t notInAtlas = std::size_t(-1);

    // A sprite on the manager's atlas, not yet added to it.
    static base::Ref<AtlasSprite> spriteWithRect(Rect rect, AtlasSpriteManager* manager);

    std::string description() const override;

    // The rectangle in texture pixels from the sheet's top-left; the content size
    // follows its size.
    void setTextureRect(Rect rect);
    Rect textureRect() const { return rect_; }
    bool flipX() const { return flipX_; }
    void setFlipX(bool flip);
    bool flipY() const { return flipY_; }
    void setFlipY(bool flip);

    Color3B color() const override { return color_; }
    void setColor(Color3B color) override;
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    void setOpacityModifyRGB(bool modify) override { opacityModifyRGB_ = modify; }
    bool doesOpacityModifyRGB() const override { return opacityModifyRGB_; }

    // Frames. A null frame shows an empty rectangle; frames of other kinds are
    // ignored.
    void setDisplayFrame(base::Object* frame) override;
    // Frame number index of the named animation; a missing animation or frame logs
    // "AtlasSprite#setDisplayFrame. Invalid frame" and shows an empty rectangle.
    void setDisplayFrame(std::string const& animationName, std::size_t index);
    // True when the frame's rectangle is the one shown.
    bool isFrameDisplayed(base::Object* frame) const override;
    // A new frame of the current rectangle, kept by the sprite until the next call.
    base::Object* displayFrame() const override;
    // Replaces an animation of the same name.
    void addAnimation(base::Ref<AtlasAnimation> animation);
    AtlasAnimation* animationByName(std::string const& name) const;
    std::map<std::string, base::Ref<AtlasAnimation>> const* animations() const {
        return animations_.get();
    }

    // For the manager.
    bool dirty() const { return dirty_; }
    V3F_C4B_T2F_Quad const& quad() const { return quad_; }
    std::size_t atlasIndex() const { return atlasIndex_; }
    void setIndex(std::size_t index) { atlasIndex_ = index; }
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    // Moves the sprite to another atlas, recomputing its texture coordinates.
    void setTextureAtlas(TextureAtlas* atlas);
    // Recomputes the corners' positions, writes the quad to the atlas and clears
    // dirty.
    void updatePosition();
    void updateTextureCoords();
    // Writes the quad to the atlas when the sprite is in it; marks it dirty
    // otherwise.
    void updateColor();
    void insertInAtlasAtIndex(std::size_t index);

    // Transform setters mark the sprite dirty.
    void setPosition(Point position) override;
    void setRotation(float degrees) override;
    void setScaleX(float scaleX) override;
    void setScaleY(float scaleY) override;
    void setScale(float scale) override;
    void setVertexZ(float vertexZ) override;
    void setAnchorPoint(Point anchorPoint) override;
    void setVisible(bool visible) override;
    // Ignored: the quad is placed from the anchor as it is.
    void setRelativeAnchorPoint(bool relative) override;

    // Refused: "AtlasSprite can't have children".
    SceneNode& addChild(base::Ref<SceneNode> child, int z, int tag) override;
    using SceneNode::addChild;

private:
    bool isInAtlas() const;
    void writeQuad();
    void setCornerColours();
    std::map<std::string, base::Ref<AtlasAnimation>>& ensureAnimations();

    base::WeakRef<TextureAtlas> textureAtlas_;
    std::size_t atlasIndex_ {notInAtlas};
    Rect rect_;
    V3F_C4B_T2F_Quad quad_ {};
    bool dirty_ {true};
    std::uint8_t opacity_ {255};
    Color3B color_ {255, 255, 255};
    bool opacityModifyRGB_ {false};
    std::unique_ptr<std::map<std::string, base::Ref<AtlasAnimation>>> animations_;
    bool flipX_ {false};
    bool flipY_ {false};
    mutable base::Ref<AtlasSpriteFrame> shownFrame_;

protected:
    friend base::Factory;

    // Use spriteWithRect.
    AtlasSprite(Rect rect, AtlasSpriteManager* manager);
};

}
