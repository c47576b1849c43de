#include <game/shell/ShellServices.hpp>

#include <foundation/Format.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/MainLayer.hpp>
#include <ui/ViewController.hpp>

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

// The prize wheel, the achievements, the downloadable content, the server's
// directives and the analytics agent are not part of the game yet: no bonus is
// checked, no screen is made, no pony day runs, and only errors are logged.
void ShellServices::checkDailyBonus() {
}

bool ShellServices::isPonyModeActive() {
    return false;
}

void ShellServices::logEvent(std::string const&, base::Ref<base::Dictionary>) {
}

void ShellServices::startSession(std::string const&) {
}

void ShellServices::logError(std::string const& name, std::string const& message) {
    foundation::log("%@: %@", name, message);
}

base::Ref<ui::ViewController> ShellServices::makeLuckyWheelViewController() {
    return nullptr;
}

base::Ref<ui::ViewController> ShellServices::makeAchievementsViewController() {
    return nullptr;
}

base::Ref<ui::ViewController> ShellServices::makeDLCViewController() {
    return nullptr;
}

void ShellServices::setParentViewControllerForAchievementMessage(ui::ViewController*) {
}

}
