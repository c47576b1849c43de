#pragma once

#include <support/LoopbackServer.hpp>
#include <support/TempDir.hpp>

#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// A fresh sandbox, a manual clock (2026-01-01, 1767225600 s since 1970), a French
// locale, the network forced onto Wi-Fi, and the offer-wall client set up with two
// HTTPS loopback servers as its primary and fallback hosts (the affiliate host is
// the primary). Every notification whose name begins "BTX_" is recorded in order, as
// its name followed by a space and the points of its user info when it has some.
// Every shared object of the client is dropped before and after.
class BountixTest : public ::testing::Test {
protected:
    static constexpr char const* InstallationIdentifier = "INSTALL-0001";
    static constexpr char const* AppID = "0b3e5a2c-1f00-4c7e-9a51-2d6c8e4f7a10";
    static constexpr char const* SecretKey = "K3yS3cr3tK3yS3cr3t00";
    static constexpr char const* TimeStamp = "1767225600";

    BountixTest();
    ~BountixTest() override;

    // Runs the main run loop until count notifications were recorded (false after
    // the time-out), then a little longer for any late one.
    bool waitForNotifications(std::size_t count, double timeoutSeconds = 20);

    TempDir dir;
    foundation::ScopedManualClock clock;
    LoopbackServer primary {LoopbackServer::Tls::Trusted};
    LoopbackServer fallback {LoopbackServer::Tls::Trusted};
    std::vector<std::string> notifications;

private:
    std::string previousRoot_;
    foundation::ObservationToken observation_;
};

}
