#include <analytics/KestrelSession.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelDates.hpp>
#include <analytics/KestrelProtocolData.hpp>
#include <analytics/KestrelUtil.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/DateFormatter.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>
#include <foundation/Locale.hpp>
#include <foundation/Thread.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace analytics {

namespace {

std::mutex currentSessionMutex;
base::Ref<KestrelSession> currentSessionRef;

std::mutex pageViewMutex;
// Monotonic seconds of the last counted page view, for the whole process.
std::optional<double> lastPageViewTime;

std::string stringOf(base::Value const& value) {
    auto const* text = value.string();
    return text ? *text : std::string();
}

// The name of the local time zone: the TZ variable, else the zone the system's
// local time file links to, else the offset's name.
std::string localTimeZoneName() {
    if (char const* zone = std::getenv("TZ"); zone && *zone)
        return zone[0] == ':' ? std::string(zone + 1) : std::string(zone);
    std::error_code error;
    auto target = std::filesystem::read_symlink("/etc/localtime", error).string();
    if (auto at = target.find("zoneinfo/"); !error && at != std::string::npos)
        return target.substr(at + 9);
    std::ifstream file("/etc/timezone");
    std::string name;
    if (file && std::getline(file, name) && !name.empty())
        return name;
    return foundation::TimeZone::gmtName(
        foundation::TimeZone::local().secondsFromGMT(KestrelDates::now()), false);
}

std::string describe(std::optional<base::Date> date) {
    if (!date)
        return "(null)";
    return foundation::DateFormatter("yyyy-MM-dd HH:mm:ss ZZZ", foundation::TimeZone::utc())
        .stringFromDate(*date);
}

std::string describe(base::Ref<base::Dictionary> const& parameters) {
    return parameters ? base::Value(parameters).description() : std::string("(null)");
}

}

KestrelSession::KestrelSession(std::string apiKey, std::string appVersion)
    : startTime_(KestrelDates::now())
    , apiKey_(std::move(apiKey))
    , appVersion_(std::move(appVersion))
    , locale_(foundation::currentLocaleIdentifier())
    , timeZone_(localTimeZoneName()) {
}

std::string KestrelSession::getAgentVersion() {
    return std::to_string(agentVersion);
}

void KestrelSession::registerCoding() {
    static std::once_flag registered;
    std::call_once(registered, [] {
        foundation::Coding::registerClass<KestrelSession>("KestrelSession");
        KestrelEvent::registerCoding();
    });
}

base::Ref<KestrelSession> KestrelSession::initWithAPIKey(
    std::string apiKey, std::string appVersion) {
    registerCoding();
    auto session = base::make<KestrelSession>(std::move(apiKey), std::move(appVersion));
    session->saveToDisk();
    KestrelUtil::debugLog("KestrelAnalytics: Initialized session from scratch with startTime[%@]",
        describe(session->startTime()));
    return session;
}

base::Ref<KestrelSession> KestrelSession::currentSession() {
    std::lock_guard lock(currentSessionMutex);
    return currentSessionRef;
}

void KestrelSession::setCurrentSession(base::Ref<KestrelSession> session) {
    base::Ref<KestrelSession> previous;
    {
        std::lock_guard lock(currentSessionMutex);
        previous = std::exchange(currentSessionRef, std::move(session));
    }
    // The previous session is released outside the lock.
}

// ---- archiving

void KestrelSession::encodeWithCoder(foundation::KeyedArchiver& coder) {
    std::lock_guard lock(mutex_);
    serializationVersion_ = 1;
    coder.encodeInt(serializationVersion_, "serializationVersion");
    coder.encodeObject(KestrelDates::valueOf(startTime_), "startTime");
    coder.encodeObject(KestrelDates::valueOf(endTime_), "endTime");
    coder.encodeObject(KestrelDates::valueOf(pauseTime_), "pauseTime");
    coder.encodeInt64(totalPauseIntervalMillis_, "pauseIntervalMillis");
    auto counts = base::Dictionary::create();
    for (auto const& [name, count] : eventCounts_)
        counts->setObject(name, count);
    coder.encodeObject(base::Value(counts), "eventCounts");
    coder.encodeObject(eventLog_, "eventLog");
    coder.encodeBool(eventLogComplete_, "eventLogComplete");
    auto errors = base::Array::create();
    for (auto const& error : errors_) {
        errors->add(
            base::Array::create({error.date, error.errorId, error.message, error.exceptionText}));
    }
    coder.encodeObject(base::Value(errors), "errors");
    coder.encodeInt(totalErrorCount_, "totalErrorCount");
    auto blobs = [](std::vector<base::Bytes> const& log) {
        auto list = base::Array::create();
        for (auto const& blob : log)
            list->add(blob);
        return base::Value(list);
    };
    coder.encodeObject(blobs(adLog_), "adLog");
    coder.encodeObject(blobs(adSpotAdLog_), "adSpotAdLog");
    coder.encodeDouble(latitude_, "latitude");
    coder.encodeDouble(longitude_, "longitude");
    coder.encodeFloat(accuracy_, "accuracy");
    coder.encodeBool(crashed_, "crashed");
    coder.encodeObject(base::Value(apiKey_), "apiKey");
    coder.encodeObject(base::Value(appVersion_), "appVersion");
    coder.encodeObject(userID_ ? base::Value(*userID_) : base::Value(), "userID");
    coder.encodeInt(pageViewCount_, "pageViewCount");
    coder.encodeObject(base::Value(locale_), "locale");
    coder.encodeObject(base::Value(timeZone_), "timeZone");
    coder.encodeBool(internetAvailable_, "internetAvailable");
    coder.encodeObject(KestrelDates::valueOf(age_), "age");
    coder.encodeInt(gender_, "gender");
}

base::Ref<KestrelSession> KestrelSession::initWithCoder(foundation::KeyedUnarchiver& coder) {
    int version = coder.decodeIntForKey("serializationVersion");
    if (version > 0 && version != 1)
        return nullptr;
    auto session = base::make<KestrelSession>(stringOf(coder.decodeObjectForKey("apiKey")),
        stringOf(coder.decodeObjectForKey("appVersion")));
    auto& s = *session;
    s.serializationVersion_ = version;
    s.startTime_ = KestrelDates::dateOf(coder.decodeObjectForKey("startTime"));
    s.endTime_ = KestrelDates::dateOf(coder.decodeObjectForKey("endTime"));
    s.pauseTime_ = KestrelDates::dateOf(coder.decodeObjectForKey("pauseTime"));
    s.totalPauseIntervalMillis_ = coder.decodeInt64ForKey("pauseIntervalMillis");
    s.eventLogComplete_ = coder.decodeBoolForKey("eventLogComplete");
    // The archive is outside input: it is held to the limits that recording keeps,
    // so every count of the record fits its field; what is cut marks the log
    // incomplete.
    auto countsValue = coder.decodeObjectForKey("eventCounts");
    if (auto const* counts = countsValue.dictionary()) {
        for (auto const& [name, count] : *counts) {
            if (!count.isNumber())
                return nullptr;
            if (s.eventCounts_.size() < maxEventNames)
                s.eventCounts_.emplace_back(name, count.intValue());
            else
                s.eventLogComplete_ = false;
        }
    }
    for (auto& event : coder.decodeObjectsForKey<KestrelEvent>("eventLog")) {
        bool fits = !event->parameters() || event->parameters()->size() <= maxEventParameters;
        if (fits && s.eventLog_.size() < maxLoggedEvents)
            s.eventLog_.push_back(std::move(event));
        else
            s.eventLogComplete_ = false;
    }
    auto errorsValue = coder.decodeObjectForKey("errors");
    if (auto const* errors = errorsValue.array()) {
        for (auto const& entry : *errors) {
            auto const* fields = entry.array();
            if (!fields)
                return nullptr;
            if (s.errors_.size() >= maxErrors)
                continue;
            ErrorEntry error;
            if (fields->size() > 0)
                error.date = KestrelDates::dateOf(fields->at(0)).value_or(base::Date {});
            if (fields->size() > 1)
                error.errorId = stringOf(fields->at(1));
            if (fields->size() > 2)
                error.message = stringOf(fields->at(2));
            if (fields->size() > 3)
                error.exceptionText = stringOf(fields->at(3));
            s.errors_.push_back(std::move(error));
        }
    }
    s.totalErrorCount_ = coder.decodeIntForKey("totalErrorCount");
    auto blobs = [](base::Value const& value, std::vector<base::Bytes>& log) {
        if (auto const* list = value.array()) {
            for (auto const& blob : *list) {
                if (auto const* bytes = blob.data(); bytes && log.size() < maxAdImpressions)
                    log.push_back(*bytes);
            }
        }
    };
    blobs(coder.decodeObjectForKey("adLog"), s.adLog_);
    blobs(coder.decodeObjectForKey("adSpotAdLog"), s.adSpotAdLog_);
    s.latitude_ = coder.decodeDoubleForKey("latitude");
    s.longitude_ = coder.decodeDoubleForKey("longitude");
    s.accuracy_ = coder.decodeFloatForKey("accuracy");
    s.crashed_ = coder.decodeBoolForKey("crashed");
    auto userID = coder.decodeObjectForKey("userID");
    if (userID.isString())
        s.userID_ = *userID.string();
    s.pageViewCount_ = coder.decodeIntForKey("pageViewCount");
    s.locale_ = stringOf(coder.decodeObjectForKey("locale"));
    s.timeZone_ = stringOf(coder.decodeObjectForKey("timeZone"));
    s.internetAvailable_ = coder.decodeBoolForKey("internetAvailable");
    s.age_ = KestrelDates::dateOf(coder.decodeObjectForKey("age"));
    s.gender_ = coder.decodeIntForKey("gender");
    return session;
}

// ---- lifecycle

base::Ref<KestrelSession> KestrelSession::createActiveKestrelSession(std::string const& apiKey) {
    registerCoding();
    if (foundation::Thread::isMainThread())
        captureScreenSize();
    setSessionKey(apiKey);
    {
        std::lock_guard lock(archiveLock());
        if (auto previous = foundation::KeyedUnarchiver::unarchiveObjectWithFile<KestrelSession>(
                currentSessionFilePath())) {
            previous->setCrashed(true);
            addToSavedSessions(*previous);
            KestrelUtil::debugLog("KestrelAnalytics: Add crashed former session");
        }
        std::error_code error;
        std::filesystem::remove(currentSessionFilePath(), error);
    }

    std::string version;
    if (auto override = KestrelAnalytics::appVersion())
        version = *override;
    else
        version = foundation::Bundle::mainBundle()
                      .objectForInfoDictionaryKey("CFBundleVersion")
                      .stringValue();
    auto created = initWithAPIKey(apiKey, version);
    setCurrentSession(created);
    KestrelUtil::debugLog("KestrelAnalytics: Created active session with API[%@]",
        KestrelAnalytics::maskedKey(apiKey));
    return created;
}

void KestrelSession::pauseSession() {
    {
        std::lock_guard lock(mutex_);
        pauseTime_ = KestrelDates::now();
    }
    saveToDisk();
    KestrelUtil::debugLog(
        "KestrelAnalytics: Pause session with pauseTime[%@]", describe(pauseTime()));
}

void KestrelSession::resumeSession() {
    std::optional<base::Date> resumed;
    {
        std::lock_guard lock(mutex_);
        if (!pauseTime_)
            return;
        resumed = KestrelDates::now();
        totalPauseIntervalMillis_ += KestrelProtocolData::timeIntervalFrom(pauseTime_, resumed);
        pauseTime_.reset();
    }
    saveToDisk();
    KestrelUtil::debugLog(
        "KestrelAnalytics: Resume session with resumeTime[%@]", describe(resumed));
}

void KestrelSession::saveSession() {
    addToSavedSessions(*this);
    {
        std::lock_guard lock(archiveLock());
        std::error_code error;
        std::filesystem::remove(currentSessionFilePath(), error);
    }
    base::Ref<KestrelSession> cleared;
    {
        std::lock_guard lock(currentSessionMutex);
        if (currentSessionRef.get() == this)
            cleared = std::exchange(currentSessionRef, nullptr);
    }
}

void KestrelSession::endSession() {
    endSessionAndSend(true, true);
}

void KestrelSession::endSessionAndSend(bool send, bool removeCurrentSession) {
    base::Ref<KestrelSession> keep(this);
    {
        std::lock_guard lock(mutex_);
        endTime_ = KestrelDates::now();
    }
    KestrelUtil::debugLog("KestrelAnalytics: Ending session with endTime[%@]", describe(endTime()));
    endTimedEvents();
    if (sessionReportsOnCloseEnabled() && send)
        sendSessionsToServerForEndOfSession();
    if (removeCurrentSession)
        saveSession();
    KestrelUtil::debugLog(
        "KestrelAnalytics: Ending session with endTime[%@] complete", describe(endTime()));
}

// ---- recording

void KestrelSession::recordEvent(std::string const& name, base::Ref<base::Dictionary> parameters) {
    recordEvent(name, std::move(parameters), false);
}

void KestrelSession::recordEvent(
    std::string const& name, base::Ref<base::Dictionary> parameters, bool timed) {
    auto shown = describe(parameters);
    KestrelUtil::debugLog(
        "KestrelAnalytics: Recording event eventName[%@] with parameters[%@]", name, shown);
    {
        std::lock_guard lock(mutex_);
        if (name.empty() || (parameters && parameters->size() > maxEventParameters)) {
            eventLogComplete_ = false;
            KestrelUtil::debugLog(
                "KestrelAnalytics: Event eventName[%@] with parameters[%@] not recorded", name,
                shown);
        } else {
            auto counted = std::find_if(eventCounts_.begin(), eventCounts_.end(),
                [&](auto const& entry) { return entry.first == name; });
            bool countable = counted != eventCounts_.end() || eventCounts_.size() < maxEventNames;
            if (countable) {
                if (counted == eventCounts_.end()) {
                    eventCounts_.emplace_back(name, 0);
                    counted = eventCounts_.end() - 1;
                }
                counted->second += 1;
                KestrelUtil::debugLog(
                    "KestrelAnalytics: Event count for eventName[%@] updated to count[%d]", name,
                    counted->second);
            }
            if (countable && eventLog_.size() < maxLoggedEvents && eventLoggingEnabled_) {
                eventLog_.push_back(KestrelEvent::initWithName(
                    name, timed, parameters ? parameters->copy() : nullptr));
                KestrelUtil::debugLog(
                    "KestrelAnalytics: Event log for eventName[%@] updated", name);
            } else {
                eventLogComplete_ = false;
            }
        }
    }
    KestrelUtil::debugLog(
        "KestrelAnalytics: Recording event eventName[%@] with parameters[%@] complete", name,
        shown);
}

void KestrelSession::endTimedEvent(
    std::string const& name, base::Ref<base::Dictionary> parameters) {
    std::lock_guard lock(mutex_);
    auto ended = KestrelDates::now();
    for (auto const& event : eventLog_) {
        if (!event->isUnterminated() || event->name() != name)
            continue;
        event->setEnded(ended);
        if (parameters)
            event->setParameters(parameters->copy());
        KestrelUtil::debugLog(
            "KestrelAnalytics: event named[%@] ended at %@", name, describe(std::optional(ended)));
    }
}

void KestrelSession::endTimedEvents() {
    std::lock_guard lock(mutex_);
    KestrelUtil::debugLog(
        "KestrelAnalytics: ending all unterminated timed events with _endTime[%@]...",
        describe(endTime_));
    for (auto const& event : eventLog_) {
        if (event->isUnterminated() || event->automaticallyEnded()) {
            event->setEnded(endTime_);
            event->setAutomaticallyEnded(true);
            KestrelUtil::debugLog(
                "KestrelAnalytics: forcefully terminated event named[%@]", event->name());
        }
    }
    KestrelUtil::debugLog("KestrelAnalytics: ...finished ending un-ended timed events.");
}

void KestrelSession::recordError(std::optional<std::string> errorId,
    std::optional<std::string> message, std::optional<std::string> exceptionText) {
    auto text = exceptionText.value_or("nil");
    KestrelUtil::debugLog(
        "KestrelAnalytics: Recording error id[%@] with message[%@] and exception[%@]",
        errorId.value_or(""), message.value_or(""), text);
    recordErrorString(errorId, message, text);
    KestrelUtil::debugLog(
        "KestrelAnalytics: Recording error id[%@] with message[%@] and exception[%@] complete",
        errorId.value_or(""), message.value_or(""), text);
}

void KestrelSession::recordErrorString(std::optional<std::string> errorId,
    std::optional<std::string> message, std::optional<std::string> exceptionString) {
    {
        std::lock_guard lock(mutex_);
        totalErrorCount_ += 1;
        if (errors_.size() < maxErrors) {
            errors_.push_back({KestrelDates::now(), errorId.value_or(""), message.value_or(""),
                exceptionString.value_or("")});
            KestrelUtil::debugLog("KestrelAnalytics: Error id[%@] updated", errorId.value_or(""));
        } else {
            KestrelUtil::debugLog(
                "KestrelAnalytics: Error id[%@] not recorded", errorId.value_or(""));
        }
    }
    saveToDisk();
}

void KestrelSession::recordImpression(
    std::vector<base::Bytes>& log, base::Bytes const& impression) {
    {
        std::lock_guard lock(mutex_);
        if (log.size() < maxAdImpressions) {
            auto same = std::find(log.begin(), log.end(), impression);
            if (same != log.end()) {
                KestrelUtil::debugLog("KestrelAnalytics: Replacing ad impression [%p]",
                    static_cast<void const*>(&*same));
                *same = impression;
            } else {
                log.push_back(impression);
                KestrelUtil::debugLog("KestrelAnalytics: Recording ad impression [%p]",
                    static_cast<void const*>(&log.back()));
            }
        } else {
            KestrelUtil::debugLog(
                "KestrelAnalytics: Impression not recorded because max impression is reached");
        }
    }
    saveToDisk();
    KestrelUtil::debugLog("KestrelAnalytics: Recording ad impression complete");
}

void KestrelSession::recordAdImpression(base::Bytes const& impression) {
    recordImpression(adLog_, impression);
}

void KestrelSession::recordAdSpotAdImpression(base::Bytes const& impression) {
    recordImpression(adSpotAdLog_, impression);
}

void KestrelSession::setLatitude(
    double latitude, double longitude, float horizontalAccuracy, float verticalAccuracy) {
    auto reduce
        = [](double x) { return static_cast<double>(static_cast<std::int32_t>(x * 1000)) / 1000; };
    {
        std::lock_guard lock(mutex_);
        latitude_ = latitude;
        longitude_ = longitude;
        double mean
            = (std::fabs(double(horizontalAccuracy)) + std::fabs(double(verticalAccuracy))) / 2;
        // Out-of-range values would not fit the integer the three decimals pass through.
        accuracy_ = std::isfinite(mean) && mean < 2e6 ? float(reduce(mean)) : 0.0f;
        KestrelUtil::debugLog(
            "KestrelAnalytics: New location set with lat[%f] long[%f] accuracy[%f]", latitude_,
            longitude_, double(accuracy_));
    }
    saveToDisk();
}

void KestrelSession::setUserID(std::optional<std::string> userID) {
    std::lock_guard lock(mutex_);
    userID_ = std::move(userID);
    KestrelUtil::debugLog("KestrelAnalytics: Set userID[%@]", userID_.value_or("(null)"));
}

std::string KestrelSession::userID() const {
    std::lock_guard lock(mutex_);
    return userID_.value_or("");
}

void KestrelSession::setGender(std::optional<std::string> gender) {
    std::lock_guard lock(mutex_);
    gender_ = gender == "m" ? 1 : gender == "f" ? 0 : -1;
    KestrelUtil::debugLog("given gender [%@], _gender = [%d]", gender.value_or("(null)"), gender_);
}

void KestrelSession::setAge(int age) {
    if (age < 1 || age > 150)
        return;
    foundation::DateFormatter year("yyyy");
    int current = std::atoi(year.stringFromDate(KestrelDates::now()).c_str());
    auto born = year.dateFromString(std::to_string(current - age));
    if (!born)
        return;
    std::lock_guard lock(mutex_);
    age_ = born;
    KestrelUtil::debugLog("KestrelAnalytics: set age to [%@]", describe(age_));
}

void KestrelSession::setEventLoggingEnabled(bool enabled) {
    std::lock_guard lock(mutex_);
    eventLoggingEnabled_ = enabled;
    KestrelUtil::debugLog("KestrelAnalytics: Event logging enabled[%d]", int(enabled));
}

void KestrelSession::maybeIncrementPageView() {
    double current = foundation::Clock::current().monotonic();
    std::lock_guard lock(pageViewMutex);
    if (lastPageViewTime && current - *lastPageViewTime <= minimumPageViewInterval)
        return;
    {
        std::lock_guard sessionLock(mutex_);
        pageViewCount_ += 1;
    }
    lastPageViewTime = current;
}

void KestrelSession::resetPageViewTime() {
    std::lock_guard lock(pageViewMutex);
    lastPageViewTime.reset();
}

// ---- accessors

#define KESTREL_GETTER(type, name, field)                                                          \
    type KestrelSession::name() const {                                                            \
        std::lock_guard lock(mutex_);                                                              \
        return field;                                                                              \
    }

KESTREL_GETTER(bool, sessionReportsOnCloseEnabled, sessionReportsOnCloseEnabled_)
KESTREL_GETTER(bool, sessionReportsOnPauseEnabled, sessionReportsOnPauseEnabled_)
KESTREL_GETTER(std::optional<base::Date>, startTime, startTime_)
KESTREL_GETTER(std::string, apiKey, apiKey_)
KESTREL_GETTER(std::optional<base::Date>, endTime, endTime_)
KESTREL_GETTER(std::optional<base::Date>, pauseTime, pauseTime_)
KESTREL_GETTER(std::int64_t, totalPauseIntervalMillis, totalPauseIntervalMillis_)
KESTREL_GETTER(std::string, appVersion, appVersion_)
KESTREL_GETTER(int, pageViewCount, pageViewCount_)
KESTREL_GETTER(bool, internetAvailable, internetAvailable_)
KESTREL_GETTER(bool, crashed, crashed_)
KESTREL_GETTER(bool, eventLoggingEnabled, eventLoggingEnabled_)
KESTREL_GETTER(bool, eventLogComplete, eventLogComplete_)
KESTREL_GETTER(int, totalErrorCount, totalErrorCount_)
KESTREL_GETTER(std::vector<KestrelSession::ErrorEntry>, errors, errors_)
KESTREL_GETTER(KestrelSession::EventCounts, eventCounts, eventCounts_)
KESTREL_GETTER(std::vector<base::Ref<KestrelEvent>>, eventLog, eventLog_)
KESTREL_GETTER(std::vector<base::Bytes>, adLog, adLog_)
KESTREL_GETTER(std::vector<base::Bytes>, adSpotAdLog, adSpotAdLog_)
KESTREL_GETTER(double, latitude, latitude_)
KESTREL_GETTER(double, longitude, longitude_)
KESTREL_GETTER(float, accuracy, accuracy_)
KESTREL_GETTER(int, gender, gender_)
KESTREL_GETTER(std::optional<base::Date>, age, age_)
KESTREL_GETTER(std::string, locale, locale_)
KESTREL_GETTER(std::string, timeZone, timeZone_)
KESTREL_GETTER(int, serializationVersion, serializationVersion_)

#undef KESTREL_GETTER

#define KESTREL_SETTER(type, name, field)                                                          \
    void KestrelSession::name(type value) {                                                        \
        std::lock_guard lock(mutex_);                                                              \
        field = std::move(value);                                                                  \
    }

KESTREL_SETTER(bool, setSessionReportsOnCloseEnabled, sessionReportsOnCloseEnabled_)
KESTREL_SETTER(bool, setSessionReportsOnPauseEnabled, sessionReportsOnPauseEnabled_)
KESTREL_SETTER(std::optional<base::Date>, setEndTime, endTime_)
KESTREL_SETTER(std::string, setAppVersion, appVersion_)
KESTREL_SETTER(int, setPageViewCount, pageViewCount_)
KESTREL_SETTER(bool, setInternetAvailable, internetAvailable_)
KESTREL_SETTER(bool, setCrashed, crashed_)

#undef KESTREL_SETTER

std::int64_t KestrelSession::sessionLength() const {
    std::lock_guard lock(mutex_);
    if (!endTime_)
        return -1;
    return KestrelProtocolData::timeIntervalFrom(startTime_, endTime_);
}

std::int64_t KestrelSession::timeIntervalSinceSessionStart(std::optional<base::Date> date) const {
    std::lock_guard lock(mutex_);
    return KestrelProtocolData::timeIntervalFrom(startTime_, date);
}

std::string KestrelSession::description() const {
    return foundation::format("<KestrelSession: %p>", static_cast<void const*>(this));
}

}
