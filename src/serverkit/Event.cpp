#include <serverkit/Event.hpp>

#include <foundation/Format.hpp>

namespace serverkit {

base::Ref<Event> Event::apicallWithEventData(std::string eventData, std::string eventId) {
    auto call = base::make<Event>();
    call->eventData_ = std::move(eventData);
    call->eventId_ = std::move(eventId);
    return call;
}

base::Ref<Event> Event::apicallWithEventDictionary(base::Ref<base::Dictionary> eventObj) {
    auto call = base::make<Event>();
    call->eventObj_ = std::move(eventObj);
    call->setApiMethod("events");
    return call;
}

Event::Event() {
    setApiMethod("event");
}

Event::~Event() {
    foundation::log("Event dealloc");
}

base::Ref<base::Dictionary> Event::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    if (apiMethod() == "event") {
        dictionary->setObject("eventdata", eventData_);
        dictionary->setObject("eventid", eventId_);
    } else {
        dictionary->setObject(
            "eventdata", eventObj_ ? base::Value(eventObj_) : base::Value::nullObject());
    }
    return dictionary;
}

}
