#include <toolkit/rest/RLURL.hpp>

#include <foundation/URLParts.hpp>

namespace toolkit::rest {

RLURL::RLURL(std::string absoluteString, std::string host, std::optional<std::string> baseURLString,
    std::optional<std::string> resourcePath)
    : absoluteString_(std::move(absoluteString))
    , host_(std::move(host))
    , baseURLString_(std::move(baseURLString))
    , resourcePath_(std::move(resourcePath)) {
}

base::Ref<RLURL> RLURL::URLWithBaseURLString(
    std::string const& baseURLString, std::string const& resourcePath) {
    auto joined = baseURLString + resourcePath;
    auto parts = foundation::URLParts::parse(joined);
    if (!parts)
        return nullptr;
    return base::make<RLURL>(std::move(joined), parts->host, baseURLString, resourcePath);
}

base::Ref<RLURL> RLURL::URLWithString(std::string const& string) {
    auto parts = foundation::URLParts::parse(string);
    if (!parts)
        return nullptr;
    return base::make<RLURL>(string, parts->host, std::nullopt, std::nullopt);
}

}
