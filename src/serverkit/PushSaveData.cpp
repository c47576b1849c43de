#include <serverkit/PushSaveData.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/NotificationCenter.hpp>

namespace serverkit {

namespace {

base::Value copyOf(base::Value const& value) {
    if (auto const* dictionary = value.dictionary())
        return dictionary->deepCopy();
    if (auto const* array = value.array())
        return array->deepCopy();
    return value;
}

}

base::Ref<PushSaveData> PushSaveData::apicallWithSaveDataObject(base::Value saveData) {
    auto call = base::make<PushSaveData>();
    call->setSaveDataObject(std::move(saveData));
    return call;
}

PushSaveData::PushSaveData() {
    setApiMethod("savedata");
}

void PushSaveData::setSaveDataObject(base::Value saveData) {
    mSaveData = copyOf(saveData);
}

base::Ref<base::Dictionary> PushSaveData::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("savedata", mSaveData.isNull() ? base::Value::nullObject() : mSaveData);
    dictionary->setObject("sid", requestNumber());
    return dictionary;
}

void PushSaveData::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::SaveData, this);
}

void PushSaveData::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject("qbykit_savedata_err", errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::SaveDataFail, this, info);
}

}
