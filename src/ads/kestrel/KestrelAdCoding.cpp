#include <ads/kestrel/KestrelAdCoding.hpp>

#include <ads/kestrel/KestrelAd.hpp>
#include <ads/kestrel/KestrelAdBlock.hpp>
#include <ads/kestrel/KestrelAdDimension.hpp>
#include <ads/kestrel/KestrelAdHook.hpp>
#include <ads/kestrel/KestrelAdImage.hpp>
#include <ads/kestrel/KestrelAdImpression.hpp>
#include <ads/kestrel/KestrelAdLocation.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdState.hpp>
#include <ads/kestrel/KestrelAdStateCallback.hpp>
#include <ads/kestrel/KestrelAdTextStyle.hpp>
#include <ads/kestrel/KestrelAdTheme.hpp>

#include <analytics/KestrelImageCache.hpp>

#include <mutex>

namespace ads::kestrel {

void registerKestrelAdCoding() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        using foundation::Coding;
        Coding::registerClass<KestrelAd>("KestrelAd");
        Coding::registerClass<KestrelAdBlock>("KestrelAdBlock");
        Coding::registerClass<KestrelAdDimension>("KestrelAdDimension");
        Coding::registerClass<KestrelAdHook>("KestrelAdHook");
        Coding::registerClass<KestrelAdImage>("KestrelAdImage");
        Coding::registerClass<KestrelAdImpression>("KestrelAdImpression");
        Coding::registerClass<KestrelAdLocation>("KestrelAdLocation");
        Coding::registerClass<KestrelAdParser>("KestrelAdParser");
        Coding::registerClass<KestrelAdState>("KestrelAdState");
        Coding::registerClass<KestrelAdStateCallback>("KestrelAdStateCallback");
        Coding::registerClass<KestrelAdStateCallbackSet>("KestrelAdStateCallbackSet");
        Coding::registerClass<KestrelAdTextStyle>("KestrelAdTextStyle");
        Coding::registerClass<KestrelAdTheme>("KestrelAdTheme");
        analytics::KestrelImageCache::registerCoding();
    });
}

}
