// The daily bonus of wheel tokens against a loopback game server's clock: the days
// counted, the bonus granted by a loaded wheel, the check registered once, and no
// bonus without a server date.

#include "WheelFixture.hpp"

#include <foundation/DateFormatter.hpp>
#include <foundation/Dates.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/Base64.hpp>
#include <game/progression/NetworkTime.hpp>
#include <game/shell/ServerConfig.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

namespace test {
namespace {

using game::LuckyWheelViewController;
using game::NetworkTime;

constexpr double day = 86400;
constexpr char const* serverTime = "2012-03-10 12:00:00";

class LuckyWheelBonusTest : public WheelFixture {
protected:
    LuckyWheelBonusTest() {
        NetworkTime::releaseManager();
        setenv(game::ServerConfig::gameServerHostVariable,
            ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);
        serve(serverTime);
        observation = foundation::NotificationCenter::defaultCenter().observe(
            LuckyWheelViewController::DailyBonusDidReceiveNotification,
            [this](foundation::Notification const& notification) {
                auto info = notification.userInfo().dictionaryRef();
                if (!info)
                    info = base::Dictionary::create();
                posts.push_back({info->objectForKey("LuckyWheelDailyBonusDay_Key").intValue(),
                    info->objectForKey("LuckyWheelDailyBonusCredit_Key").intValue(),
                    ui::Application::sharedApplication().applicationIconBadgeNumber()});
            });
    }
    ~LuckyWheelBonusTest() override {
        waitForFetches();
        unsetenv(game::ServerConfig::gameServerHostVariable);
        NetworkTime::releaseManager();
    }

    void serve(std::string const& text) {
        server.route("GET", "/time.php", HttpResponse::text(game::encodeBase64(text), 200));
    }
    static bool waitForFetches() {
        return foundation::RunLoop::main().runUntil(
            [] { return NetworkTime::sharedManager().fetchesInFlight() == 0; }, 10);
    }
    void check() {
        LuckyWheelViewController::checkDailyBonus();
        ASSERT_TRUE(waitForFetches());
    }
    static double now() {
        return foundation::DateFormatter("yyyy-MM-dd HH:mm:ss").dateFromString(serverTime)->seconds;
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    static int badge() { return ui::Application::sharedApplication().applicationIconBadgeNumber(); }

    struct Post {
        int days;
        int tokens;
        int badge;
    };

    LoopbackServer server;
    foundation::ObservationToken observation;
    std::vector<Post> posts;
};

}

TEST_F(LuckyWheelBonusTest, WholeDaysOnTheServersClockAreGrantedUpToFive) {
    struct Case {
        char const* name;
        double sinceLastBonus;
        int days;
        double movedBy;
    };
    Case const cases[] = {
        {"3 days 5 hours", 3 * day + 5 * 3600, 3, 3 * day},
        {"9 days", 9 * day, 5, 9 * day},
        {"23 hours 59 minutes", day - 60, 0, 0},
        {"a day less a second", day - 1, 0, 0},
    };
    for (auto const& c : cases) {
        posts.clear();
        services.events.clear();
        defaults().setInteger(0, "credit");
        double last = now() - c.sinceLastBonus;
        LuckyWheelViewController::setLastBonusTime(last);
        auto wheel = loadedWheel();
        check();
        if (c.days == 0) {
            EXPECT_TRUE(posts.empty()) << c.name;
        } else {
            ASSERT_EQ(posts.size(), 1u) << c.name;
            EXPECT_EQ(posts[0].days, c.days) << c.name;
            EXPECT_EQ(posts[0].tokens, c.days) << c.name;
            EXPECT_EQ(posts[0].badge, c.days) << c.name;
            ASSERT_EQ(services.events.size(), 1u) << c.name;
            EXPECT_EQ(services.events[0], "Wheel Bonus Earned=" + std::to_string(c.days));
        }
        // The wheel granted what was due: the part of a day already run carries over.
        EXPECT_EQ(wheel->getCredit(), c.days) << c.name;
        EXPECT_EQ(wheel->iCreditLabel()->text(), std::to_string(c.days)) << c.name;
        EXPECT_EQ(LuckyWheelViewController::getLastBonusTime(), last + c.movedBy) << c.name;
        EXPECT_EQ(badge(), 0) << c.name;
        EXPECT_NEAR(
            LuckyWheelViewController::localTimeDifferent(), now() - foundation::now().seconds, 1)
            << c.name;
    }
    EXPECT_EQ(defaults().integerForKey("WHEEL_TRACKING_BONUS_KEY"), 3 + 5);
}

TEST_F(LuckyWheelBonusTest, TheFirstCheckEverFindsOneDayAndStartsTheCount) {
    auto wheel = loadedWheel();
    check();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].days, 1);
    EXPECT_EQ(wheel->getCredit(), 1);
    EXPECT_EQ(LuckyWheelViewController::getLastBonusTime(), now() - 1);
    check();
    EXPECT_EQ(posts.size(), 1u);
}

TEST_F(LuckyWheelBonusTest, WithoutAServerDateNothingIsCountedOrGranted) {
    server.route("GET", "/time.php", HttpResponse::text("<html>Server error</html>", 500));
    auto wheel = loadedWheel();
    check();
    EXPECT_FALSE(NetworkTime::cachedDate());
    EXPECT_TRUE(posts.empty());
    EXPECT_TRUE(defaults().objectForKey("WHEEL_LASTBONUSTIME_KEY").isNull());

    // A bonus announced by someone else is not paid either.
    foundation::NotificationCenter::defaultCenter().postNotification(
        LuckyWheelViewController::DailyBonusDidReceiveNotification);
    posts.clear();
    EXPECT_EQ(wheel->getCredit(), 0);
    EXPECT_TRUE(defaults().objectForKey("WHEEL_LASTBONUSTIME_KEY").isNull());
    EXPECT_TRUE(services.events.empty());
}

TEST_F(LuckyWheelBonusTest, ChecksWaitingTogetherAreAnsweredOnce) {
    LuckyWheelViewController::setLastBonusTime(now() - 2 * day);
    LuckyWheelViewController::checkDailyBonus();
    LuckyWheelViewController::checkDailyBonus();
    ASSERT_TRUE(waitForFetches());
    EXPECT_EQ(server.requestCount(), 2u);
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].days, 2);
    EXPECT_FALSE(LuckyWheelViewController::isObservingServerTime());
}

TEST_F(LuckyWheelBonusTest, OfflineTheCheckWaitsForTheNextFetch) {
    LuckyWheelViewController::setLastBonusTime(now() - 2 * day);
    setOnline(false);
    auto wheel = loadedWheel();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].title, "Daily Bonus");
    EXPECT_EQ(alerts.alerts[0].message, "Internet connection is required to earn daily bonus.");
    check();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(LuckyWheelViewController::isObservingServerTime());

    setOnline(true);
    NetworkTime::getServerTime();
    ASSERT_TRUE(waitForFetches());
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(wheel->getCredit(), 2);
}

TEST_F(LuckyWheelBonusTest, TheWheelChecksWhenItAppearsAndStopsListeningWhenItGoes) {
    LuckyWheelViewController::setLastBonusTime(now() - 2 * day);
    auto wheel = loadedWheel();
    wheel->viewWillAppear(false);
    EXPECT_TRUE(wheel->hasUpdateTimer());
    EXPECT_TRUE(wheel->iWheelLightImageView()->isAnimating());
    wheel->viewDidAppear(false);
    ASSERT_TRUE(waitForFetches());
    EXPECT_EQ(wheel->getCredit(), 2);

    wheel->viewWillDisappear(false);
    wheel->viewDidDisappear(false);
    EXPECT_FALSE(wheel->hasUpdateTimer());
    EXPECT_FALSE(wheel->iWheelLightImageView()->isAnimating());
    LuckyWheelViewController::setLastBonusTime(now() - 2 * day);
    check();
    EXPECT_EQ(posts.size(), 2u);
    EXPECT_EQ(wheel->getCredit(), 2);
}

}
