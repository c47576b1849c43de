#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>
#include <toolkit/xml/XDoc.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace ads::bountix;
using test::HttpResponse;

namespace {

constexpr char const* ClosedThenBox[]
    = {"BTX_VIEW_CLOSED_NOTIFICATION", "BTX_SHOW_BOX_NOTIFICATION"};

// A phone window with the game's root controller, scripted web views, a bundle holding a
// 40 x 40 close picture, and the offer service's full-screen page at /ad/full.
class BTXFeaturedAppViewTest : public test::BountixTest {
protected:
    BTXFeaturedAppViewTest() {
        std::filesystem::create_directories(bundle);
        graphics::Image picture(40, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                picture.setPixel(x, y, {90, 90, 90, 255});
        EXPECT_TRUE(picture.writePNG(bundle / "close_button.png"));
        foundation::Bundle::setMainBundlePath(bundle.string());
        ui::Image::purgeCache();
        ui::Application::reset();
        ui::Animator::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window = ui::Window::create({0, 0, 320, 480});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        primary.route("GET", "/ad/full", HttpResponse::text("<html></html>", 200, "text/html"));
        primary.route(
            "GET", "/get_offers/webpage", HttpResponse::text("<html></html>", 200, "text/html"));
        primary.route("GET", "/get_offers/featured", HttpResponse::text("<none/>"));
    }
    ~BTXFeaturedAppViewTest() override {
        BTXFeaturedAppManager::resetShared();
        BTXFeaturedAppView::resetShared();
        BTXOffersWebView::resetShared();
        BTXCallsWrapper::resetShared();
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath({});
    }

    static BTXFeaturedAppView& view() { return BTXFeaturedAppView::sharedBTXFeaturedAppView(); }
    static test::ScriptedWebView& page() {
        return dynamic_cast<test::ScriptedWebView&>(view().webView());
    }
    static bool runUntil(std::function<bool()> done) {
        return foundation::RunLoop::main().runUntil(std::move(done), 20);
    }
    void advance(double seconds) {
        clock->advance(seconds);
        foundation::RunLoop::main().runUntil([] { return false; }, 0.01);
    }
    // The featured app the service named, with its full-screen page on the primary host.
    void haveFeaturedApp() {
        view().setPublisherUserID(BountixConnect::getUserID());
        auto model = BTXFeaturedAppModel::initWithXDoc(nullptr);
        model->fullScreenAdURL = primary.url("/ad/full");
        BTXFeaturedAppManager::sharedBTXFeaturedAppManager().setFeaturedAppModelObj(model);
    }
    // The ad over the game's root controller with effect 0, its page loaded.
    void showOverTheGame() {
        haveFeaturedApp();
        BountixConnect::setTransitionEffect(0);
        BountixConnect::showFeaturedAppFullScreenAdWithViewController(root.get());
        ASSERT_TRUE(runUntil([] { return view().webPageRendered(); }));
        advance(0.5);
        notifications.clear();
    }
    std::string expectedRetryURL() const {
        return BTXUIWebPageView::appendGenericParamsWithURL(
                   primary.url("/") + "get_offers/fullscreenad?")
            + "&publisher_user_id=" + BountixConnect::getUserID();
    }

    std::filesystem::path bundle {dir.path() / "bundle"};
    base::Ref<ui::ViewController> root = ui::ViewController::create();
    base::Ref<ui::Window> window;
};

TEST_F(BTXFeaturedAppViewTest, TheFeaturedRequestHandsItsUserAndCurrencyToTheView) {
    BountixConnect::setUserID("player-7");
    BountixConnect::getFeaturedAppWithCurrencyID("gems");
    EXPECT_EQ(view().publisherUserID(), "player-7");
    EXPECT_EQ(view().currencyID(), "gems");
    BountixConnect::getFeaturedApp();
    EXPECT_EQ(view().currencyID(), std::nullopt) << "a plain request clears the currency";
    EXPECT_EQ(view().publisherUserID(), "player-7");
    EXPECT_TRUE(waitForNotifications(1));
}

TEST_F(BTXFeaturedAppViewTest, WithoutAFeaturedAppNothingIsShown) {
    test::LogCapture log;
    EXPECT_EQ(BountixConnect::showFeaturedAppFullScreenAd(), nullptr);
    EXPECT_EQ(BountixConnect::showFeaturedAppFullScreenAdWithFrame({0, 0, 320, 480}), nullptr);
    BountixConnect::showFeaturedAppFullScreenAdWithViewController(root.get());
    EXPECT_TRUE(root->view()->subviews().empty());
    EXPECT_EQ(BTXFeaturedAppView::sharedIfMade(), nullptr);
    std::size_t refusals = 0;
    for (auto const& line : log.lines())
        refusals += line.find("There was an error getting the full screen ad URL. Was "
                              "getFeaturedApp called?")
            != std::string::npos;
    EXPECT_EQ(refusals, 3u);
}

TEST_F(BTXFeaturedAppViewTest, OverTheGameTheAdSlidesInWithItsCloseButtonAndLoadsTheModelsPage) {
    haveFeaturedApp();
    BountixConnect::setTransitionEffect(0);
    BountixConnect::showFeaturedAppFullScreenAdWithViewController(root.get());
    ASSERT_EQ(view().superview(), root->view());
    EXPECT_EQ(BTXCallsWrapper::sharedBTXCallsWrapper().view()->alpha(), 0.0f);
    EXPECT_EQ(view().frame(), (graphics::Rect {0, 0, 320, 480}));
    EXPECT_EQ(view().layer().borderWidth(), 3.0f);
    EXPECT_EQ(view().layer().borderColor(), ui::Color::darkGrayColor());
    ASSERT_NE(view().closeButton(), nullptr);
    EXPECT_EQ(view().closeButton()->superview(), &view());
    EXPECT_EQ(view().closeButton()->frame(), (graphics::Rect {0, 0, 40, 40}));
    EXPECT_EQ(view().webView().request().URL(), primary.url("/ad/full"));
    EXPECT_EQ(view().webView().request().timeoutInterval(), 35);
    EXPECT_EQ(BTXFeaturedAppView::currentFullScreenAdURL(), expectedRetryURL());
    EXPECT_FALSE(view().webView().isUserInteractionEnabled());
    EXPECT_NEAR(view().presentation().frame().origin.y, 480, 0.5) << "starts below the screen";
    advance(0.2);
    EXPECT_NEAR(view().presentation().frame().origin.y, 240, 0.5);
    ASSERT_TRUE(runUntil([] { return view().webPageRendered(); }));
    EXPECT_TRUE(view().webView().isUserInteractionEnabled());
}

TEST_F(BTXFeaturedAppViewTest, InAFrameTheAdLiesOnTheOpaqueHost) {
    haveFeaturedApp();
    BountixConnect::setTransitionEffect(-1);
    auto* shown = BountixConnect::showFeaturedAppFullScreenAdWithFrame({0, 0, 300, 400});
    ASSERT_EQ(shown, &view());
    auto& host = BTXCallsWrapper::sharedBTXCallsWrapper();
    EXPECT_EQ(view().superview(), host.view());
    EXPECT_EQ(host.view()->alpha(), 1.0f);
    EXPECT_EQ(view().frame(), (graphics::Rect {0, 0, 300, 400}));
    EXPECT_EQ(BountixConnect::showFeaturedAppFullScreenAd(), &view());
    EXPECT_EQ(view().frame(), host.view()->bounds()) << "the plain form fills the host";
}

TEST_F(BTXFeaturedAppViewTest, TheCloseButtonAndDismissLinksCloseWithTheReverseEffect) {
    struct Case {
        char const* name;
        std::function<void()> close;
    };
    std::vector<Case> const cases {
        {"close button",
            [] {
                view().closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
            }},
        {"link in capitals",
            [] { EXPECT_FALSE(page().fireNavigation("https://ads.example/DISMISS")); }},
        {"link",
            [] { EXPECT_FALSE(page().fireNavigation("https://ads.example/?action=dismiss")); }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        showOverTheGame();
        c.close();
        advance(0.2);
        EXPECT_NEAR(view().presentation().frame().origin.y, 240, 0.5) << "slides down out";
        EXPECT_TRUE(notifications.empty()) << "nothing is said before the effect ends";
        advance(0.21);
        EXPECT_EQ(notifications,
            std::vector<std::string>(std::begin(ClosedThenBox), std::end(ClosedThenBox)));
        EXPECT_EQ(view().superview(), nullptr);
        EXPECT_TRUE(view().transform().isIdentity());
    }
}

TEST_F(BTXFeaturedAppViewTest, ShowOffersLinksOpenTheWallOverTheAdWithTheRequestsCurrency) {
    struct Case {
        std::optional<std::string> currency;
        char const* currencyPair;
        char const* selectorPair;
    };
    Case const cases[] {
        {"gems", "currency_id=gems", "currency_selector=0"},
        {std::nullopt, "", ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.currencyPair);
        BTXOffersWebView::resetShared();
        showOverTheGame();
        view().setCurrencyID(c.currency);
        EXPECT_FALSE(page().fireNavigation("https://ads.example/?go=SHOWOFFERS"));
        auto* wall = BTXOffersWebView::sharedIfMade();
        ASSERT_NE(wall, nullptr);
        EXPECT_EQ(wall->superview(), &view());
        EXPECT_EQ(wall->frame(), view().frame());
        EXPECT_EQ(wall->currencyID(), c.currencyPair);
        EXPECT_EQ(wall->isSelectorVisible(), c.selectorPair);
        EXPECT_EQ(view().superview(), root->view()) << "the ad stays under the wall";
    }
}

TEST_F(BTXFeaturedAppViewTest, ServiceLinksLoadInsideAndOtherLinksCloseTheAdAndLeave) {
    BTXConfiguration configuration = BTXConfiguration::current();
    configuration.affiliateHost = "https://service-host.example/";
    BTXConfiguration::setUp(configuration);
    struct Case {
        std::string url;
        bool loads;
    };
    std::vector<Case> const cases {
        {primary.url("/ad/next"), true},
        {"https://track.service-host.example/click", true},
        {"https://evil-service-host.example/click", false},
        {"itms-apps://itunes.example/app/id1", false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        showOverTheGame();
        ui::Application::reset();
        window = ui::Window::create({0, 0, 320, 480});
        EXPECT_EQ(page().fireNavigation(c.url), c.loads);
        if (c.loads) {
            EXPECT_EQ(view().lastURL(), c.url);
            EXPECT_EQ(view().superview(), root->view());
            continue;
        }
        ASSERT_TRUE(runUntil(
            [] { return !ui::Application::sharedApplication().openedExternalURLs().empty(); }));
        EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs().front(), c.url);
        EXPECT_EQ(view().superview(), nullptr) << "closed at once, without the effect";
        EXPECT_EQ(notifications,
            std::vector<std::string>(std::begin(ClosedThenBox), std::end(ClosedThenBox)));
    }
}

TEST_F(BTXFeaturedAppViewTest, AFailedPageOffersRetryWhichLoadsTheLastPageOrTheRebuiltURL) {
    BountixConnect::setTransitionEffect(-1);
    primary.route("GET", "/ad/full", HttpResponse::dropped());
    haveFeaturedApp();
    BountixConnect::showFeaturedAppFullScreenAdWithViewController(root.get());
    ASSERT_TRUE(runUntil([] { return view().retryAlert() != nullptr; }));
    EXPECT_EQ(view().retryAlert()->message(), BTXUIWebPageView::DefaultAlertMessage);
    EXPECT_FALSE(view().webView().isUserInteractionEnabled());

    view().clickedButtonAtIndex(*view().retryAlert(), 0);
    EXPECT_TRUE(view().webView().isUserInteractionEnabled()) << "Cancel gives the page back";

    struct Case {
        std::optional<std::string> last;
        std::string loads;
    };
    std::vector<Case> const cases {
        {primary.url("/ad/2"), primary.url("/ad/2")},
        {"not a url", expectedRetryURL()},
        {std::nullopt, expectedRetryURL()},
    };
    auto alert = ui::AlertView::create("", "", nullptr, "Cancel", {"Retry"});
    for (auto const& c : cases) {
        view().setLastURL(c.last);
        view().clickedButtonAtIndex(*alert, 1);
        EXPECT_EQ(view().webView().request().URL(), c.loads);
        EXPECT_EQ(BTXFeaturedAppView::currentFullScreenAdURL(), c.loads);
    }

    for (long code : {long(foundation::URLError::Cancelled), 102L}) {
        auto* before = view().retryAlert();
        view().didFailLoadWithError(view().webView(),
            foundation::URLError::withDomain(ui::WebView::WebKitErrorDomain, code));
        EXPECT_EQ(view().retryAlert(), before) << code << " is silent";
    }
}

TEST_F(BTXFeaturedAppViewTest, RotationsReachThePageThroughTheHost) {
    BountixConnect::updateViewsWithOrientation(3);
    auto const& scripts = page().evaluatedScripts();
    ASSERT_FALSE(scripts.empty());
    EXPECT_EQ(scripts.back(), "window.onorientationchange();");
}

TEST_F(BTXFeaturedAppViewTest, TheViewControllerFormNeedsAController) {
    EXPECT_DEATH(BTXFeaturedAppViewHandler::showFullScreenAdWithURL("https://a.example/", nullptr),
        "View Controller provided must not be nil or some other object");
}

}
