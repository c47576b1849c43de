#include "WebViewJournal.hpp"

#include <foundation/RunLoop.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using base::Ref;
using foundation::RunLoop;
using foundation::URLRequest;
using test::HttpResponse;
using test::Journal;
using test::LoopbackServer;
using ui::WebView;
using Entries = std::vector<std::string>;

namespace {

class WebViewTest : public ::testing::Test {
protected:
    WebViewTest() {
        RunLoop::main().reset();
        ui::Application::reset();
        page->setDelegate(&log);
        server.route("GET", "/page",
            HttpResponse::text("<html><title>T</title></html>", 200, "text/html; charset=utf-8"));
        server.route("GET", "/other", HttpResponse::text("<p>other</p>", 200, "text/html"));
    }
    ~WebViewTest() override {
        gate->open();
        RunLoop::main().reset();
    }

    URLRequest get(std::string path) {
        URLRequest request(server.url(path));
        request.setTimeoutInterval(5);
        return request;
    }
    // Starts loading "/slow", whose body waits behind a gate, and runs the loop
    // until the load has started.
    bool startHeldLoad() {
        HttpResponse slow;
        slow.pieces.push_back({"late", 0, gate});
        server.route("GET", "/slow", slow);
        page->loadRequest(get("/slow"));
        return RunLoop::main().runUntil([&] { return journal.entries.size() == 2; }, 5);
    }
    // Runs the loop until count loads have ended.
    bool waitForEnd(int count = 1) {
        return RunLoop::main().runUntil([&] { return log.ended >= count; }, 10);
    }

    LoopbackServer server;
    std::shared_ptr<test::Gate> gate = std::make_shared<test::Gate>();
    Journal journal;
    test::PageLog log {journal, server.baseURL()};
    Ref<WebView> page = WebView::create(graphics::makeRect(0, 0, 320, 480));
};

}

TEST_F(WebViewTest, LoadsAPageAndReportsItsStartAndFinish) {
    page->loadRequest(get("/page"));
    EXPECT_EQ(journal.take(), Entries {"should 5 /page"});
    EXPECT_TRUE(page->isLoading());
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(journal.take(), (Entries {"start", "finish"}));
    EXPECT_FALSE(page->isLoading());
    EXPECT_EQ(page->pageContent(), "<html><title>T</title></html>");
    EXPECT_EQ(page->pageMIMEType(), "text/html");
    EXPECT_EQ(page->pageTextEncodingName(), "utf-8");
    EXPECT_EQ(page->request().URL(), server.url("/page"));
    EXPECT_EQ(page->stringByEvaluatingJavaScriptFromString("document.title"), "");
}

TEST_F(WebViewTest, RefusedNavigationLoadsNothingAndReportsNothing) {
    log.allow = [](std::string const&) { return false; };
    page->loadRequest(get("/page"));
    RunLoop::main().runUntil(nullptr, 0.2);
    EXPECT_EQ(journal.take(), Entries {"should 5 /page"});
    EXPECT_FALSE(page->isLoading());
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(WebViewTest, RedirectIsANavigationTheDelegateMayRefuse) {
    server.route("GET", "/jump", HttpResponse::redirect(302, server.url("/other")));
    page->loadRequest(get("/jump"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(journal.take(), (Entries {"should 5 /jump", "start", "should 5 /other", "finish"}));
    EXPECT_EQ(page->request().URL(), server.url("/other"));
    EXPECT_EQ(page->pageContent(), "<p>other</p>");

    log.allow = [](std::string const& url) { return url != "/other"; };
    page->loadRequest(get("/jump"));
    ASSERT_TRUE(waitForEnd(2));
    EXPECT_EQ(journal.take(), (Entries {"should 5 /jump", "start", "should 5 /other", "fail 102"}));
    EXPECT_EQ(log.lastError.domain, "WebKitErrorDomain");
}

TEST_F(WebViewTest, RedirectOutOfTheWebFailsAsAURLThatCannotBeShown) {
    server.route("GET", "/store", HttpResponse::redirect(302, "itms-apps://store.example/app"));
    page->loadRequest(get("/store"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(journal.take(),
        (Entries {
            "should 5 /store", "start", "should 5 itms-apps://store.example/app", "fail 101"}));
}

TEST_F(WebViewTest, ErrorPagesArePagesAndLostConnectionsFail) {
    server.route("GET", "/missing", HttpResponse::text("missing", 404));
    page->loadRequest(get("/missing"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(journal.take(), (Entries {"should 5 /missing", "start", "finish"}));
    EXPECT_EQ(page->pageContent(), "missing");

    server.route("GET", "/drop", HttpResponse::dropped());
    page->loadRequest(get("/drop"));
    ASSERT_TRUE(waitForEnd(2));
    auto entries = journal.take();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].substr(0, 5), "fail ");
    EXPECT_NE(log.lastError.code, foundation::URLError::Cancelled);
    EXPECT_EQ(page->pageContent(), "missing") << "the page shown stays";
}

TEST_F(WebViewTest, NewLoadCancelsTheRunningOneFirst) {
    ASSERT_TRUE(startHeldLoad());
    page->loadRequest(get("/page"));
    ASSERT_TRUE(waitForEnd(2));
    EXPECT_EQ(journal.take(),
        (Entries {"should 5 /slow", "start", "should 5 /page", "fail -999", "start", "finish"}));
    EXPECT_EQ(page->pageContent(), "<html><title>T</title></html>");
}

TEST_F(WebViewTest, StopLoadingReportsACancelledLoad) {
    ASSERT_TRUE(startHeldLoad());
    page->stopLoading();
    EXPECT_FALSE(page->isLoading());
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(journal.take(), (Entries {"should 5 /slow", "start", "fail -999"}));
}

TEST_F(WebViewTest, BackForwardAndReloadFetchThePagesAgain) {
    page->loadRequest(get("/page"));
    ASSERT_TRUE(waitForEnd(1));
    page->loadRequest(get("/other"));
    ASSERT_TRUE(waitForEnd(2));
    journal.take();
    page->goBack();
    ASSERT_TRUE(waitForEnd(3));
    EXPECT_EQ(journal.take(), (Entries {"should 2 /page", "start", "finish"}));
    EXPECT_TRUE(page->canGoForward());
    page->reload();
    ASSERT_TRUE(waitForEnd(4));
    EXPECT_EQ(journal.take(), (Entries {"should 3 /page", "start", "finish"}));
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(WebViewTest, LinksAndResourcesOfTheDocumentAreNotFollowed) {
    server.route("GET", "/links",
        HttpResponse::text("<html><head><meta http-equiv='refresh' content='0;url=/other'>"
                           "<script src='/script.js'></script></head><body>"
                           "<img src='/img.png'><a href='/other'>next</a></body></html>",
            200, "text/html"));
    page->loadRequest(get("/links"));
    ASSERT_TRUE(waitForEnd());
    RunLoop::main().runUntil(nullptr, 0.2);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(journal.take(), (Entries {"should 5 /links", "start", "finish"}));
}
