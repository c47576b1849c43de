#pragma once

#include <serverkit/APICall.hpp>

namespace serverkit {

// Registers the install with the marketing service: a POST of the JSON text
// {"userId": "ios:deviceId:<udid>", "appId": "ios:bundleId:<bundle id>"} as the
// whole body to "https://<marketing host>/api/tessaline/ppiRegistrations/", with
// "content-type" "text/json". The service's Basic challenge is answered once with
// the user "tessaline" and the configured password; a second challenge (the
// credential was refused) is not answered, and the call fails with the 401 status.
// Merges and posts nothing.
class PPIReg final : public APICall {
public:
    static constexpr char const* User = "tessaline";
    static constexpr char const* Path = "/api/tessaline/ppiRegistrations/";

    static base::Ref<PPIReg> apicall();

    base::Ref<base::Dictionary> buildRequestJSONDict() override;
    base::Bytes buildRequestData() override;
    foundation::URLAuthenticationAnswer didReceiveAuthenticationChallenge(
        foundation::URLConnection& connection,
        foundation::URLAuthenticationChallenge const& challenge) override;

protected:
    foundation::URLRequest buildRequest() override;

private:
    friend base::Factory;
    PPIReg();
};

}
