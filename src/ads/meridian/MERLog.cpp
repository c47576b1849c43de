#include <ads/meridian/MERLog.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLParts.hpp>
#include <foundation/URLRequest.hpp>

namespace ads::meridian {

void MERLog::logURL(std::string const& url) {
    if (!foundation::URLParts::parse(url)) {
        foundation::log("MERLog: dropping a pixel that is not a URL: %@", url);
        return;
    }
    // The connection keeps itself alive until the reply ends; nobody listens.
    foundation::URLConnection::create(foundation::URLRequest(url), nullptr);
}

std::string MERLog::stringFromLogType(int activityType) {
    switch (activityType) {
    case Expand:
        return "EXPAND";
    case Collapse:
        return "COLLAPSE";
    case OnLoad:
        return "ON_LOAD";
    case ViewVideo:
        return "VIEW_VIDEO";
    case CarouselLeft:
        return "CAROUSEL_LEFT";
    case CarouselRight:
        return "CAROUSEL_RIGHT";
    case Call:
        return "CALL";
    case InAppLoad:
        return "INAPPLOAD";
    default:
        return "INTERACTION";
    }
}

std::optional<std::string> MERLog::activityURL(
    Values const& values, std::string_view activity, std::string_view acid) {
    bool live = false;
    for (auto const& [key, value] : values) {
        if (key == "version" && value == "live")
            live = true;
    }
    auto const& configuration = MERConfiguration::current();
    auto const& base = live ? configuration.livePixelBaseURL : configuration.pixelBaseURL;
    if (base.empty())
        return std::nullopt;

    // Keys and values are the caller's text: each is escaped on its own, so an "&" or
    // "=" inside one cannot add or split a parameter.
    std::string url = base + (live ? livePixelPath : defaultPixelPath);
    url += "?activity=" + foundation::addingStrictPercentEscapes(activity);
    url += "&acid=" + foundation::addingStrictPercentEscapes(acid.empty() ? "99" : acid);
    for (auto const& [key, value] : values) {
        if (value.empty())
            continue;
        url += '&' + foundation::addingStrictPercentEscapes(key) + '='
            + foundation::addingStrictPercentEscapes(value);
    }
    return url;
}

void MERLog::log(Values const& values, std::string_view activity, std::string_view acid) {
    auto url = activityURL(values, activity, acid);
    if (!url) {
        foundation::log("MERLog: no pixel host is configured; activity %@ dropped", activity);
        return;
    }
    foundation::log("MERLog: %@", *url);
    logURL(*url);
}

void MERLog::log(Values const& values, int activityType, std::string_view acid) {
    log(values, stringFromLogType(activityType), acid);
}

}
