#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/Reachability.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace ads::adnoria {

// Watches whether the network can be reached and reduces it to the two-letter type
// every ad request carries: "wi" reachable, "ed" reachable over the cellular
// interface, nothing before the first report or without a network. The probe is
// the network at large (the all-zero address), so no host name is needed. Main
// thread.
class ADNNetworkChecker final : public base::Object {
public:
    enum NetworkType { Unknown = 0, NotReachable = 1, Reachable = 2, ReachableViaWWAN = 3 };

    static ADNNetworkChecker& sharedChecker();
    // Drops the shared checker (tests).
    static void releaseSharedChecker();
    static base::Ref<ADNNetworkChecker> create() { return base::make<ADNNetworkChecker>(); }
    ~ADNNetworkChecker() override;

    bool isEnabled() const { return bool(networkRef_); }
    void setEnabled(bool enabled);
    int networkType() const { return networkType_; }
    std::uint32_t changeCount() const { return changeCount_; }
    std::optional<std::string> networkTypeString() const;

    void startNetworkChecking();
    void stopNetworkChecking();
    void setNetworkTypeFromFlags(std::uint32_t flags);

private:
    friend base::Factory;
    ADNNetworkChecker() = default;

    base::Ref<foundation::Reachability> networkRef_;
    int networkType_ {Unknown};
    std::uint32_t changeCount_ {0};
};

}
