#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNBrowserController.hpp>
#include <ads/adnoria/ADNDelegateManager.hpp>
#include <ads/adnoria/ADNIntrinsicImages.hpp>
#include <ads/adnoria/ADNNotification.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNOpener.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <foundation/RunLoop.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/Toolbar.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::adnoria::ADNBrowserController;
using ads::adnoria::ADNViewController;
using ads::adnoria::ADNWebAppViewController;
using test::HttpResponse;

namespace {

class Events final : public ads::adnoria::ADNBannerViewDelegate {
public:
    void adViewWillPresentScreen(ads::adnoria::ADNBannerView*) override {
        log.push_back("present");
    }
    void adViewWillDismissScreen(ads::adnoria::ADNBannerView*) override {
        log.push_back("dismiss");
    }
    void adViewDidDismissScreen(ads::adnoria::ADNBannerView*) override {
        log.push_back("dismissed");
    }
    void adViewWillLeaveApplication(ads::adnoria::ADNBannerView*) override {
        log.push_back("leave");
    }
    std::vector<std::string> log;
};

// A key window whose root controller presents the client's full-screen controllers;
// their web views are scripted ones.
class ADNViewControllerTest : public test::AdnoriaTest {
protected:
    ADNViewControllerTest() {
        ui::Application::sharedApplication().becomeActive();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        manager->setBannerDelegate(&events);
        opener->setDelegateManager(manager);
        opener->setViewController(root.get());
    }
    ~ADNViewControllerTest() override {
        // A full-screen ad controller keeps itself until it gives the screen up.
        if (auto* shown
            = dynamic_cast<ads::adnoria::ADNViewController*>(root->presentedViewController()))
            shown->relinquishScreen();
        foundation::RunLoop::main().runFor(1);
        manager->setBannerDelegate(nullptr);
    }

    ADNViewController* shown() const {
        return dynamic_cast<ADNViewController*>(root->presentedViewController());
    }
    void settle() { foundation::RunLoop::main().runFor(1); }

    test::LoopbackServer server;
    base::Ref<ui::Window> window = ui::Window::create({{0, 0}, {320, 480}});
    base::Ref<ui::ViewController> root = ui::ViewController::create();
    base::Ref<ads::adnoria::ADNDelegateManager> manager
        = ads::adnoria::ADNDelegateManager::create();
    base::Ref<ads::adnoria::ADNOpener> opener = ads::adnoria::ADNOpener::create();
    Events events;
};

}

TEST_F(ADNViewControllerTest, IntrinsicImagesAreShownAtHalfTheirPixels) {
    auto* close = ads::adnoria::ADNIntrinsicImages::closeButton();
    auto* back = ads::adnoria::ADNIntrinsicImages::browserBackButton();
    auto* forward = ads::adnoria::ADNIntrinsicImages::browserForwardButton();
    ASSERT_TRUE(close && back && forward);
    EXPECT_EQ(close->size(), (graphics::Size {25, 25}));
    EXPECT_EQ(back->size(), (graphics::Size {27, 27}));
    EXPECT_EQ(forward->size(), (graphics::Size {27, 27}));
    EXPECT_EQ(close->scale(), 2.0f);
    EXPECT_EQ(close, ads::adnoria::ADNIntrinsicImages::closeButton());
    EXPECT_FALSE(ads::adnoria::ADNIntrinsicImages::createImageFromEncoding("not base64!"));
    EXPECT_FALSE(ads::adnoria::ADNIntrinsicImages::createImageFromEncoding("AAAA"));
}

TEST_F(ADNViewControllerTest, OrientationCodesAndSettings) {
    EXPECT_EQ(ADNViewController::orientationFromString(""), 0);
    EXPECT_EQ(ADNViewController::orientationFromString("any"), 1);
    EXPECT_EQ(ADNViewController::orientationFromString("portrait"), 2);
    EXPECT_EQ(ADNViewController::orientationFromString("landscape"), 3);
    EXPECT_EQ(ADNViewController::orientationFromString("Landscape"), 0);
    auto controller = ADNViewController::create();
    EXPECT_EQ(controller->supportedOrientations(), 1);
    auto& center = ads::adnoria::ADNNotificationCenter::defaultCenter();
    auto info = base::Dictionary::create();
    info->setObject("supportedorientations", "landscape");
    // From another sender (an ad page) nothing changes.
    auto page = test::ScriptedWebView::create();
    center.postNotification("settings", page.get(), base::Value(info));
    EXPECT_EQ(controller->supportedOrientations(), 1);
    center.postNotification("settings", controller->view(), base::Value(info));
    EXPECT_EQ(controller->supportedOrientations(), 3);
    EXPECT_TRUE(controller->shouldAutorotateToInterfaceOrientation(
        ui::InterfaceOrientation::LandscapeLeft));
    EXPECT_FALSE(
        controller->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::Portrait));
    info->setObject("supportedorientations", "sideways");
    center.postNotification("settings", controller->view(), base::Value(info));
    EXPECT_EQ(controller->supportedOrientations(), 3);
    controller->setSupportedOrientations(2);
    EXPECT_TRUE(controller->shouldAutorotateToInterfaceOrientation(
        ui::InterfaceOrientation::PortraitUpsideDown));
    EXPECT_FALSE(controller->shouldAutorotateToInterfaceOrientation(
        ui::InterfaceOrientation::LandscapeRight));
}

TEST_F(ADNViewControllerTest, BrowserToolbarTable) {
    server.route("GET", "/page", HttpResponse::text("<p>landing</p>", 200, "text/html"));
    opener->setReferringURL("http://ads.test/ad");
    opener->openBrowserToURL(server.url("/page"), 2);
    auto* browser = dynamic_cast<ADNBrowserController*>(shown());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->supportedOrientations(), 2);
    ASSERT_TRUE(browser->toolbar());
    EXPECT_EQ(browser->toolbar()->frame(), (graphics::Rect {{0, 436}, {320, 44}}));
    EXPECT_EQ(browser->webView()->frame(), (graphics::Rect {{0, 0}, {320, 436}}));
    struct Item {
        ui::BarButtonItem* item;
        char const* label;
        float width;
        bool enabled;
    } const table[] = {
        {browser->backButton(), "Back", 27, false},
        {browser->forwardButton(), "Forward", 27, false},
        {browser->spinnerContainingButton(), "Spinner", 20, true},
        {browser->reloadButton(), "Reload", 27, true},
        {browser->safariButton(), "View in Safari", 27, false},
        {browser->doneButton(), "Done", 0, true},
    };
    for (auto const& row : table) {
        SCOPED_TRACE(row.label);
        ASSERT_TRUE(row.item);
        EXPECT_EQ(row.item->accessibilityLabel(), row.label);
        EXPECT_TRUE(row.item->isAccessibilityElement());
        EXPECT_EQ(row.item->width(), row.width);
    }
    EXPECT_EQ(browser->doneButton()->style(), ui::BarButtonItemStyle::Done);
    // Loading: the spinner stands in the reload button's place, Safari waits.
    ASSERT_TRUE(browser->webView()->isLoading());
    auto const& items = browser->toolbar()->items();
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].get(), browser->backButton());
    EXPECT_TRUE(items[1]->isFlexibleSpace());
    EXPECT_EQ(items[2].get(), browser->forwardButton());
    EXPECT_EQ(items[4].get(), browser->spinnerContainingButton());
    EXPECT_EQ(items[6].get(), browser->safariButton());
    EXPECT_EQ(items[8].get(), browser->doneButton());
    EXPECT_FALSE(browser->safariButton()->isEnabled());
    EXPECT_TRUE(browser->spinner()->isAnimating());
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return !browser->webView()->isLoading(); }, 20));
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(browser->toolbar()->items()[4].get(), browser->reloadButton());
    EXPECT_TRUE(browser->safariButton()->isEnabled());
    EXPECT_FALSE(browser->spinner()->isAnimating());
    // The page was asked for with the ad as its referrer.
    ASSERT_GE(server.requestCount(), 1u);
    EXPECT_EQ(server.requests()[0].headers.get("Referer"), "http://ads.test/ad");
    // "View in Safari" leaves the application for the page.
    browser->safariButton()->sendAction();
    foundation::RunLoop::main().runPending();
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        std::vector<std::string> {server.url("/page")});
    EXPECT_EQ(events.log, (std::vector<std::string> {"present", "leave"}));
    browser->doneButton()->sendAction();
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(events.log, (std::vector<std::string> {"present", "leave", "dismiss", "dismissed"}));
}

TEST_F(ADNViewControllerTest, BrowserToolbarIsLowerInLandscapeOnAPhone) {
    auto facts = fakeFacts();
    facts.landscape = true;
    ads::adnoria::ADNIdentifierUtilities::setFacts(facts);
    opener->openBrowserToURL("http://127.0.0.1:1/", 1);
    auto* browser = dynamic_cast<ADNBrowserController*>(shown());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->toolbar()->frame().size.height, 30);
}

TEST_F(ADNViewControllerTest, WebAppShowsOnceLoadedAndAppearedAndGoesWithEventsInOrder) {
    auto notification = ads::adnoria::ADNNotification::notificationFromURL(
        "anmsg:///open?a=webapp&o=l&html=%3Cp%3Eapp%3C%2Fp%3E");
    opener->openNotification(*notification);
    auto* webApp = dynamic_cast<ADNWebAppViewController*>(shown());
    ASSERT_TRUE(webApp);
    EXPECT_EQ(webApp->supportedOrientations(), 3);
    ASSERT_TRUE(webApp->closeButton());
    EXPECT_EQ(webApp->closeButton()->frame(), (graphics::Rect {{4, 4}, {25, 25}}));
    EXPECT_EQ(webApp->closeButton()->superview(), webApp->view());
    EXPECT_EQ(webApp->view()->subviews().back().get(), webApp->closeButton());
    // Kept past the controller, which goes when it gives the screen back.
    base::Ref<test::ScriptedWebView> page(static_cast<test::ScriptedWebView*>(webApp->webView()));
    settle();
    EXPECT_EQ(page->pageContent(), "<p>app</p>");
    EXPECT_EQ(page->request().URL(), "about:blank");
    EXPECT_TRUE(webApp->loaded());
    EXPECT_EQ(webApp->loadingSpinner(), nullptr);
    std::vector<std::string> onshow;
    for (auto const& script : page->evaluatedScripts())
        if (script.starts_with("ANMA_ReceiveMessage('onshow'"))
            onshow.push_back(script);
    EXPECT_EQ(onshow,
        std::vector<std::string> {"ANMA_ReceiveMessage('onshow', "
                                  "{\"version\":\"anma-sdk-i-v4.1.0\",\"device\":\"x86_64\"});"});
    // "close" from the page gives the screen back; the page hears "onhide".
    page->fireNavigation("anmsg:///close", ui::WebViewNavigationType::Other);
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(page->evaluatedScripts().back(), "ANMA_ReceiveMessage('onhide');");
    EXPECT_EQ(events.log, (std::vector<std::string> {"present", "dismiss", "dismissed"}));
}

TEST_F(ADNViewControllerTest, SpinnerTurnsUntilTheFirstPageHasLoaded) {
    server.route("GET", "/slow", [](auto const&) {
        auto reply = HttpResponse::text("<p>slow</p>", 200, "text/html");
        reply.delay = 0.3;
        return reply;
    });
    opener->openWebApp(server.url("/slow"), 1);
    auto* webApp = dynamic_cast<ADNWebAppViewController*>(shown());
    ASSERT_TRUE(webApp);
    auto* spinner = webApp->loadingSpinner();
    ASSERT_TRUE(spinner);
    EXPECT_EQ(spinner->superview(), webApp->webView());
    EXPECT_EQ(spinner->frame(), (graphics::Rect {{150, 230}, {20, 20}}));
    EXPECT_TRUE(spinner->isAnimating());
    settle();
    auto* page = static_cast<test::ScriptedWebView*>(webApp->webView());
    // Appeared, but the page has not loaded: no "onshow" yet.
    for (auto const& script : page->evaluatedScripts())
        EXPECT_FALSE(script.starts_with("ANMA_ReceiveMessage('onshow'"));
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return webApp->loaded(); }, 20));
    EXPECT_EQ(webApp->loadingSpinner(), nullptr);
    int shows = 0;
    for (auto const& script : page->evaluatedScripts())
        shows += script.starts_with("ANMA_ReceiveMessage('onshow'");
    EXPECT_EQ(shows, 1);
}

TEST_F(ADNViewControllerTest, BrowserOverAWebAppRaisesNoEvents) {
    opener->openWebAppWithHTML("<p>app</p>", 1);
    auto* webApp = dynamic_cast<ADNWebAppViewController*>(shown());
    ASSERT_TRUE(webApp);
    settle();
    auto* page = static_cast<test::ScriptedWebView*>(webApp->webView());
    // A link in the web app opens the browser over it.
    page->fireNavigation("anmsg:///open?a=browser&u=http%3A%2F%2F127.0.0.1%3A1%2F",
        ui::WebViewNavigationType::LinkClicked);
    settle();
    auto* browser = dynamic_cast<ADNBrowserController*>(webApp->presentedViewController());
    ASSERT_TRUE(browser);
    EXPECT_FALSE(browser->isFirstADNViewController());
    EXPECT_TRUE(webApp->isFirstADNViewController());
    browser->doneButton()->sendAction();
    settle();
    EXPECT_EQ(root->presentedViewController(), webApp);
    EXPECT_EQ(webApp->presentedViewController(), nullptr);
    EXPECT_EQ(events.log, std::vector<std::string> {"present"});
}

TEST_F(ADNViewControllerTest, OpenKindsTable) {
    struct Case {
        char const* url;
        char const* opens; // "browser", "webapp", "app", "nothing"
        int orientations;
    } const cases[] = {
        {"anmsg:///open?a=browser&u=http%3A%2F%2F127.0.0.1%3A1%2F&o=p", "browser", 2},
        {"anmsg:///open?a=video&u=http%3A%2F%2F127.0.0.1%3A1%2F&o=l", "browser", 3},
        {"anmsg:///open?a=webapp&u=http%3A%2F%2F127.0.0.1%3A1%2F&o=x", "webapp", 1},
        {"anmsg:///open?a=webapp&html=%3Cb%3Ehi%3C%2Fb%3E", "webapp", 1},
        {"anmsg:///open?a=call&u=tel%3A123", "app", 0},
        {"anmsg:///open?a=app&u=market%3A%2F%2Fx", "app", 0},
        {"anmsg:///open?a=unknown&u=other%3A%2F%2Fy", "app", 0},
        {"anmsg:///open?a=browser&html=%3Cb%3E", "nothing", 0},
        {"anmsg:///open?a=app", "nothing", 0},
        {"adnoria://launch?url=http%3A%2F%2F127.0.0.1%3A1%2F", "browser", 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        auto before = ui::Application::sharedApplication().openedExternalURLs().size();
        opener->openNotification(*ads::adnoria::ADNNotification::notificationFromURL(c.url));
        foundation::RunLoop::main().runPending();
        auto* controller = shown();
        std::string opened = "nothing";
        if (dynamic_cast<ADNBrowserController*>(controller))
            opened = "browser";
        else if (dynamic_cast<ADNWebAppViewController*>(controller))
            opened = "webapp";
        else if (ui::Application::sharedApplication().openedExternalURLs().size() > before)
            opened = "app";
        EXPECT_EQ(opened, c.opens);
        if (controller) {
            EXPECT_EQ(controller->supportedOrientations(), c.orientations);
            controller->relinquishScreen();
            settle();
        }
    }
}

TEST_F(ADNViewControllerTest, WithoutARootControllerTheAppearWorkRunsOnceLater) {
    auto bare = ui::Window::create({{0, 0}, {320, 480}});
    auto host = ui::ViewController::create();
    bare->addSubview(base::Ref<ui::View>(host->view()));
    bare->makeKeyAndVisible();
    test::LogCapture log;
    auto controller = ADNViewController::create();
    controller->presentFromViewController(nullptr);
    EXPECT_TRUE(
        log.contains("<Adnoria> No UIViewController supplied to the ad.  Cannot continue."));
    controller->setDelegateManager(manager);
    controller->presentFromViewController(host.get());
    EXPECT_EQ(host->presentedViewController(), controller.get());
    EXPECT_FALSE(controller->view()->isUserInteractionEnabled());
    foundation::RunLoop::main().runFor(0.7);
    EXPECT_TRUE(controller->view()->isUserInteractionEnabled());
    EXPECT_TRUE(ui::Application::sharedApplication().isStatusBarHidden());
    controller->relinquishScreen();
    settle();
    EXPECT_FALSE(ui::Application::sharedApplication().isStatusBarHidden());
    EXPECT_EQ(host->presentedViewController(), nullptr);
}
