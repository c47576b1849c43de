#include "ProgressionFixture.hpp"

#include <game/progression/GameCenter.hpp>
#include <support/LogCapture.hpp>
#include <ui/Device.hpp>
#include <ui/ViewController.hpp>

#include <gtest/gtest.h>

namespace test {
namespace {

using game::GameCenter;

// Writes down every operation it hears.
class RecordingDelegate final : public game::GameCenterDelegate {
public:
    void localPlayerDidAuthenticateSuccess() override { calls.push_back("success"); }
    void localPlayerDidAuthenticateError(services::GKError const& error) override {
        calls.push_back("error " + std::to_string(int(error.code)));
    }
    void localPlayerDidChange() override { calls.push_back("change"); }
    void localPlayerDidLogout() override { calls.push_back("logout"); }
    void achievementsDidLoad(std::vector<base::Ref<services::GKAchievement>> const& list) override {
        std::string line = "load";
        for (auto const& achievement : list)
            line += " " + achievement->identifier() + "="
                + std::to_string(int(achievement->percentComplete()));
        calls.push_back(line);
    }
    void achievementsDidReset() override { calls.push_back("reset"); }

    std::vector<std::string> calls;

private:
    friend base::Factory;
    RecordingDelegate() = default;
};

// Answers the sign-out only.
class LogoutOnly final : public game::GameCenterDelegate {
public:
    void localPlayerDidLogout() override { ++logouts; }
    int logouts {0};

private:
    friend base::Factory;
    LogoutOnly() = default;
};

using GameCenterTest = ProgressionFixture;

TEST_F(GameCenterTest, AvailableFromSystemFourPointOneComparedNumberByNumber) {
    struct Case {
        char const* version;
        bool available;
    } const cases[] = {
        {"4.0", false},
        {"4.1", true},
        {"4.10", true},
        {"4.0.9", false},
        {"3.2.1", false},
        {"4.1.0", true},
        {"5", true},
        {"4", false},
        {"", false},
    };
    for (auto const& c : cases) {
        ui::Device::currentDevice().setSystemVersion(c.version);
        EXPECT_EQ(GameCenter::isGameCenterAvailable(), c.available) << c.version;
    }
    ui::Device::currentDevice().setSystemVersion("5.0");
    service().script().present = false;
    EXPECT_FALSE(GameCenter::isGameCenterAvailable());
}

TEST_F(GameCenterTest, ReportsReachTheServiceClampedIntoZeroToAHundredAndOnlyLater) {
    signIn();
    struct Case {
        char const* id;
        float percent;
        double stored;
    } const cases[] = {
        {"ach_50days", 120, 100},
        {"ach_firstpp", -3, 0},
        {"ach_shoplv5", 42.5f, 42.5},
    };
    auto& center = GameCenter::sharedManager();
    for (auto const& c : cases)
        center.reportAchievementIdentifier(c.id, c.percent);
    EXPECT_EQ(requestsStartingWith("achievement").size(), 3u);
    EXPECT_EQ(service().achievementPercent("ach_50days"), 0) << "answered inside the call";
    LogCapture log;
    run();
    for (auto const& c : cases)
        EXPECT_DOUBLE_EQ(service().achievementPercent(c.id), c.stored) << c.id;
    EXPECT_TRUE(log.contains("Report Achievement Success: ach_50days, 120.000000"));
    // An identifier the service refuses to make is skipped.
    center.reportAchievementIdentifier("", 50);
    EXPECT_EQ(requestsStartingWith("achievement").size(), 3u);
}

TEST_F(GameCenterTest, AFailedReportIsLoggedWithTheValueGiven) {
    signIn();
    service().script().failAchievementReports = 1;
    service().script().failScoreReports = 1;
    LogCapture log;
    GameCenter::sharedManager().reportAchievementIdentifier("ach_50days", 150);
    GameCenter::sharedManager().reportScore(7, "lb_shopdays");
    run();
    EXPECT_TRUE(log.contains("Report Achievement Fail: ach_50days, 150.000000"));
    EXPECT_TRUE(log.contains("Report Score Fail: lb_shopdays, 7"));
    EXPECT_EQ(service().achievementPercent("ach_50days"), 0);
    EXPECT_FALSE(service().bestScore("lb_shopdays"));
}

TEST_F(GameCenterTest, ADelegateIsHeldOnceAndRemovedOnce) {
    auto delegate = base::make<RecordingDelegate>();
    GameCenter::addDelegate(delegate.get());
    GameCenter::addDelegate(delegate.get());
    EXPECT_EQ(GameCenter::sharedManager().delegateCount(), 1u);
    GameCenter::removeDelegate(delegate.get());
    EXPECT_EQ(GameCenter::sharedManager().delegateCount(), 0u);
    GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(GameCenterTest, SignInChangeAndLogoutReachEveryDelegateThatAnswersThem) {
    auto recorder = base::make<RecordingDelegate>();
    auto logoutOnly = base::make<LogoutOnly>();
    GameCenter::addDelegate(recorder.get());
    GameCenter::addDelegate(logoutOnly.get());
    auto& center = GameCenter::sharedManager();
    center.authenticateLocalPlayer();
    EXPECT_TRUE(recorder->calls.empty()) << "answered inside the call";
    run();
    EXPECT_TRUE(center.isLocalPlayerAuthenticated());
    // Already signed in: nothing is asked.
    center.authenticateLocalPlayer();
    service().changePlayer("G:2");
    run();
    service().logout();
    run();
    EXPECT_EQ(
        recorder->calls, (std::vector<std::string> {"change", "success", "change", "logout"}));
    EXPECT_EQ(logoutOnly->logouts, 1);
    EXPECT_EQ(requestsStartingWith("authenticate").size(), 1u);
}

TEST_F(GameCenterTest, ARefusedSignInTellsTheErrorAndAnotherRequestMaySucceed) {
    auto recorder = base::make<RecordingDelegate>();
    GameCenter::addDelegate(recorder.get());
    service().script().refuseAuthentications = 1;
    GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_FALSE(GameCenter::sharedManager().isLocalPlayerAuthenticated());
    GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_EQ(recorder->calls, (std::vector<std::string> {"error 2", "change", "success"}));
}

TEST_F(GameCenterTest, LoadsAndResetsTellTheDelegatesOnlyWhenTheyWork) {
    signIn();
    auto recorder = base::make<RecordingDelegate>();
    GameCenter::addDelegate(recorder.get());
    auto& center = GameCenter::sharedManager();
    center.reportAchievementIdentifier("ach_50days", 100);
    center.reportAchievementIdentifier("ach_firstpp", 30);
    run();
    LogCapture log;
    service().script().failLoads = 1;
    center.loadAchievements();
    run();
    EXPECT_TRUE(log.contains("Load Achievement Fail"));
    center.loadAchievements();
    run();
    service().script().failResets = 1;
    center.resetAchievements();
    run();
    EXPECT_TRUE(log.contains("Reset Achievement Fail"));
    center.resetAchievements();
    run();
    center.loadAchievements();
    run();
    EXPECT_EQ(recorder->calls,
        (std::vector<std::string> {"load ach_50days=100 ach_firstpp=30", "reset", "load"}));
}

TEST_F(GameCenterTest, ADelegateMayLeaveWhileTheOthersAreTold) {
    auto first = base::make<RecordingDelegate>();
    auto second = base::make<RecordingDelegate>();

    // Takes the second delegate out when it hears the sign-in.
    class Leaver final : public game::GameCenterDelegate {
    public:
        void localPlayerDidAuthenticateSuccess() override { GameCenter::removeDelegate(other); }
        game::GameCenterDelegate* other {nullptr};

    private:
        friend base::Factory;
        Leaver() = default;
    };
    auto leaver = base::make<Leaver>();
    leaver->other = second.get();
    GameCenter::addDelegate(first.get());
    GameCenter::addDelegate(leaver.get());
    GameCenter::addDelegate(second.get());
    GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_EQ(first->calls, (std::vector<std::string> {"change", "success"}));
    EXPECT_EQ(second->calls, (std::vector<std::string> {"change"}));
}

TEST_F(GameCenterTest, TheServiceScreensShowOnlyWithTheServiceAndCloseThemselves) {
    auto presenter = ui::ViewController::create();
    auto& center = GameCenter::sharedManager();
    ui::Device::currentDevice().setSystemVersion("4.0");
    center.showLeaderboardWithViewController(*presenter);
    center.showAchievementsWithViewController(*presenter);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);

    ui::Device::currentDevice().setSystemVersion("4.1");
    center.showLeaderboardWithViewController(*presenter);
    auto* board
        = dynamic_cast<ui::GKLeaderboardViewController*>(presenter->presentedViewController());
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->leaderboardDelegate(), &center);
    board->done();
    run(1);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);

    center.showAchievementsWithViewController(*presenter);
    auto* list
        = dynamic_cast<ui::GKAchievementViewController*>(presenter->presentedViewController());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->achievementDelegate(), &center);
    base::Ref<ui::GKAchievementViewController> keep(list);
    list->done();
    run(1);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(keep->achievementDelegate(), nullptr);

    // A screen still up when the manager goes no longer points at it.
    center.showLeaderboardWithViewController(*presenter);
    base::Ref<ui::GKLeaderboardViewController> open(
        dynamic_cast<ui::GKLeaderboardViewController*>(presenter->presentedViewController()));
    ASSERT_TRUE(open);
    GameCenter::releaseManager();
    EXPECT_EQ(open->leaderboardDelegate(), nullptr);
    open->done();
}

}
}
