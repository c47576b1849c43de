// Screenshot of the banner client's ad browser as the game's window draws it: the page
// area over the toolbar with its arrows, refresh, the "Open in Safari" button, the
// spinner and done.
#include <ads/mosaic/MXAdBrowserController.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
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
