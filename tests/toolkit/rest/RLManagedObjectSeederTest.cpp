#include "ManagedModels.hpp"
#include "RestFixture.hpp"

#include <toolkit/rest/RLManagedObjectSeeder.hpp>
#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Sandbox.hpp>

#include <base/Exception.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using namespace toolkit::rest;
using namespace test::managed;

namespace {

class SeedLog : public RLManagedObjectSeederDelegate {
public:
    void didSeedObject(RLObject& object, std::string const& fileName) override {
        seeded.push_back(
            fileName + ":" + *stored(base::Ref<RLObject>(&object)).value("name").string());
    }
    std::vector<std::string> seeded;
};

// Seeds from the fixture files as the main bundle, into a sandbox of the test's own.
class RLManagedObjectSeederTest : public test::RestTest {
protected:
    RLManagedObjectSeederTest() {
        describeModels();
        previousRoot = foundation::Sandbox::root();
        foundation::Sandbox::setRoot(home.path().string());
        foundation::Bundle::setMainBundlePath(QUILLABY_TEST_DATA "/seed");
        RLObjectManager::setSharedManager(nullptr);
        manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
        manager->registerClass(dogClass(), "dog");
    }
    ~RLManagedObjectSeederTest() override {
        RLObjectManager::setSharedManager(nullptr);
        foundation::Bundle::setMainBundlePath({});
        foundation::Sandbox::setRoot(previousRoot);
    }

    std::vector<std::string> namesIn(std::string const& path) {
        auto store = RLManagedObjectStore::objectStoreWithStoreFilename(
            std::filesystem::path(path).filename().string(),
            std::filesystem::path(path).parent_path().string(), std::nullopt, {"Kennel", "Dog"});
        std::string error;
        std::vector<std::string> names;
        for (auto const& object : store->managedObjectContext()
                                      .executeFetchRequest({"Dog"}, &error)
                                      .value_or(RLObjectList {}))
            names.push_back(*stored(object).value("name").string());
        return names;
    }

    test::TempDir home;
    std::string previousRoot;
    base::Ref<RLObjectManager> manager;
};

TEST_F(RLManagedObjectSeederTest,
    BuildsADatabaseFromTheBundlesFilesAndReportsWithoutEndingTheProgram) {
    test::LogCapture lines;
    auto outcome = RLManagedObjectSeeder::generateSeedDatabaseWithObjectManager(
        *manager, {"dogs.json", "missing.json"});
    EXPECT_FALSE(outcome);
    ASSERT_TRUE(manager->objectStore());
    auto path = manager->objectStore()->pathToStoreFile();
    EXPECT_EQ(path,
        (std::filesystem::path(foundation::Sandbox::documentsPath()) / "RLSeedDatabase.sqlite")
            .string());
    EXPECT_TRUE(
        lines.contains("[RestLink] RLManagedObjectSeeder: Seeded 2 objects from dogs.json..."));
    EXPECT_TRUE(lines.contains("Unable to read file missing.json"));
    EXPECT_TRUE(
        lines.contains("[RestLink] RLManagedObjectSeeder: A seeded database has been generated at '"
            + path + "'."));
    EXPECT_EQ(namesIn(path), (std::vector<std::string> {"Rex", "Bo"}));

    // Seeding again starts from an empty database.
    EXPECT_FALSE(
        RLManagedObjectSeeder::generateSeedDatabaseWithObjectManager(*manager, {"dogs.json"}));
    EXPECT_EQ(namesIn(path).size(), 2u);
}

TEST_F(RLManagedObjectSeederTest, SeedsAClassAtAKeyPathAndTellsTheDelegate) {
    auto seeder = RLManagedObjectSeeder::objectSeederWithObjectManager(manager);
    SeedLog log;
    seeder->setDelegate(&log);
    seeder->seedObjectsFromFile("nested-dogs.json", &dogClass(), std::string("data.dogs"));
    EXPECT_EQ(log.seeded, (std::vector<std::string> {"nested-dogs.json:Seven"}));
    EXPECT_FALSE(seeder->finalizeSeeding());
    EXPECT_EQ(namesIn(seeder->pathToSeedDatabase()), (std::vector<std::string> {"Seven"}));
}

TEST_F(RLManagedObjectSeederTest, DataThatIsNotAnArrayOfDictionariesIsADevelopersMistake) {
    auto seeder = RLManagedObjectSeeder::objectSeederWithObjectManager(manager);
    struct Case {
        char const* file;
        char const* reason;
    };
    for (auto const& [file, reason] :
        {Case {"broken.json", "Unable to parse data from file broken.json"},
            Case {"single.json", "Expected an NSArray of objects, got "},
            Case {"empty.json", "Expected an array of NSDictionaries, got "},
            Case {"numbers.json", "Expected an array of NSDictionaries, got "}}) {
        try {
            seeder->seedObjectsFromFile(file, nullptr, std::nullopt);
            ADD_FAILURE() << file;
        } catch (base::Exception const& failure) {
            EXPECT_EQ(failure.name(), base::InternalInconsistencyException) << file;
            EXPECT_EQ(failure.reason().rfind(reason, 0), 0u) << file << ": " << failure.reason();
        }
    }
}

}
