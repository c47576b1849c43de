#include "ProgressionFixture.hpp"

#include <game/progression/AchievementSystem.hpp>
#include <game/progression/GameCenter.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameCenterIDManager.hpp>
#include <game/shell/GameGlobals.hpp>
#include <graphics/Font.hpp>
#include <support/LogCapture.hpp>
#include <ui/Label.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

namespace test {
namespace {

using game::AchievementSystem;
using game::GameCenterIDManager;

class AchievementSystemTest : public ProgressionFixture {
protected:
    static AchievementSystem& book() { return AchievementSystem::sharedManager(); }
    static float percentOf(int number) {
        auto* record = book().getAchievementWithID(GameCenterIDManager::getAchievementID(number));
        return record ? record->percent() : -1;
    }
    // Banners shown or waiting.
    static std::size_t banners() {
        return book().achievementMessageQueue().size()
            + (book().isShowingAchievementMessage() ? 1 : 0);
    }
    // The numbers of the complete achievements.
    static std::set<int> completed() {
        std::set<int> numbers;
        for (int n = 0; n < GameCenterIDManager::achievementCount; ++n) {
            if (percentOf(n) >= 100)
                numbers.insert(n);
        }
        return numbers;
    }
    // A controller whose 480 x 320 view is in a window, to carry banners.
    base::Ref<ui::ViewController> makeParent() {
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
        auto parent = ui::ViewController::create();
        parent->view()->setFrame({{0, 0}, {480, 320}});
        window->addSubview(base::Ref<ui::View>(parent->view()));
        return parent;
    }
    // The banner's centre as drawn now.
    static float bannerY() { return book().achievementMessageView()->presentation().center.y; }

    base::Ref<ui::Window> window;
};

TEST_F(AchievementSystemTest, LoadsTheListInOrderWithTheStoredProgress) {
    game::DataManager::setFloat(37.5f, "ach_100days");
    auto all = book().getAllAchievements();
    ASSERT_EQ(all.size(), 42u);
    EXPECT_EQ(all[0]->achId(), "ach_firstpp");
    EXPECT_EQ(all[0]->title(), "T_ach_firstpp");
    EXPECT_EQ(all[0]->desc(), "D_ach_firstpp");
    EXPECT_EQ(all[0]->picName(), "ach_firstpp.png");
    EXPECT_EQ(all[41]->achId(), "ach_challenge100");
    EXPECT_FLOAT_EQ(percentOf(2), 37.5f);
    EXPECT_FLOAT_EQ(all[2]->cachedPercent(), -1);
    EXPECT_EQ(book().getAchievementWithID("ach_nothing"), nullptr);
}

TEST_F(AchievementSystemTest, ProgressOnlyRisesAndACompletionShowsOneBanner) {
    struct Step {
        char const* id;
        float percent;
        bool answer;
    };
    struct Case {
        char const* name;
        std::vector<Step> steps;
        float stored;
        std::size_t banners;
    } const cases[] = {
        {"50 then 40 keeps 50", {{"ach_50days", 50, false}, {"ach_50days", 40, false}}, 50, 0},
        {"150 stores 100", {{"ach_50days", 150, true}}, 100, 1},
        {"100 twice", {{"ach_50days", 100, true}, {"ach_50days", 100, false}}, 100, 1},
        {"-5 stores nothing", {{"ach_50days", -5, false}}, 0, 0},
        {"not a number", {{"ach_50days", NAN, false}}, 0, 0},
        {"unknown id", {{"ach_nothing", 100, false}}, 0, 0},
        {"rises to 100", {{"ach_50days", 20, false}, {"ach_50days", 100, true}}, 100, 1},
    };
    for (auto const& c : cases) {
        releaseAll();
        game::DataManager::removeAllKey("ach_");
        LogCapture log;
        for (auto const& step : c.steps)
            EXPECT_EQ(book().updateAchievementWithID(step.id, step.percent), step.answer) << c.name;
        EXPECT_FLOAT_EQ(percentOf(1), c.stored) << c.name;
        EXPECT_EQ(banners(), c.banners) << c.name;
        // The store keeps it as text; a new book reads it back.
        releaseAll();
        EXPECT_FLOAT_EQ(percentOf(1), c.stored) << c.name;
        if (std::string(c.name) == "unknown id") {
            EXPECT_TRUE(log.contains("Achievement ID Not Found: ach_nothing"));
            EXPECT_FALSE(game::DataManager::checkHaveKey("ach_"));
        }
    }
    EXPECT_EQ(game::DataManager::getStringForKey("ach_50days"), "100.000000");
}

TEST_F(AchievementSystemTest, TheLastLevelNeedsTheCapOrTwentyWhicheverIsHigher) {
    struct Case {
        int cap;
        int level;
        bool earned;
    } const cases[] = {
        {15, 19, false},
        {15, 20, true},
        {25, 24, false},
        {25, 25, true},
        {0, 20, true},
        {20, 19, false},
    };
    for (auto const& c : cases) {
        releaseAll();
        game::DataManager::removeAllKey("ach_");
        auto& globals = game::GameGlobals::shared();
        globals.levelCap = c.cap;
        globals.shopLevel = c.level;
        book().checkUpdateAchievementsFromCurrentGame();
        EXPECT_EQ(percentOf(11) == 100, c.earned) << c.cap << " " << c.level;
    }
}

TEST_F(AchievementSystemTest, ThePeriodicCheckEarnsWhatTheRunningTotalsReach) {
    struct Case {
        char const* name;
        void (*set)(game::GameGlobals&);
        std::set<int> earned;
    } const cases[] = {
        {"nothing yet", [](auto&) {}, {}},
        {"a Vov Azavuz", [](auto& g) { g.petPoints = 1; }, {0}},
        {"day 49", [](auto& g) { g.day = 49; }, {}},
        {"day 50", [](auto& g) { g.day = 50; }, {1}},
        {"day 200", [](auto& g) { g.day = 200; }, {1, 2, 3}},
        {"satisfaction 99.9", [](auto& g) { g.satisfaction = 99.9f; }, {}},
        {"satisfaction 500", [](auto& g) { g.satisfaction = 500; }, {4, 5}},
        {"satisfaction 999", [](auto& g) { g.satisfaction = 999; }, {4, 5, 6}},
        {"2500 customers", [](auto& g) { g.customerOverall = 2500; }, {7}},
        {"10000 customers", [](auto& g) { g.customerOverall = 10000; }, {7, 8, 9}},
        {"level 5", [](auto& g) { g.shopLevel = 5; }, {10}},
        {"level 20", [](auto& g) { g.shopLevel = 20; }, {10, 11}},
        {"the president came", [](auto& g) { g.prezVisitCount = 1; }, {15}},
        {"the rich lady came", [](auto& g) { g.richLadyVisitCount = 1; }, {15}},
        {"end-of-day totals are not periodic",
            [](auto& g) {
                g.customerToday = 100;
                g.customerIncome = 20000;
                g.money = 100000;
            },
            {}},
    };
    for (auto const& c : cases) {
        releaseAll();
        game::DataManager::removeAllKey("ach_");
        game::GameGlobals::reset();
        c.set(game::GameGlobals::shared());
        book().checkUpdateAchievementsFromCurrentGame();
        EXPECT_EQ(completed(), c.earned) << c.name;
    }
}

TEST_F(AchievementSystemTest, ARefusedThenGrantedSignInSyncsEveryAchievementBegun) {
    game::DataManager::setFloat(100, "ach_50days");
    game::DataManager::setFloat(40, "ach_firstpp");
    service().script().refuseAuthentications = 1;
    book();
    run();
    EXPECT_FALSE(service().isAuthenticated());
    EXPECT_TRUE(requestsStartingWith("achievement").empty());
    game::GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    EXPECT_EQ(requestsStartingWith("achievement"),
        (std::vector<std::string> {"achievement ach_firstpp 40", "achievement ach_50days 100"}));
    EXPECT_DOUBLE_EQ(service().achievementPercent("ach_50days"), 100);
    EXPECT_DOUBLE_EQ(service().achievementPercent("ach_firstpp"), 40);
    // The cache now holds them: another sync sends nothing.
    book().syncAllAchievementsWithGameCenter();
    EXPECT_EQ(requestsStartingWith("achievement").size(), 2u);
}

TEST_F(AchievementSystemTest, ALogoutAndANewLoginSendEverythingAgain) {
    signIn();
    book().updateAchievementWithID("ach_firstpp", 100);
    book().updateAchievementWithID("ach_50days", 30);
    run();
    EXPECT_EQ(requestsStartingWith("achievement").size(), 2u);
    service().logout();
    run();
    EXPECT_FLOAT_EQ(book().getAchievementWithID("ach_firstpp")->cachedPercent(), -1);
    // Offline or signed out, progress stays on the device only.
    book().updateAchievementWithID("ach_50days", 60);
    EXPECT_EQ(requestsStartingWith("achievement").size(), 2u);
    service().changePlayer("G:2");
    run();
    game::GameCenter::sharedManager().authenticateLocalPlayer();
    run();
    // Signed in as G:2 already: the next sign-in request is not needed, so sync by hand
    // as the book does after a successful one.
    book().syncAllAchievementsWithGameCenter();
    run();
    EXPECT_EQ(requestsStartingWith("achievement"),
        (std::vector<std::string> {"achievement ach_firstpp 100", "achievement ach_50days 30",
            "achievement ach_firstpp 100", "achievement ach_50days 60"}));
    EXPECT_DOUBLE_EQ(service().achievementPercent("ach_50days"), 60);
}

TEST_F(AchievementSystemTest, ARisingAchievementIsReportedOnlyWhenSignedInAndOnline) {
    setOnline(false);
    signIn();
    book().updateAchievementWithID("ach_50days", 30);
    EXPECT_TRUE(requestsStartingWith("achievement").empty());
    setOnline(true);
    book().updateAchievementWithID("ach_50days", 50);
    run();
    EXPECT_EQ(requestsStartingWith("achievement"),
        (std::vector<std::string> {"achievement ach_50days 50"}));
    service().script().present = false;
    book().updateAchievementWithID("ach_50days", 70);
    EXPECT_EQ(requestsStartingWith("achievement").size(), 1u);
}

TEST_F(AchievementSystemTest, TheBannerTextTakesTheTitleAsAnArgumentNeverAsAFormat) {
    book().updateAchievementWithID("ach_firstpp", 100);
    book().updateAchievementWithID("ach_50days", 100);
    book().updateAchievementWithID("ach_theme", 100);
    EXPECT_EQ(book().achievementMessageQueue(),
        (std::deque<std::string> {
            "Unlocked: First Treasure", "Unlocked: Fifty %d%n %s days", "Unlocked: "}));
}

TEST_F(AchievementSystemTest, ThreeBannersRunOneAfterAnotherInTwoAndAHalfSecondsEach) {
    auto parent = makeParent();
    book().setParentViewControllerForAchievementMessage(parent.get());
    auto* banner = book().achievementMessageView();
    EXPECT_EQ(banner->bounds().size.width, 380);
    EXPECT_EQ(banner->bounds().size.height, 27);
    EXPECT_FALSE(banner->isUserInteractionEnabled());
    EXPECT_TRUE(banner->clipsToBounds());
    EXPECT_EQ(book().achievementMessageLabel()->font()->pointSize(), 14);
    EXPECT_EQ(book().achievementMessageLabel()->minimumFontSize(), 10);

    book().updateAchievementWithID("ach_firstpp", 100);
    book().updateAchievementWithID("ach_50days", 100);
    book().updateAchievementWithID("ach_100days", 100);
    ASSERT_TRUE(book().isShowingAchievementMessage());
    EXPECT_EQ(book().achievementMessageQueue().size(), 2u);
    char const* texts[]
        = {"Unlocked: First Treasure", "Unlocked: Fifty %d%n %s days", "Unlocked: T_ach_100days"};
    float const below = 320 + 13.5f;
    float const shown = 320 - 13.5f;
    for (auto const* text : texts) {
        EXPECT_EQ(banner->superview(), parent->view()) << text;
        EXPECT_EQ(book().achievementMessageLabel()->text(), text);
        EXPECT_FLOAT_EQ(banner->center().x, 240);
        EXPECT_NEAR(bannerY(), below, 0.1) << text;
        run(0.24);
        EXPECT_LT(bannerY(), below - 1) << text;
        EXPECT_GT(bannerY(), shown + 1) << text;
        run(0.3);
        EXPECT_NEAR(bannerY(), shown, 0.1) << text;
        run(1.9);
        EXPECT_NEAR(bannerY(), shown, 0.1) << text << " still";
        run(0.3);
        EXPECT_GT(bannerY(), shown + 1) << text << " leaving";
        // 3 s after it came (and a little): the next one starts from below.
        run(0.27);
    }
    EXPECT_FALSE(book().isShowingAchievementMessage());
    EXPECT_EQ(banner->superview(), nullptr);
}

TEST_F(AchievementSystemTest, BannersQueuedBeforeTheParentShowOnceItIsSet) {
    book().updateAchievementWithID("ach_firstpp", 100);
    EXPECT_FALSE(book().isShowingAchievementMessage());
    EXPECT_EQ(book().achievementMessageQueue().size(), 1u);
    auto parent = makeParent();
    book().setParentViewControllerForAchievementMessage(parent.get());
    EXPECT_TRUE(book().isShowingAchievementMessage());
    EXPECT_EQ(book().achievementMessageView()->superview(), parent->view());
    EXPECT_EQ(book().achievementMessageLabel()->text(), "Unlocked: First Treasure");
    run(3.1);
    EXPECT_FALSE(book().isShowingAchievementMessage());
    EXPECT_TRUE(book().achievementMessageQueue().empty());
}

TEST_F(AchievementSystemTest, AParentThatGoesAwayKeepsTheRestWaiting) {
    auto parent = makeParent();
    book().setParentViewControllerForAchievementMessage(parent.get());
    book().updateAchievementWithID("ach_firstpp", 100);
    book().updateAchievementWithID("ach_50days", 100);
    parent->view()->removeFromSuperview();
    parent = nullptr;
    run(3.1);
    EXPECT_FALSE(book().isShowingAchievementMessage());
    EXPECT_EQ(book().achievementMessageQueue().size(), 1u);
}

TEST_F(AchievementSystemTest, WithoutItsListTheBookIsEmptyAndSaysSo) {
    std::filesystem::remove(sandbox / "bundle/Achievements.plist");
    LogCapture log;
    EXPECT_TRUE(book().getAllAchievements().empty());
    EXPECT_FALSE(book().updateAchievementWithID("ach_firstpp", 100));
    book().addAchievementUnlockedMessage("ach_firstpp");
    EXPECT_EQ(banners(), 0u);
    EXPECT_TRUE(log.contains("Achievement ID Not Found: ach_firstpp"));
}

TEST_F(AchievementSystemTest, TheBookLeavesTheGameServiceWhenReleased) {
    book();
    EXPECT_EQ(game::GameCenter::sharedManager().delegateCount(), 1u);
    AchievementSystem::releaseManager();
    EXPECT_EQ(game::GameCenter::sharedManager().delegateCount(), 0u);
    service().script().present = false;
    book();
    EXPECT_EQ(game::GameCenter::sharedManager().delegateCount(), 0u);
}

}
}
