#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>

#include <cmath>
#include <cstdio>
#include <functional>

namespace bundlegen {

using namespace paint;

namespace {

using IconFn = std::function<void(cairo_t*, double cx, double cy, double size)>;

// The three power-ups: tips (a coin magnet), wildcard (a star) and speed (lightning).
void magnet(cairo_t* cr, double cx, double cy, double s) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    double k = s / 100;
    cairo_scale(cr, k, k);
    cairo_arc(cr, 0, -6, 30, M_PI, 2 * M_PI);
    cairo_line_to(cr, 30, 30);
    cairo_move_to(cr, -30, 30);
    cairo_line_to(cr, -30, -6);
    setColor(cr, palette::outline);
    cairo_set_line_width(cr, 26 + 3 / k);
    cairo_stroke_preserve(cr);
    setColor(cr, palette::red);
    cairo_set_line_width(cr, 26);
    cairo_stroke(cr);
    for (int side : {-1, 1}) {
        cairo_rectangle(cr, side * 30 - 13, 22, 26, 18);
        fillOutline(cr, palette::grey.shade(0.4), palette::outline, 1.5 / k);
    }
    cairo_restore(cr);
    coin(cr, cx + s * 0.28, cy - s * 0.3, s * 0.36);
}

void powerIcon(cairo_t* cr, int kind, double cx, double cy, double s) {
    switch (kind) {
    case 0:
        magnet(cr, cx, cy, s);
        break;
    case 1:
        star(cr, cx, cy, s, palette::honey);
        sparkle(cr, cx + s * 0.36, cy - s * 0.36, s * 0.3, palette::white);
        break;
    default:
        lightning(cr, cx, cy, s, palette::honey);
        break;
    }
}

Color powerColor(int kind) {
    return kind == 0 ? palette::green : (kind == 1 ? palette::purple : palette::blue);
}

void powerButton(cairo_t* cr, double w, double h, int kind) {
    badge(cr, w / 2, h / 2, w / 2 - 1, powerColor(kind));
    powerIcon(cr, kind, w / 2, h / 2, w * 0.6);
}

void thumbnail(cairo_t* cr, double w, double h, int kind) {
    roundedRect(cr, 2, 2, w - 4, h - 4, 16);
    fillGradientOutline(cr, 0, h, powerColor(kind).shade(0.55), powerColor(kind).shade(0.15),
        palette::outline, 1.6);
    powerIcon(cr, kind, w / 2, h * 0.44, w * 0.56);
    roundedRect(cr, w * 0.52, h * 0.66, w * 0.42, h * 0.26, 9);
    fillOutline(cr, palette::coral, palette::outline, 1.4);
    textCentered(cr, "x5", w * 0.73, h * 0.79, h * 0.2, palette::white, palette::outline, 1.2);
}

void burst(cairo_t* cr, double w, double h, Color color, int rays) {
    for (int i = 0; i < rays; ++i) {
        cairo_move_to(cr, w / 2, h / 2);
        cairo_arc(cr, w / 2, h / 2, w / 2 - 1, i * 2 * M_PI / rays, (i + 0.5) * 2 * M_PI / rays);
        cairo_close_path(cr);
    }
    cairo_pattern_t* p = cairo_pattern_create_radial(w / 2, h / 2, 4, w / 2, h / 2, w / 2);
    cairo_pattern_add_color_stop_rgba(p, 0, color.r, color.g, color.b, 0.95);
    cairo_pattern_add_color_stop_rgba(p, 1, color.r, color.g, color.b, 0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// Wheel geometry: sectors of 15 degrees (24 units in a turn) on a wheel of radius 125.
constexpr double wheelRadius = 125;
constexpr double degreeUnit = 15;

Color const prizeColors[] = {palette::coral, palette::honey, palette::teal, palette::lilac,
    palette::rose, palette::green, palette::sky, palette::orange};

void wedge(cairo_t* cr, double w, double h, int prize) {
    // Apex at the bottom-right corner (the wheel centre), right edge up the vertical radius.
    Color c = prizeColors[(prize - 1) % 8];
    double a = degreeUnit * M_PI / 180;
    cairo_move_to(cr, w, h);
    cairo_line_to(cr, w, h - wheelRadius);
    cairo_arc_negative(cr, w, h, wheelRadius, -M_PI / 2, -M_PI / 2 - a);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(w, h, 10, w, h, wheelRadius);
    cairo_pattern_add_color_stop_rgb(p, 0, c.shade(-0.15).r, c.shade(-0.15).g, c.shade(-0.15).b);
    cairo_pattern_add_color_stop_rgb(p, 1, c.shade(0.3).r, c.shade(0.3).g, c.shade(0.3).b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    circle(cr, w - 12, h - wheelRadius * 0.82, 3);
    setColor(cr, palette::white.withAlpha(0.75));
    cairo_fill(cr);
}

void prizeIcon(cairo_t* cr, double w, double h, int prize) {
    double s = h - 2;
    switch (prize) {
    case 1:
        coin(cr, w / 2, h / 2, s * 0.8);
        break;
    case 2:
        coin(cr, w / 2 - 4, h / 2 + 2, s * 0.7);
        coin(cr, w / 2 + 4, h / 2 - 2, s * 0.7);
        break;
    case 3:
        moneyBag(cr, w / 2, h / 2, s);
        break;
    case 4:
        petPoint(cr, w / 2, h / 2, s * 0.8);
        break;
    case 5:
        petPoint(cr, w / 2 - 4, h / 2 + 2, s * 0.7);
        petPoint(cr, w / 2 + 4, h / 2 - 2, s * 0.7);
        break;
    case 6:
        // A pile of Pet Points: the wheel's sixth prize pays five.
        for (int i = 0; i < 3; ++i)
            petPoint(cr, w / 2 - 6 + i * 6, h / 2 + 3 - i * 3, s * 0.6);
        break;
    case 7:
        for (int i = 0; i < 3; ++i)
            coin(cr, w / 2 - 6 + i * 6, h / 2 + 3 - i * 3, s * 0.6);
        break;
    default:
        crown(cr, w / 2, h / 2, s);
        break;
    }
}

void wheelLights(cairo_t* cr, double w, double h, int phase) {
    int bulbs = 24;
    for (int i = 0; i < bulbs; ++i) {
        double a = i * 2 * M_PI / bulbs;
        double x = w / 2 + std::cos(a) * (w / 2 - 8);
        double y = h / 2 + std::sin(a) * (h / 2 - 8);
        bool lit = (i + phase) % 2 == 0;
        if (lit) {
            circle(cr, x, y, 7);
            setColor(cr, palette::honey.withAlpha(0.35));
            cairo_fill(cr);
        }
        circle(cr, x, y, 4);
        fillOutline(cr, lit ? palette::honey.shade(0.5) : palette::woodLight.shade(-0.2),
            palette::outline, 0.9);
    }
}

// Achievement badge: a round medal with an icon and, for counted goals, a number.
struct Achievement {
    char const* id;
    Color color;
    std::function<void(cairo_t*, double, double, double)> icon;
    char const* number;
};

void medal(cairo_t* cr, double w, double h, Achievement const& a) {
    // Ribbon tails.
    for (int side : {-1, 1}) {
        cairo_move_to(cr, w / 2 + side * 6, h * 0.6);
        cairo_line_to(cr, w / 2 + side * 18, h - 2);
        cairo_line_to(cr, w / 2 + side * 10, h - 7);
        cairo_line_to(cr, w / 2 + side * 4, h - 1);
        cairo_close_path(cr);
        fillOutline(cr, side < 0 ? palette::coral : palette::teal, palette::outline, 1);
    }
    badge(cr, w / 2, h * 0.44, w * 0.42, a.color);
    circle(cr, w / 2, h * 0.44, w * 0.32);
    setColor(cr, palette::white.withAlpha(0.25));
    cairo_fill(cr);
    double iconY = a.number ? h * 0.38 : h * 0.44;
    a.icon(cr, w / 2, iconY, w * (a.number ? 0.36 : 0.46));
    if (a.number)
        textCentered(cr, a.number, w / 2, h * 0.62, w * 0.2, palette::white, palette::outline, 1.2,
            Font::Rounded);
}

std::vector<Achievement> achievements() {
    using namespace palette;
    auto cal = [](cairo_t* c, double x, double y, double s) { calendar(c, x, y, s); };
    auto hrt = [](cairo_t* c, double x, double y, double s) { heart(c, x, y, s, rose); };
    auto ppl = [](cairo_t* c, double x, double y, double s) {
        person(c, x - s * 0.2, y, s * 0.8, teal);
        person(c, x + s * 0.2, y + s * 0.05, s * 0.8, coral);
    };
    auto money = [](cairo_t* c, double x, double y, double s) { coin(c, x, y, s); };
    auto st = [](cairo_t* c, double x, double y, double s) { star(c, x, y, s, honey); };
    auto cr = [](cairo_t* c, double x, double y, double s) { crown(c, x, y, s); };
    auto chair = [](cairo_t* c, double x, double y, double s) { armchair(c, x, y, s, coral); };
    auto upA
        = [](cairo_t* c, double x, double y, double s) { arrow(c, x, y, s, -M_PI / 2, honey); };
    auto dnA = [](cairo_t* c, double x, double y, double s) { arrow(c, x, y, s, M_PI / 2, grey); };
    auto happy = [](cairo_t* c, double x, double y, double s) { smiley(c, x, y, s, honey, 1); };
    auto angry = [](cairo_t* c, double x, double y, double s) { smiley(c, x, y, s, coral, -1); };
    auto flag = [](cairo_t* c, double x, double y, double s) { trophy(c, x, y, s, honey); };
    auto pp = [](cairo_t* c, double x, double y, double s) { petPoint(c, x, y, s); };
    auto quiet = [](cairo_t* c, double x, double y, double s) { speaker(c, x, y, s, false); };
    auto suit = [](cairo_t* c, double x, double y, double s) { person(c, x, y, s, navy); };
    auto lady = [](cairo_t* c, double x, double y, double s) { person(c, x, y, s, rose); };
    auto brush = [](cairo_t* c, double x, double y, double s) { sparkle(c, x, y, s, white); };
    return {
        {"ach_firstpp", purple, pp, nullptr},
        {"ach_50days", teal, cal, "50"},
        {"ach_100days", teal, cal, "100"},
        {"ach_200days", teal, cal, "200"},
        {"ach_happiness100", rose, hrt, "100"},
        {"ach_happiness500", rose, hrt, "500"},
        {"ach_happiness999", rose, hrt, "999"},
        {"ach_customers2500", blue, ppl, "2500"},
        {"ach_customers5000", blue, ppl, "5000"},
        {"ach_customers10000", blue, ppl, "10k"},
        {"ach_shoplv5", orange, st, "Lv5"},
        {"ach_shopmaxlv", gold, cr, nullptr},
        {"ach_allequipment", coral, chair, nullptr},
        {"ach_maxupgrade", orange, upA, nullptr},
        {"ach_allstaff", teal, ppl, nullptr},
        {"ach_spvisit", purple, st, nullptr},
        {"ach_dayearn5000", gold, money, "5000"},
        {"ach_dayearn10000", gold, money, "10k"},
        {"ach_dayearn15000", gold, money, "15k"},
        {"ach_dayearn0", grey, money, "0"},
        {"ach_dayhappiness10", rose, upA, "+10"},
        {"ach_dayhappiness15", rose, upA, "+15"},
        {"ach_daysad10", greyDark, dnA, "-10"},
        {"ach_daysad15", greyDark, dnA, "-15"},
        {"ach_daycustomers40", blue, ppl, "40"},
        {"ach_daycustomers60", blue, ppl, "60"},
        {"ach_daycustomers80", blue, ppl, "80"},
        {"ach_perfectday", green, happy, nullptr},
        {"ach_silence", lilac, quiet, nullptr},
        {"ach_prez", navy, suit, nullptr},
        {"ach_perfectday6", green, happy, "Lv6"},
        {"ach_angrylady", rose, lady, nullptr},
        {"ach_10angry", red, angry, "10"},
        {"ach_perfectday7", green, happy, "Lv7"},
        {"ach_angryprez", red, suit, nullptr},
        {"ach_perfectday8", green, happy, "Lv8"},
        {"ach_mvp", gold, flag, nullptr},
        {"ach_theme", purple, brush, nullptr},
        {"ach_challenge5", orange, flag, "5"},
        {"ach_challenge15", orange, flag, "15"},
        {"ach_challenge30", orange, flag, "30"},
        {"ach_challenge100", orange, flag, "100"},
    };
}

void band(cairo_t* cr, double w, double h, Color color, int frame) {
    // A glowing band behind a power-up announcement; frames shimmer.
    cairo_rectangle(cr, 0, h * 0.1, w, h * 0.8);
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgba(p, 0, color.r, color.g, color.b, 0);
    cairo_pattern_add_color_stop_rgba(p, 0.5, color.r, color.g, color.b, 0.85);
    cairo_pattern_add_color_stop_rgba(p, 1, color.r, color.g, color.b, 0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    for (int i = 0; i < 14; ++i) {
        double x = std::fmod(i * 37.0 + frame * 12, w);
        double y = h * (0.3 + 0.4 * std::fmod(i * 0.37, 1.0));
        sparkle(cr, x, y, 8 + (i + frame) % 3 * 4, palette::white.withAlpha(0.8));
    }
    for (int i = 0; i < 5; ++i) {
        double x = std::fmod(i * 110.0 + frame * 30, w + 60) - 30;
        cairo_move_to(cr, x, h * 0.2);
        cairo_line_to(cr, x + 40, h * 0.2);
        cairo_line_to(cr, x + 10, h * 0.8);
        cairo_line_to(cr, x - 30, h * 0.8);
        cairo_close_path(cr);
    }
    setColor(cr, palette::white.withAlpha(0.14));
    cairo_fill(cr);
}

}

void addProgressionArt(Catalog& catalog) {
    std::string const power = "Power-ups";
    char const* const buttons[] = {"sp_instant2.png", "sp_wildcard.png", "sp_power_up.png"};
    char const* const thumbs[]
        = {"icon_tips_x_5.png", "icon_wildcard_x_5.png", "icon_power_x_5.png"};
    for (int kind = 0; kind < 3; ++kind) {
        catalog.image(power, buttons[kind], 44, 44,
            [kind](cairo_t* cr, double w, double h) { powerButton(cr, w, h, kind); });
        catalog.image(power, thumbs[kind], 90, 90,
            [kind](cairo_t* cr, double w, double h) { thumbnail(cr, w, h, kind); });
    }
    catalog.image(power, "sp_bar.png", 48, 64, [](cairo_t* cr, double w, double h) {
        // A tag hanging from the top of the screen; the count sits on it.
        cairo_move_to(cr, 2, 0);
        cairo_line_to(cr, w - 2, 0);
        cairo_line_to(cr, w - 2, h - 12);
        cairo_arc(cr, w - 12, h - 12, 10, 0, M_PI / 2);
        cairo_line_to(cr, 12, h - 2);
        cairo_arc(cr, 12, h - 12, 10, M_PI / 2, M_PI);
        cairo_close_path(cr);
        fillGradientOutline(
            cr, 0, h, palette::woodLight.shade(0.2), palette::wood, palette::outline, 1.3);
        // The button hangs 15 points below the tag's centre, under the tag: a window
        // lets it show through.
        circle(cr, w / 2, h / 2 + 15, 21);
        setColor(cr, palette::outline);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke_preserve(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    });
    catalog.image(power, "sp_buy.png", 40, 24, [](cairo_t* cr, double w, double h) {
        cairo_move_to(cr, w / 2 - 5, 5);
        cairo_line_to(cr, w / 2, 0.5);
        cairo_line_to(cr, w / 2 + 5, 5);
        cairo_close_path(cr);
        fillOutline(cr, palette::coral, palette::outline, 1.1);
        roundedRect(cr, 1, 4, w - 2, h - 5, (h - 5) / 2);
        fillGradientOutline(
            cr, 4, h, palette::coral.shade(0.3), palette::coral, palette::outline, 1.2);
        textCentered(cr, "BUY", w / 2, h / 2 + 2, 11, palette::white, palette::outline, 1);
    });
    catalog.image(power, "sp_effect.png", 44, 44, [](cairo_t* cr, double w, double h) {
        circle(cr, w / 2, h / 2, w / 2 - 1);
        setColor(cr, palette::black.withAlpha(0.55));
        cairo_fill(cr);
    });
    catalog.image(power, "btn_instant_ani4.png", 120, 120,
        [](cairo_t* cr, double w, double h) { powerButton(cr, w, h, 0); });
    catalog.image(power, "btn_wildcard_ani4.png", 120, 120,
        [](cairo_t* cr, double w, double h) { powerButton(cr, w, h, 1); });
    catalog.image(power, "btn_wildcard_ani5.png", 170, 170,
        [](cairo_t* cr, double w, double h) { burst(cr, w, h, palette::honey, 16); });
    struct Band {
        char const* name;
        Color color;
    };
    for (Band b : {Band {"btn_power_bg", palette::blue}, Band {"btn_instant_bg", palette::green},
             Band {"btn_wildcard_bg", palette::purple}}) {
        Color color = b.color;
        std::string name = b.name;
        catalog.sheet("Power-up sheets", name, [name, color](bool) {
            std::vector<FrameSpec> frames;
            for (int f = 0; f < 3; ++f) {
                char frame[48];
                std::snprintf(frame, sizeof frame, "%s_%02d.png", name.c_str(), f + 1);
                frames.push_back({frame, 480, 120,
                    [color, f](cairo_t* cr) { band(cr, 480, 120, color, f); }, 0, 60});
            }
            return frames;
        });
    }
    catalog.sheet("Power-up sheets", "btn_power_anim", [](bool) {
        std::vector<FrameSpec> frames;
        for (int f = 0; f < 4; ++f) {
            char frame[48];
            std::snprintf(frame, sizeof frame, "btn_power_anim_%02d.png", f + 1);
            frames.push_back({frame, 120, 120,
                [f](cairo_t* cr) {
                    burst(cr, 120, 120, palette::sky, 12 + f % 2 * 2);
                    double s = 1 + 0.06 * std::sin(f * M_PI / 2);
                    badge(cr, 60, 60, 42 * s, palette::blue);
                    lightning(cr, 60, 60, 58 * s, palette::honey);
                },
                0, 60});
        }
        return frames;
    });

    std::string const wheel = "Prize wheel";
    double wedgeWidth = std::ceil(wheelRadius * std::sin(degreeUnit * M_PI / 180));
    for (int prize = 1; prize <= 8; ++prize) {
        char name[32];
        std::snprintf(name, sizeof name, "Wheel_11C_%d.png", prize);
        catalog.image(wheel, name, wedgeWidth, wheelRadius,
            [prize](cairo_t* cr, double w, double h) { wedge(cr, w, h, prize); });
        std::snprintf(name, sizeof name, "prize_%d.png", prize);
        catalog.image(wheel, name, 34, 34,
            [prize](cairo_t* cr, double w, double h) { prizeIcon(cr, w, h, prize); });
    }
    catalog.image(wheel, "Wheel_Line.png", 4, wheelRadius, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 0.5, 0, w - 1, h, 1.5);
        fillGradient(cr, 0, h, palette::honey.shade(0.5), palette::gold);
        cairo_new_path(cr);
    });
    catalog.image(wheel, "prize_List.png", 252, 37, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        fillGradientOutline(
            cr, 0, h, palette::paper, palette::creamDark, palette::woodLight.shade(-0.3), 1.2);
    });
    catalog.image(wheel, "prize_Bingo.png", 252, 37, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        fillGradientOutline(
            cr, 0, h, palette::honey.shade(0.5), palette::honey, palette::orange, 1.6);
        star(cr, w - 18, h / 2, 20, palette::white);
    });
    catalog.image(wheel, "Credits_Icon.png", 38, 38,
        [](cairo_t* cr, double w, double h) { token(cr, w / 2, h / 2, w - 2); });
    for (int phase = 0; phase < 2; ++phase) {
        char name[32];
        std::snprintf(name, sizeof name, "Wheel_Light%02d.png", phase + 1);
        catalog.image(wheel, name, 2 * wheelRadius + 24, 2 * wheelRadius + 24,
            [phase](cairo_t* cr, double w, double h) { wheelLights(cr, w, h, phase); });
    }
    // The rest of the wheel screen, for its interface file.
    catalog.image(
        wheel, "Wheel_Bg.png", 480, 320,
        [](cairo_t* cr, double w, double h) {
            cairo_rectangle(cr, 0, 0, w, h);
            fillGradient(cr, 0, h, Color::hex(0x8e6cc9), Color::hex(0x5a3f91));
            cairo_new_path(cr);
            for (int i = 0; i < 24; ++i) {
                cairo_move_to(cr, 140, 170);
                cairo_arc(cr, 140, 170, 600, i * M_PI / 12, (i + 0.5) * M_PI / 12);
                cairo_close_path(cr);
            }
            setColor(cr, palette::white.withAlpha(0.07));
            cairo_fill(cr);
            for (int i = 0; i < 30; ++i)
                sparkle(cr, std::fmod(i * 97.0, w), std::fmod(i * 53.0, h), 6 + i % 3 * 3,
                    palette::white.withAlpha(0.35));
        },
        TabletRule::size(1024, 768));
    catalog.image(wheel, "Wheel_Rim.png", 2 * wheelRadius + 24, 2 * wheelRadius + 24,
        [](cairo_t* cr, double w, double h) {
            circle(cr, w / 2, h / 2, w / 2 - 2);
            circle(cr, w / 2, h / 2, wheelRadius - 1);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
            fillGradientOutline(
                cr, 0, h, palette::honey.shade(0.4), palette::goldDark, palette::outline, 1.6);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        });
    catalog.image(wheel, "Wheel_Hub.png", 50, 50, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::gold);
        paw(cr, w / 2, h / 2, w * 0.5, palette::white);
    });
    catalog.image(wheel, "Wheel_Pointer.png", 40, 50, [](cairo_t* cr, double w, double h) {
        cairo_move_to(cr, 3, 6);
        cairo_curve_to(cr, 3, -2, w - 3, -2, w - 3, 6);
        cairo_line_to(cr, w / 2, h - 2);
        cairo_close_path(cr);
        fillGradientOutline(cr, 0, h, palette::red.shade(0.3), palette::red, palette::outline, 1.6);
        circle(cr, w / 2, 10, 5);
        fillOutline(cr, palette::white, palette::outline, 1);
    });
    catalog.image(wheel, "Wheel_SpinButton.png", 120, 52,
        [](cairo_t* cr, double w, double h) { button(cr, 1, 1, w - 2, h - 2, palette::green); });
    catalog.image(wheel, "Wheel_BuyPanel.png", 220, 200, [](cairo_t* cr, double w, double h) {
        panel(cr, 2, 2, w - 5, h - 5, 16, palette::cream, palette::lilac);
    });
    catalog.image(wheel, "Wheel_Package.png", 180, 40,
        [](cairo_t* cr, double w, double h) { button(cr, 1, 1, w - 2, h - 2, palette::blue); });

    std::string const quests = "Daily challenges";
    catalog.image(quests, "Challeng_BG.png", 430, 280, [](cairo_t* cr, double w, double h) {
        panel(cr, 2, 2, w - 5, h - 5, 20, palette::cream, palette::lilac);
        // Title band, two clause rows and the reward shelf.
        roundedRect(cr, w * 0.2, 14, w * 0.6, 34, 14);
        fillGradientOutline(
            cr, 14, 48, palette::purple.shade(0.3), palette::purple, palette::outline, 1.4);
        for (double y : {h - 220.0, h - 184.0}) {
            roundedRect(cr, 20, y - 15, w - 40, 30, 10);
            fillOutline(cr, palette::paper, palette::lilac.shade(-0.2), 1);
        }
        roundedRect(cr, 20, h - 118, w - 40, 62, 14);
        fillOutline(cr, palette::honey.shade(0.6), palette::gold, 1.2);
    });
    catalog.image(quests, "MissionIcon.png", 26, 26, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::grey);
        clock(cr, w / 2, h / 2, w * 0.6);
    });
    catalog.image(quests, "MissionComplete.png", 26, 26, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::green);
        check(cr, w / 2, h / 2, w * 0.62, palette::white);
    });
    catalog.image(quests, "MissionFail.png", 26, 26, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::red);
        cross(cr, w / 2, h / 2, w * 0.6, palette::white);
    });
    catalog.image(quests, "money.png", 34, 34, [](cairo_t* cr, double w, double h) {
        for (int i = 0; i < 3; ++i)
            coin(cr, w / 2 - 5 + i * 5, h / 2 + 4 - i * 4, w * 0.62);
    });
    catalog.image(quests, "ppoint.png", 34, 34, [](cairo_t* cr, double w, double h) {
        petPoint(cr, w / 2 - 3, h / 2 + 3, w * 0.66);
        petPoint(cr, w / 2 + 4, h / 2 - 4, w * 0.66);
    });
    catalog.image(quests, "Reward_Block.png", 160, 40, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 10);
        fillOutline(cr, palette::grey.shade(0.2).withAlpha(0.92), palette::greyDark, 1.2);
        lock(cr, w / 2, h / 2, h * 0.7);
    });
    catalog.image(quests, "RewardFail.png", 380, 46, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        fillOutline(cr, Color::hex(0xf3d0d0, 0.94), palette::red, 1.4);
        cairo_save(cr);
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        cairo_clip(cr);
        for (double x = -h; x < w; x += 16) {
            cairo_move_to(cr, x, h);
            cairo_line_to(cr, x + h, 0);
        }
        setColor(cr, palette::red.withAlpha(0.12));
        cairo_set_line_width(cr, 6);
        cairo_stroke(cr);
        cairo_restore(cr);
    });

    std::string const ach = "Achievements";
    catalog.image(ach, "Achievements_List.png", 380, 72, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
        fillGradientOutline(
            cr, 0, h, palette::paper, palette::honey.shade(0.6), palette::gold, 1.6);
        star(cr, w - 22, h / 2, 22, palette::honey);
    });
    catalog.image(ach, "Achievements_Bg_Locked.png", 380, 72, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1.5, 1.5, w - 3, h - 3, 14);
        fillGradientOutline(
            cr, 0, h, Color::hex(0xeeeae6), Color::hex(0xd8d2cc), palette::greyDark, 1.4);
    });
    catalog.image(ach, "Achievements_Locked.png", 60, 60, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 2, palette::grey);
        lock(cr, w / 2, h / 2, w * 0.5);
    });
    for (Achievement const& a : achievements())
        catalog.image(ach, std::string(a.id) + ".png", 60, 60,
            [a](cairo_t* cr, double w, double h) { medal(cr, w, h, a); });
}

}
