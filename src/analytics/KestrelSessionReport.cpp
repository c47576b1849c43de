// The session record and the report: the binary body the agent uploads, and the
// form finished sessions wait in on disk.
#include <analytics/KestrelSession.hpp>

#include <analytics/KestrelAnalytics.hpp>
#include <analytics/KestrelFileCache.hpp>
#include <analytics/KestrelImageCache.hpp>
#include <analytics/KestrelProtocolData.hpp>
#include <analytics/KestrelUtil.hpp>

#include <ui/Device.hpp>
#include <ui/Screen.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>

#include <foundation/Thread.hpp>

#include <atomic>
#include <charconv>
#include <mutex>

namespace analytics {

namespace {

std::mutex deviceIdentifierMutex;
std::string deviceIdentifierValue;

// The main screen's size in points, as last read on the main thread: the report
// is built on upload threads, which may not ask the screen.
std::atomic<int> screenWidth {480};
std::atomic<int> screenHeight {320};

// The image id as a 64-bit integer when the whole id is a decimal number.
std::optional<std::int64_t> numericImageId(std::string const& imageId) {
    std::int64_t value = 0;
    auto const* first = imageId.data();
    auto const* last = first + imageId.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (imageId.empty() || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

}

std::optional<base::Bytes> KestrelSession::data() const {
    std::lock_guard lock(mutex_);
    base::Bytes data;
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(serializationVersion_), data);
    KestrelProtocolData::appendString(appVersion_, data);
    KestrelProtocolData::appendTimestamp(startTime_, data);
    KestrelProtocolData::appendLong(sessionLength(), data);
    KestrelProtocolData::appendLong(totalPauseIntervalMillis_, data);
    KestrelProtocolData::appendString(locale_, data);
    KestrelProtocolData::appendString(timeZone_, data);
    KestrelProtocolData::appendBoolean(internetAvailable_, data);
    KestrelProtocolData::appendString(userID_.value_or(""), data);
    KestrelProtocolData::appendBoolean(true, data);
    KestrelProtocolData::appendDouble(latitude_, data);
    KestrelProtocolData::appendDouble(longitude_, data);
    KestrelProtocolData::appendFloat(accuracy_, data);
    KestrelProtocolData::appendInt(pageViewCount_, data);
    // Two reserved bytes, always 0.
    KestrelProtocolData::appendByte(0, data);
    KestrelProtocolData::appendByte(0, data);
    KestrelProtocolData::appendByte(static_cast<std::int8_t>(gender_ & 0xFF), data);
    KestrelProtocolData::appendBoolean(age_.has_value(), data);
    if (age_)
        KestrelProtocolData::appendTimestamp(age_, data);
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(eventCounts_.size()), data);
    for (auto const& [name, count] : eventCounts_) {
        KestrelProtocolData::appendString(name, data);
        KestrelProtocolData::appendInt(count, data);
    }
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(eventLog_.size()), data);
    for (auto const& event : eventLog_) {
        auto record = event->dataRelativeToSessionStart(startTime_);
        data.insert(data.end(), record.begin(), record.end());
    }
    KestrelProtocolData::appendBoolean(eventLogComplete_, data);
    KestrelProtocolData::appendInt(totalErrorCount_, data);
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(errors_.size()), data);
    for (auto const& error : errors_) {
        KestrelProtocolData::appendTimestamp(error.date, data);
        KestrelProtocolData::appendString(error.errorId, data);
        KestrelProtocolData::appendString(error.message, data);
        KestrelProtocolData::appendString(error.exceptionText, data);
    }
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(adLog_.size()), data);
    for (auto const& impression : adLog_)
        data.insert(data.end(), impression.begin(), impression.end());
    return data;
}

base::Bytes KestrelSession::dataForSessions(std::vector<ReportItem> const& sessions) {
    return dataForSessions(sessions, true, true, true);
}

base::Bytes KestrelSession::dataForSessions(std::vector<ReportItem> const& sessions,
    bool requestAdLoopAds, bool requestVideoAds, bool requestAdSpotAds) {
    auto current = currentSession();
    bool anyAds = requestAdLoopAds || requestVideoAds || requestAdSpotAds;
    if (anyAds) {
        auto files = KestrelFileCache::createInstanceWithApiKey(
            current ? current->apiKey() : std::string(), getAgentVersion());
        KestrelImageCache::createInstanceWithFileCache(files.get());
    }

    base::Bytes data;
    KestrelProtocolData::appendUshort(reportVersion, data);
    KestrelProtocolData::appendUshort(anyAds ? 3 : 0, data);
    if (anyAds) {
        KestrelProtocolData::appendUshort(requestAdLoopAds || requestVideoAds ? 3 : 0, data);
        KestrelProtocolData::appendUshort(requestAdSpotAds ? 1 : 0, data);
    }
    auto images = KestrelImageCache::instance();
    KestrelProtocolData::appendLong(images ? images->cacheUpdateTimestamp() : 0, data);
    // An id that is not a decimal number cannot be told to the service; it is
    // left out rather than written as image 0.
    std::vector<std::int64_t> imageIds;
    if (images) {
        for (auto const& imageId : images->storedIds()) {
            if (auto number = numericImageId(imageId); number && imageIds.size() < 0xFFFF)
                imageIds.push_back(*number);
        }
    }
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(imageIds.size()), data);
    for (auto imageId : imageIds) {
        KestrelProtocolData::appendByte(1, data);
        KestrelProtocolData::appendLong(imageId, data);
    }
    KestrelProtocolData::appendUshort(KestrelUtil::isIPad() ? 8 : 2, data);
    KestrelProtocolData::appendUshort(agentVersion, data);
    KestrelProtocolData::appendTimestamp(
        base::Date {foundation::Clock::current().wallTime()}, data);
    KestrelProtocolData::appendString(
        current ? std::optional(current->apiKey()) : std::nullopt, data);
    KestrelProtocolData::appendString(
        current ? std::optional(current->appVersion()) : std::nullopt, data);
    bool clear = KestrelAnalytics::udidEnabled();
    KestrelProtocolData::appendUshort(clear ? 0 : 1, data);
    if (clear)
        KestrelProtocolData::appendString(phoneID(), data);
    else
        KestrelProtocolData::appendShortData(kestrelID(), data);
    KestrelProtocolData::appendTimestamp(initialTimestamp(), data);
    KestrelProtocolData::appendTimestamp(current ? current->startTime() : std::nullopt, data);

    if (foundation::Thread::isMainThread())
        captureScreenSize();
    KestrelProtocolData::appendUshort(3, data);
    KestrelProtocolData::appendString("device.model.1", data);
    KestrelProtocolData::appendString(devicePlatform(), data);
    KestrelProtocolData::appendString("scr.width", data);
    KestrelProtocolData::appendString(std::to_string(screenWidth.load()), data);
    KestrelProtocolData::appendString("scr.height", data);
    KestrelProtocolData::appendString(std::to_string(screenHeight.load()), data);

    std::vector<base::Bytes> records;
    for (auto const& item : sessions) {
        if (records.size() == 0xFFFF)
            break;
        if (auto const* session = std::get_if<base::Ref<KestrelSession>>(&item)) {
            if (*session) {
                if (auto record = (*session)->data())
                    records.push_back(std::move(*record));
            }
        } else if (auto const& record = std::get<base::Bytes>(item); !record.empty()) {
            records.push_back(record);
        }
    }
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(records.size()), data);
    for (auto const& record : records)
        data.insert(data.end(), record.begin(), record.end());
    return data;
}

void KestrelSession::captureScreenSize() {
    auto bounds = ui::Screen::mainScreen().bounds();
    screenWidth.store(static_cast<int>(bounds.size.width));
    screenHeight.store(static_cast<int>(bounds.size.height));
}

void KestrelSession::setDeviceIdentifier(std::string identifier) {
    std::lock_guard lock(deviceIdentifierMutex);
    deviceIdentifierValue = std::move(identifier);
}

std::string KestrelSession::deviceIdentifier() {
    std::lock_guard lock(deviceIdentifierMutex);
    return deviceIdentifierValue;
}

// The model the program plays as; nothing is read from the machine.
std::string KestrelSession::devicePlatform() {
    return ui::Device::currentDevice().isPad() ? "iPad1,1" : "iPhone3,1";
}

std::string KestrelSession::phoneID() {
    return "IPHONE" + deviceIdentifier();
}

base::Bytes KestrelSession::kestrelID() {
    auto phone = phoneID();
    auto hashed = hashData(base::Bytes(phone.begin(), phone.end()));
    KestrelUtil::debugLog(
        "KestrelAnalytics: uniqueDeviceID = %@", hashDataToHexString(hashed, hashed.size()));
    return hashed;
}

base::Bytes KestrelSession::hashData(base::Bytes const& data) {
    return foundation::Digest::sha1(data);
}

std::string KestrelSession::hashDataToHexString(base::Bytes const& data, std::size_t length) {
    std::string hex;
    for (std::size_t i = 0; i < length && i < data.size(); ++i)
        hex += foundation::format("%02x", int(data[i]));
    return hex;
}

// Fixed answers of the device the program plays as.
int KestrelSession::deviceMemory() {
    return 512;
}

std::int64_t KestrelSession::deviceCPUFrequency() {
    return 1000000000;
}

}
