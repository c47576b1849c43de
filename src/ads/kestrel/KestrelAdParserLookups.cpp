#include <ads/kestrel/KestrelAdParser.hpp>

#include <ads/kestrel/KestrelAdAssignment.hpp>
#include <ads/kestrel/KestrelAdCoding.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelUtil.hpp>

#include <mutex>

namespace ads::kestrel {

using analytics::KestrelUtil;

namespace {

// The parser that answers a look-up: the current one once it has finished a reply,
// else the old one. The caller holds the class lock.
base::Ref<KestrelAdParser> finishedOrOld() {
    auto current = KestrelAdParser::instance();
    if (current->adParsingPhase() > 0)
        return current;
    return KestrelAdParser::oldInstance();
}

}

// ---- instance look-ups

base::Ref<KestrelAdHook> KestrelAdParser::hookWithName(std::optional<std::string> const& name) {
    base::Ref<KestrelAdHook> hook;
    if (name) {
        auto found = hookMap_.find(*name);
        if (found != hookMap_.end())
            hook = found->second;
    }
    if (!hook) {
        // The hook stored under the empty name stands for every other.
        auto fallback = hookMap_.find("");
        if (fallback != hookMap_.end())
            hook = fallback->second;
    }
    if (!hook || !hook->themeId())
        return nullptr;
    auto themeEntry = themeMap_.find(*hook->themeId());
    if (themeEntry == themeMap_.end() || !themeEntry->second)
        return nullptr;
    auto const& theme = themeEntry->second;
    theme->setPortraitAdImage(getImage(theme->portraitAdImageId()));
    theme->setLandscapeAdImage(getImage(theme->landscapeAdImageId()));
    // An id below 1 means the theme has no such image.
    if (theme->landscapeAdImageId().value_or(0) >= 1 && !theme->landscapeAdImage()) {
        KestrelUtil::debugLog("KestrelAdLoop: Ad theme landscape image not found");
        return nullptr;
    }
    if (theme->portraitAdImageId().value_or(0) >= 1 && !theme->portraitAdImage()) {
        KestrelUtil::debugLog("KestrelAdLoop: Ad theme portrait image not found");
        return nullptr;
    }
    hook->setAdTheme(theme);
    return hook;
}

base::Ref<KestrelAd> KestrelAdParser::adWithHook(
    std::optional<std::string> const& hookName, std::optional<std::string> const& parentName) {
    auto hook = hookWithName(hookName);
    if (!hook || !hook->adBlockId() || !hook->adTheme()) {
        KestrelUtil::debugLog("KestrelAdLoop: Unknown hook[%@]", hookName);
        return nullptr;
    }
    auto entry = adBlockMap_.find(*hook->adBlockId());
    if (entry == adBlockMap_.end() || !entry->second || entry->second->ads().empty()) {
        KestrelUtil::debugLog("KestrelAdLoop: Did not find adBlock or ads for hook[%@]", hookName);
        return nullptr;
    }
    base::Ref<KestrelAd> ad;
    for (int attempt = 0; attempt < adPickAttempts && !ad; ++attempt)
        ad = getAdFromAdBlock(*entry->second, parentName);
    if (!ad)
        return nullptr;
    ad->setAdImage(getImage(ad->imageId()));
    if (!ad->adImage()) {
        KestrelUtil::debugLog("KestrelAdLoop: Ad image not found, no ad returned");
        return nullptr;
    }
    return ad;
}

base::Ref<KestrelAd> KestrelAdParser::getAdFromAdBlock(
    KestrelAdBlock& ads, std::optional<std::string> const& parentName) {
    // Every pick advances the rotation, whether or not the ad is used.
    auto head = ads.rotate();
    if (!head)
        return nullptr;
    auto assignment = KestrelAdAssignment::createInstance();
    auto ad = assignment->assignAd(head, parentName);
    if (ad)
        KestrelUtil::debugLog("KestrelAdLoop: Current ad[%@] picked", head->description());
    else
        KestrelUtil::debugLog(
            "KestrelAdLoop: Current ad[%@] already assigned", head->description());
    return ad;
}

bool KestrelAdParser::offerWithHook(std::optional<std::string> const& hookName,
    KestrelAdImpression* impression, KestrelOffer* offer) {
    auto hook = hookWithName(hookName);
    if (!hook || !hook->adBlockId() || adBlockMap_.empty())
        return false;
    auto entry = adBlockMap_.find(*hook->adBlockId());
    if (entry == adBlockMap_.end() || !entry->second)
        return false;
    return getOfferFromAdBlock(entry->second.get(), impression, hookName, offer);
}

bool KestrelAdParser::getOfferFromAdBlock(KestrelAdBlock* ads, KestrelAdImpression* impression,
    std::optional<std::string> const& hook, KestrelOffer* offer) {
    if (!ads || ads->ads().empty() || !offer)
        return false;
    auto ad = ads->ads().front();
    // A request (with an impression) takes the ad; a peek leaves the order alone.
    if (impression)
        ads->rotate();
    offer->appName = ad->adText();
    offer->appIcon = getImage(ad->imageId());
    offer->referralUrl.reset();
    if (impression)
        offer->referralUrl = KestrelAdView::webUrlForOffer(hook, ad.get(), impression, nullptr);
    offer->appPrice = ad->appPrice();
    offer->appDescription = ad->appDescription();
    if (impression)
        impression->updateWithAd(*ad);
    return true;
}

int KestrelAdParser::getAppAdCount(std::optional<std::string> const& hookName) {
    auto hook = hookWithName(hookName);
    if (!hook || !hook->adBlockId() || adBlockMap_.empty())
        return 0;
    auto entry = adBlockMap_.find(*hook->adBlockId());
    if (entry == adBlockMap_.end() || !entry->second)
        return 0;
    return int(entry->second->ads().size());
}

int KestrelAdParser::getOfferCount(std::optional<std::string> const& hook) {
    return getAppAdCount(hook);
}

base::Ref<ui::Image> KestrelAdParser::getImage(std::optional<std::int64_t> imageId) {
    if (!imageId)
        return nullptr;
    auto cache = analytics::KestrelImageCache::instance();
    base::Ref<KestrelAdImage> image;
    auto found = imageMap_.find(*imageId);
    if (found != imageMap_.end()) {
        image = found->second;
        if (cache)
            cache->setAsMostRecentlyUsed(std::to_string(*imageId));
    } else if (cache) {
        image = KestrelAdImage::fromArchivedData(cache->get(std::to_string(*imageId)));
    }
    if (!image || !image->image()) {
        KestrelUtil::debugLog("KestrelAdLoop: image[%lld] not found", *imageId);
        return nullptr;
    }
    return image->image();
}

base::Ref<ui::Image> KestrelAdParser::getImageWithCode(std::optional<std::int16_t> imageCode) {
    if (!imageCode)
        return nullptr;
    auto found = imageCodeMap_.find(*imageCode);
    if (found == imageCodeMap_.end())
        return nullptr;
    return getImage(found->second);
}

void KestrelAdParser::cachedImageToMemory(std::optional<std::int64_t> imageId) {
    if (!imageId)
        return;
    auto cache = analytics::KestrelImageCache::instance();
    if (!cache)
        return;
    if (auto image = KestrelAdImage::fromArchivedData(cache->get(std::to_string(*imageId))))
        imageMap_[*imageId] = image;
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdParser::getAdStateCallback(
    KestrelAdImpression const& impression) {
    auto state = std::optional<std::uint8_t>(std::uint8_t(impression.currentState()));
    auto adId = impression.adId();
    std::optional<std::uint8_t> adType;
    if (impression.adType())
        adType = std::uint8_t(*impression.adType());
    auto find = [&](std::string const& key) -> KestrelAdStateCallbackSet* {
        auto entry = adStateCallbackMap_.find(key);
        return entry == adStateCallbackMap_.end() ? nullptr : entry->second.get();
    };
    auto* byAd = find(KestrelAdStateCallback::keyForAd(state, adId));
    auto* byType = find(KestrelAdStateCallback::keyForAdType(state, adId, adType));
    if (!byAd && !byType)
        return nullptr;
    if (!byAd)
        return byType->unionWith(nullptr);
    return byAd->unionWith(byType);
}

// ---- front-ends

base::Ref<KestrelAdHook> KestrelAdParser::fastHookWithName(std::optional<std::string> const& name) {
    std::lock_guard lock(classLock());
    auto current = instance();
    if (current->adParsingPhase() > 0)
        return current->hookWithName(name);
    if (auto old = oldInstance()) {
        KestrelUtil::debugLog("KestrelAdLoop: Using old adParser[%@]", old->description());
        return old->hookWithName(name);
    }
    return nullptr;
}

base::Ref<KestrelAd> KestrelAdParser::fastAdWithHook(
    std::optional<std::string> const& hook, std::optional<std::string> const& parentName) {
    std::lock_guard lock(classLock());
    auto current = instance();
    if (!current->internetAvailable()) {
        KestrelUtil::debugLog("KestrelAdLoop: No internet, no ad to return");
        return nullptr;
    }
    if (current->adParsingPhase() > 0) {
        KestrelUtil::debugLog("KestrelAdLoop: Using current adParser to return ad");
        return current->adWithHook(hook, parentName);
    }
    KestrelUtil::debugLog("KestrelAdLoop: Currently parsing ads...");
    return nullptr;
}

bool KestrelAdParser::fastOfferWithHook(
    std::optional<std::string> const& hook, KestrelAdImpression* impression, KestrelOffer* offer) {
    std::lock_guard lock(classLock());
    auto current = instance();
    if (!current->internetAvailable()) {
        KestrelUtil::debugLog("KestrelAdLoop: No internet, no ad offer to return");
        return false;
    }
    if (current->adParsingPhase() > 0)
        return current->offerWithHook(hook, impression, offer);
    if (auto old = oldInstance()) {
        KestrelUtil::debugLog("KestrelAdLoop: Using old adParser to return offer");
        return old->offerWithHook(hook, impression, offer);
    }
    return false;
}

base::Ref<ui::Image> KestrelAdParser::fastImageWithCode(std::optional<std::int16_t> imageCode) {
    std::lock_guard lock(classLock());
    auto parser = finishedOrOld();
    return parser ? parser->getImageWithCode(imageCode) : nullptr;
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdParser::fastAdStateCallback(
    KestrelAdImpression const& impression) {
    std::lock_guard lock(classLock());
    auto current = instance();
    if (current->adParsingPhase() > 0)
        return current->getAdStateCallback(impression);
    if (auto old = oldInstance()) {
        KestrelUtil::debugLog("Kestrel: Using old adParser[%@]", old->description());
        return old->getAdStateCallback(impression);
    }
    return nullptr;
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdParser::adStateCallbacksFor(
    KestrelAdImpression const& impression) const {
    return fastAdStateCallback(impression);
}

}
