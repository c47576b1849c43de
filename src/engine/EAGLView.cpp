#include <engine/EAGLView.hpp>

#include <base/WeakRef.hpp>
#include <engine/ViewRenderer.hpp>
#include <graphics/GLContext.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdio>

namespace engine {

namespace {

// The view's diagnostics go to standard output, one line each, flushed so that they
// interleave correctly with anything else the program prints.
template<typename... Args> void print(char const* format, Args... args) {
    std::printf(format, args...);
    std::fflush(stdout);
}

// How often the platform's compositor shows the windows: the display's refresh.
constexpr double displayRefreshInterval = 1.0 / 60;

Size rounded(Size size) {
    return {std::round(size.width), std::round(size.height)};
}

}

base::Ref<EAGLView> EAGLView::initWithFrame(Rect frame) {
    return initWithFrame(frame, graphics::ColorFormat::RGB565, 0, false);
}

base::Ref<EAGLView> EAGLView::initWithFrame(Rect frame, graphics::ColorFormat format) {
    return initWithFrame(frame, format, 0, false);
}

base::Ref<EAGLView> EAGLView::initWithFrame(
    Rect frame, graphics::ColorFormat format, GLenum depthFormat, bool preserveBackbuffer) {
    auto view = base::make<EAGLView>(Passkey {}, frame, format, depthFormat, preserveBackbuffer);
    if (!view->makeContext(frame) || !view->_createSurface())
        return nullptr;
    return view;
}

EAGLView::EAGLView(
    Passkey, Rect frame, graphics::ColorFormat format, GLenum depthFormat, bool preserveBackbuffer)
    : ui::View(frame)
    , _format(format)
    , _depthFormat(depthFormat)
    , retainedBacking_(preserveBackbuffer) {
    setOpaque(true);
}

bool EAGLView::makeContext(Rect frame) {
    drawable_ = ui::Screen::mainScreen().takeSurface();
    drawableFromScreen_ = bool(drawable_);
    if (!drawable_) {
        Size size = rounded(frame.size);
        graphics::SurfaceOptions options;
        options.widthPoints = int(size.width);
        options.heightPoints = int(size.height);
        options.title = "EAGLView";
        drawable_ = graphics::Surface::createHeadless(options);
        if (!drawable_)
            return false;
    }
    drawable_->setDrawableFormat(_format);
    return true;
}

EAGLView::~EAGLView() {
    if (windowsAloneTimer_)
        windowsAloneTimer_->invalidate();
    if (!drawable_)
        return;
    if (viewRenderer_) {
        // The renderer's textures live in this view's context: delete them there.
        auto* context = &drawable_->context();
        auto* oldContext = graphics::GLContext::currentContext();
        if (oldContext != context)
            graphics::GLContext::setCurrentContext(context);
        viewRenderer_.reset();
        if (oldContext != context)
            graphics::GLContext::setCurrentContext(oldContext);
    }
    if (_framebuffer || _renderbuffer || _depthBuffer)
        _destroySurface();
    if (drawableFromScreen_)
        ui::Screen::mainScreen().giveBack(drawable_.get());
}

graphics::GLContext* EAGLView::context() const {
    return drawable_ ? &drawable_->context() : nullptr;
}

float EAGLView::contentScaleFactor() const {
    return drawable_ ? drawable_->scale() : 1.0f;
}

Size EAGLView::layerSize() const {
    float scale = contentScaleFactor();
    Size size = bounds().size;
    return rounded({size.width * scale, size.height * scale});
}

bool EAGLView::_createSurface() {
    auto& context = drawable_->context();
    if (!graphics::GLContext::setCurrentContext(&context))
        return false;
    Size newSize = layerSize();

    GLint oldRenderbuffer = 0;
    GLint oldFramebuffer = 0;
    glGetIntegerv(GL_RENDERBUFFER_BINDING_OES, &oldRenderbuffer);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_OES, &oldFramebuffer);

    glGenRenderbuffersOES(1, &_renderbuffer);
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, _renderbuffer);
    if (!context.renderbufferStorage(GL_RENDERBUFFER_OES, *drawable_)) {
        glDeleteRenderbuffersOES(1, &_renderbuffer);
        _renderbuffer = 0;
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, GLuint(oldRenderbuffer));
        return false;
    }
    // The drawable gives storage of the size it was made with, which is the layer's size for
    // a view that matches its screen; the depth buffer takes the same size, since a
    // framebuffer whose attachments differ in size is incomplete.
    GLint storageWidth = 0;
    GLint storageHeight = 0;
    glGetRenderbufferParameterivOES(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &storageWidth);
    glGetRenderbufferParameterivOES(
        GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &storageHeight);

    glGenFramebuffersOES(1, &_framebuffer);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, _framebuffer);
    glFramebufferRenderbufferOES(
        GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES, _renderbuffer);

    if (_depthFormat) {
        glGenRenderbuffersOES(1, &_depthBuffer);
        glBindRenderbufferOES(GL_RENDERBUFFER_OES, _depthBuffer);
        glRenderbufferStorageOES(GL_RENDERBUFFER_OES, _depthFormat, storageWidth, storageHeight);
        glFramebufferRenderbufferOES(
            GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES, _depthBuffer);
    }

    _size = newSize;
    if (!_hasBeenCurrent) {
        glViewport(0, 0, GLsizei(newSize.width), GLsizei(newSize.height));
        glScissor(0, 0, GLsizei(newSize.width), GLsizei(newSize.height));
        _hasBeenCurrent = true;
    } else if (oldFramebuffer != 0 && glIsFramebufferOES(GLuint(oldFramebuffer))) {
        // After a resize the framebuffer that was bound is usually the one just destroyed
        // (the binding then reads 0); binding that again would send every later frame
        // nowhere, so the new framebuffer stays bound unless another one was in use.
        glBindFramebufferOES(GL_FRAMEBUFFER_OES, GLuint(oldFramebuffer));
    }
    glBindRenderbufferOES(GL_RENDERBUFFER_OES, GLuint(oldRenderbuffer));

    if (GLenum error = graphics::gles::takeError(); error != GL_NO_ERROR)
        print("OpenGL error 0x%04X in %s\n", unsigned(error), "-[EAGLView _createSurface]");

    if (_delegate)
        _delegate->didResizeEAGLSurfaceForView(this);
    return true;
}

void EAGLView::_destroySurface() {
    auto* context = &drawable_->context();
    auto* oldContext = graphics::GLContext::currentContext();
    if (oldContext != context)
        graphics::GLContext::setCurrentContext(context);

    if (_depthFormat) {
        glDeleteRenderbuffersOES(1, &_depthBuffer);
        _depthBuffer = 0;
    }
    glDeleteRenderbuffersOES(1, &_renderbuffer);
    _renderbuffer = 0;
    glDeleteFramebuffersOES(1, &_framebuffer);
    _framebuffer = 0;

    if (oldContext != context)
        graphics::GLContext::setCurrentContext(oldContext);
    else
        graphics::GLContext::setCurrentContext(nullptr);
}

void EAGLView::layoutSubviews() {
    Size newSize = layerSize();
    if (!_autoresize || newSize == _size)
        return;
    _destroySurface();
    char message[160];
    std::snprintf(message, sizeof message, "Resizing surface from %fx%f to %fx%f", _size.width,
        _size.height, newSize.width, newSize.height);
    print("%s: %s\n", "-[EAGLView layoutSubviews]", message);
    _createSurface();
}

void EAGLView::setAutoresizesEAGLSurface(bool autoresize) {
    _autoresize = autoresize;
    if (_autoresize)
        layoutSubviews();
}

void EAGLView::setCurrentContext() {
    auto* context = &drawable_->context();
    if (!graphics::GLContext::setCurrentContext(context))
        print("Failed to set current context %p in %s\n", static_cast<void*>(context),
            "-[EAGLView setCurrentContext]");
}

bool EAGLView::isCurrentContext() const {
    return drawable_->context().isCurrent();
}

void EAGLView::clearCurrentContext() {
    if (!graphics::GLContext::setCurrentContext(nullptr))
        print("Failed to clear current context in %s\n", "-[EAGLView clearCurrentContext]");
}

void EAGLView::drawWindowsOver(graphics::Size screenSize) {
    if (!drawable_)
        return;
    if (!viewRenderer_)
        viewRenderer_ = std::make_unique<ViewRenderer>();
    viewRenderer_->renderWindows(screenSize);
}

void EAGLView::didMoveToWindow() {
    bool alone = !window() && drawableFromScreen_;
    if (!alone) {
        if (auto timer = std::move(windowsAloneTimer_))
            timer->invalidate();
        return;
    }
    if (windowsAloneTimer_)
        return;
    windowsAloneTimer_ = foundation::Timer::scheduledTimer(
        displayRefreshInterval,
        [view = base::WeakRef<EAGLView>(this)](foundation::Timer&) {
            if (auto strong = view.strong())
                strong->drawWindowsAlone();
        },
        true);
}

void EAGLView::drawWindowsAlone() {
    if (!drawable_ || !_framebuffer)
        return;
    auto* context = &drawable_->context();
    auto* oldContext = graphics::GLContext::currentContext();
    if (oldContext != context && !graphics::GLContext::setCurrentContext(context)) {
        print("Failed to set current context %p in %s\n", static_cast<void*>(context),
            "-[EAGLView drawWindowsAlone]");
        return;
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glBindFramebufferOES(GL_FRAMEBUFFER_OES, _framebuffer);
    glViewport(0, 0, GLsizei(_size.width), GLsizei(_size.height));
    glClear(GL_COLOR_BUFFER_BIT | (_depthBuffer ? GL_DEPTH_BUFFER_BIT : 0));
    drawWindowsOver(ui::Screen::mainScreen().bounds().size);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    swapBuffers();
    if (oldContext && oldContext != context)
        graphics::GLContext::setCurrentContext(oldContext);
}

void EAGLView::swapBuffers() {
    auto* context = &drawable_->context();
    auto* oldContext = graphics::GLContext::currentContext();
    // The framebuffer is checked in the view's own context: asked in another context (or in
    // none), the answer would be about some other framebuffer.
    if (oldContext != context)
        graphics::GLContext::setCurrentContext(context);

    GLenum status = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES)
        print("Framebuffer status 0x%04X\n", unsigned(status));

    if (GLenum error = graphics::gles::takeError(); error != GL_NO_ERROR)
        print("OpenGL error 0x%04X in %s\n", unsigned(error), "-[EAGLView swapBuffers]");

    glBindRenderbufferOES(GL_RENDERBUFFER_OES, _renderbuffer);
    if (!context->presentRenderbuffer(GL_RENDERBUFFER_OES))
        print("Failed to swap renderbuffer in %s\n", "-[EAGLView swapBuffers]");

    if (oldContext && oldContext != context)
        graphics::GLContext::setCurrentContext(oldContext);
}

Point EAGLView::convertPointFromViewToSurface(Point point) const {
    Rect bounds = this->bounds();
    return {(point.x - bounds.origin.x) / bounds.size.width * _size.width,
        (point.y - bounds.origin.y) / bounds.size.height * _size.height};
}

Rect EAGLView::convertRectFromViewToSurface(Rect rect) const {
    Rect bounds = this->bounds();
    return {{(rect.origin.x - bounds.origin.x) / bounds.size.width * _size.width,
                (rect.origin.y - bounds.origin.y) / bounds.size.height * _size.height},
        {rect.size.width * _size.width / bounds.size.width,
            rect.size.height * _size.height / bounds.size.height}};
}

void EAGLView::touchesBegan(ui::TouchSet const& touches, ui::Event* event) {
    if (touchDelegate_)
        touchDelegate_->touchesBegan(touches, event);
}

void EAGLView::touchesMoved(ui::TouchSet const& touches, ui::Event* event) {
    if (touchDelegate_)
        touchDelegate_->touchesMoved(touches, event);
}

void EAGLView::touchesEnded(ui::TouchSet const& touches, ui::Event* event) {
    if (touchDelegate_)
        touchDelegate_->touchesEnded(touches, event);
}

void EAGLView::touchesCancelled(ui::TouchSet const& touches, ui::Event* event) {
    if (touchDelegate_)
        touchDelegate_->touchesCancelled(touches, event);
}

}
