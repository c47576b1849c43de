#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace foundation {

// What the system knows about the way to a target, as bits with the values the
// platform's reachability flags have (reachable is 2, connection-required 4).
namespace ReachabilityFlags {
inline constexpr std::uint32_t TransientConnection = 1u << 0;
inline constexpr std::uint32_t Reachable = 1u << 1;
inline constexpr std::uint32_t ConnectionRequired = 1u << 2;
inline constexpr std::uint32_t ConnectionOnTraffic = 1u << 3;
inline constexpr std::uint32_t InterventionRequired = 1u << 4;
inline constexpr std::uint32_t ConnectionOnDemand = 1u << 5;
inline constexpr std::uint32_t IsLocalAddress = 1u << 16;
inline constexpr std::uint32_t IsDirect = 1u << 17;
inline constexpr std::uint32_t IsWWAN = 1u << 18;
}

// Whether a host, an address or the network at large can be reached, answered
// from the machine's real state: a host name is resolved, and a target counts as
// reachable when the routing table has a way to it (a loopback target always
// does; a target on an attached network is direct). This machine has no mobile
// network, so a real answer is never WWAN; tests force any state they need.
// Reading the flags of a host name resolves it and may block; any thread.
// A started notifier calls back, on the run loop of the thread that started it,
// whenever the flags change (interfaces, addresses and routes are watched, and
// forcing counts as a change); a host-name target also reports once when its
// first answer is known. Owned by its creator; stopping or destroying it ends the
// callbacks at once, also for news already queued.
class Reachability final : public base::Object {
public:
    enum class NetworkStatus { NotReachable = 0, ReachableViaWiFi = 1, ReachableViaWWAN = 2 };
    using Callback = std::function<void(Reachability&)>;

    // Null for an empty name.
    static base::Ref<Reachability> reachabilityWithHostName(std::string hostName);
    // A numeric IPv4 or IPv6 address; null for anything else.
    static base::Ref<Reachability> reachabilityWithAddress(std::string address);
    // The network at large (the all-zero IPv4 address): reachable when there is a
    // route out of the machine.
    static base::Ref<Reachability> reachabilityForInternetConnection();
    // The link-local network 169.254.0.0: reachable and direct when an interface
    // sits on it.
    static base::Ref<Reachability> reachabilityForLocalWiFi();

    ~Reachability() override;

    std::string const& target() const { return target_; }
    bool isHostName() const { return isHostName_; }
    bool isLocalWiFi() const { return localWiFi_; }

    // The current flags, or null when they cannot be read.
    std::optional<std::uint32_t> flags() const;
    // Not reachable when the flags cannot be read.
    NetworkStatus currentReachabilityStatus() const;
    // The connection-required flag; false when the flags cannot be read.
    bool connectionRequired() const;
    // The status that flags mean: for the local Wi-Fi target, Wi-Fi only when
    // reachable and direct; otherwise not reachable without the reachable flag,
    // WWAN with the WWAN flag, and Wi-Fi when no connection must be set up first
    // or one is set up on traffic or on demand without the user.
    static NetworkStatus statusForFlags(std::uint32_t flags, bool localWiFi = false);

    // True once started; a second start replaces the callback.
    bool startNotifier(Callback callback);
    void stopNotifier();

    // For tests: every object answers these flags (or, with null, "cannot be
    // read") until cleared, and started notifiers hear of the change.
    static void setForcedFlags(std::optional<std::uint32_t> flags);
    static void setForcedStatus(NetworkStatus status);
    static void clearForcedStatus();

    // The flags the real network gives target, bypassing any forcing.
    static std::optional<std::uint32_t> realFlags(std::string const& target, bool isHostName);

    struct Watch;

private:
    std::string target_;
    bool isHostName_;
    bool localWiFi_;
    std::shared_ptr<Watch> watch_;

    friend base::Factory;

    // Use the factories.
    Reachability(std::string target, bool isHostName, bool localWiFi);
};

}
