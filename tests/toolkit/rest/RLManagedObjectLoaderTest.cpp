#include "ManagedModels.hpp"
#include "ObjectLoaderFixture.hpp"

#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLManagedObjectLoader.hpp>
#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Thread.hpp>

#include <support/TempDir.hpp>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>

using namespace toolkit::rest;
using namespace test::managed;
using test::LoopbackServer;
using test::ObjectLog;

namespace {

using Events = std::vector<std::string>;

// Answers every stored dog for "/dogs".
class DogsCache : public RLManagedObjectCache {
public:
    std::vector<RLFetchRequest> fetchRequestsForResourcePath(std::string const& path) override {
        if (path != "/dogs")
            return {};
        return {RLFetchRequest {"Dog"}};
    }
};

class RLManagedObjectLoaderTest : public test::ObjectLoaderTest {
protected:
    RLManagedObjectLoaderTest() { describeModels(); }
    ~RLManagedObjectLoaderTest() override {
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
        RLObjectManager::setSharedManager(nullptr);
    }

    base::Ref<RLManagedObjectStore> open() {
        return RLManagedObjectStore::objectStoreWithStoreFilename(
            "Dogs.sqlite", folder.path().string(), std::nullopt, {"Kennel", "Dog"});
    }
    base::Ref<RLObjectManager> dogManager(LoopbackServer const& server) {
        auto manager = RLObjectManager::objectManagerWithBaseURL(server.baseURL());
        manager->setObjectStore(open());
        RLObjectManager::setSharedManager(manager);
        return manager;
    }
    // Loads the dogs at path and waits until the loader has ended.
    void loadDogs(RLObjectManager& manager, std::string const& path, ObjectLog& log) {
        record(log);
        auto loader = manager.objectLoaderWithResourcePath(path, &log);
        ASSERT_TRUE(dynamic_cast<RLManagedObjectLoader*>(loader.get()));
        loader->setObjectClass(&dogClass());
        loader->send();
        ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    }
    std::vector<std::string> storedNames(RLManagedObjectStore& store) {
        std::string error;
        std::vector<std::string> names;
        for (auto const& object : store.managedObjectContext()
                                      .executeFetchRequest({"Dog"}, &error)
                                      .value_or(RLObjectList {}))
            names.push_back(*stored(object).value("name").string());
        return names;
    }

    test::TempDir folder;
};

TEST_F(RLManagedObjectLoaderTest, FillsAStoreThatASecondRunOpensWithTheSameObjects) {
    LoopbackServer server;
    server.route("GET", "/dogs", json(R"([{"key":1,"name":"Rex"},{"key":2,"name":"Bo"}])"));
    auto manager = dogManager(server);
    ObjectLog log;
    loadDogs(*manager, "/dogs", log);
    ASSERT_EQ(log.events, (Events {"load 200", "objects 2", "received"}));
    // The delegate gets the main thread's objects, saved.
    for (auto const& object : log.objects) {
        auto* managed = dynamic_cast<RLManagedObject*>(object.get());
        ASSERT_TRUE(managed);
        EXPECT_FALSE(managed->isNew());
        EXPECT_EQ(managed->context(), &manager->objectStore()->managedObjectContext());
    }
    EXPECT_EQ(stored(log.objects[1]).value("name"), "Bo");

    // Loading again updates the same rows instead of adding new ones.
    ObjectLog again;
    loadDogs(*manager, "/dogs", again);
    EXPECT_EQ(again.objects, log.objects);
    EXPECT_EQ(storedNames(*open()), (std::vector<std::string> {"Rex", "Bo"}));
}

TEST_F(RLManagedObjectLoaderTest, ADeleteLoaderDeletesItsStoredTargetAndReportsNoObjects) {
    LoopbackServer server;
    server.route("DELETE", "/dogs/1", json("{}"));
    auto manager = dogManager(server);
    auto& store = *manager->objectStore();
    auto rex = store.managedObjectContext().insertNewObject(dogClass());
    stored(rex).values = {{"key", 1}, {"name", "Rex"}};
    auto loader = manager->objectLoaderWithResourcePath("/dogs/1", nullptr);
    ObjectLog log;
    record(log);
    loader->setDelegate(&log);
    loader->setTargetObject(rex);
    loader->setMethod(RLRequest::DELETE);
    loader->send();
    ASSERT_TRUE(runUntil([&] { return log.ended(); }));
    EXPECT_EQ(log.events, (Events {"load 200", "objects 0", "received"}));
    auto* managedLoader = dynamic_cast<RLManagedObjectLoader*>(loader.get());
    ASSERT_TRUE(managedLoader && managedLoader->targetObjectID());
    EXPECT_TRUE(rex->isDeleted());
    EXPECT_TRUE(storedNames(*open()).empty());
    // A new target is not known by the old one's ID.
    managedLoader->setTargetObject(nullptr);
    EXPECT_FALSE(managedLoader->targetObjectID());
}

TEST_F(RLManagedObjectLoaderTest, AReloadThatNoLongerListsAnObjectDeletesItThroughTheCache) {
    LoopbackServer server;
    std::atomic<int> served {0};
    server.route("GET", "/dogs", [&](test::HttpRequest const&) {
        return json(++served == 1 ? R"([{"key":1,"name":"Rex"},{"key":2,"name":"Bo"}])"
                                  : R"([{"key":2,"name":"Bo"}])");
    });
    auto manager = dogManager(server);
    DogsCache cache;
    manager->objectStore()->setManagedObjectCache(&cache);
    ObjectLog first;
    loadDogs(*manager, "/dogs", first);
    ASSERT_EQ(first.objects.size(), 2u);
    ObjectLog second;
    loadDogs(*manager, "/dogs", second);
    EXPECT_EQ(second.events, (Events {"load 200", "objects 1", "received"}));
    EXPECT_EQ(storedNames(*manager->objectStore()), (std::vector<std::string> {"Bo"}));
    EXPECT_TRUE(static_cast<RLManagedObject&>(*first.objects[0]).isDeleted());
    EXPECT_EQ(manager->objectStore()->objectsForResourcePath("/dogs")->size(), 1u);
    EXPECT_TRUE(manager->objectStore()->objectsForResourcePath("/cats")->empty());
    manager->objectStore()->setManagedObjectCache(nullptr);
    EXPECT_FALSE(manager->objectStore()->objectsForResourcePath("/dogs"));
}

TEST_F(RLManagedObjectLoaderTest, AFailedSaveOnTheWorkerReachesTheDelegateAsAnErrorOfTheToolkit) {
    LoopbackServer server;
    server.route("GET", "/dogs", json(R"([{"key":1,"name":"Rex"}])"));
    auto manager = dogManager(server);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(manager->objectStore()->pathToStoreFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DROP TABLE \"Dog\"", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    ObjectLog log;
    loadDogs(*manager, "/dogs", log);
    EXPECT_EQ(log.events, (Events {"load 200", "error 1", "failed"}));
    EXPECT_EQ(log.error.domain, RLRestKitErrorDomain);
    EXPECT_NE(log.error.localizedDescription.find("no such table"), std::string::npos);
}

}
