#include <ads/kestrel/KestrelAdProperties.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

#include <analytics/KestrelUtil.hpp>

#include <mutex>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

struct Values {
    std::optional<std::uint32_t> bannerRefresh;
    std::optional<std::int64_t> cacheUpdateTimestamp;
    std::optional<std::int8_t> portraitMaxShown;
    std::optional<std::int8_t> landscapeMaxShown;
    std::optional<double> portraitShownAtStart;
    std::optional<double> landscapeShownAtStart;
};

std::mutex mutex;
Values values;

std::string describe(std::optional<double> const& value) {
    return value ? foundation::format("%@", *value) : std::string("(null)");
}

}

void KestrelAdProperties::setBannerRefreshInSeconds(std::optional<std::uint32_t> seconds) {
    KestrelUtil::debugLog("Kestrel: Set BannerRefreshInSeconds[%@]", describeNumber(seconds));
    std::lock_guard lock(mutex);
    values.bannerRefresh = seconds;
}

unsigned KestrelAdProperties::getBannerRefreshInSeconds() {
    std::unique_lock lock(mutex);
    unsigned result = values.bannerRefresh.value_or(20);
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get BannerRefreshInSeconds[%d]", result);
    return result;
}

void KestrelAdProperties::setCacheUpdateTimestamp(std::optional<std::int64_t> timestamp) {
    KestrelUtil::debugLog("Kestrel: Set CacheUpdateTimestamp[%@]", describeNumber(timestamp));
    std::lock_guard lock(mutex);
    values.cacheUpdateTimestamp = timestamp;
}

std::int64_t KestrelAdProperties::getCacheUpdateTimestamp() {
    std::unique_lock lock(mutex);
    std::int64_t result = values.cacheUpdateTimestamp.value_or(0);
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get CacheUpdateTimestamp[%lld]", result);
    return result;
}

void KestrelAdProperties::setPortraitAdsMaxShown(std::optional<std::int8_t> count) {
    KestrelUtil::debugLog("Kestrel: Set PortraitAdsMaxShown[%@]", describeNumber(count));
    std::lock_guard lock(mutex);
    values.portraitMaxShown = count;
}

int KestrelAdProperties::getPortraitAdsMaxShown() {
    std::unique_lock lock(mutex);
    int result = values.portraitMaxShown.value_or(5);
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get PortraitAdsMaxShown[%d]", result);
    return result;
}

void KestrelAdProperties::setLandscapeAdsMaxShown(std::optional<std::int8_t> count) {
    KestrelUtil::debugLog("Kestrel: Set LandscapeAdsMaxShown[%@]", describeNumber(count));
    std::lock_guard lock(mutex);
    values.landscapeMaxShown = count;
}

int KestrelAdProperties::getLandscapeAdsMaxShown() {
    std::unique_lock lock(mutex);
    int result = values.landscapeMaxShown.value_or(3);
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get LandscapeAdsMaxShown[%d]", result);
    return result;
}

void KestrelAdProperties::setPortraitAdsShownAtStart(std::optional<double> count) {
    KestrelUtil::debugLog("Kestrel: Set PortraitAdsShownAtStart[%@]", describe(count));
    std::lock_guard lock(mutex);
    values.portraitShownAtStart = count;
}

float KestrelAdProperties::getPortraitAdsShownAtStart() {
    std::unique_lock lock(mutex);
    float result = float(values.portraitShownAtStart.value_or(2.5));
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get PortraitAdsShownAtStart[%f]", result);
    return result;
}

void KestrelAdProperties::setLandscapeAdsShownAtStart(std::optional<double> count) {
    KestrelUtil::debugLog("Kestrel: Set LandscapeAdsShownAtStart[%@]", describe(count));
    std::lock_guard lock(mutex);
    values.landscapeShownAtStart = count;
}

float KestrelAdProperties::getLandscapeAdsShownAtStart() {
    std::unique_lock lock(mutex);
    float result = float(values.landscapeShownAtStart.value_or(0.75));
    lock.unlock();
    KestrelUtil::debugLog("Kestrel: Get LandscapeAdsShownAtStart[%f]", result);
    return result;
}

void KestrelAdProperties::reset() {
    std::lock_guard lock(mutex);
    values = Values {};
}

}
