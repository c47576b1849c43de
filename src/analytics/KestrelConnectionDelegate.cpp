#include <analytics/KestrelConnectionDelegate.hpp>

#include <analytics/KestrelUtil.hpp>

namespace analytics {

base::Ref<KestrelConnectionDelegate> KestrelConnectionDelegate::create() {
    return base::make<KestrelConnectionDelegate>();
}

std::optional<foundation::URLRequest> KestrelConnectionDelegate::willSendRequest(
    foundation::URLConnection&, foundation::URLRequest request, foundation::URLResponse const*) {
    return request;
}

foundation::URLAuthenticationAnswer KestrelConnectionDelegate::didReceiveAuthenticationChallenge(
    foundation::URLConnection&, foundation::URLAuthenticationChallenge const& challenge) {
    return defaultAnswer(challenge);
}

void KestrelConnectionDelegate::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    KestrelUtil::debugLog("KestrelAnalytics: HTTP connection delegate received response[%d %@]",
        response.statusCode(), response.URL());
    response_ = response;
}

void KestrelConnectionDelegate::didReceiveData(
    foundation::URLConnection&, base::Bytes const& data) {
    body_.insert(body_.end(), data.begin(), data.end());
}

void KestrelConnectionDelegate::connectionDidFinishLoading(foundation::URLConnection&) {
    done_ = true;
}

void KestrelConnectionDelegate::didFailWithError(
    foundation::URLConnection&, foundation::URLError const& error) {
    error_ = error;
    done_ = true;
}

void KestrelConnectionDelegate::failWith(foundation::URLError error) {
    error_ = std::move(error);
    done_ = true;
}

}
