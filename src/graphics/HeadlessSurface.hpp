#pragma once

#include <graphics/Surface.hpp>

namespace graphics {

// A surface with nothing on the screen: an OpenGL ES 1.1 context on Mesa's surfaceless EGL
// platform, which needs no display and no environment. The context has no default framebuffer;
// everything is drawn into framebuffer objects, whose colour renderbuffer takes its storage from
// this surface. Presenting only counts frames. Main thread.
class HeadlessSurface final : public Surface {
public:
    // Use Surface::createHeadless, which checks the options first.
    static base::Ref<HeadlessSurface> create(SurfaceOptions const& options);
    ~HeadlessSurface() override;

    SurfaceKind kind() const override { return SurfaceKind::Headless; }

private:
    struct Passkey { };

private:
    bool makeNativeCurrent() override;
    bool clearNativeCurrent() override;
    bool isNativeCurrent() const override;
    bool presentNative(GLuint renderbuffer) override;
    void pollNative(std::vector<Event>&) override { }

    void* display_ {nullptr};
    void* eglContext_ {nullptr};

    friend base::Factory;

    HeadlessSurface(Passkey, SurfaceOptions const& options);
};

}
