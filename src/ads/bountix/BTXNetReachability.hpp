#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <foundation/Reachability.hpp>

#include <cstdint>
#include <string>

namespace ads::bountix {

inline constexpr char const* kNetworkReachabilityChangedNotification
    = "kNetworkReachabilityChangedNotification";

// Whether the device reaches the network over Wi-Fi, the mobile network or not at
// all, over the system's reachability. Owned by its creator; a started notifier posts
// kNetworkReachabilityChangedNotification with this object on every change, until it
// is stopped or the object goes. Main thread.
class BTXNetReachability final : public base::Object {
public:
    enum Status { NotReachable = 0, ReachableViaWiFi = 1, ReachableViaWWAN = 2 };

    // Null when the system refuses the target.
    static base::Ref<BTXNetReachability> reachabilityWithHostName(std::string hostName);
    static base::Ref<BTXNetReachability> reachabilityWithAddress(std::string address);
    static base::Ref<BTXNetReachability> reachabilityForInternetConnection();
    static base::Ref<BTXNetReachability> reachabilityForLocalWiFi();

    // Any status but not reachable, of a new local Wi-Fi or internet object.
    static bool isUsingWifi();
    static bool isUsingInternet();
    // "wifi", else "mobile", else "none".
    static std::string getReachibilityType();

    bool startNotifier();
    void stopNotifier();
    Status currentReachabilityStatus() const;
    bool connectionRequired() const;
    bool localWiFiRef() const { return localWiFiRef_; }

    static Status localWiFiStatusForFlags(std::uint32_t flags);
    static Status networkStatusForFlags(std::uint32_t flags);

private:
    friend base::Factory;
    BTXNetReachability(base::Ref<foundation::Reachability> reachability, bool localWiFi);

    static base::Ref<BTXNetReachability> wrap(
        base::Ref<foundation::Reachability> reachability, bool localWiFi);

    bool localWiFiRef_;
    base::Ref<foundation::Reachability> reachabilityRef;
};

}
