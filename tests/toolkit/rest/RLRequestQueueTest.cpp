// The shared request queue: its limit, its wait for a network status, suspension,
// cancelling and the activity indicator.

#include "RestFixture.hpp"

#include <toolkit/rest/RLError.hpp>

#include <foundation/Clock.hpp>

using namespace toolkit::rest;
using test::HttpResponse;
using test::LoopbackServer;
using test::RequestLog;
namespace Flags = foundation::ReachabilityFlags;

namespace {

// Writes down what the queue tells, by the request's resource path.
class QueueLog : public RLRequestQueueDelegate {
public:
    void requestQueueWasSuspended(RLRequestQueue&) override { add("suspended"); }
    void requestQueueWasUnsuspended(RLRequestQueue&) override { add("unsuspended"); }
    void requestQueueDidBeginLoading(RLRequestQueue&) override { add("begin"); }
    void requestQueueDidFinishLoading(RLRequestQueue&) override { add("finish"); }
    void requestQueueWillSendRequest(RLRequestQueue&, RLRequest& request) override {
        add("send " + request.resourcePath().value_or("?"));
    }
    void requestQueueDidLoadResponse(RLRequestQueue&, RLResponse& response) override {
        add("done " + response.request()->resourcePath().value_or("?"));
    }
    void requestQueueDidFailRequest(
        RLRequestQueue&, RLRequest& request, foundation::URLError const& error) override {
        add("failed " + request.resourcePath().value_or("?") + " " + std::to_string(error.code));
    }
    void requestQueueDidCancelRequest(RLRequestQueue&, RLRequest& request) override {
        add("cancelled " + request.resourcePath().value_or("?"));
    }

    void add(std::string event) { events.push_back(std::move(event)); }
    std::size_t count(std::string const& prefix) const {
        return std::size_t(std::count_if(events.begin(), events.end(),
            [&](auto const& event) { return event.starts_with(prefix); }));
    }
    std::ptrdiff_t indexOf(std::string const& event) const {
        auto found = std::find(events.begin(), events.end(), event);
        return found == events.end() ? -1 : found - events.begin();
    }

    std::vector<std::string> events;
};

class RLRequestQueueTest : public test::RestTest {
protected:
    RLRequestQueueTest() { queue().setDelegate(&log); }
    ~RLRequestQueueTest() override { queue().setDelegate(nullptr); }

    static RLRequestQueue& queue() { return RLRequestQueue::sharedQueue(); }

    // Routes /r0 ... /rN-1, each held until its gate opens.
    void routeHeld(LoopbackServer& server, int count) {
        for (int i = 0; i < count; ++i) {
            gates.push_back(std::make_shared<test::Gate>());
            HttpResponse held = HttpResponse::text("");
            held.pieces = {{"r" + std::to_string(i), 0, gates.back()}};
            server.route("GET", "/r" + std::to_string(i), held);
        }
    }

    QueueLog log;
    std::vector<std::shared_ptr<test::Gate>> gates;
};

// A test on a manual clock whose client's host has an observer that no report has
// reached: an IPv6 address is watched without a first report, unlike a host name.
class RLRequestQueueWaitTest : public RLRequestQueueTest {
protected:
    RLRequestQueueWaitTest() {
        foundation::Reachability::setForcedFlags(Flags::Reachable);
        client = RLClient::clientWithBaseURL("http://[::1]:9");
    }
    ~RLRequestQueueWaitTest() override {
        for (auto& gate : gates)
            gate->open();
    }

    foundation::ScopedManualClock clock;
    base::Ref<RLClient> client;
};

}

TEST_F(RLRequestQueueTest, SevenRequestsStartFiveAndTheSixthOnTheFirstCompletion) {
    LoopbackServer server;
    routeHeld(server, 7);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    EXPECT_EQ(queue().concurrentRequestsLimit(), 5u);
    std::vector<RequestLog> logs(7);
    for (int i = 0; i < 7; ++i)
        client->get("/r" + std::to_string(i), &logs[std::size_t(i)]);
    EXPECT_EQ(log.count("send "), 5u);
    EXPECT_EQ(queue().loadingCount(), 5u);
    EXPECT_EQ(queue().count(), 7u);
    ASSERT_TRUE(runUntil([&] { return server.requestCount() == 5; }));
    loop().runFor(0.5);
    EXPECT_EQ(log.count("send "), 5u) << "a sixth started before any completion";

    gates[0]->open();
    ASSERT_TRUE(runUntil([&] { return log.count("send ") == 6; }));
    EXPECT_EQ(log.indexOf("send /r5"), log.indexOf("done /r0") + 1);
    EXPECT_EQ(log.count("send /r6"), 0u);
    EXPECT_EQ(queue().loadingCount(), 5u);

    for (auto& gate : gates)
        gate->open();
    ASSERT_TRUE(runUntil([&] { return log.count("done ") == 7; }));
    EXPECT_EQ(queue().loadingCount(), 0u);
    EXPECT_EQ(queue().count(), 0u);
    // The slot is freed before the delegate hears of the response.
    EXPECT_EQ(log.count("begin"), 1u);
    EXPECT_EQ(log.count("finish"), 1u);
    EXPECT_EQ(log.indexOf("finish"), std::ptrdiff_t(log.events.size()) - 2);
}

TEST_F(RLRequestQueueWaitTest, ARequestWaitsForANetworkStatusAndStartsWithinARetryOfTheReport) {
    RequestLog request;
    client->get("/wait", &request);
    EXPECT_EQ(client->baseURLReachabilityObserver()->networkStatus(), RLNetworkStatusNotDetermined);
    loop().runFor(30);
    EXPECT_EQ(log.count("send "), 0u);
    EXPECT_TRUE(request.events.empty());

    // The flags change: the observer's report arrives from the watcher's thread.
    foundation::Reachability::setForcedFlags(Flags::Reachable | Flags::IsDirect);
    ASSERT_TRUE(runUntil([] { return RLReachabilityObserver::reachabilityDetermined(); }, 10));
    EXPECT_EQ(
        client->baseURLReachabilityObserver()->networkStatus(), RLNetworkStatusReachableViaWiFi);
    loop().runFor(RLRequestQueue::retryInterval);
    EXPECT_EQ(log.count("send /wait"), 1u);
}

TEST_F(RLRequestQueueWaitTest, ARequestThatNeverLearnsAStatusFailsAfterTheRequestTimeout) {
    RequestLog request;
    EXPECT_EQ(queue().requestTimeout(), 300u);
    client->get("/wait", &request);
    loop().runFor(299);
    EXPECT_TRUE(request.events.empty());
    EXPECT_EQ(queue().count(), 1u);
    loop().runFor(1.5);
    EXPECT_EQ(request.events, std::vector<std::string>({"fail 2"}));
    EXPECT_EQ(request.lastError.domain, RLRestKitErrorDomain);
    EXPECT_EQ(log.events, std::vector<std::string>({"failed /wait 2"}));
    EXPECT_EQ(queue().count(), 0u);
    EXPECT_EQ(queue().loadingCount(), 0u);
    EXPECT_EQ(log.count("send "), 0u);
}

TEST_F(RLRequestQueueWaitTest, TheBackgroundSuspendsTheQueueAndTheForegroundResumesIt) {
    // Known status, so only the suspension holds requests.
    foundation::Reachability::setForcedFlags(Flags::Reachable | Flags::IsDirect);
    ASSERT_TRUE(runUntil([] { return RLReachabilityObserver::reachabilityDetermined(); }, 10));
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(RLApplication::DidEnterBackgroundNotification);
    EXPECT_TRUE(queue().suspended());
    RequestLog request;
    client->get("/later", &request);
    loop().runFor(400);
    EXPECT_EQ(log.count("send "), 0u);
    EXPECT_TRUE(request.events.empty()) << "a suspended queue timed out its request";

    center.postNotification(RLApplication::WillEnterForegroundNotification);
    EXPECT_FALSE(queue().suspended());
    EXPECT_EQ(log.events.at(0), "suspended");
    EXPECT_EQ(log.events.at(1), "unsuspended");
    EXPECT_EQ(log.count("send /later"), 1u);
}

TEST_F(RLRequestQueueTest, CancellingFreesOnlyTheSlotOfAStartedRequest) {
    LoopbackServer server;
    routeHeld(server, 3);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    queue().setConcurrentRequestsLimit(1);
    RequestLog first, second, third;
    auto r0 = client->get("/r0", &first);
    auto r1 = client->get("/r1", &second);
    auto r2 = client->get("/r2", &third);
    EXPECT_EQ(queue().loadingCount(), 1u);

    queue().cancelRequest(*r1);
    EXPECT_EQ(queue().loadingCount(), 1u);
    EXPECT_EQ(queue().count(), 2u);
    EXPECT_TRUE(second.events.empty());
    EXPECT_EQ(r1->delegate(), nullptr);

    queue().cancelRequest(*r0);
    EXPECT_EQ(first.events, std::vector<std::string>({"start", "cancel"}));
    EXPECT_EQ(log.count("send /r2"), 1u);
    EXPECT_EQ(queue().loadingCount(), 1u);
    EXPECT_EQ(queue().count(), 1u);
    gates[2]->open();
    ASSERT_TRUE(runUntil([&] { return third.ended > 0; }));
    EXPECT_EQ(queue().loadingCount(), 0u);
    for (auto& gate : gates)
        gate->open();
}

TEST_F(RLRequestQueueTest, ANotificationForARequestThatTheQueueDoesNotHoldChangesNothing) {
    LoopbackServer server;
    routeHeld(server, 1);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    RequestLog held;
    client->get("/r0", &held);
    auto stranger = client->requestWithResourcePath("/other", nullptr);
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLRequestFailedWithErrorNotification, stranger.get(),
        RLErrorUserInfo(RLUnreachableResourceError("x")));
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLResponseReceivedNotification, stranger.get());
    EXPECT_EQ(queue().count(), 1u);
    EXPECT_EQ(queue().loadingCount(), 1u);
    gates[0]->open();
    ASSERT_TRUE(runUntil([&] { return held.ended > 0; }));
    EXPECT_EQ(queue().count(), 0u);
}

TEST_F(RLRequestQueueTest, TheActivityIndicatorShowsWhileRequestsRun) {
    LoopbackServer server;
    routeHeld(server, 2);
    test::FakeApplication application;
    RLApplication::setShared(&application);
    queue().setShowsNetworkActivityIndicatorWhenBusy(true);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    RequestLog a, b;
    client->get("/r0", &a);
    client->get("/r1", &b);
    EXPECT_EQ(application.indicator, std::vector<bool>({true}));
    gates[0]->open();
    ASSERT_TRUE(runUntil([&] { return a.ended > 0; }));
    EXPECT_EQ(application.indicator, std::vector<bool>({true}));
    gates[1]->open();
    ASSERT_TRUE(runUntil([&] { return b.ended > 0; }));
    EXPECT_EQ(application.indicator, std::vector<bool>({true, false}));
}

TEST_F(RLRequestQueueTest, WithoutASharedClientTheQueueHoldsItsRequests) {
    LoopbackServer server;
    server.route("GET", "/x", HttpResponse::text("x"));
    auto request = RLRequest::requestWithURL(RLURL::URLWithString(server.url("/x")), nullptr);
    request->send();
    loop().runFor(1);
    EXPECT_EQ(log.count("send "), 0u);
    EXPECT_EQ(queue().count(), 1u);
}
