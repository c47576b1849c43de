#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Event.hpp>
#include <graphics/GLContext.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Image.hpp>
#include <graphics/InputTranslator.hpp>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace graphics {

enum class SurfaceKind { Headless, Window };

// The colour format of the drawable: what storage renderbufferStorage gives.
enum class ColorFormat { RGB565, RGBA8 };

struct SurfaceOptions {
    int widthPoints {480};
    int heightPoints {320};
    // Pixels per point: the window (or off-screen buffer) is the points times this, rounded.
    float scale {1};
    std::string title {"Quillaby"};
};

// What the game is drawn on: an OpenGL ES 1.1 context and a drawable of a fixed size, either a
// window on the screen (SDL2) or nothing visible at all (EGL without a surface, the drawing going
// into framebuffer objects). Both kinds offer the same operations, so the engine and the shell
// run the same code headless. Also the source of input: the window's mouse and keys, and events
// injected by scripts and tests. Made, used and released on the main thread.
class Surface : public base::Object {
public:
    // Headless when asked, or when there is no display to open a window on (neither DISPLAY nor
    // WAYLAND_DISPLAY set).
    static SurfaceKind chooseSurface(bool headlessRequested);

    // A surface of that kind, its context current; nullptr and a logged line when the window
    // system or the driver cannot make one.
    static base::Ref<Surface> create(SurfaceKind kind, SurfaceOptions const& options = {});
    static base::Ref<Surface> createHeadless(SurfaceOptions const& options = {});
    static base::Ref<Surface> createWindow(SurfaceOptions const& options = {});

    ~Surface() override;

    virtual SurfaceKind kind() const = 0;
    GLContext& context() const { return *context_; }

    int widthPoints() const { return options_.widthPoints; }
    int heightPoints() const { return options_.heightPoints; }
    float scale() const { return options_.scale; }
    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }

    ColorFormat drawableFormat() const { return drawableFormat_; }
    void setDrawableFormat(ColorFormat format) { drawableFormat_ = format; }
    // The renderbuffer last given storage from this surface; 0 before any.
    GLuint drawableRenderbuffer() const { return drawableRenderbuffer_; }

    // Presents the bound renderbuffer: context().presentRenderbuffer(GL_RENDERBUFFER_OES).
    bool present();
    std::uint64_t presentedFrames() const { return presentedFrames_; }

    // The framebuffer bound in the current context (which must be this surface's), the whole
    // surface size, as an RGBA image with rows from the top. Alpha is as stored (AlphaInfo::Last)
    // when the framebuffer has alpha bits, else NoneSkipLast. std::nullopt and a logged line when
    // the context is not current or the framebuffer is incomplete.
    std::optional<Image> readPixels() const;
    // A rectangle of it, (x, y) counted in pixels from the bottom-left as GL counts.
    std::optional<Image> readPixels(int x, int y, int width, int height) const;

    // The events that arrived since the last call, oldest first: injected ones, then the
    // window's.
    std::vector<Event> pollEvents();
    // Queues an event as it is, for the next pollEvents.
    void pushEvent(Event event);
    // Queues a pointer event in points from the top-left, through the same press state and tap
    // counting as the mouse; dropped when it does not fit (see InputTranslator).
    void injectPointer(PointerEvent::Phase phase, float x, float y, double timestamp);
    // Plays a pointer event in points from the top-left as the user's own mouse would: a window
    // on an X server with the XTest extension moves the real pointer there and presses or
    // releases its first button, and the events come back through pollEvents as the mouse's;
    // anywhere else it is injectPointer. Answers whether the window system took it.
    bool playPointer(PointerEvent::Phase phase, float x, float y, double timestamp);

protected:
    explicit Surface(SurfaceOptions const& options);

    // For the kinds: context_ is made once the native context exists, and released (no longer
    // current) before it goes.
    void attachContext();
    void detachContext();
    InputTranslator& translator() { return translator_; }

private:
    friend class GLContext;

    virtual bool makeNativeCurrent() = 0;
    virtual bool clearNativeCurrent() = 0;
    virtual bool isNativeCurrent() const = 0;
    virtual bool presentNative(GLuint renderbuffer) = 0;
    virtual void pollNative(std::vector<Event>& events) = 0;
    // The window system's own pointer moved and pressed for playPointer; false where there is
    // none to drive.
    virtual bool playNativePointer(PointerEvent::Phase, float, float) { return false; }

    SurfaceOptions options_;
    int pixelWidth_;
    int pixelHeight_;
    ColorFormat drawableFormat_ {ColorFormat::RGBA8};
    GLuint drawableRenderbuffer_ {0};
    std::uint64_t presentedFrames_ {0};
    std::unique_ptr<GLContext> context_;
    std::deque<Event> queued_;
    InputTranslator translator_;

    friend base::Factory;
};

}
