#include <ttf/Language.hpp>

#include <base/Log.hpp>
#include <foundation/UserDefaults.hpp>

namespace ttf {

namespace {

struct Selection {
    bool initialized {false};
    base::Ref<foundation::Bundle> bundle;
};

Selection& selection() {
    static Selection selection;
    return selection;
}

}

void Language::initializeOnce() {
    if (selection().initialized)
        return;
    selection().initialized = true;
    initialize();
}

void Language::initialize() {
    selection().initialized = true;
    std::optional<std::string> first;
    auto languages
        = foundation::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages");
    if (languages && !languages->empty())
        first = languages->front();
    setLanguage(first);
}

void Language::initPreferredLanguage() {
    initializeOnce();
    auto preference
        = foundation::UserDefaults::standardUserDefaults().stringForKey("UserLangPreference");
    if (preference == "sys_default")
        initialize();
    else
        setLanguage(preference);
}

void Language::setLanguage(std::optional<std::string> const& code) {
    initializeOnce();
    base::logLine("Setting Preferred Language: " + code.value_or("(null)"));
    auto& main = foundation::Bundle::mainBundle();
    std::optional<std::string> folder;
    if (code)
        folder = main.pathForResource(*code == "en" ? "English" : *code, "lproj");
    selection().bundle = folder ? foundation::Bundle::bundleWithPath(*folder)
                                : base::Ref<foundation::Bundle>(&main);
}

std::string Language::get(std::string_view key, std::string_view value) {
    return selectedBundle()->localizedString(key, value);
}

base::Ref<foundation::Bundle> Language::selectedBundle() {
    initializeOnce();
    return selection().bundle;
}

void Language::reset() {
    selection() = {};
}

}
