#include <toolkit/rest/RLManagedObjectContext.hpp>

#include <toolkit/rest/RLError.hpp>

#include <foundation/Base64.hpp>
#include <foundation/Format.hpp>
#include <toolkit/json/JSONDecoder.hpp>
#include <toolkit/json/JSONEncoder.hpp>

#include <base/Exception.hpp>

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace toolkit::rest {

namespace {

// A prepared statement finalized when it goes.
class Statement {
public:
    Statement(sqlite3* connection, std::string const& sql, std::string* error) {
        if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) {
            if (error)
                *error = sqlite3_errmsg(connection);
            statement_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(Statement const&) = delete;
    Statement& operator=(Statement const&) = delete;
    sqlite3_stmt* get() const { return statement_; }
    explicit operator bool() const { return statement_ != nullptr; }

private:
    sqlite3_stmt* statement_ {nullptr};
};

constexpr std::string_view DataTag = "$data";
constexpr std::string_view DateTag = "$date";
constexpr std::string_view DictionaryTag = "$dictionary";

base::Value tagged(std::string_view tag, base::Value value) {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject(tag, std::move(value));
    return dictionary;
}

// The value as a tree the JSON encoder can write; nullopt past the encoder's depth
// (which also ends a collection that holds itself).
std::optional<base::Value> codedTree(base::Value const& value, std::size_t depth) {
    if (depth > toolkit::json::JCMaximumEncodeDepth)
        return std::nullopt;
    switch (value.kind()) {
    case base::Value::Kind::Null:
        return base::Value::nullObject();
    case base::Value::Kind::Real:
        return std::isfinite(value.doubleValue()) ? value : base::Value::nullObject();
    case base::Value::Kind::Decimal:
        return value.decimal()->isNaN() ? base::Value::nullObject() : value;
    case base::Value::Kind::Data:
        return tagged(DataTag, foundation::Base64::encode(*value.data()));
    case base::Value::Kind::Date:
        return std::isfinite(value.date()->seconds) ? tagged(DateTag, value.date()->seconds)
                                                    : base::Value::nullObject();
    case base::Value::Kind::Array: {
        auto array = base::Array::create();
        for (auto const& member : *value.array()) {
            auto coded = codedTree(member, depth + 1);
            if (!coded)
                return std::nullopt;
            array->add(std::move(*coded));
        }
        return array;
    }
    case base::Value::Kind::Dictionary: {
        auto dictionary = base::Dictionary::create();
        for (auto const& [key, member] : *value.dictionary()) {
            auto coded = codedTree(member, depth + 1);
            if (!coded)
                return std::nullopt;
            dictionary->setObject(key.str(), std::move(*coded));
        }
        if (dictionary->size() == 1 && dictionary->begin()->first.str().starts_with('$'))
            return tagged(DictionaryTag, std::move(dictionary));
        return dictionary;
    }
    default:
        return value;
    }
}

base::Value decodedTree(base::Value const& value);

base::Ref<base::Dictionary> decodedDictionary(base::Dictionary const& dictionary) {
    auto decoded = base::Dictionary::create();
    for (auto const& [key, member] : dictionary)
        decoded->setObject(key.str(), decodedTree(member));
    return decoded;
}

// The parser bounds the depth of what it hands out, so this recursion is bounded too.
base::Value decodedTree(base::Value const& value) {
    if (auto const* array = value.array()) {
        auto decoded = base::Array::create();
        for (auto const& member : *array)
            decoded->add(decodedTree(member));
        return decoded;
    }
    auto const* dictionary = value.dictionary();
    if (!dictionary)
        return value;
    if (dictionary->size() == 1) {
        auto const& [key, member] = *dictionary->begin();
        if (key.str() == DataTag && member.isString())
            if (auto bytes = foundation::Base64::decode(*member.string()))
                return base::Value(std::move(*bytes));
        if (key.str() == DateTag && member.isNumber() && std::isfinite(member.doubleValue()))
            return base::Date {member.doubleValue()};
        if (key.str() == DictionaryTag && member.dictionary())
            return decodedDictionary(*member.dictionary());
    }
    return decodedDictionary(*dictionary);
}

void bindValue(sqlite3_stmt* statement, int index, RLStoredValue const& value) {
    if (auto const* i = std::get_if<std::int64_t>(&value))
        sqlite3_bind_int64(statement, index, *i);
    else if (auto const* d = std::get_if<double>(&value))
        sqlite3_bind_double(statement, index, *d);
    else if (auto const* s = std::get_if<std::string>(&value))
        sqlite3_bind_text(statement, index, s->data(), int(s->size()), SQLITE_TRANSIENT);
    else if (auto const* b = std::get_if<base::Bytes>(&value))
        sqlite3_bind_blob(statement, index, b->empty() ? "" : static_cast<void const*>(b->data()),
            int(b->size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(statement, index);
}

RLStoredValue columnValue(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
        return std::int64_t(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT:
        return sqlite3_column_double(statement, index);
    case SQLITE_TEXT: {
        auto const* text = reinterpret_cast<char const*>(sqlite3_column_text(statement, index));
        return std::string(text ? text : "", std::size_t(sqlite3_column_bytes(statement, index)));
    }
    case SQLITE_BLOB: {
        auto const* bytes = static_cast<std::uint8_t const*>(sqlite3_column_blob(statement, index));
        return bytes ? base::Bytes(bytes, bytes + sqlite3_column_bytes(statement, index))
                     : base::Bytes {};
    }
    default:
        return std::monostate {};
    }
}

// A value as the database keeps it: collections and data coded in a BLOB.
RLStoredValue storedValue(base::Value const& value) {
    switch (value.kind()) {
    case base::Value::Kind::Data:
    case base::Value::Kind::Array:
    case base::Value::Kind::Dictionary:
        if (auto coded = RLStoredCoding(value))
            return std::move(*coded);
        return std::monostate {};
    case base::Value::Kind::Boolean:
    case base::Value::Kind::Integer:
    case base::Value::Kind::Unsigned:
        return std::int64_t(value.longLongValue());
    case base::Value::Kind::Real:
    case base::Value::Kind::Decimal:
        return value.doubleValue();
    case base::Value::Kind::String:
        return *value.string();
    case base::Value::Kind::Date:
        return value.date()->seconds;
    default:
        return std::monostate {};
    }
}

base::Value plainValue(RLStoredValue const& stored, RLPropertyKind kind) {
    if (auto const* i = std::get_if<std::int64_t>(&stored)) {
        if (kind == RLPropertyKind::Date)
            return base::Date {double(*i)};
        return base::Value(static_cast<long long>(*i));
    }
    if (auto const* d = std::get_if<double>(&stored)) {
        if (kind == RLPropertyKind::Date)
            return base::Date {*d};
        return *d;
    }
    if (auto const* s = std::get_if<std::string>(&stored))
        return *s;
    if (auto const* b = std::get_if<base::Bytes>(&stored))
        return RLStoredDecoding(*b);
    return {};
}

// A collection property gets a collection of its kind or nil, whatever the column
// holds (a damaged file may hold anything).
base::Value propertyValue(RLStoredValue const& stored, RLPropertyKind kind) {
    auto value = plainValue(stored, kind);
    switch (kind) {
    case RLPropertyKind::Array:
    case RLPropertyKind::Set:
        return value.isArray() ? value : base::Value();
    case RLPropertyKind::Dictionary:
        return value.isDictionary() ? value : base::Value();
    default:
        return value;
    }
}

bool isStoredKind(RLProperty const& property) {
    switch (property.kind) {
    case RLPropertyKind::Untyped:
    case RLPropertyKind::String:
    case RLPropertyKind::Number:
    case RLPropertyKind::DecimalNumber:
    case RLPropertyKind::Date:
    case RLPropertyKind::URL:
        return bool(property.get) && bool(property.set);
    case RLPropertyKind::Array:
    case RLPropertyKind::Set:
    case RLPropertyKind::Dictionary:
        // Collections of plain values; those of model objects are relationships.
        return property.className.empty() && bool(property.get) && bool(property.set);
    default:
        return false;
    }
}

bool isToMany(RLProperty const& property) {
    return property.kind == RLPropertyKind::Array || property.kind == RLPropertyKind::Set;
}

bool execute(sqlite3* connection, char const* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(connection, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    if (error)
        *error = message ? message : sqlite3_errmsg(connection);
    sqlite3_free(message);
    return false;
}

std::string columnList(std::vector<RLStoredColumn> const& columns) {
    std::string text = "Z_PK";
    for (auto const& column : columns)
        text += ", " + RLQuotedSQLName(column.property->name);
    return text;
}

}

std::optional<base::Bytes> RLStoredCoding(base::Value const& value) {
    auto tree = codedTree(value, 0);
    if (!tree)
        return std::nullopt;
    auto text = toolkit::json::JSONData(*base::Array::create({std::move(*tree)}));
    if (!text)
        return std::nullopt;
    return std::move(*text);
}

base::Value RLStoredDecoding(base::Bytes const& bytes) {
    auto parsed = toolkit::json::objectFromJSONData(bytes);
    auto const* wrapper = parsed.array();
    if (!wrapper || wrapper->size() != 1 || wrapper->at(0).isNull())
        return {};
    return decodedTree(wrapper->at(0));
}

std::string RLQuotedSQLName(std::string const& name) {
    std::string text = "\"";
    for (char c : name) {
        if (c == '"')
            text += '"';
        text += c;
    }
    return text + "\"";
}

std::vector<RLStoredColumn> RLStoredColumnsOfClass(RLObjectClass const& objectClass) {
    std::vector<RLStoredColumn> columns;
    std::vector<std::string> seen;
    auto add = [&](RLProperty const& property, bool relationship) {
        if (std::find(seen.begin(), seen.end(), property.name) != seen.end())
            return;
        seen.push_back(property.name);
        columns.push_back({&property, relationship});
    };
    for (auto const* c = &objectClass; c; c = c->superclass())
        for (auto const& property : c->properties)
            if (isStoredKind(property))
                add(property, false);
    for (auto const* c = &objectClass; c; c = c->superclass())
        for (auto const& property : c->properties)
            if ((property.kind == RLPropertyKind::Object || isToMany(property))
                && property.getObjects && property.setObjects && !property.className.empty())
                add(property, true);
    return columns;
}

std::vector<RLStoredValue> RLStoredValuesOfObject(RLManagedObject const& object) {
    std::vector<RLStoredValue> values;
    for (auto const& column : RLStoredColumnsOfClass(object.objectClass())) {
        if (!column.isRelationship) {
            values.push_back(storedValue(column.property->get(object)));
            continue;
        }
        auto related = column.property->getObjects(object);
        RLStoredValue row;
        if (isToMany(*column.property)) {
            // The members' rows as a list of numbers; members not saved yet get
            // theirs written once they have a row.
            if (related) {
                std::string rows;
                for (auto const& member : *related)
                    if (auto* managed = dynamic_cast<RLManagedObject*>(member.get()))
                        if (!managed->objectID().isTemporaryID())
                            rows += (rows.empty() ? "" : " ")
                                + std::to_string(managed->objectID().rowID);
                row = rows;
            }
        } else if (related && !related->empty())
            if (auto* managed = dynamic_cast<RLManagedObject*>(related->front().get()))
                if (!managed->objectID().isTemporaryID())
                    row = managed->objectID().rowID;
        values.push_back(row);
    }
    return values;
}

base::Ref<RLManagedObjectContext> RLManagedObjectContext::contextWithStoreFile(
    std::string const& path, std::string* error) {
    sqlite3* connection = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &connection, flags, nullptr) != SQLITE_OK) {
        if (error)
            *error = connection ? sqlite3_errmsg(connection) : "out of memory";
        sqlite3_close(connection);
        return nullptr;
    }
    // Other contexts write to the same file from other threads; a writer waits for
    // the one before it instead of failing at once.
    sqlite3_busy_timeout(connection, 10000);
    // A damaged file is read with SQLite's extra checks on its pages, and no statement
    // may change the file's own structure behind the store's back.
    sqlite3_db_config(connection, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    // The store's tables are plain tables. Triggers or views a file brings along
    // (a hostile one, say) neither run on a save nor stand in for a table, and no
    // function named in the file's schema runs.
    sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(connection, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (!execute(connection, "PRAGMA journal_mode=WAL", error)
        || !execute(connection, "PRAGMA cell_size_check=ON", error)) {
        sqlite3_close(connection);
        return nullptr;
    }
    return base::make<RLManagedObjectContext>(connection);
}

RLManagedObjectContext::RLManagedObjectContext(sqlite3* connection)
    : connection_(connection) {
}

RLManagedObjectContext::~RLManagedObjectContext() {
    // Related objects hold each other (a to-one and its inverse to-many), so their
    // relationships are let go with the context, else they would never be freed.
    auto release = [](RLManagedObject& object) {
        object.context_ = nullptr;
        for (auto const& column : RLStoredColumnsOfClass(object.objectClass()))
            if (column.isRelationship)
                column.property->setObjects(object, std::nullopt);
    };
    for (auto& [objectID, object] : registeredObjects_)
        release(*object);
    for (auto& object : insertedObjects_)
        release(*object);
    for (auto& object : deletedObjects_)
        release(*object);
    sqlite3_close(connection_);
}

base::Ref<RLManagedObject> RLManagedObjectContext::insertNewObject(
    RLObjectClass const& objectClass) {
    auto made = objectClass.object();
    auto object = base::Ref<RLManagedObject>(dynamic_cast<RLManagedObject*>(made.get()));
    if (!object)
        throw base::Exception(base::InvalidArgumentException,
            foundation::format("%@ is not a managed class", objectClass.name));
    object->objectID_ = {objectClass.name, 0};
    object->context_ = this;
    insertedObjects_.push_back(object);
    return object;
}

void RLManagedObjectContext::deleteObject(RLManagedObject& object) {
    if (object.context_ != this || object.deleted_)
        return;
    object.deleted_ = true;
    auto inserted = std::find_if(insertedObjects_.begin(), insertedObjects_.end(),
        [&](auto const& o) { return o.get() == &object; });
    if (inserted != insertedObjects_.end()) {
        if (std::size_t(inserted - insertedObjects_.begin()) < reportedInserts_)
            --reportedInserts_;
        insertedObjects_.erase(inserted);
        return;
    }
    deletedObjects_.push_back(base::Ref<RLManagedObject>(&object));
}

bool RLManagedObjectContext::readRow(RLManagedObject& object, std::string* error) {
    auto const* objectClass = RLObjectClass::classNamed(object.objectID_.entityName);
    if (!objectClass)
        return false;
    auto columns = RLStoredColumnsOfClass(*objectClass);
    Statement statement(connection_,
        "SELECT " + columnList(columns) + " FROM " + RLQuotedSQLName(objectClass->name)
            + " WHERE Z_PK = ?",
        error);
    if (!statement)
        return false;
    sqlite3_bind_int64(statement.get(), 1, object.objectID_.rowID);
    if (sqlite3_step(statement.get()) != SQLITE_ROW)
        return false;
    std::vector<RLStoredValue> values;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        auto stored = columnValue(statement.get(), int(i + 1));
        auto const& property = *columns[i].property;
        if (!columns[i].isRelationship) {
            property.set(object, propertyValue(stored, property.kind));
        } else if (isToMany(property)) {
            if (auto const* text = std::get_if<std::string>(&stored))
                property.setObjects(object, relatedRows(*text, property.className));
            else
                property.setObjects(object, std::nullopt);
        } else {
            base::Ref<RLManagedObject> related;
            auto const* relatedClass = RLObjectClass::classNamed(property.className);
            if (auto const* row = std::get_if<std::int64_t>(&stored); row && relatedClass)
                related = objectWithID({relatedClass->name, *row});
            if (related)
                property.setObjects(object, RLObjectList {related});
            else
                property.setObjects(object, std::nullopt);
        }
        values.push_back(std::move(stored));
    }
    object.committedValues_ = RLStoredValuesOfObject(object);
    return true;
}

RLObjectList RLManagedObjectContext::relatedRows(
    std::string const& rows, std::string const& className) {
    RLObjectList members;
    auto const* relatedClass = RLObjectClass::classNamed(className);
    if (!relatedClass)
        return members;
    char const* at = rows.data();
    char const* end = rows.data() + rows.size();
    while (at < end) {
        if (*at == ' ') {
            ++at;
            continue;
        }
        std::int64_t row = 0;
        auto [next, failure] = std::from_chars(at, end, row);
        if (failure != std::errc()) {
            // Not a number: skip the word.
            while (at < end && *at != ' ')
                ++at;
            continue;
        }
        at = next;
        if (auto related = objectWithID({relatedClass->name, row}))
            members.push_back(related);
    }
    return members;
}

base::Ref<RLManagedObject> RLManagedObjectContext::registeredObject(
    RLObjectClass const& objectClass, std::int64_t rowID, bool refresh) {
    RLManagedObjectID objectID {objectClass.name, rowID};
    auto found = registeredObjects_.find(objectID);
    if (found != registeredObjects_.end()) {
        if (refresh && !found->second->hasChanges())
            readRow(*found->second, nullptr);
        return found->second;
    }
    auto made = objectClass.object();
    auto object = base::Ref<RLManagedObject>(dynamic_cast<RLManagedObject*>(made.get()));
    if (!object)
        return nullptr;
    object->objectID_ = objectID;
    object->context_ = this;
    registeredObjects_.emplace(objectID, object);
    if (!readRow(*object, nullptr)) {
        registeredObjects_.erase(objectID);
        object->context_ = nullptr;
        return nullptr;
    }
    return object;
}

base::Ref<RLManagedObject> RLManagedObjectContext::objectWithID(RLManagedObjectID const& objectID) {
    if (objectID.isTemporaryID()) {
        return nullptr;
    }
    auto found = registeredObjects_.find(objectID);
    if (found != registeredObjects_.end())
        return found->second->deleted_ ? nullptr : found->second;
    auto const* objectClass = RLObjectClass::classNamed(objectID.entityName);
    return objectClass ? registeredObject(*objectClass, objectID.rowID, false) : nullptr;
}

std::optional<RLObjectList> RLManagedObjectContext::executeFetchRequest(
    RLFetchRequest const& request, std::string* error) {
    auto const* objectClass = RLObjectClass::classNamed(request.entityName);
    if (!objectClass) {
        if (error)
            *error = foundation::format("No entity named %@", request.entityName);
        return std::nullopt;
    }
    std::string sql = "SELECT Z_PK FROM " + RLQuotedSQLName(objectClass->name);
    RLStoredValue match;
    if (request.predicate) {
        auto const* property = objectClass->property(request.predicate->first);
        if (!property || !isStoredKind(*property)) {
            if (error)
                *error = foundation::format(
                    "No stored property %@ in %@", request.predicate->first, objectClass->name);
            return std::nullopt;
        }
        match = storedValue(request.predicate->second);
        sql += " WHERE " + RLQuotedSQLName(property->name)
            + (std::holds_alternative<std::monostate>(match) ? " IS NULL" : " = ?");
    }
    sql += " ORDER BY Z_PK";
    Statement statement(connection_, sql, error);
    if (!statement)
        return std::nullopt;
    if (!std::holds_alternative<std::monostate>(match))
        bindValue(statement.get(), 1, match);
    RLObjectList results;
    auto full = [&] { return request.fetchLimit && results.size() >= request.fetchLimit; };
    int step;
    std::optional<std::int64_t> previous;
    while (!full() && (step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        auto rowID = sqlite3_column_int64(statement.get(), 0);
        // Keys come in rising order; one that does not rise is a damaged table that
        // could hand out the same rows for ever.
        if (previous && rowID <= *previous) {
            if (error)
                *error = foundation::format("The table %@ is damaged", objectClass->name);
            return std::nullopt;
        }
        previous = rowID;
        auto object = registeredObject(*objectClass, rowID, false);
        if (object && !object->deleted_)
            results.push_back(object);
    }
    if (!full() && step != SQLITE_DONE) {
        if (error)
            *error = sqlite3_errmsg(connection_);
        return std::nullopt;
    }
    for (auto const& object : insertedObjects_) {
        if (full())
            break;
        if (object->objectID_.entityName != objectClass->name)
            continue;
        if (request.predicate) {
            auto const* property = objectClass->property(request.predicate->first);
            if (storedValue(property->get(*object)) != match)
                continue;
        }
        results.push_back(object);
    }
    return results;
}

std::optional<std::size_t> RLManagedObjectContext::countForFetchRequest(
    RLFetchRequest const& request, std::string* error) {
    auto results = executeFetchRequest(request, error);
    if (!results)
        return std::nullopt;
    return results->size();
}

bool RLManagedObjectContext::hasChanges() const {
    if (!insertedObjects_.empty() || !deletedObjects_.empty())
        return true;
    return std::any_of(registeredObjects_.begin(), registeredObjects_.end(),
        [](auto const& entry) { return entry.second->hasChanges(); });
}

void RLManagedObjectContext::processPendingChanges() {
    if (reportedInserts_ >= insertedObjects_.size())
        return;
    RLObjectList inserted(
        insertedObjects_.begin() + long(reportedInserts_), insertedObjects_.end());
    reportedInserts_ = insertedObjects_.size();
    if (objectsDidChange)
        objectsDidChange(inserted);
}

bool RLManagedObjectContext::writeObject(RLManagedObject& object, bool insert, std::string* error) {
    auto const& objectClass = object.objectClass();
    auto columns = RLStoredColumnsOfClass(objectClass);
    auto values = RLStoredValuesOfObject(object);
    std::string sql;
    if (insert) {
        sql = "INSERT INTO " + RLQuotedSQLName(objectClass.name) + " (" + columnList(columns)
            + ") VALUES (NULL";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += ", ?";
        sql += ")";
    } else {
        sql = "UPDATE " + RLQuotedSQLName(objectClass.name) + " SET Z_PK = Z_PK";
        for (auto const& column : columns)
            sql += ", " + RLQuotedSQLName(column.property->name) + " = ?";
        sql += " WHERE Z_PK = ?";
    }
    Statement statement(connection_, sql, error);
    if (!statement)
        return false;
    for (std::size_t i = 0; i < values.size(); ++i)
        bindValue(statement.get(), int(i + 1), values[i]);
    if (!insert)
        sqlite3_bind_int64(statement.get(), int(values.size() + 1), object.objectID_.rowID);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        if (error)
            *error = sqlite3_errmsg(connection_);
        return false;
    }
    if (insert)
        object.objectID_.rowID = sqlite3_last_insert_rowid(connection_);
    return true;
}

std::optional<foundation::URLError> RLManagedObjectContext::save() {
    processPendingChanges();
    if (!hasChanges())
        return std::nullopt;
    std::string error;
    std::vector<base::Ref<RLManagedObject>> updated;
    for (auto const& [objectID, object] : registeredObjects_)
        if (!object->deleted_ && object->hasChanges())
            updated.push_back(object);

    auto fail = [&]() -> std::optional<foundation::URLError> {
        execute(connection_, "ROLLBACK", nullptr);
        for (auto const& object : insertedObjects_)
            object->objectID_.rowID = 0;
        return foundation::URLError {RLRestKitErrorDomain, 1, error, {}, {}};
    };
    if (!execute(connection_, "BEGIN IMMEDIATE", &error))
        return foundation::URLError {RLRestKitErrorDomain, 1, error, {}, {}};
    auto writeAll = [&] {
        // Rows first, so that every related object has its row when the relationships
        // are written in a second pass.
        for (auto const& object : insertedObjects_)
            if (!writeObject(*object, true, &error))
                return false;
        for (auto const& object : insertedObjects_)
            if (!writeObject(*object, false, &error))
                return false;
        for (auto const& object : updated)
            if (!writeObject(*object, false, &error))
                return false;
        for (auto const& object : deletedObjects_) {
            Statement statement(connection_,
                "DELETE FROM " + RLQuotedSQLName(object->objectID_.entityName) + " WHERE Z_PK = ?",
                &error);
            if (!statement)
                return false;
            sqlite3_bind_int64(statement.get(), 1, object->objectID_.rowID);
            if (sqlite3_step(statement.get()) != SQLITE_DONE) {
                error = sqlite3_errmsg(connection_);
                return false;
            }
        }
        return bool(execute(connection_, "COMMIT", &error));
    };
    // A failure raised by a model while its values are read leaves nothing written.
    try {
        if (!writeAll())
            return fail();
    } catch (...) {
        fail();
        throw;
    }

    RLSaveChanges changes;
    for (auto const& object : insertedObjects_) {
        object->committedValues_ = RLStoredValuesOfObject(*object);
        registeredObjects_.emplace(object->objectID_, object);
        changes.inserted.push_back(object->objectID_);
    }
    for (auto const& object : updated) {
        object->committedValues_ = RLStoredValuesOfObject(*object);
        changes.updated.push_back(object->objectID_);
    }
    for (auto const& object : deletedObjects_) {
        registeredObjects_.erase(object->objectID_);
        object->context_ = nullptr;
        changes.deleted.push_back(object->objectID_);
    }
    insertedObjects_.clear();
    deletedObjects_.clear();
    reportedInserts_ = 0;
    if (didSave)
        didSave(changes);
    return std::nullopt;
}

void RLManagedObjectContext::mergeChangesFromSave(RLSaveChanges const& changes) {
    for (auto const& objectID : changes.deleted) {
        auto found = registeredObjects_.find(objectID);
        if (found == registeredObjects_.end())
            continue;
        found->second->deleted_ = true;
        found->second->context_ = nullptr;
        registeredObjects_.erase(found);
    }
    for (auto const& objectID : changes.updated) {
        auto found = registeredObjects_.find(objectID);
        if (found != registeredObjects_.end() && !found->second->hasChanges())
            readRow(*found->second, nullptr);
    }
}

}
