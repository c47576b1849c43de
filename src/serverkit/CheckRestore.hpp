#pragma once

#include <serverkit/APICall.hpp>

#include <optional>
#include <string>

namespace serverkit {

// Asks whether the server holds a save to restore onto this device ("checkrestore",
// signed). Its signed reply becomes "qbykit_checkrestore_datastore": a reply of "-1"
// changes nothing, "data" "none" removes the entry, a genuine reply stores the JSON
// of its "data", anything else removes the entry. Without a session token the reply
// is not looked at. Posts "qbykit_checkrestore_notification" with the entry after a
// success, nothing after a failure.
class CheckRestore final : public APICall {
public:
    static base::Ref<CheckRestore> apicall();

    base::Bytes buildRequestData() override { return buildSignedRequestData(); }
    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge, with the session token held (or none).
    static base::Ref<base::Dictionary> dataStoreInfoForReply(
        base::Bytes const* reply, std::optional<std::string> const& token);
    void postNotification(base::Dictionary const& dataStore) override;

private:
    friend base::Factory;
    CheckRestore();
};

}
