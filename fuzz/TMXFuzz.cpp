// TMX tile maps from files: any bytes give map records whose layers either hold exactly
// width x height GIDs or none (with a reason), never more cells than the bound, and whose
// tile rectangles stay inside the tileset image for every GID a layer holds. The Base64
// decoder and the inflater run over the raw bytes too. No GL is needed: only the reading runs.
#include "FuzzSupport.hpp"

#include <effects/TMXDecoding.hpp>
#include <effects/TMXXMLParser.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

using namespace effects;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::span<std::uint8_t const> bytes(data, size);

    if (auto decoded = Base64Utils(bytes))
        FUZZ_CHECK(decoded->size() <= size * 3 / 4 + 1);
    // A small limit keeps bombs cheap; what comes out never passes it.
    std::vector<std::uint8_t> out;
    if (inflateBytesCore(bytes, out, 1024 * 1024) == 0)
        FUZZ_CHECK(out.size() <= 1024 * 1024);

    auto info = TMXMapInfo::formatWithXML(std::string(reinterpret_cast<char const*>(data), size));
    for (auto const& layer : info->layers()) {
        if (layer->hasTiles) {
            auto cells
                = std::int64_t(layer->layerSize.width) * std::int64_t(layer->layerSize.height);
            FUZZ_CHECK(cells >= 0 && cells <= maxTMXLayerCells);
            FUZZ_CHECK(layer->tiles.size() == std::size_t(cells));
        } else {
            FUZZ_CHECK(layer->tiles.empty());
        }
    }
    for (auto const& tileset : info->tilesets()) {
        tileset->imageSize = {256, 128};
        for (auto const& layer : info->layers()) {
            for (std::uint32_t gid : layer->tiles) {
                engine::Rect rect = tileset->tileForGID(gid);
                if (tileset->hasGID(gid) && tileset->margin >= 0) {
                    FUZZ_CHECK(rect.origin.x >= 0 && rect.origin.y >= 0);
                    FUZZ_CHECK(rect.origin.x + rect.size.width <= 256 + tileset->margin);
                }
            }
        }
    }
    return 0;
}
