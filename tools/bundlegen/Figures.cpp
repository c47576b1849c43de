#include <bundlegen/Figures.hpp>
#include <bundlegen/Paint.hpp>

#include <cmath>

namespace bundlegen {

using namespace paint;
using P = PersonLook;

namespace {

constexpr double pi = M_PI;
constexpr double lineWidth = 1.15;

void capsule(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Color fill) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, width + 2 * lineWidth);
    cairo_stroke_preserve(cr);
    setColor(cr, fill);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// A limb hanging from (x, y) at `angle` (0 = straight down), `length` long.
void limb(cairo_t* cr, double x, double y, double angle, double length, double width, Color fill,
    Color end, double endRadius) {
    double ex = x + std::sin(angle) * length;
    double ey = y + std::cos(angle) * length;
    capsule(cr, x, y, ex, ey, width, fill);
    if (endRadius > 0) {
        circle(cr, ex, ey, endRadius);
        fillOutline(cr, end, palette::outline, lineWidth);
    }
}

void eye(cairo_t* cr, double x, double y, double size) {
    ellipse(cr, x, y, size * 0.8, size);
    setColor(cr, palette::black);
    cairo_fill(cr);
    circle(cr, x - size * 0.3, y - size * 0.4, size * 0.38);
    setColor(cr, palette::white);
    cairo_fill(cr);
}

void cheeks(cairo_t* cr, double x0, double x1, double y, double rx) {
    ellipse(cr, x0, y, rx, rx * 0.6);
    ellipse(cr, x1, y, rx, rx * 0.6);
    setColor(cr, palette::blush.withAlpha(0.55));
    cairo_fill(cr);
}

void smile(cairo_t* cr, double x, double y, double r) {
    cairo_new_path(cr);
    cairo_arc(cr, x, y - r * 0.6, r, 0.45, pi - 0.45);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
}

struct Walk {
    double t;
    double bob;
    bool walking;
    bool serving;
};

Walk walkOf(Pose const& pose) {
    Walk w {};
    w.t = pose.phase * 2 * pi;
    w.walking = pose.action == Action::Walk;
    w.serving = pose.action == Action::Serve;
    w.bob = w.walking ? -1.3 * std::abs(std::sin(w.t)) : 0;
    if (w.serving)
        w.bob = -0.6 * std::abs(std::sin(w.t));
    return w;
}

// ---- People --------------------------------------------------------------------------

void hairBackLayer(cairo_t* cr, P const& look, Facing facing, double hy) {
    // Hair that hangs behind the head and body: drawn before them.
    Color hair = look.hair;
    switch (look.hairStyle) {
    case P::Hair::Long:
        if (facing == Facing::Right) {
            roundedRect(cr, -17, hy - 8, 15, 26, 7);
        } else {
            roundedRect(cr, -17, hy - 10, 34, 30, 10);
        }
        fillGradientOutline(
            cr, hy - 10, hy + 20, hair.shade(0.15), hair.shade(-0.1), palette::outline, lineWidth);
        break;
    case P::Hair::Ponytail:
        if (facing == Facing::Down) {
            ellipse(cr, 14, hy + 4, 5, 9);
            fillOutline(cr, hair, palette::outline, lineWidth);
        } else if (facing == Facing::Right) {
            ellipse(cr, -16, hy + 3, 5.5, 10);
            fillOutline(cr, hair, palette::outline, lineWidth);
        }
        break;
    case P::Hair::Bob:
        if (facing != Facing::Right) {
            roundedRect(cr, -17, hy - 8, 34, 19, 8);
            fillOutline(cr, hair.shade(-0.05), palette::outline, lineWidth);
        }
        break;
    default:
        break;
    }
}

void hairFront(cairo_t* cr, P const& look, Facing facing, double hx, double hy) {
    Color hair = look.hair;
    if (look.hairStyle == P::Hair::Bald)
        return;
    cairo_save(cr);
    if (facing == Facing::Up) {
        // The back of the head is all hair.
        circle(cr, hx, hy, 15.2);
        fillGradientOutline(
            cr, hy - 15, hy + 15, hair.shade(0.2), hair.shade(-0.1), palette::outline, lineWidth);
        if (look.hairStyle == P::Hair::Ponytail) {
            ellipse(cr, hx, hy + 14, 5, 9);
            fillOutline(cr, hair, palette::outline, lineWidth);
            circle(cr, hx, hy + 5, 3);
            fillOutline(cr, look.accent, palette::outline, lineWidth);
        }
        if (look.hairStyle == P::Hair::Short || look.hairStyle == P::Hair::Spiky) {
            // The nape shows below short hair.
            ellipse(cr, hx, hy + 11, 9, 4.5);
            setColor(cr, look.skin);
            cairo_fill(cr);
        }
    } else if (facing == Facing::Down) {
        cairo_move_to(cr, hx - 15.5, hy + 2);
        cairo_curve_to(cr, hx - 17, hy - 18, hx + 17, hy - 18, hx + 15.5, hy + 2);
        cairo_curve_to(cr, hx + 12, hy - 4, hx + 8, hy - 8, hx + 4, hy - 6);
        cairo_curve_to(cr, hx + 1, hy - 10, hx - 2, hy - 9, hx - 4, hy - 7);
        cairo_curve_to(cr, hx - 8, hy - 9, hx - 13, hy - 5, hx - 15.5, hy + 2);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, hy - 16, hy + 2, hair.shade(0.25), hair.shade(-0.05), palette::outline, lineWidth);
        ellipse(cr, hx - 5, hy - 11, 4, 1.6);
        setColor(cr, palette::white.withAlpha(0.35));
        cairo_fill(cr);
    } else {
        cairo_move_to(cr, hx - 14, hy + 9);
        cairo_curve_to(cr, hx - 20, hy - 6, hx - 10, hy - 19, hx + 3, hy - 16);
        cairo_curve_to(cr, hx + 12, hy - 15, hx + 17, hy - 8, hx + 15, hy - 3);
        cairo_curve_to(cr, hx + 10, hy - 6, hx + 5, hy - 6, hx + 1, hy - 5);
        cairo_curve_to(cr, hx - 2, hy - 2, hx - 3, hy + 3, hx - 6, hy + 6);
        cairo_curve_to(cr, hx - 8, hy + 9, hx - 11, hy + 10, hx - 14, hy + 9);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, hy - 16, hy + 9, hair.shade(0.25), hair.shade(-0.05), palette::outline, lineWidth);
    }
    // Style details on top.
    switch (look.hairStyle) {
    case P::Hair::Bun:
        circle(cr, hx + (facing == Facing::Right ? -4 : 0), hy - 16, 6);
        fillGradientOutline(
            cr, hy - 22, hy - 10, hair.shade(0.25), hair, palette::outline, lineWidth);
        break;
    case P::Hair::Curly:
        for (int i = 0; i < 5; ++i) {
            double a = pi + i * pi / 4;
            circle(cr, hx + 14 * std::cos(a), hy - 2 + 14 * std::sin(a), 5);
        }
        fillOutline(cr, hair.shade(0.05), palette::outline, lineWidth);
        break;
    case P::Hair::Spiky:
        cairo_move_to(cr, hx - 12, hy - 9);
        for (int i = 0; i < 5; ++i) {
            cairo_line_to(cr, hx - 10 + i * 5, hy - 21 + (i % 2) * 2);
            cairo_line_to(cr, hx - 7.5 + i * 5, hy - 12);
        }
        cairo_close_path(cr);
        fillOutline(cr, hair, palette::outline, lineWidth);
        break;
    default:
        break;
    }
    cairo_restore(cr);
}

void headExtra(cairo_t* cr, P const& look, P::Extra extra, Facing facing, double hx, double hy) {
    switch (extra) {
    case P::Extra::Glasses:
        if (facing == Facing::Down) {
            circle(cr, hx - 5.5, hy + 1, 4);
            circle(cr, hx + 5.5, hy + 1, 4);
            cairo_move_to(cr, hx - 1.5, hy + 1);
            cairo_line_to(cr, hx + 1.5, hy + 1);
        } else if (facing == Facing::Right) {
            circle(cr, hx + 8, hy + 1, 4);
            cairo_move_to(cr, hx + 4, hy);
            cairo_line_to(cr, hx - 3, hy - 1);
        } else {
            return;
        }
        setColor(cr, palette::ink);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        break;
    case P::Extra::Hat: {
        double brim = facing == Facing::Right ? 2 : 0;
        ellipse(cr, hx + brim, hy - 10, 21, 4.5);
        fillOutline(cr, look.accent, palette::outline, lineWidth);
        cairo_move_to(cr, hx - 11 + brim, hy - 11);
        cairo_curve_to(
            cr, hx - 12 + brim, hy - 26, hx + 12 + brim, hy - 26, hx + 11 + brim, hy - 11);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, hy - 25, hy - 10, look.accent.shade(0.3), look.accent, palette::outline, lineWidth);
        cairo_move_to(cr, hx - 10 + brim, hy - 14);
        cairo_line_to(cr, hx + 10 + brim, hy - 14);
        setColor(cr, palette::white);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
        // A feather.
        cairo_move_to(cr, hx + 6 + brim, hy - 20);
        cairo_curve_to(cr, hx + 14, hy - 34, hx + 22, hy - 30, hx + 24, hy - 28);
        cairo_curve_to(cr, hx + 18, hy - 26, hx + 12, hy - 22, hx + 6 + brim, hy - 20);
        fillOutline(cr, palette::pink, palette::outline, lineWidth * 0.8);
        break;
    }
    case P::Extra::Cap: {
        cairo_move_to(cr, hx - 14, hy - 6);
        cairo_curve_to(cr, hx - 15, hy - 22, hx + 15, hy - 22, hx + 14, hy - 6);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, hy - 20, hy - 6, look.accent.shade(0.3), look.accent, palette::outline, lineWidth);
        if (facing == Facing::Down)
            ellipse(cr, hx, hy - 6, 12, 3);
        else if (facing == Facing::Right)
            ellipse(cr, hx + 14, hy - 6, 8, 2.5);
        else
            break;
        fillOutline(cr, look.accent.shade(-0.15), palette::outline, lineWidth);
        break;
    }
    case P::Extra::Mask:
        if (facing == Facing::Up) {
            cairo_move_to(cr, hx - 3, hy);
            cairo_line_to(cr, hx - 8, hy + 10);
            cairo_move_to(cr, hx + 3, hy);
            cairo_line_to(cr, hx + 8, hy + 10);
            setColor(cr, look.accent);
            cairo_set_line_width(cr, 2.5);
            cairo_stroke(cr);
            break;
        }
        if (facing == Facing::Down)
            roundedRect(cr, hx - 13, hy - 3, 26, 8, 4);
        else
            roundedRect(cr, hx + 1, hy - 3, 14, 8, 4);
        fillOutline(cr, look.accent, palette::outline, lineWidth);
        if (facing == Facing::Down) {
            ellipse(cr, hx - 5.5, hy + 1, 2.6, 2);
            ellipse(cr, hx + 5.5, hy + 1, 2.6, 2);
        } else {
            ellipse(cr, hx + 8, hy + 1, 2.4, 2);
        }
        setColor(cr, palette::white);
        cairo_fill(cr);
        break;
    case P::Extra::Headband:
        if (facing == Facing::Up)
            break;
        cairo_arc(cr, hx, hy + 2, 15, pi * 1.12, pi * 1.88);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 4.4);
        cairo_stroke_preserve(cr);
        setColor(cr, look.accent);
        cairo_set_line_width(cr, 2.6);
        cairo_stroke(cr);
        break;
    case P::Extra::Bow: {
        double bx = facing == Facing::Right ? hx - 4 : hx + 8;
        double by = hy - 12;
        cairo_move_to(cr, bx, by);
        cairo_line_to(cr, bx - 6, by - 4);
        cairo_line_to(cr, bx - 6, by + 4);
        cairo_close_path(cr);
        cairo_move_to(cr, bx, by);
        cairo_line_to(cr, bx + 6, by - 4);
        cairo_line_to(cr, bx + 6, by + 4);
        cairo_close_path(cr);
        fillOutline(cr, look.accent, palette::outline, lineWidth);
        circle(cr, bx, by, 1.8);
        fillOutline(cr, look.accent.shade(-0.1), palette::outline, lineWidth * 0.6);
        break;
    }
    case P::Extra::Beard:
        if (facing == Facing::Up)
            break;
        if (facing == Facing::Down) {
            cairo_move_to(cr, hx - 12, hy + 3);
            cairo_curve_to(cr, hx - 10, hy + 18, hx + 10, hy + 18, hx + 12, hy + 3);
            cairo_curve_to(cr, hx + 6, hy + 8, hx - 6, hy + 8, hx - 12, hy + 3);
        } else {
            cairo_move_to(cr, hx - 2, hy + 4);
            cairo_curve_to(cr, hx, hy + 17, hx + 12, hy + 15, hx + 14, hy + 4);
            cairo_curve_to(cr, hx + 8, hy + 8, hx + 2, hy + 8, hx - 2, hy + 4);
        }
        fillOutline(cr, look.hair, palette::outline, lineWidth);
        break;
    default:
        break;
    }
}

void face(cairo_t* cr, P const& look, Facing facing, double hx, double hy, bool happy) {
    if (facing == Facing::Up)
        return;
    if (facing == Facing::Down) {
        eye(cr, hx - 5.5, hy + 1, 2.3);
        eye(cr, hx + 5.5, hy + 1, 2.3);
        cheeks(cr, hx - 9.5, hx + 9.5, hy + 6, 3);
        smile(cr, hx, hy + 7.5, happy ? 3.2 : 2.4);
    } else {
        eye(cr, hx + 8, hy + 1, 2.3);
        cheeks(cr, hx + 9.5, hx + 9.5, hy + 6, 2.6);
        smile(cr, hx + 12, hy + 7.5, 2.2);
        ellipse(cr, hx - 2, hy + 2, 2.2, 3);
        fillOutline(cr, look.skin.shade(-0.05), palette::outline, lineWidth * 0.7);
    }
}

void brush(cairo_t* cr, double x, double y, double angle) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    roundedRect(cr, -1.5, -9, 3, 8, 1.5);
    fillOutline(cr, palette::wood, palette::outline, 0.8);
    roundedRect(cr, -4, -13, 8, 5, 2);
    fillOutline(cr, palette::rose, palette::outline, 0.8);
    for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, -3 + i * 2, -13);
        cairo_line_to(cr, -3 + i * 2, -16);
    }
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 0.7);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void robot(cairo_t* cr, P const& look, Pose const& pose) {
    Walk w = walkOf(pose);
    double bob = w.walking ? -1.0 * std::abs(std::sin(w.t * 2)) : 0;
    Color metal = look.top;
    // Wheel base.
    ellipse(cr, 0, -5, 12, 5.5);
    fillGradientOutline(
        cr, -10, 0, palette::greyDark.shade(0.2), palette::greyDark, palette::outline, lineWidth);
    if (pose.facing == Facing::Right) {
        circle(cr, 0, -5, 4.5);
        fillOutline(cr, palette::grey, palette::outline, lineWidth);
        double a = w.t * 2;
        cairo_move_to(cr, -4 * std::cos(a), -5 - 4 * std::sin(a));
        cairo_line_to(cr, 4 * std::cos(a), -5 + 4 * std::sin(a));
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    double by = bob;
    // Arms.
    double swing = w.serving ? std::sin(w.t) * 0.6 : (w.walking ? std::sin(w.t) * 0.3 : 0.15);
    if (pose.facing != Facing::Right) {
        limb(cr, -13, -36 + by, swing + 0.25, 12, 4.5, metal.shade(-0.15), palette::grey, 3.2);
        limb(cr, 13, -36 + by, -swing - 0.25, 12, 4.5, metal.shade(-0.15), palette::grey, 3.2);
    }
    // Body.
    roundedRect(cr, -12, -42 + by, 24, 32, 8);
    fillGradientOutline(
        cr, -42 + by, -10 + by, metal.shade(0.35), metal, palette::outline, lineWidth);
    if (pose.facing != Facing::Up) {
        double px = pose.facing == Facing::Right ? 3 : 0;
        roundedRect(cr, -7 + px, -34 + by, 14, 10, 3);
        fillOutline(cr, palette::cream, palette::outline, lineWidth * 0.8);
        coin(cr, px, -29 + by, 7);
        for (int i = 0; i < 3; ++i) {
            circle(cr, -5 + px + i * 5, -17 + by, 1.8);
            setColor(cr, i == 0 ? palette::coral : (i == 1 ? palette::honey : palette::teal));
            cairo_fill(cr);
        }
    }
    if (pose.facing == Facing::Right)
        limb(cr, 1, -36 + by, -swing - 0.3, 12, 4.5, metal.shade(-0.15), palette::grey, 3.2);
    // Head.
    double hy = -55 + by;
    cairo_move_to(cr, 0, hy - 12);
    cairo_line_to(cr, 0, hy - 18);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    circle(cr, 0, hy - 19.5, 2.8);
    fillOutline(cr, palette::coral, palette::outline, lineWidth);
    roundedRect(cr, -15, hy - 12, 30, 24, 9);
    fillGradientOutline(
        cr, hy - 12, hy + 12, metal.shade(0.45), metal.shade(0.05), palette::outline, lineWidth);
    if (pose.facing != Facing::Up) {
        double px = pose.facing == Facing::Right ? 4 : 0;
        double sw = pose.facing == Facing::Right ? 18 : 22;
        roundedRect(cr, -sw / 2 + px, hy - 7, sw, 14, 5);
        fillOutline(cr, palette::navy, palette::outline, lineWidth * 0.8);
        setColor(cr, palette::mint.shade(0.3));
        cairo_set_line_width(cr, 1.6);
        if (pose.facing == Facing::Down) {
            cairo_arc(cr, -5, hy + 1, 2.5, pi * 1.1, pi * 1.9);
            cairo_new_sub_path(cr);
            cairo_arc(cr, 5, hy + 1, 2.5, pi * 1.1, pi * 1.9);
        } else {
            cairo_arc(cr, px + 4, hy + 1, 2.5, pi * 1.1, pi * 1.9);
        }
        cairo_stroke(cr);
        cheeks(cr, -9 + px, 9 + px, hy + 4, 2);
    }
}

}

void drawPerson(cairo_t* cr, double x, double y, PersonLook const& look, Pose const& pose) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, look.scale, look.scale);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

    // Soft ground shadow.
    ellipse(cr, 0, -1, 12, 3);
    setColor(cr, palette::black.withAlpha(0.15));
    cairo_fill(cr);

    if (look.outfit == P::Outfit::Robot) {
        robot(cr, look, pose);
        cairo_restore(cr);
        return;
    }

    Walk w = walkOf(pose);
    Facing facing = pose.facing;
    bool sitting = pose.action == Action::Sit;
    double b = w.bob;
    // Sitting figures are drawn with the seat 21 points above the frame bottom.
    double hipY = sitting ? -21 : -16 + b;
    double shoulderY = hipY - 23;
    double headY = shoulderY - 14;
    double headX = facing == Facing::Right ? 1 : 0;
    Color sleeve = look.outfit == P::Outfit::Suit ? look.top : look.top;
    Color armBack = sleeve.shade(-0.12);
    bool longSkirt = look.outfit == P::Outfit::Gown;
    bool skirt = look.outfit == P::Outfit::Dress || longSkirt;

    // Cape behind everything.
    if (look.outfit == P::Outfit::Hero && facing != Facing::Down) {
        double flap = std::sin(w.t) * 2;
        cairo_move_to(cr, -10, shoulderY);
        cairo_line_to(cr, 10, shoulderY);
        cairo_line_to(cr, 14 + flap, hipY + 8);
        cairo_line_to(cr, -14 - (facing == Facing::Right ? 6 : 0) + flap, hipY + 9);
        cairo_close_path(cr);
        fillGradientOutline(cr, shoulderY, hipY + 8, look.accent.shade(0.2),
            look.accent.shade(-0.15), palette::outline, lineWidth);
    } else if (look.outfit == P::Outfit::Hero) {
        cairo_move_to(cr, -12, shoulderY + 2);
        cairo_line_to(cr, -15, hipY + 6);
        cairo_line_to(cr, 15, hipY + 6);
        cairo_line_to(cr, 12, shoulderY + 2);
        cairo_close_path(cr);
        fillOutline(cr, look.accent.shade(-0.2), palette::outline, lineWidth);
    }

    hairBackLayer(cr, look, facing, headY);

    // Legs.
    if (sitting) {
        for (int side : {-1, 1}) {
            capsule(cr, side * 5, hipY + 2, side * 6, hipY + 11, 6.5, look.bottom);
            capsule(cr, side * 6, hipY + 11, side * 6, -6, 5.5, look.skin.shade(-0.03));
            ellipse(cr, side * 6, -4.5, 4.2, 2.6);
            fillOutline(cr, look.shoes, palette::outline, lineWidth);
        }
    } else if (facing == Facing::Right) {
        double swing = w.walking ? std::sin(w.t) * 0.45 : 0;
        for (int leg : {1, 0}) {
            double a = leg ? -swing : swing;
            Color c = leg ? look.bottom.shade(-0.12) : look.bottom;
            double lx = std::sin(a) * 14;
            double ly = hipY + std::cos(a) * 14;
            capsule(cr, 0, hipY, lx, ly, 6, skirt ? look.skin : c);
            ellipse(cr, lx + 2, ly + 1.2, 4.3, 2.5);
            fillOutline(
                cr, leg ? look.shoes.shade(-0.15) : look.shoes, palette::outline, lineWidth);
        }
    } else {
        for (int side : {-1, 1}) {
            double lift = 0;
            if (w.walking)
                lift = std::max(0.0, side * std::sin(w.t)) * 3;
            double footY = -1.5 - lift;
            capsule(cr, side * 5, hipY, side * 5, footY, 6, skirt ? look.skin : look.bottom);
            ellipse(cr, side * 5, footY + 0.3, 4, 2.6);
            fillOutline(cr, look.shoes, palette::outline, lineWidth);
        }
    }

    // Back arm (side view).
    double armSwing = w.walking ? std::sin(w.t) * 0.5 : 0;
    if (facing == Facing::Right && !w.serving)
        limb(cr, -1, shoulderY + 3, armSwing, 15, 5.5, armBack, look.skin, 2.8);

    // Torso.
    double bodyHalf = facing == Facing::Right ? 8 : 11;
    if (skirt) {
        double hem = longSkirt ? (sitting ? hipY + 8 : hipY + 11) : hipY + 6;
        double flare = longSkirt ? 16 : 14;
        cairo_move_to(cr, -bodyHalf + 1, shoulderY + 2);
        cairo_curve_to(
            cr, -bodyHalf, shoulderY - 1, bodyHalf, shoulderY - 1, bodyHalf - 1, shoulderY + 2);
        cairo_line_to(cr, facing == Facing::Right ? flare - 3 : flare, hem);
        cairo_curve_to(cr, flare * 0.5, hem + 2, -flare * 0.5, hem + 2, -flare, hem);
        cairo_close_path(cr);
        fillGradientOutline(cr, shoulderY, hem, look.top.shade(0.25), look.top.shade(-0.08),
            palette::outline, lineWidth);
        cairo_move_to(cr, -bodyHalf + 1, hipY - 7);
        cairo_line_to(cr, bodyHalf - 1, hipY - 7);
        setColor(cr, look.bottom);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
    } else {
        roundedRect(cr, -bodyHalf, shoulderY, bodyHalf * 2, hipY - shoulderY + 3, 6.5);
        fillGradientOutline(cr, shoulderY, hipY + 3, look.top.shade(0.25), look.top.shade(-0.08),
            palette::outline, lineWidth);
        roundedRect(cr, -bodyHalf, hipY - 4, bodyHalf * 2, 7, 3);
        fillOutline(cr, look.bottom, palette::outline, lineWidth);
    }
    if (look.outfit == P::Outfit::Apron && facing != Facing::Up) {
        double ax = facing == Facing::Right ? 3 : 0;
        double aw = facing == Facing::Right ? 7 : 8.5;
        roundedRect(cr, ax - aw, shoulderY + 5, aw * 2, hipY - shoulderY + 2, 3.5);
        fillOutline(cr, look.accent, palette::outline, lineWidth);
        roundedRect(cr, ax - 4, hipY - 9, 8, 5, 1.5);
        fillOutline(cr, look.accent.shade(-0.1), palette::outline, lineWidth * 0.7);
        paw(cr, ax, shoulderY + 10, 6, look.accent.shade(-0.3));
    }
    if (look.outfit == P::Outfit::Apron && facing == Facing::Up) {
        cairo_move_to(cr, -9, hipY - 6);
        cairo_line_to(cr, 9, hipY - 6);
        setColor(cr, look.accent);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
        circle(cr, 0, hipY - 6, 2.2);
        fillOutline(cr, look.accent, palette::outline, 0.8);
    }
    if (look.outfit == P::Outfit::Suit && facing != Facing::Up) {
        double sx = facing == Facing::Right ? 3 : 0;
        cairo_move_to(cr, sx - 5, shoulderY + 0.5);
        cairo_line_to(cr, sx + 5, shoulderY + 0.5);
        cairo_line_to(cr, sx, shoulderY + 12);
        cairo_close_path(cr);
        fillOutline(cr, palette::white, palette::outline, lineWidth * 0.8);
        cairo_move_to(cr, sx, shoulderY + 2);
        cairo_line_to(cr, sx - 1.8, shoulderY + 10);
        cairo_line_to(cr, sx, shoulderY + 13);
        cairo_line_to(cr, sx + 1.8, shoulderY + 10);
        cairo_close_path(cr);
        fillOutline(cr, look.accent, palette::outline, 0.6);
        if (facing == Facing::Down) {
            // A sash across the chest.
            cairo_move_to(cr, -10, shoulderY + 3);
            cairo_line_to(cr, 10, hipY - 5);
            setColor(cr, palette::gold);
            cairo_set_line_width(cr, 2.4);
            cairo_stroke(cr);
            star(cr, 6, shoulderY + 7, 5, palette::honey);
        }
    }
    if (look.outfit == P::Outfit::Hero && facing != Facing::Up) {
        double sx = facing == Facing::Right ? 3 : 0;
        cairo_move_to(cr, sx, shoulderY + 4);
        cairo_line_to(cr, sx + 5, shoulderY + 8.5);
        cairo_line_to(cr, sx, shoulderY + 13);
        cairo_line_to(cr, sx - 5, shoulderY + 8.5);
        cairo_close_path(cr);
        fillOutline(cr, palette::honey, palette::outline, lineWidth * 0.8);
        lightning(cr, sx, shoulderY + 8.5, 7, look.accent);
    }
    if (look.extra == P::Extra::Pearls || look.extra2 == P::Extra::Pearls) {
        if (facing != Facing::Up) {
            for (int i = -3; i <= 3; ++i) {
                double px = (facing == Facing::Right ? 3 : 0) + i * 2.1;
                double py = shoulderY + 2.5 + (9 - i * i) * 0.25;
                circle(cr, px, py, 1.3);
            }
            setColor(cr, palette::white);
            cairo_fill_preserve(cr);
            setColor(cr, palette::outline);
            cairo_set_line_width(cr, 0.5);
            cairo_stroke(cr);
        }
    }

    // Arms in front.
    if (w.serving) {
        double work = std::sin(w.t);
        if (facing == Facing::Down) {
            // Both hands at work in front of the apron, the brush going up and down.
            double reach = 11 + work * 2;
            limb(cr, -10, shoulderY + 3, -0.75, reach, 5.5, sleeve, look.skin, 2.8);
            limb(cr, 10, shoulderY + 3, 0.75 - work * 0.25, reach, 5.5, sleeve, look.skin, 2.8);
            double a = 0.75 - work * 0.25;
            brush(cr, 10 + std::sin(a) * reach, shoulderY + 3 + std::cos(a) * reach, -0.5);
        } else if (facing == Facing::Up) {
            // Seen from behind the hands work in front: only the elbows move at the sides.
            limb(cr, -10, shoulderY + 3, -0.5 - work * 0.2, 9, 5.5, sleeve, look.skin, 0);
            limb(cr, 10, shoulderY + 3, 0.5 - work * 0.2, 9, 5.5, sleeve, look.skin, 0);
        } else {
            double a = 1.9 + work * 0.35;
            limb(cr, 1, shoulderY + 3, a, 14, 5.5, sleeve, look.skin, 2.8);
            brush(cr, 1 + std::sin(a) * 14, shoulderY + 3 + std::cos(a) * 14, 0.9);
        }
    } else if (facing == Facing::Right) {
        limb(cr, 1, shoulderY + 3, -armSwing, 15, 5.5, sleeve, look.skin, 2.8);
    } else {
        double out = pose.action == Action::Stand ? 0.35 : 0.2;
        double swing = w.walking ? std::sin(w.t) * 0.12 : 0;
        if (sitting)
            out = 0.5;
        limb(cr, -bodyHalf, shoulderY + 3, out + swing, 14, 5.5, sleeve, look.skin, 2.8);
        limb(cr, bodyHalf, shoulderY + 3, -out + swing, 14, 5.5, sleeve, look.skin, 2.8);
    }

    // Head.
    circle(cr, headX, headY, 15);
    fillGradientOutline(
        cr, headY - 15, headY + 15, look.skin.shade(0.2), look.skin, palette::outline, lineWidth);
    if (facing != Facing::Up) {
        // Ears.
        if (facing == Facing::Down) {
            ellipse(cr, headX - 15, headY + 2, 2.5, 3.5);
            ellipse(cr, headX + 15, headY + 2, 2.5, 3.5);
        }
        setColor(cr, look.skin.shade(-0.05));
        cairo_fill(cr);
    }
    face(cr, look, facing, headX, headY, pose.action != Action::Walk);
    hairFront(cr, look, facing, headX, headY);
    headExtra(cr, look, look.extra, facing, headX, headY);
    headExtra(cr, look, look.extra2, facing, headX, headY);
    cairo_restore(cr);
}

// ---- Pets ----------------------------------------------------------------------------

namespace {

using K = PetLook::Kind;
using E = PetLook::Ears;
using Pat = PetLook::Pattern;

struct PetMetrics {
    double headR;
    double headY;
    double bodyY;
    double bodyRx;
    double bodyRy;
    double legLen;
    double legW;
};

PetMetrics metricsOf(PetLook const& look) {
    switch (look.kind) {
    case K::Pony:
        return {13, -39, -19, 14, 9, 12, 5.5};
    case K::Bunny:
        return {10.5, -22, -10, 10, 8.5, 5, 5};
    case K::Cat:
        return {10.5, -25, -11, 10, 8, 8, 4.5};
    case K::Dog:
    default:
        return {11, -26, -11, 10.5, 8.5, 8, 5};
    }
}

void petEars(cairo_t* cr, PetLook const& look, double hx, double hy, double r, Facing facing,
    double wiggle) {
    Color earColor
        = look.pattern == Pat::Spots || look.pattern == Pat::Mask ? look.marks : look.fur;
    auto one = [&](double side) {
        switch (look.ears) {
        case E::Pointy: {
            double bx = hx + side * r * 0.55;
            cairo_move_to(cr, bx - side * r * 0.45, hy - r * 0.55);
            cairo_line_to(cr, bx + side * r * 0.25, hy - r * 1.45 + wiggle);
            cairo_line_to(cr, bx + side * r * 0.55, hy - r * 0.2);
            cairo_close_path(cr);
            fillOutline(cr, earColor, palette::outline, lineWidth);
            cairo_move_to(cr, bx - side * r * 0.2, hy - r * 0.6);
            cairo_line_to(cr, bx + side * r * 0.22, hy - r * 1.15 + wiggle);
            cairo_line_to(cr, bx + side * r * 0.35, hy - r * 0.45);
            cairo_close_path(cr);
            setColor(cr, palette::pink);
            cairo_fill(cr);
            break;
        }
        case E::Long: {
            cairo_save(cr);
            cairo_translate(cr, hx + side * r * 0.42, hy - r * 0.9);
            cairo_rotate(cr, side * 0.12 + wiggle * 0.04);
            ellipse(cr, 0, -r * 0.8, r * 0.36, r * 1.05);
            fillOutline(cr, look.fur, palette::outline, lineWidth);
            ellipse(cr, 0, -r * 0.75, r * 0.17, r * 0.75);
            setColor(cr, palette::pink);
            cairo_fill(cr);
            cairo_restore(cr);
            break;
        }
        case E::Curly: {
            for (int i = 0; i < 3; ++i) {
                circle(cr, hx + side * (r * 0.95 + i * 0.5), hy - r * 0.1 + i * r * 0.38, r * 0.36);
            }
            fillOutline(cr, earColor.shade(0.1), palette::outline, lineWidth);
            break;
        }
        case E::Floppy:
        default: {
            cairo_save(cr);
            cairo_translate(cr, hx + side * r * 0.82, hy - r * 0.45);
            cairo_rotate(cr, side * (0.35 + wiggle * 0.05));
            cairo_move_to(cr, 0, -r * 0.2);
            cairo_curve_to(
                cr, side * r * 0.6, -r * 0.2, side * r * 0.55, r * 0.9, side * r * 0.1, r * 0.95);
            cairo_curve_to(cr, -side * r * 0.3, r * 0.9, -side * r * 0.3, 0, 0, -r * 0.2);
            cairo_close_path(cr);
            fillOutline(cr, earColor.shade(-0.08), palette::outline, lineWidth);
            cairo_restore(cr);
            break;
        }
        }
    };
    if (facing == Facing::Right) {
        one(-1);
    } else {
        one(-1);
        one(1);
    }
}

void petFaceFront(cairo_t* cr, PetLook const& look, double hx, double hy, double r) {
    if (look.pattern == Pat::Mask) {
        ellipse(cr, hx - r * 0.45, hy - r * 0.1, r * 0.4, r * 0.45);
        setColor(cr, look.marks);
        cairo_fill(cr);
    }
    if (look.pattern == Pat::Stripes) {
        for (int i = -1; i <= 1; ++i) {
            cairo_move_to(cr, hx + i * r * 0.28, hy - r * 0.98);
            cairo_line_to(cr, hx + i * r * 0.22, hy - r * 0.62);
        }
        setColor(cr, look.marks);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    bool pony = look.kind == K::Pony;
    double my = hy + r * (pony ? 0.52 : 0.38);
    ellipse(cr, hx, my, r * (pony ? 0.58 : 0.5), r * (pony ? 0.38 : 0.36));
    fillOutline(cr, look.light, palette::outline, lineWidth * 0.8);
    eye(cr, hx - r * 0.42, hy - r * 0.08, r * 0.2);
    eye(cr, hx + r * 0.42, hy - r * 0.08, r * 0.2);
    cheeks(cr, hx - r * 0.72, hx + r * 0.72, hy + r * 0.3, r * 0.2);
    if (pony) {
        ellipse(cr, hx - r * 0.28, my - r * 0.08, r * 0.06, r * 0.05);
        ellipse(cr, hx + r * 0.28, my - r * 0.08, r * 0.06, r * 0.05);
        setColor(cr, palette::outline.withAlpha(0.7));
        cairo_fill(cr);
        smile(cr, hx, my + r * 0.22, r * 0.22);
        return;
    }
    ellipse(cr, hx, my - r * 0.14, r * 0.17, r * 0.12);
    setColor(cr, look.kind == K::Dog ? palette::black : palette::rose);
    cairo_fill(cr);
    // A small "w" mouth.
    cairo_move_to(cr, hx - r * 0.22, my + r * 0.06);
    cairo_curve_to(cr, hx - r * 0.18, my + r * 0.2, hx - r * 0.02, my + r * 0.2, hx, my + r * 0.04);
    cairo_curve_to(
        cr, hx + r * 0.02, my + r * 0.2, hx + r * 0.18, my + r * 0.2, hx + r * 0.22, my + r * 0.06);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    if (look.kind == K::Cat) {
        for (int side : {-1, 1})
            for (int i = 0; i < 2; ++i) {
                cairo_move_to(cr, hx + side * r * 0.45, my + i * r * 0.12);
                cairo_line_to(cr, hx + side * r * 1.05, my - r * 0.1 + i * r * 0.25);
            }
        setColor(cr, palette::outline.withAlpha(0.6));
        cairo_set_line_width(cr, 0.6);
        cairo_stroke(cr);
    }
}

void petFaceSide(cairo_t* cr, PetLook const& look, double hx, double hy, double r) {
    bool pony = look.kind == K::Pony;
    if (look.pattern == Pat::Stripes) {
        for (int i = 0; i < 2; ++i) {
            cairo_move_to(cr, hx - r * 0.1 + i * r * 0.3, hy - r * 0.98);
            cairo_line_to(cr, hx - r * 0.15 + i * r * 0.3, hy - r * 0.6);
        }
        setColor(cr, look.marks);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    double mx = hx + r * (pony ? 0.75 : 0.72);
    double my = hy + r * (pony ? 0.35 : 0.28);
    ellipse(cr, mx, my, r * (pony ? 0.55 : 0.45), r * (pony ? 0.45 : 0.34));
    fillOutline(cr, look.light, palette::outline, lineWidth * 0.8);
    if (pony) {
        ellipse(cr, mx + r * 0.3, my - r * 0.05, r * 0.08, r * 0.1);
        setColor(cr, palette::outline);
        cairo_fill(cr);
    } else {
        ellipse(cr, mx + r * 0.4, my - r * 0.12, r * 0.15, r * 0.12);
        setColor(cr, look.kind == K::Dog ? palette::black : palette::rose);
        cairo_fill(cr);
    }
    eye(cr, hx + r * 0.32, hy - r * 0.12, r * 0.2);
    cheeks(cr, hx + r * 0.35, hx + r * 0.35, hy + r * 0.38, r * 0.18);
    if (look.kind == K::Cat) {
        for (int i = 0; i < 2; ++i) {
            cairo_move_to(cr, mx + r * 0.2, my + i * r * 0.12);
            cairo_line_to(cr, mx + r * 0.85, my - r * 0.08 + i * r * 0.25);
        }
        setColor(cr, palette::outline.withAlpha(0.6));
        cairo_set_line_width(cr, 0.6);
        cairo_stroke(cr);
    }
}

void petTail(
    cairo_t* cr, PetLook const& look, double x, double y, double dir, double wag, bool up) {
    Color c = look.kind == K::Pony ? look.collar : look.fur;
    switch (look.kind) {
    case K::Bunny:
        circle(cr, x, y, 4);
        fillOutline(cr, palette::white, palette::outline, lineWidth);
        return;
    case K::Pony: {
        cairo_move_to(cr, x, y - 3);
        cairo_curve_to(
            cr, x + dir * 8, y - 4 + wag, x + dir * 10, y + 8, x + dir * 6 + wag, y + 16);
        cairo_curve_to(cr, x + dir * 2, y + 10, x - dir * 1, y + 6, x, y + 3);
        cairo_close_path(cr);
        fillGradientOutline(cr, y - 4, y + 16, c.shade(0.25), c, palette::outline, lineWidth);
        return;
    }
    case K::Cat: {
        cairo_move_to(cr, x, y);
        cairo_curve_to(
            cr, x + dir * 8, y - 2, x + dir * 6 + wag, y - 12, x + dir * 9 + wag, y - 18);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 4 + 2 * lineWidth);
        cairo_stroke_preserve(cr);
        setColor(cr, c);
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
        if (look.pattern == Pat::Socks || look.pattern == Pat::Stripes) {
            circle(cr, x + dir * 9 + wag, y - 18, 2);
            setColor(cr, look.pattern == Pat::Socks ? look.light : look.marks);
            cairo_fill(cr);
        }
        return;
    }
    case K::Dog:
    default:
        if (look.fluffy) {
            circle(cr, x + dir * 4 + wag, y - (up ? 8 : 3), 5);
            capsule(cr, x, y, x + dir * 3 + wag * 0.7, y - (up ? 5 : 2), 2.5, c);
            circle(cr, x + dir * 4 + wag, y - (up ? 8 : 3), 5);
            fillOutline(cr, look.light, palette::outline, lineWidth);
            return;
        }
        capsule(cr, x, y, x + dir * 6 + wag, y - (up ? 10 : 4), 3.5, c);
        return;
    }
}

void collar(cairo_t* cr, PetLook const& look, double x, double y, double w) {
    if (look.kind == K::Pony)
        return;
    roundedRect(cr, x - w / 2, y - 1.5, w, 3, 1.5);
    fillOutline(cr, look.collar, palette::outline, 0.8);
    circle(cr, x, y + 2.5, 1.8);
    fillOutline(cr, palette::honey, palette::outline, 0.6);
}

void petBodyFront(
    cairo_t* cr, PetLook const& look, PetMetrics const& m, Walk const& w, bool sitting, bool back) {
    double b = w.bob;
    bool pony = look.kind == K::Pony;
    double legTop = m.bodyY + m.bodyRy * 0.3 + b;
    double by = m.bodyY + b;
    // Hind legs peek out when sitting.
    if (sitting) {
        for (int side : {-1, 1}) {
            ellipse(cr, side * m.bodyRx * 0.85, -3.5, m.bodyRx * 0.45, 3.6);
            fillOutline(cr, look.fur.shade(-0.06), palette::outline, lineWidth);
        }
        petTail(cr, look, m.bodyRx * 0.9, -4, 1, std::sin(w.t) * 2, false);
        by -= 2;
    }
    ellipse(cr, 0, by, m.bodyRx, sitting ? m.bodyRy * 1.15 : m.bodyRy);
    fillGradientOutline(cr, by - m.bodyRy, by + m.bodyRy, look.fur.shade(0.2), look.fur,
        palette::outline, lineWidth);
    if (back && !sitting && look.kind != K::Pony && look.kind != K::Bunny)
        petTail(cr, look, 0, by + m.bodyRy * 0.2, 0.3, std::sin(w.t * 2) * 3, true);
    if (!back) {
        ellipse(cr, 0, by + 1, m.bodyRx * 0.5, m.bodyRy * 0.7);
        setColor(cr, look.light);
        cairo_fill(cr);
    }
    if (look.pattern == Pat::Spots && back) {
        ellipse(cr, -3, by - 2, 4, 3);
        ellipse(cr, 4, by + 2, 3, 2.5);
        setColor(cr, look.marks);
        cairo_fill(cr);
    }
    if (back && !sitting && look.kind == K::Pony) {
        // The tail hangs down the middle.
        petTail(cr, look, 0, by - 2, 0.2, std::sin(w.t) * 1.5, false);
    }
    for (int side : {-1, 1}) {
        double lift = w.walking ? std::max(0.0, side * std::sin(w.t)) * (pony ? 3 : 2.2) : 0;
        double lx = side * m.bodyRx * 0.45;
        double footY = -1.5 - lift;
        Color legColor = (look.pattern == Pat::Socks) ? look.fur : look.fur.shade(-0.04);
        capsule(cr, lx, legTop, lx, footY, m.legW, legColor);
        ellipse(cr, lx, footY + 0.2, m.legW * 0.62, 2);
        fillOutline(cr, pony ? palette::woodDark : look.light, palette::outline, lineWidth * 0.8);
    }
    if (back && !sitting && look.kind == K::Bunny)
        petTail(cr, look, 0, by + 2, 0, 0, false);
}

void petSide(cairo_t* cr, PetLook const& look, PetMetrics const& m, Walk const& w) {
    bool pony = look.kind == K::Pony;
    bool bunny = look.kind == K::Bunny;
    double b = w.bob;
    double bx = -3;
    double by = m.bodyY + b;
    double legTop = by + m.bodyRy * 0.3;
    auto leg = [&](double x, double phase, bool far) {
        double a = w.walking ? std::sin(w.t + phase) * (bunny ? 0.1 : 0.5) : 0;
        double len = -legTop - 1.5;
        double ex = x + std::sin(a) * len;
        double ey = legTop + std::cos(a) * len;
        Color c = far ? look.fur.shade(-0.15) : look.fur;
        capsule(cr, x, legTop, ex, ey, m.legW, c);
        ellipse(cr, ex + 0.8, ey + 0.2, m.legW * 0.65, 2);
        fillOutline(cr, pony ? palette::woodDark : (far ? look.light.shade(-0.1) : look.light),
            palette::outline, lineWidth * 0.8);
    };
    double front = bx + m.bodyRx * 0.6;
    double rear = bx - m.bodyRx * 0.6;
    leg(front + 2, pi, true);
    leg(rear + 2, 0, true);
    petTail(cr, look, bx - m.bodyRx + 1, by - 2, -1, std::sin(w.t * 2) * 2, true);
    ellipse(cr, bx, by, m.bodyRx * 1.18, m.bodyRy);
    fillGradientOutline(cr, by - m.bodyRy, by + m.bodyRy, look.fur.shade(0.2), look.fur,
        palette::outline, lineWidth);
    ellipse(cr, bx + 1, by + m.bodyRy * 0.45, m.bodyRx * 0.7, m.bodyRy * 0.35);
    setColor(cr, look.light.withAlpha(0.9));
    cairo_fill(cr);
    if (look.pattern == Pat::Spots) {
        ellipse(cr, bx - 3, by - 3, 4.5, 3.2);
        ellipse(cr, bx + 5, by - 1, 2.5, 2);
        setColor(cr, look.marks);
        cairo_fill(cr);
    }
    if (look.pattern == Pat::Stripes) {
        for (int i = 0; i < 3; ++i) {
            cairo_move_to(cr, bx - 6 + i * 5, by - m.bodyRy + 0.5);
            cairo_line_to(cr, bx - 7 + i * 5, by - m.bodyRy * 0.2);
        }
        setColor(cr, look.marks);
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
    }
    leg(front, 0, false);
    leg(rear, pi, false);
    double hx = bx + m.bodyRx * (pony ? 1.0 : 0.95);
    double hy = m.headY + b + (pony ? 0 : 2);
    if (pony) {
        // Neck.
        cairo_move_to(cr, bx + 8, by - 6);
        cairo_line_to(cr, hx - 6, hy + 4);
        cairo_line_to(cr, hx + 4, hy + 6);
        cairo_line_to(cr, bx + 14, by + 2);
        cairo_close_path(cr);
        fillOutline(cr, look.fur, palette::outline, lineWidth);
    }
    petEars(cr, look, hx, hy, m.headR, Facing::Right, std::sin(w.t) * 1.2);
    circle(cr, hx, hy, m.headR);
    fillGradientOutline(cr, hy - m.headR, hy + m.headR, look.fur.shade(0.22), look.fur,
        palette::outline, lineWidth);
    if (look.pattern == Pat::Mask) {
        ellipse(cr, hx + 1, hy - 2, m.headR * 0.5, m.headR * 0.45);
        setColor(cr, look.marks);
        cairo_fill(cr);
    }
    if (look.fluffy) {
        for (int i = 0; i < 4; ++i)
            circle(cr, hx - 5 + i * 3.5, hy - m.headR + 1, 3.4);
        fillOutline(cr, look.light, palette::outline, lineWidth * 0.8);
    }
    if (pony) {
        // Mane along the back of the head and a forelock.
        cairo_move_to(cr, hx - 2, hy - m.headR - 1);
        cairo_curve_to(cr, hx - 12, hy - 10, hx - 14, hy + 4, hx - 10, hy + 12);
        cairo_curve_to(cr, hx - 6, hy + 4, hx - 4, hy - 2, hx + 2, hy - m.headR + 4);
        cairo_close_path(cr);
        fillGradientOutline(cr, hy - m.headR, hy + 12, look.collar.shade(0.25), look.collar,
            palette::outline, lineWidth);
    }
    petFaceSide(cr, look, hx, hy, m.headR);
    if (!pony)
        collar(cr, look, hx - 2, hy + m.headR - 1, 9);
}

}

void drawPet(cairo_t* cr, double x, double y, PetLook const& look, Pose const& pose) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    PetMetrics m = metricsOf(look);
    Walk w = walkOf(pose);
    if (look.kind == K::Bunny && w.walking)
        w.bob = -3.5 * std::abs(std::sin(w.t));
    bool pony = look.kind == K::Pony;

    ellipse(cr, 0, -1, pony ? 17 : 12, 3);
    setColor(cr, palette::black.withAlpha(0.15));
    cairo_fill(cr);

    if (pose.facing == Facing::Right) {
        petSide(cr, look, m, w);
        cairo_restore(cr);
        return;
    }
    bool sitting = pose.action == Action::Sit || pose.action == Action::Stand
        || pose.action == Action::Serve;
    bool back = pose.facing == Facing::Up;
    petBodyFront(cr, look, m, w, sitting && !back, back);
    double hy = m.headY + w.bob + (sitting && !back ? -1 : 0);
    petEars(cr, look, 0, hy, m.headR, pose.facing, std::sin(w.t) * 1.2);
    circle(cr, 0, hy, m.headR);
    fillGradientOutline(cr, hy - m.headR, hy + m.headR, look.fur.shade(0.22), look.fur,
        palette::outline, lineWidth);
    if (look.fluffy) {
        for (int i = 0; i < 4; ++i)
            circle(cr, -5.2 + i * 3.5, hy - m.headR + 1, 3.4);
        fillOutline(cr, look.light, palette::outline, lineWidth * 0.8);
    }
    if (pony) {
        cairo_move_to(cr, -8, hy - m.headR + 2);
        cairo_curve_to(cr, -6, hy - m.headR - 6, 8, hy - m.headR - 6, 8, hy - m.headR + 2);
        cairo_curve_to(cr, 4, hy - 4, -2, hy - 6, -8, hy - m.headR + 2);
        cairo_close_path(cr);
        fillGradientOutline(cr, hy - m.headR - 6, hy - 4, look.collar.shade(0.25), look.collar,
            palette::outline, lineWidth);
        if (back) {
            cairo_move_to(cr, -5, hy - m.headR + 2);
            cairo_curve_to(cr, -8, hy, -6, hy + 10, 0, hy + m.headR + 4);
            cairo_curve_to(cr, 6, hy + 10, 8, hy, 5, hy - m.headR + 2);
            cairo_close_path(cr);
            fillGradientOutline(cr, hy - m.headR, hy + m.headR, look.collar.shade(0.25),
                look.collar, palette::outline, lineWidth);
        }
    }
    if (!back) {
        petFaceFront(cr, look, 0, hy, m.headR);
        collar(cr, look, 0, hy + m.headR - 0.5, 12);
    } else if (look.kind != K::Pony) {
        if (look.pattern == Pat::Stripes) {
            for (int i = -1; i <= 1; ++i) {
                cairo_move_to(cr, i * 3.5, hy - m.headR + 1);
                cairo_line_to(cr, i * 3, hy - m.headR * 0.2);
            }
            setColor(cr, look.marks);
            cairo_set_line_width(cr, 1.6);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

}
