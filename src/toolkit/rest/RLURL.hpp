#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <optional>
#include <string>

namespace toolkit::rest {

// An absolute URL that remembers the base URL and the resource path it was joined
// from (none for a URL made from one string). Immutable.
class RLURL final : public base::Object {
public:
    // The base followed directly by the path, no separator added; null when the
    // joined text is not an absolute URL with a host.
    static base::Ref<RLURL> URLWithBaseURLString(
        std::string const& baseURLString, std::string const& resourcePath);
    // A plain URL; null when the text is not an absolute URL with a host.
    static base::Ref<RLURL> URLWithString(std::string const& string);

    std::string const& absoluteString() const { return absoluteString_; }
    std::string const& host() const { return host_; }
    std::optional<std::string> const& baseURLString() const { return baseURLString_; }
    std::optional<std::string> const& resourcePath() const { return resourcePath_; }

private:
    friend base::Factory;
    RLURL(std::string absoluteString, std::string host, std::optional<std::string> baseURLString,
        std::optional<std::string> resourcePath);

    std::string absoluteString_;
    std::string host_;
    std::optional<std::string> baseURLString_;
    std::optional<std::string> resourcePath_;
};

}
