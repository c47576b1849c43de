#include <serverkit/PayPing.hpp>

#include <foundation/Digest.hpp>
#include <foundation/Format.hpp>
#include <foundation/Strings.hpp>

namespace serverkit {

base::Ref<PayPing> PayPing::create(std::string baseURL, std::string deviceIdentifier) {
    return base::make<PayPing>(std::move(baseURL), std::move(deviceIdentifier));
}

PayPing::PayPing(std::string baseURL, std::string deviceIdentifier)
    : baseURL_(std::move(baseURL))
    , deviceIdentifier_(std::move(deviceIdentifier)) {
}

PayPing::~PayPing() {
    if (connection_)
        connection_->cancel();
}

void PayPing::trackWithAppId(std::string_view appId, std::string_view key) {
    payPerInstall(appId, key);
}

void PayPing::payPerInstall(std::string_view appId, std::string_view key) {
    auto url = pingURL(baseURL_, appId, deviceIdentifier_, key);
    if (url.empty()) {
        foundation::log("PayPing: no install-confirmation service configured; nothing is sent");
        return;
    }
    foundation::log("%@", url);
    auto request = foundation::URLRequest::requestWithURL(
        url, foundation::URLRequestCachePolicy::UseProtocolCachePolicy, TimeoutInterval);
    setConnection(foundation::URLConnection::create(std::move(request), this, true));
}

std::string PayPing::hashGen(std::string_view text) {
    return foundation::Digest::hashHex(foundation::Digest::Algorithm::SHA256,
        foundation::ByteView(text), foundation::HexCase::Lower);
}

std::string PayPing::pingURL(std::string_view baseURL, std::string_view appId,
    std::string_view deviceIdentifier, std::string_view key) {
    if (baseURL.empty())
        return {};
    std::string signedText;
    signedText.append(appId).append(deviceIdentifier).append(key);
    std::string url(baseURL);
    url.append(Path)
        .append("?app_id=")
        .append(foundation::addingStrictPercentEscapes(appId))
        .append("&phone_id=")
        .append(foundation::addingStrictPercentEscapes(deviceIdentifier))
        .append("&signature=")
        .append(hashGen(signedText));
    return url;
}

void PayPing::setConnection(base::Ref<foundation::URLConnection> connection) {
    if (connection_ && connection_ != connection)
        connection_->cancel();
    connection_ = std::move(connection);
}

void PayPing::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    base::Bytes piece;
    piece.reserve(2048);
    piece.assign(data.begin(), data.end());
    data_ = std::move(piece);
}

}
