#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>

#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

using base::Ref;
using foundation::RunLoop;
using foundation::URLAuthenticationAnswer;
using foundation::URLAuthenticationChallenge;
using foundation::URLConnection;
using foundation::URLConnectionDelegate;
using foundation::URLCredential;
using foundation::URLError;
using foundation::URLRequest;
using foundation::URLResponse;
using test::Gate;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

// Writes down every callback in order, and on which thread it came.
class Recorder : public URLConnectionDelegate {
public:
    std::vector<std::string> events;
    std::string body;
    std::vector<std::string> pieces;
    std::optional<URLResponse> response;
    std::optional<URLError> error;
    std::vector<URLAuthenticationChallenge> challenges;
    std::set<std::thread::id> threads;
    bool done {false};

    std::function<std::optional<URLRequest>(URLRequest, URLResponse const*)> onWillSend;
    std::function<URLAuthenticationAnswer(URLAuthenticationChallenge const&)> onChallenge;
    std::function<void(URLConnection&)> onData;

    std::optional<URLRequest> willSendRequest(
        URLConnection&, URLRequest request, URLResponse const* redirectResponse) override {
        note(redirectResponse ? "redirect " + std::to_string(redirectResponse->statusCode())
                              : "send");
        return onWillSend ? onWillSend(std::move(request), redirectResponse)
                          : std::optional(request);
    }
    URLAuthenticationAnswer didReceiveAuthenticationChallenge(
        URLConnection&, URLAuthenticationChallenge const& challenge) override {
        note("challenge " + std::to_string(challenge.previousFailureCount));
        challenges.push_back(challenge);
        return onChallenge ? onChallenge(challenge)
                           : URLAuthenticationAnswer::continueWithoutCredential();
    }
    void didReceiveResponse(URLConnection&, URLResponse const& received) override {
        note("response " + std::to_string(received.statusCode()));
        response = received;
    }
    void didReceiveData(URLConnection& connection, base::Bytes const& data) override {
        if (events.empty() || events.back() != "data")
            note("data");
        else
            threads.insert(std::this_thread::get_id());
        pieces.emplace_back(data.begin(), data.end());
        body.append(data.begin(), data.end());
        if (onData)
            onData(connection);
    }
    void connectionDidFinishLoading(URLConnection&) override {
        note("finish");
        done = true;
    }
    void didFailWithError(URLConnection&, URLError const& failure) override {
        note("fail " + std::to_string(failure.code));
        error = failure;
        done = true;
    }

private:
    void note(std::string event) {
        events.push_back(std::move(event));
        threads.insert(std::this_thread::get_id());
    }
};

class URLConnectionTest : public ::testing::Test {
protected:
    URLConnectionTest() { RunLoop::main().reset(); }
    ~URLConnectionTest() override { RunLoop::main().reset(); }

    static bool runUntilDone(Recorder& recorder, double timeout = 5) {
        return RunLoop::main().runUntil([&] { return recorder.done; }, timeout);
    }

    static double secondsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    LoopbackServer server;
};

using Events = std::vector<std::string>;

}

TEST_F(URLConnectionTest, CallbacksComeInOrderOnTheStartingThread) {
    server.route("GET", "/page", HttpResponse::text("the page").header("X-Page", "1"));
    Recorder recorder;
    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/page")), &recorder);
    EXPECT_TRUE(connection->isLoading());

    ASSERT_TRUE(runUntilDone(recorder));

    EXPECT_EQ(recorder.events, (Events {"send", "response 200", "data", "finish"}));
    EXPECT_EQ(recorder.threads, std::set {std::this_thread::get_id()});
    EXPECT_EQ(recorder.body, "the page");
    EXPECT_EQ(recorder.response->valueForHeaderField("x-page"), "1");
    EXPECT_EQ(recorder.response->expectedContentLength(), 8);
    EXPECT_FALSE(connection->isLoading());
}

TEST_F(URLConnectionTest, StartingNeverBlocksTheStartingThread) {
    // A start that waited for the reply would take the whole delay; the bound is half of it,
    // so that a slow machine (or ThreadSanitizer starting the worker) still passes.
    HttpResponse slow = HttpResponse::text("late");
    slow.delay = 3.0;
    server.route("GET", "/slow", slow);
    Recorder recorder;
    int otherWork = 0;

    auto start = std::chrono::steady_clock::now();
    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/slow")), &recorder);
    RunLoop::main().perform([&] { ++otherWork; });
    EXPECT_LT(secondsSince(start), slow.delay / 2);

    ASSERT_TRUE(RunLoop::main().runUntil([&] { return otherWork == 1; }, 5));
    EXPECT_FALSE(recorder.done);
    ASSERT_TRUE(runUntilDone(recorder, 10));
    EXPECT_EQ(recorder.body, "late");
}

TEST_F(URLConnectionTest, BodyArrivesInPiecesAsTheServerSendsThem) {
    auto second = std::make_shared<Gate>();
    HttpResponse chunked;
    chunked.chunked = true;
    chunked.body("first");
    chunked.pieces.push_back({"second", 0, second});
    server.route("GET", "/stream", chunked);
    Recorder recorder;
    recorder.onData = [&](URLConnection&) { second->open(); };

    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/stream")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));

    EXPECT_EQ(recorder.pieces, (std::vector<std::string> {"first", "second"}));
    EXPECT_EQ(recorder.response->expectedContentLength(), URLResponse::UnknownLength);
    EXPECT_EQ(recorder.events.back(), "finish");
}

TEST_F(URLConnectionTest, RedirectsAreShownToTheDelegateWithTheirReply) {
    server.route("GET", "/old", HttpResponse::redirect(302, "/new").header("X-Why", "moved"));
    server.route("GET", "/new", HttpResponse::text("new home"));
    Recorder recorder;
    std::string redirectedTo;
    std::string why;
    recorder.onWillSend = [&](URLRequest request, URLResponse const* redirect) {
        if (redirect) {
            redirectedTo = request.URL();
            why = redirect->valueForHeaderField("X-Why");
            request.setValue("yes", "X-Followed");
        }
        return std::optional(request);
    };

    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/old")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));

    EXPECT_EQ(recorder.events, (Events {"send", "redirect 302", "response 200", "data", "finish"}));
    EXPECT_EQ(redirectedTo, server.url("/new"));
    EXPECT_EQ(why, "moved");
    EXPECT_EQ(recorder.response->URL(), server.url("/new"));
    EXPECT_EQ(connection->currentRequest().URL(), server.url("/new"));
    EXPECT_EQ(connection->originalRequest().URL(), server.url("/old"));
    EXPECT_EQ(server.requests().at(1).headers.get("X-Followed"), "yes");
}

TEST_F(URLConnectionTest, RefusedRedirectEndsWithTheRedirectReply) {
    server.route("GET", "/old", HttpResponse::redirect(301, "/new"));
    Recorder recorder;
    recorder.onWillSend = [](URLRequest request, URLResponse const* redirect) {
        return redirect ? std::nullopt : std::optional(request);
    };

    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/old")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));

    EXPECT_EQ(recorder.events, (Events {"send", "redirect 301", "response 301", "data", "finish"}));
    EXPECT_EQ(recorder.response->valueForHeaderField("Location"), "/new");
    EXPECT_EQ(recorder.body, "redirecting");
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(URLConnectionTest, RefusedFirstRequestSendsNothingAndEndsQuietly) {
    Recorder recorder;
    recorder.onWillSend = [](URLRequest, URLResponse const*) { return std::nullopt; };
    auto connection = URLConnection::connectionWithRequest(URLRequest(server.url("/x")), &recorder);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !connection->isLoading(); }, 5));
    RunLoop::main().runUntil(nullptr, 0.1);
    EXPECT_EQ(recorder.events, (Events {"send"}));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(URLConnectionTest, SilentServerFailsWithTimedOutAfterTheInterval) {
    struct Case {
        char const* name;
        HttpResponse response;
        Events events;
    };
    HttpResponse silent;
    silent.delay = std::numeric_limits<double>::infinity();
    // Headers and a first piece, then nothing more.
    HttpResponse stalled = HttpResponse::text("start");
    stalled.pieces.push_back({"never", 0, std::make_shared<Gate>()});
    Case const cases[] = {
        {"silent", silent, {"send", "fail -1001"}},
        {"stalled", stalled, {"send", "response 200", "data", "fail -1001"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        server.route("GET", "/quiet", c.response);
        Recorder recorder;
        URLRequest request(server.url("/quiet"));
        request.setTimeoutInterval(0.3);
        auto start = std::chrono::steady_clock::now();
        auto connection = URLConnection::connectionWithRequest(request, &recorder);
        ASSERT_TRUE(runUntilDone(recorder));
        EXPECT_GE(secondsSince(start), 0.25);
        EXPECT_LT(secondsSince(start), 3.0);
        EXPECT_EQ(recorder.events, c.events);
        EXPECT_EQ(recorder.error->domain, URLError::URLErrorDomain);
        EXPECT_EQ(recorder.error->failingURL, server.url("/quiet"));
    }
}

TEST_F(URLConnectionTest, DroppedConnectionFailsQuickly) {
    server.route("GET", "/drop", HttpResponse::dropped());
    Recorder recorder;
    auto start = std::chrono::steady_clock::now();
    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/drop")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));
    EXPECT_LT(secondsSince(start), 2.0);
    EXPECT_EQ(recorder.events, (Events {"send", "fail -1005"}));
}

TEST_F(URLConnectionTest, BasicChallengeIsRetriedWithARisingFailureCount) {
    server.route("GET", "/private",
        LoopbackServer::basicAuth("ann", "secret", HttpResponse::text("welcome"), "Back Office"));
    Recorder recorder;
    std::vector<std::string> passwords {"wrong", "still wrong", "secret"};
    recorder.onChallenge = [&](URLAuthenticationChallenge const& challenge) {
        return URLAuthenticationAnswer::useCredential(
            {"ann", passwords.at(std::size_t(challenge.previousFailureCount))});
    };

    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/private")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));

    EXPECT_EQ(recorder.events,
        (Events {"send", "challenge 0", "challenge 1", "challenge 2", "response 200", "data",
            "finish"}));
    EXPECT_EQ(recorder.body, "welcome");
    auto const& first = recorder.challenges.front();
    EXPECT_EQ(first.protectionSpace.realm, "Back Office");
    EXPECT_EQ(first.protectionSpace.host, "127.0.0.1");
    EXPECT_EQ(first.protectionSpace.port, server.port());
    EXPECT_EQ(first.protectionSpace.authenticationMethod,
        foundation::URLProtectionSpace::AuthenticationMethodHTTPBasic);
    EXPECT_EQ(first.failureResponse.statusCode(), 401);
    EXPECT_FALSE(first.proposedCredential);
    EXPECT_EQ(recorder.challenges[1].proposedCredential, (URLCredential {"ann", "wrong"}));
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(URLConnectionTest, DecliningAChallengeEndsWithTheServersRefusal) {
    for (auto answer :
        {URLAuthenticationAnswer::cancel(), URLAuthenticationAnswer::continueWithoutCredential()}) {
        server.route("GET", "/private",
            LoopbackServer::basicAuth("ann", "secret", HttpResponse::text("welcome")));
        Recorder recorder;
        recorder.onChallenge = [&](URLAuthenticationChallenge const&) { return answer; };
        auto connection
            = URLConnection::connectionWithRequest(URLRequest(server.url("/private")), &recorder);
        ASSERT_TRUE(runUntilDone(recorder));
        EXPECT_EQ(
            recorder.events, (Events {"send", "challenge 0", "response 401", "data", "finish"}));
        EXPECT_EQ(recorder.body, "authentication required");
    }
}

TEST_F(URLConnectionTest, CancelSilencesEvenNewsAlreadyQueued) {
    auto rest = std::make_shared<Gate>();
    HttpResponse response = HttpResponse::text("part one");
    response.pieces.push_back({"part two", 0, rest});
    server.route("GET", "/page", response);
    Recorder recorder;
    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/page")), &recorder);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return recorder.response.has_value(); }, 5));

    // Let the rest of the load reach this thread's queue without running it.
    rest->open();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (RunLoop::main().pendingWorkCount() < 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_GE(RunLoop::main().pendingWorkCount(), 1u);
    auto before = recorder.events;

    connection->cancel();
    RunLoop::main().runUntil(nullptr, 0.2);

    EXPECT_EQ(recorder.events, before);
    EXPECT_FALSE(recorder.done);
    EXPECT_FALSE(connection->isLoading());
}

TEST_F(URLConnectionTest, CancelInsideACallbackStopsTheTransfer) {
    auto rest = std::make_shared<Gate>();
    HttpResponse response = HttpResponse::text("first");
    response.pieces.push_back({"second", 0, rest});
    server.route("GET", "/page", response);
    Recorder recorder;
    recorder.onData = [&](URLConnection& connection) {
        connection.cancel();
        rest->open();
    };
    auto connection
        = URLConnection::connectionWithRequest(URLRequest(server.url("/page")), &recorder);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !recorder.pieces.empty(); }, 5));
    RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(recorder.events, (Events {"send", "response 200", "data"}));
    EXPECT_EQ(recorder.body, "first");
}

TEST_F(URLConnectionTest, ARunningConnectionKeepsItselfAlive) {
    server.route("GET", "/page", HttpResponse::text("still here"));
    Recorder recorder;
    URLConnection::connectionWithRequest(URLRequest(server.url("/page")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));
    EXPECT_EQ(recorder.body, "still here");
}

TEST_F(URLConnectionTest, ADyingDelegateCancelsItsConnections) {
    server.route("GET", "/page", HttpResponse::text("nobody listens"));
    std::vector<std::string> events;
    {
        Recorder recorder;
        URLConnection::connectionWithRequest(URLRequest(server.url("/page")), &recorder);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !recorder.events.empty(); }, 5));
        events = recorder.events;
    }
    // Under the address sanitizer, a call to the dead delegate would be caught here.
    RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(events, (Events {"send"}));
}

TEST_F(URLConnectionTest, NotStartedUntilToldAndThenOnTheStartingThreadsLoop) {
    server.route("GET", "/page", HttpResponse::text("worker"));
    Recorder recorder;
    auto connection = URLConnection::create(URLRequest(server.url("/page")), &recorder, false);
    EXPECT_FALSE(connection->isLoading());
    std::thread::id workerId;
    std::thread worker([&] {
        workerId = std::this_thread::get_id();
        connection->start();
        RunLoop::current().runUntil([&] { return recorder.done; }, 5);
    });
    worker.join();
    EXPECT_EQ(recorder.events, (Events {"send", "response 200", "data", "finish"}));
    EXPECT_EQ(recorder.threads, std::set {workerId});
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(URLConnectionTest, ReportsTheBodyAsItIsSent) {
    server.route("POST", "/upload", HttpResponse::text("ok"));
    struct Uploader : Recorder {
        std::int64_t total {0};
        std::int64_t expected {0};
        void didSendBodyData(
            URLConnection&, std::int64_t, std::int64_t written, std::int64_t toWrite) override {
            total = written;
            expected = toWrite;
        }
    } recorder;
    URLRequest request(server.url("/upload"));
    request.setHTTPMethod("POST");
    request.setHTTPBody(std::string(100000, 'x'));
    auto connection = URLConnection::connectionWithRequest(request, &recorder);
    ASSERT_TRUE(runUntilDone(recorder));
    EXPECT_EQ(recorder.total, 100000);
    EXPECT_EQ(recorder.expected, 100000);
    EXPECT_EQ(server.requests().at(0).body.size(), 100000u);
}

TEST_F(URLConnectionTest, ManyConnectionsShareTheWorker) {
    server.route("GET", "/n",
        [](test::HttpRequest const& request) { return HttpResponse::text(request.query); });
    std::vector<std::unique_ptr<Recorder>> recorders;
    for (int i = 0; i < 12; ++i) {
        recorders.push_back(std::make_unique<Recorder>());
        URLConnection::connectionWithRequest(
            URLRequest(server.url("/n?" + std::to_string(i))), recorders.back().get());
    }
    ASSERT_TRUE(RunLoop::main().runUntil(
        [&] {
            return std::all_of(
                recorders.begin(), recorders.end(), [](auto const& r) { return r->done; });
        },
        10));
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(recorders[std::size_t(i)]->body, std::to_string(i));
}

TEST_F(URLConnectionTest, UntrustedCertificateFailsTheConnection) {
    LoopbackServer secure(LoopbackServer::Tls::Untrusted);
    secure.route("GET", "/", HttpResponse::text("secret"));
    URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
    Recorder recorder;
    auto connection = URLConnection::connectionWithRequest(URLRequest(secure.url("/")), &recorder);
    ASSERT_TRUE(runUntilDone(recorder));
    URLConnection::setCertificateAuthorityFile({});
    ASSERT_TRUE(recorder.error);
    EXPECT_FALSE(recorder.response);
    EXPECT_EQ(recorder.error->code, URLError::ServerCertificateUntrusted)
        << recorder.error->failureReason;
}
