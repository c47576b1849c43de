#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXHardware.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>

using ads::bountix::BountixConnect;
using ads::bountix::BTXParameters;
using test::HttpResponse;

namespace {

class BountixConnectTest : public test::BountixTest {
protected:
    // The points account's balance requests are left out here.
    BountixConnectTest() {
        BountixConnect::setBalanceRequester([] {});
    }

    static std::string const& verifier() {
        static std::string const known
            = "0f33cfad5aab530a64c5568c4da089c9688b288a219c8625cdf1b65d3d364c6b";
        return known;
    }
};

std::string const success = "BTX_Connect_Success";
std::string const failed = "BTX_Connect_Failed";

}

TEST_F(BountixConnectTest, StartUpConnectSendsTheGenericParametersInOrder) {
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(notifications, std::vector<std::string>({success}));
    auto requests = primary.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target,
        "/connect?udid=install-0001&device_type=iPhone&os_version=4.3.1"
        "&app_id=0b3e5a2c-1f00-4c7e-9a51-2d6c8e4f7a10&library_version=8.1.0&country_code=FR"
        "&language_code=fr&timestamp=1767225600&verifier="
            + verifier() + "&display_multiplier=1.000000&platform=iOS&device_name="
            + ads::bountix::BTXHardware::platform() + "&connection_type=wifi");
    EXPECT_EQ(fallback.requestCount(), 0u);
    EXPECT_EQ(BountixConnect::getUserID(), "install-0001");
    EXPECT_TRUE(BountixConnect::sharedBountixConnect().isInitialConnect());
}

TEST_F(BountixConnectTest, EachRequestEndsInOneNotificationByItsStatus) {
    struct Case {
        char const* name;
        HttpResponse primaryAnswer;
        HttpResponse fallbackAnswer;
        std::string notification;
        std::size_t primaryRequests;
        std::size_t fallbackRequests;
    };
    HttpResponse late = HttpResponse::text("<late/>");
    late.delay = 5;
    Case const cases[] {
        {"200", HttpResponse::text("<ok/>"), HttpResponse::text("<ok/>"), success, 1, 0},
        {"302", HttpResponse::redirect(302, "/elsewhere"), HttpResponse::text("<ok/>"), success, 1,
            0},
        {"500", HttpResponse::text("oops", 500), HttpResponse::text("<ok/>"), failed, 1, 0},
        {"404", HttpResponse::text("none", 404), HttpResponse::text("<ok/>"), failed, 1, 0},
        {"dropped then answered", HttpResponse::dropped(), HttpResponse::text("<ok/>"), success, 1,
            1},
        {"dropped twice", HttpResponse::dropped(), HttpResponse::dropped(), failed, 1, 1},
        {"dropped then 500", HttpResponse::dropped(), HttpResponse::text("oops", 503), failed, 1,
            1},
        {"timed out twice", late, late, failed, 1, 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        // New servers each time, so no connection is reused from the case before.
        BountixConnect::resetShared();
        BountixConnect::setBalanceRequester([] {});
        notifications.clear();
        test::LoopbackServer first {test::LoopbackServer::Tls::Trusted};
        test::LoopbackServer second {test::LoopbackServer::Tls::Trusted};
        auto configuration = ads::bountix::BTXConfiguration::current();
        configuration.primaryHost = first.baseURL();
        configuration.fallbackHost = second.baseURL();
        ads::bountix::BTXConfiguration::setUp(configuration);
        first.route("GET", "/connect", c.primaryAnswer);
        second.route("GET", "/connect", c.fallbackAnswer);
        BountixConnect::requestBountixConnect(AppID, SecretKey);
        ASSERT_TRUE(waitForNotifications(1));
        EXPECT_EQ(notifications, std::vector<std::string>({c.notification}));
        EXPECT_EQ(first.requestCount(), c.primaryRequests);
        EXPECT_EQ(second.requestCount(), c.fallbackRequests);
        EXPECT_EQ(BountixConnect::sharedBountixConnect().runningRequests(), 0u);
    }
}

TEST_F(BountixConnectTest, RetryRepeatsTheSameRequestOnTheFallbackHost) {
    primary.route("GET", "/connect", HttpResponse::dropped());
    fallback.route("GET", "/connect", HttpResponse::text("<ok/>"));
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    BountixConnect::actionComplete("ppa-7");
    ASSERT_TRUE(waitForNotifications(2));
    EXPECT_EQ(notifications, std::vector<std::string>({success, success}));
    // The later action goes straight to the fallback host.
    EXPECT_EQ(primary.requestCount(), 1u);
    auto requests = fallback.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].query, primary.requests()[0].query);
    EXPECT_NE(requests[1].query.find("&app_id=ppa-7&"), std::string::npos);
    EXPECT_EQ(BountixConnect::currentBaseURL(), fallback.baseURL() + "/");
}

TEST_F(BountixConnectTest, EveryRequestGetsItsOwnRetry) {
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    // The action's request is the first to fail, long after start-up: it still gets
    // its retry, and carries its own id there.
    primary.route("GET", "/connect", HttpResponse::dropped());
    fallback.route("GET", "/connect", HttpResponse::text("<ok/>"));
    BountixConnect::actionComplete("ppa-9");
    ASSERT_TRUE(waitForNotifications(2));
    EXPECT_EQ(notifications, std::vector<std::string>({success, success}));
    auto requests = fallback.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].query.find("&app_id=ppa-9&"), std::string::npos);
}

TEST_F(BountixConnectTest, PayPerActionKeepsTheApplicationsVerifier) {
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
    BountixConnect::setCurrencyMultiplier(1.0f);
    BountixConnect::actionComplete("8d1c9f0e-0000-4000-8000-00000000abcd");
    ASSERT_TRUE(waitForNotifications(1));
    auto query = primary.requests().at(0).query;
    EXPECT_NE(query.find("&app_id=8d1c9f0e-0000-4000-8000-00000000abcd&"), std::string::npos);
    EXPECT_NE(query.find("&verifier=" + verifier() + "&"), std::string::npos);
}

TEST_F(BountixConnectTest, SetUserIDSendsItsOwnPath) {
    primary.route("GET", "/set_publisher_user_id", HttpResponse::text("<ok/>"));
    BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
    BountixConnect::setUserID("player-1");
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(notifications, std::vector<std::string>({success}));
    EXPECT_EQ(primary.requests().at(0).path, "/set_publisher_user_id");
    EXPECT_EQ(BountixConnect::getUserID(), "player-1");
}

TEST_F(BountixConnectTest, HostsThatAreNotSetFailTheRequest) {
    ads::bountix::BTXConfiguration::reset();
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_EQ(notifications, std::vector<std::string>({failed}));
}

TEST_F(BountixConnectTest, QueryValuesArePercentEncodedAndKeysKept) {
    struct Case {
        char const* value;
        char const* encoded;
    };
    Case const cases[] {
        {"a&b", "a%26b"},
        {"k=v", "k%3Dv"},
        {"a/b?c", "a%2Fb%3Fc"},
        {"1+1#2", "1%2B1%232"},
        {"two words", "two%20words"},
        {"caf\xC3\xA9", "caf%C3%A9"},
        {"!*'();:@$,[]%", "%21%2A%27%28%29%3B%3A%40%24%2C%5B%5D%25"},
        {"safe-._~", "safe-._~"},
        {"", ""},
    };
    for (auto const& c : cases) {
        BTXParameters parameters {{"k&y", c.value}};
        EXPECT_EQ(
            BountixConnect::createQueryStringFromDict(parameters), std::string("k&y=") + c.encoded)
            << c.value;
    }
    EXPECT_EQ(BountixConnect::createQueryStringFromDict(BTXParameters {}), "");
    EXPECT_EQ(BountixConnect::createQueryStringFromDict(BTXParameters {{"b", "2"}, {"a", "1"}}),
        "b=2&a=1");
}

TEST_F(BountixConnectTest, AMissingValueDropsOnlyItsOwnKey) {
    test::LogCapture log;
    // No ids yet and no installation identifier.
    auto configuration = ads::bountix::BTXConfiguration::current();
    configuration.installationIdentifier.clear();
    ads::bountix::BTXConfiguration::setUp(configuration);
    auto keys = BountixConnect::sharedBountixConnect().genericParameters().keys();
    EXPECT_EQ(keys,
        std::vector<std::string>(
            {"device_type", "os_version", "library_version", "country_code", "language_code",
                "timestamp", "display_multiplier", "platform", "device_name", "connection_type"}));
    EXPECT_TRUE(
        log.contains("requestBountixConnect:secretKey: must be called before any other Bountix "
                     "methods!"));
    EXPECT_EQ(BountixConnect::sharedBountixConnect().genericParameters().get("display_multiplier"),
        "0.000000");
}

TEST_F(BountixConnectTest, VerifiersHaveKnownAnswers) {
    BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
    struct Case {
        std::string computed;
        char const* expected;
    };
    Case const cases[] {
        {BountixConnect::BTXSHA256WithString("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {BountixConnect::BTXSHA256CommonParamsWithTimeStamp(TimeStamp),
            "0f33cfad5aab530a64c5568c4da089c9688b288a219c8625cdf1b65d3d364c6b"},
        {BountixConnect::BTXSHA256CommonParamsWithTimeStamp(TimeStamp, 25, "guid-7"),
            "39487781eb9efeecdb59afcefdc81b66984590d86c484606a895ff6a1cbf8f4d"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(c.computed, c.expected);
}

TEST_F(BountixConnectTest, SecretKeyAndVerifierNeverReachTheLog) {
    test::LogCapture log;
    primary.route("GET", "/connect", HttpResponse::dropped());
    fallback.route("GET", "/connect", HttpResponse::text("oops", 500));
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    EXPECT_FALSE(log.lines().empty());
    for (auto const& line : log.lines()) {
        EXPECT_EQ(line.find(SecretKey), std::string::npos) << line;
        EXPECT_EQ(line.find(verifier()), std::string::npos) << line;
    }
}

TEST_F(BountixConnectTest, ResumeConnectsAgainOnlyAfterTheFirstTime) {
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    int balanceRequests = 0;
    BountixConnect::setBalanceRequester([&] { ++balanceRequests; });
    BountixConnect::requestBountixConnect(AppID, SecretKey);
    ASSERT_TRUE(waitForNotifications(1));
    BountixConnect::deviceNotificationReceived();
    EXPECT_FALSE(BountixConnect::sharedBountixConnect().isInitialConnect());
    BountixConnect::deviceNotificationReceived();
    ASSERT_TRUE(waitForNotifications(2));
    EXPECT_EQ(primary.requestCount(), 2u);
    EXPECT_EQ(balanceRequests, 3);
}

TEST(BountixConnectUUID, IsLowerCaseVersionFour) {
    auto uuid = BountixConnect::generateUUID();
    ASSERT_EQ(uuid.size(), 36u);
    EXPECT_EQ(uuid[14], '4');
    EXPECT_NE(std::string("89ab").find(uuid[19]), std::string::npos);
    for (char c : uuid)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-') << uuid;
    EXPECT_NE(BountixConnect::generateUUID(), uuid);
}
