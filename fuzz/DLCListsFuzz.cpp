// The downloadable-content lists as they come from the server and from archives:
// any property list read as "dlclist.plist" (with itself as the installed list) and
// as an archive's "dlc.plist". At most five entries are ever pending, each a
// dictionary with a web link; every merged entry has exactly its eight keys and no
// key "dlc_<id>" is installed twice.
#include "FuzzSupport.hpp"

#include <serverkit/FetchArchive.hpp>

#include <foundation/PropertyList.hpp>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

using serverkit::FetchArchive;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto value = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    if (value.isNull())
        return 0;
    for (auto const& [mode, param] : {std::pair {0, ""}, {1, "theme"}, {2, "dlc_1"}}) {
        auto pending = FetchArchive::pendingEntries(value, value, mode, param);
        FUZZ_CHECK(pending->size() <= std::size_t(FetchArchive::MaxPending));
        for (auto const& entry : *pending) {
            FUZZ_CHECK(entry.dictionary());
            auto link = entry.dictionary()->objectForKey("link").stringValue();
            FUZZ_CHECK(link.starts_with("http://") || link.starts_with("https://"));
        }
    }

    auto installed = base::Array::create();
    FetchArchive::mergeDescriptions(*installed, value);
    FetchArchive::mergeDescriptions(*installed, value);
    std::set<std::string> keys;
    for (auto const& entry : *installed) {
        auto const* dictionary = entry.dictionary();
        FUZZ_CHECK(dictionary && dictionary->size() == 8);
        auto key = dictionary->objectForKey("uid").stringValue();
        FUZZ_CHECK(key.starts_with("dlc_"));
        FUZZ_CHECK(keys.insert(key).second);
    }
    FetchArchive::pendingEntries(value, installed, 0, "");
    return 0;
}
