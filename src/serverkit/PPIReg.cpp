#include <serverkit/PPIReg.hpp>

#include <serverkit/QBYConnect.hpp>

#include <foundation/Format.hpp>

namespace serverkit {

base::Ref<PPIReg> PPIReg::apicall() {
    return base::make<PPIReg>();
}

PPIReg::PPIReg() {
    auto const& host = QBYConnect::sharedManager().configuration().marketingHost;
    setRequestURLStr(host.empty() ? std::string() : "https://" + host + Path);
}

base::Ref<base::Dictionary> PPIReg::buildRequestJSONDict() {
    auto dictionary = base::Dictionary::create();
    dictionary->setObject("userId", foundation::format("ios:deviceId:%@", deviceIdentifier()));
    dictionary->setObject("appId", foundation::format("ios:bundleId:%@", appBundleId()));
    return dictionary;
}

base::Bytes PPIReg::buildRequestData() {
    auto json = buildRequestJSON();
    return base::Bytes(json.begin(), json.end());
}

foundation::URLRequest PPIReg::buildRequest() {
    auto request = foundation::URLRequest::requestWithURL(requestURLStr(),
        foundation::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, TimeoutInterval);
    request.setHTTPMethod(requestMethod());
    auto body = buildRequestData();
    request.setValue("text/json", "content-type");
    request.setValue(foundation::format("%d", int(body.size())), "content-length");
    request.setHTTPBody(std::move(body));
    return request;
}

foundation::URLAuthenticationAnswer PPIReg::didReceiveAuthenticationChallenge(
    foundation::URLConnection&, foundation::URLAuthenticationChallenge const& challenge) {
    if (challenge.previousFailureCount == 0)
        return foundation::URLAuthenticationAnswer::useCredential(
            {User, QBYConnect::sharedManager().configuration().marketingPassword});
    return foundation::URLAuthenticationAnswer::continueWithoutCredential();
}

}
