#pragma once

#include <ads/bountix/BTXParameters.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLError.hpp>
#include <foundation/URLResponse.hpp>

#include <functional>
#include <optional>
#include <string>

namespace ads::bountix {

// One offer-service request whose reply is read: an HTTP request that, when no
// answer comes from its base URL, is sent once more to its alternate URL with the
// same query. The completion runs exactly once, on the main run loop, when the
// request has finished (whatever the HTTP status) or finally failed; a request that
// cannot start (no URL) completes with an error on the next pass of the run loop.
// Cancelling ends it without a completion. Replies are bounded in size (a larger
// one fails). Main thread; the owning handler keeps it alive.
class BTXCoreFetcher final : public base::Object, public foundation::URLConnectionDelegate {
public:
    using Completion = std::function<void(BTXCoreFetcher&)>;

    // The largest reply body read.
    static constexpr std::uint64_t MaximumReplySize = std::uint64_t(4) << 20;

    static base::Ref<BTXCoreFetcher> create();
    ~BTXCoreFetcher() override;

    // The alternate URL after the retry, else the base URL, with "?" and the query
    // of the bindings when there are any. Empty when there is no URL.
    std::string requestURL() const;
    // Pairs "key=value" with the value percent-encoded, joined by "&"; none for a
    // missing or empty set.
    static std::optional<std::string> createQueryStringFromDict(
        std::optional<BTXParameters> const& parameters);
    void fetchAsynchronouslyWithCompletionInvocation(Completion completion);
    // Moves to the alternate URL and starts again, when there is one and a completion.
    void retry();
    // The bindings joined as "key=value" pairs, values not escaped.
    std::string urlEncodedBindings() const;
    // Stops the running attempt; the completion is not called.
    void cancel();

    int requestTag {0};
    double requestTimeout {10};
    std::string requestMethod {"GET"};
    std::optional<BTXParameters> postParameters;
    std::string baseURL;
    std::string alternateURL;
    std::optional<BTXParameters> bindings;
    base::Bytes POSTdata;

    int retryCount() const { return retryCount_; }
    std::optional<foundation::URLResponse> const& response() const { return response_; }
    bool hasFetched() const { return hasFetched_; }
    bool hasError() const { return error_.has_value(); }
    std::optional<foundation::URLError> const& error() const { return error_; }
    base::Bytes const& data() const { return data_; }
    void clearDataAndError();
    bool isRunning() const { return connection_ != nullptr; }

private:
    friend base::Factory;
    BTXCoreFetcher() = default;

    void startAttempt();
    void complete();

    // URLConnectionDelegate
    void didReceiveResponse(
        foundation::URLConnection&, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection&, base::Bytes const& bytes) override;
    void connectionDidFinishLoading(foundation::URLConnection&) override;
    void didFailWithError(foundation::URLConnection&, foundation::URLError const& error) override;

    int retryCount_ {0};
    std::optional<foundation::URLResponse> response_;
    base::Ref<foundation::URLConnection> connection_;
    Completion invocation;
    bool hasFetched_ {false};
    std::optional<foundation::URLError> error_;
    base::Bytes data_;
    // Counts starts, so a start-up failure queued for an attempt that was since
    // replaced or cancelled is dropped.
    unsigned generation_ {0};
};

}
