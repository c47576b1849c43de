#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdAppStoreConnectionDelegate.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <support/LoopbackServer.hpp>

#include <gtest/gtest.h>

#include <string>

using ads::kestrel::KestrelAdAppStoreConnectionDelegate;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdView;

namespace {

// The store hand-off against a loopback referral service: a redirect chain that ends
// at the store page, one that ends at a store address of its own scheme, a loop, and
// a connection that drops.
class KestrelAdHandOffTest : public test::KestrelViewsTest {
protected:
    KestrelAdHandOffTest() {
        server.route("GET", "/ref", test::HttpResponse::redirect(302, server.url("/hop")));
        server.route("GET", "/hop", test::HttpResponse::redirect(301, server.url("/store?id=7")));
        server.route("GET", "/store", test::HttpResponse::text("store"));
        server.route("GET", "/ref-app",
            test::HttpResponse::redirect(302, "itms-apps://itunes.example/app/id7"));
        server.route("GET", "/loop", test::HttpResponse::redirect(302, server.url("/loop")));
        server.route("GET", "/drop", test::HttpResponse::dropped());
        impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    }

    // Runs a hand-off of url to its end: whether it opened the store.
    std::optional<bool> handOff(std::optional<std::string> url) {
        auto delegate = KestrelAdAppStoreConnectionDelegate::create();
        delegate->setAdImpression(impression);
        std::optional<bool> opened;
        delegate->setEndedHandler([&](bool result) { opened = result; });
        auto connection = delegate->openReferralURL(url);
        foundation::RunLoop::main().runUntil([&] { return opened.has_value(); }, 20);
        return opened;
    }

    std::vector<int> states() const {
        std::vector<int> codes;
        for (auto const& state : impression->adStates())
            codes.push_back(state->state());
        return codes;
    }

    test::LoopbackServer server;
    base::Ref<KestrelAdImpression> impression;
};

TEST_F(KestrelAdHandOffTest, FollowsTheRedirectsAndOpensTheLastUrl) {
    struct Case {
        char const* path;
        std::optional<bool> opened;
        std::string storeURL;
    };
    for (auto const& c : {Case {"/ref", true, server.url("/store?id=7")},
             Case {"/ref-app", true, "itms-apps://itunes.example/app/id7"},
             Case {"/loop", false, ""}, Case {"/drop", false, ""}}) {
        ui::Application::reset();
        impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
        EXPECT_EQ(handOff(server.url(c.path)), c.opened) << c.path;
        auto const& opened = ui::Application::sharedApplication().openedExternalURLs();
        if (*c.opened) {
            EXPECT_EQ(opened, std::vector<std::string> {c.storeURL}) << c.path;
            EXPECT_EQ(states(), (std::vector<int> {1, 6, 8})) << c.path;
        } else {
            EXPECT_TRUE(opened.empty()) << c.path;
            EXPECT_EQ(states(), (std::vector<int> {1, 6})) << c.path;
        }
    }
}

TEST_F(KestrelAdHandOffTest, NoReferralUrlEndsAtOnce) {
    EXPECT_EQ(handOff(std::nullopt), false);
    EXPECT_TRUE(ui::Application::sharedApplication().openedExternalURLs().empty());
}

TEST_F(KestrelAdHandOffTest, BannerAlertStartsTheHandOffAndClearsTheIndicator) {
    parseViewsReply();
    ads::kestrel::KestrelAdLoop::setAppStoreURL(server.url("/ref"));
    auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
    auto view = KestrelAdView::initWithAd(
        ad, "banner", 0, 0, host.get(), true, "portrait", "portrait", false, std::nullopt);
    auto touch = ui::Touch::create(view.get(), window.get(), {5, 5}, 1, 0);
    view->touchesEnded(ui::TouchSet({touch}), nullptr);
    ASSERT_TRUE(view->webUrl());
    auto alert = ui::AlertView::create("", "", view.get(), "Don't Allow", {"OK"});
    view->clickedButtonAtIndex(*alert, 0);
    EXPECT_FALSE(view->appStoreConnection()) << "the cancel button starts nothing";
    view->clickedButtonAtIndex(*alert, 1);
    EXPECT_TRUE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    foundation::RunLoop::main().runUntil(
        [&] { return !ui::Application::sharedApplication().openedExternalURLs().empty(); }, 20);
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {server.url("/store?id=7")});
    EXPECT_FALSE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    EXPECT_EQ(view->adImpression()->currentState(), 8);
}

}

namespace {

// The canvas's hand-off: a chain that reaches the store records 6 and 8 and opens the
// last address; a dropped one takes the spinner and the veil away again.
TEST_F(KestrelAdHandOffTest, CanvasHandOffEndsWithTheSpinnerGone) {
    parseViewsReply(0);
    for (auto const* path : {"/ref", "/drop"}) {
        ui::Application::reset();
        window->makeKeyAndVisible();
        auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
        impression = KestrelAdImpression::initWithHook("banner", 2, KestrelAdParser::instance());
        auto canvas = ads::kestrel::KestrelAdCanvasViewController::initWithUrl(
            std::nullopt, server.url(path), impression, ad, nullptr, "portrait", false, 3);
        canvas->createCanvasWindow();
        EXPECT_TRUE(canvas->loadingView()->isAnimating()) << path;
        EXPECT_FALSE(canvas->transparentView()->isHidden()) << path;
        foundation::RunLoop::main().runUntil([&] { return !canvas->appStoreConnection(); }, 20);
        bool reached = std::string(path) == "/ref";
        EXPECT_EQ(states(), reached ? (std::vector<int> {1, 6, 8}) : (std::vector<int> {1, 6}))
            << path;
        EXPECT_EQ(
            ui::Application::sharedApplication().openedExternalURLs().size(), reached ? 1u : 0u)
            << path;
        EXPECT_FALSE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
        if (!reached) {
            EXPECT_FALSE(canvas->loadingView()->isAnimating()) << path;
            EXPECT_TRUE(canvas->transparentView()->isHidden()) << path;
            EXPECT_TRUE(canvas->backView()->isUserInteractionEnabled()) << path;
        }
        canvas->cancel();
        foundation::RunLoop::main().runFor(0.1);
    }
}

}
