#pragma once

#include <toolkit/rest/RLRequest.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <map>
#include <vector>

namespace toolkit::rest {

class RLRequestQueue;

// What a queue tells its delegate; every operation is optional.
class RLRequestQueueDelegate {
public:
    virtual ~RLRequestQueueDelegate() = default;
    virtual void requestQueueWasSuspended(RLRequestQueue&) { }
    virtual void requestQueueWasUnsuspended(RLRequestQueue&) { }
    virtual void requestQueueDidBeginLoading(RLRequestQueue&) { }
    virtual void requestQueueDidFinishLoading(RLRequestQueue&) { }
    // requestQueue:willSendRequest:
    virtual void requestQueueWillSendRequest(RLRequestQueue&, RLRequest&) { }
    // requestQueue:didSendRequest:
    virtual void requestQueueDidSendRequest(RLRequestQueue&, RLRequest&) { }
    // requestQueue:didLoadResponse:
    virtual void requestQueueDidLoadResponse(RLRequestQueue&, RLResponse&) { }
    // requestQueue:didFailRequest:withError:
    virtual void requestQueueDidFailRequest(
        RLRequestQueue&, RLRequest&, foundation::URLError const&) { }
    // requestQueue:didCancelRequest:
    virtual void requestQueueDidCancelRequest(RLRequestQueue&, RLRequest&) { }
};

// Holds the requests that send() hands it and starts them in arrival order, at most
// concurrentRequestsLimit at a time, while the network status of the shared client's
// base host is known and the queue is not suspended. A slot is freed when the
// request's response or failure notification arrives. While anything is held the
// queue looks again every 0.3 seconds; a request that waits for a network status
// longer than requestTimeout seconds fails with the toolkit's code-2 error instead of
// waiting for ever. The queue suspends itself while the application is in the
// background and can show the network-activity indicator while busy. One shared
// queue serves the program; main thread only.
class RLRequestQueue final : public base::Object {
public:
    static constexpr double retryInterval = 0.3;

    // Made on first use and started at once.
    static RLRequestQueue& sharedQueue();
    // Replaces the shared queue (null drops it; the next use makes a new one).
    static void setSharedQueue(base::Ref<RLRequestQueue> queue);
    // A new queue, suspended.
    static base::Ref<RLRequestQueue> create();
    ~RLRequestQueue() override;

    void addRequest(base::Ref<RLRequest> request);
    bool containsRequest(RLRequest const& request) const;
    void cancelRequest(RLRequest& request) { cancelRequest(request, true); }
    void cancelRequest(RLRequest& request, bool loadNext);
    void cancelRequestsWithDelegate(RLRequestDelegate* delegate);
    void cancelAllRequests();

    void start() { setSuspended(false); }
    void willTransitionToBackground() { setSuspended(true); }
    void willTransitionToForeground() { setSuspended(false); }
    bool suspended() const { return suspended_; }
    void setSuspended(bool suspended);

    void loadNextInQueue();
    void loadNextInQueueDelayed();

    RLRequestQueueDelegate* delegate() const { return delegate_; }
    void setDelegate(RLRequestQueueDelegate* delegate) { delegate_ = delegate; }
    std::uint32_t loadingCount() const { return loadingCount_; }
    void setLoadingCount(std::uint32_t count);
    std::uint32_t concurrentRequestsLimit() const { return concurrentRequestsLimit_; }
    void setConcurrentRequestsLimit(std::uint32_t limit) { concurrentRequestsLimit_ = limit; }
    std::uint32_t requestTimeout() const { return requestTimeout_; }
    void setRequestTimeout(std::uint32_t seconds) { requestTimeout_ = seconds; }
    bool showsNetworkActivityIndicatorWhenBusy() const { return showsIndicator_; }
    void setShowsNetworkActivityIndicatorWhenBusy(bool shows) { showsIndicator_ = shows; }
    std::size_t count() const { return requests_.size(); }
    // The held requests, in arrival order.
    std::vector<base::Ref<RLRequest>> const& requests() const { return requests_; }

private:
    friend base::Factory;
    RLRequestQueue();

    void responseDidLoad(foundation::Notification const& notification);
    // Fails the requests that have waited for a network status longer than
    // requestTimeout.
    void failExpiredRequests();
    void forget(RLRequest const& request);

    std::vector<base::Ref<RLRequest>> requests_;
    // When each held request arrived, and whether it counts in loadingCount.
    std::map<RLRequest const*, double> arrived_;
    std::map<RLRequest const*, bool> counted_;
    RLRequestQueueDelegate* delegate_ {nullptr};
    std::uint32_t loadingCount_ {0};
    std::uint32_t concurrentRequestsLimit_ {5};
    std::uint32_t requestTimeout_ {300};
    base::Ref<foundation::Timer> queueTimer_;
    bool suspended_ {true};
    bool showsIndicator_ {false};
    std::vector<foundation::ObservationToken> observations_;
};

}
