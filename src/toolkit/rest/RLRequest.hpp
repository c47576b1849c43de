#pragma once

#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLRequestSerializable.hpp>
#include <toolkit/rest/RLResponse.hpp>
#include <toolkit/rest/RLURL.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace toolkit::rest {

class RLRequest;

// The notifications of a request's life, on the default centre, each with the request
// as object unless said otherwise. The queue frees a request's slot on
// RLResponseReceivedNotification (object: the response) and on
// RLRequestFailedWithErrorNotification (user info {"error": the error as a
// dictionary, see RLErrorFromUserInfo}).
inline constexpr char const* RLRequestSentNotification = "RLRequestSentNotification";
inline constexpr char const* RLRequestDidLoadResponseNotification
    = "RLRequestDidLoadResponseNotification";
inline constexpr char const* RLRequestFailedWithErrorNotification
    = "RLRequestFailedWithErrorNotification";
inline constexpr char const* RLResponseReceivedNotification = "RLRespongReceivedNotification";
inline constexpr char const* RLServiceDidBecomeUnavailableNotification
    = "RLServiceDidBecomeUnavailableNotification";

// An error as a user-info dictionary ({"domain", "code", "localizedDescription",
// "failingURL"}) and back.
base::Value RLErrorUserInfo(foundation::URLError const& error);
foundation::URLError RLErrorFromUserInfo(base::Value const& userInfo);

// What a request tells its delegate; every operation is optional.
class RLRequestDelegate {
public:
    virtual ~RLRequestDelegate() = default;
    // request:didLoadResponse: a response of any status.
    virtual void requestDidLoadResponse(RLRequest&, RLResponse&) { }
    // request:didFailLoadWithError:
    virtual void requestDidFailLoadWithError(RLRequest&, foundation::URLError const&) { }
    virtual void requestDidStartLoad(RLRequest&) { }
    // request:didSendBodyData:totalBytesWritten:totalBytesExpectedToWrite:
    virtual void requestDidSendBodyData(RLRequest&, std::int64_t, std::int64_t, std::int64_t) { }
    virtual void requestDidCancelLoad(RLRequest&) { }
    virtual void requestDidTimeout(RLRequest&) { }
};

// One HTTP request: URL, method, headers, an optional body, credentials, a delegate
// (not retained) and a policy for when the application goes to the background.
// Usually made by RLClient and sent through the shared RLRequestQueue, which calls
// sendAsynchronously when a slot is free. The connection's callbacks, the delegate
// calls and the notifications all come on the main thread. Not reset for reuse.
//
// Order of events for a request that is sent: requestDidStartLoad, then either
// requestDidLoadResponse (any status), RLServiceDidBecomeUnavailableNotification for
// a 503, RLRequestDidLoadResponseNotification and RLResponseReceivedNotification; or
// requestDidFailLoadWithError and RLRequestFailedWithErrorNotification.
class RLRequest : public base::Object {
public:
    enum Method : std::int32_t { GET = 0, POST = 1, PUT = 2, DELETE = 3 };
    // 0: nothing special. 1: cancelled (the delegate hears of it) when the
    // application enters the background. 2: runs under a background task; when the
    // task's time runs out it is cancelled and the delegate hears requestDidTimeout.
    // 3: cancelled silently on entering the background and queued again.
    enum BackgroundPolicy : std::int32_t {
        BackgroundPolicyNone = 0,
        BackgroundPolicyCancel = 1,
        BackgroundPolicyContinue = 2,
        BackgroundPolicyRequeue = 3,
    };

    static base::Ref<RLRequest> requestWithURL(base::Ref<RLURL> URL, RLRequestDelegate* delegate);
    ~RLRequest() override;

    // Adds the request to the shared queue, which starts it later.
    void send();
    // Starts the request now (the queue calls it).
    void sendAsynchronously();
    // Runs the request on the calling thread and returns when it has ended. Not on
    // the main thread while the program runs: it blocks its caller.
    base::Ref<RLResponse> sendSynchronously();
    void cancel() { cancelAndInformDelegate(true); }
    void cancelAndInformDelegate(bool informDelegate);

    // Sets the method, then the body, then the headers: a streamed body learns its
    // length when its stream is taken.
    virtual void prepareURLRequest();
    void setRequestBody();
    // The additional headers, then the body's Content-Type and Content-Length;
    // names compare without case, so the body's fields replace the others'.
    void addHeadersToRequest();

    // The ends of a load, called by the response.
    virtual void didFinishLoad(RLResponse& response);
    virtual void didFailLoadWithError(foundation::URLError const& error);

    // True without a shared client, else the shared client's isNetworkAvailable.
    bool shouldDispatchRequest() const;

    base::Ref<RLURL> const& URL() const { return URL_; }
    foundation::URLRequest const& URLRequest() const { return URLRequest_; }
    base::Ref<base::Dictionary> const& additionalHTTPHeaders() const {
        return additionalHTTPHeaders_;
    }
    void setAdditionalHTTPHeaders(base::Ref<base::Dictionary> headers) {
        additionalHTTPHeaders_ = std::move(headers);
    }
    base::Ref<RLRequestSerializable> const& params() const { return params_; }
    void setParams(base::Ref<RLRequestSerializable> params) { params_ = std::move(params); }
    RLRequestDelegate* delegate() const { return delegate_; }
    void setDelegate(RLRequestDelegate* delegate) { delegate_ = delegate; }
    base::Value const& userData() const { return userData_; }
    void setUserData(base::Value userData) { userData_ = std::move(userData); }
    std::optional<std::string> const& username() const { return username_; }
    void setUsername(std::optional<std::string> username) { username_ = std::move(username); }
    std::optional<std::string> const& password() const { return password_; }
    void setPassword(std::optional<std::string> password) { password_ = std::move(password); }
    std::int32_t method() const { return method_; }
    void setMethod(std::int32_t method) { method_ = method; }
    std::int32_t backgroundPolicy() const { return backgroundPolicy_; }
    void setBackgroundPolicy(std::int32_t policy) { backgroundPolicy_ = policy; }
    RLApplication::BackgroundTaskIdentifier backgroundTaskIdentifier() const {
        return backgroundTaskIdentifier_;
    }
    // The response of the load under way or last ended; null before the first.
    base::Ref<RLResponse> const& response() const { return response_; }

    // "GET", "POST", "PUT", "DELETE"; none for another code.
    std::optional<std::string> HTTPMethod() const;
    std::optional<std::string> resourcePath() const;
    bool isGET() const { return method_ == GET; }
    bool isPOST() const { return method_ == POST; }
    bool isPUT() const { return method_ == PUT; }
    bool isDELETE() const { return method_ == DELETE; }
    bool isLoading() const { return isLoading_; }
    bool isLoaded() const { return isLoaded_; }
    bool wasSentToResourcePath(std::string const& path) const;

protected:
    friend base::Factory;
    RLRequest(base::Ref<RLURL> URL, RLRequestDelegate* delegate);

    void cleanupBackgroundTask();
    // For subclasses that replace the ends of a load with their own.
    void setLoading(bool loading) { isLoading_ = loading; }
    void setLoaded(bool loaded) { isLoaded_ = loaded; }
    void endConnection() { connection_ = nullptr; }

private:
    void appDidEnterBackgroundNotification();
    void leaveQueue();
    void fire();

    base::Ref<RLURL> URL_;
    foundation::URLRequest URLRequest_;
    base::Ref<foundation::URLConnection> connection_;
    base::Ref<RLResponse> response_;
    base::Ref<base::Dictionary> additionalHTTPHeaders_;
    base::Ref<RLRequestSerializable> params_;
    RLRequestDelegate* delegate_;
    base::Value userData_;
    std::optional<std::string> username_;
    std::optional<std::string> password_;
    std::int32_t method_ {GET};
    bool isLoading_ {false};
    bool isLoaded_ {false};
    std::int32_t backgroundPolicy_ {BackgroundPolicyNone};
    RLApplication::BackgroundTaskIdentifier backgroundTaskIdentifier_ {
        RLApplication::BackgroundTaskInvalid};
    foundation::ObservationToken backgroundObservation_;
};

}
