#include <ads/kestrel/KestrelAdStateCallback.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

#include <analytics/KestrelUtil.hpp>

#include <functional>

namespace ads::kestrel {

using analytics::KestrelUtil;

base::Ref<KestrelAdStateCallback> KestrelAdStateCallback::create(std::optional<std::int64_t> adId,
    std::optional<std::uint8_t> adStateId, std::optional<std::uint8_t> adType,
    std::optional<std::string> callbackUrlBase) {
    auto callback = base::make<KestrelAdStateCallback>();
    callback->adId_ = adId;
    callback->adStateId_ = adStateId;
    callback->adType_ = adType;
    callback->callbackUrlBase_ = std::move(callbackUrlBase);
    return callback;
}

base::Ref<KestrelAdStateCallback> KestrelAdStateCallback::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    KestrelUtil::debugLog("Kestrel: Init KestrelAdStateCallback");
    return create(decodeOptionalNumber<std::int64_t>(coder, "adId"),
        decodeOptionalNumber<std::uint8_t>(coder, "adStateId"),
        decodeOptionalNumber<std::uint8_t>(coder, "adType"),
        decodeOptionalString(coder, "callbackUrlBase"));
}

void KestrelAdStateCallback::encodeWithCoder(foundation::KeyedArchiver& coder) {
    KestrelUtil::debugLog("Kestrel: Encode KestrelAdStateCallback");
    encodeOptional(coder, adId_, "adId");
    encodeOptional(coder, adStateId_, "adStateId");
    encodeOptional(coder, adType_, "adType");
    encodeOptional(coder, callbackUrlBase_, "callbackUrlBase");
}

bool KestrelAdStateCallback::isEqualToCallback(KestrelAdStateCallback const& other) const {
    if (this == &other)
        return true;
    if (adStateId_ != other.adStateId_ || callbackUrlBase_ != other.callbackUrlBase_)
        return false;
    // A missing id counts as 0, as the platform's number of nothing does.
    auto mine = adId_.value_or(0);
    auto theirs = other.adId_.value_or(0);
    return mine == 0 || theirs == 0 || mine == theirs;
}

std::size_t KestrelAdStateCallback::hash() const {
    std::size_t state = adStateId_ ? std::hash<int>()(*adStateId_) : 0;
    std::size_t url = callbackUrlBase_ ? std::hash<std::string>()(*callbackUrlBase_) : 0;
    return state + url + 1;
}

std::string KestrelAdStateCallback::keyForAd(
    std::optional<std::uint8_t> adStateId, std::optional<std::int64_t> adId) {
    return describeNumber(adStateId) + "_" + describeNumber(adId);
}

std::string KestrelAdStateCallback::keyForAdType(std::optional<std::uint8_t> adStateId,
    std::optional<std::int64_t> adId, std::optional<std::uint8_t> adType) {
    return keyForAd(adStateId, adId) + "_" + describeNumber(adType);
}

std::string KestrelAdStateCallback::mapKey() const {
    // The ad id is tested as a 32-bit value, as the stored keys always were.
    if (std::int32_t(std::uint32_t(adId_.value_or(0))) != 0)
        return keyForAd(adStateId_, adId_);
    return keyForAdType(adStateId_, adId_, adType_);
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdStateCallbackSet::create() {
    return base::make<KestrelAdStateCallbackSet>();
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdStateCallbackSet::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    auto set = create();
    for (auto const& callback : coder.decodeObjectsForKey<KestrelAdStateCallback>("callbacks"))
        set->add(callback);
    return set;
}

void KestrelAdStateCallbackSet::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeObject(callbacks_, "callbacks");
}

bool KestrelAdStateCallbackSet::add(base::Ref<KestrelAdStateCallback> const& callback) {
    if (!callback)
        return false;
    for (auto const& present : callbacks_) {
        if (present->isEqualToCallback(*callback))
            return false;
    }
    callbacks_.push_back(callback);
    return true;
}

base::Ref<KestrelAdStateCallbackSet> KestrelAdStateCallbackSet::unionWith(
    KestrelAdStateCallbackSet const* other) const {
    auto result = create();
    for (auto const& callback : callbacks_)
        result->add(callback);
    if (other) {
        for (auto const& callback : other->callbacks_)
            result->add(callback);
    }
    return result;
}

}
