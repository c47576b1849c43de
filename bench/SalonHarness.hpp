#pragma once

// What the salon benchmarks share: a sandbox, the generated bundle, an off-screen
// surface with a window and the director attached, the manual clock installed and
// sound off; and the game-wide values a salon needs (path finder, interface,
// character lists).

#include "Compare.hpp"

#include <engine/Director.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Sandbox.hpp>
#include <game/interface/Interface.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/SoundEngine.hpp>
#include <graphics/Surface.hpp>
#include <ui/Screen.hpp>
#include <ui/Window.hpp>

#include <filesystem>
#include <string>

namespace bench {

struct SalonEnvironment {
    void setUp(foundation::ManualClock& clock, base::Ref<graphics::Surface>& surface,
        base::Ref<ui::Window>& window) {
        auto home = std::filesystem::temp_directory_path() / "quillaby-bench-salon";
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        foundation::Sandbox::setRoot(home.string());
        foundation::Bundle::setMainBundlePath(QUILLABY_BUNDLE);
        surface = graphics::Surface::createHeadless({});
        bench::require(bool(surface), "an off-screen surface");
        ui::Screen::mainScreen().setSurface(surface);
        foundation::Clock::install(&clock);
        auto bounds = ui::Screen::mainScreen().bounds();
        window = ui::Window::create(bounds);
        window->makeKeyAndVisible();
        engine::Director::sharedDirector().attachInView(window.get(), bounds);
        // Sounds are not part of the engine work measured.
        if (auto* sound = game::SoundEngine::sharedManager())
            sound->enableSound(false);
    }
};

inline void salonGlobals() {
    auto& globals = game::GameGlobals::shared();
    globals.pathFinder = game::PathFindingSystem::create();
    globals.interface = game::Interface::initWithLayer(nullptr);
    globals.customerPool = base::Dictionary::create();
    globals.petPool = base::Dictionary::create();
    int index = 0;
    for (char const* key : {"CUS001", "CUS002", "CUS003", "CUS004", "CUS005", "CUS006"})
        globals.customerPool->setObject(std::to_string(index++), key);
    index = 0;
    for (char const* key : {"DOG001", "DOG002", "CAT001", "CAT002", "BUN001"})
        globals.petPool->setObject(std::to_string(index++), key);
}

}
