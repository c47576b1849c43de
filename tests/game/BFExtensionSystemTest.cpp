#include "StoreFixture.hpp"

#include <game/store/BFExtensionSystem.hpp>

#include <foundation/PropertyList.hpp>

#include <filesystem>

namespace fs = std::filesystem;
using game::BFExtension;
using game::BFExtensionSystem;
using test::UPKSpec;

namespace {

// What the test extensions were told, in order: "<class>#<n> config <name>" and
// "<class>#<n> start".
std::vector<std::string> journal;

class RecordingExtension final : public BFExtension {
public:
    void addConfiguration(base::Ref<base::Dictionary> configuration) override {
        journal.push_back(tag_ + " config " + configuration->objectForKey("name").stringValue());
    }
    void start() override { journal.push_back(tag_ + " start"); }

private:
    friend base::Factory;
    explicit RecordingExtension(std::string tag)
        : tag_(std::move(tag)) { }
    std::string tag_;
};

class BFExtensionSystemTest : public test::StoreFixture {
protected:
    BFExtensionSystemTest() {
        journal.clear();
        for (char const* name : {"Weather", "Music"})
            BFExtensionSystem::registerClass(name, [name, this] {
                return base::make<RecordingExtension>(
                    std::string(name) + "#" + std::to_string(++made_[name]));
            });
        system = BFExtensionSystem::initWithPackageManager(*manager);
    }
    ~BFExtensionSystemTest() override {
        BFExtensionSystem::unregisterClass("Weather");
        BFExtensionSystem::unregisterClass("Music");
    }

    // Installs a package whose "extension.plist" names className.
    void installExtension(
        std::string const& id, std::string const& className, bool active, std::string const& name) {
        auto header = base::Dictionary::create({{"active", active}, {"class_name", className}});
        auto extension = base::Dictionary::create({{"extension_header", header}, {"name", name}});
        auto source = work / (id + ".plist");
        ASSERT_TRUE(foundation::PropertyList::writeToFile(extension, source.string()));
        UPKSpec spec;
        spec.id = id;
        spec.files = {{"extension.plist", id + "/extension.plist", read(source)}};
        ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));
    }

    base::Ref<BFExtensionSystem> system;

private:
    std::map<std::string, int> made_;
};

}

TEST_F(BFExtensionSystemTest, OneObjectPerClassGetsEveryActiveConfigurationThenStarts) {
    EXPECT_FALSE(system->extensionForKey("Weather")) << "nothing before the first scan";
    installExtension("p1", "Weather", true, "sun");
    installExtension("p2", "Music", true, "jazz");
    installExtension("p3", "Weather", true, "rain");
    system->scanForExtensionPackages();
    EXPECT_EQ(journal,
        std::vector<std::string>({"Weather#1 config sun", "Music#1 config jazz",
            "Weather#1 config rain", "Weather#1 start", "Music#1 start"}));
    EXPECT_TRUE(system->extensionForKey("Weather"));
    EXPECT_TRUE(system->extensionForKey("Music"));

    // The cache stays: a second scan configures and starts the same objects again.
    journal.clear();
    system->scanForExtensionPackages();
    EXPECT_EQ(journal,
        std::vector<std::string>({"Weather#1 config sun", "Music#1 config jazz",
            "Weather#1 config rain", "Weather#1 start", "Music#1 start"}));
}

TEST_F(BFExtensionSystemTest, AnInactiveFileStartsNothingUntilSwitchedOn) {
    installExtension("p1", "Weather", false, "sun");
    system->scanForExtensionPackages();
    EXPECT_TRUE(journal.empty());
    EXPECT_FALSE(system->extensionForKey("Weather"));
    ASSERT_TRUE(system->getExtensionInfo("p1"));
    EXPECT_FALSE(system->getExtensionInfo("p1")->objectForKey("active").boolValue());

    system->setExtension("p1", true);
    auto info = system->getExtensionInfo("p1");
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->objectForKey("active").boolValue());
    EXPECT_EQ(info->objectForKey("class_name").stringValue(), "Weather");
    auto onDisk = foundation::PropertyList::dictionaryWithContentsOfFile(
        (caches() / "p1/extension.plist").string());
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->objectForKey("name").stringValue(), "sun") << "the rest of the file stays";
    for (auto const& entry : fs::directory_iterator(caches() / "p1"))
        EXPECT_EQ(entry.path().filename(), "extension.plist") << "no temporary left behind";

    system->scanForExtensionPackages();
    EXPECT_EQ(journal, std::vector<std::string>({"Weather#1 config sun", "Weather#1 start"}));
}

TEST_F(BFExtensionSystemTest, UnknownClassesAndUnreadableFilesAreSkipped) {
    installExtension("p1", "NoSuchClass", true, "x");
    installExtension("p2", "Music", true, "jazz");
    UPKSpec broken;
    broken.id = "p3";
    broken.files = {{"extension.plist", "p3/extension.plist", "not a property list"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(broken)));
    system->scanForExtensionPackages();
    EXPECT_EQ(journal, std::vector<std::string>({"Music#1 config jazz", "Music#1 start"}));
    EXPECT_FALSE(system->extensionForKey("NoSuchClass"));
    EXPECT_FALSE(system->getExtensionInfo("p3"));
}

TEST_F(BFExtensionSystemTest, APackageWithoutAnExtensionFileIsLeftAlone) {
    UPKSpec spec;
    spec.id = "plain";
    spec.files = {{"a.png", "plain/a.png", "a"}};
    ASSERT_TRUE(manager->loadUPKFromPath(makeUPK(spec)));
    EXPECT_FALSE(system->getExtensionInfo("plain"));
    EXPECT_FALSE(system->getExtensionInfo("absent"));
    auto before = cachesSnapshot();
    system->setExtension("plain", true);
    system->setExtension("absent", true);
    EXPECT_EQ(cachesSnapshot(), before);
}

TEST_F(BFExtensionSystemTest, ThePackageFlagDoesNotGateExtensions) {
    // Only the file's own header decides; a disabled package's extension still runs.
    installExtension("p1", "Weather", true, "sun");
    manager->setPackage("p1", false);
    system->scanForExtensionPackages();
    EXPECT_EQ(journal, std::vector<std::string>({"Weather#1 config sun", "Weather#1 start"}));
}
