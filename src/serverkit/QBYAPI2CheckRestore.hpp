#pragma once

#include <serverkit/APICall.hpp>

#include <optional>
#include <string>

namespace serverkit {

// Asks the second-version service whether it holds a save to restore onto this
// device ("checkrestore" on "/qbyapi/v2/api.php", signed and logged). Its signed
// reply becomes "qbyapi_v2_checkrestore_datastore": a reply of "-1" changes nothing,
// "data" "none" removes the entry, a genuine reply is stored whole (its "data" and
// "sig" included), anything else removes the entry. Without a session token the
// reply is not looked at. Posts "qbyapi_v2_checkrestore_notification" with the entry
// after a success, nothing after a failure.
class QBYAPI2CheckRestore final : public APICall {
public:
    static base::Ref<QBYAPI2CheckRestore> apicall();

    base::Bytes buildRequestData() override { return buildSignedRequestData(); }
    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge, with the session token held (or none).
    static base::Ref<base::Dictionary> dataStoreInfoForReply(
        base::Bytes const* reply, std::optional<std::string> const& token);
    void postNotification(base::Dictionary const& dataStore) override;

private:
    friend base::Factory;
    QBYAPI2CheckRestore();
};

}
