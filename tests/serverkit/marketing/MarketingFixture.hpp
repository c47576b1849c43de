#pragma once

#include <serverkit/marketing/CHKManager.hpp>
#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/UserDefaults.hpp>
#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <support/LoopbackServer.hpp>
#include <support/TempDir.hpp>

#include <gtest/gtest.h>

#include <string>

namespace test {

// A stand-in for the publisher's marketing service on loopback HTTPS (the test
// authority trusted), and a fresh sandbox, user defaults, kit and REST client state
// for each test. The kit is pointed at the stand-in with the device id "device-1".
class MarketingTest : public ::testing::Test {
protected:
    static constexpr char const* deviceId = "device-1";
    static constexpr char const* bundleId = "com.quillaby.salon";

    MarketingTest()
        : previousRoot_(foundation::Sandbox::root())
        , previousBundle_(foundation::Bundle::mainBundle().bundlePath()) {
        foundation::Sandbox::setRoot(sandbox.path().string());
        foundation::Bundle::setMainBundlePath((sandbox / "bundle").string());
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        clear();
        configure();
    }
    ~MarketingTest() override {
        clear();
        foundation::URLConnection::setCertificateAuthorityFile({});
        foundation::UserDefaults::resetStandardUserDefaults();
        foundation::Bundle::setMainBundlePath(previousBundle_);
        foundation::Sandbox::setRoot(previousRoot_);
    }

    // What a new launch of the program starts from: new kit objects and REST state,
    // the user defaults read again from disk.
    void relaunch() {
        clear();
        foundation::UserDefaults::resetStandardUserDefaults();
        configure();
    }

    static bool runUntil(std::function<bool()> done, double seconds = 10) {
        return foundation::RunLoop::main().runUntil(std::move(done), seconds);
    }
    // Lets a request that is under way end (the service answers at once).
    bool settle() {
        return runUntil([] { return toolkit::rest::RLRequestQueue::sharedQueue().count() == 0; });
    }

    static std::string newInstallationsPath() { return "/api/tessaline/newInstallations/"; }
    static std::string unreadPath() {
        return std::string("/api/tessaline/users/ios:") + deviceId
            + "/apps/ios:bundleId:" + bundleId + "/queuedCredits/unread/";
    }
    static std::int64_t installedTimestamp() {
        return foundation::UserDefaults::standardUserDefaults().integerForKey(
            serverkit::CHKManager::installedTimestampKey);
    }

    TempDir sandbox;
    LoopbackServer service {LoopbackServer::Tls::Trusted};

private:
    void configure() {
        auto& manager = serverkit::CHKManager::sharedManager();
        manager.setApiBaseUrl(service.baseURL());
        manager.setDeviceId(deviceId);
    }
    static void clear() {
        toolkit::rest::RLRequestQueue::setSharedQueue(nullptr);
        toolkit::rest::RLClient::setSharedClient(nullptr);
        toolkit::rest::RLApplication::setShared(nullptr);
        serverkit::CHKManager::resetSharedManager();
        serverkit::CHKQueuedCreditsManager::resetSharedManager();
        foundation::Reachability::clearForcedStatus();
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
    }

    std::string previousRoot_;
    std::string previousBundle_;
};

}
