#include <base/Verify.hpp>
#include <graphics/FontFace.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Image.hpp>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ui {

namespace {

int pixels(float points, float scale) {
    double wanted = std::ceil(double(points) * scale - 1e-3);
    if (!(wanted >= 1))
        return 1;
    return wanted > GraphicsContext::maxPixels ? GraphicsContext::maxPixels : int(wanted);
}

// A cairo surface over a copy of bitmap's pixels (premultiplied ARGB in native order).
cairo_surface_t* surfaceOf(graphics::Image const& bitmap) {
    auto* surface
        = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.width(), bitmap.height());
    cairo_surface_flush(surface);
    auto* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    bool premultiplied = bitmap.isPremultiplied() || !bitmap.hasAlpha();
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* out = reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < bitmap.width(); ++x) {
            auto p = bitmap.pixel(x, y);
            std::uint32_t a = p.a, r = p.r, g = p.g, b = p.b;
            if (!premultiplied) {
                r = (r * a + 127) / 255;
                g = (g * a + 127) / 255;
                b = (b * a + 127) / 255;
            }
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

}

GraphicsContext::GraphicsContext(graphics::Size size, float scale)
    : size_(size)
    , scale_(scale > 0 ? scale : 1)
    , pixelWidth_(pixels(size.width, scale_))
    , pixelHeight_(pixels(size.height, scale_)) {
    pixelWidth_ = std::min(pixelWidth_, maxPixels);
    pixelHeight_ = std::min(pixelHeight_, maxPixels);
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth_, pixelHeight_);
    cairo_ = cairo_create(surface_);
    cairo_scale(cairo_, scale_, scale_);
    cairo_set_line_width(cairo_, 1);
    // Glyphs as the platform's layout measures them: unhinted, at exact positions.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cairo_, options);
    cairo_font_options_destroy(options);
    state_.push_back({});
}

GraphicsContext::~GraphicsContext() {
    cairo_destroy(cairo_);
    cairo_surface_destroy(surface_);
}

void GraphicsContext::saveGState() {
    cairo_save(cairo_);
    state_.push_back(state_.back());
}

void GraphicsContext::restoreGState() {
    if (state_.size() <= 1)
        return;
    // The path is not part of the state: carry it across in device space.
    cairo_matrix_t matrix;
    cairo_get_matrix(cairo_, &matrix);
    cairo_identity_matrix(cairo_);
    cairo_path_t* path = cairo_copy_path(cairo_);
    cairo_set_matrix(cairo_, &matrix);
    cairo_restore(cairo_);
    cairo_get_matrix(cairo_, &matrix);
    cairo_identity_matrix(cairo_);
    cairo_new_path(cairo_);
    cairo_append_path(cairo_, path);
    cairo_set_matrix(cairo_, &matrix);
    cairo_path_destroy(path);
    state_.pop_back();
}

void GraphicsContext::translateCTM(float x, float y) {
    cairo_translate(cairo_, x, y);
}

void GraphicsContext::scaleCTM(float sx, float sy) {
    cairo_scale(cairo_, sx, sy);
}

void GraphicsContext::rotateCTM(float angle) {
    cairo_rotate(cairo_, angle);
}

void GraphicsContext::concatCTM(graphics::AffineTransform const& t) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(cairo_, &matrix);
}

void GraphicsContext::setFillColor(Color color) {
    state_.back().fill = color;
}

void GraphicsContext::setStrokeColor(Color color) {
    state_.back().stroke = color;
}

void GraphicsContext::setLineWidth(float width) {
    cairo_set_line_width(cairo_, std::max(0.0f, width));
}

void GraphicsContext::setAlpha(float alpha) {
    state_.back().alpha = std::clamp(alpha, 0.0f, 1.0f);
}

void GraphicsContext::setShadow(graphics::Size offset, float, Color color) {
    state_.back().shadowOffset = offset;
    state_.back().shadowColor = color;
}

void GraphicsContext::useColor(Color color) {
    cairo_set_source_rgba(
        cairo_, color.red(), color.green(), color.blue(), color.alpha() * state_.back().alpha);
}

void GraphicsContext::beginPath() {
    cairo_new_path(cairo_);
}

void GraphicsContext::moveToPoint(float x, float y) {
    cairo_move_to(cairo_, x, y);
}

void GraphicsContext::addLineToPoint(float x, float y) {
    if (cairo_has_current_point(cairo_))
        cairo_line_to(cairo_, x, y);
    else
        cairo_move_to(cairo_, x, y);
}

void GraphicsContext::addArcToPoint(float x1, float y1, float x2, float y2, float radius) {
    double x0, y0;
    if (!cairo_has_current_point(cairo_)) {
        cairo_move_to(cairo_, x1, y1);
        return;
    }
    cairo_get_current_point(cairo_, &x0, &y0);
    // Unit vectors from the corner towards both ends.
    double ax = x0 - x1, ay = y0 - y1, bx = x2 - x1, by = y2 - y1;
    double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    if (la == 0 || lb == 0 || radius <= 0) {
        cairo_line_to(cairo_, x1, y1);
        return;
    }
    ax /= la;
    ay /= la;
    bx /= lb;
    by /= lb;
    double cross = ax * by - ay * bx;
    double cosine = std::clamp(ax * bx + ay * by, -1.0, 1.0);
    double angle = std::acos(cosine);
    if (std::fabs(cross) < 1e-9 || angle < 1e-9) {
        cairo_line_to(cairo_, x1, y1);
        return;
    }
    double tangent = radius / std::tan(angle / 2);
    double t1x = x1 + ax * tangent, t1y = y1 + ay * tangent;
    double t2x = x1 + bx * tangent, t2y = y1 + by * tangent;
    // The centre lies along the bisector, radius away from both lines.
    double bisX = ax + bx, bisY = ay + by;
    double bisLength = std::hypot(bisX, bisY);
    double centreDistance = radius / std::sin(angle / 2);
    double cx = x1 + bisX / bisLength * centreDistance, cy = y1 + bisY / bisLength * centreDistance;
    double start = std::atan2(t1y - cy, t1x - cx);
    double end = std::atan2(t2y - cy, t2x - cx);
    cairo_line_to(cairo_, t1x, t1y);
    if (cross < 0)
        cairo_arc(cairo_, cx, cy, radius, start, end);
    else
        cairo_arc_negative(cairo_, cx, cy, radius, start, end);
}

void GraphicsContext::addArc(
    float x, float y, float radius, float startAngle, float endAngle, bool clockwise) {
    if (clockwise)
        cairo_arc_negative(cairo_, x, y, radius, startAngle, endAngle);
    else
        cairo_arc(cairo_, x, y, radius, startAngle, endAngle);
}

void GraphicsContext::addRect(graphics::Rect rect) {
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

void GraphicsContext::addEllipseInRect(graphics::Rect rect) {
    if (rect.size.width <= 0 || rect.size.height <= 0)
        return;
    cairo_save(cairo_);
    cairo_translate(cairo_, rect.midX(), rect.midY());
    cairo_scale(cairo_, rect.size.width / 2, rect.size.height / 2);
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cairo_);
    cairo_restore(cairo_);
}

void GraphicsContext::addRoundedRect(graphics::Rect rect, float radius) {
    radius = std::min({radius, std::fabs(rect.size.width) / 2, std::fabs(rect.size.height) / 2});
    if (radius <= 0) {
        addRect(rect);
        return;
    }
    float x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    cairo_new_sub_path(cairo_);
    cairo_arc(cairo_, x1 - radius, y0 + radius, radius, -M_PI / 2, 0);
    cairo_arc(cairo_, x1 - radius, y1 - radius, radius, 0, M_PI / 2);
    cairo_arc(cairo_, x0 + radius, y1 - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cairo_, x0 + radius, y0 + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cairo_);
}

void GraphicsContext::closePath() {
    if (cairo_has_current_point(cairo_))
        cairo_close_path(cairo_);
}

bool GraphicsContext::isPathEmpty() const {
    return !cairo_has_current_point(cairo_);
}

void GraphicsContext::fillPath() {
    useColor(state_.back().fill);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cairo_);
    drawn_ = true;
}

void GraphicsContext::eoFillPath() {
    useColor(state_.back().fill);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cairo_);
    cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
    drawn_ = true;
}

void GraphicsContext::strokePath() {
    useColor(state_.back().stroke);
    cairo_stroke(cairo_);
    drawn_ = true;
}

void GraphicsContext::drawPath() {
    useColor(state_.back().fill);
    cairo_fill_preserve(cairo_);
    strokePath();
}

void GraphicsContext::clip() {
    cairo_clip(cairo_);
}

void GraphicsContext::fillRect(graphics::Rect rect) {
    cairo_new_path(cairo_);
    addRect(rect);
    fillPath();
}

void GraphicsContext::strokeRect(graphics::Rect rect) {
    cairo_new_path(cairo_);
    addRect(rect);
    strokePath();
}

void GraphicsContext::drawRadialGradient(
    graphics::Point center, float startRadius, Color startColor, float endRadius, Color endColor) {
    if (!(endRadius > startRadius) || startRadius < 0)
        return;
    auto* pattern = cairo_pattern_create_radial(
        center.x, center.y, startRadius, center.x, center.y, endRadius);
    float alpha = state_.back().alpha;
    cairo_pattern_add_color_stop_rgba(pattern, 0, startColor.red(), startColor.green(),
        startColor.blue(), startColor.alpha() * alpha);
    cairo_pattern_add_color_stop_rgba(
        pattern, 1, endColor.red(), endColor.green(), endColor.blue(), endColor.alpha() * alpha);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    cairo_save(cairo_);
    cairo_set_source(cairo_, pattern);
    cairo_paint(cairo_);
    cairo_restore(cairo_);
    cairo_pattern_destroy(pattern);
    drawn_ = true;
}

void GraphicsContext::clearRect(graphics::Rect rect) {
    cairo_save(cairo_);
    cairo_set_operator(cairo_, CAIRO_OPERATOR_CLEAR);
    cairo_new_path(cairo_);
    addRect(rect);
    cairo_fill(cairo_);
    cairo_restore(cairo_);
}

void GraphicsContext::fillEllipseInRect(graphics::Rect rect) {
    cairo_new_path(cairo_);
    addEllipseInRect(rect);
    fillPath();
}

void GraphicsContext::strokeEllipseInRect(graphics::Rect rect) {
    cairo_new_path(cairo_);
    addEllipseInRect(rect);
    strokePath();
}

void GraphicsContext::fillRoundedRect(graphics::Rect rect, float radius) {
    cairo_new_path(cairo_);
    addRoundedRect(rect, radius);
    fillPath();
}

void GraphicsContext::strokeRoundedRect(graphics::Rect rect, float radius) {
    cairo_new_path(cairo_);
    addRoundedRect(rect, radius);
    strokePath();
}

void GraphicsContext::strokeLineSegments(std::vector<graphics::Point> const& points) {
    cairo_new_path(cairo_);
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
        cairo_move_to(cairo_, points[i].x, points[i].y);
        cairo_line_to(cairo_, points[i + 1].x, points[i + 1].y);
    }
    strokePath();
}

void GraphicsContext::clipToRect(graphics::Rect rect) {
    cairo_new_path(cairo_);
    addRect(rect);
    cairo_clip(cairo_);
}

void GraphicsContext::drawBitmap(cairo_surface_t* surface, int width, int height,
    graphics::Rect rect, float alpha, int leftCap, int topCap, float imageScale) {
    if (width <= 0 || height <= 0 || rect.size.width == 0 || rect.size.height == 0)
        return;
    alpha *= state_.back().alpha;
    // Columns and rows of the source and of the destination: caps keep their size (in
    // the image's pixels as points, shrunk when the destination is smaller), the middle
    // stretches.
    struct Span {
        double from, length, to, size;
    };
    auto spans = [imageScale](int cap, int total, double origin, double extent) {
        std::vector<Span> result;
        if (cap <= 0 || cap * 2 + 1 > total) {
            result.push_back({0, double(total), origin, extent});
            return result;
        }
        double capPoints = cap / imageScale;
        double endCap = total - cap - 1;
        double endPoints = endCap / imageScale;
        double shrink = std::min(1.0, std::fabs(extent) / std::max(1e-9, capPoints + endPoints));
        double first = capPoints * shrink, last = endPoints * shrink;
        double middle = std::fabs(extent) - first - last;
        result.push_back({0, double(cap), origin, first});
        if (middle > 0)
            result.push_back({double(cap), 1, origin + first, middle});
        result.push_back({double(cap + 1), endCap, origin + first + std::max(0.0, middle), last});
        return result;
    };
    auto columns = spans(leftCap, width, rect.origin.x, rect.size.width);
    auto rows = spans(topCap, height, rect.origin.y, rect.size.height);
    for (auto const& row : rows) {
        for (auto const& column : columns) {
            if (column.size <= 0 || row.size <= 0 || column.length <= 0 || row.length <= 0)
                continue;
            // A piece of its own, so filtering never reaches into the neighbouring piece.
            auto* piece = cairo_surface_create_for_rectangle(
                surface, column.from, row.from, column.length, row.length);
            cairo_save(cairo_);
            cairo_new_path(cairo_);
            cairo_rectangle(cairo_, column.to, row.to, column.size, row.size);
            cairo_clip(cairo_);
            cairo_translate(cairo_, column.to, row.to);
            cairo_scale(cairo_, column.size / column.length, row.size / row.length);
            cairo_set_source_surface(cairo_, piece, 0, 0);
            cairo_pattern_set_extend(cairo_get_source(cairo_), CAIRO_EXTEND_PAD);
            cairo_pattern_set_filter(cairo_get_source(cairo_), CAIRO_FILTER_BILINEAR);
            cairo_paint_with_alpha(cairo_, alpha);
            cairo_restore(cairo_);
            cairo_surface_destroy(piece);
        }
    }
    drawn_ = true;
}

void GraphicsContext::drawImage(Image const& image, graphics::Rect rect, float alpha) {
    auto const& bitmap = image.bitmap();
    auto* surface = surfaceOf(bitmap);
    // Caps are in points; the bitmap counts pixels.
    drawBitmap(surface, bitmap.width(), bitmap.height(), rect, alpha,
        int(std::lround(image.leftCapWidth() * image.scale())),
        int(std::lround(image.topCapHeight() * image.scale())), image.scale());
    cairo_surface_destroy(surface);
}

void GraphicsContext::drawImage(Image const& image, graphics::Rect rect, Color overlay) {
    if (overlay.isClear()) {
        drawImage(image, rect, 1.0f);
        return;
    }
    cairo_push_group(cairo_);
    drawImage(image, rect, 1.0f);
    cairo_set_operator(cairo_, CAIRO_OPERATOR_ATOP);
    cairo_set_source_rgba(cairo_, overlay.red(), overlay.green(), overlay.blue(), overlay.alpha());
    cairo_paint(cairo_);
    cairo_pop_group_to_source(cairo_);
    cairo_paint_with_alpha(cairo_, state_.back().alpha);
}

void GraphicsContext::drawImage(graphics::Image const& bitmap, graphics::Rect rect, float alpha) {
    if (bitmap.isEmpty())
        return;
    auto* surface = surfaceOf(bitmap);
    drawBitmap(surface, bitmap.width(), bitmap.height(), rect, alpha, 0, 0, 1);
    cairo_surface_destroy(surface);
}

void GraphicsContext::showGlyphs(graphics::Font const& font,
    std::span<graphics::GlyphId const> glyphs, std::span<graphics::Point const> positions,
    graphics::Point origin) {
    auto* face = font.face().cairoFace();
    if (!face || glyphs.empty() || glyphs.size() != positions.size())
        return;
    auto draw = [&](graphics::Point at) {
        std::vector<cairo_glyph_t> run(glyphs.size());
        for (std::size_t i = 0; i < glyphs.size(); ++i)
            run[i] = {glyphs[i], double(at.x + positions[i].x), double(at.y + positions[i].y)};
        cairo_save(cairo_);
        cairo_set_font_face(cairo_, face);
        cairo_set_font_size(cairo_, font.pointSize());
        cairo_show_glyphs(cairo_, run.data(), int(run.size()));
        cairo_restore(cairo_);
    };
    auto const& state = state_.back();
    if (!state.shadowColor.isClear()) {
        useColor(state.shadowColor);
        draw({origin.x + state.shadowOffset.width, origin.y + state.shadowOffset.height});
    }
    useColor(state.fill);
    draw(origin);
    drawn_ = true;
}

graphics::Size GraphicsContext::drawText(std::string_view text, graphics::Rect rect,
    graphics::Font const* font, LineBreakMode mode, TextAlignment alignment) {
    auto layout
        = TextLayout::layout(text, font, rect.size.width, mode, alignment, 0, rect.size.height);
    layout.draw(*this, rect.origin);
    return layout.size();
}

graphics::Size GraphicsContext::drawTextAtPoint(
    std::string_view text, graphics::Point point, graphics::Font const* font) {
    auto layout = TextLayout::layout(text, font, 0, LineBreakMode::Clip, TextAlignment::Left, 1);
    layout.draw(*this, point);
    return layout.size();
}

graphics::Image GraphicsContext::makeImage() const {
    cairo_surface_flush(surface_);
    graphics::Image image(pixelWidth_, pixelHeight_);
    auto const* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < pixelHeight_; ++y) {
        auto const* in = reinterpret_cast<std::uint32_t const*>(data + std::ptrdiff_t(y) * stride);
        auto* out = image.row(y);
        for (int x = 0; x < pixelWidth_; ++x) {
            std::uint32_t p = in[x];
            out[4 * x + 0] = std::uint8_t(p >> 16);
            out[4 * x + 1] = std::uint8_t(p >> 8);
            out[4 * x + 2] = std::uint8_t(p);
            out[4 * x + 3] = std::uint8_t(p >> 24);
        }
    }
    return image;
}

}
