// The full-screen interstitial: its registry, the reply headers it reads, its close
// button, full-screen adapters, and show and close over a parent with the bars put
// back as they were. The ad server is a loopback server; web views are scripted.
#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdapterMap.hpp>
#include <ads/mosaic/MXInterstitialAdController.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/NavigationController.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

using namespace ads::mosaic;
using test::HttpResponse;

namespace {

// The game's screen that shows the interstitial: writes down what it hears and
// dismisses the controller when asked.
class Parent final : public ui::ViewController, public MXInterstitialAdControllerDelegate {
public:
    static base::Ref<Parent> create() { return base::make<Parent>(); }

    void dismissInterstitial(MXInterstitialAdController& controller) override {
        events.push_back("dismiss");
        if (controller.presentingViewController())
            controller.dismissModalViewController(false);
    }
    void interstitialDidLoadAd(MXInterstitialAdController&) override { events.push_back("load"); }
    void interstitialDidFailToLoadAd(MXInterstitialAdController&) override {
        events.push_back("fail");
    }
    void interstitialWillAppear(MXInterstitialAdController&) override {
        events.push_back("willAppear");
    }
    void interstitialDidAppear(MXInterstitialAdController&) override {
        events.push_back("didAppear");
    }
    void interstitialWillDisappear(MXInterstitialAdController&) override {
        events.push_back("willDisappear");
    }
    void interstitialDidDisappear(MXInterstitialAdController&) override {
        events.push_back("didDisappear");
    }

    std::vector<std::string> events;

private:
    friend base::Factory;
    Parent() = default;
};

// A full-screen adapter of another network that records what it is asked.
class FakeInterstitialAdapter final : public MXBaseInterstitialAdapter {
public:
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override {
        asked.push_back(params.valueForKey("X-Fulladtype"));
    }
    void showInterstitialFromViewController(ui::ViewController* controller) override {
        shownFrom.push_back(controller);
    }
    MXBaseInterstitialAdapterDelegate* controller() const { return interstitialAdController(); }

    std::vector<std::string> asked;
    std::vector<ui::ViewController*> shownFrom;

private:
    friend base::Factory;
    explicit FakeInterstitialAdapter(MXBaseInterstitialAdapterDelegate* controller)
        : MXBaseInterstitialAdapter(controller) { }
};

HttpResponse reply(std::vector<std::pair<std::string, std::string>> headers,
    std::string body = "<html>full</html>") {
    auto response = HttpResponse::text(std::move(body), 200, "text/html");
    for (auto const& [name, value] : headers)
        response.header(name, value);
    return response;
}

class MXInterstitialAdControllerTest : public ::testing::Test {
protected:
    MXInterstitialAdControllerTest() {
        ui::Application::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        server.route("GET", "/m/ad", [this](test::HttpRequest const&) {
            std::lock_guard lock(mutex);
            return answer;
        });
        server.route("GET", "/fail", HttpResponse::text("<html>fallback</html>", 200, "text/html"));
        window->setRootViewController(parent);
        window->makeKeyAndVisible();
        MXAdapterMap::registerInterstitialAdapterClass(
            "MXAdnoriaInterstitialAdapter", [this](MXInterstitialAdController& owner) {
                auto adapter = base::make<FakeInterstitialAdapter>(&owner);
                adapters.push_back(adapter);
                return base::Ref<MXBaseInterstitialAdapter>(adapter);
            });
    }
    ~MXInterstitialAdControllerTest() override {
        if (parent->presentedViewController())
            parent->dismissModalViewController(false);
        controller = nullptr;
        MXInterstitialAdController::removeAllSharedInterstitialAdControllers();
        MXAdapterMap::resetAdapterClasses();
        adapters.clear();
        window = nullptr;
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        ui::Application::reset();
    }

    void answerWith(HttpResponse response) {
        std::lock_guard lock(mutex);
        answer = std::move(response);
    }
    std::size_t requestsTo(std::string const& path) const {
        std::size_t count = 0;
        for (auto const& request : server.requests())
            count += request.path == path;
        return count;
    }
    // Loads and waits until count requests came and the client has dealt with them.
    void waitForRequests(std::size_t count) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] {
                return server.requestCount() >= count && !controller->adView()->adManager()->conn();
            },
            10));
        for (int pass = 0; pass < 20; ++pass)
            foundation::RunLoop::main().runUntil([] { return false; }, 0.01);
    }
    test::ScriptedWebView& loadingPage() const {
        auto const& pool = controller->adView()->adManager()->webviewPool();
        EXPECT_FALSE(pool.empty());
        return static_cast<test::ScriptedWebView&>(*pool.back());
    }
    void makeController() {
        controller = MXInterstitialAdController::initWithAdUnitId("full-1", parent.get());
        controller->view();
    }

    test::LoopbackServer server;
    test::MosaicScope scope {test::hostOf(server.baseURL())};
    foundation::ScopedManualClock clock;
    std::mutex mutex;
    HttpResponse answer = HttpResponse::text("", 404);
    base::Ref<ui::Window> window = ui::Window::create({{0, 0}, {480, 320}});
    base::Ref<Parent> parent = Parent::create();
    base::Ref<MXInterstitialAdController> controller;
    std::vector<base::Ref<FakeInterstitialAdapter>> adapters;
};

}

TEST_F(MXInterstitialAdControllerTest, TheRegistryKeepsOneControllerPerAdUnitId) {
    EXPECT_TRUE(MXInterstitialAdController::sharedInterstitialAdControllers().empty());
    auto& first = MXInterstitialAdController::interstitialAdControllerForAdUnitId("unit-a");
    auto& again = MXInterstitialAdController::interstitialAdControllerForAdUnitId("unit-a");
    auto& other = MXInterstitialAdController::interstitialAdControllerForAdUnitId("unit-b");
    EXPECT_EQ(&first, &again);
    EXPECT_NE(&first, &other);
    EXPECT_EQ(MXInterstitialAdController::sharedInterstitialAdControllers().size(), 2u);

    // A new controller: no parent, the close button shown, any orientation, and a
    // screen-sized ad view that never refreshes by itself.
    EXPECT_EQ(first.parent(), nullptr);
    EXPECT_EQ(first.adUnitId(), "unit-a");
    EXPECT_EQ(first.adView()->adUnitId(), "unit-a");
    EXPECT_FALSE(first.ready());
    EXPECT_EQ(first.closeButtonType(), 0u);
    EXPECT_EQ(first.orientationType(), 2u);
    EXPECT_EQ(first.adView()->frame(), ui::Screen::mainScreen().bounds());
    EXPECT_TRUE(first.adView()->ignoresAutorefresh());
    EXPECT_TRUE(dynamic_cast<MXInterstitialAdManager*>(first.adView()->adManager()));
    EXPECT_EQ(first.adView()->delegate(), &first);

    base::Ref<MXInterstitialAdController> keep(&first);
    MXInterstitialAdController::removeSharedInterstitialAdController(first);
    EXPECT_EQ(MXInterstitialAdController::sharedInterstitialAdControllers().size(), 1u);
    EXPECT_NE(&MXInterstitialAdController::interstitialAdControllerForAdUnitId("unit-a"), &first);
    MXInterstitialAdController::removeAllSharedInterstitialAdControllers();
    EXPECT_TRUE(MXInterstitialAdController::sharedInterstitialAdControllers().empty());
}

TEST_F(MXInterstitialAdControllerTest, ReplyHeadersSetTheCloseButtonOrientationAndAdapter) {
    using O = ui::InterfaceOrientation;
    std::vector<O> const all {
        O::Portrait, O::PortraitUpsideDown, O::LandscapeRight, O::LandscapeLeft};
    std::vector<O> const portrait {O::Portrait, O::PortraitUpsideDown};
    std::vector<O> const landscape {O::LandscapeRight, O::LandscapeLeft};
    struct Case {
        char const* name;
        std::vector<std::pair<std::string, std::string>> headers;
        bool closeHidden;
        unsigned orientation;
        std::vector<O> allowed;
        // The full-screen adapters made so far, and whether the fail URL was asked.
        std::size_t adapters;
        bool failURL;
    };
    std::vector<Case> const cases {
        {"none", {}, false, 2, all, 0, false},
        {"no close button", {{"X-Closebutton", "None"}}, true, 2, all, 0, false},
        // The next reply without the header shows it again.
        {"portrait", {{"X-Orientation", "p"}}, false, 0, portrait, 0, false},
        {"lower-case none", {{"X-Closebutton", "none"}, {"X-Orientation", "l"}}, false, 1,
            landscape, 0, false},
        {"other orientation", {{"X-Orientation", "landscape"}}, false, 2, all, 0, false},
        // A full-screen type with a class makes its adapter.
        {"adapter", {{"X-Fulladtype", "adnoria_full"}, {"X-Adtype", "interstitial"}}, false, 2, all,
            1, false},
        {"empty type", {{"X-Fulladtype", ""}}, false, 2, all, 1, false},
        // Without a class (or with a banner adapter's): an adapter failure, so the
        // reply's own fail URL.
        {"no class", {{"X-Fulladtype", "meridian_full"}}, false, 2, all, 1, true},
        {"banner class", {{"X-Fulladtype", "interstitial"}}, false, 2, all, 1, true},
        // The fail URL's reply has no close-button header: the button shows again.
        {"unknown", {{"X-Fulladtype", "bogus"}, {"X-Closebutton", "None"}}, false, 2, all, 1, true},
    };
    makeController();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto const& c = cases[i];
        SCOPED_TRACE(c.name);
        auto headers = c.headers;
        headers.emplace_back("X-Failurl", server.url("/fail") + "?case=" + std::to_string(i));
        answerWith(reply(headers));
        server.clearRequests();
        controller->adView()->adManager()->forceRefreshAd();
        waitForRequests(c.failURL ? 2 : 1);
        EXPECT_EQ(requestsTo("/fail"), c.failURL ? 1u : 0u);
        if (c.failURL) {
            EXPECT_EQ(server.requests().back().query, "case=" + std::to_string(i));
        }
        ASSERT_TRUE(controller->closeButton());
        EXPECT_EQ(controller->closeButton()->isHidden(), c.closeHidden);
        EXPECT_EQ(controller->closeButtonType(), c.closeHidden ? 1u : 0u);
        EXPECT_EQ(controller->orientationType(), c.orientation);
        for (auto orientation : all)
            EXPECT_EQ(controller->shouldAutorotateToInterfaceOrientation(orientation),
                std::find(c.allowed.begin(), c.allowed.end(), orientation) != c.allowed.end())
                << int(orientation);
        EXPECT_EQ(adapters.size(), c.adapters);
    }
}

TEST_F(MXInterstitialAdControllerTest, AFullScreenAdapterLoadsAndShowsItself) {
    makeController();
    answerWith(reply({{"X-Fulladtype", "adnoria_full"}, {"X-Adtype", "interstitial"}}));
    controller->loadAd();
    waitForRequests(1);
    ASSERT_EQ(adapters.size(), 1u);
    auto& adapter = *adapters[0];
    EXPECT_EQ(adapter.asked, std::vector<std::string> {"adnoria_full"});
    EXPECT_EQ(controller->currentAdapter(), &adapter);
    EXPECT_TRUE(controller->adView()->adManager()->isLoading());
    EXPECT_FALSE(controller->ready());

    controller->adapterDidFinishLoadingAd(&adapter);
    EXPECT_TRUE(controller->ready());
    EXPECT_FALSE(controller->adView()->adManager()->isLoading());
    EXPECT_EQ(parent->events, std::vector<std::string> {"load"});

    // The adapter shows its own ad; the controller is not presented.
    controller->show();
    EXPECT_EQ(adapter.shownFrom, std::vector<ui::ViewController*> {parent.get()});
    EXPECT_EQ(parent->presentedViewController(), nullptr);
    EXPECT_FALSE(ui::Application::sharedApplication().isStatusBarHidden());

    // A failure drops it; a reply that replaces it unregisters it.
    answerWith(reply({{"X-Fulladtype", "adnoria_full"}, {"X-Adtype", "interstitial"}}));
    controller->adView()->adManager()->forceRefreshAd();
    waitForRequests(2);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0]->controller(), nullptr);
    EXPECT_EQ(adapters[1]->controller(), controller.get());
    controller->adapterDidFailToLoadAdWithError(adapters[1].get(), "gone");
    EXPECT_EQ(controller->currentAdapter(), nullptr);
    EXPECT_EQ(adapters[1]->controller(), nullptr);
    EXPECT_FALSE(controller->ready());
}

TEST_F(MXInterstitialAdControllerTest, AnHTMLAdIsReadyWhenItsPageSaysSoAndClosesItself) {
    makeController();
    answerWith(reply({{"X-Adtype", "html"}}));
    controller->loadAd();
    waitForRequests(1);
    auto& page = loadingPage();
    EXPECT_EQ(page.autoresizingMask()
            & (ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight),
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    page.fireNavigation("mosaic://finishLoad", ui::WebViewNavigationType::Other);
    EXPECT_TRUE(controller->ready());
    EXPECT_EQ(controller->adView()->adContentView(), &page);
    EXPECT_EQ(page.frame(), controller->adView()->bounds());
    EXPECT_EQ(parent->events, std::vector<std::string> {"load"});

    controller->show();
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(parent->presentedViewController(), controller.get());
    page.fireNavigation("mosaic://close", ui::WebViewNavigationType::Other);
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(parent->presentedViewController(), nullptr);
    EXPECT_EQ(parent->events,
        (std::vector<std::string> {
            "load", "willAppear", "didAppear", "willDisappear", "dismiss", "didDisappear"}));
}

TEST_F(MXInterstitialAdControllerTest, AFailedRequestIsNotRetried) {
    makeController();
    controller->loadAd();
    waitForRequests(1);
    EXPECT_EQ(parent->events, std::vector<std::string> {"fail"});
    EXPECT_TRUE(controller->adView()->isHidden());
    EXPECT_FALSE(controller->adView()->adManager()->isLoading());
    foundation::RunLoop::main().runFor(600);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(MXInterstitialAdControllerTest, ShowAndCloseRestoreTheBars) {
    auto& application = ui::Application::sharedApplication();
    struct Case {
        char const* name;
        bool statusBarHidden;
        bool inNavigation;
        bool navigationBarHidden;
    } const cases[] = {
        {"status bar shown", false, false, false},
        {"status bar hidden", true, false, false},
        {"navigation bar shown", false, true, false},
        {"navigation bar hidden", true, true, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        parent->events.clear();
        base::Ref<ui::NavigationController> navigation;
        if (c.inNavigation) {
            window->setRootViewController(nullptr);
            navigation = ui::NavigationController::create(parent);
            navigation->setNavigationBarHidden(c.navigationBarHidden, false);
            window->setRootViewController(navigation);
        }
        application.setStatusBarHidden(c.statusBarHidden);
        makeController();
        controller->show();
        EXPECT_TRUE(application.isStatusBarHidden());
        if (navigation) {
            EXPECT_TRUE(navigation->isNavigationBarHidden());
        }
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(controller->presentingViewController() != nullptr, true);
        EXPECT_EQ(controller->statusBarWasHidden(), c.statusBarHidden);

        controller->closeButtonPressed();
        foundation::RunLoop::main().runFor(1);
        EXPECT_EQ(application.isStatusBarHidden(), c.statusBarHidden);
        if (navigation) {
            EXPECT_EQ(navigation->isNavigationBarHidden(), c.navigationBarHidden);
        }
        EXPECT_EQ(controller->presentingViewController(), nullptr);
        EXPECT_EQ(parent->events,
            (std::vector<std::string> {
                "willAppear", "didAppear", "willDisappear", "dismiss", "didDisappear"}));

        // A close with no show before it leaves the bars alone.
        application.setStatusBarHidden(!c.statusBarHidden);
        controller->closeButtonPressed();
        EXPECT_EQ(application.isStatusBarHidden(), !c.statusBarHidden);
        if (navigation) {
            window->setRootViewController(nullptr);
            window->setRootViewController(parent);
        }
    }
}

TEST_F(MXInterstitialAdControllerTest, TheCloseButtonSitsSixPointsInsideTheTopRightCorner) {
    makeController();
    auto* button = controller->closeButton();
    ASSERT_TRUE(button);
    auto const width = controller->view()->bounds().size.width;
    auto const frame = button->frame();
    EXPECT_EQ(frame.origin.x, width - (frame.size.width + 6));
    EXPECT_EQ(frame.origin.y, 6);
    EXPECT_EQ(button->autoresizingMask(),
        ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleBottomMargin);
    EXPECT_EQ(controller->view()->subviews().back().get(), button);
    EXPECT_FALSE(button->isHidden());
    // Its touch closes the ad.
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(parent->events, (std::vector<std::string> {"willDisappear", "dismiss"}));
}
