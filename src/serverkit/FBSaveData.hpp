#pragma once

#include <serverkit/APICall.hpp>

#include <string>

namespace serverkit {

// Uploads a save kept under the user id of an outside account ("fb_savedata" on
// "/qbyapi/v2/api.php", signed, not logged): the save as a nested JSON object under
// "savedata", the user id as "fbid" and a request number "sid". The save object is
// held, not copied, so what the body carries is the object as it stands when the
// call is sent. The reply is not read. Posts "QBYAPI_V2_FB_SAVEDATA_NOTIFICATION"
// after a success and "QBYAPI_V2_FB_SAVEDATA_FAIL"
// {"QBYAPI_V2_FB_SAVEDATA_ERRORKEY": error} after a failure.
class FBSaveData final : public APICall {
public:
    static base::Ref<FBSaveData> apicallWithSaveDataObject(base::Value saveData, std::string fbuid);

    void setSaveDataObject(base::Value saveData) { mSaveData = std::move(saveData); }
    base::Value const& saveDataObject() const { return mSaveData; }
    void setFBUID(std::string fbuid) { mFBUID = std::move(fbuid); }
    std::string const& fbuid() const { return mFBUID; }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(RequestLog::No); }
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

private:
    friend base::Factory;
    FBSaveData();

    base::Value mSaveData;
    std::string mFBUID;
};

}
