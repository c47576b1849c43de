#include <serverkit/CheckRestore.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<CheckRestore> CheckRestore::apicall() {
    return base::make<CheckRestore>();
}

CheckRestore::CheckRestore() {
    setApiMethod("checkrestore");
}

base::Ref<base::Dictionary> CheckRestore::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData(), QBYConnect::sharedManager().sessionToken());
}

base::Ref<base::Dictionary> CheckRestore::dataStoreInfoForReply(
    base::Bytes const* reply, std::optional<std::string> const& token) {
    auto decoder = toolkit::json::JSONDecoder::decoder();
    auto checked = SignedReply::checkRestoreReply(*decoder, reply, token);
    if (!checked)
        return nullptr;
    auto info = base::Dictionary::create();
    if (checked->isNull())
        info->setObject(QBYKeys::CheckRestoreDataStore, base::Value::nullObject());
    else
        info->setObject(QBYKeys::CheckRestoreDataStore,
            SignedReply::decodeData(*decoder, *SignedReply::dataText(*checked)));
    return info;
}

void CheckRestore::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(QBYNotifications::CheckRestore,
        this, dataStore.objectForKey(QBYKeys::CheckRestoreDataStore));
}

}
