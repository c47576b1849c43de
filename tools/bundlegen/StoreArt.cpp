#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>
#include <bundlegen/Roster.hpp>

#include <cmath>
#include <cstdio>

namespace bundlegen {

using namespace paint;

namespace {

Draw pill(Color base) {
    return [base](cairo_t* cr, double w, double h) { button(cr, 1, 1, w - 2, h - 2, base); };
}

void ponyHead(cairo_t* cr, double w, double h) {
    badge(cr, w / 2, h / 2, w / 2 - 2, palette::lilac);
    cairo_save(cr);
    cairo_translate(cr, w / 2, h * 0.98);
    cairo_scale(cr, w / 64 * 1.1, w / 64 * 1.1);
    drawPet(cr, 0, 0, castMember("pony001").pet, {Facing::Down, Action::Stand, 0});
    cairo_restore(cr);
}

void rainbow(cairo_t* cr, double cx, double cy, double r, double width) {
    Color const bands[] = {palette::red, palette::orange, palette::honey, palette::green,
        palette::sky, palette::purple};
    for (int i = 0; i < 6; ++i) {
        cairo_arc(cr, cx, cy, r - i * width, M_PI, 2 * M_PI);
        setColor(cr, bands[i].withAlpha(0.8));
        cairo_set_line_width(cr, width);
        cairo_stroke(cr);
    }
}

void transferWheel(cairo_t* cr, double w, double h) {
    double r = w / 2 - 2;
    circle(cr, w / 2, h / 2, r);
    fillGradientOutline(
        cr, 0, h, palette::honey.shade(0.3), palette::goldDark, palette::outline, 2);
    circle(cr, w / 2, h / 2, r * 0.86);
    fillGradientOutline(cr, 0, h, palette::paper, palette::creamDark, palette::outline, 1.4);
    for (int i = 0; i < 50; ++i) {
        double a = i * 2 * M_PI / 50;
        double inner = (i % 5 == 0) ? r * 0.72 : r * 0.78;
        cairo_move_to(cr, w / 2 + std::cos(a) * inner, h / 2 + std::sin(a) * inner);
        cairo_line_to(cr, w / 2 + std::cos(a) * r * 0.84, h / 2 + std::sin(a) * r * 0.84);
    }
    setColor(cr, palette::woodLight.shade(-0.3));
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    circle(cr, w / 2, h / 2, r * 0.28);
    fillOutline(cr, palette::cream.shade(-0.04), palette::outline, 1);
}

void webArrow(cairo_t* cr, double w, double h, bool back, Color color, bool outline) {
    double k = w / 30;
    cairo_save(cr);
    cairo_translate(cr, w / 2, h / 2);
    cairo_scale(cr, back ? -k : k, k);
    cairo_move_to(cr, 8, 0);
    cairo_line_to(cr, -6, -10);
    cairo_line_to(cr, -6, 10);
    cairo_close_path(cr);
    cairo_restore(cr);
    if (outline)
        fillOutline(cr, color, palette::outline, std::max(1.0, w * 0.04));
    else {
        setColor(cr, color);
        cairo_fill(cr);
    }
}

void appIcon(cairo_t* cr, double w, double h) {
    roundedRect(cr, 0, 0, w, h, w * 0.2);
    fillGradient(cr, 0, h, palette::peach.shade(0.4), palette::coral);
    cairo_new_path(cr);
    for (int i = 0; i < 12; ++i) {
        cairo_move_to(cr, w / 2, h * 0.62);
        cairo_arc(cr, w / 2, h * 0.62, w, i * M_PI / 6, (i + 0.5) * M_PI / 6);
        cairo_close_path(cr);
    }
    setColor(cr, palette::white.withAlpha(0.12));
    cairo_fill(cr);
    hedgehog(cr, w / 2, h * 0.56, w * 0.8);
}

}

void addStoreArt(Catalog& catalog) {
    std::string const store = "Store and downloads";
    catalog.image(store, "shopLock.png", 46, 46, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::grey);
        lock(cr, w / 2, h / 2, w * 0.56);
    });
    catalog.image(store, "shopEquip.png", 46, 46, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::green);
        check(cr, w / 2, h / 2, w * 0.6, palette::white);
    });
    catalog.image(
        store, "Theme_download.jpg", 266, 200,
        [](cairo_t* cr, double w, double h) {
            cairo_rectangle(cr, 0, 0, w, h);
            fillGradient(cr, 0, h, palette::lilac.shade(0.35), palette::purple);
            cairo_new_path(cr);
            for (int i = 0; i < 3; ++i) {
                cairo_save(cr);
                cairo_translate(cr, w * (0.28 + i * 0.22), h * (0.42 + (i % 2) * 0.06));
                cairo_rotate(cr, (i - 1) * 0.18);
                roundedRect(cr, -38, -28, 76, 56, 8);
                Color const c[] = {palette::sky, palette::pink, palette::mint};
                fillGradientOutline(cr, -28, 28, palette::paper, c[i], palette::outline, 1.5);
                paw(cr, 0, 0, 26, c[i].shade(-0.2));
                cairo_restore(cr);
            }
            badge(cr, w - 40, 40, 24, palette::green);
            plus(cr, w - 40, 40, 28, palette::white);
        },
        TabletRule::size(466, 360));
    // The row plate of the downloadable-content shop: the row puts a white title on the
    // band at the top, the thumbnail in the well at the left. It fits two to a tablet row
    // at its natural size (the tablet takes the same picture).
    catalog.image(
        store, "Bonus_List.png", 460, 110,
        [](cairo_t* cr, double w, double h) {
            panel(cr, 2, 2, w - 5, h - 5, 16, palette::cream, palette::woodLight);
            roundedRect(cr, 8, 5, w - 16, 30, 10);
            fillOutline(cr, palette::woodLight.shade(-0.25), palette::woodLight.shade(-0.4), 1);
            roundedRect(cr, 13, 39, 61, 61, 8);
            fillOutline(cr, palette::creamDark, palette::woodLight.shade(-0.2), 1);
        },
        TabletRule::same());
    catalog.image(store, "btn_BG_Green_Shorter.png", 175, 54, pill(palette::green));
    catalog.image(store, "btn_BG_golden_Shorter.png", 175, 54, pill(palette::gold));
    catalog.image(store, "btn_BG_Gray_Shorter.png", 175, 54, pill(palette::grey));
    catalog.image(store, "ponypopup.png", 320, 200, [](cairo_t* cr, double w, double h) {
        // A deep purple card: the popup's message is white text.
        panel(cr, 2, 2, w - 5, h - 5, 20, palette::purple.shade(-0.25), palette::lilac);
        cairo_save(cr);
        roundedRect(cr, 10, 10, w - 20, h - 20, 14);
        cairo_clip(cr);
        rainbow(cr, w / 2, h + 40, w * 0.62, 9);
        cairo_restore(cr);
    });
    catalog.image(store, "ponyicon.png", 84, 84, ponyHead);
    catalog.image(
        store, "SocialNews.jpg", 480, 40,
        [](cairo_t* cr, double w, double h) {
            cairo_rectangle(cr, 0, 0, w, h);
            fillGradient(cr, 0, h, Color::hex(0x6b4a3a), Color::hex(0x4a3028));
            cairo_new_path(cr);
            cairo_rectangle(cr, 0, 0, w, 3);
            setColor(cr, palette::woodLight);
            cairo_fill(cr);
            // The heading's tab on the left; the headlines scroll to its right.
            cairo_move_to(cr, 0, 5);
            cairo_line_to(cr, 100, 5);
            cairo_line_to(cr, 114, h / 2 + 2);
            cairo_line_to(cr, 100, h - 2);
            cairo_line_to(cr, 0, h - 2);
            cairo_close_path(cr);
            fillGradientOutline(
                cr, 5, h, palette::coral.shade(0.3), palette::coral, palette::outline, 1.2);
        },
        TabletRule::size(1024, 50));
    catalog.image(store, "btn_icon_facebook.png", 30, 30, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1, palette::blue);
        chatBubble(cr, w / 2, h / 2, w * 0.6, palette::white);
    });

    std::string const transfer = "Currency transfer";
    catalog.image(transfer, "transfer_bg.png", 480, 320, [](cairo_t* cr, double w, double h) {
        panel(cr, 2, 2, w - 5, h - 5, 22, palette::cream, palette::woodLight);
        circle(cr, 130, 190, 124);
        fillOutline(cr, palette::creamDark, palette::woodLight.shade(-0.2), 1.4);
        roundedRect(cr, 262, 70, 200, 130, 16);
        fillOutline(cr, palette::creamDark.shade(0.3), palette::woodLight.shade(-0.2), 1.2);
        // A dark band behind the white title at the top left.
        roundedRect(cr, 8, 8, 286, 36, 14);
        fillOutline(cr, Color::hex(0x6b4a3a), palette::woodLight.shade(-0.2), 1.2);
    });
    catalog.image(transfer, "transfer_wheel.png", 230, 230, transferWheel);
    catalog.image(transfer, "transfer_arrow.png", 30, 120, [](cairo_t* cr, double w, double h) {
        // Turns about a point one sixth up from its bottom.
        double pivot = h - h / 6;
        cairo_move_to(cr, w / 2, 2);
        cairo_line_to(cr, w - 3, 24);
        cairo_line_to(cr, w / 2 + 4, 22);
        cairo_line_to(cr, w / 2 + 4, pivot + 10);
        cairo_line_to(cr, w / 2 - 4, pivot + 10);
        cairo_line_to(cr, w / 2 - 4, 22);
        cairo_line_to(cr, 3, 24);
        cairo_close_path(cr);
        fillGradientOutline(cr, 0, h, palette::red.shade(0.3), palette::red, palette::outline, 1.4);
        circle(cr, w / 2, pivot, 9);
        fillOutline(cr, palette::gold, palette::outline, 1.4);
    });
    catalog.image(transfer, "transfer_point.png", 70, 70,
        [](cairo_t* cr, double w, double h) { petPoint(cr, w / 2, h / 2, w - 2); });
    catalog.image(transfer, "transfer_money.png", 70, 70,
        [](cairo_t* cr, double w, double h) { coin(cr, w / 2, h / 2, w - 2); });
    catalog.image(transfer, "transfer_light_off.png", 16, 16, [](cairo_t* cr, double w, double h) {
        circle(cr, w / 2, h / 2, w / 2 - 2);
        fillOutline(cr, palette::woodLight.shade(-0.2), palette::outline, 1);
    });
    catalog.image(transfer, "transfer_light_on.png", 16, 16, [](cairo_t* cr, double w, double h) {
        circle(cr, w / 2, h / 2, w / 2);
        setColor(cr, palette::honey.withAlpha(0.4));
        cairo_fill(cr);
        circle(cr, w / 2, h / 2, w / 2 - 3);
        fillOutline(cr, palette::honey.shade(0.5), palette::outline, 1);
    });
    catalog.image(transfer, "transfer_arrow2.png", 50, 34, [](cairo_t* cr, double w, double h) {
        arrow(cr, w / 2, h / 2, w * 0.9, 0, palette::green);
    });
    catalog.image(
        transfer, "transfer_info_bar_01.png", 170, 36, [](cairo_t* cr, double w, double h) {
            roundedRect(cr, 1, 1, w - 2, h - 2, (h - 2) / 2);
            fillGradientOutline(
                cr, 0, h, Color::hex(0x6b4a3a), Color::hex(0x8a6452), palette::outline, 1.3);
        });
    catalog.image(transfer, "transfer_btn_ok.png", 110, 44, [](cairo_t* cr, double w, double h) {
        button(cr, 1, 1, w - 2, h - 2, palette::green);
        textCentered(cr, "OK", w / 2, h / 2 - 2, h * 0.45, palette::white, palette::outline, 1.4);
    });
    catalog.image(
        transfer, "transfer_btn_change.png", 110, 36, [](cairo_t* cr, double w, double h) {
            button(cr, 1, 1, w - 2, h - 2, palette::blue);
            arrow(cr, w / 2 - 12, h / 2 - 5, h * 0.42, 0, palette::white);
            arrow(cr, w / 2 + 12, h / 2 + 3, h * 0.42, M_PI, palette::white);
        });

    std::string const ads = "Ads, check-in and web";
    auto closeX = [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 1.5, palette::greyDark);
        cross(cr, w / 2, h / 2, w * 0.5, palette::white);
    };
    catalog.image(ads, "close_button.png", 40, 40, closeX);
    catalog.image(ads, "MXCloseButtonX.png", 30, 30, closeX);
    catalog.image(ads, "bountix_icon.png", 57, 57, [](cairo_t* cr, double w, double h) {
        roundedRect(cr, 1, 1, w - 2, h - 2, 12);
        fillGradientOutline(cr, 0, h, palette::teal.shade(0.4), palette::teal);
        // A gift box.
        roundedRect(cr, w * 0.22, h * 0.42, w * 0.56, h * 0.4, 4);
        fillOutline(cr, palette::coral, palette::outline, 1.2);
        roundedRect(cr, w * 0.18, h * 0.32, w * 0.64, h * 0.14, 3);
        fillOutline(cr, palette::coral.shade(0.2), palette::outline, 1.2);
        cairo_rectangle(cr, w * 0.46, h * 0.32, w * 0.08, h * 0.5);
        setColor(cr, palette::honey);
        cairo_fill(cr);
        ellipse(cr, w * 0.42, h * 0.27, w * 0.09, h * 0.06);
        ellipse(cr, w * 0.58, h * 0.27, w * 0.09, h * 0.06);
        fillOutline(cr, palette::honey, palette::outline, 1);
    });
    catalog.image(
        ads, "Howdy.bundle/btn-closex-white.png", 40, 40, [](cairo_t* cr, double w, double h) {
            circle(cr, w / 2, h / 2, w / 2 - 2);
            setColor(cr, palette::black.withAlpha(0.35));
            cairo_fill(cr);
            cairo_move_to(cr, w * 0.32, h * 0.32);
            cairo_line_to(cr, w * 0.68, h * 0.68);
            cairo_move_to(cr, w * 0.68, h * 0.32);
            cairo_line_to(cr, w * 0.32, h * 0.68);
            setColor(cr, palette::white);
            cairo_set_line_width(cr, 4);
            cairo_stroke(cr);
        });
    auto checkinButton = [](bool down) {
        return [down](cairo_t* cr, double w, double h) {
            // Stretched with caps of 5 (left) and 9 (top): keep the edges plain.
            roundedRect(cr, 0.5, 0.5, w - 1, h - 1, 4.5);
            fillGradientOutline(cr, 0, h,
                down ? palette::orange.shade(-0.15) : palette::orange.shade(0.3),
                down ? palette::orange.shade(-0.3) : palette::orange, palette::outline, 1);
        };
    };
    catalog.image(ads, "Howdy.bundle/btn-checkin.png", 24, 40, checkinButton(false));
    catalog.image(ads, "Howdy.bundle/btn-checkin-down.png", 24, 40, checkinButton(true));
    catalog.image(ads, "Howdy.bundle/howdy-logo.png", 120, 26, [](cairo_t* cr, double, double h) {
        chatBubble(cr, h / 2, h / 2, h - 2, palette::orange);
        text(cr, "Howdy", h + 4, h * 0.78, h * 0.8, palette::white, palette::outline, 1,
            Align::Left);
    });
    auto swirl = [](cairo_t* cr, double w, double h) {
        for (int i = 0; i < 4; ++i) {
            cairo_move_to(cr, 0, h * (0.9 - i * 0.15));
            cairo_curve_to(cr, w * 0.3, h * (0.5 - i * 0.1), w * 0.7, h * (1.0 - i * 0.1), w,
                h * (0.6 - i * 0.12));
            setColor(cr, palette::orange.withAlpha(0.18 + i * 0.06));
            cairo_set_line_width(cr, 6);
            cairo_stroke(cr);
        }
        circle(cr, w * 0.82, h * 0.35, h * 0.22);
        fillGradientOutline(
            cr, 0, h, palette::honey.shade(0.3), palette::orange, palette::outline, 1);
        ellipse(cr, w * 0.82, h * 0.35, h * 0.36, h * 0.07);
        setColor(cr, palette::coral.withAlpha(0.7));
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    };
    catalog.image(ads, "Howdy.bundle/bkg-swirl-planet-horz.png", 440, 90, swirl);
    catalog.image(ads, "Howdy.bundle/bkg-swirl-planet-btm.png", 280, 140, swirl);
    catalog.image(ads, "Howdy.bundle/btn-accept.png", 57, 57, [](cairo_t* cr, double w, double h) {
        badge(cr, w / 2, h / 2, w / 2 - 2, palette::green);
        check(cr, w / 2, h / 2, w * 0.6, palette::white);
    });
    catalog.image(
        ads, "Howdy.bundle/sdk-icon-checkin.png", 57, 57, [](cairo_t* cr, double w, double h) {
            badge(cr, w / 2, h / 2, w / 2 - 2, palette::orange);
            // A map pin.
            cairo_move_to(cr, w / 2, h * 0.82);
            cairo_curve_to(cr, w * 0.3, h * 0.55, w * 0.28, h * 0.2, w / 2, h * 0.2);
            cairo_curve_to(cr, w * 0.72, h * 0.2, w * 0.7, h * 0.55, w / 2, h * 0.82);
            cairo_close_path(cr);
            fillOutline(cr, palette::white, palette::outline, 1.4);
            circle(cr, w / 2, h * 0.38, w * 0.08);
            setColor(cr, palette::orange);
            cairo_fill(cr);
        });
    // Pictures the ad and web screens keep in code; shipped as files as well, pixel sizes.
    catalog.image(ads, "adn_close.png", 50, 50, closeX, TabletRule::same());
    catalog.image(
        ads, "adn_back.png", 54, 54,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, true, palette::white, true); },
        TabletRule::same());
    catalog.image(
        ads, "adn_forward.png", 54, 54,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, false, palette::white, true); },
        TabletRule::same());
    catalog.image(
        ads, "mer_back.png", 30, 30,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, true, palette::white, true); },
        TabletRule::same());
    catalog.image(
        ads, "mer_forward.png", 30, 30,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, false, palette::white, true); },
        TabletRule::same());
    catalog.image(
        ads, "mx_back.png", 27, 27,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, true, palette::black, false); },
        TabletRule::same());
    catalog.image(
        ads, "mx_forward.png", 27, 27,
        [](cairo_t* cr, double w, double h) { webArrow(cr, w, h, false, palette::black, false); },
        TabletRule::same());
    catalog.image(
        ads, "banner_bg.png", 340, 68,
        [](cairo_t* cr, double w, double h) {
            roundedRect(cr, 1, 1, w - 2, h - 2, 12);
            fillGradientOutline(
                cr, 0, h, palette::woodLight.shade(0.2), palette::wood, palette::outline, 1.4);
            roundedRect(cr, 8, 13, w - 16, 52, 6);
            fillOutline(cr, Color::hex(0x4a3028), palette::outline, 1);
        },
        TabletRule::same());
    catalog.image(ads, "Icon.png", 57, 57, appIcon, TabletRule::same());
    catalog.image(ads, "Icon-72.png", 72, 72, appIcon, TabletRule::same());
}

}
