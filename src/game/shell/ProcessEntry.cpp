#include <game/shell/ProcessEntry.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/QuillabyAppDelegate.hpp>
#include <game/store/PaymentConfirmation.hpp>
#include <ui/Application.hpp>
#include <ui/ApplicationRunner.hpp>

#include <cstdlib>
#include <string_view>

namespace game {

namespace {

std::string describeLanguages(foundation::UserDefaults const& defaults) {
    auto languages = defaults.stringArrayForKey("AppleLanguages");
    std::string text = "(";
    if (languages) {
        for (std::size_t i = 0; i < languages->size(); ++i)
            text += (i ? ", " : "") + (*languages)[i];
    }
    return text + ")";
}

}

void ProcessEntry::applyUserPreferences() {
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    if (auto language = defaults.stringForKey("UserLangPreference")) {
        if (*language == "sys_default") {
            defaults.removeObjectForKey("AppleLanguages");
            foundation::log("Restore languages to:%@", describeLanguages(defaults));
        } else {
            foundation::log("User Language Preference:%@", *language);
            auto languages = base::Array::create();
            languages->add(*language);
            defaults.setObject(base::Value(languages), "AppleLanguages");
        }
    }
    if (auto theme = defaults.stringForKey("UserThemePreference"))
        foundation::log("User Theme Preference:%@", *theme);
}

// Scripted plays choose the network's state with QUILLABY_NETWORK ("online" or
// "offline"), so that what the game sends (to the local game service, say) does not
// depend on the machine's routes; anything else leaves the real state.
void ProcessEntry::applyNetworkOverride() {
    char const* value = std::getenv("QUILLABY_NETWORK");
    std::string_view chosen = value ? value : "";
    if (chosen == "online")
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::ReachableViaWiFi);
    else if (chosen == "offline")
        foundation::Reachability::setForcedStatus(
            foundation::Reachability::NetworkStatus::NotReachable);
}

int ProcessEntry::main(int argc, char** argv) {
    applyUserPreferences();
    applyNetworkOverride();
    // Alerts appear as alert views in the window from here on.
    AlertPresenter::setShared(&AlertPresenter::viewPresenter());
    // The game server client gets the hosts, the installation and the data folder
    // before the application starts.
    GameServerConnection server;
    server.setUp(GameServerConnection::configurationForInstallation());
    // The player confirms each payment in an alert, once the store exists.
    auto confirmPayments = foundation::NotificationCenter::defaultCenter().observe(
        ui::Application::DidFinishLaunchingNotification,
        [](foundation::Notification const&) { PaymentConfirmation::install(); });
    QuillabyAppDelegate delegate;
    int status = ui::ApplicationRunner::main(argc, argv, delegate);
    confirmPayments.cancel();
    PaymentConfirmation::uninstall();
    AlertPresenter::setShared(nullptr);
    return status;
}

}
