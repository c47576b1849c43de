#include <game/store/UPKManifest.hpp>

#include <foundation/Format.hpp>

namespace game {

namespace {

std::optional<UPKManifest> refuse(char const* why) {
    foundation::log("Package manifest refused: %@", std::string(why));
    return std::nullopt;
}

bool isInteger(base::Value const& value) {
    return value.isNumber() && !value.isBoolean();
}

}

std::optional<UPKManifest> UPKManifest::fromPropertyList(base::Value const& manifest) {
    auto const* root = manifest.dictionary();
    if (!root)
        return refuse("not a dictionary");
    auto const* info = root->objectForKey("package_info").dictionary();
    auto const* files = root->objectForKey("package_manifest").dictionary();
    if (!info || !files)
        return refuse("no package_info or package_manifest");

    UPKManifest result;
    auto text = [&](char const* key, std::string& into, bool required) {
        auto const& value = info->objectForKey(key);
        if (auto const* string = value.string()) {
            into = *string;
            return true;
        }
        return !required && value.isNull();
    };
    if (!text("package_id", result.packageID, true) || result.packageID.empty()
        || !text("target_appid", result.appID, true)
        || !text("target_minver", result.appMinVer, true)
        || !text("target_maxver", result.appMaxVer, true)
        || !text("version_name", result.versionName, false)
        || !text("patch_notes", result.patchNotes, false))
        return refuse("package_info lacks a text");
    auto const& versionCode = info->objectForKey("version_code");
    if (!isInteger(versionCode))
        return refuse("version_code is not an integer");
    result.versionCode = versionCode.longLongValue();
    auto const& priority = info->objectForKey("priority");
    if (!priority.isNull()) {
        if (!isInteger(priority))
            return refuse("priority is not an integer");
        result.priority = priority.longLongValue();
    }

    for (auto const& [key, value] : *files) {
        auto const* entry = value.dictionary();
        auto const* file = entry ? entry->objectForKey("file").string() : nullptr;
        auto const* hash = entry ? entry->objectForKey("hash").string() : nullptr;
        if (!file || !hash)
            return refuse("a package_manifest entry lacks its file or hash");
        result.files.push_back({key.str(), *file, *hash});
    }
    return result;
}

}
