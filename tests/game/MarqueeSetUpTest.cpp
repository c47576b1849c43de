// The shell's interstitial client: set up at launch from configuration, asked for
// interstitials, and its display question answered by the game's delegate.
#include "ShellFixture.hpp"

#include <ads/marquee/MQConfiguration.hpp>
#include <ads/marquee/MQDefaultViewController.hpp>
#include <ads/marquee/Marquee.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

using test::HttpResponse;
using test::LoopbackServer;

namespace {

class RecordingMarqueeDelegate final : public game::MarqueeDelegate {
public:
    bool shouldDisplayInterstitial(std::string const& location) override {
        locations.push_back(location);
        return answer;
    }
    std::vector<std::string> locations;
    bool answer {false};
};

class MarqueeSetUpTest : public test::ShellFixture {
protected:
    MarqueeSetUpTest() {
        unsetenv(game::ServerConfig::marqueeAPIRootVariable);
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
        ui::WebView::setFactory(
            [](graphics::Rect frame) { return test::ScriptedWebView::create(frame); });
        game::AdClients::setShared(nullptr);
    }
    ~MarqueeSetUpTest() override {
        ads::marquee::Marquee::purgeSharedMarquee();
        ads::marquee::MQDefaultViewController::purgeSharedController();
        ads::marquee::MQConfiguration::reset();
        ui::WebView::setFactory(nullptr);
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        foundation::URLConnection::setCertificateAuthorityFile({});
    }

    bool waitForRequests(std::size_t count) {
        return foundation::RunLoop::main().runUntil(
            [&] { return server.requestCount() >= count; }, 20);
    }

    LoopbackServer server {LoopbackServer::Tls::Trusted};
    base::Ref<ui::Window> window;
    RecordingMarqueeDelegate delegate;
};

}

TEST_F(MarqueeSetUpTest, TheApiRootIsConfigurationWithATrailingSlashAndNoDefault) {
    EXPECT_EQ(game::ServerConfig::marqueeAPIRoot(), "");
    game::DataManager::setString("https://mq.test:8443", game::ServerConfig::marqueeAPIRootDefault);
    EXPECT_EQ(game::ServerConfig::marqueeAPIRoot(), "https://mq.test:8443/");
    setenv(game::ServerConfig::marqueeAPIRootVariable, "https://env.test/v1/", 1);
    EXPECT_EQ(game::ServerConfig::marqueeAPIRoot(), "https://env.test/v1/");
    unsetenv(game::ServerConfig::marqueeAPIRootVariable);
}

TEST_F(MarqueeSetUpTest, LaunchReportsTheInstallWithTheInstallationIdentifier) {
    game::DataManager::setString(server.baseURL(), game::ServerConfig::marqueeAPIRootDefault);
    server.route("POST", "/api/install.json", HttpResponse::text("{}"));
    game::AdClients::shared().setUpMarquee(
        "5b1c9e0a7d3f42e86a0b7c13", "secret-signature", &delegate);
    ASSERT_TRUE(waitForRequests(1));
    auto request = server.requests()[0];
    EXPECT_EQ(request.path, "/api/install.json");
    auto uuid = foundation::addingStrictPercentEscapes(game::Utilities::getUDID());
    EXPECT_NE(request.body.find("&uuid=" + uuid + "&"), std::string::npos) << request.body;
    EXPECT_NE(request.body.find("&app=5b1c9e0a7d3f42e86a0b7c13&"), std::string::npos);
    EXPECT_EQ(request.body.find("secret-signature"), std::string::npos);
}

TEST_F(MarqueeSetUpTest, AnInterstitialShowsOnlyWhenTheGameAgrees) {
    game::DataManager::setString(server.baseURL(), game::ServerConfig::marqueeAPIRootDefault);
    server.route("POST", "/api/install.json", HttpResponse::text("{}"));
    server.route(
        "POST", "/api/get.json", HttpResponse::text(R"({"status":200,"html":"<p>ad</p>"})"));
    game::AdClients::shared().setUpMarquee(
        "5b1c9e0a7d3f42e86a0b7c13", "secret-signature", &delegate);
    for (bool answer : {false, true}) {
        delegate.answer = answer;
        delegate.locations.clear();
        game::AdClients::shared().loadInterstitial();
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return !delegate.locations.empty(); }, 20));
        EXPECT_EQ(delegate.locations, (std::vector<std::string> {"Default"}));
        EXPECT_EQ(
            ads::marquee::MQDefaultViewController::sharedController().viewIsVisible(), answer);
    }
}

TEST_F(MarqueeSetUpTest, WithoutAnApiRootNothingIsSent) {
    game::AdClients::shared().setUpMarquee(
        "5b1c9e0a7d3f42e86a0b7c13", "secret-signature", &delegate);
    game::AdClients::shared().loadInterstitial();
    foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(delegate.locations.empty());
}
