#include <ads/bountix/BTXNetReachability.hpp>

#include <foundation/NotificationCenter.hpp>

namespace ads::bountix {

BTXNetReachability::BTXNetReachability(
    base::Ref<foundation::Reachability> reachability, bool localWiFi)
    : localWiFiRef_(localWiFi)
    , reachabilityRef(std::move(reachability)) {
}

base::Ref<BTXNetReachability> BTXNetReachability::wrap(
    base::Ref<foundation::Reachability> reachability, bool localWiFi) {
    if (!reachability)
        return nullptr;
    return base::make<BTXNetReachability>(std::move(reachability), localWiFi);
}

base::Ref<BTXNetReachability> BTXNetReachability::reachabilityWithHostName(std::string hostName) {
    return wrap(foundation::Reachability::reachabilityWithHostName(std::move(hostName)), false);
}

base::Ref<BTXNetReachability> BTXNetReachability::reachabilityWithAddress(std::string address) {
    return wrap(foundation::Reachability::reachabilityWithAddress(std::move(address)), false);
}

base::Ref<BTXNetReachability> BTXNetReachability::reachabilityForInternetConnection() {
    return wrap(foundation::Reachability::reachabilityForInternetConnection(), false);
}

base::Ref<BTXNetReachability> BTXNetReachability::reachabilityForLocalWiFi() {
    return wrap(foundation::Reachability::reachabilityForLocalWiFi(), true);
}

bool BTXNetReachability::isUsingWifi() {
    auto reachability = reachabilityForLocalWiFi();
    return reachability && reachability->currentReachabilityStatus() != NotReachable;
}

bool BTXNetReachability::isUsingInternet() {
    auto reachability = reachabilityForInternetConnection();
    return reachability && reachability->currentReachabilityStatus() != NotReachable;
}

std::string BTXNetReachability::getReachibilityType() {
    if (isUsingWifi())
        return "wifi";
    if (isUsingInternet())
        return "mobile";
    return "none";
}

bool BTXNetReachability::startNotifier() {
    return reachabilityRef->startNotifier([this](foundation::Reachability&) {
        foundation::NotificationCenter::defaultCenter().postNotification(
            kNetworkReachabilityChangedNotification, this);
    });
}

void BTXNetReachability::stopNotifier() {
    reachabilityRef->stopNotifier();
}

BTXNetReachability::Status BTXNetReachability::currentReachabilityStatus() const {
    auto flags = reachabilityRef->flags();
    if (!flags)
        return NotReachable;
    return localWiFiRef_ ? localWiFiStatusForFlags(*flags) : networkStatusForFlags(*flags);
}

bool BTXNetReachability::connectionRequired() const {
    return reachabilityRef->connectionRequired();
}

BTXNetReachability::Status BTXNetReachability::localWiFiStatusForFlags(std::uint32_t flags) {
    return static_cast<Status>(foundation::Reachability::statusForFlags(flags, true));
}

BTXNetReachability::Status BTXNetReachability::networkStatusForFlags(std::uint32_t flags) {
    return static_cast<Status>(foundation::Reachability::statusForFlags(flags, false));
}

}
