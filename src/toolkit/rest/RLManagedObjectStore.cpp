#include <toolkit/rest/RLManagedObjectStore.hpp>

#include <toolkit/rest/RLError.hpp>
#include <toolkit/rest/RLManagedObjectLoader.hpp>
#include <toolkit/rest/RLRequest.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>

#include <base/Exception.hpp>
#include <base/Verify.hpp>

#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace toolkit::rest {

namespace {

// What one thread keeps for one store: its context and its primary-key caches by
// class name (primary-key cache key -> object).
struct ThreadState {
    base::Ref<RLManagedObjectContext> context;
    std::map<std::string, std::map<std::string, base::Ref<RLManagedObject>>, std::less<>> caches;
};

// The calling thread's state of each store, by the store's identifier (never
// reused, so a store made where an old one was does not find its state). Goes with
// the thread, closing its connections.
std::map<std::uint64_t, ThreadState>& threadStates() {
    thread_local std::map<std::uint64_t, ThreadState> states;
    return states;
}

std::atomic<std::uint64_t> nextIdentifier {1};

[[noreturn]] void assertionFailure(std::string description) {
    throw base::Exception(base::InternalInconsistencyException, std::move(description));
}

// Makes the table of each managed class and adds the columns an older file lacks.
bool prepareTables(
    sqlite3* connection, RLManagedObjectStore::Model const& model, std::string* error) {
    auto run = [&](std::string const& sql) {
        char* message = nullptr;
        if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
            return true;
        *error = message ? message : sqlite3_errmsg(connection);
        sqlite3_free(message);
        return false;
    };
    for (auto const& className : model) {
        auto const* objectClass = RLObjectClass::classNamed(className);
        if (!objectClass) {
            *error = foundation::format("The model names the unknown class %@", className);
            return false;
        }
        if (!run("CREATE TABLE IF NOT EXISTS " + RLQuotedSQLName(className)
                + " (Z_PK INTEGER PRIMARY KEY AUTOINCREMENT)"))
            return false;
        std::set<std::string> present;
        sqlite3_stmt* info = nullptr;
        if (sqlite3_prepare_v2(connection,
                ("PRAGMA table_info(" + RLQuotedSQLName(className) + ")").c_str(), -1, &info,
                nullptr)
            != SQLITE_OK) {
            *error = sqlite3_errmsg(connection);
            return false;
        }
        while (sqlite3_step(info) == SQLITE_ROW)
            present.insert(reinterpret_cast<char const*>(sqlite3_column_text(info, 1)));
        sqlite3_finalize(info);
        for (auto const& column : RLStoredColumnsOfClass(*objectClass)) {
            if (present.contains(column.property->name))
                continue;
            if (!run("ALTER TABLE " + RLQuotedSQLName(className) + " ADD COLUMN "
                    + RLQuotedSQLName(column.property->name)))
                return false;
        }
    }
    return true;
}

}

base::Ref<RLManagedObjectStore> RLManagedObjectStore::objectStoreWithStoreFilename(
    std::string storeFilename) {
    return objectStoreWithStoreFilename(std::move(storeFilename), {}, std::nullopt, {});
}

base::Ref<RLManagedObjectStore> RLManagedObjectStore::objectStoreWithStoreFilename(
    std::string storeFilename, std::string const& directory,
    std::optional<std::string> seedDatabaseName, Model managedObjectModel) {
    auto store = base::make<RLManagedObjectStore>(
        std::move(storeFilename), directory, std::move(managedObjectModel));
    if (seedDatabaseName)
        store->createStoreIfNecessaryUsingSeedDatabase(*seedDatabaseName);
    store->createPersistentStoreCoordinator();
    return store;
}

RLManagedObjectStore::RLManagedObjectStore(
    std::string storeFilename, std::string directory, Model model)
    : identifier_(nextIdentifier++)
    , storeFilename_(std::move(storeFilename)) {
    if (!directory.empty()) {
        std::error_code failure;
        if (!std::filesystem::is_directory(directory, failure))
            assertionFailure("Specified storage directory exists");
    } else {
        directory = applicationDocumentsDirectory();
    }
    pathToStoreFile_ = (std::filesystem::path(directory) / storeFilename_).string();
    RLManagedObject::managedBaseClass();
    // A manager that keeps this store loads through the managed-object loader.
    if (!RLObjectLoader::loaderClassNamed("RLManagedObjectLoader"))
        RLManagedObjectLoader::registerLoaderClass();
    if (model.empty()) {
        RLObjectClass::forEachClass([&](RLObjectClass const& objectClass) {
            if (objectClass.name != "RLManagedObject" && objectClass.isKindOf("RLManagedObject"))
                model.push_back(objectClass.name);
        });
    }
    managedObjectModel_ = std::move(model);
}

RLManagedObjectStore::~RLManagedObjectStore() {
    threadStates().erase(identifier_);
}

std::string RLManagedObjectStore::applicationDocumentsDirectory() {
    return foundation::Sandbox::documentsPath();
}

void RLManagedObjectStore::createStoreIfNecessaryUsingSeedDatabase(
    std::string const& seedDatabaseName) {
    std::error_code failure;
    if (std::filesystem::exists(pathToStoreFile_, failure))
        return;
    auto seedPath = foundation::Bundle::mainBundle().pathForResource(seedDatabaseName, "");
    if (!seedPath)
        assertionFailure(foundation::format(
            "Unable to find seed database file '%@' in the Main Bundle, aborting...",
            seedDatabaseName));
    foundation::log("No existing database found, copying from seed path '%@'", *seedPath);
    if (std::filesystem::copy_file(*seedPath, pathToStoreFile_, failure))
        return;
    auto description = failure.message();
    if (!delegate_
        || !delegate_->managedObjectStoreDidFailToCopySeedDatabase(
            *this, seedDatabaseName, description))
        foundation::log("Encountered an error during seed database copy: %@", description);
}

bool RLManagedObjectStore::createPersistentStoreCoordinator() {
    std::string error;
    auto context = RLManagedObjectContext::contextWithStoreFile(pathToStoreFile_, &error);
    if (context && prepareTables(context->connection(), managedObjectModel_, &error)) {
        hasCoordinator_ = true;
        return true;
    }
    hasCoordinator_ = false;
    if (!delegate_
        || !delegate_->managedObjectStoreDidFailToCreatePersistentStoreCoordinatorWithError(
            *this, error))
        assertionFailure(foundation::format(
            "Managed object store failed to create persistent store coordinator: %@", error));
    return false;
}

void RLManagedObjectStore::deletePersistantStoreUsingSeedDatabaseName(
    std::optional<std::string> seedDatabaseName) {
    threadStates().erase(identifier_);
    hasCoordinator_ = false;
    std::error_code failure;
    std::filesystem::remove(pathToStoreFile_, failure);
    if (failure) {
        if (!delegate_
            || !delegate_->managedObjectStoreDidFailToDeletePersistentStore(
                *this, pathToStoreFile_, failure.message()))
            assertionFailure(foundation::format(
                "Managed object store failed to delete persistent store : %@", failure.message()));
    }
    // The write-ahead log and its index belong to the file that went.
    std::filesystem::remove(pathToStoreFile_ + "-wal", failure);
    std::filesystem::remove(pathToStoreFile_ + "-shm", failure);
    if (seedDatabaseName)
        createStoreIfNecessaryUsingSeedDatabase(*seedDatabaseName);
    createPersistentStoreCoordinator();
}

RLManagedObjectContext& RLManagedObjectStore::managedObjectContext() {
    auto& state = threadStates()[identifier_];
    if (!state.context) {
        state.context = newManagedObjectContext();
        VERIFY(state.context);
        state.context->didSave = [this](RLSaveChanges const& changes) { mergeChanges(changes); };
    }
    return *state.context;
}

base::Ref<RLManagedObjectContext> RLManagedObjectStore::newManagedObjectContext() {
    std::string error;
    auto context = RLManagedObjectContext::contextWithStoreFile(pathToStoreFile_, &error);
    if (!context) {
        foundation::log("Unable to open the store file %@: %@", pathToStoreFile_, error);
        return nullptr;
    }
    context->objectsDidChange
        = [this](RLObjectList const& inserted) { objectsDidChange(inserted); };
    return context;
}

void RLManagedObjectStore::mergeChanges(RLSaveChanges const& changes) {
    if (foundation::Thread::isMainThread())
        return;
    foundation::performOnMainThread([&] { mergeChangesOnMainThread(changes); }, true);
}

void RLManagedObjectStore::mergeChangesOnMainThread(RLSaveChanges const& changes) {
    VERIFY(foundation::Thread::isMainThread());
    managedObjectContext().mergeChangesFromSave(changes);
}

void RLManagedObjectStore::objectsDidChange(RLObjectList const& insertedObjects) {
    auto& caches = threadStates()[identifier_].caches;
    for (auto const& object : insertedObjects) {
        auto* managed = dynamic_cast<RLManagedObject*>(object.get());
        if (!managed)
            continue;
        auto cache = caches.find(managed->objectClass().name);
        if (cache == caches.end())
            continue;
        auto key = RLPrimaryKeyCacheKey(managed->primaryKeyValue());
        if (key && !cache->second.contains(*key))
            cache->second.emplace(*key, base::Ref<RLManagedObject>(managed));
    }
}

std::optional<foundation::URLError> RLManagedObjectStore::save() {
    auto& context = managedObjectContext();
    std::optional<foundation::URLError> error;
    try {
        error = context.save();
    } catch (...) {
        if (delegate_
            && delegate_->managedObjectStoreDidFailToSaveContext(
                *this, context, std::nullopt, std::current_exception()))
            return std::nullopt;
        throw;
    }
    if (!error)
        return std::nullopt;
    if (delegate_)
        delegate_->managedObjectStoreDidFailToSaveContext(*this, context, error, nullptr);
    auto userInfo = base::Dictionary::create();
    userInfo->setObject("error", RLErrorUserInfo(*error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLManagedObjectStoreDidFailSaveNotification, this, base::Value(userInfo));
    return error;
}

base::Ref<RLManagedObject> RLManagedObjectStore::objectWithID(RLManagedObjectID const& objectID) {
    return managedObjectContext().objectWithID(objectID);
}

RLObjectList RLManagedObjectStore::objectsWithIDs(std::vector<RLManagedObjectID> const& objectIDs) {
    RLObjectList objects;
    for (auto const& objectID : objectIDs)
        if (auto object = objectWithID(objectID))
            objects.push_back(object);
    return objects;
}

base::Ref<RLManagedObject> RLManagedObjectStore::findOrCreateInstanceOfManagedObject(
    RLObjectClass const& objectClass, base::Value const& primaryKeyValue) {
    if (!objectClass.isKindOf("RLManagedObject") || objectClass.name == "RLManagedObject")
        return nullptr;
    auto& context = managedObjectContext();
    auto& caches = threadStates()[identifier_].caches;
    auto cache = caches.find(objectClass.name);
    if (cache == caches.end()) {
        std::string error;
        auto all = context.executeFetchRequest(RLFetchRequest {objectClass.name}, &error);
        cache
            = caches.emplace(objectClass.name, std::map<std::string, base::Ref<RLManagedObject>> {})
                  .first;
        if (all) {
            foundation::log("Caching all %d %@ objects to thread local storage", int(all->size()),
                objectClass.name);
            for (auto const& object : *all) {
                auto* managed = dynamic_cast<RLManagedObject*>(object.get());
                if (auto key = RLPrimaryKeyCacheKey(managed->primaryKeyValue()))
                    cache->second.emplace(*key, base::Ref<RLManagedObject>(managed));
            }
        } else {
            foundation::log("Error: %@", error);
        }
    }
    auto key = RLPrimaryKeyCacheKey(primaryKeyValue);
    if (!key)
        return nullptr;
    auto found = cache->second.find(*key);
    if (found != cache->second.end() && !found->second->isDeleted())
        return found->second;
    auto object = context.insertNewObject(objectClass);
    cache->second.insert_or_assign(*key, object);
    return object;
}

std::optional<RLObjectList> RLManagedObjectStore::objectsForResourcePath(
    std::string const& resourcePath) {
    if (!managedObjectCache_)
        return std::nullopt;
    return RLManagedObject::objectsWithFetchRequests(
        managedObjectCache_->fetchRequestsForResourcePath(resourcePath));
}

}
