#pragma once

#include <optional>

namespace game {

// Scripted runs and screenshots start the program straight in a salon day instead of
// the title and the menus. Called once, right after the main scene is made: the salon
// state is asked for, and the random generators the salon draws from get fixed seeds
// so that a run repeats. Without a level the saved game is played as it stands (a
// first day counts as the second, so the help book does not pause it); with one, a
// fresh working day at that shop level is saved first. Main thread.
class SalonDayStart {
public:
    SalonDayStart() = delete;

    // "--salon-day" or "--salon-day=LEVEL": true, with the level when one was given.
    // Anything else: false.
    static bool parseArgument(char const* argument, std::optional<int>& level);
    static void start(std::optional<int> level);
};

}
