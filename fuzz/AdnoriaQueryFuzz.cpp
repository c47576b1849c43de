// The Adnoria client's query helpers over any URL or query text: reading a
// parameter, cutting a query into a dictionary, and appending parameters, whose
// values always read back as they were escaped.
#include "FuzzSupport.hpp"

#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/Strings.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using ads::adnoria::ADNNetworkUtilities;

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    fuzz::silenceLog();
    std::string_view text(reinterpret_cast<char const*>(data), size);
    auto split = text.find('\n');
    auto url = text.substr(0, split);
    auto value = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);

    auto dictionary = ADNNetworkUtilities::dictionaryFromQueryString(text);
    for (auto const& [key, entry] : *dictionary) {
        FUZZ_CHECK(foundation::lowercase(key) == key.str());
        FUZZ_CHECK(entry.isString());
    }
    if (auto found = ADNNetworkUtilities::parameterValueForKey("ai", url))
        FUZZ_CHECK(found->find('&') == std::string::npos);

    auto appended = ADNNetworkUtilities::appendQueryKey("zq", value, url);
    auto read = ADNNetworkUtilities::parameterValueForKey("zq", appended);
    auto escaped = ADNNetworkUtilities::encodeURL(value);
    bool queryOrNone
        = !ADNNetworkUtilities::queryOf(url).empty() || url.find('?') == std::string_view::npos;
    if (!escaped.empty() && queryOrNone && url.find('#') == std::string_view::npos
        && ADNNetworkUtilities::parameterValueForKey("zq", url) == std::nullopt) {
        FUZZ_CHECK(read == escaped);
        FUZZ_CHECK(foundation::replacingPercentEscapes(*read) == std::string(value)
            || !foundation::isValidUtf8(value));
    }
    return 0;
}
