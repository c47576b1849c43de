// A screenshot of the offer wall's display ad as the game's window draws it: the
// decoded banner image at 320 x 50 in the corner of a white screen.
#include <ads/bountix/BTXAdView.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Base64.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::bountix::BTXAdView;

namespace {

class BountixAdRender : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        BTXAdView::resetShared();
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        BTXAdView::resetShared();
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

TEST_F(BountixAdRender, TheDecodedBannerFillsItsFrame) {
    // Red on the left half, blue on the right, green in the last row.
    graphics::Image picture(320, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 320; ++x)
            picture.setPixel(x, y,
                y == 49       ? graphics::Rgba {0, 255, 0, 255}
                    : x < 160 ? graphics::Rgba {255, 0, 0, 255}
                              : graphics::Rgba {0, 0, 255, 255});
    auto& banner = BTXAdView::sharedBTXAdView();
    banner.setFrame(BTXAdView::frameForSize("320x50"));
    window->addSubview(base::Ref<ui::View>(&banner));
    banner.fetchResponseSuccessWithAd(
        {"https://ads.example/go", foundation::Base64::encode(*picture.encodePNG())}, 0);
    foundation::RunLoop::main().runFor(0.5);
    draw();
    saveImage("bountix-display-ad");
    auto left = at(80, 25);
    EXPECT_GT(left.r, 200);
    EXPECT_LT(left.b, 50);
    auto right = at(240, 25);
    EXPECT_GT(right.b, 200);
    EXPECT_LT(right.r, 50);
    auto bottom = at(160, 49);
    EXPECT_GT(bottom.g, 200);
    // Outside the banner the white screen shows.
    auto outside = at(400, 25);
    EXPECT_GT(outside.r, 240);
    EXPECT_GT(outside.b, 240);
    auto below = at(80, 60);
    EXPECT_GT(below.g, 240);
}
