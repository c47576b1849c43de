#pragma once

#include <ads/mosaic/MXBaseAdapter.hpp>
#include <base/Ref.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ads::mosaic {

class MXBaseInterstitialAdapter;
class MXInterstitialAdController;

// Which adapter class serves each "X-Adtype" (and "X-Fulladtype"), by class name. The
// classes themselves are found by name in a class-wide registry that holds the
// program's adapters, so a type whose class the program lacks, and a type that is not
// in the map, give no class: the callers count that as a failed load.
class MXAdapterMap final {
public:
    using Factory = std::function<base::Ref<MXBaseAdapter>(MXAdapterDelegate* delegate)>;
    using InterstitialFactory = std::function<base::Ref<MXBaseInterstitialAdapter>(
        MXInterstitialAdController& controller)>;

    static MXAdapterMap& sharedAdapterMap();

    // Ad type to class name, fixed at creation.
    std::map<std::string, std::string> const& map() const { return map_; }
    std::optional<std::string> classStringForAdapterType(std::string const& adType) const;
    // The registered banner adapter class of the type, or an empty factory.
    Factory classForAdapterType(std::string const& adType) const;
    // The registered full-screen adapter class of the type, or an empty factory. A
    // banner adapter class is not one.
    InterstitialFactory interstitialClassForAdapterType(std::string const& adType) const;

    // The registry of classes by name. The program's own banner adapters are in it from
    // the start; tests may add or replace classes and then reset it.
    static void registerAdapterClass(std::string const& className, Factory factory);
    static void registerInterstitialAdapterClass(
        std::string const& className, InterstitialFactory factory);
    static bool isAdapterClassRegistered(std::string const& className);
    // Back to the program's own classes.
    static void resetAdapterClasses();

private:
    MXAdapterMap();

    std::map<std::string, std::string> map_;
};

}
