#pragma once

#include <string>

namespace ads::marquee {

// What the host hands the Marquee client at set-up. Neither has a default: until
// setUp runs the API root is empty, so every call fails to its delegate and nothing
// is sent. The per-installation identifier is what the client sends as "uuid"; the
// host makes it once, it is never read from the hardware.
struct MQConfiguration {
    // The https root of the API, ending in "/".
    std::string apiRoot;
    std::string installationIdentifier;

    static void setUp(MQConfiguration configuration);
    static MQConfiguration const& current();
    // Back to nothing set (tests).
    static void reset();
};

}
