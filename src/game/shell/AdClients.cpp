#include <game/shell/AdClients.hpp>

#include <ads/bountix/BTXAdView.hpp>
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <ads/howdy/HowdySDK.hpp>
#include <ads/howdy/HowdySceneSDK.hpp>
#include <ads/marquee/MQConfiguration.hpp>
#include <ads/marquee/Marquee.hpp>
#include <ads/mosaic/MXConfiguration.hpp>
#include <engine/Director.hpp>
#include <engine/EAGLView.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <serverkit/HowdyDirectiveHandler.hpp>

#include <foundation/Format.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/ViewController.hpp>

namespace game {

namespace {

AdClients standing;
AdClients* installed = nullptr;

// Hands the interstitial client's one question that the game answers to the shell's
// delegate; the others keep their agreeing answers.
class MarqueeBridge final : public ads::marquee::MarqueeDelegate {
public:
    bool shouldDisplayInterstitial(ads::marquee::MQView&) override {
        return !delegate || delegate->shouldDisplayInterstitial("Default");
    }

    game::MarqueeDelegate* delegate {nullptr};
};

MarqueeBridge marqueeBridge;

// Hands the display ad's answers to the shell's delegate, and answers for the game what
// it always answers: a phone-sized banner that no timer refreshes.
class DisplayAdBridge final : public ads::bountix::BTXAdDelegate {
public:
    void didReceiveAd(ads::bountix::BTXAdView& view) override {
        if (delegate)
            delegate->didReceiveAd(base::Ref<ui::View>(&view));
    }
    void didFailWithMessage(std::string const& message) override {
        if (delegate)
            delegate->didFailWithMessage(message);
    }
    std::optional<std::string> adContentSize() override { return std::string("320x50"); }
    bool shouldRefreshAd() override { return false; }

    game::BTXAdDelegate* delegate {nullptr};
};

DisplayAdBridge displayAdBridge;

// The scene engine's director as the check-in client's engine variant sees it.
class HowdyDirectorBridge final : public ads::howdy::HowdyDirector {
public:
    ui::View* openGLView() override { return engine::Director::sharedDirector().openGLView(); }
    void pause() override { engine::Director::sharedDirector().pause(); }
    void resume() override { engine::Director::sharedDirector().resume(); }
};

HowdyDirectorBridge howdyDirectorBridge;

}

AdClients& AdClients::shared() {
    return installed ? *installed : standing;
}

void AdClients::setShared(AdClients* clients) {
    installed = clients;
}

void AdClients::requestBountixConnect(
    std::string const& applicationID, std::string const& secretKey) {
    ads::bountix::BTXConfiguration configuration;
    configuration.primaryHost = ServerConfig::offerWallBaseURL();
    configuration.fallbackHost = ServerConfig::offerWallFallbackURL();
    configuration.affiliateHost = ServerConfig::offerWallAffiliateURL();
    configuration.installationIdentifier = Utilities::getUDID();
    if (configuration.primaryHost.empty())
        foundation::log("No offer service configured: the offer wall's requests will fail");
    ads::bountix::BTXConfiguration::setUp(configuration);
    ads::bountix::BountixConnect::requestBountixConnect(applicationID, secretKey);
}

void AdClients::getOfferPoints() {
    ads::bountix::BountixConnect::getOfferPoints();
}

void AdClients::spendOfferPoints(int points) {
    ads::bountix::BountixConnect::spendOfferPoints(points);
}

void AdClients::actionComplete(std::string const& actionID) {
    ads::bountix::BountixConnect::actionComplete(actionID);
}

void AdClients::setFeaturedAppDisplayCount(int count) {
    ads::bountix::BountixConnect::setFeaturedAppDisplayCount(count);
}

void AdClients::getFeaturedApp() {
    ads::bountix::BountixConnect::getFeaturedApp();
}

void AdClients::getDisplayAdWithDelegate(BTXAdDelegate* delegate) {
    displayAdBridge.delegate = delegate;
    ads::bountix::BountixConnect::getDisplayAdWithDelegate(&displayAdBridge);
}

void AdClients::setTransitionEffect(int effect) {
    ads::bountix::BountixConnect::setTransitionEffect(effect);
}

void AdClients::setUserDefinedColor(int red, int green, int blue) {
    ads::bountix::BountixConnect::setUserDefinedColorWithRed(red, green, blue);
}

// With nothing to show, the offer screen closes at once, so that its opener's state is
// put back.
void AdClients::showOffersWithViewController(ui::ViewController* controller) {
    if (!controller || ads::bountix::BountixConnect::getAppID().empty()) {
        foundation::log("No offer wall: no offers to show");
        foundation::NotificationCenter::defaultCenter().postNotification(BTXShowBoxNotification);
        return;
    }
    ads::bountix::BountixConnect::showOffersWithViewController(controller);
}

// The API root and the installation identifier are configuration handed down; without
// a root every call fails quietly and nothing is sent.
void AdClients::setUpMarquee(
    std::string const& applicationID, std::string const& signature, MarqueeDelegate* delegate) {
    ads::marquee::MQConfiguration::setUp({ServerConfig::marqueeAPIRoot(), Utilities::getUDID()});
    marqueeBridge.delegate = delegate;
    auto& marquee = ads::marquee::Marquee::sharedMarquee();
    marquee.setAppId(applicationID);
    marquee.setAppSignature(signature);
    marquee.setDelegate(&marqueeBridge);
    marquee.install();
}

void AdClients::loadInterstitial() {
    ads::marquee::Marquee::sharedMarquee().loadInterstitial();
}

void AdClients::startHowdyWithAppId(std::string const& appId) {
    ads::howdy::HowdyConfiguration configuration;
    configuration.webEndpoint = ServerConfig::checkinServiceURL();
    configuration.appStoreHost = ServerConfig::appStoreHost();
    configuration.deviceId = Utilities::getUDID();
    if (configuration.webEndpoint.empty())
        foundation::log("No check-in service configured: its events will not be sent");
    ads::howdy::HowdyConfiguration::setUp(configuration);
    ads::howdy::HowdySceneSDK::setDirector(&howdyDirectorBridge);
    ads::howdy::HowdySDK::startHowdyWithAppId(appId);
}

bool AdClients::isHowdySupported() {
    return ads::howdy::HowdySDK::isSupported();
}

bool AdClients::shouldShowHowdy() {
    return serverkit::HowdyDirectiveHandler::shouldShowHowdy();
}

// The main menu's button goes through the engine variant's class, but the client the
// game started is a plain one: its explain screen goes on the key window and the
// engine keeps running.
void AdClients::howdyCheckin() {
    if (auto* sdk = ads::howdy::HowdySceneSDK::sharedSDK())
        sdk->checkin();
}

void AdClients::setUpMosaic() {
    ads::mosaic::MXConfiguration configuration;
    configuration.adServerHost = ServerConfig::mosaicHost();
    configuration.storeLinkHost = ServerConfig::appStoreHost();
    configuration.mapsHost = ServerConfig::mapsHost();
    configuration.installationIdentifier = Utilities::getUDID();
    ads::mosaic::MXConfiguration::setUp(configuration);
}

}
