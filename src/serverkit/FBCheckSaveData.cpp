#include <serverkit/FBCheckSaveData.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <toolkit/json/JSONDecoder.hpp>

namespace serverkit {

base::Ref<FBCheckSaveData> FBCheckSaveData::apicallWithFBUID(std::string fbuid) {
    auto call = base::make<FBCheckSaveData>();
    call->setFBUID(std::move(fbuid));
    call->setOverwrite(false);
    return call;
}

FBCheckSaveData::FBCheckSaveData() {
    setRequestURLStr(gameServerURL(V2Path));
    setApiMethod("fb_checksave");
}

base::Ref<base::Dictionary> FBCheckSaveData::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("fbid", fb_uid_);
    dictionary->setObject("sid", requestNumber());
    return dictionary;
}

std::optional<base::Value> FBCheckSaveData::checkedReply(
    base::Bytes const* reply, std::optional<std::string> const& token, bool overwrite) {
    if (!reply || reply->empty())
        return std::nullopt;
    auto decoder = toolkit::json::JSONDecoder::decoder();
    toolkit::json::JCError error;
    auto decoded = decoder->mutableObjectWithData(*reply, &error);
    if (decoded.isNull()) {
        foundation::log("Error Parsing JSON data:%@", error.localizedDescription);
        return std::nullopt;
    }
    // A reply that is no object, or whose "data" is null, missing or neither text nor
    // number, has nothing that a signature could cover.
    auto* dictionary = decoded.dictionary();
    if (!dictionary || !SignedReply::dataText(decoded))
        return std::nullopt;
    if (!token || !SignedReply::isGenuine(decoded, *token))
        return std::nullopt;
    dictionary->setObject("overwrite", overwrite);
    return decoded;
}

void FBCheckSaveData::postNotification(base::Dictionary const&) {
    auto reply
        = checkedReply(receivedData(), QBYConnect::sharedManager().sessionToken(), overwrite_);
    if (!reply)
        return;
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2CheckSave, this, *reply);
}

void FBCheckSaveData::postFailNotification(foundation::URLError const& error) {
    auto info = base::Dictionary::create();
    info->setObject(QBYErrorKeys::V2CheckSave, errorValue(error));
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::V2CheckSaveFail, this, info);
}

}
