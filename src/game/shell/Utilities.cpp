#include <game/shell/Utilities.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Dates.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Random.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Strings.hpp>
#include <foundation/TimeZone.hpp>
#include <foundation/URLParts.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/ServerConfig.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace game {

namespace {

// Where downloaded and unpacked content lives, as the device names it.
constexpr char const* dataFolder = "/var/mobile/Library/Marrowby";
// The installation's identifier, in the sandbox's Library folder.
constexpr char const* identifierFile = "DeviceIdentifier";
constexpr std::size_t identifierLength = 40;
constexpr char const* installationList = "com.apple.mobile.installation.plist";

bool isIdentifier(std::string_view text) {
    return text.size() == identifierLength
        && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string newIdentifier() {
    // A generator of its own, seeded from the system: seeding the shared one for a
    // scripted play must not make every installation's identifier the same.
    foundation::Arc4Random generator;
    std::string identifier;
    static constexpr char digits[] = "0123456789abcdef";
    while (identifier.size() < identifierLength)
        identifier.push_back(digits[generator.uniform(16)]);
    return identifier;
}

// Paths the device names ("/var/mobile/...", "~/...") map into the sandbox; any
// other path (the bundle's, the sandbox's own) is a path on this machine already.
std::string machinePath(std::string_view path) {
    if (path.starts_with("/var/mobile") || path.starts_with("/private/var/mobile")
        || path.starts_with("~")) {
        if (auto mapped = foundation::Sandbox::devicePath(path))
            return *mapped;
    }
    return std::string(path);
}

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
    return ui::Device::currentDevice().isPad();
}

float Utilities::getOSVersion() {
    return base::Value(ui::Device::currentDevice().systemVersion()).floatValue();
}

std::string Utilities::getDeviceName() {
    return ui::Device::currentDevice().name();
}

std::string Utilities::getUDID() {
    auto path = foundation::Sandbox::libraryPath() + "/" + identifierFile;
    // Written once per installation, so no later write would clear what a write
    // killed midway left beside it.
    foundation::AtomicFile::removeStaleTemporaries(path);
    if (auto stored = foundation::AtomicFile::read(path, 1024)) {
        std::string text(stored->begin(), stored->end());
        if (isIdentifier(text))
            return text;
        base::logLine("The installation identifier was unreadable; a new one was made");
    }
    auto identifier = newIdentifier();
    foundation::AtomicFile::write(path, identifier);
    return identifier;
}

// --- files ---

std::optional<std::string> Utilities::getPathForResource(std::string_view fileName) {
    auto dot = fileName.rfind('.');
    auto& bundle = foundation::Bundle::mainBundle();
    if (dot == std::string_view::npos)
        return bundle.pathForResource(fileName, "");
    return bundle.pathForResource(fileName.substr(0, dot), fileName.substr(dot + 1));
}

std::optional<std::string> Utilities::getPathForSavedData(std::string_view fileName) {
    auto folder = foundation::Sandbox::devicePath(dataFolder);
    if (!folder)
        return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(*folder, error);
    auto path = foundation::Sandbox::safeJoin(*folder, fileName);
    if (!path)
        foundation::log(
            "Refused the data file name \"%@\": it leads out of the data folder", fileName);
    return path;
}

bool Utilities::isFileExist(std::string_view path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(machinePath(path), error);
}

void Utilities::deleteFile(std::string_view path) {
    // Only what the game keeps in its sandbox may go, and never the sandbox whole.
    auto target = foundation::Sandbox::devicePath(path);
    if (!target || *target == foundation::Sandbox::root())
        return;
    std::error_code error;
    std::filesystem::remove_all(*target, error);
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

namespace {

// The configured store host, or nothing (with a logged line) when none is set.
std::optional<std::string> storeHost() {
    auto host = ServerConfig::appStoreHost();
    if (host.empty()) {
        base::logLine("No application store host is configured; the store link is not opened.");
        return std::nullopt;
    }
    return host;
}

}

void Utilities::launchAppStore(std::string_view applicationID) {
    auto host = storeHost();
    if (!host)
        return;
    auto url = foundation::format(
        "https://%@/WebObjects/MZStore.woa/wa/viewSoftware?id=%@&mt=8", *host, applicationID);
    ui::Application::sharedApplication().openExternalURL(url);
}

void Utilities::launchAppStoreReview(std::string_view applicationID) {
    if (isiPad()) {
        launchAppStore(applicationID);
        return;
    }
    auto host = storeHost();
    if (!host)
        return;
    auto url = foundation::format("itms-apps://%@/WebObjects/MZStore.woa/wa/"
                                  "viewContentsUserReviews?type=Purple+Software&id=%@",
        *host, applicationID);
    ui::Application::sharedApplication().openExternalURL(url);
}

bool Utilities::checkAppInstalled(std::string_view bundleIdentifier) {
    // The platform keeps its list of installed applications in the caches of the
    // home folder. (The list was also looked for two folders above the home
    // folder, which lies outside the sandbox here, so that place is not read.)
    auto path = foundation::Sandbox::cachesPath() + "/" + installationList;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    auto list = foundation::PropertyList::dictionaryWithContentsOfFile(path);
    if (!list)
        return false;
    for (char const* group : {"System", "User"}) {
        auto const* applications = list->objectForKey(group).dictionary();
        if (applications && applications->contains(bundleIdentifier))
            return true;
    }
    return false;
}

}
