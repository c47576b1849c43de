#include <graphics/GLContext.hpp>
#include <graphics/Surface.hpp>

#include <base/Log.hpp>

namespace graphics {

namespace {

thread_local GLContext* tracked = nullptr;

}

GLContext::GLContext(Surface& surface)
    : surface_(surface) {
}

GLContext::~GLContext() {
    if (tracked == this)
        tracked = nullptr;
}

bool GLContext::setCurrentContext(GLContext* context) {
    if (!context) {
        if (tracked && !tracked->surface_.clearNativeCurrent())
            return false;
        tracked = nullptr;
        return true;
    }
    if (!context->surface_.makeNativeCurrent())
        return false;
    tracked = context;
    return true;
}

GLContext* GLContext::currentContext() {
    // Someone may have switched contexts behind our back; trust the window system.
    if (tracked && !tracked->surface_.isNativeCurrent())
        tracked = nullptr;
    return tracked;
}

bool GLContext::isCurrent() const {
    return currentContext() == this;
}

bool GLContext::renderbufferStorage(GLenum target, Surface& drawable) {
    if (&drawable != &surface_) {
        base::logLine("renderbufferStorage: a context takes storage only from its own surface");
        return false;
    }
    if (target != GL_RENDERBUFFER_OES || !isCurrent()) {
        base::logLine("renderbufferStorage: needs GL_RENDERBUFFER_OES and the context current");
        return false;
    }
    GLint bound = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    if (bound == 0) {
        base::logLine("renderbufferStorage: no renderbuffer is bound");
        return false;
    }
    gles::takeError();
    GLenum format = surface_.drawableFormat() == ColorFormat::RGB565 ? GL_RGB565_OES : GL_RGBA8_OES;
    glRenderbufferStorageOES(target, format, surface_.pixelWidth(), surface_.pixelHeight());
    if (gles::checkError("renderbufferStorage") != GL_NO_ERROR)
        return false;
    surface_.drawableRenderbuffer_ = GLuint(bound);
    return true;
}

bool GLContext::presentRenderbuffer(GLenum target) {
    if (target != GL_RENDERBUFFER_OES || !isCurrent()) {
        base::logLine("presentRenderbuffer: needs GL_RENDERBUFFER_OES and the context current");
        return false;
    }
    GLint bound = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &bound);
    if (bound == 0 || GLuint(bound) != surface_.drawableRenderbuffer_) {
        base::logLine(
            "presentRenderbuffer: the bound renderbuffer has no storage from the surface");
        return false;
    }
    if (!surface_.presentNative(GLuint(bound)))
        return false;
    ++surface_.presentedFrames_;
    return true;
}

}
