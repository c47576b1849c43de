#include <bundlegen/Catalog.hpp>
#include <bundlegen/Furniture.hpp>
#include <bundlegen/Paint.hpp>

#include <cmath>
#include <cstdio>

namespace bundlegen {

using namespace paint;

namespace {

// Furniture stands on the bottom-centre of its picture (offsets 0 in the furniture
// list), so a piece's position is the middle of its front edge on the floor.
struct Tier {
    Color main;
    Color trim;
    Color accent;
    bool fancy;
};

Tier tierOf(int level, Color a, Color b, Color c) {
    switch (level) {
    case 1:
        return {a, palette::wood, palette::cream, false};
    case 2:
        return {b, palette::woodLight.shade(-0.1), palette::paper, false};
    default:
        return {c, palette::gold, palette::paper, true};
    }
}

void floorShadow(cairo_t* cr, double w, double h, double rx) {
    ellipse(cr, w / 2, h - 3, rx, 3.2);
    setColor(cr, palette::black.withAlpha(0.16));
    cairo_fill(cr);
}

void levelStars(cairo_t* cr, double x, double y, int level) {
    for (int i = 0; i < level; ++i)
        star(cr, x + (i - (level - 1) / 2.0) * 7, y, 7, palette::honey);
}

void sofa(cairo_t* cr, double w, double h, int level, bool second) {
    Tier t = second ? tierOf(level, palette::honey, palette::mint, palette::lilac)
                    : tierOf(level, palette::teal, palette::coral, palette::purple);
    floorShadow(cr, w, h, w * 0.45);
    double base = h - 3;
    if (second) {
        // A round pouffe-bench with cushions.
        roundedRect(cr, 3, base - 20, w - 6, 18, 8);
        fillGradientOutline(cr, base - 20, base - 2, t.main.shade(0.3), t.main.shade(-0.1));
        roundedRect(cr, 5, base - 26, w - 10, 10, 5);
        fillGradientOutline(cr, base - 26, base - 16, t.main.shade(0.5), t.main.shade(0.15));
        for (double x : {8.0, w - 12}) {
            roundedRect(cr, x, base - 4, 4, 5, 1.5);
            fillOutline(cr, t.trim, palette::outline, 1);
        }
        if (t.fancy) {
            cairo_move_to(cr, 5, base - 12);
            cairo_line_to(cr, w - 5, base - 12);
            setColor(cr, palette::gold);
            cairo_set_line_width(cr, 1.6);
            cairo_stroke(cr);
        }
        levelStars(cr, w / 2, base - 21, 0);
        return;
    }
    roundedRect(cr, 6, 3, w - 12, base - 14, 9);
    fillGradientOutline(cr, 3, base - 11, t.main.shade(0.3), t.main.shade(0.02));
    if (level >= 2)
        for (double x : {w * 0.33, w * 0.67}) {
            circle(cr, x, 12, 1.5);
            setColor(cr, t.main.shade(-0.3));
            cairo_fill(cr);
        }
    roundedRect(cr, 7, base - 17, w - 14, 10, 5);
    fillGradientOutline(cr, base - 17, base - 7, t.main.shade(0.45), t.main.shade(0.15));
    for (double x : {1.5, w - 11.5}) {
        roundedRect(cr, x, base - 24, 10, 19, 5);
        fillGradientOutline(cr, base - 24, base - 5, t.main.shade(0.2), t.main.shade(-0.15));
    }
    for (double x : {5.0, w - 9}) {
        roundedRect(cr, x, base - 6, 4, 6.5, 1.5);
        fillOutline(cr, t.trim, palette::outline, 1);
    }
    if (t.fancy) {
        crown(cr, w / 2, 8, 10);
    } else if (level == 2) {
        heart(cr, w / 2, 11, 8, palette::pink);
    }
}

void counter(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::woodLight, palette::mint, Color::hex(0xf7efe8));
    floorShadow(cr, w, h, w * 0.48);
    double base = h - 3;
    // Desk top seen from the front.
    roundedRect(cr, 4, base - 30, w - 8, 30, 4);
    fillGradientOutline(cr, base - 30, base, t.main.shade(0.2), t.main.shade(-0.1));
    for (int i = 0; i < 3; ++i) {
        roundedRect(cr, 10 + i * (w - 20) / 3, base - 24, (w - 20) / 3 - 6, 20, 3);
        setColor(cr, t.main.shade(-0.18));
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    paw(cr, w / 2, base - 14, 12, t.main.shade(-0.25));
    roundedRect(cr, 1, base - 35, w - 2, 7, 3);
    fillGradientOutline(cr, base - 35, base - 28, t.trim.shade(0.3), t.trim);
    // Register and a bell on top.
    cashRegister(cr, w * 0.68, base - 44, 24);
    bell(cr, w * 0.3, base - 40, 12);
    if (level >= 2) {
        // A little plant.
        roundedRect(cr, 10, base - 44, 8, 9, 2);
        fillOutline(cr, palette::coral, palette::outline, 1);
        for (int i = -1; i <= 1; ++i) {
            ellipse(cr, 14 + i * 3.5, base - 47 - std::abs(i) * -1.5, 2.6, 4.5);
        }
        fillOutline(cr, palette::leaf, palette::outline, 0.8);
    }
    if (t.fancy) {
        cairo_move_to(cr, 6, base - 2);
        cairo_line_to(cr, w - 6, base - 2);
        setColor(cr, palette::gold);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        crown(cr, w * 0.45, base - 41, 10);
    }
}

void bath(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::white, palette::pink.shade(0.4), palette::white);
    floorShadow(cr, w, h, w * 0.45);
    double base = h - 3;
    // Bubbles above the rim.
    for (int i = 0; i < 6; ++i) {
        double x = 10 + i * (w - 20) / 5;
        circle(cr, x, base - 28 - (i % 2) * 4, 5 + (i % 3));
        fillOutline(cr, palette::white, palette::sky.shade(-0.2), 0.9);
    }
    cairo_move_to(cr, 2, base - 30);
    cairo_line_to(cr, w - 2, base - 30);
    cairo_curve_to(cr, w - 2, base - 10, w - 12, base - 5, w / 2, base - 5);
    cairo_curve_to(cr, 12, base - 5, 2, base - 10, 2, base - 30);
    cairo_close_path(cr);
    fillGradientOutline(cr, base - 30, base - 5, t.main, t.main.shade(-0.12));
    roundedRect(cr, 0, base - 33, w, 6, 3);
    fillGradientOutline(cr, base - 33, base - 27, t.main.shade(0.2), palette::sky.shade(0.3));
    Color feet = level == 1 ? palette::sky.shade(-0.1) : palette::gold;
    for (double x : {9.0, w - 13}) {
        roundedRect(cr, x, base - 8, 5, 8, 2);
        fillOutline(cr, feet, palette::outline, 1);
    }
    // Tap.
    cairo_move_to(cr, w - 9, base - 33);
    cairo_line_to(cr, w - 9, base - 41);
    cairo_line_to(cr, w - 17, base - 41);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 4.4);
    cairo_stroke_preserve(cr);
    setColor(cr, level == 1 ? palette::grey.shade(0.3) : palette::gold);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke(cr);
    if (level >= 2)
        paw(cr, w / 2, base - 17, 10, palette::sky.shade(0.2));
    if (t.fancy)
        for (double x : {w * 0.25, w * 0.75})
            sparkle(cr, x, base - 17, 8, palette::honey);
}

void drying(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::rose, palette::sky, palette::purple);
    floorShadow(cr, w, h, w * 0.4);
    double base = h - 3;
    // Stand and seat.
    roundedRect(cr, w / 2 - 14, base - 6, 28, 6, 3);
    fillOutline(cr, palette::greyDark, palette::outline, 1);
    roundedRect(cr, w / 2 - 2.5, base - 30, 5, 26, 2);
    fillOutline(cr, palette::grey, palette::outline, 1);
    roundedRect(cr, 4, base - 22, w - 8, 9, 4);
    fillGradientOutline(cr, base - 22, base - 13, t.main.shade(0.35), t.main);
    // The hood.
    cairo_move_to(cr, 6, base - 28);
    cairo_curve_to(cr, 4, base - 54, w - 4, base - 54, w - 6, base - 28);
    cairo_curve_to(cr, w - 14, base - 32, 14, base - 32, 6, base - 28);
    cairo_close_path(cr);
    fillGradientOutline(cr, base - 50, base - 28, t.main.shade(0.45), t.main.shade(-0.05));
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 14 + i * (w - 28) / 2, base - 38);
        cairo_line_to(cr, 14 + i * (w - 28) / 2, base - 33);
    }
    setColor(cr, palette::white.withAlpha(0.7));
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
    circle(cr, w / 2, base - 44, 3.5);
    fillOutline(cr, level >= 3 ? palette::gold : palette::mint, palette::outline, 0.9);
}

void hairStation(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::sky, palette::mint, palette::pink);
    floorShadow(cr, w, h, w * 0.46);
    double base = h - 3;
    // Mirror behind the table.
    roundedRect(cr, w / 2 - 13, 2, 26, 24, 11);
    fillGradientOutline(cr, 2, 26, t.trim.shade(0.3), t.trim);
    roundedRect(cr, w / 2 - 9, 6, 18, 17, 8);
    fillGradientOutline(cr, 6, 23, palette::sky.shade(0.6), palette::sky.shade(0.2));
    cairo_move_to(cr, w / 2 - 5, 9);
    cairo_line_to(cr, w / 2 - 1, 9);
    cairo_line_to(cr, w / 2 - 6, 18);
    cairo_close_path(cr);
    setColor(cr, palette::white.withAlpha(0.7));
    cairo_fill(cr);
    // Grooming table.
    roundedRect(cr, 3, base - 24, w - 6, 7, 3);
    fillGradientOutline(cr, base - 24, base - 17, t.main.shade(0.35), t.main);
    for (double x : {8.0, w - 12}) {
        roundedRect(cr, x, base - 18, 4, 18, 1.5);
        fillOutline(cr, palette::grey, palette::outline, 1);
    }
    cairo_move_to(cr, 10, base - 8);
    cairo_line_to(cr, w - 10, base - 8);
    setColor(cr, palette::grey.shade(-0.2));
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    scissors(cr, w - 12, base - 30, 12);
    roundedRect(cr, 8, base - 30, 10, 5, 2);
    fillOutline(cr, palette::rose, palette::outline, 0.9);
    if (t.fancy)
        star(cr, w / 2, 4, 9, palette::honey);
}

void facial(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::mint, palette::pink, palette::lilac);
    floorShadow(cr, w, h, w * 0.46);
    double base = h - 3;
    // Reclining spa chair with a towel roll and a jar of mask.
    cairo_move_to(cr, 4, base - 12);
    cairo_line_to(cr, w - 18, base - 12);
    cairo_curve_to(cr, w - 10, base - 12, w - 6, base - 20, w - 8, base - 34);
    cairo_curve_to(cr, w - 12, base - 36, w - 16, base - 30, w - 18, base - 22);
    cairo_line_to(cr, 4, base - 22);
    cairo_close_path(cr);
    fillGradientOutline(cr, base - 36, base - 12, t.main.shade(0.35), t.main);
    roundedRect(cr, 2, base - 26, 14, 8, 4);
    fillOutline(cr, palette::white, palette::outline, 1);
    for (double x : {8.0, w - 20}) {
        roundedRect(cr, x, base - 12, 4, 12, 1.5);
        fillOutline(cr, t.trim, palette::outline, 1);
    }
    roundedRect(cr, w - 14, base - 40, 9, 8, 2);
    fillOutline(cr, palette::paper, palette::outline, 0.9);
    circle(cr, w - 9.5, base - 41, 3.5);
    fillOutline(cr, palette::green, palette::outline, 0.8);
    if (level >= 2)
        for (int i = 0; i < 2; ++i) {
            circle(cr, 22 + i * 6, base - 28, 2.6);
            fillOutline(cr, palette::green.shade(0.4), palette::outline, 0.7);
        }
    if (t.fancy)
        sparkle(cr, w * 0.4, base - 32, 9, palette::honey);
}

void massage(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::peach, palette::honey, palette::rose);
    floorShadow(cr, w, h, w * 0.46);
    double base = h - 3;
    roundedRect(cr, 2, base - 22, w - 4, 10, 5);
    fillGradientOutline(cr, base - 22, base - 12, t.main.shade(0.4), t.main);
    roundedRect(cr, 2, base - 26, 14, 6, 3);
    fillOutline(cr, palette::white, palette::outline, 1);
    for (double x : {7.0, w - 11}) {
        roundedRect(cr, x, base - 13, 4, 13, 1.5);
        fillOutline(cr, t.trim, palette::outline, 1);
    }
    cairo_move_to(cr, 8, base - 4);
    cairo_line_to(cr, w - 8, base - 4);
    setColor(cr, t.trim.shade(-0.2));
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    spaStones(cr, w - 14, base - 32, 15);
    // Oil bottle.
    roundedRect(cr, 20, base - 32, 6, 9, 2);
    fillOutline(cr, palette::honey.withAlpha(0.9), palette::outline, 0.9);
    roundedRect(cr, 21.5, base - 35, 3, 3, 1);
    fillOutline(cr, palette::woodDark, palette::outline, 0.6);
    if (t.fancy)
        sparkle(cr, w / 2, base - 30, 8, palette::honey);
}

void flea(cairo_t* cr, double w, double h, int level) {
    Tier t = tierOf(level, palette::green, palette::teal, palette::sky);
    floorShadow(cr, w, h, w * 0.45);
    double base = h - 3;
    // A treatment basin with a spray wand.
    roundedRect(cr, 4, base - 26, w - 8, 26, 6);
    fillGradientOutline(cr, base - 26, base, t.main.shade(0.35), t.main.shade(-0.05));
    roundedRect(cr, 2, base - 29, w - 4, 6, 3);
    fillOutline(cr, palette::white, palette::outline, 1);
    paw(cr, w / 2, base - 13, 11, t.main.shade(0.35));
    cairo_move_to(cr, w - 10, base - 29);
    cairo_curve_to(cr, w - 4, base - 40, w - 18, base - 44, w - 22, base - 38);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 3.4);
    cairo_stroke_preserve(cr);
    setColor(cr, palette::greyDark.shade(0.3));
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
    roundedRect(cr, w - 27, base - 41, 8, 6, 2);
    fillOutline(cr, palette::honey, palette::outline, 0.9);
    // A bottle of treatment.
    roundedRect(cr, 8, base - 41, 8, 12, 2.5);
    fillOutline(cr, palette::lilac, palette::outline, 0.9);
    paint::flea(cr, 12, base - 35, 6, true);
    if (t.fancy)
        star(cr, w / 2, base - 33, 8, palette::honey);
}

void musicPlayer(cairo_t* cr, double w, double h, int level, int durability) {
    Tier t = tierOf(level, palette::coral, palette::purple, palette::navy);
    floorShadow(cr, w, h, w * 0.45);
    double base = h - 3;
    cairo_move_to(cr, 2, base);
    cairo_line_to(cr, 2, 18);
    cairo_curve_to(cr, 2, 2, w - 2, 2, w - 2, 18);
    cairo_line_to(cr, w - 2, base);
    cairo_close_path(cr);
    fillGradientOutline(cr, 2, base, t.main.shade(0.35), t.main.shade(-0.1));
    cairo_arc(cr, w / 2, 19, w / 2 - 7, M_PI, 2 * M_PI);
    cairo_line_to(cr, w - 7, 26);
    cairo_line_to(cr, 7, 26);
    cairo_close_path(cr);
    fillGradientOutline(cr, 8, 26, palette::honey.shade(0.5), palette::orange);
    musicNote(cr, w / 2, 18, 10, palette::rose);
    // Speaker grille.
    roundedRect(cr, 7, 30, w - 14, base - 42, 3);
    fillOutline(cr, t.main.shade(-0.35), palette::outline, 1);
    for (double y = 33; y < base - 14; y += 3.2) {
        cairo_move_to(cr, 9, y);
        cairo_line_to(cr, w - 9, y);
    }
    setColor(cr, t.main.shade(-0.15));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // Plays left: one lamp per remaining play, up to ten.
    for (int i = 0; i < 10; ++i) {
        double x = 6 + (i % 5) * ((w - 12) / 4);
        double y = base - 9 + (i / 5) * 4.5 - 2;
        circle(cr, x, y, 1.6);
        setColor(cr, i < durability ? palette::honey.shade(0.3) : palette::greyDark);
        cairo_fill(cr);
    }
    if (durability == 0) {
        roundedRect(cr, 5, base - 28, w - 10, 10, 3);
        fillOutline(cr, palette::grey.shade(0.4), palette::outline, 0.9);
        textCentered(
            cr, "zzz", w / 2, base - 23, 8, palette::greyDark, palette::outline, 0, Font::Sans);
    }
    if (t.fancy)
        crown(cr, w / 2, 6, 9);
}

void doorBlock(cairo_t* cr, double w, double h, int level, int durability) {
    Tier t = tierOf(level, palette::red, palette::orange, palette::purple);
    floorShadow(cr, w, h, w * 0.45);
    double base = h - 3;
    // Two posts with a rope and a sign.
    for (double x : {5.0, w - 5}) {
        roundedRect(cr, x - 2.5, base - 26, 5, 26, 2);
        fillOutline(cr, level >= 3 ? palette::gold : palette::grey, palette::outline, 1);
        circle(cr, x, base - 27, 3.6);
        fillOutline(
            cr, level >= 3 ? palette::honey : palette::grey.shade(0.3), palette::outline, 1);
        ellipse(cr, x, base - 1.5, 5, 2);
        fillOutline(cr, palette::greyDark, palette::outline, 0.9);
    }
    cairo_move_to(cr, 5, base - 24);
    cairo_curve_to(cr, 14, base - 12, w - 14, base - 12, w - 5, base - 24);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 4.2);
    cairo_stroke_preserve(cr);
    setColor(cr, t.main);
    cairo_set_line_width(cr, 2.6);
    cairo_stroke(cr);
    roundedRect(cr, w / 2 - 13, 2, 26, 15, 4);
    fillGradientOutline(cr, 2, 17, palette::paper, palette::creamDark);
    paw(cr, w / 2 - 6, 9.5, 7, t.main);
    textCentered(cr, std::to_string(durability), w / 2 + 6, 9.5, 9,
        durability ? t.main : palette::grey, palette::outline, 0, Font::Sans);
    cairo_move_to(cr, w / 2, 17);
    cairo_line_to(cr, w / 2, base - 15);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void decoration(cairo_t* cr, double w, double h, std::string const& kind) {
    double base = h - 3;
    if (kind == "empty") {
        roundedRect(cr, 3, 3, w - 6, h - 6, 6);
        dashedStroke(cr, palette::outline.withAlpha(0.45), 1.4, 4, 3);
        plus(cr, w / 2, h / 2, 10, palette::white.withAlpha(0.8));
        return;
    }
    floorShadow(cr, w, h, w * 0.42);
    if (kind == "magazine01") {
        // Low table with magazines.
        roundedRect(cr, 2, base - 16, w - 4, 6, 3);
        fillGradientOutline(cr, base - 16, base - 10, palette::woodLight, palette::wood);
        for (double x : {5.0, w - 9}) {
            roundedRect(cr, x, base - 11, 4, 11, 1.5);
            fillOutline(cr, palette::wood, palette::outline, 1);
        }
        Color const covers[] = {palette::rose, palette::sky, palette::honey};
        for (int i = 0; i < 3; ++i) {
            roundedRect(cr, 7 + i * 7, base - 21 + i * 0.5, 10, 5, 1);
            fillOutline(cr, covers[i], palette::outline, 0.8);
        }
    } else if (kind == "magazine02") {
        // Magazine rack.
        roundedRect(cr, 3, base - 26, w - 6, 26, 3);
        fillGradientOutline(cr, base - 26, base, palette::woodLight, palette::wood);
        Color const covers[] = {palette::mint, palette::coral, palette::lilac};
        for (int i = 0; i < 3; ++i) {
            roundedRect(cr, 6 + i * (w - 12) / 3, base - 31 + i * 2, (w - 12) / 3 - 1, 14, 1.5);
            fillOutline(cr, covers[i], palette::outline, 0.8);
        }
        roundedRect(cr, 3, base - 16, w - 6, 3, 1);
        fillOutline(cr, palette::woodDark, palette::outline, 0.8);
    } else if (kind == "mini") {
        // Potted plant.
        cairo_move_to(cr, 6, base - 14);
        cairo_line_to(cr, w - 6, base - 14);
        cairo_line_to(cr, w - 9, base);
        cairo_line_to(cr, 9, base);
        cairo_close_path(cr);
        fillGradientOutline(cr, base - 14, base, palette::coral.shade(0.3), palette::coral);
        for (int i = 0; i < 5; ++i) {
            double a = -M_PI / 2 + (i - 2) * 0.45;
            ellipse(cr, w / 2 + std::cos(a) * 9, base - 22 + std::sin(a) * 9, 4, 7);
        }
        fillOutline(cr, palette::leaf, palette::outline, 0.9);
    } else if (kind == "closet") {
        roundedRect(cr, 2, 3, w - 4, base - 3, 4);
        fillGradientOutline(cr, 3, base, palette::woodLight.shade(0.2), palette::wood);
        cairo_move_to(cr, w / 2, 6);
        cairo_line_to(cr, w / 2, base - 3);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (double x : {w / 2 - 4, w / 2 + 4}) {
            circle(cr, x, base / 2, 1.6);
            fillOutline(cr, palette::gold, palette::outline, 0.6);
        }
        roundedRect(cr, 6, 8, w / 2 - 9, 8, 2);
        roundedRect(cr, w / 2 + 3, 8, w / 2 - 9, 8, 2);
        setColor(cr, palette::wood.shade(-0.2));
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
    } else if (kind == "restbed") {
        ellipse(cr, w / 2, base - 8, w / 2 - 2, 8);
        fillGradientOutline(cr, base - 16, base, palette::lilac.shade(0.3), palette::lilac);
        ellipse(cr, w / 2, base - 9, w / 2 - 8, 4.5);
        fillOutline(cr, palette::paper, palette::outline, 0.9);
        bone(cr, w / 2 + 6, base - 10, 9, palette::creamDark);
    } else if (kind == "hifi") {
        roundedRect(cr, 4, 3, w - 8, base - 3, 4);
        fillGradientOutline(cr, 3, base, palette::greyDark.shade(0.3), palette::greyDark);
        for (double y : {13.0, base - 11}) {
            circle(cr, w / 2, y, 6.5);
            fillOutline(cr, Color::hex(0x3a3440), palette::outline, 0.9);
            circle(cr, w / 2, y, 2.5);
            fillOutline(cr, palette::grey, palette::outline, 0.6);
        }
    } else if (kind == "cd") {
        roundedRect(cr, 3, 3, w - 6, base - 3, 3);
        fillGradientOutline(cr, 3, base, palette::woodLight, palette::wood);
        Color const spines[] = {palette::rose, palette::sky, palette::honey, palette::mint,
            palette::lilac, palette::coral};
        for (int row = 0; row < 3; ++row)
            for (int i = 0; i < 6; ++i) {
                cairo_rectangle(cr, 6 + i * (w - 12) / 6, 6 + row * (base - 9) / 3,
                    (w - 12) / 6 - 0.6, (base - 9) / 3 - 3);
                setColor(cr, spines[(i + row) % 6]);
                cairo_fill(cr);
            }
    } else if (kind == "lamp") {
        roundedRect(cr, w / 2 - 7, base - 4, 14, 4, 2);
        fillOutline(cr, palette::woodDark, palette::outline, 1);
        roundedRect(cr, w / 2 - 1.5, 18, 3, base - 20, 1.5);
        fillOutline(cr, palette::wood, palette::outline, 0.9);
        cairo_move_to(cr, w / 2 - 6, 3);
        cairo_line_to(cr, w / 2 + 6, 3);
        cairo_line_to(cr, w / 2 + 10, 20);
        cairo_line_to(cr, w / 2 - 10, 20);
        cairo_close_path(cr);
        fillGradientOutline(cr, 3, 20, palette::honey.shade(0.55), palette::honey);
    }
}

}

std::vector<FurniturePicture> const& furniturePictures() {
    static std::vector<FurniturePicture> const all = [] {
        std::vector<FurniturePicture> list;
        struct Kind {
            char const* name;
            int type;
            double w, h;
            int maxDurability;
        };
        Kind const kinds[] = {
            {"sofa", 0, 40, 38, 0},
            {"counter", 1, 100, 60, 0},
            {"bath", 2, 60, 50, 0},
            {"drying", 3, 50, 56, 0},
            {"hair", 4, 54, 52, 0},
            {"facial", 5, 60, 46, 0},
            {"massage", 6, 60, 42, 0},
            {"musicplayer", 7, 36, 56, furnitureMaxDurability},
            {"flea", 8, 52, 48, 0},
            {"sofa2", 9, 40, 32, 0},
            {"doorblock", 10, 46, 40, furnitureMaxDurability},
        };
        for (Kind const& k : kinds)
            for (int level = 1; level <= furnitureLevels; ++level) {
                char base[48];
                std::snprintf(base, sizeof base, "furn_%s_%d", k.name, level);
                if (k.maxDurability == 0) {
                    list.push_back({k.name, k.type, level, -1, std::string(base) + ".png",
                        std::string(base) + ".png", k.w, k.h});
                    continue;
                }
                for (int d = 0; d <= k.maxDurability; ++d)
                    list.push_back({k.name, k.type, level, d,
                        std::string(base) + "_" + std::to_string(d) + ".png",
                        std::string(base) + "_%d.png", k.w, k.h});
            }
        struct Place {
            char const* name;
            double w, h;
        };
        for (Place p :
            {Place {"magazine01", 36, 28}, Place {"magazine02", 30, 36}, Place {"mini", 26, 38},
                Place {"closet", 38, 44}, Place {"restbed", 42, 26}, Place {"hifi", 32, 42},
                Place {"cd", 28, 44}, Place {"empty", 40, 24}, Place {"lamp", 22, 60}}) {
            std::string file = std::string("furn_") + p.name + ".png";
            list.push_back({p.name, -1, 1, -1, file, file, p.w, p.h});
        }
        return list;
    }();
    return all;
}

void addFurnitureArt(Catalog& catalog) {
    for (FurniturePicture const& f : furniturePictures()) {
        std::string group = f.type < 0 ? "Furniture: empty places and decoration"
            : f.durability >= 0        ? "Furniture: pieces that wear out, one per use left"
                                       : "Furniture";
        catalog.image(
            group, f.file, f.width, f.height,
            [f](cairo_t* cr, double w, double h) {
                switch (f.type) {
                case 0:
                    sofa(cr, w, h, f.level, false);
                    break;
                case 9:
                    sofa(cr, w, h, f.level, true);
                    break;
                case 1:
                    counter(cr, w, h, f.level);
                    break;
                case 2:
                    bath(cr, w, h, f.level);
                    break;
                case 3:
                    drying(cr, w, h, f.level);
                    break;
                case 4:
                    hairStation(cr, w, h, f.level);
                    break;
                case 5:
                    facial(cr, w, h, f.level);
                    break;
                case 6:
                    massage(cr, w, h, f.level);
                    break;
                case 7:
                    musicPlayer(cr, w, h, f.level, f.durability);
                    break;
                case 8:
                    flea(cr, w, h, f.level);
                    break;
                case 10:
                    doorBlock(cr, w, h, f.level, f.durability);
                    break;
                default:
                    decoration(cr, w, h, f.name);
                    break;
                }
            },
            TabletRule::room(0, 0));
    }
}

}
