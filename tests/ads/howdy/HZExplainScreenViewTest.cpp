// The explain screen: its size and turn for each orientation and device, the pop-in, the
// skip by a tap outside the box, the return from the store with or without the companion
// program, the check-in it then offers, and the client it reports to.

#include "HowdyTestSupport.hpp"

#include <ads/howdy/HowdySDK.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Device.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

using ads::howdy::HowdySDK;
using ads::howdy::HZExplainScreenView;
using ui::InterfaceOrientation;

namespace {

// Records the appearance calls of the screen.
class RecordingSDK final : public HowdySDK {
public:
    void howdyWillAppear(bool) override { calls.push_back("willAppear"); }
    void howdyDidAppear(bool) override { calls.push_back("didAppear"); }
    void howdyWillDisappear(bool) override { calls.push_back("willDisappear"); }
    void howdyDidDisappear(bool) override { calls.push_back("didDisappear"); }

    std::vector<std::string> calls;

private:
    friend base::Factory;
    RecordingSDK()
        : HowdySDK("42", std::string("quillaby://")) { }
};

class HZExplainScreenViewTest : public test::HowdyTest {
protected:
    HZExplainScreenViewTest() {
        HowdySDK::startHowdyWithAppId("42");
        EXPECT_TRUE(waitForEvents(1));
        service.clearRequests();
    }

    base::Ref<HZExplainScreenView> showScreen(base::Ref<HowdySDK> sdk = nullptr) {
        auto screen = HZExplainScreenView::init();
        screen->setTag(HZExplainScreenView::Tag);
        screen->setSdk(std::move(sdk));
        screen->show();
        return screen;
    }
    static void returnToGame() {
        foundation::NotificationCenter::defaultCenter().postNotification(
            ui::Application::DidBecomeActiveNotification);
    }
};

}

TEST_F(HZExplainScreenViewTest, TheBoxFillsTheApplicationFrameLessAMarginTurnedToTheStatusBar) {
    constexpr float pi = std::numbers::pi_v<float>;
    struct Case {
        InterfaceOrientation orientation;
        bool pad;
        graphics::Size size;
        float angle;
    };
    // The application frame is (0, 20, 480, 300).
    Case const cases[] {
        {InterfaceOrientation::Portrait, false, {460, 280}, 0},
        {InterfaceOrientation::PortraitUpsideDown, false, {460, 280}, -pi},
        {InterfaceOrientation::LandscapeRight, false, {280, 460}, pi / 2},
        {InterfaceOrientation::LandscapeLeft, false, {280, 460}, 3 * pi / 2},
        {InterfaceOrientation::Portrait, true, {268, 160}, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(int(c.orientation));
        ui::Application::sharedApplication().setStatusBarOrientation(c.orientation);
        ui::Device::currentDevice().setUserInterfaceIdiom(
            c.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto screen = showScreen();
        advance(1);
        EXPECT_EQ(screen->bounds().size, c.size);
        EXPECT_EQ(screen->center(), (graphics::Point {240, 170}));
        EXPECT_EQ(screen->transform(), graphics::AffineTransform::makeRotation(c.angle));
        EXPECT_EQ(screen->orientation(), int(c.orientation));
        // The close button near the top-right corner; the offer in the middle, lower
        // on a phone held sideways.
        auto bounds = screen->bounds();
        EXPECT_EQ(screen->closeButton()->frame(),
            (graphics::Rect {bounds.size.width - 46.5f, 8, 40, 40}));
        float lower = !c.pad && c.size.width < c.size.height ? 30 : 0;
        EXPECT_EQ(screen->installButton()->frame(),
            (graphics::Rect {
                bounds.size.width / 2 - 125, bounds.size.height / 2 + lower, 250, 40}));
        screen->postDismissCleanup();
    }
}

TEST_F(HZExplainScreenViewTest, ItPopsInOnTheKeyWindowOverATapCatcher) {
    auto sdk = base::make<RecordingSDK>();
    auto screen = showScreen(sdk);
    auto const& views = window->subviews();
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0]->tag(), HZExplainScreenView::TouchViewTag);
    EXPECT_EQ(views[0]->frame(), (graphics::Rect {0, 20, 480, 300}));
    EXPECT_EQ(views[1].get(), screen.get());
    EXPECT_EQ(sdk->calls, std::vector<std::string> {"willAppear"});
    // Grows past its size, shrinks below it, then settles (the model values, which each
    // animation takes at its start).
    float largest = screen->transform().a;
    float smallestAfter = 2;
    for (int step = 0; step < 20; ++step) {
        advance(0.05);
        float scale = screen->transform().a;
        if (scale > largest)
            largest = scale;
        else if (largest > 1)
            smallestAfter = std::min(smallestAfter, scale);
    }
    EXPECT_NEAR(largest, 1.1f, 0.02f);
    EXPECT_NEAR(smallestAfter, 0.9f, 0.02f);
    EXPECT_EQ(screen->transform(), graphics::AffineTransform::identity());
    EXPECT_EQ(sdk->calls, (std::vector<std::string> {"willAppear", "didAppear"}));
    EXPECT_TRUE(screen->checkinButton()->isHidden());
    EXPECT_FALSE(screen->installButton()->isHidden());
}

TEST_F(HZExplainScreenViewTest, ATapOutsideTheBoxIsASkipWithAFade) {
    auto sdk = base::make<RecordingSDK>();
    auto screen = showScreen(sdk);
    advance(1);
    auto* catcher = static_cast<ui::Control*>(screen->touchView());
    catcher->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(sdk->calls,
        (std::vector<std::string> {"willAppear", "didAppear", "willDisappear", "didDisappear"}))
        << "told at once, before the fade ends";
    EXPECT_EQ(screen->superview(), window.get()) << "still fading";
    advance(0.5);
    EXPECT_EQ(screen->superview(), nullptr);
    EXPECT_TRUE(window->subviews().empty());
    EXPECT_EQ(events(1), std::vector<std::string> {"skip-button-clicked"});
}

TEST_F(HZExplainScreenViewTest, ReturningWithoutTheCompanionClosesTheScreenAtOnce) {
    auto screen = showScreen();
    advance(1);
    returnToGame();
    EXPECT_EQ(screen->superview(), nullptr) << "no fade";
    EXPECT_TRUE(window->subviews().empty());
    returnToGame();
    advance(0.5);
    EXPECT_EQ(service.requestCount(), 0u) << "no longer listening";
}

TEST_F(HZExplainScreenViewTest, ReturningWithTheCompanionOffersTheCheckinWhichClosesTheScreen) {
    auto screen = showScreen();
    screen->setMessage(std::nullopt);
    advance(1);
    screen->installButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(
        opened(), std::vector<std::string> {"https://store.example/us/app/howdy/id000000000?mt=8"});
    EXPECT_EQ(screen->superview(), window.get()) << "the screen stays for the return";
    installCompanion(true);
    returnToGame();
    EXPECT_TRUE(screen->howdyInstalled());
    EXPECT_TRUE(screen->installButton()->isHidden());
    EXPECT_FALSE(screen->checkinButton()->isHidden());
    EXPECT_EQ(screen->superview(), window.get());
    screen->checkinButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(opened().back(), "howdy://checkin?app_store_id=42&next=quillaby%3A%2F%2F");
    EXPECT_EQ(screen->message(), std::optional<std::string>(""));
    EXPECT_EQ(screen->superview(), nullptr);
    EXPECT_EQ(events(3),
        (std::vector<std::string> {
            "install-button-clicked", "post-install-checkin-clicked", "post-install-dialog-seen"}));
}

TEST_F(HZExplainScreenViewTest, TheScreenFollowsTheStatusBarWhenTheDeviceTurns) {
    auto screen = showScreen();
    advance(1);
    ui::Application::sharedApplication().setStatusBarOrientation(
        InterfaceOrientation::LandscapeRight);
    foundation::NotificationCenter::defaultCenter().postNotification(
        HZExplainScreenView::DeviceOrientationNotification);
    advance(0.5);
    EXPECT_EQ(screen->bounds().size, (graphics::Size {280, 460}));
    EXPECT_EQ(screen->transform(),
        graphics::AffineTransform::makeRotation(std::numbers::pi_v<float> / 2));
    EXPECT_FALSE(screen->shouldRotateToOrientation(int(InterfaceOrientation::LandscapeRight)));
    EXPECT_FALSE(screen->shouldRotateToOrientation(0));
    EXPECT_FALSE(screen->shouldRotateToOrientation(5));
    EXPECT_TRUE(screen->shouldRotateToOrientation(int(InterfaceOrientation::Portrait)));
}
