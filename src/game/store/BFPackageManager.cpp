#include <game/store/BFPackageManager.hpp>

#include <game/store/PackageDatabase.hpp>
#include <game/store/UPKManifest.hpp>

#include <base/SharedInstance.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/Hex.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Strings.hpp>
#include <toolkit/zip/ZipFile.hpp>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace game {

namespace {

using Shared = base::SharedInstance<BFPackageManager>;

bool exists(std::string const& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Empties the staging folder when made and again when it goes, so that no file of
// an earlier package can be taken for one of this package.
class StagingFolder {
public:
    explicit StagingFolder(std::string path)
        : path_(std::move(path)) {
        std::error_code error;
        fs::remove_all(path_, error);
        ready_ = fs::create_directory(path_, error) && !error;
        if (!ready_)
            foundation::log("Staging folder %@ cannot be made", path_);
    }
    ~StagingFolder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    StagingFolder(StagingFolder const&) = delete;
    StagingFolder& operator=(StagingFolder const&) = delete;

    bool ready() const { return ready_; }
    std::string const& path() const { return path_; }

private:
    std::string path_;
    bool ready_ {false};
};

// The MD5 of a regular file's bytes as lower-case hex; nullopt when it cannot be read.
std::optional<std::string> fileDigest(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    foundation::Digest digest(foundation::Digest::Algorithm::MD5);
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        digest.update(foundation::ByteView(
            reinterpret_cast<std::uint8_t const*>(buffer), std::size_t(in.gcount())));
        if (in.eof())
            break;
    }
    if (in.bad())
        return std::nullopt;
    return BFPackageManager::hexStringWithNSData(digest.finish());
}

bool refuse(std::string const& packageID, std::string const& why) {
    foundation::log("Package %@ refused: %@", packageID, why);
    return false;
}

std::nullopt_t refused(std::string const& packageID, std::string const& why) {
    refuse(packageID, why);
    return std::nullopt;
}

}

struct BFPackageManager::Staged {
    struct File {
        std::string key;
        std::string file;
        std::string hash;
        std::string source;
        std::string destination;
    };
    base::Ref<UPKPackage> old;
    FileRecords oldRecords;
    std::vector<File> files;
};

BFPackageManager& BFPackageManager::sharedManager() {
    return Shared::get();
}

void BFPackageManager::releaseManager() {
    Shared::reset();
}

base::Ref<BFPackageManager> BFPackageManager::create() {
    return base::make<BFPackageManager>();
}

BFPackageManager::BFPackageManager()
    : caches_(cachesDirectory()) {
    initCoreData();
}

BFPackageManager::~BFPackageManager() = default;

void BFPackageManager::initCoreData() {
    database_ = PackageDatabase::open(caches_ + "/" + DatabaseFileName);
}

std::string BFPackageManager::documentsDirectory() {
    return foundation::Sandbox::documentsPath();
}

std::string BFPackageManager::cachesDirectory() {
    return foundation::Sandbox::cachesPath();
}

std::string BFPackageManager::mainDirectory() {
    return foundation::Bundle::mainBundle().bundlePath();
}

int BFPackageManager::compareVersionString(std::string const& a, std::string const& b) {
    return foundation::numericCompare(a, b);
}

std::string BFPackageManager::hexStringWithNSData(foundation::ByteView bytes) {
    return foundation::Hex::encode(bytes, foundation::HexCase::Lower);
}

bool BFPackageManager::loadUPKFromPath(std::string const& path) {
    if (!database_)
        return refuse(path, "the package database is not open");
    StagingFolder staging(caches_ + "/" + StagingFolderName);
    if (!staging.ready())
        return false;
    auto zip = toolkit::zip::ZipFile::create();
    bool unpacked = zip->UnzipOpenFile(path) && zip->UnzipFileTo(staging.path(), true);
    zip->UnzipCloseFile();
    if (!unpacked)
        return refuse(path, "it cannot be unpacked");
    auto manifest
        = UPKManifest::fromPropertyList(foundation::PropertyList::propertyListWithContentsOfFile(
            staging.path() + "/" + ManifestFileName));
    if (!manifest)
        return refuse(path, "no readable manifest");
    auto staged = verify(*manifest, staging.path());
    return staged && commit(*manifest, *staged);
}

std::optional<BFPackageManager::Staged> BFPackageManager::verify(
    UPKManifest const& manifest, std::string const& staging) {
    auto const& id = manifest.packageID;
    auto& bundle = foundation::Bundle::mainBundle();
    if (manifest.appID != bundle.bundleIdentifier())
        return refused(id, "made for " + manifest.appID);
    auto version = bundle.objectForInfoDictionaryKey("CFBundleVersion").stringValue();
    if (manifest.appMinVer != "0" && compareVersionString(version, manifest.appMinVer) < 0)
        return refused(id, "needs version " + manifest.appMinVer);
    if (manifest.appMaxVer != "0" && compareVersionString(version, manifest.appMaxVer) > 0)
        return refused(id, "needs version " + manifest.appMaxVer + " or below");

    Staged staged;
    auto installed = database_->package(id);
    if (!installed)
        return std::nullopt;
    staged.old = *installed;
    std::int64_t installedVersion = staged.old ? staged.old->versionCode : 0;
    if (installedVersion >= manifest.versionCode)
        return refused(id,
            foundation::format(
                "version %d is not above %d", manifest.versionCode, installedVersion));

    std::set<std::string> oldFiles;
    if (staged.old) {
        auto records = database_->recordsOfPackage(*staged.old);
        if (!records)
            return std::nullopt;
        staged.oldRecords = std::move(*records);
        for (auto const& record : staged.oldRecords)
            if (auto destination = foundation::Sandbox::safeJoin(caches_, record->fileOnDisk))
                oldFiles.insert(*destination);
    }

    std::set<std::string> destinations;
    for (auto const& entry : manifest.files) {
        auto source = foundation::Sandbox::safeJoin(staging, entry.file);
        auto destination = foundation::Sandbox::safeJoin(caches_, entry.file);
        if (!source || !destination)
            return refused(id, "the file \"" + entry.file + "\" leaves its folder");
        auto relative = destination->substr(caches_.size() + 1);
        auto first = relative.substr(0, relative.find('/'));
        if (first == StagingFolderName || first == AsideFolderName
            || foundation::hasPrefix(relative, DatabaseFileName))
            return refused(id, "the file \"" + entry.file + "\" is the manager's own");
        std::error_code error;
        if (!fs::is_regular_file(fs::symlink_status(*source, error)))
            return refused(id, "the file \"" + entry.file + "\" is missing");
        auto digest = fileDigest(*source);
        if (!digest || *digest != entry.hash)
            return refused(id, "the file \"" + entry.file + "\" does not match its hash");
        if (!destinations.insert(*destination).second)
            return refused(id, "the file \"" + entry.file + "\" is listed twice");
        if (exists(*destination) && !oldFiles.contains(*destination))
            return refused(id, "the place of \"" + entry.file + "\" is taken");
        staged.files.push_back({entry.key, entry.file, entry.hash, *source, *destination});
    }
    return staged;
}

bool BFPackageManager::commit(UPKManifest const& manifest, Staged& staged) {
    auto const& id = manifest.packageID;
    auto aside = caches_ + "/" + AsideFolderName;
    std::error_code error;
    fs::remove_all(aside, error);
    if (!fs::create_directory(aside, error) || error)
        return refuse(id, "no room to put the old version aside");

    // What has been done so far, undone in reverse when a later step fails.
    std::vector<std::pair<std::string, std::string>> putAside; // place, aside
    std::vector<std::string> placed;
    std::vector<std::string> madeFolders;
    auto undo = [&] {
        std::error_code ignored;
        for (auto it = placed.rbegin(); it != placed.rend(); ++it)
            fs::remove(*it, ignored);
        for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it)
            fs::remove(*it, ignored);
        for (auto it = putAside.rbegin(); it != putAside.rend(); ++it)
            fs::rename(it->second, it->first, ignored);
        fs::remove_all(aside, ignored);
    };

    for (auto const& record : staged.oldRecords) {
        auto place = foundation::Sandbox::safeJoin(caches_, record->fileOnDisk);
        if (!place || !exists(*place))
            continue;
        auto target = aside + "/" + std::to_string(putAside.size());
        fs::rename(*place, target, error);
        if (error) {
            undo();
            return refuse(id, "the old file \"" + record->fileOnDisk + "\" cannot be moved");
        }
        putAside.emplace_back(*place, target);
    }

    for (auto const& file : staged.files) {
        std::vector<fs::path> missing;
        for (auto folder = fs::path(file.destination).parent_path();
             folder.string().size() > caches_.size() && !exists(folder.string());
             folder = folder.parent_path())
            missing.push_back(folder);
        for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
            if (!fs::create_directory(*it, error) || error) {
                undo();
                return refuse(id, "no folder for \"" + file.file + "\"");
            }
            madeFolders.push_back(it->string());
        }
        fs::rename(file.source, file.destination, error);
        if (error) {
            undo();
            return refuse(id, "\"" + file.file + "\" cannot be moved into place");
        }
        placed.push_back(file.destination);
    }

    auto package = UPKPackage::create();
    package->packageID = manifest.packageID;
    package->versionCode = manifest.versionCode;
    package->versionName = manifest.versionName;
    package->priority = manifest.priority;
    package->appID = manifest.appID;
    package->appMaxVer = manifest.appMaxVer;
    package->appMinVer = manifest.appMinVer;
    package->patchNotes = manifest.patchNotes;
    package->active = true;
    bool recorded = false;
    {
        PackageDatabase::Transaction transaction(*database_);
        recorded = transaction.began() && (!staged.old || database_->deletePackage(*staged.old))
            && database_->insertPackage(*package);
        for (auto const& file : staged.files) {
            if (!recorded)
                break;
            auto record = UPKFileRecord::create();
            record->fileKey = file.key;
            record->fileOnDisk = file.file;
            record->fileHash = file.hash;
            recorded = database_->insertRecord(*record, *package);
        }
        recorded = recorded && transaction.commit();
    }
    if (!recorded) {
        undo();
        return refuse(id, "it cannot be recorded");
    }
    fs::remove_all(aside, error);
    for (auto const& record : staged.oldRecords)
        forgetKey(record->fileKey);
    for (auto const& file : staged.files)
        forgetKey(file.key);
    return true;
}

bool BFPackageManager::removeUPKWithID(std::string const& packageID) {
    if (!database_)
        return false;
    auto package = getUPKPackageForID(packageID);
    if (!package)
        return false;
    auto records = database_->recordsOfPackage(*package);
    if (!records)
        return false;
    {
        PackageDatabase::Transaction transaction(*database_);
        if (!transaction.began() || !database_->deletePackage(*package) || !transaction.commit())
            return false;
    }
    // The records are gone first, so a file is never missing under a record.
    for (auto const& record : *records) {
        forgetKey(record->fileKey);
        if (auto place = foundation::Sandbox::safeJoin(caches_, record->fileOnDisk)) {
            std::error_code ignored;
            fs::remove(*place, ignored);
        }
    }
    return true;
}

void BFPackageManager::setPackage(std::string const& packageID, bool enabled) {
    if (!database_ || !database_->setActive(packageID, enabled))
        return;
    clearCache();
}

bool BFPackageManager::isPackageEnabled(std::string const& packageID) {
    auto package = getUPKPackageForID(packageID);
    return package && package->active;
}

void BFPackageManager::clearCache() {
    pathCache.clear();
    nameCache.clear();
}

void BFPackageManager::forgetKey(std::string const& key) {
    pathCache.erase(key);
    nameCache.erase(key);
}

base::Ref<UPKFileRecord> BFPackageManager::winnerForKey(std::string const& key) {
    auto records = getFileRecordsForKey(key);
    if (!records)
        return nullptr;
    for (auto it = records->rbegin(); it != records->rend(); ++it)
        if ((*it)->ParentUPK && (*it)->ParentUPK->overrides())
            return *it;
    return nullptr;
}

std::string BFPackageManager::pathForResource(std::string const& key) {
    if (auto cached = pathCache.find(key); cached != pathCache.end())
        return cached->second;
    if (auto winner = winnerForKey(key)) {
        for (auto const& folder : {caches_, mainDirectory()}) {
            auto path = foundation::Sandbox::safeJoin(folder, winner->fileOnDisk);
            if (path && exists(*path)) {
                pathCache[key] = *path;
                return *path;
            }
        }
    }
    if (auto path = foundation::Sandbox::safeJoin(documentsDirectory(), key); path && exists(*path))
        return *path;
    if (foundation::hasPrefix(key, "/"))
        return key;
    auto path = foundation::Bundle::mainBundle().pathForResource(
        foundation::stringByDeletingPathExtension(key), foundation::pathExtension(key));
    if (path && exists(*path))
        return *path;
    return key;
}

std::string BFPackageManager::nameForResource(std::string const& key) {
    if (auto cached = nameCache.find(key); cached != nameCache.end())
        return cached->second;
    if (auto winner = winnerForKey(key)) {
        nameCache[key] = winner->fileOnDisk;
        return winner->fileOnDisk;
    }
    return key;
}

std::optional<BFPackageManager::FileRecords> BFPackageManager::getFileRecordsForKey(
    std::string const& key) {
    if (!database_)
        return std::nullopt;
    return database_->recordsForKey(key);
}

base::Ref<UPKPackage> BFPackageManager::getUPKPackageForID(std::string const& packageID) {
    if (!database_)
        return nullptr;
    auto package = database_->package(packageID);
    return package ? *package : nullptr;
}

std::optional<BFPackageManager::Packages> BFPackageManager::getAllUPKPackages() {
    if (!database_)
        return std::nullopt;
    return database_->packages();
}

std::optional<BFPackageManager::FileRecords> BFPackageManager::fileRecordsOfPackage(
    UPKPackage& package) {
    if (!database_)
        return std::nullopt;
    return database_->recordsOfPackage(package);
}

}
