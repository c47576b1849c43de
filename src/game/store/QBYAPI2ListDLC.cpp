#include <game/store/QBYAPI2ListDLC.hpp>

#include <foundation/NotificationCenter.hpp>
#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace game {

using serverkit::QBYConnect;
namespace QBYKeys = serverkit::QBYKeys;
namespace QBYNotifications = serverkit::QBYNotifications;

base::Ref<QBYAPI2ListDLC> QBYAPI2ListDLC::apicall() {
    return base::make<QBYAPI2ListDLC>();
}

QBYAPI2ListDLC::QBYAPI2ListDLC() {
    setApiMethod("listdlc");
    auto& connect = QBYConnect::sharedManager();
    if (connect.objectForKey(QBYKeys::ListDLCDataStore).isNull())
        connect.setObject(base::Array::create(), QBYKeys::ListDLCDataStore);
}

base::Ref<base::Dictionary> QBYAPI2ListDLC::getDataStoreInfo() {
    // An empty reply decodes to nothing without a log line, an undecodable one
    // with "Error Parsing JSON data:".
    auto decoded
        = serverkit::SignedReply::decode(*toolkit::json::JSONDecoder::decoder(), receivedData());
    if (decoded.isNull())
        return nullptr;
    return base::Dictionary::create({{QBYKeys::ListDLCDataStore, decoded}});
}

void QBYAPI2ListDLC::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::ListDLC, this, dataStore.objectForKey(QBYKeys::ListDLCDataStore));
}

void QBYAPI2ListDLC::postFailNotification(foundation::URLError const& error) {
    foundation::NotificationCenter::defaultCenter().postNotification(QBYNotifications::ListDLCFail,
        this, base::Dictionary::create({{"listdlc_error", errorValue(error)}}));
}

}
