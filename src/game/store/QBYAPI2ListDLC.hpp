#pragma once

#include <serverkit/APICall.hpp>

namespace game {

// The content-package system's list call: the game server's "listdlc" method
// (unsigned, no keys of its own), sharing "listdlc_datastore" and
// "qbykit_listdlc_notification" with the game's own list call but writing no list
// file. Made, it puts an empty array under "listdlc_datastore" when the data store
// has nothing there. A reply that decodes as JSON replaces that entry; an empty or
// undecodable one (logged) leaves it. Either way the notification is posted once,
// with the call as object and the data store's list as user info; a failed call
// posts only "qbykit_listdlc_fail_notification" {"listdlc_error": error}.
class QBYAPI2ListDLC final : public serverkit::APICall {
public:
    static base::Ref<QBYAPI2ListDLC> apicall();

    base::Ref<base::Dictionary> getDataStoreInfo() override;
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

private:
    friend base::Factory;
    QBYAPI2ListDLC();
};

}
