#include <game/shell/ServerConfig.hpp>

#include <game/shell/DataManager.hpp>

#include <cstdlib>

namespace game {

std::string ServerConfig::appStoreHost() {
    return value(appStoreHostVariable, appStoreHostDefault, "");
}

std::string ServerConfig::mosaicHost() {
    return value(mosaicHostVariable, mosaicHostDefault, "");
}

std::string ServerConfig::mapsHost() {
    return value(mapsHostVariable, mapsHostDefault, "");
}

std::string ServerConfig::adnoriaHost() {
    return value(adnoriaHostVariable, adnoriaHostDefault, "");
}

std::string ServerConfig::analyticsHost() {
    return value(analyticsHostVariable, analyticsHostDefault, "");
}

std::string ServerConfig::gameServerHost() {
    return value(gameServerHostVariable, gameServerHostDefault, "");
}

std::string ServerConfig::marketingHost() {
    return value(marketingHostVariable, marketingHostDefault, "");
}

std::string ServerConfig::marketingPassword() {
    return value(marketingPasswordVariable, marketingPasswordDefault, "");
}

std::string ServerConfig::marketingBaseURL() {
    return value(marketingBaseURLVariable, marketingBaseURLDefault, "");
}

std::string ServerConfig::offerWallBaseURL() {
    return value(offerWallBaseURLVariable, offerWallBaseURLDefault, "");
}

std::string ServerConfig::offerWallFallbackURL() {
    return value(offerWallFallbackURLVariable, offerWallFallbackURLDefault, "");
}

std::string ServerConfig::offerWallAffiliateURL() {
    return value(offerWallAffiliateURLVariable, offerWallAffiliateURLDefault, "");
}

std::string ServerConfig::checkinServiceURL() {
    auto base = value(checkinServiceURLVariable, checkinServiceURLDefault, "");
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string ServerConfig::marqueeAPIRoot() {
    auto root = value(marqueeAPIRootVariable, marqueeAPIRootDefault, "");
    if (!root.empty() && root.back() != '/')
        root += '/';
    return root;
}

std::string ServerConfig::productWebBaseURL() {
    auto base = value(productWebBaseURLVariable, productWebBaseURLDefault, "");
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string ServerConfig::value(
    char const* environmentVariable, std::string_view defaultsKey, std::string_view fallback) {
    if (char const* fromEnvironment = std::getenv(environmentVariable);
        fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (auto stored = DataManager::getStringForKey(defaultsKey); stored && !stored->empty())
        return *stored;
    return std::string(fallback);
}

}
