#include <ads/marquee/MQDefaultBackgroundView.hpp>
#include <ads/marquee/MQDefaultViewController.hpp>
#include <ads/marquee/MQLoadingView.hpp>
#include <ads/marquee/MQUnderfinedProgressBar.hpp>
#include <ads/marquee/MQView.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <numbers>

using ads::marquee::MQDefaultViewController;
using ads::marquee::MQView;
using graphics::AffineTransform;

namespace {

constexpr float pi = std::numbers::pi_v<float>;

class MQViewsTest : public ::testing::Test {
protected:
    MQViewsTest() {
        window = ui::Window::create({{0, 0}, {320, 480}});
        window->makeKeyAndVisible();
        app().setStatusBarOrientation(ui::InterfaceOrientation::Portrait);
    }
    ~MQViewsTest() override {
        MQDefaultViewController::purgeSharedController();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
    }

    static ui::Application& app() { return ui::Application::sharedApplication(); }
    static MQDefaultViewController& presenter() {
        return MQDefaultViewController::sharedController();
    }
    void run(double seconds) { foundation::RunLoop::main().runFor(seconds); }
    bool inWindow(ui::View const& view) const { return view.superview() == window.get(); }
    base::Ref<MQView> page() { return MQView::initWithFrame(window->frame()); }

    foundation::ScopedManualClock clock;
    base::Ref<ui::Window> window;
};

void expectTransform(AffineTransform const& actual, AffineTransform const& expected) {
    EXPECT_NEAR(actual.a, expected.a, 1e-4);
    EXPECT_NEAR(actual.b, expected.b, 1e-4);
    EXPECT_NEAR(actual.c, expected.c, 1e-4);
    EXPECT_NEAR(actual.d, expected.d, 1e-4);
}

}

TEST_F(MQViewsTest, APageIsClearNonOpaqueAndTheMoreAppsPageDarkGrey) {
    auto view = page();
    EXPECT_FALSE(view->isOpaque());
    EXPECT_EQ(view->backgroundColor(), ui::Color::clearColor());
    EXPECT_EQ(view->state(), MQView::Loaded);
    view->setType(MQView::Interstitial);
    EXPECT_EQ(view->backgroundColor(), ui::Color::clearColor());
    view->setType(MQView::MoreApps);
    EXPECT_EQ(view->backgroundColor(), ui::Color::colorWithRed(0.2f, 0.2f, 0.2f, 1));
    // The web view fills the page.
    EXPECT_EQ(view->webView().frame(), (graphics::Rect {{0, 0}, {320, 480}}));
}

TEST_F(MQViewsTest, OrientingSwapsTheSizeAndTurnsAboutTheCentre) {
    struct Case {
        ui::InterfaceOrientation orientation;
        graphics::Size bounds;
        AffineTransform transform;
    };
    std::vector<Case> cases {
        {ui::InterfaceOrientation::Portrait, {320, 480}, AffineTransform::identity()},
        {ui::InterfaceOrientation::PortraitUpsideDown, {320, 480},
            AffineTransform::makeRotation(-pi)},
        {ui::InterfaceOrientation::LandscapeRight, {480, 320},
            AffineTransform::makeRotation(pi / 2)},
        {ui::InterfaceOrientation::LandscapeLeft, {480, 320},
            AffineTransform::makeRotation(-pi / 2)},
    };
    for (auto const& c : cases) {
        app().setStatusBarOrientation(c.orientation);
        auto view = ui::View::create({{0, 0}, {320, 480}});
        presenter().orientView(*view);
        EXPECT_EQ(view->bounds().size, c.bounds) << int(c.orientation);
        expectTransform(view->transform(), c.transform);
        EXPECT_EQ(view->center(), (graphics::Point {160, 240}));
        EXPECT_NEAR(view->frame().size.width, 320, 1e-3);
        EXPECT_NEAR(view->frame().size.height, 480, 1e-3);
    }
}

TEST_F(MQViewsTest, AnInterstitialPopsInThroughItsKeyframesOverTheDimmingBackground) {
    auto first = page();
    presenter().displayInterstitial(*first);
    EXPECT_TRUE(presenter().viewIsVisible());
    EXPECT_TRUE(inWindow(*first));
    auto& background = presenter().backgroundView();
    EXPECT_TRUE(inWindow(background));
    EXPECT_FALSE(background.isHidden());
    EXPECT_EQ(background.frame(), window->frame());
    ASSERT_NE(first->layer().animationForKey("transform.scale"), nullptr);
    EXPECT_NEAR(background.presentation().alpha, 0, 1e-4);
    // Half way: between 0.6 at 0 and 1.1 at 0.6 of the time.
    run(MQDefaultViewController::AnimationDuration / 2);
    EXPECT_NEAR(first->presentation().transform.a, 0.6f + 0.5f * (0.5f / 0.6f), 1e-3);
    EXPECT_NEAR(background.presentation().alpha, 0.5f, 1e-3);
    // 0.8 of the time: 0.9.
    run(MQDefaultViewController::AnimationDuration * 0.3);
    EXPECT_NEAR(first->presentation().transform.a, 0.9f, 1e-3);
    run(1);
    EXPECT_NEAR(first->presentation().transform.a, 1.0f, 1e-4);

    // A second page while one shows is dropped.
    auto second = page();
    presenter().displayInterstitial(*second);
    EXPECT_FALSE(inWindow(*second));
}

TEST_F(MQViewsTest, DismissalShrinksThePageThenTakesItOutAndHidesTheBackground) {
    auto view = page();
    presenter().displayInterstitial(*view);
    run(1);
    presenter().dismissInterstitial(*view);
    EXPECT_FALSE(presenter().viewIsVisible());
    EXPECT_EQ(view->state(), MQView::Dismissing);
    run(MQDefaultViewController::AnimationDuration / 2);
    EXPECT_NEAR(view->presentation().transform.a, 0.5f, 1e-3);
    EXPECT_TRUE(inWindow(*view));
    run(1);
    EXPECT_EQ(view->state(), MQView::Loaded);
    EXPECT_FALSE(inWindow(*view));
    EXPECT_TRUE(presenter().backgroundView().isHidden());
    // The next page can show.
    auto next = page();
    presenter().displayInterstitial(*next);
    EXPECT_TRUE(inWindow(*next));
}

TEST_F(MQViewsTest, ADismissalCutShortLeavesThePageInTheWindow) {
    auto view = page();
    presenter().displayInterstitial(*view);
    presenter().dismissInterstitial(*view);
    view->layer().removeAnimationForKey("transform.scale");
    run(1);
    EXPECT_EQ(view->state(), MQView::Dismissing);
    EXPECT_TRUE(inWindow(*view));
}

TEST_F(MQViewsTest, TheMoreAppsPageSlidesInFromItsOrientationsSideAndLeavesTheSameWay) {
    struct Case {
        ui::InterfaceOrientation orientation;
        graphics::Point start;
    };
    // The window is 320 x 480; the resting point is its centre.
    std::vector<Case> cases {
        {ui::InterfaceOrientation::Portrait, {160, 240 + 480}},
        {ui::InterfaceOrientation::PortraitUpsideDown, {160, 240 - 480}},
        {ui::InterfaceOrientation::LandscapeRight, {160 - 480, 240}},
        {ui::InterfaceOrientation::LandscapeLeft, {160 + 480, 240}},
    };
    for (auto const& c : cases) {
        app().setStatusBarOrientation(c.orientation);
        auto view = page();
        view->setType(MQView::MoreApps);
        presenter().displayMoreAppsView(*view);
        EXPECT_TRUE(inWindow(*view));
        EXPECT_FALSE(inWindow(presenter().backgroundView()));
        auto start = view->presentation().center;
        EXPECT_NEAR(start.x, c.start.x, 1e-3) << int(c.orientation);
        EXPECT_NEAR(start.y, c.start.y, 1e-3) << int(c.orientation);
        run(1);
        EXPECT_EQ(view->presentation().center, (graphics::Point {160, 240}));
        presenter().dismissMoreAppsView(*view);
        EXPECT_EQ(view->state(), MQView::Dismissing);
        run(MQDefaultViewController::AnimationDuration);
        run(0.01);
        EXPECT_FALSE(inWindow(*view));
        EXPECT_EQ(view->state(), MQView::Loaded);
    }
}

TEST_F(MQViewsTest, TheLoadingViewComesOverItsDarkBackgroundAndGoesAtOnce) {
    presenter().dismissLoadingView();
    EXPECT_FALSE(presenter().loadingViewIsVisible());

    presenter().displayLoadingView();
    EXPECT_TRUE(presenter().loadingViewIsVisible());
    auto* loading = presenter().loadingView();
    ASSERT_NE(loading, nullptr);
    EXPECT_TRUE(inWindow(*loading));
    auto& background = presenter().reversedBackgroundView();
    EXPECT_TRUE(background.isGradientReversed());
    EXPECT_FALSE(background.isHidden());
    // The loading view is in front of its background.
    ASSERT_GE(window->subviews().size(), 2u);
    EXPECT_EQ(window->subviews().back().get(), loading);
    EXPECT_EQ(loading->label().text(), "Loading...");

    // A page shown meanwhile goes under the loading view.
    auto view = page();
    presenter().displayInterstitial(*view);
    EXPECT_EQ(window->subviews().back().get(), loading);

    base::Ref<ads::marquee::MQLoadingView> held(loading);
    presenter().dismissLoadingView();
    EXPECT_FALSE(presenter().loadingViewIsVisible());
    EXPECT_EQ(presenter().loadingView(), nullptr);
    EXPECT_FALSE(inWindow(*held));
    EXPECT_TRUE(background.isHidden());
}

TEST_F(MQViewsTest, TheLoadingViewCentresItsLabelAboveAndItsBarBelow) {
    auto loading = ads::marquee::MQLoadingView::initWithFrame({{0, 0}, {480, 320}});
    loading->layoutIfNeeded();
    auto labelHeight = loading->label().bounds().size.height;
    EXPECT_EQ(loading->label().center(), (graphics::Point {240, 160 - (labelHeight / 2 + 30)}));
    EXPECT_EQ(loading->progressBar().center(), (graphics::Point {240, 165}));
    EXPECT_EQ(loading->progressBar().bounds().size, (graphics::Size {280, 30}));
}

TEST_F(MQViewsTest, TheStripePhaseRunsFromMinusTwentyToTwentyOneOnTheTimer) {
    auto bar = ads::marquee::MQUnderfinedProgressBar::initWithFrame({{0, 0}, {280, 30}});
    EXPECT_EQ(bar->offset(), 0);
    for (int tick = 1; tick <= 21; ++tick)
        bar->step();
    EXPECT_EQ(bar->offset(), 21);
    bar->step();
    EXPECT_EQ(bar->offset(), -20);
    // The timer steps it every 1/60 s.
    float before = bar->offset();
    run(10.0 / 60 + 1e-6);
    EXPECT_EQ(bar->offset(), before + 10);
    // A destroyed bar's timer is gone.
    auto timers = foundation::RunLoop::main().timerCount();
    bar = nullptr;
    EXPECT_EQ(foundation::RunLoop::main().timerCount(), timers - 1);
}

TEST_F(MQViewsTest, TheStripedBarDrawsItsOutlineAndStripesInWhite) {
    auto bar = ads::marquee::MQUnderfinedProgressBar::initWithFrame({{0, 0}, {280, 30}});
    ui::GraphicsContext context({280, 30});
    bar->drawRect(context, bar->bounds());
    auto image = context.makeImage();
    // The outline's top edge in the middle.
    EXPECT_GT(image.pixel(140, 1).a, 200);
    // Offset 0: a stripe from x = h' on the inner area's bottom row (x 6 + 21).
    EXPECT_GT(image.pixel(6 + 21 + 10, 24).a, 200);
    // Beside it, the gap between stripes.
    EXPECT_LT(image.pixel(6 + 21 + 10 + 21, 24).a, 50);
}

TEST_F(MQViewsTest, TheDimmingGradientRunsFromCentreToRimAlpha) {
    struct Case {
        bool reversed;
        float centre;
        float rim;
    };
    for (auto const& c : std::vector<Case> {{false, 0.4f, 0.6f}, {true, 0.9f, 0.8f}}) {
        auto view = ads::marquee::MQDefaultBackgroundView::initWithFrame({{0, 0}, {200, 100}});
        view->setGradientReversed(c.reversed);
        ui::GraphicsContext context({200, 100});
        view->drawRect(context, view->bounds());
        // Drawn content, which the renderer keeps.
        EXPECT_TRUE(context.hasDrawn());
        auto image = context.makeImage();
        EXPECT_NEAR(image.pixel(100, 50).a, c.centre * 255, 3) << c.reversed;
        EXPECT_NEAR(image.pixel(0, 0).a, c.rim * 255, 6) << c.reversed;
        // Black throughout.
        EXPECT_LE(image.pixel(100, 50).r, 1);
    }
}
