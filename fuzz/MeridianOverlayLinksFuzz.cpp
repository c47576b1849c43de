// The Meridian overlay's reading of the links its page follows and of its base64
// pictures. The first byte picks the reader; the rest is the page's text. A link is
// either loaded inside as it came or opened outside with a text no longer than the
// link; a base64 decode gives at most three bytes for four
// characters.
#include "FuzzSupport.hpp"

#include <ads/meridian/MEROverlayLinks.hpp>
#include <ads/meridian/MEROverlayView.hpp>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    if (size == 0)
        return 0;
    std::string_view text(reinterpret_cast<char const*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        using ads::meridian::MEROverlayLink;
        ads::meridian::MEROverlayHosts hosts {"ads.test:80", "maps.test", {"store.test", "s"}};
        auto link = ads::meridian::routeOverlayLink(text, hosts);
        if (link.kind == MEROverlayLink::Kind::LoadInside) {
            FUZZ_CHECK(link.url == text);
        } else {
            FUZZ_CHECK(link.url.size() <= text.size());
        }
        auto scheme = ads::meridian::schemeOf(text);
        FUZZ_CHECK(scheme.size() < text.size() || scheme.empty());
    } else {
        auto bytes = ads::meridian::MEROverlayView::decodeBase64(text);
        if (bytes) {
            FUZZ_CHECK(bytes->size() <= text.size() * 3 / 4);
        }
    }
    return 0;
}
