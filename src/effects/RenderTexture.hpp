#pragma once

#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <engine/SceneNode.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Image.hpp>

#include <string>

namespace effects {

// The formats saveBuffer writes.
inline constexpr int ImageFormatJPG = 0;
inline constexpr int ImageFormatPNG = 1;

// A node that owns an off-screen framebuffer whose colour buffer is a texture: what is
// drawn between begin and end goes into the texture, which the node shows through a child
// sprite (flipped, because GL rows run bottom-up) and can save as an image. The texture is
// square, its side the smallest power of two of at least 8 that holds the requested size,
// RGBA8888, with the requested size as its content. begin leaves the viewport and the
// projection alone and dithering off. Main thread, with the engine's context current from
// making to release.
class RenderTexture : public engine::SceneNode {
public:
    // Raises "Render Texture" / "Could not attach texture to framebuffer" when GL refuses the
    // texture as a colour buffer.
    static base::Ref<RenderTexture> renderTextureWithWidth(int width, int height);

    void begin();
    void end();
    // Clears the texture to the colour; the colour mask is left with alpha off, so later
    // drawing keeps the cleared alpha. The clear colour in force before is put back.
    void clear(float r, float g, float b, float a);

    // Writes the texture's content as a JPEG (quality 1.0) or, with ImageFormatPNG, a PNG to
    // the documents folder under name, atomically. False (with a log line) when the name is
    // empty, absolute or would leave the folder, or when the write fails.
    bool saveBuffer(std::string const& name, int format = ImageFormatJPG);
    // The content, top row first.
    graphics::Image getUIImageFromBuffer();

    engine::Sprite* sprite() const { return sprite_.get(); }
    engine::Texture2D* texture() const { return texture_.get(); }
    GLuint fbo() const { return fbo_; }

protected:
    ~RenderTexture() override;

    friend base::Factory;

    RenderTexture(int width, int height);

private:
    GLuint fbo_ {0};
    GLint oldFBO_ {0};
    base::Ref<engine::Texture2D> texture_;
    base::Ref<engine::Sprite> sprite_;
};

}
