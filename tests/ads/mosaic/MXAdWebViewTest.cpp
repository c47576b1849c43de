// HTML creatives against a loopback ad server: the "mosaic" commands a creative
// sends, the links it follows, and a creative that never reports.
#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdBrowserController.hpp>
#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdView.hpp>
#include <foundation/Clock.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/ViewController.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using namespace ads::mosaic;
using test::HttpResponse;
using test::LoopbackServer;
using test::ScriptedWebView;
using ui::WebViewNavigationType;

namespace {

class Recorder final : public MXAdViewDelegate {
public:
    ui::ViewController* viewControllerForPresentingModalView() override { return presenter.get(); }
    void adViewDidFailToLoadAd(MXAdView&) override { events.push_back("fail"); }
    void adViewDidLoadAd(MXAdView&) override { events.push_back("load"); }
    void willPresentModalViewForAd(MXAdView&) override { events.push_back("present"); }
    void didDismissModalViewForAd(MXAdView&) override { events.push_back("dismiss"); }
    void adViewShouldClose(MXAdView&) override { events.push_back("close"); }
    std::vector<std::string> allowedCustomSelectors() override { return allowed; }
    void performCustomSelector(std::string const& name, base::Value const& data) override {
        std::string line = "custom " + name;
        if (auto const* dictionary = data.dictionary())
            line += " coins=" + std::to_string(dictionary->objectForKey("coins").intValue());
        events.push_back(line);
    }

    base::Ref<ui::ViewController> presenter {ui::ViewController::create()};
    std::vector<std::string> allowed;
    std::vector<std::string> events;
};

HttpResponse creative(std::vector<std::pair<std::string, std::string>> headers) {
    auto reply = HttpResponse::text("<html><body>creative</body></html>");
    for (auto& [name, value] : headers)
        reply.header(name, value);
    return reply;
}

class MXAdWebViewTest : public ::testing::Test {
protected:
    MXAdWebViewTest() {
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return ScriptedWebView::create(frame);
        });
        server.route("GET", "/click", HttpResponse::text("counted"));
        server.route("GET", "/fail", HttpResponse::text("<html>fallback</html>"));
    }
    ~MXAdWebViewTest() override {
        view = nullptr;
        settle();
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
    }

    // Loads one ad answered by reply and waits until its creative's web view is made.
    void start(HttpResponse reply) {
        server.route("GET", "/m/ad", reply);
        view = MXAdView::initWithAdUnitId("unit-1", graphics::makeSize(320, 50));
        view->setDelegate(&recorder);
        view->setIgnoresAutorefresh(false);
        view->loadAd();
        waitFor([&] { return !manager().webviewPool().empty(); });
    }
    void waitFor(std::function<bool()> condition) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(condition, 10));
        settle();
    }
    static void settle() {
        auto& loop = foundation::RunLoop::main();
        for (int pass = 0; pass < 20; ++pass)
            loop.runUntil([] { return false; }, 0.01);
    }
    MXAdManager& manager() { return *view->adManager(); }
    ScriptedWebView& creativeView(std::size_t index = 0) {
        return static_cast<ScriptedWebView&>(*manager().webviewPool().at(index));
    }
    std::size_t countOf(std::string const& path) const {
        auto const requests = server.requests();
        return std::size_t(std::count_if(requests.begin(), requests.end(),
            [&](auto const& request) { return request.path == path; }));
    }
    MXAdBrowserController* presentedBrowser() {
        return dynamic_cast<MXAdBrowserController*>(recorder.presenter->presentedViewController());
    }

    LoopbackServer server;
    test::MosaicScope scope {test::hostOf(server.baseURL())};
    foundation::ScopedManualClock clock;
    Recorder recorder;
    base::Ref<MXAdView> view;
};

TEST_F(MXAdWebViewTest, FinishLoadShowsTheCreativeAndStartsTheRefresh) {
    start(creative({{"X-Adtype", "html"}, {"X-Refreshtime", "30"}}));
    auto& webView = creativeView();
    EXPECT_TRUE(manager().isLoading());
    EXPECT_EQ(view->adContentView(), nullptr);

    EXPECT_FALSE(webView.fireNavigation("mosaic://finishLoad", WebViewNavigationType::Other));
    EXPECT_FALSE(manager().isLoading());
    EXPECT_EQ(view->adContentView(), &webView);
    EXPECT_EQ(manager().webviewPool().size(), 1u);
    EXPECT_EQ(manager().loadingWebView(), nullptr);
    EXPECT_TRUE(manager().autorefreshTimer()->isScheduled());
    EXPECT_EQ(recorder.events, std::vector<std::string> {"load"});

    // "close" tells the page, then the delegate.
    EXPECT_FALSE(webView.fireNavigation("mosaic://close", WebViewNavigationType::Other));
    EXPECT_EQ(webView.evaluatedScripts().back(), "webviewDidClose();");
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"load", "close"}));
    // An unknown command is not loaded and does nothing.
    EXPECT_FALSE(webView.fireNavigation("MOSAIC://reboot?now=1", WebViewNavigationType::Other));
    EXPECT_EQ(recorder.events.size(), 2u);
}

TEST_F(MXAdWebViewTest, FailLoadDropsTheCreativeAndAsksTheFailURL) {
    start(creative({{"X-Failurl", server.url("/fail")}}));
    base::Ref<ScriptedWebView> failed(&creativeView());
    EXPECT_FALSE(failed->fireNavigation("mosaic://failLoad", WebViewNavigationType::Other));
    EXPECT_EQ(failed->delegate(), nullptr);
    waitFor([&] { return countOf("/fail") == 1 && !manager().webviewPool().empty(); });
    ASSERT_EQ(manager().webviewPool().size(), 1u);
    EXPECT_NE(manager().webviewPool()[0].get(), failed.get());
    EXPECT_EQ(view->adContentView(), nullptr);
}

TEST_F(MXAdWebViewTest, ASilentCreativeFailsAfterTheTimeOut) {
    start(creative({{"X-Failurl", server.url("/fail")}}));
    base::Ref<ScriptedWebView> silent(&creativeView());
    EXPECT_EQ(manager().loadingWebView(), silent.get());
    foundation::RunLoop::main().runFor(MXAdManager::creativeLoadTimeout - 1);
    settle();
    EXPECT_TRUE(manager().isLoading());
    EXPECT_EQ(countOf("/fail"), 0u);

    test::LogCapture log;
    foundation::RunLoop::main().runFor(2);
    waitFor([&] { return countOf("/fail") == 1 && !manager().webviewPool().empty(); });
    EXPECT_TRUE(log.contains("reported no load within 30 seconds"));
    EXPECT_EQ(silent->delegate(), nullptr);
    EXPECT_NE(manager().webviewPool()[0].get(), silent.get());
    // The fallback creative has its own deadline, and reporting in time ends it.
    EXPECT_FALSE(
        creativeView().fireNavigation("mosaic://finishLoad", WebViewNavigationType::Other));
    EXPECT_EQ(manager().loadingWebView(), nullptr);
    foundation::RunLoop::main().runFor(MXAdManager::creativeLoadTimeout * 3);
    settle();
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(view->adContentView(), &creativeView());
}

struct PurchaseCase {
    char const* name;
    char const* url;
    bool purchaseStarted;
    char const* logged;
};

class MXAdWebViewPurchaseTest : public MXAdWebViewTest,
                                public ::testing::WithParamInterface<PurchaseCase> { };

TEST_P(MXAdWebViewPurchaseTest, InAppStartsAPurchaseOnlyForAnIdAndAQuantity) {
    auto const& c = GetParam();
    start(creative({{"X-Clickthrough", server.url("/click")}}));
    services::SKPaymentQueue::defaultQueue().script().products = {"pack.a"};
    test::LogCapture log;
    EXPECT_FALSE(creativeView().fireNavigation(c.url, WebViewNavigationType::Other));
    EXPECT_EQ(MXStore::sharedStore().isProcessing(), c.purchaseStarted);
    if (c.purchaseStarted) {
        EXPECT_EQ(MXStore::sharedStore().quantity(), 2);
    }
    if (*c.logged) {
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
    }
    // The click is counted either way.
    waitFor([&] { return countOf("/click") == 1; });
}

INSTANTIATE_TEST_SUITE_P(Cases, MXAdWebViewPurchaseTest,
    ::testing::Values(PurchaseCase {"Bought", "mosaic://inapp?id=pack.a&num=2", true, ""},
        PurchaseCase {"EscapedKeys", "mosaic://inapp?%69d=pack%2Ea&n%75m=2", true, ""},
        PurchaseCase {"NoId", "mosaic://inapp?num=2", false, "refused a purchase"},
        PurchaseCase {"EmptyId", "mosaic://inapp?id=&num=2", false, "refused a purchase"},
        PurchaseCase {"NoQuantity", "mosaic://inapp?id=pack.a", false, "refused a purchase of 0"},
        PurchaseCase {
            "QuantityZero", "mosaic://inapp?id=pack.a&num=0", false, "refused a purchase of 0"},
        PurchaseCase {"QuantityNotANumber", "mosaic://inapp?id=pack.a&num=lots", false,
            "refused a purchase of 0"}),
    [](auto const& param) { return std::string(param.param.name); });

struct CustomCase {
    char const* name;
    std::vector<std::string> allowed;
    char const* url;
    std::vector<std::string> events;
    char const* logged;
};

class MXAdWebViewCustomTest : public MXAdWebViewTest,
                              public ::testing::WithParamInterface<CustomCase> { };

TEST_P(MXAdWebViewCustomTest, CustomCallsOnlyNamesTheDelegateAllows) {
    auto const& c = GetParam();
    recorder.allowed = c.allowed;
    start(creative({}));
    test::LogCapture log;
    EXPECT_FALSE(creativeView().fireNavigation(c.url, WebViewNavigationType::Other));
    EXPECT_EQ(recorder.events, c.events);
    if (*c.logged) {
        EXPECT_TRUE(log.contains(c.logged)) << c.logged;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MXAdWebViewCustomTest,
    ::testing::Values(
        // The game allows nothing: whatever the creative names is refused.
        CustomCase {"NothingAllowed", {}, "mosaic://custom?fnc=viewDidLoad", {},
            "Ad view delegate does not implement custom selectors viewDidLoad or viewDidLoad:."},
        CustomCase {"NameNotAllowed", {"reward:"}, "mosaic://custom?fnc=dealloc", {},
            "does not implement custom selectors dealloc or dealloc:."},
        CustomCase {"PlainName", {"reward"}, "mosaic://custom?fnc=reward&data=%7B%7D",
            {"custom reward"}, ""},
        CustomCase {"NameWithData", {"reward:"},
            "mosaic://custom?fnc=reward&data=%7B%22coins%22%3A5%7D", {"custom reward: coins=5"},
            ""},
        // A value holding "=" keeps it.
        CustomCase {"DataWithEquals", {"reward:"},
            "mosaic://custom?fnc=reward&data={\"coins\":7,\"k\":\"a=b\"}",
            {"custom reward: coins=7"}, ""},
        CustomCase {"DataNotJSON", {"reward:"}, "mosaic://custom?fnc=reward&data=nope",
            {"custom reward:"}, ""},
        CustomCase {"NoName", {"reward"}, "mosaic://custom?data=1", {},
            "Custom selector requested, but no custom selector string was provided."}),
    [](auto const& param) { return std::string(param.param.name); });

TEST(MXAdManagerQuery, SplitsAtTheFirstEqualsSignAndUnescapesKeysAndValues) {
    using Map = std::map<std::string, std::string>;
    struct Case {
        char const* query;
        Map expected;
    } const cases[] = {
        {"id=a&num=2", Map {{"id", "a"}, {"num", "2"}}},
        {"data=a=b=c", Map {{"data", "a=b=c"}}},
        {"k%65y=v%20w", Map {{"key", "v w"}}},
        {"a=1&a=2", Map {{"a", "2"}}},
        {"flag", Map {{"flag", "flag"}}},
        {"=v", Map {{"", "v"}}},
        {"&&x=1&", Map {{"x", "1"}}},
        // A broken escape keeps the text as it came.
        {"bad=%zz&ok=%41", Map {{"bad", "%zz"}, {"ok", "A"}}},
        {"", Map {}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(MXAdManager::dictionaryFromQueryString(c.query), c.expected) << c.query;
}

struct LinkCase {
    char const* name;
    char const* interceptLinks;
    // On the loopback server, so that a link the creative loads stays on this machine.
    char const* path;
    WebViewNavigationType type;
    bool opensBrowser;
};

class MXAdWebViewLinkTest : public MXAdWebViewTest,
                            public ::testing::WithParamInterface<LinkCase> { };

TEST_P(MXAdWebViewLinkTest, LinksOpenTheBrowserOnTheClickThroughURL) {
    auto const& c = GetParam();
    std::vector<std::pair<std::string, std::string>> headers {
        {"X-Clickthrough", server.url("/click?id=7")}, {"X-Launchpage", server.url("/lp/go")}};
    if (*c.interceptLinks)
        headers.emplace_back("X-Interceptlinks", c.interceptLinks);
    start(creative(headers));
    EXPECT_FALSE(
        creativeView().fireNavigation("mosaic://finishLoad", WebViewNavigationType::Other));

    auto const url = server.url(c.path);
    bool const loads = creativeView().fireNavigation(url, c.type);
    EXPECT_EQ(loads, !c.opensBrowser);
    auto* browser = presentedBrowser();
    if (!c.opensBrowser) {
        EXPECT_EQ(browser, nullptr);
        EXPECT_FALSE(manager().adActionInProgress());
        return;
    }
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->URL(), server.url("/click?id=7") + "&r=" + URLEncodedString(url));
    EXPECT_EQ(browser->delegate(), &manager());
    EXPECT_TRUE(manager().adActionInProgress());
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"load", "present"}));

    browser->done();
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(presentedBrowser(), nullptr);
    EXPECT_FALSE(manager().adActionInProgress());
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"load", "present", "dismiss"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, MXAdWebViewLinkTest,
    ::testing::Values(
        LinkCase {"LinkClicked", "", "/shop/a?b=1", WebViewNavigationType::LinkClicked, true},
        LinkCase {
            "LinkClickedNotIntercepted", "0", "/shop/a", WebViewNavigationType::LinkClicked, false},
        LinkCase {
            "OtherBelowTheLaunchPage", "", "/lp/go/deeper", WebViewNavigationType::Other, true},
        LinkCase {"OtherBelowTheLaunchPageNotIntercepted", "0", "/lp/go/deeper",
            WebViewNavigationType::Other, false},
        LinkCase {"OtherElsewhere", "", "/frame/inner", WebViewNavigationType::Other, false},
        LinkCase {"FormSubmitted", "", "/shop/form", WebViewNavigationType::FormSubmitted, false}),
    [](auto const& param) { return std::string(param.param.name); });

TEST_F(MXAdWebViewTest, TheRefreshWaitsWhileTheBrowserIsOpen) {
    start(creative({{"X-Clickthrough", server.url("/click")}, {"X-Refreshtime", "30"}}));
    EXPECT_FALSE(
        creativeView().fireNavigation("mosaic://finishLoad", WebViewNavigationType::Other));
    ASSERT_TRUE(manager().autorefreshTimer()->isScheduled());
    EXPECT_FALSE(
        creativeView().fireNavigation(server.url("/shop/"), WebViewNavigationType::LinkClicked));
    ASSERT_TRUE(presentedBrowser());
    EXPECT_TRUE(manager().autorefreshTimer()->isPaused());
    foundation::RunLoop::main().runFor(120);
    settle();
    EXPECT_EQ(countOf("/m/ad"), 1u);

    presentedBrowser()->done();
    EXPECT_FALSE(manager().autorefreshTimer()->isPaused());
    foundation::RunLoop::main().runFor(31);
    waitFor([&] { return countOf("/m/ad") == 2; });
}

TEST_F(MXAdWebViewTest, TheOrientationEventGivesThePageItsAngle) {
    start(creative({}));
    EXPECT_FALSE(
        creativeView().fireNavigation("mosaic://finishLoad", WebViewNavigationType::Other));
    auto& application = ui::Application::sharedApplication();
    auto const before = application.statusBarOrientation();
    struct Case {
        ui::InterfaceOrientation orientation;
        char const* angle;
    } const cases[] = {{ui::InterfaceOrientation::Portrait, "return 0;"},
        {ui::InterfaceOrientation::PortraitUpsideDown, "return 180;"},
        {ui::InterfaceOrientation::LandscapeRight, "return 90;"},
        {ui::InterfaceOrientation::LandscapeLeft, "return -90;"}};
    for (auto const& c : cases) {
        application.setStatusBarOrientation(c.orientation);
        view->rotateToOrientation(c.orientation);
        auto const& scripts = creativeView().evaluatedScripts();
        ASSERT_GE(scripts.size(), 2u);
        EXPECT_NE(scripts[scripts.size() - 2].find(c.angle), std::string::npos)
            << scripts[scripts.size() - 2];
        EXPECT_EQ(scripts.back(),
            "document.querySelector('meta[name=viewport]').setAttribute('content', "
            "'width=320.000000;', false);");
    }
    application.setStatusBarOrientation(before);
}

}
