#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdBrowserController.hpp>
#include <foundation/Clock.hpp>
#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/Toolbar.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::mosaic::MXAdBrowserController;
using ads::mosaic::MXAdBrowserControllerDelegate;
using ui::WebViewNavigationType;

namespace {

class Dismissals final : public MXAdBrowserControllerDelegate {
public:
    void dismissBrowserController(MXAdBrowserController&) override { calls.push_back("done"); }
    void dismissBrowserController(MXAdBrowserController&, bool animated) override {
        calls.push_back(animated ? "animated" : "at once");
    }
    std::vector<std::string> calls;
};

class MXAdBrowserControllerTest : public ::testing::Test {
protected:
    MXAdBrowserControllerTest() {
        ui::Application::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        // Pages that load go nowhere: nothing listens on port 1.
        browser = MXAdBrowserController::initWithURL("http://127.0.0.1:1/click", &dismissals);
    }
    ~MXAdBrowserControllerTest() override {
        browser = nullptr;
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
    }

    bool shouldLoad(
        std::string const& url, WebViewNavigationType type = WebViewNavigationType::LinkClicked) {
        return browser->shouldStartLoadWithRequest(
            *browser->webView(), foundation::URLRequest(url), type);
    }

    test::MosaicScope scope {""};
    foundation::ScopedManualClock clock;
    Dismissals dismissals;
    base::Ref<MXAdBrowserController> browser;
};

TEST_F(MXAdBrowserControllerTest, WebPagesStayInsideAndTheRestGoesToTheSystem) {
    auto& application = ui::Application::sharedApplication();
    application.setCanOpenScheme("itms-apps", true);
    struct Case {
        char const* url;
        bool handedOver;
    } const cases[] = {
        {"http://shop.test/page", false},
        {"https://shop.test/page?a=1", false},
        // The store's and the maps host (from the configuration), in any case.
        {"http://store.example/app/id1", true},
        {"HTTPS://Maps.Example/?q=salon", true},
        // A host that only looks like one of them is a web page.
        {"http://store.example.evil.test/", false},
        {"http://evil.test/store.example", false},
        // Other schemes go out when a program takes them, else load here.
        {"itms-apps://store.example/app/id1", true},
        {"tel:5551234", false},
        {"unknown-app://open", false},
        {"about:blank", false},
    };
    for (auto const& c : cases) {
        dismissals.calls.clear();
        auto const opened = application.openedExternalURLs().size();
        EXPECT_EQ(shouldLoad(c.url), !c.handedOver) << c.url;
        if (c.handedOver) {
            EXPECT_EQ(dismissals.calls, std::vector<std::string> {"at once"}) << c.url;
            ASSERT_EQ(application.openedExternalURLs().size(), opened + 1) << c.url;
            EXPECT_EQ(application.openedExternalURLs().back(), c.url);
        } else {
            EXPECT_TRUE(dismissals.calls.empty()) << c.url;
            EXPECT_EQ(application.openedExternalURLs().size(), opened) << c.url;
        }
    }
}

TEST_F(MXAdBrowserControllerTest, WithoutHandOverHostsOnlySchemesDecide) {
    ads::mosaic::MXConfiguration configuration = ads::mosaic::MXConfiguration::current();
    configuration.storeLinkHost.clear();
    configuration.mapsHost.clear();
    ads::mosaic::MXConfiguration::setUp(configuration);
    EXPECT_TRUE(shouldLoad("http://store.example/app"));
    EXPECT_TRUE(dismissals.calls.empty());
}

// The arrow's pixels, rows from the top: the corners are given with y up, so row r
// spans y from 26 - r to 27 - r. The forward arrow is the back one mirrored about
// x = 16, which takes pixel column x to 31 - x.
void expectArrow(ui::Image* image, bool pointsLeft) {
    ASSERT_TRUE(image);
    auto const& bitmap = image->bitmap();
    ASSERT_EQ(bitmap.width(), 27);
    ASSERT_EQ(bitmap.height(), 27);
    auto column = [&](int x) { return pointsLeft ? x : 31 - x; };
    graphics::Rgba const black {0, 0, 0, 255};
    graphics::Rgba const clear {0, 0, 0, 0};
    // Inside: near the tip, the middle and the base.
    EXPECT_EQ(bitmap.pixel(column(10), 13), black);
    EXPECT_EQ(bitmap.pixel(column(16), 13), black);
    EXPECT_EQ(bitmap.pixel(column(22), 7), black);
    EXPECT_EQ(bitmap.pixel(column(22), 20), black);
    // Outside: beyond the tip and the base, above and below the sloping sides, the corners.
    EXPECT_EQ(bitmap.pixel(column(6), 13), clear);
    EXPECT_EQ(bitmap.pixel(column(25), 13), clear);
    EXPECT_EQ(bitmap.pixel(column(12), 5), clear);
    EXPECT_EQ(bitmap.pixel(column(12), 21), clear);
    EXPECT_EQ(bitmap.pixel(column(22), 2), clear);
    EXPECT_EQ(bitmap.pixel(column(22), 24), clear);
    EXPECT_EQ(bitmap.pixel(0, 0), clear);
    EXPECT_EQ(bitmap.pixel(26, 26), clear);
    // Black and nothing else: every pixel is black at some coverage.
    int covered = 0;
    for (int y = 0; y < 27; ++y) {
        for (int x = 0; x < 27; ++x) {
            auto const p = bitmap.pixel(x, y);
            EXPECT_EQ(p.r + p.g + p.b, 0);
            covered += p.a > 127;
        }
    }
    // Half the base (18) times the height (16), give or take the edges.
    EXPECT_NEAR(covered, 144, 12);
}

TEST_F(MXAdBrowserControllerTest, ArrowsAreBlackTrianglesOnClearPixels) {
    auto context = MXAdBrowserController::createContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(context->width(), 27);
    EXPECT_EQ(context->format(), graphics::BitmapContext::Format::RGBA8);
    expectArrow(MXAdBrowserController::backArrowImage().get(), true);
    expectArrow(MXAdBrowserController::forwardArrowImage().get(), false);
}

TEST_F(MXAdBrowserControllerTest, TheToolbarFollowsTheLoadAndTheHistory) {
    test::LogCapture log;
    auto* root = browser->view();
    ASSERT_TRUE(root);
    auto* toolbar = browser->toolbar();
    ASSERT_TRUE(toolbar);
    EXPECT_EQ(toolbar->items().size(), 11u);
    EXPECT_EQ(browser->webView()->superview(), root);
    EXPECT_TRUE(browser->webView()->scalesPageToFit());
    EXPECT_EQ(browser->backButton()->title(), "");
    ASSERT_TRUE(browser->backButton()->customView());
    EXPECT_EQ(browser->spinnerItem()->customView(), browser->spinner());
    EXPECT_TRUE(
        browser->shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation::LandscapeLeft));

    browser->viewWillAppear(false);
    EXPECT_EQ(browser->webView()->request().URL(), "http://127.0.0.1:1/click");
    for (auto* item : {browser->backButton(), browser->forwardButton(), browser->refreshButton(),
             browser->safariButton()})
        EXPECT_FALSE(item->isEnabled());

    browser->webViewDidStartLoad(*browser->webView());
    EXPECT_TRUE(browser->refreshButton()->isEnabled());
    EXPECT_TRUE(browser->safariButton()->isEnabled());
    EXPECT_TRUE(browser->spinner()->isAnimating());

    // Nothing listens: the load fails, is logged, and leaves the toolbar usable.
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return !browser->webView()->isLoading(); }, 10));
    foundation::RunLoop::main().runPending();
    EXPECT_TRUE(log.contains("MOSAIC: Ad browser ") && log.contains(" experienced an error: "));
    EXPECT_FALSE(browser->spinner()->isAnimating());
    EXPECT_TRUE(browser->refreshButton()->isEnabled());
    EXPECT_FALSE(browser->backButton()->isEnabled());

    browser->done();
    EXPECT_EQ(dismissals.calls, std::vector<std::string> {"done"});
}

TEST_F(MXAdBrowserControllerTest, TheSafariSheetOpensThePageOrClosesOnASecondTap) {
    auto window = ui::Window::create({{0, 0}, {320, 480}});
    window->addSubview(base::Ref<ui::View>(browser->view()));
    window->makeKeyAndVisible();
    auto& application = ui::Application::sharedApplication();
    browser->viewWillAppear(false);

    browser->safari();
    auto* sheet = browser->actionSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->buttonTitleAtIndex(0), "Open in Safari");
    EXPECT_EQ(sheet->buttonTitleAtIndex(sheet->cancelButtonIndex()), "Cancel");
    foundation::RunLoop::main().runFor(1);
    EXPECT_TRUE(browser->actionSheetIsShowing());

    // A second tap closes the sheet and opens nothing.
    browser->safari();
    foundation::RunLoop::main().runFor(1);
    EXPECT_FALSE(browser->actionSheetIsShowing());
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(application.openedExternalURLs().empty());

    // "Open in Safari" opens the page shown.
    browser->safari();
    foundation::RunLoop::main().runFor(1);
    browser->clickedButtonAtIndex(*browser->actionSheet(), 0);
    EXPECT_EQ(
        application.openedExternalURLs(), std::vector<std::string> {"http://127.0.0.1:1/click"});
    browser->clickedButtonAtIndex(*browser->actionSheet(), 1);
    EXPECT_EQ(application.openedExternalURLs().size(), 1u);
    browser->view()->removeFromSuperview();
}

}
