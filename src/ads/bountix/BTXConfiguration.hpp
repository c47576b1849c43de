#pragma once

#include <string>

namespace ads::bountix {

// What the host hands the offer-wall client at set-up. Nothing has a default: until
// setUp runs the hosts are empty and requests fail at once. Each host is the
// service's root URL ("https://name:port/"); a missing final slash is added. The
// per-installation identifier stands for the device's unique identifier everywhere
// the client sends one; the host makes it, nothing is read from the hardware.
struct BTXConfiguration {
    std::string primaryHost;
    std::string fallbackHost;
    std::string affiliateHost;
    std::string installationIdentifier;
    // Seconds a connect-type request waits for its answer.
    double connectTimeout {30};

    static void setUp(BTXConfiguration configuration);
    static BTXConfiguration const& current();
    // Back to nothing set (tests).
    static void reset();
};

}
