#include <toolkit/rest/RLRequestQueue.hpp>

#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLError.hpp>

#include <foundation/Clock.hpp>
#include <foundation/Format.hpp>

#include <algorithm>

namespace toolkit::rest {

namespace {

base::Ref<RLRequestQueue>& sharedSlot() {
    static base::Ref<RLRequestQueue> queue;
    return queue;
}

double now() {
    return foundation::Clock::current().monotonic();
}

}

RLRequestQueue& RLRequestQueue::sharedQueue() {
    auto& slot = sharedSlot();
    if (!slot) {
        slot = create();
        slot->setSuspended(false);
    }
    return *slot;
}

void RLRequestQueue::setSharedQueue(base::Ref<RLRequestQueue> queue) {
    auto& slot = sharedSlot();
    if (slot != queue)
        slot = std::move(queue);
}

base::Ref<RLRequestQueue> RLRequestQueue::create() {
    return base::make<RLRequestQueue>();
}

RLRequestQueue::RLRequestQueue() {
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto handler
        = [this](foundation::Notification const& notification) { responseDidLoad(notification); };
    observations_.push_back(center.observe(RLResponseReceivedNotification, handler));
    observations_.push_back(center.observe(RLRequestFailedWithErrorNotification, handler));
    observations_.push_back(
        center.observe(RLApplication::DidEnterBackgroundNotification, [this](auto const&) {
            base::Ref<RLRequestQueue> keep(this);
            willTransitionToBackground();
        }));
    observations_.push_back(
        center.observe(RLApplication::WillEnterForegroundNotification, [this](auto const&) {
            base::Ref<RLRequestQueue> keep(this);
            willTransitionToForeground();
        }));
}

RLRequestQueue::~RLRequestQueue() {
    observations_.clear();
    if (queueTimer_)
        queueTimer_->invalidate();
    queueTimer_ = nullptr;
}

void RLRequestQueue::setSuspended(bool suspended) {
    base::Ref<RLRequestQueue> keep(this);
    if (suspended != suspended_ && delegate_) {
        if (suspended)
            delegate_->requestQueueWasSuspended(*this);
        else
            delegate_->requestQueueWasUnsuspended(*this);
    }
    suspended_ = suspended;
    if (suspended_) {
        if (queueTimer_)
            queueTimer_->invalidate();
        queueTimer_ = nullptr;
    } else {
        loadNextInQueue();
    }
}

void RLRequestQueue::setLoadingCount(std::uint32_t count) {
    auto* application = RLApplication::shared();
    if (loadingCount_ == 0 && count > 0) {
        if (delegate_)
            delegate_->requestQueueDidBeginLoading(*this);
        if (showsIndicator_ && application)
            application->setNetworkActivityIndicatorVisible(true);
    } else if (loadingCount_ > 0 && count == 0) {
        if (delegate_)
            delegate_->requestQueueDidFinishLoading(*this);
        if (showsIndicator_ && application)
            application->setNetworkActivityIndicatorVisible(false);
    }
    loadingCount_ = count;
}

void RLRequestQueue::addRequest(base::Ref<RLRequest> request) {
    if (!request)
        return;
    if (containsRequest(*request)) {
        // A request sent again while held (cancelled in the background to be queued
        // anew) waits for a slot again instead of keeping its old one.
        if (counted_[request.get()] && !request->isLoading()) {
            counted_[request.get()] = false;
            setLoadingCount(loadingCount_ - 1);
        }
    } else {
        requests_.push_back(request);
        arrived_[request.get()] = now();
        counted_[request.get()] = false;
    }
    loadNextInQueue();
}

bool RLRequestQueue::containsRequest(RLRequest const& request) const {
    return std::any_of(requests_.begin(), requests_.end(),
        [&](auto const& held) { return held.get() == &request; });
}

void RLRequestQueue::forget(RLRequest const& request) {
    std::erase_if(requests_, [&](auto const& held) { return held.get() == &request; });
    arrived_.erase(&request);
    counted_.erase(&request);
}

void RLRequestQueue::loadNextInQueueDelayed() {
    if (queueTimer_ && queueTimer_->isValid())
        return;
    queueTimer_ = foundation::Timer::scheduledTimer(
        retryInterval,
        [this](foundation::Timer&) {
            base::Ref<RLRequestQueue> keep(this);
            queueTimer_ = nullptr;
            loadNextInQueue();
        },
        false);
}

void RLRequestQueue::loadNextInQueue() {
    base::Ref<RLRequestQueue> keep(this);
    auto client = RLClient::sharedClient();
    auto* observer = client ? client->baseURLReachabilityObserver().get() : nullptr;
    bool statusUnknown = !observer || observer->networkStatus() == RLNetworkStatusNotDetermined;
    if (statusUnknown || suspended_) {
        if (queueTimer_)
            queueTimer_->invalidate();
        queueTimer_ = nullptr;
        if (statusUnknown && !suspended_)
            failExpiredRequests();
        loadNextInQueueDelayed();
        return;
    }
    if (queueTimer_)
        queueTimer_->invalidate();
    queueTimer_ = nullptr;
    auto snapshot = requests_;
    for (auto const& request : snapshot) {
        if (request->isLoading() || request->isLoaded() || !containsRequest(*request))
            continue;
        if (loadingCount_ >= concurrentRequestsLimit_)
            break;
        if (delegate_)
            delegate_->requestQueueWillSendRequest(*this, *request);
        counted_[request.get()] = true;
        setLoadingCount(loadingCount_ + 1);
        request->sendAsynchronously();
        if (delegate_)
            delegate_->requestQueueDidSendRequest(*this, *request);
    }
    if (!requests_.empty() && !suspended_)
        loadNextInQueueDelayed();
}

void RLRequestQueue::failExpiredRequests() {
    auto deadline = now() - double(requestTimeout_);
    auto snapshot = requests_;
    for (auto const& request : snapshot) {
        if (request->isLoading() || !containsRequest(*request))
            continue;
        auto arrived = arrived_.find(request.get());
        if (arrived == arrived_.end() || arrived->second > deadline)
            continue;
        // Taken out first, so that its failure notification finds nothing to free.
        bool counted = counted_[request.get()];
        forget(*request);
        if (counted)
            setLoadingCount(loadingCount_ - 1);
        auto error = RLUnreachableResourceError(
            request->URL() ? request->URL()->absoluteString() : std::string());
        foundation::log("No network status came within %@ seconds; the request to %@ fails",
            requestTimeout_, error.failingURL.empty() ? "(none)" : error.failingURL);
        request->didFailLoadWithError(error);
        if (delegate_)
            delegate_->requestQueueDidFailRequest(*this, *request, error);
    }
}

void RLRequestQueue::responseDidLoad(foundation::Notification const& notification) {
    base::Ref<RLRequestQueue> keep(this);
    base::Ref<RLRequest> request;
    bool isResponse = notification.name() == RLResponseReceivedNotification;
    for (auto const& held : requests_) {
        if (isResponse ? (held->response() && held->response().get() == notification.object())
                       : held.get() == notification.object()) {
            request = held;
            break;
        }
    }
    if (!request)
        return;
    bool counted = counted_[request.get()];
    forget(*request);
    if (counted)
        setLoadingCount(loadingCount_ - 1);
    if (delegate_) {
        if (isResponse)
            delegate_->requestQueueDidLoadResponse(*this, *request->response());
        else
            delegate_->requestQueueDidFailRequest(
                *this, *request, RLErrorFromUserInfo(notification.userInfo()));
    }
    loadNextInQueue();
}

void RLRequestQueue::cancelRequest(RLRequest& request, bool loadNext) {
    base::Ref<RLRequestQueue> keep(this);
    base::Ref<RLRequest> held(&request);
    if (!request.isLoading()) {
        if (!containsRequest(request))
            return;
        bool counted = counted_[&request];
        forget(request);
        if (counted)
            setLoadingCount(loadingCount_ - 1);
        request.setDelegate(nullptr);
        if (delegate_)
            delegate_->requestQueueDidCancelRequest(*this, request);
    } else if (containsRequest(request) && !request.isLoaded()) {
        request.cancel();
        request.setDelegate(nullptr);
        if (delegate_)
            delegate_->requestQueueDidCancelRequest(*this, request);
        bool counted = counted_[&request];
        forget(request);
        if (counted)
            setLoadingCount(loadingCount_ - 1);
        if (loadNext)
            loadNextInQueue();
    }
}

void RLRequestQueue::cancelRequestsWithDelegate(RLRequestDelegate* delegate) {
    auto snapshot = requests_;
    for (auto const& request : snapshot) {
        if (request->delegate() && request->delegate() == delegate)
            cancelRequest(*request);
    }
}

void RLRequestQueue::cancelAllRequests() {
    auto snapshot = requests_;
    for (auto const& request : snapshot)
        cancelRequest(*request, false);
}

}
