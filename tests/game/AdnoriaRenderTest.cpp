// Screenshots of the Adnoria client's full-screen controllers as the game's window
// draws them: the in-app browser with its toolbar, and the web app with its close
// button and the spinner that turns until the page has loaded.
#include <ads/adnoria/ADNBrowserController.hpp>
#include <ads/adnoria/ADNOpener.hpp>
#include <ads/adnoria/ADNViewController.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/ActivityIndicatorView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Toolbar.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

namespace {

class AdnoriaRender : public test::GLFixture {
protected:
    AdnoriaRender()
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
        opener = ads::adnoria::ADNOpener::create();
        opener->setViewController(root.get());
    }
    void TearDown() override {
        // A full-screen ad controller keeps itself until it gives the screen up.
        if (auto* shown
            = dynamic_cast<ads::adnoria::ADNViewController*>(root->presentedViewController()))
            shown->relinquishScreen();
        renderer.releaseTextures();
        opener = nullptr;
        window = nullptr;
        root = nullptr;
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        GLFixture::TearDown();
    }

    void draw() {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    // Counted from the top-left, as views count.
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> root;
    base::Ref<ads::adnoria::ADNOpener> opener;
};

}

TEST_F(AdnoriaRender, TheBrowserWithItsToolbar) {
    opener->openBrowserToURL("http://127.0.0.1:1/", 1);
    foundation::RunLoop::main().runFor(1);
    auto* browser
        = dynamic_cast<ads::adnoria::ADNBrowserController*>(root->presentedViewController());
    ASSERT_TRUE(browser);
    draw();
    saveImage("adnoria-browser-toolbar");
    // The page area is the controller's black view (the web view draws nothing).
    auto page = at(160, 200);
    EXPECT_LT(page.r, 40);
    // The toolbar along the bottom is a black bar with light buttons on it.
    auto bar = at(2, 460);
    EXPECT_LT(bar.r, 80);
    int light = 0;
    for (int x = 0; x < 320; ++x)
        light += at(x, 458).r > 150;
    EXPECT_GT(light, 3);
}

TEST_F(AdnoriaRender, TheWebAppWithItsCloseButtonAndSpinner) {
    // A page that never answers keeps the spinner turning.
    opener->openWebApp("http://127.0.0.1:1/", 1);
    foundation::RunLoop::main().runFor(0.2);
    auto* webApp
        = dynamic_cast<ads::adnoria::ADNWebAppViewController*>(root->presentedViewController());
    ASSERT_TRUE(webApp);
    ASSERT_TRUE(webApp->loadingSpinner());
    draw();
    saveImage("adnoria-web-app");
    // The close mark in the top-left corner: a white ring round a dark disc.
    auto ring = at(16, 6);
    EXPECT_GT(ring.r, 150);
    auto disc = at(10, 16);
    EXPECT_LT(disc.r, 100);
    // The spinner's white spokes in the middle of the black view.
    int spokes = 0;
    for (int y = 230; y < 250; ++y)
        for (int x = 150; x < 170; ++x)
            spokes += at(x, y).r > 120;
    EXPECT_GT(spokes, 5);
}
