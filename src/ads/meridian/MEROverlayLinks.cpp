#include <ads/meridian/MEROverlayLinks.hpp>

#include <ads/meridian/MERConfiguration.hpp>

#include <cctype>

namespace ads::meridian {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

std::string replacingAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (auto at = text.find(from); at != std::string_view::npos; at = text.find(from, start)) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

}

MEROverlayHosts MEROverlayHosts::fromConfiguration() {
    auto const& configuration = MERConfiguration::current();
    MEROverlayHosts hosts;
    std::string_view base = configuration.adServerBaseURL;
    if (auto scheme = base.find("://"); scheme != std::string_view::npos)
        base.remove_prefix(scheme + 3);
    while (!base.empty() && base.back() == '/')
        base.remove_suffix(1);
    hosts.clickDomain = std::string(base);
    hosts.mapsHost = configuration.mapsHost;
    hosts.storeHosts = configuration.storeLinkHosts;
    return hosts;
}

std::string schemeOf(std::string_view url) {
    auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        bool ok
            = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
        if (!ok)
            return {};
        scheme.push_back(char(std::tolower(c)));
    }
    return scheme;
}

MEROverlayLink routeOverlayLink(std::string_view url, MEROverlayHosts const& hosts) {
    if (!hosts.clickDomain.empty() && contains(url, hosts.clickDomain + "/handleClick.php5"))
        return {MEROverlayLink::Kind::LoadInside, std::string(url)};
    if (contains(url, hosts.mapsHost))
        return {MEROverlayLink::Kind::OpenOutside, replacingAll(url, "http://", "maps://")};
    auto scheme = schemeOf(url);
    bool store = false;
    for (auto const& host : hosts.storeHosts)
        store = store || contains(url, host);
    if (scheme == "itms" || scheme == "sms" || scheme == "tel" || scheme == "merbrowser" || store) {
        if (scheme == "merbrowser") {
            // The scheme in any case, then every other copy of the prefix.
            auto rest = url.substr(scheme.size() + 1);
            if (rest.starts_with("//"))
                rest.remove_prefix(2);
            return {MEROverlayLink::Kind::OpenOutside, replacingAll(rest, "merbrowser://", "")};
        }
        return {MEROverlayLink::Kind::OpenOutside, std::string(url)};
    }
    return {MEROverlayLink::Kind::LoadInside, std::string(url)};
}

}
