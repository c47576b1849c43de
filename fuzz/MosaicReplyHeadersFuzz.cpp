// The banner client's reading of the ad server's reply headers ("Name: value" lines
// here). Whatever the texts, a creative size is finite and not below zero, a refresh
// interval is at least the shortest the client allows, and an ad type is kept as sent.
#include "FuzzSupport.hpp"

#include <ads/mosaic/MXAdManager.hpp>
#include <foundation/HTTPHeaderFields.hpp>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    foundation::HTTPHeaderFields headers;
    std::string adType;
    bool hasAdType = false;
    while (!text.empty()) {
        auto const end = text.find('\n');
        auto const line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        auto const colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        auto value = line.substr(colon + 1);
        if (!value.empty() && value.front() == ' ')
            value.remove_prefix(1);
        headers.set(line.substr(0, colon), std::string(value));
    }
    if (auto const* value = headers.find("X-Adtype")) {
        hasAdType = true;
        adType = *value;
    }

    auto const reply = ads::mosaic::MXAdResponseHeaders::parse(headers);
    if (reply.creativeSize) {
        FUZZ_CHECK(std::isfinite(reply.creativeSize->width));
        FUZZ_CHECK(std::isfinite(reply.creativeSize->height));
        FUZZ_CHECK(reply.creativeSize->width >= 0 && reply.creativeSize->height >= 0);
    }
    if (reply.refreshInterval)
        FUZZ_CHECK(*reply.refreshInterval >= ads::mosaic::MXAdManager::minimumRefreshInterval);
    FUZZ_CHECK(reply.refreshInterval.has_value() == headers.contains("X-Refreshtime"));
    FUZZ_CHECK(reply.adType.has_value() == hasAdType);
    FUZZ_CHECK(!hasAdType || *reply.adType == adType);
    FUZZ_CHECK(reply.failURL == headers.valueForKey("X-Failurl"));
    return 0;
}
