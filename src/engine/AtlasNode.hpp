#pragma once

#include <engine/BlendFunc.hpp>
#include <engine/Color.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>
#include <engine/TextureAtlas.hpp>
#include <engine/TextureProtocol.hpp>

#include <cstdint>
#include <string>

namespace engine {

// A node over a texture atlas of equal tiles cut from one image: the base of the
// character-map label and the tile-map atlas. Subclasses fill the atlas's quads
// in updateAtlasValues; draw draws them all in the node's colour and opacity.
// Main thread; drawing needs the GL context.
class AtlasNode : public SceneNode, public RGBAProtocol, public TextureProtocol {
public:
    static base::Ref<AtlasNode> atlasWithTileFile(
        std::string const& tile, int tileWidth, int tileHeight, int itemsToRender);

    // Items per row and column from the texture's content size and the item size.
    void calculateMaxItems();
    // The texture-coordinate size of one item.
    void calculateTexCoordsSteps();
    // Raises "AtlasNode:Abstract": subclasses fill the quads.
    virtual void updateAtlasValues();

    void draw() override;
    bool drawsThroughDrawState() const override { return true; }

    Color3B color() const override { return color_; }
    void setColor(Color3B color) override { color_ = color; }
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    void setOpacityModifyRGB(bool modify) override { opacityModifyRGB_ = modify; }
    bool doesOpacityModifyRGB() const override { return opacityModifyRGB_; }

    Texture2D* texture() const override { return textureAtlas_->texture(); }
    // Re-derives the blend function and whether opacity modifies the colour.
    void setTexture(base::Ref<Texture2D> texture) override;
    BlendFunc blendFunc() const override { return blendFunc_; }
    void setBlendFunc(BlendFunc blendFunc) override { blendFunc_ = blendFunc; }
    TextureAtlas* textureAtlas() const { return textureAtlas_.get(); }
    void setTextureAtlas(base::Ref<TextureAtlas> atlas);

    int itemsPerRow() const { return itemsPerRow_; }
    int itemsPerColumn() const { return itemsPerColumn_; }
    float texStepX() const { return texStepX_; }
    float texStepY() const { return texStepY_; }
    int itemWidth() const { return itemWidth_; }
    int itemHeight() const { return itemHeight_; }

protected:
    ~AtlasNode() override;

    base::Ref<TextureAtlas> textureAtlas_;
    int itemsPerRow_ {0};
    int itemsPerColumn_ {0};
    float texStepX_ {0};
    float texStepY_ {0};
    int itemWidth_ {0};
    int itemHeight_ {0};

private:
    void updateFromTexture();

    BlendFunc blendFunc_ {defaultBlendFunc};
    std::uint8_t opacity_ {255};
    Color3B color_ {255, 255, 255};
    bool opacityModifyRGB_ {false};

protected:
    friend base::Factory;

    // The tiles' image through the texture cache; an image that does not load
    // leaves a node with no texture, no items, that draws nothing.
    AtlasNode(std::string const& tile, int tileWidth, int tileHeight, int itemsToRender);
};

}
