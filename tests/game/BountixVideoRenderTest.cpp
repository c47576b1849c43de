// Screenshots of the offer wall's video player on its completion screen as the game's
// window draws it, on a phone and a tablet: the dark screen under its bar with Done, the
// white box with the offer's icon, and the row of Replay, the offer's two buttons and
// Back. The movie stand-in shows no picture and the reward text lies in a web view that
// draws no HTML, so neither appears.
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXVideoLayer.hpp>
#include <ads/bountix/BTXVideoView.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BTXViews.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/GLFixture.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace ads::bountix;

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
};

class BountixVideoRender : public test::GLFixture, public ::testing::WithParamInterface<Screen> {
protected:
    BountixVideoRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        previousRoot = foundation::Sandbox::root();
        foundation::Sandbox::setRoot(sandbox.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
        if (GetParam().width > 480)
            ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
        ui::Screen::mainScreen().setSurface(base::Ref<graphics::Surface>(&surface()));
        // No offer service: the video list is not asked for.
        BTXConfiguration::setUp({});
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
    }
    void TearDown() override {
        BTXVideoManager::resetShared();
        BTXCallsWrapper::resetShared();
        BTXViewCommons::resetShared();
        BTXConfiguration::reset();
        renderer.releaseTextures();
        window = nullptr;
        ui::Screen::reset();
        ui::Device::reset();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath({});
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Sandbox::setRoot(previousRoot);
        GLFixture::TearDown();
    }

    void advance(double seconds) {
        for (double left = seconds; left > 1e-9; left -= 0.05) {
            clock->advance(std::min(left, 0.05));
            foundation::RunLoop::main().runFor(0.001);
        }
    }
    void draw() {
        glClearColor(0.2f, 0.5f, 0.3f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(graphics::Point point) const {
        return pixel(int(point.x), height() - 1 - int(point.y));
    }

    test::TempDir sandbox;
    std::string previousRoot;
    foundation::ScopedManualClock clock;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
};

base::Value button(char const* label, char const* url) {
    return base::Value(
        base::Dictionary::create({{BTXVideoButtonLabelKey, label}, {BTXVideoButtonURLKey, url}}));
}

}

TEST_P(BountixVideoRender, TheCompletionScreenShowsTheOffersIconAndButtons) {
    auto const movie = (sandbox.path() / "offer.mp4").string();
    std::ofstream(movie) << "movie";
    BountixConnect::initVideoAdWithDelegate(nullptr);
    BTXVideoManager::sharedBTXVideoManager().setCachedVideoObjectDict(
        base::Dictionary::create({{BTXVideoObjDataLocation, movie},
            {BTXVideoObjButtons,
                base::Value(base::Array::create({button("Install", "apps.example/salon"),
                    button("Visit Site", "https://salon.example")}))},
            {BTXVideoObjCurrencyAmount, "25"}, {BTXVideoObjCurrencyName, "Vov Azavuz"},
            {BTXVideoObjName, "Salon Saga"}, {BTXVideoObjIconURL, "NO_ICON"}}),
        "o1");
    BountixConnect::setTransitionEffect(-1);
    auto* shown = BountixConnect::showVideoAdWithFrame(window->bounds(), "o1");
    ASSERT_NE(shown, nullptr);
    auto& screen = *BTXVideoManager::sharedBTXVideoManager().videoView()->mainVideoLayer();
    screen.videoFeed()->setSimulatedDuration(1);
    advance(2);
    ASSERT_EQ(screen.videoCompleteView()->alpha(), 1.0f);
    draw();
    saveImage(std::string("bountix-video-complete-") + GetParam().name);

    auto centre = [&](ui::View* view, float dx = 0, float dy = 0) {
        auto frame = view->convertRectToView(view->bounds(), nullptr);
        return graphics::Point {frame.origin.x + frame.size.width / 2 + dx,
            frame.origin.y + frame.size.height / 2 + dy};
    };
    // The dark screen between the box and the row of buttons.
    auto const box
        = screen.messageView()->convertRectToView(screen.messageView()->bounds(), nullptr);
    auto dark = at({box.origin.x + 2, box.origin.y + box.size.height + 8});
    EXPECT_LT(dark.r, 60);
    // The white box, and the icon in it (the bundle's, as the offer has none).
    auto white = at({box.origin.x + box.size.width - 16, box.origin.y + box.size.height - 16});
    EXPECT_GT(white.r, 230);
    EXPECT_GT(white.b, 230);
    ASSERT_NE(screen.iconImageView()->image(), nullptr);
    auto iconPixel = at(centre(screen.iconImageView()));
    EXPECT_FALSE(iconPixel.r > 230 && iconPixel.g > 230 && iconPixel.b > 230) << "the icon draws";
    // Both offer buttons show; their faces are light against the dark screen.
    for (auto* b : {screen.customButton1(), screen.customButton2()}) {
        EXPECT_EQ(b->alpha(), 1.0f);
        EXPECT_GT(at(centre(b, -b->bounds().size.width / 2 + 4)).r, 150);
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, BountixVideoRender,
    ::testing::Values(Screen {"phone", 480, 320}, Screen {"tablet", 1024, 768}),
    [](auto const& screen) { return std::string(screen.param.name); });
