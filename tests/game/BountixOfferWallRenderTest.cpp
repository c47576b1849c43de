// Screenshots of the offer wall as the game's window draws it, on a phone and on a
// tablet: the bar tinted in the game's colour across the top, and the loading overlay's
// dimmed box in the middle of the page area (the page itself draws nothing here).
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>

using namespace ads::bountix;

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
};

class BountixOfferWallRender : public test::GLFixture,
                               public ::testing::WithParamInterface<Screen> {
protected:
    BountixOfferWallRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        BTXConfiguration configuration;
        configuration.primaryHost = "https://offers.example/";
        BTXConfiguration::setUp(configuration);
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        BTXOffersWebView::resetShared();
        BTXViewCommons::resetShared();
        BTXConfiguration::reset();
        renderer.releaseTextures();
        window = nullptr;
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
    graphics::Rgba at(int x, int y) const { return pixel(x, height() - 1 - y); }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

}

TEST_P(BountixOfferWallRender, TheWallShowsItsTintedBarAndTheLoadingOverlay) {
    auto& commons = BTXViewCommons::sharedObject();
    commons.setTransitionEffect(-1);
    commons.setUserDefinedColorWithRed(255, 54, 90);
    auto& wall = BTXOffersWebView::sharedBTXOffersWebView();
    wall.refreshWithFrame(window->bounds(), true);
    window->addSubview(base::Ref<ui::View>(&wall));
    wall.loadView();
    wall.webView().stopLoading();
    wall.loadingView().enable();
    wall.navBar()->navBarTitle()->setTitle("Earn Vov Azavuz");
    foundation::RunLoop::main().runFor(0.1);
    draw();
    saveImage(std::string("bountix-offer-wall-") + GetParam().name);

    // The bar, right of its "Back" button and under its title, in the game's colour.
    for (int x : {width() - 20, width() - 60}) {
        auto bar = at(x, 22);
        EXPECT_GT(bar.r, 230) << x;
        EXPECT_NEAR(bar.g, 54, 20) << x;
        EXPECT_NEAR(bar.b, 90, 20) << x;
    }
    // The overlay's dimmed box in the middle, the empty page around it.
    auto box = at(width() / 2 - 50, height() / 2 - 40);
    EXPECT_LT(box.r, 110);
    auto page = at(10, height() - 10);
    EXPECT_GT(page.r, 240);
    EXPECT_GT(page.g, 240);
}

INSTANTIATE_TEST_SUITE_P(Screens, BountixOfferWallRender,
    ::testing::Values(Screen {"phone", 320, 480}, Screen {"tablet", 768, 1024}),
    [](auto const& screen) { return std::string(screen.param.name); });
