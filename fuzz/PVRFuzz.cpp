// PVR textures (the legacy header and PVRTC levels) from the bundle and from
// downloaded content: any bytes give no texture or a list of levels, at most one per
// mipmap down to 1 x 1, each of the size its sides need, and each decodes to exactly
// its pixels. No GL is needed: only the cutting and the software decoding run.
#include "FuzzSupport.hpp"

#include <engine/PVRTCDecoder.hpp>
#include <engine/PVRTexture.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

using engine::PVRTexture;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    auto texture = base::make<PVRTexture>();
    if (!texture->unpackPVRData(std::span(data, size)))
        return 0;
    unsigned width = texture->width();
    unsigned height = texture->height();
    std::size_t levels = 1;
    for (unsigned side = std::max(width, height); side > 1; side /= 2)
        ++levels;
    FUZZ_CHECK(!texture->imageData().empty() && texture->imageData().size() <= levels);
    int bpp = texture->bitsPerPixel();
    for (auto const& level : texture->imageData()) {
        FUZZ_CHECK(level.size() == engine::pvrtcLevelSize(width, height, bpp));
        // The largest levels cost the most and teach nothing more.
        if (std::size_t(width) * height <= 256 * 256) {
            auto pixels = engine::decodePVRTC(level, width, height, bpp);
            FUZZ_CHECK(pixels && pixels->size() == std::size_t(width) * height * 4);
        }
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
    }
    return 0;
}
