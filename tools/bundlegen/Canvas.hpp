#pragma once

#include <bundlegen/Color.hpp>

#include <cairo.h>

#include <memory>
#include <string>

namespace bundlegen {

// A picture being drawn: a cairo image surface of a fixed pixel size with a context
// whose user space is in design units (phone points). The owner draws through cr()
// and then saves the picture as PNG or JPEG. One canvas belongs to one thread.
class Canvas {
public:
    // pixelWidth x pixelHeight pixels; design units map to pixels by (scaleX, scaleY)
    // after a shift by (offsetX, offsetY) pixels.
    Canvas(int pixelWidth, int pixelHeight, double scaleX = 1, double scaleY = 1,
        double offsetX = 0, double offsetY = 0);
    ~Canvas();
    Canvas(Canvas const&) = delete;
    Canvas& operator=(Canvas const&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }

    // Throws std::runtime_error naming the file when it cannot be written.
    void savePng(std::string const& path) const;
    // JPEG has no alpha: the picture is laid over `background` first.
    void saveJpeg(
        std::string const& path, int quality = 90, Color background = Color::hex(0x000000)) const;

private:
    cairo_surface_t* surface_ {nullptr};
    cairo_t* cr_ {nullptr};
    int pixelWidth_ {0};
    int pixelHeight_ {0};
};

}
