#pragma once

#include <analytics/KestrelFileCache.hpp>

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace analytics {

// The ad images the device already has, kept in the file cache under
// "kestrelImage<id>" with a least-recently-used bound, and the ad service's cache
// version. It is itself archived (under "imageCache") so that the next launch
// finds the same images. One shared instance per process; used from the upload
// thread and the main thread, so every operation holds the cache's lock.
class KestrelImageCache final : public base::Object, public foundation::Coding {
public:
    static constexpr int defaultMaxImageCached = 100;
    static constexpr char const* archiveName = "imageCache";

    // On the first call the cache stored under "imageCache" in the shared file
    // cache, attached to fileCache, or else a new one; later calls answer it.
    static base::Ref<KestrelImageCache> createInstanceWithFileCache(KestrelFileCache* fileCache);
    // Drops the shared cache, then as above.
    static base::Ref<KestrelImageCache> recreateInstanceWithFileCache(KestrelFileCache* fileCache);
    static base::Ref<KestrelImageCache> instance();
    // Forgets the shared cache (tests).
    static void resetInstance();

    // A new empty cache, bound 100. The file cache is not retained.
    static base::Ref<KestrelImageCache> initWithFileCache(KestrelFileCache* fileCache);

    // Registers the class for keyed archives (done by the operations that read them).
    static void registerCoding();
    static base::Ref<KestrelImageCache> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // Stores the image (a property-list value, usually its data) under the id,
    // evicting the least recently used image when the cache is full. A null
    // image or a missing id does nothing.
    void save(base::Value const& image, std::optional<std::string_view> imageId);
    // The image, which becomes the most recently used; null for an unknown id or
    // when its file is gone (the id is then forgotten).
    base::Value get(std::optional<std::string_view> imageId);
    // Deletes the image's file and forgets the id; whether the file was deleted.
    bool remove(std::optional<std::string_view> imageId);
    void setAsMostRecentlyUsed(std::optional<std::string_view> imageId);
    std::vector<std::string> storedIds() const;
    static std::string imageIdToFileName(std::string_view imageId);

    std::int64_t cacheUpdateTimestamp() const;
    void setCacheUpdateTimestamp(std::int64_t timestamp);
    KestrelFileCache* fileCache() const;
    void setFileCache(KestrelFileCache* fileCache);
    int maxImageCached() const;
    // Least recently used first.
    std::vector<std::string> lru() const;

    std::string description() const;

private:
    friend base::Factory;
    explicit KestrelImageCache(KestrelFileCache* fileCache);

    bool removeLocked(std::string const& imageId);
    void touchLocked(std::string const& imageId);
    void forgetLocked(std::string const& imageId);

    mutable std::recursive_mutex mutex_;
    KestrelFileCache* fileCache_ {nullptr};
    std::map<std::string, std::string> index_;
    int maxImageCached_ {defaultMaxImageCached};
    std::vector<std::string> lru_;
    std::int64_t cacheUpdateTimestamp_ {0};
};

}
