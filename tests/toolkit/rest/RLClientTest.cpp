// The client's shared instance, base URL and reachability observer.

#include "RestFixture.hpp"

using namespace toolkit::rest;

namespace {

class RLClientTest : public test::RestTest { };

}

TEST_F(RLClientTest, TheFirstClientMadeWithABaseURLStaysTheSharedOne) {
    EXPECT_FALSE(RLClient::sharedClient());
    auto first = RLClient::clientWithBaseURL("http://127.0.0.1:1");
    auto second = RLClient::clientWithBaseURL("http://127.0.0.1:2", "u", "p");
    EXPECT_EQ(RLClient::sharedClient(), first);
    EXPECT_EQ(second->username(), "u");
    EXPECT_EQ(second->password(), "p");
    RLClient::setSharedClient(second);
    EXPECT_EQ(RLClient::sharedClient(), second);
    EXPECT_EQ(first->URLPathForResourcePath("/a"), "http://127.0.0.1:1/a");
    auto query = base::Dictionary::create();
    query->setObject("q", "a b");
    EXPECT_EQ(
        first->URLForResourcePath("/s", *query)->absoluteString(), "http://127.0.0.1:1/s?q=a%20b");
}

TEST_F(RLClientTest, AnObserversStatusIsUnknownUntilAReportUnlessItsHostIsAnIPv4Address) {
    auto named = RLClient::create();
    named->setBaseURL("http://localhost:9");
    ASSERT_TRUE(named->baseURLReachabilityObserver());
    EXPECT_EQ(named->baseURLReachabilityObserver()->networkStatus(), RLNetworkStatusNotDetermined);
    EXPECT_TRUE(named->baseURLReachabilityObserver()->isNetworkReachable());
    EXPECT_TRUE(named->isNetworkAvailable());

    auto numbered = RLClient::create();
    numbered->setBaseURL("http://127.0.0.1:9");
    ASSERT_TRUE(numbered->baseURLReachabilityObserver());
    EXPECT_NE(
        numbered->baseURLReachabilityObserver()->networkStatus(), RLNetworkStatusNotDetermined);
    EXPECT_TRUE(RLReachabilityObserver::reachabilityDetermined());

    // A report for the named host is posted with its observer.
    bool heard = false;
    auto* observer = named->baseURLReachabilityObserver().get();
    tokens.push_back(foundation::NotificationCenter::defaultCenter().observe(
        RLReachabilityStateChangedNotification, [&](auto const&) { heard = true; }, observer));
    ASSERT_TRUE(runUntil([&] { return heard; }));
}

TEST_F(RLClientTest, ABaseURLWithoutAHostHasNoObserverAndReplacingItReplacesTheObserver) {
    auto client = RLClient::create();
    EXPECT_FALSE(client->baseURLReachabilityObserver());
    client->setBaseURL("not a url");
    EXPECT_FALSE(client->baseURLReachabilityObserver());
    EXPECT_FALSE(client->URLForResourcePath("/x"));
    client->setBaseURL("http://127.0.0.1:9");
    auto first = client->baseURLReachabilityObserver();
    ASSERT_TRUE(first);
    client->setBaseURL("http://127.0.0.2:9");
    EXPECT_NE(client->baseURLReachabilityObserver(), first);
    EXPECT_EQ(client->baseURLReachabilityObserver()->reachabilityRef().target(), "127.0.0.2");
    client->setBaseURL(std::nullopt);
    EXPECT_FALSE(client->baseURLReachabilityObserver());
}
