#pragma once

#include <serverkit/APICall.hpp>
#include <serverkit/QBYConnect.hpp>
#include <support/GameServerStandIn.hpp>
#include <support/TempDir.hpp>

#include <base/Value.hpp>
#include <foundation/Bundle.hpp>
#include <foundation/Clock.hpp>
#include <foundation/HTTPCookieStorage.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace test {

// One server-client notification as an observer saw it, with the number of calls
// the stand-in had received by then.
struct SeenNotification {
    std::string name;
    base::Value userInfo;
    void const* sender;
    std::size_t callsBefore;
};

// The server client configured for the stand-in game server, with the application
// bundle of resources/ (its identifier, version and "qby.1.der"), a data folder of
// its own, the network forced reachable, and every notification of the client
// recorded. Everything is put back afterwards.
class ServerKitTest : public ::testing::Test {
protected:
    ServerKitTest()
        : previousBundle_(foundation::Bundle::mainBundle().bundlePath()) {
        foundation::Bundle::setMainBundlePath(QUILLABY_RESOURCES);
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        foundation::HTTPCookieStorage::sharedHTTPCookieStorage().removeAllCookies();
        setOnline(true);
        std::filesystem::create_directories(dataFolder());
        serverkit::QBYConnect::resetSharedManager();
        serverkit::QBYConnect::sharedManager().setConfiguration({server.host(), "udid-1",
            dataFolder().string(), server.marketingHost(), GameServerStandIn::MarketingPassword});
        foundation::NotificationCenter::defaultCenter().addObserver(
            this, "", [this](foundation::Notification const& notification) {
                auto const& name = notification.name();
                if (name.starts_with("qbykit") || name.starts_with("btx_")
                    || name.starts_with("QBYKIT") || name.starts_with("QBYAPI")
                    || name.starts_with("qbyapi"))
                    seen.push_back({name, notification.userInfo(), notification.object(),
                        server.calls().size()});
            });
    }
    ~ServerKitTest() override {
        foundation::NotificationCenter::defaultCenter().removeObserver(this);
        serverkit::QBYConnect::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        foundation::HTTPCookieStorage::sharedHTTPCookieStorage().removeAllCookies();
        foundation::URLConnection::setCertificateAuthorityFile({});
        foundation::Bundle::setMainBundlePath(previousBundle_);
    }

    static serverkit::QBYConnect& connect() { return serverkit::QBYConnect::sharedManager(); }

    static void setOnline(bool online) {
        foundation::Reachability::setForcedStatus(online
                ? foundation::Reachability::NetworkStatus::ReachableViaWiFi
                : foundation::Reachability::NetworkStatus::NotReachable);
    }

    std::filesystem::path dataFolder() const { return folder / "data"; }

    // Runs the main run loop until the queue is empty and idle.
    static bool runUntilIdle(double timeoutSeconds = 20) {
        return foundation::RunLoop::main().runUntil(
            [] { return !connect().isLoading() && connect().queuedCallCount() == 0; },
            timeoutSeconds);
    }

    // Holds token in the data store, expiring after lifetime seconds.
    static void holdToken(std::string const& token, double lifetime = 1800) {
        auto entry = base::Dictionary::create();
        entry->setObject(serverkit::QBYKeys::AuthSession, token);
        entry->setObject(serverkit::QBYKeys::AuthExpire,
            base::Date {foundation::Clock::current().wallTime() + lifetime});
        connect().setObject(entry, serverkit::QBYKeys::AuthDataStore);
    }

    std::vector<std::string> seenNames() const {
        std::vector<std::string> names;
        for (auto const& notification : seen)
            names.push_back(notification.name);
        return names;
    }

    GameServerStandIn server;
    TempDir folder;
    std::vector<SeenNotification> seen;

private:
    std::string previousBundle_;
};

inline base::Bytes bytesOf(std::string const& text) {
    return base::Bytes(text.begin(), text.end());
}

}
