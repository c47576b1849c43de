// URLs from servers (redirect locations, links in replies) and from the bundle's data.
// The input is a URL, or a base URL and a reference on two lines. Any text parses
// into parts that hold what the parts promise, or is refused.
#include "FuzzSupport.hpp"

#include <foundation/URLParts.hpp>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string_view>

using foundation::URLParts;

namespace {

bool isLowerCase(std::string const& text) {
    return std::none_of(
        text.begin(), text.end(), [](unsigned char c) { return c >= 'A' && c <= 'Z'; });
}

void checkParts(std::string_view text) {
    auto parts = URLParts::parse(text);
    if (!parts)
        return;
    // A NUL would have cut the text libcurl read short of the text written.
    FUZZ_CHECK(text.find('\0') == std::string_view::npos);
    FUZZ_CHECK(!parts->scheme.empty() && isLowerCase(parts->scheme));
    FUZZ_CHECK(!parts->host.empty() && isLowerCase(parts->host));
    FUZZ_CHECK(!parts->path.empty());
    FUZZ_CHECK(parts->port >= 0 && parts->port <= 65535);
    FUZZ_CHECK(parts->hasCredentials || (parts->user.empty() && parts->password.empty()));
    // Once the credentials are gone, the URL reads as one without them.
    auto bare = URLParts::parse(URLParts::withoutCredentials(text));
    FUZZ_CHECK(!bare || !bare->hasCredentials);
}

}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto newline = text.find('\n');
    if (newline == std::string_view::npos) {
        checkParts(text);
        return 0;
    }
    auto base = text.substr(0, newline);
    auto reference = text.substr(newline + 1);
    checkParts(base);
    if (auto resolved = URLParts::resolve(base, reference))
        checkParts(*resolved);
    return 0;
}
