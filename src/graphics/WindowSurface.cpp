#include <graphics/WindowSurface.hpp>
#include <graphics/XTestPointer.hpp>

#include <base/Log.hpp>
#include <foundation/Clock.hpp>

#include <SDL2/SDL.h>

#include <cmath>

#if defined(__SANITIZE_ADDRESS__)
#define QUILLABY_ADDRESS_SANITIZER 1
#endif

namespace graphics {

namespace {

int powerOfTwoAtLeast(int value) {
    int result = 1;
    while (result < value)
        result *= 2;
    return result;
}

std::string sdlError(char const* what) {
    return std::string(what) + ": " + SDL_GetError();
}

}

base::Ref<WindowSurface> WindowSurface::create(SurfaceOptions const& options) {
    auto fail = [](std::string const& reason) {
        base::logLine("Cannot open an OpenGL ES 1.1 window: " + reason);
        return nullptr;
    };
    auto surface = base::make<WindowSurface>(Passkey {}, options);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(sdlError("no video"));
    surface->videoStarted_ = true;

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    surface->window_ = SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED,
        SDL_WINDOWPOS_CENTERED, surface->pixelWidth(), surface->pixelHeight(), SDL_WINDOW_OPENGL);
    if (!surface->window_)
        return fail(sdlError("no window"));

    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    surface->presenter_ = SDL_GL_CreateContext(surface->window_);
    if (!surface->presenter_)
        return fail(sdlError("no context"));
    // The frame loop paces itself; waiting for the screen here would halve its rate whenever
    // the two drift apart.
    SDL_GL_SetSwapInterval(0);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    surface->engine_ = SDL_GL_CreateContext(surface->window_);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (!surface->engine_)
        return fail(sdlError("no second context sharing the first"));
    gles::loadExtensions(SDL_GL_GetProcAddress);
    if (!gles::hasEntryPoint("glBindFramebufferOES")
        || !gles::hasExtension("GL_OES_framebuffer_object"))
        return fail("the driver has no framebuffer objects");
#ifdef QUILLABY_ADDRESS_SANITIZER
    // Closing the last window unloads the GL library, terminating its display, and quitting
    // video unloads D-Bus; LeakSanitizer then cannot see those libraries' references to their
    // memory and reports it as leaked. Sanitizer builds hold one more use of both until exit,
    // taken once the library suited to the window is loaded.
    static bool const keptLoaded
        = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 && SDL_GL_LoadLibrary(nullptr) == 0;
    (void)keptLoaded;
#endif
    surface->attachContext();
    return surface;
}

WindowSurface::WindowSurface(Passkey, SurfaceOptions const& options)
    : Surface(options) {
}

WindowSurface::~WindowSurface() {
    auto* previous = GLContext::currentContext();
    bool ownWasCurrent = isNativeCurrent();
    if (engine_ && (presentTexture_ || copyFramebuffer_)
        && SDL_GL_MakeCurrent(window_, engine_) == 0) {
        glDeleteTextures(1, &presentTexture_);
        glDeleteFramebuffersOES(1, &copyFramebuffer_);
    }
    detachContext();
    if (window_)
        SDL_GL_MakeCurrent(window_, nullptr);
    if (engine_)
        SDL_GL_DeleteContext(engine_);
    if (presenter_)
        SDL_GL_DeleteContext(presenter_);
    if (window_)
        SDL_DestroyWindow(window_);
    if (videoStarted_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (previous && !ownWasCurrent)
        GLContext::setCurrentContext(previous);
}

bool WindowSurface::makeNativeCurrent() {
    return SDL_GL_MakeCurrent(window_, engine_) == 0;
}

bool WindowSurface::clearNativeCurrent() {
    return SDL_GL_MakeCurrent(window_, nullptr) == 0;
}

bool WindowSurface::isNativeCurrent() const {
    return engine_ && SDL_GL_GetCurrentContext() == engine_;
}

bool WindowSurface::presentNative(GLuint renderbuffer) {
    if (!copyToPresentTexture(renderbuffer))
        return false;
    if (SDL_GL_MakeCurrent(window_, presenter_) != 0) {
        base::logLine(sdlError("presentRenderbuffer: the window's context cannot be made current"));
        return false;
    }
    drawPresentTexture();
    SDL_GL_SwapWindow(window_);
    if (SDL_GL_MakeCurrent(window_, engine_) != 0) {
        base::logLine(
            sdlError("presentRenderbuffer: the engine's context cannot be made current again"));
        return false;
    }
    return true;
}

// In the engine's context: the renderbuffer, attached to a framebuffer of our own, is copied
// into the shared texture; every binding touched is put back.
bool WindowSurface::copyToPresentTexture(GLuint renderbuffer) {
    GLint oldFramebuffer = 0;
    GLint oldActiveTexture = GL_TEXTURE0;
    GLint oldTexture = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFramebuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &oldActiveTexture);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &oldTexture);
    gles::takeError();

    if (!presentTexture_) {
        textureWidth_ = powerOfTwoAtLeast(pixelWidth());
        textureHeight_ = powerOfTwoAtLeast(pixelHeight());
        glGenTextures(1, &presentTexture_);
        glBindTexture(GL_TEXTURE_2D, presentTexture_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        // RGB: a copy may drop channels but not add them, and RGB565 drawables have no alpha.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, textureWidth_, textureHeight_, 0, GL_RGB,
            GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffersOES(1, &copyFramebuffer_);
    } else {
        glBindTexture(GL_TEXTURE_2D, presentTexture_);
    }
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, copyFramebuffer_);
    glFramebufferRenderbufferOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, renderbuffer);
    GLenum status = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES);
    if (status == GL_FRAMEBUFFER_COMPLETE_OES)
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, pixelWidth(), pixelHeight());

    glBindTexture(GL_TEXTURE_2D, GLuint(oldTexture));
    glActiveTexture(GLenum(oldActiveTexture));
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFramebuffer));
    // The other context reads the texture next; the copy must have reached it.
    glFlush();
    if (gles::checkError("presentRenderbuffer") != GL_NO_ERROR)
        return false;
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        base::logLine("presentRenderbuffer: the renderbuffer cannot be read (status "
            + gles::errorName(status) + ")");
        return false;
    }
    return true;
}

// In the private context, whose state is ours alone: one textured quad over the whole window.
void WindowSurface::drawPresentTexture() {
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, presentTexture_);
    GLfloat s = GLfloat(pixelWidth()) / GLfloat(textureWidth_);
    GLfloat t = GLfloat(pixelHeight()) / GLfloat(textureHeight_);
    GLfloat const vertices[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    GLfloat const coordinates[] = {0, 0, s, 0, 0, t, s, t};
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glTexCoordPointer(2, GL_FLOAT, 0, coordinates);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    gles::checkError("presenting to the window");
}

void WindowSurface::pollNative(std::vector<Event>& events) {
    // SDL stamps events in milliseconds of its own; they are moved onto the program's clock.
    double now = foundation::Clock::current().monotonic();
    auto ticks = SDL_GetTicks();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        double age
            = event.common.timestamp <= ticks ? double(ticks - event.common.timestamp) / 1000 : 0;
        if (auto translated = translator().translate(event, now - age))
            events.push_back(std::move(*translated));
    }
}

bool WindowSurface::playNativePointer(PointerEvent::Phase phase, float x, float y) {
    return playXTestPointer(
        window_, phase, int(std::lround(x * scale())), int(std::lround(y * scale())));
}

}
