#include <game/shell/GameGlobals.hpp>

#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/salon/PathFindingSystem.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/LoadingLayer.hpp>
#include <game/shell/MainLayer.hpp>
#include <ui/TextField.hpp>

namespace game {

namespace {

// Holds a value that is never destroyed: the nodes the block may still hold when
// the process exits would otherwise be released after the engine's singletons.
template<typename T> union NoDestructor {
    NoDestructor()
        : value() { }
    ~NoDestructor() { }
    T value;
};

}

GameGlobals::GameGlobals() = default;
GameGlobals::~GameGlobals() = default;
GameGlobals::GameGlobals(GameGlobals&&) noexcept = default;
GameGlobals& GameGlobals::operator=(GameGlobals&&) noexcept = default;

GameGlobals& GameGlobals::shared() {
    static NoDestructor<GameGlobals> storage;
    return storage.value;
}

void GameGlobals::reset() {
    // Moved out first, so that an object released here that reads the block as
    // it goes finds the start values.
    GameGlobals old = std::move(shared());
    shared() = GameGlobals();
}

}
