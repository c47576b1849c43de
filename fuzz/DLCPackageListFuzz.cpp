// The game server's list of downloadable packages as the content-package system
// reads it: any JSON, sorted against a few installed packages. Every entry is
// either matched (it names an installed package) or available, never both; every
// package to update or remove is one of those installed, and an update is only
// offered for a version above the installed one.
#include "FuzzSupport.hpp"

#include <game/store/BFDLCSystem.hpp>

#include <toolkit/json/JSONDecoder.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto list
        = toolkit::json::JSONDecoder::decoder()->objectWithData(base::Bytes(data, data + size));
    std::vector<base::Ref<game::UPKPackage>> installed;
    for (auto const& [id, version] : {std::pair {"p1", 1}, {"p2", 5}, {"", 0}}) {
        auto package = game::UPKPackage::create();
        package->packageID = id;
        package->versionCode = version;
        installed.push_back(package);
    }
    auto sorting = game::BFDLCSystem::sortServerList(list, installed);
    auto const* entries = list.array();
    if (!entries) {
        FUZZ_CHECK(
            sorting.available.empty() && sorting.update.empty() && sorting.deprecated.empty());
        return 0;
    }
    std::size_t matched = 0;
    for (auto const& entry : *entries) {
        auto const* fields = entry.dictionary();
        auto const* id = fields ? fields->objectForKey("package_id").string() : nullptr;
        if (id && (*id == "p1" || *id == "p2" || id->empty()))
            ++matched;
    }
    FUZZ_CHECK(matched + sorting.available.size() == entries->size());
    for (auto const& package : sorting.update)
        FUZZ_CHECK(package == installed[0] || package == installed[1] || package == installed[2]);
    for (auto const& id : sorting.deprecated)
        FUZZ_CHECK(id == "p1" || id == "p2" || id.empty());
    FUZZ_CHECK(sorting.deprecated.size() <= matched && sorting.update.size() <= matched);
    return 0;
}
