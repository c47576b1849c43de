#include <foundation/Bundle.hpp>

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace foundation {

namespace {

// Language codes and the English names that older bundles use for their folders.
struct LanguageName {
    char const* code;
    char const* name;
};

constexpr LanguageName languageNames[] = {
    {"en", "English"},
    {"fr", "French"},
    {"de", "German"},
    {"es", "Spanish"},
    {"it", "Italian"},
    {"nl", "Dutch"},
    {"ja", "Japanese"},
    {"ko", "Korean"},
    {"zh", "Chinese"},
    {"pt", "Portuguese"},
    {"ru", "Russian"},
    {"sv", "Swedish"},
    {"da", "Danish"},
    {"fi", "Finnish"},
    {"nb", "Norwegian"},
    {"pl", "Polish"},
    {"tr", "Turkish"},
};

std::string defaultMainBundlePath() {
    if (char const* path = std::getenv("QUILLABY_BUNDLE"); path && *path)
        return Sandbox::absolutePath(path);
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return Sandbox::absolutePath("bundle");
    return Sandbox::absolutePath((executable.parent_path() / "bundle").string());
}

// The folder names (without ".lproj") that may hold one entry of "AppleLanguages",
// best first: "en-GB" gives "en-GB", "en_GB", "en", "English".
std::vector<std::string> folderNamesFor(std::string const& language) {
    std::vector<std::string> names;
    auto add = [&](std::string name) {
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    };
    add(language);
    std::string swapped = language;
    for (char& c : swapped)
        c = c == '-' ? '_' : c == '_' ? '-' : c;
    add(swapped);
    std::string code = language.substr(0, language.find_first_of("-_"));
    add(code);
    for (auto const& entry : languageNames) {
        if (code == entry.code)
            add(entry.name);
        if (language == entry.name)
            add(entry.code);
    }
    return names;
}

bool isFolder(std::string const& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}

Bundle& Bundle::mainBundle() {
    static base::Ref<Bundle> const main = base::make<Bundle>(defaultMainBundlePath());
    return *main;
}

void Bundle::setMainBundlePath(std::string path) {
    auto& main = mainBundle();
    std::lock_guard lock(main.mutex_);
    main.path_ = path.empty() ? defaultMainBundlePath() : Sandbox::absolutePath(path);
    main.info_ = nullptr;
    main.languagesFor_.reset();
    main.languages_ = {};
    main.tables_.clear();
}

base::Ref<Bundle> Bundle::bundleWithPath(std::string path) {
    return base::make<Bundle>(std::move(path));
}

Bundle::Bundle(std::string path)
    : path_(Sandbox::absolutePath(path)) {
}

std::string Bundle::bundlePath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

base::Ref<base::Dictionary> Bundle::infoDictionary() const {
    std::lock_guard lock(mutex_);
    if (!info_) {
        info_ = PropertyList::dictionaryWithContentsOfFile(path_ + "/Info.plist");
        if (!info_)
            info_ = base::Dictionary::create();
    }
    return info_->deepCopy();
}

base::Value Bundle::objectForInfoDictionaryKey(std::string_view key) const {
    return infoDictionary()->objectForKey(key);
}

std::string Bundle::bundleIdentifier() const {
    auto identifier = objectForInfoDictionaryKey("CFBundleIdentifier");
    if (identifier.isString() && !identifier.string()->empty())
        return *identifier.string();
    return defaultBundleIdentifier;
}

Bundle::Languages Bundle::languagesLocked(base::Value const& appleLanguages) const {
    if (languagesFor_ && *languagesFor_ == appleLanguages)
        return languages_;
    languagesFor_ = appleLanguages;
    languages_ = {};
    tables_.clear();
    std::vector<std::string> wanted;
    if (auto array = appleLanguages.array()) {
        for (auto const& entry : *array) {
            if (entry.isString())
                wanted.push_back(*entry.string());
        }
    } else if (appleLanguages.isString()) {
        wanted.push_back(*appleLanguages.string());
    }
    for (auto const& language : wanted) {
        for (auto const& name : folderNamesFor(language)) {
            if (!languages_.preferred && Sandbox::safeJoin(path_, name + ".lproj")
                && isFolder(path_ + "/" + name + ".lproj"))
                languages_.preferred = name;
        }
        if (languages_.preferred)
            break;
    }
    for (auto name : {"English", "en"}) {
        if (!languages_.english && isFolder(path_ + "/" + name + ".lproj"))
            languages_.english = name;
    }
    return languages_;
}

base::Ref<base::Dictionary> Bundle::tableLocked(
    std::string const& folder, std::string const& table) const {
    auto key = std::make_pair(folder, table);
    if (auto it = tables_.find(key); it != tables_.end())
        return it->second;
    std::string directory = folder.empty() ? path_ : path_ + "/" + folder + ".lproj";
    base::Ref<base::Dictionary> contents;
    auto file = Sandbox::safeJoin(directory, table + ".strings");
    std::error_code error;
    if (file && std::filesystem::is_regular_file(*file, error))
        contents = PropertyList::stringsTableWithContentsOfFile(*file);
    tables_[key] = contents;
    return contents;
}

std::string Bundle::localizedString(
    std::string_view key, std::string_view value, std::string_view table) const {
    // Read before taking the lock: the user defaults may ask this bundle for its identifier.
    auto appleLanguages = UserDefaults::standardUserDefaults().objectForKey("AppleLanguages");
    std::string tableName = table.empty() ? std::string("Localizable") : std::string(table);
    std::lock_guard lock(mutex_);
    auto languages = languagesLocked(appleLanguages);
    std::vector<std::string> folders;
    if (languages.preferred)
        folders.push_back(*languages.preferred);
    if (languages.english && languages.english != languages.preferred)
        folders.push_back(*languages.english);
    folders.push_back("");
    for (auto const& folder : folders) {
        if (auto contents = tableLocked(folder, tableName)) {
            if (auto found = contents->find(key); found && found->isString())
                return *found->string();
        }
    }
    return std::string(value.empty() ? key : value);
}

std::optional<std::string> Bundle::findIn(
    std::string const& folder, std::string_view directory, std::string const& file) const {
    std::string relative = directory.empty() ? file : std::string(directory) + "/" + file;
    auto path = Sandbox::safeJoin(folder, relative);
    std::error_code error;
    if (path && std::filesystem::exists(*path, error))
        return path;
    return std::nullopt;
}

std::optional<std::string> Bundle::pathForResource(
    std::string_view name, std::string_view type) const {
    return pathForResource(name, type, {});
}

std::optional<std::string> Bundle::pathForResource(
    std::string_view name, std::string_view type, std::string_view directory) const {
    if (name.empty())
        return std::nullopt;
    if (type.starts_with('.'))
        type.remove_prefix(1);
    std::string file(name);
    if (!type.empty())
        file += "." + std::string(type);
    std::string base = bundlePath();
    if (auto found = findIn(base, directory, file))
        return found;
    auto appleLanguages = UserDefaults::standardUserDefaults().objectForKey("AppleLanguages");
    Languages languages;
    {
        std::lock_guard lock(mutex_);
        languages = languagesLocked(appleLanguages);
    }
    for (auto const& folder : {languages.preferred, languages.english}) {
        if (!folder)
            continue;
        if (auto found = findIn(base + "/" + *folder + ".lproj", directory, file))
            return found;
    }
    return std::nullopt;
}

std::vector<std::string> Bundle::localizations() const {
    std::string base = bundlePath();
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator entries(base, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        if (name.size() > 6 && name.ends_with(".lproj") && entries->is_directory(error))
            names.push_back(name.substr(0, name.size() - 6));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> Bundle::preferredLocalization() const {
    auto appleLanguages = UserDefaults::standardUserDefaults().objectForKey("AppleLanguages");
    std::lock_guard lock(mutex_);
    return languagesLocked(appleLanguages).preferred;
}

void Bundle::reloadLocalizations() {
    std::lock_guard lock(mutex_);
    languagesFor_.reset();
    languages_ = {};
    tables_.clear();
}

}
