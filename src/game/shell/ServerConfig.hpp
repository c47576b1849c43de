#pragma once

#include <string>
#include <string_view>

namespace game {

// The hosts and base addresses the game talks to. None has a default: an environment
// variable wins, then a user default; with neither the value is empty, and callers
// send nothing (tests point them at loopback servers this way). Values are read
// afresh on every call. Main thread (the user defaults are).
class ServerConfig {
public:
    ServerConfig() = delete;

    // The host of the application store's web pages, for store links; empty when not
    // configured.
    static std::string appStoreHost();
    static constexpr char const* appStoreHostVariable = "QUILLABY_APP_STORE_HOST";
    static constexpr char const* appStoreHostDefault = "AppStoreHost";

    // The banner ad server ("host" or "host:port", reached over http); empty when not
    // configured (no banner ad is asked for then).
    static std::string mosaicHost();
    static constexpr char const* mosaicHostVariable = "QUILLABY_MOSAIC_HOST";
    static constexpr char const* mosaicHostDefault = "MosaicHost";

    // The maps host: the banner's ad browser hands web links to it to the system.
    static std::string mapsHost();
    static constexpr char const* mapsHostVariable = "QUILLABY_MAPS_HOST";
    static constexpr char const* mapsHostDefault = "MapsHost";

    // The check-in service's web endpoint ("http://host:port", no path): the check-in
    // client's events go there; empty when not configured (no event is sent then).
    static std::string checkinServiceURL();
    static constexpr char const* checkinServiceURLVariable = "QUILLABY_CHECKIN_URL";
    static constexpr char const* checkinServiceURLDefault = "CheckinServiceURL";

    // The base address ("http://host:port") of the Adnoria network's install
    // endpoint; empty when not configured (no install ping is sent then).
    static std::string adnoriaHost();
    static constexpr char const* adnoriaHostVariable = "QUILLABY_ADNORIA_HOST";
    static constexpr char const* adnoriaHostDefault = "AdnoriaHost";

    // The host (and port, "host:port") the analytics reports go to; empty when not
    // configured (no report is sent then).
    static std::string analyticsHost();
    static constexpr char const* analyticsHostVariable = "QUILLABY_ANALYTICS_HOST";
    static constexpr char const* analyticsHostDefault = "AnalyticsHost";

    // The game server ("host" or "host:port"); empty when not configured (server
    // calls then fail without being sent).
    static std::string gameServerHost();
    static constexpr char const* gameServerHostVariable = "QUILLABY_GAME_SERVER_HOST";
    static constexpr char const* gameServerHostDefault = "GameServerHost";

    // The marketing service ("host" or "host:port", reached over HTTPS) and its
    // password; empty when not configured.
    static std::string marketingHost();
    static constexpr char const* marketingHostVariable = "QUILLABY_MARKETING_HOST";
    static constexpr char const* marketingHostDefault = "MarketingHost";
    static std::string marketingPassword();
    static constexpr char const* marketingPasswordVariable = "QUILLABY_MARKETING_PASSWORD";
    static constexpr char const* marketingPasswordDefault = "MarketingPassword";
    // The marketing service's base address ("https://host:port", no path); empty when
    // not configured (the install is not registered and no credits are fetched then).
    static std::string marketingBaseURL();
    static constexpr char const* marketingBaseURLVariable = "QUILLABY_MARKETING_URL";
    static constexpr char const* marketingBaseURLDefault = "MarketingBaseURL";

    // The offer service's primary, fallback and affiliate roots ("https://host:port");
    // empty when not configured (the offer wall's requests then fail at once).
    static std::string offerWallBaseURL();
    static constexpr char const* offerWallBaseURLVariable = "QUILLABY_OFFERWALL_URL";
    static constexpr char const* offerWallBaseURLDefault = "OfferWallBaseURL";
    static std::string offerWallFallbackURL();
    static constexpr char const* offerWallFallbackURLVariable = "QUILLABY_OFFERWALL_FALLBACK_URL";
    static constexpr char const* offerWallFallbackURLDefault = "OfferWallFallbackURL";
    static std::string offerWallAffiliateURL();
    static constexpr char const* offerWallAffiliateURLVariable = "QUILLABY_OFFERWALL_AFFILIATE_URL";
    static constexpr char const* offerWallAffiliateURLDefault = "OfferWallAffiliateURL";

    // The Marquee ad network's API root ("https://host:port/", the paths follow it); empty
    // when not configured (its calls then fail without being sent).
    static std::string marqueeAPIRoot();
    static constexpr char const* marqueeAPIRootVariable = "QUILLABY_MARQUEE_URL";
    static constexpr char const* marqueeAPIRootDefault = "MarqueeAPIRoot";

    // The product's web server ("http://host:port", no path): its news feed
    // "/appfeed.php" and the pages the news ticker opens; empty when not configured
    // (no feed is read then).
    static std::string productWebBaseURL();
    static constexpr char const* productWebBaseURLVariable = "QUILLABY_PRODUCT_WEB_URL";
    static constexpr char const* productWebBaseURLDefault = "ProductWebBaseURL";

    // The environment variable when set and not empty, else the user default when
    // present and not empty, else fallback.
    static std::string value(
        char const* environmentVariable, std::string_view defaultsKey, std::string_view fallback);
};

}
