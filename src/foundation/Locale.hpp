#pragma once

#include <optional>
#include <string>

namespace foundation {

// The user's locale as the environment names it: the first of LC_ALL, LC_MESSAGES
// and LANG that is set, without its encoding or modifier ("fr_CA" from
// "fr_CA.UTF-8@euro"). The C and POSIX locales read as "en_US".
std::string currentLocaleIdentifier();

// The current locale's language and country codes ("fr" and "CA"); a locale that
// names no country ("fr") has none.
struct LocaleCodes {
    std::string language;
    std::optional<std::string> country;
};
LocaleCodes currentLocaleCodes();

}
