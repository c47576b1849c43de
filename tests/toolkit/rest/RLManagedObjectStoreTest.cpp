#include "ManagedModels.hpp"
#include "RestFixture.hpp"

#include <toolkit/rest/RLManagedObjectStore.hpp>
#include <toolkit/rest/RLObjectManager.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Thread.hpp>

#include <base/Exception.hpp>

#include <support/LogCapture.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <cmath>
#include <map>

using namespace toolkit::rest;
using namespace test::managed;

namespace {

class RLManagedObjectStoreTest : public test::RestTest {
protected:
    RLManagedObjectStoreTest() {
        describeModels();
        store = open();
    }
    ~RLManagedObjectStoreTest() override {
        EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
        RLObjectManager::setSharedManager(nullptr);
    }

    base::Ref<RLManagedObjectStore> open(RLManagedObjectStore::Model model = {"Kennel", "Dog"}) {
        return RLManagedObjectStore::objectStoreWithStoreFilename(
            "Dogs.sqlite", folder.path().string(), std::nullopt, std::move(model));
    }

    base::Ref<RLManagedObject> dog(RLManagedObjectStore& onStore, long long key, std::string name) {
        auto made = onStore.managedObjectContext().insertNewObject(dogClass());
        stored(made).values["key"] = key;
        stored(made).values["name"] = std::move(name);
        return made;
    }

    // Runs body on a worker thread while the main loop runs, until it is done.
    void onWorker(std::function<void()> body) {
        std::atomic<bool> done {false};
        ASSERT_TRUE(foundation::Thread::detach([&] {
            body();
            done = true;
        }));
        ASSERT_TRUE(runUntil([&] { return done.load(); }));
    }

    test::TempDir folder;
    base::Ref<RLManagedObjectStore> store;
};

TEST_F(RLManagedObjectStoreTest, GivesEachThreadItsOwnContextAndTheSameOneOnASecondCall) {
    auto* first = &store->managedObjectContext();
    EXPECT_EQ(&store->managedObjectContext(), first);
    RLManagedObjectContext* workers[2] {};
    onWorker([&] {
        workers[0] = &store->managedObjectContext();
        workers[1] = &store->managedObjectContext();
    });
    EXPECT_NE(workers[0], first);
    EXPECT_EQ(workers[0], workers[1]);
    EXPECT_NE(&open()->managedObjectContext(), first);
}

TEST_F(RLManagedObjectStoreTest, FindOrCreateGivesOneObjectPerKeyOnAThreadAndNilForANilKey) {
    test::LogCapture lines;
    auto seven = store->findOrCreateInstanceOfManagedObject(dogClass(), 7);
    ASSERT_TRUE(seven);
    EXPECT_TRUE(seven->isNew());
    EXPECT_TRUE(lines.contains("Caching all 0 Dog objects to thread local storage"));
    EXPECT_EQ(store->findOrCreateInstanceOfManagedObject(dogClass(), 7), seven);
    EXPECT_NE(store->findOrCreateInstanceOfManagedObject(dogClass(), 8), seven);
    EXPECT_NE(store->findOrCreateInstanceOfManagedObject(dogClass(), "7"), seven);
    EXPECT_FALSE(store->findOrCreateInstanceOfManagedObject(dogClass(), base::Value()));
    EXPECT_FALSE(store->findOrCreateInstanceOfManagedObject(RLObject::baseClass(), 7));
}

TEST_F(RLManagedObjectStoreTest, AnotherThreadFillsItsCacheFromTheTableAndFromItsOwnInserts) {
    auto saved = dog(*store, 3, "Rex");
    ASSERT_FALSE(store->save());
    onWorker([&] {
        test::LogCapture lines;
        auto found = store->findOrCreateInstanceOfManagedObject(dogClass(), 3);
        EXPECT_TRUE(lines.contains("Caching all 1 Dog objects to thread local storage"));
        ASSERT_TRUE(found);
        EXPECT_NE(found, saved);
        EXPECT_FALSE(found->isNew());
        EXPECT_EQ(stored(found).value("name"), "Rex");
        // An object inserted on this thread joins its cache once changes are processed.
        auto inserted = dog(*store, 4, "Bo");
        store->managedObjectContext().processPendingChanges();
        EXPECT_EQ(store->findOrCreateInstanceOfManagedObject(dogClass(), 4), inserted);
    });
}

TEST_F(RLManagedObjectStoreTest, APrimaryKeyGivenAsTextFindsTheNumber) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    manager->setObjectStore(store);
    RLObjectManager::setSharedManager(manager);
    dog(*store, 12, "Twelve");
    dog(*store, 120, "Hundred and twenty");
    ASSERT_FALSE(store->save());
    struct Case {
        base::Value key;
        char const* name;
    };
    for (auto const& [key, name] : {Case {"12", "Twelve"}, Case {12, "Twelve"},
             Case {"120", "Hundred and twenty"}, Case {"13", nullptr}}) {
        auto found = RLManagedObject::objectWithPrimaryKeyValue(dogClass(), key);
        if (!name) {
            EXPECT_FALSE(found);
            continue;
        }
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(stored(found).value("name"), name);
        EXPECT_EQ(
            found->primaryKeyValue().longLongValue(), stored(found).value("key").longLongValue());
    }
    EXPECT_EQ(RLManagedObject::count(dogClass()), 2u);
    EXPECT_EQ(RLManagedObject::allObjects(dogClass())->size(), 2u);
    EXPECT_EQ(RLManagedObject::primaryKeyElement(dogClass()), "key");
}

TEST_F(RLManagedObjectStoreTest, ASecondStoreOnTheFileOpensTheSavedObjects) {
    auto kennel = store->managedObjectContext().insertNewObject(kennelClass());
    stored(kennel).values = {{"key", 1}, {"town", "Leeds"}};
    auto rex = dog(*store, 5, "Rex");
    stored(rex).values["born"] = base::Date {1000.5};
    stored(rex).values["weight"] = 12.25;
    stored(rex).relations["kennel"] = RLObjectList {kennel};
    ASSERT_FALSE(store->save());
    EXPECT_FALSE(rex->isNew());
    EXPECT_FALSE(rex->objectID().isTemporaryID());

    auto reopened = open();
    auto again = reopened->objectWithID(rex->objectID());
    ASSERT_TRUE(again);
    EXPECT_EQ(stored(again).value("name"), "Rex");
    EXPECT_EQ(stored(again).value("key").longLongValue(), 5);
    ASSERT_TRUE(stored(again).value("born").date());
    EXPECT_EQ(stored(again).value("born").date()->seconds, 1000.5);
    EXPECT_EQ(stored(again).value("weight").doubleValue(), 12.25);
    auto related = stored(again).relations["kennel"];
    ASSERT_TRUE(related && related->size() == 1);
    EXPECT_EQ(stored(related->front()).value("town"), "Leeds");
    EXPECT_EQ(reopened->objectsWithIDs({kennel->objectID(), rex->objectID()}).size(), 2u);
}

TEST_F(RLManagedObjectStoreTest, AToManyKeepsItsMembersInOrderAndTellsEmptyFromNil) {
    auto rex = dog(*store, 1, "Rex");
    ASSERT_FALSE(store->save());
    // Saved together with the kennel: it has no row yet when the kennel's row is written.
    auto ada = dog(*store, 2, "Ada");
    auto gone = dog(*store, 3, "Gone");
    auto full = store->managedObjectContext().insertNewObject(kennelClass());
    stored(full).values = {{"key", 1}};
    stored(full).relations["dogs"] = RLObjectList {ada, rex, gone};
    // Each side holds the other; the objects still go with the store (the leak
    // checker of the sanitizer build sees it).
    stored(ada).relations["kennel"] = RLObjectList {full};
    auto empty = store->managedObjectContext().insertNewObject(kennelClass());
    stored(empty).values = {{"key", 2}};
    stored(empty).relations["dogs"] = RLObjectList {};
    auto none = store->managedObjectContext().insertNewObject(kennelClass());
    stored(none).values = {{"key", 3}};
    ASSERT_FALSE(store->save());
    store->managedObjectContext().deleteObject(*gone);
    ASSERT_FALSE(store->save());

    auto reopened = open();
    auto dogs = [&](base::Ref<RLManagedObject> const& kennel) {
        auto again = reopened->objectWithID(kennel->objectID());
        EXPECT_TRUE(again);
        return again ? stored(again).relations["dogs"] : std::nullopt;
    };
    auto members = dogs(full);
    ASSERT_TRUE(members);
    ASSERT_EQ(members->size(), 2u);
    EXPECT_EQ(stored((*members)[0]).value("name"), "Ada");
    EXPECT_EQ(stored((*members)[1]).value("name"), "Rex");
    auto emptied = dogs(empty);
    ASSERT_TRUE(emptied);
    EXPECT_TRUE(emptied->empty());
    EXPECT_FALSE(dogs(none));
}

TEST_F(RLManagedObjectStoreTest, AToManyReadFromADamagedListKeepsTheRowsItCanFind) {
    auto rex = dog(*store, 1, "Rex");
    auto kennel = store->managedObjectContext().insertNewObject(kennelClass());
    stored(kennel).values = {{"key", 1}};
    stored(kennel).relations["dogs"] = RLObjectList {rex};
    ASSERT_FALSE(store->save());
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open(store->pathToStoreFile().c_str(), &connection), SQLITE_OK);
    auto sql = "UPDATE Kennel SET dogs = 'x  " + std::to_string(rex->objectID().rowID)
        + " 99999999999999999999999 -4 77'";
    EXPECT_EQ(sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(connection);

    auto reopened = open();
    auto again = reopened->objectWithID(kennel->objectID());
    ASSERT_TRUE(again);
    auto members = stored(again).relations["dogs"];
    ASSERT_TRUE(members);
    ASSERT_EQ(members->size(), 1u);
    EXPECT_EQ(stored(members->front()).value("name"), "Rex");
}

TEST_F(RLManagedObjectStoreTest, MappingLinksAToOneToTheStoredObjectWithTheKeyItHolds) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    manager->setObjectStore(store);
    RLObjectManager::setSharedManager(manager);
    auto leeds = store->managedObjectContext().insertNewObject(kennelClass());
    stored(leeds).values = {{"key", 7}, {"town", "Leeds"}};
    ASSERT_FALSE(store->save());

    auto mapped = manager->mapper().mapFromString(
        R"([{"key":1,"name":"Rex","kennelKey":7},{"key":2,"name":"Bo","kennelKey":"8"},)"
        R"({"key":3,"name":"Ada","kennelKey":8},{"key":4,"name":"Cy"}])",
        &dogClass());
    auto const* dogs = std::get_if<RLObjectList>(&mapped);
    ASSERT_TRUE(dogs && dogs->size() == 4);
    auto kennelOf = [&](std::size_t index) -> base::Ref<RLObject> {
        auto related = stored((*dogs)[index]).relations["kennel"];
        return related && related->size() == 1 ? related->front() : nullptr;
    };
    EXPECT_EQ(kennelOf(0), base::Ref<RLObject>(leeds));
    // One kennel made for key 8, holding its key, shared by both dogs.
    ASSERT_TRUE(kennelOf(1));
    EXPECT_EQ(kennelOf(2), kennelOf(1));
    EXPECT_EQ(stored(kennelOf(1)).value("key").longLongValue(), 8);
    EXPECT_FALSE(kennelOf(3));
    ASSERT_FALSE(store->save());

    // Another thread's load finds both kennels by key instead of making more.
    onWorker([&] {
        auto again = manager->mapper().mapFromString(
            R"([{"key":5,"name":"Di","kennelKey":8}])", &dogClass());
        auto const* list = std::get_if<RLObjectList>(&again);
        ASSERT_TRUE(list && list->size() == 1);
        EXPECT_FALSE(
            static_cast<RLManagedObject&>(*stored(list->front()).relations["kennel"]->front())
                .isNew());
        EXPECT_FALSE(store->save());
    });
    EXPECT_EQ(RLManagedObject::count(kennelClass()), 2u);
}

TEST_F(RLManagedObjectStoreTest, ALinkWhoseKeyCannotBeReadIsLoggedAndLinksNothing) {
    auto manager = RLObjectManager::objectManagerWithBaseURL("http://127.0.0.1:9");
    manager->setObjectStore(store);
    RLObjectManager::setSharedManager(manager);
    describe("Cat", {property("key", RLPropertyKind::Number), toOne("home", "Kennel")},
        {{"home", "missing"}, {"nowhere", "key"}});
    test::LogCapture lines;
    auto mapped = manager->mapper().mapFromString(R"({"key":1})", RLObjectClass::classNamed("Cat"));
    auto const* cat = std::get_if<base::Ref<RLObject>>(&mapped);
    ASSERT_TRUE(cat && *cat);
    EXPECT_TRUE(lines.contains("Caught exception:"));
    EXPECT_TRUE(lines.contains("when trying valueForKeyPath with path:missing for object:"));
    EXPECT_FALSE(stored(*cat).relations["home"]);
    EXPECT_EQ(RLManagedObject::count(kennelClass()), 0u);
}

// A class with a collection or plain property of each kind, for the tests of stored
// collections and data.
RLObjectClass const& describeBag() {
    describe("Bag",
        {property("key", RLPropertyKind::Number), property("list", RLPropertyKind::Array),
            property("set", RLPropertyKind::Set), property("notes", RLPropertyKind::Dictionary),
            property("any", RLPropertyKind::Untyped)});
    return *RLObjectClass::classNamed("Bag");
}

TEST_F(RLManagedObjectStoreTest, CollectionsAndDataComeBackAsTheyWereSaved) {
    auto const& bagClass = describeBag();
    store = open({"Bag"});
    auto bytes = base::Value(base::Bytes {0, 255, '"', 10});
    auto dictionary = [](std::vector<base::Dictionary::Entry> entries) {
        return base::Value(base::Dictionary::create(std::move(entries)));
    };
    auto array = [](std::vector<base::Value> members) {
        return base::Value(base::Array::create(std::move(members)));
    };
    struct Case {
        char const* property;
        base::Value saved;
        base::Value read;
    };
    auto mixed = array({1, 2.5, "three", true, base::Value::nullObject(),
        dictionary({{"when", base::Date {12.5}}, {"raw", bytes}}), array({})});
    std::vector<Case> cases {
        {"list", mixed, mixed},
        {"list", array({}), array({})},
        {"set", array({"a", "b"}), array({"a", "b"})},
        {"list", array({std::nan(""), HUGE_VAL, base::Date {HUGE_VAL}}),
            array(
                {base::Value::nullObject(), base::Value::nullObject(), base::Value::nullObject()})},
        // Dictionaries that look like the coding's own tags stay dictionaries.
        {"notes", dictionary({{"$data", "AAEC"}}), dictionary({{"$data", "AAEC"}})},
        {"notes", dictionary({{"$date", 3}}), dictionary({{"$date", 3}})},
        {"notes", dictionary({{"$dictionary", dictionary({{"$data", "x"}})}}),
            dictionary({{"$dictionary", dictionary({{"$data", "x"}})}})},
        {"notes", dictionary({}), dictionary({})},
        {"any", bytes, bytes},
        {"any", base::Value(base::Bytes {}), base::Value(base::Bytes {})},
        {"any", mixed, mixed},
        // Text that reads as JSON stays text.
        {"any", "[1]", "[1]"},
    };
    std::vector<base::Ref<RLManagedObject>> bags;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto bag = store->managedObjectContext().insertNewObject(bagClass);
        stored(bag).values = {{"key", int(i)}, {cases[i].property, cases[i].saved}};
        bags.push_back(bag);
    }
    ASSERT_FALSE(store->save());
    EXPECT_FALSE(store->managedObjectContext().hasChanges());

    auto reopened = open({"Bag"});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(foundation::format("case %d: %@", int(i), cases[i].saved));
        auto again = reopened->objectWithID(bags[i]->objectID());
        ASSERT_TRUE(again);
        auto value = stored(again).value(cases[i].property);
        EXPECT_EQ(value.kind(), cases[i].read.kind());
        EXPECT_EQ(value, cases[i].read);
        EXPECT_FALSE(again->hasChanges());
    }
    // A change inside a collection is a change of the object.
    stored(reopened->objectWithID(bags[0]->objectID())).values["list"].array()->add("four");
    EXPECT_TRUE(reopened->managedObjectContext().hasChanges());
}

TEST_F(RLManagedObjectStoreTest, CollectionsReadFromADamagedFileAreNilOrPlain) {
    auto const& bagClass = describeBag();
    store = open({"Bag"});
    auto bag = store->managedObjectContext().insertNewObject(bagClass);
    stored(bag).values = {{"key", 1}};
    ASSERT_FALSE(store->save());
    std::string deep(2000, '[');
    struct Case {
        std::string blob;
        base::Value read;
    };
    std::vector<Case> cases {
        {"\xff\x00garbage", {}},
        {"[1,2]", {}},
        {"[]", {}},
        {"{\"a\":1}", {}},
        {"[null]", {}},
        {deep, {}},
        {R"([{"$data":"not base64!"}])", base::Dictionary::create({{"$data", "not base64!"}})},
        {R"([{"$date":"soon"}])", base::Dictionary::create({{"$date", "soon"}})},
        {R"([{"$dictionary":7}])", base::Dictionary::create({{"$dictionary", 7}})},
        {R"([{"$data":"AAE="}])", base::Value(base::Bytes {0, 1})},
        {R"(["plain"])", "plain"},
        {R"([[1,{"$date":2}]])", base::Array::create({1, base::Date {2}})},
    };
    for (auto const& row : cases) {
        SCOPED_TRACE(row.blob.substr(0, 40));
        sqlite3* connection = nullptr;
        ASSERT_EQ(sqlite3_open(store->pathToStoreFile().c_str(), &connection), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(
                      connection, "UPDATE Bag SET \"any\" = ?, list = ?", -1, &statement, nullptr),
            SQLITE_OK);
        for (int column : {1, 2})
            sqlite3_bind_blob(
                statement, column, row.blob.data(), int(row.blob.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
        sqlite3_finalize(statement);
        sqlite3_close(connection);

        auto reopened = open({"Bag"});
        auto again = reopened->objectWithID(bag->objectID());
        ASSERT_TRUE(again);
        EXPECT_EQ(stored(again).value("any"), row.read);
        // A list property holds a list or nothing.
        EXPECT_EQ(stored(again).value("list"), row.read.isArray() ? row.read : base::Value());
    }
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open(store->pathToStoreFile().c_str(), &connection), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(connection, "UPDATE Bag SET list = '[[1]]', notes = 7", nullptr, nullptr,
                  nullptr),
        SQLITE_OK);
    sqlite3_close(connection);
    auto reopened = open({"Bag"});
    auto again = reopened->objectWithID(bag->objectID());
    ASSERT_TRUE(again);
    EXPECT_TRUE(stored(again).value("list").isNil());
    EXPECT_TRUE(stored(again).value("notes").isNil());
    EXPECT_FALSE(again->hasChanges());
}

TEST_F(RLManagedObjectStoreTest, TriggersAFileBringsAlongDoNotRunOnASave) {
    auto kennel = store->managedObjectContext().insertNewObject(kennelClass());
    stored(kennel).values = {{"key", 1}, {"town", "Leeds"}};
    ASSERT_FALSE(store->save());
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open(store->pathToStoreFile().c_str(), &connection), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(connection,
                  "CREATE TRIGGER wipe AFTER INSERT ON Dog BEGIN DELETE FROM Kennel; END", nullptr,
                  nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(connection);

    auto reopened = open();
    reopened->managedObjectContext().insertNewObject(dogClass());
    ASSERT_FALSE(reopened->save());
    EXPECT_TRUE(open()->objectWithID(kennel->objectID()));
}

TEST_F(RLManagedObjectStoreTest, AStoreMadeByAnOlderModelOpensWithTheNewColumns) {
    describe("Cat", {property("key", RLPropertyKind::Number)});
    auto older = open({"Cat"});
    auto tom = older->managedObjectContext().insertNewObject(*RLObjectClass::classNamed("Cat"));
    stored(tom).values["key"] = 1;
    ASSERT_FALSE(older->save());

    describe("Cat",
        {property("key", RLPropertyKind::Number), property("colour", RLPropertyKind::String)});
    auto newer = open({"Cat"});
    auto again = newer->objectWithID(tom->objectID());
    ASSERT_TRUE(again);
    EXPECT_TRUE(stored(again).value("colour").isNull());
    stored(again).values["colour"] = "ginger";
    ASSERT_FALSE(newer->save());
    EXPECT_EQ(stored(open({"Cat"})->objectWithID(tom->objectID())).value("colour"), "ginger");
}

class SaveFailures : public RLManagedObjectStoreDelegate {
public:
    bool managedObjectStoreDidFailToSaveContext(RLManagedObjectStore&, RLManagedObjectContext&,
        std::optional<foundation::URLError> const& error, std::exception_ptr) override {
        errors.push_back(error ? error->localizedDescription : "none");
        return true;
    }
    std::vector<std::string> errors;
};

TEST_F(RLManagedObjectStoreTest, AFailingSavePostsItsErrorTellsTheDelegateAndKeepsTheChanges) {
    SaveFailures delegate;
    store->setDelegate(&delegate);
    auto rex = dog(*store, 5, "Rex");
    // Another program removes the table under the store.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(store->pathToStoreFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "DROP TABLE \"Dog\"", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    std::vector<base::Value> posted;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        RLManagedObjectStoreDidFailSaveNotification,
        [&](foundation::Notification const& notification) {
            EXPECT_EQ(notification.object(), store.get());
            posted.push_back(notification.userInfo());
        });
    auto error = store->save();
    ASSERT_TRUE(error);
    EXPECT_NE(error->localizedDescription.find("no such table"), std::string::npos);
    ASSERT_EQ(posted.size(), 1u);
    ASSERT_TRUE(posted[0].dictionary());
    EXPECT_TRUE(posted[0].dictionary()->objectForKey("error").dictionary());
    EXPECT_EQ(delegate.errors, std::vector<std::string> {error->localizedDescription});
    EXPECT_TRUE(rex->isNew());
    EXPECT_TRUE(rex->objectID().isTemporaryID());
    EXPECT_TRUE(store->managedObjectContext().hasChanges());
}

TEST_F(RLManagedObjectStoreTest, TwoWorkersSavingAtOnceAreBothSeenByTheMainContext) {
    auto kept = dog(*store, 1, "Kept");
    auto refreshed = dog(*store, 2, "Old name");
    ASSERT_FALSE(store->save());
    // An unsaved change on the main thread wins over a worker's saved one.
    stored(kept).values["name"] = "Main's name";

    std::atomic<int> done {0};
    for (int worker = 0; worker < 2; ++worker) {
        ASSERT_TRUE(foundation::Thread::detach([&, worker] {
            for (int i = 0; i < 5; ++i)
                dog(*store, 100 * (worker + 1) + i, "worker");
            for (auto key : {1, 2}) {
                auto found = store->findOrCreateInstanceOfManagedObject(dogClass(), key);
                stored(found).values["name"] = "Worker " + std::to_string(worker);
            }
            EXPECT_FALSE(store->save());
            ++done;
        }));
    }
    ASSERT_TRUE(runUntil([&] { return done == 2; }));
    std::string error;
    auto all = store->managedObjectContext().executeFetchRequest({"Dog"}, &error);
    ASSERT_TRUE(all) << error;
    EXPECT_EQ(all->size(), 12u);
    EXPECT_EQ(stored(kept).value("name"), "Main's name");
    EXPECT_EQ(stored(refreshed).value("name").string()->rfind("Worker ", 0), 0u);
}

TEST_F(RLManagedObjectStoreTest, ADeleteSavedOnAWorkerRemovesTheObjectFromTheMainContext) {
    auto rex = dog(*store, 5, "Rex");
    ASSERT_FALSE(store->save());
    auto objectID = rex->objectID();
    onWorker([&] {
        auto mine = store->objectWithID(objectID);
        ASSERT_TRUE(mine);
        store->managedObjectContext().deleteObject(*mine);
        EXPECT_FALSE(store->save());
    });
    EXPECT_TRUE(rex->isDeleted());
    EXPECT_FALSE(store->objectWithID(objectID));
    EXPECT_FALSE(open()->objectWithID(objectID));
}

TEST_F(RLManagedObjectStoreTest, DeletingThePersistentStoreStartsAnEmptyOne) {
    dog(*store, 5, "Rex");
    ASSERT_FALSE(store->save());
    store->deletePersistantStore();
    std::string error;
    auto all = store->managedObjectContext().executeFetchRequest({"Dog"}, &error);
    ASSERT_TRUE(all) << error;
    EXPECT_TRUE(all->empty());
}

TEST_F(RLManagedObjectStoreTest, SetUpFailuresAreAssertionsWithoutADelegate) {
    auto missing = (folder / "missing").string();
    try {
        RLManagedObjectStore::objectStoreWithStoreFilename(
            "x.sqlite", missing, std::nullopt, {"Dog"});
        ADD_FAILURE() << "no failure";
    } catch (base::Exception const& failure) {
        EXPECT_EQ(failure.reason(), "Specified storage directory exists");
    }
    std::filesystem::create_directory(folder / "taken.sqlite");
    try {
        RLManagedObjectStore::objectStoreWithStoreFilename(
            "taken.sqlite", folder.path().string(), std::nullopt, {"Dog"});
        ADD_FAILURE() << "no failure";
    } catch (base::Exception const& failure) {
        EXPECT_EQ(failure.reason().rfind(
                      "Managed object store failed to create persistent store coordinator: ", 0),
            0u);
    }
}

}

namespace {

class RaisedFailures : public RLManagedObjectStoreDelegate {
public:
    bool managedObjectStoreDidFailToSaveContext(RLManagedObjectStore&, RLManagedObjectContext&,
        std::optional<foundation::URLError> const& error, std::exception_ptr failure) override {
        told += (error ? "error " : "") + std::string(failure ? "failure" : "");
        return answers;
    }
    bool answers {true};
    std::string told;
};

TEST_F(RLManagedObjectStoreTest, AFailureRaisedWhileSavingGoesToTheDelegateOrOnAndWritesNothing) {
    auto mood = property("mood", RLPropertyKind::String);
    mood.get = [](RLObject const& object) -> base::Value {
        auto value = static_cast<Stored const&>(object).value("mood");
        if (value.string() && *value.string() == "explode")
            throw base::Exception(base::InvalidArgumentException, "The model refused.");
        return value;
    };
    describe("Grumpy", {property("key", RLPropertyKind::Number), mood});
    auto grumpyStore = open({"Grumpy"});
    auto const& grumpyClass = *RLObjectClass::classNamed("Grumpy");
    RaisedFailures delegate;
    grumpyStore->setDelegate(&delegate);
    auto grumpy = grumpyStore->managedObjectContext().insertNewObject(grumpyClass);
    stored(grumpy).values = {{"key", 1}, {"mood", "explode"}};

    EXPECT_FALSE(grumpyStore->save());
    EXPECT_EQ(delegate.told, "failure");
    delegate.answers = false;
    EXPECT_THROW(grumpyStore->save(), base::Exception);

    // The transaction was undone, so a later save goes through.
    stored(grumpy).values["mood"] = "calm";
    EXPECT_FALSE(grumpyStore->save());
    EXPECT_FALSE(grumpy->isNew());
    EXPECT_EQ(stored(open({"Grumpy"})->objectWithID(grumpy->objectID())).value("mood"), "calm");
}

}
