#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace ads::adnoria {

// What the host hands the Adnoria client at set-up. None of it has a default: until
// setUp runs, the hosts are empty (nothing is fetched), the error domain is empty and
// there is no location key (coordinate locations then have no encoded form). The
// per-installation identifier stands for the device's identifier everywhere the
// client needs one; it is made by the host, never read from the hardware.
struct ADNConfiguration {
    std::string adHost;
    std::string scriptHost;
    std::string errorDomain;
    std::optional<std::array<std::uint8_t, 16>> locationKey;
    std::string installationIdentifier;

    static void setUp(ADNConfiguration configuration);
    static ADNConfiguration const& current();
    // Back to nothing set (tests).
    static void reset();
};

}
