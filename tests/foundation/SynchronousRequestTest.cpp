#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLLoad.hpp>

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

TEST(SynchronousRequest, FollowsRedirectsChangingPostToGetAsBrowsersDo) {
    struct Case {
        int status;
        char const* methodAfter;
        bool bodyKept;
    };
    Case const cases[] = {
        {301, "GET", false},
        {302, "GET", false},
        {303, "GET", false},
        {307, "POST", true},
        {308, "POST", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.status);
        LoopbackServer server;
        server.route("POST", "/old", HttpResponse::redirect(c.status, "/new"));
        server.route("*", "/new", HttpResponse::text("arrived"));
        URLRequest request(server.url("/old"));
        request.setHTTPMethod("POST");
        request.setHTTPBody(std::string_view("payload"));

        auto result = sendFromWorker(request);

        ASSERT_FALSE(result.error);
        EXPECT_EQ(text(result.data), "arrived");
        EXPECT_EQ(result.response.URL(), server.url("/new"));
        auto requests = server.requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[1].method, c.methodAfter);
        EXPECT_EQ(requests[1].body, c.bodyKept ? "payload" : "");
    }
}

TEST(SynchronousRequest, EndlessRedirectsFailWithTooManyRedirects) {
    LoopbackServer server;
    server.route("GET", "/loop", HttpResponse::redirect(302, "/loop"));
    auto result = sendFromWorker(URLRequest(server.url("/loop")));
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::HTTPTooManyRedirects);
    EXPECT_EQ(server.requestCount(), std::size_t(foundation::URLLoad::MaximumRedirects + 1));
}

TEST(SynchronousRequest, StreamedBodyIsSentChunkedAndAgainAfterA307) {
    LoopbackServer server;
    server.route("POST", "/upload", HttpResponse::redirect(307, "/upload2"));
    server.route("POST", "/upload2", HttpResponse::text("got it"));
    auto pieces = std::make_shared<std::vector<std::string>>(
        std::vector<std::string> {"one-", "two-", "three"});
    URLRequest request(server.url("/upload"));
    request.setHTTPMethod("POST");
    request.setHTTPBodyStream(
        [pieces, next = std::size_t(0)](std::uint8_t* buffer, std::size_t) mutable {
            if (next == pieces->size())
                return std::ptrdiff_t(0);
            auto const& piece = (*pieces)[next++];
            std::copy(piece.begin(), piece.end(), buffer);
            return std::ptrdiff_t(piece.size());
        });

    auto result = sendFromWorker(request);

    ASSERT_FALSE(result.error);
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (auto const& received : requests) {
        EXPECT_EQ(received.body, "one-two-three");
        EXPECT_EQ(received.headers.get("Transfer-Encoding"), "chunked");
    }
}

TEST(SynchronousRequest, StreamedBodyWithDeclaredLengthIsNotChunked) {
    LoopbackServer server;
    server.route("POST", "/upload", HttpResponse::text("ok"));
    URLRequest request(server.url("/upload"));
    request.setHTTPMethod("POST");
    request.setValue("5", "Content-Length");
    request.setHTTPBodyStream([sent = false](std::uint8_t* buffer, std::size_t) mutable {
        if (sent)
            return std::ptrdiff_t(0);
        sent = true;
        std::copy_n("hello", 5, buffer);
        return std::ptrdiff_t(5);
    });
    auto result = sendFromWorker(request);
    ASSERT_FALSE(result.error);
    auto received = server.requests().at(0);
    EXPECT_EQ(received.body, "hello");
    EXPECT_EQ(received.headers.get("Content-Length"), "5");
    EXPECT_FALSE(received.headers.has("Transfer-Encoding"));
}

TEST(SynchronousRequest, FailingBodyStreamFailsTheLoad) {
    LoopbackServer server;
    server.route("POST", "/upload", HttpResponse::text("ok"));
    URLRequest request(server.url("/upload"));
    request.setHTTPMethod("POST");
    request.setHTTPBodyStream([](std::uint8_t*, std::size_t) { return std::ptrdiff_t(-1); });
    auto result = sendFromWorker(request);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::RequestBodyStreamExhausted);
}

TEST(SynchronousRequest, ChunkedBodyArrivesWholeWithUnknownLength) {
    LoopbackServer server;
    HttpResponse chunked;
    chunked.chunked = true;
    chunked.body("first,").body("second,").body("third");
    server.route("GET", "/chunks", chunked);
    auto result = sendFromWorker(URLRequest(server.url("/chunks")));
    ASSERT_FALSE(result.error);
    EXPECT_EQ(text(result.data), "first,second,third");
    EXPECT_EQ(result.response.expectedContentLength(), foundation::URLResponse::UnknownLength);
}

TEST(SynchronousRequest, BodyCutShortIsAnError) {
    LoopbackServer server;
    HttpResponse cut = HttpResponse::text("only part");
    cut.announcedLength = 1000;
    server.route("GET", "/cut", cut);
    auto result = sendFromWorker(URLRequest(server.url("/cut")));
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::NetworkConnectionLost);
    EXPECT_TRUE(result.data.empty());
    EXPECT_EQ(result.response.statusCode(), 200);
}

TEST(SynchronousRequest, RangeRequestsGetPartialContent) {
    struct Case {
        char const* range;
        int status;
        char const* body;
        char const* contentRange;
    };
    Case const cases[] = {
        {"bytes=4-", 206, "456789", "bytes 4-9/10"},
        {"bytes=2-4", 206, "234", "bytes 2-4/10"},
        {"bytes=-3", 206, "789", "bytes 7-9/10"},
        {"bytes=20-", 416, "", "bytes */10"},
        {"", 200, "0123456789", ""},
    };
    LoopbackServer server;
    server.route("GET", "/file", LoopbackServer::ranged("0123456789"));
    for (auto const& c : cases) {
        SCOPED_TRACE(c.range);
        URLRequest request(server.url("/file"));
        if (*c.range)
            request.setValue(c.range, "Range");
        auto result = sendFromWorker(request);
        ASSERT_FALSE(result.error);
        EXPECT_EQ(result.response.statusCode(), c.status);
        EXPECT_EQ(text(result.data), c.body);
        EXPECT_EQ(result.response.valueForHeaderField("Content-Range"), c.contentRange);
    }
}

TEST(SynchronousRequest, BasicChallengeIsAnsweredWithTheURLCredentialOnce) {
    LoopbackServer server;
    server.route("GET", "/private",
        LoopbackServer::basicAuth("ann", "secret", HttpResponse::text("welcome")));

    std::string base = server.baseURL();
    auto withCredential = [&](char const* user) {
        return "http://" + std::string(user) + "@" + base.substr(std::string("http://").size())
            + "/private";
    };

    auto accepted = sendFromWorker(URLRequest(withCredential("ann:secret")));
    ASSERT_FALSE(accepted.error);
    EXPECT_EQ(accepted.response.statusCode(), 200);
    EXPECT_EQ(text(accepted.data), "welcome");
    EXPECT_EQ(accepted.response.URL(), server.url("/private"));

    server.clearRequests();
    auto refused = sendFromWorker(URLRequest(withCredential("ann:wrong")));
    ASSERT_FALSE(refused.error);
    EXPECT_EQ(refused.response.statusCode(), 401);
    EXPECT_EQ(text(refused.data), "authentication required");
    EXPECT_EQ(server.requestCount(), 2u);

    server.clearRequests();
    auto none = sendFromWorker(URLRequest(server.url("/private")));
    EXPECT_EQ(none.response.statusCode(), 401);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST(SynchronousRequest, HttpsWithTheTrustedTestAuthoritySucceeds) {
    LoopbackServer server(LoopbackServer::Tls::Trusted);
    server.route("GET", "/secure", HttpResponse::text("encrypted"));
    URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
    auto result = sendFromWorker(URLRequest(server.url("/secure")));
    URLConnection::setCertificateAuthorityFile({});
    ASSERT_FALSE(result.error) << result.error->failureReason;
    EXPECT_EQ(text(result.data), "encrypted");
}

TEST(SynchronousRequest, HttpsRefusesCertificatesNoAuthorityVouchesFor) {
    struct Case {
        LoopbackServer::Tls tls;
        bool addTestAuthority;
    };
    // The trusted server's certificate fails too while the test authority is not added.
    Case const cases[]
        = {{LoopbackServer::Tls::Untrusted, true}, {LoopbackServer::Tls::Trusted, false}};
    for (auto const& c : cases) {
        LoopbackServer server(c.tls);
        server.route("GET", "/secure", HttpResponse::text("encrypted"));
        URLConnection::setCertificateAuthorityFile(
            c.addTestAuthority ? LoopbackServer::caFile() : "");
        auto result = sendFromWorker(URLRequest(server.url("/secure")));
        URLConnection::setCertificateAuthorityFile({});
        ASSERT_TRUE(result.error);
        EXPECT_TRUE(result.error->code == URLError::ServerCertificateUntrusted
            || result.error->code == URLError::ServerCertificateHasUnknownRoot)
            << result.error->code << " " << result.error->failureReason;
        EXPECT_EQ(server.requestCount(), 0u);
    }
}

TEST(SynchronousRequest, UnsupportedAndBadURLsFailAtOnce) {
    struct Case {
        char const* url;
        long code;
    };
    Case const cases[] = {
        {"ftp://127.0.0.1/file", URLError::UnsupportedURL},
        {"not a url", URLError::BadURL},
        {"", URLError::BadURL},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        auto result = sendFromWorker(URLRequest(c.url));
        ASSERT_TRUE(result.error);
        EXPECT_EQ(result.error->code, c.code);
    }
}

TEST(SynchronousRequest, CacheOnlyPolicyFailsSinceThereIsNoCache) {
    LoopbackServer server;
    auto request = URLRequest::requestWithURL(
        server.url("/"), foundation::URLRequestCachePolicy::ReturnCacheDataDontLoad, 5);
    auto result = sendFromWorker(request);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->code, URLError::ResourceUnavailable);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST(SynchronousRequest, CookiesSetByRepliesAreStoredAndSentOnlyWhenHandled) {
    auto& storage = foundation::HTTPCookieStorage::sharedHTTPCookieStorage();
    storage.removeAllCookies();
    LoopbackServer server;
    server.route("GET", "/login",
        HttpResponse::redirect(302, "/home")
            .header("Set-Cookie", "session=abc123; Path=/")
            .header("Set-Cookie", "theme=dark; Path=/settings"));
    server.route("GET", "/home", HttpResponse::text("home"));
    server.route("GET", "/settings/page", HttpResponse::text("settings"));

    ASSERT_FALSE(sendFromWorker(URLRequest(server.url("/login"))).error);
    ASSERT_FALSE(sendFromWorker(URLRequest(server.url("/settings/page"))).error);
    URLRequest withoutCookies(server.url("/settings/page"));
    withoutCookies.setHTTPShouldHandleCookies(false);
    ASSERT_FALSE(sendFromWorker(withoutCookies).error);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_FALSE(requests[0].headers.has("Cookie"));
    // The cookie set by the redirect reply already goes with the redirected request.
    EXPECT_EQ(requests[1].headers.get("Cookie"), "session=abc123");
    EXPECT_EQ(requests[2].headers.get("Cookie"), "theme=dark; session=abc123");
    EXPECT_FALSE(requests[3].headers.has("Cookie"));
    EXPECT_EQ(storage.cookiesForURL(server.url("/")).size(), 1u);
    storage.removeAllCookies();
}

TEST(SynchronousRequest, RequestWithoutCookieHandlingStoresNothing) {
    auto& storage = foundation::HTTPCookieStorage::sharedHTTPCookieStorage();
    storage.removeAllCookies();
    LoopbackServer server;
    server.route("GET", "/set", HttpResponse::text("ok").header("Set-Cookie", "a=1"));
    URLRequest request(server.url("/set"));
    request.setHTTPShouldHandleCookies(false);
    ASSERT_FALSE(sendFromWorker(request).error);
    EXPECT_TRUE(storage.cookies().empty());
}

TEST(SynchronousRequest, ABodyLongerThanTheRequestAllowsFailsTheLoad) {
    LoopbackServer server;
    HttpResponse chunked;
    chunked.chunked = true;
    chunked.body(std::string(600, 'a')).body(std::string(600, 'b'));
    server.route("GET", "/chunked", chunked);
    server.route("GET", "/announced", HttpResponse::text(std::string(1200, 'x')));
    server.route("GET", "/fits", HttpResponse::text(std::string(1000, 'y')));
    // The limit applies to the body of a redirect as well.
    server.route("GET", "/redirect", [](test::HttpRequest const&) {
        auto reply = HttpResponse::redirect(302, "/fits");
        reply.body(std::string(1200, 'r'));
        return reply;
    });
    struct Case {
        char const* path;
        std::uint64_t maximum;
        bool fails;
    } const cases[] = {
        {"/chunked", 1000, true}, {"/announced", 1000, true}, {"/announced", 1199, true},
        {"/announced", 1200, false}, {"/fits", 1000, false}, {"/redirect", 1000, true},
        {"/chunked", 0, false}, // zero: the default, 64 MB
    };
    for (auto const& c : cases) {
        URLRequest request(server.url(c.path));
        request.setMaximumBodySize(c.maximum);
        auto result = sendFromWorker(request);
        EXPECT_EQ(result.error.has_value(), c.fails) << c.path << " at most " << c.maximum;
        if (result.error) {
            EXPECT_EQ(result.error->code, URLError::DataLengthExceedsMaximum) << c.path;
            EXPECT_EQ(result.error->localizedDescription,
                "The body of the reply is larger than the request allows.");
            EXPECT_TRUE(result.data.empty());
        }
    }
    EXPECT_EQ(URLRequest("http://h/").maximumBodySize(), std::uint64_t(64) << 20);
}

TEST(SynchronousRequest, URLsThatWouldReadAsAnotherAreRefusedUnsent) {
    LoopbackServer server;
    server.route("*", "/a", HttpResponse::text("a"));
    auto base = server.baseURL();
    for (auto url : {base + std::string("/a\0/../b", 9), std::string("http:///a"),
             std::string("http:/127.0.0.1/a")}) {
        auto result = sendFromWorker(URLRequest(url));
        ASSERT_TRUE(result.error) << url;
        EXPECT_EQ(result.error->code, URLError::BadURL) << url;
    }
    EXPECT_EQ(server.requestCount(), 0u);
}
