#pragma once

#include <optional>

namespace game {

// Scripted runs and screenshots start the program straight in a salon day instead of
// the title and the menus. The process entry records the request; the main scene,
// once made, applies it: the salon state is asked for, and the random generators the salon draws
// from get fixed seeds so that a run repeats. Without a level the saved game is played as it stands
// (a first day counts as the second, so the help book does not pause it); with one, a fresh working
// day at that shop level is saved first. Main thread.
class SalonDayStart {
public:
    SalonDayStart() = delete;

    // "--salon-day" or "--salon-day=LEVEL": true, with the level when one was given.
    // Anything else: false.
    static bool parseArgument(char const* argument, std::optional<int>& level);
    // The flag's line of the program's usage.
    static constexpr char const* usage
        = "  --salon-day[=LEVEL] start straight in a salon day (with LEVEL, a fresh working\n"
          "                      day at that shop level, 1 to 99)\n";
    // Remembered until the main scene applies it.
    static void request(std::optional<int> level);
    // Starts the requested day, if any, once.
    static void applyRequest();
    static void start(std::optional<int> level);
};

}
