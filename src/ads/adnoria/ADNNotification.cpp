#include <ads/adnoria/ADNNotification.hpp>

#include <ads/adnoria/ADNNetworkUtilities.hpp>

#include <foundation/Format.hpp>

namespace ads::adnoria {

namespace {

bool isSchemeCharacter(char c, bool first) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (first)
        return letter;
    return letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}

ADNURLComponents ADNURLComponents::split(std::string_view url) {
    ADNURLComponents parts;
    auto colon = url.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        bool valid = true;
        for (std::size_t i = 0; i < colon && valid; ++i)
            valid = isSchemeCharacter(url[i], i == 0);
        if (valid) {
            parts.scheme = std::string(url.substr(0, colon));
            url.remove_prefix(colon + 1);
        }
    }
    if (auto hash = url.find('#'); hash != std::string_view::npos)
        url = url.substr(0, hash);
    if (auto question = url.find('?'); question != std::string_view::npos) {
        parts.query = std::string(url.substr(question + 1));
        url = url.substr(0, question);
    }
    if (url.starts_with("//")) {
        url.remove_prefix(2);
        auto slash = url.find('/');
        parts.host = std::string(url.substr(0, slash));
        url = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
    }
    parts.path = std::string(url);
    return parts;
}

bool ADNNotification::isNotificationURL(std::string_view url) {
    return isANMSGNotificationURL(url) || isAdnoriaNotificationURL(url);
}

bool ADNNotification::isANMSGNotificationURL(std::string_view url) {
    return ADNURLComponents::split(url).scheme == "anmsg";
}

bool ADNNotification::isAdnoriaNotificationURL(std::string_view url) {
    return ADNURLComponents::split(url).scheme == "adnoria";
}

base::Ref<ADNNotification> ADNNotification::notificationFromURL(std::string_view url) {
    auto parts = ADNURLComponents::split(url);
    auto notification = base::make<ADNNotification>();
    if (parts.scheme == "anmsg") {
        notification->name_ = parts.path.starts_with('/') ? parts.path.substr(1) : parts.path;
        notification->parameters_ = ADNNetworkUtilities::dictionaryFromQueryString(parts.query);
        return notification;
    }
    if (parts.scheme != "adnoria")
        return nullptr;
    auto query = ADNNetworkUtilities::dictionaryFromQueryString(parts.query);
    if (parts.host == "launch") {
        notification->name_ = "open";
        auto parameters = base::Dictionary::create();
        parameters->setObject("a", "browser");
        if (auto const* target = query->find("url"))
            parameters->setObject("u", *target);
        notification->parameters_ = parameters;
    } else if (parts.host == "closecanvas") {
        notification->name_ = "close";
    } else if (parts.host == "log") {
        notification->name_ = "log";
        notification->parameters_ = query;
    } else {
        return nullptr;
    }
    return notification;
}

std::string ADNNotification::description() const {
    return foundation::format("%@<%p>: name:%@ parameters:%@", "ADNNotification",
        static_cast<void const*>(this), name_,
        parameters_ ? base::Value(parameters_).description() : std::string("(null)"));
}

}
