// Screenshots of the check-in client's explain screen as the game's window draws it, on a
// phone and a tablet: the grey frame, the light blue panel under its dark title strip,
// the message box with the invitation and the orange install button in the middle.
#include <ads/howdy/HZExplainScreenView.hpp>
#include <ads/howdy/HowdySDK.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
};

class HowdyRender : public test::GLFixture, public ::testing::WithParamInterface<Screen> {
protected:
    HowdyRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
        if (GetParam().width > 480)
            ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
        ui::Screen::mainScreen().setSurface(base::Ref<graphics::Surface>(&surface()));
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
        // No service: the events are not sent.
        ads::howdy::HowdyConfiguration::setUp({"", "", "install-1"});
    }
    void TearDown() override {
        ads::howdy::HowdySDK::resetSharedSDK();
        ads::howdy::HowdyConfiguration::reset();
        renderer.releaseTextures();
        window = nullptr;
        ui::Screen::reset();
        ui::Device::reset();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath({});
        GLFixture::TearDown();
    }

    void draw() {
        glClearColor(0.2f, 0.5f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(graphics::Point point) const {
        return pixel(int(point.x), height() - 1 - int(point.y));
    }

    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

}

TEST_P(HowdyRender, TheExplainScreenInvitesThePlayerToInstallTheCompanion) {
    ads::howdy::HowdySDK::startHowdyWithAppId("123456789")->checkin();
    for (int i = 0; i < 20; ++i) {
        clock->advance(0.05);
        foundation::RunLoop::main().runFor(0.001);
    }
    ads::howdy::HZExplainScreenView* screen = nullptr;
    for (auto const& view : window->subviews())
        if (view->tag() == ads::howdy::HZExplainScreenView::Tag)
            screen = dynamic_cast<ads::howdy::HZExplainScreenView*>(view.get());
    ASSERT_NE(screen, nullptr);
    draw();
    saveImage(std::string("howdy-explain-") + GetParam().name);

    auto const frame = screen->frame();
    auto point = [&](float x, float y) {
        return graphics::Point {frame.origin.x + x, frame.origin.y + y};
    };
    // The grey frame at the edge, the dark title strip, the light blue panel.
    auto edge = at(point(4, frame.size.height / 2));
    EXPECT_NEAR(edge.r, edge.b, 12);
    EXPECT_LT(edge.r, 150);
    auto strip = at(point(30, 14));
    EXPECT_LT(strip.r, 30);
    EXPECT_GT(strip.b, 30);
    auto panel = at(point(16, 50));
    EXPECT_GT(panel.b, 200);
    EXPECT_GT(panel.g, 180);
    // The install button, orange, in the middle.
    auto const button = screen->installButton()->frame();
    auto orange = at(point(button.origin.x + 6, button.origin.y + button.size.height / 2));
    EXPECT_GT(orange.r, 180);
    EXPECT_LT(orange.b, 120);
    // The invitation's dark text in the message box.
    auto const box = screen->messageBox();
    int dark = 0;
    for (float y = box.origin.y + 5; y < box.origin.y + 40; ++y)
        for (float x = box.origin.x + 75; x < box.origin.x + 200; ++x)
            dark += at(point(x, y)).r < 120;
    EXPECT_GT(dark, 30);
}

INSTANTIATE_TEST_SUITE_P(Screens, HowdyRender,
    ::testing::Values(Screen {"phone", 480, 320}, Screen {"tablet", 1024, 768}),
    [](auto const& screen) { return std::string(screen.param.name); });
