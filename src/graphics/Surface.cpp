#include <graphics/HeadlessSurface.hpp>
#include <graphics/Surface.hpp>
#include <graphics/WindowSurface.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <cmath>
#include <cstdlib>

namespace graphics {

namespace {

bool isSet(char const* name) {
    auto const* value = std::getenv(name);
    return value && *value;
}

int pixels(int points, float scale) {
    return int(std::lround(double(points) * scale));
}

}

SurfaceKind Surface::chooseSurface(bool headlessRequested) {
    if (headlessRequested || (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")))
        return SurfaceKind::Headless;
    return SurfaceKind::Window;
}

base::Ref<Surface> Surface::create(SurfaceKind kind, SurfaceOptions const& options) {
    bool sane = options.widthPoints > 0 && options.heightPoints > 0 && options.scale > 0
        && std::isfinite(options.scale)
        && options.widthPoints * double(options.scale) <= Image::maxSide
        && options.heightPoints * double(options.scale) <= Image::maxSide
        && pixels(options.widthPoints, options.scale) > 0
        && pixels(options.heightPoints, options.scale) > 0;
    if (!sane) {
        base::logLine("Cannot make a drawing surface of " + std::to_string(options.widthPoints)
            + " x " + std::to_string(options.heightPoints) + " points at scale "
            + std::to_string(options.scale) + ": sides run from 1 to "
            + std::to_string(Image::maxSide) + " pixels");
        return nullptr;
    }
    if (kind == SurfaceKind::Headless)
        return HeadlessSurface::create(options);
    return WindowSurface::create(options);
}

base::Ref<Surface> Surface::createHeadless(SurfaceOptions const& options) {
    return create(SurfaceKind::Headless, options);
}

base::Ref<Surface> Surface::createWindow(SurfaceOptions const& options) {
    return create(SurfaceKind::Window, options);
}

Surface::Surface(SurfaceOptions const& options)
    : options_(options)
    , pixelWidth_(pixels(options.widthPoints, options.scale))
    , pixelHeight_(pixels(options.heightPoints, options.scale))
    , translator_(options.scale) {
}

Surface::~Surface() {
    // The kinds detach in their own destructors, while their native context still exists.
    VERIFY(!context_);
}

void Surface::attachContext() {
    VERIFY(!context_);
    context_ = std::make_unique<GLContext>(*this);
    GLContext::setCurrentContext(context_.get());
}

void Surface::detachContext() {
    if (!context_)
        return;
    if (context_->isCurrent())
        GLContext::setCurrentContext(nullptr);
    context_.reset();
}

bool Surface::present() {
    return context_->presentRenderbuffer(GL_RENDERBUFFER_OES);
}

std::optional<Image> Surface::readPixels() const {
    return readPixels(0, 0, pixelWidth_, pixelHeight_);
}

std::optional<Image> Surface::readPixels(int x, int y, int width, int height) const {
    if (!context_->isCurrent()) {
        base::logLine("readPixels: the surface's context is not current");
        return std::nullopt;
    }
    if (width <= 0 || height <= 0 || width > Image::maxSide || height > Image::maxSide) {
        base::logLine("readPixels: an empty or oversized rectangle");
        return std::nullopt;
    }
    GLenum status = glCheckFramebufferStatusOES(GL_FRAMEBUFFER_OES);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        base::logLine(
            "readPixels: the framebuffer is not complete (status " + gles::errorName(status) + ")");
        return std::nullopt;
    }
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    std::vector<std::uint8_t> data(std::size_t(width) * 4 * std::size_t(height));
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    gles::takeError();
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    GLenum error = gles::checkError("readPixels");
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    if (error != GL_NO_ERROR)
        return std::nullopt;
    Image image(width, height, Image::Format::RGBA8,
        alphaBits > 0 ? AlphaInfo::Last : AlphaInfo::NoneSkipLast, std::move(data));
    // GL hands rows over from the bottom.
    image.flipVertically();
    return image;
}

std::vector<Event> Surface::pollEvents() {
    std::vector<Event> events(
        std::make_move_iterator(queued_.begin()), std::make_move_iterator(queued_.end()));
    queued_.clear();
    pollNative(events);
    return events;
}

void Surface::pushEvent(Event event) {
    queued_.push_back(std::move(event));
}

void Surface::injectPointer(PointerEvent::Phase phase, float x, float y, double timestamp) {
    if (auto event = translator_.pointer(phase, x, y, timestamp))
        queued_.push_back(*event);
}

bool Surface::playPointer(PointerEvent::Phase phase, float x, float y, double timestamp) {
    if (playNativePointer(phase, x, y))
        return true;
    injectPointer(phase, x, y, timestamp);
    return false;
}

}
