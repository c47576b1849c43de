#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>
#include <bundlegen/Roster.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace bundlegen {

namespace {

struct Sprite {
    double z;
    std::function<void(cairo_t*)> draw;
};

// A picture placed like the engine places it: screen (x, y) with y up from the bottom of
// a 480 x 320 screen, anchor (ax, ay) as a fraction of the picture.
void place(cairo_t* cr, Catalog const&, std::string const& name, double x, double y,
    double ax = 0.5, double ay = 0) {
    ImageEntry const* e = findImage(name);
    if (!e)
        return;
    cairo_save(cr);
    cairo_translate(cr, x - e->width * ax, 320 - y - e->height * (1 - ay));
    e->draw(cr, e->width, e->height);
    cairo_restore(cr);
}

// The salon of one level at work, composed from the bundle's own pictures, so the
// contact sheet shows how the pieces fit together.
void salonScene(cairo_t* cr, Catalog const& catalog, int level, bool night) {
    char floor[32];
    std::snprintf(floor, sizeof floor, "qrn_ip_bg%02d.jpg", level);
    char wall[32];
    std::snprintf(wall, sizeof wall, "qrn_ip_wall%02d.png", level);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_paint(cr);
    place(cr, catalog, floor, 240, 295, 0.5, 1);
    if (night) {
        cairo_push_group(cr);
        place(cr, catalog, "qrn_ip_bg_filter.png", 240, 257, 0.5, 0.5);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, 192 / 255.0);
    }
    std::vector<Sprite> sprites;
    auto piece = [&](std::string name, double x, double y) {
        sprites.push_back(
            {3200 - 10 * y, [&catalog, name, x, y](cairo_t* c) { place(c, catalog, name, x, y); }});
    };
    int l = std::min(3, 1 + (level - 1) / 3);
    std::string lv = std::to_string(l);
    for (double x : {220.0, 260.0, 300.0, 340.0})
        piece("furn_sofa_" + lv + ".png", x, 200);
    piece("furn_counter_" + lv + ".png", 60, 20);
    piece("furn_magazine01.png", 100, 200);
    piece("furn_magazine02.png", 60, 200);
    piece(level >= 2 ? "furn_sofa_" + lv + ".png" : "furn_magazine02.png", 380, 200);
    piece("furn_magazine01.png", 420, 200);
    piece(level >= 3 ? "furn_bath_" + lv + ".png" : "furn_mini.png", 220, 170);
    piece("furn_mini.png", 300, 170);
    piece("furn_bath_" + lv + ".png", 220, 120);
    piece("furn_bath_" + lv + ".png", 300, 120);
    piece("furn_drying_" + lv + ".png", 250, 50);
    piece(level >= 2 ? "furn_drying_" + lv + ".png" : "furn_closet.png", 180, 50);
    piece(level >= 3 ? "furn_facial_" + lv + ".png" : "furn_restbed.png", 60, 170);
    piece("furn_restbed.png", 50, 120);
    piece(level >= 2 ? "furn_hair_" + lv + ".png" : "furn_hifi.png", 440, 170);
    piece("furn_hair_" + lv + ".png", 450, 110);
    piece(level >= 4 ? "furn_massage_" + lv + ".png" : "furn_cd.png", 340, 50);
    piece("furn_cd.png", 400, 50);
    piece(level >= 2 ? "furn_musicplayer_" + lv + "_7.png" : "furn_empty.png", 450, 60);
    piece(level >= 5 ? "furn_flea_" + lv + ".png" : "furn_empty.png", 370, 120);
    piece("furn_lamp.png", 20, 130);
    piece("furn_doorblock_" + lv + "_5.png", 185, 200);

    auto person = [&](std::string key, double x, double y, Pose pose) {
        sprites.push_back({3200 - 10 * y + 1, [key, x, y, pose](cairo_t* c) {
                               drawPerson(c, x, 320 - y + (pose.action == Action::Sit ? 8 : 0),
                                   castMember(key).person, pose);
                           }});
    };
    auto pet = [&](std::string key, double x, double y, Pose pose) {
        sprites.push_back({3200 - 10 * y - 1,
            [key, x, y, pose](cairo_t* c) { drawPet(c, x, 320 - y, castMember(key).pet, pose); }});
    };
    person("CUS001", 400, 250, {Facing::Right, Action::Walk, 0.3});
    pet("DOG001", 430, 250, {Facing::Right, Action::Walk, 0.6});
    person("CUS005", 165, 214, {Facing::Down, Action::Walk, 0.1});
    person("CUS002", 260, 197, {Facing::Down, Action::Sit, 0});
    person("CUS003", 300, 197, {Facing::Down, Action::Sit, 0});
    pet("CAT001", 222, 112, {Facing::Down, Action::Stand, 0});
    person("NPC001", 260, 110, {Facing::Down, Action::Serve, 0.25});
    pet("DOG002", 452, 103, {Facing::Down, Action::Stand, 0});
    person("NPC002", 410, 105, {Facing::Right, Action::Serve, 0.5});
    person("NPC006", 80, 30, {Facing::Up, Action::Stand, 0});
    person("CUS004", 100, 60, {Facing::Down, Action::Stand, 0});
    pet("BUN001", 130, 58, {Facing::Down, Action::Stand, 0});
    sprites.push_back({1110, [&catalog, wall](cairo_t* c) {
                           place(c, catalog, wall, 240, 295, 0.5, 1);
                           place(c, catalog, "qrn_ip_door.png", 165, 214);
                       }});
    // A few interface pieces over the top.
    std::stable_sort(
        sprites.begin(), sprites.end(), [](Sprite const& a, Sprite const& b) { return a.z < b.z; });
    for (auto const& s : sprites)
        s.draw(cr);
    place(cr, catalog, "qrn_ip_icon_bath_normal.png", 222, 162);
    place(cr, catalog, "qrn_ip_icon_hair_hurry.png", 452, 153);
    place(cr, catalog, "statusbar_gamebar.png", 0, 320, 0, 1);
    place(cr, catalog, "Gameplay_PauseButton.png", 460, 20, 0.5, 0.5);
    place(cr, catalog, "Challenga_Btn.png", 20, 20, 0.5, 0.5);
}

void label(cairo_t* cr, std::string const& text, double x, double yUp, double size, Color color,
    double originX, double originTop, double height) {
    paint::textCentered(cr, text, originX + x, originTop + height - yUp, size, color,
        palette::outline, 0, paint::Font::Sans);
}

// The phone title screen and main menu, as the menu lays them out.
void titleScene(cairo_t* cr) {
    Catalog const& all = fullCatalog();
    place(cr, all, "qby2_title_bg1.png", 0, 320, 0, 1);
    for (int i = 0; i < 6; ++i)
        place(cr, all, "qby2_title_bubble" + std::to_string(1 + i % 4) + ".png", i % 2 ? 425 : 64,
            70 + i * 38, 0.5, 0.5);
    place(cr, all, "qby2_title_1.png", 0, 320, 0, 1);
    place(cr, all, "Title_Name.png", 240, 95, 0.5, 0.5);
    place(cr, all, "Title_Button.png", 240, 25, 0.5, 0.5);
    place(cr, all, "btn_BG.png", 125, 220, 0.5, 0.5);
    place(cr, all, "btn_icon_web.png", 125 - 105 + 30, 220 - 5, 0, 0.5);
    paint::textCentered(
        cr, "NEW GAME", 125 + 30, 320 - 220 + 3, 22, palette::white, palette::outline, 1.5);
    place(cr, all, "btn_BG.png", 355, 220, 0.5, 0.5);
    place(cr, all, "btn_icon_refresh.png", 355 + 105 - 30, 220 - 5, 1, 0.5);
    paint::textCentered(
        cr, "RESUME", 355 - 30, 320 - 220 + 3, 22, palette::white, palette::outline, 1.5);
    int x = 300;
    for (char const* icon : {"btn_icon_Achievements.png", "btn_icon_Draw.png",
             "btn_icon_system.png", "btn_icon_help.png"}) {
        place(cr, all, icon, x, 280, 0.5, 0.5);
        x += x == 300 ? 49 : 51;
    }
    place(cr, all, "PetPointValue.png", 240, 73, 0.5, 0.5);
    paint::textCentered(
        cr, "1250", 240 + 20, 320 - 73, 16, palette::ink, palette::outline, 0, paint::Font::Sans);
}

// The end-of-day report with its labels where the interface puts them.
void reportScene(cairo_t* cr) {
    Catalog const& all = fullCatalog();
    salonScene(cr, all, 3, false);
    place(cr, all, "shopBG.png", 240, 160, 0.5, 0.5);
    place(cr, all, "Gameplay_Report.png", 240, 147.5, 0.5, 0.5);
    double left = 240 - 235;
    double top = 320 - 147.5 - 145;
    Color pink = Color::hex(0xe63276);
    label(cr, "Shop Report", 235, 290 - 44, 18, palette::white, left, top, 290);
    label(cr, "Income", 127, 207, 11, pink, left, top, 290);
    label(cr, "Happiness", 127, 156, 11, pink, left, top, 290);
    label(cr, "Happy", 344, 207, 11, pink, left, top, 290);
    label(cr, "Angry", 344, 156, 11, pink, left, top, 290);
    label(cr, "1520", 132, 188, 16, palette::ink, left, top, 290);
    label(cr, "12.5%", 135, 136, 16, palette::ink, left, top, 290);
    label(cr, "23", 346, 188, 16, palette::ink, left, top, 290);
    label(cr, "2", 346, 131, 16, palette::ink, left, top, 290);
    label(cr, "Next level needs", 185, 85, 12, palette::ink, left, top, 290);
    label(cr, "2000", 352, 59, 14, palette::ink, left, top, 290);
    label(cr, "20.0%", 354, 22, 14, palette::ink, left, top, 290);
    place(cr, all, "Gameplay_LevelUp.png", left + 68, 147.5 - 145 + 261, 0.5, 0.5);
}

}

void addPreviews(Catalog& catalog) {
    catalog.image(
        "Previews (not in the bundle)", "preview/title.png", 480, 320,
        [](cairo_t* cr, double, double) { titleScene(cr); }, TabletRule::same());
    catalog.image(
        "Previews (not in the bundle)", "preview/report.png", 480, 320,
        [](cairo_t* cr, double, double) { reportScene(cr); }, TabletRule::same());
    for (int level : {1, 4, 8})
        catalog.image(
            "Previews (not in the bundle)", "preview/salon-level" + std::to_string(level) + ".png",
            480, 320,
            [level](cairo_t* cr, double, double) { salonScene(cr, fullCatalog(), level, false); },
            TabletRule::same());
    catalog.image(
        "Previews (not in the bundle)", "preview/salon-night.png", 480, 320,
        [](cairo_t* cr, double, double) { salonScene(cr, fullCatalog(), 6, true); },
        TabletRule::same());
}

}
