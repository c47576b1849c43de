#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <vector>

namespace bundlegen {

// One frame of a sprite sheet: its name in the property list, its size in design
// units and how to draw it (user space = the frame, origin at its top-left corner).
struct FrameSpec {
    std::string name;
    double width {0};
    double height {0};
    std::function<void(cairo_t*)> draw;
    // Anchor offsets in design units: the engine puts the anchor at
    // (offsetX / width + 0.5, offsetY / height), so offsetY = height / 2 centres a frame.
    double offsetX {0};
    double offsetY {0};
};

// Where a frame landed in the sheet, in pixels.
struct PlacedFrame {
    std::string name;
    int x {0};
    int y {0};
    int width {0};
    int height {0};
    int offsetX {0};
    int offsetY {0};
};

struct SheetLayout {
    int width {0};
    int height {0};
    std::vector<PlacedFrame> frames; // sorted by name
};

// Packs frames into one picture no larger than 1024 x 1024 and writes it with its
// property list: "<name>.png" and "<name>.plist" with a "frames" dictionary of
// x, y, width, height, offsetX and offsetY per frame (offsets 0: the anchor is the
// frame's bottom centre). Frames are padded so that filtering never bleeds.
class SpriteSheet {
public:
    static constexpr int maxSide = 1024;
    static constexpr int padding = 2;

    SpriteSheet(std::string name, double scale);

    void add(FrameSpec frame);
    std::string const& name() const { return name_; }
    size_t frameCount() const { return frames_.size(); }

    // Shelf packing over several trial widths, keeping the squarest fit. Throws
    // std::runtime_error when the frames cannot fit in maxSide x maxSide or when two
    // frames share a name.
    SheetLayout layout() const;
    // Draws every frame into a new ARGB surface laid out as `layout` says; the caller
    // destroys it.
    cairo_surface_t* render(SheetLayout const&) const;
    static std::string plistXml(SheetLayout const&);

private:
    std::string name_;
    double scale_;
    std::vector<FrameSpec> frames_;
};

}
