#pragma once

#include <engine/Geometry.hpp>

namespace engine {

// What the node tree and cameras need of the director: the drawing surface's
// size, the device orientation and the conversion of touch positions from view
// space (origin top-left) to the engine's space (origin bottom-left). The
// director installs itself when it is made and uninstalls itself when it goes;
// until then a stand-in answers as a director without a surface does: size
// 0 x 0, portrait, and the portrait conversion against that size. Main thread.
class DirectorServices {
public:
    virtual ~DirectorServices() = default;

    // The surface frame's size, never swapped for landscape.
    virtual Size displaySize() const = 0;
    // 1 portrait, 2 upside down, 3 landscape left, 4 landscape right.
    virtual int deviceOrientation() const = 0;
    virtual Point convertCoordinate(Point locationInView) const = 0;
    // Pixels per point of the surface (a window enlarged by --scale has more than one).
    virtual float contentScaleFactor() const { return 1; }
    // The surface's colour format: 0 RGB565, 1 RGBA8888.
    virtual int pixelFormat() const { return 0; }

    // The display size as the scene sees it: width and height swapped for the
    // landscape orientations 3 and 4.
    Size winSize() const {
        Size size = displaySize();
        int orientation = deviceOrientation();
        return orientation == 3 || orientation == 4 ? Size {size.height, size.width} : size;
    }

    // The installed director, or the stand-in.
    static DirectorServices const& current();
    // Null reinstalls the stand-in. Does not take ownership.
    static void install(DirectorServices const* director);
};

}
