#pragma once

#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace game {

// The "manifest.plist" at the root of a package (.upk, a zip archive):
// "package_info" names the package and the application it is made for,
// "package_manifest" maps each resource key to the file that overrides it
// ({"file": path relative to the package root, "hash": MD5 as 32 lower-case
// hexadecimal digits}), in the order the file lists them.
struct UPKManifest {
    struct File {
        std::string key;
        std::string file;
        std::string hash;
    };

    std::string packageID;
    std::int64_t versionCode {0};
    std::string versionName;
    std::string appID;
    std::string appMinVer;
    std::string appMaxVer;
    std::string patchNotes;
    std::int64_t priority {0};
    std::vector<File> files;

    // The manifest a property list describes; nullopt, with a log line, when a
    // required entry is missing or of the wrong kind: "package_id", "target_appid",
    // "target_minver", "target_maxver" must be texts (the package id not empty),
    // "version_code" an integer, "package_manifest" a dictionary whose every entry
    // is a dictionary holding the texts "file" and "hash". "version_name",
    // "patch_notes" (texts) and "priority" (an integer, 0 when absent) are optional.
    // Nothing is said here about whether a "file" is a safe path: the installer
    // checks that against the folders involved.
    static std::optional<UPKManifest> fromPropertyList(base::Value const& manifest);
};

}
