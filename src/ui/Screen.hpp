#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <graphics/Geometry.hpp>
#include <graphics/Surface.hpp>

namespace ui {

// The display the program shows on: its size in points, its pixels per point, and the
// drawing surface behind it (an SDL window, or an off-screen buffer when headless) once the
// program's runner has made one. The game's one OpenGL view draws onto that surface; any
// other OpenGL view, and every one while there is no surface (tests), draws off-screen on a
// surface of its own. One per process; main thread only.
class Screen final : public base::Object {
public:
    static Screen& mainScreen();
    // Forgets the surface and any view holding it (tests).
    static void reset();

    // 480 x 320 points at scale 1 until a surface is installed; then the surface's.
    graphics::Rect bounds() const;
    float scale() const;

    graphics::Surface* surface() const { return surface_.get(); }
    // Installs the surface behind the display; null removes it. A view that holds the old
    // one keeps it.
    void setSurface(base::Ref<graphics::Surface> surface);

    // The display's surface for the one view that draws on it, or null when there is none or
    // another view has it. Every take is matched by a giveBack when the view goes.
    base::Ref<graphics::Surface> takeSurface();
    // Another surface than the one taken is ignored.
    void giveBack(graphics::Surface const* surface);
    bool isSurfaceTaken() const { return taken_; }

private:
    base::Ref<graphics::Surface> surface_;
    bool taken_ {false};

    friend base::Factory;

    Screen() = default;
};

}
