#pragma once

#include <game/store/UPKPackage.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/ByteView.hpp>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace game {

class PackageDatabase;
struct UPKManifest;

// Installs downloadable packages (".upk": a zip archive with a "manifest.plist")
// whose files override the application's resources, records them in the SQLite
// database "PackageManager.sqlite" in the Caches folder, and answers which
// installed file overrides a resource key. One instance serves the process
// (sharedManager); tests make their own. Main thread only.
//
// Installing is all or nothing. The package is unpacked into the staging folder
// "upk_temp" in Caches (emptied before and after each install) and everything is
// checked there first: the application id, the version range, a version above the
// installed one, and for every listed file that it lies inside both the staging
// folder and Caches (away from the manager's own files), that it is there, that its
// MD5 matches the manifest and that its destination is free or a file of the
// version being replaced. Only then are the old version's files put aside (in
// "upk_aside"), the new ones moved into place, and the old records replaced by the
// new ones in one SQLite transaction. When any step fails, the new files go, the
// old ones come back and the database stays as it was, so the old version stays
// installed.
//
// The winner for a key is the last record, in insertion order (see
// PackageDatabase), whose package is active and whose priority is not
// UPKPackage::NeverOverrides. Resolved paths and names are cached until clearCache,
// an install or removal touching the key, or a package being enabled or disabled.
//
// A database that cannot be opened is logged once; every operation then answers
// false, null or nothing, and path resolution falls back to the Documents folder
// and the bundle.
class BFPackageManager final : public base::Object {
public:
    static constexpr char const* DatabaseFileName = "PackageManager.sqlite";
    static constexpr char const* StagingFolderName = "upk_temp";
    static constexpr char const* AsideFolderName = "upk_aside";
    static constexpr char const* ManifestFileName = "manifest.plist";

    static BFPackageManager& sharedManager();
    static void releaseManager();
    // A manager of its own over the Caches folder of the sandbox as it is now.
    static base::Ref<BFPackageManager> create();
    ~BFPackageManager() override;

    // Opens the database; done by create().
    void initCoreData();
    bool isOpen() const { return database_ != nullptr; }

    // Installs the package at path; true when it is installed and recorded.
    bool loadUPKFromPath(std::string const& path);
    // Removes an installed package's records, then its files. False when none has
    // that id or the database refused.
    bool removeUPKWithID(std::string const& packageID);
    // Sets the package's active flag and empties both caches; nothing when no
    // package has that id.
    void setPackage(std::string const& packageID, bool enabled);
    bool isPackageEnabled(std::string const& packageID);

    // The full path to use for a resource: the winner's file in Caches (else in
    // the bundle), then <Documents>/key, then key itself when it begins with "/",
    // then the bundle's own resource, else key.
    std::string pathForResource(std::string const& key);
    // The winner's file name relative to Caches, or key. Looks at no file.
    std::string nameForResource(std::string const& key);
    void clearCache();

    using FileRecords = std::vector<base::Ref<UPKFileRecord>>;
    using Packages = std::vector<base::Ref<UPKPackage>>;
    // The records of a key in insertion order; nullopt when the fetch failed.
    std::optional<FileRecords> allFileRecordsForAsset(std::string const& key) {
        return getFileRecordsForKey(key);
    }
    std::optional<FileRecords> getFileRecordsForKey(std::string const& key);
    // The package with that id, or null (also when the fetch failed).
    base::Ref<UPKPackage> getUPKPackageForID(std::string const& packageID);
    std::optional<Packages> getAllUPKPackages();
    std::optional<FileRecords> fileRecordsOfPackage(UPKPackage& package);

    static std::string documentsDirectory();
    static std::string cachesDirectory();
    // The main bundle's folder of resources.
    static std::string mainDirectory();
    // -1, 0 or 1, comparing runs of digits by value (1.10 is above 1.9).
    static int compareVersionString(std::string const& a, std::string const& b);
    // Two lower-case hexadecimal digits per byte.
    static std::string hexStringWithNSData(foundation::ByteView bytes);

private:
    friend base::Factory;
    BFPackageManager();

    struct Staged;
    // Checks an unpacked package against the application, the installed version
    // and the files in staging; nullopt (logged) when it is refused.
    std::optional<Staged> verify(UPKManifest const& manifest, std::string const& staging);
    bool commit(UPKManifest const& manifest, Staged& staged);
    base::Ref<UPKFileRecord> winnerForKey(std::string const& key);
    void forgetKey(std::string const& key);

    std::string caches_;
    std::unique_ptr<PackageDatabase> database_;
    std::map<std::string, std::string> pathCache;
    std::map<std::string, std::string> nameCache;
};

}
