#pragma once

#include <foundation/HTTPCookie.hpp>
#include <foundation/URLConnection.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <optional>
#include <string>
#include <vector>

namespace toolkit::rest {

class RLRequest;

// What came back for one request: the status, header fields and body, or the error
// that ended it. While the request runs it is the delegate of the request's URL
// connection: it collects the reply, answers Basic challenges with the request's
// credentials, and reports the end to its request. Main thread. The request it
// belongs to is not retained; a request that goes first detaches itself.
class RLResponse final : public base::Object, public foundation::URLConnectionDelegate {
public:
    static base::Ref<RLResponse> responseWithRequest(RLRequest* request);
    // A response made of what a synchronous load gave.
    static base::Ref<RLResponse> responseWithSynchronousRequest(RLRequest* request,
        std::optional<foundation::URLResponse> URLResponse, base::Bytes body,
        std::optional<foundation::URLError> error);
    ~RLResponse() override;

    RLRequest* request() const { return request_; }

    // The URL connection's delegate operations.
    void didReceiveResponse(foundation::URLConnection&, foundation::URLResponse const&) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override;
    void didSendBodyData(foundation::URLConnection&, std::int64_t bytesWritten,
        std::int64_t totalBytesWritten, std::int64_t totalBytesExpectedToWrite) override;
    // The first challenge is answered with the request's user name and password; a
    // request without a user name answers with no credential (the server's 401 then
    // ends the load). A challenge after a refused credential is cancelled.
    foundation::URLAuthenticationAnswer didReceiveAuthenticationChallenge(
        foundation::URLConnection&,
        foundation::URLAuthenticationChallenge const& challenge) override;

    std::string URL() const;
    std::string MIMEType() const;
    int statusCode() const;
    foundation::HTTPHeaderFields allHeaderFields() const;
    std::vector<foundation::HTTPCookie> cookies() const;
    std::string localizedStatusCodeString() const;
    std::string contentType() const;
    std::string contentLength() const;
    std::string location() const;

    base::Bytes const& body() const { return body_; }
    std::string bodyAsString() const;
    // The decoded dictionary or array; nil when the body does not decode.
    base::Value bodyAsJSON() const;

    bool isFailure() const { return failureError_.has_value(); }
    std::optional<foundation::URLError> const& failureError() const { return failureError_; }
    std::optional<std::string> failureErrorDescription() const;

    bool isInvalid() const;
    bool isInformational() const;
    bool isSuccessful() const;
    bool isRedirection() const;
    bool isClientError() const;
    bool isServerError() const;
    bool isError() const { return isClientError() || isServerError(); }
    bool isOK() const { return statusCode() == 200; }
    bool isCreated() const { return statusCode() == 201; }
    bool isUnauthorized() const { return statusCode() == 401; }
    bool isForbidden() const { return statusCode() == 403; }
    bool isNotFound() const { return statusCode() == 404; }
    bool isUnprocessableEntity() const { return statusCode() == 422; }
    bool isServiceUnavailable() const { return statusCode() == 503; }
    bool isRedirect() const;
    bool isEmpty() const;

    // Each compares the start of the content type, ignoring case; false without one.
    bool isHTML() const;
    bool isXHTML() const;
    bool isXML() const;
    bool isJSON() const;

private:
    friend base::Factory;
    friend class RLRequest;
    explicit RLResponse(RLRequest* request);

    bool contentTypeBeginsWith(std::string_view prefix) const;

    RLRequest* request_;
    std::optional<foundation::URLResponse> URLResponse_;
    base::Bytes body_;
    std::optional<foundation::URLError> failureError_;
};

}
