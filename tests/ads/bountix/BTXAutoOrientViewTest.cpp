#include <ads/bountix/BTXAutoOrientView.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/GraphicsContext.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using ads::bountix::BTXAutoOrientView;
using ui::InterfaceOrientation;

namespace {

// The main screen here is 480 x 320 points; with the status bar the application frame
// is (0, 20, 480, 300).
class BTXAutoOrientViewTest : public ::testing::Test {
protected:
    BTXAutoOrientViewTest() {
        ui::Application::reset();
        ui::Animator::reset();
        ui::Screen::reset();
        window = ui::Window::create({0, 0, 480, 320});
        window->makeKeyAndVisible();
    }
    ~BTXAutoOrientViewTest() override {
        window = nullptr;
        ui::Animator::reset();
        ui::Application::reset();
    }

    void advance(double seconds) {
        clock->advance(seconds);
        foundation::RunLoop::main().runUntil([] { return false; }, 0.001);
    }
    static void turnTo(InterfaceOrientation orientation) {
        ui::Application::sharedApplication().setStatusBarOrientation(orientation);
    }
    static void deviceTurned() {
        foundation::NotificationCenter::defaultCenter().postNotification(
            BTXAutoOrientView::DeviceOrientationNotification);
    }

    foundation::ScopedManualClock clock;
    base::Ref<ui::Window> window;
};

TEST_F(BTXAutoOrientViewTest, ShowingLaysTheBoxOutForTheStatusBarAndTurnsIt) {
    constexpr float pi = std::numbers::pi_v<float>;
    struct Case {
        InterfaceOrientation orientation;
        graphics::Size bounds;
        float angle;
    };
    Case const cases[] {
        {InterfaceOrientation::Portrait, {480, 300}, 0},
        {InterfaceOrientation::PortraitUpsideDown, {480, 300}, -pi},
        {InterfaceOrientation::LandscapeRight, {300, 480}, pi / 2},
        {InterfaceOrientation::LandscapeLeft, {300, 480}, -pi / 2},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(int(c.orientation));
        turnTo(c.orientation);
        auto box = BTXAutoOrientView::init();
        EXPECT_EQ(box->frame(), (graphics::Rect {0, 0, 321, 481}));
        box->show();
        EXPECT_EQ(box->superview(), window.get());
        EXPECT_EQ(box->orientation(), int(c.orientation));
        EXPECT_EQ(box->bounds().size, c.bounds);
        EXPECT_EQ(box->center(), (graphics::Point {240, 170}));
        EXPECT_EQ(box->transform(), graphics::AffineTransform::makeRotation(c.angle));
        box->postDismissCleanup();
        EXPECT_EQ(box->superview(), nullptr);
    }
}

TEST_F(BTXAutoOrientViewTest, OnlyARealNewOrientationTurnsTheBoxWithinTheStatusBarsTime) {
    auto box = BTXAutoOrientView::initWithFrame({0, 0, 100, 100});
    box->show();
    ASSERT_EQ(box->bounds().size, (graphics::Size {480, 300}));
    for (int value : {0, 1, 5, -1}) {
        EXPECT_FALSE(box->shouldReactToOrientation(value)) << value;
    }
    EXPECT_TRUE(box->shouldReactToOrientation(3));

    deviceTurned();
    advance(0.5);
    EXPECT_TRUE(box->transform().isIdentity()) << "the same orientation changes nothing";

    turnTo(InterfaceOrientation::LandscapeRight);
    deviceTurned();
    EXPECT_EQ(box->bounds().size, (graphics::Size {300, 480})) << "the model value at once";
    EXPECT_EQ(box->orientation(), 3);
    advance(0.15);
    auto const half = box->presentation().transform;
    EXPECT_GT(half.b, 0.1f) << "turning on screen";
    EXPECT_LT(half.b, 0.99f);
    advance(0.2);
    auto const end = box->presentation().transform;
    EXPECT_NEAR(end.b, 1, 1e-4);
    EXPECT_NEAR(end.a, 0, 1e-4);
}

TEST_F(BTXAutoOrientViewTest, TheCloseNotificationRemovesTheBoxAndBothObservations) {
    auto box = BTXAutoOrientView::init();
    box->show();
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(BTXAutoOrientView::ShowBoxNotification);
    EXPECT_EQ(box->superview(), nullptr);

    // Neither notification reaches it any more: it is neither shown again nor turned.
    window->addSubview(box);
    center.postNotification(BTXAutoOrientView::ShowBoxNotification);
    EXPECT_EQ(box->superview(), window.get());
    turnTo(InterfaceOrientation::LandscapeLeft);
    deviceTurned();
    EXPECT_TRUE(box->transform().isIdentity());
    EXPECT_EQ(box->orientation(), 1);
}

TEST_F(BTXAutoOrientViewTest, DismissingKeepsHearingTheCloseNotificationOnly) {
    auto box = BTXAutoOrientView::init();
    box->show();
    box->postDismissCleanup();
    window->addSubview(box);
    turnTo(InterfaceOrientation::LandscapeLeft);
    deviceTurned();
    EXPECT_TRUE(box->transform().isIdentity()) << "rotations are no longer heard";
    foundation::NotificationCenter::defaultCenter().postNotification(
        BTXAutoOrientView::ShowBoxNotification);
    EXPECT_EQ(box->superview(), nullptr);
}

TEST_F(BTXAutoOrientViewTest, ABoxThatGoesLeavesNoObserverBehind) {
    {
        auto box = BTXAutoOrientView::init();
        box->show();
        box->removeFromSuperview();
    }
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(BTXAutoOrientView::ShowBoxNotification);
    center.postNotification(BTXAutoOrientView::DeviceOrientationNotification);
}

TEST_F(BTXAutoOrientViewTest, TheRoundedPathKeepsItsCornersClear) {
    struct Case {
        float radius;
        bool cornerFilled;
    };
    for (auto const& c : {Case {10, false}, Case {0, true}}) {
        SCOPED_TRACE(c.radius);
        ui::GraphicsContext context({40, 40});
        BTXAutoOrientView::drawRect(
            context, {0, 0, 40, 40}, ui::Color::colorWithRed(1, 0, 0), c.radius);
        auto const pixels = context.makeImage();
        EXPECT_EQ(pixels.pixel(1, 1).a > 128, c.cornerFilled);
        EXPECT_GT(pixels.pixel(20, 20).a, 250);
        EXPECT_GT(pixels.pixel(20, 1).a, 128) << "the edges stay filled";
    }
    ui::GraphicsContext none({10, 10});
    BTXAutoOrientView::drawRect(none, {0, 0, 10, 10}, std::nullopt, 10);
    EXPECT_EQ(none.makeImage().pixel(5, 5).a, 0);
}

}
