#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>
#include <bundlegen/Roster.hpp>

#include <cmath>
#include <cstdio>
#include <functional>

namespace bundlegen {

using namespace paint;

namespace {

using IconFn = std::function<void(cairo_t*, double cx, double cy, double size)>;

Draw roundButton(Color base, IconFn icon, double iconScale = 0.58) {
    return [base, icon, iconScale](cairo_t* cr, double w, double h) {
        double r = std::min(w, h) / 2 - 1;
        badge(cr, w / 2, h / 2, r, base);
        icon(cr, w / 2, h / 2, r * 2 * iconScale);
    };
}

Draw pill(Color base) {
    return [base](cairo_t* cr, double w, double h) { button(cr, 1, 1, w - 2, h - 2, base); };
}

// A value plate: an icon in the left part and a recessed field for the number.
Draw plate(IconFn icon, double iconPart) {
    return [icon, iconPart](cairo_t* cr, double w, double h) {
        double ol = std::clamp(h * 0.045, 1.0, 2.5);
        roundedRect(cr, 1, 1, w - 2, h - 2, h / 2 - 1);
        fillGradientOutline(
            cr, 0, h, palette::woodLight.shade(0.3), palette::wood, palette::outline, ol);
        double inset = h * 0.16;
        roundedRect(cr, iconPart * w * 0.5, inset, w - iconPart * w * 0.5 - inset, h - 2 * inset,
            (h - 2 * inset) / 2);
        fillGradientOutline(cr, inset, h - inset, palette::cream.shade(-0.06), palette::paper,
            palette::outline, ol * 0.7);
        icon(cr, h / 2 + 1, h / 2, h * 0.92);
    };
}

Draw panelOf(double margin = 0, Color fill = palette::cream, Color border = palette::woodLight) {
    return [margin, fill, border](cairo_t* cr, double w, double h) {
        panel(cr, margin + 2, margin + 2, w - 2 * margin - 5, h - 2 * margin - 5,
            std::min(w, h) * 0.07 + 6, fill, border);
    };
}

void titleWordmark(cairo_t* cr, double w, double h) {
    // "Quillaby" over a "Pet Salon" ribbon, with the hedgehog mascot.
    double k = h / 110;
    cairo_save(cr);
    cairo_scale(cr, k, k);
    double W = w / k;
    cairo_push_group(cr);
    text(cr, "Quillaby", W / 2 + 26, 66, 58, palette::honey.shade(0.2), palette::outline, 5,
        Align::Center, Font::Rounded);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    // Shade the lower half of the letters.
    text(cr, "Quillaby", W / 2 + 26, 66, 58, palette::coral, palette::outline, 0, Align::Center,
        Font::Rounded);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, W, 44);
    cairo_clip(cr);
    text(cr, "Quillaby", W / 2 + 26, 66, 58, palette::honey.shade(0.3), palette::outline, 0,
        Align::Center, Font::Rounded);
    cairo_restore(cr);
    hedgehog(cr, W / 2 - 140, 58, 58);
    // Ribbon.
    double rw = 170;
    double rx = W / 2 - rw / 2 + 18;
    roundedRect(cr, rx, 74, rw, 26, 9);
    fillGradientOutline(cr, 74, 100, palette::teal.shade(0.3), palette::teal, palette::outline, 2);
    textCentered(cr, "Pet Salon", rx + rw / 2, 87, 20, palette::white, palette::outline, 1.5);
    paw(cr, rx + 14, 87, 12, palette::white);
    paw(cr, rx + rw - 14, 87, 12, palette::white);
    sparkle(cr, W / 2 + 150, 16, 16, palette::white);
    sparkle(cr, W / 2 - 100, 12, 11, palette::white);
    cairo_restore(cr);
}

void titleBackground(cairo_t* cr, double w, double h) {
    // Salon wallpaper with stripes, a big window with a sunny sky and hanging lamps.
    cairo_rectangle(cr, 0, 0, w, h);
    fillGradient(cr, 0, h, Color::hex(0xffe6d6), Color::hex(0xffd0c0));
    cairo_new_path(cr);
    for (double x = 0; x < w; x += 32) {
        cairo_rectangle(cr, x, 0, 14, h);
    }
    setColor(cr, palette::white.withAlpha(0.28));
    cairo_fill(cr);
    double wx = w * 0.22;
    double ww = w * 0.56;
    roundedRect(cr, wx, h * 0.08, ww, h * 0.52, 30);
    fillGradientOutline(cr, h * 0.08, h * 0.6, palette::sky.shade(0.3), palette::sky.shade(0.65),
        palette::outline, 2);
    for (int i = 0; i < 3; ++i) {
        double cx = wx + ww * (0.2 + i * 0.3);
        double cy = h * (0.2 + (i % 2) * 0.1);
        for (int j = 0; j < 3; ++j)
            circle(cr, cx + j * 12 - 12, cy - (j == 1 ? 6 : 0), 12);
        setColor(cr, palette::white.withAlpha(0.9));
        cairo_fill(cr);
    }
    circle(cr, wx + ww * 0.85, h * 0.16, 14);
    setColor(cr, palette::honey.shade(0.3));
    cairo_fill(cr);
    roundedRect(cr, wx, h * 0.08, ww, h * 0.52, 30);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 7);
    cairo_stroke_preserve(cr);
    setColor(cr, palette::white);
    cairo_set_line_width(cr, 4.5);
    cairo_stroke(cr);
    cairo_move_to(cr, wx + ww / 2, h * 0.08);
    cairo_line_to(cr, wx + ww / 2, h * 0.6);
    setColor(cr, palette::white);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    // Curtains.
    for (int side : {-1, 1}) {
        double x = side < 0 ? wx - 6 : wx + ww + 6;
        cairo_move_to(cr, x, h * 0.05);
        cairo_curve_to(
            cr, x - side * 40, h * 0.2, x - side * 10, h * 0.45, x - side * 30, h * 0.66);
        cairo_line_to(cr, x + side * 24, h * 0.66);
        cairo_line_to(cr, x + side * 24, h * 0.05);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, 0, h * 0.66, palette::rose.shade(0.3), palette::rose, palette::outline, 1.5);
    }
    roundedRect(cr, wx - 40, h * 0.03, ww + 80, 10, 5);
    fillOutline(cr, palette::woodLight, palette::outline, 1.4);
}

void titleForeground(cairo_t* cr, double w, double h) {
    // Floor and two bath tubs where the title bubbles start (x 64 and 425, 50 up).
    cairo_rectangle(cr, 0, h - 56, w, 56);
    fillGradient(cr, h - 56, h, palette::woodLight, palette::wood);
    cairo_new_path(cr);
    for (double x = -20; x < w; x += 60) {
        cairo_move_to(cr, x, h - 56);
        cairo_line_to(cr, x + 30, h);
    }
    setColor(cr, palette::wood.shade(-0.2).withAlpha(0.5));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, 0, h - 56);
    cairo_line_to(cr, w, h - 56);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    struct Tub {
        double x;
        char const* key;
    };
    for (Tub t : {Tub {64, "DOG001"}, Tub {425, "CAT001"}}) {
        double tw = 96;
        double top = h - 62;
        cairo_save(cr);
        cairo_translate(cr, t.x, top + 18);
        cairo_scale(cr, 1.4, 1.4);
        drawPet(cr, 0, 0, castMember(t.key).pet, {Facing::Down, Action::Stand, 0});
        cairo_restore(cr);
        for (int i = 0; i < 7; ++i) {
            circle(cr, t.x - tw / 2 + 8 + i * 13, top + 2 - (i % 2) * 6, 9 + (i % 3) * 2);
            fillOutline(cr, palette::white, palette::sky.shade(-0.2), 1.2);
        }
        cairo_move_to(cr, t.x - tw / 2, top);
        cairo_line_to(cr, t.x + tw / 2, top);
        cairo_curve_to(cr, t.x + tw / 2, top + 36, t.x + tw / 3, top + 44, t.x, top + 44);
        cairo_curve_to(cr, t.x - tw / 3, top + 44, t.x - tw / 2, top + 36, t.x - tw / 2, top);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, top, top + 44, palette::white, palette::sky.shade(0.2), palette::outline, 1.8);
        roundedRect(cr, t.x - tw / 2 - 4, top - 5, tw + 8, 10, 5);
        fillOutline(cr, palette::white, palette::outline, 1.8);
        paw(cr, t.x, top + 22, 18, palette::sky);
        for (double fx : {t.x - tw / 3, t.x + tw / 3 - 8}) {
            roundedRect(cr, fx, top + 38, 8, 14, 3);
            fillOutline(cr, palette::gold, palette::outline, 1.4);
        }
    }
}

void titleComposite(cairo_t* cr, double w, double h, bool withName) {
    cairo_save(cr);
    cairo_scale(cr, w / 480, h / 320);
    titleBackground(cr, 480, 320);
    titleForeground(cr, 480, 320);
    cairo_restore(cr);
    if (withName) {
        cairo_save(cr);
        cairo_translate(cr, w / 2 - w * 0.36, h * 0.2);
        titleWordmark(cr, w * 0.72, w * 0.72 * 110 / 360);
        cairo_restore(cr);
    }
}

void startButton(cairo_t* cr, double w, double h) {
    button(cr, 1, 1, w - 2, h - 2, palette::green);
    textCentered(
        cr, "Tap to Start", w / 2, h * 0.44, h * 0.45, palette::white, palette::outline, h * 0.045);
}

void studioLogo(cairo_t* cr, double, double h) {
    hedgehog(cr, h * 0.55, h * 0.5, h * 0.9);
    text(cr, "Quill Studio", h * 1.05, h * 0.66, h * 0.44, palette::white, palette::outline,
        h * 0.04, Align::Left);
}

void bubbleSprite(cairo_t* cr, double w, double h) {
    circle(cr, w / 2, h / 2, w / 2 - 1);
    cairo_pattern_t* p = cairo_pattern_create_radial(w * 0.4, h * 0.35, 1, w / 2, h / 2, w / 2);
    cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.15);
    cairo_pattern_add_color_stop_rgba(p, 0.8, 0.75, 0.9, 1, 0.35);
    cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0.9);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    ellipse(cr, w * 0.36, h * 0.32, w * 0.14, h * 0.09);
    setColor(cr, palette::white.withAlpha(0.9));
    cairo_fill(cr);
}

void statusStrip(cairo_t* cr, double w, double h) {
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w, 0);
    cairo_line_to(cr, w, h - 12);
    cairo_arc(cr, w - 12, h - 12, 12, 0, M_PI / 2);
    cairo_line_to(cr, 0, h);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, 0, h, palette::woodLight.shade(0.25), palette::wood, palette::outline, 1.4);
    // Recessed fields under the readouts.
    struct Field {
        double x0, x1;
    };
    for (Field f : {Field {22, 44}, Field {63, 122}, Field {148, 218}}) {
        roundedRect(cr, f.x0, 6, f.x1 - f.x0, h - 12, (h - 12) / 2);
        fillOutline(cr, Color::hex(0x6b4a3a, 0.55), palette::outline, 0.8);
    }
}

void readoutPill(cairo_t* cr, double w, double h, IconFn icon) {
    roundedRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2);
    fillGradientOutline(cr, 0, h, palette::paper, palette::creamDark, palette::outline, 1.2);
    icon(cr, w - h / 2 - 1, h / 2, h - 4);
}

void tab(cairo_t* cr, double w, double h, bool selected) {
    Color base = selected ? palette::honey : palette::peach;
    cairo_move_to(cr, 2, 0);
    cairo_line_to(cr, w - 2, 0);
    cairo_line_to(cr, w - 2, h - 14);
    cairo_arc(cr, w - 14, h - 14, 12, 0, M_PI / 2);
    cairo_line_to(cr, 14, h - 2);
    cairo_arc(cr, 14, h - 14, 12, M_PI / 2, M_PI);
    cairo_close_path(cr);
    fillGradientOutline(cr, 0, h, base.shade(-0.05), base.shade(0.35), palette::outline, 1.4);
    roundedRect(cr, 7, 10, w - 14, h - 18, 9);
    setColor(cr, palette::white.withAlpha(selected ? 0.45 : 0.25));
    cairo_fill(cr);
}

void finger(cairo_t* cr, double w, double h) {
    // A hand pointing up with its index finger, tilted a little.
    cairo_save(cr);
    cairo_translate(cr, w / 2, h / 2);
    cairo_rotate(cr, -0.2);
    double s = h / 40;
    cairo_scale(cr, s, s);
    roundedRect(cr, -9, -19, 7.5, 22, 3.75);
    fillOutline(cr, palette::skin, palette::outline, 1.2);
    roundedRect(cr, -10, -3, 20, 17, 7);
    fillGradientOutline(cr, -3, 14, palette::skin.shade(0.2), palette::skin, palette::outline, 1.2);
    for (int i = 0; i < 3; ++i) {
        roundedRect(cr, -2.5 + i * 4.2, -4, 4.4, 8, 2.2);
        fillOutline(cr, palette::skin.shade(0.1), palette::outline, 0.9);
    }
    roundedRect(cr, -12, 2, 6, 9, 3);
    fillOutline(cr, palette::skin.shade(0.05), palette::outline, 0.9);
    roundedRect(cr, -9, 13, 18, 6, 2);
    fillOutline(cr, palette::teal, palette::outline, 1.1);
    cairo_restore(cr);
}

void banner(cairo_t* cr, double w, double h, std::string const& words, Color base, bool sun) {
    double k = h / 90;
    cairo_save(cr);
    cairo_scale(cr, k, k);
    double W = w / k;
    if (sun) {
        for (int i = 0; i < 12; ++i) {
            cairo_move_to(cr, W / 2, 58);
            cairo_arc(cr, W / 2, 58, 62, M_PI + i * M_PI / 12, M_PI + (i + 0.5) * M_PI / 12);
            cairo_close_path(cr);
        }
        setColor(cr, palette::honey.withAlpha(0.55));
        cairo_fill(cr);
        circle(cr, W / 2, 58, 26);
        fillGradientOutline(
            cr, 32, 84, palette::honey.shade(0.5), palette::orange, palette::outline, 2);
    }
    roundedRect(cr, 10, 40, W - 20, 44, 16);
    fillGradientOutline(cr, 40, 84, base.shade(0.35), base.shade(-0.05), palette::outline, 2.4);
    textCentered(cr, words, W / 2, 62, 30, palette::white, palette::outline, 2.4);
    star(cr, 30, 62, 20, palette::honey);
    star(cr, W - 30, 62, 20, palette::honey);
    cairo_restore(cr);
}

// The end-of-day report: four stat fields, the level requirement below and room for
// the title at the top. Positions are those of the labels the interface puts on it.
void report(cairo_t* cr, double w, double h) {
    panel(cr, 2, 2, w - 5, h - 5, 20, palette::cream, palette::woodLight);
    double k = w / 470;
    auto field = [&](double cx, double cyUp, IconFn icon, Color tint) {
        double x = (cx - 100) * k;
        double y = h - (cyUp + 30) * k;
        roundedRect(cr, x, y, 196 * k, 44 * k, 14 * k);
        fillOutline(cr, tint.shade(0.7), tint.shade(-0.2), 1.2);
        icon(cr, x + 20 * k, y + 22 * k, 28 * k);
    };
    // Title ribbon.
    roundedRect(cr, w * 0.28, 27 * k, w * 0.44, 34 * k, 12 * k);
    fillGradientOutline(
        cr, 27 * k, 61 * k, palette::teal.shade(0.3), palette::teal, palette::outline, 1.6);
    field(
        127, 196, [](cairo_t* c, double x, double y, double s) { coin(c, x, y, s); },
        palette::honey);
    field(
        127, 145,
        [](cairo_t* c, double x, double y, double s) { heart(c, x, y, s, palette::rose); },
        palette::pink);
    field(
        344, 196,
        [](cairo_t* c, double x, double y, double s) { smiley(c, x, y, s, palette::honey, 1); },
        palette::mint);
    field(
        344, 145,
        [](cairo_t* c, double x, double y, double s) { smiley(c, x, y, s, palette::coral, -1); },
        palette::peach);
    // Requirement box.
    double ry = h - 104 * k;
    roundedRect(cr, 20 * k, ry, w - 40 * k, 92 * k, 16 * k);
    fillOutline(cr, palette::creamDark.shade(0.2), palette::woodLight.shade(-0.2), 1.2);
    coin(cr, 300 * k, h - 59 * k, 22 * k);
    heart(cr, 300 * k, h - 22 * k, 22 * k, palette::rose);
    trophy(cr, 60 * k, h - 58 * k, 52 * k, palette::honey);
}

void helpPage(cairo_t* cr, double w, double h, int page) {
    // Bands at the top and bottom keep the page's white text readable.
    cairo_rectangle(cr, 0, 0, w, h);
    fillGradient(cr, 0, h, Color::hex(0xffe9d6), Color::hex(0xffd6c2));
    cairo_new_path(cr);
    for (double x = 0; x < w; x += 40)
        for (double y = 60; y < h - 60; y += 40)
            paw(cr, x + ((int(y) / 40) % 2) * 20 + 10, y, 10, palette::white.withAlpha(0.35));
    cairo_rectangle(cr, 0, 0, w, 64);
    fillGradient(cr, 0, 64, Color::hex(0x8a4a5a, 0.85), Color::hex(0x8a4a5a, 0.0));
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, h - 78, w, 78);
    fillGradient(cr, h - 78, h, Color::hex(0x7e1b2d, 0.0), Color::hex(0x7e1b2d, 0.75));
    cairo_new_path(cr);
    // Page number in a corner tab.
    badge(cr, w - 26, 26, 16, palette::teal);
    textCentered(cr, std::to_string(page), w - 26, 26, 16, palette::white, palette::outline, 1.2);

    // The picture in the middle.
    double cx = w / 2;
    double cy = h / 2 + 2;
    roundedRect(cr, cx - 150, cy - 82, 300, 164, 22);
    fillGradientOutline(
        cr, cy - 82, cy + 82, palette::paper, palette::cream, palette::woodLight.shade(-0.2), 2);
    auto pet = [&](char const* key, double x, double y, double s, Facing f = Facing::Down,
                   Action a = Action::Stand) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, s, s);
        drawPet(cr, 0, 0, castMember(key).pet, {f, a, 0.3});
        cairo_restore(cr);
    };
    auto who = [&](char const* key, double x, double y, double s, Facing f = Facing::Down,
                   Action a = Action::Stand, double phase = 0) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, s, s);
        drawPerson(cr, 0, 0, castMember(key).person, {f, a, phase});
        cairo_restore(cr);
    };
    switch (page) {
    case 1:
        drawImage(cr, "Title_Name.png", cx, cy - 18, 0.5, 0.5, 0.62);
        who("NPC001", cx - 70, cy + 74, 1.2);
        pet("DOG001", cx - 20, cy + 74, 1.3);
        pet("CAT002", cx + 30, cy + 74, 1.3);
        who("NPC005", cx + 80, cy + 74, 1.2);
        break;
    case 2:
        who("CUS002", cx - 40, cy + 70, 1.5, Facing::Right, Action::Walk, 0.25);
        pet("DOG003", cx + 10, cy + 70, 1.6, Facing::Right, Action::Walk);
        drawImage(cr, "qrn_ip_door.png", cx + 100, cy + 70, 0.5, 1, 1.6);
        arrow(cr, cx + 58, cy - 30, 30, 0, palette::teal);
        break;
    case 3:
        drawImage(cr, "furn_bath_1.png", cx + 70, cy + 70, 0.5, 1, 1.6);
        pet("CAT001", cx - 70, cy + 70, 1.6);
        arrow(cr, cx, cy - 10, 40, 0, palette::coral);
        cairo_save(cr);
        cairo_translate(cr, cx - 85, cy - 20);
        finger(cr, 30, 40);
        cairo_restore(cr);
        break;
    case 4: {
        char const* services[] = {"bath", "drying", "hair", "facial", "massage", "flea"};
        for (int i = 0; i < 6; ++i)
            drawImage(cr, std::string("qrn_ip_icon_") + services[i] + "_normal.png",
                cx - 112 + i * 45, cy - 30, 0.5, 0.5, 1.1);
        pet("DOG002", cx, cy + 72, 1.6);
        break;
    }
    case 5:
        drawImage(cr, "furn_hair_1.png", cx, cy + 66, 0.5, 1, 1.7);
        pet("DOG004", cx, cy + 18, 1.3);
        who("NPC003", cx + 70, cy + 72, 1.5, Facing::Down, Action::Serve, 0.25);
        sparkle(cr, cx - 40, cy - 40, 20, palette::honey);
        break;
    case 6:
        drawImage(cr, "furn_counter_2.png", cx, cy + 72, 0.5, 1, 1.5);
        who("CUS004", cx + 100, cy + 72, 1.4);
        for (int i = 0; i < 3; ++i)
            coin(cr, cx - 60 + i * 30, cy - 52 - (i % 2) * 10, 24);
        break;
    case 7:
        drawImage(cr, "qrn_ip_icon_bath_hurry.png", cx - 60, cy - 20, 0.5, 0.5, 2);
        smiley(cr, cx + 60, cy - 20, 70, palette::coral, -1);
        who("CUS006", cx + 60, cy + 76, 1.2);
        break;
    case 8:
        drawImage(cr, "Gameplay_Report.png", cx, cy, 0.5, 0.5, 0.55);
        drawImage(cr, "Gameplay_LevelUp.png", cx - 90, cy - 55, 0.5, 0.5, 0.9);
        break;
    case 9:
        drawImage(cr, "furn_sofa_1.png", cx - 90, cy + 60, 0.5, 1, 1.8);
        arrow(cr, cx - 20, cy + 20, 40, 0, palette::orange);
        drawImage(cr, "furn_sofa_3.png", cx + 50, cy + 60, 0.5, 1, 1.8);
        drawImage(cr, "NPC005_HireIcon.png", cx + 118, cy + 8, 0.5, 0.5, 0.8);
        drawImage(cr, "qrn_ip_icon_upgrade.png", cx + 50, cy - 40, 0.5, 0.5, 1.3);
        break;
    case 10:
        drawImage(cr, "sp_instant2.png", cx - 80, cy, 0.5, 0.5, 1.6);
        drawImage(cr, "sp_wildcard.png", cx, cy, 0.5, 0.5, 1.6);
        drawImage(cr, "sp_power_up.png", cx + 80, cy, 0.5, 0.5, 1.6);
        break;
    default:
        wheel(cr, cx - 60, cy, 110);
        drawImage(cr, "Challenga_Btn.png", cx + 70, cy, 0.5, 0.5, 2.2);
        break;
    }
}

Draw helpPageDraw(int page) {
    return [page](cairo_t* cr, double w, double h) { helpPage(cr, w, h, page); };
}

void pauseSymbol(cairo_t* cr, double cx, double cy, double s) {
    roundedRect(cr, cx - s * 0.3, cy - s * 0.32, s * 0.2, s * 0.64, s * 0.06);
    roundedRect(cr, cx + s * 0.1, cy - s * 0.32, s * 0.2, s * 0.64, s * 0.06);
    fillOutline(cr, palette::white, palette::outline, std::max(1.0, s * 0.05));
}

void newGameIcon(cairo_t* cr, double cx, double cy, double s) {
    paw(cr, cx - s * 0.06, cy + s * 0.05, s * 0.8, palette::white);
    sparkle(cr, cx + s * 0.32, cy - s * 0.3, s * 0.38, palette::honey);
}

void appsIcon(cairo_t* cr, double cx, double cy, double s) {
    Color const c[] = {palette::coral, palette::honey, palette::teal, palette::lilac};
    for (int i = 0; i < 4; ++i) {
        double x = cx - s * 0.3 + (i % 2) * s * 0.34;
        double y = cy - s * 0.3 + (i / 2) * s * 0.34;
        roundedRect(cr, x - s * 0.02, y - s * 0.02, s * 0.28, s * 0.28, s * 0.07);
        fillOutline(cr, c[i], palette::outline, std::max(0.8, s * 0.035));
    }
}

}

void addInterfaceArt(Catalog& catalog) {
    std::string const title = "Title and main menu";
    catalog.image(
        title, "qby2_title_bg1.png", 480, 320, titleBackground, TabletRule::size(1024, 768));
    catalog.image(
        title, "qby2_title_1.png", 480, 320, titleForeground, TabletRule::size(1024, 768));
    catalog.image(title, "Title_Name.png", 360, 110, titleWordmark);
    catalog.image(title, "Title_Name_iPad.png", 720, 220, titleWordmark, TabletRule::same());
    catalog.image(title, "Title_Button.png", 180, 40, startButton);
    catalog.image(title, "Title_Button_iPad.png", 360, 80, startButton, TabletRule::same());
    catalog.image(title, "Title_BFLogo.png", 120, 32, studioLogo);
    catalog.image(title, "Title_BFLogo_iPad.png", 240, 64, studioLogo, TabletRule::same());
    catalog.image(
        title, "Title_Bg_iPad.jpg", 1024, 768,
        [](cairo_t* cr, double w, double h) { titleComposite(cr, w, h, true); },
        TabletRule::same());
    for (int i = 1; i <= 4; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "qby2_title_bubble%d.png", i);
        double size = 10 + i * 6;
        catalog.image(title, name, size, size, bubbleSprite);
    }
    catalog.image(title, "btn_BG.png", 210, 60, pill(palette::coral));
    catalog.image(title, "btn_BG_iPad.png", 380, 116, pill(palette::coral), TabletRule::same());
    catalog.image(title, "btn_BG_smaller.png", 150, 46, pill(palette::coral));
    catalog.image(title, "btn_BG_SmallGolden.png", 150, 44, pill(palette::gold));
    catalog.image(title, "btn_BG_blue.png", 210, 60, pill(palette::blue));
    catalog.image(title, "btn_BG_blue_iPad.png", 380, 116, pill(palette::blue), TabletRule::same());
    catalog.image(title, "btn_BG_blue_Shorter.png", 175, 54, pill(palette::blue));
    catalog.image(
        title, "btn_BG_green_iPad.png", 380, 116, pill(palette::green), TabletRule::same());
    catalog.image(
        title, "btn_BG_golden_iPad.png", 380, 116, pill(palette::gold), TabletRule::same());
    catalog.image(title, "btn_blue_Smallest.png", 60, 40, pill(palette::blue));
    catalog.image(title, "btn_icon_web.png", 36, 36,
        [](cairo_t* cr, double w, double h) { newGameIcon(cr, w / 2, h / 2, w); });
    catalog.image(
        title, "btn_icon_web_iPad.png", 72, 72,
        [](cairo_t* cr, double w, double h) { newGameIcon(cr, w / 2, h / 2, w); },
        TabletRule::same());
    catalog.image(title, "btn_icon_refresh.png", 36, 36, [](cairo_t* cr, double w, double h) {
        refresh(cr, w / 2, h / 2, w * 0.95, palette::white);
    });
    catalog.image(
        title, "btn_icon_refresh_iPad.png", 72, 72,
        [](cairo_t* cr, double w, double h) {
            refresh(cr, w / 2, h / 2, w * 0.95, palette::white);
        },
        TabletRule::same());
    auto gearIcon
        = [](cairo_t* c, double x, double y, double s) { gear(c, x, y, s, palette::white); };
    auto helpIcon = [](cairo_t* c, double x, double y, double s) {
        questionMark(c, x, y, s, palette::white);
    };
    auto wheelIcon = [](cairo_t* c, double x, double y, double s) { wheel(c, x, y, s * 1.15); };
    auto trophyIcon
        = [](cairo_t* c, double x, double y, double s) { trophy(c, x, y, s, palette::honey); };
    catalog.image(title, "btn_icon_system.png", 46, 46, roundButton(palette::teal, gearIcon));
    catalog.image(title, "btn_BigIcon_system.png", 88, 88, roundButton(palette::teal, gearIcon),
        TabletRule::same());
    catalog.image(title, "btn_icon_help.png", 46, 46, roundButton(palette::blue, helpIcon));
    catalog.image(title, "btn_BigIcon_help.png", 88, 88, roundButton(palette::blue, helpIcon),
        TabletRule::same());
    catalog.image(title, "btn_icon_Draw.png", 46, 46, roundButton(palette::coral, wheelIcon));
    catalog.image(title, "btn_icon_Draw_iPad.png", 88, 88, roundButton(palette::coral, wheelIcon),
        TabletRule::same());
    catalog.image(
        title, "btn_icon_Achievements.png", 46, 46, roundButton(palette::purple, trophyIcon));
    catalog.image(
        title, "btn_icon_Achievement_iPad.png", 64, 64,
        [](cairo_t* cr, double w, double h) { trophy(cr, w / 2, h / 2, w * 0.9, palette::honey); },
        TabletRule::same());
    catalog.image(title, "btn_icon_MoreApps.png", 46, 46,
        roundButton(palette::orange,
            [](cairo_t* c, double x, double y, double s) { appsIcon(c, x, y, s); }));
    catalog.image(
        title, "btn_icon_MoreApps_iPad.png", 64, 64,
        [](cairo_t* cr, double w, double h) { appsIcon(cr, w / 2, h / 2, w * 0.9); },
        TabletRule::same());
    catalog.image(title, "btn_icon_Challenga.png", 28, 28,
        [](cairo_t* cr, double w, double h) { trophy(cr, w / 2, h / 2, w - 1, palette::honey); });
    catalog.image(title, "PetPointValue.png", 130, 34,
        plate([](cairo_t* c, double x, double y, double s) { petPoint(c, x, y, s); }, 0.55));
    catalog.image(title, "PetPointValue_iPad.png", 300, 76,
        plate([](cairo_t* c, double x, double y, double s) { petPoint(c, x, y, s); }, 0.55),
        TabletRule::same());
    catalog.image(title, "CashValue.png", 130, 34,
        plate([](cairo_t* c, double x, double y, double s) { coin(c, x, y, s); }, 0.45));
    catalog.image(title, "MoneyValue_iPad.png", 300, 76,
        plate([](cairo_t* c, double x, double y, double s) { coin(c, x, y, s); }, 0.45),
        TabletRule::same());

    std::string const options = "Options and dialogs";
    catalog.image(options, "Option_Bgm_Bg.png", 300, 290, panelOf());
    auto toggle = [](bool music, bool on) {
        return [music, on](cairo_t* cr, double w, double h) {
            badge(cr, w / 2, h / 2, w / 2 - 2, on ? palette::green : palette::grey);
            if (music) {
                musicNote(cr, w / 2 - 2, h / 2, w * 0.5, palette::white, true);
                if (!on)
                    cross(cr, w * 0.7, h * 0.7, w * 0.34, palette::red);
            } else {
                speaker(cr, w / 2, h / 2, w * 0.58, on);
            }
        };
    };
    catalog.image(options, "Option_Bgm_Icon_On.png", 54, 54, toggle(true, true));
    catalog.image(options, "Option_Bgm_Icon_Off.png", 54, 54, toggle(true, false));
    catalog.image(options, "Option_Sfx_Icon_On.png", 54, 54, toggle(false, true));
    catalog.image(options, "Option_Sfx_Icon_Off.png", 54, 54, toggle(false, false));
    catalog.image(options, "Option_Bgm_Select.png", 66, 66, [](cairo_t* cr, double w, double h) {
        cairo_pattern_t* glow
            = cairo_pattern_create_radial(w / 2, h / 2, w * 0.3, w / 2, h / 2, w / 2);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.86, 0.4, 0.95);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.86, 0.4, 0);
        cairo_set_source(cr, glow);
        cairo_paint(cr);
        cairo_pattern_destroy(glow);
        circle(cr, w / 2, h / 2, w * 0.42);
        setColor(cr, palette::honey.shade(0.3));
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    });
    catalog.image(options, "Option_Popup_Bg.png", 340, 210, panelOf());
    catalog.image(options, "Option_Warning_Bg.png", 340, 240, [](cairo_t* cr, double w, double h) {
        panel(cr, 2, 2, w - 5, h - 5, 18, palette::cream, palette::coral);
        cairo_move_to(cr, w / 2, 10);
        cairo_line_to(cr, w / 2 + 16, 38);
        cairo_line_to(cr, w / 2 - 16, 38);
        cairo_close_path(cr);
        fillOutline(cr, palette::honey, palette::outline, 1.5);
        textCentered(cr, "!", w / 2, 29, 18, palette::outline, palette::outline, 0);
    });
    catalog.image(options, "btn_YES.png", 110, 44, [](cairo_t* cr, double w, double h) {
        button(cr, 1, 1, w - 2, h - 2, palette::green);
        check(cr, w / 2, h / 2 - 2, h * 0.6, palette::white);
    });
    catalog.image(options, "btn_NO.png", 110, 44, [](cairo_t* cr, double w, double h) {
        button(cr, 1, 1, w - 2, h - 2, palette::red);
        cross(cr, w / 2, h / 2 - 2, h * 0.6, palette::white);
    });
    auto closeButton = [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1.5, palette::red);
        cross(cr, w / 2, h / 2, w * 0.52, palette::white);
    };
    catalog.image(options, "btn_circleClose.png", 40, 40, closeButton);
    catalog.image(options, "btn_circleClose_iPad.png", 80, 80, closeButton, TabletRule::same());
    catalog.image(options, "btn_Left.png", 42, 50, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1.5, palette::teal);
        arrow(cr, w / 2 - 1, h / 2, w * 0.55, M_PI, palette::white);
    });
    catalog.image(options, "btn_Right.png", 42, 50, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1.5, palette::teal);
        arrow(cr, w / 2 + 1, h / 2, w * 0.55, 0, palette::white);
    });
    catalog.image(
        options, "shopBG.png", 480, 320,
        [](cairo_t* cr, double w, double h) {
            cairo_pattern_t* v
                = cairo_pattern_create_radial(w / 2, h / 2, h * 0.2, w / 2, h / 2, w * 0.62);
            cairo_pattern_add_color_stop_rgba(v, 0, 0.17, 0.1, 0.08, 0.55);
            cairo_pattern_add_color_stop_rgba(v, 1, 0.12, 0.06, 0.05, 0.78);
            cairo_set_source(cr, v);
            cairo_paint(cr);
            cairo_pattern_destroy(v);
            for (double y = 20; y < h; y += 46)
                for (double x = 20 + (int(y / 46) % 2) * 23; x < w; x += 46)
                    paw(cr, x, y, 12, palette::white.withAlpha(0.06));
        },
        TabletRule::same());

    std::string const hud = "Salon HUD";
    catalog.image(hud, "statusbar_gamebar.png", 330, 32, statusStrip);
    catalog.image(hud, "statusbar_level.png", 28, 28,
        [](cairo_t* cr, double w, double h) { star(cr, w / 2, h / 2, w, palette::honey); });
    catalog.image(hud, "statusbar_happiness.png", 28, 28,
        [](cairo_t* cr, double w, double h) { heart(cr, w / 2, h / 2, w, palette::rose); });
    catalog.image(hud, "statusbar_income.png", 28, 28,
        [](cairo_t* cr, double w, double h) { coin(cr, w / 2, h / 2, w - 1); });
    catalog.image(hud, "statusbar_day.png", 54, 24, [](cairo_t* cr, double w, double h) {
        readoutPill(
            cr, w, h, [](cairo_t* c, double x, double y, double s) { calendar(c, x, y, s); });
    });
    catalog.image(hud, "statusbar_time.png", 62, 24, [](cairo_t* cr, double w, double h) {
        readoutPill(cr, w, h, [](cairo_t* c, double x, double y, double s) { clock(c, x, y, s); });
    });
    catalog.image(hud, "Gameplay_PauseButton.png", 40, 40,
        roundButton(
            palette::teal,
            [](cairo_t* c, double x, double y, double s) { pauseSymbol(c, x, y, s); }, 0.75));
    catalog.image(hud, "Challenga_Btn.png", 40, 40, roundButton(palette::purple, trophyIcon, 0.62));
    catalog.image(
        hud, "tab1.png", 62, 52, [](cairo_t* cr, double w, double h) { tab(cr, w, h, false); });
    catalog.image(
        hud, "tab2.png", 62, 52, [](cairo_t* cr, double w, double h) { tab(cr, w, h, true); });
    catalog.image(hud, "tab_staffs.png", 34, 30, [](cairo_t* cr, double w, double h) {
        person(cr, w / 2 - 5, h / 2 + 1, h * 0.8, palette::teal);
        person(cr, w / 2 + 6, h / 2 + 2, h * 0.8, palette::coral);
    });
    catalog.image(hud, "tab_device.png", 34, 30,
        [](cairo_t* cr, double w, double h) { armchair(cr, w / 2, h / 2, h, palette::coral); });
    catalog.image(hud, "tab_wall.png", 34, 30, [](cairo_t* cr, double w, double h) {
        // A paint roller: themes and the shop.
        roundedRect(cr, 4, 4, w - 10, 11, 5);
        fillGradientOutline(cr, 4, 15, palette::lilac.shade(0.3), palette::purple);
        cairo_move_to(cr, w - 6, 9);
        cairo_line_to(cr, w - 2, 9);
        cairo_line_to(cr, w - 2, 18);
        cairo_line_to(cr, w / 2, 18);
        cairo_line_to(cr, w / 2, 22);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        roundedRect(cr, w / 2 - 2.5, 21, 5, h - 23, 2);
        fillOutline(cr, palette::woodLight, palette::outline, 1.1);
    });
    catalog.image(hud, "tab_pet_pt.png", 34, 30,
        [](cairo_t* cr, double w, double h) { petPoint(cr, w / 2, h / 2, h); });
    catalog.image(hud, "finger.png", 30, 40, finger);
    catalog.image(hud, "Gameplay_music01.png", 24, 28, [](cairo_t* cr, double w, double h) {
        musicNote(cr, w / 2, h / 2, h, palette::rose, false);
    });
    catalog.image(hud, "Gameplay_music02.png", 24, 28, [](cairo_t* cr, double w, double h) {
        musicNote(cr, w / 2, h / 2, h, palette::teal, true);
    });
    catalog.image(hud, "Money_icon.png", 28, 28,
        [](cairo_t* cr, double w, double h) { coin(cr, w / 2, h / 2, w - 1); });
    catalog.image(hud, "PetPoint_IconSmall.png", 28, 28,
        [](cairo_t* cr, double w, double h) { petPoint(cr, w / 2, h / 2, w - 1); });
    catalog.image(
        hud, "PetPoint_IconSmall_iPad.png", 56, 56,
        [](cairo_t* cr, double w, double h) { petPoint(cr, w / 2, h / 2, w - 1); },
        TabletRule::same());
    auto buyIcon = [](cairo_t* cr, double w, double h) {
        petPoint(cr, w * 0.45, h * 0.55, w * 0.8);
        badge(cr, w * 0.78, h * 0.24, w * 0.2, palette::green);
        plus(cr, w * 0.78, h * 0.24, w * 0.26, palette::white);
    };
    auto freeIcon = [](cairo_t* cr, double w, double h) {
        petPoint(cr, w * 0.45, h * 0.55, w * 0.8);
        star(cr, w * 0.78, h * 0.24, w * 0.42, palette::honey);
    };
    catalog.image(hud, "btn_icon_PPBuy.png", 34, 34, buyIcon);
    catalog.image(hud, "btn_icon_PPBuy_iPad.png", 68, 68, buyIcon, TabletRule::same());
    catalog.image(hud, "btn_icon_PPFree.png", 34, 34, freeIcon);
    catalog.image(hud, "btn_icon_PPFree_iPad.png", 68, 68, freeIcon, TabletRule::same());
    auto moreMoney = [](cairo_t* cr, double w, double h) {
        button(cr, 1, 1, w - 2, h - 2, palette::gold);
        moneyBag(cr, h * 0.62, h / 2 - 2, h * 0.8);
    };
    catalog.image(hud, "btn_GetMoreMoney.png", 260, 60, moreMoney);
    catalog.image(hud, "btn_GetMoreMoney_iPad.png", 480, 116, moreMoney, TabletRule::same());
    catalog.image(hud, "PP_Add_Icon.png", 24, 24, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::green);
        plus(cr, w / 2, h / 2, w * 0.6, palette::white);
    });

    std::string const day = "Day screens";
    catalog.image(day, "Gameplay_NewDay.png", 300, 90, [](cairo_t* cr, double w, double h) {
        banner(cr, w, h, "A New Day!", palette::coral, true);
    });
    catalog.image(
        day, "Gameplay_NewDay_iPad.png", 640, 192,
        [](cairo_t* cr, double w, double h) {
            banner(cr, w, h, "A New Day!", palette::coral, true);
        },
        TabletRule::same());
    catalog.image(day, "ponyday.png", 300, 90, [](cairo_t* cr, double w, double h) {
        banner(cr, w, h, "Pony Day!", palette::purple, true);
    });
    catalog.image(day, "Gameplay_PauseMenu.png", 260, 210, panelOf());
    catalog.image(day, "Gameplay_PauseMenu_iPad.png", 540, 440, panelOf(), TabletRule::same());
    catalog.image(
        day, "Gameplay_PauseTitle_iPad.png", 240, 70,
        [](cairo_t* cr, double w, double h) {
            textCentered(
                cr, "PAUSE", w / 2, h / 2, h * 0.7, palette::white, palette::outline, h * 0.06);
        },
        TabletRule::same());
    catalog.image(day, "Gameplay_Report.png", 470, 290, report);
    catalog.image(day, "Gameplay_Report_iPad.png", 880, 560, report, TabletRule::same());
    auto levelUp = [](cairo_t* cr, double w, double h) {
        double k = h / 56;
        star(cr, w * 0.14, h * 0.5, 40 * k, palette::honey);
        roundedRect(cr, w * 0.2, h * 0.18, w * 0.78, h * 0.64, h * 0.3);
        fillGradientOutline(cr, h * 0.18, h * 0.82, palette::orange.shade(0.35), palette::orange,
            palette::outline, 1.6 * k);
        textCentered(
            cr, "LEVEL UP!", w * 0.59, h * 0.5, 17 * k, palette::white, palette::outline, 1.5 * k);
    };
    catalog.image(day, "Gameplay_LevelUp.png", 112, 56, levelUp);
    catalog.image(day, "Gameplay_LevelUp_iPad.png", 224, 112, levelUp, TabletRule::same());
    auto up = [](cairo_t* cr, double w, double h) {
        arrow(cr, w / 2, h / 2, h, -M_PI / 2, palette::green);
    };
    auto down = [](cairo_t* cr, double w, double h) {
        arrow(cr, w / 2, h / 2, h, M_PI / 2, palette::red);
    };
    catalog.image(day, "Gameplay_ArrowUp.png", 20, 24, up);
    catalog.image(day, "Gameplay_ArrowDown.png", 20, 24, down);
    catalog.image(day, "Gameplay_ArrowUp_iPad.png", 40, 48, up, TabletRule::same());
    catalog.image(day, "Gameplay_ArrowDown_iPad.png", 40, 48, down, TabletRule::same());
    catalog.image(day, "Gameplay_ComingSoon.png", 120, 40, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        fillGradientOutline(cr, 0, h, palette::lilac.shade(0.3), palette::purple);
        textCentered(cr, "Coming Soon", w / 2, h / 2, 16, palette::white, palette::outline, 1.2);
    });
    catalog.image(day, "Gameplay_BG_Generic.png", 480, 320, panelOf(8));
    catalog.image(day, "Gameplay_UpgradeMenu.png", 470, 270, panelOf());
    catalog.image(day, "Gameplay_UpgradeMenu_iPad.png", 900, 600, panelOf(), TabletRule::same());
    auto upgradeEmblem = [](cairo_t* cr, double w, double h) {
        // A corner ribbon with a shopping bag.
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, w, 0);
        cairo_line_to(cr, 0, h);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, 0, h, palette::coral.shade(0.3), palette::coral, palette::outline, w * 0.03);
        roundedRect(cr, w * 0.14, h * 0.18, w * 0.32, h * 0.28, w * 0.05);
        fillOutline(cr, palette::paper, palette::outline, w * 0.025);
        cairo_arc(cr, w * 0.3, h * 0.18, w * 0.09, M_PI, 2 * M_PI);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, w * 0.03);
        cairo_stroke(cr);
        paw(cr, w * 0.3, h * 0.33, w * 0.16, palette::coral);
    };
    catalog.image(day, "Gameplay_UpgradeIcon.png", 64, 64, upgradeEmblem);
    catalog.image(
        day, "Gameplay_UpgradeIcon_iPad.png", 128, 128, upgradeEmblem, TabletRule::same());

    std::string const help = "Help pages";
    for (int page = 1; page <= 11; ++page) {
        char name[32];
        std::snprintf(name, sizeof name, "Help_Step%d.jpg", page);
        catalog.image(help, name, 480, 320, helpPageDraw(page), TabletRule::same());
    }
}

}
