// The analytics caches as they come back from the caches folder, and the response
// dumps from Documents: any bytes give no object or a consistent one. An image
// cache read from hostile bytes keeps every id of its index exactly once in its
// recency list and a usable bound, and the operations on it stay inside those
// promises; a file cache reads any file of its folder as nothing or a value.
#include "FuzzSupport.hpp"

#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelHTTPResponse.hpp>
#include <analytics/KestrelImageCache.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Sandbox.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

using analytics::KestrelFileCache;
using analytics::KestrelHTTPResponse;
using analytics::KestrelImageCache;

namespace {

KestrelFileCache& fileCache() {
    static auto const cache = [] {
        char folder[] = "/tmp/kestrel-cache-fuzz-XXXXXX";
        FUZZ_CHECK(mkdtemp(folder) != nullptr);
        foundation::Sandbox::setRoot(folder);
        KestrelImageCache::registerCoding();
        return KestrelFileCache::initWithApiKey("KEY", "53");
    }();
    return *cache;
}

void checkConsistent(KestrelImageCache const& cache) {
    auto ids = cache.storedIds();
    auto lru = cache.lru();
    FUZZ_CHECK(ids.size() == lru.size());
    std::set<std::string> stored(ids.begin(), ids.end());
    std::set<std::string> recent(lru.begin(), lru.end());
    FUZZ_CHECK(stored == recent);
    FUZZ_CHECK(cache.maxImageCached() >= 1);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto& files = fileCache();
    foundation::ByteView bytes(data, size);

    // The image cache as the file cache reads it back.
    files.createDirectoryPath();
    FUZZ_CHECK(foundation::AtomicFile::write(files.createFilePath("imageCache"), bytes));
    if (auto cache = files.get<KestrelImageCache>("imageCache")) {
        checkConsistent(*cache);
        cache->setFileCache(&files);
        for (auto const& id : cache->lru())
            cache->setAsMostRecentlyUsed(id);
        if (!cache->lru().empty())
            cache->get(cache->lru().front());
        cache->save(base::Value("image"), "fuzz");
        checkConsistent(*cache);
        files.save(cache, "imageCache");
    }
    files.getValue("imageCache").description();
    files.remove("imageCache");

    // A response dump.
    if (auto response = KestrelHTTPResponse::readFromData(bytes)) {
        response->description();
        response->isSuccess();
    }
    return 0;
}
