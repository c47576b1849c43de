// Screenshots of the Meridian landing overlay as the game's window draws them: full
// screen with its title and navigation bars, and the framed panel with its title strip
// and coloured border once its bounce has ended; and a banner whose tap has opened
// that panel.
#include <ads/meridian/MERGenericAdView.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MEROverlayView.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/GLFixture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::meridian::MEROverlayView;

namespace {

class MeridianOverlayRender : public test::GLFixture {
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
        renderer.releaseTextures();
        window = nullptr;
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
        ui::Application::reset();
        GLFixture::TearDown();
    }

    // A grey game underneath, then the window's views.
    void draw() {
        glClearColor(0.5f, 0.5f, 0.5f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

}

TEST_F(MeridianOverlayRender, FullScreenWithBothBars) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::fullScreenType, nullptr);
    overlay->showTitlebar = true;
    overlay->showBottomBar = true;
    overlay->titlebarColor = ui::Color::colorWithBytes(0, 0, 160);
    overlay->setMakeOverlayTransparent(false);
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(1);
    draw();
    saveImage("meridian-overlay-full-screen");
    // The status bar's strip shows the game; then the title bar, the white page and
    // the navigation bar to the bottom.
    auto game = at(240, 10);
    EXPECT_NEAR(game.r, 128, 2);
    auto title = at(100, 40);
    EXPECT_LT(title.r, 60);
    EXPECT_GT(title.b, 100);
    auto pageArea = at(240, 160);
    EXPECT_GT(pageArea.r, 240);
    EXPECT_GT(pageArea.g, 240);
    auto bottom = at(240, 310);
    EXPECT_LT(bottom.r, 60);
    EXPECT_GT(bottom.b, 100);
}

TEST_F(MeridianOverlayRender, ThePanelWithItsRoundedFrameAndBorderColour) {
    auto overlay = MEROverlayView::initWithType(MEROverlayView::modalType, nullptr);
    overlay->showTitlebar = true;
    overlay->titlebarColor = ui::Color::colorWithBytes(0, 120, 0);
    overlay->modalBorderColor = ui::Color::colorWithBytes(200, 0, 0);
    overlay->alphaForModalBorder = 1;
    overlay->headerTitle = "Salon offer";
    overlay->showWithHTML("<p>landing</p>");
    foundation::RunLoop::main().runFor(1);
    draw();
    saveImage("meridian-overlay-panel");
    // The panel covers (10, 30) to (470, 310): its 10-point border is red.
    auto border = at(14, 170);
    EXPECT_GT(border.r, 150);
    EXPECT_LT(border.g, 60);
    // The very corner is rounded off: the panel's own white shows there.
    auto corner = at(10, 30);
    EXPECT_GT(corner.g, 200);
    // The page area inside the frame is the page's white.
    auto pageArea = at(240, 200);
    EXPECT_GT(pageArea.r, 240);
    EXPECT_GT(pageArea.g, 240);
    // The title strip under the label is green.
    auto strip = at(24, 48);
    EXPECT_LT(strip.r, 60);
    EXPECT_GT(strip.g, 90);
    // Outside the panel the game is untouched.
    auto outside = at(240, 5);
    EXPECT_NEAR(outside.r, 128, 2);
}

namespace {

// Answers nothing but taps.
class BannerOwner final : public ads::meridian::MERAdDelegate {
public:
    void adWasTapped(ads::meridian::MERAdView&) override { ++taps; }
    int taps {0};
};

}

TEST_F(MeridianOverlayRender, ABannerTapOpensThePanel) {
    test::TempDir home;
    foundation::Sandbox::setRoot(home.path().string());
    foundation::UserDefaults::resetStandardUserDefaults();
    test::LoopbackServer server;
    server.route("GET", "/landing", test::HttpResponse::text("<p>offer</p>", 200, "text/html"));
    // Every page says its ad opens as a panel.
    ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
        auto page = test::ScriptedWebView::create(frame);
        page->answerScript("shouldShowModal()", "true");
        return page;
    });
    BannerOwner owner;
    {
        auto root = ui::View::create(window->bounds());
        window->addSubview(root);
        auto made = ads::meridian::MERAdView::adWithFrame(
            {{80, 270}, {320, 50}}, 2, "apid-7", &owner, false, false);
        auto& banner = static_cast<ads::meridian::MERGenericAdView&>(*made);
        banner.setBackgroundColor(ui::Color::colorWithBytes(0, 0, 200));
        root->addSubview(made);
        banner.htmlAdView().loadWithAdContents("<p>banner</p>");
        foundation::RunLoop::main().runFor(2);
        auto& page
            = static_cast<test::ScriptedWebView&>(*banner.htmlAdView().showingWebView()->webView());
        page.fireNavigation(server.url("/landing"));
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 1; }, 20));
        foundation::RunLoop::main().runUntil(nullptr, 0.5);
        foundation::RunLoop::main().runFor(1);
        ASSERT_NE(banner.overlayView(), nullptr);
        EXPECT_EQ(banner.overlayView()->overlayType(), MEROverlayView::modalType);
        EXPECT_EQ(owner.taps, 1);
        draw();
        saveImage("meridian-banner-tapped-panel");
        // The white panel stands over the middle of the game; the game shows around
        // it and the banner's blue below it.
        auto pageArea = at(240, 160);
        EXPECT_GT(pageArea.r, 240);
        EXPECT_GT(pageArea.b, 240);
        auto game = at(10, 160);
        EXPECT_NEAR(game.r, 128, 2);
        auto bannerArea = at(240, 312);
        EXPECT_LT(bannerArea.r, 60);
        EXPECT_GT(bannerArea.b, 150);
        made->setRefreshTimerEnabled(false);
        made->setDelegate(nullptr);
        banner.overlayView()->closeWithAnimation(false);
        root->removeFromSuperview();
    }
    foundation::RunLoop::main().runFor(1);
    ui::WebView::setFactory(nullptr);
    ads::meridian::MERHandshake::purgeSharedHandshake();
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Sandbox::setRoot("");
}
