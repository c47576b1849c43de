// Screenshots of the Meridian client's views as the game's window draws them: an image
// banner, and the control overlay of a video ad with its buttons faded in and the
// countdown label.
#include <ads/meridian/MERJSONImageAdView.hpp>
#include <ads/meridian/MERJSONVideoOverlayControlView.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <support/GLFixture.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::meridian::MERJSONImageAdView;
using ads::meridian::MERJSONVideoButton;
using ads::meridian::MERJSONVideoOverlayControlView;

namespace {

class MeridianRender : public test::GLFixture {
protected:
    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
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

base::Ref<MERJSONVideoButton> button(std::string const& json) {
    return MERJSONVideoButton::initWithJSONButton(
        toolkit::json::PJsonParser::parser()->objectWithString(json));
}

}

TEST_F(MeridianRender, AnImageBanner) {
    auto banner = MERJSONImageAdView::initWithFrame({{0, 0}, {320, 50}}, nullptr);
    banner->setCenter({240, 295});
    graphics::Image picture(320, 50);
    auto pixels = picture.pixels();
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        bool const left = (i / 4) % 320 < 160;
        pixels[i] = left ? 0 : 255;
        pixels[i + 1] = left ? 0 : 160;
        pixels[i + 2] = left ? 200 : 0;
        pixels[i + 3] = 255;
    }
    auto bytes = picture.encodePNG();
    banner->loadWithData(base::Bytes(bytes->begin(), bytes->end()));
    window->addSubview(banner);
    draw();
    saveImage("meridian-image-banner");
    auto blue = at(120, 295);
    EXPECT_LT(blue.r, 40);
    EXPECT_GT(blue.b, 150);
    auto orange = at(360, 295);
    EXPECT_GT(orange.r, 200);
    EXPECT_LT(orange.b, 40);
    // Above the banner the game shows through.
    auto above = at(240, 200);
    EXPECT_GT(above.r, 240);
    EXPECT_GT(above.b, 240);
}

TEST_F(MeridianRender, AVideoOverlayWithItsButtonsAndCountdown) {
    // The player's picture stands in as black.
    auto picture = ui::View::create({{0, 0}, {480, 320}});
    picture->setBackgroundColor(ui::Color::blackColor());
    window->addSubview(picture);
    std::vector<base::Ref<MERJSONVideoButton>> buttons {
        button(R"({"title":"Skip","x-location":20,"y-location":250,"width":120,"height":44,)"
               R"("buttonColor":"1,0,0","textColor":"1,1,1",)"
               R"("opacity":{"start":1,"end":0.3,"fadeDuration":0.5},"appearanceDelay":1,)"
               R"("inactivityTimeout":10})"),
        button(R"({"title":"Learn more","x-location":340,"y-location":250,"width":120,)"
               R"("height":44,"buttonColor":"0,0.6,0","textColor":"1,1,1",)"
               R"("opacity":{"start":1,"end":0.3,"fadeDuration":0.5},"appearanceDelay":2,)"
               R"("inactivityTimeout":10})"),
    };
    auto overlay = MERJSONVideoOverlayControlView::initWithFrame(
        {{0, 0}, {480, 320}}, buttons, true, nullptr);
    overlay->countdownLabel()->setText("27 seconds remaining...");
    picture->addSubview(overlay);
    overlay->showButtons();
    foundation::RunLoop::main().runFor(3);
    draw();
    saveImage("meridian-video-overlay");

    auto red = at(30, 260);
    EXPECT_GT(red.r, 200);
    EXPECT_LT(red.g, 60);
    auto green = at(350, 260);
    EXPECT_LT(green.r, 60);
    EXPECT_GT(green.g, 120);
    // The countdown's white text in the top right corner: some light pixels there.
    int light = 0;
    for (int y = 2; y < 18; ++y) {
        for (int x = 330; x < 475; ++x)
            light += at(x, y).r > 160;
    }
    EXPECT_GT(light, 20);
    // The picture elsewhere stays black.
    auto middle = at(240, 160);
    EXPECT_LT(middle.r, 20);
}
