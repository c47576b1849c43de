// The downloadable-content shop's rows over any property list taken as the server's list
// and as the unpacked list at once: the listed entries are dictionaries and never themes,
// the row count fits them, and drawing a row again changes nothing more (free content
// is switched on and a token pack credited on the first drawing only).
//
// The records live in a sandbox of its own; each input starts from an empty store.
#include "FuzzSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <game/store/DLCRowRules.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

using game::DLCRowRules;

namespace {

// Never destroyed, so that the clean-up at exit still has it.
std::string const& sandboxRoot() {
    static std::string const* const root = [] {
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
            ? std::filesystem::path("/dev/shm")
            : std::filesystem::temp_directory_path();
        auto* path = new std::string(
            (base / ("quillaby-dlc-rows-fuzz-" + std::to_string(::getpid()))).string());
        std::filesystem::create_directories(*path);
        foundation::Sandbox::setRoot(*path);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(sandboxRoot(), ignored);
        });
        return path;
    }();
    return *root;
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto value = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    if (value.isNull())
        return 0;
    sandboxRoot();
    foundation::UserDefaults::resetStandardUserDefaults();
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    for (auto const& key : defaults.dictionaryRepresentation()->keys())
        defaults.removeObjectForKey(key);

    auto listed = DLCRowRules::listedEntries(value);
    for (auto const& entry : *listed) {
        FUZZ_CHECK(entry.dictionary());
        FUZZ_CHECK(entry.dictionary()->objectForKey("type").stringValue() != "theme");
    }
    for (bool pad : {false, true}) {
        auto rows = DLCRowRules::rowCount(true, listed->size(), pad);
        FUZZ_CHECK(rows >= 1);
        FUZZ_CHECK((pad ? 2 * rows : rows) >= listed->size());
    }
    auto unpacked = value.arrayRef();
    if (!unpacked)
        unpacked = base::Array::create();
    for (auto const& entry : *listed)
        DLCRowRules::cellFor(*entry.dictionary(), *unpacked);
    auto credit = defaults.integerForKey("credit");
    for (auto const& entry : *listed) {
        auto const& dictionary = *entry.dictionary();
        auto cell = DLCRowRules::cellFor(dictionary, *unpacked);
        FUZZ_CHECK(DLCRowRules::cellFor(dictionary, *unpacked) == cell);
    }
    FUZZ_CHECK(defaults.integerForKey("credit") == credit);
    return 0;
}
