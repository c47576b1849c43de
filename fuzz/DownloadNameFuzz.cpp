// The names a download is saved under: the last path component of a URL from outside
// (a featured app's image address, say) or a name a caller passes on. Whatever the
// text, a URL's name never holds a folder separator, and a name accepted for the data
// folder joins it as one plain entry, never leaving it.
#include "FuzzSupport.hpp"

#include <foundation/Sandbox.hpp>
#include <game/shell/DownloadManager.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto name = game::DownloadManager::fileNameOfURL(text);
    FUZZ_CHECK(name.find('/') == std::string::npos);
    FUZZ_CHECK(name.size() <= text.size());
    for (std::string_view candidate : {std::string_view(name), text}) {
        if (!game::DownloadManager::isSafeFileName(candidate))
            continue;
        std::string const folder = "/data/Library/Marrowby";
        auto joined = foundation::Sandbox::safeJoin(folder, candidate);
        FUZZ_CHECK(joined.has_value());
        FUZZ_CHECK(*joined == folder + "/" + std::string(candidate));
    }
    return 0;
}
