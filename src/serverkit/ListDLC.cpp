#include <serverkit/ListDLC.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/PropertyList.hpp>

namespace serverkit {

base::Ref<ListDLC> ListDLC::apicall() {
    return base::make<ListDLC>();
}

std::string ListDLC::listPath() {
    auto const& folder = QBYConnect::sharedManager().configuration().dataFolder;
    if (folder.empty())
        return {};
    return folder + "/" + FileName;
}

ListDLC::ListDLC() {
    setApiMethod("listdlc");
    auto path = listPath();
    auto saved = path.empty() ? nullptr : foundation::PropertyList::arrayWithContentsOfFile(path);
    QBYConnect::sharedManager().setObject(
        saved ? saved->deepCopy() : base::Array::create(), QBYKeys::ListDLCDataStore);
}

base::Ref<base::Dictionary> ListDLC::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData(), listPath());
}

base::Ref<base::Dictionary> ListDLC::dataStoreInfoForReply(
    base::Bytes const* reply, std::string const& path) {
    auto decoded = SignedReply::decode(*toolkit::json::JSONDecoder::decoder(), reply);
    if (decoded.isNull())
        return nullptr;
    bool saved = !path.empty() && foundation::PropertyList::writeToFile(decoded, path);
    foundation::log("DLCList saved:%d", saved ? 1 : 0);
    auto info = base::Dictionary::create();
    info->setObject(QBYKeys::ListDLCDataStore, decoded);
    return info;
}

void ListDLC::postNotification(base::Dictionary const& dataStore) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::ListDLC, this, dataStore.objectForKey(QBYKeys::ListDLCDataStore));
}

void ListDLC::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject("listdlc_error", errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::ListDLCFail, this, info);
}

}
