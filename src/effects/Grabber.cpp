#include <effects/Grabber.hpp>

#include <base/Exception.hpp>
#include <base/Ref.hpp>
#include <engine/Texture2D.hpp>

namespace effects {

base::Ref<Grabber> Grabber::create() {
    return base::make<Grabber>();
}

Grabber::Grabber() {
    glGenFramebuffersOES(1, &fbo_);
}

Grabber::~Grabber() {
    if (fbo_)
        glDeleteFramebuffersOES(1, &fbo_);
}

void Grabber::grab(engine::Texture2D& texture) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFBO_);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, fbo_);
    glFramebufferTexture2DOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D, texture.name(), 0);
    GLenum status = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES);
    // The caller's framebuffer is bound again whether or not the attachment worked.
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFBO_));
    if (status != GL_FRAMEBUFFER_COMPLETE_OES)
        throw base::Exception("Frame Grabber", "Could not attach texture to framebuffer");
}

void Grabber::beforeRender(engine::Texture2D*) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFBO_);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, fbo_);
    // The clear colour is the director's for the next frame: it is put back.
    GLfloat clearColor[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
}

void Grabber::afterRender(engine::Texture2D*) {
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFBO_));
}

}
