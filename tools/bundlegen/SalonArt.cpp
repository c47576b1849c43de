#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>

#include <cmath>
#include <cstdio>

namespace bundlegen {

using namespace paint;

namespace {

// The room is drawn in phone image coordinates: 480 x 295, y down from the top edge of
// the floor (screen y 295). Customers walk along the sidewalk at screen y 250 (image
// y 45) and enter through the doorway at x 140..190, whose door stands on screen y 214
// (image y 81). The wall band covers image y 33..90, glazed so that passers-by show
// through; the interior floor is everything below it.
constexpr double roomW = 480;
constexpr double roomH = 295;
constexpr double wallTop = 33;
constexpr double sillTop = 73;
constexpr double wallBottom = 90;
constexpr double doorLeft = 140;
constexpr double doorRight = 190;
constexpr double doorTop = 34;

struct LevelStyle {
    Color floorA;
    Color floorB;
    int floorKind; // 0 planks, 1 checker, 2 herringbone, 3 marble
    Color rug; // alpha 0: none
    Color wall;
    Color sill;
    Color awningA;
    Color awningB;
    Color frame;
    bool plants;
    bool lamps;
    bool gold;
    int street {0}; // 0 town road, 1 beach, 2 snow, 3 candy
};

LevelStyle styleFor(int level) {
    using namespace palette;
    auto hex = [](uint32_t v, double a = 1.0) { return Color::hex(v, a); };
    switch (level) {
    case 1:
        return {hex(0xe8c39a), hex(0xdcb288), 0, hex(0, 0), hex(0xf6e3c6), hex(0xc98f5e),
            hex(0xff9f80), hex(0xfff4e0), hex(0xb97a4a), false, false, false};
    case 2:
        return {hex(0xeac7a0), hex(0xdfb68c), 0, hex(0x8ed8b8), hex(0xf9e6cc), hex(0xc98f5e),
            hex(0x6cc5b5), hex(0xfff4e0), hex(0xb97a4a), true, false, false};
    case 3:
        return {hex(0xfff1dc), hex(0xffd9bd), 1, hex(0, 0), hex(0xffe9d6), hex(0xe09a7a),
            hex(0xf27c96), hex(0xfff4e0), hex(0xd0805f), true, false, false};
    case 4:
        return {hex(0xfff1dc), hex(0xcfeee4), 1, hex(0xffc2d1), hex(0xe9f6f0), hex(0x6cb9a8),
            hex(0x4a9be0), hex(0xfff4e0), hex(0x3f8f86), true, true, false};
    case 5:
        return {hex(0xe2b47f), hex(0xc99a66), 2, hex(0xc4a7e7), hex(0xfbe8ef), hex(0xc77b9a),
            hex(0x8e6cc9), hex(0xfff4e0), hex(0x8a5533), true, true, false};
    case 6:
        return {hex(0xe9bd8a), hex(0xd29f6c), 2, hex(0xff9f43), hex(0xfff0d0), hex(0xd39a4c),
            hex(0xff7f66), hex(0xffcf5c), hex(0x8a5533), true, true, true};
    case 7:
        return {hex(0xf7efe8), hex(0xe6dcd6), 3, hex(0x3fb5a6), hex(0xf0f7f6), hex(0x8fb8c9),
            hex(0x2f4a7a), hex(0xffcf5c), hex(0x5b6b7a), true, true, true};
    case 101: // beach theme
        return {hex(0xf6e1b5), hex(0xead09c), 0, hex(0x6cc5e8), hex(0xe9f7fb), hex(0x8fd3f4),
            hex(0xffcf5c), hex(0xffffff), hex(0x3f9fc9), true, false, false, 1};
    case 102: // candy theme
        return {hex(0xffd6e4), hex(0xd4f5e9), 1, hex(0xc4a7e7), hex(0xffe6f0), hex(0xf27c96),
            hex(0xe8545a), hex(0xffffff), hex(0xd64a6a), true, true, false, 3};
    case 103: // winter theme
        return {hex(0xdcecf6), hex(0xc9e0ee), 0, hex(0xe8545a), hex(0xf4f9fc), hex(0x9fb8c9),
            hex(0x2f4a7a), hex(0xffffff), hex(0x5b6b7a), true, true, false, 2};
    default:
        return {hex(0xfbeef0), hex(0xf0dbe0), 3, hex(0xd64a6a), hex(0xfff0f4), hex(0xc95f80),
            hex(0xd64a6a), hex(0xffcf5c), hex(0xc98a1c), true, true, true};
    }
}

void street(cairo_t* cr, int kind) {
    if (kind == 1) {
        // The sea, a strip of sand and the promenade.
        cairo_rectangle(cr, 0, -30, roomW, 50);
        fillGradient(cr, -30, 20, Color::hex(0x3f9fc9), Color::hex(0x8fd3f4));
        cairo_new_path(cr);
        for (double x = 0; x < roomW; x += 30) {
            cairo_arc(cr, x + 15, 8 + std::fmod(x, 60) / 10, 9, M_PI * 1.1, M_PI * 1.9);
            cairo_new_sub_path(cr);
        }
        setColor(cr, palette::white.withAlpha(0.7));
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        cairo_rectangle(cr, 0, 18, roomW, wallTop + 40);
        fillGradient(cr, 18, 70, Color::hex(0xf6e1b5), Color::hex(0xeed29c));
        cairo_new_path(cr);
        for (int i = 0; i < 60; ++i) {
            circle(cr, std::fmod(i * 73.0, roomW), 22 + std::fmod(i * 31.0, 45), 0.9);
        }
        setColor(cr, Color::hex(0xc9a46a, 0.7));
        cairo_fill(cr);
        return;
    }

    // Road (reaches above the image for the taller tablet room).
    cairo_rectangle(cr, 0, -30, roomW, 52);
    fillGradient(cr, -30, 22, Color::hex(0x6e7386), Color::hex(0x7d8296));
    cairo_new_path(cr);
    for (double x = 8; x < roomW; x += 48)
        roundedRect(cr, x, 2, 26, 3.5, 1.7);
    setColor(cr, Color::hex(0xfff4e0, 0.85));
    cairo_fill(cr);
    // Curb and sidewalk.
    cairo_rectangle(cr, 0, 20, roomW, 5);
    setColor(cr, kind == 3 ? Color::hex(0xf27c96) : Color::hex(0xcfc6bd));
    cairo_fill(cr);
    if (kind == 3)
        for (double x = 0; x < roomW; x += 16) {
            cairo_rectangle(cr, x, 20, 8, 5);
            setColor(cr, palette::white);
            cairo_fill(cr);
        }
    cairo_rectangle(cr, 0, 25, roomW, wallTop + 10 - 25 + 30);
    fillGradient(cr, 25, 70, kind == 2 ? Color::hex(0xffffff) : Color::hex(0xf2e6d8),
        kind == 2 ? Color::hex(0xe4eef5) : Color::hex(0xe6d6c4));
    cairo_new_path(cr);
    setColor(cr, Color::hex(0xd6c4b0));
    cairo_set_line_width(cr, 0.8);
    for (double x = 0; x <= roomW; x += 24) {
        cairo_move_to(cr, x, 25);
        cairo_line_to(cr, x - 6, 70);
    }
    cairo_move_to(cr, 0, 47);
    cairo_line_to(cr, roomW, 47);
    cairo_stroke(cr);
    if (kind == 2) {
        // Snow along the road's edges and falling flakes.
        for (double x = 0; x < roomW; x += 22)
            ellipse(cr, x + 11, 19, 13, 4);
        setColor(cr, palette::white);
        cairo_fill(cr);
        for (int i = 0; i < 50; ++i)
            circle(cr, std::fmod(i * 89.0, roomW), -28 + std::fmod(i * 37.0, 60), 1.2);
        setColor(cr, palette::white.withAlpha(0.9));
        cairo_fill(cr);
    }
}

void planks(cairo_t* cr, LevelStyle const& s) {
    for (int row = 0; row * 16 + wallBottom < roomH; ++row) {
        double y = wallBottom + row * 16;
        double shift = (row % 2) * 37;
        for (double x = -shift; x < roomW; x += 74) {
            roundedRect(cr, x + 0.5, y + 0.5, 73, 15, 2);
            int k = int((x + row * 13) / 74) % 3;
            setColor(cr, k == 0 ? s.floorA : (k == 1 ? s.floorB : s.floorA.mix(s.floorB, 0.5)));
            cairo_fill_preserve(cr);
            setColor(cr, s.floorB.shade(-0.18));
            cairo_set_line_width(cr, 0.8);
            cairo_stroke(cr);
        }
    }
}

void checker(cairo_t* cr, LevelStyle const& s) {
    double size = 24;
    for (int row = 0; row * size + wallBottom < roomH; ++row)
        for (int col = 0; col * size < roomW; ++col) {
            cairo_rectangle(cr, col * size, wallBottom + row * size, size, size);
            setColor(cr, (row + col) % 2 ? s.floorA : s.floorB);
            cairo_fill(cr);
        }
    setColor(cr, s.floorB.shade(-0.12).withAlpha(0.6));
    cairo_set_line_width(cr, 0.6);
    for (double x = 0; x <= roomW; x += size) {
        cairo_move_to(cr, x, wallBottom);
        cairo_line_to(cr, x, roomH);
    }
    for (double y = wallBottom; y <= roomH; y += size) {
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, roomW, y);
    }
    cairo_stroke(cr);
}

void herringbone(cairo_t* cr, LevelStyle const& s) {
    // Chevron parquet: columns of slanted planks, the slant alternating per column.
    double const cw = 20;
    double const ph = 10;
    double const slope = 10;
    for (int col = 0; col * cw < roomW; ++col) {
        double x0 = col * cw;
        double d = (col % 2) ? slope : -slope;
        for (int row = -2; row * ph + wallBottom < roomH + slope; ++row) {
            double y = wallBottom + row * ph;
            cairo_move_to(cr, x0, y);
            cairo_line_to(cr, x0 + cw, y + d);
            cairo_line_to(cr, x0 + cw, y + d + ph);
            cairo_line_to(cr, x0, y + ph);
            cairo_close_path(cr);
            setColor(cr, ((row + col * 2) % 3) ? s.floorA : s.floorB);
            cairo_fill_preserve(cr);
            setColor(cr, s.floorB.shade(-0.2));
            cairo_set_line_width(cr, 0.7);
            cairo_stroke(cr);
        }
    }
}

void marble(cairo_t* cr, LevelStyle const& s) {
    double size = 40;
    for (int row = 0; row * size + wallBottom < roomH; ++row)
        for (int col = 0; col * size < roomW; ++col) {
            double x = col * size;
            double y = wallBottom + row * size;
            cairo_rectangle(cr, x, y, size, size);
            fillGradient(cr, y, y + size, (row + col) % 2 ? s.floorA : s.floorB,
                ((row + col) % 2 ? s.floorA : s.floorB).shade(-0.04));
            cairo_new_path(cr);
            // Veins.
            cairo_move_to(cr, x + 4, y + 8 + (col % 3) * 6);
            cairo_curve_to(cr, x + 14, y + 2, x + 22, y + 30, x + 38, y + 20 + (row % 2) * 8);
            setColor(cr, s.floorB.shade(-0.2).withAlpha(0.35));
            cairo_set_line_width(cr, 0.8);
            cairo_stroke(cr);
            cairo_rectangle(cr, x, y, size, size);
            setColor(cr, palette::white.withAlpha(0.7));
            cairo_set_line_width(cr, 0.8);
            cairo_stroke(cr);
        }
}

void rug(cairo_t* cr, double cx, double cy, double rx, double ry, Color c, bool round) {
    if (round)
        ellipse(cr, cx, cy, rx, ry);
    else
        roundedRect(cr, cx - rx, cy - ry, rx * 2, ry * 2, 8);
    fillOutline(cr, c, c.shade(-0.35), 1.2);
    if (round)
        ellipse(cr, cx, cy, rx - 6, ry - 4);
    else
        roundedRect(cr, cx - rx + 5, cy - ry + 4, rx * 2 - 10, ry * 2 - 8, 6);
    dashedStroke(cr, c.shade(0.45), 1.6, 4, 3);
    paw(cr, cx, cy, std::min(rx, ry) * 0.7, c.shade(0.3));
}

void floorOf(cairo_t* cr, int level) {
    LevelStyle s = styleFor(level);
    street(cr, s.street);
    switch (s.floorKind) {
    case 0:
        planks(cr, s);
        break;
    case 1:
        checker(cr, s);
        break;
    case 2:
        herringbone(cr, s);
        break;
    default:
        marble(cr, s);
        break;
    }
    // A skirting shadow under the wall.
    cairo_rectangle(cr, 0, wallBottom, roomW, 10);
    fillGradient(cr, wallBottom, wallBottom + 10, palette::black.withAlpha(0.18),
        palette::black.withAlpha(0));
    cairo_new_path(cr);
    // Welcome mat inside the door; rugs under the waiting area and the work floor.
    roundedRect(cr, doorLeft - 4, wallBottom + 2, doorRight - doorLeft + 8, 16, 4);
    fillOutline(cr, Color::hex(0xc98f5e), palette::outline, 1);
    paw(cr, (doorLeft + doorRight) / 2, wallBottom + 10, 11, Color::hex(0xe8b98a));
    if (s.rug.a > 0) {
        rug(cr, 280, 110, 90, 16, s.rug, false);
        rug(cr, 260, 195, 70, 32, s.rug.shade(0.15), true);
    }
    if (s.gold) {
        // A runner from the door.
        cairo_rectangle(cr, doorLeft + 5, wallBottom + 18, doorRight - doorLeft - 10, 60);
        fillGradient(
            cr, wallBottom + 18, wallBottom + 78, s.rug.withAlpha(0.9), s.rug.withAlpha(0));
        cairo_new_path(cr);
    }
}

void window(cairo_t* cr, double x0, double x1, LevelStyle const& s) {
    double top = wallTop + 6;
    double bottom = sillTop;
    // Glass: faintly tinted so that people outside show through.
    cairo_rectangle(cr, x0, top, x1 - x0, bottom - top);
    setColor(cr, palette::sky.withAlpha(0.22));
    cairo_fill(cr);
    for (double gx = x0 + 10; gx < x1 - 10; gx += 46) {
        cairo_move_to(cr, gx, top + 4);
        cairo_line_to(cr, gx + 10, top + 4);
        cairo_line_to(cr, gx - 2, bottom - 4);
        cairo_line_to(cr, gx - 8, bottom - 4);
        cairo_close_path(cr);
    }
    setColor(cr, palette::white.withAlpha(0.28));
    cairo_fill(cr);
    // Frame and mullions.
    cairo_rectangle(cr, x0, top, x1 - x0, bottom - top);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 4.6);
    cairo_stroke_preserve(cr);
    setColor(cr, s.frame);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    int panes = std::max(1, int((x1 - x0) / 70));
    for (int i = 1; i < panes; ++i) {
        double x = x0 + (x1 - x0) * i / panes;
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x, bottom);
    }
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 3.6);
    cairo_stroke_preserve(cr);
    setColor(cr, s.frame);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void flowerBox(cairo_t* cr, double x, double y, double w, LevelStyle const& s) {
    Color const flowers[]
        = {palette::rose, palette::honey, palette::white, palette::coral, palette::lilac};
    for (int i = 0; i < int(w / 7); ++i) {
        double fx = x + 4 + i * 7;
        circle(cr, fx, y - 3 - (i % 2) * 2, 3);
        setColor(cr, palette::leaf);
        cairo_fill(cr);
        circle(cr, fx + 1, y - 6 - (i % 3), 2.2);
        fillOutline(cr, flowers[i % 5], palette::outline, 0.6);
    }
    roundedRect(cr, x, y - 1, w, 6, 2);
    fillOutline(cr, s.sill.shade(-0.15), palette::outline, 1);
}

void wallOf(cairo_t* cr, int level) {
    LevelStyle s = styleFor(level);
    // Wall body with the window openings and the doorway cut out (even-odd).
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, wallTop, roomW, wallBottom - wallTop);
    cairo_rectangle(cr, doorLeft, doorTop, doorRight - doorLeft, wallBottom - doorTop);
    struct Span {
        double a, b;
    };
    Span const windows[] = {{14, doorLeft - 14}, {doorRight + 14, 320}, {334, roomW - 14}};
    for (Span w : windows)
        cairo_rectangle(cr, w.a, wallTop + 6, w.b - w.a, sillTop - wallTop - 6);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    fillGradient(cr, wallTop, wallBottom, s.wall.shade(0.3), s.wall);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Sill (wainscot) below the windows.
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, sillTop, doorLeft, wallBottom - sillTop);
    cairo_rectangle(cr, doorRight, sillTop, roomW - doorRight, wallBottom - sillTop);
    fillGradientOutline(cr, sillTop, wallBottom, s.sill.shade(0.25), s.sill, palette::outline, 1.2);
    for (double x = 12; x < roomW; x += 24) {
        if (x > doorLeft - 8 && x < doorRight + 8)
            continue;
        roundedRect(cr, x - 8, sillTop + 4, 16, wallBottom - sillTop - 8, 2);
        setColor(cr, s.sill.shade(-0.15));
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    }
    for (Span w : windows)
        window(cr, w.a, w.b, s);
    // Door frame.
    cairo_rectangle(
        cr, doorLeft - 3, doorTop - 3, doorRight - doorLeft + 6, wallBottom - doorTop + 3);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 6.5);
    cairo_stroke_preserve(cr);
    setColor(cr, s.frame);
    cairo_set_line_width(cr, 4.5);
    cairo_stroke(cr);
    // Top trim and scalloped awning over each window.
    cairo_rectangle(cr, 0, wallTop - 2, roomW, 6);
    fillOutline(cr, s.frame, palette::outline, 1.1);
    for (Span w : windows) {
        double top = wallTop + 2;
        int stripes = int((w.b - w.a) / 14);
        double sw = (w.b - w.a + 8) / stripes;
        for (int i = 0; i < stripes; ++i) {
            double x = w.a - 4 + i * sw;
            cairo_move_to(cr, x, top);
            cairo_line_to(cr, x + sw, top);
            cairo_line_to(cr, x + sw, top + 8);
            cairo_arc(cr, x + sw / 2, top + 8, sw / 2, 0, M_PI);
            cairo_close_path(cr);
            fillOutline(cr, i % 2 ? s.awningB : s.awningA, palette::outline, 1);
        }
    }
    // Awning over the door with the salon's paw.
    roundedRect(cr, doorLeft - 8, doorTop - 8, doorRight - doorLeft + 16, 12, 5);
    fillGradientOutline(cr, doorTop - 8, doorTop + 4, s.awningA.shade(0.3), s.awningA);
    paw(cr, (doorLeft + doorRight) / 2, doorTop - 2, 9, palette::white);
    if (s.plants) {
        flowerBox(cr, 18, sillTop, doorLeft - 36, s);
        flowerBox(cr, doorRight + 18, sillTop, 320 - doorRight - 36, s);
        flowerBox(cr, 338, sillTop, roomW - 352, s);
    }
    if (s.lamps)
        for (double x : {doorLeft - 9, doorRight + 9}) {
            roundedRect(cr, x - 3, wallTop + 12, 6, 11, 2.5);
            fillOutline(cr, palette::honey.shade(0.4), palette::outline, 1);
            circle(cr, x, wallTop + 17, 7);
            setColor(cr, palette::honey.withAlpha(0.25));
            cairo_fill(cr);
        }
    if (s.street == 2) {
        for (double x = 0; x < roomW; x += 18)
            ellipse(cr, x + 9, wallTop - 2, 11, 3.5);
        setColor(cr, palette::white);
        cairo_fill(cr);
    }
    if (s.gold) {
        cairo_move_to(cr, 0, wallBottom - 1);
        cairo_line_to(cr, doorLeft, wallBottom - 1);
        cairo_move_to(cr, doorRight, wallBottom - 1);
        cairo_line_to(cr, roomW, wallBottom - 1);
        setColor(cr, palette::gold);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
}

// A store thumbnail of a theme: its floor and wall, cropped to the middle.
void themeThumb(cairo_t* cr, double w, double h, int style) {
    double k = h / roomH;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_clip(cr);
    cairo_translate(cr, (w - roomW * k) / 2, 0);
    cairo_scale(cr, k, k);
    floorOf(cr, style);
    wallOf(cr, style);
    drawImage(cr, "qrn_ip_door.png", (doorLeft + doorRight) / 2, wallBottom - 9, 0.5, 1);
    drawImage(cr, "furn_sofa_2.png", 220, 200, 0.5, 1, 1.4);
    drawImage(cr, "furn_bath_2.png", 300, 220, 0.5, 1, 1.4);
    cairo_restore(cr);
    roundedRect(cr, 1, 1, w - 2, h - 2, 10);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void door(cairo_t* cr, double w, double h) {
    roundedRect(cr, 1, 1, w - 2, h - 1.5, 3);
    fillGradientOutline(cr, 0, h, palette::woodLight, palette::wood, palette::outline, 1.2);
    roundedRect(cr, 5, 5, w - 10, h - 12, 2);
    fillGradientOutline(cr, 5, h - 7, palette::sky.shade(0.55).withAlpha(0.85),
        palette::sky.withAlpha(0.75), palette::outline, 1);
    cairo_move_to(cr, 10, 8);
    cairo_line_to(cr, 18, 8);
    cairo_line_to(cr, 10, 24);
    cairo_close_path(cr);
    setColor(cr, palette::white.withAlpha(0.5));
    cairo_fill(cr);
    roundedRect(cr, w / 2 - 11, 12, 22, 10, 3);
    fillOutline(cr, palette::paper, palette::outline, 0.8);
    paw(cr, w / 2, 17, 7, palette::coral);
    roundedRect(cr, w - 11, h * 0.52, 4, 10, 2);
    fillOutline(cr, palette::gold, palette::outline, 0.8);
}

void nightFilter(cairo_t* cr, double w, double h) {
    cairo_rectangle(cr, 0, 0, w, h);
    fillGradient(cr, 0, h, Color::hex(0x141a38), Color::hex(0x1e2850));
    cairo_new_path(cr);
    // Pools of lamplight along the street.
    for (double x : {60.0, 300.0, 440.0}) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(x, h * 0.55, 2, x, h * 0.55, 38);
        cairo_pattern_add_color_stop_rgba(glow, 0, 0.55, 0.5, 0.4, 1);
        cairo_pattern_add_color_stop_rgba(glow, 1, 0.08, 0.1, 0.22, 0);
        cairo_set_source(cr, glow);
        cairo_arc(cr, x, h * 0.55, 38, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
}

void car(cairo_t* cr, double w, double h, Color body) {
    // Faces left: it drives from right to left.
    double base = h - 8;
    ellipse(cr, w / 2, h - 2.5, w * 0.45, 2.5);
    setColor(cr, palette::black.withAlpha(0.2));
    cairo_fill(cr);
    cairo_move_to(cr, 6, base);
    cairo_curve_to(cr, 2, base - 4, 3, base - 14, 10, base - 16);
    cairo_line_to(cr, 26, base - 18);
    cairo_curve_to(cr, 32, base - 30, 40, base - 31, 56, base - 31);
    cairo_curve_to(cr, 70, base - 31, 76, base - 26, 80, base - 18);
    cairo_curve_to(cr, 90, base - 16, w - 3, base - 10, w - 4, base);
    cairo_close_path(cr);
    fillGradientOutline(
        cr, base - 31, base, body.shade(0.35), body.shade(-0.05), palette::outline, 1.3);
    cairo_move_to(cr, 31, base - 18);
    cairo_curve_to(cr, 35, base - 27, 42, base - 27, 52, base - 27);
    cairo_line_to(cr, 52, base - 18);
    cairo_close_path(cr);
    cairo_move_to(cr, 56, base - 27);
    cairo_curve_to(cr, 66, base - 27, 70, base - 24, 74, base - 18);
    cairo_line_to(cr, 56, base - 18);
    cairo_close_path(cr);
    fillOutline(cr, palette::sky.shade(0.4), palette::outline, 1);
    circle(cr, 7, base - 9, 2.6);
    fillOutline(cr, palette::honey.shade(0.5), palette::outline, 0.8);
    roundedRect(cr, 40, base - 14, 8, 2.5, 1.2);
    setColor(cr, body.shade(-0.4));
    cairo_fill(cr);
    for (double x : {22.0, w - 22}) {
        circle(cr, x, base, 8);
        fillOutline(cr, Color::hex(0x3a3440), palette::outline, 1.2);
        circle(cr, x, base, 3.5);
        fillOutline(cr, palette::grey.shade(0.3), palette::outline, 0.8);
    }
}

// A speech bubble with a service icon; hurry bubbles turn red and shout.
void bubble(cairo_t* cr, double w, double h, std::string const& service, bool hurry) {
    double cx = w / 2;
    double cy = 17;
    double r = 15.5;
    Color fill = hurry ? Color::hex(0xffe1dc) : palette::white;
    Color ring = hurry ? palette::red : palette::teal;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, M_PI * 0.62, M_PI * 2.38);
    cairo_line_to(cr, cx, h - 1.5);
    cairo_close_path(cr);
    setColor(cr, ring.shade(-0.3));
    cairo_set_line_width(cr, 3.6);
    cairo_stroke_preserve(cr);
    fillGradient(cr, cy - r, cy + r, fill, fill.shade(-0.06));
    setColor(cr, ring);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    double s = 21;
    if (service == "sofa")
        armchair(cr, cx, cy, s, palette::teal);
    else if (service == "counter")
        cashRegister(cr, cx, cy, s);
    else if (service == "bath")
        bathTub(cr, cx, cy, s);
    else if (service == "drying")
        hairDryer(cr, cx, cy, s);
    else if (service == "hair")
        scissors(cr, cx, cy, s);
    else if (service == "facial")
        faceMask(cr, cx, cy, s);
    else if (service == "massage")
        spaStones(cr, cx, cy, s);
    else if (service == "flea")
        flea(cr, cx, cy, s, true);
    else if (service == "wildcard")
        star(cr, cx, cy, s, palette::honey);
    else
        bell(cr, cx, cy, s);
    if (hurry) {
        circle(cr, w - 6, 7, 5.5);
        fillOutline(cr, palette::red, palette::outline, 1);
        textCentered(cr, "!", w - 6, 7, 10, palette::white, palette::outline, 0);
    }
}

void tag(cairo_t* cr, double w, double h, Color base, bool coinIcon, bool positive) {
    roundedRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2);
    fillGradientOutline(cr, 0, h, base.shade(0.4), base, base.shade(-0.5), 1.3);
    roundedRect(cr, 4, 3, w - 8, (h - 6) * 0.4, 4);
    setColor(cr, palette::white.withAlpha(0.3));
    cairo_fill(cr);
    if (coinIcon)
        coin(cr, h / 2 + 1, h / 2, h - 5);
    else if (positive)
        heart(cr, h / 2 + 1, h / 2 + 0.5, h - 5, palette::rose);
    else
        heart(cr, h / 2 + 1, h / 2 + 0.5, h - 5, palette::grey);
}

void loadingFrame(cairo_t* cr, double w, double h) {
    roundedRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2);
    fillGradientOutline(
        cr, 0, h, palette::woodLight.shade(0.2), palette::wood, palette::outline, 1.4);
    double i = std::max(3.0, h * 0.16);
    roundedRect(cr, i, i, w - 2 * i, h - 2 * i, (h - 2 * i) / 2);
    fillOutline(cr, Color::hex(0x6b4a3a), palette::outline, 1);
}

void loadingBar(cairo_t* cr, double w, double h) {
    roundedRect(cr, 0.5, 0.5, w - 1, h - 1, (h - 1) / 2);
    fillGradient(cr, 0, h, palette::honey.shade(0.45), palette::orange);
    cairo_save(cr);
    cairo_clip(cr);
    for (double x = -h; x < w + h; x += h * 1.2) {
        cairo_move_to(cr, x, h);
        cairo_line_to(cr, x + h * 0.6, h);
        cairo_line_to(cr, x + h * 1.2, 0);
        cairo_line_to(cr, x + h * 0.6, 0);
        cairo_close_path(cr);
    }
    setColor(cr, palette::white.withAlpha(0.22));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 1, w, h * 0.3);
    setColor(cr, palette::white.withAlpha(0.3));
    cairo_fill(cr);
    cairo_restore(cr);
}

}

void addSalonArt(Catalog& catalog) {
    std::string const room = "Salon room";
    for (int level = 1; level <= 8; ++level) {
        char name[32];
        std::snprintf(name, sizeof name, "qrn_ip_bg%02d.jpg", level);
        catalog.image(
            room, name, roomW, roomH, [level](cairo_t* cr, double, double) { floorOf(cr, level); },
            TabletRule::room(1024, 743, 35));
        std::snprintf(name, sizeof name, "qrn_ip_wall%02d.png", level);
        catalog.image(
            room, name, roomW, roomH, [level](cairo_t* cr, double, double) { wallOf(cr, level); },
            TabletRule::room(1024, 743, 35));
    }
    catalog.image(room, "qrn_ip_door.png", 50, 47, door, TabletRule::room(107, 113));
    struct Theme {
        char const* name;
        int style;
    };
    for (Theme t : {Theme {"beach", 101}, Theme {"candy", 102}, Theme {"winter", 103}}) {
        int style = t.style;
        std::string base = std::string("qrn_theme_") + t.name;
        catalog.image(
            "Themes", base + "_bg.jpg", roomW, roomH,
            [style](cairo_t* cr, double, double) { floorOf(cr, style); },
            TabletRule::room(1024, 743, 35));
        catalog.image(
            "Themes", base + "_wall.png", roomW, roomH,
            [style](cairo_t* cr, double, double) { wallOf(cr, style); },
            TabletRule::room(1024, 743, 35));
        catalog.image(
            "Themes", base + "_thumb.jpg", 266, 200,
            [style](cairo_t* cr, double w, double h) { themeThumb(cr, w, h, style); },
            TabletRule::size(466, 360));
    }
    catalog.image(
        "Themes", "qrn_theme_default_thumb.jpg", 266, 200,
        [](cairo_t* cr, double w, double h) { themeThumb(cr, w, h, 1); },
        TabletRule::size(466, 360));
    catalog.image(room, "qrn_ip_bg_filter.png", 480, 76, nightFilter, TabletRule::size(1024, 360));
    catalog.image(
        room, "qrn_ip_gcar.png", 96, 40,
        [](cairo_t* cr, double w, double h) { car(cr, w, h, palette::green); },
        TabletRule::scale(2.1333334));
    catalog.image(
        room, "qrn_ip_ocar.png", 96, 40,
        [](cairo_t* cr, double w, double h) { car(cr, w, h, palette::orange); },
        TabletRule::scale(2.1333334));

    std::string const bubbles = "Service bubbles";
    for (char const* service : {"sofa", "counter", "bath", "drying", "hair", "facial", "massage",
             "flea", "wildcard", "service"})
        for (bool hurry : {false, true}) {
            std::string name
                = std::string("qrn_ip_icon_") + service + (hurry ? "_hurry" : "_normal") + ".png";
            std::string s = service;
            catalog.image(bubbles, name, 34, 40,
                [s, hurry](cairo_t* cr, double w, double h) { bubble(cr, w, h, s, hurry); });
        }
    catalog.image(bubbles, "qrn_ip_icon_purchase.png", 30, 30, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::green);
        plus(cr, w / 2, h / 2, w * 0.5, palette::white);
    });
    catalog.image(bubbles, "qrn_ip_icon_upgrade.png", 30, 30, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::orange);
        arrow(cr, w / 2, h / 2, w * 0.55, -M_PI / 2, palette::white);
    });

    std::string const pops = "Salon pop-ups";
    catalog.image(pops, "Gameplay_Star.png", 24, 24,
        [](cairo_t* cr, double w, double h) { star(cr, w / 2, h / 2, w - 1, palette::honey); });
    catalog.image(pops, "income_positive.png", 62, 24,
        [](cairo_t* cr, double w, double h) { tag(cr, w, h, palette::green, true, true); });
    catalog.image(pops, "income_negative.png", 62, 24,
        [](cairo_t* cr, double w, double h) { tag(cr, w, h, palette::red, true, false); });
    catalog.image(pops, "sat_positive.png", 58, 24, [](cairo_t* cr, double w, double h) {
        tag(cr, w, h, palette::pink.shade(-0.15), false, true);
    });
    catalog.image(pops, "sat_negative.png", 58, 24, [](cairo_t* cr, double w, double h) {
        tag(cr, w, h, palette::grey.shade(-0.1), false, false);
    });
    catalog.image(pops, "plus_money.png", 40, 40, [](cairo_t* cr, double w, double h) {
        coin(cr, w * 0.42, h * 0.58, w * 0.72);
        badge(cr, w * 0.76, h * 0.26, 8.5, palette::green);
        plus(cr, w * 0.76, h * 0.26, 11, palette::white);
    });
    catalog.image(
        pops, "ChallengaAchieved_PopUp.png", 300, 44, [](cairo_t* cr, double w, double h) {
            // A ribbon with folded ends.
            for (int side : {-1, 1}) {
                double x = side < 0 ? 2 : w - 2;
                cairo_move_to(cr, x, 10);
                cairo_line_to(cr, x - side * 34, 10);
                cairo_line_to(cr, x - side * 34, h - 4);
                cairo_line_to(cr, x, h - 4);
                cairo_line_to(cr, x - side * 12, (10 + h - 4) / 2);
                cairo_close_path(cr);
                fillOutline(cr, palette::rose.shade(-0.2), palette::outline, 1.3);
            }
            roundedRect(cr, 22, 2, w - 44, h - 10, 9);
            fillGradientOutline(cr, 2, h - 8, palette::rose.shade(0.3), palette::rose.shade(-0.05),
                palette::outline, 1.4);
            roundedRect(cr, 28, 6, w - 56, h - 18, 6);
            dashedStroke(cr, palette::white.withAlpha(0.7), 1, 3, 2.5);
            star(cr, 40, (h - 8) / 2 + 2, 16, palette::honey);
            star(cr, w - 40, (h - 8) / 2 + 2, 16, palette::honey);
        });

    std::string const loading = "Loading screen";
    catalog.image(loading, "Loading_BarBg.png", 300, 24, loadingFrame);
    catalog.image(loading, "Loading_Bar.png", 292, 14, loadingBar);
    catalog.image(loading, "Loading_BarBg_iPad.png", 600, 46, loadingFrame, TabletRule::same());
    catalog.image(loading, "Loading_Bar_iPad.png", 552, 26, loadingBar, TabletRule::same());
}

}
