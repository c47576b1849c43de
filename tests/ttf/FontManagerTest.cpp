#include <ttf/FontManager.hpp>

#include <foundation/ScopedSandbox.hpp>
#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>
#include <support/TestFont.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using ttf::FontManager;

namespace {

// A bundle folder whose lookups are counted: one search asks for "<name>.ttf" and then for
// the bare name.
class FontManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FontManager::purgeSharedManager();
        manager().setResourceLocator([this](std::string const& name, std::string const& type) {
            lookups.push_back(type.empty() ? name : name + "." + type);
            auto path = bundle / (type.empty() ? name : name + "." + type);
            return std::filesystem::exists(path) ? std::optional(path.string()) : std::nullopt;
        });
        test::writeTestFont(bundle / "Box.ttf");
        test::writeTestFont(bundle / "Other.otf");
    }
    void TearDown() override { FontManager::purgeSharedManager(); }

    static FontManager& manager() { return FontManager::sharedManager(); }

    test::TempDir bundle;
    std::vector<std::string> lookups;
};

}

TEST_F(FontManagerTest, IsOneSharedInstance) {
    EXPECT_EQ(&FontManager::sharedManager(), &FontManager::sharedManager());
}

TEST_F(FontManagerTest, LoadsAFontOfTheBundleOnceAndWrapsItInTheSize) {
    auto font = manager().ttFontWithName("Box", 20);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->pointSize(), 20);
    EXPECT_EQ(font->leading(), 20);
    auto again = manager().ttFontWithName("Box", 12);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->cgFont(), font->cgFont());
    EXPECT_EQ(lookups, std::vector<std::string> {"Box.ttf"});
    EXPECT_EQ(manager().lastFontName(), "Box");
    EXPECT_EQ(manager().lastFontPath(), (bundle / "Box.ttf").string());
}

TEST_F(FontManagerTest, AMissingNameAskedTwiceInARowIsSearchedOnce) {
    EXPECT_FALSE(manager().ttFontWithName("Helvetica", 12));
    EXPECT_FALSE(manager().ttFontWithName("Helvetica", 12));
    EXPECT_EQ(lookups, (std::vector<std::string> {"Helvetica.ttf", "Helvetica"}));
    EXPECT_EQ(manager().lastFontPath(), std::nullopt);
}

TEST_F(FontManagerTest, AMissingNameIsSearchedAgainAfterAnotherName) {
    manager().fontWithName("A");
    manager().fontWithName("B");
    manager().fontWithName("A");
    EXPECT_EQ(lookups, (std::vector<std::string> {"A.ttf", "A", "B.ttf", "B", "A.ttf", "A"}));
}

TEST_F(FontManagerTest, ANameWithItsOwnExtensionIsFoundBySecondSearch) {
    EXPECT_TRUE(manager().loadFont("Other.otf"));
    EXPECT_EQ(lookups, (std::vector<std::string> {"Other.otf.ttf", "Other.otf"}));
    EXPECT_EQ(manager().copyAllFonts().size(), 1u);
}

TEST_F(FontManagerTest, KeepsEveryLoadedFontInNameOrder) {
    auto other = manager().fontWithName("Other.otf");
    auto box = manager().fontWithName("Box");
    auto all = manager().copyAllFonts();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], box);
    EXPECT_EQ(all[1], other);
}

TEST_F(FontManagerTest, RefusesADamagedFontFileOnceWithALoggedLine) {
    auto bytes = test::buildTestFont({});
    bytes.resize(bytes.size() / 2);
    std::ofstream(bundle / "Cut.ttf", std::ios::binary)
        .write(reinterpret_cast<char const*>(bytes.data()), std::streamsize(bytes.size()));
    test::LogCapture log;
    EXPECT_FALSE(manager().ttFontWithName("Cut", 12));
    EXPECT_TRUE(log.contains("Cut.ttf for \"Cut\" is refused"));
    log.clear();
    EXPECT_FALSE(manager().ttFontWithName("Cut", 12));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(FontManagerTest, RefusesAFontWithoutOrWithADamagedCharacterMap) {
    test::TestFontSpec none;
    none.omitTables = {"cmap"};
    test::writeTestFont(bundle / "NoMap.ttf", none);
    test::TestFontSpec damaged;
    auto cmap = test::buildCmapTable(damaged);
    cmap[12 + 6] = 0x7F;
    damaged.replaceTables["cmap"] = cmap;
    test::writeTestFont(bundle / "BadMap.ttf", damaged);
    test::LogCapture log;
    EXPECT_FALSE(manager().loadFont("NoMap"));
    EXPECT_FALSE(manager().loadFont("BadMap"));
    EXPECT_TRUE(log.contains("NoMap.ttf for \"NoMap\" is refused"));
    EXPECT_TRUE(log.contains("BadMap.ttf for \"BadMap\" is refused"));
    EXPECT_TRUE(manager().copyAllFonts().empty());
}

TEST(FontManagerBundle, FindsFontsInTheMainBundleByDefault) {
    test::TempDir bundle;
    test::ScopedSandbox sandbox(bundle.path().string());
    test::writeTestFont(bundle / "Helvetica.ttf");
    FontManager::purgeSharedManager();
    auto font = FontManager::sharedManager().ttFontWithName("Helvetica", 12);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->familyName(), "Test Box");
    EXPECT_FALSE(FontManager::sharedManager().ttFontWithName("Verdana", 12));
    FontManager::purgeSharedManager();
}
