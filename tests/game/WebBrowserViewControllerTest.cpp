// The in-app browser with a scripted web view: what waits for the view, the title from
// the page, the navigation buttons, and the alert without network.

#include "ShellFixture.hpp"

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <game/shell/WebBrowserViewController.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/BarButtonItem.hpp>
#include <ui/NavigationItem.hpp>

namespace {

class WebBrowserViewControllerTest : public test::ShellFixture {
protected:
    WebBrowserViewControllerTest() {
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        ui::WebView::setFactory([this](graphics::Rect frame) {
            page = test::ScriptedWebView::create(frame);
            page->answerScript("document.title", "Loopback Page");
            return base::Ref<ui::WebView>(page);
        });
        server.route("GET", "/one", test::HttpResponse::text("<html>one</html>", 200, "text/html"));
        server.route("GET", "/two", test::HttpResponse::text("<html>two</html>", 200, "text/html"));
    }
    ~WebBrowserViewControllerTest() override {
        ui::WebView::setFactory(nullptr);
        foundation::Reachability::clearForcedStatus();
        foundation::RunLoop::main().reset();
    }

    bool loaded(game::WebBrowserViewController& browser) {
        return foundation::RunLoop::main().runUntil(
            [&] {
                return !browser.iWebView()->isLoading()
                    && !browser.iLoadingIndicator()->isAnimating();
            },
            10);
    }

    test::LoopbackServer server;
    base::Ref<test::ScriptedWebView> page;
};

TEST_F(WebBrowserViewControllerTest, WhatComesBeforeTheViewWaitsAndTheLastAddressWins) {
    auto browser = game::WebBrowserViewController::initWebBrowser();
    browser->setTitle("Waiting");
    browser->loadURL(server.url("/one"));
    browser->loadURL(server.url("/two"));
    EXPECT_FALSE(browser->isViewLoaded());
    browser->view();
    EXPECT_EQ(browser->iNavigationItem()->title(), "Waiting");
    ASSERT_TRUE(loaded(*browser));
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests().front().path, "/two");
    EXPECT_EQ(browser->iNavigationItem()->title(), "Loopback Page");
}

TEST_F(WebBrowserViewControllerTest, TheButtonsFollowTheHistory) {
    auto browser = game::WebBrowserViewController::initWebBrowser();
    browser->view();
    EXPECT_FALSE(browser->iBackButton()->isEnabled());
    EXPECT_FALSE(browser->iForwardButton()->isEnabled());
    browser->loadURL(server.url("/one"));
    ASSERT_TRUE(loaded(*browser));
    browser->loadURL(server.url("/two"));
    ASSERT_TRUE(loaded(*browser));
    EXPECT_TRUE(browser->iBackButton()->isEnabled());
    EXPECT_FALSE(browser->iForwardButton()->isEnabled());
    browser->iWebView()->goBack();
    ASSERT_TRUE(loaded(*browser));
    EXPECT_FALSE(browser->iBackButton()->isEnabled());
    EXPECT_TRUE(browser->iForwardButton()->isEnabled());
}

TEST_F(WebBrowserViewControllerTest, WithoutNetworkItShowsTheConnectionAlertAndLoadsNothing) {
    foundation::Reachability::setForcedStatus(
        foundation::Reachability::NetworkStatus::NotReachable);
    auto browser = game::WebBrowserViewController::initWebBrowser();
    browser->loadURL(server.url("/one"));
    browser->view();
    ASSERT_EQ(alerts.alerts.size(), 1u);
    EXPECT_EQ(alerts.alerts[0].title, "Unable to connect");
    EXPECT_EQ(
        alerts.alerts[0].message, "Please make sure your device have connected to the internet.");
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(WebBrowserViewControllerTest, PdfDataIsShownAsAPdfAndItTurnsEveryWay) {
    auto browser = game::WebBrowserViewController::initWebBrowser();
    browser->loadPdfData({'%', 'P', 'D', 'F'});
    browser->view();
    ASSERT_TRUE(loaded(*browser));
    EXPECT_EQ(server.requestCount(), 0u);
    for (auto orientation :
        {ui::InterfaceOrientation::Portrait, ui::InterfaceOrientation::LandscapeLeft})
        EXPECT_TRUE(browser->shouldAutorotateToInterfaceOrientation(orientation));
}

}
