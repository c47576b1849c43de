#include <ttf/Language.hpp>

#include <foundation/ScopedSandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ttf::Language;

namespace {

// A bundle with an English and a French folder, and a default table at its top.
class LanguageTest : public ::testing::Test {
protected:
    LanguageTest()
        : sandbox(bundleFolder()) { }

    void SetUp() override {
        write("English.lproj/Localizable.strings", "\"HELLO\" = \"Hello\";\n");
        write("fr.lproj/Localizable.strings", "\"HELLO\" = \"Bonjour\";\n");
        write("Localizable.strings", "\"HELLO\" = \"Top\";\n\"ONLY_TOP\" = \"Top only\";\n");
        Language::reset();
    }
    void TearDown() override { Language::reset(); }

    static std::string bundleFolder() {
        static test::TempDir dir;
        return (dir / "bundle").string();
    }
    static void write(std::string const& relative, std::string const& text) {
        auto path = std::filesystem::path(bundleFolder()) / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    static void setPreference(std::string const& value) {
        foundation::UserDefaults::standardUserDefaults().setObject(
            base::Value(value), "UserLangPreference");
    }
    static void setAppleLanguages(std::vector<std::string> const& codes) {
        auto array = base::make<base::Array>();
        for (auto const& code : codes)
            array->add(base::Value(code));
        foundation::UserDefaults::standardUserDefaults().setObject(
            base::Value(array), "AppleLanguages");
    }
    static std::string selectedFolder() {
        return std::filesystem::path(Language::selectedBundle()->bundlePath()).filename().string();
    }

    test::ScopedSandbox sandbox;
};

}

TEST_F(LanguageTest, EnglishSelectsTheFolderNamedEnglish) {
    setPreference("en");
    Language::initPreferredLanguage();
    EXPECT_EQ(selectedFolder(), "English.lproj");
    EXPECT_EQ(Language::get("HELLO", "fallback"), "Hello");
}

TEST_F(LanguageTest, AnyOtherCodeSelectsTheFolderOfThatName) {
    setPreference("fr");
    Language::initPreferredLanguage();
    EXPECT_EQ(selectedFolder(), "fr.lproj");
    EXPECT_EQ(Language::get("HELLO", ""), "Bonjour");
}

TEST_F(LanguageTest, ACodeWithoutAFolderLeavesTheApplicationBundle) {
    setAppleLanguages({"de"});
    setPreference("de");
    Language::initPreferredLanguage();
    EXPECT_EQ(Language::selectedBundle().get(), &foundation::Bundle::mainBundle());
    // The bundle's default localization answers: English behind the missing German.
    EXPECT_EQ(Language::get("HELLO", ""), "Hello");
    EXPECT_EQ(Language::get("ONLY_TOP", ""), "Top only");
}

TEST_F(LanguageTest, SystemDefaultFollowsTheFirstPreferredLanguage) {
    setAppleLanguages({"fr", "en"});
    setPreference("sys_default");
    Language::initPreferredLanguage();
    EXPECT_EQ(selectedFolder(), "fr.lproj");
}

TEST_F(LanguageTest, MissingKeysAnswerTheValueOrTheKey) {
    setPreference("en");
    Language::initPreferredLanguage();
    EXPECT_EQ(Language::get("NO_SUCH_KEY", "default"), "default");
    EXPECT_EQ(Language::get("NO_SUCH_KEY", ""), "NO_SUCH_KEY");
}

TEST_F(LanguageTest, EachSelectionLogsALineAndTheFirstUseInitializes) {
    setAppleLanguages({"en"});
    setPreference("fr");
    test::LogCapture log;
    Language::initPreferredLanguage();
    EXPECT_EQ(log.lines(),
        (std::vector<std::string> {
            "Setting Preferred Language: en", "Setting Preferred Language: fr"}));
    log.clear();
    Language::setLanguage(std::string("en"));
    EXPECT_EQ(log.lines().size(), 1u);
}

TEST_F(LanguageTest, NoStoredPreferenceSelectsTheApplicationBundle) {
    setAppleLanguages({"fr"});
    Language::initPreferredLanguage();
    EXPECT_EQ(Language::selectedBundle().get(), &foundation::Bundle::mainBundle());
}
