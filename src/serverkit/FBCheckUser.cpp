#include <serverkit/FBCheckUser.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<FBCheckUser> FBCheckUser::apicallWithFBID(std::string fbid) {
    auto call = base::make<FBCheckUser>();
    call->setFb_uid(std::move(fbid));
    return call;
}

FBCheckUser::FBCheckUser() {
    setRequestURLStr(gameServerURL(V2Path));
    setApiMethod("fb_checkuser");
}

base::Ref<base::Dictionary> FBCheckUser::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("fbid", fb_uid_);
    return dictionary;
}

void FBCheckUser::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2CheckUser, this);
}

void FBCheckUser::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject(QBYErrorKeys::V2CheckUser, errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2CheckUserFail, this, info);
}

}
