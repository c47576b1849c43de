#pragma once

#include <base/Value.hpp>

#include <exception>
#include <optional>
#include <string>

namespace ui {
class ViewController;
}

namespace analytics {

// What the game talks to: the agent's process-wide settings and the operations
// that drive the current session. Class-only. No operation throws or reports
// failure to its caller: whatever is raised inside one is handed to
// KestrelUtil::handleException and the operation returns normally.
//
// The game calls it on the main thread; the application's notifications (will
// terminate, will resign active, did become active) pause, resume and end the
// session once a session has started. The report host is configuration with no
// default: without one (setReportHost or setServerURL) nothing is sent.
class KestrelAnalytics final {
public:
    KestrelAnalytics() = delete;

    static constexpr int defaultSessionContinueSeconds = 10;
    static constexpr char const* reportPath = "/aas.do";

    static void startSession(std::string const& apiKey);
    static void createAndSendSession();
    static void pauseSession();
    static void resumeSession();
    static void endSession();
    static void stopBackgroundTask();

    static void logEvent(std::string const& name);
    static void logEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    static void logEvent(std::string const& name, bool timed);
    static void logEvent(
        std::string const& name, base::Ref<base::Dictionary> parameters, bool timed);
    static void endTimedEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    // The exception's text ("name: reason"), or none.
    static void logError(
        std::string const& errorId, std::string const& message, std::exception_ptr exception);
    static void logError(std::string const& errorId, std::string const& message,
        std::optional<std::string> exceptionText);
    static void logPageView();
    static void logAllPageViews(ui::ViewController* controller);
    static void setLatitude(
        double latitude, double longitude, float horizontalAccuracy, float verticalAccuracy);

    static void setUserID(std::optional<std::string> userID);
    static void setGender(std::optional<std::string> gender);
    static void setAge(int age);
    static void setEventLoggingEnabled(bool enabled);
    static void setSessionReportsOnCloseEnabled(bool enabled);
    static void setSessionReportsOnPauseEnabled(bool enabled);
    static void setSessionContinueSeconds(int seconds);
    static void setMaxSessionsSaved(int maximum);
    // Before startSession only; afterwards an alert asks the developer to move
    // the call and nothing changes.
    static void setAppVersion(std::string version);
    // The host (and port) the reports go to; the URL is its "/aas.do" over http, or
    // https with secure transport.
    static void setReportHost(std::string host);
    static void setServerURL(std::string url);
    static void setSavedResponseURL(std::optional<std::string> url);
    static void setSecureTransportEnabled(bool enabled);
    static void setAdLoopEnabled(bool enabled);
    static void setVideoAdsEnabled(bool enabled);
    static void setAdSpotEnabled(bool enabled);
    static void setDebugLogEnabled(bool enabled);
    static void setShowErrorInLogEnabled(bool enabled);
    // The installation's own identifier that reports carry (never a hardware id).
    static void setDeviceIdentifier(std::string identifier);

    static bool adLoopEnabled();
    static bool videoAdsEnabled();
    static bool adSpotEnabled();
    static bool udidEnabled();
    // Empty while no report host is configured.
    static std::string serverURL();
    static std::optional<std::string> savedResponseURL();
    static std::optional<std::string> appVersion();
    static std::string getKestrelAgentVersion();
    static int sessionContinueSeconds();
    static bool sendUsageInfo();

    // The key as debug lines show it: its length only, never its text.
    static std::string maskedKey(std::string const& apiKey);

    // Back to the settings of a new process: no session, no observations, no
    // heartbeat, no background task (tests).
    static void reset();
};

}
