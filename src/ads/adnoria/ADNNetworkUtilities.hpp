#pragma once

#include <base/Value.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace ads::adnoria {

// The shared user-agent string and the query helpers of the Adnoria client.
// Main thread.
class ADNNetworkUtilities {
public:
    static std::optional<std::string> const& userAgentString();
    // Keeps the string unless it is empty or equal to the current one.
    static void setUserAgentString(std::string_view userAgent);
    static void resetUserAgentString();

    // Percent-escapes everything but ASCII letters, digits and "-._~".
    static std::string encodeURL(std::string_view text);
    // Appends each key (as it is) and its escaped value ("key" alone when the value
    // escapes to nothing), after "?" or, when the URL has a query, "&".
    static std::string appendQueryParameters(
        base::Dictionary const& parameters, std::string_view url);
    static std::string appendQueryKey(
        std::string_view key, std::optional<std::string_view> value, std::string_view url);
    // The first "key=value" of the query, value as sent (not unescaped).
    static std::optional<std::string> parameterValueForKey(
        std::string_view key, std::string_view url);
    // Pairs cut at runs of "&" and ";"; keys unescaped and lower-cased, values
    // unescaped; pairs that do not split into two pieces at "=" or do not unescape
    // are skipped; a later key replaces an earlier one.
    static base::Ref<base::Dictionary> dictionaryFromQueryString(
        std::optional<std::string_view> query);

    // The query of a URL (after "?" up to any "#"), empty when there is none.
    static std::string_view queryOf(std::string_view url);
};

}
