#pragma once

#include <cstdint>
#include <optional>

namespace ads::kestrel {

// The process-wide ad settings that the ad reply's property block delivers. Each is
// none until set, and its getter answers a default then. Not archived. Set on the
// thread that parses a reply and read on the main thread, so one lock guards them.
class KestrelAdProperties final {
public:
    KestrelAdProperties() = delete;

    static void setBannerRefreshInSeconds(std::optional<std::uint32_t> seconds);
    // 20 when unset.
    static unsigned getBannerRefreshInSeconds();
    static void setCacheUpdateTimestamp(std::optional<std::int64_t> timestamp);
    // 0 when unset.
    static std::int64_t getCacheUpdateTimestamp();
    static void setPortraitAdsMaxShown(std::optional<std::int8_t> count);
    // 5 when unset.
    static int getPortraitAdsMaxShown();
    static void setLandscapeAdsMaxShown(std::optional<std::int8_t> count);
    // 3 when unset.
    static int getLandscapeAdsMaxShown();
    static void setPortraitAdsShownAtStart(std::optional<double> count);
    // 2.5 when unset.
    static float getPortraitAdsShownAtStart();
    static void setLandscapeAdsShownAtStart(std::optional<double> count);
    // 0.75 when unset.
    static float getLandscapeAdsShownAtStart();

    // Forgets every value (tests).
    static void reset();
};

}
