#include <game/shell/Utilities.hpp>

#include <foundation/Dates.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/Strings.hpp>
#include <foundation/TimeZone.hpp>
#include <foundation/URLParts.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/DeviceSettings.hpp>
#include <game/shell/ServerConfig.hpp>
#include <ui/Application.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace game {

namespace {

// Reachable without a connection having to be dialled first.
bool reachableWithoutConnecting(std::optional<std::uint32_t> flags) {
    if (!flags)
        return false;
    return (*flags & foundation::ReachabilityFlags::Reachable)
        && !(*flags & foundation::ReachabilityFlags::ConnectionRequired);
}

std::optional<std::string> textOrNone(std::string const& text) {
    if (text.empty())
        return std::nullopt;
    return text;
}

}

// --- the device ---

bool Utilities::isiPad() {
    return DeviceSettings::current().idiom == DeviceSettings::Idiom::Pad;
}

float Utilities::getOSVersion() {
    return base::Value(DeviceSettings::current().systemVersion).floatValue();
}

std::string Utilities::getDeviceName() {
    return DeviceSettings::current().name;
}

// --- the network ---

bool Utilities::reachable(std::string_view address) {
    auto escaped = foundation::addingPercentEscapes(address, foundation::StringEncoding::Ascii);
    if (!escaped)
        return false;
    auto url = foundation::URLParts::parse(*escaped);
    if (!url || url->host.empty())
        return false;
    auto target = foundation::Reachability::reachabilityWithHostName(url->host);
    return target && reachableWithoutConnecting(target->flags());
}

bool Utilities::haveInternetConnection() {
    auto target = foundation::Reachability::reachabilityForInternetConnection();
    return target && reachableWithoutConnecting(target->flags());
}

void Utilities::showInternetConnectionAlert() {
    AlertPresenter::shared().showAlert(
        "Connection Error", "Please make sure your device is connected to the Internet.", "OK");
}

// --- conversions ---

std::string Utilities::getMD5(std::string_view text) {
    return foundation::Digest::hashHex(
        foundation::Digest::Algorithm::MD5, text, foundation::HexCase::Upper);
}

base::Date Utilities::convertDateToLocalTimeZone(base::Date date, std::string_view timeZoneName) {
    auto zone = foundation::TimeZone::named(timeZoneName);
    int from = zone ? zone->secondsFromGMT(date) : 0;
    int to = foundation::TimeZone::local().secondsFromGMT(date);
    return {date.seconds - from + to};
}

std::string Utilities::formatNumber(int number) {
    auto magnitude = std::to_string(std::llabs(static_cast<long long>(number)));
    std::string grouped;
    for (std::size_t i = 0; i < magnitude.size(); ++i) {
        if (i > 0 && (magnitude.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(magnitude[i]);
    }
    return number < 0 ? "-" + grouped : grouped;
}

float Utilities::inBetweenFromValue(float a, float b, float percentage) {
    if (a < b)
        return a + (b - a) * percentage;
    if (b < a)
        return a - (a - b) * percentage;
    return b;
}

void Utilities::logCurrentTime() {
    foundation::log("%@", foundation::now());
}

void Utilities::logError(foundation::URLError const* error) {
    if (!error) {
        base::logLine("Error log is null!");
        return;
    }
    // The errors of this platform carry no recovery suggestion.
    foundation::log("%@\n%@\n%@", error->localizedDescription, textOrNone(error->failureReason),
        std::optional<std::string>());
}

// --- view fades ---

void Utilities::fadeInUIView(ui::View& view, float speed) {
    if (view.alpha() < 1)
        view.setAlpha(view.alpha() + speed * 0.1f);
}

void Utilities::fadeOutUIView(ui::View& view, float speed) {
    if (view.alpha() > 0)
        view.setAlpha(view.alpha() - speed * 0.1f);
}

void Utilities::flashUIView(ui::View& view, float speed) {
    auto ticks = static_cast<std::int64_t>(foundation::now().seconds * speed * 1000);
    float target = float(ticks % 2000) * 0.001f;
    if (target > 1)
        target = 2 - target;
    float step = speed * 0.1f;
    float alpha = view.alpha();
    if (std::fabs(target - alpha) <= step)
        view.setAlpha(target);
    else
        view.setAlpha(alpha < target ? alpha + step : alpha - step);
}

// --- store links ---

void Utilities::launchAppStore(std::string_view applicationID) {
    auto url = foundation::format("https://%@/WebObjects/MZStore.woa/wa/viewSoftware?id=%@&mt=8",
        ServerConfig::appStoreHost(), applicationID);
    ui::Application::sharedApplication().openExternalURL(url);
}

void Utilities::launchAppStoreReview(std::string_view applicationID) {
    if (isiPad()) {
        launchAppStore(applicationID);
        return;
    }
    auto url = foundation::format("itms-apps://%@/WebObjects/MZStore.woa/wa/"
                                  "viewContentsUserReviews?type=Purple+Software&id=%@",
        ServerConfig::appStoreHost(), applicationID);
    ui::Application::sharedApplication().openExternalURL(url);
}

}
