#pragma once

#include <graphics/Forward.hpp>
#include <graphics/GLES.hpp>

namespace graphics {

// An OpenGL ES 1.1 rendering context: the one a Surface makes and owns, living exactly as long
// as its surface (hold the surface to keep the context). Which of our contexts is current is
// kept per thread, as GL keeps it; a new surface's context starts current on the thread that
// made it. The drawing surface of the engine uses it as the platform's context: storage for
// its colour renderbuffer comes from the surface, and presenting shows that renderbuffer.
class GLContext {
public:
    explicit GLContext(Surface& surface);
    ~GLContext();
    GLContext(GLContext const&) = delete;
    GLContext& operator=(GLContext const&) = delete;

    // Makes context current on this thread, or leaves none current for nullptr. False (and
    // the previous state kept) when the window system refuses.
    static bool setCurrentContext(GLContext* context);
    // The current context of this thread if it is one of ours, else nullptr.
    static GLContext* currentContext();
    bool isCurrent() const;

    Surface& surface() const { return surface_; }

    // Gives the renderbuffer bound to target (GL_RENDERBUFFER_OES) storage of the drawable's
    // pixel size in its drawable format; it becomes the renderbuffer that presentRenderbuffer
    // shows. The drawable must be this context's surface and the context current. False and
    // a logged line otherwise or when GL refuses.
    bool renderbufferStorage(GLenum target, Surface& drawable);

    // Shows the renderbuffer bound to target, which must be the one given storage from the
    // surface: a window swaps it onto the screen, a headless surface counts the frame (its
    // pixels stay in the renderbuffer for readPixels). The context must be current; GL state
    // and the current context are the same afterwards. False and a logged line on failure.
    bool presentRenderbuffer(GLenum target);

private:
    Surface& surface_;
};

}
