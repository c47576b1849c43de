#pragma once

#include <string>

namespace ads::mosaic {

// What the host hands the banner mediation client at set-up. None of the hosts has a
// default: while the ad server's host is empty no ad request, purchase report or
// open report is sent (each fails at once, as a request that could not be made).
// The per-installation identifier is what the hashed device id is made from; the host
// makes it once, it is never read from the hardware.
struct MXConfiguration {
    // "host" or "host:port" of the ad server, reached over http.
    std::string adServerHost;
    // The host of the application store's links and the maps host: web links to them
    // are handed to the system instead of being shown in the ad browser.
    std::string storeLinkHost;
    std::string mapsHost;
    std::string installationIdentifier;

    static void setUp(MXConfiguration configuration);
    static MXConfiguration const& current();
    // Back to nothing set (tests).
    static void reset();
};

}
