#include <ads/kestrel/KestrelAdAssignment.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

#include <analytics/KestrelUtil.hpp>

#include <utility>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

std::mutex instanceMutex;
base::Ref<KestrelAdAssignment> sharedInstance;

}

base::Ref<KestrelAdAssignment> KestrelAdAssignment::createInstance() {
    std::lock_guard lock(instanceMutex);
    if (!sharedInstance)
        sharedInstance = base::make<KestrelAdAssignment>();
    return sharedInstance;
}

base::Ref<KestrelAdAssignment> KestrelAdAssignment::instance() {
    std::lock_guard lock(instanceMutex);
    return sharedInstance;
}

base::Ref<KestrelAdAssignment> KestrelAdAssignment::recreateInstance() {
    resetInstance();
    return createInstance();
}

void KestrelAdAssignment::resetInstance() {
    base::Ref<KestrelAdAssignment> previous;
    std::lock_guard lock(instanceMutex);
    previous = std::exchange(sharedInstance, nullptr);
}

base::Ref<KestrelAd> KestrelAdAssignment::assignAd(
    base::Ref<KestrelAd> const& ad, std::optional<std::string> const& parentName) {
    if (!parentName)
        return ad;
    if (!ad)
        return nullptr;
    std::lock_guard lock(mutex_);
    auto& ids = _adAssignmentMap[*parentName];
    KestrelUtil::debugLog(
        "Kestrel: Num of assigned ads[%d] found for parent[%@]", int(ids.size()), *parentName);
    auto adId = ad->adId();
    // An ad without an id cannot be told apart from another: it is always assigned.
    if (adId && ids.contains(*adId)) {
        KestrelUtil::debugLog(
            "Kestrel: Cannot assign ad[%@] to parent[%@]", describeNumber(adId), *parentName);
        return nullptr;
    }
    if (adId)
        ids.insert(*adId);
    KestrelUtil::debugLog(
        "Kestrel: Assign ad[%@] to parent[%@]", describeNumber(adId), *parentName);
    return ad;
}

void KestrelAdAssignment::removeAd(
    KestrelAd const* ad, std::optional<std::string> const& parentName) {
    if (!parentName || !ad || !ad->adId())
        return;
    std::lock_guard lock(mutex_);
    auto found = _adAssignmentMap.find(*parentName);
    if (found == _adAssignmentMap.end())
        return;
    found->second.erase(*ad->adId());
    KestrelUtil::debugLog(
        "Kestrel: Remove assigned ad[%@] on parent[%@]", describeNumber(ad->adId()), *parentName);
}

void KestrelAdAssignment::removeAdsOnParentName(std::optional<std::string> const& parentName) {
    if (!parentName)
        return;
    std::lock_guard lock(mutex_);
    _adAssignmentMap[*parentName].clear();
    KestrelUtil::debugLog("Kestrel: Remove assigned ads on parent[%@]", *parentName);
}

void KestrelAdAssignment::assignBanner(base::Ref<ui::View> const& banner,
    std::optional<std::string> const& hook, std::optional<std::string> const& parentName) {
    if (!parentName || !hook)
        return;
    std::lock_guard lock(mutex_);
    auto& banners = _bannerAssignmentMap[*parentName];
    KestrelUtil::debugLog("Kestrel: Num of assigned banners[%d] found for parent[%@]",
        int(banners.size()), *parentName);
    auto existing = banners.find(*hook);
    if (existing != banners.end() && existing->second)
        return;
    banners[*hook] = banner;
    KestrelUtil::debugLog("Kestrel: Assign banner[%p] to hook[%@] and parent[%@]",
        static_cast<void const*>(banner.get()), *hook, *parentName);
}

base::Ref<ui::View> KestrelAdAssignment::assignedBanner(
    std::optional<std::string> const& hook, std::optional<std::string> const& parentName) {
    if (!parentName || !hook)
        return nullptr;
    std::lock_guard lock(mutex_);
    auto parent = _bannerAssignmentMap.find(*parentName);
    if (parent == _bannerAssignmentMap.end())
        return nullptr;
    auto banner = parent->second.find(*hook);
    return banner == parent->second.end() ? nullptr : banner->second;
}

void KestrelAdAssignment::unassignBanner(
    std::optional<std::string> const& hook, std::optional<std::string> const& parentName) {
    if (!parentName || !hook)
        return;
    std::lock_guard lock(mutex_);
    auto parent = _bannerAssignmentMap.find(*parentName);
    if (parent != _bannerAssignmentMap.end())
        parent->second.erase(*hook);
}

std::set<std::int64_t> KestrelAdAssignment::assignedAdIds(std::string const& parentName) const {
    std::lock_guard lock(mutex_);
    auto found = _adAssignmentMap.find(parentName);
    return found == _adAssignmentMap.end() ? std::set<std::int64_t> {} : found->second;
}

}
