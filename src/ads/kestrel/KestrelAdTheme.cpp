#include <ads/kestrel/KestrelAdTheme.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

#include <analytics/KestrelUtil.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdTheme> KestrelAdTheme::create() {
    auto theme = base::make<KestrelAdTheme>();
    theme->portraitAppNameTextStyle_ = KestrelAdTextStyle::create();
    theme->portraitSellMessageTextStyle_ = KestrelAdTextStyle::create();
    theme->portraitAdvertiserTextStyle_ = KestrelAdTextStyle::create();
    theme->landscapeAppNameTextStyle_ = KestrelAdTextStyle::create();
    theme->landscapeSellMessageTextStyle_ = KestrelAdTextStyle::create();
    theme->landscapeAdvertiserTextStyle_ = KestrelAdTextStyle::create();
    theme->portraitAdDimension_ = KestrelAdDimension::create();
    theme->portraitAppImageDimension_ = KestrelAdDimension::create();
    theme->portraitAppImageLocation_ = KestrelAdLocation::create();
    theme->landscapeAdDimension_ = KestrelAdDimension::create();
    theme->landscapeAppImageDimension_ = KestrelAdDimension::create();
    theme->landscapeAppImageLocation_ = KestrelAdLocation::create();
    return theme;
}

base::Ref<KestrelAdTheme> KestrelAdTheme::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto theme = base::make<KestrelAdTheme>();
    theme->themeId_ = decodeOptionalNumber<std::uint8_t>(coder, "themeId");
    theme->sellMessage_ = decodeOptionalString(coder, "sellMessage");
    theme->portraitAdImageId_ = decodeOptionalNumber<std::int64_t>(coder, "portraitAdImageId");
    theme->landscapeAdImageId_ = decodeOptionalNumber<std::int64_t>(coder, "landscapeAdImageId");
    auto style = [&](char const* key) { return coder.decodeObjectForKey<KestrelAdTextStyle>(key); };
    auto dimension
        = [&](char const* key) { return coder.decodeObjectForKey<KestrelAdDimension>(key); };
    auto location
        = [&](char const* key) { return coder.decodeObjectForKey<KestrelAdLocation>(key); };
    theme->portraitAppNameTextStyle_ = style("portraitAppNameTextStyle");
    theme->portraitSellMessageTextStyle_ = style("portraitSellMessageTextStyle");
    theme->portraitAdvertiserTextStyle_ = style("portraitAdvertiserTextStyle");
    theme->landscapeAppNameTextStyle_ = style("landscapeAppNameTextStyle");
    theme->landscapeSellMessageTextStyle_ = style("landscapeSellMessageTextStyle");
    theme->landscapeAdvertiserTextStyle_ = style("landscapeAdvertiserTextStyle");
    theme->portraitAdDimension_ = dimension("portraitAdDimension");
    theme->portraitAppImageDimension_ = dimension("portraitAppImageDimension");
    theme->portraitAppImageLocation_ = location("portraitAppImageLocation");
    theme->landscapeAdDimension_ = dimension("landscapeAdDimension");
    theme->landscapeAppImageDimension_ = dimension("landscapeAppImageDimension");
    theme->landscapeAppImageLocation_ = location("landscapeAppImageLocation");
    return theme;
}

void KestrelAdTheme::encodeWithCoder(foundation::KeyedArchiver& coder) {
    analytics::KestrelUtil::debugLog("KestrelAdLoop: Encode KestrelAdTheme");
    encodeOptional(coder, themeId_, "themeId");
    encodeOptional(coder, sellMessage_, "sellMessage");
    encodeOptional(coder, portraitAdImageId_, "portraitAdImageId");
    encodeOptional(coder, landscapeAdImageId_, "landscapeAdImageId");
    coder.encodeObject(portraitAppNameTextStyle_, "portraitAppNameTextStyle");
    coder.encodeObject(portraitSellMessageTextStyle_, "portraitSellMessageTextStyle");
    coder.encodeObject(portraitAdvertiserTextStyle_, "portraitAdvertiserTextStyle");
    coder.encodeObject(landscapeAppNameTextStyle_, "landscapeAppNameTextStyle");
    coder.encodeObject(landscapeSellMessageTextStyle_, "landscapeSellMessageTextStyle");
    coder.encodeObject(landscapeAdvertiserTextStyle_, "landscapeAdvertiserTextStyle");
    coder.encodeObject(portraitAdDimension_, "portraitAdDimension");
    coder.encodeObject(portraitAppImageDimension_, "portraitAppImageDimension");
    coder.encodeObject(portraitAppImageLocation_, "portraitAppImageLocation");
    coder.encodeObject(landscapeAdDimension_, "landscapeAdDimension");
    coder.encodeObject(landscapeAppImageDimension_, "landscapeAppImageDimension");
    coder.encodeObject(landscapeAppImageLocation_, "landscapeAppImageLocation");
}

}
