#include <services/GKAchievement.hpp>
#include <services/GKLocalPlayer.hpp>
#include <services/GKScore.hpp>
#include <services/GameKit.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace services {
namespace {

// A fresh sandbox, run loop and notification centre and no service yet, under a
// manual clock.
class GameKitTest : public ::testing::Test {
protected:
    GameKitTest() {
        foundation::Sandbox::setRoot(sandbox.path().string());
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
        GameKit::reset();
        changes = foundation::NotificationCenter::defaultCenter().observe(
            GKPlayerAuthenticationDidChangeNotificationName, [this](auto const&) {
                journal.push_back(GameKit::shared().isAuthenticated() ? "in" : "out");
            });
    }
    ~GameKitTest() override {
        GameKit::reset();
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
        foundation::Sandbox::setRoot({});
    }

    static GameKit& service() { return GameKit::shared(); }
    static void run(double seconds = 0) {
        auto& loop = foundation::RunLoop::main();
        if (seconds > 0)
            loop.runFor(seconds);
        for (int pass = 0; pass < 100 && loop.runPending(); ++pass) { }
    }
    // A completion that writes "ok" or the error's code into the journal.
    GameKit::Completion note(std::string what) {
        return [this, what](GKError const* error) {
            journal.push_back(what + (error ? " " + std::to_string(int(error->code)) : " ok"));
        };
    }
    void signIn() {
        GKLocalPlayer::localPlayer().authenticateWithCompletionHandler(note("auth"));
        run();
    }

    test::TempDir sandbox;
    foundation::ScopedManualClock clock;
    foundation::ObservationToken changes;
    std::vector<std::string> journal;
};

TEST_F(GameKitTest, EveryAnswerComesLaterOnTheMainRunLoop) {
    GKLocalPlayer::localPlayer().authenticateWithCompletionHandler(note("auth"));
    EXPECT_FALSE(GKLocalPlayer::localPlayer().isAuthenticated());
    EXPECT_TRUE(journal.empty());
    run();
    EXPECT_TRUE(GKLocalPlayer::localPlayer().isAuthenticated());
    EXPECT_EQ(GKLocalPlayer::localPlayer().playerID(), "G:1000000001");
    auto achievement = GKAchievement::initWithIdentifier("ach_a");
    achievement->setPercentComplete(40);
    achievement->reportAchievementWithCompletionHandler(note("achievement"));
    auto score = GKScore::initWithCategory("lb_a");
    score->setValue(-7);
    score->reportScoreWithCompletionHandler(note("score"));
    EXPECT_EQ(journal, (std::vector<std::string> {"in", "auth ok"}));
    EXPECT_EQ(service().achievementPercent("ach_a"), 0);
    run();
    EXPECT_EQ(journal, (std::vector<std::string> {"in", "auth ok", "achievement ok", "score ok"}));
    EXPECT_EQ(service().achievementPercent("ach_a"), 40);
    EXPECT_EQ(service().bestScore("lb_a"), -7);
}

TEST_F(GameKitTest, AScriptedDelayHoldsTheAnswerThatLong) {
    service().script().delay = 1.5;
    GKLocalPlayer::localPlayer().authenticateWithCompletionHandler(note("auth"));
    run(1.4);
    EXPECT_TRUE(journal.empty());
    run(0.2);
    EXPECT_EQ(journal, (std::vector<std::string> {"in", "auth ok"}));
}

TEST_F(GameKitTest, ScriptedFailuresAndRefusalsEachCountDown) {
    service().script().refuseAuthentications = 1;
    signIn();
    EXPECT_FALSE(service().isAuthenticated());
    auto achievement = GKAchievement::initWithIdentifier("ach_a");
    achievement->setPercentComplete(10);
    achievement->reportAchievementWithCompletionHandler(note("signed out"));
    run();
    signIn();
    service().script().failAchievementReports = 1;
    service().script().failScoreReports = 1;
    achievement->reportAchievementWithCompletionHandler(note("achievement"));
    achievement->reportAchievementWithCompletionHandler(note("achievement"));
    auto score = GKScore::initWithCategory("lb_a");
    score->setValue(3);
    score->reportScoreWithCompletionHandler(note("score"));
    score->reportScoreWithCompletionHandler(note("score"));
    run();
    EXPECT_EQ(journal,
        (std::vector<std::string> {"auth 2", "signed out 6", "in", "auth ok", "achievement 3",
            "achievement ok", "score 3", "score ok"}));
    EXPECT_EQ(GameKit::classExists("GKLocalPlayer"), true);
    EXPECT_EQ(GameKit::classExists("GKNothing"), false);
    service().script().present = false;
    EXPECT_EQ(GameKit::classExists("GKLocalPlayer"), false);
}

TEST_F(GameKitTest, ProgressAndScoresKeepTheBestAndLoadAndResetByPlayer) {
    signIn();
    auto report = [](char const* id, double percent) {
        auto achievement = GKAchievement::initWithIdentifier(id);
        achievement->setPercentComplete(percent);
        achievement->reportAchievementWithCompletionHandler({});
    };
    report("ach_a", 60);
    report("ach_a", 30);
    report("ach_b", 250);
    for (std::int64_t value : {5, 9, 2}) {
        auto score = GKScore::initWithCategory("lb_a");
        score->setValue(value);
        score->reportScoreWithCompletionHandler({});
    }
    EXPECT_EQ(GKAchievement::initWithIdentifier(""), nullptr);
    run();
    EXPECT_EQ(service().achievementPercent("ach_a"), 60);
    EXPECT_EQ(service().achievementPercent("ach_b"), 100);
    EXPECT_EQ(service().bestScore("lb_a"), 9);
    std::vector<std::string> loaded;
    GKAchievement::loadAchievementsWithCompletionHandler(
        [&loaded](auto const& list, GKError const* error) {
            ASSERT_EQ(error, nullptr);
            ASSERT_TRUE(list);
            for (auto const& achievement : *list)
                loaded.push_back(
                    achievement->identifier() + (achievement->isCompleted() ? " done" : ""));
        });
    run();
    EXPECT_EQ(loaded, (std::vector<std::string> {"ach_a", "ach_b done"}));

    // Another player starts with nothing; the first one's progress stays theirs.
    service().changePlayer("G:2");
    run();
    EXPECT_EQ(service().achievementPercent("ach_a"), 0);
    GKAchievement::resetAchievementsWithCompletionHandler(note("reset"));
    run();
    service().changePlayer("G:1000000001");
    run();
    EXPECT_EQ(service().achievementPercent("ach_a"), 60);
    GKAchievement::resetAchievementsWithCompletionHandler(note("reset"));
    run();
    EXPECT_EQ(service().achievementPercent("ach_a"), 0);
    EXPECT_EQ(service().bestScore("lb_a"), 9);
    EXPECT_EQ(
        journal, (std::vector<std::string> {"in", "auth ok", "in", "reset ok", "in", "reset ok"}));
}

TEST_F(GameKitTest, ALogoutIsPostedAndReportsFailUntilTheNextSignIn) {
    signIn();
    service().logout();
    EXPECT_TRUE(service().isAuthenticated());
    run();
    EXPECT_FALSE(service().isAuthenticated());
    auto score = GKScore::initWithCategory("lb_a");
    score->setValue(4);
    score->reportScoreWithCompletionHandler(note("score"));
    run();
    signIn();
    EXPECT_EQ(
        journal, (std::vector<std::string> {"in", "auth ok", "out", "score 6", "in", "auth ok"}));
    EXPECT_EQ(service().playerID(), "G:1000000001");
}

TEST_F(GameKitTest, TheFileKeepsWhatItWasToldForTheNextRun) {
    signIn();
    auto achievement = GKAchievement::initWithIdentifier("ach_a");
    achievement->setPercentComplete(75);
    achievement->reportAchievementWithCompletionHandler({});
    auto score = GKScore::initWithCategory("lb_a");
    score->setValue(1234567890123);
    score->reportScoreWithCompletionHandler({});
    run();
    ASSERT_TRUE(std::filesystem::exists(GameKit::storePath()));
    GameKit::reset();
    EXPECT_FALSE(service().isAuthenticated()) << "each run signs in again";
    EXPECT_EQ(service().playerID(), "G:1000000001");
    EXPECT_EQ(service().achievementPercent("ach_a"), 75);
    EXPECT_EQ(service().bestScore("lb_a"), 1234567890123);
}

TEST_F(GameKitTest, ADamagedFileCostsOnlyItsDamagedEntries) {
    std::filesystem::create_directories(std::filesystem::path(GameKit::storePath()).parent_path());
    auto achievements = base::Dictionary::create();
    achievements->setObject("ach_a", 50);
    achievements->setObject("ach_text", "lots");
    achievements->setObject("ach_huge", 1e9);
    auto scores = base::Dictionary::create();
    scores->setObject("lb_a", 12);
    scores->setObject("lb_real", 1.5);
    auto player = base::Dictionary::create();
    player->setObject("Achievements", achievements);
    player->setObject("Scores", scores);
    auto players = base::Dictionary::create();
    players->setObject("G:5", player);
    players->setObject("G:6", "not a record");
    auto root = base::Dictionary::create();
    root->setObject("Player", "G:5");
    root->setObject("Players", players);
    ASSERT_TRUE(foundation::PropertyList::writeToFile(base::Value(root), GameKit::storePath()));
    EXPECT_EQ(service().playerID(), "G:5");
    EXPECT_EQ(service().achievementPercent("ach_a"), 50);
    EXPECT_EQ(service().achievementPercent("ach_text"), 0);
    EXPECT_EQ(service().achievementPercent("ach_huge"), 100);
    EXPECT_EQ(service().bestScore("lb_a"), 12);
    EXPECT_FALSE(service().bestScore("lb_real"));

    GameKit::reset();
    std::ofstream(GameKit::storePath()) << "<plist><dict><key>Player";
    EXPECT_EQ(service().playerID(), "");
    signIn();
    EXPECT_TRUE(service().isAuthenticated());
}

}
}
