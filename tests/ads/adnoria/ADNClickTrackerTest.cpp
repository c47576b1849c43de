#include "AdnoriaTestSupport.hpp"

#include <ads/adnoria/ADNClickTracker.hpp>
#include <ads/adnoria/ADNConfiguration.hpp>
#include <ads/adnoria/ADNStatistics.hpp>

#include <foundation/RunLoop.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Application.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using ads::adnoria::ADNClickTracker;
using ads::adnoria::ADNClickTrackerDelegate;
using test::HttpResponse;

namespace {

class Recorder final : public ADNClickTrackerDelegate {
public:
    void trackerDidRedirect(ADNClickTracker&, std::string const& url) override {
        redirected.push_back(url);
    }
    void trackerDidFailWithError(
        ADNClickTracker&, std::optional<foundation::URLError> const& error) override {
        failures.push_back(error);
    }
    std::size_t reports() const { return redirected.size() + failures.size(); }

    std::vector<std::string> redirected;
    std::vector<std::optional<foundation::URLError>> failures;
};

class ADNClickTrackerTest : public test::AdnoriaTest {
protected:
    ADNClickTrackerTest() {
        // Click pings to the loopback server count as the ad network's own.
        auto configuration = ads::adnoria::ADNConfiguration::current();
        configuration.adHost = "127.0.0.1";
        ads::adnoria::ADNConfiguration::setUp(configuration);
    }

    void track(ADNClickTracker& tracker, Recorder& recorder, std::string const& url) {
        tracker.trackURL(url);
        ASSERT_TRUE(
            foundation::RunLoop::main().runUntil([&] { return recorder.reports() > 0; }, 20));
        // Any late report would arrive now.
        foundation::RunLoop::main().runUntil([] { return false; }, 0.1);
    }

    test::LoopbackServer server;
};

}

TEST_F(ADNClickTrackerTest, HttpRedirectChainReportsTheLastURL) {
    server.route("GET", "/clk/one", HttpResponse::redirect(302, "/two"));
    server.route("GET", "/two", HttpResponse::redirect(302, "/landing"));
    server.route("GET", "/landing", HttpResponse::text("landing page"));
    Recorder recorder;
    auto tracker = ADNClickTracker::create();
    tracker->setDelegate(&recorder);
    ads::adnoria::ADNStatistics::sharedStatistics().urlForClick("http://ads.adnoria.test/c");
    track(*tracker, recorder, server.url("/clk/one"));
    EXPECT_EQ(recorder.redirected, (std::vector<std::string> {server.url("/landing")}));
    EXPECT_TRUE(recorder.failures.empty());
    EXPECT_TRUE(tracker->hasTracked());
    EXPECT_EQ(tracker->trackingURL(), server.url("/landing"));
    // The click is recorded with its tracking path.
    EXPECT_EQ(
        ads::adnoria::ADNStatistics::sharedStatistics().timingNamed("pcl")->valueForKey("pit"),
        base::Value("/one"));
    // The body stays in the caches until the tracker is reset; the background task has ended.
    auto path = tracker->tracker()->filePath();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);
    tracker->reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(tracker->hasTracked());
}

TEST_F(ADNClickTrackerTest, RedirectToAStoreLinkCountsAsSuccess) {
    server.route("GET", "/aclk", HttpResponse::redirect(302, "/hop"));
    server.route(
        "GET", "/hop", HttpResponse::redirect(302, "itms-apps://itunes.apple.com/app/id123"));
    Recorder recorder;
    auto tracker = ADNClickTracker::create();
    tracker->setDelegate(&recorder);
    track(*tracker, recorder, server.url("/aclk"));
    EXPECT_EQ(
        recorder.redirected, (std::vector<std::string> {"itms-apps://itunes.apple.com/app/id123"}));
    EXPECT_TRUE(recorder.failures.empty());
    EXPECT_EQ(tracker->trackingURL(), "itms-apps://itunes.apple.com/app/id123");
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);
}

TEST_F(ADNClickTrackerTest, FailedPingIsReportedOnce) {
    server.route("GET", "/aclk", HttpResponse::text("no", 500));
    Recorder recorder;
    auto tracker = ADNClickTracker::create();
    tracker->setDelegate(&recorder);
    track(*tracker, recorder, server.url("/aclk"));
    ASSERT_EQ(recorder.failures.size(), 1u);
    EXPECT_FALSE(recorder.failures[0]);
    EXPECT_TRUE(recorder.redirected.empty());
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);
}

TEST_F(ADNClickTrackerTest, MissingURLChangesNothingAndASecondTrackingCancelsTheFirst) {
    auto gate = std::make_shared<test::Gate>();
    HttpResponse slow;
    slow.pieces.push_back({"body", 0, gate});
    server.route("GET", "/slow", slow);
    server.route("GET", "/fast", HttpResponse::text("ok"));
    Recorder recorder;
    auto tracker = ADNClickTracker::create();
    tracker->setDelegate(&recorder);
    tracker->trackURL(std::nullopt);
    EXPECT_FALSE(tracker->tracker());
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);

    tracker->trackURL(server.url("/slow"));
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 1u);
    foundation::RunLoop::main().runUntil([&] { return server.requestCount() == 1; }, 10);
    track(*tracker, recorder, server.url("/fast"));
    gate->open();
    foundation::RunLoop::main().runUntil([] { return false; }, 0.1);
    EXPECT_EQ(recorder.redirected, (std::vector<std::string> {server.url("/fast")}));
    EXPECT_TRUE(recorder.failures.empty());
    EXPECT_EQ(ui::Application::sharedApplication().backgroundTaskCount(), 0u);
}

TEST_F(ADNClickTrackerTest, ExpiredBackgroundTimeResetsTheTrackerSilently) {
    auto gate = std::make_shared<test::Gate>();
    HttpResponse slow;
    slow.pieces.push_back({"body", 0, gate});
    server.route("GET", "/slow", slow);
    Recorder recorder;
    auto tracker = ADNClickTracker::create();
    tracker->setDelegate(&recorder);
    tracker->trackURL(server.url("/slow"));
    ui::Application::sharedApplication().expireBackgroundTasks();
    EXPECT_FALSE(tracker->tracker());
    gate->open();
    foundation::RunLoop::main().runUntil([] { return false; }, 0.1);
    EXPECT_EQ(recorder.reports(), 0u);
    EXPECT_FALSE(ADNClickTracker::activeTrackings());
}
