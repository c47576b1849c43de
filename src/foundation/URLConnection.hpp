#pragma once

#include <foundation/URLAuthenticationChallenge.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace foundation {

class URLConnection;
class URLLoad;

// What a URL connection tells its delegate, every call on the run loop of the
// thread that started the connection. Order: willSendRequest for the first request
// and again for each redirect; didReceiveAuthenticationChallenge when a server
// demands Basic credentials; then didReceiveResponse once, didReceiveData for each
// piece of the body (any number, possibly none), and last exactly one of
// connectionDidFinishLoading or didFailWithError. A cancelled connection calls
// nothing more, even for news already on its way.
// Every operation is optional. A delegate that dies while its connections run
// cancels them, so a connection never calls a destroyed delegate; delegates live
// on the thread of their connections.
class URLConnectionDelegate {
public:
    URLConnectionDelegate() = default;
    URLConnectionDelegate(URLConnectionDelegate const&) { }
    URLConnectionDelegate& operator=(URLConnectionDelegate const&) { return *this; }
    virtual ~URLConnectionDelegate();

    // The request about to go out, changed or not; none refuses it. Refusing a
    // redirect ends the connection with the redirect reply as its response and
    // body; refusing the first request ends it without another call.
    // redirectResponse is null for the first request.
    virtual std::optional<URLRequest> willSendRequest(
        URLConnection& connection, URLRequest request, URLResponse const* redirectResponse);
    // By default answers with the proposed credential (from the URL's user part)
    // on the first challenge and continues without one after a refusal.
    virtual URLAuthenticationAnswer didReceiveAuthenticationChallenge(
        URLConnection& connection, URLAuthenticationChallenge const& challenge);
    virtual void didReceiveResponse(URLConnection&, URLResponse const&) { }
    virtual void didReceiveData(URLConnection&, base::Bytes const&) { }
    virtual void didSendBodyData(URLConnection&, std::int64_t, std::int64_t, std::int64_t) { }
    virtual void connectionDidFinishLoading(URLConnection&) { }
    virtual void didFailWithError(URLConnection&, URLError const&) { }

    static URLAuthenticationAnswer defaultAnswer(URLAuthenticationChallenge const& challenge);

private:
    friend class URLConnection;
    std::vector<URLConnection*> connections_;
};

// An asynchronous HTTP(S) load with delegate callbacks, over libcurl. The transfer
// runs on the shared URL-loading worker thread; the thread that starts the
// connection never blocks, and every callback comes back through the thread-safe
// perform() of its run loop (RunLoop::current() at start), so that run loop must
// run for the connection to make progress. A running connection keeps itself
// alive until it ends or is cancelled; owners that drop it early should cancel it.
// A server that goes quiet ends the load with TimedOut after the request's
// timeoutInterval; TLS certificates are always verified.
class URLConnection final : public base::Object {
public:
    // initWithRequest:delegate:startImmediately:. The delegate is not retained.
    static base::Ref<URLConnection> create(
        URLRequest request, URLConnectionDelegate* delegate, bool startImmediately = true);
    // Made and started at once.
    static base::Ref<URLConnection> connectionWithRequest(
        URLRequest request, URLConnectionDelegate* delegate) {
        return create(std::move(request), delegate, true);
    }
    ~URLConnection() override;

    // Starts the load; the callbacks come to the calling thread's run loop. Once.
    void start();
    // Stops the load: no callback comes after this, not even one already queued.
    // Call it on the thread that started the connection.
    void cancel();

    URLRequest const& originalRequest() const { return originalRequest_; }
    // The request last sent, after redirects.
    URLRequest const& currentRequest() const { return currentRequest_; }
    URLConnectionDelegate* delegate() const { return delegate_; }
    bool isLoading() const { return state_ == State::Loading; }

    struct SynchronousResult {
        base::Bytes data; // empty after an error
        URLResponse response; // status 0 when no reply came
        std::optional<URLError> error;
    };
    // Loads request on the calling thread, blocking until it ends; redirects are
    // followed and a Basic challenge gets the URL's credential once. For worker
    // threads: the main thread should not wait on the network.
    static SynchronousResult sendSynchronousRequest(URLRequest const& request);

    // Trusts the certificate authorities in the PEM file at path as well as the
    // system's (tests add their test authority); empty restores the system's alone.
    static void setCertificateAuthorityFile(std::string path);
    // The User-Agent for requests that set none.
    static void setUserAgent(std::string userAgent);

private:
    class Bridge;
    enum class State { Ready, Loading, Ended };

    void end();

    void deliverWillSendRequest(URLRequest request, std::optional<URLResponse> redirectResponse);
    void deliverChallenge(URLAuthenticationChallenge const& challenge);
    void deliverResponse(URLResponse const& response);
    void deliverData(base::Bytes const& data);
    void deliverSentBodyData(std::int64_t written, std::int64_t total, std::int64_t expected);
    void deliverFinish();
    void deliverFailure(URLError const& error);

    URLRequest originalRequest_;
    URLRequest currentRequest_;
    URLConnectionDelegate* delegate_;
    State state_ {State::Ready};
    // Shared with the worker thread, which may hold them past this object's end.
    std::shared_ptr<URLLoad> load_;
    std::shared_ptr<Bridge> bridge_;
    base::Ref<URLConnection> keepAlive_;

    friend base::Factory;

    // Use create().
    URLConnection(URLRequest request, URLConnectionDelegate* delegate);
};

}
