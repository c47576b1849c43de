#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/Perform.hpp>
#include <foundation/Strings.hpp>
#include <foundation/UserDefaults.hpp>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using ads::bountix::BountixConnect;
using ads::bountix::BTXUserAccountManager;
using test::HttpResponse;

namespace {

std::string account(
    int points, std::string const& currency = "Gems", std::string const& pointsID = "pid-1") {
    return "<BountixConnectReturnObject><UserAccountObject><OfferPoints>" + std::to_string(points)
        + "</OfferPoints><CurrencyName>" + currency + "</CurrencyName><PointsID>" + pointsID
        + "</PointsID></UserAccountObject></BountixConnectReturnObject>";
}

class BTXUserAccountManagerTest : public test::BountixTest {
protected:
    BTXUserAccountManagerTest() {
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        BountixConnect::setCurrencyMultiplier(1.0f);
    }

    static BTXUserAccountManager& manager() {
        return BTXUserAccountManager::sharedBTXUserAccountManager();
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }
    // The value of a query parameter of the server's request.
    static std::string parameter(test::HttpRequest const& request, std::string const& key) {
        for (auto const& pair : foundation::componentsSeparatedBy(request.query, "&"))
            if (pair.rfind(key + "=", 0) == 0)
                return pair.substr(key.size() + 1);
        return {};
    }
};

}

TEST_F(BTXUserAccountManagerTest, FirstLaunchUsesTheDefaultCurrencyAndTheUserID) {
    auto* model = manager().userAccountModelObj();
    EXPECT_EQ(model->currencyName(), "Points");
    EXPECT_EQ(model->pointsID(), "install-0001");
    EXPECT_EQ(model->offerPoints(), 0);
    EXPECT_EQ(defaults().stringForKey("BTX_CURRENCY_KEY_NAME"), "Points");
    EXPECT_EQ(defaults().integerForKey("BTX_POINTS_DELTA_KEY_NAME"), 0);
}

TEST_F(BTXUserAccountManagerTest, BalanceSpendAndAwardAnnounceInOrder) {
    primary.route("GET", "/get_vg_store_items/user_account", HttpResponse::text(account(25)));
    primary.route("GET", "/points/spend", HttpResponse::text(account(0)));
    primary.route("GET", "/points/award", HttpResponse::text(account(5)));
    BountixConnect::getOfferPoints();
    EXPECT_TRUE(manager().waitingForResponse());
    ASSERT_TRUE(waitForNotifications(2));
    BountixConnect::spendOfferPoints(25);
    ASSERT_TRUE(waitForNotifications(3));
    BountixConnect::awardOfferPoints(5);
    ASSERT_TRUE(waitForNotifications(5));
    EXPECT_EQ(notifications,
        std::vector<std::string>(
            {"BTX_OFFER_POINTS_EARNED_NOTIFICATION 25", "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION 25",
                "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION 0",
                "BTX_OFFER_POINTS_EARNED_NOTIFICATION 5",
                "BTX_AWARD_OFFER_POINTS_RESPONSE_NOTIFICATION 5"}));
    EXPECT_FALSE(manager().waitingForResponse());
    EXPECT_EQ(defaults().stringForKey("BTX_POINTS_KEY_NAME"), "5");
    EXPECT_EQ(defaults().stringForKey("BTX_POINT_ID_KEY_NAME"), "pid-1");
    EXPECT_EQ(defaults().stringForKey("BTX_CURRENCY_KEY_NAME"), "Gems");
    EXPECT_EQ(defaults().integerForKey("BTX_POINTS_DELTA_KEY_NAME"), 5);

    auto requests = primary.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(parameter(requests[0], "publisher_user_id"), "install-0001");
    EXPECT_EQ(parameter(requests[1], "offer_points"), "25");
    auto const& award = requests[2];
    EXPECT_EQ(parameter(award, "offer_points"), "5");
    auto guid = parameter(award, "guid");
    EXPECT_EQ(guid.size(), 36u);
    EXPECT_EQ(parameter(award, "timestamp"), TimeStamp);
    EXPECT_EQ(parameter(award, "verifier"),
        BountixConnect::BTXSHA256CommonParamsWithTimeStamp(TimeStamp, 5, guid));
}

TEST_F(BTXUserAccountManagerTest, ASpendStartedInsideTheBalanceHandlerIsRefused) {
    primary.route("GET", "/get_vg_store_items/user_account", HttpResponse::text(account(12)));
    primary.route("GET", "/points/spend", HttpResponse::text(account(0)));
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION", [&](foundation::Notification const&) {
            BountixConnect::spendOfferPoints(12);
            // One run-loop turn later the account is free again.
            foundation::performAfterDelay(
                nullptr, [] { BountixConnect::spendOfferPoints(12); }, 0);
        });
    BountixConnect::getOfferPoints();
    ASSERT_TRUE(waitForNotifications(4));
    EXPECT_EQ(notifications,
        std::vector<std::string>(
            {"BTX_OFFER_POINTS_EARNED_NOTIFICATION 12", "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION 12",
                "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR",
                "BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION 0"}));
    EXPECT_EQ(primary.requestCount(), 2u);
}

TEST_F(BTXUserAccountManagerTest, FailedRequestsAnnounceTheirErrorAndLeaveTheModel) {
    struct Case {
        char const* name;
        HttpResponse answer;
    };
    Case const cases[] {
        {"refused",
            HttpResponse::text("<BountixConnectReturnObject><ErrorMessage>no funds"
                               "</ErrorMessage></BountixConnectReturnObject>")},
        {"no account", HttpResponse::text("<BountixConnectReturnObject/>")},
        {"server error", HttpResponse::text(account(99), 500)},
        {"foreign", HttpResponse::text("<html>down</html>")},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        notifications.clear();
        primary.route("GET", "/points/spend", c.answer);
        BountixConnect::spendOfferPoints(10);
        ASSERT_TRUE(waitForNotifications(1));
        EXPECT_EQ(notifications,
            std::vector<std::string>({"BTX_SPEND_OFFER_POINTS_RESPONSE_NOTIFICATION_ERROR"}));
        EXPECT_FALSE(manager().waitingForResponse());
        EXPECT_EQ(manager().userAccountModelObj()->offerPoints(), 0);
    }
}

TEST_F(BTXUserAccountManagerTest, ModelUpdatesKeepWhatTheReplyLacks) {
    primary.route("GET", "/get_vg_store_items/user_account", HttpResponse::text(account(40)));
    BountixConnect::getOfferPoints();
    ASSERT_TRUE(waitForNotifications(2));
    // A lower balance, an empty currency name and an empty points id.
    notifications.clear();
    primary.route(
        "GET", "/get_vg_store_items/user_account", HttpResponse::text(account(15, "", "")));
    BountixConnect::getOfferPoints();
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(
        notifications, std::vector<std::string>({"BTX_OFFER_POINTS_RESPONSE_NOTIFICATION 15"}));
    auto* model = manager().userAccountModelObj();
    EXPECT_EQ(model->currencyName(), "Gems");
    EXPECT_EQ(model->pointsID(), "pid-1");
    EXPECT_EQ(defaults().integerForKey("BTX_POINTS_DELTA_KEY_NAME"), 40);
    // A new launch compares against the stored balance.
    BTXUserAccountManager::resetShared();
    EXPECT_EQ(manager().userAccountModelObj()->offerPoints(), 15);
    EXPECT_EQ(manager().userAccountModelObj()->currencyName(), "Gems");
    EXPECT_EQ(defaults().integerForKey("BTX_POINTS_DELTA_KEY_NAME"), 0);
}

TEST_F(BTXUserAccountManagerTest, StartUpConnectAsksForTheBalance) {
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    primary.route("GET", "/get_vg_store_items/user_account", HttpResponse::text(account(3)));
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(3));
    std::sort(notifications.begin(), notifications.end());
    EXPECT_EQ(notifications,
        std::vector<std::string>({"BTX_Connect_Success", "BTX_OFFER_POINTS_EARNED_NOTIFICATION 3",
            "BTX_OFFER_POINTS_RESPONSE_NOTIFICATION 3"}));
}
