#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ads::meridian {

// Reports ad activity to the ad network by fetching tracking pixels: a URL is
// requested and its reply ignored. Class operations only; called on the main thread,
// the requests run on its run loop. Every failure is silent (a log line at most) and
// nothing is retried.
class MERLog final {
public:
    // Extra values of an activity pixel, in the order they are appended.
    using Values = std::vector<std::pair<std::string, std::string>>;

    enum ActivityType {
        Expand = 1,
        Collapse = 2,
        OnLoad = 3,
        ViewVideo = 4,
        CarouselLeft = 6,
        CarouselRight = 7,
        Call = 8,
        InAppLoad = 9,
    };

    static constexpr char const* defaultPixelPath = "/productiton/common/pixel/image.php";
    static constexpr char const* livePixelPath = "/custom/common/pixel/image.php";

    // Starts a GET of url with nobody listening and returns at once. A text that is
    // not an absolute URL is dropped with a log line.
    static void logURL(std::string const& url);

    static void log(Values const& values, std::string_view activity, std::string_view acid);
    static void log(Values const& values, int activityType, std::string_view acid);
    static std::string stringFromLogType(int activityType);

    // The activity pixel's URL: the default pixel, or the live one when the values
    // hold "version" = "live"; acid "99" when empty; then every value that is not
    // empty as "&key=value", key and value each percent-escaped on their own. None
    // while the pixel's host is not configured.
    static std::optional<std::string> activityURL(
        Values const& values, std::string_view activity, std::string_view acid);

    MERLog() = delete;
};

}
