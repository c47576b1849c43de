#pragma once

#include <serverkit/APICall.hpp>

#include <optional>
#include <string>

namespace serverkit {

// Asks whether another application ("srcappid") sent its save to this device
// ("checkreward", signed, with a request number "sid"). Its signed reply becomes
// "qbykit_checkreward_datastore": a reply that is not JSON removes the entry; a
// genuine reply whose "data" is longer than 2 characters stores the JSON of its
// "data"; any other reply is stored as it came. Without a session token the reply is
// not looked at. Posts "qbykit_checkreward_notification" after a success.
class CheckReward final : public APICall {
public:
    static base::Ref<CheckReward> apicallWithTargetBundleId(std::string targetBundleId);

    std::string const& targetBundleId() const { return mTargetBundleId; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(); }
    base::Ref<base::Dictionary> getDataStoreInfo() override;
    // What a reply (null: none) gives to merge, with the session token held (or none).
    static base::Ref<base::Dictionary> dataStoreInfoForReply(
        base::Bytes const* reply, std::optional<std::string> const& token);
    void postNotification(base::Dictionary const& dataStore) override;

private:
    friend base::Factory;
    explicit CheckReward(std::string targetBundleId);

    std::string mTargetBundleId;
};

}
