#include "ShellFixture.hpp"

#include <game/shell/DataManager.hpp>
#include <game/shell/Theme.hpp>

using game::DataManager;
using game::Theme;

namespace {

base::Value characterList(std::vector<base::Dictionary::Entry> entries) {
    return base::Dictionary::create(std::move(entries));
}

base::Value character(char const* themeName) {
    auto entry = base::Dictionary::create({{"type", 0}});
    if (themeName)
        entry->setObject("ThemeName", themeName);
    return entry;
}

class ThemeTest : public test::ShellFixture { };

}

TEST_F(ThemeTest, SettingIsDefaultWhenAbsentOrDefault) {
    EXPECT_EQ(Theme::getThemeSetting(), "default");
    DataManager::setString("default", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeSetting(), "default");
    DataManager::setString("Halloween", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeSetting(), "Halloween");
}

TEST_F(ThemeTest, DefaultThemeLooksUpItsVariantsUnderChristmas) {
    bundle.add("characterList.plist", characterList({}));
    bundle.add("characterList_Christmas.plist", characterList({}));
    EXPECT_EQ(Theme::getThemeFile("characterList.plist"), "characterList_Christmas.plist");
    DataManager::setString("default", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeFile("characterList.plist"), "characterList_Christmas.plist");
}

TEST_F(ThemeTest, ThemeFileNamesWithAndWithoutAVariant) {
    bundle.add("characterList.plist", characterList({}));
    bundle.add("characterList_Halloween.plist", characterList({}));
    bundle.add("furnitureList_Halloween.plist", base::Array::create());
    bundle.add("bg01_Halloween.png", base::Value(base::Bytes {0x89, 'P', 'N', 'G'}));
    DataManager::setString("Halloween", "UserThemePreference");

    struct Case {
        char const* name;
        char const* expected;
    };
    std::vector<Case> const cases = {
        {"characterList.plist", "characterList_Halloween.plist"},
        // Only dictionary lists are themed: an array variant is not taken.
        {"furnitureList.plist", "furnitureList.plist"},
        {"levelList.plist", "levelList.plist"},
        // An image never reads as a dictionary list, so it keeps its plain name
        // even when the bundle holds a themed image.
        {"bg01.png", "bg01.png"},
        {"bg02.png", "bg02.png"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Theme::getThemeFile(c.name), c.expected) << c.name;
}

TEST_F(ThemeTest, ThemeWithoutItsOwnListGivesThePlainName) {
    bundle.add("characterList.plist", characterList({}));
    bundle.add("characterList_Christmas.plist", characterList({}));
    DataManager::setString("Easter", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeFile("characterList.plist"), "characterList.plist");
}

TEST_F(ThemeTest, ThemeNameHoldingAPathSeparatorIsNeverUsed) {
    bundle.add("characterList_../x.plist", characterList({}));
    DataManager::setString("../x", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeFile("characterList.plist"), "characterList.plist");
}

TEST_F(ThemeTest, CharacterNamesComeFromTheThemedList) {
    bundle.add("characterList.plist",
        characterList({{"cust01", character("PlainLady")}, {"pet01", character(nullptr)}}));
    bundle.add("characterList_Christmas.plist",
        characterList({{"cust01", character("SantaLady")}, {"pet01", character(nullptr)},
            {"odd", base::Value("not a dictionary")}}));

    EXPECT_EQ(Theme::getThemeCharacter("cust01"), "SantaLady");
    EXPECT_EQ(Theme::getThemeCharacter("pet01"), "pet01");
    EXPECT_EQ(Theme::getThemeCharacter("odd"), "odd");
    EXPECT_EQ(Theme::getThemeCharacter("missing"), "missing");

    DataManager::setString("Easter", "UserThemePreference");
    EXPECT_EQ(Theme::getThemeCharacter("cust01"), "PlainLady");
}

TEST_F(ThemeTest, CharacterNameIsTheKeyWithoutAnyList) {
    EXPECT_EQ(Theme::getThemeCharacter("cust01"), "cust01");
}
