#include <ads/kestrel/KestrelAdLocation.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdLocation> KestrelAdLocation::create() {
    return base::make<KestrelAdLocation>();
}

base::Ref<KestrelAdLocation> KestrelAdLocation::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto location = create();
    location->x_ = decodeOptionalNumber<std::int32_t>(coder, "x");
    location->y_ = decodeOptionalNumber<std::int32_t>(coder, "y");
    return location;
}

void KestrelAdLocation::encodeWithCoder(foundation::KeyedArchiver& coder) {
    encodeOptional(coder, x_, "x");
    encodeOptional(coder, y_, "y");
}

}
