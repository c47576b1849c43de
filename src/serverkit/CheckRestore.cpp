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
    if (!token)
        return nullptr;
    std::string_view text;
    if (reply)
        text = std::string_view(reinterpret_cast<char const*>(reply->data()), reply->size());
    foundation::log("checkrestore response:%@", text);
    if (text == "-1")
        return nullptr;

    auto decoder = toolkit::json::JSONDecoder::decoder();
    auto decoded = SignedReply::decode(*decoder, reply);
    auto data = SignedReply::dataText(decoded);
    auto info = base::Dictionary::create();
    if (data && *data != "none" && SignedReply::isGenuine(decoded, *token))
        info->setObject(QBYKeys::CheckRestoreDataStore, SignedReply::decodeData(*decoder, *data));
    else
        info->setObject(QBYKeys::CheckRestoreDataStore, base::Value::nullObject());
    return info;
}

void CheckRestore::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(QBYNotifications::CheckRestore,
        this, dataStore.objectForKey(QBYKeys::CheckRestoreDataStore));
}

}
