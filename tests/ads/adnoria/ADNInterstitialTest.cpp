#include "AdnoriaServerTest.hpp"

#include <ads/adnoria/ADNDelegateManager.hpp>
#include <ads/adnoria/ADNInterstitial.hpp>
#include <ads/adnoria/ADNInterstitialAppController.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>
#include <ads/adnoria/ADN_PJSON.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using ads::adnoria::ADNInterstitial;
using ads::adnoria::ADNObjectPrivate;
using ads::adnoria::ADNRequestError;
using test::HttpResponse;

namespace {

class Listener final : public ads::adnoria::ADNInterstitialDelegate {
public:
    explicit Listener(std::string name, std::vector<std::string>& log)
        : name_(std::move(name))
        , log_(log) { }
    void interstitialDidReceiveAd(ADNInterstitial*) override { log_.push_back(name_ + " receive"); }
    void interstitialDidFailToReceiveAdWithError(
        ADNInterstitial*, ADNRequestError const& e) override {
        log_.push_back(name_ + " fail " + std::to_string(e.code()));
    }
    void interstitialWillPresentScreen(ADNInterstitial*) override {
        log_.push_back(name_ + " present");
    }
    void interstitialWillDismissScreen(ADNInterstitial*) override {
        log_.push_back(name_ + " dismiss");
    }
    void interstitialDidDismissScreen(ADNInterstitial*) override {
        log_.push_back(name_ + " dismissed");
    }
    void interstitialWillLeaveApplication(ADNInterstitial*) override {
        log_.push_back(name_ + " leave");
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class ADNInterstitialTest : public test::AdnoriaServerTest {
protected:
    ADNInterstitialTest() {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        interstitial->setAdUnitID("inter-1");
        interstitial->setDelegate(&listener);
        ads.route("GET", "/ad",
            HttpResponse::text("<p>full</p>", 200, "text/html")
                .header("X-Anma-Tracking-Urls", ads.url("/imp")));
        ads.route("GET", "/imp", HttpResponse::text("ok"));
    }
    ~ADNInterstitialTest() override {
        interstitial->setDelegate(nullptr);
        // A full-screen ad controller keeps itself until it gives the screen up.
        if (auto* shown
            = dynamic_cast<ads::adnoria::ADNViewController*>(root->presentedViewController()))
            shown->relinquishScreen();
        foundation::RunLoop::main().runFor(1);
    }

    ADNObjectPrivate& controller() { return interstitial->objectPrivate(); }
    void loadToReady() {
        interstitial->loadRequest(nullptr);
        answerAdURL(controller(), "/ad", "interstitial");
        ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::AdReady));
    }

    base::Ref<ui::Window> window = ui::Window::create({{0, 0}, {320, 480}});
    base::Ref<ADNInterstitial> interstitial = ADNInterstitial::init();
    std::vector<std::string> log;
    Listener listener {"app", log};
};

}

TEST_F(ADNInterstitialTest, NotReadyUntilTheAdHasLoadedThenPresentedWithEventsInOrder) {
    test::LogCapture lines;
    EXPECT_FALSE(interstitial->isReady());
    interstitial->presentFromRootViewController(root.get());
    EXPECT_TRUE(lines.contains("<Adnoria> Cannot present interstitial.  It is not ready."));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    interstitial->loadRequest(nullptr);
    auto* page = waitForBuildPage(controller());
    ASSERT_TRUE(page);
    EXPECT_FALSE(interstitial->isReady());
    // An interstitial asks for the full-screen format and has no frame.
    auto const& text = page->pageContent();
    auto open = text.find("<script>ANMA_buildAdURL(") + 24;
    auto json = text.substr(open, text.find(");</script></head>") - open);
    auto parameters = ads::adnoria::ADN_PJSON::create()->objectWithString(json);
    ASSERT_TRUE(parameters.dictionary());
    EXPECT_EQ(parameters.dictionary()->objectForKey("format"), base::Value("interstitial_mb"));
    EXPECT_EQ(parameters.dictionary()->objectForKey("slotname"), base::Value("inter-1"));
    EXPECT_FALSE(parameters.dictionary()->contains("ad_frame"));
    answerAdURL(controller(), "/ad", "interstitial");
    ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::AdReady));
    EXPECT_TRUE(interstitial->isReady());
    EXPECT_EQ(log, std::vector<std::string> {"app receive"});
    // The impression goes out when the interstitial is shown, not before.
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(requestsTo(ads, "/imp"), 0u);

    interstitial->presentFromRootViewController(root.get());
    auto* webApp
        = dynamic_cast<ads::adnoria::ADNWebAppViewController*>(root->presentedViewController());
    ASSERT_TRUE(webApp);
    base::Ref<test::ScriptedWebView> shown(static_cast<test::ScriptedWebView*>(webApp->webView()));
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(shown->pageContent(), "<p>full</p>");
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return requestsTo(ads, "/imp") == 1; }, 10));
    shown->fireNavigation("anmsg:///close", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log,
        (std::vector<std::string> {"app receive", "app present", "app dismiss", "app dismissed"}));
    EXPECT_EQ(requestsTo(ads, "/imp"), 1u);
}

TEST_F(ADNInterstitialTest, FailedLoadIsNotReady) {
    ads.route("GET", "/ad", HttpResponse::text("gone", 404));
    interstitial->loadRequest(nullptr);
    answerAdURL(controller(), "/ad", "interstitial");
    ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::Failed));
    EXPECT_FALSE(interstitial->isReady());
    EXPECT_EQ(log, std::vector<std::string> {"app fail 3"});
}

TEST_F(ADNInterstitialTest, SettingsChangeTheTimeOut) {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    EXPECT_FLOAT_EQ(defaults.floatForKey("applicationTimeout"), 5.0f);
    auto& center = ads::adnoria::ADNNotificationCenter::defaultCenter();
    struct Case {
        char const* key;
        char const* value;
        float stored;
    } const cases[] = {
        {"applicationTimeout", "3", 3.0f},
        {"applicationtimeout", "7.5", 7.5f},
        {"applicationTimeout", "", 7.5f},
        {"other", "1", 7.5f},
    };
    for (auto const& c : cases) {
        auto info = base::Dictionary::create();
        info->setObject(c.key, c.value);
        center.postNotification("settings", nullptr, base::Value(info));
        EXPECT_FLOAT_EQ(defaults.floatForKey("applicationTimeout"), c.stored) << c.key << c.value;
    }
    // A page's own "settings" message gets there through the bridge.
    auto* view = controller().webView();
    static_cast<test::ScriptedWebView*>(view)->fireNavigation(
        "anmsg:///settings?applicationTimeout=9", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runPending();
    EXPECT_FLOAT_EQ(defaults.floatForKey("applicationTimeout"), 9.0f);
}

TEST_F(ADNInterstitialTest, WebActionsOtherThanMessagesCancelTheRefresh) {
    auto* view = controller().webView();
    auto& center = ads::adnoria::ADNNotificationCenter::defaultCenter();
    struct Case {
        char const* action; // nullptr: a plain navigation
        bool cancels;
    } const cases[] = {{"click", false}, {nullptr, true}, {"open", true}, {"log", false}};
    for (auto const& c : cases) {
        controller().scheduleReloadTimer(30);
        auto info = base::Dictionary::create();
        info->setObject("u", "http://x.test/");
        if (c.action)
            info->setObject("a", c.action);
        center.postNotification("didReceiveWebAction", view, base::Value(info));
        EXPECT_EQ(controller().reloadTimer() == nullptr, c.cancels) << (c.action ? c.action : "-");
        // From another web view nothing happens.
        controller().scheduleReloadTimer(30);
        center.postNotification("didReceiveWebAction", window.get(), base::Value(info));
        EXPECT_TRUE(controller().reloadTimer());
    }
}

TEST_F(ADNInterstitialTest, DelegateEventsFromAnotherThreadArriveOnTheMainThread) {
    std::vector<std::string> sdkLog;
    Listener sdk("sdk", log);
    auto& manager = controller().delegateManager();
    manager.setSdkInterstitialDelegate(&sdk);
    std::atomic<bool> done {false};
    std::thread worker([&] {
        manager.didReceiveAd();
        done = true;
    });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return done.load(); }, 10));
    worker.join();
    // The client's own listener hears first, then the application's delegate.
    EXPECT_EQ(log, (std::vector<std::string> {"sdk receive", "app receive"}));
    manager.setSdkInterstitialDelegate(nullptr);
}

TEST_F(ADNInterstitialTest, LaunchInterstitialRefusedWithoutATimeOut) {
    test::LogCapture lines;
    foundation::UserDefaults::standardUserDefaults().setFloat(0, "applicationTimeout");
    interstitial->loadAndDisplayRequest(nullptr, *window, nullptr);
    EXPECT_TRUE(lines.contains("<Adnoria> Interstitial has zero timeout.  Not displaying."));
    EXPECT_EQ(controller().state(), ADNObjectPrivate::Idle);
    EXPECT_EQ(controller().delegateManager().sdkInterstitialDelegate(), nullptr);
}

TEST_F(ADNInterstitialTest, LaunchInterstitialTimesOutAndRestoresTheWindow) {
    auto original = window->subviews();
    ASSERT_FALSE(original.empty());
    foundation::UserDefaults::standardUserDefaults().setFloat(2.9f, "applicationTimeout");
    test::LogCapture lines;
    interstitial->loadAndDisplayRequest(nullptr, *window, nullptr);
    auto* host = dynamic_cast<ads::adnoria::ADNInterstitialAppController*>(
        controller().delegateManager().sdkInterstitialDelegate());
    ASSERT_TRUE(host);
    base::Ref<ads::adnoria::ADNInterstitialAppController> keep(host);
    // The splash covers the window alone; the status bar hides.
    ASSERT_EQ(window->subviews().size(), 1u);
    EXPECT_EQ(window->subviews()[0].get(), host->view());
    EXPECT_TRUE(ui::Application::sharedApplication().isStatusBarHidden());
    waitForBuildPage(controller());
    // The time-out is 2 whole seconds.
    foundation::RunLoop::main().runFor(1.9);
    EXPECT_FALSE(host->isRestored());
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_TRUE(host->isRestored());
    EXPECT_TRUE(lines.contains("<Adnoria> Interstitial request timed out."));
    EXPECT_EQ(window->subviews(), original);
    EXPECT_FALSE(ui::Application::sharedApplication().isStatusBarHidden());
    EXPECT_EQ(controller().delegateManager().sdkInterstitialDelegate(), nullptr);
    // An interstitial that arrives later no longer reaches it.
    answerAdURL(controller(), "/ad", "interstitial");
    ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::AdReady));
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ADNInterstitialTest, LaunchInterstitialShowsAndGivesTheWindowBackWhenDismissed) {
    auto original = window->subviews();
    foundation::UserDefaults::standardUserDefaults().setFloat(30, "applicationTimeout");
    interstitial->loadAndDisplayRequest(nullptr, *window, nullptr);
    auto* host = dynamic_cast<ads::adnoria::ADNInterstitialAppController*>(
        controller().delegateManager().sdkInterstitialDelegate());
    ASSERT_TRUE(host);
    base::Ref<ads::adnoria::ADNInterstitialAppController> keep(host);
    answerAdURL(controller(), "/ad", "interstitial");
    ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::AdReady));
    foundation::RunLoop::main().runFor(1);
    // Full-screen ads present from the key window's root controller.
    auto* webApp
        = dynamic_cast<ads::adnoria::ADNWebAppViewController*>(root->presentedViewController());
    ASSERT_TRUE(webApp);
    webApp->relinquishScreen();
    foundation::RunLoop::main().runFor(1);
    EXPECT_TRUE(host->isRestored());
    EXPECT_EQ(window->subviews(), original);
    // The launch host hears the ad first and presents it before the application hears.
    EXPECT_EQ(log,
        (std::vector<std::string> {"app present", "app receive", "app dismiss", "app dismissed"}));
    // Only portrait while it shows.
    EXPECT_TRUE(host->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    EXPECT_FALSE(
        host->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));
}

TEST_F(ADNInterstitialTest, LaunchInterstitialWithoutAnAdRecordsTheNoFill) {
    ads.route("GET", "/ad", HttpResponse::text("", 200, "text/html"));
    foundation::UserDefaults::standardUserDefaults().setFloat(30, "applicationTimeout");
    auto original = window->subviews();
    interstitial->loadAndDisplayRequest(nullptr, *window, nullptr);
    base::Ref<ads::adnoria::ADNInterstitialAppController> keep(
        dynamic_cast<ads::adnoria::ADNInterstitialAppController*>(
            controller().delegateManager().sdkInterstitialDelegate()));
    ASSERT_TRUE(keep);
    answerAdURL(controller(), "/ad", "interstitial");
    ASSERT_TRUE(waitForState(controller(), ADNObjectPrivate::Failed));
    EXPECT_TRUE(keep->isRestored());
    EXPECT_EQ(window->subviews(), original);
    auto parameters = ads::adnoria::ADNStatistics::sharedStatistics().parameters();
    EXPECT_TRUE(parameters->contains("aoi_nofill"));
}
