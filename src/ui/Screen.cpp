#include <ui/Screen.hpp>

namespace ui {

namespace {

base::Ref<Screen>& instance() {
    static base::Ref<Screen> screen = base::make<Screen>();
    return screen;
}

}

Screen& Screen::mainScreen() {
    return *instance();
}

void Screen::reset() {
    instance() = base::make<Screen>();
}

graphics::Rect Screen::bounds() const {
    if (!surface_)
        return graphics::makeRect(0, 0, 480, 320);
    return graphics::makeRect(
        0, 0, float(surface_->widthPoints()), float(surface_->heightPoints()));
}

float Screen::scale() const {
    return surface_ ? surface_->scale() : 1.0f;
}

void Screen::setSurface(base::Ref<graphics::Surface> surface) {
    surface_ = std::move(surface);
    taken_ = false;
}

base::Ref<graphics::Surface> Screen::takeSurface() {
    if (!surface_ || taken_)
        return nullptr;
    taken_ = true;
    return surface_;
}

void Screen::giveBack(graphics::Surface const* surface) {
    if (surface && surface == surface_.get())
        taken_ = false;
}

}
