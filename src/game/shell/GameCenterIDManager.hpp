#pragma once

#include <optional>
#include <string>

namespace game {

// Maps the game's achievement and leaderboard numbers to their Game Center ids.
// Constants; never instantiated; any thread.
class GameCenterIDManager {
public:
    GameCenterIDManager() = delete;

    static constexpr int achievementCount = 42;
    static constexpr int leaderboardCount = 4;

    // "" for a number outside 0 to 41.
    static std::string getAchievementID(int number);
    // None for a number outside 0 to 3.
    static std::optional<std::string> getLeaderBoardID(int number);
};

}
