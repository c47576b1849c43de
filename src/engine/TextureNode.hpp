#pragma once

#include <engine/BlendFunc.hpp>
#include <engine/Color.hpp>
#include <engine/Outline.hpp>
#include <engine/RGBAProtocol.hpp>
#include <engine/SceneNode.hpp>
#include <engine/Texture2D.hpp>
#include <engine/TextureProtocol.hpp>

#include <cstdint>

namespace engine {

// A node that draws one texture with a colour, an opacity, a blend function and
// an optional outline; sprites and labels derive from it. The content size is
// the texture's. A texture without premultiplied alpha switches the blend
// function to (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); one with it makes opacity
// changes set the colour too, so a tint is lost when such a node fades.
//
// The outline is drawn first: the outline texture (labels set one) in the
// outline colour, or else eight copies of the texture at plus and minus the
// outline size, in the outline colour at a quarter of the opacity, blended
// additively. Main thread; drawing needs the GL context.
class TextureNode : public SceneNode, public RGBAProtocol, public TextureProtocol, public Outline {
public:
    static base::Ref<TextureNode> node();

    Texture2D* texture() const override { return texture_.get(); }
    void setTexture(base::Ref<Texture2D> texture) override;
    Texture2D* outlineTexture() const { return outlineTexture_.get(); }
    void setOutlineTexture(base::Ref<Texture2D> texture) { outlineTexture_ = std::move(texture); }

    Color3B color() const override { return color_; }
    void setColor(Color3B color) override { color_ = color; }
    void setRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) { setColor({r, g, b}); }
    std::uint8_t opacity() const override { return opacity_; }
    void setOpacity(std::uint8_t opacity) override;
    void setOpacityModifyRGB(bool modify) override { opacityModifyRGB_ = modify; }
    bool doesOpacityModifyRGB() const override { return opacityModifyRGB_; }

    BlendFunc blendFunc() const override { return blendFunc_; }
    void setBlendFunc(BlendFunc blendFunc) override { blendFunc_ = blendFunc; }

    // Draws nothing without a texture.
    void draw() override;
    bool drawsThroughDrawState() const override { return true; }

protected:
    ~TextureNode() override;

private:
    base::Ref<Texture2D> texture_;
    base::Ref<Texture2D> outlineTexture_;
    BlendFunc blendFunc_ {defaultBlendFunc};
    std::uint8_t opacity_ {255};
    Color3B color_ {255, 255, 255};
    bool opacityModifyRGB_ {false};

protected:
    friend base::Factory;

    TextureNode();
};

}
