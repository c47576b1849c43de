#include <game/interface/MainMenu.hpp>

namespace game {

base::Ref<MainMenu> MainMenu::init() {
    return base::make<MainMenu>();
}

void MainMenu::start(int state) {
    state_ = state;
}

void MainMenu::update() {
}

}
