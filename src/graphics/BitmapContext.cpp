#include <graphics/BitmapContext.hpp>

#include <base/Log.hpp>
#include <base/Verify.hpp>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace graphics {

namespace {

thread_local std::vector<base::Ref<BitmapContext>> contextStack;

cairo_format_t cairoFormat(BitmapContext::Format format) {
    return format == BitmapContext::Format::Grey8 ? CAIRO_FORMAT_A8 : CAIRO_FORMAT_ARGB32;
}

}

base::Ref<BitmapContext> BitmapContext::create(int width, int height, Format format) {
    if (width < 1 || height < 1 || width > Image::maxSide || height > Image::maxSide)
        return nullptr;
    auto context = base::make<BitmapContext>(Private {}, width, height, format);
    if (!context->cairo_)
        return nullptr;
    return context;
}

BitmapContext::BitmapContext(Private, int width, int height, Format format)
    : width_(width)
    , height_(height)
    , format_(format)
    , stride_(cairo_format_stride_for_width(cairoFormat(format), width))
    , textStates_(1) {
    if (stride_ <= 0)
        return;
    pixels_.assign(std::size_t(stride_) * std::size_t(height), 0);
    surface_ = cairo_image_surface_create_for_data(
        pixels_.data(), cairoFormat(format), width, height, stride_);
    if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
        base::logLine("BitmapContext: cairo refused a surface of " + std::to_string(width) + " x "
            + std::to_string(height));
        return;
    }
    cairo_t* cairo = cairo_create(surface_);
    if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cairo);
        return;
    }
    cairo_ = cairo;
    // The platform's user space: y up from the bottom-left corner.
    cairo_matrix_t flip;
    cairo_matrix_init(&flip, 1, 0, 0, -1, 0, height);
    cairo_set_matrix(cairo_, &flip);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cairo_, options);
    cairo_font_options_destroy(options);
    setGrayFillColor(0, 1);
}

BitmapContext::~BitmapContext() {
    if (cairo_)
        cairo_destroy(cairo_);
    if (surface_)
        cairo_surface_destroy(surface_);
}

Image BitmapContext::image() const {
    cairo_surface_flush(surface_);
    if (format_ == Format::Grey8) {
        std::vector<std::uint8_t> pixels(std::size_t(width_) * std::size_t(height_));
        for (int y = 0; y < height_; ++y)
            std::memcpy(&pixels[std::size_t(y) * std::size_t(width_)],
                &pixels_[std::size_t(y) * std::size_t(stride_)], std::size_t(width_));
        return Image(width_, height_, Image::Format::A8, AlphaInfo::Only, std::move(pixels));
    }
    Image image(width_, height_, Image::Format::RGBA8);
    for (int y = 0; y < height_; ++y) {
        auto const* source = &pixels_[std::size_t(y) * std::size_t(stride_)];
        std::uint8_t* target = image.row(y);
        for (int x = 0; x < width_; ++x) {
            std::uint32_t argb;
            std::memcpy(&argb, source + 4 * x, 4);
            target[4 * x + 0] = std::uint8_t(argb >> 16);
            target[4 * x + 1] = std::uint8_t(argb >> 8);
            target[4 * x + 2] = std::uint8_t(argb);
            target[4 * x + 3] = std::uint8_t(argb >> 24);
        }
    }
    return image;
}

void BitmapContext::saveGState() {
    cairo_save(cairo_);
    textStates_.push_back(textStates_.back());
}

void BitmapContext::restoreGState() {
    if (textStates_.size() <= 1)
        return;
    cairo_restore(cairo_);
    textStates_.pop_back();
}

void BitmapContext::translateCTM(float tx, float ty) {
    cairo_translate(cairo_, tx, ty);
}

void BitmapContext::scaleCTM(float sx, float sy) {
    if (sx == 0 || sy == 0)
        return;
    cairo_scale(cairo_, sx, sy);
}

void BitmapContext::concatCTM(AffineTransform const& t) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    if (cairo_matrix_invert(&matrix) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cairo_, &matrix);
}

AffineTransform BitmapContext::ctm() const {
    cairo_matrix_t m;
    cairo_get_matrix(cairo_, &m);
    AffineTransform toDevice {
        float(m.xx), float(m.yx), float(m.xy), float(m.yy), float(m.x0), float(m.y0)};
    return AffineTransform::concat(toDevice, {1, 0, 0, -1, 0, float(height_)});
}

void BitmapContext::setGrayFillColor(float gray, float alpha) {
    if (format_ == Format::Grey8)
        cairo_set_source_rgba(cairo_, 0, 0, 0, std::clamp(gray, 0.0f, 1.0f) * alpha);
    else
        cairo_set_source_rgba(cairo_, gray, gray, gray, alpha);
}

void BitmapContext::setRGBFillColor(float r, float g, float b, float alpha) {
    if (format_ == Format::Grey8)
        setGrayFillColor(0.299f * r + 0.587f * g + 0.114f * b, alpha);
    else
        cairo_set_source_rgba(cairo_, r, g, b, alpha);
}

void BitmapContext::fillRect(Rect const& rect) {
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_fill(cairo_);
}

void BitmapContext::fillPolygon(std::span<Point const> points) {
    if (points.size() < 3)
        return;
    cairo_new_path(cairo_);
    cairo_move_to(cairo_, points[0].x, points[0].y);
    for (auto const& point : points.subspan(1))
        cairo_line_to(cairo_, point.x, point.y);
    cairo_close_path(cairo_);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cairo_);
}

void BitmapContext::setFont(FontFace* face) {
    textStates_.back().font = base::Ref<FontFace>(face);
}

FontFace* BitmapContext::font() const {
    return textStates_.back().font.get();
}

void BitmapContext::setFontSize(float pointSize) {
    textStates_.back().size = pointSize;
}

float BitmapContext::fontSize() const {
    return textStates_.back().size;
}

void BitmapContext::showGlyphs(std::span<GlyphId const> glyphs, std::span<Point const> positions) {
    VERIFY(glyphs.size() == positions.size());
    auto const& state = textStates_.back();
    if (!state.font || glyphs.empty() || !std::isfinite(state.size) || state.size == 0)
        return;
    cairo_font_face_t* face = state.font->cairoFace();
    if (!face)
        return;
    // Cairo's glyph space has y down, the platform's y up: flip it before the text matrix.
    double size = state.size;
    auto const& t = textMatrix_;
    cairo_matrix_t fontMatrix;
    cairo_matrix_init(&fontMatrix, size * t.a, size * t.b, -size * t.c, -size * t.d, 0, 0);
    cairo_matrix_t check = fontMatrix;
    if (cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS)
        return;
    std::vector<cairo_glyph_t> run(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        run[i] = {glyphs[i], positions[i].x, positions[i].y};
    cairo_save(cairo_);
    cairo_set_font_face(cairo_, face);
    cairo_set_font_matrix(cairo_, &fontMatrix);
    cairo_show_glyphs(cairo_, run.data(), int(run.size()));
    cairo_restore(cairo_);
}

void BitmapContext::pushContext(BitmapContext& context) {
    contextStack.emplace_back(&context);
}

void BitmapContext::popContext() {
    if (!contextStack.empty())
        contextStack.pop_back();
}

BitmapContext* BitmapContext::currentContext() {
    return contextStack.empty() ? nullptr : contextStack.back().get();
}

}
