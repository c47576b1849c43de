#include <engine/AtlasNode.hpp>
#include <engine/DrawScope.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>

#include <algorithm>
#include <graphics/GLES.hpp>

namespace engine {

base::Ref<AtlasNode> AtlasNode::atlasWithTileFile(
    std::string const& tile, int tileWidth, int tileHeight, int itemsToRender) {
    return base::make<AtlasNode>(tile, tileWidth, tileHeight, itemsToRender);
}

AtlasNode::AtlasNode(std::string const& tile, int tileWidth, int tileHeight, int itemsToRender)
    : textureAtlas_(TextureAtlas::textureAtlasWithFile(
        tile, static_cast<std::size_t>(std::max(itemsToRender, 0))))
    , itemWidth_(tileWidth)
    , itemHeight_(tileHeight) {
    updateFromTexture();
    calculateMaxItems();
    calculateTexCoordsSteps();
}

AtlasNode::~AtlasNode() = default;

void AtlasNode::updateFromTexture() {
    auto* tiles = texture();
    opacityModifyRGB_ = tiles && tiles->hasPremultipliedAlpha();
    blendFunc_ = opacityModifyRGB_ ? defaultBlendFunc : straightAlphaBlendFunc;
}

void AtlasNode::calculateMaxItems() {
    auto* tiles = texture();
    Size size = tiles ? tiles->contentSize() : Size {};
    itemsPerColumn_ = itemHeight_ > 0 ? static_cast<int>(size.height / float(itemHeight_)) : 0;
    itemsPerRow_ = itemWidth_ > 0 ? static_cast<int>(size.width / float(itemWidth_)) : 0;
}

void AtlasNode::calculateTexCoordsSteps() {
    auto* tiles = texture();
    if (!tiles || tiles->pixelsWide() == 0 || tiles->pixelsHigh() == 0) {
        texStepX_ = texStepY_ = 0;
        return;
    }
    texStepX_ = float(itemWidth_) / float(tiles->pixelsWide());
    texStepY_ = float(itemHeight_) / float(tiles->pixelsHigh());
}

void AtlasNode::updateAtlasValues() {
    throw base::Exception("AtlasNode:Abstract", "updateAtlasValue not overriden");
}

void AtlasNode::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_)
        color_ = {opacity, opacity, opacity};
}

void AtlasNode::setTexture(base::Ref<Texture2D> texture) {
    textureAtlas_->setTexture(std::move(texture));
    updateFromTexture();
}

void AtlasNode::setTextureAtlas(base::Ref<TextureAtlas> atlas) {
    VERIFY_MSG(atlas, "Argument must be non-nil");
    textureAtlas_ = std::move(atlas);
}

void AtlasNode::draw() {
    TexturedDrawScope scope(TexturedDrawScope::Colours::Constant);
    glColor4ub(color_.r, color_.g, color_.b, opacity_);
    BlendScope blend(blendFunc_);
    textureAtlas_->drawQuads();
}

}
