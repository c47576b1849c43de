// Screenshots of the interstitial client's views as the game's window draws them: a
// page half-way through its pop-in over the dimming background, and the loading view
// with its striped bar.
#include <ads/marquee/MQDefaultViewController.hpp>
#include <ads/marquee/MQView.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::marquee::MQDefaultViewController;
using ads::marquee::MQView;

namespace {

class MarqueeRender : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        ui::Application::sharedApplication().setStatusBarOrientation(
            ui::InterfaceOrientation::Portrait);
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        MQDefaultViewController::purgeSharedController();
        renderer.releaseTextures();
        window = nullptr;
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        GLFixture::TearDown();
    }

    // White game underneath, then the window's views.
    void draw() {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

}

TEST_F(MarqueeRender, AnInterstitialHalfWayThroughItsPopIn) {
    auto page = MQView::initWithFrame({{0, 0}, {480, 320}});
    // The page's own content: a red card in the middle (the web view draws nothing).
    auto card = ui::View::create({{140, 60}, {200, 200}});
    card->setBackgroundColor(ui::Color::redColor());
    page->addSubview(card);
    auto& presenter = MQDefaultViewController::sharedController();
    presenter.displayInterstitial(*page);
    foundation::RunLoop::main().runFor(MQDefaultViewController::AnimationDuration / 2);
    draw();
    saveImage("marquee-interstitial-pop-in");
    // Half way the card is scaled by about 1.02 about the centre: its edge at x 140
    // has moved out by about 2 points, and the card is red.
    auto middle = at(240, 160);
    EXPECT_GT(middle.r, 150);
    EXPECT_LT(middle.g, 100);
    // The corner is dimmed white: grey, neither white nor black.
    auto corner = at(5, 5);
    EXPECT_LT(corner.r, 230);
    EXPECT_GT(corner.r, 60);
    EXPECT_EQ(corner.r, corner.g);
    // Just outside the card's model edge, already covered by the grown card.
    auto grown = at(139, 160);
    EXPECT_GT(grown.r, 150);
    EXPECT_LT(grown.g, 100);
}

TEST_F(MarqueeRender, TheLoadingViewWithItsStripes) {
    auto& presenter = MQDefaultViewController::sharedController();
    presenter.displayLoadingView();
    foundation::RunLoop::main().runFor(1);
    draw();
    saveImage("marquee-loading-view");
    // The dark veil at a corner.
    auto corner = at(2, 2);
    EXPECT_LT(corner.r, 80);
    // The bar is 280 x 30 centred 5 points below the middle: its outline is white.
    auto outlineTop = at(240, 165 - 15 + 1);
    EXPECT_GT(outlineTop.r, 200);
    // Across the inner row there are white stripes and dark gaps.
    int white = 0, dark = 0;
    for (int x = 110; x < 370; ++x) {
        auto p = at(x, 165);
        white += p.r > 200;
        dark += p.r < 80;
    }
    EXPECT_GT(white, 40);
    EXPECT_GT(dark, 40);
}
