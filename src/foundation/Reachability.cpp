#include <foundation/Reachability.hpp>

#include <foundation/RunLoop.hpp>

#include <base/Verify.hpp>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace foundation {

namespace {

using namespace ReachabilityFlags;

struct Forcing {
    std::mutex mutex;
    bool forced {false};
    std::optional<std::uint32_t> flags;
};

Forcing& forcing() {
    static Forcing shared;
    return shared;
}

struct Address {
    sockaddr_storage storage {};
    socklen_t length {0};
    int family() const { return storage.ss_family; }
};

std::optional<Address> numericAddress(std::string const& text) {
    Address address;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address.storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
    if (inet_pton(AF_INET, text.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        address.length = sizeof(sockaddr_in);
        return address;
    }
    if (inet_pton(AF_INET6, text.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        address.length = sizeof(sockaddr_in6);
        return address;
    }
    return std::nullopt;
}

std::vector<Address> resolve(std::string const& host) {
    std::vector<Address> addresses;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6)
            continue;
        Address address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

// The address bytes of an IPv4 or IPv6 socket address.
std::pair<unsigned char const*, std::size_t> bytesOf(sockaddr const* address) {
    if (address->sa_family == AF_INET)
        return {reinterpret_cast<unsigned char const*>(
                    &reinterpret_cast<sockaddr_in const*>(address)->sin_addr),
            4};
    return {reinterpret_cast<unsigned char const*>(
                &reinterpret_cast<sockaddr_in6 const*>(address)->sin6_addr),
        16};
}

bool isLoopback(Address const& address) {
    auto [bytes, size] = bytesOf(reinterpret_cast<sockaddr const*>(&address.storage));
    if (size == 4)
        return bytes[0] == 127;
    static unsigned char const loopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return std::memcmp(bytes, loopback6, 16) == 0;
}

bool isAny(Address const& address) {
    auto [bytes, size] = bytesOf(reinterpret_cast<sockaddr const*>(&address.storage));
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// Whether the routing table has a way to address: connecting a datagram socket
// picks a route and sends nothing.
bool routeExists(Address address) {
    if (address.family() == AF_INET)
        reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = htons(9);
    else
        reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = htons(9);
    int fd = ::socket(address.family(), SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool connected
        = ::connect(fd, reinterpret_cast<sockaddr*>(&address.storage), address.length) == 0;
    ::close(fd);
    return connected;
}

std::uint32_t flagsFor(Address const& address, ifaddrs const* interfaces) {
    if (isLoopback(address))
        return Reachable | IsLocalAddress | IsDirect;
    if (isAny(address)) {
        // The network at large: is there a way out of the machine?
        auto outside
            = numericAddress(address.family() == AF_INET ? "8.8.8.8" : "2001:4860:4860::8888");
        return outside && routeExists(*outside) ? Reachable : 0;
    }
    auto [target, size] = bytesOf(reinterpret_cast<sockaddr const*>(&address.storage));
    for (auto const* entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != address.family())
            continue;
        if (!(entry->ifa_flags & IFF_UP) || !(entry->ifa_flags & IFF_RUNNING))
            continue;
        auto [local, localSize] = bytesOf(entry->ifa_addr);
        if (std::memcmp(local, target, size) == 0)
            return Reachable | IsLocalAddress | IsDirect;
        if (!entry->ifa_netmask || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        auto [mask, maskSize] = bytesOf(entry->ifa_netmask);
        bool sameNetwork = true;
        for (std::size_t i = 0; i < size && sameNetwork; ++i)
            sameNetwork = (local[i] & mask[i]) == (target[i] & mask[i]);
        if (sameNetwork)
            return Reachable | IsDirect;
    }
    return routeExists(address) ? Reachable : 0;
}

}

std::optional<std::uint32_t> Reachability::realFlags(std::string const& target, bool isHostName) {
    std::vector<Address> addresses;
    if (isHostName) {
        addresses = resolve(target);
    } else if (auto address = numericAddress(target)) {
        addresses.push_back(*address);
    } else {
        return std::nullopt;
    }
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0)
        return std::nullopt;
    std::uint32_t flags = 0;
    for (auto const& address : addresses) {
        flags = flagsFor(address, interfaces);
        if (flags & Reachable)
            break;
    }
    freeifaddrs(interfaces);
    return flags;
}

// A started notifier: what the monitor thread needs to watch a target and to
// reach the run loop that hears of changes. owner, callback and active belong to
// that run loop's thread; evaluated and last to the monitor thread.
struct Reachability::Watch {
    std::string target;
    bool isHostName {false};
    std::function<void(std::function<void()>)> post;
    std::atomic<bool> active {true};
    Reachability* owner {nullptr};
    Callback callback;
    bool evaluated {false};
    std::optional<std::uint32_t> last;
};

namespace {

// The thread that watches the network for every started notifier: it wakes on
// kernel news of links, addresses and routes, on forcing, and every few seconds
// in case names resolve differently, and reports flags that changed.
class Monitor {
public:
    static Monitor& shared() {
        static Monitor monitor;
        return monitor;
    }

    void add(std::shared_ptr<Reachability::Watch> watch) {
        {
            std::lock_guard lock(mutex_);
            watches_.push_back(std::move(watch));
        }
        wake();
    }

    void wake() {
        std::uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wake_, &one, sizeof one);
    }

    ~Monitor() {
        stopping_ = true;
        wake();
        thread_.join();
        ::close(wake_);
        if (netlink_ >= 0)
            ::close(netlink_);
    }

private:
    Monitor() {
        // Made first, so that it outlives this thread when statics are destroyed.
        forcing();
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        VERIFY(wake_ >= 0);
        netlink_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
        if (netlink_ >= 0) {
            sockaddr_nl address {};
            address.nl_family = AF_NETLINK;
            address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR
                | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
            if (::bind(netlink_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
                ::close(netlink_);
                netlink_ = -1;
            }
        }
        thread_ = std::thread([this] { run(); });
    }

    void run() {
        while (!stopping_) {
            pollfd fds[2] = {{wake_, POLLIN, 0}, {netlink_, POLLIN, 0}};
            ::poll(fds, netlink_ >= 0 ? 2 : 1, 5000);
            char buffer[8192];
            while (::read(wake_, buffer, 8) > 0) { }
            while (netlink_ >= 0 && ::recv(netlink_, buffer, sizeof buffer, 0) > 0) { }
            if (stopping_)
                return;
            check();
        }
    }

    void check() {
        std::vector<std::shared_ptr<Reachability::Watch>> watches;
        {
            std::lock_guard lock(mutex_);
            std::erase_if(watches_, [](auto const& watch) { return !watch->active; });
            watches = watches_;
        }
        std::optional<std::optional<std::uint32_t>> forced;
        {
            std::lock_guard lock(forcing().mutex);
            if (forcing().forced)
                forced = forcing().flags;
        }
        for (auto const& watch : watches) {
            auto flags
                = forced ? *forced : Reachability::realFlags(watch->target, watch->isHostName);
            bool report = watch->evaluated ? flags != watch->last : watch->isHostName;
            watch->evaluated = true;
            watch->last = flags;
            if (!report)
                continue;
            watch->post([watch] {
                if (!watch->active || !watch->owner || !watch->callback)
                    return;
                base::Ref<Reachability> keep(watch->owner);
                auto callback = watch->callback;
                callback(*keep);
            });
        }
    }

    std::mutex mutex_;
    std::vector<std::shared_ptr<Reachability::Watch>> watches_;
    std::atomic<bool> stopping_ {false};
    int wake_ {-1};
    int netlink_ {-1};
    std::thread thread_;
};

}

base::Ref<Reachability> Reachability::reachabilityWithHostName(std::string hostName) {
    if (hostName.empty())
        return nullptr;
    bool numeric = numericAddress(hostName).has_value();
    return base::make<Reachability>(std::move(hostName), !numeric, false);
}

base::Ref<Reachability> Reachability::reachabilityWithAddress(std::string address) {
    if (!numericAddress(address))
        return nullptr;
    return base::make<Reachability>(std::move(address), false, false);
}

base::Ref<Reachability> Reachability::reachabilityForInternetConnection() {
    return base::make<Reachability>("0.0.0.0", false, false);
}

base::Ref<Reachability> Reachability::reachabilityForLocalWiFi() {
    return base::make<Reachability>("169.254.0.0", false, true);
}

Reachability::Reachability(std::string target, bool isHostName, bool localWiFi)
    : target_(std::move(target))
    , isHostName_(isHostName)
    , localWiFi_(localWiFi) {
}

Reachability::~Reachability() {
    stopNotifier();
}

std::optional<std::uint32_t> Reachability::flags() const {
    {
        std::lock_guard lock(forcing().mutex);
        if (forcing().forced)
            return forcing().flags;
    }
    return realFlags(target_, isHostName_);
}

Reachability::NetworkStatus Reachability::statusForFlags(std::uint32_t flags, bool localWiFi) {
    if (localWiFi)
        return (flags & Reachable) && (flags & IsDirect) ? NetworkStatus::ReachableViaWiFi
                                                         : NetworkStatus::NotReachable;
    if (!(flags & Reachable))
        return NetworkStatus::NotReachable;
    if (flags & IsWWAN)
        return NetworkStatus::ReachableViaWWAN;
    bool automatic
        = (flags & (ConnectionOnTraffic | ConnectionOnDemand)) && !(flags & InterventionRequired);
    if (!(flags & ConnectionRequired) || automatic)
        return NetworkStatus::ReachableViaWiFi;
    return NetworkStatus::NotReachable;
}

Reachability::NetworkStatus Reachability::currentReachabilityStatus() const {
    auto current = flags();
    return current ? statusForFlags(*current, localWiFi_) : NetworkStatus::NotReachable;
}

bool Reachability::connectionRequired() const {
    auto current = flags();
    return current && (*current & ConnectionRequired);
}

bool Reachability::startNotifier(Callback callback) {
    if (watch_) {
        watch_->callback = std::move(callback);
        return true;
    }
    auto post = [loop = base::Ref<RunLoop>(&RunLoop::current())](
                    std::function<void()> work) { loop->perform(std::move(work)); };
    watch_ = std::make_shared<Watch>();
    watch_->target = target_;
    watch_->isHostName = isHostName_;
    watch_->post = std::move(post);
    watch_->owner = this;
    watch_->callback = std::move(callback);
    if (!isHostName_) {
        // An address needs no lookup, so its starting point is taken now: a change
        // made right after starting is then reported as one.
        watch_->last = flags();
        watch_->evaluated = true;
    }
    Monitor::shared().add(watch_);
    return true;
}

void Reachability::stopNotifier() {
    if (!watch_)
        return;
    watch_->active = false;
    watch_->owner = nullptr;
    watch_->callback = nullptr;
    watch_.reset();
}

void Reachability::setForcedFlags(std::optional<std::uint32_t> flags) {
    {
        std::lock_guard lock(forcing().mutex);
        forcing().forced = true;
        forcing().flags = flags;
    }
    Monitor::shared().wake();
}

void Reachability::setForcedStatus(NetworkStatus status) {
    switch (status) {
    case NetworkStatus::NotReachable:
        setForcedFlags(0u);
        break;
    case NetworkStatus::ReachableViaWiFi:
        setForcedFlags(Reachable | IsDirect);
        break;
    case NetworkStatus::ReachableViaWWAN:
        setForcedFlags(Reachable | IsWWAN);
        break;
    }
}

void Reachability::clearForcedStatus() {
    {
        std::lock_guard lock(forcing().mutex);
        forcing().forced = false;
        forcing().flags.reset();
    }
    Monitor::shared().wake();
}

}
