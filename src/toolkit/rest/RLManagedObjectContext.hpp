#pragma once

#include <toolkit/rest/RLManagedObject.hpp>

#include <foundation/URLError.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace toolkit::rest {

// What one save wrote, by object ID.
struct RLSaveChanges {
    std::vector<RLManagedObjectID> inserted;
    std::vector<RLManagedObjectID> updated;
    std::vector<RLManagedObjectID> deleted;
};

// The objects of one thread over one connection to the store file (in WAL mode, so
// one thread saves while another reads). Objects fetched twice are the same object.
// Belongs to the thread that made it; other threads see its saves after merging them.
class RLManagedObjectContext final : public base::Object {
public:
    // Opens a connection to the store file; null, with the error, when it cannot.
    static base::Ref<RLManagedObjectContext> contextWithStoreFile(
        std::string const& path, std::string* error);
    ~RLManagedObjectContext() override;

    // Called after each successful save with what it wrote, and with the objects
    // inserted since the last call when pending changes are processed.
    std::function<void(RLSaveChanges const&)> didSave;
    std::function<void(RLObjectList const&)> objectsDidChange;

    base::Ref<RLManagedObject> insertNewObject(RLObjectClass const& objectClass);
    void deleteObject(RLManagedObject& object);
    // The matching objects: stored ones (this context's instance when it has one)
    // and inserted ones not yet saved, less those deleted; nullopt with the error.
    std::optional<RLObjectList> executeFetchRequest(
        RLFetchRequest const& request, std::string* error);
    std::optional<std::size_t> countForFetchRequest(
        RLFetchRequest const& request, std::string* error);
    // The object with that ID in this context, fetched when needed; null when the
    // store has no such object.
    base::Ref<RLManagedObject> objectWithID(RLManagedObjectID const& objectID);

    bool hasChanges() const;
    // Reports the objects inserted since the last report to objectsDidChange.
    void processPendingChanges();
    // Writes every insert, change and delete in one transaction; the error when it
    // fails, in which case nothing is written and the changes stay pending.
    std::optional<foundation::URLError> save();
    // Takes in another context's save: deleted objects leave this context, and
    // changed ones are read again unless they have changes of their own here
    // (in-memory changes win).
    void mergeChangesFromSave(RLSaveChanges const& changes);

    sqlite3* connection() const { return connection_; }

private:
    friend base::Factory;
    explicit RLManagedObjectContext(sqlite3* connection);

    base::Ref<RLManagedObject> registeredObject(
        RLObjectClass const& objectClass, std::int64_t rowID, bool refresh);
    // The objects of className at the rows listed in rows (numbers apart by spaces);
    // rows that are gone or are not numbers are left out.
    RLObjectList relatedRows(std::string const& rows, std::string const& className);
    bool readRow(RLManagedObject& object, std::string* error);
    bool writeObject(RLManagedObject& object, bool insert, std::string* error);
    bool writeRelationships(RLManagedObject& object, std::string* error);

    sqlite3* connection_ {nullptr};
    std::map<RLManagedObjectID, base::Ref<RLManagedObject>> registeredObjects_;
    std::vector<base::Ref<RLManagedObject>> insertedObjects_;
    std::vector<base::Ref<RLManagedObject>> deletedObjects_;
    std::size_t reportedInserts_ {0};
};

// The stored columns of a managed class, its own and its superclasses': plain
// properties, then relationships: a to-one holds the related object's row, a
// to-many the list of its members' rows in order, as text.
struct RLStoredColumn {
    RLProperty const* property;
    bool isRelationship;
};
std::vector<RLStoredColumn> RLStoredColumnsOfClass(RLObjectClass const& objectClass);
// name as an SQL identifier, in double quotes.
std::string RLQuotedSQLName(std::string const& name);
// The current values of object's columns, in column order.
std::vector<RLStoredValue> RLStoredValuesOfObject(RLManagedObject const& object);

// Values SQLite has no type for (arrays, sets, dictionaries, data) are kept in a
// BLOB as JSON text: a one-member array holding the value. Inside it, data is
// written {"$data": its Base64 text}, a date {"$date": its seconds}, and a
// dictionary whose only key begins with "$" is wrapped as {"$dictionary": it}, so
// that no stored dictionary reads back as one of those. Numbers that are not
// finite become the null object. nullopt when the value cannot be written (a
// collection nested too deep, or holding itself).
std::optional<base::Bytes> RLStoredCoding(base::Value const& value);
// The value of a coded BLOB; nil when the bytes are not one (a damaged file).
// Tags whose contents are not of their kind read as plain dictionaries.
base::Value RLStoredDecoding(base::Bytes const& bytes);

}
