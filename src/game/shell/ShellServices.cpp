#include <game/shell/ShellServices.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <foundation/Format.hpp>
#include <game/interface/Interface.hpp>
#include <game/interface/MainMenu.hpp>
#include <game/progression/AchievementSystem.hpp>
#include <game/progression/AchievementsViewController.hpp>
#include <game/progression/MyLuckyWheelViewController.hpp>
#include <game/salon/Shop.hpp>
#include <game/shell/MainLayer.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/DLCViewController.hpp>
#include <serverkit/PonyDayDirectiveHandler.hpp>
#include <serverkit/QBYConnect.hpp>
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

void ShellServices::checkDailyBonus() {
    MyLuckyWheelViewController::checkDailyBonus();
}

// Pony mode needs both the running day and the switch of the last directives reply
// of this run of the application.
bool ShellServices::isPonyModeActive() {
    if (!serverkit::PonyDayDirectiveHandler::isPonyModeActive())
        return false;
    auto entry = serverkit::QBYConnect::sharedManager().objectForKey(
        serverkit::QBYKeys::CheckDirectivesDataStore);
    auto const* directives = entry.dictionary();
    return directives && directives->objectForKey("ponymode").boolValue();
}

void ShellServices::logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) {
    analytics::KestrelAnalytics::logEvent(name, std::move(parameters));
}

// The agent is given what the shell owns: the report host from the configuration
// (none by default, and then nothing is sent) and the installation's identifier.
void ShellServices::startSession(std::string const& applicationKey) {
    analytics::KestrelAnalytics::setReportHost(ServerConfig::analyticsHost());
    analytics::KestrelAnalytics::setDeviceIdentifier(Utilities::getUDID());
    analytics::KestrelAnalytics::startSession(applicationKey);
}

void ShellServices::logError(std::string const& name, std::string const& message) {
    foundation::log("%@: %@", name, message);
    analytics::KestrelAnalytics::logError(name, message, std::optional<std::string>());
}

base::Ref<ui::ViewController> ShellServices::makeLuckyWheelViewController() {
    return MyLuckyWheelViewController::create();
}

base::Ref<ui::ViewController> ShellServices::makeAchievementsViewController() {
    return AchievementsViewController::create();
}

base::Ref<ui::ViewController> ShellServices::makeDLCViewController() {
    return DLCViewController::create();
}

// Makes the achievement book on first use, so that it registers with the game
// service and shows its banners over controller's view from now on.
void ShellServices::setParentViewControllerForAchievementMessage(ui::ViewController* controller) {
    AchievementSystem::sharedManager().setParentViewControllerForAchievementMessage(controller);
}

}
