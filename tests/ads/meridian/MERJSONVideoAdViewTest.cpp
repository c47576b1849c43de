#include <ads/meridian/MERJSONVideoAdView.hpp>

#include "MeridianTestSupport.hpp"

#include <support/LoopbackServer.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

using ads::meridian::MERJSONAd;
using ads::meridian::MERJSONVideoAdView;

namespace {

class RecordingDelegate final : public ads::meridian::MERJSONVideoAdViewDelegate {
public:
    void videoAdFailed(MERJSONVideoAdView&) override { add("failed"); }
    void videoAdSucceeded(MERJSONVideoAdView&) override { add("succeeded"); }
    void videoAdWillClose(MERJSONVideoAdView&) override { add("willClose"); }
    void videoAdDidAppear(MERJSONVideoAdView&) override { add("didAppear"); }
    void videoAdWillAppear(MERJSONVideoAdView&) override { add("willAppear"); }
    void videoAdFinished(
        MERJSONVideoAdView&, ui::MoviePlayerController*, bool refresh, bool log) override {
        add(std::string("finished refresh=") + (refresh ? "1" : "0") + " log=" + (log ? "1" : "0"));
    }
    void videoAdStarted(MERJSONVideoAdView&, ui::MoviePlayerController&) override {
        add("started");
    }
    void videoAdLoadOnCompletionWithRequest(
        MERJSONVideoAdView&, foundation::URLRequest const& request, int orientation) override {
        add("completion " + request.URL() + " " + std::to_string(orientation));
    }
    void videoAdLoadOnCompletionWithHTML(
        MERJSONVideoAdView&, std::string const& html, int orientation) override {
        add("completion html " + html + " " + std::to_string(orientation));
    }
    void videoAdDidLoadNewAd(MERJSONVideoAdView&, MERJSONAd&) override { add("newAd"); }
    void videoCacheFailed(MERJSONVideoAdView&) override { add("cacheFailed"); }
    void videoCacheSucceeded(MERJSONVideoAdView&) override { add("cacheSucceeded"); }

    void add(std::string event) { events.push_back(std::move(event)); }
    std::vector<std::string> events;
};

class MERJSONVideoAdViewTest : public test::MeridianTest {
protected:
    MERJSONVideoAdViewTest() {
        server.route(
            "GET", "/video.mp4", test::HttpResponse::text("VIDEO-BYTES", 200, "video/mp4"));
        for (auto path : {"/t2", "/t2b", "/t3"})
            pixels.route("GET", path, test::HttpResponse::text("", 200));
        window->makeKeyAndVisible();
        caching = foundation::NotificationCenter::defaultCenter().observe(
            MERJSONVideoAdView::cachingBeganNotification,
            [this](foundation::Notification const&) { delegate.add("cachingBegan"); });
    }

    base::Ref<MERJSONAd> adWith(std::string const& extra = {}) {
        auto json = R"({"type":"video","video":{"id":"v1","content-url":")"
            + server.url("/video.mp4")
            + R"(","expiration":"2030-01-01 00:00:00 +0000","duration":5,"showCountdownHUD":true,)"
            + R"("log":[{"time":"2","urls":[")" + pixels.url("/t2") + R"(",")" + pixels.url("/t2b")
            + R"("]},{"time":"3","urls":[")" + pixels.url("/t3") + R"("]},)"
            + R"({"time":4,"urls":[")" + pixels.url("/never") + R"("]}])" + extra + "}}";
        return MERJSONAd::initWithJSONAd(
            foundation::ByteView(reinterpret_cast<std::uint8_t const*>(json.data()), json.size()),
            nullptr);
    }
    void waitForEvent(std::string const& event) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] {
                return std::find(delegate.events.begin(), delegate.events.end(), event)
                    != delegate.events.end();
            },
            20));
    }
    // Caches the ad's video, then loads it again: the player is on screen.
    void play(std::string const& extra = {}) {
        view->setAd(adWith(extra));
        view->loadFullScreenVideoFromURL("ignored");
        if (!view->player()) {
            waitForEvent("cacheSucceeded");
            view->setAd(adWith(extra));
            view->loadFullScreenVideoFromURL("ignored");
        }
        delegate.events.erase(delegate.events.begin(),
            std::find(delegate.events.end() - 4, delegate.events.end(), "newAd"));
        ASSERT_NE(view->player(), nullptr);
        view->player()->setSimulatedDuration(5);
    }
    std::vector<std::string> pixelPaths() const {
        std::vector<std::string> paths;
        for (auto const& request : pixels.requests())
            paths.push_back(request.path);
        return paths;
    }
    // Runs the loop until count pixels have come.
    bool waitForPixels(std::size_t count) {
        return foundation::RunLoop::main().runUntil(
            [&] { return pixels.requestCount() >= count; }, 10);
    }
    // Lets the pixels' replies come back, so no connection is left running.
    void settle() {
        for (int i = 0; i < 50; ++i) {
            foundation::RunLoop::main().runPending();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::string countdown() const {
        auto* label = view->overlay() ? view->overlay()->countdownLabel() : nullptr;
        return label ? label->text() : "";
    }

    test::LoopbackServer server;
    test::LoopbackServer pixels;
    RecordingDelegate delegate;
    base::Ref<ui::Window> window = ui::Window::create({{0, 0}, {320, 480}});
    base::Ref<MERJSONVideoAdView> view
        = MERJSONVideoAdView::initWithFrame({{0, 0}, {320, 50}}, &delegate);
    foundation::ObservationToken caching;
};

}

TEST_F(MERJSONVideoAdViewTest, AVideoNotCachedFailsOnceAndDownloads) {
    view->setAd(adWith());
    view->loadFullScreenVideoFromURL("ignored");
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"newAd", "cachingBegan", "failed"}));
    EXPECT_EQ(view->player(), nullptr);
    waitForEvent("cacheSucceeded");
    EXPECT_EQ(delegate.events,
        (std::vector<std::string> {"newAd", "cachingBegan", "failed", "cacheSucceeded"}));
    ASSERT_NE(view->cache(), nullptr);
    EXPECT_TRUE(view->cache()->isDownloadComplete());
}

TEST_F(MERJSONVideoAdViewTest, ADownloadThatFailsIsReported) {
    server.route("GET", "/video.mp4", test::HttpResponse::dropped());
    view->setAd(adWith());
    view->loadFullScreenVideoFromURL("ignored");
    waitForEvent("cacheFailed");
    EXPECT_EQ(view->player(), nullptr);
}

TEST_F(MERJSONVideoAdViewTest, ACachedVideoPlaysCountsDownAndSendsEachTimedEntryOnce) {
    play();
    EXPECT_EQ(delegate.events,
        (std::vector<std::string> {"newAd", "succeeded", "willAppear", "didAppear"}));
    EXPECT_EQ(countdown(), "5 seconds remaining...");
    EXPECT_TRUE(ui::Application::sharedApplication().isStatusBarHidden());
    auto* playerView = view->player()->view();
    EXPECT_EQ(playerView->superview(), window.get());
    EXPECT_EQ(view->overlay()->superview(), playerView);

    std::vector<std::string> countdowns;
    for (int second = 1; second <= 4; ++second) {
        foundation::RunLoop::main().runFor(1);
        countdowns.push_back(countdown());
        if (second == 2) {
            // The viewer scrubs back into second 1: second 2 comes round again.
            view->player()->setCurrentPlaybackTime(1.5);
        }
    }
    EXPECT_EQ(delegate.events[4], "started");
    EXPECT_EQ(countdowns,
        (std::vector<std::string> {"3 seconds remaining...", "2 seconds remaining...",
            "2 seconds remaining...", "1 seconds remaining..."}));
    foundation::RunLoop::main().runFor(3);
    ASSERT_TRUE(waitForPixels(3));
    foundation::RunLoop::main().runFor(1);
    auto sent = pixelPaths();
    std::sort(sent.begin(), sent.end());
    // Each entry once, none for the entry whose time is a number.
    EXPECT_EQ(sent, (std::vector<std::string> {"/t2", "/t2b", "/t3"}));
    settle();
    EXPECT_EQ(delegate.events.back(), "finished refresh=1 log=1");
    EXPECT_EQ(view->player(), nullptr);
    EXPECT_FALSE(ui::Application::sharedApplication().isStatusBarHidden());
    EXPECT_FALSE(view->isPlaybackTimerRunning());
}

TEST_F(MERJSONVideoAdViewTest, ARestartSendsTheTimedEntriesAgain) {
    play();
    foundation::RunLoop::main().runFor(2.5);
    view->restartVideo();
    EXPECT_FALSE(view->overlay()->isVideoFinishedPlaying());
    foundation::RunLoop::main().runFor(2.2);
    ASSERT_TRUE(waitForPixels(4));
    auto sent = pixelPaths();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "/t2"), 2);
    settle();
}

TEST_F(MERJSONVideoAdViewTest, FinishReasonsEndTheVideoAsTheyShould) {
    struct Case {
        char const* name;
        ui::MovieFinishReason reason;
        long errorCode;
        std::vector<std::string> events;
        bool redownloads;
    };
    std::vector<Case> cases {
        {"ended", ui::MovieFinishReason::PlaybackEnded, 0,
            {"willClose", "finished refresh=1 log=1"}, false},
        {"user exited", ui::MovieFinishReason::UserExited, 0,
            {"willClose", "finished refresh=1 log=1"}, false},
        {"unplayable file", ui::MovieFinishReason::PlaybackError, -50, {"willClose"}, true},
        {"other error", ui::MovieFinishReason::PlaybackError, -11800, {"willClose"}, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        play();
        foundation::RunLoop::main().runFor(1);
        delegate.events.clear();
        if (c.reason == ui::MovieFinishReason::PlaybackError)
            view->player()->failPlayback(c.errorCode, "broken");
        else
            view->player()->finishPlayback(c.reason);
        foundation::RunLoop::main().runFor(0.5);
        EXPECT_EQ(delegate.events, c.events);
        EXPECT_EQ(view->player(), nullptr);
        EXPECT_FALSE(view->isPlaybackTimerRunning());
        ASSERT_NE(view->cache(), nullptr);
        EXPECT_EQ(view->cache()->urlDownload() != nullptr, c.redownloads);
        if (c.redownloads)
            waitForEvent("cacheSucceeded");
    }
}

TEST_F(MERJSONVideoAdViewTest, TheEndOfTheVideoFollowsTheAdsCompletion) {
    struct Case {
        char const* completion;
        std::vector<std::string> events;
        bool playerStays;
    };
    std::vector<Case> cases {
        {R"({"stayInPlayer":true})", {"finished refresh=0 log=1"}, true},
        {R"({"url":"http://example.com/after"})",
            {"completion http://example.com/after 3", "finished refresh=0 log=1"}, false},
        {R"({"html":"<p>thanks</p>"})",
            {"completion html <p>thanks</p> 3", "finished refresh=0 log=1"}, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.completion);
        play(std::string(R"(,"onCompletion":)") + c.completion);
        foundation::RunLoop::main().runFor(1);
        delegate.events.clear();
        view->player()->finishPlayback();
        foundation::RunLoop::main().runFor(0.5);
        EXPECT_EQ(delegate.events, c.events);
        EXPECT_EQ(view->player() != nullptr, c.playerStays);
        if (c.playerStays) {
            EXPECT_TRUE(view->overlay()->isVideoFinishedPlaying());
        }
    }
}

TEST_F(MERJSONVideoAdViewTest, TheBackgroundPausesAndTheForegroundResumes) {
    play();
    foundation::RunLoop::main().runFor(1.5);
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(ui::Application::DidEnterBackgroundNotification);
    EXPECT_EQ(view->player()->playbackState(), ui::MoviePlaybackState::Paused);
    EXPECT_FALSE(view->isPlaybackTimerRunning());
    foundation::RunLoop::main().runFor(10);
    ASSERT_NE(view->player(), nullptr);
    center.postNotification(ui::Application::WillEnterForegroundNotification);
    EXPECT_EQ(view->player()->playbackState(), ui::MoviePlaybackState::Playing);
    EXPECT_TRUE(view->isPlaybackTimerRunning());
}

TEST_F(MERJSONVideoAdViewTest, AStatusBarHiddenBeforeTheVideoStaysHidden) {
    ui::Application::sharedApplication().setStatusBarHidden(true);
    play();
    view->player()->finishPlayback(ui::MovieFinishReason::UserExited);
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_TRUE(ui::Application::sharedApplication().isStatusBarHidden());
}

TEST_F(MERJSONVideoAdViewTest, ThePlayerTurnsAQuarterTurnByTheStatusBar) {
    struct Case {
        ui::InterfaceOrientation orientation;
        float angle;
        float shift;
        int videoOrientation;
    };
    float constexpr quarter = std::numbers::pi_v<float> / 2;
    std::vector<Case> cases {
        {ui::InterfaceOrientation::Portrait, quarter, 80, 3},
        {ui::InterfaceOrientation::PortraitUpsideDown, quarter, 80, 3},
        {ui::InterfaceOrientation::LandscapeRight, quarter, 80, 3},
        {ui::InterfaceOrientation::LandscapeLeft, -quarter, -80, 4},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(int(c.orientation));
        ui::Application::sharedApplication().setStatusBarOrientation(c.orientation);
        play();
        auto expected
            = graphics::AffineTransform::makeRotation(c.angle).translated(c.shift, c.shift);
        auto transform = view->player()->view()->transform();
        EXPECT_NEAR(transform.a, expected.a, 1e-5);
        EXPECT_NEAR(transform.b, expected.b, 1e-5);
        EXPECT_NEAR(transform.tx, expected.tx, 1e-4);
        EXPECT_NEAR(transform.ty, expected.ty, 1e-4);
        EXPECT_EQ(view->player()->view()->bounds().size, (graphics::Size {480, 320}));
        EXPECT_EQ(MERJSONVideoAdView::orientationForVideo(), c.videoOrientation);
        view->stopAndRemove();
    }
}

TEST_F(MERJSONVideoAdViewTest, DestroyingTheViewStopsEverything) {
    play();
    foundation::RunLoop::main().runFor(1);
    base::Ref<ui::View> playerView(view->player()->view());
    ASSERT_EQ(playerView->superview(), window.get());
    view = nullptr;
    EXPECT_EQ(playerView->superview(), nullptr);
    EXPECT_FALSE(ui::Application::sharedApplication().isStatusBarHidden());
    foundation::RunLoop::main().runFor(10);
    EXPECT_TRUE(pixelPaths().empty());
}
