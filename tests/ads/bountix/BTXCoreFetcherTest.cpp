#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXCoreFetcherHandler.hpp>

#include <foundation/RunLoop.hpp>
#include <toolkit/xml/XDoc.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using ads::bountix::BTXCoreFetcher;
using ads::bountix::BTXCoreFetcherHandler;
using ads::bountix::BTXFetchResponseDelegate;
using ads::bountix::BTXParameters;
using test::HttpResponse;

namespace {

// Records what the delegate hears: "ok <root name>" or "error <kind>", with the tag.
class Recorder final : public BTXFetchResponseDelegate {
public:
    void fetchResponseSuccessWithData(toolkit::xml::XDocElement const* element, int tag) override {
        events.push_back("ok " + toolkit::xml::XDoc::elementName(element));
        tags.push_back(tag);
    }
    void fetchResponseError(int kind, std::string const& description, int tag) override {
        events.push_back("error " + std::to_string(kind));
        EXPECT_TRUE(description.empty());
        tags.push_back(tag);
    }
    std::vector<std::string> events;
    std::vector<int> tags;
};

// A handler as the real ones are: it validates the reply and reports success itself.
class TestHandler final : public BTXCoreFetcherHandler {
public:
    void fetch(std::string const& url, std::string const& alternate,
        std::optional<BTXParameters> params = std::nullopt) {
        makeGenericRequestWithURL(url, alternate, std::move(params), [this](BTXCoreFetcher& f) {
            ++completions;
            retryCounts.push_back(f.retryCount());
            if (auto reply = validateResponseReturnedObject(f); reply && deleg())
                deleg()->fetchResponseSuccessWithData(reply.root, f.requestTag);
        });
    }
    int completions {0};
    std::vector<int> retryCounts;

private:
    friend base::Factory;
    TestHandler() = default;
};

class BTXCoreFetcherTest : public test::BountixTest {
protected:
    BTXCoreFetcherTest() { handler->initRequestWithDelegate(&recorder, 7); }

    bool waitForCompletions(int count) {
        bool done = foundation::RunLoop::main().runUntil(
            [&] { return handler->completions >= count; }, 20);
        foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
        return done;
    }

    Recorder recorder;
    base::Ref<TestHandler> handler = base::make<TestHandler>();
};

}

TEST_F(BTXCoreFetcherTest, RepliesAreAcceptedOrRefused) {
    struct Case {
        char const* name;
        HttpResponse answer;
        char const* event;
    };
    Case const cases[] {
        {"accepted", HttpResponse::text("<BountixAd><Image>x</Image></BountixAd>"), "ok BountixAd"},
        {"other case", HttpResponse::text("<bountixvideos></bountixvideos>"), "ok bountixvideos"},
        {"connect object", HttpResponse::text("<BountixConnectReturnObject/>"),
            "ok BountixConnectReturnObject"},
        {"foreign root", HttpResponse::text("<Other><A/></Other>"), "error 1"},
        {"error message",
            HttpResponse::text("<BountixAd><ErrorMessage>no</ErrorMessage></BountixAd>"),
            "error 1"},
        {"status 500 with XML", HttpResponse::text("<BountixAd/>", 500), "error 0"},
        {"status 201", HttpResponse::text("<BountixAd/>", 201), "error 0"},
        {"empty body", HttpResponse::text(""), "error 0"},
        {"not XML", HttpResponse::text("just words"), "error 0"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        recorder.events.clear();
        handler->completions = 0;
        fallback.clearRequests();
        primary.route("GET", "/reply", c.answer);
        handler->fetch(primary.url("/reply"), fallback.url("/reply"));
        ASSERT_TRUE(waitForCompletions(1));
        EXPECT_EQ(recorder.events, std::vector<std::string>({c.event}));
        EXPECT_EQ(handler->completions, 1);
        EXPECT_EQ(fallback.requestCount(), 0u);
    }
    EXPECT_EQ(recorder.tags.back(), 7);
}

TEST_F(BTXCoreFetcherTest, UnansweredRequestsRetryOnceOnTheAlternateURL) {
    struct Case {
        char const* name;
        HttpResponse primaryAnswer;
        HttpResponse fallbackAnswer;
        char const* event;
        int retryCount;
    };
    HttpResponse late = HttpResponse::text("<BountixAd/>");
    late.delay = 15;
    Case const cases[] {
        {"dropped, then answered", HttpResponse::dropped(), HttpResponse::text("<BountixAd/>"),
            "ok BountixAd", 1},
        {"timed out, then answered", late, HttpResponse::text("<BountixAd/>"), "ok BountixAd", 1},
        {"dropped twice", HttpResponse::dropped(), HttpResponse::dropped(), "error 0", 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        test::LoopbackServer first {test::LoopbackServer::Tls::Trusted};
        test::LoopbackServer second {test::LoopbackServer::Tls::Trusted};
        recorder.events.clear();
        handler->completions = 0;
        handler->retryCounts.clear();
        first.route("GET", "/reply", c.primaryAnswer);
        second.route("GET", "/reply", c.fallbackAnswer);
        handler->fetch(first.url("/reply"), second.url("/reply"), BTXParameters {{"a", "1 2"}});
        ASSERT_TRUE(waitForCompletions(1));
        EXPECT_EQ(recorder.events, std::vector<std::string>({c.event}));
        EXPECT_EQ(handler->retryCounts, std::vector<int>({c.retryCount}));
        ASSERT_GE(second.requestCount(), 1u);
        EXPECT_EQ(second.requests()[0].target, "/reply?a=1%202");
    }
}

TEST_F(BTXCoreFetcherTest, WithoutAnAlternateURLAFailureIsFinal) {
    primary.route("GET", "/reply", HttpResponse::dropped());
    handler->fetch(primary.url("/reply"), "");
    ASSERT_TRUE(waitForCompletions(1));
    EXPECT_EQ(recorder.events, std::vector<std::string>({"error 0"}));
    EXPECT_EQ(handler->retryCounts, std::vector<int>({0}));
    EXPECT_TRUE(handler->myFetcher()->hasError());
    EXPECT_TRUE(handler->myFetcher()->hasFetched());
}

TEST_F(BTXCoreFetcherTest, ARequestThatCannotStartCompletesOnceWithAnError) {
    handler->fetch("", "");
    EXPECT_EQ(handler->completions, 0);
    ASSERT_TRUE(waitForCompletions(1));
    EXPECT_EQ(handler->completions, 1);
    EXPECT_EQ(recorder.events, std::vector<std::string>({"error 0"}));
}

TEST_F(BTXCoreFetcherTest, ANewRequestCancelsTheRunningOne) {
    HttpResponse slow = HttpResponse::text("<BountixAd><First/></BountixAd>");
    slow.delay = 1;
    primary.route("GET", "/slow", slow);
    primary.route("GET", "/fast", HttpResponse::text("<BountixVideos/>"));
    handler->fetch(primary.url("/slow"), fallback.url("/slow"));
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return primary.requestCount() >= 1; }, 10));
    handler->fetch(primary.url("/fast"), fallback.url("/fast"));
    ASSERT_TRUE(waitForCompletions(1));
    foundation::RunLoop::main().runUntil([] { return false; }, 1.5);
    EXPECT_EQ(handler->completions, 1);
    EXPECT_EQ(recorder.events, std::vector<std::string>({"ok BountixVideos"}));
}

TEST_F(BTXCoreFetcherTest, AnOversizedReplyIsRefusedWithoutRetry) {
    primary.route("GET", "/big",
        HttpResponse::text(
            "<BountixAd>" + std::string(BTXCoreFetcher::MaximumReplySize, 'x') + "</BountixAd>"));
    handler->fetch(primary.url("/big"), fallback.url("/big"));
    ASSERT_TRUE(waitForCompletions(1));
    EXPECT_EQ(recorder.events, std::vector<std::string>({"error 0"}));
    EXPECT_EQ(fallback.requestCount(), 0u);
}

TEST_F(BTXCoreFetcherTest, PostSendsTheBodyAndNoQuery) {
    primary.route("POST", "/form", HttpResponse::text("<BountixAd/>"));
    handler->makeGenericPOSTRequestWithURL(primary.url("/form"), "", base::Bytes {'h', 'i'},
        BTXParameters {{"k", "v"}}, [this](BTXCoreFetcher& f) {
            ++handler->completions;
            handler->validateResponseReturnedObject(f);
        });
    ASSERT_TRUE(waitForCompletions(1));
    auto requests = primary.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/form");
    EXPECT_EQ(requests[0].body, "hi");
    EXPECT_EQ(handler->myFetcher()->postParameters, (BTXParameters {{"k", "v"}}));
}

TEST(BTXCoreFetcher, RequestURLAndBindings) {
    auto fetcher = BTXCoreFetcher::create();
    EXPECT_EQ(fetcher->requestURL(), "");
    fetcher->baseURL = "https://a.test/x";
    fetcher->alternateURL = "https://b.test/x";
    EXPECT_EQ(fetcher->requestURL(), "https://a.test/x");
    fetcher->bindings = BTXParameters {};
    EXPECT_EQ(fetcher->requestURL(), "https://a.test/x");
    fetcher->bindings = BTXParameters {{"q", "a&b"}, {"n", "1"}};
    EXPECT_EQ(fetcher->requestURL(), "https://a.test/x?q=a%26b&n=1");
    EXPECT_EQ(fetcher->urlEncodedBindings(), "q=a&b&n=1");
    EXPECT_EQ(fetcher->requestMethod, "GET");
    EXPECT_EQ(fetcher->retryCount(), 0);
}
