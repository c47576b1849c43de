#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ads::meridian {

// What the host hands the Meridian Media client at set-up. The hosts have no
// default: until setUp runs they are empty and nothing is sent to the ad network
// (the handshake and the pixels are dropped with a log line). The per-installation
// identifier is what the client sends as "auid"; the host makes it once, it is never
// read from the hardware.
struct MERConfiguration {
    // The plain-http root of the ad server ("http://host:port/"); the servlet paths
    // follow it.
    std::string adServerBaseURL;
    // The roots of the default and the live activity pixels ("http://host:port").
    std::string pixelBaseURL;
    std::string livePixelBaseURL;
    // The plain-http root of the conversion tracker ("http://host:port/").
    std::string conversionBaseURL;
    std::string installationIdentifier;
    // The largest video file a download keeps; a longer body is cancelled.
    std::uint64_t maximumVideoBytes {std::uint64_t(64) << 20};
    // The maps web service's host and the store link hosts: an overlay's links to
    // them leave the program.
    std::string mapsHost;
    std::vector<std::string> storeLinkHosts;

    static void setUp(MERConfiguration configuration);
    static MERConfiguration const& current();
    // Back to nothing set (tests).
    static void reset();
};

// The client's folder, "mersdk" in the Library folder, created when missing.
std::string meridianFolderPath();

}
