#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>

#include <cmath>
#include <cstdio>

namespace bundlegen {

using namespace paint;

namespace {

std::string frameName(std::string const& sheet, int index) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s_%02d.png", sheet.c_str(), index);
    return buffer;
}

// Happy: a heart that pops with sparkles. Angry: a storm puff with a red vein mark.
void emotion(cairo_t* cr, double w, double h, bool happy, int frame) {
    double pulse = 1 + 0.08 * std::sin(frame * M_PI / 2);
    double cx = w / 2;
    double cy = h / 2 + 2;
    if (happy) {
        heart(cr, cx, cy, w * 0.62 * pulse, palette::rose);
        for (int i = 0; i < 3; ++i) {
            double a = -M_PI / 2 + (i - 1) * 0.9 + frame * 0.15;
            sparkle(cr, cx + std::cos(a) * w * 0.4, cy + std::sin(a) * h * 0.38,
                w * (0.16 + 0.05 * ((frame + i) % 2)), palette::honey);
        }
        return;
    }
    // A spiky puff with the popping-vein mark inside.
    star(cr, cx, cy, w * 0.9 * pulse, Color::hex(0xffe0dc), 7, 0.78);
    double r = w * 0.3 * pulse;
    for (int q = 0; q < 4; ++q) {
        double a = q * M_PI / 2 + M_PI / 4 + frame * 0.05;
        cairo_new_sub_path(cr);
        cairo_move_to(cr, cx + r * std::cos(a - 0.55), cy + r * std::sin(a - 0.55));
        cairo_curve_to(cr, cx + 0.3 * r * std::cos(a), cy + 0.3 * r * std::sin(a),
            cx + 0.3 * r * std::cos(a), cy + 0.3 * r * std::sin(a), cx + r * std::cos(a + 0.55),
            cy + r * std::sin(a + 0.55));
    }
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, w * 0.075 + 2);
    cairo_stroke_preserve(cr);
    setColor(cr, palette::red);
    cairo_set_line_width(cr, w * 0.075);
    cairo_stroke(cr);
}

// A ring of light that grows and fades over nine frames; drawn near-white so that the
// service tints colour it. The last frame is empty: the effect hides when it gets there.
void sparkleRing(cairo_t* cr, double w, double h, int frame) {
    if (frame >= 8)
        return;
    double t = frame / 7.0;
    double r = w * (0.12 + 0.34 * t);
    double alpha = 1 - t * 0.85;
    circle(cr, w / 2, h / 2, r);
    setColor(cr, palette::white.withAlpha(alpha * 0.9));
    cairo_set_line_width(cr, 3.2 * (1 - t) + 0.8);
    cairo_stroke(cr);
    for (int i = 0; i < 6; ++i) {
        double a = i * M_PI / 3 + t * 0.8;
        sparkle(cr, w / 2 + std::cos(a) * r * 1.05, h / 2 + std::sin(a) * r * 1.05,
            w * 0.2 * (1 - t * 0.6), Color::hex(0xfffbe8, alpha));
    }
    circle(cr, w / 2, h / 2, r * 0.5);
    setColor(cr, palette::white.withAlpha(alpha * 0.35));
    cairo_fill(cr);
}

void fire(cairo_t* cr, double w, double h, int frame, double grow) {
    double flicker = 0.9 + 0.1 * std::sin(frame * 2.1);
    cairo_save(cr);
    cairo_translate(cr, w / 2, h - 2);
    cairo_scale(cr, grow * flicker, grow * (1.05 - 0.1 * std::cos(frame * 1.7)));
    flame(cr, 0, -h * 0.45, h * 0.85);
    cairo_restore(cr);
    for (int i = 0; i < 3; ++i) {
        double y = h * (0.6 - 0.22 * ((frame + i) % 3));
        circle(cr, w / 2 + (i - 1) * w * 0.22, y, 1.6);
        setColor(cr, palette::honey.withAlpha(0.9));
        cairo_fill(cr);
    }
}

}

void addEffectArt(Catalog& catalog) {
    std::string const group = "Effect sheets";
    for (bool happy : {true, false}) {
        std::string name = happy ? "Emotion_Happy" : "Emotion_Angry";
        catalog.sheet(group, name, [name, happy](bool) {
            std::vector<FrameSpec> frames;
            for (int f = 0; f < 4; ++f)
                frames.push_back({frameName(name, f + 1), 34, 34,
                    [happy, f](cairo_t* cr) { emotion(cr, 34, 34, happy, f); }});
            return frames;
        });
    }
    catalog.sheet(group, "vfx006", [](bool) {
        std::vector<FrameSpec> frames;
        for (int f = 0; f < 9; ++f)
            frames.push_back({frameName("vfx006", f), 56, 56,
                [f](cairo_t* cr) { sparkleRing(cr, 56, 56, f); }, 0, 28});
        return frames;
    });
    catalog.sheet(group, "fs", [](bool) {
        std::vector<FrameSpec> frames;
        for (int f = 0; f < 6; ++f)
            frames.push_back({frameName("fs", f + 1), 30, 36,
                [f](cairo_t* cr) { fire(cr, 30, 36, f, 0.35 + f * 0.12); }});
        return frames;
    });
    catalog.sheet(group, "wh", [](bool) {
        std::vector<FrameSpec> frames;
        for (int f = 0; f < 6; ++f)
            frames.push_back(
                {frameName("wh", f + 1), 40, 54, [f](cairo_t* cr) { fire(cr, 40, 54, f, 1.0); }});
        return frames;
    });
    catalog.image(group, "fire.png", 32, 32, [](cairo_t* cr, double w, double h) {
        // The particle texture: a soft white dot; the particle colours tint it.
        cairo_pattern_t* p = cairo_pattern_create_radial(w / 2, h / 2, 0, w / 2, h / 2, w / 2);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 1);
        cairo_pattern_add_color_stop_rgba(p, 0.4, 1, 1, 1, 0.6);
        cairo_pattern_add_color_stop_rgba(p, 1, 1, 1, 1, 0);
        cairo_set_source(cr, p);
        cairo_paint(cr);
        cairo_pattern_destroy(p);
    });
}

}
