#include "HeadlessGL.hpp"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES/gl.h>

namespace test {

namespace {

bool create() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay)
        return false;
    EGLDisplay display
        = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return false;
    if (!eglBindAPI(EGL_OPENGL_ES_API))
        return false;
    EGLint const configAttributes[]
        = {EGL_RENDERABLE_TYPE, EGL_OPENGL_ES_BIT, EGL_SURFACE_TYPE, 0, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count == 0)
        return false;
    EGLint const contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return false;
    // Kept for the life of the program: terminating the display at exit upsets
    // the leak checker.
    return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
}

}

bool HeadlessGL::makeCurrent() {
    static bool const made = create();
    return made;
}

std::array<float, 16> HeadlessGL::modelView() {
    std::array<float, 16> m {};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

}
