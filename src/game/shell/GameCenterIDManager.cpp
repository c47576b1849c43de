#include <game/shell/GameCenterIDManager.hpp>

#include <array>

namespace game {

namespace {

constexpr std::array<char const*, GameCenterIDManager::achievementCount> achievements = {
    "ach_firstpp",
    "ach_50days",
    "ach_100days",
    "ach_200days",
    "ach_happiness100",
    "ach_happiness500",
    "ach_happiness999",
    "ach_customers2500",
    "ach_customers5000",
    "ach_customers10000",
    "ach_shoplv5",
    "ach_shopmaxlv",
    "ach_allequipment",
    "ach_maxupgrade",
    "ach_allstaff",
    "ach_spvisit",
    "ach_dayearn5000",
    "ach_dayearn10000",
    "ach_dayearn15000",
    "ach_dayearn0",
    "ach_dayhappiness10",
    "ach_dayhappiness15",
    "ach_daysad10",
    "ach_daysad15",
    "ach_daycustomers40",
    "ach_daycustomers60",
    "ach_daycustomers80",
    "ach_perfectday",
    "ach_silence",
    "ach_prez",
    "ach_perfectday6",
    "ach_angrylady",
    "ach_10angry",
    "ach_perfectday7",
    "ach_angryprez",
    "ach_perfectday8",
    "ach_mvp",
    "ach_theme",
    "ach_challenge5",
    "ach_challenge15",
    "ach_challenge30",
    "ach_challenge100",
};

constexpr std::array<char const*, GameCenterIDManager::leaderboardCount> leaderboards = {
    "lb_shopdays",
    "lb_happiness",
    "lb_overallmoney",
    "lb_challengecount",
};

}

std::string GameCenterIDManager::getAchievementID(int number) {
    if (number < 0 || number >= achievementCount)
        return "";
    return achievements[std::size_t(number)];
}

std::optional<std::string> GameCenterIDManager::getLeaderBoardID(int number) {
    if (number < 0 || number >= leaderboardCount)
        return std::nullopt;
    return leaderboards[std::size_t(number)];
}

}
