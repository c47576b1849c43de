#include <foundation/Locale.hpp>

#include <cstdlib>

namespace foundation {

std::string currentLocaleIdentifier() {
    for (char const* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        char const* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string text(value);
        text = text.substr(0, text.find_first_of(".@"));
        if (text == "C" || text == "POSIX" || text.empty())
            break;
        return text;
    }
    return "en_US";
}

LocaleCodes currentLocaleCodes() {
    auto identifier = currentLocaleIdentifier();
    auto separator = identifier.find_first_of("_-");
    LocaleCodes codes {identifier.substr(0, separator), std::nullopt};
    if (separator != std::string::npos && separator + 1 < identifier.size())
        codes.country = identifier.substr(separator + 1);
    return codes;
}

}
