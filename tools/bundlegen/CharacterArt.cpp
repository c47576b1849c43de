#include <bundlegen/Catalog.hpp>
#include <bundlegen/Paint.hpp>
#include <bundlegen/Roster.hpp>

#include <cmath>
#include <cstdio>

namespace bundlegen {

using namespace paint;
using R = CastMember::Role;

namespace {

char facingLetter(Facing f) {
    switch (f) {
    case Facing::Up:
        return 'a';
    case Facing::Right:
        return 'c';
    case Facing::Down:
    default:
        return 'e';
    }
}

std::string frameName(std::string const& key, int pose, Facing facing, int frame) {
    char buffer[64];
    std::snprintf(
        buffer, sizeof buffer, "%s%03d%c%03d.png", key.c_str(), pose, facingLetter(facing), frame);
    return buffer;
}

void drawMember(cairo_t* cr, CastMember const& m, double w, double h, Pose const& pose) {
    if (m.role == R::Pet)
        drawPet(cr, w / 2, h - 2, m.pet, pose);
    else
        drawPerson(cr, w / 2, h - 2, m.person, pose);
}

// Frame names follow the character key: key + pose + facing + three-digit frame.
// Walking has 9 frames on the phone and 4 on the tablet (the tablet plays 0..3);
// "002" facing down is the standing pose, "004" the sitting customer, "003" staff at work.
std::vector<FrameSpec> framesFor(CastMember const& m, bool tablet) {
    double w = personFrameWidth;
    double h = personFrameHeight;
    if (m.role == R::Pet) {
        bool pony = m.pet.kind == PetLook::Kind::Pony;
        w = pony ? ponyFrameWidth : petFrameWidth;
        h = pony ? ponyFrameHeight : petFrameHeight;
    }
    std::vector<FrameSpec> frames;
    auto add = [&](int poseNumber, Facing facing, int frame, Pose pose) {
        frames.push_back({frameName(m.key, poseNumber, facing, frame), w, h,
            [&m, w, h, pose](cairo_t* cr) { drawMember(cr, m, w, h, pose); }});
    };
    int walkFrames = tablet ? 4 : 9;
    for (Facing facing : {Facing::Up, Facing::Right, Facing::Down})
        for (int f = 0; f < walkFrames; ++f)
            add(1, facing, f, {facing, Action::Walk, double(f) / walkFrames});
    add(2, Facing::Down, 0, {Facing::Down, Action::Stand, 0});
    if (m.role == R::Customer || m.role == R::Visitor)
        add(4, Facing::Down, 0, {Facing::Down, Action::Sit, 0});
    if (m.role == R::Staff)
        for (Facing facing : {Facing::Up, Facing::Right, Facing::Down})
            for (int f = 0; f < 4; ++f)
                add(3, facing, f, {facing, Action::Serve, f / 4.0});
    return frames;
}

void sunburst(cairo_t* cr, double cx, double cy, double r, Color a, Color b) {
    for (int i = 0; i < 16; ++i) {
        cairo_move_to(cr, cx, cy);
        cairo_arc(cr, cx, cy, r, i * M_PI / 8, (i + 0.5) * M_PI / 8);
        cairo_close_path(cr);
    }
    setColor(cr, b);
    cairo_fill(cr);
    (void)a;
}

// A portrait card: the character large, standing on a round stage.
void portrait(cairo_t* cr, double w, double h, CastMember const& m, Color back, double scale) {
    roundedRect(cr, 2, 2, w - 4, h - 4, std::min(w, h) * 0.18);
    fillGradientOutline(cr, 0, h, back.shade(0.55), back.shade(0.1), back.shade(-0.45), 1.5);
    cairo_save(cr);
    roundedRect(cr, 2, 2, w - 4, h - 4, std::min(w, h) * 0.18);
    cairo_clip(cr);
    sunburst(cr, w / 2, h * 0.45, std::max(w, h), back, palette::white.withAlpha(0.22));
    ellipse(cr, w / 2, h - h * 0.08, w * 0.38, h * 0.06);
    setColor(cr, back.shade(-0.25).withAlpha(0.5));
    cairo_fill(cr);
    cairo_translate(cr, w / 2, h - h * 0.06);
    cairo_scale(cr, scale, scale);
    Pose pose {Facing::Down, Action::Stand, 0};
    if (m.role == R::Pet)
        drawPet(cr, 0, 0, m.pet, pose);
    else
        drawPerson(cr, 0, 0, m.person, pose);
    cairo_restore(cr);
}

}

void addCharacterArt(Catalog& catalog) {
    for (CastMember const& m : cast()) {
        std::string group = m.role == R::Pet ? "Characters: pets"
            : m.role == R::Staff             ? "Characters: staff"
                                             : "Characters: customers and visitors";
        catalog.sheet(group, m.key, [&m](bool tablet) { return framesFor(m, tablet); });
    }

    // Staff portraits for the hire and training dialog.
    Color const backs[]
        = {palette::mint, palette::peach, palette::lilac, palette::pink, palette::sky,
            palette::honey, palette::peach, palette::green, palette::orange, palette::sky};
    for (int i = 1; i <= 10; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "NPC%03d_HireIcon.png", i);
        char key[8];
        std::snprintf(key, sizeof key, "NPC%03d", i);
        CastMember const& m = castMember(key);
        Color back = backs[i - 1];
        catalog.image("Hire portraits", name, 80, 96,
            [&m, back](cairo_t* cr, double w, double h) { portrait(cr, w, h, m, back, 1.22); });
    }

    // Close-ups of the special visitors, sliding in from the right.
    struct CloseUp {
        char const* name;
        char const* key;
        Color back;
    };
    for (CloseUp c : {CloseUp {"Gameplay_EventCloseUp_Prez.png", "PREZ", palette::sky},
             CloseUp {"Gameplay_EventCloseUp_RichLady.png", "RICHLADY", palette::pink},
             CloseUp {"Gameplay_EventCloseUp_skyward.png", "SKYW", palette::honey}}) {
        CastMember const& m = castMember(c.key);
        Color back = c.back;
        catalog.image(
            "Special visitors", c.name, 260, 300, [&m, back](cairo_t* cr, double w, double h) {
                portrait(cr, w, h, m, back, 3.6);
                // A name-plate ribbon along the bottom.
                roundedRect(cr, 24, h - 44, w - 48, 30, 12);
                fillGradientOutline(
                    cr, h - 44, h - 14, palette::coral.shade(0.25), palette::coral.shade(-0.05));
                star(cr, 44, h - 29, 18, palette::honey);
                star(cr, w - 44, h - 29, 18, palette::honey);
                std::string title = m.key == "PREZ" ? "The President!"
                    : m.key == "RICHLADY"           ? "Madame Rich!"
                                                    : "Skyward!";
                textCentered(cr, title, w / 2, h - 29, 17, palette::white, palette::outline, 1.6);
            });
    }
}

}
