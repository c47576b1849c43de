#include <ads/howdy/HowdySDK.hpp>

#include <ads/howdy/HZExplainScreenView.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLRequest.hpp>
#include <ui/AlertView.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>

#include <charconv>
#include <vector>

namespace ads::howdy {

namespace {

HowdyConfiguration& configuration() {
    static HowdyConfiguration value;
    return value;
}

base::Ref<HowdySDK>& shared() {
    static base::Ref<HowdySDK> value;
    return value;
}

// The numbers of a dotted version ("4.3.1" -> 4, 3, 1); a part that is no number
// counts as 0.
std::vector<long> versionParts(std::string_view version) {
    std::vector<long> parts;
    while (true) {
        auto dot = version.find('.');
        auto part = version.substr(0, dot);
        long value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        parts.push_back(value);
        if (dot == std::string_view::npos)
            return parts;
        version.remove_prefix(dot + 1);
    }
}

// Compares two dotted versions part by part, missing parts as 0.
int compareVersions(std::string_view a, std::string_view b) {
    auto x = versionParts(a);
    auto y = versionParts(b);
    for (std::size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
        long p = i < x.size() ? x[i] : 0;
        long q = i < y.size() ? y[i] : 0;
        if (p != q)
            return p < q ? -1 : 1;
    }
    return 0;
}

std::string const* firstString(base::Value const& value) {
    if (auto const* array = value.array(); array && array->size() > 0)
        return array->at(0).string();
    return nullptr;
}

}

void HowdyConfiguration::setUp(HowdyConfiguration value) {
    configuration() = std::move(value);
}

HowdyConfiguration const& HowdyConfiguration::current() {
    return configuration();
}

void HowdyConfiguration::reset() {
    configuration() = {};
}

HowdySDK::HowdySDK(std::string appId, std::optional<std::string> appURL)
    : appId_(std::move(appId))
    , appURL_(std::move(appURL)) {
}

HowdySDK* HowdySDK::install(base::Ref<HowdySDK> sdk) {
    shared() = std::move(sdk);
    shared()->logAnalyticsEvent("howdy-start");
    return shared().get();
}

HowdySDK* HowdySDK::startHowdyWithAppId(std::string const& appId) {
    return install(base::make<HowdySDK>(appId, appURLSchema()));
}

HowdySDK* HowdySDK::startHowdyWithAppId(
    std::string const& appId, std::optional<std::string> const& appURL) {
    return install(base::make<HowdySDK>(appId, appURL));
}

HowdySDK* HowdySDK::sharedSDK() {
    return shared().get();
}

void HowdySDK::resetSharedSDK() {
    shared() = nullptr;
}

bool HowdySDK::isSupported() {
    return compareVersions(ui::Device::currentDevice().systemVersion(), "4.0") >= 0;
}

bool HowdySDK::canOpenHowdy() {
    return ui::Application::sharedApplication().canOpenURL(CheckinURL);
}

void HowdySDK::openAppStore() {
    auto const& host = HowdyConfiguration::current().appStoreHost;
    if (host.empty()) {
        foundation::log("Howdy: no store host configured; the store page is not opened");
        return;
    }
    ui::Application::sharedApplication().openExternalURL(
        foundation::format("https://%@/us/app/howdy/id000000000?mt=8", host));
}

std::optional<std::string> HowdySDK::appURLSchema() {
    auto types = foundation::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleURLTypes");
    auto const* array = types.array();
    if (!array)
        return std::nullopt;
    for (std::size_t i = 0; i < array->size(); ++i) {
        auto const* type = array->at(i).dictionary();
        if (!type)
            continue;
        auto const& schemes = type->objectForKey("CFBundleURLSchemes");
        if (!schemes.array())
            continue;
        if (auto const* scheme = firstString(schemes))
            return foundation::format("%@://", *scheme);
        return std::nullopt;
    }
    return std::nullopt;
}

std::string HowdySDK::deviceId() {
    return HowdyConfiguration::current().deviceId;
}

std::string HowdySDK::defaultAppName() {
    return foundation::Bundle::mainBundle()
        .objectForInfoDictionaryKey("CFBundleName")
        .stringValue();
}

base::Ref<ui::Image> HowdySDK::appImage() {
    auto& bundle = foundation::Bundle::mainBundle();
    auto const files = bundle.objectForInfoDictionaryKey("CFBundleIconFiles");
    auto const file = bundle.objectForInfoDictionaryKey("CFBundleIconFile");
    std::string name;
    if (auto const* first = firstString(files))
        name = *first;
    else if (auto const* single = file.string())
        name = *single;
    if (name.empty())
        return nullptr;
    return ui::Image::imageNamed(name);
}

void HowdySDK::checkin() {
    checkinWithMessage(std::string());
}

void HowdySDK::checkinWithMessage(std::optional<std::string> const& message) {
    base::Ref<HowdySDK> keep(this);
    logAnalyticsEvent("checkin-button-clicked");
    if (canOpenHowdy())
        openHowdyWithMessage(message);
    else
        openExplainModalWithMessage(message);
}

std::string HowdySDK::checkinURLWithMessage(std::optional<std::string> const& message) const {
    auto url = foundation::format("%@?app_store_id=%@&next=%@", CheckinURL,
        foundation::addingStrictPercentEscapes(appId_),
        foundation::addingStrictPercentEscapes(appURL_.value_or("")));
    if (message && !message->empty())
        url += "&message=" + foundation::addingStrictPercentEscapes(*message);
    return url;
}

void HowdySDK::openHowdyWithMessage(std::optional<std::string> const& message) {
    ui::Application::sharedApplication().openExternalURL(checkinURLWithMessage(message));
}

void HowdySDK::openExplainModalWithMessage(std::optional<std::string> const& message) {
    if (!isSupported()) {
        ui::AlertView::create("You need to upgrade!",
            "Your version of iOS is out of date. To use Howdy, you will first need to upgrade "
            "iOS. Plug your device into your computer and start iTunes.",
            nullptr, "OK")
            ->show();
        return;
    }
    auto screen = HZExplainScreenView::init();
    if (appName_ && !appName_->empty())
        screen->setAppName(*appName_);
    else if (auto name = defaultAppName(); !name.empty())
        screen->setAppName(name);
    else
        screen->setAppName("this game");
    screen->setTag(HZExplainScreenView::Tag);
    screen->setSdk(base::Ref<HowdySDK>(this));
    if (message)
        screen->setMessage(*message);
    screen->show();
}

void HowdySDK::logAnalyticsEvent(std::string const& event) {
    requestURL("track_sdk_event",
        *base::Dictionary::create({{"device_id", deviceId()}, {"for_game_store_id", appId_},
            {"type", event}, {"platform", "iphone"}}));
}

void HowdySDK::requestURL(std::string const& path, base::Dictionary const& params) {
    auto const& endpoint = HowdyConfiguration::current().webEndpoint;
    if (endpoint.empty()) {
        foundation::log("Howdy: no check-in service configured; %@ is not sent", path);
        return;
    }
    std::string query;
    for (auto const& key : params.keys()) {
        auto const* value = params.objectForKey(key).string();
        if (!value)
            continue;
        query += (query.empty() ? "" : "&") + foundation::addingStrictPercentEscapes(key) + "="
            + foundation::addingStrictPercentEscapes(*value);
    }
    auto url = endpoint;
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    url += "/mobile/" + path;
    if (!query.empty())
        url += "?" + query;
    foundation::URLConnection::connectionWithRequest(
        foundation::URLRequest::requestWithURL(url), this);
}

}
