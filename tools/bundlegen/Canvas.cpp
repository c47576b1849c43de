#include <bundlegen/Canvas.hpp>

#include <cstdio>
#include <jpeglib.h>
#include <stdexcept>
#include <vector>

namespace bundlegen {

Canvas::Canvas(
    int pixelWidth, int pixelHeight, double scaleX, double scaleY, double offsetX, double offsetY)
    : pixelWidth_(pixelWidth)
    , pixelHeight_(pixelHeight) {
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight);
    cr_ = cairo_create(surface_);
    cairo_translate(cr_, offsetX, offsetY);
    cairo_scale(cr_, scaleX, scaleY);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void Canvas::savePng(std::string const& path) const {
    cairo_surface_flush(surface_);
    if (cairo_surface_write_to_png(surface_, path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
}

void Canvas::saveJpeg(std::string const& path, int quality, Color background) const {
    cairo_surface_flush(surface_);
    unsigned char const* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot write " + path);

    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(pixelWidth_);
    info.image_height = static_cast<JDIMENSION>(pixelHeight_);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);

    // Cairo keeps premultiplied native-endian ARGB; blend each pixel over the background.
    std::vector<unsigned char> row(static_cast<size_t>(pixelWidth_) * 3);
    double const back[3] = {background.r * 255, background.g * 255, background.b * 255};
    for (int y = 0; y < pixelHeight_; ++y) {
        auto const* pixels = reinterpret_cast<uint32_t const*>(data + y * stride);
        for (int x = 0; x < pixelWidth_; ++x) {
            uint32_t p = pixels[x];
            double alpha = ((p >> 24) & 0xff) / 255.0;
            double const channel[3]
                = {double((p >> 16) & 0xff), double((p >> 8) & 0xff), double(p & 0xff)};
            for (int c = 0; c < 3; ++c) {
                double v = channel[c] + back[c] * (1 - alpha);
                row[static_cast<size_t>(x) * 3 + c]
                    = static_cast<unsigned char>(v > 255 ? 255 : v + 0.5);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    if (std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + path);
}

}
