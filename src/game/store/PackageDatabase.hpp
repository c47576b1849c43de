#pragma once

#include <game/store/UPKPackage.hpp>

#include <base/Ref.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace game {

// The package manager's SQLite database: a table of packages and one of their file
// records, made by open() when the file has none. Every fetch answers nullopt (or
// null) when SQLite reports an error, so callers tell "none" from "failed".
//
// Order of file records: a record's id comes from AUTOINCREMENT, so ids only grow
// and are never reused, even after deletions; records are always fetched by
// ascending id, that is in insertion order. A package's records are inserted in
// its manifest's order when it is installed, so among several packages that
// install the same resource key, the one installed last comes last, and the last
// active one wins the key.
//
// A package's records go with it (ON DELETE CASCADE), so no record outlives its
// package. Main thread only.
class PackageDatabase {
public:
    // Opens (creating it when missing) the database at path and makes its tables.
    // Null, with a log line, when the file cannot be opened or is not a database.
    static std::unique_ptr<PackageDatabase> open(std::string const& path);
    ~PackageDatabase();
    PackageDatabase(PackageDatabase const&) = delete;
    PackageDatabase& operator=(PackageDatabase const&) = delete;

    // The package with that id: null when there is none, nullopt on an error.
    std::optional<base::Ref<UPKPackage>> package(std::string_view packageID);
    std::optional<std::vector<base::Ref<UPKPackage>>> packages();
    // The records of a key, each with its package, in insertion order.
    std::optional<std::vector<base::Ref<UPKFileRecord>>> recordsForKey(std::string_view key);
    // The records of one package, in insertion order.
    std::optional<std::vector<base::Ref<UPKFileRecord>>> recordsOfPackage(UPKPackage& package);

    // A transaction round a group of changes: commit() makes them all last, and
    // one that is neither committed nor rolled back is rolled back when it goes.
    class Transaction {
    public:
        explicit Transaction(PackageDatabase& database);
        ~Transaction();
        Transaction(Transaction const&) = delete;
        Transaction& operator=(Transaction const&) = delete;
        bool began() const { return open_; }
        bool commit();

    private:
        PackageDatabase& database_;
        bool open_ {false};
    };

    // Each false (with a log line) on an error. Inserting sets the row's id.
    bool insertPackage(UPKPackage& package);
    bool insertRecord(UPKFileRecord& record, UPKPackage const& parent);
    bool deletePackage(UPKPackage const& package);
    // False also when no package has that id.
    bool setActive(std::string_view packageID, bool active);

    // Runs one statement that takes no parameters; false (logged) on an error.
    bool execute(char const* sql);

    // Made only by open(), which holds the tag.
    struct OpenTag {
    private:
        friend class PackageDatabase;
        OpenTag() = default;
    };
    PackageDatabase(OpenTag, sqlite3* db);

private:
    void logError(char const* what) const;

    sqlite3* db_;
};

}
