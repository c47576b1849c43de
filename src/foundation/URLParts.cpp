#include <foundation/URLParts.hpp>

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace foundation {

namespace {

struct HandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using Handle = std::unique_ptr<CURLU, HandleDeleter>;

std::optional<std::string> part(CURLU* handle, CURLUPart which, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(handle, which, &text, flags) != CURLUE_OK || !text)
        return std::nullopt;
    std::string result(text);
    curl_free(text);
    return result;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// An IPv6 zone ("[fe80::1%25eth0]") names an interface of this machine, never a server.
// libcurl takes any text for one, "@" included, and writes it back in a form that reads
// as another URL (the zone's text becoming a user name): such URLs are refused.
bool hasZone(CURLU* handle) {
    return part(handle, CURLUPART_ZONEID).has_value();
}

bool isSchemeText(std::string_view text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text.front())))
        return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

// Text that libcurl would read as another URL than the one written: it stops at a
// NUL (cutting the path, or the host), and reads both "http:///path" and
// "http:/path" with "path" as the host. After a scheme comes "//" and an authority
// that names a host; so does a reference that starts with "//".
bool isMisleading(std::string_view text) {
    if (text.find('\0') != std::string_view::npos)
        return true;
    auto colon = text.find(':');
    std::string_view rest = text;
    bool hasScheme = colon != std::string_view::npos && isSchemeText(text.substr(0, colon));
    if (hasScheme)
        rest = text.substr(colon + 1);
    if (!rest.starts_with("//"))
        return hasScheme;
    auto authority = rest.substr(2, rest.find_first_of("/?#", 2) - 2);
    if (auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    return authority.empty() || authority.front() == ':';
}

Handle parsed(std::string_view text) {
    if (isMisleading(text))
        return nullptr;
    Handle handle(curl_url());
    std::string copy(text);
    if (!handle
        || curl_url_set(handle.get(), CURLUPART_URL, copy.c_str(), CURLU_NON_SUPPORT_SCHEME)
            != CURLUE_OK
        || hasZone(handle.get()))
        return nullptr;
    return handle;
}

}

std::optional<URLParts> URLParts::parse(std::string_view text) {
    Handle handle = parsed(text);
    if (!handle)
        return std::nullopt;
    URLParts parts;
    auto scheme = part(handle.get(), CURLUPART_SCHEME);
    auto host = part(handle.get(), CURLUPART_HOST);
    if (!scheme || !host || host->empty())
        return std::nullopt;
    parts.scheme = lowered(*scheme);
    parts.host = lowered(*host);
    if (parts.host.size() > 2 && parts.host.front() == '[' && parts.host.back() == ']') {
        parts.host.pop_back();
        parts.host.erase(0, 1);
    }
    if (auto port = part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT))
        parts.port = std::atoi(port->c_str());
    auto user = part(handle.get(), CURLUPART_USER, CURLU_URLDECODE);
    auto password = part(handle.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
    // libcurl will not decode a user or password holding an escaped control character
    // ("%00", "%0A"). Taking such a one as absent would lose the credential, and leave it
    // in a URL that claims to have none: the URL is refused instead.
    if (user.has_value() != part(handle.get(), CURLUPART_USER).has_value()
        || password.has_value() != part(handle.get(), CURLUPART_PASSWORD).has_value())
        return std::nullopt;
    parts.hasCredentials = user.has_value();
    parts.user = user.value_or("");
    parts.password = password.value_or("");
    parts.path = part(handle.get(), CURLUPART_PATH).value_or(std::string());
    if (parts.path.empty())
        parts.path.push_back('/');
    parts.query = part(handle.get(), CURLUPART_QUERY).value_or("");
    return parts;
}

std::optional<std::string> URLParts::resolve(std::string_view base, std::string_view reference) {
    Handle handle = parsed(base);
    if (!handle)
        return std::nullopt;
    if (isMisleading(reference))
        return std::nullopt;
    std::string copy(reference);
    if (curl_url_set(handle.get(), CURLUPART_URL, copy.c_str(), CURLU_NON_SUPPORT_SCHEME)
            != CURLUE_OK
        || hasZone(handle.get()))
        return std::nullopt;
    // A fragment stays on the client.
    curl_url_set(handle.get(), CURLUPART_FRAGMENT, nullptr, 0);
    return part(handle.get(), CURLUPART_URL);
}

std::string URLParts::withoutCredentials(std::string_view text) {
    Handle handle = parsed(text);
    if (!handle)
        return std::string(text);
    curl_url_set(handle.get(), CURLUPART_USER, nullptr, 0);
    curl_url_set(handle.get(), CURLUPART_PASSWORD, nullptr, 0);
    return part(handle.get(), CURLUPART_URL).value_or(std::string(text));
}

}
