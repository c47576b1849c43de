#pragma once

#include <base/Ref.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Application.hpp>
#include <ui/Touch.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// A test of the controllers and composite views: a manual clock, an empty main
// run loop and notification centre, a fresh application with a visible 480 x 320
// key window, and helpers to tap and drag with a scripted finger.
class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() {
        clear();
        window = ui::Window::create(graphics::makeRect(0, 0, 480, 320));
        window->makeKeyAndVisible();
    }
    ~ControllerTest() override {
        window = nullptr;
        clear();
    }

    foundation::RunLoop& loop() { return foundation::RunLoop::main(); }
    // Lets seconds pass on the run loop, firing what falls due.
    void run(double seconds) { loop().runFor(seconds); }

    // The centre of view in window coordinates.
    static graphics::Point centreOf(ui::View const* view) {
        auto bounds = view->bounds();
        return view->convertPointToView({bounds.midX(), bounds.midY()}, nullptr);
    }
    void tapAt(graphics::Point point) {
        window->injectTouch(ui::TouchPhase::Began, point, 1, time_);
        window->injectTouch(ui::TouchPhase::Ended, point, 1, time_ += 0.05);
        time_ += 0.5;
    }
    void tap(ui::View const* view) { tapAt(centreOf(view)); }
    // A finger going down at from and moving to to in steps, then lifting.
    void drag(graphics::Point from, graphics::Point to, int steps = 10, double stepTime = 0.016) {
        window->injectTouch(ui::TouchPhase::Began, from, 1, time_);
        for (int i = 1; i <= steps; ++i) {
            float t = float(i) / float(steps);
            graphics::Point at {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t};
            window->injectTouch(ui::TouchPhase::Moved, at, 1, time_ += stepTime);
        }
        window->injectTouch(ui::TouchPhase::Ended, to, 1, time_ += stepTime);
        time_ += 0.5;
    }

    foundation::ScopedManualClock clock;
    base::Ref<ui::Window> window;

private:
    static void clear() {
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
        ui::Application::reset();
    }

    double time_ {100};
};

// Writes down the calls that controllers and delegates receive, in order.
struct Journal {
    std::vector<std::string> entries;

    void add(std::string entry) { entries.push_back(std::move(entry)); }
    // The entries so far, emptying the journal.
    std::vector<std::string> take() { return std::exchange(entries, {}); }
};

// A controller that writes its life into a journal as "name.call" (with "+" after
// appearance calls that are animated).
class RecordingController : public ui::ViewController {
public:
    void viewDidLoad() override { note("viewDidLoad"); }
    void viewDidUnload() override { note("viewDidUnload"); }
    void viewWillAppear(bool animated) override { note("viewWillAppear", animated); }
    void viewDidAppear(bool animated) override { note("viewDidAppear", animated); }
    void viewWillDisappear(bool animated) override { note("viewWillDisappear", animated); }
    void viewDidDisappear(bool animated) override { note("viewDidDisappear", animated); }

    std::string const& name() const { return name_; }

protected:
    void note(std::string call, bool animated = false) {
        journal_.add(name_ + "." + call + (animated ? "+" : ""));
    }

private:
    std::string name_;
    Journal& journal_;

protected:
    friend base::Factory;

    RecordingController(std::string name, Journal& journal)
        : name_(std::move(name))
        , journal_(journal) { }
};

}
