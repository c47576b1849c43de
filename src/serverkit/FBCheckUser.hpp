#pragma once

#include <serverkit/APICall.hpp>

#include <string>

namespace serverkit {

// Asks the second-version service about a user of an outside account
// ("fb_checkuser" on "/qbyapi/v2/api.php", unsigned): the account's user id goes as
// "fbid". The reply is not read. Posts "QBYAPI_V2_FB_CHECKUSER_NOTIFICATION" after a
// success and "QBYAPI_V2_FB_CHECKUSER_FAIL" {"QBYAPI_v2_FB_CHECKUSER_ERROR": error}
// after a failure.
class FBCheckUser final : public APICall {
public:
    static base::Ref<FBCheckUser> apicallWithFBID(std::string fbid);

    std::string const& fb_uid() const { return fb_uid_; }
    void setFb_uid(std::string value) { fb_uid_ = std::move(value); }

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    void postNotification(base::Dictionary const& dataStore) override;
    void postFailNotification(foundation::URLError const& error) override;

private:
    friend base::Factory;
    FBCheckUser();

    std::string fb_uid_;
};

}
