#pragma once

#include <foundation/URLConnection.hpp>

#include <base/Object.hpp>
#include <base/Value.hpp>

#include <optional>

namespace analytics {

// Collects what one URL connection of the analytics HTTP client delivers: the
// response, the body and the error, and whether the connection is done. Lives on
// the thread that runs the connection.
class KestrelConnectionDelegate final : public base::Object,
                                        public foundation::URLConnectionDelegate {
public:
    static base::Ref<KestrelConnectionDelegate> create();

    // Redirects are followed as proposed.
    std::optional<foundation::URLRequest> willSendRequest(foundation::URLConnection& connection,
        foundation::URLRequest request, foundation::URLResponse const* redirectResponse) override;
    // The proposed credential on the first challenge; after a refusal the load
    // goes on without one, so a wrong stored credential never loops.
    foundation::URLAuthenticationAnswer didReceiveAuthenticationChallenge(
        foundation::URLConnection& connection,
        foundation::URLAuthenticationChallenge const& challenge) override;
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;

    bool isDone() const { return done_; }
    base::Bytes const& body() const { return body_; }
    foundation::URLResponse const* response() const { return response_ ? &*response_ : nullptr; }
    std::optional<foundation::URLError> const& error() const { return error_; }

    // Ends the wait with an error of the caller's (a time-out of the whole wait).
    void failWith(foundation::URLError error);

private:
    friend base::Factory;
    KestrelConnectionDelegate() = default;

    base::Bytes body_;
    std::optional<foundation::URLResponse> response_;
    std::optional<foundation::URLError> error_;
    bool done_ {false};
};

}
