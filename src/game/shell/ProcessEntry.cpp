#include <game/shell/ProcessEntry.hpp>

#include <foundation/Format.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/QuillabyAppDelegate.hpp>
#include <ui/ApplicationRunner.hpp>

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

int ProcessEntry::main(int argc, char** argv) {
    applyUserPreferences();
    // Alerts appear as alert views in the window from here on.
    AlertPresenter::setShared(&AlertPresenter::viewPresenter());
    // The game server client gets the hosts, the installation and the data folder
    // before the application starts.
    GameServerConnection server;
    server.setUp(GameServerConnection::configurationForInstallation());
    QuillabyAppDelegate delegate;
    int status = ui::ApplicationRunner::main(argc, argv, delegate);
    AlertPresenter::setShared(nullptr);
    return status;
}

}
