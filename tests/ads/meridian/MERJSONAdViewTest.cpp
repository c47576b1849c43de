#include <ads/meridian/MERJSONAdView.hpp>

#include "MeridianTestSupport.hpp"

#include <graphics/Image.hpp>
#include <support/LoopbackServer.hpp>
#include <toolkit/json/PJsonParser.hpp>
#include <ui/Touch.hpp>

#include <algorithm>
#include <string>
#include <vector>

using ads::meridian::MERJSONAdView;
using ads::meridian::MERJSONVideoAdView;

namespace {

class RecordingDelegate final : public ads::meridian::MERJSONAdViewDelegate {
public:
    void jsonAdViewRequestFailed(MERJSONAdView&) override { add("failed"); }
    void jsonAdViewRequestSucceeded(MERJSONAdView&) override { add("succeeded"); }
    void jsonAdViewVideoAdFinishedPlaying(MERJSONAdView&, bool startTimer) override {
        add(std::string("videoFinished startTimer=") + (startTimer ? "1" : "0"));
    }
    void jsonAdViewVideoAdFailed(MERJSONAdView&) override { add("videoFailed"); }
    void jsonAdViewWantsToMoveToTheFront(MERJSONAdView&) override { add("toFront"); }
    void jsonAdViewWantToShowOverlayWithRequest(MERJSONAdView&, MERJSONVideoAdView&,
        foundation::URLRequest const& request, int orientation, bool open, bool close) override {
        add("overlay " + request.URL() + " " + std::to_string(orientation)
            + " open=" + (open ? "1" : "0") + " close=" + (close ? "1" : "0"));
    }
    void jsonAdViewWantToShowOverlayWithHTML(MERJSONAdView&, MERJSONVideoAdView&,
        std::string const& html, int orientation, bool open, bool close) override {
        add("overlay html " + html + " " + std::to_string(orientation)
            + " open=" + (open ? "1" : "0") + " close=" + (close ? "1" : "0"));
    }
    void jsonAdViewWillLoadVideoURL(MERJSONAdView&) override { add("willLoadVideo"); }
    void jsonAdViewVideoAdWillDisappear(MERJSONAdView&) override { add("videoWillDisappear"); }
    void jsonAdViewWasTapped(MERJSONAdView&, foundation::URLRequest const& request) override {
        add("tapped " + request.URL());
    }
    void jsonAdViewWantsToOpenURL(MERJSONAdView&, std::string const& url) override {
        add("open " + url);
    }
    void jsonAdViewTransitionAnimationWillBegin(MERJSONAdView&) override { add("fadeBegins"); }

    void add(std::string event) { events.push_back(std::move(event)); }
    std::vector<std::string> events;
};

std::string png() {
    graphics::Image bitmap(8, 8);
    std::fill(bitmap.pixels().begin(), bitmap.pixels().end(), std::uint8_t(255));
    auto bytes = bitmap.encodePNG();
    return std::string(bytes->begin(), bytes->end());
}

class MERJSONAdViewTest : public test::MeridianTest {
protected:
    MERJSONAdViewTest() {
        server.route("GET", "/banner.png", test::HttpResponse::text(png(), 200, "image/png"));
        server.route("GET", "/video.mp4", test::HttpResponse::text("VIDEO", 200, "video/mp4"));
    }
    std::string imageAd() const {
        return R"({"type":"image","image":{"content-url":")" + server.url("/banner.png")
            + R"(","tap-through":"http://example.com/tap"}})";
    }
    std::string videoAd() const {
        return R"({"type":"video","video":{"id":"v9","content-url":")" + server.url("/video.mp4")
            + R"(","expiration":"2030-01-01 00:00:00 +0000","duration":5}})";
    }
    void waitFor(std::string const& event) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] {
                return std::find(delegate.events.begin(), delegate.events.end(), event)
                    != delegate.events.end();
            },
            20));
    }
    base::Ref<ads::meridian::MERJSONVideoButton> button(std::string const& tapURL) {
        return ads::meridian::MERJSONVideoButton::initWithJSONButton(
            toolkit::json::PJsonParser::parser()->objectWithString(
                R"({"url":")" + tapURL + R"("})"));
    }

    test::LoopbackServer server;
    RecordingDelegate delegate;
    base::Ref<MERJSONAdView> view = MERJSONAdView::initWithFrame({{0, 0}, {320, 50}}, &delegate);
};

}

TEST_F(MERJSONAdViewTest, TheImageChildStartsShownAndTheVideoChildHidden) {
    EXPECT_EQ(view->showingAdView(), &view->imageAdView());
    EXPECT_EQ(view->hiddenAdView(), &view->videoAdView());
    EXPECT_TRUE(view->videoAdView().isHidden());
    EXPECT_FALSE(view->imageAdView().isHidden());
}

TEST_F(MERJSONAdViewTest, TwoImageAdsInARowFadeTheChildrenOnlyOnce) {
    view->loadWithAdContents(imageAd());
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"fadeBegins"}));
    EXPECT_NE(view->layer().animationForKey(MERJSONAdView::transitionKey), nullptr);
    waitFor("succeeded");
    EXPECT_EQ(view->showingAdView(), &view->imageAdView());
    EXPECT_EQ(view->getAd(), view->imageAdView().ad());
    foundation::RunLoop::main().runFor(2);

    delegate.events.clear();
    view->loadWithAdContents(imageAd());
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"toFront"}));
    EXPECT_EQ(view->layer().animationForKey(MERJSONAdView::transitionKey), nullptr);
    waitFor("succeeded");
    // The picture itself cross-fades inside the image child.
    EXPECT_NE(view->imageAdView().imageView().layer().animationForKey(
                  ads::meridian::MERJSONImageAdView::crossfadeKey),
        nullptr);
}

TEST_F(MERJSONAdViewTest, AVideoAdThenAnImageAdSwapTheChildren) {
    view->loadWithAdContents(videoAd());
    EXPECT_EQ(
        delegate.events, (std::vector<std::string> {"willLoadVideo", "videoFailed", "fadeBegins"}));
    EXPECT_TRUE(ads::meridian::MERHandshake::sharedHandshake().lastVideoRequestMadeAt());
    EXPECT_EQ(view->showingAdView(), &view->videoAdView());
    EXPECT_FALSE(view->videoAdView().isHidden());
    EXPECT_TRUE(view->imageAdView().isHidden());
    EXPECT_EQ(view->getAd(), view->videoAdView().ad());

    bool cachingEnded = false;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        MERJSONAdView::cachingEndedNotification,
        [&](foundation::Notification const&) { cachingEnded = true; });
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return cachingEnded; }, 20));

    delegate.events.clear();
    view->loadWithAdContents(imageAd());
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"fadeBegins"}));
    EXPECT_EQ(view->showingAdView(), &view->imageAdView());
    EXPECT_FALSE(view->imageAdView().isHidden());
    EXPECT_TRUE(view->videoAdView().isHidden());
}

TEST_F(MERJSONAdViewTest, AReplyThatIsNoAdFails) {
    view->loadWithAdContents("{\"type\":\"banner\"}");
    EXPECT_EQ(delegate.events.front(), "failed");
}

TEST_F(MERJSONAdViewTest, AnImageTapGoesToTheTapThroughURL) {
    view->loadWithAdContents(imageAd());
    waitFor("succeeded");
    delegate.events.clear();
    view->imageAdView().touchesEnded(ui::TouchSet(), nullptr);
    EXPECT_EQ(delegate.events, (std::vector<std::string> {"tapped http://example.com/tap"}));
}

TEST_F(MERJSONAdViewTest, VideoButtonsSteerThePlayerOrLeaveIt) {
    struct Case {
        std::string url;
        std::vector<std::string> events;
    };
    std::vector<Case> cases {
        {"mersdk://endVideo", {"videoWillDisappear", "videoFinished startTimer=1"}},
        {"mersdk://restartVideo", {}},
        {"mersdk://pauseVideo", {}},
        {"mersdk://playVideo", {}},
        {"sms:5551234", {"open sms:5551234"}},
        {"tel:5551234", {"open tel:5551234"}},
        {"merbrowser://example.com/x", {"open merbrowser://example.com/x"}},
        {"http://example.com/landing", {"overlay http://example.com/landing 3 open=0 close=0"}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.url);
        delegate.events.clear();
        auto pressed = button(c.url);
        view->videoButtonWasPressed(view->videoAdView(), *pressed);
        EXPECT_EQ(delegate.events, c.events);
    }
}

TEST_F(MERJSONAdViewTest, AVideosCompletionOverlayAsksForCloseNotificationsOnly) {
    auto* passOn = view->videoAdView().delegate();
    ASSERT_NE(passOn, nullptr);
    passOn->videoAdLoadOnCompletionWithRequest(
        view->videoAdView(), foundation::URLRequest("http://example.com/after"), 4);
    passOn->videoAdLoadOnCompletionWithHTML(view->videoAdView(), "<p>x</p>", 3);
    EXPECT_EQ(delegate.events,
        (std::vector<std::string> {"overlay http://example.com/after 4 open=0 close=1",
            "overlay html <p>x</p> 3 open=0 close=1"}));
}
