#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The application bundle: the folder of read-only resources (art, sound, data
// lists, string tables) that the build puts beside the executable, laid out as
// on the device: resources at the top, localized ones in "<language>.lproj"
// folders, an optional Info.plist.
//
// The main bundle's folder is, in order: the one set with setMainBundlePath,
// $QUILLABY_BUNDLE, the folder "bundle" beside the executable.
//
// Localized lookups take the language from the user-defaults list
// "AppleLanguages": its first entry that has a ".lproj" folder here, by code
// ("fr", "en-GB" falls back to "en") or by name ("French"), with English
// ("English.lproj", else "en.lproj") behind it. String tables are read once and
// cached; the cache follows changes of "AppleLanguages" by itself.
//
// Thread-safe. Resource names may come from outside (server lists, downloaded
// packs): a name that would lead out of the bundle is never found.
class Bundle final : public base::Object {
public:
    static constexpr char const* defaultBundleIdentifier = "com.quillaby.salon";

    static Bundle& mainBundle();
    // Points the main bundle at path (empty: back to the default) and drops its caches.
    static void setMainBundlePath(std::string path);
    static base::Ref<Bundle> bundleWithPath(std::string path);

    std::string bundlePath() const;
    // "CFBundleIdentifier" of Info.plist, else defaultBundleIdentifier.
    std::string bundleIdentifier() const;
    // Info.plist as a dictionary (a copy); empty without one.
    base::Ref<base::Dictionary> infoDictionary() const;
    base::Value objectForInfoDictionaryKey(std::string_view key) const;

    // The path of "name.type" (or of name alone when type is empty; a leading '.'
    // of type is ignored) in directory (empty for the top), looked for at the top
    // of the bundle, then in the chosen language's folder, then in the English one.
    // nullopt when absent or when name, type or directory would leave the bundle.
    std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;
    std::optional<std::string> pathForResource(
        std::string_view name, std::string_view type, std::string_view directory) const;

    // The text for key in the string table "<table>.strings" (an empty table means
    // "Localizable") of the chosen language, then of English, then of the top of
    // the bundle; when none has it, value, or the key when value is empty.
    std::string localizedString(
        std::string_view key, std::string_view value = {}, std::string_view table = {}) const;

    // The names of the ".lproj" folders, without the extension, sorted.
    std::vector<std::string> localizations() const;
    // The folder (without ".lproj") that localized lookups use first, if any.
    std::optional<std::string> preferredLocalization() const;
    // Forgets the cached tables and language choice.
    void reloadLocalizations();

private:
    struct Languages {
        std::optional<std::string> preferred;
        std::optional<std::string> english;
    };

    Languages languagesLocked(base::Value const& appleLanguages) const;
    base::Ref<base::Dictionary> tableLocked(
        std::string const& folder, std::string const& table) const;
    std::optional<std::string> findIn(
        std::string const& folder, std::string_view directory, std::string const& file) const;

    mutable std::mutex mutex_;
    std::string path_;
    mutable base::Ref<base::Dictionary> info_;
    // The "AppleLanguages" value that the cached choice and tables were made for.
    mutable std::optional<base::Value> languagesFor_;
    mutable Languages languages_;
    // Keyed by folder ("" for the top) and table name.
    mutable std::map<std::pair<std::string, std::string>, base::Ref<base::Dictionary>> tables_;

    friend base::Factory;

    explicit Bundle(std::string path);
};

}
