#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/Strings.hpp>

namespace ads::adnoria {

namespace {
std::optional<std::string>& userAgentStorage() {
    static std::optional<std::string> userAgent;
    return userAgent;
}
}

std::optional<std::string> const& ADNNetworkUtilities::userAgentString() {
    return userAgentStorage();
}

void ADNNetworkUtilities::setUserAgentString(std::string_view userAgent) {
    if (userAgent.empty() || userAgentStorage() == userAgent)
        return;
    userAgentStorage() = std::string(userAgent);
}

void ADNNetworkUtilities::resetUserAgentString() {
    userAgentStorage().reset();
}

std::string ADNNetworkUtilities::encodeURL(std::string_view text) {
    return foundation::addingStrictPercentEscapes(text);
}

std::string_view ADNNetworkUtilities::queryOf(std::string_view url) {
    auto hash = url.find('#');
    if (hash != std::string_view::npos)
        url = url.substr(0, hash);
    auto question = url.find('?');
    if (question == std::string_view::npos)
        return {};
    return url.substr(question + 1);
}

std::string ADNNetworkUtilities::appendQueryParameters(
    base::Dictionary const& parameters, std::string_view url) {
    std::string result(url);
    char const* separator = queryOf(url).empty() ? "?" : "&";
    for (auto const& [key, value] : parameters) {
        result += separator;
        separator = "&";
        result += key;
        auto escaped = encodeURL(value.isString() ? *value.string() : value.description());
        if (!escaped.empty())
            result += "=" + escaped;
    }
    return result;
}

std::string ADNNetworkUtilities::appendQueryKey(
    std::string_view key, std::optional<std::string_view> value, std::string_view url) {
    auto parameters = base::Dictionary::create();
    parameters->setObject(key, std::string(value.value_or("")));
    return appendQueryParameters(*parameters, url);
}

std::optional<std::string> ADNNetworkUtilities::parameterValueForKey(
    std::string_view key, std::string_view url) {
    for (auto const& part : foundation::componentsSeparatedBy(queryOf(url), "&")) {
        auto pieces = foundation::componentsSeparatedBy(part, "=");
        if (pieces.size() >= 2 && pieces[0] == key)
            return pieces[1];
    }
    return std::nullopt;
}

base::Ref<base::Dictionary> ADNNetworkUtilities::dictionaryFromQueryString(
    std::optional<std::string_view> query) {
    auto result = base::Dictionary::create();
    if (!query)
        return result;
    std::string_view text = *query;
    std::size_t position = 0;
    while (position <= text.size()) {
        auto end = text.find_first_of("&;", position);
        if (end == std::string_view::npos)
            end = text.size();
        auto pair = text.substr(position, end - position);
        position = end + 1;
        if (pair.empty())
            continue;
        auto pieces = foundation::componentsSeparatedBy(pair, "=");
        if (pieces.size() != 2)
            continue;
        auto key = foundation::replacingPercentEscapes(pieces[0]);
        auto value = foundation::replacingPercentEscapes(pieces[1]);
        if (key && value)
            result->setObject(foundation::lowercase(*key), *value);
    }
    return result;
}

}
