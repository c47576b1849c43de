#include <foundation/URLConnection.hpp>

#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

using foundation::URLConnection;
using foundation::URLError;
using foundation::URLRequest;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

std::string text(base::Bytes const& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

URLConnection::SynchronousResult sendFromWorker(URLRequest const& request) {
    return std::async(std::launch::async, [&] {
        return URLConnection::sendSynchronousRequest(request);
    }).get();
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}

TEST(SynchronousRequest, ReturnsBodyResponseAndHeadersFromAWorkerThread) {
    LoopbackServer server;
    server.route("GET", "/hello", HttpResponse::text("hello there").header("X-Extra", "1"));

    auto result = sendFromWorker(URLRequest(server.url("/hello?x=1")));

    ASSERT_FALSE(result.error) << result.error->failureReason;
    EXPECT_EQ(text(result.data), "hello there");
    EXPECT_EQ(result.response.statusCode(), 200);
    EXPECT_EQ(result.response.URL(), server.url("/hello?x=1"));
    EXPECT_EQ(result.response.valueForHeaderField("x-extra"), "1");
    EXPECT_EQ(result.response.expectedContentLength(), 11);
    EXPECT_EQ(result.response.MIMEType(), "text/plain");
    EXPECT_EQ(result.response.textEncodingName(), "utf-8");
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].query, "x=1");
}

TEST(SynchronousRequest, SendsMethodHeadersAndBody) {
    LoopbackServer server;
    server.route("PUT", "/items", HttpResponse::text("stored", 201));
    URLRequest request(server.url("/items"));
    request.setHTTPMethod("PUT");
    request.setValue("application/json", "Content-Type");
    request.setValue("abc", "X-Token");
    request.setHTTPBody(std::string_view("{\"a\":1}"));

    auto result = sendFromWorker(request);

    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.response.statusCode(), 201);
    auto received = server.requests().at(0);
    EXPECT_EQ(received.method, "PUT");
    EXPECT_EQ(received.body, "{\"a\":1}");
    EXPECT_EQ(received.headers.get("content-type"), "application/json");
    EXPECT_EQ(received.headers.get("X-Token"), "abc");
    EXPECT_FALSE(received.headers.has("Expect"));
}

TEST(SynchronousRequest, HttpErrorStatusIsAResponseNotAnError) {
    LoopbackServer server;
    server.route("GET", "/missing", HttpResponse::text("nothing here", 404));
    auto result = sendFromWorker(URLRequest(server.url("/missing")));
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.response.statusCode(), 404);
    EXPECT_EQ(text(result.data), "nothing here");
}

TEST(SynchronousRequest, SilentServerTimesOutAfterTheIdleInterval) {
    LoopbackServer server;
    HttpResponse silent;
    silent.delay = std::numeric_limits<double>::infinity();
    server.route("GET", "/silent", silent);
    URLRequest request(server.url("/silent"));
    request.setTimeoutInterval(0.3);

    auto start = std::chrono::steady_clock::now();
    auto result = sendFromWorker(request);

    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::TimedOut);
    EXPECT_EQ(result.error->domain, URLError::URLErrorDomain);
    EXPECT_EQ(result.response.statusCode(), 0);
    EXPECT_TRUE(result.data.empty());
    EXPECT_LT(secondsSince(start), 3.0);
    EXPECT_GE(secondsSince(start), 0.25);
}

TEST(SynchronousRequest, DroppedConnectionIsReportedAsLost) {
    LoopbackServer server;
    server.route("GET", "/drop", HttpResponse::dropped());
    auto result = sendFromWorker(URLRequest(server.url("/drop")));
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::NetworkConnectionLost);
}

TEST(SynchronousRequest, ClosedPortCannotConnect) {
    int port;
    {
        LoopbackServer server;
        port = server.port();
    }
    URLRequest request("http://127.0.0.1:" + std::to_string(port) + "/");
    request.setTimeoutInterval(2);
    auto result = sendFromWorker(request);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::CannotConnectToHost);
}
