#include <serverkit/FBTransferSave.hpp>

namespace serverkit {

base::Ref<FBTransferSave> FBTransferSave::apicallWithFBUID(
    std::string fbuid, std::string sourceDevice) {
    auto call = base::make<FBTransferSave>();
    call->setFb_uid(std::move(fbuid));
    call->setSrc_device(std::move(sourceDevice));
    return call;
}

FBTransferSave::FBTransferSave() {
    setRequestURLStr(gameServerURL(V2Path));
    setApiMethod("fb_xfrsave");
}

base::Ref<base::Dictionary> FBTransferSave::buildRequestJSONDict() {
    auto dictionary = APICall::buildRequestJSONDict();
    dictionary->setObject("fbid", fb_uid_);
    dictionary->setObject("srcskey", src_device_);
    dictionary->setObject("sid", requestNumber());
    return dictionary;
}

}
