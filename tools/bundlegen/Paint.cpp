#include <bundlegen/Paint.hpp>

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace bundlegen::paint {

namespace {

constexpr double pi = M_PI;

struct Faces {
    FT_Library library {nullptr};
    FT_Face rounded {nullptr};
    FT_Face sans {nullptr};
    cairo_font_face_t* roundedFace {nullptr};
    cairo_font_face_t* sansFace {nullptr};
};
Faces faces;

FT_Face openFace(char const* path) {
    FT_Face face = nullptr;
    if (FT_New_Face(faces.library, path, 0, &face) != 0)
        throw std::runtime_error(
            std::string("font missing: ") + path + " (tools/install-deps.sh installs it)");
    return face;
}

cairo_font_face_t* faceFor(Font font) {
    return font == Font::Rounded ? faces.roundedFace : faces.sansFace;
}

// Icons are drawn in a 100-unit box centred on the origin; the outline keeps a
// readable width whatever the icon's size.
class IconSpace {
public:
    IconSpace(cairo_t* cr, double cx, double cy, double size)
        : cr_(cr)
        , k_(size / 100.0)
        , size_(size) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, k_, k_);
    }
    ~IconSpace() { cairo_restore(cr_); }
    double line() const { return std::clamp(size_ * 0.05, 0.7, 1.8) / k_; }

private:
    cairo_t* cr_;
    double k_;
    double size_;
};

void strokeTwice(cairo_t* cr, Color fill, double width, double outlineWidth) {
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, width + 2 * outlineWidth);
    cairo_stroke_preserve(cr);
    setColor(cr, fill);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void highlight(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha = 0.45) {
    ellipse(cr, cx, cy, rx, ry);
    setColor(cr, palette::white.withAlpha(alpha));
    cairo_fill(cr);
}

}

void loadFonts() {
    if (faces.library)
        return;
    if (FT_Init_FreeType(&faces.library) != 0)
        throw std::runtime_error("cannot start FreeType");
    faces.rounded = openFace("/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf");
    faces.sans = openFace("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
    faces.roundedFace = cairo_ft_font_face_create_for_ft_face(faces.rounded, 0);
    faces.sansFace = cairo_ft_font_face_create_for_ft_face(faces.sans, 0);
}

void releaseFonts() {
    if (!faces.library)
        return;
    cairo_font_face_destroy(faces.roundedFace);
    cairo_font_face_destroy(faces.sansFace);
    FT_Done_Face(faces.rounded);
    FT_Done_Face(faces.sans);
    FT_Done_FreeType(faces.library);
    faces = {};
}

void setColor(cairo_t* cr, Color c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::max(0.0, std::min({r, w / 2, h / 2}));
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void circle(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * pi);
    cairo_close_path(cr);
}

void ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * pi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void fillOutline(cairo_t* cr, Color fill, Color line, double width) {
    setColor(cr, fill);
    if (width <= 0) {
        cairo_fill(cr);
        return;
    }
    cairo_fill_preserve(cr);
    setColor(cr, line);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void fillGradient(cairo_t* cr, double y0, double y1, Color top, Color bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(gradient, 0, top.r, top.g, top.b, top.a);
    cairo_pattern_add_color_stop_rgba(gradient, 1, bottom.r, bottom.g, bottom.b, bottom.a);
    cairo_set_source(cr, gradient);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gradient);
}

void fillGradientOutline(
    cairo_t* cr, double y0, double y1, Color top, Color bottom, Color line, double width) {
    fillGradient(cr, y0, y1, top, bottom);
    if (width > 0) {
        setColor(cr, line);
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    } else {
        cairo_new_path(cr);
    }
}

void dashedStroke(cairo_t* cr, Color color, double width, double on, double off) {
    double dash[2] = {on, off};
    cairo_set_dash(cr, dash, 2, 0);
    setColor(cr, color);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
}

void shadow(cairo_t* cr, double x, double y, double w, double h, double r, double blur) {
    // A few widening translucent layers stand in for a blur.
    for (int i = 3; i >= 1; --i) {
        double grow = blur * i / 3.0;
        roundedRect(cr, x - grow + 1, y - grow + blur * 0.7, w + 2 * grow, h + 2 * grow, r + grow);
        setColor(cr, palette::black.withAlpha(0.09));
        cairo_fill(cr);
    }
}

void panel(
    cairo_t* cr, double x, double y, double w, double h, double radius, Color fill, Color border) {
    double inset = std::clamp(std::min(w, h) * 0.045, 3.0, 7.0);
    shadow(cr, x + 1, y + 1, w - 2, h - 2, radius, 3);
    roundedRect(cr, x + 0.75, y + 0.75, w - 1.5, h - 1.5, radius);
    fillGradientOutline(cr, y, y + h, border.shade(0.3), border.shade(-0.1));
    roundedRect(cr, x + inset, y + inset, w - 2 * inset, h - 2 * inset, radius - inset * 0.6);
    fillGradientOutline(
        cr, y + inset, y + h - inset, fill.shade(0.5), fill, border.shade(-0.35), 1.0);
    // Stitching along the inner edge.
    double s = inset + 3.5;
    roundedRect(cr, x + s, y + s, w - 2 * s, h - 2 * s, std::max(2.0, radius - s * 0.6));
    dashedStroke(cr, border.shade(0.1).withAlpha(0.7), 0.9);
}

void button(cairo_t* cr, double x, double y, double w, double h, Color base, double radius) {
    if (radius < 0)
        radius = h * 0.42;
    double lip = std::max(1.5, h * 0.08);
    double ol = std::clamp(h * 0.035, 1.0, 2.5);
    roundedRect(cr, x + ol / 2, y + ol / 2 + lip, w - ol, h - ol - lip, radius);
    fillOutline(cr, base.shade(-0.35), base.shade(-0.6), ol);
    roundedRect(cr, x + ol / 2, y + ol / 2, w - ol, h - ol - lip, radius);
    fillGradientOutline(
        cr, y, y + h - lip, base.shade(0.35), base.shade(-0.05), base.shade(-0.6), ol);
    // Gloss on the upper half.
    roundedRect(
        cr, x + radius * 0.5, y + ol + h * 0.06, w - radius, (h - lip) * 0.38, radius * 0.6);
    setColor(cr, palette::white.withAlpha(0.32));
    cairo_fill(cr);
}

void badge(cairo_t* cr, double cx, double cy, double r, Color base) {
    double ol = std::clamp(r * 0.07, 1.0, 2.5);
    circle(cr, cx, cy + r * 0.08, r - ol / 2);
    fillOutline(cr, base.shade(-0.35), base.shade(-0.6), ol);
    circle(cr, cx, cy, r - ol / 2 - r * 0.04);
    fillGradientOutline(
        cr, cy - r, cy + r, base.shade(0.4), base.shade(-0.05), base.shade(-0.6), ol);
    circle(cr, cx, cy, r * 0.78);
    setColor(cr, palette::white.withAlpha(0.22));
    cairo_set_line_width(cr, r * 0.06);
    cairo_stroke(cr);
    highlight(cr, cx - r * 0.25, cy - r * 0.45, r * 0.45, r * 0.22, 0.35);
}

double textWidth(cairo_t* cr, std::string const& s, double size, Font font) {
    cairo_save(cr);
    cairo_set_font_face(cr, faceFor(font));
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    cairo_restore(cr);
    return extents.x_advance;
}

void text(cairo_t* cr, std::string const& s, double x, double y, double size, Color fill,
    Color line, double lineWidth, Align align, Font font) {
    cairo_save(cr);
    cairo_set_font_face(cr, faceFor(font));
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    double startX = x;
    if (align == Align::Center)
        startX = x - extents.x_advance / 2;
    else if (align == Align::Right)
        startX = x - extents.x_advance;
    cairo_move_to(cr, startX, y);
    cairo_text_path(cr, s.c_str());
    if (lineWidth > 0) {
        setColor(cr, line);
        cairo_set_line_width(cr, lineWidth * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    setColor(cr, fill);
    cairo_fill(cr);
    cairo_restore(cr);
}

void textCentered(cairo_t* cr, std::string const& s, double x, double y, double size, Color fill,
    Color line, double lineWidth, Font font) {
    cairo_save(cr);
    cairo_set_font_face(cr, faceFor(font));
    cairo_set_font_size(cr, size);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_restore(cr);
    // Cap height is close to ascent * 0.72 for both faces.
    text(cr, s, x, y + fe.ascent * 0.36, size, fill, line, lineWidth, Align::Center, font);
}

void star(cairo_t* cr, double cx, double cy, double size, Color fill, int points, double inner) {
    IconSpace space(cr, cx, cy, size);
    cairo_new_path(cr);
    for (int i = 0; i < points * 2; ++i) {
        double r = (i % 2 == 0) ? 50 : 50 * inner;
        double a = -pi / 2 + i * pi / points;
        double px = r * std::cos(a);
        double py = r * std::sin(a) + 4;
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -50, 50, fill.shade(0.35), fill.shade(-0.1), palette::outline, space.line());
    highlight(cr, -10, -14, 9, 6, 0.5);
}

void heart(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, 0, 42);
    cairo_curve_to(cr, -60, 2, -40, -52, 0, -22);
    cairo_curve_to(cr, 40, -52, 60, 2, 0, 42);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -45, 45, fill.shade(0.3), fill.shade(-0.1), palette::outline, space.line());
    highlight(cr, -20, -18, 10, 7, 0.55);
}

void coin(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    circle(cr, 0, 3, 46);
    fillOutline(cr, palette::goldDark, palette::outline, space.line());
    circle(cr, 0, 0, 46);
    fillGradientOutline(
        cr, -46, 46, palette::honey.shade(0.35), palette::gold, palette::outline, space.line());
    circle(cr, 0, 0, 33);
    setColor(cr, palette::goldDark.withAlpha(0.8));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    text(cr, "$", 0, 20, 58, palette::goldDark.shade(-0.1), palette::outline, 0, Align::Center,
        Font::Rounded);
    highlight(cr, -16, -24, 12, 7, 0.55);
}

void petPoint(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    circle(cr, 0, 3, 46);
    fillOutline(cr, palette::purple.shade(-0.3), palette::outline, space.line());
    circle(cr, 0, 0, 46);
    fillGradientOutline(
        cr, -46, 46, palette::lilac.shade(0.35), palette::purple, palette::outline, space.line());
    circle(cr, 0, 0, 34);
    setColor(cr, palette::white.withAlpha(0.35));
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    paw(cr, 0, 2, 52, palette::white);
    highlight(cr, -18, -26, 11, 6, 0.5);
}

void token(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    circle(cr, 0, 3, 46);
    fillOutline(cr, palette::tealDark, palette::outline, space.line());
    circle(cr, 0, 0, 46);
    fillGradientOutline(
        cr, -46, 46, palette::mint.shade(0.3), palette::teal, palette::outline, space.line());
    for (int i = 0; i < 12; ++i) {
        double a = i * pi / 6;
        circle(cr, 38 * std::cos(a), 38 * std::sin(a), 3.5);
    }
    setColor(cr, palette::white.withAlpha(0.8));
    cairo_fill(cr);
    star(cr, 0, 0, 48, palette::honey);
}

void paw(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    ellipse(cr, 0, 16, 24, 20);
    ellipse(cr, -30, -8, 10, 12.5);
    ellipse(cr, -11, -30, 10.5, 13);
    ellipse(cr, 11, -30, 10.5, 13);
    ellipse(cr, 30, -8, 10, 12.5);
    setColor(cr, fill);
    cairo_fill(cr);
}

void musicNote(cairo_t* cr, double cx, double cy, double size, Color fill, bool twin) {
    IconSpace space(cr, cx, cy, size);
    cairo_new_path(cr);
    if (twin) {
        ellipse(cr, -24, 30, 15, 11);
        ellipse(cr, 22, 22, 15, 11);
        cairo_rectangle(cr, -13, -34, 7, 64);
        cairo_rectangle(cr, 33, -42, 7, 64);
        cairo_move_to(cr, -13, -34);
        cairo_line_to(cr, 40, -44);
        cairo_line_to(cr, 40, -28);
        cairo_line_to(cr, -13, -18);
        cairo_close_path(cr);
    } else {
        ellipse(cr, -8, 30, 19, 14);
        cairo_rectangle(cr, 5, -42, 8, 70);
        cairo_move_to(cr, 13, -42);
        cairo_curve_to(cr, 22, -30, 44, -24, 34, 2);
        cairo_curve_to(cr, 36, -16, 26, -20, 13, -22);
        cairo_close_path(cr);
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    fillGradientOutline(cr, -45, 45, fill.shade(0.3), fill, palette::outline, space.line());
}

void scissors(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, -16, 18);
    cairo_line_to(cr, 18, -46);
    cairo_line_to(cr, 8, 12);
    cairo_close_path(cr);
    fillGradientOutline(cr, -46, 18, palette::white, palette::grey, palette::outline, ol);
    cairo_move_to(cr, 16, 18);
    cairo_line_to(cr, -18, -46);
    cairo_line_to(cr, -8, 12);
    cairo_close_path(cr);
    fillGradientOutline(cr, -46, 18, palette::white, palette::grey, palette::outline, ol);
    circle(cr, -20, 30, 14);
    circle(cr, 20, 30, 14);
    cairo_set_line_width(cr, 9 + 2 * ol);
    setColor(cr, palette::outline);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 9);
    setColor(cr, palette::coral);
    cairo_stroke(cr);
    circle(cr, 0, 10, 4);
    fillOutline(cr, palette::honey, palette::outline, ol * 0.6);
}

void droplet(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, 0, -48);
    cairo_curve_to(cr, 10, -28, 36, -6, 36, 16);
    cairo_curve_to(cr, 36, 38, 20, 48, 0, 48);
    cairo_curve_to(cr, -20, 48, -36, 38, -36, 16);
    cairo_curve_to(cr, -36, -6, -10, -28, 0, -48);
    cairo_close_path(cr);
    fillGradientOutline(cr, -48, 48, fill.shade(0.45), fill, palette::outline, space.line());
    highlight(cr, -14, 10, 7, 12, 0.6);
}

void soapBubbles(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    struct B {
        double x, y, r;
    };
    for (B b : {B {-16, 12, 28}, B {22, 20, 20}, B {14, -26, 18}}) {
        circle(cr, b.x, b.y, b.r);
        fillOutline(cr, palette::sky.shade(0.5).withAlpha(0.9), palette::outline, space.line());
        highlight(cr, b.x - b.r * 0.35, b.y - b.r * 0.4, b.r * 0.28, b.r * 0.18, 0.9);
    }
}

void hairDryer(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    roundedRect(cr, -8, 0, 18, 46, 7);
    fillGradientOutline(
        cr, 0, 46, palette::rose.shade(0.2), palette::rose.shade(-0.1), palette::outline, ol);
    roundedRect(cr, -42, -32, 62, 36, 18);
    fillGradientOutline(cr, -32, 4, palette::pink.shade(0.3), palette::rose, palette::outline, ol);
    roundedRect(cr, 16, -28, 28, 28, 6);
    fillGradientOutline(cr, -28, 0, palette::grey.shade(0.4), palette::grey, palette::outline, ol);
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 48 + i * 0, -24 + i * 10);
        cairo_line_to(cr, 56, -24 + i * 10);
    }
    setColor(cr, palette::sky.shade(-0.1));
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    circle(cr, -22, -14, 8);
    fillOutline(cr, palette::white.withAlpha(0.7), palette::outline, ol * 0.6);
}

void bathTub(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    for (double x : {-28.0, -6.0, 16.0, 34.0}) {
        circle(cr, x, -12 - std::fmod(std::abs(x), 9.0), 12);
        fillOutline(cr, palette::white, palette::outline, ol * 0.7);
    }
    cairo_move_to(cr, -48, -6);
    cairo_line_to(cr, 48, -6);
    cairo_curve_to(cr, 46, 26, 30, 34, 0, 34);
    cairo_curve_to(cr, -30, 34, -46, 26, -48, -6);
    cairo_close_path(cr);
    fillGradientOutline(cr, -6, 34, palette::white, palette::sky.shade(0.3), palette::outline, ol);
    roundedRect(cr, -30, 32, 8, 12, 3);
    roundedRect(cr, 22, 32, 8, 12, 3);
    fillOutline(cr, palette::gold, palette::outline, ol * 0.8);
}

void armchair(cairo_t* cr, double cx, double cy, double size, Color fabric) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    roundedRect(cr, -34, -42, 68, 56, 18);
    fillGradientOutline(cr, -42, 14, fabric.shade(0.3), fabric, palette::outline, ol);
    roundedRect(cr, -30, 4, 60, 24, 10);
    fillGradientOutline(cr, 4, 28, fabric.shade(0.45), fabric.shade(0.1), palette::outline, ol);
    roundedRect(cr, -46, -12, 20, 44, 9);
    roundedRect(cr, 26, -12, 20, 44, 9);
    fillGradientOutline(cr, -12, 32, fabric.shade(0.2), fabric.shade(-0.15), palette::outline, ol);
    roundedRect(cr, -38, 30, 8, 14, 3);
    roundedRect(cr, 30, 30, 8, 14, 3);
    fillOutline(cr, palette::woodDark, palette::outline, ol * 0.8);
}

void cashRegister(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    roundedRect(cr, -24, -44, 36, 22, 5);
    fillGradientOutline(
        cr, -44, -22, palette::mint.shade(0.5), palette::mint, palette::outline, ol);
    roundedRect(cr, -44, -24, 88, 46, 10);
    fillGradientOutline(
        cr, -24, 22, palette::coral.shade(0.3), palette::coral, palette::outline, ol);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 4; ++col) {
            roundedRect(cr, -34 + col * 17, -14 + row * 14, 12, 9, 3);
            fillOutline(cr, palette::cream, palette::outline, ol * 0.5);
        }
    roundedRect(cr, -48, 20, 96, 22, 6);
    fillGradientOutline(cr, 20, 42, palette::woodLight, palette::wood, palette::outline, ol);
    coin(cr, 0, 31, 16);
}

void faceMask(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    ellipse(cr, 0, 4, 40, 44);
    fillGradientOutline(
        cr, -40, 48, palette::mint.shade(0.45), palette::mint, palette::outline, ol);
    for (double x : {-16.0, 16.0}) {
        circle(cr, x, -6, 13);
        fillOutline(cr, palette::green, palette::outline, ol * 0.8);
        circle(cr, x, -6, 9);
        setColor(cr, palette::green.shade(0.6));
        cairo_fill(cr);
    }
    cairo_arc(cr, 0, 18, 12, 0.2, pi - 0.2);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, ol);
    cairo_stroke(cr);
}

void spaStones(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    ellipse(cr, 0, 30, 42, 15);
    fillGradientOutline(
        cr, 15, 45, palette::grey.shade(0.2), palette::greyDark, palette::outline, ol);
    ellipse(cr, -2, 6, 32, 12);
    fillGradientOutline(cr, -6, 18, palette::grey.shade(0.35), palette::grey, palette::outline, ol);
    ellipse(cr, 2, -14, 22, 10);
    fillGradientOutline(
        cr, -24, -4, palette::grey.shade(0.5), palette::grey.shade(0.1), palette::outline, ol);
    cairo_move_to(cr, 6, -22);
    cairo_curve_to(cr, 10, -46, 34, -50, 42, -44);
    cairo_curve_to(cr, 36, -26, 20, -20, 6, -22);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -50, -20, palette::green.shade(0.3), palette::leaf, palette::outline, ol);
}

void flea(cairo_t* cr, double cx, double cy, double size, bool crossed) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 4);
    for (int side : {-1, 1})
        for (int i = 0; i < 3; ++i) {
            cairo_move_to(cr, side * 10, -4 + i * 10);
            cairo_line_to(cr, side * 30, -12 + i * 16);
            cairo_line_to(cr, side * 36, 2 + i * 16);
        }
    cairo_stroke(cr);
    ellipse(cr, 0, 6, 16, 22);
    fillGradientOutline(
        cr, -16, 28, palette::wood.shade(0.2), palette::woodDark, palette::outline, ol);
    circle(cr, 0, -20, 10);
    fillOutline(cr, palette::woodDark, palette::outline, ol);
    if (crossed) {
        circle(cr, 0, 0, 44);
        cairo_move_to(cr, -31, -31);
        cairo_line_to(cr, 31, 31);
        strokeTwice(cr, palette::red, 8, ol);
    }
}

void bell(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    circle(cr, 0, -38, 6);
    fillOutline(cr, palette::honey, palette::outline, ol);
    cairo_move_to(cr, -38, 20);
    cairo_curve_to(cr, -38, -40, 38, -40, 38, 20);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -34, 20, palette::honey.shade(0.4), palette::gold, palette::outline, ol);
    roundedRect(cr, -46, 18, 92, 14, 6);
    fillGradientOutline(cr, 18, 32, palette::woodLight, palette::wood, palette::outline, ol);
    highlight(cr, -14, -8, 8, 14, 0.5);
}

void clock(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    circle(cr, 0, 0, 44);
    fillGradientOutline(cr, -44, 44, palette::sky.shade(0.2), palette::blue, palette::outline, ol);
    circle(cr, 0, 0, 34);
    fillOutline(cr, palette::paper, palette::outline, ol * 0.7);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 0, -24);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, 16, 6);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
    circle(cr, 0, 0, 5);
    fillOutline(cr, palette::coral, palette::outline, 0);
}

void calendar(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    roundedRect(cr, -40, -34, 80, 76, 10);
    fillOutline(cr, palette::paper, palette::outline, ol);
    roundedRect(cr, -40, -34, 80, 24, 10);
    fillGradientOutline(
        cr, -34, -10, palette::coral.shade(0.3), palette::coral, palette::outline, ol);
    for (double x : {-20.0, 20.0}) {
        roundedRect(cr, x - 4, -44, 8, 18, 4);
        fillOutline(cr, palette::grey.shade(0.4), palette::outline, ol * 0.7);
    }
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col) {
            roundedRect(cr, -28 + col * 20, 0 + row * 18, 14, 11, 3);
            setColor(cr, (row == 1 && col == 1) ? palette::coral : palette::creamDark.shade(-0.1));
            cairo_fill(cr);
        }
}

void gear(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    int teeth = 8;
    cairo_new_path(cr);
    for (int i = 0; i < teeth * 4; ++i) {
        double a = i * 2 * pi / (teeth * 4) - pi / 2;
        double r = (i % 4 == 0 || i % 4 == 1) ? 46 : 34;
        if (i == 0)
            cairo_move_to(cr, r * std::cos(a), r * std::sin(a));
        else
            cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    }
    cairo_close_path(cr);
    circle(cr, 0, 0, 14);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    fillGradientOutline(cr, -46, 46, fill.shade(0.4), fill, palette::outline, ol);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void questionMark(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    textCentered(cr, "?", 0, 0, 110, fill, palette::outline, space.line(), Font::Rounded);
}

void lightning(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, 12, -50);
    cairo_line_to(cr, -30, 8);
    cairo_line_to(cr, -2, 8);
    cairo_line_to(cr, -14, 50);
    cairo_line_to(cr, 32, -12);
    cairo_line_to(cr, 4, -12);
    cairo_close_path(cr);
    fillGradientOutline(cr, -50, 50, fill.shade(0.45), fill, palette::outline, space.line());
}

void plus(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, -32, 0);
    cairo_line_to(cr, 32, 0);
    cairo_move_to(cr, 0, -32);
    cairo_line_to(cr, 0, 32);
    strokeTwice(cr, fill, 20, space.line());
}

void cross(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, -26, -26);
    cairo_line_to(cr, 26, 26);
    cairo_move_to(cr, 26, -26);
    cairo_line_to(cr, -26, 26);
    strokeTwice(cr, fill, 18, space.line());
}

void check(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, -32, 2);
    cairo_line_to(cr, -10, 26);
    cairo_line_to(cr, 34, -26);
    strokeTwice(cr, fill, 18, space.line());
}

void arrow(cairo_t* cr, double cx, double cy, double size, double angle, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, 46, 0);
    cairo_line_to(cr, 4, -40);
    cairo_line_to(cr, 4, -18);
    cairo_line_to(cr, -40, -18);
    cairo_line_to(cr, -40, 18);
    cairo_line_to(cr, 4, 18);
    cairo_line_to(cr, 4, 40);
    cairo_close_path(cr);
    fillGradientOutline(cr, -40, 40, fill.shade(0.4), fill, palette::outline, space.line());
}

void refresh(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_arc(cr, 0, 0, 30, -pi * 0.2, pi * 1.35);
    strokeTwice(cr, fill, 14, space.line());
    double a = -pi * 0.2;
    double px = 30 * std::cos(a);
    double py = 30 * std::sin(a);
    cairo_move_to(cr, px + 18, py + 4);
    cairo_line_to(cr, px - 4, py - 20);
    cairo_line_to(cr, px - 14, py + 12);
    cairo_close_path(cr);
    fillOutline(cr, fill, palette::outline, space.line());
}

void globe(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    circle(cr, 0, 0, 44);
    fillGradientOutline(cr, -44, 44, palette::sky.shade(0.3), palette::blue, palette::outline, ol);
    cairo_move_to(cr, -20, -30);
    cairo_curve_to(cr, 0, -40, 10, -20, -6, -10);
    cairo_curve_to(cr, -20, 0, -30, -10, -20, -30);
    cairo_move_to(cr, 10, 4);
    cairo_curve_to(cr, 30, 0, 36, 20, 20, 32);
    cairo_curve_to(cr, 6, 36, 0, 16, 10, 4);
    fillOutline(cr, palette::green, palette::outline, ol * 0.7);
}

void trophy(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    for (int side : {-1, 1}) {
        cairo_arc(cr, side * 30, -20, 14, 0, 2 * pi);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 8 + 2 * ol);
        cairo_stroke_preserve(cr);
        setColor(cr, fill);
        cairo_set_line_width(cr, 8);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, -32, -40);
    cairo_line_to(cr, 32, -40);
    cairo_curve_to(cr, 32, 0, 16, 14, 0, 14);
    cairo_curve_to(cr, -16, 14, -32, 0, -32, -40);
    cairo_close_path(cr);
    fillGradientOutline(cr, -40, 14, fill.shade(0.45), fill, palette::outline, ol);
    roundedRect(cr, -7, 12, 14, 18, 3);
    fillOutline(cr, fill.shade(-0.15), palette::outline, ol);
    roundedRect(cr, -26, 28, 52, 16, 5);
    fillGradientOutline(cr, 28, 44, palette::woodLight, palette::woodDark, palette::outline, ol);
    star(cr, 0, -16, 26, palette::white);
}

void lock(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_arc(cr, 0, -14, 22, pi, 2 * pi);
    cairo_line_to(cr, 22, 0);
    cairo_move_to(cr, -22, 0);
    cairo_line_to(cr, -22, -14);
    strokeTwice(cr, palette::grey.shade(0.2), 10, ol);
    roundedRect(cr, -34, -4, 68, 50, 10);
    fillGradientOutline(cr, -4, 46, palette::honey.shade(0.3), palette::gold, palette::outline, ol);
    circle(cr, 0, 16, 7);
    cairo_rectangle(cr, -3, 18, 6, 14);
    setColor(cr, palette::outline);
    cairo_fill(cr);
}

void crown(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, -44, 30);
    cairo_line_to(cr, -48, -22);
    cairo_line_to(cr, -22, 0);
    cairo_line_to(cr, 0, -36);
    cairo_line_to(cr, 22, 0);
    cairo_line_to(cr, 48, -22);
    cairo_line_to(cr, 44, 30);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -36, 30, palette::honey.shade(0.4), palette::gold, palette::outline, ol);
    for (double x : {-48.0, 0.0, 48.0}) {
        circle(cr, x, x == 0 ? -40 : -26, 7);
        fillOutline(cr, palette::rose, palette::outline, ol * 0.7);
    }
    circle(cr, 0, 12, 8);
    fillOutline(cr, palette::teal, palette::outline, ol * 0.7);
}

void speaker(cairo_t* cr, double cx, double cy, double size, bool on) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, -40, -14);
    cairo_line_to(cr, -20, -14);
    cairo_line_to(cr, 4, -36);
    cairo_line_to(cr, 4, 36);
    cairo_line_to(cr, -20, 14);
    cairo_line_to(cr, -40, 14);
    cairo_close_path(cr);
    fillGradientOutline(cr, -36, 36, palette::paper, palette::creamDark, palette::outline, ol);
    if (on) {
        for (int i = 0; i < 2; ++i) {
            cairo_arc(cr, 6, 0, 18 + i * 16, -0.8, 0.8);
            strokeTwice(cr, palette::white, 7, ol * 0.8);
        }
    } else {
        cairo_move_to(cr, 18, -16);
        cairo_line_to(cr, 44, 16);
        cairo_move_to(cr, 44, -16);
        cairo_line_to(cr, 18, 16);
        strokeTwice(cr, palette::red, 8, ol * 0.8);
    }
}

void wheel(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    Color const colors[] = {palette::coral, palette::honey, palette::teal, palette::lilac,
        palette::rose, palette::green, palette::sky, palette::orange};
    for (int i = 0; i < 8; ++i) {
        cairo_move_to(cr, 0, 0);
        cairo_arc(cr, 0, 0, 40, i * pi / 4, (i + 1) * pi / 4);
        cairo_close_path(cr);
        setColor(cr, colors[i]);
        cairo_fill(cr);
    }
    circle(cr, 0, 0, 40);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, ol);
    cairo_stroke(cr);
    circle(cr, 0, 0, 44);
    setColor(cr, palette::gold);
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    circle(cr, 0, 0, 48);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, ol);
    cairo_stroke(cr);
    circle(cr, 0, 0, 9);
    fillOutline(cr, palette::paper, palette::outline, ol);
    cairo_move_to(cr, -9, -54);
    cairo_line_to(cr, 9, -54);
    cairo_line_to(cr, 0, -36);
    cairo_close_path(cr);
    fillOutline(cr, palette::red, palette::outline, ol);
}

void smiley(cairo_t* cr, double cx, double cy, double size, Color fill, int mood) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    circle(cr, 0, 0, 44);
    fillGradientOutline(cr, -44, 44, fill.shade(0.4), fill, palette::outline, ol);
    setColor(cr, palette::outline);
    if (mood < 0) {
        cairo_set_line_width(cr, 6);
        cairo_move_to(cr, -24, -18);
        cairo_line_to(cr, -8, -10);
        cairo_move_to(cr, 24, -18);
        cairo_line_to(cr, 8, -10);
        cairo_stroke(cr);
    }
    ellipse(cr, -14, -4, 5, 7);
    ellipse(cr, 14, -4, 5, 7);
    cairo_fill(cr);
    cairo_set_line_width(cr, 6);
    if (mood > 0)
        cairo_arc(cr, 0, 8, 18, 0.3, pi - 0.3);
    else if (mood < 0)
        cairo_arc(cr, 0, 30, 16, pi + 0.4, 2 * pi - 0.4);
    else {
        cairo_move_to(cr, -14, 20);
        cairo_line_to(cr, 14, 20);
    }
    cairo_stroke(cr);
    if (mood > 0) {
        ellipse(cr, -28, 10, 8, 5);
        ellipse(cr, 28, 10, 8, 5);
        setColor(cr, palette::blush.withAlpha(0.6));
        cairo_fill(cr);
    }
}

void person(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, -38, 46);
    cairo_curve_to(cr, -38, 8, 38, 8, 38, 46);
    cairo_close_path(cr);
    fillGradientOutline(cr, 8, 46, fill.shade(0.3), fill, palette::outline, ol);
    circle(cr, 0, -18, 24);
    fillGradientOutline(cr, -42, 6, palette::skin.shade(0.2), palette::skin, palette::outline, ol);
}

void sparkle(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    cairo_move_to(cr, 0, -50);
    cairo_curve_to(cr, 4, -10, 10, -4, 50, 0);
    cairo_curve_to(cr, 10, 4, 4, 10, 0, 50);
    cairo_curve_to(cr, -4, 10, -10, 4, -50, 0);
    cairo_curve_to(cr, -10, -4, -4, -10, 0, -50);
    cairo_close_path(cr);
    setColor(cr, fill);
    cairo_fill(cr);
}

void flame(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, 0, -50);
    cairo_curve_to(cr, 20, -20, 40, -6, 36, 18);
    cairo_curve_to(cr, 32, 40, 16, 48, 0, 48);
    cairo_curve_to(cr, -16, 48, -34, 40, -36, 18);
    cairo_curve_to(cr, -38, -4, -20, -10, -12, -30);
    cairo_curve_to(cr, -4, -16, -2, -30, 0, -50);
    cairo_close_path(cr);
    fillGradientOutline(cr, -50, 48, palette::honey, palette::coral, palette::outline, ol);
    cairo_move_to(cr, 0, -6);
    cairo_curve_to(cr, 14, 8, 20, 20, 16, 32);
    cairo_curve_to(cr, 10, 44, -10, 44, -16, 32);
    cairo_curve_to(cr, -20, 20, -8, 10, 0, -6);
    cairo_close_path(cr);
    setColor(cr, palette::honey.shade(0.5));
    cairo_fill(cr);
}

void bone(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_rectangle(cr, -30, -10, 60, 20);
    for (int sx : {-1, 1})
        for (int sy : {-1, 1})
            circle(cr, sx * 34, sy * 11, 14);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, ol * 2);
    cairo_stroke_preserve(cr);
    setColor(cr, fill);
    cairo_fill(cr);
}

void moneyBag(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    cairo_move_to(cr, -14, -30);
    cairo_curve_to(cr, -52, 0, -50, 46, 0, 46);
    cairo_curve_to(cr, 50, 46, 52, 0, 14, -30);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -30, 46, palette::woodLight.shade(0.3), palette::wood, palette::outline, ol);
    cairo_move_to(cr, -16, -30);
    cairo_line_to(cr, -22, -46);
    cairo_line_to(cr, 22, -46);
    cairo_line_to(cr, 16, -30);
    cairo_close_path(cr);
    fillOutline(cr, palette::woodLight, palette::outline, ol);
    roundedRect(cr, -18, -34, 36, 7, 3);
    fillOutline(cr, palette::gold, palette::outline, ol * 0.7);
    text(cr, "$", 0, 30, 50, palette::honey, palette::outline, ol * 0.6, Align::Center,
        Font::Rounded);
}

void chatBubble(cairo_t* cr, double cx, double cy, double size, Color fill) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    roundedRect(cr, -44, -38, 88, 62, 22);
    cairo_move_to(cr, -20, 20);
    cairo_line_to(cr, -28, 44);
    cairo_line_to(cr, 2, 22);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    fillGradientOutline(cr, -38, 44, fill.shade(0.35), fill, palette::outline, ol);
    for (int i = -1; i <= 1; ++i)
        circle(cr, i * 20, -6, 6);
    setColor(cr, palette::white);
    cairo_fill(cr);
}

void hedgehog(cairo_t* cr, double cx, double cy, double size) {
    IconSpace space(cr, cx, cy, size);
    double ol = space.line();
    // Quills: a ring of rounded spikes behind the body.
    cairo_new_path(cr);
    int spikes = 11;
    for (int i = 0; i <= spikes; ++i) {
        double a = pi + i * pi / spikes;
        double r = (i % 2 == 0) ? 48 : 38;
        double px = -4 + r * std::cos(a) * 1.05;
        double py = 14 + r * std::sin(a);
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_line_to(cr, 40, 30);
    cairo_line_to(cr, -48, 30);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, -36, 30, palette::wood.shade(0.1), palette::woodDark, palette::outline, ol);
    ellipse(cr, 6, 18, 34, 24);
    fillGradientOutline(cr, -6, 42, palette::cream, palette::creamDark, palette::outline, ol);
    ellipse(cr, 36, 20, 8, 7);
    fillOutline(cr, palette::black, palette::outline, 0);
    ellipse(cr, 18, 8, 4.5, 6);
    setColor(cr, palette::black);
    cairo_fill(cr);
    circle(cr, 16.5, 6, 1.8);
    setColor(cr, palette::white);
    cairo_fill(cr);
    ellipse(cr, 22, 22, 6, 4);
    setColor(cr, palette::blush.withAlpha(0.7));
    cairo_fill(cr);
    for (double x : {-16.0, 16.0}) {
        ellipse(cr, x, 42, 8, 5);
        fillOutline(cr, palette::woodDark, palette::outline, ol * 0.7);
    }
}

}
