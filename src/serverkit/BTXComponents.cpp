#include <serverkit/BTXComponents.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<BTXComponents> BTXComponents::apicall() {
    return base::make<BTXComponents>();
}

BTXComponents::BTXComponents() {
    setApiMethod("btxomponents");
    setAppBundleVersion(foundation::Bundle::mainBundle()
                            .objectForInfoDictionaryKey("CFBundleVersion")
                            .stringValue());
}

base::Ref<base::Dictionary> BTXComponents::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData());
}

base::Ref<base::Dictionary> BTXComponents::dataStoreInfoForReply(base::Bytes const* reply) {
    auto decoded = SignedReply::decode(*toolkit::json::JSONDecoder::decoder(), reply);
    if (decoded.isNull())
        return nullptr;
    auto info = base::Dictionary::create();
    info->setObject(QBYKeys::BTXDataStore, decoded);
    return info;
}

void BTXComponents::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::BTXComponents, this, dataStore.objectForKey(QBYKeys::BTXDataStore));
}

}
