#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNDelegateManager.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNOpener.hpp>
#include <ads/adnoria/ADNSignals.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <foundation/RunLoop.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Application.hpp>
#include <ui/MailComposeViewController.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNNotificationCenter;
using ads::adnoria::ADNWebViewDelegate;
using test::HttpResponse;
using ui::WebViewNavigationType;

namespace {

class Leaving final : public ads::adnoria::ADNBannerViewDelegate {
public:
    void adViewWillLeaveApplication(ads::adnoria::ADNBannerView*) override { ++left; }
    int left {0};
};

// A page with the bridge delegate, and every notification of the ad client's centre
// written down as "name a" (the action name of web actions) in order.
class ADNWebViewDelegateTest : public test::AdnoriaTest {
protected:
    ADNWebViewDelegateTest() {
        ui::Application::sharedApplication().becomeActive();
        page->setDelegate(delegate.get());
        token = ADNNotificationCenter::defaultCenter().observe("", [this](auto const& n) {
            std::string line = n.name();
            if (auto const* info = n.userInfo().dictionary()) {
                if (auto const* a = info->find("a"))
                    line += " " + a->stringValue();
                if (n.name() != "didReceiveWebAction") {
                    for (auto const& key : info->keys())
                        line += " " + key + "=" + info->objectForKey(key).stringValue();
                }
            }
            posted.push_back(line);
        });
        manager->setBannerDelegate(&leaving);
        delegate->opener().setDelegateManager(manager);
    }

    // Fires url as a link; answers whether the page may load it.
    bool fire(
        std::string const& url, WebViewNavigationType type = WebViewNavigationType::LinkClicked) {
        return page->fireNavigation(url, type);
    }

    test::LoopbackServer server;
    base::Ref<test::ScriptedWebView> page = test::ScriptedWebView::create();
    base::Ref<ADNWebViewDelegate> delegate = ADNWebViewDelegate::create();
    base::Ref<ads::adnoria::ADNDelegateManager> manager
        = ads::adnoria::ADNDelegateManager::create();
    Leaving leaving;
    std::vector<std::string> posted;
    foundation::ObservationToken token;
};

}

TEST_F(ADNWebViewDelegateTest, BridgeActionsTable) {
    server.route("GET", "/clk", HttpResponse::text("ok"));
    server.route("GET", "/trk", HttpResponse::text("ok"));
    int vibrations = 0;
    ADNWebViewDelegate::setVibrateHandler([&] { ++vibrations; });
    test::LogCapture log;

    EXPECT_FALSE(fire("anmsg:///click?u="
        + ads::adnoria::ADNNetworkUtilities::encodeURL(server.url("/clk?ai=k1"))));
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 1; }, 10));
    auto click = server.requests()[0];
    EXPECT_EQ(click.path, "/clk");
    // The click signal goes along as a key without value.
    EXPECT_NE(click.query.find("ai=k1&ms="), std::string::npos) << click.query;

    EXPECT_FALSE(fire("anmsg:///httpTrack?u="
        + ads::adnoria::ADNNetworkUtilities::encodeURL(server.url("/trk?ai=k2"))));
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 2; }, 10));
    EXPECT_EQ(server.requests()[1].path, "/trk");
    EXPECT_EQ(server.requests()[1].query, "ai=k2");

    // Without "u" nothing is pinged.
    EXPECT_FALSE(fire("anmsg:///click"));
    EXPECT_FALSE(delegate->tracker()->tracker() == nullptr);
    EXPECT_EQ(delegate->tracker()->trackingURL().substr(0, server.url("/trk").size()),
        server.url("/trk"));

    EXPECT_FALSE(fire("anmsg:///log?string=hello%20page"));
    EXPECT_TRUE(log.contains("hello page"));
    EXPECT_FALSE(fire("anmsg:///vibrate"));
    EXPECT_EQ(vibrations, 1);

    // canOpenURLs answers the page through its message function.
    auto facts = fakeFacts();
    facts.canOpenURL = [](std::string const& url) { return url == "a://"; };
    ads::adnoria::ADNIdentifierUtilities::setFacts(facts);
    EXPECT_FALSE(fire("anmsg:///canOpenURLs?urls=a%3A%2F%2F,b%3A%2F%2F"));
    ASSERT_FALSE(page->evaluatedScripts().empty());
    EXPECT_EQ(page->evaluatedScripts().back(),
        "ANMA_ReceiveMessage('openableURLs', {\"a://\":true,\"b://\":false});");

    // Script into the opening page is refused, whoever asks.
    auto opener = test::ScriptedWebView::create();
    delegate->setOpeningWebView(opener.get());
    EXPECT_FALSE(fire("anmsg:///evalInOpener?js=document.cookie"));
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_TRUE(opener->evaluatedScripts().empty());
    EXPECT_TRUE(log.contains("<Adnoria> Refused to run script in the opening web view."));

    // An unknown action is re-posted under its own name on the next turn.
    EXPECT_FALSE(fire("anmsg:///settings?applicationTimeout=3"));
    EXPECT_EQ(posted.back(), "didReceiveWebAction settings");
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(posted.back(), "settings applicationtimeout=3");

    std::vector<std::string> expected {"didReceiveWebAction click", "didReceiveWebAction httpTrack",
        "didReceiveWebAction click", "didReceiveWebAction log", "didReceiveWebAction vibrate",
        "didReceiveWebAction canOpenURLs", "didReceiveWebAction evalInOpener",
        "didReceiveWebAction settings", "settings applicationtimeout=3"};
    EXPECT_EQ(posted, expected);
}

TEST_F(ADNWebViewDelegateTest, OpenLeavesTheApplicationForOtherKinds) {
    EXPECT_FALSE(fire("anmsg:///open?a=app&u=market%3A%2F%2Fdetails%3Fid%3D1"));
    EXPECT_EQ(leaving.left, 1);
    EXPECT_TRUE(ui::Application::sharedApplication().openedExternalURLs().empty());
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {"market://details?id=1"});
    // Without "u" (and no web-app page) nothing opens.
    EXPECT_FALSE(fire("anmsg:///open?a=app"));
    EXPECT_FALSE(fire("adnoria://launch"));
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(leaving.left, 1);
}

TEST_F(ADNWebViewDelegateTest, CloseGivesUpTheScreenOfAnAdController) {
    auto window = ui::Window::create({{0, 0}, {320, 480}});
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    auto controller = ads::adnoria::ADNViewController::create();
    controller->setDelegateManager(manager);
    controller->presentFromViewController(root.get());
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(root->presentedViewController(), controller.get());
    delegate->setViewController(controller.get());
    EXPECT_FALSE(fire("anmsg:///close"));
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    // Without an ad controller "close" does nothing.
    delegate->setViewController(root.get());
    EXPECT_FALSE(fire("adnoria://closecanvas"));
}

TEST_F(ADNWebViewDelegateTest, PlainNavigationsBySchemeAndType) {
    struct Case {
        char const* url;
        WebViewNavigationType type;
        bool allowed;
        bool reported;
    } const cases[] = {
        {"about:blank", WebViewNavigationType::Other, true, false},
        {"file:///etc/passwd", WebViewNavigationType::LinkClicked, false, false},
        {"http://h.test/", WebViewNavigationType::LinkClicked, true, true},
        {"http://h.test/", WebViewNavigationType::Other, true, false},
        {"http://h.test/ab", WebViewNavigationType::Other, true, true},
        {"https://h.test", WebViewNavigationType::Other, true, false},
        {"adnoria://unknown", WebViewNavigationType::Other, false, true},
        {"ANMSG:///click", WebViewNavigationType::LinkClicked, false, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        posted.clear();
        page->stopLoading();
        EXPECT_EQ(delegate->shouldStartLoadWithRequest(
                      *page, foundation::URLRequest::requestWithURL(c.url), c.type),
            c.allowed);
        EXPECT_EQ(posted.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(posted[0], "didReceiveWebAction");
        }
    }
    // The capital scheme is an unknown one: handed to the application on the next turn.
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {"ANMSG:///click"});
}

TEST_F(ADNWebViewDelegateTest, MailtoOpensTheComposer) {
    auto window = ui::Window::create({{0, 0}, {320, 480}});
    auto root = ui::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    delegate->setViewController(root.get());
    struct Case {
        char const* url;
        std::vector<std::string> to;
        std::vector<std::string> cc;
        std::vector<std::string> bcc;
        char const* subject;
        char const* body;
    } const cases[] = {
        {"mailto:a@b.test?cc=c@d.test,e@f.test&subject=Hi%20there&body=Text", {"a@b.test"},
            {"c@d.test", "e@f.test"}, {}, "Hi there", "Text"},
        {"mailto:x%20y@b.test", {"x%20y@b.test"}, {}, {}, "", ""},
        {"mailto:?bcc=z@b.test", {""}, {}, {"z@b.test"}, "", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_FALSE(fire(c.url));
        foundation::RunLoop::main().runFor(1);
        auto* composer
            = dynamic_cast<ui::MailComposeViewController*>(root->presentedViewController());
        ASSERT_TRUE(composer);
        EXPECT_EQ(composer->toRecipients(), c.to);
        EXPECT_EQ(composer->ccRecipients(), c.cc);
        EXPECT_EQ(composer->bccRecipients(), c.bcc);
        EXPECT_EQ(composer->subject(), c.subject);
        EXPECT_EQ(composer->messageBody(), c.body);
        EXPECT_FALSE(composer->isBodyHTML());
        // Whatever the result, the composer goes.
        composer->cancel();
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(root->presentedViewController(), nullptr);
    }
}

TEST_F(ADNWebViewDelegateTest, LeavingIsAtOnceWhilePingsHaveBackgroundTasks) {
    // Every ping here runs under a background task of its own, so no wait is needed:
    // the application is left on the next turn even while a ping is still out.
    server.route("GET", "/slow", [](auto const&) {
        HttpResponse response = HttpResponse::text("late");
        response.delay = 1e9;
        return response;
    });
    auto tracker = ads::adnoria::ADNClickTracker::create();
    tracker->trackURL(server.url("/slow"));
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 1; }, 10));
    EXPECT_FALSE(ads::adnoria::ADNClickTracker::activeTrackings());
    delegate->opener().openApp("market://x");
    EXPECT_EQ(leaving.left, 1);
    EXPECT_EQ(ads::adnoria::ADNOpener::waitCount(), 0);
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {"market://x"});
    // An empty URL opens nothing.
    delegate->opener().openApp("");
    EXPECT_EQ(leaving.left, 1);
    tracker->reset();
}

TEST_F(ADNWebViewDelegateTest, TouchSignalsNeedAllThreeValues) {
    EXPECT_FALSE(fire("anmsg:///touch?tx=10&ty=20&td=300"));
    auto first = ads::adnoria::ADNSignals::snapshot();
    EXPECT_EQ(first.touchX, 10);
    EXPECT_EQ(first.touchY, 20);
    EXPECT_EQ(first.touchDuration, 300);
    // A missing value reads as -1 and the touch is not kept.
    EXPECT_FALSE(fire("anmsg:///touch?tx=1&ty=2"));
    auto second = ads::adnoria::ADNSignals::snapshot();
    EXPECT_EQ(second.touchX, 10);
    EXPECT_EQ(posted.back(), "didReceiveWebAction touch");
    auto parameters = base::Dictionary::create();
    parameters->setObject("n", "12");
    EXPECT_EQ(ADNWebViewDelegate::intForKey("n", *parameters), 12);
    EXPECT_EQ(ADNWebViewDelegate::intForKey("m", *parameters), -1);
}
