#pragma once

#include <foundation/Format.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <concepts>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace analytics {

// Keeps archivable objects under names, one keyed-archive file per name in the
// folder "Kestrel" of the caches folder. File names carry the name, the application
// key and the agent version, so stores of other keys and versions never mix. Names
// and keys come from the ad service: every character outside [A-Za-z0-9_-] is
// escaped as "%XX" before it becomes part of a file name, so no name leaves the
// folder, and archives are read back only up to a bounded size.
// One shared instance per process; the operations take no lock of their own
// (each file is written atomically), so the main and the upload thread may share it.
class KestrelFileCache final : public base::Object {
public:
    // The shared cache, made on the first call; later calls answer it unchanged.
    static base::Ref<KestrelFileCache> createInstanceWithApiKey(
        std::string apiKey, std::string agentVersion);
    static base::Ref<KestrelFileCache> instance();
    // Forgets the shared cache (tests).
    static void resetInstance();

    static base::Ref<KestrelFileCache> initWithApiKey(std::string apiKey, std::string agentVersion);

    // The folder, created with its parents when missing.
    std::string createDirectoryPath() const;
    // The file of a name (the folder is not created).
    std::string createFilePath(std::string_view name) const;

    // Archives the object to the name's file; the path, or none (logged) on failure.
    template<typename T>
    requires std::derived_from<T, foundation::Coding> std::optional<std::string> save(
        base::Ref<T> const& object, std::string_view name) {
        return saveData(foundation::KeyedArchiver::archivedDataWithRootObject(object),
            foundation::format("%@", object), name);
    }
    std::optional<std::string> save(base::Value const& value, std::string_view name) {
        return saveData(foundation::KeyedArchiver::archivedDataWithRootObject(value),
            foundation::format("%@", value), name);
    }

    // The object stored under the name, or none when there is none or it is not a T.
    template<typename T> base::Ref<T> get(std::string_view name) const {
        auto data = readArchive(name);
        return data ? foundation::KeyedUnarchiver::unarchiveObjectWithData<T>(*data) : nullptr;
    }
    // A property-list value stored under the name, or null.
    base::Value getValue(std::string_view name) const;

    // Deletes the name's file; whether it was deleted.
    bool remove(std::string_view name) const;
    // Deletes the whole folder; whether it was deleted.
    bool removeCache() const;

    std::string apiKey() const;
    void setApiKey(std::string apiKey);
    std::string agentVersion() const;
    void setAgentVersion(std::string agentVersion);

    // The largest archive read back.
    static constexpr std::size_t maximumArchiveSize = 16u << 20;

    // The text with every character outside [A-Za-z0-9_-] as "%XX".
    static std::string escapedFileNamePart(std::string_view text);

private:
    friend base::Factory;
    KestrelFileCache(std::string apiKey, std::string agentVersion);

    std::optional<std::string> saveData(std::optional<base::Bytes> const& data,
        std::string const& description, std::string_view name) const;
    std::optional<base::Bytes> readArchive(std::string_view name) const;

    mutable std::mutex mutex_;
    std::string apiKey_;
    std::string agentVersion_;
};

}
