// Screenshots of the banner client's full-screen views as the game's window draws them:
// the ad browser (the page area over the toolbar with its arrows, refresh, the "Open in
// Safari" button, the spinner and done) and the interstitial (black, its close button
// 6 points inside the top-right corner).
#include <ads/mosaic/MXAdBrowserController.hpp>
#include <ads/mosaic/MXInterstitialAdController.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>
#include <ui/Toolbar.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

namespace {

class Closer final : public ads::mosaic::MXAdBrowserControllerDelegate {
public:
    void dismissBrowserController(ads::mosaic::MXAdBrowserController& browser) override {
        dismissBrowserController(browser, true);
    }
    void dismissBrowserController(ads::mosaic::MXAdBrowserController& browser, bool) override {
        if (auto* presenting = browser.presentingViewController())
            presenting->dismissModalViewController(false);
    }
};

class MosaicRender : public test::GLFixture {
protected:
    MosaicRender()
        : GLFixture(320, 480) { }

    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window = ui::Window::create({{0, 0}, {320, 480}});
        root = ui::ViewController::create();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        if (root->presentedViewController())
            root->dismissModalViewController(false);
        foundation::RunLoop::main().runFor(1);
        renderer.releaseTextures();
        window = nullptr;
        root = nullptr;
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        GLFixture::TearDown();
    }

    void draw() {
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    // Counted from the top-left, as views count.
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    Closer closer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> root;
};

}

TEST_F(MosaicRender, TheBrowserWithItsToolbar) {
    // The page is still loading (nothing answers on port 1), so the spinner turns and
    // the arrows, with no history yet, are dimmed.
    auto browser = ads::mosaic::MXAdBrowserController::initWithURL("http://127.0.0.1:1/", &closer);
    root->presentModalViewController(browser, false);
    foundation::RunLoop::main().runFor(1);
    ASSERT_EQ(root->presentedViewController(), browser.get());
    ASSERT_TRUE(browser->webView()->request().URL() == "http://127.0.0.1:1/");
    draw();
    saveImage("mosaic-browser-toolbar");

    // The page area is the browser's white view (the web view draws nothing).
    auto page = at(160, 200);
    EXPECT_GT(page.r, 200);
    EXPECT_GT(page.g, 200);
    // The toolbar along the bottom is a blue-grey bar.
    auto bar = at(160, 478);
    EXPECT_GT(bar.b, bar.r);
    EXPECT_LT(bar.r, 150);
    // The dimmed arrows are grey, far less blue than the bar, at its left end; the
    // titles are light.
    int dark = 0;
    int light = 0;
    for (int y = 440; y < 480; ++y) {
        for (int x = 0; x < 320; ++x) {
            auto const p = at(x, y);
            dark += x < 70 && p.r <= bar.r && p.b + 30 < bar.b;
            light += p.r > 200 && p.g > 200;
        }
    }
    EXPECT_GT(dark, 80);
    EXPECT_GT(light, 20);
}

TEST_F(MosaicRender, TheInterstitialWithItsCloseButton) {
    foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
    ui::Image::purgeCache();
    ui::Screen::mainScreen().setSurface(base::Ref<graphics::Surface>(&surface()));
    auto controller
        = ads::mosaic::MXInterstitialAdController::initWithAdUnitId("full-1", root.get());
    controller->show();
    foundation::RunLoop::main().runFor(1);
    ASSERT_EQ(root->presentedViewController(), controller.get());
    EXPECT_TRUE(ui::Application::sharedApplication().isStatusBarHidden());
    auto const frame = controller->closeButton()->frame();
    EXPECT_EQ(frame, graphics::makeRect(320 - 36, 6, 30, 30));
    draw();
    saveImage("mosaic-interstitial-close-button");

    // The screen is black but for the button: a white cross on its grey disc, inside
    // the corner and not touching the edges.
    auto const middle = at(160, 240);
    EXPECT_LT(middle.r + middle.g + middle.b, 30);
    int white = 0;
    for (int y = 6; y < 36; ++y)
        for (int x = 284; x < 314; ++x)
            white += at(x, y).r > 200 && at(x, y).g > 200 && at(x, y).b > 200;
    EXPECT_GT(white, 20);
    for (int i = 0; i < 6; ++i) {
        auto const edge = at(319 - i, 3);
        EXPECT_LT(edge.r + edge.g + edge.b, 30);
    }

    controller->closeButtonPressed();
    controller->dismissModalViewController(false);
    ui::Screen::reset();
    ui::Image::purgeCache();
    foundation::Bundle::setMainBundlePath({});
}
