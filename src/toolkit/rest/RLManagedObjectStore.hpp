#pragma once

#include <toolkit/rest/RLManagedObject.hpp>
#include <toolkit/rest/RLManagedObjectContext.hpp>

#include <foundation/URLError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace toolkit::rest {

class RLManagedObjectStore;

// Told of the store's failures; each operation is optional.
class RLManagedObjectStoreDelegate {
public:
    virtual ~RLManagedObjectStoreDelegate() = default;
    // Each answers whether the delegate took the failure (false: not implemented).
    virtual bool managedObjectStoreDidFailToCreatePersistentStoreCoordinatorWithError(
        RLManagedObjectStore&, std::string const& /*error*/) {
        return false;
    }
    virtual bool managedObjectStoreDidFailToDeletePersistentStore(
        RLManagedObjectStore&, std::string const& /*path*/, std::string const& /*error*/) {
        return false;
    }
    virtual bool managedObjectStoreDidFailToCopySeedDatabase(
        RLManagedObjectStore&, std::string const& /*seedName*/, std::string const& /*error*/) {
        return false;
    }
    // error or failure is set, never both.
    virtual bool managedObjectStoreDidFailToSaveContext(RLManagedObjectStore&,
        RLManagedObjectContext&, std::optional<foundation::URLError> const& /*error*/,
        std::exception_ptr /*failure*/) {
        return false;
    }
};

// Answers the locally stored objects that a resource path stands for.
class RLManagedObjectCache {
public:
    virtual ~RLManagedObjectCache() = default;
    virtual std::vector<RLFetchRequest> fetchRequestsForResourcePath(
        std::string const& resourcePath)
        = 0;
};

// Posted by a store whose save failed; user info {"error": the error's user info}.
inline constexpr char const* RLManagedObjectStoreDidFailSaveNotification
    = "RLManagedObjectStoreDidFailSaveNotification";

// An SQLite file holding the objects of the managed classes of its model: a table
// per class named like it, a column per property, to-one relationships as the
// related row. Opening a file made for an older model adds the columns it lacks.
// Every thread gets its own context on first use, kept in the thread's own storage
// until the thread ends; a save on a worker is merged into the main thread's
// context on the main thread while the worker waits. Owned by the object manager;
// it must outlive the threads that use it.
class RLManagedObjectStore final : public base::Object {
public:
    // Class names of the managed classes; empty: every registered managed class.
    using Model = std::vector<std::string>;

    static base::Ref<RLManagedObjectStore> objectStoreWithStoreFilename(std::string storeFilename);
    // directory: empty for the documents directory, else an existing directory
    // (else an assertion failure). seedDatabaseName: a file of the main bundle copied
    // in when the store file does not exist yet.
    static base::Ref<RLManagedObjectStore> objectStoreWithStoreFilename(std::string storeFilename,
        std::string const& directory, std::optional<std::string> seedDatabaseName,
        Model managedObjectModel);
    ~RLManagedObjectStore() override;

    RLManagedObjectStoreDelegate* delegate() const { return delegate_; }
    void setDelegate(RLManagedObjectStoreDelegate* delegate) { delegate_ = delegate; }
    std::string const& storeFilename() const { return storeFilename_; }
    std::string const& pathToStoreFile() const { return pathToStoreFile_; }
    Model const& managedObjectModel() const { return managedObjectModel_; }
    RLManagedObjectCache* managedObjectCache() const { return managedObjectCache_; }
    void setManagedObjectCache(RLManagedObjectCache* cache) { managedObjectCache_ = cache; }

    // Saves the calling thread's context: nullopt on success, else the error, which
    // the delegate is told and RLManagedObjectStoreDidFailSaveNotification carries.
    std::optional<foundation::URLError> save();

    // The calling thread's context, made on first use.
    RLManagedObjectContext& managedObjectContext();
    base::Ref<RLManagedObjectContext> newManagedObjectContext();
    // A context's save: merged into the main thread's context on the main thread,
    // the caller waiting until that is done.
    void mergeChanges(RLSaveChanges const& changes);
    void mergeChangesOnMainThread(RLSaveChanges const& changes);
    // Inserted objects join the calling thread's primary-key caches.
    void objectsDidChange(RLObjectList const& insertedObjects);

    void createStoreIfNecessaryUsingSeedDatabase(std::string const& seedDatabaseName);
    // Opens the file, making the tables and adding missing columns; false after
    // telling the delegate (without a delegate: an assertion failure).
    bool createPersistentStoreCoordinator();
    void deletePersistantStoreUsingSeedDatabaseName(std::optional<std::string> seedDatabaseName);
    void deletePersistantStore() { deletePersistantStoreUsingSeedDatabaseName(std::nullopt); }

    static std::string applicationDocumentsDirectory();

    base::Ref<RLManagedObject> objectWithID(RLManagedObjectID const& objectID);
    RLObjectList objectsWithIDs(std::vector<RLManagedObjectID> const& objectIDs);

    // The calling thread's object of the class with that key, made (and cached)
    // when there is none; null for a nil key or a class that is not managed.
    base::Ref<RLManagedObject> findOrCreateInstanceOfManagedObject(
        RLObjectClass const& objectClass, base::Value const& primaryKeyValue);
    // nullopt without a managed-object cache.
    std::optional<RLObjectList> objectsForResourcePath(std::string const& resourcePath);

private:
    friend base::Factory;
    RLManagedObjectStore(std::string storeFilename, std::string directory, Model model);

    std::uint64_t identifier_;
    RLManagedObjectStoreDelegate* delegate_ {nullptr};
    std::string storeFilename_;
    std::string pathToStoreFile_;
    Model managedObjectModel_;
    bool hasCoordinator_ {false};
    RLManagedObjectCache* managedObjectCache_ {nullptr};
};

}
