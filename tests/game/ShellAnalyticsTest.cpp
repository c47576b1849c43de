// The game's own services hand its events to the analytics agent: a run logs
// events through the shell's and the salon's seams, ends with the application,
// and the next launch uploads them to the collector the test starts.
#include <analytics/AgentFixture.hpp>

#include <game/salon/SalonServices.hpp>
#include <game/shell/GameSettingManager.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/ShellServices.hpp>
#include <game/shell/Utilities.hpp>
#include <support/LoopbackServer.hpp>

#include <cstdlib>

namespace {

class ShellAnalyticsTest : public test::AgentTest {
protected:
    ShellAnalyticsTest() {
        setenv(game::ServerConfig::analyticsHostVariable,
            ("127.0.0.1:" + std::to_string(server.port())).c_str(), 1);
        server.route("POST", "/aas.do", test::HttpResponse::text("", 200));
    }
    ~ShellAnalyticsTest() override { unsetenv(game::ServerConfig::analyticsHostVariable); }

    test::LoopbackServer server;
};

TEST_F(ShellAnalyticsTest, EventsOfOneRunAreUploadedByTheNextLaunch) {
    auto& shell = game::ShellServices::shared();
    shell.startSession(game::GameSettingManager::getKestrelID());
    settle();
    ASSERT_EQ(server.requestCount(), 1u) << "the start upload";

    shell.logEvent("Download DLC", base::Dictionary::create({{"Item", "pony pack"}}));
    game::SalonServices::shared().logEvent("PonyDay_Finish", nullptr);
    shell.logError("Uncaught", "broken");
    // The end upload goes to a collector that answers with an error, so the
    // session waits for the next launch.
    server.route("POST", "/aas.do", test::HttpResponse::text("", 500));
    ui::Application::sharedApplication().terminate();
    settle();
    ASSERT_EQ(saved().size(), 1u);

    analytics::KestrelAnalytics::reset();
    server.route("POST", "/aas.do", test::HttpResponse::text("", 200));
    server.clearRequests();
    shell.startSession(game::GameSettingManager::getKestrelID());
    settle();
    ASSERT_EQ(server.requestCount(), 1u);
    auto body = server.requests()[0].body;
    test::ReportReader reader(base::Bytes(body.begin(), body.end()));
    auto report = reader.report();
    EXPECT_EQ(report.apiKey, game::GameSettingManager::getKestrelID());
    EXPECT_EQ(report.deviceId, "IPHONE" + game::Utilities::getUDID());
    ASSERT_EQ(report.sessions.size(), 1u);
    auto const& session = report.sessions[0];
    ASSERT_EQ(session.events.size(), 2u);
    EXPECT_EQ(session.events[0].name, "Download DLC");
    EXPECT_EQ(session.events[0].parameters,
        (std::vector<std::pair<std::string, std::string>> {{"Item", "pony pack"}}));
    EXPECT_EQ(session.events[1].name, "PonyDay_Finish");
    ASSERT_EQ(session.errors.size(), 1u);
    EXPECT_EQ(session.errors[0][1], "Uncaught");
    EXPECT_EQ(session.errors[0][2], "broken");
    EXPECT_TRUE(saved().empty());
}

TEST_F(ShellAnalyticsTest, WithoutAConfiguredHostTheGameSendsNothing) {
    unsetenv(game::ServerConfig::analyticsHostVariable);
    game::ShellServices::shared().startSession(game::GameSettingManager::getKestrelID());
    game::ShellServices::shared().logEvent("Hire Staff", nullptr);
    analytics::KestrelAnalytics::endSession();
    settle();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(saved().size(), 1u);
}

}
