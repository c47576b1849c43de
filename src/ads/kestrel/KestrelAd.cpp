#include <ads/kestrel/KestrelAd.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

#include <analytics/KestrelUtil.hpp>

#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>

namespace ads::kestrel {

base::Ref<KestrelAd> KestrelAd::create() {
    return base::make<KestrelAd>();
}

base::Ref<KestrelAd> KestrelAd::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto ad = create();
    ad->adId_ = decodeOptionalNumber<std::int64_t>(coder, "adId");
    ad->projectId_ = decodeOptionalNumber<std::int64_t>(coder, "projectId");
    ad->adText_ = decodeOptionalString(coder, "adText");
    ad->advertiser_ = decodeOptionalString(coder, "advertiser");
    ad->canvasId_ = decodeOptionalNumber<std::int64_t>(coder, "canvasId");
    ad->imageId_ = decodeOptionalNumber<std::int64_t>(coder, "imageId");
    ad->adCookieSize_ = decodeOptionalNumber<std::uint8_t>(coder, "adCookieSize");
    ad->adCookie_ = decodeOptionalData(coder, "adCookie");
    ad->appDescription_ = decodeOptionalString(coder, "appDescription");
    ad->appPrice_ = decodeOptionalNumber<std::int32_t>(coder, "appPrice");
    return ad;
}

void KestrelAd::encodeWithCoder(foundation::KeyedArchiver& coder) {
    analytics::KestrelUtil::debugLog("KestrelAdLoop: Encode KestrelAd");
    encodeOptional(coder, adId_, "adId");
    encodeOptional(coder, projectId_, "projectId");
    encodeOptional(coder, adText_, "adText");
    encodeOptional(coder, advertiser_, "advertiser");
    encodeOptional(coder, canvasId_, "canvasId");
    encodeOptional(coder, imageId_, "imageId");
    encodeOptional(coder, adCookieSize_, "adCookieSize");
    encodeOptional(coder, adCookie_, "adCookie");
    encodeOptional(coder, appDescription_, "appDescription");
    encodeOptional(coder, appPrice_, "appPrice");
}

std::string KestrelAd::cookieString(std::optional<base::Bytes> const& cookie) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    if (!cookie)
        return text;
    text.reserve(cookie->size() * 2);
    for (auto byte : *cookie) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0x0f]);
    }
    return text;
}

std::string KestrelAd::adCookieString() const {
    return cookieString(adCookie_);
}

void KestrelAd::md5(std::uint8_t const* bytes, std::size_t length) {
    if (!bytes)
        return;
    auto digest = foundation::Digest::md5(foundation::ByteView(bytes, length));
    std::string text;
    for (auto byte : digest)
        text += foundation::format("%02X", int(byte));
    analytics::KestrelUtil::debugLog("KestrelAdLoop: Image data MD5: %@", text);
}

std::string KestrelAd::description() const {
    return foundation::format("<KestrelAd: adId[%@]>", describeNumber(adId_));
}

}
