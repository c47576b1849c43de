#pragma once

#include <base/Ref.hpp>
#include <foundation/Bundle.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ttf {

// The language the player chose for the game's texts, as a folder of the application bundle.
// The choice lives in the user defaults under "UserLangPreference": "sys_default" follows the
// system's first preferred language ("AppleLanguages"), any other value is a language code.
// The code "en" selects the folder "English.lproj", any other code "<code>.lproj"; a code
// without a folder leaves the application bundle itself selected, whose lookups then follow
// "AppleLanguages" with English behind.
//
// Class operations over one class-wide selection, made on first use by initialize(), which
// runs once before any other operation. Main thread (launch and view appearance).
class Language {
public:
    // Selects the first language of "AppleLanguages".
    static void initialize();
    // Selects what "UserLangPreference" asks for.
    static void initPreferredLanguage();
    // Logs "Setting Preferred Language: <code>" and selects that code's folder, or the
    // application bundle when it has none (or no code is given).
    static void setLanguage(std::optional<std::string> const& code);
    // The text for key in the selected bundle's default string table; value when it has none
    // (the key itself when value is empty).
    static std::string get(std::string_view key, std::string_view value);

    // The bundle lookups use now.
    static base::Ref<foundation::Bundle> selectedBundle();
    // Forgets the selection, so the next operation initializes again (tests).
    static void reset();

private:
    static void initializeOnce();
};

}
