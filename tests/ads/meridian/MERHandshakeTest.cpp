#include <ads/meridian/MERHandshake.hpp>

#include "MeridianTestSupport.hpp"

#include <foundation/PropertyList.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/AlertView.hpp>
#include <ui/Window.hpp>

#include <atomic>

using ads::meridian::MERAdTypeConfiguration;
using ads::meridian::MERHandshake;
using test::HttpResponse;

namespace {

constexpr char const* goodReply = R"({"merishake":{"deferredviewtimeout":1800,"kill":false,
    "handshakecallback":86400,"adtypes":{
    "MERBannerAdTop":{"adrefresh":"sdk","videointerval":600},
    "MERBannerAdBottom":{"adrefresh":0},
    "MERFullScreenAdLaunch":{"adrefresh":45,"videointerval":0,"extra":null}}}})";

constexpr char const* killReply
    = R"({"merishake":{"deferredviewtimeout":60,"kill":true,"handshakecallback":0}})";

constexpr char const* errorReply = R"({"merishake":{"kill":true,"errors":[
    {"message":"Update the app","type":"prompt"},{"message":"apid unknown","type":"log"}]}})";

class MERHandshakeTest : public test::MeridianTest {
protected:
    MERHandshakeTest() {
        configure(server.baseURL());
        foundation::UserDefaults::standardUserDefaults().setObject(
            base::Value("apid-7"), "MERApid");
        window = ui::Window::create({{0, 0}, {320, 480}});
        window->makeKeyAndVisible();
        server.route(
            "GET", "/appConfigServlet", [this](test::HttpRequest const&) { return replies(); });
    }

    // A new launch: the instance goes and the next one reads the state file.
    static MERHandshake& launch() {
        MERHandshake::purgeSharedHandshake();
        return MERHandshake::sharedHandshake();
    }
    // Runs until the handshake's request has ended.
    void settle(MERHandshake& handshake) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return !handshake.isRequestRunning(); }, 20));
    }
    int alerts() const {
        int shown = 0;
        for (auto const& view : window->subviews())
            shown += dynamic_cast<ui::AlertView*>(view.get()) != nullptr;
        return shown;
    }

    std::function<HttpResponse()> replies = [] { return HttpResponse::text(goodReply); };
    test::LoopbackServer server;
    base::Ref<ui::Window> window;
};

}

TEST_F(MERHandshakeTest, TheRequestCarriesEveryValueEscaped) {
    foundation::UserDefaults::standardUserDefaults().setObject(base::Value("a&b c"), "MERApid");
    auto& handshake = launch();
    settle(handshake);
    ASSERT_EQ(server.requestCount(), 1u);
    auto query = server.requests()[0].query;
    EXPECT_TRUE(query.starts_with("apid=a%26b%20c&merisdk=4.2.6-11.6.13.i&dv=4.3.1&dm=")) << query;
    EXPECT_TRUE(query.ends_with("&auid=INSTALL-1&language=fr&country=CA")) << query;
}

TEST_F(MERHandshakeTest, ThreeLaunchesFollowTheStateFile) {
    // First launch: no state file, so the request goes at once.
    auto& first = launch();
    EXPECT_EQ(first.apid(), "apid-7");
    settle(first);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_TRUE(first.isAdCallAllowed());
    EXPECT_EQ(first.deferredviewtimeout(), 1800);
    auto state = foundation::PropertyList::dictionaryWithContentsOfFile(MERHandshake::statePath());
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->contains("handshakeResponse"));
    EXPECT_TRUE(state->contains("nextHandshakeToOccurAt"));
    EXPECT_FALSE(state->contains("lastVideoPlayedAt"));

    // An hour later: the saved reply applies and nothing is sent for 23 hours.
    clock->advance(3600);
    replies = [] { return HttpResponse::text(killReply); };
    auto& second = launch();
    EXPECT_FALSE(second.isRequestRunning());
    EXPECT_EQ(second.deferredviewtimeout(), 1800);
    EXPECT_EQ(second.configurationForAdType(4), (MERAdTypeConfiguration {-1, 4, 45}));
    foundation::RunLoop::main().runFor(23 * 3600 - 1);
    EXPECT_EQ(server.requestCount(), 1u);
    foundation::RunLoop::main().runFor(2);
    settle(second);
    EXPECT_EQ(server.requestCount(), 2u);
    // The kill switch; a zero interval gets the floor, not a handshake at once.
    EXPECT_FALSE(second.isAdCallAllowed());
    EXPECT_EQ(second.nextHandshakeToOccurAt()->seconds - second.lastHandshakeMadeAt()->seconds,
        MERHandshake::minimumCallbackDuration);

    // A later launch past the next date asks at once; an error reply shows its prompt
    // once and changes nothing.
    clock->advance(3600);
    replies = [] { return HttpResponse::text(errorReply); };
    test::LogCapture log;
    auto& third = launch();
    settle(third);
    EXPECT_EQ(server.requestCount(), 3u);
    EXPECT_EQ(alerts(), 1);
    EXPECT_TRUE(log.contains("MERSDK: apid unknown"));
    EXPECT_FALSE(third.isAdCallAllowed());
    EXPECT_EQ(third.deferredviewtimeout(), 60);
    // Nothing further is scheduled this launch.
    foundation::RunLoop::main().runFor(3 * 86400);
    EXPECT_EQ(server.requestCount(), 3u);
    EXPECT_EQ(alerts(), 1);
}

TEST_F(MERHandshakeTest, AFailedRequestIsRetriedOnTheBackoffTable) {
    std::atomic<int> served {0};
    replies
        = [&] { return ++served <= 3 ? HttpResponse::dropped() : HttpResponse::text(goodReply); };
    auto& handshake = launch();
    settle(handshake);
    EXPECT_EQ(server.requestCount(), 1u);
    for (int attempt = 0; attempt < 3; ++attempt) {
        double delay = MERHandshake::retryDelays[attempt];
        foundation::RunLoop::main().runFor(delay - 0.5);
        EXPECT_EQ(server.requestCount(), std::size_t(attempt + 1)) << attempt;
        foundation::RunLoop::main().runFor(0.5);
        settle(handshake);
        EXPECT_EQ(server.requestCount(), std::size_t(attempt + 2)) << attempt;
    }
    EXPECT_EQ(handshake.deferredviewtimeout(), 1800);
    // Back to the day's rhythm after the good reply.
    foundation::RunLoop::main().runFor(3600);
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(MERHandshakeTest, RepliesThatAreNotHandshakesKeepThePreviousSettings) {
    auto& handshake = launch();
    settle(handshake);
    for (char const* body : {"not json", "[1]", R"({"shake":{}})", R"({"merishake":[]})"}) {
        replies = [body] { return HttpResponse::text(body); };
        test::LogCapture log;
        handshake.requestConfiguration();
        settle(handshake);
        EXPECT_TRUE(handshake.isAdCallAllowed()) << body;
        EXPECT_EQ(handshake.deferredviewtimeout(), 1800) << body;
        EXPECT_TRUE(log.contains("Invalid Response")) << body;
    }
}

TEST_F(MERHandshakeTest, PerTypeConfigurationAndVideoGates) {
    auto& handshake = launch();
    settle(handshake);
    EXPECT_EQ(handshake.configurationForAdType(1), (MERAdTypeConfiguration {600, 1, -1}));
    EXPECT_EQ(handshake.configurationForAdType(2), (MERAdTypeConfiguration {-1, 2, -1}));
    EXPECT_EQ(handshake.configurationForAdType(5), (MERAdTypeConfiguration {-1, 5, -1}));
    // An unknown type reads the top banner's entry.
    EXPECT_EQ(handshake.configurationForAdType(9), (MERAdTypeConfiguration {600, 9, -1}));
    EXPECT_EQ(handshake.adConfig(), (MERAdTypeConfiguration {-1, 0, -1}));

    // The configuration follows the type of the view made last.
    handshake.setAdType(1);
    EXPECT_TRUE(handshake.isVideoAdRequestAllowed());
    handshake.setLastVideoPlayedAt({foundation::Clock::current().wallTime()});
    EXPECT_FALSE(handshake.isVideoAdRequestAllowed());
    clock->advance(600);
    EXPECT_TRUE(handshake.isVideoAdRequestAllowed());
    handshake.setAdType(4);
    handshake.setLastVideoPlayedAt({foundation::Clock::current().wallTime()});
    EXPECT_TRUE(handshake.isVideoAdRequestAllowed());

    EXPECT_FALSE(handshake.isDeferredTimeoutExpired());
    handshake.setLastVideoRequestMadeAt({foundation::Clock::current().wallTime()});
    clock->advance(1799);
    EXPECT_FALSE(handshake.isDeferredTimeoutExpired());
    clock->advance(1);
    EXPECT_TRUE(handshake.isDeferredTimeoutExpired());
    // Both dates are in the state file at once.
    auto state = foundation::PropertyList::dictionaryWithContentsOfFile(MERHandshake::statePath());
    EXPECT_TRUE(state->contains("lastVideoPlayedAt"));
    EXPECT_TRUE(state->contains("lastVideoRequestMadeAt"));
}

TEST_F(MERHandshakeTest, WithoutAnAdServerNothingIsSent) {
    ads::meridian::MERConfiguration::reset();
    test::LogCapture log;
    auto& handshake = launch();
    EXPECT_FALSE(handshake.isRequestRunning());
    EXPECT_TRUE(log.contains("no ad server is configured"));
    foundation::RunLoop::main().runFor(86400);
    EXPECT_EQ(server.requestCount(), 0u);
}
