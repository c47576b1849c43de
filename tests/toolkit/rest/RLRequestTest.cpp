// Requests through the client and the shared queue against loopback servers.

#include "RestFixture.hpp"

#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLParams.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <fstream>

using namespace toolkit::rest;
using test::HttpResponse;
using test::LoopbackServer;
using test::RequestLog;

namespace {

class RLRequestTest : public test::RestTest { };

using Events = std::vector<std::string>;

base::Ref<RLJSONSerialization> jsonBody(char const* key, char const* value) {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject(key, value);
    return RLJSONSerialization::JSONSerializationWithObject(base::Value(dictionary));
}

}

TEST_F(RLRequestTest, ALoadedResponseTellsTheDelegateThenPostsInOrder) {
    LoopbackServer server;
    server.route("GET", "/items", HttpResponse::text("[1]", 200, "application/json"));
    server.route("GET", "/busy", HttpResponse::text("later", 503));
    for (auto path : {"/items", "/busy"}) {
        SCOPED_TRACE(path);
        RequestLog log;
        recordNotifications(log);
        auto client = RLClient::clientWithBaseURL(server.baseURL());
        auto request = client->get(path, &log);
        ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
        Events expected = {"start", RLRequestSentNotification};
        if (std::string(path) == "/items") {
            expected.insert(expected.end(), {"load 200"});
        } else {
            expected.insert(
                expected.end(), {"load 503", RLServiceDidBecomeUnavailableNotification});
        }
        expected.insert(
            expected.end(), {RLRequestDidLoadResponseNotification, RLResponseReceivedNotification});
        EXPECT_EQ(log.events, expected);
        EXPECT_TRUE(request->isLoaded());
        EXPECT_FALSE(request->isLoading());
        EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
        tokens.clear();
    }
}

TEST_F(RLRequestTest, AFailedConnectionTellsStartThenFailureThenTheNotification) {
    LoopbackServer server;
    server.route("GET", "/drop", HttpResponse::dropped());
    RequestLog log;
    recordNotifications(log);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    auto request = client->get("/drop", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    ASSERT_EQ(log.events.size(), 4u);
    EXPECT_EQ(log.events[0], "start");
    EXPECT_EQ(log.events[1], RLRequestSentNotification);
    EXPECT_EQ(log.events[2].substr(0, 5), "fail ");
    EXPECT_EQ(log.events[3], RLRequestFailedWithErrorNotification);
    ASSERT_TRUE(request->response());
    EXPECT_TRUE(request->response()->isFailure());
    EXPECT_FALSE(request->isLoaded());
}

TEST_F(RLRequestTest, ABasicChallengeIsAnsweredOnceAndWithoutCredentialsWithNone) {
    struct Case {
        char const* name;
        LoopbackServer::Tls tls;
        std::optional<std::string> user;
        std::optional<std::string> password;
        int status;
        std::size_t requests;
    };
    Case const cases[] = {
        {"right credentials", LoopbackServer::Tls::None, "tessa", "banjo", 200, 2},
        {"right credentials over HTTPS", LoopbackServer::Tls::Trusted, "tessa", "banjo", 200, 2},
        {"wrong password", LoopbackServer::Tls::None, "tessa", "wrong", 401, 2},
        {"no credentials", LoopbackServer::Tls::None, std::nullopt, std::nullopt, 401, 1},
        {"no credentials over HTTPS", LoopbackServer::Tls::Trusted, std::nullopt, std::nullopt, 401,
            1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.tls);
        server.route("POST", "/secure",
            LoopbackServer::basicAuth("tessa", "banjo", HttpResponse::text("welcome", 201)));
        RequestLog log;
        auto client = RLClient::clientWithBaseURL(server.baseURL());
        client->setUsername(c.user);
        client->setPassword(c.password);
        client->post("/secure", jsonBody("a", "b"), &log);
        ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
        EXPECT_EQ(log.events.back(), "load " + std::to_string(c.status == 200 ? 201 : c.status));
        auto requests = server.requests();
        EXPECT_EQ(requests.size(), c.requests);
        for (auto const& request : requests) {
            auto authorization = request.headers.get("Authorization");
            // "(null):(null)" in Base64 begins "KG51bGwp".
            EXPECT_EQ(authorization.find("KG51bGwp"), std::string::npos);
            EXPECT_EQ(request.body, R"({"a":"b"})") << "the body went again with the credential";
        }
        if (!c.user) {
            EXPECT_FALSE(requests[0].headers.has("Authorization"));
        }
        RLClient::setSharedClient(nullptr);
    }
}

TEST_F(RLRequestTest,
    TheBodysContentTypeReplacesADefaultHeaderOfAnyCaseAndTheSharedHeadersReachUnsentRequests) {
    LoopbackServer server;
    server.route("POST", "/install", HttpResponse::text("", 201));
    RequestLog log;
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    client->setValue("text/plain", "Content-type");
    client->setValue("1", "X-Early");
    auto request = client->requestWithResourcePath("/install", &log);
    request->setMethod(RLRequest::POST);
    request->setParams(jsonBody("user", "u"));
    // Changed after the request was made, before it is sent.
    client->setValue("2", "X-Early");
    client->setValue("yes", "X-Late");
    request->send();
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(
        received[0].headers.all("Content-Type"), std::vector<std::string>({"application/json"}));
    EXPECT_EQ(received[0].headers.get("X-Early"), "2");
    EXPECT_EQ(received[0].headers.get("X-Late"), "yes");
}

TEST_F(RLRequestTest, AGetWithABodySendsNoBodyButItsContentType) {
    LoopbackServer server;
    server.route("GET", "/find", HttpResponse::text("ok"));
    RequestLog log;
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    client->load("/find", RLRequest::GET, jsonBody("k", "v"), &log);
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].method, "GET");
    EXPECT_TRUE(received[0].body.empty());
    EXPECT_EQ(received[0].headers.get("Content-Type"), "application/json");
}

TEST_F(RLRequestTest, VerbHelpersSendTheirMethodsAndQueryParams) {
    LoopbackServer server;
    for (auto method : {"GET", "POST", "PUT", "DELETE"})
        server.route(method, "/thing", HttpResponse::text(method));
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    RequestLog log;
    auto query = base::Dictionary::create();
    query->setObject("q", "a b");
    client->get("/thing", *query, &log);
    client->post("/thing", RLFormSerialization::formWithDictionary(query), &log);
    client->put("/thing", nullptr, &log);
    client->deleteResource("/thing", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended == 4; }));
    auto received = server.requests();
    ASSERT_EQ(received.size(), 4u);
    std::map<std::string, test::HttpRequest> byMethod;
    for (auto const& request : received)
        byMethod[request.method] = request;
    EXPECT_EQ(byMethod["GET"].target, "/thing?q=a%20b");
    EXPECT_EQ(byMethod["POST"].body, "q=a%20b");
    EXPECT_EQ(byMethod["POST"].headers.get("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(byMethod["PUT"].target, "/thing");
    EXPECT_EQ(byMethod["DELETE"].target, "/thing");
}

TEST_F(RLRequestTest, AMultipartBodyStreamsWithItsDeclaredLength) {
    test::TempDir dir;
    std::ofstream(dir / "photo.png", std::ios::binary) << std::string(200000, 'p');
    LoopbackServer server;
    server.route("POST", "/upload", HttpResponse::text("stored", 201));
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    auto params = RLParams::params();
    params->setValue("ann", "name");
    params->setFile((dir / "photo.png").string(), "photo");
    RequestLog log;
    client->post("/upload", params, &log);
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    EXPECT_EQ(log.events.back(), "load 201");
    auto received = server.requests();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].headers.get("Content-Length"), std::to_string(received[0].body.size()));
    EXPECT_EQ(received[0].body.size(), params->length());
    EXPECT_EQ(
        received[0].headers.get("Content-Type"), "multipart/form-data; boundary=0xKhTmLbOuNdArY");
    EXPECT_TRUE(received[0].body.ends_with("--0xKhTmLbOuNdArY--\r\n"));
}

TEST_F(RLRequestTest, ABodyThatCannotBeSentWholeFailsBeforeAnythingIsSent) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "folder.png");
    LoopbackServer server;
    server.route("POST", "/upload", HttpResponse::text("stored", 201));
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    auto params = RLParams::params();
    params->setFile((dir / "folder.png").string(), "photo");
    RequestLog log;
    client->post("/upload", params, &log);
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    EXPECT_EQ(log.events,
        Events({"fail " + std::to_string(foundation::URLError::RequestBodyStreamExhausted)}));
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
    EXPECT_EQ(RLRequestQueue::sharedQueue().loadingCount(), 0u);
}

TEST_F(RLRequestTest, AServiceUnavailableAnswerShowsTheAlertOnlyWhenEnabled) {
    LoopbackServer server;
    server.route("GET", "/busy", HttpResponse::text("later", 503));
    test::FakeApplication application;
    RLApplication::setShared(&application);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    for (bool enabled : {false, true}) {
        client->setServiceUnavailableAlertEnabled(enabled);
        RequestLog log;
        client->get("/busy", &log);
        ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
        EXPECT_EQ(application.alerts.size(), enabled ? 1u : 0u);
    }
    EXPECT_EQ(application.alerts.at(0),
        "Service Unavailable|The remote resource is unavailable. Please try again later.|OK");
}

TEST_F(RLRequestTest, ASynchronousRequestReturnsItsResponseWithCredentials) {
    LoopbackServer server;
    server.route("GET", "/sync",
        LoopbackServer::basicAuth("tessa", "b@n:jo", HttpResponse::text("done", 200)));
    auto client = RLClient::clientWithBaseURL(server.baseURL(), "tessa", "b@n:jo");
    RequestLog log;
    recordNotifications(log);
    auto request = client->requestWithResourcePath("/sync", &log);
    auto response = request->sendSynchronously();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->statusCode(), 200);
    EXPECT_EQ(response->bodyAsString(), "done");
    EXPECT_EQ(log.events,
        Events({RLRequestSentNotification, "start", "load 200",
            RLRequestDidLoadResponseNotification, RLResponseReceivedNotification}));

    // A reply without a body is a loaded response too, whatever its status.
    server.route("DELETE", "/gone", HttpResponse::text("", 204));
    RequestLog emptyLog;
    auto emptyRequest = client->requestWithResourcePath("/gone", &emptyLog);
    emptyRequest->setMethod(RLRequest::DELETE);
    auto empty = emptyRequest->sendSynchronously();
    EXPECT_EQ(empty->statusCode(), 204);
    EXPECT_FALSE(empty->isFailure());
    EXPECT_EQ(emptyLog.events, Events({"start", "load 204"}));
    EXPECT_TRUE(emptyRequest->isLoaded());
}

TEST_F(RLRequestTest, WithoutASharedClientARequestIsSentWithoutAReachabilityTest) {
    LoopbackServer server;
    server.route("GET", "/x", HttpResponse::text("x"));
    EXPECT_FALSE(RLClient::sharedClient());
    auto url = RLURL::URLWithString(server.url("/x"));
    RequestLog log;
    auto request = RLRequest::requestWithURL(url, &log);
    EXPECT_TRUE(request->shouldDispatchRequest());
    auto response = request->sendSynchronously();
    EXPECT_EQ(response->statusCode(), 200);
}

TEST_F(RLRequestTest, AnUnreachableNetworkFailsWithTheCodeTwoErrorAndSendsNothing) {
    LoopbackServer server;
    server.route("GET", "/x", HttpResponse::text("x"));
    foundation::Reachability::setForcedFlags(0u);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    RequestLog log;
    client->get("/x", &log);
    ASSERT_TRUE(runUntil([&] { return log.ended > 0; }));
    EXPECT_EQ(log.events, Events({"fail 2"}));
    EXPECT_EQ(log.lastError.domain, RLRestKitErrorDomain);
    EXPECT_EQ(log.lastError.localizedDescription,
        "The client is unable to contact the resource at " + server.url("/x"));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(RLRequestTest, BackgroundPoliciesCancelRequeueOrRunUnderATask) {
    LoopbackServer server;
    auto gate = std::make_shared<test::Gate>();
    HttpResponse held = HttpResponse::text("");
    held.pieces = {{"late", 0, gate}};
    server.route("GET", "/slow", held);
    test::FakeApplication application;
    RLApplication::setShared(&application);
    auto client = RLClient::clientWithBaseURL(server.baseURL());
    auto& center = foundation::NotificationCenter::defaultCenter();

    RequestLog cancelled;
    auto one = client->requestWithResourcePath("/slow", &cancelled);
    one->setBackgroundPolicy(RLRequest::BackgroundPolicyCancel);
    RequestLog requeued;
    auto three = client->requestWithResourcePath("/slow", &requeued);
    three->setBackgroundPolicy(RLRequest::BackgroundPolicyRequeue);
    RequestLog tasked;
    auto two = client->requestWithResourcePath("/slow", &tasked);
    two->setBackgroundPolicy(RLRequest::BackgroundPolicyContinue);
    one->send();
    three->send();
    two->send();
    ASSERT_TRUE(runUntil([&] { return server.requestCount() == 3; }));
    EXPECT_EQ(application.tasks.size(), 1u);
    EXPECT_NE(two->backgroundTaskIdentifier(), RLApplication::BackgroundTaskInvalid);

    center.postNotification(RLApplication::DidEnterBackgroundNotification);
    EXPECT_EQ(cancelled.events, Events({"start", "cancel"}));
    EXPECT_EQ(requeued.events, Events({"start"})) << "the requeued request heard of its cancel";
    EXPECT_TRUE(RLRequestQueue::sharedQueue().suspended());
    EXPECT_TRUE(RLRequestQueue::sharedQueue().containsRequest(*three));

    // The task's time runs out.
    auto handler = application.tasks.begin()->second;
    handler();
    EXPECT_EQ(tasked.events, Events({"start", "timeout"}));
    EXPECT_TRUE(application.tasks.empty());

    // Back in the foreground the requeued request runs again and completes.
    center.postNotification(RLApplication::WillEnterForegroundNotification);
    gate->open();
    ASSERT_TRUE(runUntil([&] { return requeued.ended > 0; }));
    EXPECT_EQ(requeued.events, Events({"start", "start", "load 200"}));
    EXPECT_EQ(requeued.lastBody, "late");
    // The requests that ended themselves left the queue: none starts again, and no
    // slot stays taken.
    loop().runFor(1);
    EXPECT_EQ(cancelled.events, Events({"start", "cancel"}));
    EXPECT_EQ(tasked.events, Events({"start", "timeout"}));
    EXPECT_EQ(RLRequestQueue::sharedQueue().count(), 0u);
    EXPECT_EQ(RLRequestQueue::sharedQueue().loadingCount(), 0u);
}
