#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace game {

// Where the downloadable-content rows keep the thumbnails they fetch, and which
// replies are worth keeping. A thumbnail is cached in the data folder under a name
// made from its whole URL (the MD5 of the URL in hexadecimal, then the extension of
// its last path component), so two URLs that end in the same file name keep two
// images. Only a reply of status 200 whose body decodes as an image is cached; an
// error page is never kept in place of a picture. No state; any thread.
class DLCThumbnailCache {
public:
    DLCThumbnailCache() = delete;

    // The cache file name for the URL; empty for an empty URL.
    static std::string fileNameForURL(std::string_view url);
    // The cache file's path in the data folder; none for an empty URL.
    static std::optional<std::string> pathForURL(std::string_view url);
    // Whether a finished reply should be written to the cache.
    static bool shouldCache(int status, base::Bytes const& body);
};

}
