#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

// The parts of an absolute URL, as URL loading, cookies and reachability need
// them. Scheme and host in lower case, user and password decoded, the port filled
// in from the scheme when absent, the path at least "/". A plain value.
struct URLParts {
    std::string scheme;
    std::string user;
    std::string password;
    std::string host; // an IPv6 address without brackets
    int port {0};
    std::string path;
    std::string query;
    bool hasCredentials {false};

    // Null when text is not an absolute URL with a host ("http:///path" has none),
    // when it holds a NUL, when its user or password holds an escaped control
    // character, and for an IPv6 host with a zone ("%25eth0").
    static std::optional<URLParts> parse(std::string_view text);
    // reference read against base, as a Location header is: null when either
    // cannot be read, holds a NUL or an authority without a host ("///path"), or
    // the result has an IPv6 zone.
    static std::optional<std::string> resolve(std::string_view base, std::string_view reference);
    // The URL without user and password, for responses and logs.
    static std::string withoutCredentials(std::string_view text);
};

}
