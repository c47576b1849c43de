#pragma once

#include <foundation/Coding.hpp>
#include <ui/Image.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// One advertised application of an ad reply: its ids, texts, icon id and the
// server's opaque cookie. The parser makes these into the ad block lists; surfaces
// retain the one they show, and impressions copy its ids and cookie. The icon
// (adImage) is attached when the ad is looked up and is never archived.
class KestrelAd final : public base::Object, public foundation::Coding {
public:
    static base::Ref<KestrelAd> create();
    static base::Ref<KestrelAd> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // The cookie as two lower-case hex digits per byte, no separators; empty for
    // none and for an empty cookie.
    std::string adCookieString() const;
    static std::string cookieString(std::optional<base::Bytes> const& cookie);
    // Writes the MD5 of the bytes, as 32 upper-case hex digits, to the debug log.
    static void md5(std::uint8_t const* bytes, std::size_t length);

    std::optional<std::int64_t> adId() const { return adId_; }
    void setAdId(std::optional<std::int64_t> value) { adId_ = value; }
    std::optional<std::int64_t> projectId() const { return projectId_; }
    void setProjectId(std::optional<std::int64_t> value) { projectId_ = value; }
    std::optional<std::string> const& adText() const { return adText_; }
    void setAdText(std::optional<std::string> value) { adText_ = std::move(value); }
    std::optional<std::string> const& advertiser() const { return advertiser_; }
    void setAdvertiser(std::optional<std::string> value) { advertiser_ = std::move(value); }
    std::optional<std::int64_t> canvasId() const { return canvasId_; }
    void setCanvasId(std::optional<std::int64_t> value) { canvasId_ = value; }
    std::optional<std::int64_t> imageId() const { return imageId_; }
    void setImageId(std::optional<std::int64_t> value) { imageId_ = value; }
    std::optional<std::uint8_t> adCookieSize() const { return adCookieSize_; }
    void setAdCookieSize(std::optional<std::uint8_t> value) { adCookieSize_ = value; }
    std::optional<base::Bytes> const& adCookie() const { return adCookie_; }
    void setAdCookie(std::optional<base::Bytes> value) { adCookie_ = std::move(value); }
    base::Ref<ui::Image> const& adImage() const { return adImage_; }
    void setAdImage(base::Ref<ui::Image> value) { adImage_ = std::move(value); }
    std::optional<std::string> const& appDescription() const { return appDescription_; }
    void setAppDescription(std::optional<std::string> value) { appDescription_ = std::move(value); }
    std::optional<std::int32_t> appPrice() const { return appPrice_; }
    void setAppPrice(std::optional<std::int32_t> value) { appPrice_ = value; }

    std::string description() const;

private:
    friend base::Factory;
    KestrelAd() = default;

    std::optional<std::int64_t> adId_;
    std::optional<std::int64_t> projectId_;
    std::optional<std::string> adText_;
    std::optional<std::string> advertiser_;
    std::optional<std::int64_t> canvasId_;
    std::optional<std::int64_t> imageId_;
    std::optional<std::uint8_t> adCookieSize_;
    std::optional<base::Bytes> adCookie_;
    base::Ref<ui::Image> adImage_;
    std::optional<std::string> appDescription_;
    std::optional<std::int32_t> appPrice_;
};

}
