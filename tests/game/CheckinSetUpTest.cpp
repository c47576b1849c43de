// The shell's check-in client: its service is configuration with no default, the start
// at launch reports itself with the installation identifier, and the main menu's
// check-in goes through the started client, whose engine variant pauses the game's director.
#include "ShellFixture.hpp"

#include <ads/howdy/HZExplainScreenView.hpp>
#include <ads/howdy/HowdySDK.hpp>
#include <ads/howdy/HowdySceneSDK.hpp>
#include <engine/Director.hpp>
#include <foundation/RunLoop.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>
#include <ui/Device.hpp>
#include <ui/Image.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class CheckinSetUpTest : public test::ShellFixture {
protected:
    CheckinSetUpTest() {
        unsetenv(game::ServerConfig::checkinServiceURLVariable);
        game::AdClients::setShared(nullptr);
        ui::Application::reset();
        server.route("GET", "/mobile/track_sdk_event", test::HttpResponse::text("ok"));
    }
    ~CheckinSetUpTest() override {
        ads::howdy::HowdySDK::resetSharedSDK();
        ads::howdy::HowdyConfiguration::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        ui::Device::reset();
    }

    test::LoopbackServer server;
};

}

TEST_F(CheckinSetUpTest, TheServiceIsConfigurationWithNoDefault) {
    EXPECT_EQ(game::ServerConfig::checkinServiceURL(), "");
    game::DataManager::setString(
        "http://checkin.test:8080/", game::ServerConfig::checkinServiceURLDefault);
    EXPECT_EQ(game::ServerConfig::checkinServiceURL(), "http://checkin.test:8080");
    setenv(game::ServerConfig::checkinServiceURLVariable, "http://env.test", 1);
    EXPECT_EQ(game::ServerConfig::checkinServiceURL(), "http://env.test");
    unsetenv(game::ServerConfig::checkinServiceURLVariable);
}

TEST_F(CheckinSetUpTest, TheStartReportsItselfWithTheInstallationIdentifier) {
    game::DataManager::setString(server.baseURL(), game::ServerConfig::checkinServiceURLDefault);
    game::AdClients::shared().startHowdyWithAppId("123456789");
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() >= 1; }, 10));
    EXPECT_EQ(server.requests()[0].query,
        "device_id=" + game::Utilities::getUDID()
            + "&for_game_store_id=123456789&type=howdy-start&platform=iphone");
}

TEST_F(CheckinSetUpTest, TheMainMenusCheckinGoesThroughTheStartedClient) {
    game::AdClients::shared().howdyCheckin();
    EXPECT_TRUE(ui::Application::sharedApplication().canOpenURLQueries().empty())
        << "nothing before the start";
    game::AdClients::shared().startHowdyWithAppId("123456789");
    ui::Application::sharedApplication().setCanOpenScheme("howdy", true);
    game::AdClients::shared().howdyCheckin();
    auto const& opened = ui::Application::sharedApplication().openedExternalURLs();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("howdy://checkin?app_store_id=123456789&next=", 0), 0u);
    EXPECT_EQ(server.requestCount(), 0u) << "no service configured, nothing sent";
    ui::Device::currentDevice().setSystemVersion("3.2");
    EXPECT_FALSE(game::AdClients::shared().isHowdySupported());
    ui::Device::currentDevice().setSystemVersion("4.1");
    EXPECT_TRUE(game::AdClients::shared().isHowdySupported());
}

// The engine variant reaches the game's own director through the shell: paused while the
// explain screen shows, running again once the player skips it.
TEST_F(CheckinSetUpTest, TheEngineVariantPausesTheGamesDirectorWhileItsScreenShows) {
    game::AdClients::shared().startHowdyWithAppId("123456789");
    auto window = ui::Window::create({0, 0, 480, 320});
    window->makeKeyAndVisible();
    auto& director = engine::Director::sharedDirector();
    ASSERT_FALSE(director.isPaused());
    ads::howdy::HowdySceneSDK::startHowdyWithAppId("123456789")->checkin();
    EXPECT_TRUE(director.isPaused());
    auto* screen = dynamic_cast<ads::howdy::HZExplainScreenView*>(
        window->viewWithTag(ads::howdy::HZExplainScreenView::Tag));
    ASSERT_NE(screen, nullptr) << "without a drawing view the screen lies on the key window";
    screen->cancel();
    EXPECT_FALSE(director.isPaused());
    screen->postDismissCleanup();
    ads::howdy::HowdySceneSDK::setDirector(nullptr);
    engine::Director::purgeSharedDirector();
}
