#include <game/shell/GameCenterIDManager.hpp>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using game::GameCenterIDManager;

TEST(GameCenterIDManager, AchievementIdentifiersByNumber) {
    struct Case {
        int number;
        char const* id;
    };
    std::vector<Case> const cases = {
        {0, "ach_firstpp"},
        {1, "ach_50days"},
        {2, "ach_100days"},
        {3, "ach_200days"},
        {4, "ach_happiness100"},
        {5, "ach_happiness500"},
        {6, "ach_happiness999"},
        {7, "ach_customers2500"},
        {8, "ach_customers5000"},
        {9, "ach_customers10000"},
        {10, "ach_shoplv5"},
        {11, "ach_shopmaxlv"},
        {12, "ach_allequipment"},
        {13, "ach_maxupgrade"},
        {14, "ach_allstaff"},
        {15, "ach_spvisit"},
        {16, "ach_dayearn5000"},
        {17, "ach_dayearn10000"},
        {18, "ach_dayearn15000"},
        {19, "ach_dayearn0"},
        {20, "ach_dayhappiness10"},
        {21, "ach_dayhappiness15"},
        {22, "ach_daysad10"},
        {23, "ach_daysad15"},
        {24, "ach_daycustomers40"},
        {25, "ach_daycustomers60"},
        {26, "ach_daycustomers80"},
        {27, "ach_perfectday"},
        {28, "ach_silence"},
        {29, "ach_prez"},
        {30, "ach_perfectday6"},
        {31, "ach_angrylady"},
        {32, "ach_10angry"},
        {33, "ach_perfectday7"},
        {34, "ach_angryprez"},
        {35, "ach_perfectday8"},
        {36, "ach_mvp"},
        {37, "ach_theme"},
        {38, "ach_challenge5"},
        {39, "ach_challenge15"},
        {40, "ach_challenge30"},
        {41, "ach_challenge100"},
        {42, ""},
        {-1, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(GameCenterIDManager::getAchievementID(c.number), c.id) << "number " << c.number;
}

TEST(GameCenterIDManager, AchievementIdentifiersAreDistinct) {
    std::set<std::string> ids;
    for (int number = 0; number < GameCenterIDManager::achievementCount; ++number)
        ids.insert(GameCenterIDManager::getAchievementID(number));
    EXPECT_EQ(ids.size(), std::size_t(GameCenterIDManager::achievementCount));
}

TEST(GameCenterIDManager, LeaderboardIdentifiersByNumber) {
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(0), "lb_shopdays");
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(1), "lb_happiness");
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(2), "lb_overallmoney");
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(3), "lb_challengecount");
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(4), std::nullopt);
    EXPECT_EQ(GameCenterIDManager::getLeaderBoardID(-1), std::nullopt);
}
