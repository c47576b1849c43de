#include <serverkit/FBSaveData.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<FBSaveData> FBSaveData::apicallWithSaveDataObject(
    base::Value saveData, std::string fbuid) {
    auto call = base::make<FBSaveData>();
    call->setSaveDataObject(std::move(saveData));
    call->setFBUID(std::move(fbuid));
    return call;
}

FBSaveData::FBSaveData() {
    setRequestURLStr(gameServerURL(V2Path));
    setApiMethod("fb_savedata");
}

base::Ref<base::Dictionary> FBSaveData::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("savedata", mSaveData.isNull() ? base::Value::nullObject() : mSaveData);
    dictionary->setObject("fbid", mFBUID);
    dictionary->setObject("sid", requestNumber());
    return dictionary;
}

void FBSaveData::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2SaveData, this);
}

void FBSaveData::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject(QBYErrorKeys::V2SaveData, errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2SaveDataFail, this, info);
}

}
