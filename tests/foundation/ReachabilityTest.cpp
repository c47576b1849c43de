#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using foundation::Reachability;
using Status = foundation::Reachability::NetworkStatus;
namespace Flags = foundation::ReachabilityFlags;

namespace {

// Leaves no forcing behind for the next test.
struct ForcingGuard {
    ~ForcingGuard() { Reachability::clearForcedStatus(); }
};

using foundation::RunLoop;

}

TEST(Reachability, LoopbackTargetsAreReachableLocalAndDirect) {
    for (auto const& target : {"127.0.0.1", "localhost", "::1"}) {
        SCOPED_TRACE(target);
        auto reachability = Reachability::reachabilityWithHostName(target);
        ASSERT_TRUE(reachability);
        auto flags = reachability->flags();
        ASSERT_TRUE(flags);
        EXPECT_TRUE(*flags & Flags::Reachable);
        EXPECT_TRUE(*flags & Flags::IsLocalAddress);
        EXPECT_TRUE(*flags & Flags::IsDirect);
        EXPECT_EQ(reachability->currentReachabilityStatus(), Status::ReachableViaWiFi);
        EXPECT_FALSE(reachability->connectionRequired());
    }
}

TEST(Reachability, NamesThatDoNotResolveAreNotReachable) {
    auto reachability = Reachability::reachabilityWithHostName("no-such-host.invalid");
    ASSERT_TRUE(reachability);
    EXPECT_TRUE(reachability->isHostName());
    EXPECT_EQ(reachability->flags(), 0u);
    EXPECT_EQ(reachability->currentReachabilityStatus(), Status::NotReachable);
}

TEST(Reachability, FactoriesRefuseWhatTheyCannotWatch) {
    EXPECT_FALSE(Reachability::reachabilityWithHostName(""));
    EXPECT_FALSE(Reachability::reachabilityWithAddress("example.com"));
    auto address = Reachability::reachabilityWithAddress("10.1.2.3");
    ASSERT_TRUE(address);
    EXPECT_FALSE(address->isHostName());
    EXPECT_FALSE(Reachability::reachabilityWithHostName("192.168.0.1")->isHostName());
    EXPECT_EQ(Reachability::reachabilityForInternetConnection()->target(), "0.0.0.0");
    EXPECT_TRUE(Reachability::reachabilityForLocalWiFi()->isLocalWiFi());
}

TEST(Reachability, InternetConnectionAnswersFromTheRoutingTable) {
    // Whatever this machine's network is, the answer is readable and agrees with
    // the real state.
    auto internet = Reachability::reachabilityForInternetConnection();
    auto flags = internet->flags();
    ASSERT_TRUE(flags);
    EXPECT_EQ(flags, Reachability::realFlags("0.0.0.0", false));
    EXPECT_FALSE(*flags & Flags::IsWWAN);
}

TEST(Reachability, StatusFromFlags) {
    struct Case {
        std::uint32_t flags;
        bool localWiFi;
        Status status;
    };
    Case const cases[] = {
        {0, false, Status::NotReachable},
        {Flags::Reachable, false, Status::ReachableViaWiFi},
        {Flags::Reachable | Flags::IsWWAN, false, Status::ReachableViaWWAN},
        {Flags::Reachable | Flags::IsWWAN | Flags::ConnectionRequired, false,
            Status::ReachableViaWWAN},
        {Flags::Reachable | Flags::ConnectionRequired, false, Status::NotReachable},
        {Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnDemand, false,
            Status::ReachableViaWiFi},
        {Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnTraffic, false,
            Status::ReachableViaWiFi},
        {Flags::Reachable | Flags::ConnectionRequired | Flags::ConnectionOnDemand
                | Flags::InterventionRequired,
            false, Status::NotReachable},
        {Flags::IsWWAN, false, Status::NotReachable},
        {Flags::Reachable, true, Status::NotReachable},
        {Flags::Reachable | Flags::IsDirect, true, Status::ReachableViaWiFi},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(Reachability::statusForFlags(c.flags, c.localWiFi), c.status);
    }
}

TEST(Reachability, ForcedStateOverridesEveryObjectUntilCleared) {
    ForcingGuard guard;
    auto loopback = Reachability::reachabilityWithHostName("127.0.0.1");
    Reachability::setForcedStatus(Status::NotReachable);
    EXPECT_EQ(loopback->currentReachabilityStatus(), Status::NotReachable);
    Reachability::setForcedStatus(Status::ReachableViaWWAN);
    EXPECT_EQ(loopback->currentReachabilityStatus(), Status::ReachableViaWWAN);
    EXPECT_EQ(Reachability::reachabilityForInternetConnection()->currentReachabilityStatus(),
        Status::ReachableViaWWAN);

    Reachability::setForcedFlags(Flags::Reachable | Flags::ConnectionRequired);
    EXPECT_TRUE(loopback->connectionRequired());
    EXPECT_EQ(loopback->currentReachabilityStatus(), Status::NotReachable);

    Reachability::setForcedFlags(std::nullopt);
    EXPECT_FALSE(loopback->flags());
    EXPECT_FALSE(loopback->connectionRequired());
    EXPECT_EQ(loopback->currentReachabilityStatus(), Status::NotReachable);

    Reachability::clearForcedStatus();
    EXPECT_EQ(loopback->currentReachabilityStatus(), Status::ReachableViaWiFi);
}

TEST(Reachability, HostNameNotifierReportsItsFirstAnswerOnTheStartingThread) {
    RunLoop::main().reset();
    auto reachability = Reachability::reachabilityWithHostName("localhost");
    std::vector<Status> reports;
    std::thread::id thread;
    ASSERT_TRUE(reachability->startNotifier([&](Reachability& changed) {
        EXPECT_EQ(&changed, reachability.get());
        reports.push_back(changed.currentReachabilityStatus());
        thread = std::this_thread::get_id();
    }));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !reports.empty(); }, 5));
    EXPECT_EQ(reports, std::vector {Status::ReachableViaWiFi});
    EXPECT_EQ(thread, std::this_thread::get_id());
    reachability->stopNotifier();
}

TEST(Reachability, ForcingAndClearingAreReportedAsChanges) {
    ForcingGuard guard;
    RunLoop::main().reset();
    auto reachability = Reachability::reachabilityWithAddress("127.0.0.1");
    std::vector<Status> reports;
    reachability->startNotifier(
        [&](Reachability& changed) { reports.push_back(changed.currentReachabilityStatus()); });

    Reachability::setForcedStatus(Status::NotReachable);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return reports.size() == 1; }, 5));
    Reachability::setForcedStatus(Status::ReachableViaWWAN);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return reports.size() == 2; }, 5));
    Reachability::clearForcedStatus();
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return reports.size() == 3; }, 5));
    EXPECT_EQ(reports,
        (std::vector {Status::NotReachable, Status::ReachableViaWWAN, Status::ReachableViaWiFi}));
    reachability->stopNotifier();
}

TEST(Reachability, StoppedOrDestroyedNotifiersHearNothingMore) {
    ForcingGuard guard;
    RunLoop::main().reset();
    int stoppedReports = 0;
    int destroyedReports = 0;
    int watcherReports = 0;
    auto stopped = Reachability::reachabilityWithAddress("127.0.0.1");
    auto destroyed = Reachability::reachabilityWithAddress("127.0.0.1");
    auto watcher = Reachability::reachabilityWithAddress("127.0.0.1");
    stopped->startNotifier([&](Reachability&) { ++stoppedReports; });
    destroyed->startNotifier([&](Reachability&) { ++destroyedReports; });
    watcher->startNotifier([&](Reachability&) { ++watcherReports; });

    Reachability::setForcedStatus(Status::NotReachable);
    // The monitor may already have queued the news; stopping still silences it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (RunLoop::main().pendingWorkCount() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    stopped->stopNotifier();
    destroyed = nullptr;
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return watcherReports == 1; }, 5));
    RunLoop::main().runUntil(nullptr, 0.1);
    EXPECT_EQ(stoppedReports, 0);
    EXPECT_EQ(destroyedReports, 0);
    watcher->stopNotifier();
}
