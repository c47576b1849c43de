#include <ads/kestrel/KestrelAdDimension.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdDimension> KestrelAdDimension::create() {
    return base::make<KestrelAdDimension>();
}

base::Ref<KestrelAdDimension> KestrelAdDimension::initWithCoder(
    foundation::KeyedUnarchiver& coder) {
    auto dimension = create();
    dimension->width_ = decodeOptionalNumber<std::int32_t>(coder, "width");
    dimension->height_ = decodeOptionalNumber<std::int32_t>(coder, "height");
    return dimension;
}

void KestrelAdDimension::encodeWithCoder(foundation::KeyedArchiver& coder) {
    encodeOptional(coder, width_, "width");
    encodeOptional(coder, height_, "height");
}

}
