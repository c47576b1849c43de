#pragma once

#include <string>
#include <string_view>

namespace game {

// The player's theme choice and the themed variants of property lists: "B.E"
// themed for T is "B_T.E", used when the bundle holds that variant as a
// dictionary. The choice is the user default "UserThemePreference", set outside
// the game; absent or "default" is the default theme, which looks its variants
// up under the name "Christmas". Never instantiated; main thread only.
class Theme {
public:
    Theme() = delete;

    static constexpr char const* settingKey = "UserThemePreference";
    static constexpr char const* defaultSetting = "default";
    static constexpr char const* defaultThemeName = "Christmas";

    // The stored choice, or "default".
    static std::string getThemeSetting();
    // The themed variant of a resource name with extension when the bundle holds
    // it as a dictionary list, else the name unchanged. Images and array lists
    // therefore always come back under their plain names.
    static std::string getThemeFile(std::string_view name);
    // The "ThemeName" of a character's entry in the themed character list, or
    // the key itself when there is no such entry or name.
    static std::string getThemeCharacter(std::string_view key);
};

}
