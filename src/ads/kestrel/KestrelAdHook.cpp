#include <ads/kestrel/KestrelAdHook.hpp>

#include <ads/kestrel/KestrelAdCoding.hpp>

namespace ads::kestrel {

base::Ref<KestrelAdHook> KestrelAdHook::create() {
    return base::make<KestrelAdHook>();
}

base::Ref<KestrelAdHook> KestrelAdHook::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto hook = create();
    hook->name_ = decodeOptionalString(coder, "name");
    hook->adBlockId_ = decodeOptionalNumber<std::uint8_t>(coder, "adBlockId");
    hook->themeId_ = decodeOptionalNumber<std::uint8_t>(coder, "themeId");
    hook->clickAction_ = decodeOptionalNumber<std::int64_t>(coder, "clickAction");
    hook->adTheme_ = coder.decodeObjectForKey<KestrelAdTheme>("adTheme");
    return hook;
}

void KestrelAdHook::encodeWithCoder(foundation::KeyedArchiver& coder) {
    encodeOptional(coder, name_, "name");
    encodeOptional(coder, adBlockId_, "adBlockId");
    encodeOptional(coder, themeId_, "themeId");
    encodeOptional(coder, clickAction_, "clickAction");
    coder.encodeObject(adTheme_, "adTheme");
}

}
