#include <ads/marquee/MQAPIRequest.hpp>

#include <ads/marquee/MQConfiguration.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Strings.hpp>
#include <ui/Device.hpp>

#include <algorithm>
#include <cstdlib>

namespace ads::marquee {

namespace {

std::optional<MQDeviceInfo>& installedInfo() {
    static std::optional<MQDeviceInfo> info;
    return info;
}

// The user's locale as the environment names it ("fr_CA" from "fr_CA.UTF-8"); the C
// locale reads as English in the United States.
std::pair<std::optional<std::string>, std::optional<std::string>> localeCodes() {
    for (char const* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        char const* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string text(value);
        text = text.substr(0, text.find_first_of(".@"));
        if (text == "C" || text == "POSIX" || text.empty())
            break;
        auto separator = text.find_first_of("_-");
        std::optional<std::string> language = text.substr(0, separator);
        std::optional<std::string> country;
        if (separator != std::string::npos && separator + 1 < text.size())
            country = text.substr(separator + 1);
        return {country, language};
    }
    return {std::string("US"), std::string("en")};
}

}

void MQParams::set(std::string key, std::string value) {
    for (auto& entry : entries_) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::move(key), std::move(value));
}

std::string const* MQParams::find(std::string_view key) const {
    for (auto const& entry : entries_) {
        if (entry.first == key)
            return &entry.second;
    }
    return nullptr;
}

MQDeviceInfo MQDeviceInfo::current() {
    if (installedInfo())
        return *installedInfo();
    MQDeviceInfo info;
    auto& device = ui::Device::currentDevice();
    info.model = device.isPad() ? "iPad" : "iPhone";
    info.os = device.systemVersion();
    info.ui = int(device.userInterfaceIdiom());
    auto [country, language] = localeCodes();
    info.country = std::move(country);
    info.language = std::move(language);
    auto version = foundation::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion");
    if (auto const* text = version.string())
        info.bundle = *text;
    return info;
}

void MQDeviceInfo::setOverride(std::optional<MQDeviceInfo> info) {
    installedInfo() = std::move(info);
}

base::Ref<MQAPIRequest> MQAPIRequest::requestWithController(
    std::string controller, std::string action) {
    return base::make<MQAPIRequest>(std::move(controller), std::move(action));
}

void MQAPIRequest::appendBodyArgumentKey(std::string key, std::string value) {
    if (!body_)
        body_.emplace();
    body_->set(std::move(key), std::move(value));
}

void MQAPIRequest::appendQueryArgumentKey(std::string key, std::string value) {
    if (!query_)
        query_.emplace();
    query_->set(std::move(key), std::move(value));
}

void MQAPIRequest::appendDeviceInfoParams() {
    auto info = MQDeviceInfo::current();
    appendBodyArgumentKey("model", info.model);
    appendBodyArgumentKey("os", info.os);
    appendBodyArgumentKey("ui", std::to_string(info.ui));
    appendBodyArgumentKey("uuid", MQConfiguration::current().installationIdentifier);
    if (info.country)
        appendBodyArgumentKey("country", *info.country);
    if (info.language)
        appendBodyArgumentKey("language", *info.language);
    if (info.bundle)
        appendBodyArgumentKey("bundle", *info.bundle);
    appendBodyArgumentKey("sdk", SDKVersion);
}

std::string MQAPIRequest::serializeDictionaryToStringForSignature(MQParams const& dictionary) {
    std::vector<MQParams::Entry const*> sorted;
    for (auto const& entry : dictionary.entries()) {
        if (entry.first != "app" && entry.first != "signature")
            sorted.push_back(&entry);
    }
    std::sort(sorted.begin(), sorted.end(),
        [](auto const* left, auto const* right) { return left->first < right->first; });
    std::string text;
    for (auto const* entry : sorted)
        text += entry->first + ":" + entry->second + ";";
    return text;
}

std::string MQAPIRequest::signatureText(
    std::string const& appId, std::string const& appSignature) const {
    std::string text = "controller:" + controller_ + ";action:" + action_ + ";";
    if (query_)
        text += serializeDictionaryToStringForSignature(*query_);
    if (body_)
        text += serializeDictionaryToStringForSignature(*body_);
    if (params_) {
        for (std::size_t index = 0; index < params_->size(); ++index)
            text += std::to_string(index) + ":" + (*params_)[index] + ";";
    }
    text += "app:" + appId + ";signature:" + appSignature + ";";
    return text;
}

void MQAPIRequest::signWithAppId(std::string const& appId, std::string const& appSignature) {
    auto digest = foundation::Digest::hashHex(
        foundation::Digest::Algorithm::MD5, signatureText(appId, appSignature));
    appendBodyArgumentKey("app", appId);
    appendBodyArgumentKey("signature", std::move(digest));
}

std::string MQEncodePairs(MQParams const& pairs) {
    std::string text;
    for (auto const& [key, value] : pairs.entries()) {
        text += foundation::addingStrictPercentEscapes(key);
        text += '=';
        text += foundation::addingStrictPercentEscapes(value);
        text += '&';
    }
    return text;
}

}
