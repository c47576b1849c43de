#include <analytics/KestrelHTTPEater.hpp>

#include <support/LoopbackServer.hpp>

#include <foundation/RunLoop.hpp>

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

using analytics::KestrelHTTPEater;
using analytics::KestrelHTTPResponse;
using test::HttpRequest;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

std::string text(base::Bytes const& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Runs the call on a worker thread of its own, as the uploads do, and waits for it.
template<typename F> auto onWorker(F call) {
    std::packaged_task<decltype(call())()> task(std::move(call));
    auto result = task.get_future();
    std::thread worker(std::move(task));
    worker.join();
    return result.get();
}

}

TEST(KestrelHTTPEater, PostFromAWorkerFollowsARedirectAndReturnsStatusHeadersAndBody) {
    LoopbackServer server;
    server.route("POST", "/old", HttpResponse::redirect(307, "/aas.do"));
    server.route("POST", "/aas.do", [](HttpRequest const& request) {
        return HttpResponse::text("got " + request.body, 200).header("X-Reply", "yes");
    });
    foundation::HTTPHeaderFields fields {{"Content-Type", "application/octet-stream"}};
    auto response = onWorker([&] {
        return KestrelHTTPEater::post(server.url("/old"), base::Bytes {'a', 'b'}, fields);
    });
    ASSERT_NE(response, nullptr);
    EXPECT_EQ(response->statusCode(), 200);
    EXPECT_TRUE(response->isSuccess());
    EXPECT_EQ(text(response->body()), "got ab");
    EXPECT_EQ(response->headers()->objectForKey("X-Reply"), base::Value("yes"));
    EXPECT_FALSE(response->error());

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].path, "/aas.do");
    EXPECT_EQ(requests[1].headers.get("Content-Type"), "application/octet-stream");
    EXPECT_FALSE(requests[1].headers.has("Cookie"));
}

TEST(KestrelHTTPEater, GetSendsNoCookiesAndKeepsNone) {
    LoopbackServer server;
    server.route("GET", "/set", HttpResponse::text("set").header("Set-Cookie", "id=1; Path=/"));
    server.route("GET", "/check", HttpResponse::text("checked"));
    onWorker([&] { return KestrelHTTPEater::get(server.url("/set")); });
    auto response = onWorker([&] { return KestrelHTTPEater::get(server.url("/check")); });
    EXPECT_EQ(text(response->body()), "checked");
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].headers.has("Cookie"));
}

TEST(KestrelHTTPEater, FailuresAreResponsesWithStatusZeroAndTheError) {
    struct Case {
        char const* name;
        HttpResponse reply;
        long code;
    };
    HttpResponse silent;
    silent.delay = std::numeric_limits<double>::infinity();
    Case const cases[] = {
        {"dropped", HttpResponse::dropped(), foundation::URLError::NetworkConnectionLost},
        {"silent", silent, foundation::URLError::TimedOut},
    };
    for (auto const& c : cases) {
        LoopbackServer server;
        server.route("*", "/aas.do", c.reply);
        auto response = onWorker([&] {
            return KestrelHTTPEater::sendMethod(
                "POST", server.url("/aas.do"), base::Bytes {1}, {}, 1, false);
        });
        ASSERT_NE(response, nullptr) << c.name;
        EXPECT_EQ(response->statusCode(), 0) << c.name;
        EXPECT_FALSE(response->isSuccess()) << c.name;
        ASSERT_TRUE(response->error()) << c.name;
        EXPECT_EQ(response->error()->code, c.code) << c.name;
    }
}

TEST(KestrelHTTPEater, HttpErrorStatusIsAnAnswerThatIsNoSuccess) {
    LoopbackServer server;
    server.route("GET", "/missing", HttpResponse::text("no", 404));
    auto response = onWorker([&] { return KestrelHTTPEater::get(server.url("/missing")); });
    EXPECT_EQ(response->statusCode(), 404);
    EXPECT_TRUE(response->isError());
    EXPECT_EQ(text(response->body()), "no");
}

TEST(KestrelHTTPEater, StoredCredentialIsProposedOnceAndAWrongOneDoesNotLoop) {
    LoopbackServer server;
    server.route("GET", "/private",
        LoopbackServer::basicAuth("user", "secret", HttpResponse::text("inside")));
    auto base = server.baseURL();
    auto withCredential = [&](std::string credential) {
        return "http://" + credential + "@" + base.substr(std::string("http://").size())
            + "/private";
    };
    auto good = onWorker([&] { return KestrelHTTPEater::get(withCredential("user:secret")); });
    EXPECT_EQ(good->statusCode(), 200);
    EXPECT_EQ(text(good->body()), "inside");
    auto bad = onWorker([&] { return KestrelHTTPEater::get(withCredential("user:wrong")); });
    EXPECT_EQ(bad->statusCode(), 401);
}

TEST(KestrelHTTPEater, WebViewVariantHandsTheLoadToTheMainThreadAndAnswersNone) {
    LoopbackServer server;
    server.route("GET", "/state", HttpResponse::text("<html></html>", 200, "text/html"));
    auto response = KestrelHTTPEater::sendMethod("GET", server.url("/state"), {}, {}, 5, true);
    EXPECT_EQ(response, nullptr);
    foundation::RunLoop::main().runUntil([&] { return server.requestCount() == 1; }, 10);
    EXPECT_EQ(server.requestCount(), 1u);
}
