#pragma once

#include <serverkit/APICall.hpp>
#include <serverkit/DirectiveHandler.hpp>

#include <vector>

namespace serverkit {

// Asks the game server for its directives ("checkdirectives", unsigned, no data of
// its own). The reply is a JSON array of records {"uid": number or numeric text,
// "data": JSON text}, in the order the server wants them run. Every record is offered
// to every handler, records in array order and, for each record, handlers in the
// order given; the dictionaries the handlers answer are merged into one (a later key
// replaces an earlier one), which becomes the whole of
// "QBYKIT_CHECKDIRECTIVES_DATASTORE_KEY", also when it is empty. No reply, an
// empty one or one that is not a JSON array removes the entry and runs no handler.
// A record that is not an object, or whose "data" is not text, is passed over.
// Posts "QBYKIT_CHECKDIRECTIVES_NOTIFICTAION" (sender: the call) after a success.
// The call owns its handlers. Main thread only.
class CheckDirectives final : public APICall {
public:
    using Handlers = std::vector<base::Ref<DirectiveHandler>>;

    // A call with no handlers.
    static base::Ref<CheckDirectives> apicall();
    static base::Ref<CheckDirectives> apicallWithDirectiveHandlers(Handlers handlers);

    Handlers const& handlers() const { return _handlers; }

    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge, running handlers over its records.
    static base::Ref<base::Dictionary> dataStoreInfoForReply(
        base::Bytes const* reply, Handlers const& handlers);
    void postNotification(base::Dictionary const& dataStore) override;

private:
    friend base::Factory;
    explicit CheckDirectives(Handlers handlers);

    Handlers _handlers;
};

}
