#pragma once

#include <bundlegen/Color.hpp>

#include <cairo.h>

namespace bundlegen {

// People and pets of the salon, drawn from a short description (a "look") in any
// facing and pose. Coordinates are local: (0, 0) is the point between the feet and y
// grows downwards, so a figure stands on the bottom-centre of its frame, which is
// where the engine puts a sprite's anchor.

enum class Facing { Up, Right, Down };
enum class Action { Walk, Stand, Sit, Serve };

struct Pose {
    Facing facing {Facing::Down};
    Action action {Action::Stand};
    double phase {0}; // 0..1 through a walk or work cycle
};

struct PersonLook {
    enum class Hair { Short, Bob, Long, Ponytail, Bun, Curly, Spiky, Bald };
    enum class Outfit { Casual, Dress, Apron, Suit, Gown, Hero, Robot };
    enum class Extra { None, Glasses, Hat, Cap, Mask, Pearls, Headband, Bow, Beard };

    Color skin;
    Color hair;
    Color top;
    Color bottom;
    Color shoes;
    Color accent; // apron, tie, cape, hat
    Hair hairStyle {Hair::Short};
    Outfit outfit {Outfit::Casual};
    Extra extra {Extra::None};
    Extra extra2 {Extra::None};
    double scale {1.0};
};

struct PetLook {
    enum class Kind { Dog, Cat, Bunny, Pony };
    enum class Ears { Floppy, Pointy, Curly, Long };
    enum class Pattern { None, Spots, Stripes, Socks, Mask };

    Kind kind {Kind::Dog};
    Ears ears {Ears::Floppy};
    Pattern pattern {Pattern::None};
    Color fur;
    Color light; // muzzle, belly, paws
    Color marks; // spots, stripes, ears
    Color collar; // collar, or the mane of a pony
    bool fluffy {false};
};

// Frame sizes in points that hold every pose of a figure.
constexpr double personFrameWidth = 48;
constexpr double personFrameHeight = 80;
constexpr double petFrameWidth = 48;
constexpr double petFrameHeight = 50;
constexpr double ponyFrameWidth = 64;
constexpr double ponyFrameHeight = 64;

// Draws with the feet at (x, y) of the current user space.
void drawPerson(cairo_t*, double x, double y, PersonLook const&, Pose const&);
void drawPet(cairo_t*, double x, double y, PetLook const&, Pose const&);

}
