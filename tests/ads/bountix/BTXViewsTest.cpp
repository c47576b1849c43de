#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BTXViews.hpp>

#include <foundation/RunLoop.hpp>
#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace ads::bountix;
using test::HttpResponse;

namespace {

class BTXViewsTest : public test::BountixTest {
protected:
    BTXViewsTest() {
        ui::Application::reset();
        ui::Animator::reset();
        BTXViewCommons::resetShared();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window = ui::Window::create({0, 0, 320, 480});
        window->makeKeyAndVisible();
    }
    ~BTXViewsTest() override {
        BTXCallsWrapper::resetShared();
        ui::WebView::setFactory(nullptr);
        BTXViewCommons::resetShared();
        ui::Animator::reset();
        ui::Application::reset();
    }

    static test::ScriptedWebView& scripted(BTXUIWebPageView& page) {
        return dynamic_cast<test::ScriptedWebView&>(page.webView());
    }
    bool runUntil(std::function<bool()> done) {
        return foundation::RunLoop::main().runUntil(std::move(done), 20);
    }
    static std::vector<std::string> opened() {
        return ui::Application::sharedApplication().openedExternalURLs();
    }

    base::Ref<ui::Window> window;
};

TEST_F(BTXViewsTest, LinksStayInsideOnlyOnTheServiceHostsAndNamesUnderThem) {
    BTXConfiguration configuration;
    configuration.primaryHost = "https://offers.example:8443/";
    configuration.fallbackHost = "https://backup.example";
    configuration.affiliateHost = "";
    BTXConfiguration::setUp(configuration);
    struct Case {
        char const* url;
        bool inside;
    };
    Case const cases[] {
        {"https://offers.example:8443/get_offers/webpage?x=1", true},
        {"https://OFFERS.Example/wall", true},
        {"http://www.offers.example/wall", true},
        {"https://backup.example/page", true},
        {"https://a.b.backup.example/", true},
        {"https://evil-offers.example/wall", false},
        {"https://offers.example.evil.net/wall", false},
        {"https://evil.example/?next=offers.example", false},
        {"https://xoffers.example/", false},
        {"https://store.example/app/id1", false},
        {"btxvideo://video_id=1&click_url=x", false},
        {"mailto:someone@offers.example", false},
        {"not a url", false},
        {"", false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(BTXUIWebPageView::isServiceURL(c.url), c.inside) << c.url;

    configuration.primaryHost = "";
    configuration.fallbackHost = "";
    BTXConfiguration::setUp(configuration);
    EXPECT_FALSE(BTXUIWebPageView::isServiceURL("https://offers.example/"))
        << "with no host configured nothing is inside";
}

TEST_F(BTXViewsTest, AnOutsideLinkIsHandedToTheSystemAndNotLoaded) {
    auto page = BTXUIWebPageView::initWithFrame({0, 0, 320, 480});
    test::LogCapture log;
    EXPECT_TRUE(scripted(*page).fireNavigation(primary.url("/more")));
    EXPECT_FALSE(scripted(*page).fireNavigation("https://store.example/app?id=7"));
    ASSERT_TRUE(runUntil([] { return !opened().empty(); }));
    EXPECT_EQ(opened(), (std::vector<std::string> {"https://store.example/app?id=7"}));
    EXPECT_TRUE(log.contains("OPENING EXTERNAL URL NOW ::::::https://store.example/app?id=7"));
}

TEST_F(BTXViewsTest, AFailedLoadAsksToRetryAndRetryLoadsTheRequestAgain) {
    primary.route("GET", "/page", HttpResponse::dropped());
    auto const url = primary.url("/page");
    auto page = BTXUIWebPageView::initWithFrame(
        {0, 0, 320, 480}, foundation::URLRequest::requestWithURL(url));
    ASSERT_TRUE(runUntil([&] { return page->retryAlert() != nullptr; }));
    auto* alert = page->retryAlert();
    EXPECT_EQ(alert->title(), "");
    EXPECT_EQ(alert->message(), "Service is unreachable.\nDo you want to try again?");
    ASSERT_EQ(alert->numberOfButtons(), 2);
    EXPECT_EQ(alert->buttonTitleAtIndex(alert->cancelButtonIndex()), "Cancel");
    EXPECT_EQ(alert->buttonTitleAtIndex(1), "Retry");
    auto const before = primary.requests().size();

    page->clickedButtonAtIndex(*alert, 1);
    EXPECT_EQ(page->webView().request().URL(), url);
    ASSERT_TRUE(runUntil([&] { return page->retryAlert() != nullptr; }));
    EXPECT_GT(primary.requests().size(), before) << "Retry asked the server again";

    auto const after = primary.requests().size();
    page->clickedButtonAtIndex(*page->retryAlert(), 0);
    foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(primary.requests().size(), after) << "Cancel loads nothing";
    EXPECT_EQ(page->retryAlert(), nullptr);
}

TEST_F(BTXViewsTest, TheAlertCarriesThePagesOwnMessage) {
    primary.route("GET", "/page", HttpResponse::dropped());
    auto page = BTXUIWebPageView::initWithFrame({0, 0, 320, 480});
    page->setAlertErrorMessage("Offers are resting.");
    page->loadURLRequest(primary.url("/page"), 35);
    ASSERT_TRUE(runUntil([&] { return page->retryAlert() != nullptr; }));
    EXPECT_EQ(page->retryAlert()->message(), "Offers are resting.");
    EXPECT_EQ(page->webView().request().timeoutInterval(), 35);
}

TEST_F(BTXViewsTest, CancelledAndInterruptedLoadsSayNothing) {
    HttpResponse held = HttpResponse::text("<html></html>");
    held.delay = std::numeric_limits<double>::infinity();
    primary.route("GET", "/held", held);
    auto page = BTXUIWebPageView::initWithFrame({0, 0, 320, 480});
    page->loadURLRequest(primary.url("/held"));
    ASSERT_TRUE(runUntil([&] { return page->loadingView().view()->alpha() == 1.0f; }))
        << "the overlay comes when the page starts";
    page->webView().stopLoading();
    foundation::RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_EQ(page->retryAlert(), nullptr) << "a cancelled load (-999) is silent";

    // A redirect to the outside is refused: the load ends as an interrupted frame.
    primary.route("GET", "/away", HttpResponse::redirect(302, "https://store.example/app"));
    page->loadURLRequest(primary.url("/away"));
    ASSERT_TRUE(runUntil([] { return !opened().empty(); }));
    foundation::RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_EQ(page->retryAlert(), nullptr) << "an interrupted frame load (102) is silent";
}

TEST_F(BTXViewsTest, TheOverlayFadesInAndOutOnceAndAFinishedPageIsTurned) {
    primary.route("GET", "/page", HttpResponse::text("<html><title>Offers</title></html>"));
    auto page = BTXUIWebPageView::initWithFrame({0, 0, 320, 480});
    auto& overlay = page->loadingView();
    EXPECT_EQ(overlay.view()->alpha(), 0.0f) << "made disabled";
    overlay.fadeIn();
    EXPECT_TRUE(overlay.activityIndicator()->isAnimating());
    clock->advance(0.2);
    EXPECT_NEAR(overlay.view()->presentation().alpha, 0.5, 0.05);
    clock->advance(0.25);
    EXPECT_NEAR(overlay.view()->presentation().alpha, 1, 1e-3);
    overlay.activityIndicator()->stopAnimating();
    overlay.fadeIn();
    EXPECT_FALSE(overlay.activityIndicator()->isAnimating()) << "a shown overlay is left alone";
    EXPECT_NEAR(overlay.view()->presentation().alpha, 1, 1e-3) << "and does not blink";
    overlay.fadeOut();
    EXPECT_FALSE(overlay.activityIndicator()->isAnimating());
    EXPECT_EQ(overlay.view()->alpha(), 0.0f);
    EXPECT_EQ(overlay.loadingBG()->layer().cornerRadius(), 5.0f);

    page->loadURLRequest(primary.url("/page"));
    ASSERT_TRUE(runUntil([&] { return !scripted(*page).evaluatedScripts().empty(); }));
    EXPECT_EQ(scripted(*page).evaluatedScripts().front(),
        "document.body.setAttribute('orientation', 90);");
    EXPECT_EQ(overlay.view()->alpha(), 0.0f) << "a finished page hides the overlay";
}

TEST_F(BTXViewsTest, TheBarIsTintedAndMakesItsButtonsOnce) {
    BTXViewCommons::sharedObject().setUserDefinedColorWithRed(255, 54, 90);
    auto bar = BTXUINavigationBarView::initWithTitle("Offers", {0, 0, 768, 1024}, 20);
    EXPECT_EQ(bar->frame(), (graphics::Rect {0, 20, 768, 44}));
    EXPECT_EQ(bar->tintColor(), ui::Color::colorWithBytes(255, 54, 90));
    EXPECT_EQ(bar->backgroundColor(), bar->tintColor());
    EXPECT_EQ(bar->topItem(), bar->navBarTitle());
    EXPECT_EQ(bar->shownTitle(), "Offers");

    int backs = 0;
    bar->setNavBarLeftBtnWithTitle("Back");
    auto* made = bar->navBarLeftBtn();
    bar->addLeftButtonAction([&](ui::BarButtonItem&) { ++backs; });
    bar->setNavBarLeftBtnWithTitle("Done");
    EXPECT_EQ(bar->navBarLeftBtn(), made) << "the second title only renames it";
    EXPECT_EQ(made->title(), "Done");
    made->sendAction();
    EXPECT_EQ(backs, 1);
    EXPECT_EQ(bar->navBarRightBtn(), nullptr);
}

TEST_F(BTXViewsTest, TheHostLiesTransparentOnTheFirstWindowAndHidesWhenEmptied) {
    auto& host = BTXCallsWrapper::sharedBTXCallsWrapper();
    ASSERT_EQ(host.view()->superview(), window.get());
    EXPECT_EQ(host.view()->alpha(), 0.0f);
    EXPECT_EQ(host.view()->frame(), window->bounds());

    auto screen = ui::View::create({0, 0, 320, 480});
    host.view()->setAlpha(1);
    host.view()->addSubview(screen);
    foundation::NotificationCenter::defaultCenter().postNotification(
        "BTX_VIEW_CLOSED_NOTIFICATION", nullptr);
    EXPECT_EQ(host.view()->alpha(), 1.0f) << "a screen is still there";
    screen->removeFromSuperview();
    foundation::NotificationCenter::defaultCenter().postNotification(
        "BTX_VIEW_CLOSED_NOTIFICATION", nullptr);
    EXPECT_EQ(host.view()->alpha(), 0.0f);

    window->addSubview(ui::View::create({0, 0, 10, 10}));
    host.moveViewToFront();
    EXPECT_EQ(window->subviews().back().get(), host.view());

    ui::Application::sharedApplication().setStatusBarOrientation(
        ui::InterfaceOrientation::LandscapeRight);
    EXPECT_TRUE(
        host.shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(host.shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
}

TEST_F(BTXViewsTest, TheHostNeedsAWindow) {
    window = nullptr;
    ui::Application::reset();
    EXPECT_DEATH(BTXCallsWrapper::sharedBTXCallsWrapper(),
        "No UIWindow Found, an application should have atleast one Window object");
}

}
