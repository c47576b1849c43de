#include <engine/DrawScope.hpp>
#include <engine/TextureNode.hpp>

#include <graphics/GLES.hpp>

namespace engine {

base::Ref<TextureNode> TextureNode::node() {
    return base::make<TextureNode>();
}

TextureNode::TextureNode()
    : Outline({0, 0, 0}, 1.0f) {
    setAnchorPoint({0.5f, 0.5f});
}

TextureNode::~TextureNode() = default;

void TextureNode::setTexture(base::Ref<Texture2D> texture) {
    texture_ = std::move(texture);
    setContentSize(texture_ ? texture_->contentSize() : Size {});
    bool premultiplied = texture_ && texture_->hasPremultipliedAlpha();
    if (!premultiplied)
        blendFunc_ = straightAlphaBlendFunc;
    opacityModifyRGB_ = premultiplied;
}

void TextureNode::setOpacity(std::uint8_t opacity) {
    opacity_ = opacity;
    if (opacityModifyRGB_)
        color_ = {opacity, opacity, opacity};
}

void TextureNode::draw() {
    if (!texture_)
        return;
    TexturedDrawScope scope(TexturedDrawScope::Colours::Constant);
    BlendScope blend(blendFunc_);

    if (stroke()) {
        Color3B outline = strokeColor();
        float size = strokeSize();
        glColor4ub(outline.r, outline.g, outline.b, opacity_);
        if (outlineTexture_) {
            outlineTexture_->drawAtPoint({0, 0});
        } else {
            glColor4ub(outline.r, outline.g, outline.b, static_cast<GLubyte>(opacity_ >> 2));
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            for (auto const& offset : Outline::offsets)
                texture_->drawAtPoint({offset[0] * size, offset[1] * size});
        }
    }

    // Set again whether or not the outline changed it.
    glBlendFunc(blendFunc_.src, blendFunc_.dst);
    glColor4ub(color_.r, color_.g, color_.b, opacity_);
    texture_->drawAtPoint({0, 0});
}

}
