#include <game/shell/GameGlobals.hpp>

namespace game {

namespace {

GameGlobals globals;

}

GameGlobals& GameGlobals::shared() {
    return globals;
}

void GameGlobals::reset() {
    globals = GameGlobals();
}

}
