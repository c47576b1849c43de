#include <ads/adnoria/ADNStatistics.hpp>

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNSignals.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLParts.hpp>
#include <foundation/UserDefaults.hpp>

#include <cmath>

namespace ads::adnoria {

namespace {

// The shared instance saves itself when it goes, through the standard user defaults
// (which name their file by the main bundle). The slot is made after those, so that at
// exit it is destroyed before them and its last save still finds them.
struct SharedSlot {
    SharedSlot() { foundation::UserDefaults::standardUserDefaults(); }
    base::Ref<ADNStatistics> statistics;
};

base::Ref<ADNStatistics>& sharedStorage() {
    static SharedSlot slot;
    return slot.statistics;
}

// The host name of the configured ad host, which may be given with or without a
// scheme and port.
std::string adNetworkDomain() {
    std::string host = ADNConfiguration::current().adHost;
    if (host.find("://") != std::string::npos) {
        auto parts = foundation::URLParts::parse(host);
        return parts ? parts->host : std::string();
    }
    auto end = host.find_first_of(":/");
    return foundation::lowercase(host.substr(0, end));
}

bool isBridgeURL(std::string const& url) {
    auto lower = foundation::lowercase(url);
    return foundation::hasPrefix(lower, "anmsg:") || foundation::hasPrefix(lower, "adnoria:");
}

}

ADNStatistics& ADNStatistics::sharedStatistics() {
    auto& statistics = sharedStorage();
    if (!statistics)
        statistics = base::make<ADNStatistics>();
    return *statistics;
}

void ADNStatistics::releaseSharedStatistics() {
    sharedStorage() = nullptr;
}

ADNStatistics::ADNStatistics()
    : statistics_(ADNStatisticsCore::initWithIdentifier("shared"))
    , timingMgr_(ADNTimingManager::initWithIdentifier("shared")) {
}

std::array<char const*, 8> const& ADNStatistics::allTimingNames() {
    static std::array<char const*, 8> const names {
        "prl", "pcl", "pai", "ppcl", "pcrl", "plpl", "plpd", "ptime"};
    return names;
}

void ADNStatistics::incrementClickCount() {
    statistics_->addValue(1, "pcc");
}

void ADNStatistics::resetClickCount() {
    statistics_->setNumber(0, "pcc");
}

void ADNStatistics::incrementPageNavigationCount() {
    statistics_->addValue(1, "plpnc");
}

void ADNStatistics::resetPageNavigationCount() {
    statistics_->setNumber(0, "plpnc");
}

void ADNStatistics::incrementSSLPageNavigationCount() {
    statistics_->addValue(1, "plpsnc");
}

void ADNStatistics::resetSSLPageNavigationCount() {
    statistics_->setNumber(0, "plpsnc");
}

void ADNStatistics::incrementAdRequestCount() {
    statistics_->addValue(1, "preqs");
}

void ADNStatistics::setAdRequestCount(std::int64_t count) {
    statistics_->setNumber(count, "preqs");
}

std::int64_t ADNStatistics::adRequestCount() const {
    return statistics_->numberForKey("preqs").longLongValue();
}

void ADNStatistics::setFlagWithParameterName(std::string const& name) {
    statistics_->setNumber(1, name);
}

void ADNStatistics::resetFlagWithParameterName(std::string const& name) {
    statistics_->removeObjectForKey(name);
}

void ADNStatistics::startTimingNamed(std::string const& name) {
    timingMgr_->removeTimingForCategory(name);
    timingMgr_->addTimingWithCategory(name)->start();
}

void ADNStatistics::endTimingNamed(std::string const& name) {
    if (auto timing = timingMgr_->timingForCategory(name))
        timing->end();
}

base::Ref<ADNTiming> ADNStatistics::timingNamed(std::string const& name) const {
    return timingMgr_->timingForCategory(name);
}

void ADNStatistics::removeTimingNamed(std::string const& name) {
    timingMgr_->removeTimingForCategory(name);
}

bool ADNStatistics::isTimingClick() const {
    auto timing = timingNamed("pcl");
    return timing && timing->isActive();
}

void ADNStatistics::synchronize() {
    statistics_->synchronize();
    timingMgr_->synchronize();
}

std::string ADNStatistics::urlForClick(std::string const& url) {
    if (isBridgeURL(url) || url == "about:blank")
        return url;
    incrementClickCount();
    startTimingNamed("pcl");
    startTimingNamed("pcrl");
    endTimingNamed("ppcl");
    auto click = timingNamed("pcl");
    click->setValue(base::Date {foundation::Clock::current().wallTime()}, "date");
    std::string result = url;
    auto ai = ADNNetworkUtilities::parameterValueForKey("ai", url);
    if (ai && !ai->empty()) {
        click->setValue(*ai, "pai");
        std::string signal;
        if (ADNSignals::clickSignalText(*ai, &signal) && !signal.empty())
            result = ADNNetworkUtilities::appendQueryKey(signal, std::nullopt, result);
    }
    endTimingNamed("pcrl");
    return result;
}

base::Ref<base::Dictionary> ADNStatistics::parameters() {
    auto result = base::Dictionary::create();
    auto click = timingNamed("pcl");
    if (!click)
        removeTimingNamed("ppcl");
    std::int64_t clickDuration = 0;
    if (click) {
        if (statistics_->numberForKey("pclb").longLongValue() != 0) {
            auto stored = click->valueForKey("date");
            if (auto const* date = stored.date()) {
                double seconds = std::fabs(foundation::Clock::current().wallTime() - date->seconds);
                clickDuration = std::int64_t(seconds * 1000.0);
            }
        }
        click->removeValueForKey("date");
    }
    for (char const* name : allTimingNames()) {
        auto timing = timingNamed(name);
        if (!timing)
            continue;
        result->setObject(name, timing->elapsedMillisecondsString());
        auto values = timing->keysAndValues();
        for (auto const& [key, value] : *values)
            result->setObject(key, value);
        if (std::string_view(name) != "ptime")
            removeTimingNamed(name);
    }
    if (clickDuration != 0)
        result->setObject("pcl", clickDuration);
    for (char const* key :
        {"preqs", "pcbo", "aoi_timedout", "aoi_nofill", "pclb", "plpnc", "plpsnc", "pcc"}) {
        auto value = statistics_->numberForKey(key);
        if (value.longLongValue() != 0)
            result->setObject(key, value);
    }
    for (char const* flag : {"pcbo", "aoi_timedout", "aoi_nofill", "pclb"})
        resetFlagWithParameterName(flag);
    resetPageNavigationCount();
    resetSSLPageNavigationCount();
    resetClickCount();
    return result;
}

void ADNStatistics::addClickTrackingURL(std::string const& url) {
    auto parts = foundation::URLParts::parse(url);
    auto domain = adNetworkDomain();
    if (!parts || domain.empty() || !foundation::hasSuffix(parts->host, domain))
        return;
    if (parts->path.size() < 5)
        return;
    if (auto click = timingNamed("pcl"))
        click->setValue(parts->path.substr(4), "pit");
}

}
