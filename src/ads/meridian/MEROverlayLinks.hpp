#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ads::meridian {

// Where a link followed by an overlay's page goes. The URL is the page's, so any
// text at all: the reading never fails, it only decides.
struct MEROverlayLink {
    enum class Kind {
        // The web view loads it inside the overlay.
        LoadInside,
        // Refused; url is to be opened outside the program by the overlay's owner.
        OpenOutside,
    };
    Kind kind {Kind::LoadInside};
    std::string url;
    bool operator==(MEROverlayLink const&) const = default;
};

// The hosts the routing knows. An empty host never matches.
struct MEROverlayHosts {
    // The ad server's domain ("host:port"); its click links load inside.
    std::string clickDomain;
    // The maps web service: its links open in the maps application ("maps://").
    std::string mapsHost;
    // The store link hosts: their links open in the store.
    std::vector<std::string> storeHosts;

    // From the client's configuration: the ad server's root less its scheme and
    // trailing "/", and the configured maps and store hosts.
    static MEROverlayHosts fromConfiguration();
};

// The scheme of url (the letters before the first ":" when they make a scheme),
// in lower case; empty when there is none.
std::string schemeOf(std::string_view url);

// Routes url: ad-server clicks and plain pages load inside; maps links become
// "maps://" links; "itms", "sms", "tel" and "merbrowser" schemes and store hosts open
// outside ("merbrowser://" is taken off the front of what follows it).
MEROverlayLink routeOverlayLink(std::string_view url, MEROverlayHosts const& hosts);

}
