#pragma once

#include <ads/kestrel/KestrelAdDimension.hpp>
#include <ads/kestrel/KestrelAdLocation.hpp>
#include <ads/kestrel/KestrelAdTextStyle.hpp>

#include <foundation/Coding.hpp>
#include <ui/Image.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// The server-chosen look of a banner ad space: background artwork per orientation,
// banner and icon geometry, and a text style for each of the three banner texts per
// orientation. The parser's theme map owns themes; hooks retain the one attached to
// them. A theme owns its six text styles and six geometry objects for its whole life
// and the parser fills them in place. The two background images are resolved by the
// hook look-up and never archived.
class KestrelAdTheme final : public base::Object, public foundation::Coding {
public:
    // With six fresh text styles, four dimensions and two locations.
    static base::Ref<KestrelAdTheme> create();
    // Reads the sixteen keys; a missing key leaves its field empty.
    static base::Ref<KestrelAdTheme> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    std::optional<std::uint8_t> themeId() const { return themeId_; }
    void setThemeId(std::optional<std::uint8_t> value) { themeId_ = value; }
    std::optional<std::string> const& sellMessage() const { return sellMessage_; }
    void setSellMessage(std::optional<std::string> value) { sellMessage_ = std::move(value); }
    std::optional<std::int64_t> portraitAdImageId() const { return portraitAdImageId_; }
    void setPortraitAdImageId(std::optional<std::int64_t> value) { portraitAdImageId_ = value; }
    std::optional<std::int64_t> landscapeAdImageId() const { return landscapeAdImageId_; }
    void setLandscapeAdImageId(std::optional<std::int64_t> value) { landscapeAdImageId_ = value; }

    base::Ref<KestrelAdTextStyle> const& portraitAppNameTextStyle() const {
        return portraitAppNameTextStyle_;
    }
    base::Ref<KestrelAdTextStyle> const& portraitSellMessageTextStyle() const {
        return portraitSellMessageTextStyle_;
    }
    base::Ref<KestrelAdTextStyle> const& portraitAdvertiserTextStyle() const {
        return portraitAdvertiserTextStyle_;
    }
    base::Ref<KestrelAdTextStyle> const& landscapeAppNameTextStyle() const {
        return landscapeAppNameTextStyle_;
    }
    base::Ref<KestrelAdTextStyle> const& landscapeSellMessageTextStyle() const {
        return landscapeSellMessageTextStyle_;
    }
    base::Ref<KestrelAdTextStyle> const& landscapeAdvertiserTextStyle() const {
        return landscapeAdvertiserTextStyle_;
    }
    base::Ref<KestrelAdDimension> const& portraitAdDimension() const {
        return portraitAdDimension_;
    }
    base::Ref<KestrelAdDimension> const& portraitAppImageDimension() const {
        return portraitAppImageDimension_;
    }
    base::Ref<KestrelAdLocation> const& portraitAppImageLocation() const {
        return portraitAppImageLocation_;
    }
    base::Ref<KestrelAdDimension> const& landscapeAdDimension() const {
        return landscapeAdDimension_;
    }
    base::Ref<KestrelAdDimension> const& landscapeAppImageDimension() const {
        return landscapeAppImageDimension_;
    }
    base::Ref<KestrelAdLocation> const& landscapeAppImageLocation() const {
        return landscapeAppImageLocation_;
    }

    base::Ref<ui::Image> const& portraitAdImage() const { return portraitAdImage_; }
    void setPortraitAdImage(base::Ref<ui::Image> value) { portraitAdImage_ = std::move(value); }
    base::Ref<ui::Image> const& landscapeAdImage() const { return landscapeAdImage_; }
    void setLandscapeAdImage(base::Ref<ui::Image> value) { landscapeAdImage_ = std::move(value); }

private:
    friend base::Factory;
    KestrelAdTheme() = default;

    std::optional<std::uint8_t> themeId_;
    std::optional<std::string> sellMessage_;
    std::optional<std::int64_t> portraitAdImageId_;
    std::optional<std::int64_t> landscapeAdImageId_;
    base::Ref<KestrelAdTextStyle> portraitAppNameTextStyle_;
    base::Ref<KestrelAdTextStyle> portraitSellMessageTextStyle_;
    base::Ref<KestrelAdTextStyle> portraitAdvertiserTextStyle_;
    base::Ref<KestrelAdTextStyle> landscapeAppNameTextStyle_;
    base::Ref<KestrelAdTextStyle> landscapeSellMessageTextStyle_;
    base::Ref<KestrelAdTextStyle> landscapeAdvertiserTextStyle_;
    base::Ref<KestrelAdDimension> portraitAdDimension_;
    base::Ref<KestrelAdDimension> portraitAppImageDimension_;
    base::Ref<KestrelAdLocation> portraitAppImageLocation_;
    base::Ref<KestrelAdDimension> landscapeAdDimension_;
    base::Ref<KestrelAdDimension> landscapeAppImageDimension_;
    base::Ref<KestrelAdLocation> landscapeAppImageLocation_;
    base::Ref<ui::Image> portraitAdImage_;
    base::Ref<ui::Image> landscapeAdImage_;
};

}
