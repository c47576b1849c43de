#include "AdnoriaServerTest.hpp"

#include <ads/adnoria/ADNBannerView.hpp>
#include <ads/adnoria/ADNBrowserController.hpp>
#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNStatisticsCore.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>
#include <ads/adnoria/ADN_PJSON.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <functional>

using ads::adnoria::ADNBannerView;
using ads::adnoria::ADNObjectPrivate;
using ads::adnoria::ADNRequestError;
using test::HttpResponse;

namespace {

using test::AdnoriaServerTest;
constexpr char const* Script = AdnoriaServerTest::Script;

class Recorder final : public ads::adnoria::ADNBannerViewDelegate {
public:
    void adViewDidReceiveAd(ADNBannerView* view) override {
        events.push_back(view ? "receive" : "receive(nil)");
    }
    void adViewDidFailToReceiveAdWithError(ADNBannerView*, ADNRequestError const& error) override {
        events.push_back("fail " + std::to_string(error.code()));
    }
    std::vector<std::string> events;
};

class ADNObjectPrivateTest : public test::AdnoriaServerTest {
protected:
    ADNObjectPrivateTest() {
        banner->setAdUnitID("unit-7");
        banner->setRootViewController(root.get());
        banner->setDelegate(&recorder);
    }
    ~ADNObjectPrivateTest() override { banner->setDelegate(nullptr); }

    ADNObjectPrivate& controller() { return banner->objectPrivate(); }
    test::ScriptedWebView* waitForBuildPage() {
        return AdnoriaServerTest::waitForBuildPage(controller());
    }
    void answerAdURL(std::string const& path, char const* type = "banner") {
        AdnoriaServerTest::answerAdURL(controller(), path, type);
    }
    bool waitForState(int state) { return AdnoriaServerTest::waitForState(controller(), state); }

    base::Ref<ADNBannerView> banner = ADNBannerView::initWithFrame({{10, 20}, {320, 50}});
    Recorder recorder;
};

}

TEST_F(ADNObjectPrivateTest, BannerGoesThroughTheStatesToAReceivedAd) {
    ads.route("GET", "/ad",
        HttpResponse::text("  <html><body>ad</body></html>\n", 200, "text/html")
            .header("X-Anma-Tracking-Urls", ads.url("/imp1") + "  " + ads.url("/imp2"))
            .header("X-Anma-Click-Tracking-Urls", ads.url("/clk1"))
            .header("X-Anma-Orientation", "landscape"));
    ads.route("GET", "/imp1", HttpResponse::text("1"));
    ads.route("GET", "/imp2", HttpResponse::text("2"));
    EXPECT_EQ(controller().state(), ADNObjectPrivate::Idle);
    EXPECT_EQ(controller().supportedOrientations(), 1);
    banner->loadRequest(nullptr);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::FetchingScript);
    auto* page = waitForBuildPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);

    // The page is the script and one call of the builder with the parameters.
    auto const& text = page->pageContent();
    std::string const head
        = std::string("<html><head><script>") + Script + "</script><script>ANMA_buildAdURL(";
    std::string const tail = ");</script></head><body></body></html>";
    ASSERT_TRUE(text.starts_with(head)) << text;
    ASSERT_TRUE(text.ends_with(tail)) << text;
    auto json = text.substr(head.size(), text.size() - head.size() - tail.size());
    auto parameters = ads::adnoria::ADN_PJSON::create()->objectWithString(json);
    ASSERT_TRUE(parameters.dictionary()) << json;
    EXPECT_EQ(parameters.dictionary()->objectForKey("slotname"), base::Value("unit-7"));
    EXPECT_FALSE(parameters.dictionary()->contains("format"));
    auto const* frame = parameters.dictionary()->objectForKey("ad_frame").dictionary();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->objectForKey("x").doubleValue(), 10);
    EXPECT_EQ(frame->objectForKey("y").doubleValue(), 20);
    EXPECT_EQ(frame->objectForKey("w").doubleValue(), 320);
    EXPECT_EQ(frame->objectForKey("h").doubleValue(), 50);
    EXPECT_EQ(page->request().URL(), "http://" + ads::adnoria::ADNConfiguration::current().adHost);
    EXPECT_EQ(text, ADNObjectPrivate::buildPageText(Script, json));

    // A second load while one runs is ignored without a word.
    banner->loadRequest(nullptr);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);

    answerAdURL("/ad");
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(controller().state(), ADNObjectPrivate::FetchingAd);
    EXPECT_EQ(controller().buildAdWebView(), nullptr);
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    EXPECT_EQ(recorder.events, std::vector<std::string> {"receive"});
    EXPECT_FALSE(banner->webView()->isHidden());
    EXPECT_EQ(banner->webView()->pageContent(), "<html><body>ad</body></html>");
    EXPECT_EQ(controller().adHTMLBaseURL().substr(0, ads.url("/ad").size()), ads.url("/ad"));
    EXPECT_EQ(controller().supportedOrientations(), 3);
    EXPECT_EQ(controller().pendingTrackingURLs(),
        (std::vector<std::string> {ads.url("/imp1"), ads.url("/imp2")}));
    EXPECT_EQ(controller().pendingClickURLs(), std::vector<std::string> {ads.url("/clk1")});
    // The ad request carried the device signal value.
    auto adRequest = ads.requests()[0];
    EXPECT_EQ(adRequest.path, "/ad");
    EXPECT_NE(adRequest.query.find("ms="), std::string::npos);

    // Each impression is pinged once.
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return ads.requestCount() >= 3; }, 10));
    foundation::RunLoop::main().runUntil(
        [&] { return controller().pendingTrackers().empty(); }, 10);
    EXPECT_TRUE(controller().pendingTrackers().empty());
    EXPECT_EQ(requestsTo(ads, "/imp1"), 1u);
    EXPECT_EQ(requestsTo(ads, "/imp2"), 1u);
    // No refresh was asked for.
    EXPECT_EQ(controller().reloadTimer(), nullptr);
    EXPECT_FALSE(banner->hasAutoRefreshed());
}

TEST_F(ADNObjectPrivateTest, ReloadsAtTheRefreshRateAndKeepsTheInterval) {
    int served = 0;
    ads.route("GET", "/ad", [&](auto const&) {
        ++served;
        auto reply = HttpResponse::text("<p>ad</p>", 200, "text/html");
        if (served == 1)
            reply.header("X-Anma-Refresh-Rate", "30");
        return reply;
    });
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    ASSERT_TRUE(controller().reloadTimer());
    EXPECT_EQ(controller().reloadSeconds(), 30);
    foundation::RunLoop::main().runFor(29);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::AdReady);
    foundation::RunLoop::main().runFor(1.5);
    // The reload runs from the cached script: no second script fetch.
    EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);
    EXPECT_TRUE(banner->hasAutoRefreshed());
    EXPECT_EQ(requestsTo(scripts, "/anma/sdk-core-v40.js"), 1u);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"receive", "receive"}));
    // The second reply had no header: the interval stays.
    ASSERT_TRUE(controller().reloadTimer());
    EXPECT_EQ(controller().reloadSeconds(), 30);
    // A load the application starts is not a refresh.
    controller().cancelPendingActions();
    banner->loadRequest(nullptr);
    EXPECT_FALSE(banner->hasAutoRefreshed());
}

TEST_F(ADNObjectPrivateTest, ReloadTimerFiringMidLoadIsArmedAgain) {
    ads.route("GET", "/ad",
        HttpResponse::text("<p>ad</p>", 200, "text/html").header("X-Anma-Refresh-Rate", "30"));
    // The script page may take a minute before it counts as silent.
    foundation::UserDefaults::standardUserDefaults().setFloat(60, "applicationTimeout");
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    foundation::RunLoop::main().runFor(20);
    // The application loads at 20 s; the page is still working when the timer fires.
    banner->loadRequest(nullptr);
    auto* page = waitForBuildPage();
    ASSERT_TRUE(page);
    foundation::RunLoop::main().runFor(11);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);
    // The timer that met a load in progress is armed again with the whole interval.
    ASSERT_TRUE(controller().reloadTimer());
    page->fireNavigation("anmsg:///invalidRequest?why=x", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runPending();
    ASSERT_EQ(controller().state(), ADNObjectPrivate::Failed);
    EXPECT_EQ(recorder.events.back(), "fail 0");
    // The failed load left no refresh of its own; the re-armed timer reloads.
    foundation::RunLoop::main().runFor(30);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);
    EXPECT_TRUE(banner->hasAutoRefreshed());
}

TEST_F(ADNObjectPrivateTest, CoreScriptIsRevalidatedADayLater) {
    ads.route("GET", "/ad", HttpResponse::text("<p>ad</p>", 200, "text/html"));
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    auto store = ads::adnoria::ADNStatisticsCore::initWithIdentifier("ADNObjectPrivate");
    auto expiryValue = store->dateForKey("expireDate");
    auto const* expiry = expiryValue.date();
    ASSERT_TRUE(expiry);
    double now = foundation::Clock::current().wallTime();
    EXPECT_DOUBLE_EQ(expiry->seconds, now + 86400);
    EXPECT_FALSE(scripts.requests()[0].headers.has("If-Modified-Since"));

    // Within the day: no fetch.
    setUnixTime(1300000000 + 86000);
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    EXPECT_EQ(scripts.requestCount(), 1u);

    // A day later the script is asked for again, conditionally; the expiry moves first.
    setUnixTime(1300000000 + 86401);
    banner->loadRequest(nullptr);
    auto moved = ads::adnoria::ADNStatisticsCore::initWithIdentifier("ADNObjectPrivate");
    auto movedValue = moved->dateForKey("expireDate");
    ASSERT_TRUE(movedValue.date());
    EXPECT_DOUBLE_EQ(movedValue.date()->seconds, foundation::Clock::current().wallTime() + 86400);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    ASSERT_EQ(scripts.requestCount(), 2u);
    EXPECT_EQ(scripts.requests()[1].headers.get("If-Modified-Since"), "Sat, 12 Mar 2011 10:00:00");
}

TEST_F(ADNObjectPrivateTest, FailuresReportTheirCodes) {
    struct Case {
        char const* name;
        HttpResponse reply;
        int code;
    };
    std::vector<Case> cases {
        {"404", HttpResponse::text("gone", 404), 3},
        {"400", HttpResponse::text("bad", 400), 0},
        {"500", HttpResponse::text("oops", 500), 3},
        {"dropped", HttpResponse::dropped(), 2},
        {"empty", HttpResponse::text(" \n\t ", 200, "text/html"), 1},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::LogCapture log;
        recorder.events.clear();
        ads.route("GET", "/ad", c.reply.header("X-Anma-Refresh-Rate", "60"));
        banner->loadRequest(nullptr);
        answerAdURL("/ad");
        ASSERT_TRUE(waitForState(ADNObjectPrivate::Failed));
        EXPECT_EQ(recorder.events, std::vector<std::string> {"fail " + std::to_string(c.code)});
        EXPECT_EQ(log.contains("<Adnoria> Server rejected ad parameters.  Typically this is "
                               "because the ad unit ID is incorrect."),
            c.code == 0);
        // Refreshing goes on after a failed fetch (a dropped connection has no headers,
        // so the interval of an earlier reply stands).
        EXPECT_TRUE(controller().reloadTimer());
        controller().cancelPendingActions();
    }
}

TEST_F(ADNObjectPrivateTest, ScriptRefusalsAndMissingScript) {
    test::LogCapture log;
    banner->loadRequest(nullptr);
    auto* page = waitForBuildPage();
    ASSERT_TRUE(page);
    page->fireNavigation("anmsg:///unableToServe?reason=none", ui::WebViewNavigationType::Other);
    ASSERT_TRUE(waitForState(ADNObjectPrivate::Failed));
    EXPECT_EQ(recorder.events, std::vector<std::string> {"fail 0"});
    EXPECT_TRUE(log.contains("<Adnoria> Unable to serve: "));
    EXPECT_EQ(controller().buildAdWebView(), nullptr);

    // Without any copy of the script, a failed fetch is a network error (code 2), in
    // state 2; a later load with the script back works.
    auto other = ADNBannerView::initWithFrame({{0, 0}, {320, 50}});
    Recorder second;
    other->setDelegate(&second);
    other->setRootViewController(root.get());
    ads::adnoria::ADNStatisticsCore::initWithIdentifier("ADNObjectPrivate")->removeAllObjects();
    scripts.route("GET", "/anma/sdk-core-v40.js", HttpResponse::text("no", 503));
    // The first banner's copy is on disk under the same URL; remove it.
    std::filesystem::remove(controller().buildAdJS()->filePath());
    auto store = ads::adnoria::ADNStatisticsCore::initWithIdentifier("ADNObjectPrivate");
    store->removeAllObjects();
    store->synchronize();
    other->loadRequest(nullptr);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return !second.events.empty(); }, 20));
    EXPECT_EQ(second.events, std::vector<std::string> {"fail 2"});
    EXPECT_EQ(other->objectPrivate().state(), ADNObjectPrivate::ScriptFailed);
    other->setDelegate(nullptr);
}

TEST_F(ADNObjectPrivateTest, PlainWebViewFailsWithATimeOut) {
    ui::WebView::setFactory(nullptr);
    auto plain = ADNBannerView::initWithFrame({{0, 0}, {320, 50}});
    Recorder events;
    plain->setDelegate(&events);
    plain->setRootViewController(root.get());
    plain->loadRequest(nullptr);
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] {
            auto* page = plain->objectPrivate().buildAdWebView();
            return page && !page->isLoading() && !page->pageContent().empty();
        },
        20));
    foundation::RunLoop::main().runFor(4.9);
    EXPECT_TRUE(events.events.empty());
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(events.events, std::vector<std::string> {"fail 5"});
    EXPECT_EQ(plain->objectPrivate().state(), ADNObjectPrivate::Failed);
    EXPECT_EQ(plain->objectPrivate().buildAdWebView(), nullptr);
    plain->setDelegate(nullptr);
}

TEST_F(ADNObjectPrivateTest, GuardsAndRootViewController) {
    // Without a root view controller: code 0 and no request.
    auto bare = ADNBannerView::init();
    Recorder events;
    bare->setDelegate(&events);
    test::LogCapture log;
    bare->loadRequest(nullptr);
    EXPECT_EQ(events.events, std::vector<std::string> {"fail 0"});
    EXPECT_TRUE(log.contains("<Adnoria> Must set the rootViewController property of "
                             "ADNBannerView before calling loadRequest:"));
    EXPECT_EQ(bare->objectPrivate().state(), ADNObjectPrivate::Idle);
    EXPECT_EQ(bare->frame(), graphics::Rect {});
    EXPECT_TRUE(bare->webView());
    bare->setDelegate(nullptr);

    // Inactive before the launch has finished counts as active; after it, loads wait.
    ui::Application::sharedApplication().resignActive();
    EXPECT_TRUE(controller().isAppActive());
    ui::Application::sharedApplication().finishLaunching();
    EXPECT_FALSE(controller().isAppActive());
    banner->loadRequest(nullptr);
    EXPECT_EQ(controller().state(), ADNObjectPrivate::Idle);
    EXPECT_TRUE(recorder.events.empty());
    ui::Application::sharedApplication().becomeActive();
    EXPECT_TRUE(controller().isAppActive());
    // An operating system below 3.0 reports code 4 and leaves state 7.
    auto facts = fakeFacts();
    facts.osVersion = "2.2";
    ads::adnoria::ADNIdentifierUtilities::setFacts(facts);
    banner->loadRequest(nullptr);
    EXPECT_EQ(recorder.events, std::vector<std::string> {"fail 4"});
    EXPECT_EQ(controller().state(), ADNObjectPrivate::Failed);
}

TEST_F(ADNObjectPrivateTest, HeaderURLListsAndTimeOutHeader) {
    std::vector<std::string> urls;
    ADNObjectPrivate::createOrReuseArray(urls, "http://a.test/1  http://a.test/2 ");
    EXPECT_EQ(urls, (std::vector<std::string> {"http://a.test/1", "http://a.test/2"}));
    ADNObjectPrivate::createOrReuseArray(urls, "");
    EXPECT_EQ(urls.size(), 2u);
    // A redirect chain gathers the URLs of every reply, in order.
    ads.route("GET", "/r1",
        HttpResponse::redirect(302, "/ad").header("X-Anma-Click-Tracking-Urls", "http://c.test/a"));
    ads.route("GET", "/ad",
        HttpResponse::text("<p>ad</p>", 200, "text/html")
            .header("X-Anma-Click-Tracking-Urls", "http://c.test/b")
            .header("X-Anma-Interstitial-Timeout", "2.5"));
    banner->loadRequest(nullptr);
    answerAdURL("/r1");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    EXPECT_EQ(controller().pendingClickURLs(),
        (std::vector<std::string> {"http://c.test/a", "http://c.test/b"}));
    // No orientation header: code 0.
    EXPECT_EQ(controller().supportedOrientations(), 0);
    EXPECT_FLOAT_EQ(
        foundation::UserDefaults::standardUserDefaults().floatForKey("applicationTimeout"), 2.5f);
}

TEST_F(ADNObjectPrivateTest, ClicksOnAReadyAdPingAndOpenFullScreen) {
    auto window = ui::Window::create({{0, 0}, {320, 480}});
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    struct Case {
        bool clickURLs;
        bool webApp;
    } const cases[] = {{true, true}, {false, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.clickURLs);
        ads.clearRequests();
        auto reply = HttpResponse::text("<p>ad</p>", 200, "text/html");
        if (c.clickURLs)
            reply.header("X-Anma-Click-Tracking-Urls", ads.url("/clk"));
        ads.route("GET", "/ad", reply);
        ads.route("GET", "/clk", HttpResponse::text("ok"));
        banner->loadRequest(nullptr);
        answerAdURL("/ad");
        ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
        auto* page = static_cast<test::ScriptedWebView*>(banner->webView());
        // The ad never navigates away: the landing page opens over the application.
        EXPECT_FALSE(page->fireNavigation("http://127.0.0.1:1/landing"));
        auto* shown = root->presentedViewController();
        ASSERT_TRUE(shown);
        EXPECT_EQ(dynamic_cast<ads::adnoria::ADNWebAppViewController*>(shown) != nullptr, c.webApp);
        EXPECT_EQ(dynamic_cast<ads::adnoria::ADNBrowserController*>(shown) != nullptr, !c.webApp);
        if (c.clickURLs) {
            ASSERT_TRUE(foundation::RunLoop::main().runUntil(
                [&] { return requestsTo(ads, "/clk") == 1; }, 10));
        }
        // A full-screen ad pauses the refresh; giving the screen back restarts it.
        dynamic_cast<ads::adnoria::ADNViewController*>(shown)->relinquishScreen();
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(root->presentedViewController(), nullptr);
    }
}

TEST_F(ADNObjectPrivateTest, BackgroundAndFullScreenPauseTheRefresh) {
    ads.route("GET", "/ad",
        HttpResponse::text("<p>ad</p>", 200, "text/html").header("X-Anma-Refresh-Rate", "30"));
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    auto& application = ui::Application::sharedApplication();
    struct Case {
        char const* name;
        std::function<void()> pause;
        std::function<void()> resume;
    } const cases[] = {
        {"background", [&] { application.enterBackground(); },
            [&] { application.enterForeground(); }},
        {"full screen",
            [] {
                foundation::NotificationCenter::defaultCenter().postNotification(
                    ads::adnoria::ADNViewController::WillPresentFullScreenNotification);
            },
            [] {
                foundation::NotificationCenter::defaultCenter().postNotification(
                    ads::adnoria::ADNViewController::DidRelinquishFullScreenNotification);
            }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        foundation::RunLoop::main().runFor(20);
        c.pause();
        EXPECT_EQ(controller().reloadTimer(), nullptr);
        foundation::RunLoop::main().runFor(60);
        EXPECT_EQ(controller().state(), ADNObjectPrivate::AdReady);
        // Back: the whole interval starts again.
        c.resume();
        ASSERT_TRUE(controller().reloadTimer());
        foundation::RunLoop::main().runFor(29);
        EXPECT_EQ(controller().state(), ADNObjectPrivate::AdReady);
        foundation::RunLoop::main().runFor(2);
        EXPECT_EQ(controller().state(), ADNObjectPrivate::BuildingURL);
        answerAdURL("/ad");
        ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    }
}

TEST_F(ADNObjectPrivateTest, ClearedDelegateHearsNothingAndAReadyAdIgnoresPageFailures) {
    ads.route("GET", "/ad", HttpResponse::text("<p>ad</p>", 200, "text/html"));
    banner->loadRequest(nullptr);
    answerAdURL("/ad");
    ASSERT_TRUE(waitForState(ADNObjectPrivate::AdReady));
    banner->setDelegate(nullptr);
    EXPECT_EQ(banner->delegate(), nullptr);
    // A failure of the shown ad's page after it is ready changes nothing.
    auto* view = banner->webView();
    view->delegate()->didFailLoadWithError(
        *view, foundation::URLError::withDomain("NSURLErrorDomain", -1, "x"));
    EXPECT_EQ(controller().state(), ADNObjectPrivate::AdReady);
    banner->loadRequest(nullptr);
    waitForBuildPage()->fireNavigation("anmsg:///unableToServe", ui::WebViewNavigationType::Other);
    ASSERT_TRUE(waitForState(ADNObjectPrivate::Failed));
    EXPECT_EQ(recorder.events, std::vector<std::string> {"receive"});
}
