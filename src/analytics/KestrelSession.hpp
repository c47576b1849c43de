#pragma once

#include <analytics/KestrelEvent.hpp>

#include <foundation/Coding.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace analytics {

// What the ad extension registers to read the ad blocks of the analytics service's
// reply. parseData is given a position in the reply and the number of bytes from
// there to its end; it answers the position just past the last byte it consumed,
// or null when it parsed nothing.
class KestrelReplyParser {
public:
    virtual ~KestrelReplyParser() = default;
    virtual std::uint8_t const* parseData(std::uint8_t const* data, std::size_t bufferLength) = 0;
};

// One analytics session of the game: its times, events, errors, page views,
// location and user facts, kept in archives across launches and uploaded as
// records of the binary report.
//
// The current session is process-wide. The main thread records into it while the
// upload threads read it, so every field is behind the session's own lock; the
// current session is replaced under a class-wide lock. The archives of the class
// (current session, saved sessions, sent marker, first use, ad-state callbacks)
// are read and written under one class-wide archive lock, so an upload and the
// main thread never interleave a read-modify-write of the saved list. Uploads
// exclude each other through the network lock, which is only tried: a second
// upload is skipped, not queued.
class KestrelSession final : public base::Object, public foundation::Coding {
public:
    // Limits of one session.
    static constexpr std::size_t maxEventParameters = 10;
    static constexpr std::size_t maxEventNames = 100;
    static constexpr std::size_t maxLoggedEvents = 1000;
    static constexpr std::size_t maxErrors = 10;
    static constexpr std::size_t maxAdImpressions = 1000;
    static constexpr int defaultMaxSessions = 50;
    static constexpr std::size_t maxAdStateCallbacks = 100;
    static constexpr int maxAdStateAttempts = 5;
    static constexpr std::size_t adStateCallbacksSentAtOnce = 5;
    static constexpr double minimumPageViewInterval = 0.3;
    static constexpr std::uint16_t reportVersion = 17;
    static constexpr int agentVersion = 53;
    // The longest archive or saved list read back.
    static constexpr std::size_t maximumArchiveSize = 16u << 20;

    // Date, id, message, exception text of one reported error.
    struct ErrorEntry {
        base::Date date;
        std::string errorId;
        std::string message;
        std::string exceptionText;
    };

    // An item of a report: a session whose record is built now, or a record.
    using ReportItem = std::variant<base::Ref<KestrelSession>, base::Bytes>;

    // ---- lifecycle

    // Takes the key for file names, turns a leftover current-session archive into
    // a crashed saved session, then makes a new current session.
    static base::Ref<KestrelSession> createActiveKestrelSession(std::string const& apiKey);
    static base::Ref<KestrelSession> currentSession();
    static void setCurrentSession(base::Ref<KestrelSession> session);
    // "53".
    static std::string getAgentVersion();

    // A new session starting now, archived as the current session.
    static base::Ref<KestrelSession> initWithAPIKey(std::string apiKey, std::string appVersion);

    static void registerCoding();
    // None when the archive is of another format version or not a session.
    static base::Ref<KestrelSession> initWithCoder(foundation::KeyedUnarchiver& coder);
    void encodeWithCoder(foundation::KeyedArchiver& coder) override;

    void pauseSession();
    void resumeSession();
    // Adds the session to the saved sessions, deletes the current-session archive
    // and clears the current session.
    void saveSession();
    // endSessionAndSend(true, true).
    void endSession();
    void endSessionAndSend(bool send, bool removeCurrentSession);
    // Archives the session to the current-session file.
    void saveToDisk();

    // ---- recording

    void recordEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    void recordEvent(std::string const& name, base::Ref<base::Dictionary> parameters, bool timed);
    void endTimedEvent(std::string const& name, base::Ref<base::Dictionary> parameters);
    void endTimedEvents();
    // exceptionText "name: reason", or none for "nil".
    void recordError(std::optional<std::string> errorId, std::optional<std::string> message,
        std::optional<std::string> exceptionText);
    void recordErrorString(std::optional<std::string> errorId, std::optional<std::string> message,
        std::optional<std::string> exceptionString);
    void recordAdImpression(base::Bytes const& impression);
    void recordAdSpotAdImpression(base::Bytes const& impression);
    void setLatitude(
        double latitude, double longitude, float horizontalAccuracy, float verticalAccuracy);
    void setUserID(std::optional<std::string> userID);
    std::string userID() const;
    void setGender(std::optional<std::string> gender);
    void setAge(int age);
    void setEventLoggingEnabled(bool enabled);
    // Counts a page view unless one was counted 0.3 s ago or less, in this or any
    // other session: screens that replace each other at once count once.
    void maybeIncrementPageView();
    // Forgets when the last page view was counted (tests).
    static void resetPageViewTime();

    // ---- the record and the report

    // The session's record, or none when the session cannot be written.
    std::optional<base::Bytes> data() const;
    static base::Bytes dataForSessions(std::vector<ReportItem> const& sessions,
        bool requestAdLoopAds, bool requestVideoAds, bool requestAdSpotAds);
    static base::Bytes dataForSessions(std::vector<ReportItem> const& sessions);

    // Device facts. The device identifier is the installation's own, handed in by
    // the application at set-up; never a hardware id.
    static void setDeviceIdentifier(std::string identifier);
    static std::string deviceIdentifier();
    static std::string devicePlatform();
    // Reads the main screen's size for the reports built on other threads (main
    // thread; session creation does it).
    static void captureScreenSize();
    static std::string phoneID();
    static base::Bytes kestrelID();
    static base::Bytes hashData(base::Bytes const& data);
    static std::string hashDataToHexString(base::Bytes const& data, std::size_t length);
    static int deviceMemory();
    static std::int64_t deviceCPUFrequency();

    // ---- archives and upload

    static std::vector<base::Bytes> savedSessions();
    static void setSavedSessions(std::vector<base::Bytes> const& sessions);
    static void addToSavedSessions(KestrelSession& session);
    static std::vector<base::Bytes> removeOldSessionsIfNecessary(std::vector<base::Bytes> sessions);
    static void setMaxSessions(int maximum);
    static int maxSessions();
    static bool sentSession();
    static void setSentSession();
    static base::Date initialTimestamp();

    static std::string sessionsFilePath();
    static std::string currentSessionFilePath();
    static std::string sessionSentFilePath();
    static std::string initialTimestampFilePath();
    static std::string adStateCallbacksFilePath();
    static std::string oldSessionsFilePath();
    static std::string oldCurrentSessionFilePath();
    static std::string oldSessionSentFilePath();
    static std::string oldInitialTimestampFilePath();
    static std::string oldAdStateCallbacksFilePath();
    // The application key the file names are made for (kept by
    // createActiveKestrelSession).
    static std::string sessionKey();
    static void setSessionKey(std::string apiKey);
    // The stable hash of the key that file names carry.
    static std::int32_t keyHash(std::string_view key);

    static std::mutex& getNetworkLock();

    // Parsers are not owned; the ad extension keeps them alive.
    static void setAdLoopAdParser(KestrelReplyParser* parser);
    static void setVideoAdParser(KestrelReplyParser* parser);
    static void setAdSpotAdParser(KestrelReplyParser* parser);

    static void sendSessionsToServerWithTimeout(bool shortTimeout, bool useWebView,
        bool requestAdLoopAds, bool requestVideoAds, bool requestAdSpotAds,
        bool sendCurrentSession);
    static void sendSessionsToServerForAdLoop();
    static void sendSessionsToServerForSessionPause();
    static void sendSessionsToServerForEndOfSession();
    static void sendSessionsToServerForAdditionalInfo();

    // Hands the reply's tagged ad blocks to the registered parsers as the ad
    // settings ask. Every tag is read only when its two bytes are there, a
    // parser's answer is taken only inside the reply, and the hand-off stops when
    // a pass consumes nothing.
    static void handOffToParsers(base::Bytes const& body);

    // Ad-state callbacks: {"url": text, "attempts": number}.
    static base::Ref<base::Array> savedAdStateCallbacks();
    static void setSavedAdStateCallbacks(base::Ref<base::Array> const& callbacks);
    static void addToSavedAdStateCallbacks(base::Value const& entry);
    static base::Ref<base::Array> removeOldAdStateCallbacksIfNecessary(
        base::Ref<base::Array> callbacks);
    static void removeAdStateCallbackIfExists(base::Value const& entry);
    static void sendSavedAdStateCallbacks();
    static void asyncNotifyAdStateCompleted(std::string const& url);
    static void sendAdStateCompleted(base::Value const& entry);
    static void sendAdStateCompleted(base::Value const& entry, bool saveData);

    // Forgets the class-wide state: current session, key, parsers, limits, the
    // loaded callback list, the last page view (tests).
    static void resetClassState();

    // ---- accessors

    void setSessionReportsOnCloseEnabled(bool enabled);
    bool sessionReportsOnCloseEnabled() const;
    void setSessionReportsOnPauseEnabled(bool enabled);
    bool sessionReportsOnPauseEnabled() const;
    std::optional<base::Date> startTime() const;
    std::string apiKey() const;
    std::optional<base::Date> endTime() const;
    void setEndTime(std::optional<base::Date> date);
    std::optional<base::Date> pauseTime() const;
    std::int64_t totalPauseIntervalMillis() const;
    std::string appVersion() const;
    void setAppVersion(std::string version);
    int pageViewCount() const;
    void setPageViewCount(int count);
    bool internetAvailable() const;
    void setInternetAvailable(bool available);
    bool crashed() const;
    void setCrashed(bool crashed);
    bool eventLoggingEnabled() const;
    bool eventLogComplete() const;
    int totalErrorCount() const;
    std::vector<ErrorEntry> errors() const;
    using EventCounts = std::vector<std::pair<std::string, int>>;
    EventCounts eventCounts() const;
    std::vector<base::Ref<KestrelEvent>> eventLog() const;
    std::vector<base::Bytes> adLog() const;
    std::vector<base::Bytes> adSpotAdLog() const;
    double latitude() const;
    double longitude() const;
    float accuracy() const;
    int gender() const;
    std::optional<base::Date> age() const;
    std::string locale() const;
    std::string timeZone() const;
    int serializationVersion() const;
    // Milliseconds from start to end; -1 without an end.
    std::int64_t sessionLength() const;
    std::int64_t timeIntervalSinceSessionStart(std::optional<base::Date> date) const;

    std::string description() const;

private:
    friend base::Factory;
    KestrelSession(std::string apiKey, std::string appVersion);

    // Serialises every read-modify-write of the class's archives.
    static std::recursive_mutex& archiveLock();

    void recordImpression(std::vector<base::Bytes>& log, base::Bytes const& impression);

    mutable std::recursive_mutex mutex_;
    int serializationVersion_ {0};
    std::optional<base::Date> startTime_;
    std::optional<base::Date> endTime_;
    std::optional<base::Date> pauseTime_;
    std::int64_t totalPauseIntervalMillis_ {0};
    double latitude_ {0};
    double longitude_ {0};
    float accuracy_ {0};
    bool crashed_ {false};
    std::string apiKey_;
    std::string appVersion_;
    std::optional<std::string> userID_;
    EventCounts eventCounts_;
    std::vector<base::Ref<KestrelEvent>> eventLog_;
    bool eventLogComplete_ {true};
    std::vector<ErrorEntry> errors_;
    int totalErrorCount_ {0};
    std::vector<base::Bytes> adLog_;
    std::vector<base::Bytes> adSpotAdLog_;
    bool eventLoggingEnabled_ {true};
    bool sessionReportsOnCloseEnabled_ {true};
    bool sessionReportsOnPauseEnabled_ {false};
    int pageViewCount_ {0};
    std::string locale_;
    std::string timeZone_;
    bool internetAvailable_ {true};
    int gender_ {-1};
    std::optional<base::Date> age_;
};

}
