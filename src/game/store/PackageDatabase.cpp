#include <game/store/PackageDatabase.hpp>

#include <foundation/Format.hpp>

#include <sqlite3.h>

namespace game {

namespace {

constexpr char const* Schema = R"sql(
CREATE TABLE IF NOT EXISTS UPKPackage (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    packageID TEXT NOT NULL UNIQUE,
    versionCode INTEGER NOT NULL,
    versionName TEXT NOT NULL,
    priority INTEGER NOT NULL,
    appID TEXT NOT NULL,
    appMinVer TEXT NOT NULL,
    appMaxVer TEXT NOT NULL,
    patchNotes TEXT NOT NULL,
    active INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS UPKFileRecord (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    fileKey TEXT NOT NULL,
    fileOnDisk TEXT NOT NULL,
    fileHash TEXT NOT NULL,
    ParentUPK INTEGER NOT NULL REFERENCES UPKPackage(id) ON DELETE CASCADE
);
CREATE INDEX IF NOT EXISTS UPKFileRecordByKey ON UPKFileRecord(fileKey);
CREATE INDEX IF NOT EXISTS UPKFileRecordByParent ON UPKFileRecord(ParentUPK);
)sql";

constexpr char const* PackageColumns = "p.id, p.packageID, p.versionCode, p.versionName, "
                                       "p.priority, p.appID, p.appMinVer, p.appMaxVer, "
                                       "p.patchNotes, p.active";
constexpr int PackageColumnCount = 10;

// One prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, std::string const& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK)
            statement_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(Statement const&) = delete;
    Statement& operator=(Statement const&) = delete;

    explicit operator bool() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }

    bool bind(int index, std::string_view text) {
        return sqlite3_bind_text(statement_, index, text.data(), int(text.size()), SQLITE_TRANSIENT)
            == SQLITE_OK;
    }
    bool bind(int index, std::int64_t number) {
        return sqlite3_bind_int64(statement_, index, number) == SQLITE_OK;
    }
    std::string text(int column) const {
        auto const* bytes = sqlite3_column_text(statement_, column);
        return bytes ? std::string(reinterpret_cast<char const*>(bytes),
                   std::size_t(sqlite3_column_bytes(statement_, column)))
                     : std::string();
    }
    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }

private:
    sqlite3_stmt* statement_ {nullptr};
};

base::Ref<UPKPackage> readPackage(Statement const& row, int first) {
    auto package = UPKPackage::create();
    package->rowID = row.integer(first);
    package->packageID = row.text(first + 1);
    package->versionCode = row.integer(first + 2);
    package->versionName = row.text(first + 3);
    package->priority = row.integer(first + 4);
    package->appID = row.text(first + 5);
    package->appMinVer = row.text(first + 6);
    package->appMaxVer = row.text(first + 7);
    package->patchNotes = row.text(first + 8);
    package->active = row.integer(first + 9) != 0;
    return package;
}

}

std::unique_ptr<PackageDatabase> PackageDatabase::open(std::string const& path) {
    sqlite3* db = nullptr;
    int status = sqlite3_open_v2(path.c_str(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (status != SQLITE_OK) {
        foundation::log("Package database %@ cannot be opened: %@", path,
            std::string(db ? sqlite3_errmsg(db) : sqlite3_errstr(status)));
        sqlite3_close(db);
        return nullptr;
    }
    auto database = std::make_unique<PackageDatabase>(OpenTag {}, db);
    char* message = nullptr;
    if (sqlite3_exec(db, "PRAGMA foreign_keys = ON;", nullptr, nullptr, &message) != SQLITE_OK
        || sqlite3_exec(db, Schema, nullptr, nullptr, &message) != SQLITE_OK) {
        foundation::log("Package database %@ cannot be opened: %@", path,
            std::string(message ? message : sqlite3_errmsg(db)));
        sqlite3_free(message);
        return nullptr;
    }
    return database;
}

PackageDatabase::PackageDatabase(OpenTag, sqlite3* db)
    : db_(db) {
}

PackageDatabase::~PackageDatabase() {
    sqlite3_close(db_);
}

void PackageDatabase::logError(char const* what) const {
    foundation::log(
        "Package database: %@ failed: %@", std::string(what), std::string(sqlite3_errmsg(db_)));
}

bool PackageDatabase::execute(char const* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    logError(sql);
    return false;
}

std::optional<base::Ref<UPKPackage>> PackageDatabase::package(std::string_view packageID) {
    Statement statement(
        db_, std::string("SELECT ") + PackageColumns + " FROM UPKPackage p WHERE p.packageID = ?1");
    if (!statement || !statement.bind(1, packageID)) {
        logError("fetching a package");
        return std::nullopt;
    }
    int status = sqlite3_step(statement.get());
    if (status == SQLITE_ROW)
        return readPackage(statement, 0);
    if (status == SQLITE_DONE)
        return base::Ref<UPKPackage>();
    logError("fetching a package");
    return std::nullopt;
}

std::optional<std::vector<base::Ref<UPKPackage>>> PackageDatabase::packages() {
    Statement statement(
        db_, std::string("SELECT ") + PackageColumns + " FROM UPKPackage p ORDER BY p.id");
    std::vector<base::Ref<UPKPackage>> result;
    if (!statement) {
        logError("fetching the packages");
        return std::nullopt;
    }
    int status;
    while ((status = sqlite3_step(statement.get())) == SQLITE_ROW)
        result.push_back(readPackage(statement, 0));
    if (status != SQLITE_DONE) {
        logError("fetching the packages");
        return std::nullopt;
    }
    return result;
}

namespace {

std::optional<std::vector<base::Ref<UPKFileRecord>>> readRecords(Statement& statement) {
    std::vector<base::Ref<UPKFileRecord>> result;
    int status;
    while ((status = sqlite3_step(statement.get())) == SQLITE_ROW) {
        auto record = UPKFileRecord::create();
        record->rowID = statement.integer(0);
        record->fileKey = statement.text(1);
        record->fileOnDisk = statement.text(2);
        record->fileHash = statement.text(3);
        record->ParentUPK = readPackage(statement, 4);
        result.push_back(std::move(record));
    }
    if (status != SQLITE_DONE)
        return std::nullopt;
    return result;
}

std::string recordQuery(char const* condition) {
    return std::string("SELECT r.id, r.fileKey, r.fileOnDisk, r.fileHash, ") + PackageColumns
        + " FROM UPKFileRecord r JOIN UPKPackage p ON p.id = r.ParentUPK WHERE " + condition
        + " ORDER BY r.id";
}

}

std::optional<std::vector<base::Ref<UPKFileRecord>>> PackageDatabase::recordsForKey(
    std::string_view key) {
    Statement statement(db_, recordQuery("r.fileKey = ?1"));
    std::optional<std::vector<base::Ref<UPKFileRecord>>> result;
    if (statement && statement.bind(1, key))
        result = readRecords(statement);
    if (!result)
        logError("fetching the records of a key");
    return result;
}

std::optional<std::vector<base::Ref<UPKFileRecord>>> PackageDatabase::recordsOfPackage(
    UPKPackage& package) {
    Statement statement(db_, recordQuery("r.ParentUPK = ?1"));
    std::optional<std::vector<base::Ref<UPKFileRecord>>> result;
    if (statement && statement.bind(1, package.rowID))
        result = readRecords(statement);
    if (!result)
        logError("fetching the records of a package");
    return result;
}

PackageDatabase::Transaction::Transaction(PackageDatabase& database)
    : database_(database)
    , open_(database.execute("BEGIN IMMEDIATE")) {
}

PackageDatabase::Transaction::~Transaction() {
    if (open_)
        database_.execute("ROLLBACK");
}

bool PackageDatabase::Transaction::commit() {
    if (!open_)
        return false;
    if (!database_.execute("COMMIT"))
        return false;
    open_ = false;
    return true;
}

bool PackageDatabase::insertPackage(UPKPackage& package) {
    Statement statement(db_,
        "INSERT INTO UPKPackage (packageID, versionCode, versionName, priority, appID, "
        "appMinVer, appMaxVer, patchNotes, active) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    bool bound = statement && statement.bind(1, package.packageID)
        && statement.bind(2, package.versionCode) && statement.bind(3, package.versionName)
        && statement.bind(4, package.priority) && statement.bind(5, package.appID)
        && statement.bind(6, package.appMinVer) && statement.bind(7, package.appMaxVer)
        && statement.bind(8, package.patchNotes)
        && statement.bind(9, std::int64_t(package.active ? 1 : 0));
    if (!bound || sqlite3_step(statement.get()) != SQLITE_DONE) {
        logError("inserting a package");
        return false;
    }
    package.rowID = sqlite3_last_insert_rowid(db_);
    return true;
}

bool PackageDatabase::insertRecord(UPKFileRecord& record, UPKPackage const& parent) {
    Statement statement(db_,
        "INSERT INTO UPKFileRecord (fileKey, fileOnDisk, fileHash, ParentUPK) "
        "VALUES (?1, ?2, ?3, ?4)");
    bool bound = statement && statement.bind(1, record.fileKey)
        && statement.bind(2, record.fileOnDisk) && statement.bind(3, record.fileHash)
        && statement.bind(4, parent.rowID);
    if (!bound || sqlite3_step(statement.get()) != SQLITE_DONE) {
        logError("inserting a file record");
        return false;
    }
    record.rowID = sqlite3_last_insert_rowid(db_);
    return true;
}

bool PackageDatabase::deletePackage(UPKPackage const& package) {
    Statement statement(db_, "DELETE FROM UPKPackage WHERE id = ?1");
    if (!statement || !statement.bind(1, package.rowID)
        || sqlite3_step(statement.get()) != SQLITE_DONE) {
        logError("deleting a package");
        return false;
    }
    return true;
}

bool PackageDatabase::setActive(std::string_view packageID, bool active) {
    Statement statement(db_, "UPDATE UPKPackage SET active = ?1 WHERE packageID = ?2");
    if (!statement || !statement.bind(1, std::int64_t(active ? 1 : 0))
        || !statement.bind(2, packageID) || sqlite3_step(statement.get()) != SQLITE_DONE) {
        logError("changing a package's active flag");
        return false;
    }
    return sqlite3_changes(db_) > 0;
}

}
