// The video player's screen over the movie player stand-in: the countdown at chosen
// instants, the completion screen shown once with the offer's buttons and reward text,
// the button pages with "http://" put in front of a bare address, and the way back.
#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXVideoLayer.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Thread.hpp>
#include <graphics/Image.hpp>
#include <support/TempDir.hpp>
#include <ui/Animator.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/WebView.hpp>

#include <fstream>

using ads::bountix::BTXVideoLayer;

namespace {

class RecordingVideoDelegate final : public ads::bountix::BTXVideoAdDelegate {
public:
    void videoAdBegan() override { ++began; }
    int began {0};
};

class BTXVideoLayerTest : public test::BountixTest {
protected:
    BTXVideoLayerTest() {
        // Timers other tests left behind (an alert's presentation, say) must not fire
        // while this one runs the loop.
        foundation::RunLoop::main().reset();
        ui::Animator::reset();
        movie = (dir / "offer.mp4").string();
        std::ofstream(movie) << "movie";
        host = ui::View::create({0, 0, 480, 320});
    }
    ~BTXVideoLayerTest() override {
        ads::bountix::BTXVideoManager::resetShared();
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
    }

    // Lets the clock and the run loop go on in small steps.
    void advance(double seconds) {
        for (double left = seconds; left > 1e-9; left -= 0.05) {
            clock->advance(std::min(left, 0.05));
            foundation::RunLoop::main().runUntil([] { return false; }, 0.001);
        }
    }
    // A layer playing a movie of the duration.
    base::Ref<BTXVideoLayer> playing(double duration) {
        auto layer = BTXVideoLayer::create();
        layer->prepareVideoWithDelegate(&delegate, movie);
        layer->videoFeed()->setSimulatedDuration(duration);
        layer->setVideoView(host.get());
        layer->playVideo();
        return layer;
    }
    void cacheOffer(base::Ref<base::Array> buttons) {
        ads::bountix::BTXVideoManager::sharedBTXVideoManager().setCachedVideoObjectDict(
            base::Dictionary::create({{ads::bountix::BTXVideoObjButtons, base::Value(buttons)},
                {ads::bountix::BTXVideoObjCurrencyAmount, "25"},
                {ads::bountix::BTXVideoObjCurrencyName, "Vov Azavuz"},
                {ads::bountix::BTXVideoObjName, "Salon Saga"}}),
            "o1");
    }
    static base::Value button(char const* label, char const* url) {
        return base::Value(base::Dictionary::create({{ads::bountix::BTXVideoButtonLabelKey, label},
            {ads::bountix::BTXVideoButtonURLKey, url}}));
    }

    std::string movie;
    base::Ref<ui::View> host;
    RecordingVideoDelegate delegate;
};

}

TEST_F(BTXVideoLayerTest, TheCountdownShowsTheWholeSecondsLeft) {
    auto layer = playing(10.6);
    advance(0.05);
    EXPECT_EQ(layer->duration(), 10.6);
    EXPECT_EQ(layer->statusLabel()->text(), "10 seconds left");
    EXPECT_TRUE(layer->isVideoPlaying());
    struct Case {
        double after;
        char const* text;
    };
    for (auto c : {Case {1.0, "9 seconds left"}, Case {3.0, "6 seconds left"},
             Case {5.5, "1 seconds left"}}) {
        advance(c.after);
        EXPECT_EQ(layer->statusLabel()->text(), c.text) << c.after;
    }
    layer->cleanupVideo();
}

TEST_F(BTXVideoLayerTest, TheEndShowsTheCompletionScreenOnceWithTheOffersButtonsAndReward) {
    cacheOffer(base::Array::create({button("Install", "apps.example/salon")}));
    auto layer = playing(2);
    layer->setOfferID(std::string("o1"));
    advance(3);
    EXPECT_FALSE(layer->isVideoPlaying());
    EXPECT_FALSE(layer->offerID()) << "the completion is handled once";
    EXPECT_EQ(layer->videoCompleteView()->alpha(), 1);
    EXPECT_EQ(layer->statusLabel()->alpha(), 0);
    EXPECT_EQ(layer->customButton1()->alpha(), 1);
    EXPECT_EQ(layer->customButton1()->titleForState(ui::ControlState::Highlighted), "Install");
    EXPECT_EQ(layer->customButton2()->alpha(), 0) << "one button offered";
    EXPECT_EQ(layer->buttonURLs(), std::vector<std::string> {"apps.example/salon"});

    // Watched again: no second completion.
    layer->playVideo();
    advance(3);
    EXPECT_EQ(layer->buttonURLs().size(), 1u);

    layer->customButton1()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(layer->webView()->alpha(), 1);
    EXPECT_TRUE(layer->doneButton()->isHidden());
    EXPECT_TRUE(layer->backToVideoButton()->isEnabled());
    layer->transitionToVideoView();
    EXPECT_EQ(layer->webView()->alpha(), 0);
    EXPECT_FALSE(layer->doneButton()->isHidden());
    EXPECT_FALSE(layer->backToVideoButton()->isEnabled());
    layer->cleanupVideo();
}

TEST_F(BTXVideoLayerTest, AButtonAddressWithoutAWebSchemeGetsHttp) {
    struct Case {
        char const* address;
        char const* loaded;
    };
    for (auto c : {Case {"apps.example/salon", "http://apps.example/salon"},
             Case {"https://apps.example/a", "https://apps.example/a"},
             Case {"HTTP://apps.example/b", "HTTP://apps.example/b"},
             Case {"ftp://files.example/c", "http://ftp://files.example/c"}})
        EXPECT_EQ(BTXVideoLayer::webAddress(c.address), c.loaded) << c.address;
}

TEST_F(BTXVideoLayerTest, TheRewardTextNamesAmountCurrencyAndOffer) {
    EXPECT_EQ(BTXVideoLayer::getDescriptionWithAmountString("25", "Vov Azavuz", "Salon Saga"),
        "<html><body><font face=\"helvetica\" color=\"black\" size=\"3\"><p>You just earned "
        "<font color=#004194><b>25</b></font> Vov Azavuz! <br /> <font color=#909090 "
        "size=\"2\"><b>Salon Saga</b></font></p></font></body></html>");
}

TEST_F(BTXVideoLayerTest, TheOffersIconIsFetchedAwayFromTheMainThreadAndShownOnIt) {
    test::LoopbackServer icons;
    graphics::Image picture(6, 6);
    picture.setPixel(2, 2, {10, 200, 30, 255});
    auto png = picture.encodePNG();
    icons.route("GET", "/icon.png",
        test::HttpResponse::text(std::string(png->begin(), png->end()), 200, "image/png"));
    ads::bountix::BTXVideoManager::sharedBTXVideoManager().setCachedVideoObjectDict(
        base::Dictionary::create({{ads::bountix::BTXVideoObjIconURL, icons.url("/icon.png")}}),
        "o1");
    auto layer = BTXVideoLayer::create();
    layer->prepareVideoWithDelegate(&delegate, movie);
    layer->videoFeed()->setSimulatedDuration(5);
    layer->setVideoView(host.get());
    layer->setOfferID(std::string("o1"));
    layer->playVideo();
    EXPECT_FALSE(layer->didIconDownload()) << "not shown before the main thread's turn";
    ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return layer->didIconDownload(); }, 10));
    ASSERT_NE(layer->iconImageView()->image(), nullptr);
    EXPECT_EQ(layer->iconImageView()->image()->bitmap().pixel(2, 2).g, 200);
    layer->cleanupVideo();
    EXPECT_TRUE(foundation::Thread::waitForDetachedThreads(10));
}
