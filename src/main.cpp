// The program: the application shell's delegate puts the scene engine's drawing surface in a
// window of the screen's size and runs the game's main scene on it, which shows the loading
// screen and then the main-menu state. The process entry, the root view controller and the
// game's screens take their places here as they come.

#include <engine/Director.hpp>
#include <game/salon/SalonDayStart.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/MainScene.hpp>
#include <game/shell/RootViewController.hpp>
#include <ui/Application.hpp>
#include <ui/ApplicationRunner.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <optional>
#include <vector>

namespace {

class QuillabyDelegate final : public ui::ApplicationDelegate {
public:
    // Scripted runs: "--salon-day[=LEVEL]" starts straight in a salon day.
    std::optional<int> salonDayLevel;
    bool salonDay {false};

    void applicationDidFinishLaunching(ui::Application& application) override {
        application.setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
        auto bounds = ui::Screen::mainScreen().bounds();
        window_ = ui::Window::create(bounds);
        rootViewController_ = game::RootViewController::create();
        window_->makeKeyAndVisible();
        auto& director = engine::Director::sharedDirector();
        director.setDisplayFPS(false);
        director.setAnimationInterval(1.0 / 60);
        director.attachInView(window_.get(), bounds);
        director.runWithScene(game::MainScene::node());
        if (salonDay)
            game::SalonDayStart::start(salonDayLevel);
        if (auto& mainLayer = game::GameGlobals::shared().mainLayer)
            mainLayer->setPRootViewController(rootViewController_.get());
    }

    void applicationWillResignActive(ui::Application&) override {
        engine::Director::sharedDirector().pause();
    }

    void applicationDidBecomeActive(ui::Application&) override {
        engine::Director::sharedDirector().resume();
    }

    void applicationWillTerminate(ui::Application&) override {
        engine::Director::sharedDirector().end();
        // The game's objects go while the engine they draw with is still there.
        game::GameGlobals::reset();
    }

private:
    base::Ref<ui::Window> window_;
    base::Ref<game::RootViewController> rootViewController_;
};

}

int main(int argc, char** argv) {
    QuillabyDelegate delegate;
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && game::SalonDayStart::parseArgument(argv[i], delegate.salonDayLevel))
            delegate.salonDay = true;
        else
            arguments.push_back(argv[i]);
    }
    return ui::ApplicationRunner::main(int(arguments.size()), arguments.data(), delegate);
}
