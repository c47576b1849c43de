#include <game/shell/ShellServices.hpp>

#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/MainLayer.hpp>

namespace game {

namespace {

ShellServices gameServices;
ShellServices* installed = nullptr;

}

ShellServices& ShellServices::shared() {
    return installed ? *installed : gameServices;
}

void ShellServices::setShared(ShellServices* services) {
    installed = services;
}

base::Ref<Interface> ShellServices::makeInterface(MainLayer* layer) {
    return Interface::initWithLayer(layer);
}

base::Ref<MainMenu> ShellServices::makeMainMenu() {
    return MainMenu::init();
}

base::Ref<Shop> ShellServices::makeShop(MainLayer* layer) {
    return Shop::initWithLayer(layer);
}

// The prize wheel, the server's directives and the analytics agent are not part
// of the game yet: no bonus is checked, no pony day runs and nothing is recorded.
void ShellServices::checkDailyBonus() {
}

bool ShellServices::isPonyModeActive() {
    return false;
}

void ShellServices::logEvent(std::string const&, base::Ref<base::Dictionary>) {
}

}
