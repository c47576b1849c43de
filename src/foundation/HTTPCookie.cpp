#include <foundation/HTTPCookie.hpp>

#include <foundation/Clock.hpp>
#include <foundation/URLParts.hpp>

#include <curl/curl.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cstdlib>

namespace foundation {

namespace {

// Seconds from 1970-01-01 to 2001-01-01.
constexpr double ReferenceDateOffset = 978307200;

bool isAddress(std::string const& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1
        || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// The folder of a request path: the default path of a cookie set by its reply.
std::string defaultPath(std::string const& path) {
    if (path.empty() || path.front() != '/')
        return "/";
    auto slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool pathMatches(std::string const& cookiePath, std::string const& requestPath) {
    if (requestPath == cookiePath)
        return true;
    if (requestPath.rfind(cookiePath, 0) != 0)
        return false;
    return cookiePath.back() == '/' || requestPath[cookiePath.size()] == '/';
}

// Splits a joined Set-Cookie value at the commas that start a new cookie, that is
// those followed by "name=" before any ";" or ",", so that the comma inside an
// Expires date stays.
std::vector<std::string> splitJoined(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ',')
            continue;
        std::string_view rest = text.substr(i + 1);
        auto stop = rest.find_first_of(";,");
        auto equals = rest.find('=');
        if (equals == std::string_view::npos || (stop != std::string_view::npos && stop < equals))
            continue;
        pieces.emplace_back(text.substr(start, i - start));
        start = i + 1;
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

}

bool HTTPCookie::appliesTo(URLParts const& url) const {
    if (secure && url.scheme != "https")
        return false;
    bool domainMatches = false;
    if (!domain.empty() && domain.front() == '.') {
        std::string bare = domain.substr(1);
        domainMatches = url.host == bare
            || (url.host.size() > domain.size()
                && url.host.compare(url.host.size() - domain.size(), domain.size(), domain) == 0);
    } else {
        domainMatches = url.host == domain;
    }
    return domainMatches && pathMatches(path, url.path);
}

std::optional<HTTPCookie> HTTPCookie::parseSetCookie(
    std::string_view text, URLParts const& url, double now) {
    std::vector<std::string> attributes;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find(';', start);
        if (end == std::string_view::npos)
            end = text.size();
        attributes.push_back(HTTPHeaderFields::trimmed(text.substr(start, end - start)));
        start = end + 1;
    }
    if (attributes.empty())
        return std::nullopt;
    auto equals = attributes[0].find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    HTTPCookie cookie;
    cookie.name = HTTPHeaderFields::trimmed(std::string_view(attributes[0]).substr(0, equals));
    cookie.value = HTTPHeaderFields::trimmed(std::string_view(attributes[0]).substr(equals + 1));
    if (cookie.name.empty())
        return std::nullopt;
    cookie.domain = url.host;
    cookie.path = defaultPath(url.path);

    std::optional<double> maxAge;
    for (std::size_t i = 1; i < attributes.size(); ++i) {
        std::string const& attribute = attributes[i];
        auto separator = attribute.find('=');
        std::string key = HTTPHeaderFields::lowercased(
            HTTPHeaderFields::trimmed(std::string_view(attribute).substr(0, separator)));
        std::string value = separator == std::string::npos
            ? ""
            : HTTPHeaderFields::trimmed(std::string_view(attribute).substr(separator + 1));
        if (key == "domain" && !value.empty()) {
            std::string bare
                = HTTPHeaderFields::lowercased(value.front() == '.' ? value.substr(1) : value);
            if (bare == url.host) {
                // An address or a name without dots is never shared with other hosts.
                cookie.domain
                    = isAddress(bare) || bare.find('.') == std::string::npos ? bare : "." + bare;
            } else {
                bool covers = url.host.size() > bare.size() + 1
                    && url.host.compare(url.host.size() - bare.size(), bare.size(), bare) == 0
                    && url.host[url.host.size() - bare.size() - 1] == '.';
                if (!covers || isAddress(url.host) || bare.find('.') == std::string::npos)
                    return std::nullopt;
                cookie.domain = "." + bare;
            }
        } else if (key == "path" && !value.empty() && value.front() == '/') {
            cookie.path = value;
        } else if (key == "expires" && !maxAge) {
            time_t seconds = curl_getdate(value.c_str(), nullptr);
            if (seconds != time_t(-1))
                cookie.expiresDate = double(seconds) - ReferenceDateOffset;
        } else if (key == "max-age") {
            char* end = nullptr;
            long long seconds = std::strtoll(value.c_str(), &end, 10);
            if (!value.empty() && end && *end == '\0') {
                maxAge = seconds <= 0 ? now - 1 : now + double(seconds);
                cookie.expiresDate = maxAge;
            }
        } else if (key == "secure") {
            cookie.secure = true;
        } else if (key == "httponly") {
            cookie.httpOnly = true;
        }
    }
    return cookie;
}

std::vector<HTTPCookie> HTTPCookie::cookiesWithResponseHeaderLines(
    std::vector<HTTPHeaderFields::Entry> const& lines, std::string_view url) {
    std::vector<HTTPCookie> cookies;
    auto parts = URLParts::parse(url);
    if (!parts)
        return cookies;
    double now = Clock::current().wallTime();
    for (auto const& [name, value] : lines) {
        if (!HTTPHeaderFields::namesEqual(name, "Set-Cookie"))
            continue;
        for (auto const& piece : splitJoined(value)) {
            if (auto cookie = parseSetCookie(piece, *parts, now))
                cookies.push_back(std::move(*cookie));
        }
    }
    return cookies;
}

std::vector<HTTPCookie> HTTPCookie::cookiesWithResponseHeaderFields(
    HTTPHeaderFields const& fields, std::string_view url) {
    return cookiesWithResponseHeaderLines(fields.entries(), url);
}

HTTPHeaderFields HTTPCookie::requestHeaderFieldsWithCookies(
    std::vector<HTTPCookie> const& cookies) {
    HTTPHeaderFields fields;
    std::string text;
    for (auto const& cookie : cookies) {
        if (!text.empty())
            text += "; ";
        text += cookie.name + "=" + cookie.value;
    }
    if (!text.empty())
        fields.set("Cookie", text);
    return fields;
}

}
