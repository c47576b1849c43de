#include <foundation/Sandbox.hpp>

#include <base/Log.hpp>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace foundation {

namespace {

std::mutex& rootMutex() {
    static std::mutex mutex;
    return mutex;
}

// Set by setRoot or resolved from the environment on first use.
std::string& cachedRoot() {
    static std::string root;
    return root;
}

std::string environment(char const* name) {
    char const* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (passwd const* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/tmp";
}

// The components of path with "." and empty ones dropped and ".." applied;
// nullopt when a ".." would climb above the start.
std::optional<std::vector<std::string_view>> normalizedComponents(std::string_view path) {
    std::vector<std::string_view> components;
    while (!path.empty()) {
        auto slash = path.find('/');
        auto component = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (component.empty() || component == ".")
            continue;
        if (component == "..") {
            if (components.empty())
                return std::nullopt;
            components.pop_back();
            continue;
        }
        components.push_back(component);
    }
    return components;
}

std::string resolveRoot() {
    std::string root = environment("QUILLABY_HOME");
    if (root.empty()) {
        std::string data = environment("XDG_DATA_HOME");
        // The XDG rules ignore a relative value.
        if (data.empty() || data.front() != '/')
            data = homeFolder() + "/.local/share";
        root = data + "/quillaby";
    }
    return Sandbox::absolutePath(root);
}

std::string join(std::string base, std::vector<std::string_view> const& components) {
    for (auto component : components) {
        if (base.empty() || base.back() != '/')
            base += '/';
        base += component;
    }
    return base;
}

std::string created(std::string path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        base::logLine("Sandbox: cannot create " + path + ": " + error.message());
    return path;
}

}

std::string Sandbox::absolutePath(std::string const& path) {
    // Without a working folder (deleted under us) a relative path stays relative.
    std::error_code error;
    auto absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    auto text = (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string Sandbox::root() {
    std::lock_guard lock(rootMutex());
    auto& root = cachedRoot();
    if (root.empty())
        root = resolveRoot();
    return root;
}

void Sandbox::setRoot(std::string const& path) {
    std::lock_guard lock(rootMutex());
    cachedRoot() = path.empty() ? std::string() : Sandbox::absolutePath(path);
}

std::string Sandbox::homePath() {
    return created(root());
}
std::string Sandbox::documentsPath() {
    return created(root() + "/Documents");
}
std::string Sandbox::libraryPath() {
    return created(root() + "/Library");
}
std::string Sandbox::cachesPath() {
    return created(root() + "/Library/Caches");
}
std::string Sandbox::preferencesPath() {
    return created(root() + "/Library/Preferences");
}
std::string Sandbox::temporaryPath() {
    return created(root() + "/tmp");
}

std::vector<std::string> Sandbox::searchPathForDirectoriesInDomains(Directory directory) {
    switch (directory) {
    case Directory::Documents:
        return {documentsPath()};
    case Directory::Library:
        return {libraryPath()};
    case Directory::Caches:
        return {cachesPath()};
    }
    return {};
}

std::optional<std::string> Sandbox::devicePath(std::string_view path) {
    auto refuse = [&]() -> std::optional<std::string> {
        base::logLine(
            "Sandbox: refused the path \"" + std::string(path) + "\": it is outside the sandbox");
        return std::nullopt;
    };
    std::string sandboxRoot = root();
    if (path.find('\0') != std::string_view::npos)
        return refuse();
    if (path == "~" || path.starts_with("~/")) {
        auto components = normalizedComponents(path.substr(1));
        if (!components)
            return refuse();
        return join(sandboxRoot, *components);
    }
    if (!path.starts_with('/'))
        return refuse();
    auto components = normalizedComponents(path);
    if (!components)
        return refuse();
    auto startsWith = [&](std::vector<std::string_view> const& prefix) {
        if (components->size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            if ((*components)[i] != prefix[i])
                return false;
        }
        return true;
    };
    std::size_t strip;
    if (startsWith({"var", "mobile"})) {
        strip = 2;
    } else if (startsWith({"private", "var", "mobile"})) {
        strip = 3;
    } else {
        auto rootComponents = normalizedComponents(sandboxRoot);
        if (!rootComponents || !startsWith(*rootComponents))
            return refuse();
        strip = rootComponents->size();
    }
    return join(sandboxRoot,
        std::vector<std::string_view>(
            components->begin() + std::ptrdiff_t(strip), components->end()));
}

std::optional<std::string> Sandbox::safeJoin(std::string_view folder, std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string_view::npos)
        return std::nullopt;
    auto components = normalizedComponents(name);
    if (!components || components->empty())
        return std::nullopt;
    std::string base(folder);
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return join(base, *components);
}

}
