// The banner adapters' reading of the "X-Nativeparams" reply header. Whatever the
// text, a read that succeeds gives sizes that are finite and from 0 to the largest
// side allowed, and the Adnoria and Meridian frames made from them are as bounded.
#include "FuzzSupport.hpp"

#include <ads/mosaic/MXAdnoriaAdapter.hpp>
#include <ads/mosaic/MXMeridianAdapter.hpp>
#include <ads/mosaic/MXNativeParams.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    using ads::mosaic::MXNativeParams;
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto const params = MXNativeParams::fromText(text);
    if (!params)
        return 0;
    FUZZ_CHECK(text.size() <= MXNativeParams::maximumLength || params->adWidth == 0);
    for (float side : {params->adWidth, params->adHeight}) {
        FUZZ_CHECK(std::isfinite(side));
        FUZZ_CHECK(side >= 0 && side <= MXNativeParams::maximumSide);
    }
    auto const frame = ads::mosaic::MXAdnoriaAdapter::bannerFrameForParams(*params);
    FUZZ_CHECK(frame.size.width >= 0 && frame.size.width <= MXNativeParams::maximumSide);
    FUZZ_CHECK(frame.size.height >= 0 && frame.size.height <= MXNativeParams::maximumSide);
    auto meridian = ads::mosaic::MXMeridianAdapter::initWithAdapterDelegate(nullptr);
    meridian->applyNativeParams(*params);
    FUZZ_CHECK(meridian->merAdType() == 1 || meridian->merAdType() == 3);
    return 0;
}
