#include <ads/kestrel/KestrelAdTextStyle.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

namespace ads::kestrel {

namespace {

// A colour is archived as its four components, red to alpha, from 0 to 1.
base::Value colorValue(std::optional<ui::Color> const& color) {
    if (!color)
        return {};
    auto list = base::Array::create();
    list->add(double(color->red()));
    list->add(double(color->green()));
    list->add(double(color->blue()));
    list->add(double(color->alpha()));
    return base::Value(list);
}

std::optional<ui::Color> colorFrom(base::Value const& value) {
    auto const* list = value.array();
    if (!list || list->size() != 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        if (!list->at(i).isNumber())
            return std::nullopt;
    }
    return ui::Color::colorWithRed(list->at(0).floatValue(), list->at(1).floatValue(),
        list->at(2).floatValue(), list->at(3).floatValue());
}

}

graphics::Rect frameOf(KestrelAdLocation const* location, KestrelAdDimension const* dimension) {
    auto x = location ? location->x().value_or(0) : 0;
    auto y = location ? location->y().value_or(0) : 0;
    auto width = dimension ? dimension->width().value_or(0) : 0;
    auto height = dimension ? dimension->height().value_or(0) : 0;
    return graphics::Rect {{float(x), float(y)}, {float(width), float(height)}};
}

base::Ref<KestrelAdTextStyle> KestrelAdTextStyle::create() {
    auto style = base::make<KestrelAdTextStyle>();
    style->location_ = KestrelAdLocation::create();
    style->dimension_ = KestrelAdDimension::create();
    return style;
}

base::Ref<KestrelAdTextStyle> KestrelAdTextStyle::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    auto style = base::make<KestrelAdTextStyle>();
    style->fontColor_ = colorFrom(coder.decodeObjectForKey("fontColor"));
    style->fontSize_ = decodeOptionalNumber<std::int16_t>(coder, "fontSize");
    style->font_ = decodeOptionalString(coder, "font");
    style->location_ = coder.decodeObjectForKey<KestrelAdLocation>("location");
    style->dimension_ = coder.decodeObjectForKey<KestrelAdDimension>("dimension");
    return style;
}

void KestrelAdTextStyle::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeObject(colorValue(fontColor_), "fontColor");
    encodeOptional(coder, fontSize_, "fontSize");
    encodeOptional(coder, font_, "font");
    coder.encodeObject(location_, "location");
    coder.encodeObject(dimension_, "dimension");
}

graphics::Rect KestrelAdTextStyle::frame() const {
    return frameOf(location_.get(), dimension_.get());
}

}
