// The archives the agent keeps in the Library folder, and the upload of reports
// with the hand-off of the service's reply to the ad parsers.
#include <analytics/KestrelSession.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelHTTPEater.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/AtomicFile.hpp>
#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/Thread.hpp>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>

namespace analytics {

namespace {

std::mutex keyMutex;
std::string fileKey;

std::atomic<int> maximumSessions {KestrelSession::defaultMaxSessions};

std::atomic<KestrelReplyParser*> adLoopParser {nullptr};
std::atomic<KestrelReplyParser*> videoParser {nullptr};
std::atomic<KestrelReplyParser*> adSpotParser {nullptr};

std::recursive_mutex callbacksMutex;
base::Ref<base::Array> loadedCallbacks;

bool exists(std::string const& path) {
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// The older undotted name when such a file exists, else the dotted one.
std::string chooseName(std::string const& dotted, std::string const& older) {
    return exists(older) ? older : dotted;
}

std::string libraryName(char const* pattern, bool withVersion) {
    auto library = foundation::Sandbox::libraryPath();
    int hash = KestrelSession::keyHash(KestrelSession::sessionKey());
    if (withVersion)
        return foundation::format(pattern, library, hash, KestrelSession::getAgentVersion());
    return foundation::format(pattern, library, hash);
}

// The root value of an archive file, read only up to a bounded size; null when the
// file is missing, too large or not an archive.
base::Value readArchiveValue(std::string const& path) {
    auto data = foundation::AtomicFile::read(path, KestrelSession::maximumArchiveSize);
    return data ? foundation::KeyedUnarchiver::unarchiveObjectWithData(*data) : base::Value();
}

bool writeArchiveValue(base::Value const& value, std::string const& path) {
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(value);
    return data && foundation::AtomicFile::write(path, *data);
}

}

std::recursive_mutex& KestrelSession::archiveLock() {
    static std::recursive_mutex lock;
    return lock;
}

std::string KestrelSession::sessionKey() {
    std::lock_guard lock(keyMutex);
    return fileKey;
}

void KestrelSession::setSessionKey(std::string apiKey) {
    std::lock_guard lock(keyMutex);
    fileKey = std::move(apiKey);
}

// FNV-1a over the key's bytes: the same for a key in every run.
std::int32_t KestrelSession::keyHash(std::string_view key) {
    std::uint32_t hash = 2166136261u;
    for (char c : key) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return static_cast<std::int32_t>(hash);
}

std::string KestrelSession::sessionsFilePath() {
    return chooseName(libraryName("%@/.kestrelStored%d_%@.archive", true), oldSessionsFilePath());
}

std::string KestrelSession::currentSessionFilePath() {
    return chooseName(
        libraryName("%@/.kestrelCurrent%d_%@.archive", true), oldCurrentSessionFilePath());
}

std::string KestrelSession::sessionSentFilePath() {
    return chooseName(libraryName("%@/.kestrelSent%d_%@.archive", true), oldSessionSentFilePath());
}

std::string KestrelSession::initialTimestampFilePath() {
    return chooseName(
        libraryName("%@/.initialTimestamp%d.archive", false), oldInitialTimestampFilePath());
}

std::string KestrelSession::adStateCallbacksFilePath() {
    return chooseName(
        libraryName("%@/.kestrelAdStateCallbacks%d.archive", false), oldAdStateCallbacksFilePath());
}

std::string KestrelSession::oldSessionsFilePath() {
    return libraryName("%@/kestrelStored%d_%@.archive", true);
}

std::string KestrelSession::oldCurrentSessionFilePath() {
    return libraryName("%@/kestrelCurrent%d_%@.archive", true);
}

std::string KestrelSession::oldSessionSentFilePath() {
    return libraryName("%@/kestrelSent%d_%@.archive", true);
}

std::string KestrelSession::oldInitialTimestampFilePath() {
    return libraryName("%@/initialTimestamp%d.archive", false);
}

std::string KestrelSession::oldAdStateCallbacksFilePath() {
    return libraryName("%@/kestrelAdStateCallbacks%d.archive", false);
}

void KestrelSession::saveToDisk() {
    base::Ref<KestrelSession> self(this);
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(self);
    std::lock_guard lock(archiveLock());
    if (!data || !foundation::AtomicFile::write(currentSessionFilePath(), *data))
        KestrelUtil::debugLog("KestrelAnalytics: The current session could not be archived");
}

// ---- saved sessions

std::vector<base::Bytes> KestrelSession::savedSessions() {
    std::lock_guard lock(archiveLock());
    std::vector<base::Bytes> sessions;
    auto stored = readArchiveValue(sessionsFilePath());
    if (auto const* list = stored.array()) {
        for (auto const& record : *list) {
            if (auto const* bytes = record.data())
                sessions.push_back(*bytes);
        }
    }
    return sessions;
}

void KestrelSession::setSavedSessions(std::vector<base::Bytes> const& sessions) {
    auto list = base::Array::create();
    for (auto const& record : sessions)
        list->add(record);
    std::lock_guard lock(archiveLock());
    if (!writeArchiveValue(base::Value(list), sessionsFilePath()))
        KestrelUtil::debugLog("KestrelAnalytics: The saved sessions could not be archived");
}

void KestrelSession::addToSavedSessions(KestrelSession& session) {
    // The record carries the archive's format version.
    {
        std::lock_guard lock(session.mutex_);
        session.serializationVersion_ = 1;
    }
    KestrelUtil::debugLog("KestrelAnalytics: Add session with startTime[%@] to saved sessions",
        session.startTime() ? foundation::format("%f", session.startTime()->seconds) : "(null)");
    auto record = session.data();
    if (!record)
        return;
    std::lock_guard lock(archiveLock());
    auto sessions = savedSessions();
    sessions.push_back(std::move(*record));
    setSavedSessions(removeOldSessionsIfNecessary(std::move(sessions)));
}

std::vector<base::Bytes> KestrelSession::removeOldSessionsIfNecessary(
    std::vector<base::Bytes> sessions) {
    auto maximum = static_cast<std::size_t>(std::max(0, maximumSessions.load()));
    if (sessions.size() > maximum) {
        auto excess = sessions.size() - maximum;
        KestrelUtil::debugLog("KestrelAnalytics: Max sessions allowed[%d] exceeded", int(maximum));
        KestrelUtil::debugLog(
            "KestrelAnalytics: Removing [%d] sessions from saved sessions", int(excess));
        sessions.erase(sessions.begin(), sessions.begin() + static_cast<std::ptrdiff_t>(excess));
    }
    return sessions;
}

void KestrelSession::setMaxSessions(int maximum) {
    maximumSessions.store(maximum);
}

int KestrelSession::maxSessions() {
    return maximumSessions.load();
}

bool KestrelSession::sentSession() {
    bool sent = exists(sessionSentFilePath());
    KestrelUtil::debugLog("KestrelAnalytics: application sent session[%d]", int(sent));
    return sent;
}

void KestrelSession::setSentSession() {
    std::lock_guard lock(archiveLock());
    auto path = sessionSentFilePath();
    if (!exists(path))
        foundation::AtomicFile::write(path, base::Bytes());
}

base::Date KestrelSession::initialTimestamp() {
    std::lock_guard lock(archiveLock());
    auto path = initialTimestampFilePath();
    auto stored = readArchiveValue(path);
    if (auto const* date = stored.date()) {
        KestrelUtil::debugLog(
            "KestrelAnalytics: Initial timestamp[%f] from saved source", date->seconds);
        return *date;
    }
    auto current = currentSession();
    auto start = current ? current->startTime() : std::nullopt;
    auto date = start.value_or(base::Date {foundation::Clock::current().wallTime()});
    writeArchiveValue(base::Value(date), path);
    KestrelUtil::debugLog(
        "KestrelAnalytics: Initial timestamp[%f] created and saved", date.seconds);
    return date;
}

std::mutex& KestrelSession::getNetworkLock() {
    static std::mutex lock;
    return lock;
}

void KestrelSession::setAdLoopAdParser(KestrelReplyParser* parser) {
    adLoopParser.store(parser);
    KestrelUtil::debugLog("KestrelAnalytics: AdLoopAdParser set");
}

void KestrelSession::setVideoAdParser(KestrelReplyParser* parser) {
    videoParser.store(parser);
    KestrelUtil::debugLog("KestrelAnalytics: ClipsVideoAdParser set");
}

void KestrelSession::setAdSpotAdParser(KestrelReplyParser* parser) {
    adSpotParser.store(parser);
    KestrelUtil::debugLog("KestrelAnalytics: AdSpotAdParser set");
}

// ---- upload

void KestrelSession::sendSessionsToServerWithTimeout(bool shortTimeout, bool useWebView,
    bool requestAdLoopAds, bool requestVideoAds, bool requestAdSpotAds, bool sendCurrentSession) {
    std::unique_lock network(getNetworkLock(), std::try_to_lock);
    if (!network.owns_lock()) {
        KestrelUtil::debugLog("Could not acquire network lock. Skipping");
        return;
    }
    int timeout = shortTimeout ? 5 : 20;
    KestrelUtil::debugLog("KestrelAnalytics: Sending sessions to server withTimeout[%d]", timeout);

    auto saved = savedSessions();
    std::vector<ReportItem> sessions(saved.begin(), saved.end());
    if (sendCurrentSession) {
        if (auto current = currentSession()) {
            if (auto record = current->data())
                sessions.emplace_back(std::move(*record));
        }
    }

    foundation::HTTPHeaderFields headers;
    headers.set("Content-Type", "application/octet-stream");
    base::Ref<KestrelHTTPResponse> response;
    if (auto responseURL = KestrelAnalytics::savedResponseURL()) {
        response = KestrelHTTPResponse::readFromURL(*responseURL);
    } else if (auto url = KestrelAnalytics::serverURL(); url.empty()) {
        KestrelUtil::debugLog("KestrelAnalytics: No report host is configured; nothing sent");
    } else {
        auto body = dataForSessions(sessions, requestAdLoopAds, requestVideoAds, requestAdSpotAds);
        response = KestrelHTTPEater::sendMethod("POST", url, body, headers, timeout, useWebView);
        if (response && KestrelUtil::isDebugLogEnabled())
            response->saveToDisk();
    }

    if (!shortTimeout) {
        auto current = currentSession();
        if (response && response->isSuccess()) {
            if (current)
                current->setInternetAvailable(true);
            // Only the records this report carried leave the saved list: sessions
            // saved while it was on its way stay for the next one.
            {
                std::lock_guard lock(archiveLock());
                auto remaining = savedSessions();
                for (auto const& record : saved) {
                    auto sent = std::find(remaining.begin(), remaining.end(), record);
                    if (sent != remaining.end())
                        remaining.erase(sent);
                }
                setSavedSessions(remaining);
                setSentSession();
            }
            KestrelUtil::debugLog("KestrelAnalytics: Sent %d session(s).", int(sessions.size()));
        } else {
            if (current)
                current->setInternetAvailable(false);
            KestrelUtil::debugLog("KestrelAnalytics: Could not connect to server.");
        }
        bool anyAds = requestAdLoopAds || requestVideoAds || requestAdSpotAds;
        if (anyAds && response && response->isSuccess() && !response->body().empty())
            handOffToParsers(response->body());
    }
}

void KestrelSession::handOffToParsers(base::Bytes const& body) {
    auto const* base = body.data();
    std::size_t total = body.size();
    auto const* position = base;
    std::size_t remaining = total;
    KestrelUtil::debugLog(
        "KestrelAnalytics: about to invoke Parser(s). bufferLength [%d] remainingBufferLength [%d]",
        int(total), int(remaining));

    bool stop = false;
    while (!stop && remaining > 0) {
        if (remaining < 2) {
            KestrelUtil::debugLog("KestrelAnalytics: incomplete block tag; stopping");
            break;
        }
        std::uint16_t tag = static_cast<std::uint16_t>((position[0] << 8) | position[1]);
        auto const* before = position;
        // Runs one parser; its answer counts only when it lies inside the reply.
        auto invoke = [&](KestrelReplyParser* parser, char const* name, std::uint8_t const* from) {
            KestrelUtil::debugLog("KestrelAnalytics: about to invoke %@ ad parser", name);
            if (!parser) {
                KestrelUtil::debugLog("KestrelAnalytics: %@ ad parser is not available.", name);
                stop = true;
                return;
            }
            auto const* result = parser->parseData(from, remaining);
            if (!result || result < base || result > base + total) {
                stop = true;
                return;
            }
            position = result;
            KestrelUtil::debugLog(
                "KestrelAnalytics: %@ ad parser finished. aggregate bytes scanned [%d]", name,
                int(position - base));
        };
        if (tag == 0x0102) {
            if (KestrelAnalytics::adLoopEnabled())
                invoke(adLoopParser.load(), "AdLoop", base);
            if (KestrelAnalytics::videoAdsEnabled())
                invoke(videoParser.load(), "Clips", base);
        } else if (tag == 0x0201) {
            if (KestrelAnalytics::adSpotEnabled())
                invoke(adSpotParser.load(), "AdSpot", position);
        } else {
            KestrelUtil::debugLog("KestrelAnalytics: unrecognized block tag [%d].", int(tag));
            stop = true;
        }
        remaining = total - static_cast<std::size_t>(position - base);
        KestrelUtil::debugLog("KestrelAnalytics: buffer length [%d] remaining buffer length [%d].",
            int(total), int(remaining));
        // A pass that consumed nothing would read the same block again.
        if (position <= before)
            stop = true;
    }
}

void KestrelSession::sendSessionsToServerForAdLoop() {
    bool adLoop = KestrelAnalytics::adLoopEnabled();
    bool video = KestrelAnalytics::videoAdsEnabled();
    bool adSpot = KestrelAnalytics::adSpotEnabled();
    sendSessionsToServerWithTimeout(false, false, adLoop, video, adSpot, false);
    if (adLoop || video || adSpot)
        sendSavedAdStateCallbacks();
}

void KestrelSession::sendSessionsToServerForSessionPause() {
    sendSessionsToServerWithTimeout(true, false, false, false, false, true);
    KestrelAnalytics::stopBackgroundTask();
}

void KestrelSession::sendSessionsToServerForEndOfSession() {
    sendSessionsToServerWithTimeout(true, false, false, false, false, true);
}

void KestrelSession::sendSessionsToServerForAdditionalInfo() {
    sendSessionsToServerWithTimeout(true, true, false, false, false, false);
}

// ---- ad-state callbacks

base::Ref<base::Array> KestrelSession::savedAdStateCallbacks() {
    std::lock_guard lock(callbacksMutex);
    if (!loadedCallbacks) {
        loadedCallbacks = base::Array::create();
        std::lock_guard archive(archiveLock());
        auto stored = readArchiveValue(adStateCallbacksFilePath());
        if (auto const* list = stored.array()) {
            for (auto const& entry : *list) {
                if (entry.dictionary())
                    loadedCallbacks->add(entry);
            }
        }
        loadedCallbacks = removeOldAdStateCallbacksIfNecessary(loadedCallbacks);
    }
    return loadedCallbacks;
}

void KestrelSession::setSavedAdStateCallbacks(base::Ref<base::Array> const& callbacks) {
    std::lock_guard lock(callbacksMutex);
    std::lock_guard archive(archiveLock());
    if (!callbacks || !writeArchiveValue(base::Value(callbacks), adStateCallbacksFilePath()))
        KestrelUtil::debugLog("Kestrel: The ad state callbacks could not be archived");
}

void KestrelSession::addToSavedAdStateCallbacks(base::Value const& entry) {
    KestrelUtil::debugLog("Kestrel: Add ad state callback [%@] to saved callbacks", entry);
    std::lock_guard lock(callbacksMutex);
    auto list = savedAdStateCallbacks();
    list->add(entry);
    removeOldAdStateCallbacksIfNecessary(list);
}

base::Ref<base::Array> KestrelSession::removeOldAdStateCallbacksIfNecessary(
    base::Ref<base::Array> callbacks) {
    if (callbacks && callbacks->size() > maxAdStateCallbacks) {
        auto excess = callbacks->size() - maxAdStateCallbacks;
        KestrelUtil::debugLog(
            "Kestrel: Max ad states allowed[%d] exceeded", int(maxAdStateCallbacks));
        KestrelUtil::debugLog("Kestrel: Removing [%d] callbacks from saved callbacks", int(excess));
        for (std::size_t i = 0; i < excess; ++i)
            callbacks->removeAt(0);
    }
    return callbacks;
}

void KestrelSession::removeAdStateCallbackIfExists(base::Value const& entry) {
    std::lock_guard lock(callbacksMutex);
    auto list = savedAdStateCallbacks();
    for (auto i = list->size(); i > 0; --i) {
        if (list->at(i - 1) == entry)
            list->removeAt(i - 1);
    }
}

void KestrelSession::asyncNotifyAdStateCompleted(std::string const& url) {
    auto entry = base::Dictionary::create({{"url", url}, {"attempts", 0}});
    foundation::Thread::detach([entry] { sendAdStateCompleted(base::Value(entry)); });
}

void KestrelSession::sendAdStateCompleted(base::Value const& entry) {
    bool loaded;
    {
        std::lock_guard lock(callbacksMutex);
        loaded = loadedCallbacks != nullptr;
    }
    sendAdStateCompleted(entry, !loaded);
}

void KestrelSession::sendAdStateCompleted(base::Value const& entry, bool saveData) {
    auto const* fields = entry.dictionary();
    if (!fields || !fields->objectForKey("url").isString())
        return;
    auto url = *fields->objectForKey("url").string();
    auto response = KestrelHTTPEater::get(url, {});
    KestrelUtil::debugLog("Kestrel: HTTP Response for ad state notification [%@]",
        response ? response->description() : std::string("(null)"));
    if (response && response->isSuccess()) {
        KestrelUtil::debugLog("Kestrel: sent ad state completed to server at url[%@]", url);
        return;
    }
    KestrelUtil::debugLog("Kestrel: could not send ad state completed to server for url [%@]", url);
    int attempts = fields->objectForKey("attempts").intValue() + 1;
    if (attempts < maxAdStateAttempts) {
        auto retry = fields->copy();
        retry->setObject("attempts", attempts);
        addToSavedAdStateCallbacks(base::Value(retry));
        if (saveData)
            setSavedAdStateCallbacks(savedAdStateCallbacks());
    } else {
        KestrelUtil::debugLog("Exceeded number of attempts for callback[%@]", entry);
    }
}

void KestrelSession::sendSavedAdStateCallbacks() {
    std::vector<base::Value> taken;
    {
        std::lock_guard lock(callbacksMutex);
        auto list = savedAdStateCallbacks();
        for (std::size_t i = 0; i < list->size() && taken.size() < adStateCallbacksSentAtOnce; ++i)
            taken.push_back(list->at(i));
    }
    for (auto const& entry : taken) {
        KestrelUtil::debugLog("Attempting to send saved callback[%@]", entry);
        sendAdStateCompleted(entry, false);
    }
    std::lock_guard lock(callbacksMutex);
    KestrelUtil::debugLog("Discarded Items count[%d]", int(taken.size()));
    auto list = savedAdStateCallbacks();
    for (auto const& entry : taken) {
        auto at = list->indexOf(entry);
        if (at != base::Array::npos)
            list->removeAt(at);
    }
    setSavedAdStateCallbacks(list);
}

void KestrelSession::resetClassState() {
    setCurrentSession(nullptr);
    setSessionKey({});
    maximumSessions.store(defaultMaxSessions);
    adLoopParser.store(nullptr);
    videoParser.store(nullptr);
    adSpotParser.store(nullptr);
    {
        std::lock_guard lock(callbacksMutex);
        loadedCallbacks = nullptr;
    }
    resetPageViewTime();
}

}
