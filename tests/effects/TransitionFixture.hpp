#pragma once

#include <engine/ActionManager.hpp>
#include <engine/Director.hpp>
#include <engine/EAGLView.hpp>
#include <engine/Layer.hpp>
#include <engine/Scene.hpp>
#include <engine/Scheduler.hpp>
#include <engine/TouchDispatcher.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Random.hpp>
#include <foundation/RunLoop.hpp>
#include <graphics/Image.hpp>
#include <ui/Application.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// What scenes report, in order.
struct Journal {
    std::vector<std::string> entries;

    void add(std::string entry) { entries.push_back(std::move(entry)); }
    std::vector<std::string> take() { return std::exchange(entries, {}); }
};

// A scene that writes its life cycle into a journal and shows a pattern of coloured
// rectangles: a cols x rows checkerboard of two colours.
class PatternScene final : public engine::Scene {
public:
    static base::Ref<PatternScene> create(std::string name, Journal& journal, engine::Color4B one,
        engine::Color4B two, int cols = 4, int rows = 3) {
        return base::make<PatternScene>(std::move(name), journal, one, two, cols, rows);
    }

    void onEnter() override {
        journal_.add("enter " + name_);
        Scene::onEnter();
    }
    void onEnterTransitionDidFinish() override {
        journal_.add("finish " + name_);
        Scene::onEnterTransitionDidFinish();
    }
    void onExit() override {
        journal_.add("exit " + name_);
        Scene::onExit();
    }

private:
    friend base::Factory;

    PatternScene(std::string name, Journal& journal, engine::Color4B one, engine::Color4B two,
        int cols, int rows)
        : name_(std::move(name))
        , journal_(journal) {
        engine::Size size = contentSize();
        float w = size.width / float(cols), h = size.height / float(rows);
        for (int i = 0; i < cols; ++i) {
            for (int j = 0; j < rows; ++j) {
                auto cell = engine::ColorLayer::layerWithColor((i + j) % 2 ? two : one, w, h);
                cell->setPosition({float(i) * w, float(j) * h});
                addChild(cell);
            }
        }
    }

    std::string name_;
    Journal& journal_;
};

// A manual clock, a window of the given size in points, an RGBA8888 director attached to it
// and fresh engine singletons; frames run by stepping the main run loop 1/60 s at a time.
class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override {
        reset();
        window = nullptr;
    }

    static void reset() {
        engine::Director::purgeSharedDirector();
        engine::ActionManager::purgeSharedManager();
        engine::Scheduler::purgeSharedScheduler();
        auto& dispatcher = engine::TouchDispatcher::sharedDispatcher();
        dispatcher.removeAllDelegates();
        dispatcher.setDispatchEvents(true);
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Screen::reset();
        foundation::srand(1);
    }

    engine::Director& attached(float width, float height) {
        window = ui::Window::create(engine::makeRect(0, 0, width, height));
        auto& director = engine::Director::sharedDirector();
        director.setPixelFormat(engine::PixelFormatRGBA8888);
        director.attachInView(window.get(), engine::makeRect(0, 0, width, height));
        return director;
    }

    static void frame(int count = 1) {
        for (int i = 0; i < count; ++i)
            foundation::RunLoop::main().runFor(1.0 / 60);
    }

    static graphics::Image screen() {
        auto* view = engine::Director::sharedDirector().openGLView();
        view->setCurrentContext();
        auto image = view->drawable()->readPixels();
        return image ? *image : graphics::Image();
    }

    // (x, y) from the bottom-left, the engine's way up.
    static graphics::Rgba pixel(int x, int y) {
        auto* view = engine::Director::sharedDirector().openGLView();
        view->setCurrentContext();
        auto image = view->drawable()->readPixels(x, y, 1, 1);
        return image ? image->pixel(0, 0) : graphics::Rgba {};
    }

    foundation::ScopedManualClock clock;
    base::Ref<ui::Window> window;
    Journal journal;
};

}
