#pragma once

#include <toolkit/rest/RLObject.hpp>

#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace toolkit::rest {

class RLManagedObjectContext;
class RLManagedObjectStore;

// Names a stored object across threads: its entity (class name) and its row. An
// object that was never saved has a temporary ID (row 0), which no other context knows.
struct RLManagedObjectID {
    std::string entityName;
    std::int64_t rowID {0};

    bool isTemporaryID() const { return rowID == 0; }
    bool operator==(RLManagedObjectID const&) const = default;
    auto operator<=>(RLManagedObjectID const&) const = default;
};

// One column value as the database holds it; bytes are a BLOB (a collection or data,
// coded by RLStoredCoding).
using RLStoredValue = std::variant<std::monostate, std::int64_t, double, std::string, base::Bytes>;

// Which objects of an entity a fetch answers: all of them, or those whose property
// equals a value; at most fetchLimit of them when it is not 0.
struct RLFetchRequest {
    std::string entityName;
    std::optional<std::pair<std::string, base::Value>> predicate {};
    std::size_t fetchLimit {0};
};

// The base of model objects kept in an object store. A managed class registers its
// description like any mappable class, naming "RLManagedObject" (or a managed class)
// as its superclass and giving its primary-key property; its table is named like the
// class. An object belongs to the context of the thread that made or fetched it and
// must not be handed to another thread: other threads look it up by its objectID.
// The class operations work in the calling thread's context of the shared object
// manager's store.
class RLManagedObject : public RLObject {
public:
    // The description of the base class, registered under "RLManagedObject".
    static RLObjectClass const& managedBaseClass();

    static RLManagedObjectContext& managedObjectContext();
    static RLFetchRequest fetchRequest(RLObjectClass const& objectClass);
    // The results; a failed fetch logs "Error: %@" and answers nil.
    static std::optional<RLObjectList> objectsWithFetchRequest(RLFetchRequest const& request);
    static RLObjectList objectsWithFetchRequests(std::vector<RLFetchRequest> const& requests);
    static base::Ref<RLManagedObject> objectWithFetchRequest(RLFetchRequest request);
    static std::optional<RLObjectList> objectsWithPredicate(RLObjectClass const& objectClass,
        std::optional<std::pair<std::string, base::Value>> predicate);
    static base::Ref<RLManagedObject> objectWithPredicate(
        RLObjectClass const& objectClass, std::pair<std::string, base::Value> predicate);
    static std::optional<RLObjectList> allObjects(RLObjectClass const& objectClass);
    static std::size_t count(RLObjectClass const& objectClass);
    // A new instance inserted into the calling thread's context.
    static base::Ref<RLManagedObject> object(RLObjectClass const& objectClass);
    // The class's primary-key property; throws "unrecognized selector" without one.
    static std::string const& primaryKeyProperty(RLObjectClass const& objectClass);
    // The element mapped to the primary-key property; throws when there is none.
    static std::string const& primaryKeyElement(RLObjectClass const& objectClass);
    // A string value is first turned into its integer value, so "12" finds 12.
    static base::Ref<RLManagedObject> objectWithPrimaryKeyValue(
        RLObjectClass const& objectClass, base::Value value);

    base::Value primaryKeyValue() const;
    RLManagedObjectID const& objectID() const { return objectID_; }
    // Null once the object's context has gone.
    RLManagedObjectContext* context() const { return context_; }
    // True until the object has been saved or was fetched from the store.
    bool isNew() const { return !committedValues_.has_value(); }
    bool isDeleted() const { return deleted_; }
    // Whether its values differ from those last saved or fetched (always for a new object).
    bool hasChanges() const;

protected:
    friend base::Factory;
    RLManagedObject() = default;

private:
    friend class RLManagedObjectContext;
    RLManagedObjectID objectID_;
    RLManagedObjectContext* context_ {nullptr};
    std::optional<std::vector<RLStoredValue>> committedValues_;
    bool deleted_ {false};
};

// A primary-key value as a key of the per-thread caches: numbers by their value,
// strings by their text (a number and its text are different keys); nil for nil.
std::optional<std::string> RLPrimaryKeyCacheKey(base::Value const& value);

}
