#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace foundation {
class Bundle;
}

namespace engine {

// The shared resource lookup: turns resource names into paths in the application
// bundle, remembering every path the bundle found, and keeps each parsed property
// list by path so that a list is read from storage once. Dropped whole by
// clearCache when the lists may have changed (a new salon day, unpacked downloads).
//
// On the tablet (Device::isPad) a name is looked for in the tablet art folder
// first: the main bundle's folder with "-ipad" appended ("bundle-ipad" beside
// "bundle"), which holds the larger pictures under the same names; sounds, fonts
// and data are only in the main bundle. Set the device before the first lookup,
// or clear the cache after changing it, since found paths are remembered.
//
// Paths on the device ("/var/mobile/...") given to the list readers are read from
// their place in the sandbox; the cache keys keep the text as passed.
//
// Main thread only: the tables have no lock.
class StaticFileCache final : public base::Object {
public:
    // Made on first use.
    static StaticFileCache& sharedCache();
    // Drops the shared instance with both tables; the next sharedCache() makes a
    // new, empty one. References to the old instance must not be kept across it.
    static void clearCache();

    // The list cached under path, or the file read as a dictionary (array) and
    // cached when the read succeeded. Null when the file is missing, malformed or
    // of the other kind; a path cached as the other kind also answers null.
    base::Ref<base::Dictionary> dictionaryWithContentsOfFile(std::string const& path);
    base::Ref<base::Array> arrayWithContentsOfFile(std::string const& path);

    // "bg01.png": a name that begins with "/" comes back unchanged; any other is
    // split into name and extension for pathForResource(name, type).
    std::optional<std::string> pathForResource(std::string const& file);
    // A name that begins with "/" comes back with the type appended as its
    // extension, unlooked-for. Otherwise the key "name.type" (or "name." without a
    // type) is looked up, then the bundle asked; only found paths are remembered,
    // so a missing resource is asked for again on every call.
    std::optional<std::string> pathForResource(std::string const& name, std::string const& type);
    // As above in a folder of the bundle, keyed "<directory>\0<name>.<type>" (the
    // NUL keeps a folder from running into the name), with no "/" test.
    std::optional<std::string> pathForResource(
        std::string const& name, std::string const& type, std::string const& directory);

    // For tests and diagnostics.
    std::size_t cachedListCount() const { return cache.size(); }
    std::size_t cachedPathCount() const { return pathCache.size(); }
    // The path remembered under a lookup key ("bg01.png", "fontsarial.fnt").
    std::optional<std::string> cachedPath(std::string const& key) const;

    ~StaticFileCache() override;

private:
    std::optional<std::string> askBundles(
        std::string const& name, std::string const& type, std::string const& directory);
    base::Value const* cachedList(std::string const& path) const;

    std::map<std::string, base::Value> cache;
    std::map<std::string, std::string> pathCache;
    base::Ref<foundation::Bundle> tabletBundle_;

    friend base::Factory;

    // Use sharedCache.
    StaticFileCache();
};

}
