#pragma once

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <string>

namespace ui {
class ViewController;
}

namespace game {

class Interface;
class MainLayer;
class MainMenu;
class Shop;

// What the shell's program states ask of the game's other features: the objects
// each state runs (the interface, the main menu, the salon) and the progression,
// server and analytics services that the loading screen reaches. The shell goes
// through the installed instance only, so tests can put recording stand-ins in
// their place. Main thread only.
class ShellServices {
public:
    virtual ~ShellServices() = default;

    // The installed services, or the game's own.
    static ShellServices& shared();
    // Installs services that the caller keeps alive; null goes back to the game's own.
    static void setShared(ShellServices* services);

    virtual base::Ref<Interface> makeInterface(MainLayer* layer);
    virtual base::Ref<MainMenu> makeMainMenu();
    virtual base::Ref<Shop> makeShop(MainLayer* layer);

    // Asks the prize wheel whether today's bonus is due (it answers later by a
    // notification).
    virtual void checkDailyBonus();
    // True while a pony day runs and the server's directives switched pony mode on.
    virtual bool isPonyModeActive();
    // Records an analytics event with string parameters.
    virtual void logEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    // Starts the analytics session at launch.
    virtual void startSession(std::string const& applicationKey);
    // Records an error (an uncaught exception's name and call stack, say).
    virtual void logError(std::string const& name, std::string const& message);

    // The progression screens the root view controller presents; null when the
    // feature is not there (nothing is presented then).
    virtual base::Ref<ui::ViewController> makeLuckyWheelViewController();
    virtual base::Ref<ui::ViewController> makeAchievementsViewController();
    virtual base::Ref<ui::ViewController> makeDLCViewController();
    // The controller on whose view achievement banners appear (not retained).
    virtual void setParentViewControllerForAchievementMessage(ui::ViewController* controller);
};

}
