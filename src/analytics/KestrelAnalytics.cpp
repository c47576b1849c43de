#include <analytics/KestrelAnalytics.hpp>

#include <analytics/KestrelDates.hpp>
#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelHeartBeater.hpp>
#include <analytics/KestrelPageViewDelegate.hpp>
#include <analytics/KestrelProtocolData.hpp>
#include <analytics/KestrelSession.hpp>
#include <analytics/KestrelUtil.hpp>

#include <ui/AlertView.hpp>
#include <ui/Application.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>

#include <base/Exception.hpp>

#include <atomic>
#include <cctype>
#include <mutex>
#include <vector>

namespace analytics {

namespace {

// The facade's settings, one value each for the whole process. Upload threads
// read some of them, so they are behind one lock.
struct Settings {
    std::optional<std::string> apiKey;
    std::optional<std::string> appVersion;
    std::optional<std::string> userID;
    std::optional<std::string> gender;
    int age {-1};
    bool sessionReportsOnClose {true};
    bool sessionReportsOnPause {true};
    bool eventLogging {true};
    int sessionContinueSeconds {KestrelAnalytics::defaultSessionContinueSeconds};
    bool adLoop {false};
    bool videoAds {false};
    bool adSpot {false};
    bool secureTransport {false};
    std::string reportHost;
    std::optional<std::string> serverURL;
    std::optional<std::string> savedResponseURL;
    std::optional<base::Date> pauseDate;
};

std::mutex settingsMutex;
Settings settings;

std::atomic<ui::Application::BackgroundTaskIdentifier> backgroundTask {
    ui::Application::BackgroundTaskInvalid};

std::vector<foundation::ObservationToken>& observations() {
    static std::vector<foundation::ObservationToken> tokens;
    return tokens;
}

template<typename F> auto readSetting(F read) {
    std::lock_guard lock(settingsMutex);
    return read(settings);
}

template<typename F> void writeSetting(F write) {
    std::lock_guard lock(settingsMutex);
    write(settings);
}

// Runs an operation of the facade: nothing it raises reaches the game.
template<typename F> void guarded(F operation) {
    try {
        operation();
    } catch (...) {
        KestrelUtil::handleException(std::current_exception());
    }
}

// Runs an operation on the current session when usage may be sent and there is one.
template<typename F> void onCurrentSession(F operation) {
    guarded([&] {
        if (!KestrelAnalytics::sendUsageInfo())
            return;
        if (auto session = KestrelSession::currentSession())
            operation(*session);
    });
}

std::string withoutSpaces(std::string const& key) {
    std::string trimmed;
    for (char c : key) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            trimmed += c;
    }
    return trimmed;
}

}

std::string KestrelAnalytics::maskedKey(std::string const& apiKey) {
    return foundation::format("<%d characters>", int(apiKey.size()));
}

void KestrelAnalytics::startSession(std::string const& apiKey) {
    guarded([&] {
        if (!sendUsageInfo())
            return;
        KestrelUtil::debugLog(
            "KestrelAnalytics: Start session called with apiKey[%@]", maskedKey(apiKey));
        auto key = withoutSpaces(apiKey);
        writeSetting([&](Settings& s) { s.apiKey = key; });
        KestrelUtil::debugLog(
            "KestrelAnalytics: Trim white space and use apiKey[%@]", maskedKey(key));
        KestrelHeartBeater::createAndStartInstance(1.0);
        KestrelFileCache::createInstanceWithApiKey(key, KestrelSession::getAgentVersion());
        createAndSendSession();

        auto& center = foundation::NotificationCenter::defaultCenter();
        auto& tokens = observations();
        tokens.clear();
        tokens.push_back(center.observe(
            ui::Application::WillTerminateNotification, [](auto const&) { endSession(); }));
        tokens.push_back(center.observe(
            ui::Application::WillResignActiveNotification, [](auto const&) { pauseSession(); }));
        tokens.push_back(center.observe(
            ui::Application::DidBecomeActiveNotification, [](auto const&) { resumeSession(); }));
        KestrelUtil::debugLog(
            "KestrelAnalytics: Finish starting session with apiKey[%@]", maskedKey(key));
    });
}

void KestrelAnalytics::createAndSendSession() {
    guarded([&] {
        if (!sendUsageInfo())
            return;
        auto key = readSetting([](Settings& s) { return s.apiKey.value_or(""); });
        KestrelSession::createActiveKestrelSession(key);
        auto current = readSetting([](Settings& s) { return s; });
        setSessionReportsOnCloseEnabled(current.sessionReportsOnClose);
        setSessionReportsOnPauseEnabled(current.sessionReportsOnPause);
        setEventLoggingEnabled(current.eventLogging);
        setAge(current.age);
        if (current.userID)
            setUserID(current.userID);
        if (current.gender)
            setGender(current.gender);
        foundation::Thread::detach(
            [] { guarded([] { KestrelSession::sendSessionsToServerForAdLoop(); }); });
    });
}

void KestrelAnalytics::pauseSession() {
    guarded([&] {
        if (!sendUsageInfo())
            return;
        writeSetting([](Settings& s) { s.pauseDate = KestrelDates::now(); });
        auto session = KestrelSession::currentSession();
        if (!session)
            return;
        session->pauseSession();
        session->endSessionAndSend(false, false);
        if (!session->sessionReportsOnPauseEnabled())
            return;
        stopBackgroundTask();
        KestrelUtil::debugLog("KestrelAnalytics: start background task");
        backgroundTask.store(
            ui::Application::sharedApplication().beginBackgroundTask([] { stopBackgroundTask(); }));
        foundation::Thread::detach(
            [] { guarded([] { KestrelSession::sendSessionsToServerForSessionPause(); }); });
    });
}

void KestrelAnalytics::stopBackgroundTask() {
    guarded([] {
        // The application belongs to the main thread; the pause upload ends its
        // task from its own thread through the main run loop.
        if (!foundation::Thread::isMainThread()) {
            foundation::RunLoop::main().perform([] { stopBackgroundTask(); });
            return;
        }
        auto task = backgroundTask.exchange(ui::Application::BackgroundTaskInvalid);
        if (task == ui::Application::BackgroundTaskInvalid)
            return;
        KestrelUtil::debugLog("KestrelAnalytics: stop background task");
        ui::Application::sharedApplication().endBackgroundTask(task);
    });
}

void KestrelAnalytics::resumeSession() {
    guarded([&] {
        if (!sendUsageInfo())
            return;
        auto [pauseDate, continueSeconds] = readSetting(
            [](Settings& s) { return std::pair(s.pauseDate, s.sessionContinueSeconds); });
        auto elapsed = KestrelProtocolData::timeIntervalFrom(pauseDate, KestrelDates::now());
        auto session = KestrelSession::currentSession();
        if (elapsed > std::int64_t(continueSeconds) * 1000) {
            if (session)
                session->saveSession();
            createAndSendSession();
        } else if (session) {
            session->resumeSession();
        }
    });
}

void KestrelAnalytics::endSession() {
    onCurrentSession([](KestrelSession& session) { session.endSession(); });
}

void KestrelAnalytics::logEvent(std::string const& name) {
    logEvent(name, nullptr, false);
}

void KestrelAnalytics::logEvent(std::string const& name, base::Ref<base::Dictionary> parameters) {
    logEvent(name, std::move(parameters), false);
}

void KestrelAnalytics::logEvent(std::string const& name, bool timed) {
    logEvent(name, nullptr, timed);
}

void KestrelAnalytics::logEvent(
    std::string const& name, base::Ref<base::Dictionary> parameters, bool timed) {
    onCurrentSession(
        [&](KestrelSession& session) { session.recordEvent(name, parameters, timed); });
}

void KestrelAnalytics::endTimedEvent(
    std::string const& name, base::Ref<base::Dictionary> parameters) {
    onCurrentSession([&](KestrelSession& session) { session.endTimedEvent(name, parameters); });
}

void KestrelAnalytics::logError(
    std::string const& errorId, std::string const& message, std::exception_ptr exception) {
    std::optional<std::string> text;
    if (exception) {
        try {
            std::rethrow_exception(exception);
        } catch (base::Exception const& caught) {
            text = caught.name() + ": " + caught.reason();
        } catch (std::exception const& caught) {
            text = std::string("std::exception: ") + caught.what();
        } catch (...) {
            text = "unknown: (no reason)";
        }
    }
    logError(errorId, message, text);
}

void KestrelAnalytics::logError(std::string const& errorId, std::string const& message,
    std::optional<std::string> exceptionText) {
    onCurrentSession(
        [&](KestrelSession& session) { session.recordError(errorId, message, exceptionText); });
}

void KestrelAnalytics::logPageView() {
    onCurrentSession([](KestrelSession& session) { session.maybeIncrementPageView(); });
}

void KestrelAnalytics::logAllPageViews(ui::ViewController* controller) {
    guarded([&] {
        if (sendUsageInfo())
            KestrelPageViewDelegate::createDelegateOnTarget(controller);
    });
}

void KestrelAnalytics::setLatitude(
    double latitude, double longitude, float horizontalAccuracy, float verticalAccuracy) {
    onCurrentSession([&](KestrelSession& session) {
        session.setLatitude(latitude, longitude, horizontalAccuracy, verticalAccuracy);
    });
}

void KestrelAnalytics::setUserID(std::optional<std::string> userID) {
    onCurrentSession([&](KestrelSession& session) { session.setUserID(userID); });
    guarded([&] {
        if (!sendUsageInfo())
            return;
        writeSetting([&](Settings& s) { s.userID = userID; });
        KestrelUtil::debugLog("KestrelAnalytics: setUserID[%@]", userID.value_or("(null)"));
    });
}

void KestrelAnalytics::setGender(std::optional<std::string> gender) {
    onCurrentSession([&](KestrelSession& session) { session.setGender(gender); });
    guarded([&] {
        if (!sendUsageInfo())
            return;
        writeSetting([&](Settings& s) { s.gender = gender; });
        KestrelUtil::debugLog("KestrelAnalytics: setGender[%@]", gender.value_or("(null)"));
    });
}

void KestrelAnalytics::setAge(int age) {
    guarded([&] {
        if (sendUsageInfo())
            writeSetting([&](Settings& s) { s.age = age; });
    });
    onCurrentSession([&](KestrelSession& session) { session.setAge(age); });
}

void KestrelAnalytics::setEventLoggingEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.eventLogging = enabled; });
    onCurrentSession([&](KestrelSession& session) { session.setEventLoggingEnabled(enabled); });
}

void KestrelAnalytics::setSessionReportsOnCloseEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.sessionReportsOnClose = enabled; });
    onCurrentSession(
        [&](KestrelSession& session) { session.setSessionReportsOnCloseEnabled(enabled); });
}

void KestrelAnalytics::setSessionReportsOnPauseEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.sessionReportsOnPause = enabled; });
    onCurrentSession(
        [&](KestrelSession& session) { session.setSessionReportsOnPauseEnabled(enabled); });
}

void KestrelAnalytics::setSessionContinueSeconds(int seconds) {
    writeSetting([&](Settings& s) { s.sessionContinueSeconds = seconds; });
}

void KestrelAnalytics::setMaxSessionsSaved(int maximum) {
    KestrelSession::setMaxSessions(maximum);
}

void KestrelAnalytics::setAppVersion(std::string version) {
    guarded([&] {
        if (!sendUsageInfo())
            return;
        if (KestrelSession::currentSession()) {
            ui::AlertView::create("",
                "KestrelAnalytics: Please call setAppVersion before startSession.", nullptr,
                "Cancel")
                ->show();
            return;
        }
        KestrelUtil::debugLog("KestrelAnalytics: setAppVersion[%@]", version);
        writeSetting([&](Settings& s) { s.appVersion = std::move(version); });
    });
}

void KestrelAnalytics::setReportHost(std::string host) {
    writeSetting([&](Settings& s) { s.reportHost = std::move(host); });
}

void KestrelAnalytics::setServerURL(std::string url) {
    writeSetting([&](Settings& s) { s.serverURL = std::move(url); });
}

void KestrelAnalytics::setSavedResponseURL(std::optional<std::string> url) {
    writeSetting([&](Settings& s) { s.savedResponseURL = std::move(url); });
}

void KestrelAnalytics::setSecureTransportEnabled(bool enabled) {
    writeSetting([&](Settings& s) {
        s.secureTransport = enabled;
        s.serverURL.reset();
    });
}

void KestrelAnalytics::setAdLoopEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.adLoop = enabled; });
}

void KestrelAnalytics::setVideoAdsEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.videoAds = enabled; });
}

void KestrelAnalytics::setAdSpotEnabled(bool enabled) {
    writeSetting([&](Settings& s) { s.adSpot = enabled; });
}

void KestrelAnalytics::setDebugLogEnabled(bool enabled) {
    KestrelUtil::setDebugLogEnabled(enabled);
}

void KestrelAnalytics::setShowErrorInLogEnabled(bool enabled) {
    KestrelUtil::setShowErrorInLogEnabled(enabled);
}

void KestrelAnalytics::setDeviceIdentifier(std::string identifier) {
    KestrelSession::setDeviceIdentifier(std::move(identifier));
}

bool KestrelAnalytics::adLoopEnabled() {
    return readSetting([](Settings& s) { return s.adLoop; });
}

bool KestrelAnalytics::videoAdsEnabled() {
    return readSetting([](Settings& s) { return s.videoAds; });
}

bool KestrelAnalytics::adSpotEnabled() {
    return readSetting([](Settings& s) { return s.adSpot; });
}

// The device identifier goes out as itself; it is the installation's own.
bool KestrelAnalytics::udidEnabled() {
    return true;
}

std::string KestrelAnalytics::serverURL() {
    return readSetting([](Settings& s) {
        if (s.serverURL)
            return *s.serverURL;
        if (s.reportHost.empty())
            return std::string();
        return std::string(s.secureTransport ? "https://" : "http://") + s.reportHost + reportPath;
    });
}

std::optional<std::string> KestrelAnalytics::savedResponseURL() {
    return readSetting([](Settings& s) { return s.savedResponseURL; });
}

std::optional<std::string> KestrelAnalytics::appVersion() {
    return readSetting([](Settings& s) { return s.appVersion; });
}

std::string KestrelAnalytics::getKestrelAgentVersion() {
    return KestrelSession::getAgentVersion();
}

int KestrelAnalytics::sessionContinueSeconds() {
    return readSetting([](Settings& s) { return s.sessionContinueSeconds; });
}

bool KestrelAnalytics::sendUsageInfo() {
    return true;
}

void KestrelAnalytics::reset() {
    observations().clear();
    writeSetting([](Settings& s) { s = Settings {}; });
    auto task = backgroundTask.exchange(ui::Application::BackgroundTaskInvalid);
    if (task != ui::Application::BackgroundTaskInvalid)
        ui::Application::sharedApplication().endBackgroundTask(task);
    KestrelHeartBeater::resetInstance();
    KestrelSession::resetClassState();
    KestrelSession::setDeviceIdentifier({});
}

}
