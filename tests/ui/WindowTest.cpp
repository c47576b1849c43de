#include <ui/Application.hpp>
#include <ui/Touch.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using graphics::makeRect;
using graphics::Point;
using ui::TouchPhase;

namespace {

class TouchLog : public ui::View {
public:
    using View::View;

    void touchesBegan(ui::TouchSet const& touches, ui::Event*) override {
        record("began", touches);
    }
    void touchesMoved(ui::TouchSet const& touches, ui::Event*) override {
        record("moved", touches);
    }
    void touchesEnded(ui::TouchSet const& touches, ui::Event*) override {
        record("ended", touches);
    }

    struct Entry {
        std::string phase;
        Point location;
        Point previous;
        int tapCount;
    };
    std::vector<Entry> entries;

private:
    void record(std::string phase, ui::TouchSet const& touches) {
        auto touch = touches.anyObject();
        entries.push_back({phase, touch->locationInView(this), touch->previousLocationInView(this),
            touch->tapCount()});
    }

    friend base::Factory;
};

}

TEST(Window, DeliversEveryPhaseToTheViewTheFingerWentDownIn) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 480, 320));
    auto target = base::make<TouchLog>(makeRect(100, 100, 50, 50));
    auto other = base::make<TouchLog>(makeRect(300, 100, 50, 50));
    window->addSubview(target);
    window->addSubview(other);
    window->makeKeyAndVisible();

    window->injectTouch(TouchPhase::Began, {110, 120}, 2, 1.0);
    window->injectTouch(TouchPhase::Moved, {310, 120}, 2, 1.1);
    window->injectTouch(TouchPhase::Ended, {320, 130}, 2, 1.2);

    ASSERT_EQ(target->entries.size(), 3u);
    EXPECT_TRUE(other->entries.empty());
    EXPECT_EQ(target->entries[0].phase, "began");
    EXPECT_EQ(target->entries[0].location, (Point {10, 20}));
    EXPECT_EQ(target->entries[0].tapCount, 2);
    EXPECT_EQ(target->entries[1].phase, "moved");
    EXPECT_EQ(target->entries[1].location, (Point {210, 20}));
    EXPECT_EQ(target->entries[1].previous, (Point {10, 20}));
    EXPECT_EQ(target->entries[2].phase, "ended");
    EXPECT_EQ(target->entries[2].location, (Point {220, 30}));
}

TEST(Window, UnhandledTouchesTravelUpTheResponderChain) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 480, 320));
    auto container = base::make<TouchLog>(makeRect(0, 0, 200, 200));
    auto plain = ui::View::create(makeRect(10, 10, 20, 20));
    container->addSubview(plain);
    window->addSubview(container);
    window->makeKeyAndVisible();

    window->injectTouch(TouchPhase::Began, {15, 15}, 1, 0);
    window->injectTouch(TouchPhase::Ended, {15, 15}, 1, 0);
    ASSERT_EQ(container->entries.size(), 2u);
    EXPECT_EQ(container->entries[0].location, (Point {15, 15}));
}

TEST(Window, MovesWithoutAFingerDownAndTouchesOnNothingAreDropped) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 100, 100));
    auto view = base::make<TouchLog>(makeRect(0, 0, 10, 10));
    window->addSubview(view);
    window->injectTouch(TouchPhase::Moved, {5, 5}, 1, 0);
    window->injectTouch(TouchPhase::Ended, {5, 5}, 1, 0);
    window->injectTouch(TouchPhase::Began, {500, 500}, 1, 0);
    window->injectTouch(TouchPhase::Ended, {5, 5}, 1, 0);
    EXPECT_TRUE(view->entries.empty());
}

TEST(Window, AViewRemovedDuringItsTouchIsKeptAliveForTheDelivery) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 100, 100));
    struct SelfRemoving : ui::View {
        using View::View;
        void touchesBegan(ui::TouchSet const&, ui::Event*) override {
            removeFromSuperview();
            removed = true;
        }
        bool removed = false;

        friend base::Factory;
    };
    auto view = base::make<SelfRemoving>(makeRect(0, 0, 10, 10));
    window->addSubview(view);
    window->makeKeyAndVisible();
    view = nullptr;
    window->injectTouch(TouchPhase::Began, {5, 5}, 1, 0);
    window->injectTouch(TouchPhase::Ended, {5, 5}, 1, 0);
    EXPECT_TRUE(window->subviews().empty());
}

TEST(Window, AHiddenWindowTakesNoTouches) {
    ui::Application::reset();
    auto window = ui::Window::create(makeRect(0, 0, 100, 100));
    auto view = base::make<TouchLog>(makeRect(0, 0, 10, 10));
    window->addSubview(view);
    window->injectTouch(TouchPhase::Began, {5, 5}, 1, 0);
    EXPECT_TRUE(view->entries.empty());
}
