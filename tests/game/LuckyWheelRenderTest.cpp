// Screenshots of the game's prize wheel stopped after a spin, its won row lit, as the
// game's window draws it on a phone and on a tablet.
#include <engine/ViewRenderer.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/progression/AnimViewManager.hpp>
#include <game/progression/MyLuckyWheelViewController.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <support/GLFixture.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Screen {
    char const* name;
    int width;
    int height;
    bool pad;
};

class LuckyWheelRender : public test::GLFixture, public ::testing::WithParamInterface<Screen> {
protected:
    LuckyWheelRender()
        : GLFixture(GetParam().width, GetParam().height) { }

    void SetUp() override {
        GLFixture::SetUp();
        previousBundle = foundation::Bundle::mainBundle().bundlePath();
        foundation::Bundle::setMainBundlePath(std::string(QUILLABY_BUILD_DIR) + "/bundle");
        ui::Image::purgeCache();
        ui::Application::reset();
        ui::Device::currentDevice().setUserInterfaceIdiom(
            GetParam().pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
        window = ui::Window::create({{0, 0}, {float(width()), float(height())}});
        window->makeKeyAndVisible();
        opener = ui::ViewController::create();
        opener->view()->setFrame(window->bounds());
        window->addSubview(base::Ref<ui::View>(opener->view()));
        auto& globals = game::GameGlobals::shared();
        globals.money = 1500;
        globals.petPoints = 12;
        game::DataConrtoller::saveMoney();
        game::DataConrtoller::savePetPoints();
        defaults().setInteger(1, "credit");
    }
    void TearDown() override {
        renderer.releaseTextures();
        opener = nullptr;
        window = nullptr;
        game::AnimViewManager::releaseManager();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        foundation::Reachability::clearForcedStatus();
        game::LuckyWheelViewController::stopObservingServerTime();
        for (char const* key : {"credit", "DATA_MONEY", "DATA_MAX_MONEY", "DATA_LASTDAYMONEY",
                 "DATA_AVG_DAILY_CASHFLOW", "SYS_PETPOINTS", "SYS_OVERALLPETPOINTS"})
            defaults().removeObjectForKey(key);
        game::GameGlobals::reset();
        ui::Application::reset();
        ui::Device::reset();
        ui::Image::purgeCache();
        foundation::Bundle::setMainBundlePath(previousBundle);
        GLFixture::TearDown();
    }
    static foundation::UserDefaults& defaults() {
        return foundation::UserDefaults::standardUserDefaults();
    }

    void draw() {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.render(*window);
    }
    graphics::Rgba at(graphics::Point point) const {
        return pixel(int(point.x), height() - 1 - int(point.y));
    }
    // A point of a prize row's background, left of its text, in the window.
    graphics::Point rowPoint(game::LuckyWheelViewController& wheel, int prize) const {
        auto* row = wheel.prizeBgDict().at(std::to_string(prize)).get();
        return row->convertPointToView(graphics::makePoint(60, 6), nullptr);
    }

    foundation::ScopedManualClock clock;
    std::string previousBundle;
    engine::ViewRenderer renderer;
    base::Ref<ui::Window> window;
    base::Ref<ui::ViewController> opener;
};

}

TEST_P(LuckyWheelRender, TheStoppedWheelLightsTheRowItPaid) {
    auto wheel = game::MyLuckyWheelViewController::create();
    opener->presentViewController(wheel, false);
    foundation::RunLoop::main().runFor(0.5);
    ASSERT_TRUE(wheel->isAppear());
    ASSERT_TRUE(wheel->iSpinButton()->isEnabled())
        << wheel->getCredit() << " tokens, " << wheel->prizeDict().size() << " prizes";

    wheel->spinOnClick(wheel->iSpinButton());
    foundation::RunLoop::main().runFor(3);
    ASSERT_EQ(wheel->curState(), 2);
    wheel->spinOnClick(wheel->iSpinButton());
    foundation::RunLoop::main().runFor(8);
    ASSERT_EQ(wheel->curState(), 0);
    int lit = wheel->lastPrizeColor();
    ASSERT_GE(lit, 0);
    draw();
    saveImage(std::string("wheel-stopped-") + GetParam().name);

    EXPECT_EQ(wheel->iCreditLabel()->text(), "0");
    // The won row is honey-coloured, the others pale paper.
    int other = lit == 0 ? 1 : 0;
    auto litPixel = at(rowPoint(*wheel, lit));
    auto otherPixel = at(rowPoint(*wheel, other));
    EXPECT_LT(int(litPixel.b) + 40, int(otherPixel.b));
}

INSTANTIATE_TEST_SUITE_P(Screens, LuckyWheelRender,
    ::testing::Values(Screen {"phone", 480, 320, false}, Screen {"tablet", 1024, 768, true}),
    [](::testing::TestParamInfo<Screen> const& param) { return param.param.name; });
