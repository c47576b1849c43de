#pragma once

#include <serverkit/APICall.hpp>

#include <string>

namespace serverkit {

// Asks the second-version service to move the save of the user id of an outside
// account over from another device ("fb_xfrsave" on "/qbyapi/v2/api.php", signed,
// not logged): "fbid", the source device as "srcskey" and a request number "sid".
// The reply is not read and nothing is posted.
class FBTransferSave final : public APICall {
public:
    static base::Ref<FBTransferSave> apicallWithFBUID(std::string fbuid, std::string sourceDevice);

    std::string const& fb_uid() const { return fb_uid_; }
    void setFb_uid(std::string value) { fb_uid_ = std::move(value); }
    std::string const& src_device() const { return src_device_; }
    void setSrc_device(std::string value) { src_device_ = std::move(value); }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override { return buildSignedRequestData(RequestLog::No); }

private:
    friend base::Factory;
    FBTransferSave();

    std::string fb_uid_;
    std::string src_device_;
};

}
