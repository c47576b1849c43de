#include <graphics/StringDrawing.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/SegmentedControl.hpp>
#include <ui/Switch.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using graphics::makeRect;
using graphics::Point;
using ui::Button;
using ui::Control;
using ui::TouchPhase;
using ui::ControlState::Disabled;
using ui::ControlState::Highlighted;
using ui::ControlState::Normal;
using ui::ControlState::Selected;
namespace Events = ui::ControlEvents;

namespace {

// A target that writes down the actions it gets, with the control's highlight at the time.
class Recorder : public base::Object {
public:
    std::vector<std::string> log;

    Control::Action note(std::string name) {
        return [this, name](Control& sender, ui::Event*) {
            log.push_back(name + (sender.isHighlighted() ? "+" : ""));
        };
    }

    void listenTo(Control& control) {
        control.addTarget(this, note("down"), Events::TouchDown);
        control.addTarget(this, note("repeat"), Events::TouchDownRepeat);
        control.addTarget(this, note("upInside"), Events::TouchUpInside);
        control.addTarget(this, note("upOutside"), Events::TouchUpOutside);
        control.addTarget(this, note("enter"), Events::TouchDragEnter);
        control.addTarget(this, note("exit"), Events::TouchDragExit);
        control.addTarget(this, note("changed"), Events::ValueChanged);
        control.addTarget(this, note("cancel"), Events::TouchCancel);
    }

protected:
    friend base::Factory;

    Recorder() = default;
};

// A shown window with one control at (100, 100), 80 x 40, touched through the window.
class Touching : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Application::reset();
        window = ui::Window::create(makeRect(0, 0, 480, 320));
        window->makeKeyAndVisible();
    }

    void put(base::Ref<Control> control) {
        control->setFrame(makeRect(100, 100, 80, 40));
        window->addSubview(control);
    }

    void touch(TouchPhase phase, Point at, int taps = 1) {
        time += 0.1;
        window->injectTouch(phase, at, taps, time);
    }

    void tap(Point at, int taps = 1) {
        touch(TouchPhase::Began, at, taps);
        touch(TouchPhase::Ended, at, taps);
    }

    base::Ref<ui::Window> window;
    double time {0};
};

}

TEST_F(Touching, AButtonSendsDownAndUpInsideForATap) {
    auto button = Button::buttonWithType(ui::ButtonType::RoundedRect);
    put(button);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*button);

    touch(TouchPhase::Began, {120, 120});
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_TRUE(button->isTracking());
    touch(TouchPhase::Ended, {125, 125});
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_FALSE(button->isTracking());
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"down+", "upInside"}));
}

TEST_F(Touching, DraggingOutKeepsTheHighlightOnlyWhileInsideAndLiftingOutsideIsUpOutside) {
    auto button = Button::create();
    put(button);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*button);

    touch(TouchPhase::Began, {120, 120});
    touch(TouchPhase::Moved, {300, 120});
    EXPECT_FALSE(button->isHighlighted());
    touch(TouchPhase::Moved, {130, 130});
    EXPECT_TRUE(button->isHighlighted());
    touch(TouchPhase::Moved, {130, 300});
    touch(TouchPhase::Ended, {130, 300});
    EXPECT_EQ(
        recorder->log, (std::vector<std::string> {"down+", "exit", "enter+", "exit", "upOutside"}));
}

TEST_F(Touching, ASecondTapAlsoSendsDownRepeat) {
    auto button = Button::create();
    put(button);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*button);
    tap({120, 120}, 2);
    // One action per registration, in the order they were added.
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"down+", "repeat+", "upInside"}));
}

TEST_F(Touching, ADisabledControlSwallowsTouchesAndSendsNothing) {
    auto button = Button::create();
    put(button);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*button);
    button->setEnabled(false);
    tap({120, 120});
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_FALSE(button->isHighlighted());
    EXPECT_EQ(button->state(), Disabled);
}

TEST_F(Touching, TargetsAreNotRetainedAndADeadTargetIsSkipped) {
    auto button = Button::create();
    put(button);
    std::vector<std::string> untargeted;
    button->addTarget(
        nullptr, [&](Control&, ui::Event*) { untargeted.push_back("tap"); }, Events::TouchUpInside);
    auto recorder = base::make<Recorder>();
    int before = recorder->retainCount();
    recorder->listenTo(*button);
    EXPECT_EQ(recorder->retainCount(), before);
    EXPECT_EQ(button->allTargets(), (std::vector<base::Object*> {recorder.get()}));
    recorder = nullptr;
    tap({120, 120});
    EXPECT_EQ(untargeted, (std::vector<std::string> {"tap"}));
    EXPECT_TRUE(button->allTargets().empty());
}

TEST_F(Touching, RemovingATargetStopsThoseEventsOnly) {
    auto button = Button::create();
    put(button);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*button);
    button->removeTarget(recorder.get(), Events::TouchDown | Events::TouchUpInside);
    tap({120, 120});
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_EQ(button->allControlEvents() & (Events::TouchDown | Events::TouchUpInside), 0u);
    EXPECT_NE(button->allControlEvents() & Events::TouchUpOutside, 0u);
    button->removeTarget(nullptr, Events::AllEvents);
    EXPECT_EQ(button->allControlEvents(), 0u);
}

TEST_F(Touching, AnActionMayTakeItsButtonOffTheScreen) {
    auto button = Button::create();
    put(button);
    Button* raw = button.get();
    int taps = 0;
    button->addTarget(
        nullptr,
        [&](Control& sender, ui::Event*) {
            ++taps;
            sender.removeFromSuperview();
        },
        Events::TouchUpInside);
    button = nullptr;
    tap({120, 120});
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(window->subviews().empty());
    (void)raw;
}

TEST_F(Touching, SendActionsForControlEventsCallsEachMatchingActionOnce) {
    auto button = Button::create();
    auto recorder = base::make<Recorder>();
    button->addTarget(
        recorder.get(), recorder->note("both"), Events::TouchDown | Events::TouchUpInside);
    button->addTarget(recorder.get(), recorder->note("other"), Events::ValueChanged);
    button->sendActionsForControlEvents(Events::TouchDown | Events::TouchUpInside);
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"both"}));
}

TEST_F(Touching, ASwitchFlipsOnATapAndSaysSoBeforeTheTouchUp) {
    auto toggle = ui::Switch::create(makeRect(0, 0, 10, 10));
    EXPECT_EQ(toggle->frame().size, ui::Switch::fixedSize);
    put(toggle);
    toggle->setFrame({{100, 100}, ui::Switch::fixedSize});
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*toggle);
    tap({110, 110});
    EXPECT_TRUE(toggle->isOn());
    EXPECT_EQ(recorder->log, (std::vector<std::string> {"down+", "changed", "upInside"}));
    // A touch that lifts outside leaves it as it is.
    touch(TouchPhase::Began, {110, 110});
    touch(TouchPhase::Ended, {400, 300});
    EXPECT_TRUE(toggle->isOn());
    toggle->setOn(false);
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "changed"), 1);
}

TEST_F(Touching, ASegmentedControlSelectsTheSegmentUnderTheFinger) {
    auto segments = ui::SegmentedControl::create({"One", "Two", "Three", "Four"});
    put(segments);
    segments->setEnabled(false, 3);
    auto recorder = base::make<Recorder>();
    recorder->listenTo(*segments);
    EXPECT_EQ(segments->selectedSegmentIndex(), ui::SegmentedControl::noSegment);

    tap({145, 120});
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "changed"), 1);
    tap({145, 120});
    EXPECT_EQ(std::count(recorder->log.begin(), recorder->log.end(), "changed"), 1);
    tap({175, 120});
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);

    segments->removeSegmentAtIndex(0);
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    EXPECT_EQ(segments->titleForSegmentAtIndex(1), "Three");
    segments->setSelectedSegmentIndex(7);
    EXPECT_EQ(segments->selectedSegmentIndex(), ui::SegmentedControl::noSegment);
}

TEST(Button, AStateWithoutAValueOfItsOwnUsesTheNormalOne) {
    auto button = Button::create();
    button->setTitle("Buy", Normal);
    button->setTitle("Buying", Highlighted);
    button->setTitle("Owned", Selected);
    button->setTitleColor(ui::Color::redColor(), Normal);

    struct Case {
        char const* what;
        bool highlighted, selected, enabled;
        char const* title;
    };
    Case const cases[] = {
        {"normal", false, false, true, "Buy"},
        {"highlighted", true, false, true, "Buying"},
        {"selected", false, true, true, "Owned"},
        {"selected and highlighted falls back to selected", true, true, true, "Owned"},
        {"disabled falls back to normal", false, false, false, "Buy"},
    };
    for (auto const& c : cases) {
        button->setEnabled(c.enabled);
        button->setHighlighted(c.highlighted);
        button->setSelected(c.selected);
        EXPECT_EQ(button->currentTitle(), c.title) << c.what;
        EXPECT_EQ(button->titleLabel()->text(), c.title) << c.what;
        EXPECT_EQ(button->currentTitleColor(), ui::Color::redColor()) << c.what;
    }
    EXPECT_EQ(button->titleForState(Disabled), "Buy");
}

TEST(Button, ImagesFollowTheStateAndPressedImagesDarken) {
    auto normal = ui::Image::imageWithBitmap(graphics::Image(20, 10));
    auto pressed = ui::Image::imageWithBitmap(graphics::Image(20, 10));
    auto button = Button::create(makeRect(0, 0, 100, 40));
    button->setImage(normal, Normal);
    EXPECT_EQ(button->imageView()->image(), normal.get());
    button->setHighlighted(true);
    EXPECT_EQ(button->imageView()->image(), normal.get());
    EXPECT_FALSE(button->imageView()->imageOverlay().isClear());
    button->setImage(pressed, Highlighted);
    EXPECT_EQ(button->imageView()->image(), pressed.get());
    EXPECT_TRUE(button->imageView()->imageOverlay().isClear());
    button->setBackgroundImage(normal, Normal);
    EXPECT_EQ(button->backgroundImageForState(Selected), normal.get());
}

TEST(Button, ImageAndTitleSitSideBySideInTheMiddleOfTheInsetBounds) {
    auto button = Button::create(makeRect(0, 0, 200, 60));
    button->setImage(ui::Image::imageWithBitmap(graphics::Image(20, 10)), Normal);
    button->setTitle("Play", Normal);
    button->layoutIfNeeded();
    auto image = button->imageView()->frame();
    auto title = button->titleLabel()->frame();
    float titleWidth = graphics::sizeWithFont("Play", *button->titleLabel()->font()).width;
    EXPECT_FLOAT_EQ(title.size.width, titleWidth);
    EXPECT_FLOAT_EQ(image.origin.x, 100 - (20 + titleWidth) / 2);
    EXPECT_FLOAT_EQ(title.origin.x, image.maxX());
    EXPECT_FLOAT_EQ(image.midY(), 30);
    EXPECT_FLOAT_EQ(title.midY(), 30);

    button->setContentEdgeInsets({0, 40, 0, 0});
    button->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
    button->layoutIfNeeded();
    EXPECT_FLOAT_EQ(button->imageView()->frame().origin.x, 40);

    auto fits = button->sizeThatFits({});
    EXPECT_FLOAT_EQ(fits.width, 40 + 20 + titleWidth);
    // The title and image take no touches: the button does.
    EXPECT_FALSE(button->titleLabel()->isUserInteractionEnabled());
    EXPECT_FALSE(button->imageView()->isUserInteractionEnabled());
}
