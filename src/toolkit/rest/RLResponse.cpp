#include <toolkit/rest/RLResponse.hpp>

#include <toolkit/rest/RLJSONParser.hpp>
#include <toolkit/rest/RLRequest.hpp>

#include <algorithm>

namespace toolkit::rest {

RLResponse::RLResponse(RLRequest* request)
    : request_(request) {
}

RLResponse::~RLResponse() = default;

base::Ref<RLResponse> RLResponse::responseWithRequest(RLRequest* request) {
    return base::make<RLResponse>(request);
}

base::Ref<RLResponse> RLResponse::responseWithSynchronousRequest(RLRequest* request,
    std::optional<foundation::URLResponse> URLResponse, base::Bytes body,
    std::optional<foundation::URLError> error) {
    auto response = base::make<RLResponse>(request);
    response->URLResponse_ = std::move(URLResponse);
    response->body_ = std::move(body);
    response->failureError_ = std::move(error);
    return response;
}

void RLResponse::didReceiveResponse(
    foundation::URLConnection&, foundation::URLResponse const& response) {
    URLResponse_ = response;
}

void RLResponse::didReceiveData(foundation::URLConnection&, base::Bytes const& data) {
    body_.insert(body_.end(), data.begin(), data.end());
}

// The request may let go of this response (and itself) while it finishes.
void RLResponse::connectionDidFinishLoading(foundation::URLConnection&) {
    base::Ref<RLResponse> keep(this);
    if (base::Ref<RLRequest> request {request_})
        request->didFinishLoad(*this);
}

void RLResponse::didFailWithError(foundation::URLConnection&, foundation::URLError const& error) {
    base::Ref<RLResponse> keep(this);
    failureError_ = error;
    if (base::Ref<RLRequest> request {request_})
        request->didFailLoadWithError(error);
}

void RLResponse::didSendBodyData(foundation::URLConnection&, std::int64_t bytesWritten,
    std::int64_t totalBytesWritten, std::int64_t totalBytesExpectedToWrite) {
    if (request_ && request_->delegate())
        request_->delegate()->requestDidSendBodyData(
            *request_, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
}

foundation::URLAuthenticationAnswer RLResponse::didReceiveAuthenticationChallenge(
    foundation::URLConnection&, foundation::URLAuthenticationChallenge const& challenge) {
    if (challenge.previousFailureCount != 0)
        return foundation::URLAuthenticationAnswer::cancel();
    if (!request_ || !request_->username())
        return foundation::URLAuthenticationAnswer::continueWithoutCredential();
    return foundation::URLAuthenticationAnswer::useCredential(
        {*request_->username(), request_->password().value_or(std::string())});
}

std::string RLResponse::URL() const {
    return URLResponse_ ? URLResponse_->URL() : std::string();
}

std::string RLResponse::MIMEType() const {
    return URLResponse_ ? URLResponse_->MIMEType() : std::string();
}

int RLResponse::statusCode() const {
    return URLResponse_ ? URLResponse_->statusCode() : 0;
}

foundation::HTTPHeaderFields RLResponse::allHeaderFields() const {
    return URLResponse_ ? URLResponse_->allHeaderFields() : foundation::HTTPHeaderFields();
}

std::vector<foundation::HTTPCookie> RLResponse::cookies() const {
    if (!URLResponse_)
        return {};
    return foundation::HTTPCookie::cookiesWithResponseHeaderFields(
        URLResponse_->allHeaderFields(), URLResponse_->URL());
}

std::string RLResponse::localizedStatusCodeString() const {
    return foundation::URLResponse::localizedStringForStatusCode(statusCode());
}

std::string RLResponse::contentType() const {
    return allHeaderFields().valueForKey("Content-Type");
}

std::string RLResponse::contentLength() const {
    return allHeaderFields().valueForKey("Content-Length");
}

std::string RLResponse::location() const {
    return allHeaderFields().valueForKey("Location");
}

std::string RLResponse::bodyAsString() const {
    return std::string(body_.begin(), body_.end());
}

base::Value RLResponse::bodyAsJSON() const {
    return RLJSONParser().objectFromString(bodyAsString());
}

std::optional<std::string> RLResponse::failureErrorDescription() const {
    if (!failureError_)
        return std::nullopt;
    return failureError_->localizedDescription;
}

bool RLResponse::isInvalid() const {
    return statusCode() < 100 || statusCode() > 600;
}

bool RLResponse::isInformational() const {
    return statusCode() >= 100 && statusCode() < 200;
}

bool RLResponse::isSuccessful() const {
    return statusCode() >= 200 && statusCode() < 300;
}

bool RLResponse::isRedirection() const {
    return statusCode() >= 300 && statusCode() < 400;
}

bool RLResponse::isClientError() const {
    return statusCode() >= 400 && statusCode() < 500;
}

bool RLResponse::isServerError() const {
    return statusCode() >= 500 && statusCode() < 600;
}

bool RLResponse::isRedirect() const {
    auto code = statusCode();
    return code == 301 || code == 302 || code == 303 || code == 307;
}

bool RLResponse::isEmpty() const {
    auto code = statusCode();
    return code == 201 || code == 204 || code == 304;
}

bool RLResponse::contentTypeBeginsWith(std::string_view prefix) const {
    auto type = contentType();
    if (type.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), type.begin(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

bool RLResponse::isHTML() const {
    return contentTypeBeginsWith("text/html") || isXHTML();
}

bool RLResponse::isXHTML() const {
    return contentTypeBeginsWith("application/xhtml+xml");
}

bool RLResponse::isXML() const {
    return contentTypeBeginsWith("application/xml");
}

bool RLResponse::isJSON() const {
    return contentTypeBeginsWith("application/json");
}

}
