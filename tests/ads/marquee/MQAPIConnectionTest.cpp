#include "MarqueeTestSupport.hpp"

#include <ads/marquee/MQAPIConnection.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>
#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

using ads::marquee::MQAPIConnection;
using ads::marquee::MQAPIRequest;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

class Recorder final : public ads::marquee::MQAPIConnectionDelegate {
public:
    void didReceiveAPIResponse(base::Value const& reply, MQAPIRequest& request) override {
        replies.push_back(reply);
        outcomes.push_back("reply " + request.action());
    }
    void didFailToReceiveAPIResponseForRequest(MQAPIRequest& request) override {
        outcomes.push_back("fail " + request.action());
    }

    std::vector<base::Value> replies;
    std::vector<std::string> outcomes;
};

class MQAPIConnectionTest : public ::testing::Test {
protected:
    MQAPIConnectionTest() {
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
    }
    ~MQAPIConnectionTest() override {
        foundation::URLConnection::setCertificateAuthorityFile({});
        foundation::RunLoop::main().reset();
    }

    // The signed call as the client builds it.
    static base::Ref<MQAPIRequest> signedCall(
        std::string const& action, std::vector<std::pair<std::string, std::string>> own = {}) {
        auto request = MQAPIRequest::requestWithController("api", action);
        request->appendDeviceInfoParams();
        for (auto const& [key, value] : own)
            request->appendBodyArgumentKey(key, value);
        request->signWithAppId(test::MarqueeAppId, test::MarqueeAppSignature);
        return request;
    }

    void waitForOutcomes(std::size_t count) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return recorder.outcomes.size() >= count; }, 20));
    }

    LoopbackServer server {LoopbackServer::Tls::Trusted};
    test::MarqueeDeviceScope scope {server.baseURL() + "/"};
    Recorder recorder;
};

}

TEST_F(MQAPIConnectionTest, SendsGoldenSignedFormBodiesAsPostsWithGrowingRequestIds) {
    server.route("POST", "/api/install.json", HttpResponse::text("{}", 200, "application/json"));
    server.route("POST", "/api/get.json", HttpResponse::text("{}", 200, "application/json"));
    auto connection = MQAPIConnection::initWithDelegate(&recorder);
    EXPECT_EQ(connection->endpoint(), server.baseURL() + "/");
    EXPECT_EQ(connection->requestIdMax(), 1u);
    connection->sendRequest(signedCall("install"));
    EXPECT_EQ(connection->requestIdMax(), 2u);
    EXPECT_EQ(connection->activeConnectionCount(), 1u);
    waitForOutcomes(1);
    connection->sendRequest(signedCall("get", {{"location", "Main Menu & Shop=1+2 \xC3\xA9"}}));
    EXPECT_EQ(connection->requestIdMax(), 3u);
    waitForOutcomes(2);
    EXPECT_EQ(connection->activeConnectionCount(), 0u);
    EXPECT_EQ(recorder.outcomes, (std::vector<std::string> {"reply install", "reply get"}));

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (auto const& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.headers.get("Content-Type"),
            "application/x-www-form-urlencoded; charset=UTF-8");
    }
    EXPECT_EQ(requests[0].target, "/api/install.json");
    EXPECT_EQ(requests[0].body,
        "model=iPhone&os=4.3.1&ui=0&uuid=0F1E2D3C-uuid&country=DE&language=de&bundle=1.0&"
        "sdk=2.5.7&app=5b1c9e0a7d3f42e86a0b7c13&signature=560d052ad0b4b4cef0beee25119f199d&");
    EXPECT_EQ(requests[1].target, "/api/get.json");
    EXPECT_EQ(requests[1].body,
        "model=iPhone&os=4.3.1&ui=0&uuid=0F1E2D3C-uuid&country=DE&language=de&bundle=1.0&"
        "sdk=2.5.7&location=Main%20Menu%20%26%20Shop%3D1%2B2%20%C3%A9&"
        "app=5b1c9e0a7d3f42e86a0b7c13&signature=ef06d5a9cd582640d67e56533631e50c&");
    // The application signature never leaves the device.
    for (auto const& request : requests)
        EXPECT_EQ(request.body.find(test::MarqueeAppSignature), std::string::npos);
}

TEST_F(MQAPIConnectionTest, OnlyA2xxJsonObjectIsAUsableReply) {
    struct Case {
        char const* name;
        HttpResponse response;
        bool usable;
    };
    std::vector<Case> cases {
        {"object", HttpResponse::text(R"({"status":200,"html":"<p>"})", 200), true},
        {"created", HttpResponse::text("{}", 201), true},
        {"not found", HttpResponse::text(R"({"status":200})", 404), false},
        {"server error", HttpResponse::text("{}", 500), false},
        {"array", HttpResponse::text("[1,2]", 200), false},
        {"bare string", HttpResponse::text("\"text\"", 200), false},
        {"number", HttpResponse::text("200", 200), false},
        {"not json", HttpResponse::text("<html>", 200), false},
        {"empty", HttpResponse::text("", 200), false},
        {"bad utf-8", HttpResponse::text("{\"a\":\"\xFF\"}", 200), false},
        {"dropped", HttpResponse::dropped(), false},
    };
    auto connection = MQAPIConnection::initWithDelegate(&recorder);
    for (auto& c : cases) {
        server.route("POST", "/api/get.json", c.response);
        recorder.outcomes.clear();
        recorder.replies.clear();
        connection->sendRequest(signedCall("get"));
        waitForOutcomes(1);
        EXPECT_EQ(
            recorder.outcomes, (std::vector<std::string> {c.usable ? "reply get" : "fail get"}))
            << c.name;
        if (c.usable) {
            ASSERT_EQ(recorder.replies.size(), 1u);
            EXPECT_TRUE(recorder.replies[0].isDictionary());
        }
    }
    EXPECT_EQ(connection->activeConnectionCount(), 0u);
    EXPECT_EQ(connection->requestIdMax(), cases.size() + 1);
}

TEST_F(MQAPIConnectionTest, UntrustedCertificateFailsTheCall) {
    LoopbackServer untrusted {LoopbackServer::Tls::Untrusted};
    untrusted.route("POST", "/api/install.json", HttpResponse::text("{}", 200));
    auto connection = MQAPIConnection::initWithEndpoint(untrusted.baseURL() + "/", &recorder);
    connection->sendRequest(signedCall("install"));
    waitForOutcomes(1);
    EXPECT_EQ(recorder.outcomes, (std::vector<std::string> {"fail install"}));
}

TEST_F(MQAPIConnectionTest, WithoutAnApiRootTheCallFailsLaterAndNothingIsSent) {
    ads::marquee::MQConfiguration::reset();
    auto connection = MQAPIConnection::initWithDelegate(&recorder);
    EXPECT_EQ(connection->endpoint(), "");
    connection->sendRequest(signedCall("install"));
    // Never inside the call that sent it.
    EXPECT_TRUE(recorder.outcomes.empty());
    waitForOutcomes(1);
    EXPECT_EQ(recorder.outcomes, (std::vector<std::string> {"fail install"}));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(MQAPIConnectionTest, AnEmptyBodyIsStillAPostAndNoBodyIsAGet) {
    server.route("*", "/api/ping.json", HttpResponse::text("{}", 200));
    auto connection = MQAPIConnection::initWithDelegate(&recorder);
    auto empty = MQAPIRequest::requestWithController("api", "ping");
    empty->setBody(ads::marquee::MQParams {});
    connection->sendRequest(empty);
    auto bare = MQAPIRequest::requestWithController("api", "ping");
    bare->appendQueryArgumentKey("a b", "c&d");
    connection->sendRequest(bare);
    waitForOutcomes(2);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    std::sort(requests.begin(), requests.end(),
        [](auto const& left, auto const& right) { return left.method > right.method; });
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].target, "/api/ping.json?a%20b=c%26d&");
    EXPECT_EQ(requests[1].headers.get("Content-Type"),
        "application/x-www-form-urlencoded; charset=UTF-8");
}

TEST_F(MQAPIConnectionTest, AConnectionThatDiesCancelsItsCallsAndTellsNobody) {
    auto gate = std::make_shared<test::Gate>();
    HttpResponse held = HttpResponse::text("", 200);
    held.pieces = {{"{}", 0, gate}};
    server.route("POST", "/api/get.json", held);
    {
        auto connection = MQAPIConnection::initWithDelegate(&recorder);
        connection->sendRequest(signedCall("get"));
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return server.requestCount() > 0; }, 20));
    }
    gate->open();
    foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_TRUE(recorder.outcomes.empty());
}
