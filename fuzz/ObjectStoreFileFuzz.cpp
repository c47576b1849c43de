// An object store opened on any file: the bytes are written where the store file
// goes, then the store is opened, every object of its classes read, objects found
// by key and a new one saved. A damaged or hostile file gives failures the store's
// delegate is told of, or objects read from what it holds; never a crash. Collection
// properties read only collections of their kind, or nil. A save that went through
// leaves the new object readable by its ID, and another context reads its
// collections and data back as they were. The bytes are also read as a coded
// collection: coding what that gives, then reading and coding it again, gives the
// same bytes.
#include "FuzzSupport.hpp"

#include <toolkit/rest/RLManagedObjectStore.hpp>

#include <base/Exception.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

using namespace toolkit::rest;

namespace {

// A managed model whose values and relationships live in maps.
class Record : public RLManagedObject {
public:
    std::map<std::string, base::Value> values;
    std::map<std::string, std::optional<RLObjectList>> relations;
    std::string className;

    RLObjectClass const& objectClass() const override {
        return *RLObjectClass::classNamed(className);
    }

private:
    friend base::Factory;
    Record() = default;
};

RLProperty plain(std::string name, RLPropertyKind kind) {
    RLProperty described;
    described.name = name;
    described.kind = kind;
    described.get = [name](RLObject const& object) {
        auto const& values = static_cast<Record const&>(object).values;
        auto found = values.find(name);
        return found == values.end() ? base::Value() : found->second;
    };
    described.set = [name](RLObject& object, base::Value const& value) {
        static_cast<Record&>(object).values[name] = value;
    };
    return described;
}

RLProperty related(std::string name, std::string className, RLPropertyKind kind) {
    RLProperty described;
    described.name = name;
    described.kind = kind;
    described.className = std::move(className);
    described.getObjects = [name](RLObject const& object) -> std::optional<RLObjectList> {
        auto const& relations = static_cast<Record const&>(object).relations;
        auto found = relations.find(name);
        return found == relations.end() ? std::nullopt : found->second;
    };
    described.setObjects = [name](RLObject& object, std::optional<RLObjectList> objects) {
        static_cast<Record&>(object).relations[name] = std::move(objects);
    };
    return described;
}

void describe(std::string const& name, std::vector<RLProperty> properties) {
    RLMappings mappings;
    for (auto const& described : properties)
        mappings.emplace_back(described.name, described.name);
    RLObjectClass::registerClass(
        {name, "RLManagedObject", std::move(properties), std::move(mappings), {}, {},
            [name] {
                auto made = base::make<Record>();
                made->className = name;
                return base::Ref<RLObject>(made);
            },
            "key"});
}

// Takes every failure so that none is raised.
class Failures : public RLManagedObjectStoreDelegate {
public:
    bool managedObjectStoreDidFailToCreatePersistentStoreCoordinatorWithError(
        RLManagedObjectStore&, std::string const&) override {
        return true;
    }
    bool managedObjectStoreDidFailToSaveContext(RLManagedObjectStore&, RLManagedObjectContext&,
        std::optional<foundation::URLError> const&, std::exception_ptr) override {
        return true;
    }
};

std::filesystem::path const& folder() {
    static auto const made = [] {
        char pattern[] = "/tmp/object-store-fuzz-XXXXXX";
        char* path = mkdtemp(pattern);
        if (!path)
            std::abort();
        RLManagedObject::managedBaseClass();
        describe("Kennel",
            {plain("key", RLPropertyKind::Number), plain("town", RLPropertyKind::String),
                related("dogs", "Dog", RLPropertyKind::Array)});
        describe("Dog",
            {plain("key", RLPropertyKind::Number), plain("name", RLPropertyKind::String),
                plain("born", RLPropertyKind::Date), plain("weight", RLPropertyKind::Untyped),
                plain("tags", RLPropertyKind::Array), plain("marks", RLPropertyKind::Set),
                plain("notes", RLPropertyKind::Dictionary),
                related("kennel", "Kennel", RLPropertyKind::Object)});
        return std::filesystem::path(path);
    }();
    return made;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto const& directory = folder();
    auto file = directory / "Fuzz.sqlite";
    for (char const* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file.string() + suffix);
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<char const*>(data), std::streamsize(size));
    }

    Failures failures;
    // Without a delegate a file that cannot be opened is an assertion failure; the
    // store tells the delegate instead when it has one, so the store is made with a
    // readable name first and pointed at the delegate before it opens the file.
    base::Ref<RLManagedObjectStore> store;
    try {
        store = RLManagedObjectStore::objectStoreWithStoreFilename(
            "Fuzz.sqlite", directory.string(), std::nullopt, {"Kennel", "Dog"});
    } catch (base::Exception const&) {
        return 0; // the file is not a store: reported as an assertion failure
    }
    store->setDelegate(&failures);
    for (char const* className : {"Kennel", "Dog"}) {
        std::string error;
        auto objects = store->managedObjectContext().executeFetchRequest({className}, &error);
        FUZZ_CHECK(objects || !error.empty());
        if (objects)
            for (auto const& object : *objects) {
                FUZZ_CHECK(&object->objectClass() == RLObjectClass::classNamed(className));
                auto const& values = static_cast<Record&>(*object).values;
                for (char const* name : {"tags", "marks"})
                    if (auto found = values.find(name); found != values.end())
                        FUZZ_CHECK(found->second.isNil() || found->second.isArray());
                if (auto found = values.find("notes"); found != values.end())
                    FUZZ_CHECK(found->second.isNil() || found->second.isDictionary());
            }
    }
    auto const* dogClass = RLObjectClass::classNamed("Dog");
    auto found = store->findOrCreateInstanceOfManagedObject(*dogClass, base::Value(1));
    FUZZ_CHECK(found);
    auto made = store->managedObjectContext().insertNewObject(*dogClass);
    // Coded values are BLOBs, which SQLite keeps as they are whatever type a file's
    // columns declare.
    auto tags = base::Array::create(
        {1, "two", base::Value(base::Bytes {0, 255}), base::Date {3.5}, base::Array::create()});
    auto notes = base::Dictionary::create({{"$data", "AAE="}});
    static_cast<Record&>(*made).values = {{"key", 424242}, {"name", "Fuzz"},
        {"weight", base::Value(base::Bytes {1, 2, 3})}, {"tags", tags}, {"notes", notes}};
    if (!store->save()) {
        FUZZ_CHECK(!made->objectID().isTemporaryID());
        auto again = store->managedObjectContext().objectWithID(made->objectID());
        FUZZ_CHECK(again.get() == made.get());
        auto other = store->newManagedObjectContext();
        if (auto read = other ? other->objectWithID(made->objectID()) : nullptr) {
            auto const& values = static_cast<Record&>(*read).values;
            FUZZ_CHECK(values.at("tags") == base::Value(tags));
            FUZZ_CHECK(values.at("notes") == base::Value(notes));
            FUZZ_CHECK(values.at("weight") == base::Value(base::Bytes {1, 2, 3}));
        }
    }

    auto decoded = RLStoredDecoding(base::Bytes(data, data + size));
    if (!decoded.isNil())
        if (auto coded = RLStoredCoding(decoded)) {
            auto again = RLStoredCoding(RLStoredDecoding(*coded));
            FUZZ_CHECK(again && *again == *coded);
        }
    return 0;
}
