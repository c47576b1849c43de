#include <game/shell/Theme.hpp>

#include <foundation/Format.hpp>
#include <foundation/Paths.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/ResourceLookup.hpp>

namespace game {

std::string Theme::getThemeSetting() {
    auto setting = DataManager::getStringForKey(settingKey);
    if (!setting)
        return defaultSetting;
    return *setting;
}

std::string Theme::getThemeFile(std::string_view name) {
    auto setting = getThemeSetting();
    std::string theme = setting == defaultSetting ? std::string(defaultThemeName) : setting;
    // The setting comes from outside the game: a theme name holding a path
    // separator would make the variant name point into another folder.
    if (theme.find('/') != std::string::npos)
        return std::string(name);

    auto candidate = foundation::format("%@_%@.%@", foundation::stringByDeletingPathExtension(name),
        theme, foundation::pathExtension(name));
    auto& lookup = ResourceLookup::shared();
    auto path = lookup.pathForResource(candidate);
    if (path && lookup.dictionaryWithContentsOfFile(*path))
        return candidate;
    return std::string(name);
}

std::string Theme::getThemeCharacter(std::string_view key) {
    auto& lookup = ResourceLookup::shared();
    auto path = lookup.pathForResource(getThemeFile("characterList.plist"));
    if (!path)
        return std::string(key);
    auto list = lookup.dictionaryWithContentsOfFile(*path);
    if (!list)
        return std::string(key);
    auto* entry = list->objectForKey(key).dictionary();
    if (!entry)
        return std::string(key);
    auto const* themeName = entry->objectForKey("ThemeName").string();
    return themeName ? *themeName : std::string(key);
}

}
