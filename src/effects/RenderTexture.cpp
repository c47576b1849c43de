#include <effects/RenderTexture.hpp>

#include <base/Exception.hpp>
#include <base/Log.hpp>
#include <engine/Sprite.hpp>
#include <engine/Texture2D.hpp>
#include <foundation/AtomicFile.hpp>
#include <foundation/Sandbox.hpp>

#include <vector>

namespace effects {

base::Ref<RenderTexture> RenderTexture::renderTextureWithWidth(int width, int height) {
    return base::make<RenderTexture>(width, height);
}

RenderTexture::RenderTexture(int width, int height) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFBO_);
    unsigned side = 8;
    while (side < unsigned(width > 0 ? width : 0) || side < unsigned(height > 0 ? height : 0))
        side *= 2;
    std::vector<std::uint8_t> zeros(std::size_t(side) * side * 4, 0);
    texture_ = engine::Texture2D::initWithData(
        zeros, engine::Texture2DPixelFormat::RGBA8888, side, side, {float(width), float(height)});
    glGenFramebuffersOES(1, &fbo_);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, fbo_);
    glFramebufferTexture2DOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture_->name(), 0);
    GLenum status = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFBO_));
        glDeleteFramebuffersOES(1, &fbo_);
        fbo_ = 0;
        throw base::Exception("Render Texture", "Could not attach texture to framebuffer");
    }
    sprite_ = engine::Sprite::spriteWithTexture(texture_);
    sprite_->setScaleY(-1);
    SceneNode::addChild(sprite_);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFBO_));
}

RenderTexture::~RenderTexture() {
    removeAllChildrenWithCleanup(engine::Cleanup::Yes);
    if (fbo_)
        glDeleteFramebuffersOES(1, &fbo_);
}

void RenderTexture::begin() {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFBO_);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, fbo_);
    glDisable(GL_DITHER);
}

void RenderTexture::end() {
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFBO_));
}

void RenderTexture::clear(float r, float g, float b, float a) {
    begin();
    GLfloat previous[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
    end();
}

graphics::Image RenderTexture::getUIImageFromBuffer() {
    engine::Size size = texture_->contentSize();
    int width = int(size.width), height = int(size.height);
    if (width <= 0 || height <= 0)
        return {};
    std::vector<std::uint8_t> pixels(std::size_t(width) * std::size_t(height) * 4);
    begin();
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    end();
    // GL rows run from the bottom; the image's from the top.
    graphics::Image image(width, height, graphics::Image::Format::RGBA8,
        graphics::AlphaInfo::PremultipliedLast, std::move(pixels));
    image.flipVertically();
    return image;
}

bool RenderTexture::saveBuffer(std::string const& name, int format) {
    auto folders = foundation::Sandbox::searchPathForDirectoriesInDomains(
        foundation::Sandbox::Directory::Documents);
    if (folders.empty())
        return false;
    auto path = foundation::Sandbox::safeJoin(folders.front(), name);
    if (!path) {
        base::logLine("RenderTexture: refusing to save outside the documents folder: " + name);
        return false;
    }
    auto image = getUIImageFromBuffer();
    auto bytes = format == ImageFormatPNG ? image.encodePNG() : image.encodeJPEG(1.0f);
    if (!bytes)
        return false;
    return foundation::AtomicFile::write(*path, *bytes);
}

}
