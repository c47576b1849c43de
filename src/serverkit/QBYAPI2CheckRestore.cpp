#include <serverkit/QBYAPI2CheckRestore.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/NotificationCenter.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace serverkit {

base::Ref<QBYAPI2CheckRestore> QBYAPI2CheckRestore::apicall() {
    return base::make<QBYAPI2CheckRestore>();
}

QBYAPI2CheckRestore::QBYAPI2CheckRestore() {
    setRequestURLStr(gameServerURL(V2Path));
    setApiMethod("checkrestore");
}

base::Ref<base::Dictionary> QBYAPI2CheckRestore::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData(), QBYConnect::sharedManager().sessionToken());
}

base::Ref<base::Dictionary> QBYAPI2CheckRestore::dataStoreInfoForReply(
    base::Bytes const* reply, std::optional<std::string> const& token) {
    auto decoder = toolkit::json::JSONDecoder::decoder();
    auto checked = SignedReply::checkRestoreReply(*decoder, reply, token);
    if (!checked)
        return nullptr;
    auto info = base::Dictionary::create();
    info->setObject(
        QBYKeys::V2CheckRestoreDataStore, checked->isNull() ? base::Value::nullObject() : *checked);
    return info;
}

void QBYAPI2CheckRestore::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2CheckRestore, this,
        dataStore.objectForKey(QBYKeys::V2CheckRestoreDataStore));
}

}
