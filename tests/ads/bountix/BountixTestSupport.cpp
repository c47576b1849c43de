#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/Reachability.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Sandbox.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Device.hpp>

#include <csignal>
#include <cstdlib>

namespace test {

namespace {

void resetClient() {
    ads::bountix::BTXFeaturedAppView::resetShared();
    ads::bountix::BTXOffersWebView::resetShared();
    ads::bountix::BTXCallsWrapper::resetShared();
    ads::bountix::BTXViewCommons::resetShared();
    ads::bountix::BTXUserAccountManager::resetShared();
    ads::bountix::BountixConnect::resetShared();
    ads::bountix::BTXConfiguration::reset();
    foundation::Reachability::clearForcedStatus();
    ui::Device::reset();
}

}

BountixTest::BountixTest()
    : previousRoot_(foundation::Sandbox::root()) {
    // A test that cancels a request closes the socket under the TLS server's write.
    std::signal(SIGPIPE, SIG_IGN);
    foundation::Sandbox::setRoot(dir.path().string());
    foundation::UserDefaults::resetStandardUserDefaults();
    resetClient();
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANGUAGE");
    ::setenv("LANG", "fr_FR.UTF-8", 1);
    foundation::Reachability::setForcedFlags(
        foundation::ReachabilityFlags::Reachable | foundation::ReachabilityFlags::IsDirect);
    foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
    ads::bountix::BTXConfiguration configuration;
    configuration.primaryHost = primary.baseURL();
    configuration.fallbackHost = fallback.baseURL();
    configuration.affiliateHost = primary.baseURL();
    configuration.installationIdentifier = InstallationIdentifier;
    configuration.connectTimeout = 2;
    ads::bountix::BTXConfiguration::setUp(configuration);
    observation_ = foundation::NotificationCenter::defaultCenter().observe(
        "", [this](foundation::Notification const& notification) {
            if (notification.name().rfind("BTX_", 0) != 0)
                return;
            auto entry = notification.name();
            if (auto const* info = notification.userInfo().dictionary())
                entry += " " + info->objectForKey("points").stringValue();
            notifications.push_back(entry);
        });
}

BountixTest::~BountixTest() {
    observation_.cancel();
    resetClient();
    foundation::URLConnection::setCertificateAuthorityFile("");
    foundation::UserDefaults::resetStandardUserDefaults();
    foundation::Sandbox::setRoot(previousRoot_);
}

bool BountixTest::waitForNotifications(std::size_t count, double timeoutSeconds) {
    bool arrived = foundation::RunLoop::main().runUntil(
        [&] { return notifications.size() >= count; }, timeoutSeconds);
    foundation::RunLoop::main().runUntil([] { return false; }, 0.1);
    return arrived;
}

}
