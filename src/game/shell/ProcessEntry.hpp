#pragma once

namespace game {

// The process entry: applies the player's language choice, then hands control to
// the application runner with the application delegate. The command line is read
// by the runner alone.
class ProcessEntry {
public:
    ProcessEntry() = delete;

    static int main(int argc, char** argv);

    // "UserLangPreference": "sys_default" removes "AppleLanguages" from the user
    // defaults, any other value makes it the only element of "AppleLanguages".
    // "UserThemePreference" is only logged.
    static void applyUserPreferences();
    // QUILLABY_NETWORK=online or offline forces the network's state for the run.
    static void applyNetworkOverride();
};

}
