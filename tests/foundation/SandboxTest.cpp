#include <foundation/Sandbox.hpp>

#include "ScopedSandbox.hpp"
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using foundation::Sandbox;

namespace {

// Sets or clears environment variables for a scope and puts them back after.
class ScopedEnvironment {
public:
    void set(char const* name, char const* value) {
        char const* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}

TEST(Sandbox, RootComesFromTheEnvironmentInOrder) {
    test::ScopedSandbox sandbox;
    struct Case {
        char const* home;
        char const* xdgData;
        char const* quillabyHome;
        char const* expected;
    };
    std::vector<Case> const cases = {
        {"/home/ann", nullptr, nullptr, "/home/ann/.local/share/quillaby"},
        {"/home/ann", "", "", "/home/ann/.local/share/quillaby"},
        {"/home/ann", "/data/xdg/", nullptr, "/data/xdg/quillaby"},
        {"/home/ann", "relative/xdg", nullptr, "/home/ann/.local/share/quillaby"},
        {"/home/ann", "/data/xdg", "/srv/quillaby//save/", "/srv/quillaby/save"},
    };
    for (auto const& c : cases) {
        ScopedEnvironment environment;
        environment.set("HOME", c.home);
        environment.set("XDG_DATA_HOME", c.xdgData);
        environment.set("QUILLABY_HOME", c.quillabyHome);
        Sandbox::setRoot("");
        EXPECT_EQ(Sandbox::root(), c.expected);
    }
    Sandbox::setRoot(sandbox.root());
    EXPECT_EQ(Sandbox::root(), sandbox.root());
}

TEST(Sandbox, CreatesTheStandardFoldersWhenAsked) {
    test::ScopedSandbox sandbox;
    EXPECT_FALSE(std::filesystem::exists(sandbox / "Library"));
    struct Case {
        std::string path;
        std::string expected;
    };
    std::vector<Case> const cases = {
        {Sandbox::homePath(), sandbox.root()},
        {Sandbox::documentsPath(), sandbox / "Documents"},
        {Sandbox::libraryPath(), sandbox / "Library"},
        {Sandbox::cachesPath(), sandbox / "Library/Caches"},
        {Sandbox::preferencesPath(), sandbox / "Library/Preferences"},
        {Sandbox::temporaryPath(), sandbox / "tmp"},
        {Sandbox::searchPathForDirectoriesInDomains(Sandbox::Directory::Documents).at(0),
            sandbox / "Documents"},
        {Sandbox::searchPathForDirectoriesInDomains(Sandbox::Directory::Caches).at(0),
            sandbox / "Library/Caches"},
        {Sandbox::searchPathForDirectoriesInDomains(Sandbox::Directory::Library).at(0),
            sandbox / "Library"},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(c.path, c.expected);
        EXPECT_TRUE(std::filesystem::is_directory(c.path)) << c.path;
    }
}

TEST(Sandbox, MapsDevicePathsUnderTheRoot) {
    test::ScopedSandbox sandbox;
    std::string const root = sandbox.root();
    struct Case {
        std::string device;
        std::optional<std::string> expected;
    };
    std::vector<Case> const cases = {
        {"/var/mobile/Library/Marrowby", root + "/Library/Marrowby"},
        {"/var/mobile/Library/Marrowby/unpacked.plist", root + "/Library/Marrowby/unpacked.plist"},
        {"/var/mobile/Library/Marrowby/", root + "/Library/Marrowby"},
        {"/var/mobile//Library/./Marrowby", root + "/Library/Marrowby"},
        {"/private/var/mobile/Documents/a.png", root + "/Documents/a.png"},
        {"/var/mobile", root},
        {"/var/mobile/Library/Caches/../Marrowby", root + "/Library/Marrowby"},
        {"~/Documents/save.dat", root + "/Documents/save.dat"},
        {"~", root},
        {root + "/Library/Caches/x", root + "/Library/Caches/x"},
        {root, root},
        // Climbing out of the root, or starting elsewhere.
        {"/var/mobile/..", std::nullopt},
        {"/var/mobile/../mobile2/x", std::nullopt},
        {"/var/mobile/Library/../../../etc/passwd", std::nullopt},
        {"~/../x", std::nullopt},
        {root + "/../outside", std::nullopt},
        {root + "-other/x", std::nullopt},
        {"/etc/passwd", std::nullopt},
        {"/var/mobilex/Library", std::nullopt},
        {"/var", std::nullopt},
        {"Library/Marrowby", std::nullopt},
        {"", std::nullopt},
        {"/..", std::nullopt},
        {std::string("/var/mobile/a\0b", 15), std::nullopt},
    };
    test::LogCapture log;
    for (auto const& c : cases) {
        log.clear();
        EXPECT_EQ(Sandbox::devicePath(c.device), c.expected) << c.device;
        EXPECT_EQ(log.contains("refused the path"), !c.expected) << c.device;
    }
    EXPECT_FALSE(std::filesystem::exists(sandbox / "Library/Marrowby"));
}

TEST(Sandbox, SafeJoinKeepsNamesInsideTheirFolder) {
    struct Case {
        std::string folder;
        std::string name;
        std::optional<std::string> expected;
    };
    std::vector<Case> const cases = {
        {"/data", "file.png", "/data/file.png"},
        {"/data/", "sub/file.png", "/data/sub/file.png"},
        {"/data", "./sub//file.png", "/data/sub/file.png"},
        {"/data", "sub/../file.png", "/data/file.png"},
        {"/data", "..file", "/data/..file"},
        {"/data", "file..", "/data/file.."},
        {"/data", "~user", "/data/~user"},
        {"/data", "back\\slash", "/data/back\\slash"},
        {"relative", "a", "relative/a"},
        {"/data", "", std::nullopt},
        {"/data", "/etc/passwd", std::nullopt},
        {"/data", "..", std::nullopt},
        {"/data", "../data2/x", std::nullopt},
        {"/data", "sub/../../x", std::nullopt},
        {"/data", "a/b/../../../x", std::nullopt},
        {"/data", ".", std::nullopt},
        {"/data", "sub/..", std::nullopt},
        {"/data", "//", std::nullopt},
        {"/data", std::string("a\0/../../x", 10), std::nullopt},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Sandbox::safeJoin(c.folder, c.name), c.expected) << c.folder << " + " << c.name;
}
