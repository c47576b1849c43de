// A package's "manifest.plist" as it comes out of a downloaded archive: any property
// list. A manifest that is accepted has a package id and a file and hash for every
// entry, in the order of its dictionary; every "file" either stays inside the
// folder it is joined to or is refused, as the installer checks it.
#include "FuzzSupport.hpp"

#include <game/store/UPKManifest.hpp>

#include <foundation/PropertyList.hpp>
#include <foundation/Sandbox.hpp>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto value = foundation::PropertyList::propertyListWithData(foundation::ByteView(data, size));
    auto manifest = game::UPKManifest::fromPropertyList(value);
    if (!manifest)
        return 0;
    FUZZ_CHECK(!manifest->packageID.empty());
    auto const* files = value.dictionary()->objectForKey("package_manifest").dictionary();
    FUZZ_CHECK(files && files->size() == manifest->files.size());
    std::size_t index = 0;
    for (auto const& [key, entry] : *files) {
        auto const& file = manifest->files[index++];
        FUZZ_CHECK(file.key == key.str());
        FUZZ_CHECK(file.file == entry.dictionary()->objectForKey("file").stringValue());
        FUZZ_CHECK(file.hash == entry.dictionary()->objectForKey("hash").stringValue());
        if (auto path = foundation::Sandbox::safeJoin("/caches", file.file))
            FUZZ_CHECK(path->starts_with("/caches/") && path->find("/../") == std::string::npos);
    }
    return 0;
}
