#pragma once

#include <base/Ref.hpp>
#include <engine/Forward.hpp>
#include <engine/Geometry.hpp>
#include <engine/TouchDelegate.hpp>
#include <foundation/Timer.hpp>
#include <graphics/GLES.hpp>
#include <graphics/Surface.hpp>
#include <ui/View.hpp>

#include <memory>

namespace engine {

// Told after every creation of the view's buffers (at init and after each resize).
class EAGLViewDelegate {
public:
    virtual ~EAGLViewDelegate() = default;

    virtual void didResizeEAGLSurfaceForView(EAGLView* view) = 0;
};

// The view the whole game is drawn into: an OpenGL ES 1.1 context and a framebuffer made of a
// colour renderbuffer, whose storage comes from the view's drawable, and an optional depth
// renderbuffer. It presents finished frames, rebuilds its buffers when its size changes (with
// automatic resizing on), and hands the touches it receives to its touch delegate. The
// director makes it and keeps it for the life of the process; the host view retains it while
// it is attached. Main thread only.
//
// The drawable (the platform's drawable layer) is a graphics::Surface: the screen's, when the
// program's runner installed one and no other view has it, else an off-screen surface of the
// view's own size. The context is that surface's. The layer's size in pixels is the view's
// bounds times the surface's scale, so buffers and bounds agree at any window scale.
//
// Diagnostics (GL errors, incomplete framebuffers, failed context switches and presentations,
// resizes) are printed to standard output and drawing carries on.
class EAGLView : public ui::View {
    struct Passkey { };

public:
    // RGB565, no depth buffer, no retained backing.
    static base::Ref<EAGLView> initWithFrame(Rect frame);
    // The colour format, no depth buffer, no retained backing.
    static base::Ref<EAGLView> initWithFrame(Rect frame, graphics::ColorFormat format);
    // depthFormat is GL_DEPTH_COMPONENT16_OES, GL_DEPTH_COMPONENT24_OES or 0 for none. Null
    // when the context or the buffers cannot be made.
    static base::Ref<EAGLView> initWithFrame(
        Rect frame, graphics::ColorFormat format, GLenum depthFormat, bool preserveBackbuffer);

    ~EAGLView() override;

    // Makes the framebuffer and its renderbuffers in the view's context (made current) and
    // tells the delegate. False when the context cannot be made current or the drawable
    // refuses storage.
    bool _createSurface();
    // Deletes the buffers; the current context is as before, except that the view's own
    // context, when it was current, no longer is.
    void _destroySurface();

    // Rebuilds the buffers when automatic resizing is on and the rounded layer size differs
    // from the buffers' size, printing the resize.
    void layoutSubviews() override;

    bool autoresizesSurface() const { return _autoresize; }
    // Only stores the flag.
    void setAutoresizesSurface(bool autoresize) { _autoresize = autoresize; }
    // Stores the flag and, when it is set, lays the view out at once.
    void setAutoresizesEAGLSurface(bool autoresize);

    void setCurrentContext();
    bool isCurrentContext() const;
    void clearCurrentContext();

    // The scene is drawn with GL: the view renderer leaves the view's own area alone and
    // draws only its subviews (and the other views) over it.
    bool drawsWithGL() const override { return true; }

    // Draws the program's windows over what the buffers hold (the scene), with a renderer
    // kept in the view's context (which must be current) so its textures go with it.
    void drawWindowsOver(graphics::Size screenSize);

    // Presents the colour renderbuffer; the current context is the same afterwards, or the
    // view's own when none was current.
    void swapBuffers();

    // Out of every window (a screen presented over the game took its place) the view's scene
    // is not on show and its director has stopped, yet the windows still are: while the view
    // draws on the program's screen and is in no window, it draws them alone on each display
    // refresh (every 1/60 s of the run loop), as the platform's compositor does. Back in a
    // window, its director's frames draw them again.
    void didMoveToWindow() override;
    bool drawsWindowsAlone() const { return bool(windowsAloneTimer_); }
    // One such frame: the buffers cleared to the clear colour, the windows over that, then
    // presented. The current context is the same afterwards.
    void drawWindowsAlone();

    // From view points to buffer pixels.
    Point convertPointFromViewToSurface(Point point) const;
    Rect convertRectFromViewToSurface(Rect rect) const;

    // Each phase goes to the touch delegate; without one the touches are dropped.
    void touchesBegan(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesMoved(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesEnded(ui::TouchSet const& touches, ui::Event* event) override;
    void touchesCancelled(ui::TouchSet const& touches, ui::Event* event) override;

    GLuint framebuffer() const { return _framebuffer; }
    graphics::ColorFormat pixelFormat() const { return _format; }
    GLenum depthFormat() const { return _depthFormat; }
    graphics::GLContext* context() const;
    // The buffers' size in pixels; (0, 0) before they are made.
    Size surfaceSize() const { return _size; }

    EAGLViewDelegate* delegate() const { return _delegate; }
    void setDelegate(EAGLViewDelegate* delegate) { _delegate = delegate; }
    EAGLTouchDelegate* touchDelegate() const { return touchDelegate_; }
    void setTouchDelegate(EAGLTouchDelegate* delegate) { touchDelegate_ = delegate; }

    // The platform side: the drawable behind the view, its pixels per point, the buffer names
    // and the drawable's retained-backing property.
    graphics::Surface* drawable() const { return drawable_.get(); }
    float contentScaleFactor() const;
    GLuint colorRenderbuffer() const { return _renderbuffer; }
    GLuint depthRenderbuffer() const { return _depthBuffer; }
    bool retainedBacking() const { return retainedBacking_; }

private:
    // The drawable layer's bounds size in pixels, rounded.
    Size layerSize() const;
    bool makeContext(Rect frame);

    graphics::ColorFormat _format;
    GLenum _depthFormat;
    bool _autoresize {false};
    GLuint _framebuffer {0};
    GLuint _renderbuffer {0};
    GLuint _depthBuffer {0};
    Size _size;
    bool _hasBeenCurrent {false};
    EAGLViewDelegate* _delegate {nullptr};
    EAGLTouchDelegate* touchDelegate_ {nullptr};

    base::Ref<graphics::Surface> drawable_;
    std::unique_ptr<ViewRenderer> viewRenderer_;
    base::Ref<foundation::Timer> windowsAloneTimer_;
    bool drawableFromScreen_ {false};
    bool retainedBacking_ {false};

    friend base::Factory;

    EAGLView(Passkey, Rect frame, graphics::ColorFormat format, GLenum depthFormat,
        bool preserveBackbuffer);
};

}
