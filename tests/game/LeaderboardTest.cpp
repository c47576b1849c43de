#include "ProgressionFixture.hpp"

#include <game/progression/GameCenter.hpp>
#include <game/progression/Leaderboard.hpp>
#include <game/shell/GameGlobals.hpp>
#include <ui/Device.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace test {
namespace {

using game::Leaderboard;

class LeaderboardTest : public ProgressionFixture {
protected:
    static Leaderboard& board() { return Leaderboard::sharedManager(); }
    static void setTotals(int day, float satisfaction, int money) {
        auto& globals = game::GameGlobals::shared();
        globals.day = day;
        globals.satisfaction = satisfaction;
        globals.overallMoneyEarned = money;
    }
};

TEST_F(LeaderboardTest, OnlyAScoreAboveTheLastOneSentIsSent) {
    signIn();
    for (std::int64_t score : {12, 12, 11, 13, 0, -4})
        board().tryReportScore(score, "lb_challengecount");
    EXPECT_EQ(requestsStartingWith("score"),
        (std::vector<std::string> {"score lb_challengecount 12", "score lb_challengecount 13"}));
    board().tryReportScore(0, "lb_shopdays");
    board().tryReportScore(-1, "lb_shopdays");
    EXPECT_EQ(requestsStartingWith("score lb_shopdays").size(), 0u);
    board().tryReportScore(std::numeric_limits<std::int64_t>::max(), "lb_overallmoney");
    run();
    EXPECT_EQ(service().bestScore("lb_challengecount"), 13);
    EXPECT_EQ(service().bestScore("lb_overallmoney"), std::numeric_limits<std::int64_t>::max());
}

TEST_F(LeaderboardTest, SatisfactionCountsTenfoldWithTheFractionDropped) {
    struct Case {
        float satisfaction;
        std::int64_t score;
    } const cases[] = {
        {87.46f, 874},
        {0, 0},
        {0.09f, 0},
        {999.99f, 9999},
        {-1.25f, -12},
        {NAN, 0},
        {1e30f, std::numeric_limits<std::int64_t>::max()},
        {-1e30f, std::numeric_limits<std::int64_t>::min()},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Leaderboard::satisfactionScore(c.satisfaction), c.score) << c.satisfaction;
}

TEST_F(LeaderboardTest, AnUpdateSendsTheDaySatisfactionAndMoneyInOrder) {
    signIn();
    setTotals(12, 87.46f, 5000);
    Leaderboard::updateLeaderboard();
    Leaderboard::updateLeaderboard();
    EXPECT_EQ(requestsStartingWith("score"),
        (std::vector<std::string> {
            "score lb_shopdays 12", "score lb_happiness 874", "score lb_overallmoney 5000"}));
    setTotals(13, 87.46f, 5000);
    Leaderboard::updateLeaderboard();
    EXPECT_EQ(requestsStartingWith("score").size(), 4u);
    run();
    EXPECT_EQ(service().bestScore("lb_shopdays"), 13);
    EXPECT_EQ(service().bestScore("lb_happiness"), 874);
}

TEST_F(LeaderboardTest, OfflineSignedOutOrWithoutTheServiceAnUpdateSendsNothing) {
    setTotals(12, 50, 100);
    struct Case {
        char const* name;
        bool online;
        bool signedIn;
        char const* version;
    } const cases[] = {
        {"offline", false, true, "4.3"},
        {"signed out", true, false, "4.3"},
        {"old system", true, true, "4.0"},
    };
    for (auto const& c : cases) {
        releaseAll();
        setOnline(c.online);
        ui::Device::currentDevice().setSystemVersion(c.version);
        if (c.signedIn)
            signIn();
        service().script().refuseAuthentications = 1;
        Leaderboard::updateLeaderboard();
        run();
        EXPECT_TRUE(requestsStartingWith("score").empty()) << c.name;
    }
}

TEST_F(LeaderboardTest, OnFirstUseItSignsInAndThenSendsTheTotals) {
    setTotals(3, 10, 700);
    board();
    EXPECT_EQ(requestsStartingWith("authenticate").size(), 1u);
    EXPECT_TRUE(requestsStartingWith("score").empty());
    run();
    EXPECT_EQ(requestsStartingWith("score").size(), 3u);
    EXPECT_EQ(service().bestScore("lb_overallmoney"), 700);
}

TEST_F(LeaderboardTest, AFailedReportIsSentAgainAtTheNextUpdate) {
    signIn();
    setTotals(5, 1, 10);
    service().script().failScoreReports = 1;
    Leaderboard::updateLeaderboard();
    EXPECT_EQ(board().cachedScoreFor("lb_shopdays"), 5);
    run();
    EXPECT_EQ(board().cachedScoreFor("lb_shopdays"), 0);
    EXPECT_EQ(board().cachedScoreFor("lb_happiness"), 10);
    EXPECT_FALSE(service().bestScore("lb_shopdays"));
    Leaderboard::updateLeaderboard();
    run();
    EXPECT_EQ(requestsStartingWith("score lb_shopdays"),
        (std::vector<std::string> {"score lb_shopdays 5", "score lb_shopdays 5"}));
    EXPECT_EQ(requestsStartingWith("score lb_happiness").size(), 1u);
    EXPECT_EQ(service().bestScore("lb_shopdays"), 5);
}

TEST_F(LeaderboardTest, AFailureDoesNotForgetAHigherScoreSentSince) {
    signIn();
    service().script().failScoreReports = 1;
    board().tryReportScore(5, "lb_shopdays");
    board().tryReportScore(6, "lb_shopdays");
    run();
    EXPECT_EQ(board().cachedScoreFor("lb_shopdays"), 6);
    EXPECT_EQ(service().bestScore("lb_shopdays"), 6);
}

TEST_F(LeaderboardTest, ALogoutAndANewLoginSendTheSameScoresAgain) {
    signIn();
    setTotals(4, 2, 30);
    board();
    run();
    EXPECT_EQ(requestsStartingWith("score").size(), 3u);
    service().logout();
    run();
    EXPECT_EQ(board().cachedScoreFor("lb_shopdays"), 0);
    game::GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_EQ(requestsStartingWith("score").size(), 6u);
    service().changePlayer("G:7");
    run();
    Leaderboard::updateLeaderboard();
    run();
    EXPECT_EQ(requestsStartingWith("score").size(), 9u);
    EXPECT_EQ(service().playerID(), "G:7");
    EXPECT_EQ(service().bestScore("lb_overallmoney"), 30);
}

}
}
