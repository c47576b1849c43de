#include <toolkit/rest/RLReachabilityObserver.hpp>

#include <base/Verify.hpp>
#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>

#include <arpa/inet.h>

#include <atomic>

namespace toolkit::rest {

namespace {

std::atomic<bool> determined {false};

}

namespace Flags = foundation::ReachabilityFlags;

bool RLReachabilityObserver::reachabilityDetermined() {
    return determined.load();
}

void RLReachabilityObserver::setReachabilityDetermined(bool value) {
    determined = value;
}

base::Ref<RLReachabilityObserver> RLReachabilityObserver::reachabilityObserverWithHostName(
    std::string const& hostName) {
    in_addr address {};
    base::Ref<foundation::Reachability> reachability;
    if (inet_pton(AF_INET, hostName.c_str(), &address) == 1) {
        reachability = foundation::Reachability::reachabilityWithAddress(hostName);
        determined = true;
    } else {
        reachability = foundation::Reachability::reachabilityWithHostName(hostName);
    }
    if (!reachability)
        return nullptr;
    return base::make<RLReachabilityObserver>(std::move(reachability));
}

RLReachabilityObserver::RLReachabilityObserver(base::Ref<foundation::Reachability> reachability)
    : reachabilityRef_(std::move(reachability)) {
    scheduleObserver();
}

RLReachabilityObserver::~RLReachabilityObserver() {
    unscheduleObserver();
}

void RLReachabilityObserver::scheduleObserver() {
    if (!reachabilityRef_->startNotifier(
            [this](foundation::Reachability&) { reachabilityCallback(); }))
        foundation::log("Warning -- Unable to schedule reachability observer in current run loop.");
}

void RLReachabilityObserver::unscheduleObserver() {
    reachabilityRef_->stopNotifier();
}

void RLReachabilityObserver::reachabilityCallback() {
    base::Ref<RLReachabilityObserver> keep(this);
    determined = true;
    foundation::NotificationCenter::defaultCenter().postNotification(
        RLReachabilityStateChangedNotification, this);
}

RLNetworkStatus RLReachabilityObserver::statusForFlags(std::optional<std::uint32_t> flags) {
    if (!flags || !(*flags & Flags::Reachable))
        return RLNetworkStatusNotReachable;
    auto status = (*flags & Flags::ConnectionRequired) ? RLNetworkStatusNotReachable
                                                       : RLNetworkStatusReachableViaWiFi;
    if (!(*flags & Flags::InterventionRequired)
        && (*flags & (Flags::ConnectionOnTraffic | Flags::ConnectionOnDemand)))
        status = RLNetworkStatusReachableViaWiFi;
    if (*flags & Flags::IsWWAN)
        status = RLNetworkStatusReachableViaWWAN;
    return status;
}

RLNetworkStatus RLReachabilityObserver::networkStatus() const {
    VERIFY_MSG(reachabilityRef_, "currentNetworkStatus called with NULL reachabilityRef");
    if (!determined)
        return RLNetworkStatusNotDetermined;
    return statusForFlags(reachabilityRef_->flags());
}

bool RLReachabilityObserver::isConnectionRequired() const {
    VERIFY_MSG(reachabilityRef_, "connectionRequired called with NULL reachabilityRef");
    auto flags = reachabilityRef_->flags();
    return flags && (*flags & Flags::ConnectionRequired);
}

}
