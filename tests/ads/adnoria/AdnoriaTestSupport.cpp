#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNNetworkChecker.hpp>
#include <ads/adnoria/ADNNetworkUtilities.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNOpener.hpp>
#include <ads/adnoria/ADNPrivateUtilities.hpp>
#include <ads/adnoria/ADNSignals.hpp>
#include <ads/adnoria/ADNStatistics.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/UserDefaults.hpp>
#include <services/Accelerometer.hpp>
#include <ui/Application.hpp>
#include <ui/WebView.hpp>

namespace test {

namespace {

void resetClient() {
    foundation::RunLoop::main().reset();
    ui::WebView::setFactory(nullptr);
    ads::adnoria::ADNNotificationCenter::resetDefaultCenter();
    ads::adnoria::ADNObjectPrivate::setLaunchFinished(false);
    ads::adnoria::ADNOpener::resetWaitCount();
    ads::adnoria::ADNWebViewDelegate::setVibrateHandler(nullptr);
    ads::adnoria::ADNStatistics::releaseSharedStatistics();
    ads::adnoria::ADNNetworkChecker::releaseSharedChecker();
    ads::adnoria::ADNIdentifierUtilities::reset();
    ads::adnoria::ADNSignals::reset();
    ads::adnoria::ADNPrivateUtilities::removeAll();
    ads::adnoria::ADNNetworkUtilities::resetUserAgentString();
    ads::adnoria::ADNConfiguration::reset();
    services::Accelerometer::purgeSharedAccelerometer();
    foundation::Reachability::clearForcedStatus();
}

}

std::array<std::uint8_t, 16> AdnoriaTest::testKey() {
    return {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd,
        0xee, 0xff};
}

ads::adnoria::ADNIdentifierUtilities::Facts AdnoriaTest::fakeFacts() {
    ads::adnoria::ADNIdentifierUtilities::Facts facts;
    facts.deviceModel = "iPhone";
    facts.osVersion = "4.3";
    facts.isPhoneIdiom = true;
    facts.screenDensity = 2.0;
    facts.screenWidth = 320.0;
    facts.screenHeight = 480.0;
    facts.landscape = false;
    facts.locale = "en";
    facts.audioRoute = "Speaker";
    facts.canOpenURL = [](std::string const&) { return false; };
    facts.bundleVersion = "1.2";
    facts.bundleIdentifier = "com.quillaby.salon";
    facts.uniqueIdentifier = InstallationIdentifier;
    facts.deviceSubmodel = "x86_64";
    return facts;
}

AdnoriaTest::AdnoriaTest()
    : previousRoot_(foundation::Sandbox::root()) {
    foundation::Sandbox::setRoot(dir.path().string());
    foundation::UserDefaults::resetStandardUserDefaults();
    resetClient();
    ads::adnoria::ADNConfiguration configuration;
    configuration.adHost = "ads.adnoria.test";
    configuration.scriptHost = "script.adnoria.test";
    configuration.errorDomain = "test.adnoria.error";
    configuration.locationKey = testKey();
    configuration.installationIdentifier = InstallationIdentifier;
    ads::adnoria::ADNConfiguration::setUp(configuration);
    ads::adnoria::ADNIdentifierUtilities::setFacts(fakeFacts());
    ads::adnoria::ADNSignals::setRandomSeed(42);
    ads::adnoria::ADNSignals::setFactsProvider([] {
        ads::adnoria::ADNSignals::DeviceFacts facts;
        facts.systemName = "iPhone";
        facts.systemVersion = "4.3";
        facts.deviceText = InstallationIdentifier;
        return facts;
    });
    // The network value of the signal reads the forced state, not the machine's.
    foundation::Reachability::setForcedFlags(foundation::ReachabilityFlags::Reachable);
    setUnixTime(1300000000);
}

AdnoriaTest::~AdnoriaTest() {
    resetClient();
    ui::Application::reset();
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Sandbox::setRoot(previousRoot_);
}

void AdnoriaTest::setUnixTime(double seconds) {
    clock->setWallTime(seconds - 978307200.0);
}

}
