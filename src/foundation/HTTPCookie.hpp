#pragma once

#include <foundation/HTTPHeaderFields.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

struct URLParts;

// One HTTP cookie as a reply set it. domain is the host for a cookie that goes
// only to that host, or "." followed by the domain for one that also goes to its
// subdomains. Dates are seconds since 2001-01-01 on the wall clock. A plain value.
struct HTTPCookie {
    std::string name;
    std::string value;
    std::string domain;
    std::string path {"/"};
    std::optional<double> expiresDate; // absent: the cookie lasts for the session
    bool secure {false};
    bool httpOnly {false};

    bool isSessionOnly() const { return !expiresDate; }
    bool isExpired(double now) const { return expiresDate && *expiresDate <= now; }
    // Whether the cookie goes with a request to url (expiry aside).
    bool appliesTo(URLParts const& url) const;
    bool sameIdentity(HTTPCookie const& other) const {
        return name == other.name && domain == other.domain && path == other.path;
    }

    // The cookies that the Set-Cookie fields of a reply from url set. Accepts the
    // platform's joined form too, where several Set-Cookie lines were folded into
    // one value with ", ". Cookies whose Domain does not cover the host of url are
    // refused. An already expired cookie is kept, so storing it deletes the old one.
    static std::vector<HTTPCookie> cookiesWithResponseHeaderFields(
        HTTPHeaderFields const& fields, std::string_view url);
    static std::vector<HTTPCookie> cookiesWithResponseHeaderLines(
        std::vector<HTTPHeaderFields::Entry> const& lines, std::string_view url);
    // One Set-Cookie value from a reply from url; null when refused or unreadable.
    static std::optional<HTTPCookie> parseSetCookie(
        std::string_view text, URLParts const& url, double now);

    // {"Cookie": "a=1; b=2"}, or no field for no cookies.
    static HTTPHeaderFields requestHeaderFieldsWithCookies(std::vector<HTTPCookie> const& cookies);

    bool operator==(HTTPCookie const&) const = default;
};

}
