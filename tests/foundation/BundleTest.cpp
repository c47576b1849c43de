#include <foundation/Bundle.hpp>

#include "ScopedSandbox.hpp"
#include <foundation/AtomicFile.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using base::Value;
using foundation::Bundle;
using foundation::UserDefaults;

namespace {

std::string const fixture = std::string(QUILLABY_TEST_DATA) + "/storage/bundle";

void setLanguages(std::vector<std::string> const& languages) {
    auto array = base::Array::create();
    for (auto const& language : languages)
        array->add(language);
    UserDefaults::standardUserDefaults().setObject(array, "AppleLanguages");
}

}

TEST(Bundle, FindsResourcesAtTheTopThenInTheLanguageFolder) {
    test::ScopedSandbox sandbox(fixture);
    auto& bundle = Bundle::mainBundle();
    setLanguages({"fr"});
    struct Case {
        char const* name;
        char const* type;
        char const* directory;
        std::optional<std::string> expected;
    };
    std::vector<Case> const cases = {
        {"image", "png", "", fixture + "/image.png"},
        {"image.png", "", "", fixture + "/image.png"},
        {"image", ".png", "", fixture + "/image.png"},
        {"Sound", "caf", "", fixture + "/Sound.caf"},
        {"levels", "plist", "data", fixture + "/data/levels.plist"},
        {"data/levels", "plist", "", fixture + "/data/levels.plist"},
        {"flag", "png", "", fixture + "/fr.lproj/flag.png"},
        {"Info", "plist", "", fixture + "/Info.plist"},
        {"image", "jpg", "", std::nullopt},
        {"missing", "png", "", std::nullopt},
        {"levels", "plist", "", std::nullopt},
        {"", "png", "", std::nullopt},
        // Names that would lead out of the bundle, to files that exist there.
        {"../sample-xml", "plist", "", std::nullopt},
        {"sample-xml", "plist", "..", std::nullopt},
        {"levels", "plist", "data/../..", std::nullopt},
        {"/etc/hostname", "", "", std::nullopt},
    };
    for (auto const& c : cases)
        EXPECT_EQ(bundle.pathForResource(c.name, c.type, c.directory), c.expected)
            << c.name << "." << c.type;
    EXPECT_EQ(bundle.pathForResource("image", "png"), fixture + "/image.png");
    setLanguages({"en"});
    EXPECT_EQ(bundle.pathForResource("flag", "png"), std::nullopt);
}

TEST(Bundle, PicksTheLanguageFromAppleLanguages) {
    test::ScopedSandbox sandbox(fixture);
    auto& bundle = Bundle::mainBundle();
    struct Case {
        std::vector<std::string> languages;
        std::optional<std::string> folder;
        char const* hello;
    };
    std::vector<Case> const cases = {
        {{"fr"}, "fr", "Bonjour"},
        {{"fr-CA"}, "fr", "Bonjour"},
        {{"fr_FR", "de"}, "fr", "Bonjour"},
        {{"French"}, "fr", "Bonjour"},
        {{"German"}, "de", "Hallo"},
        {{"ja"}, "Japanese", "\u3053\u3093\u306b\u3061\u306f"},
        {{"xx", "de", "fr"}, "de", "Hallo"},
        {{"en"}, "English", "Hello"},
        {{"en-GB"}, "English", "Hello"},
        {{"xx"}, std::nullopt, "Hello"},
        {{}, std::nullopt, "Hello"},
        {{"../fr"}, std::nullopt, "Hello"},
        // A language folder without the table falls back to English.
        {{"Empty"}, "Empty", "Hello"},
    };
    for (auto const& c : cases) {
        setLanguages(c.languages);
        EXPECT_EQ(bundle.preferredLocalization(), c.folder) << testing::PrintToString(c.languages);
        EXPECT_EQ(bundle.localizedString("HELLO"), c.hello) << testing::PrintToString(c.languages);
    }
}

TEST(Bundle, LocalizedStringFallsBackToEnglishThenTheTopThenTheKey) {
    test::ScopedSandbox sandbox(fixture);
    auto& bundle = Bundle::mainBundle();
    setLanguages({"fr"});
    struct Case {
        char const* key;
        char const* value;
        char const* table;
        char const* expected;
    };
    std::vector<Case> const cases = {
        {"BUTTON_OK", "", "", "D'accord"},
        {"BUTTON_OK", "", "Localizable", "D'accord"},
        {"ONLY_ENGLISH", "", "", "Only in English"},
        {"ROOT_ONLY", "", "", "From the top"},
        {"HELP_PG1", "", "", "HELP_PG1"},
        {"HELP_PG1", "Help", "", "Help"},
        {"TITLE", "", "Menu", "Menu principal"},
        {"BUTTON_OK", "", "Menu", "BUTTON_OK"},
        {"TITLE", "", "NoSuchTable", "TITLE"},
        {"TITLE", "", "../fr.lproj/Menu", "TITLE"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(bundle.localizedString(c.key, c.value, c.table), c.expected)
            << c.key << " in " << c.table;
}

TEST(Bundle, FollowsAChangeOfAppleLanguagesWithoutAReload) {
    test::ScopedSandbox sandbox(fixture);
    auto& bundle = Bundle::mainBundle();
    setLanguages({"fr"});
    EXPECT_EQ(bundle.localizedString("HELLO"), "Bonjour");
    setLanguages({"de"});
    EXPECT_EQ(bundle.localizedString("HELLO"), "Hallo");
    UserDefaults::standardUserDefaults().removeObjectForKey("AppleLanguages");
    bundle.reloadLocalizations();
    EXPECT_NE(bundle.localizedString("HELLO"), "Hallo");
}

TEST(Bundle, ReadsTablesOnceAndKeepsAMalformedOneQuiet) {
    test::ScopedSandbox sandbox;
    auto root = sandbox / "bundle";
    std::filesystem::create_directories(root + "/en.lproj");
    ASSERT_TRUE(
        foundation::AtomicFile::write(root + "/en.lproj/Localizable.strings", "\"A\" = \"1\";"));
    ASSERT_TRUE(foundation::AtomicFile::write(
        root + "/en.lproj/Broken.strings", "\"A\" = \"1\"\n\"B\" = "));
    auto& bundle = Bundle::mainBundle();
    setLanguages({"en"});
    EXPECT_EQ(bundle.localizedString("A"), "1");
    // The table is cached: a change on disk shows only after a reload.
    ASSERT_TRUE(
        foundation::AtomicFile::write(root + "/en.lproj/Localizable.strings", "\"A\" = \"2\";"));
    EXPECT_EQ(bundle.localizedString("A"), "1");
    bundle.reloadLocalizations();
    EXPECT_EQ(bundle.localizedString("A"), "2");
    test::LogCapture log;
    EXPECT_EQ(bundle.localizedString("A", "", "Broken"), "A");
    EXPECT_EQ(bundle.localizedString("B", "", "Broken"), "B");
    EXPECT_EQ(log.lines().size(), 2u) << testing::PrintToString(log.lines());
    EXPECT_TRUE(log.contains("Broken.strings"));
}

TEST(Bundle, ReadsItsInfoDictionary) {
    test::ScopedSandbox sandbox(fixture);
    auto& bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle.bundlePath(), fixture);
    EXPECT_EQ(bundle.bundleIdentifier(), "com.example.fixture");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleVersion"), Value("1.0"));
    bundle.infoDictionary()->setObject("CFBundleVersion", "changed");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleVersion"), Value("1.0"));
    EXPECT_EQ(bundle.localizations(),
        (std::vector<std::string> {"Empty", "English", "Japanese", "de", "fr"}));

    auto bare = Bundle::bundleWithPath(sandbox / "nothing-here");
    EXPECT_EQ(bare->bundleIdentifier(), Bundle::defaultBundleIdentifier);
    EXPECT_TRUE(bare->infoDictionary()->empty());
    EXPECT_TRUE(bare->localizations().empty());
}

TEST(Bundle, MainBundleDefaultsToTheFolderBesideTheExecutable) {
    test::ScopedSandbox sandbox(fixture);
    char const* saved = std::getenv("QUILLABY_BUNDLE");
    std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::unsetenv("QUILLABY_BUNDLE");
    Bundle::setMainBundlePath("");
    auto executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(Bundle::mainBundle().bundlePath(), (executable.parent_path() / "bundle").string());
    ::setenv("QUILLABY_BUNDLE", fixture.c_str(), 1);
    Bundle::setMainBundlePath("");
    EXPECT_EQ(Bundle::mainBundle().bundlePath(), fixture);
    if (old)
        ::setenv("QUILLABY_BUNDLE", old->c_str(), 1);
    else
        ::unsetenv("QUILLABY_BUNDLE");
}
