#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Reports to the server (unsigned), in one of two forms: a named event ("event",
// "eventdata" the data text and "eventid" the id) or statistics ("events",
// "eventdata" the dictionary as a nested JSON object). Reports and posts nothing.
class Event final : public APICall {
public:
    static base::Ref<Event> apicallWithEventData(std::string eventData, std::string eventId);
    static base::Ref<Event> apicallWithEventDictionary(base::Ref<base::Dictionary> eventObj);

    std::string const& eventId() const { return eventId_; }
    std::string const& eventData() const { return eventData_; }
    base::Ref<base::Dictionary> const& eventObj() const { return eventObj_; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;

    ~Event() override;

private:
    friend base::Factory;
    Event();

    std::string eventId_;
    std::string eventData_;
    base::Ref<base::Dictionary> eventObj_;
};

}
