#pragma once

#include <optional>
#include <string>

namespace ads::kestrel {

// The application-facing facade of the Kestrel ad client: class operations only.
// It holds the three ad-service URLs that the surfaces build their click-through and
// store hand-off URLs from. The ad service's host is configuration with no default:
// until the host application sets the URLs, nothing is built and nothing is sent.
// Main thread only.
class KestrelAdLoop final {
public:
    KestrelAdLoop() = delete;

    // The fixed paths of the ad service; the host application supplies the host.
    static constexpr char const* canvasPath = "/getCanvas.do";
    static constexpr char const* landscapeCanvasPath = "/getCanvasLandscape.do";
    static constexpr char const* appStorePath = "/getIPhoneApp.do";

    static std::optional<std::string> canvasURL();
    static std::optional<std::string> landscapeCanvasURL();
    static std::optional<std::string> appStoreURL();
    static void setCanvasURL(std::optional<std::string> url);
    static void setLandscapeCanvasURL(std::optional<std::string> url);
    static void setAppStoreURL(std::optional<std::string> url);
    // Sets the three URLs to the service's paths on one base ("http://host:port").
    static void setAdServiceBaseURL(std::string const& base);

    // Forgets the URLs (tests).
    static void reset();
};

}
