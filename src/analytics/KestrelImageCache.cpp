#include <analytics/KestrelImageCache.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <set>

namespace analytics {

namespace {

std::mutex instanceMutex;
base::Ref<KestrelImageCache> sharedInstance;

// A bound read from an archive is taken only inside this range; anything else
// (none, negative, absurd) is the default.
constexpr int largestMaxImageCached = 100000;

base::Ref<KestrelImageCache> makeShared(KestrelFileCache* fileCache) {
    KestrelImageCache::registerCoding();
    base::Ref<KestrelImageCache> cache;
    if (auto shared = KestrelFileCache::instance())
        cache = shared->get<KestrelImageCache>(KestrelImageCache::archiveName);
    if (cache)
        cache->setFileCache(fileCache);
    else
        cache = KestrelImageCache::initWithFileCache(fileCache);
    return cache;
}

}

KestrelImageCache::KestrelImageCache(KestrelFileCache* fileCache)
    : fileCache_(fileCache) {
}

void KestrelImageCache::registerCoding() {
    static std::once_flag registered;
    std::call_once(registered,
        [] { foundation::Coding::registerClass<KestrelImageCache>("KestrelImageCache"); });
}

base::Ref<KestrelImageCache> KestrelImageCache::createInstanceWithFileCache(
    KestrelFileCache* fileCache) {
    std::lock_guard lock(instanceMutex);
    if (!sharedInstance)
        sharedInstance = makeShared(fileCache);
    return sharedInstance;
}

base::Ref<KestrelImageCache> KestrelImageCache::recreateInstanceWithFileCache(
    KestrelFileCache* fileCache) {
    base::Ref<KestrelImageCache> previous;
    std::lock_guard lock(instanceMutex);
    previous = std::exchange(sharedInstance, makeShared(fileCache));
    return sharedInstance;
}

base::Ref<KestrelImageCache> KestrelImageCache::instance() {
    std::lock_guard lock(instanceMutex);
    return sharedInstance;
}

void KestrelImageCache::resetInstance() {
    base::Ref<KestrelImageCache> previous;
    std::lock_guard lock(instanceMutex);
    previous = std::exchange(sharedInstance, nullptr);
}

base::Ref<KestrelImageCache> KestrelImageCache::initWithFileCache(KestrelFileCache* fileCache) {
    registerCoding();
    return base::make<KestrelImageCache>(fileCache);
}

base::Ref<KestrelImageCache> KestrelImageCache::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto cache = base::make<KestrelImageCache>(nullptr);
    // The archive is outside input: only text ids and names are taken, every id of
    // the index has exactly one place in the recency list, and the list names
    // nothing the index lacks.
    if (auto* index = coder.decodeObjectForKey("index").dictionary()) {
        for (auto const& [imageId, name] : *index) {
            if (name.isString())
                cache->index_[imageId] = *name.string();
        }
    }
    std::set<std::string> placed;
    if (auto* lru = coder.decodeObjectForKey("lru").array()) {
        for (auto const& imageId : *lru) {
            auto* text = imageId.string();
            if (text && cache->index_.contains(*text) && placed.insert(*text).second)
                cache->lru_.push_back(*text);
        }
    }
    for (auto const& entry : cache->index_) {
        if (!placed.contains(entry.first))
            cache->lru_.insert(cache->lru_.begin(), entry.first);
    }
    int bound = coder.decodeIntForKey("maxImageCached");
    cache->maxImageCached_
        = bound >= 1 && bound <= largestMaxImageCached ? bound : defaultMaxImageCached;
    cache->cacheUpdateTimestamp_ = coder.decodeInt64ForKey("cacheUpdateTimestamp");
    return cache;
}

void KestrelImageCache::encodeWithCoder(foundation::KeyedArchiver& coder) {
    KestrelUtil::debugLog("Kestrel: Encode KestrelImageCache");
    std::lock_guard lock(mutex_);
    auto index = base::Dictionary::create();
    for (auto const& [imageId, name] : index_)
        index->setObject(imageId, name);
    auto lru = base::Array::create();
    for (auto const& imageId : lru_)
        lru->add(imageId);
    coder.encodeObject(base::Value(index), "index");
    coder.encodeInt(maxImageCached_, "maxImageCached");
    coder.encodeObject(base::Value(lru), "lru");
    coder.encodeInt64(cacheUpdateTimestamp_, "cacheUpdateTimestamp");
}

std::string KestrelImageCache::imageIdToFileName(std::string_view imageId) {
    return "kestrelImage" + std::string(imageId);
}

void KestrelImageCache::touchLocked(std::string const& imageId) {
    std::erase(lru_, imageId);
    lru_.push_back(imageId);
}

void KestrelImageCache::forgetLocked(std::string const& imageId) {
    index_.erase(imageId);
    std::erase(lru_, imageId);
}

void KestrelImageCache::save(base::Value const& image, std::optional<std::string_view> imageId) {
    KestrelUtil::debugLog("Kestrel: Image cache saving imageId[%@]", imageId);
    if (image.isNull() || !imageId)
        return;
    std::string id(*imageId);
    std::lock_guard lock(mutex_);
    if (!index_.contains(id) && index_.size() >= std::size_t(maxImageCached_) && !lru_.empty()) {
        std::string oldest = lru_.front();
        KestrelUtil::debugLog("Kestrel: Image cache full, remove oldest entry[%@]", oldest);
        removeLocked(oldest);
    }
    if (!fileCache_)
        return;
    auto name = imageIdToFileName(id);
    if (fileCache_->save(image, name)) {
        index_[id] = name;
        touchLocked(id);
    }
}

base::Value KestrelImageCache::get(std::optional<std::string_view> imageId) {
    KestrelUtil::debugLog("Kestrel: Image cache retrieving imageId[%@]", imageId);
    if (!imageId)
        return {};
    std::string id(*imageId);
    std::lock_guard lock(mutex_);
    auto entry = index_.find(id);
    if (entry == index_.end())
        return {};
    touchLocked(id);
    base::Value image = fileCache_ ? fileCache_->getValue(entry->second) : base::Value();
    if (image.isNull())
        forgetLocked(id);
    return image;
}

bool KestrelImageCache::removeLocked(std::string const& imageId) {
    auto entry = index_.find(imageId);
    if (entry == index_.end())
        return false;
    bool removed = fileCache_ && fileCache_->remove(entry->second);
    // A file that is already gone leaves nothing to keep: the id goes too, so a
    // full cache can always make room.
    bool gone = removed
        || (fileCache_ && !std::filesystem::exists(fileCache_->createFilePath(entry->second)));
    if (gone)
        forgetLocked(imageId);
    return removed;
}

bool KestrelImageCache::remove(std::optional<std::string_view> imageId) {
    KestrelUtil::debugLog("Kestrel: Image cache removing imageId[%@]", imageId);
    if (!imageId)
        return false;
    std::lock_guard lock(mutex_);
    return removeLocked(std::string(*imageId));
}

void KestrelImageCache::setAsMostRecentlyUsed(std::optional<std::string_view> imageId) {
    if (!imageId)
        return;
    KestrelUtil::debugLog(
        "Kestrel: Image cache setting imageId[%@] as most recently used", imageId);
    std::lock_guard lock(mutex_);
    // Only stored ids have a place in the recency list.
    std::string id(*imageId);
    if (index_.contains(id))
        touchLocked(id);
}

std::vector<std::string> KestrelImageCache::storedIds() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> ids;
    for (auto const& entry : index_)
        ids.push_back(entry.first);
    return ids;
}

std::int64_t KestrelImageCache::cacheUpdateTimestamp() const {
    std::lock_guard lock(mutex_);
    return cacheUpdateTimestamp_;
}

void KestrelImageCache::setCacheUpdateTimestamp(std::int64_t timestamp) {
    std::lock_guard lock(mutex_);
    cacheUpdateTimestamp_ = timestamp;
}

KestrelFileCache* KestrelImageCache::fileCache() const {
    std::lock_guard lock(mutex_);
    return fileCache_;
}

void KestrelImageCache::setFileCache(KestrelFileCache* fileCache) {
    std::lock_guard lock(mutex_);
    fileCache_ = fileCache;
}

int KestrelImageCache::maxImageCached() const {
    std::lock_guard lock(mutex_);
    return maxImageCached_;
}

std::vector<std::string> KestrelImageCache::lru() const {
    std::lock_guard lock(mutex_);
    return lru_;
}

std::string KestrelImageCache::description() const {
    return foundation::format("<KestrelImageCache: %p>", static_cast<void const*>(this));
}

}
