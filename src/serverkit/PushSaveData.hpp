#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Uploads the exported save ("savedata", signed): the save as a nested JSON object
// under "savedata" and a request number under "sid". Posts
// "qbykit_savedata_notification" after a success and "qbykit_savedata_fail"
// {"qbykit_savedata_err": error} after a failure.
class PushSaveData final : public APICall {
public:
    static base::Ref<PushSaveData> apicallWithSaveDataObject(base::Value saveData);

    // Keeps a copy of the save.
    void setSaveDataObject(base::Value saveData);
    base::Value const& saveDataObject() const { return mSaveData; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(); }
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

private:
    friend base::Factory;
    PushSaveData();

    base::Value mSaveData;
};

}
