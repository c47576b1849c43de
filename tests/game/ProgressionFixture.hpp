#pragma once

#include "ShellFixture.hpp"

#include <foundation/Clock.hpp>
#include <services/GameKit.hpp>

#include <string>
#include <vector>

namespace test {

// A shell fixture for the game service and its clients: a manual clock and an empty
// main run loop and notification centre, the network forced reachable, the stand-in
// game service fresh (present, nobody signed in) and no GameCenter, achievement book
// or leaderboard reporter yet. The bundle holds "Achievements.plist" with all 42
// identifiers in number order (title keys "T_<id>", none for "ach_theme") and an
// English string table whose "ACH_UNLOCKED" is "Unlocked: %@".
class ProgressionFixture : public ShellFixture {
protected:
    ProgressionFixture();
    ~ProgressionFixture() override;

    static services::GameKit& service() { return services::GameKit::shared(); }
    // Lets seconds pass on the main run loop (0: one pass of what is due now).
    void run(double seconds = 0);
    // Signs the device's player in and lets the answers come.
    void signIn();
    // The stand-in's request lines that start with prefix.
    static std::vector<std::string> requestsStartingWith(std::string const& prefix);
    // Everything made by the game service's clients goes.
    static void releaseAll();
    static void setOnline(bool online);

    foundation::ScopedManualClock clock;
};

}
