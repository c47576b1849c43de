#include "ShellFixture.hpp"

#include <foundation/PropertyList.hpp>
#include <game/shell/ResourceLookup.hpp>
#include <game/shell/Theme.hpp>

#include <filesystem>
#include <fstream>

using game::ResourceLookup;

namespace {

// The bundle's own lookup, as the game uses it until the engine's cache is installed.
class ResourceLookupTest : public test::ShellFixture {
protected:
    ResourceLookupTest() {
        ResourceLookup::setShared(nullptr);
        std::filesystem::create_directories(sandboxPath("bundle"));
    }

    void write(std::string const& name, base::Value const& list) {
        ASSERT_TRUE(foundation::PropertyList::writeToFile(list, sandboxPath("bundle/" + name)));
    }
};

}

TEST_F(ResourceLookupTest, NamesResolveInTheMainBundle) {
    write("StoreItemList.plist", base::Array::create());
    auto& lookup = ResourceLookup::shared();
    EXPECT_EQ(
        lookup.pathForResource("StoreItemList.plist"), sandboxPath("bundle/StoreItemList.plist"));
    EXPECT_EQ(lookup.pathForResource("Missing.plist"), std::nullopt);
    EXPECT_EQ(lookup.pathForResource("/var/mobile/Library/Marrowby/unpacked.plist"),
        "/var/mobile/Library/Marrowby/unpacked.plist");
}

TEST_F(ResourceLookupTest, ListsAreReadOnlyAsTheKindAsked) {
    write("dictionary.plist", base::Dictionary::create({{"a", 1}}));
    write("array.plist", base::Array::create({1, 2}));
    std::ofstream(sandboxPath("bundle/broken.plist")) << "<plist><dict>";
    auto& lookup = ResourceLookup::shared();
    EXPECT_TRUE(lookup.dictionaryWithContentsOfFile(sandboxPath("bundle/dictionary.plist")));
    EXPECT_FALSE(lookup.arrayWithContentsOfFile(sandboxPath("bundle/dictionary.plist")));
    EXPECT_TRUE(lookup.arrayWithContentsOfFile(sandboxPath("bundle/array.plist")));
    EXPECT_FALSE(lookup.dictionaryWithContentsOfFile(sandboxPath("bundle/array.plist")));
    EXPECT_FALSE(lookup.dictionaryWithContentsOfFile(sandboxPath("bundle/broken.plist")));
    EXPECT_FALSE(lookup.dictionaryWithContentsOfFile(sandboxPath("bundle/missing.plist")));
}

TEST_F(ResourceLookupTest, ThemesFindTheirListsInTheRealBundle) {
    write("characterList.plist", base::Dictionary::create());
    write("characterList_Christmas.plist",
        base::Dictionary::create(
            {{"cust01", base::Dictionary::create({{"ThemeName", "SantaLady"}})}}));
    EXPECT_EQ(game::Theme::getThemeFile("characterList.plist"), "characterList_Christmas.plist");
    EXPECT_EQ(game::Theme::getThemeCharacter("cust01"), "SantaLady");
}
