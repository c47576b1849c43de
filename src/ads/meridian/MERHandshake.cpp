#include <ads/meridian/MERHandshake.hpp>

#include <ads/meridian/MERConfiguration.hpp>
#include <ads/meridian/MERValues.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/Locale.hpp>
#include <foundation/Paths.hpp>
#include <foundation/PropertyList.hpp>
#include <foundation/Strings.hpp>
#include <foundation/SystemInfo.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <ui/AlertView.hpp>
#include <ui/Device.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace ads::meridian {

namespace {

base::Ref<MERHandshake>& instance() {
    static base::Ref<MERHandshake> handshake;
    return handshake;
}

base::Date now() {
    return {foundation::Clock::current().wallTime()};
}

// The name the reply's "adtypes" table uses for an ad type.
char const* adTypeName(int adType) {
    switch (adType) {
    case 2:
        return "MERBannerAdBottom";
    case 3:
        return "MERBannerAdRectangle";
    case 4:
        return "MERFullScreenAdLaunch";
    case 5:
        return "MERFullScreenAdTransition";
    default:
        return "MERBannerAdTop";
    }
}

std::optional<base::Date> dateFrom(base::Dictionary const& state, std::string_view key) {
    if (auto const* date = state.objectForKey(key).date())
        return *date;
    return std::nullopt;
}

double secondsSince(base::Date date) {
    return std::fabs(now().seconds - date.seconds);
}

}

MERHandshake& MERHandshake::sharedHandshake() {
    auto& handshake = instance();
    if (!handshake)
        handshake = base::make<MERHandshake>();
    return *handshake;
}

void MERHandshake::purgeSharedHandshake() {
    instance() = nullptr;
}

MERHandshake::MERHandshake() {
    if (auto apid = foundation::UserDefaults::standardUserDefaults().stringForKey(apidDefaultsKey))
        apid_ = *apid;

    if (!foundation::PropertyList::dictionaryWithContentsOfFile(statePath())) {
        requestConfiguration();
        return;
    }
    loadState();
    parseResponseAndSetupNextHandshake(false);
    if (nextHandshakeToOccurAt_ && nextHandshakeToOccurAt_->seconds >= now().seconds)
        scheduleRequest(nextHandshakeToOccurAt_->seconds - now().seconds);
    else
        requestConfiguration();
}

MERHandshake::~MERHandshake() {
    stopRequest();
    if (nextHandshakeTimer_)
        nextHandshakeTimer_->invalidate();
}

std::string MERHandshake::statePath() {
    return foundation::stringByAppendingPathComponent(meridianFolderPath(), "merhandshake.archive");
}

std::string MERHandshake::configurationPath() const {
    auto locale = foundation::currentLocaleCodes();
    auto escaped
        = [](std::string_view value) { return foundation::addingStrictPercentEscapes(value); };
    return "appConfigServlet?apid=" + escaped(apid_) + "&merisdk=" + escaped(sdkVersion)
        + "&dv=" + escaped(ui::Device::currentDevice().systemVersion())
        + "&dm=" + escaped(foundation::hardwareMachineName())
        + "&auid=" + escaped(MERConfiguration::current().installationIdentifier) + "&language="
        + escaped(locale.language) + "&country=" + escaped(locale.country.value_or(""));
}

void MERHandshake::requestConfiguration() {
    auto const& base = MERConfiguration::current().adServerBaseURL;
    if (base.empty()) {
        logError("no ad server is configured; the handshake is not sent");
        return;
    }
    stopRequest();
    connectionData_.clear();
    connection_ = foundation::URLConnection::create(
        foundation::URLRequest(base + configurationPath()), this);
}

void MERHandshake::stopRequest() {
    if (connection_) {
        connection_->cancel();
        connection_ = nullptr;
    }
}

void MERHandshake::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    connectionData_.insert(connectionData_.end(), data.begin(), data.end());
}

void MERHandshake::connectionDidFinishLoading(foundation::URLConnection&) {
    connection_ = nullptr;
    failures_ = 0;
    std::string text(connectionData_.begin(), connectionData_.end());
    connectionData_.clear();
    takeReply(text, true);
}

void MERHandshake::takeReply(std::string_view body, bool schedule) {
    // Bytes that are not UTF-8 make no text, so no reply.
    handshakeResponse_ = foundation::isValidUtf8(body)
        ? toolkit::json::PJsonParser::parser()->objectWithString(body)
        : base::Value();
    parseResponseAndSetupNextHandshake(schedule);
}

void MERHandshake::didFailWithError(foundation::URLConnection&, foundation::URLError const& error) {
    connection_ = nullptr;
    connectionData_.clear();
    // Asked again, later each time while the network stays down; the last good
    // reply's settings stay in force meanwhile.
    auto delay = retryDelays[std::min<std::size_t>(failures_, std::size(retryDelays) - 1)];
    ++failures_;
    foundation::log(
        "MERSDK: handshake failed (%@); asking again in %.0f s", error.localizedDescription, delay);
    scheduleRequest(delay);
}

void MERHandshake::scheduleRequest(double seconds) {
    if (nextHandshakeTimer_)
        nextHandshakeTimer_->invalidate();
    nextHandshakeTimer_ = foundation::Timer::scheduledTimer(
        seconds, [this](foundation::Timer&) { requestConfiguration(); }, false);
}

void MERHandshake::parseResponseAndSetupNextHandshake(bool schedule) {
    auto const* reply = handshakeResponse_.dictionary();
    if (!reply) {
        logError("Invalid Response - No handshake");
        return;
    }
    auto const* shake = reply->objectForKey("merishake").dictionary();
    if (!shake) {
        logError("Invalid Response - No merishake");
        return;
    }
    if (auto const* errors = shake->objectForKey("errors").array(); errors && errors->size() > 0) {
        for (auto const& entry : errors->values()) {
            auto const* error = entry.dictionary();
            if (!error)
                continue;
            auto const* message = error->objectForKey("message").string();
            auto const* type = error->objectForKey("type").string();
            showError(message ? *message : std::string(), type ? *type : std::string_view());
        }
        return;
    }
    deferredviewtimeout_ = shake->objectForKey("deferredviewtimeout").floatValue();
    isAdCallAllowed_ = !shake->objectForKey("kill").boolValue();
    handshakeCallbackDuration_ = shake->objectForKey("handshakecallback").floatValue();
    adTypes_ = shake->objectForKey("adtypes");
    if (schedule) {
        setupNextHandshake();
        saveState();
    }
}

void MERHandshake::setupNextHandshake() {
    // A missing or tiny interval would ask again at once, and again after that.
    double interval = std::max<double>(handshakeCallbackDuration_, minimumCallbackDuration);
    lastHandshakeMadeAt_ = now();
    nextHandshakeToOccurAt_ = base::Date {lastHandshakeMadeAt_->seconds + interval};
    scheduleRequest(interval);
}

void MERHandshake::saveState() const {
    auto state = base::Dictionary::create();
    if (!handshakeResponse_.isNull())
        state->setObject("handshakeResponse", withoutNulls(handshakeResponse_));
    auto putDate = [&](char const* key, std::optional<base::Date> const& date) {
        if (date)
            state->setObject(key, *date);
    };
    putDate("lastHandshakeMadeAt", lastHandshakeMadeAt_);
    putDate("nextHandshakeToOccurAt", nextHandshakeToOccurAt_);
    putDate("lastVideoPlayedAt", lastVideoPlayedAt_);
    putDate("lastVideoRequestMadeAt", lastVideoRequestMadeAt_);
    foundation::PropertyList::writeToFile(state, statePath());
}

void MERHandshake::loadState() {
    auto state = foundation::PropertyList::dictionaryWithContentsOfFile(statePath());
    if (!state)
        return;
    handshakeResponse_ = state->objectForKey("handshakeResponse");
    lastHandshakeMadeAt_ = dateFrom(*state, "lastHandshakeMadeAt");
    nextHandshakeToOccurAt_ = dateFrom(*state, "nextHandshakeToOccurAt");
    lastVideoPlayedAt_ = dateFrom(*state, "lastVideoPlayedAt");
    lastVideoRequestMadeAt_ = dateFrom(*state, "lastVideoRequestMadeAt");
}

void MERHandshake::setLastVideoPlayedAt(base::Date date) {
    lastVideoPlayedAt_ = date;
    saveState();
}

void MERHandshake::setLastVideoRequestMadeAt(base::Date date) {
    lastVideoRequestMadeAt_ = date;
    saveState();
}

bool MERHandshake::isDeferredTimeoutExpired() const {
    return lastVideoRequestMadeAt_
        && secondsSince(*lastVideoRequestMadeAt_) >= deferredviewtimeout_;
}

bool MERHandshake::isVideoAdRequestAllowed() const {
    return !lastVideoPlayedAt_ || secondsSince(*lastVideoPlayedAt_) >= adConfig().videoInterval;
}

MERAdTypeConfiguration MERHandshake::configurationFromDictionary(base::Value const& entry) {
    MERAdTypeConfiguration configuration;
    auto const* table = entry.dictionary();
    if (!table)
        return configuration;
    auto const& refresh = table->objectForKey("adrefresh");
    auto const* refreshText = refresh.string();
    if (!(refreshText && *refreshText == "sdk") && refresh.floatValue() > 0)
        configuration.adRefresh = refresh.floatValue();
    if (auto const& interval = table->objectForKey("videointerval"); interval.floatValue() > 0)
        configuration.videoInterval = interval.floatValue();
    return configuration;
}

MERAdTypeConfiguration MERHandshake::configurationForAdType(int adType) const {
    MERAdTypeConfiguration configuration;
    if (auto const* table = adTypes_.dictionary())
        configuration = configurationFromDictionary(table->objectForKey(adTypeName(adType)));
    configuration.adType = adType;
    return configuration;
}

MERAdTypeConfiguration MERHandshake::adConfig() const {
    return adType_ != 0 ? configurationForAdType(adType_) : MERAdTypeConfiguration {};
}

void MERHandshake::showError(std::string const& message, std::string_view type) {
    if (type == "prompt") {
        ui::AlertView::create("Handshake Error", message, nullptr, "OK")->show();
        return;
    }
    foundation::log("MERSDK: %@", message);
}

void MERHandshake::logError(std::string const& message) {
    showError(message, "log");
}

}
