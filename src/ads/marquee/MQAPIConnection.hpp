#pragma once

#include <ads/marquee/MQAPIRequest.hpp>
#include <ads/marquee/MQTaggedURLConnection.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLRequest.hpp>
#include <foundation/URLResponse.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace ads::marquee {

// What a connection tells its owner about each call, on the thread that sent it.
class MQAPIConnectionDelegate {
public:
    virtual ~MQAPIConnectionDelegate() = default;
    // reply is a dictionary.
    virtual void didReceiveAPIResponse(base::Value const& reply, MQAPIRequest& request) = 0;
    virtual void didFailToReceiveAPIResponseForRequest(MQAPIRequest& request) = 0;
};

// Sends signed API calls: each a POST of its form body to "<endpoint><controller>/
// <action>.json" (a GET when it has no body), tracked in flight by a request id that
// only grows. A reply counts only with a 2xx status and a UTF-8 JSON object as body;
// everything else (transport errors, other statuses, other bodies) ends in
// didFailToReceiveAPIResponseForRequest. TLS is verified as for any host. With no
// endpoint a call fails on the next turn of the run loop and nothing is sent. The
// delegate is not retained; a connection that dies cancels its calls. Main thread only.
class MQAPIConnection final : public base::Object {
public:
    static constexpr char const* ContentType = "application/x-www-form-urlencoded; charset=UTF-8";

    // The endpoint comes from the configuration's API root.
    static base::Ref<MQAPIConnection> initWithDelegate(MQAPIConnectionDelegate* delegate);
    static base::Ref<MQAPIConnection> initWithEndpoint(
        std::string endpoint, MQAPIConnectionDelegate* delegate);
    ~MQAPIConnection() override;

    std::string const& endpoint() const { return endpoint_; }
    void setEndpoint(std::string endpoint) { endpoint_ = std::move(endpoint); }
    MQAPIConnectionDelegate* delegate() const { return delegate_; }
    void setDelegate(MQAPIConnectionDelegate* delegate) { delegate_ = delegate; }
    // The id the next call takes; 1 at first.
    std::uint64_t requestIdMax() const { return requestIdMax_; }
    std::size_t activeConnectionCount() const { return activeConnections_.size(); }

    // Starts the call and returns; the outcome reaches the delegate later.
    void sendRequest(base::Ref<MQAPIRequest> request);

    // The URL request a call goes out as, or nothing without an endpoint.
    std::optional<foundation::URLRequest> URLRequestFor(MQAPIRequest const& request) const;
    // The reply a finished call's status and body make, or nothing when unusable.
    static std::optional<base::Value> replyFromBody(int statusCode, base::Bytes const& body);

private:
    friend class MQTaggedURLConnection;

    struct Pending {
        base::Ref<MQAPIRequest> request;
        base::Bytes data;
        std::optional<foundation::URLResponse> response;
        base::Ref<MQTaggedURLConnection> connection;
    };

    void receivedResponse(std::uint64_t tag, foundation::URLResponse const& response);
    void receivedData(std::uint64_t tag, base::Bytes const& data);
    void finished(std::uint64_t tag);
    void failed(std::uint64_t tag);

    std::string endpoint_;
    MQAPIConnectionDelegate* delegate_ {nullptr};
    std::map<std::uint64_t, Pending> activeConnections_;
    std::uint64_t requestIdMax_ {1};

    friend base::Factory;
    MQAPIConnection(std::string endpoint, MQAPIConnectionDelegate* delegate)
        : endpoint_(std::move(endpoint))
        , delegate_(delegate) { }
};

}
