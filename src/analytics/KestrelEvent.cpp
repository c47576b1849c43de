#include <analytics/KestrelEvent.hpp>

#include <analytics/KestrelDates.hpp>
#include <analytics/KestrelProtocolData.hpp>

#include <foundation/Clock.hpp>
#include <foundation/KeyedArchiver.hpp>
#include <foundation/KeyedUnarchiver.hpp>

#include <mutex>

namespace analytics {

namespace {

// The text a parameter's key or value is written as.
std::string textOf(base::Value const& value) {
    if (value.isString())
        return *value.string();
    return value.isNumber() || value.isBoolean() ? value.stringValue() : value.description();
}

}

KestrelEvent::KestrelEvent(std::string name, bool timed, base::Ref<base::Dictionary> parameters)
    : name_(std::move(name))
    , started_ {foundation::Clock::current().wallTime()}
    , timed_(timed)
    , parameters_(std::move(parameters)) {
}

base::Ref<KestrelEvent> KestrelEvent::initWithName(std::string name) {
    return initWithName(std::move(name), false, nullptr);
}

base::Ref<KestrelEvent> KestrelEvent::initWithName(std::string name, bool timed) {
    return initWithName(std::move(name), timed, nullptr);
}

base::Ref<KestrelEvent> KestrelEvent::initWithName(
    std::string name, bool timed, base::Ref<base::Dictionary> parameters) {
    return base::make<KestrelEvent>(std::move(name), timed, std::move(parameters));
}

void KestrelEvent::registerCoding() {
    static std::once_flag registered;
    std::call_once(
        registered, [] { foundation::Coding::registerClass<KestrelEvent>("KestrelEvent"); });
}

base::Ref<KestrelEvent> KestrelEvent::initWithCoder(foundation::KeyedUnarchiver& coder) {
    auto name = coder.decodeObjectForKey("name");
    if (!name.isString())
        return nullptr;
    auto event = base::make<KestrelEvent>(*name.string(), false, nullptr);
    event->started_
        = KestrelDates::dateOf(coder.decodeObjectForKey("started")).value_or(base::Date {});
    event->ended_ = KestrelDates::dateOf(coder.decodeObjectForKey("ended"));
    event->timed_ = coder.decodeBoolForKey("timed");
    event->parameters_ = coder.decodeObjectForKey("parameters").dictionaryRef();
    event->automaticallyEnded_ = coder.decodeBoolForKey("automaticallyEnded");
    return event;
}

void KestrelEvent::encodeWithCoder(foundation::KeyedArchiver& coder) {
    coder.encodeObject(base::Value(name_), "name");
    coder.encodeObject(base::Value(started_), "started");
    coder.encodeObject(KestrelDates::valueOf(ended_), "ended");
    coder.encodeBool(timed_, "timed");
    coder.encodeObject(parameters_ ? base::Value(parameters_) : base::Value(), "parameters");
    coder.encodeBool(automaticallyEnded_, "automaticallyEnded");
}

std::int32_t KestrelEvent::startOffsetFromSessionStart(
    std::optional<base::Date> sessionStart) const {
    return static_cast<std::int32_t>(KestrelProtocolData::timeIntervalFrom(sessionStart, started_));
}

std::int32_t KestrelEvent::duration() const {
    if (!timed_ || !ended_)
        return 0;
    return static_cast<std::int32_t>(KestrelProtocolData::timeIntervalFrom(started_, ended_));
}

base::Bytes KestrelEvent::dataRelativeToSessionStart(std::optional<base::Date> sessionStart) const {
    base::Bytes data;
    KestrelProtocolData::appendString(name_, data);
    auto count = parameters_ ? parameters_->size() : 0;
    KestrelProtocolData::appendUshort(static_cast<std::uint16_t>(count), data);
    if (parameters_) {
        for (auto const& [key, value] : *parameters_) {
            KestrelProtocolData::appendString(key, data);
            KestrelProtocolData::appendString(textOf(value), data);
        }
    }
    KestrelProtocolData::appendLong(startOffsetFromSessionStart(sessionStart), data);
    KestrelProtocolData::appendLong(duration(), data);
    return data;
}

}
