#pragma once

#include <ads/kestrel/KestrelAdDimension.hpp>
#include <ads/kestrel/KestrelAdLocation.hpp>

#include <foundation/Coding.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Color.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::kestrel {

// How one text of a banner looks in one orientation: font name, point size,
// colour, and the frame it sits in (location and dimension). A theme owns six of
// these and the parser fills them in place.
class KestrelAdTextStyle final : public base::Object, public foundation::Coding {
public:
    // With an empty location and dimension; font, size and colour none.
    static base::Ref<KestrelAdTextStyle> create();
    // Reads "fontColor", "fontSize", "font", "location", "dimension"; a missing key
    // leaves its field empty (no location or dimension object is made for it).
    static base::Ref<KestrelAdTextStyle> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    // (location x, location y, dimension width, dimension height), each missing
    // number (or missing object) taken as 0.
    graphics::Rect frame() const;

    std::optional<ui::Color> fontColor() const { return fontColor_; }
    void setFontColor(std::optional<ui::Color> value) { fontColor_ = value; }
    std::optional<std::int16_t> fontSize() const { return fontSize_; }
    void setFontSize(std::optional<std::int16_t> value) { fontSize_ = value; }
    std::optional<std::string> const& font() const { return font_; }
    void setFont(std::optional<std::string> value) { font_ = std::move(value); }
    base::Ref<KestrelAdLocation> const& location() const { return location_; }
    void setLocation(base::Ref<KestrelAdLocation> value) { location_ = std::move(value); }
    base::Ref<KestrelAdDimension> const& dimension() const { return dimension_; }
    void setDimension(base::Ref<KestrelAdDimension> value) { dimension_ = std::move(value); }

private:
    friend base::Factory;
    KestrelAdTextStyle() = default;

    std::optional<ui::Color> fontColor_;
    std::optional<std::int16_t> fontSize_;
    std::optional<std::string> font_;
    base::Ref<KestrelAdLocation> location_;
    base::Ref<KestrelAdDimension> dimension_;
};

// The frame (x, y, width, height) from a location and a dimension, missing parts 0.
graphics::Rect frameOf(KestrelAdLocation const* location, KestrelAdDimension const* dimension);

}
