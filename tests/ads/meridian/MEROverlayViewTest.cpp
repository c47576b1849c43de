#include <ads/meridian/MEROverlayView.hpp>

#include "MeridianTestSupport.hpp"

#include <ads/meridian/MEROverlayGeometry.hpp>
#include <ads/meridian/MEROverlayLinks.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <map>
#include <vector>

using ads::meridian::MEROverlayHosts;
using ads::meridian::MEROverlayLink;
using ads::meridian::MEROverlayView;
namespace geometry = ads::meridian::overlay_geometry;

namespace {

graphics::Rect rect(float x, float y, float w, float h) {
    return {{x, y}, {w, h}};
}

// Writes down what the overlay tells its owner, with the notifications in between.
class RecordingDelegate final : public ads::meridian::MEROverlayDelegate {
public:
    void overlayWantsToTerminateAppToOpenURL(MEROverlayView&, std::string const& url) override {
        opened.push_back(url);
    }
    void overlayDidDisappear(MEROverlayView& overlay) override {
        events.push_back("didDisappear");
        superviewAtDidDisappear = overlay.superview() != nullptr;
    }
    void overlayWillDisappear(MEROverlayView&) override { events.push_back("willDisappear"); }
    void overlayDidAppear(MEROverlayView&) override { events.push_back("didAppear"); }
    void overlayWillAppear(MEROverlayView&) override { events.push_back("willAppear"); }

    std::vector<std::string> events;
    std::vector<std::string> opened;
    bool superviewAtDidDisappear {false};
};

class MEROverlayViewTest : public test::MeridianTest {
protected:
    MEROverlayViewTest() {
        ads::meridian::MERConfiguration configuration;
        configuration.adServerBaseURL = "http://ads.test:8080/";
        configuration.mapsHost = "maps.test";
        configuration.storeLinkHosts = {"store.test", "apps.store.test"};
        ads::meridian::MERConfiguration::setUp(configuration);
        ui::WebView::setFactory([this](graphics::Rect frame) -> base::Ref<ui::WebView> {
            page = test::ScriptedWebView::create(frame);
            return page;
        });
        // The screen is 480 x 320 points here.
        window = ui::Window::create(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
        willClose = foundation::NotificationCenter::defaultCenter().observe(
            MEROverlayView::willCloseNotification,
            [this](foundation::Notification const&) { delegate.events.push_back("willClose"); });
    }

    base::Ref<MEROverlayView> shown(int type = MEROverlayView::fullScreenType) {
        auto overlay = MEROverlayView::initWithType(type, &delegate);
        overlay->showWithHTML("<p>landing</p>");
        foundation::RunLoop::main().runFor(0.01);
        return overlay;
    }
    int count(std::string const& script) const {
        int n = 0;
        for (auto const& asked : page->evaluatedScripts())
            n += asked == script;
        return n;
    }

    RecordingDelegate delegate;
    base::Ref<test::ScriptedWebView> page;
    base::Ref<ui::Window> window;
    foundation::ObservationToken willClose;
};

}

TEST(MEROverlayGeometryTest, FullScreenFramesFollowTheWindowAndTheStatusBar) {
    struct Case {
        char const* name;
        geometry::FullScreenInput input;
        graphics::Rect frame;
    };
    auto phone = rect(0, 0, 320, 480);
    auto pad = rect(0, 0, 768, 1024);
    std::initializer_list<Case> cases {
        {"bare window, status bar", {phone, phone, 1, true, 1, {}, 0}, rect(0, 20, 320, 460)},
        {"bare window, no status bar", {phone, phone, 0, false, 1, {}, 0}, rect(0, 0, 320, 480)},
        {"bare window, landscape", {phone, phone, 1, true, 3, {}, 0}, rect(0, 20, 480, 300)},
        {"explicit size", {phone, phone, 1, true, 1, {200, 100}, 0}, rect(0, 0, 200, 100)},
        {"explicit size, full window", {phone, phone, 3, true, 1, {200, 100}, 3},
            rect(0, 0, 200, 100)},
        {"phone portrait", {phone, phone, 2, true, 1, {}, 1}, rect(0, 20, 320, 460)},
        {"phone portrait, no status bar", {phone, phone, 2, false, 1, {}, 1}, rect(0, 0, 320, 480)},
        {"tablet portrait", {pad, pad, 2, true, 1, {}, 0}, rect(0, 20, 768, 1004)},
        {"phone window asked landscape", {phone, rect(0, 0, 480, 320), 2, true, 1, {}, 4},
            rect(0, 20, 300, 480)},
        {"tablet window asked landscape", {pad, rect(0, 0, 1024, 768), 2, true, 1, {}, 3},
            rect(0, 20, 748, 1024)},
        {"portrait window asked landscape", {phone, phone, 2, true, 1, {}, 3},
            rect(0, 0, 480, 320)},
        {"odd window", {phone, rect(0, 0, 300, 400), 2, true, 1, {}, 1}, rect(0, 0, 300, 400)},
    };
    for (auto const& c : cases)
        EXPECT_EQ(geometry::fullScreenFrame(c.input), c.frame) << c.name;
}

TEST(MEROverlayGeometryTest, PanelFramesCentreOnlyAZeroLocation) {
    struct Case {
        char const* name;
        graphics::Point location;
        graphics::Size size;
        int orientation;
        graphics::Rect frame;
        bool centred;
    };
    auto application = rect(0, 20, 320, 460);
    std::initializer_list<Case> cases {
        {"defaults", {}, {}, 1, rect(10, 30, 300, 440), true},
        {"location (0, 5) is kept", {0, 5}, {200, 100}, 1, rect(0, 5, 200, 100), false},
        {"one zero size component", {30, 40}, {0, 100}, 1, rect(30, 40, 300, 440), false},
        {"given size, centred", {}, {200, 100}, 1, rect(60, 200, 200, 100), true},
        {"landscape swaps", {30, 40}, {200, 100}, 3, rect(40, 30, 100, 200), false},
        {"landscape left swaps", {30, 40}, {200, 100}, 4, rect(40, 30, 100, 200), false},
    };
    for (auto const& c : cases) {
        auto panel = geometry::modalFrame(application, c.location, c.size, c.orientation);
        EXPECT_EQ(panel.frame, c.frame) << c.name;
        EXPECT_EQ(panel.centred, c.centred) << c.name;
        EXPECT_EQ(panel.centre, (graphics::Point {160, 250})) << c.name;
    }
}

TEST(MEROverlayGeometryTest, BarsStackTitleWebViewAndNavigation) {
    auto both = geometry::fullScreenLayout({320, 460}, true, true);
    EXPECT_EQ(both.titleBar, rect(0, 0, 320, 44));
    EXPECT_EQ(both.webView, rect(0, 44, 320, 372));
    EXPECT_EQ(both.bottomBar, rect(0, 416, 320, 44));
    auto bottomOnly = geometry::fullScreenLayout({320, 460}, false, true);
    EXPECT_EQ(bottomOnly.webView, rect(0, 0, 320, 416));
    EXPECT_EQ(bottomOnly.bottomBar, rect(0, 416, 320, 44));
    auto panel = geometry::modalLayout({300, 440}, true, 17);
    EXPECT_EQ(panel.titleLabel, rect(26, 10, 245, 25));
    EXPECT_EQ(panel.closeButton, rect(265, 10, 25, 25));
    EXPECT_EQ(panel.webView, rect(11, 35, 278, 394));
    EXPECT_EQ(geometry::modalLayout({300, 440}, false, 0).webView, rect(11, 10, 278, 419));
}

TEST(MEROverlayGeometryTest, OrientationTurnsAndSlides) {
    auto turn = [](int o) { return geometry::transformForOrientation(o); };
    EXPECT_EQ(turn(1), graphics::AffineTransform::identity());
    EXPECT_EQ(turn(0), graphics::AffineTransform::identity());
    EXPECT_NEAR(turn(3).b, 1, 1e-6);
    EXPECT_NEAR(turn(4).b, -1, 1e-6);
    EXPECT_NEAR(turn(2).a, -1, 1e-6);
    EXPECT_EQ(geometry::slideOffset("SlideUp", {320, 460}), (graphics::Point {0, 460}));
    EXPECT_EQ(geometry::slideOffset("SlideDown", {320, 460}), (graphics::Point {0, -460}));
    EXPECT_EQ(geometry::slideOffset("SlideRight", {320, 460}), (graphics::Point {-320, 0}));
    EXPECT_EQ(geometry::slideOffset("SlideLeft", {320, 460}), (graphics::Point {320, 0}));
    EXPECT_EQ(geometry::slideOffset("Wobble", {320, 460}), (graphics::Point {}));
}

TEST(MEROverlayLinkTest, LinksGoInsideOrLeaveAsTheirKindSays) {
    MEROverlayHosts hosts {"ads.test:8080", "maps.test", {"store.test"}};
    using Kind = MEROverlayLink::Kind;
    struct Case {
        char const* url;
        Kind kind;
        char const* opened;
    };
    std::initializer_list<Case> cases {
        {"http://ads.test:8080/handleClick.php5?id=1", Kind::LoadInside, ""},
        {"tel:ads.test:8080/handleClick.php5", Kind::LoadInside, ""},
        {"http://maps.test/?q=salon", Kind::OpenOutside, "maps://maps.test/?q=salon"},
        {"http://maps.test/?next=http://x", Kind::OpenOutside, "maps://maps.test/?next=maps://x"},
        {"itms://store/app/1", Kind::OpenOutside, "itms://store/app/1"},
        {"sms:5551234", Kind::OpenOutside, "sms:5551234"},
        {"tel:5551234", Kind::OpenOutside, "tel:5551234"},
        {"TEL:5551234", Kind::OpenOutside, "TEL:5551234"},
        {"merbrowser://http://example.test/a", Kind::OpenOutside, "http://example.test/a"},
        {"http://store.test/app/9", Kind::OpenOutside, "http://store.test/app/9"},
        {"http://example.test/page", Kind::LoadInside, ""},
        {"https://ads.test:8080/other.php5", Kind::LoadInside, ""},
        {"", Kind::LoadInside, ""},
        {"telephone", Kind::LoadInside, ""},
    };
    for (auto const& c : cases) {
        auto link = ads::meridian::routeOverlayLink(c.url, hosts);
        EXPECT_EQ(link.kind, c.kind) << c.url;
        if (c.kind == Kind::OpenOutside) {
            EXPECT_EQ(link.url, c.opened) << c.url;
        }
    }
}

TEST(MEROverlayLinkTest, UnsetHostsMatchNothing) {
    MEROverlayHosts none;
    EXPECT_EQ(ads::meridian::routeOverlayLink("http://maps.test/", none).kind,
        MEROverlayLink::Kind::LoadInside);
    EXPECT_EQ(
        ads::meridian::routeOverlayLink("tel:1", none).kind, MEROverlayLink::Kind::OpenOutside);
}

TEST(MEROverlayBase64Test, SkipsSpacesAndPaddingAndRefusesTheRest) {
    struct Case {
        char const* text;
        std::optional<std::string> bytes;
    };
    std::initializer_list<Case> cases {
        {"TWFu", "Man"},
        {"TW Fu\n", "Man"},
        {"TWE=", "Ma"},
        {"T=W=E", "Ma"},
        {"TQ", "M"},
        {"TWFuT", std::nullopt},
        {"TW*u", std::nullopt},
        {"", ""},
    };
    for (auto const& c : cases) {
        auto bytes = MEROverlayView::decodeBase64(c.text);
        std::optional<std::string> text;
        if (bytes)
            text = std::string(bytes->begin(), bytes->end());
        EXPECT_EQ(text, c.bytes) << c.text;
    }
    EXPECT_EQ(MEROverlayView::imageWithBase64EncodedString("TWFuT"), nullptr);
}

TEST_F(MEROverlayViewTest, CreationGivesTheDefaults) {
    auto full = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    EXPECT_FLOAT_EQ(full->transitionDuration, 0.5f);
    EXPECT_EQ(full->headerTitle, "Advertisement");
    EXPECT_TRUE(full->notifyCloseDelegates);
    EXPECT_TRUE(full->notifyOpenDelegates);
    EXPECT_FALSE(full->showBottomBar);
    EXPECT_EQ(full->transition, std::nullopt);
    EXPECT_EQ(full->transitionStyle(), ui::ModalTransitionStyle::CoverVertical);
    EXPECT_FALSE(page->mediaPlaybackRequiresUserAction());
    EXPECT_TRUE(page->allowsInlineMediaPlayback());
    EXPECT_EQ(page->delegate(), full->webView()->delegate());
    auto panel = MEROverlayView::initWithType(MEROverlayView::modalType, &delegate);
    EXPECT_FLOAT_EQ(panel->transitionDuration, 0.3f);
    std::map<std::string, ui::ModalTransitionStyle> styles {
        {"Curl", ui::ModalTransitionStyle::PartialCurl},
        {"CurlDown", ui::ModalTransitionStyle::PartialCurl},
        {"Dissolve", ui::ModalTransitionStyle::CrossDissolve},
        {"FlipLeft", ui::ModalTransitionStyle::FlipHorizontal},
        {"SlideUp", ui::ModalTransitionStyle::CoverVertical},
    };
    for (auto const& [name, style] : styles) {
        panel->transition = name;
        EXPECT_EQ(panel->transitionStyle(), style) << name;
    }
}

TEST_F(MEROverlayViewTest, FullScreenWithBothBarsStacksThem) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    overlay->showTitlebar = true;
    overlay->showBottomBar = true;
    overlay->showWithHTML("<p>landing</p>");
    ASSERT_EQ(overlay->superview(), window.get());
    EXPECT_EQ(overlay->frame(), rect(0, 20, 480, 300));
    EXPECT_EQ(overlay->titleBar()->frame(), rect(0, 0, 480, 44));
    EXPECT_EQ(overlay->webView()->frame(), rect(0, 44, 480, 212));
    EXPECT_EQ(overlay->bottomBar()->frame(), rect(0, 256, 480, 44));
    // The title bar has the stop item, so the navigation bar has none.
    EXPECT_EQ(overlay->closeButton(), nullptr);
    EXPECT_EQ(overlay->bottomBar()->items().size(), 3u);
    EXPECT_EQ(overlay->titleBar()->items().back()->systemItem(), ui::BarButtonSystemItem::Stop);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"willAppear", "didAppear"}));

    overlay->showFullScreenOverlay();
    EXPECT_EQ(delegate.events.size(), 2u);
}

TEST_F(MEROverlayViewTest, OnlyTheNavigationBarEndsWithTheCloseItem) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    overlay->showBottomBar = true;
    overlay->transition = "SlideUp";
    overlay->showWithHTML("<p>landing</p>");
    ASSERT_NE(overlay->closeButton(), nullptr);
    EXPECT_EQ(overlay->bottomBar()->items().back().get(), overlay->closeButton());
    EXPECT_FALSE(overlay->closeButton()->isEnabled());
    EXPECT_FALSE(overlay->backArrow()->isEnabled());
    // The slide starts a height lower and ends in place.
    EXPECT_EQ(overlay->frame(), rect(0, 20, 480, 300));
    foundation::RunLoop::main().runFor(0.25);
    EXPECT_GT(overlay->presentation().frame().origin.y, 20);
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_EQ(overlay->presentation().frame(), rect(0, 20, 480, 300));
}

TEST_F(MEROverlayViewTest, ThePanelBouncesInAndIsCentred) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::modalType, &delegate);
    overlay->showTitlebar = true;
    overlay->showWithHTML("<p>landing</p>");
    ASSERT_EQ(overlay->superview(), window.get());
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"willAppear", "didAppear"}));
    EXPECT_EQ(overlay->bounds().size, (graphics::Size {460, 280}));
    EXPECT_EQ(overlay->center(), (graphics::Point {240, 170}));
    ASSERT_NE(overlay->modalTitleLabel(), nullptr);
    float t = overlay->modalTitleLabel()->frame().size.height;
    EXPECT_EQ(overlay->modalCloseButton()->frame(), rect(460 - (t + 10), 10, t, t));
    EXPECT_EQ(overlay->webView()->frame(), rect(11, t + 10, 438, 280 - t - 21));

    auto scale = [&] { return overlay->presentation().transform.a; };
    EXPECT_NEAR(scale(), 0.001, 1e-4);
    // 0.3 s / 1.5 up to 1.1, then 0.15 s down to 0.9, then 0.15 s back to 1.
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_NEAR(scale(), 1.1, 0.02);
    foundation::RunLoop::main().runFor(0.15);
    EXPECT_NEAR(scale(), 0.9, 0.02);
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_NEAR(scale(), 1.0, 1e-4);
}

TEST_F(MEROverlayViewTest, ClosingTellsTheDelegateBeforeTheFadeEnds) {
    auto overlay = shown();
    delegate.events.clear();
    overlay->close();
    EXPECT_EQ(
        delegate.events, (std::vector<std::string> {"willDisappear", "willClose", "didDisappear"}));
    EXPECT_TRUE(delegate.superviewAtDidDisappear);
    EXPECT_FALSE(overlay->isClosePolling());
    MEROverlayView* weak = overlay.get();
    overlay = nullptr;
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(window->subviews().size(), 1u);
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_TRUE(window->subviews().empty());
    (void)weak;
}

TEST_F(MEROverlayViewTest, AnyCloseRequestAfterTheFirstIsIgnored) {
    auto overlay = shown();
    delegate.events.clear();
    foundation::NotificationCenter::defaultCenter().postNotification(
        MEROverlayView::closeNotification);
    foundation::NotificationCenter::defaultCenter().postNotification(
        MEROverlayView::closeNotification);
    overlay->close();
    EXPECT_EQ(
        delegate.events, (std::vector<std::string> {"willDisappear", "willClose", "didDisappear"}));
}

TEST_F(MEROverlayViewTest, ClosingWithoutAnimationRemovesAtOnce) {
    auto overlay = shown();
    overlay->closeWithAnimation(false);
    EXPECT_EQ(overlay->superview(), nullptr);
    EXPECT_FALSE(delegate.superviewAtDidDisappear);
}

TEST_F(MEROverlayViewTest, APageWithoutTheFunctionsStopsEveryPollAtItsFirstTick) {
    auto overlay = shown();
    EXPECT_TRUE(overlay->isClosePolling());
    EXPECT_TRUE(overlay->isShowBarPolling());
    EXPECT_TRUE(overlay->isEnableBarPolling());
    foundation::RunLoop::main().runFor(1.05);
    EXPECT_FALSE(overlay->isClosePolling());
    EXPECT_FALSE(overlay->isShowBarPolling());
    EXPECT_FALSE(overlay->isEnableBarPolling());
    EXPECT_EQ(count("shouldCloseOverlay()"), 1);
    EXPECT_EQ(overlay->superview(), window.get());
}

TEST_F(MEROverlayViewTest, ThePageClosesTheOverlayWithinASecondOfSayingSo) {
    std::string answer = "false";
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->setScriptHandler([&](std::string const& script) -> std::optional<std::string> {
        if (script == "shouldCloseOverlay()")
            return answer;
        return std::nullopt;
    });
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(3.05);
    EXPECT_EQ(overlay->superview(), window.get());
    EXPECT_TRUE(overlay->isClosePolling());
    answer = "true";
    delegate.events.clear();
    foundation::RunLoop::main().runFor(1.0);
    EXPECT_EQ(
        delegate.events, (std::vector<std::string> {"willDisappear", "willClose", "didDisappear"}));
    // Closed: nothing asks the page any more.
    auto asked = page->evaluatedScripts().size();
    foundation::RunLoop::main().runFor(5);
    EXPECT_EQ(page->evaluatedScripts().size(), asked);
    EXPECT_EQ(overlay->superview(), nullptr);
}

TEST_F(MEROverlayViewTest, TheBottomBarAppearsAndEnablesWhenThePageSaysSo) {
    std::string show = "false";
    std::string enable = "false";
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->setScriptHandler([&](std::string const& script) -> std::optional<std::string> {
        if (script == "shouldShowBottomBar()")
            return show;
        if (script == "shouldEnableBottomBar()")
            return enable;
        return std::nullopt;
    });
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(1.05);
    EXPECT_EQ(overlay->bottomBar(), nullptr);
    auto height = overlay->webView()->frame().size.height;
    show = "YES";
    foundation::RunLoop::main().runFor(1.0);
    ASSERT_NE(overlay->bottomBar(), nullptr);
    EXPECT_TRUE(overlay->showBottomBar);
    EXPECT_EQ(overlay->webView()->frame().size.height, height - 44);
    EXPECT_FALSE(overlay->closeButton()->isEnabled());
    EXPECT_TRUE(overlay->isEnableBarPolling());
    enable = "1";
    foundation::RunLoop::main().runFor(1.0);
    EXPECT_TRUE(overlay->closeButton()->isEnabled());
    EXPECT_FALSE(overlay->backArrow()->isEnabled());
    EXPECT_FALSE(overlay->isEnableBarPolling());
    // Any sender may hide it again.
    foundation::NotificationCenter::defaultCenter().postNotification(
        MEROverlayView::bottomBarToBeShownNotification, nullptr, base::Value(false));
    EXPECT_EQ(overlay->bottomBar(), nullptr);
    EXPECT_EQ(overlay->webView()->frame().size.height, height);
}

TEST_F(MEROverlayViewTest, ThePageAskingForTheBarTwiceShortensThePageOnce) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->answerScript("shouldShowBottomBar()", "YES");
    overlay->showWithHTML("<p>landing</p>");
    auto height = overlay->webView()->frame().size.height;
    // The load's answer shows the bar; the poll then posts the same wish again.
    foundation::RunLoop::main().runFor(2.05);
    ASSERT_NE(overlay->bottomBar(), nullptr);
    EXPECT_EQ(overlay->webView()->frame().size.height, height - 44);
    EXPECT_EQ(overlay->bottomBar()->frame().origin.y, height - 44);
    overlay->setBottomBarVisible(false);
    overlay->setBottomBarVisible(false);
    EXPECT_EQ(overlay->webView()->frame().size.height, height);
}

TEST_F(MEROverlayViewTest, LinksAreRoutedThroughTheDelegate) {
    auto overlay = shown();
    EXPECT_FALSE(page->fireNavigation("merbrowser://http://example.test/a"));
    EXPECT_FALSE(page->fireNavigation("tel:5551234"));
    EXPECT_FALSE(page->fireNavigation("http://maps.test/?q=x"));
    EXPECT_FALSE(page->fireNavigation("http://store.test/app/1"));
    EXPECT_TRUE(page->fireNavigation("http://ads.test:8080/handleClick.php5?x=1"));
    EXPECT_EQ(delegate.opened,
        (std::vector<std::string> {"http://example.test/a", "tel:5551234", "maps://maps.test/?q=x",
            "http://store.test/app/1"}));
    EXPECT_TRUE(overlay->spinner()->isAnimating());
}

TEST_F(MEROverlayViewTest, WithoutADelegateOutsideLinksAreDropped) {
    auto overlay = shown();
    overlay->setDelegate(nullptr);
    EXPECT_FALSE(page->fireNavigation("tel:5551234"));
    EXPECT_TRUE(delegate.opened.empty());
}

TEST_F(MEROverlayViewTest, ALoadFailureClosesUnlessItsCodeIs204) {
    auto overlay = shown();
    foundation::URLError noContent;
    noContent.code = 204;
    page->delegate()->didFailLoadWithError(*page, noContent);
    EXPECT_EQ(overlay->superview(), window.get());
    EXPECT_FALSE(overlay->spinner()->isAnimating());
    foundation::URLError other;
    other.code = -1001;
    page->delegate()->didFailLoadWithError(*page, other);
    EXPECT_EQ(delegate.events.back(), "didDisappear");
}

TEST_F(MEROverlayViewTest, ASecondPageShowsTheBarAndMakesATransparentOverlayOpaque) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->answerScript("document.body.style.backgroundColor", "rgb(1, 2, 3)");
    overlay->setMakeOverlayTransparent(true);
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(0.01);
    EXPECT_TRUE(overlay->makeOverlayTransparent());
    EXPECT_TRUE(overlay->overlayStartedTransparent());
    EXPECT_EQ(count("document.body.style.backgroundColor='transparent'"), 1);
    EXPECT_EQ(overlay->pageBackgroundColor(), "rgb(1, 2, 3)");

    EXPECT_TRUE(page->fireNavigation("about:blank#second"));
    foundation::RunLoop::main().runFor(0.01);
    ASSERT_TRUE(page->canGoBack());
    ASSERT_NE(overlay->bottomBar(), nullptr);
    EXPECT_TRUE(overlay->enableBottomBar);
    EXPECT_TRUE(overlay->backArrow()->isEnabled());
    EXPECT_FALSE(overlay->isShowBarPolling());
    EXPECT_FALSE(overlay->makeOverlayTransparent());
    EXPECT_EQ(overlay->backgroundColor(), ui::Color::whiteColor());
    EXPECT_EQ(count("document.body.style.backgroundColor='rgb(1, 2, 3)'"), 1);
}

TEST_F(MEROverlayViewTest, APageColourThatWouldBreakItsQuotesIsNotSentBack) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->answerScript("document.body.style.backgroundColor", "red';close();'");
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(0.01);
    EXPECT_EQ(overlay->pageBackgroundColor(), "red';close();'");
    for (auto const& script : page->evaluatedScripts())
        EXPECT_EQ(script.find("close()"), std::string::npos) << script;
}

TEST_F(MEROverlayViewTest, MotionGoesToThePageFilteredOnlyWhenAllowed) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    page->answerScript("shouldAccelerate()", "true");
    overlay->isAccelerometerEnabled = true;
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(0.01);
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    EXPECT_NE(accelerometer.delegate(), nullptr);
    EXPECT_NEAR(accelerometer.updateInterval(), 1.0 / 60, 1e-9);
    overlay->didAccelerate(1, 2, 3);
    overlay->didAccelerate(1, 2, 3);
    EXPECT_DOUBLE_EQ(overlay->accelX(), 0.19);
    EXPECT_EQ(count("didAccelerate(0.190000,0.380000,0.570000)"), 1);
    overlay->close();
    EXPECT_EQ(accelerometer.delegate(), nullptr);
    overlay->isAccelerometerEnabled = false;
    overlay->didAccelerate(1, 2, 3);
    EXPECT_DOUBLE_EQ(overlay->accelX(), 0.19);
}

TEST_F(MEROverlayViewTest, ArrowImagesAreThirtyPointsSquare) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    overlay->showBottomBar = true;
    overlay->showWithHTML("<p>landing</p>");
    auto* arrow = overlay->backArrow()->customView();
    ASSERT_NE(arrow, nullptr);
    auto* button = dynamic_cast<ui::Button*>(arrow);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->imageForState(ui::ControlState::Normal), nullptr);
    EXPECT_EQ(button->imageForState(ui::ControlState::Normal)->size(), (graphics::Size {30, 30}));
}

TEST_F(MEROverlayViewTest, TheControllerFoundUpTheChain) {
    auto controller = ads::meridian::MEROverlayViewController::init();
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, &delegate);
    controller->setView(overlay);
    auto child = ui::View::create();
    overlay->addSubview(child);
    EXPECT_EQ(ads::meridian::firstAvailableUIViewController(*child), controller.get());
    EXPECT_EQ(ads::meridian::firstAvailableUIViewController(*ui::View::create()), nullptr);
    EXPECT_TRUE(controller->shouldAutorotateToInterfaceOrientation(
        ui::InterfaceOrientation::PortraitUpsideDown));
}
