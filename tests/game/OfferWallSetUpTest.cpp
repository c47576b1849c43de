// The shell's standing offer-wall client: its hosts come from configuration at the
// connect, and the display ad is asked for at the game's banner size and handed on to
// the game's delegate.
#include "ShellFixture.hpp"

#include <ads/bountix/BTXAdView.hpp>
#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/Base64.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/URLConnection.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/ServerConfig.hpp>
#include <graphics/Image.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

using test::HttpResponse;
using test::LoopbackServer;

namespace {

class RecordingDisplayAdDelegate final : public game::BTXAdDelegate {
public:
    void didReceiveAd(base::Ref<ui::View> adView) override { received.push_back(adView); }
    void didFailWithMessage(std::string const& message) override { failures.push_back(message); }
    std::vector<base::Ref<ui::View>> received;
    std::vector<std::string> failures;
};

class OfferWallSetUpTest : public test::ShellFixture {
protected:
    OfferWallSetUpTest() {
        std::signal(SIGPIPE, SIG_IGN);
        unsetenv(game::ServerConfig::offerWallBaseURLVariable);
        unsetenv(game::ServerConfig::offerWallFallbackURLVariable);
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        game::AdClients::setShared(nullptr);
        reset();
        game::DataManager::setString(offers.baseURL(), game::ServerConfig::offerWallBaseURLDefault);
        game::DataManager::setString(
            offers.baseURL(), game::ServerConfig::offerWallFallbackURLDefault);
        offers.route("GET", "/connect", HttpResponse::text("<ok/>"));
        offers.route("GET", "/get_vg_store_items/user_account",
            HttpResponse::text("<BountixConnectReturnObject><UserAccountObject><OfferPoints>0"
                               "</OfferPoints></UserAccountObject></BountixConnectReturnObject>"));
    }
    ~OfferWallSetUpTest() override {
        reset();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        foundation::URLConnection::setCertificateAuthorityFile({});
    }
    static void reset() {
        ads::bountix::BTXAdView::resetShared();
        ads::bountix::BTXUserAccountManager::resetShared();
        ads::bountix::BountixConnect::resetShared();
        ads::bountix::BTXConfiguration::reset();
    }

    LoopbackServer offers {LoopbackServer::Tls::Trusted};
};

}

TEST_F(OfferWallSetUpTest, TheDisplayAdIsAPhoneBannerHandedToTheGamesDelegate) {
    graphics::Image picture(320, 50);
    offers.route("GET", "/display_ad",
        HttpResponse::text("<BountixAd><ClickURL>https://ads.example/go</ClickURL><Image>"
            + foundation::Base64::encode(*picture.encodePNG()) + "</Image></BountixAd>"));
    auto& clients = game::AdClients::shared();
    clients.requestBountixConnect("app", "secret");
    RecordingDisplayAdDelegate delegate;
    clients.getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return !delegate.received.empty(); }, 20));
    EXPECT_EQ(delegate.received.front().get(), &ads::bountix::BTXAdView::sharedBTXAdView());
    EXPECT_EQ(delegate.received.front()->frame().size.width, 320);
    EXPECT_EQ(delegate.received.front()->frame().size.height, 50);
    std::size_t adRequests = 0;
    for (auto const& request : offers.requests()) {
        if (request.path == "/display_ad") {
            ++adRequests;
            EXPECT_NE(request.query.find("&size=320x50"), std::string::npos) << request.query;
        }
    }
    EXPECT_EQ(adRequests, 1u);
    // The game's banner is never refreshed by a timer.
    foundation::RunLoop::main().runFor(20);
    EXPECT_EQ(delegate.received.size(), 1u);

    // A reply without an image reaches the game as a failure.
    offers.route("GET", "/display_ad",
        HttpResponse::text("<BountixAd><ClickURL>x</ClickURL><Image>AAAA</Image></BountixAd>"));
    clients.getDisplayAdWithDelegate(&delegate);
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return !delegate.failures.empty(); }, 20));
    EXPECT_EQ(delegate.failures,
        std::vector<std::string>({"Bountix Ad request failed to receive any data."}));
    EXPECT_EQ(delegate.received.size(), 1u);
}
