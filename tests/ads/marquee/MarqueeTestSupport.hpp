#pragma once

#include <ads/marquee/MQAPIRequest.hpp>
#include <ads/marquee/MQConfiguration.hpp>

#include <string>

namespace test {

inline constexpr char const* MarqueeAppId = "5b1c9e0a7d3f42e86a0b7c13";
inline constexpr char const* MarqueeAppSignature = "9d4e2a7b0c5f18e36a2d9b4c7e1f05a8d3b6c2e9";
inline constexpr char const* MarqueeInstallation = "0F1E2D3C-uuid";

// Fixed device answers and installation identifier, and the API root given (none by
// default); both put back when the test ends.
class MarqueeDeviceScope {
public:
    explicit MarqueeDeviceScope(std::string apiRoot = {}) {
        ads::marquee::MQDeviceInfo info;
        info.model = "iPhone";
        info.os = "4.3.1";
        info.ui = 0;
        info.country = "DE";
        info.language = "de";
        info.bundle = "1.0";
        ads::marquee::MQDeviceInfo::setOverride(info);
        ads::marquee::MQConfiguration::setUp({std::move(apiRoot), MarqueeInstallation});
    }
    ~MarqueeDeviceScope() {
        ads::marquee::MQDeviceInfo::setOverride(std::nullopt);
        ads::marquee::MQConfiguration::reset();
    }
    MarqueeDeviceScope(MarqueeDeviceScope const&) = delete;
    MarqueeDeviceScope& operator=(MarqueeDeviceScope const&) = delete;
};

}
