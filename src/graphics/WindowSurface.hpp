#pragma once

#include <graphics/Surface.hpp>

struct SDL_Window;

namespace graphics {

// A surface in an SDL2 window of the points times the scale in pixels, not resizable, with two
// OpenGL ES 1.1 contexts sharing their objects: the engine's (the surface's context) and a
// private one that puts frames on the screen. The engine draws into its framebuffer object as
// it would off-screen; presenting copies the drawable renderbuffer into a shared texture and
// the private context draws that texture over the window and swaps, so no state of the
// engine's context is disturbed. Mouse and keys arrive through pollEvents. One window per
// process; main thread.
class WindowSurface final : public Surface {
    struct Passkey { };

public:
    // Use Surface::createWindow, which checks the options first.
    static base::Ref<WindowSurface> create(SurfaceOptions const& options);
    ~WindowSurface() override;

    SurfaceKind kind() const override { return SurfaceKind::Window; }

private:
    bool makeNativeCurrent() override;
    bool clearNativeCurrent() override;
    bool isNativeCurrent() const override;
    bool presentNative(GLuint renderbuffer) override;
    void pollNative(std::vector<Event>& events) override;
    bool playNativePointer(PointerEvent::Phase phase, float x, float y) override;

    bool copyToPresentTexture(GLuint renderbuffer);
    void drawPresentTexture();

    bool videoStarted_ {false};
    SDL_Window* window_ {nullptr};
    void* presenter_ {nullptr};
    void* engine_ {nullptr};
    GLuint presentTexture_ {0};
    GLuint copyFramebuffer_ {0};
    int textureWidth_ {0};
    int textureHeight_ {0};

    friend base::Factory;

    WindowSurface(Passkey, SurfaceOptions const& options);
};

}
