#include <foundation/URLRequest.hpp>

namespace foundation {

URLRequest URLRequest::requestWithURL(
    std::string url, URLRequestCachePolicy policy, double timeout) {
    URLRequest request(std::move(url));
    request.setCachePolicy(policy);
    request.setTimeoutInterval(timeout);
    return request;
}

void URLRequest::setHTTPBody(base::Bytes body) {
    body_ = std::move(body);
    bodyStream_.reset();
}

void URLRequest::setHTTPBody(std::string_view text) {
    setHTTPBody(base::Bytes(text.begin(), text.end()));
}

void URLRequest::setHTTPBodyStream(BodyStream stream) {
    body_.clear();
    bodyStream_ = stream ? std::make_shared<BodyStream>(std::move(stream)) : nullptr;
}

}
