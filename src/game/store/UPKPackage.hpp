#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <limits>
#include <string>

namespace game {

// One installed package as the package database holds it: a snapshot of its row,
// made by a fetch. Changing a field changes nothing stored; the package manager's
// operations do. Main thread only, like the manager.
class UPKPackage final : public base::Object {
public:
    // A priority that keeps the package's files from ever overriding a resource.
    static constexpr std::int64_t NeverOverrides = std::numeric_limits<std::int32_t>::min();

    static base::Ref<UPKPackage> create() { return base::make<UPKPackage>(); }

    // Whether the package's files may override resources now.
    bool overrides() const { return active && priority != NeverOverrides; }

    std::int64_t rowID {0};
    std::string packageID;
    std::int64_t versionCode {0};
    std::string versionName;
    std::int64_t priority {0};
    std::string appID;
    std::string appMinVer;
    std::string appMaxVer;
    std::string patchNotes;
    bool active {false};

private:
    friend base::Factory;
    UPKPackage() = default;
};

// One installed file of a package: the resource key it overrides, where it lies
// (relative to the Caches folder), its MD5 as the manifest gave it, and the package
// it belongs to (a snapshot fetched with it).
class UPKFileRecord final : public base::Object {
public:
    static base::Ref<UPKFileRecord> create() { return base::make<UPKFileRecord>(); }

    std::int64_t rowID {0};
    std::string fileKey;
    std::string fileOnDisk;
    std::string fileHash;
    base::Ref<UPKPackage> ParentUPK;

private:
    friend base::Factory;
    UPKFileRecord() = default;
};

}
