#pragma once

#include <foundation/Reachability.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace toolkit::rest {

// The network statuses an observer answers.
enum RLNetworkStatus : std::int32_t {
    RLNetworkStatusNotDetermined = 0,
    RLNetworkStatusNotReachable = 1,
    RLNetworkStatusReachableViaWiFi = 2,
    RLNetworkStatusReachableViaWWAN = 3,
};

inline constexpr char const* RLReachabilityStateChangedNotification
    = "RLReachabilityStateChangedNotification";

// Watches whether one host can be reached. Until the first change report of any
// observer has come (or an observer was made for a dotted IPv4 address), every
// observer answers "not determined", which the request queue waits out; the flag is
// shared by the whole process. Each report posts RLReachabilityStateChangedNotification
// with the observer as object, on the run loop of the thread that made it (main).
class RLReachabilityObserver final : public base::Object {
public:
    // Null when the platform gives no handle for the name (an empty one).
    static base::Ref<RLReachabilityObserver> reachabilityObserverWithHostName(
        std::string const& hostName);
    ~RLReachabilityObserver() override;

    RLNetworkStatus networkStatus() const;
    bool isNetworkReachable() const { return networkStatus() != RLNetworkStatusNotReachable; }
    bool isConnectionRequired() const;
    // The status that flags mean once the status is determined: not reachable
    // without the reachable flag; Wi-Fi without connection-required, or with
    // connection-on-traffic or on-demand and no intervention; WWAN over all.
    static RLNetworkStatus statusForFlags(std::optional<std::uint32_t> flags);

    void scheduleObserver();
    void unscheduleObserver();

    foundation::Reachability& reachabilityRef() const { return *reachabilityRef_; }

    // The process-wide flag: set by every report and by IPv4 observers.
    static bool reachabilityDetermined();
    // For tests: forget that any report came.
    static void setReachabilityDetermined(bool determined);

private:
    friend base::Factory;
    explicit RLReachabilityObserver(base::Ref<foundation::Reachability> reachability);

    void reachabilityCallback();

    base::Ref<foundation::Reachability> reachabilityRef_;
};

}
