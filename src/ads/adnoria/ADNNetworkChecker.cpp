#include <ads/adnoria/ADNNetworkChecker.hpp>

namespace ads::adnoria {

namespace {
base::Ref<ADNNetworkChecker>& sharedStorage() {
    static base::Ref<ADNNetworkChecker> checker;
    return checker;
}
}

ADNNetworkChecker& ADNNetworkChecker::sharedChecker() {
    auto& checker = sharedStorage();
    if (!checker) {
        checker = create();
        checker->setEnabled(true);
    }
    return *checker;
}

void ADNNetworkChecker::releaseSharedChecker() {
    sharedStorage() = nullptr;
}

ADNNetworkChecker::~ADNNetworkChecker() {
    stopNetworkChecking();
}

void ADNNetworkChecker::setEnabled(bool enabled) {
    if (enabled == isEnabled())
        return;
    if (enabled)
        startNetworkChecking();
    else
        stopNetworkChecking();
}

std::optional<std::string> ADNNetworkChecker::networkTypeString() const {
    if (networkType_ == Reachable)
        return "wi";
    if (networkType_ == ReachableViaWWAN)
        return "ed";
    return std::nullopt;
}

void ADNNetworkChecker::startNetworkChecking() {
    networkType_ = Unknown;
    if (networkRef_)
        return;
    auto reachability = foundation::Reachability::reachabilityForInternetConnection();
    if (!reachability)
        return;
    reachability->startNotifier([this](foundation::Reachability& changed) {
        setNetworkTypeFromFlags(changed.flags().value_or(0));
    });
    networkRef_ = std::move(reachability);
}

void ADNNetworkChecker::stopNetworkChecking() {
    if (networkRef_) {
        networkRef_->stopNotifier();
        networkRef_ = nullptr;
    }
    networkType_ = Unknown;
}

void ADNNetworkChecker::setNetworkTypeFromFlags(std::uint32_t flags) {
    ++changeCount_;
    if (flags & foundation::ReachabilityFlags::Reachable)
        networkType_ = flags & foundation::ReachabilityFlags::IsWWAN ? ReachableViaWWAN : Reachable;
    else
        networkType_ = NotReachable;
}

}
