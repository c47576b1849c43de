// The video player as the offer wall shows it: placed through the view host, loading
// until the stand-in movie can play through, the countdown, the completion screen with
// its buttons, replay, the button page and the way back, and closing with the delegate
// told before the two close notifications. Without a player, or for an offer with no
// video on the device, nothing is shown.
#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXVideoLayer.hpp>
#include <ads/bountix/BTXVideoView.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BTXViews.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <foundation/RunLoop.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>
#include <ui/Window.hpp>

#include <fstream>

using namespace ads::bountix;

namespace {

// Writes what the player tells its host into the same list as the notifications.
class RecordingDelegate final : public BTXVideoAdDelegate {
public:
    explicit RecordingDelegate(std::vector<std::string>& events)
        : events_(events) { }
    void videoAdBegan() override { events_.push_back("began"); }
    void videoAdClosed() override { events_.push_back("closed"); }

private:
    std::vector<std::string>& events_;
};

class BTXVideoViewTest : public test::BountixTest {
protected:
    BTXVideoViewTest() {
        foundation::RunLoop::main().reset();
        ui::Animator::reset();
        ui::Application::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window = ui::Window::create({0, 0, 480, 320});
        window->makeKeyAndVisible();
        movie = (dir.path() / "offer.mp4").string();
        std::ofstream(movie) << "movie";
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        primary.route("GET", "/videos", test::HttpResponse::text("<none/>"));
    }
    ~BTXVideoViewTest() override {
        BTXVideoManager::resetShared();
        BTXCallsWrapper::resetShared();
        BTXViewCommons::resetShared();
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
    }

    void advance(double seconds) {
        for (double left = seconds; left > 1e-9; left -= 0.05) {
            clock->advance(std::min(left, 0.05));
            foundation::RunLoop::main().runUntil([] { return false; }, 0.001);
        }
    }
    // The player set up, with offer "o1" cached: its movie, one button and its reward.
    void setUpPlayer() {
        BountixConnect::initVideoAdWithDelegate(&delegate);
        BTXVideoManager::sharedBTXVideoManager().setCachedVideoObjectDict(
            base::Dictionary::create({{BTXVideoObjDataLocation, movie},
                {BTXVideoObjButtons,
                    base::Value(base::Array::create(
                        {base::Value(base::Dictionary::create({{BTXVideoButtonLabelKey, "Install"},
                            {BTXVideoButtonURLKey, "apps.example/salon"}}))}))},
                {BTXVideoObjCurrencyAmount, "25"}, {BTXVideoObjCurrencyName, "Vov Azavuz"},
                {BTXVideoObjName, "Salon Saga"}, {BTXVideoObjIconURL, "NO_ICON"}}),
            "o1");
    }
    static BTXVideoView& player() { return *BTXVideoManager::sharedBTXVideoManager().videoView(); }
    static BTXVideoLayer& screen() { return *player().mainVideoLayer(); }
    static void tap(ui::Button* button) {
        button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    }

    base::Ref<ui::Window> window;
    std::string movie;
    RecordingDelegate delegate {notifications};
};

}

TEST_F(BTXVideoViewTest, WithoutAPlayerOrAVideoNothingIsShown) {
    auto& host = BTXCallsWrapper::sharedBTXCallsWrapper();
    float const hostAlpha = host.view()->alpha();
    EXPECT_EQ(BountixConnect::showVideoAdWithOfferID("o1"), nullptr) << "no player yet";
    setUpPlayer();
    EXPECT_EQ(BountixConnect::showVideoAdWithOfferID("unknown"), nullptr) << "no video for it";
    EXPECT_EQ(BountixConnect::showVideoAdWithFrame({0, 0, 480, 320}, "unknown"), nullptr);
    EXPECT_EQ(host.view()->alpha(), hostAlpha) << "the host stays as it was";
    EXPECT_EQ(player().mainView()->superview(), nullptr);
    advance(1);
    EXPECT_TRUE(notifications.empty());
}

TEST_F(BTXVideoViewTest, ThePlayerIsAlwaysLandscape) {
    setUpPlayer();
    struct Case {
        graphics::Rect rect;
        bool turned;
    };
    for (auto c : {Case {{0, 0, 480, 320}, false}, Case {{0, 0, 320, 480}, true}}) {
        player().refreshViewWithFrame(c.rect);
        auto* view = player().mainView();
        EXPECT_EQ(view->bounds(), (graphics::Rect {0, 0, 480, 320}));
        auto const frame = view->frame();
        EXPECT_NEAR(frame.origin.x, c.rect.origin.x, 1e-3) << "the turned bounds fill the place";
        EXPECT_NEAR(frame.origin.y, c.rect.origin.y, 1e-3);
        EXPECT_NEAR(frame.size.width, c.rect.size.width, 1e-3);
        EXPECT_NEAR(frame.size.height, c.rect.size.height, 1e-3);
        EXPECT_EQ(view->transform().isIdentity(), !c.turned);
        if (c.turned) {
            EXPECT_NEAR(view->transform().b, 1, 1e-6) << "a quarter turn";
        }
        EXPECT_EQ(screen().frame(), view->bounds());
    }
}

TEST_F(BTXVideoViewTest, AShownVideoLoadsPlaysCountsDownAndEndsOnItsCompletionScreen) {
    setUpPlayer();
    BountixConnect::setTransitionEffect(-1);
    auto* shown = BountixConnect::showVideoAdWithFrame({0, 0, 480, 320}, "o1");
    ASSERT_EQ(shown, player().mainView());
    auto& host = BTXCallsWrapper::sharedBTXCallsWrapper();
    EXPECT_EQ(shown->superview(), host.view());
    EXPECT_EQ(host.view()->alpha(), 1.0f);
    EXPECT_EQ(screen().offerID(), std::optional<std::string>("o1"));
    EXPECT_FALSE(player().isVideoReady());
    EXPECT_EQ(player().loadingViewController()->view()->alpha(), 1.0f) << "loading";
    screen().videoFeed()->setSimulatedDuration(10.6);

    // The stand-in loads over a few passes of the run loop; the movie starts then.
    for (int i = 0; i < 20 && !player().isVideoReady(); ++i)
        advance(0.01);
    ASSERT_TRUE(player().isVideoReady());
    EXPECT_EQ(player().loadingViewController()->view()->alpha(), 0.0f);
    EXPECT_EQ(notifications, std::vector<std::string> {"began"});
    EXPECT_TRUE(player().videoAdCurrentlyPlaying());
    EXPECT_EQ(screen().statusLabel()->text(), "10 seconds left");
    struct Case {
        double after;
        char const* text;
    };
    for (auto c : {Case {1.0, "9 seconds left"}, Case {2.5, "7 seconds left"},
             Case {6.0, "1 seconds left"}}) {
        advance(c.after);
        EXPECT_EQ(screen().statusLabel()->text(), c.text) << c.after;
    }
    EXPECT_EQ(screen().videoCompleteView()->alpha(), 0.0f);

    advance(1.4);
    EXPECT_FALSE(player().videoAdCurrentlyPlaying());
    EXPECT_EQ(screen().videoCompleteView()->alpha(), 1.0f);
    EXPECT_FALSE(screen().offerID()) << "the completion is handled once";
    EXPECT_EQ(screen().customButton1()->titleForState(ui::ControlState::Normal), "Install");
    EXPECT_EQ(screen().customButton1()->alpha(), 1.0f);
    EXPECT_EQ(screen().customButton2()->alpha(), 0.0f);
    advance(0.1);
    EXPECT_NE(screen().currencyLabelWebView()->pageContent().find("<b>25</b></font> Vov Azavuz!"),
        std::string::npos);

    // Replay: the delegate hears a new start, the end is not reported again.
    tap(screen().replayButton());
    EXPECT_EQ(notifications, (std::vector<std::string> {"began", "began"}));
    EXPECT_TRUE(player().videoAdCurrentlyPlaying());
    advance(11);
    EXPECT_EQ(screen().buttonURLs().size(), 1u);
    EXPECT_EQ(screen().videoCompleteView()->alpha(), 1.0f);
    EXPECT_EQ(notifications, (std::vector<std::string> {"began", "began"}));
}

TEST_F(BTXVideoViewTest, AButtonOpensItsPageAndBackToVideoReturns) {
    setUpPlayer();
    BountixConnect::setTransitionEffect(-1);
    BountixConnect::showVideoAdWithOfferID("o1");
    screen().videoFeed()->setSimulatedDuration(1);
    advance(1.5);
    ASSERT_EQ(screen().videoCompleteView()->alpha(), 1.0f);

    tap(screen().customButton1());
    auto* page = screen().webView();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->alpha(), 1.0f);
    EXPECT_EQ(screen().subviews().back().get(), screen().backToVideoButton());
    EXPECT_TRUE(screen().doneButton()->isHidden());
    EXPECT_TRUE(screen().backToVideoButton()->isEnabled());
    tap(screen().customButton2());
    EXPECT_EQ(page->alpha(), 1.0f) << "no second button, no second page";

    tap(screen().backToVideoButton());
    EXPECT_EQ(page->alpha(), 0.0f);
    EXPECT_FALSE(screen().doneButton()->isHidden());
    EXPECT_FALSE(screen().backToVideoButton()->isEnabled());
}

TEST_F(BTXVideoViewTest, ClosingTellsTheDelegateBeforeTheTwoNotifications) {
    struct Case {
        char const* name;
        ui::Button* (*button)();
    };
    for (auto c : {Case {"done", [] { return screen().doneButton(); }},
             Case {"back", [] { return screen().backButton(); }}}) {
        SCOPED_TRACE(c.name);
        BTXVideoManager::resetShared();
        setUpPlayer();
        BountixConnect::setTransitionEffect(0);
        BountixConnect::showVideoAdWithOfferID("o1");
        screen().videoFeed()->setSimulatedDuration(1);
        advance(2);
        notifications.clear();

        tap(c.button());
        EXPECT_EQ(screen().videoFeed()->playbackState(), ui::MoviePlaybackState::Stopped);
        EXPECT_FALSE(screen().videoFeed()->shouldAutoplay());
        advance(0.2);
        EXPECT_TRUE(notifications.empty()) << "nothing before the effect ends";
        advance(0.3);
        EXPECT_EQ(notifications,
            (std::vector<std::string> {
                "closed", "BTX_VIEW_CLOSED_NOTIFICATION", "BTX_SHOW_BOX_NOTIFICATION"}));
        EXPECT_EQ(player().mainView()->superview(), nullptr);
        EXPECT_TRUE(player().mainView()->transform().isIdentity());
    }
}

TEST_F(BTXVideoViewTest, InAViewControllerThePlayerLiesInItsView) {
    setUpPlayer();
    BountixConnect::setTransitionEffect(-1);
    auto controller = ui::ViewController::create();
    controller->view()->setFrame({0, 0, 480, 320});
    BountixConnect::showVideoAdWithViewController(controller.get(), "o1");
    EXPECT_EQ(player().mainView()->superview(), controller->view());
    EXPECT_EQ(player().mainView()->bounds(), (graphics::Rect {0, 0, 480, 320}));
}

TEST_F(BTXVideoViewTest, OnlyAMovieThatPlayedToItsEndCountsAsWatched) {
    setUpPlayer();
    BountixConnect::setTransitionEffect(-1);
    BountixConnect::showVideoAdWithOfferID("o1");
    screen().videoFeed()->setSimulatedDuration(5);
    advance(0.5);
    ASSERT_TRUE(player().videoAdCurrentlyPlaying());

    // Another movie ending is not this one.
    auto other = ui::MoviePlayerController::create(movie);
    other->play();
    advance(0.1);
    other->finishPlayback();
    advance(0.1);
    EXPECT_TRUE(player().videoAdCurrentlyPlaying());
    EXPECT_TRUE(screen().offerID());

    // A broken stream: the completion screen lets the player leave, nothing is reported.
    screen().videoFeed()->failPlayback(-11800, "The operation could not be completed");
    advance(0.5);
    EXPECT_FALSE(player().videoAdCurrentlyPlaying());
    EXPECT_EQ(screen().videoCompleteView()->alpha(), 1.0f);
    EXPECT_EQ(screen().offerID(), std::optional<std::string>("o1")) << "not watched";
    EXPECT_TRUE(screen().buttonURLs().empty());
}
