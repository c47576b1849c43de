#include <graphics/HeadlessSurface.hpp>

#include <base/Log.hpp>

#define EGL_NO_X11 1
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLABY_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLABY_ADDRESS_SANITIZER 1
#endif
#endif

namespace graphics {

namespace {

std::string eglErrorText(char const* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", unsigned(eglGetError()));
    return std::string(what) + " (EGL error " + code + ")";
}

// The surfaceless display is one per process; it stays initialised while a headless surface
// uses it. Terminating it unloads the driver, after which LeakSanitizer cannot walk the
// driver's memory and reports it as leaked: sanitizer builds leave the display initialised
// until exit.
class SurfacelessDisplay {
public:
    static EGLDisplay acquire(std::string& reason) {
        std::lock_guard lock(mutex_);
        if (users_ == 0) {
            auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
                eglGetProcAddress("eglGetPlatformDisplayEXT"));
            if (!getPlatformDisplay) {
                reason = "EGL has no eglGetPlatformDisplayEXT";
                return EGL_NO_DISPLAY;
            }
            display_
                = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
            if (display_ == EGL_NO_DISPLAY) {
                reason = eglErrorText("no surfaceless EGL display");
                return EGL_NO_DISPLAY;
            }
            if (!eglInitialize(display_, nullptr, nullptr)) {
                reason = eglErrorText("the surfaceless EGL display does not initialise");
                return EGL_NO_DISPLAY;
            }
        }
        ++users_;
        return display_;
    }

    static void release() {
        std::lock_guard lock(mutex_);
        if (--users_ > 0)
            return;
#ifndef QUILLABY_ADDRESS_SANITIZER
        eglTerminate(display_);
        eglReleaseThread();
#endif
    }

private:
    static inline std::mutex mutex_;
    static inline int users_ {0};
    static inline EGLDisplay display_ {EGL_NO_DISPLAY};
};

void* loadProc(char const* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}

}

base::Ref<HeadlessSurface> HeadlessSurface::create(SurfaceOptions const& options) {
    auto fail = [](std::string const& reason) {
        base::logLine("Cannot make a headless OpenGL ES 1.1 context: " + reason);
        return nullptr;
    };
    std::string reason;
    EGLDisplay display = SurfacelessDisplay::acquire(reason);
    if (display == EGL_NO_DISPLAY)
        return fail(reason);
    // From here the surface owns the display use and releases it in its destructor.
    auto surface = base::make<HeadlessSurface>(Passkey {}, options);
    surface->display_ = display;

    if (!eglBindAPI(EGL_OPENGL_ES_API))
        return fail(eglErrorText("OpenGL ES is not available"));
    // A surface type of 0 asks for no window, pixmap or buffer support: the display has no
    // config with the default window bit.
    EGLint const configAttributes[]
        = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1)
        return fail(eglErrorText("no OpenGL ES 1 configuration"));
    EGLint const contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    surface->eglContext_ = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (surface->eglContext_ == EGL_NO_CONTEXT)
        return fail(eglErrorText("the context was refused"));
    if (!surface->makeNativeCurrent())
        return fail(eglErrorText("the context cannot be made current without a surface"));
    gles::loadExtensions(loadProc);
    if (!gles::hasEntryPoint("glBindFramebufferOES")
        || !gles::hasExtension("GL_OES_framebuffer_object"))
        return fail("the driver has no framebuffer objects");
    surface->attachContext();
    return surface;
}

HeadlessSurface::HeadlessSurface(Passkey, SurfaceOptions const& options)
    : Surface(options) {
}

HeadlessSurface::~HeadlessSurface() {
    detachContext();
    if (eglContext_) {
        if (eglGetCurrentContext() == eglContext_)
            eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, eglContext_);
    }
    if (display_)
        SurfacelessDisplay::release();
}

bool HeadlessSurface::makeNativeCurrent() {
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, eglContext_) == EGL_TRUE;
}

bool HeadlessSurface::clearNativeCurrent() {
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) == EGL_TRUE;
}

bool HeadlessSurface::isNativeCurrent() const {
    return eglContext_ && eglGetCurrentContext() == eglContext_;
}

bool HeadlessSurface::presentNative(GLuint) {
    // The frame stays in its renderbuffer; flushing lets a reader on another context see it.
    glFlush();
    return true;
}

}
