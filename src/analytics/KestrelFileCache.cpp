#include <analytics/KestrelFileCache.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Sandbox.hpp>

#include <filesystem>
#include <mutex>
#include <system_error>

namespace analytics {

namespace {

std::mutex instanceMutex;
base::Ref<KestrelFileCache> sharedInstance;

// The longest file name most file systems take.
constexpr std::size_t maximumFileNameLength = 255;

}

KestrelFileCache::KestrelFileCache(std::string apiKey, std::string agentVersion)
    : apiKey_(std::move(apiKey))
    , agentVersion_(std::move(agentVersion)) {
}

base::Ref<KestrelFileCache> KestrelFileCache::createInstanceWithApiKey(
    std::string apiKey, std::string agentVersion) {
    std::lock_guard lock(instanceMutex);
    if (!sharedInstance)
        sharedInstance = initWithApiKey(std::move(apiKey), std::move(agentVersion));
    return sharedInstance;
}

base::Ref<KestrelFileCache> KestrelFileCache::instance() {
    std::lock_guard lock(instanceMutex);
    return sharedInstance;
}

void KestrelFileCache::resetInstance() {
    base::Ref<KestrelFileCache> previous;
    std::lock_guard lock(instanceMutex);
    previous = std::exchange(sharedInstance, nullptr);
}

base::Ref<KestrelFileCache> KestrelFileCache::initWithApiKey(
    std::string apiKey, std::string agentVersion) {
    return base::make<KestrelFileCache>(std::move(apiKey), std::move(agentVersion));
}

std::string KestrelFileCache::escapedFileNamePart(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')
            || (byte >= '0' && byte <= '9') || byte == '_' || byte == '-';
        if (plain) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        }
    }
    return escaped;
}

std::string KestrelFileCache::createDirectoryPath() const {
    auto folder = foundation::Sandbox::cachesPath() + "/Kestrel";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::string KestrelFileCache::createFilePath(std::string_view name) const {
    std::lock_guard lock(mutex_);
    return foundation::format("%@/kestrelCache_%@_%@_%@.archive",
        foundation::Sandbox::cachesPath() + "/Kestrel", escapedFileNamePart(name),
        escapedFileNamePart(apiKey_), escapedFileNamePart(agentVersion_));
}

std::optional<std::string> KestrelFileCache::saveData(std::optional<base::Bytes> const& data,
    std::string const& description, std::string_view name) const {
    createDirectoryPath();
    auto path = createFilePath(name);
    bool fits = std::filesystem::path(path).filename().string().size() <= maximumFileNameLength;
    if (!data || !fits || data->size() > maximumArchiveSize
        || !foundation::AtomicFile::write(path, *data)) {
        KestrelUtil::debugLog("Kestrel: object[%@] cannot be saved to disk", description);
        return std::nullopt;
    }
    KestrelUtil::debugLog("Kestrel: object[%@] saved to disk at path[%@]", description, path);
    return path;
}

std::optional<base::Bytes> KestrelFileCache::readArchive(std::string_view name) const {
    auto path = createFilePath(name);
    foundation::AtomicFile::ReadError error;
    auto data = foundation::AtomicFile::read(path, maximumArchiveSize, &error);
    if (data)
        KestrelUtil::debugLog("Kestrel: object[%@] retrieved from disk at path[%@]", name, path);
    return data;
}

base::Value KestrelFileCache::getValue(std::string_view name) const {
    auto data = readArchive(name);
    return data ? foundation::KeyedUnarchiver::unarchiveObjectWithData(*data) : base::Value();
}

bool KestrelFileCache::remove(std::string_view name) const {
    auto path = createFilePath(name);
    std::error_code error;
    bool removed = std::filesystem::remove(path, error);
    KestrelUtil::debugLog(
        "Kestrel: object at path[%@] removed from disk successful[%d]", path, removed);
    return removed;
}

bool KestrelFileCache::removeCache() const {
    auto folder = foundation::Sandbox::cachesPath() + "/Kestrel";
    std::error_code error;
    bool removed = std::filesystem::remove_all(folder, error) > 0 && !error;
    KestrelUtil::debugLog(
        "Kestrel: object at path[%@] removed from disk successful[%d]", folder, removed);
    return removed;
}

std::string KestrelFileCache::apiKey() const {
    std::lock_guard lock(mutex_);
    return apiKey_;
}

void KestrelFileCache::setApiKey(std::string apiKey) {
    std::lock_guard lock(mutex_);
    apiKey_ = std::move(apiKey);
}

std::string KestrelFileCache::agentVersion() const {
    std::lock_guard lock(mutex_);
    return agentVersion_;
}

void KestrelFileCache::setAgentVersion(std::string agentVersion) {
    std::lock_guard lock(mutex_);
    agentVersion_ = std::move(agentVersion);
}

}
