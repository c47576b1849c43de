#include <serverkit/CheckReward.hpp>

#include <serverkit/QBYConnect.hpp>
#include <serverkit/SignedReply.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>

namespace serverkit {

base::Ref<CheckReward> CheckReward::apicallWithTargetBundleId(std::string targetBundleId) {
    return base::make<CheckReward>(std::move(targetBundleId));
}

CheckReward::CheckReward(std::string targetBundleId)
    : mTargetBundleId(std::move(targetBundleId)) {
    setApiMethod("checkreward");
}

base::Ref<base::Dictionary> CheckReward::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("srcappid", mTargetBundleId);
    dictionary->setObject("sid", requestNumber());
    return dictionary;
}

base::Ref<base::Dictionary> CheckReward::getDataStoreInfo() {
    return dataStoreInfoForReply(receivedData(), QBYConnect::sharedManager().sessionToken());
}

base::Ref<base::Dictionary> CheckReward::dataStoreInfoForReply(
    base::Bytes const* reply, std::optional<std::string> const& token) {
    if (!token)
        return nullptr;
    std::string_view text;
    if (reply)
        text = std::string_view(reinterpret_cast<char const*>(reply->data()), reply->size());
    foundation::log("checkreward response:%@", text);

    auto decoder = toolkit::json::JSONDecoder::decoder();
    auto decoded = SignedReply::decode(*decoder, reply);
    auto info = base::Dictionary::create();
    if (decoded.isNull()) {
        info->setObject(QBYKeys::CheckRewardDataStore, base::Value::nullObject());
        return info;
    }
    auto data = SignedReply::dataText(decoded);
    if (data && data->size() > 2 && SignedReply::isGenuine(decoded, *token))
        info->setObject(QBYKeys::CheckRewardDataStore, SignedReply::decodeData(*decoder, *data));
    else
        info->setObject(QBYKeys::CheckRewardDataStore, decoded);
    return info;
}

void CheckReward::postNotification(base::Dictionary const&) {
    foundation::NotificationCenter::defaultCenter().postNotification(
        QBYNotifications::CheckReward, this);
}

}
