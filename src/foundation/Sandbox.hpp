#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

// The application's home folder on this machine and the folders inside it, in
// the device's layout: Documents, Library, Library/Caches, Library/Preferences,
// tmp. The root is, in order: the one a test set, $QUILLABY_HOME, the XDG data
// folder ($XDG_DATA_HOME, else ~/.local/share) plus "/quillaby". Paths the game
// names on the device keep their text under the root, so
// "/var/mobile/Library/Marrowby" is "<root>/Library/Marrowby".
//
// Also the one check that every name from outside (downloads, archives, server
// data) passes before it becomes a path: safeJoin.
//
// Thread-safe. Paths are absolute, tidied (no "." or ".." components, no doubled
// or trailing '/') and given as strings, as the platform's path operations take them.
class Sandbox {
public:
    // The root as chosen above; not created.
    static std::string root();
    // Points the sandbox at path (made absolute) until the next call; an empty path
    // goes back to the environment. For tests, and for tools that keep their own.
    static void setRoot(std::string const& path);

    // The folders, each created (with its parents) when missing; a folder that
    // cannot be created is logged and its path still returned.
    static std::string homePath();
    static std::string documentsPath();
    static std::string libraryPath();
    static std::string cachesPath();
    static std::string preferencesPath();
    static std::string temporaryPath();

    enum class Directory { Documents, Library, Caches };
    // The platform's search for a standard folder in the user's domain: a list of
    // the one path (created), tilde already expanded.
    static std::vector<std::string> searchPathForDirectoriesInDomains(Directory directory);

    // The path on this machine for a path on the device: "/var/mobile/..." (also
    // "/private/var/mobile/..." and "~/...") maps under the root; a path already
    // under the root stays. Anything else, a relative path, or one whose ".."
    // components would climb out, gives nullopt and a log line. Creates nothing.
    static std::optional<std::string> devicePath(std::string_view path);

    // folder + "/" + name when name, read as a relative path, stays inside folder:
    // nullopt for an empty or absolute name, for one with a NUL byte, for ".."
    // components that climb out, and for one that names folder itself ("." or
    // "a/.."). Inner "." and ".." are resolved in the result. Only the text is
    // checked: symbolic links inside folder are followed as the system does.
    static std::optional<std::string> safeJoin(std::string_view folder, std::string_view name);

    // path made absolute from the working folder and tidied as above. Text only:
    // symbolic links stay as they are.
    static std::string absolutePath(std::string const& path);
};

}
