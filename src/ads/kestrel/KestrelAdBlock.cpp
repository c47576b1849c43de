#include <ads/kestrel/KestrelAdBlock.hpp>

#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <algorithm>

namespace ads::kestrel {

base::Ref<KestrelAdBlock> KestrelAdBlock::create() {
    return base::make<KestrelAdBlock>();
}

base::Ref<KestrelAdBlock> KestrelAdBlock::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto block = create();
    block->ads_ = coder.decodeObjectsForKey<KestrelAd>("ads");
    return block;
}

void KestrelAdBlock::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeObject(ads_, "ads");
}

base::Ref<KestrelAd> KestrelAdBlock::rotate() {
    if (ads_.empty())
        return nullptr;
    std::rotate(ads_.begin(), ads_.begin() + 1, ads_.end());
    return ads_.back();
}

}
