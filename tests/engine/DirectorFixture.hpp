#pragma once

#include <engine/ActionManager.hpp>
#include <engine/Director.hpp>
#include <engine/EAGLView.hpp>
#include <engine/Scene.hpp>
#include <engine/Scheduler.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace test {

// What scenes report, in order.
struct Journal {
    std::vector<std::string> entries;

    void add(std::string entry) { entries.push_back(std::move(entry)); }
    // The entries since the last take.
    std::vector<std::string> take() { return std::exchange(entries, {}); }
};

// A scene (or transition) that writes its life cycle, its drawing and its scheduled
// selector's calls into a journal.
template<typename Base> class Logged : public Base {
public:
    void onEnter() override {
        journal_.add("enter " + name_);
        Base::onEnter();
    }
    void onEnterTransitionDidFinish() override {
        journal_.add("finish " + name_);
        Base::onEnterTransitionDidFinish();
    }
    void onExit() override {
        journal_.add("exit " + name_);
        Base::onExit();
    }
    void draw() override { journal_.add("draw " + name_); }

    void tick(float dt) {
        journal_.add("tick " + name_);
        ticks.push_back(dt);
        if (onTick)
            onTick(dt);
    }

    std::vector<float> ticks;
    std::function<void(float)> onTick;

private:
    friend base::Factory;

    Logged(std::string name, Journal& journal)
        : name_(std::move(name))
        , journal_(journal) {
        this->schedule(engine::Selector::make(&Logged::tick, this));
    }

    std::string name_;
    Journal& journal_;
};

using LoggedScene = Logged<engine::Scene>;
using LoggedTransition = Logged<engine::TransitionScene>;

// A manual clock, a window of 480 x 320 points and fresh engine singletons for every test;
// frames run by stepping the main run loop 1/60 s at a time.
class DirectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset();
        window = ui::Window::create(engine::makeRect(0, 0, 480, 320));
    }
    void TearDown() override {
        window = nullptr;
        reset();
    }

    static void reset() {
        engine::Director::purgeSharedDirector();
        engine::Director::setFPSTextDrawer(nullptr);
        engine::Director::setTextureCachePurger(nullptr);
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
        auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
        dispatcher.removeAllDelegates();
        dispatcher.setDispatchEvents(true);
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Screen::reset();
    }

    // The shared director attached to the window, with the given formats set first.
    engine::Director& attached(
        int pixelFormat = engine::PixelFormatRGB565, int depthFormat = engine::DepthBufferNone) {
        auto& director = engine::Director::sharedDirector();
        director.setPixelFormat(pixelFormat);
        director.setDepthBufferFormat(depthFormat);
        director.attachInView(window.get(), engine::makeRect(0, 0, 480, 320));
        return director;
    }

    // Runs the main loop for one frame period (and more frames if the interval is shorter).
    static void frame(int count = 1) {
        for (int i = 0; i < count; ++i)
            foundation::RunLoop::main().runFor(1.0 / 60);
    }

    static std::uint64_t presented() {
        auto* view = engine::Director::sharedDirector().openGLView();
        return view ? view->drawable()->presentedFrames() : 0;
    }

    foundation::ScopedManualClock clock;
    base::Ref<ui::Window> window;
};

}
