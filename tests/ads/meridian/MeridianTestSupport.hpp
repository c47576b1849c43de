#pragma once

#include <ads/meridian/MERConfiguration.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <services/Accelerometer.hpp>
#include <support/TempDir.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

namespace test {

// A fresh sandbox, a manual clock, the French-Canadian locale and nothing configured;
// everything the client keeps for the process is put back when the test ends.
class MeridianTest : public ::testing::Test {
protected:
    MeridianTest() {
        foundation::Sandbox::setRoot(home.path().string());
        foundation::UserDefaults::resetStandardUserDefaults();
        ::setenv("LC_ALL", "fr_CA.UTF-8", 1);
    }
    ~MeridianTest() override {
        ads::meridian::MERHandshake::purgeSharedHandshake();
        ads::meridian::MERConfiguration::reset();
        services::Accelerometer::purgeSharedAccelerometer();
        ui::WebView::setFactory(nullptr);
        foundation::RunLoop::main().reset();
        foundation::NotificationCenter::resetDefaultCenter();
        foundation::UserDefaults::resetStandardUserDefaults();
        ui::Application::reset();
        ::unsetenv("LC_ALL");
        foundation::Sandbox::setRoot("");
    }

    // The ad server and pixels at base (a loopback server's root).
    static void configure(std::string const& base) {
        ads::meridian::MERConfiguration configuration;
        configuration.adServerBaseURL = base + "/";
        configuration.pixelBaseURL = base;
        configuration.livePixelBaseURL = base + "/live";
        configuration.installationIdentifier = "INSTALL-1";
        ads::meridian::MERConfiguration::setUp(configuration);
    }

    TempDir home;
    foundation::ScopedManualClock clock;
};

}
