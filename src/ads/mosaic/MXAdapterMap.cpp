#include <ads/mosaic/MXAdapterMap.hpp>

#include <ads/mosaic/MXAdnoriaAdapter.hpp>
#include <ads/mosaic/MXCustomEventAdapter.hpp>
#include <ads/mosaic/MXIAdAdapter.hpp>
#include <ads/mosaic/MXInterstitialAdapter.hpp>
#include <ads/mosaic/MXMeridianAdapter.hpp>

#include <mutex>

namespace ads::mosaic {

namespace {

template<typename Adapter> MXAdapterMap::Factory factoryOf() {
    return [](MXAdapterDelegate* delegate) -> base::Ref<MXBaseAdapter> {
        return Adapter::initWithAdapterDelegate(delegate);
    };
}

struct ClassRegistry {
    std::mutex mutex;
    std::map<std::string, MXAdapterMap::Factory> banners;
    std::map<std::string, MXAdapterMap::InterstitialFactory> interstitials;

    ClassRegistry() { reset(); }
    // The program's own classes; no full-screen adapter class is part of it.
    void reset() {
        banners = {
            {"MXIAdAdapter", factoryOf<MXIAdAdapter>()},
            {"MXAdnoriaAdapter", factoryOf<MXAdnoriaAdapter>()},
            {"MXMeridianAdapter", factoryOf<MXMeridianAdapter>()},
            {"MXCustomEventAdapter", factoryOf<MXCustomEventAdapter>()},
            {"MXInterstitialAdapter", factoryOf<MXInterstitialAdapter>()},
        };
        interstitials.clear();
    }
};

ClassRegistry& classRegistry() {
    static ClassRegistry* registry = new ClassRegistry;
    return *registry;
}

// The class registered under name in one of the registry's tables, or an empty factory.
template<typename Factory>
Factory registeredClass(
    std::map<std::string, Factory> ClassRegistry::*table, std::optional<std::string> const& name) {
    if (!name)
        return {};
    auto& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    auto const& classes = registry.*table;
    auto found = classes.find(*name);
    return found == classes.end() ? Factory {} : found->second;
}

}

MXAdapterMap& MXAdapterMap::sharedAdapterMap() {
    // Made once, under the lock of static initialisation.
    static MXAdapterMap* shared = new MXAdapterMap;
    return *shared;
}

MXAdapterMap::MXAdapterMap()
    : map_ {
        {"iAd", "MXIAdAdapter"},
        {"adnoriatext", "MXAdnoriaTextAdapter"},
        {"adnoria_native", "MXAdnoriaAdapter"},
        {"meridian_native", "MXMeridianAdapter"},
        {"custom", "MXCustomEventAdapter"},
        {"adnoria_full", "MXAdnoriaInterstitialAdapter"},
        {"meridian_full", "MXMeridianInterstitialAdapter"},
        {"interstitial", "MXInterstitialAdapter"},
        {"ORMMA", "MXORMMAAdapter"},
    } {
}

std::optional<std::string> MXAdapterMap::classStringForAdapterType(
    std::string const& adType) const {
    auto found = map_.find(adType);
    if (found == map_.end())
        return std::nullopt;
    return found->second;
}

MXAdapterMap::Factory MXAdapterMap::classForAdapterType(std::string const& adType) const {
    return registeredClass(&ClassRegistry::banners, classStringForAdapterType(adType));
}

MXAdapterMap::InterstitialFactory MXAdapterMap::interstitialClassForAdapterType(
    std::string const& adType) const {
    return registeredClass(&ClassRegistry::interstitials, classStringForAdapterType(adType));
}

void MXAdapterMap::registerAdapterClass(std::string const& className, Factory factory) {
    auto& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    registry.banners[className] = std::move(factory);
}

void MXAdapterMap::registerInterstitialAdapterClass(
    std::string const& className, InterstitialFactory factory) {
    auto& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    registry.interstitials[className] = std::move(factory);
}

bool MXAdapterMap::isAdapterClassRegistered(std::string const& className) {
    auto& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.banners.contains(className) || registry.interstitials.contains(className);
}

void MXAdapterMap::resetAdapterClasses() {
    auto& registry = classRegistry();
    std::lock_guard lock(registry.mutex);
    registry.reset();
}

}
