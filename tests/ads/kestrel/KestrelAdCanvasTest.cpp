#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdCanvasViewController.hpp>
#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdProperties.hpp>

#include <ui/AlertView.hpp>
#include <ui/Button.hpp>
#include <ui/Label.hpp>
#include <ui/NavigationController.hpp>
#include <ui/Screen.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using ads::kestrel::KestrelAd;
using ads::kestrel::KestrelAdCanvasView;
using ads::kestrel::KestrelAdCanvasViewController;
using ads::kestrel::KestrelAdDelegate;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdProperties;
using ads::kestrel::KestrelAdView;
using graphics::makeRect;
using graphics::Rect;
using test::expectRect;

namespace {

struct RecordingDelegate : KestrelAdDelegate {
    std::vector<std::string> calls;
    void canvasWillDisplay(std::optional<std::string> const& hook) override {
        calls.push_back("display " + hook.value_or("(null)"));
    }
    void canvasWillClose() override { calls.push_back("close"); }
};

template<typename T> T* findView(ui::View& root, std::function<bool(T&)> const& match = {}) {
    if (auto* view = dynamic_cast<T*>(&root); view && (!match || match(*view)))
        return view;
    for (auto const& child : root.subviews()) {
        if (auto* found = findView<T>(*child, match))
            return found;
    }
    return nullptr;
}

template<typename T> int countViews(ui::View& root) {
    int count = dynamic_cast<T*>(&root) ? 1 : 0;
    for (auto const& child : root.subviews())
        count += countViews<T>(*child);
    return count;
}

class KestrelAdCanvasTest : public test::KestrelViewsTest {
protected:
    // Opens a canvas for the golden reply's "banner" ad in its own window; no page URL
    // unless given, so nothing loads by itself.
    base::Ref<KestrelAdCanvasViewController> open(std::int64_t canvasId, int clickAction,
        std::string orientation = "portrait", std::optional<std::string> webUrl = std::nullopt) {
        auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
        EXPECT_TRUE(ad);
        ad->setCanvasId(canvasId);
        impression = KestrelAdImpression::initWithHook(
            "banner", KestrelAdImpression::formatCatalogCanvas, KestrelAdParser::instance());
        impression->updateWithAd(*ad);
        auto canvas = KestrelAdCanvasViewController::initWithUrl(webUrl,
            "http://127.0.0.1:9/getIPhoneApp.do?x=1", impression, ad, &delegate, orientation, false,
            clickAction);
        canvas->createCanvasWindow();
        return canvas;
    }

    std::string takeAlert(ui::AlertView** shown = nullptr) {
        for (auto* candidate : ui::Application::sharedApplication().windows()) {
            if (auto* alert = findView<ui::AlertView>(*candidate)) {
                if (shown) {
                    *shown = alert;
                    return alert->message();
                }
                auto message = alert->message();
                alert->removeFromSuperview();
                return message;
            }
        }
        return "";
    }

    RecordingDelegate delegate;
    base::Ref<KestrelAdImpression> impression;
};

TEST_F(KestrelAdCanvasTest, ModeFollowsTheCanvasAndTheClickAction) {
    parseViewsReply(1);
    struct Case {
        std::int64_t canvasId;
        int clickAction;
        bool canvasMode;
        std::vector<int> states; // after the ad was attached
    };
    for (auto const& c : {Case {5, 1, true, {}}, Case {0, 1, false, {6}}, Case {0, 2, false, {7}},
             Case {5, 2, false, {7}}, Case {5, 3, false, {6}}}) {
        auto canvas = open(c.canvasId, c.clickAction);
        std::string what
            = "canvas " + std::to_string(c.canvasId) + " action " + std::to_string(c.clickAction);
        EXPECT_EQ(canvas->isCanvasMode(), c.canvasMode) << what;
        auto expected = std::vector<int> {1, 2};
        expected.insert(expected.end(), c.states.begin(), c.states.end());
        EXPECT_EQ(statesOf(impression.get()), expected) << what;
        EXPECT_EQ(
            canvas->navBar()->topItem()->title(), c.clickAction == 1 ? "Info" : "Loading App Store")
            << what;
        EXPECT_EQ(canvas->webView()->scalesPageToFit(), !c.canvasMode) << what;
        takeAlert();
        canvas->cancel();
        foundation::RunLoop::main().runFor(0.1);
    }
}

TEST_F(KestrelAdCanvasTest, WindowOpensAboveTheApplicationAndCancelGivesItBack) {
    parseViewsReply(1);
    auto canvas = open(5, 1);
    EXPECT_EQ(delegate.calls, (std::vector<std::string> {"display banner"}));
    auto* canvasWindow = KestrelAdCanvasViewController::canvasWindow();
    ASSERT_TRUE(canvasWindow);
    EXPECT_TRUE(canvasWindow->isKeyWindow());
    EXPECT_EQ(KestrelAdCanvasViewController::getOpenCanvasController(), canvas.get());
    EXPECT_EQ(canvas->canvasAnimationDuration(), 0);
    expectRect(canvasWindow->frame(), ui::Screen::mainScreen().bounds(), "slid in");
    canvas->cancel();
    EXPECT_EQ(delegate.calls.size(), 1u) << "closed when the slide ends";
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_EQ(delegate.calls, (std::vector<std::string> {"display banner", "close"}));
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(canvasWindow->isHidden());
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
    EXPECT_EQ(canvasWindow->frame().origin.y, ui::Screen::mainScreen().bounds().size.height);
}

TEST_F(KestrelAdCanvasTest, AnimatedCanvasSlidesForItsDuration) {
    parseViewsReply(1);
    auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
    auto canvas = KestrelAdCanvasViewController::init();
    canvas->setAd(ad);
    canvas->setCanvasAnimated(true);
    canvas->setClickAction(1);
    canvas->setAdDelegate(&delegate);
    EXPECT_EQ(canvas->canvasAnimationDuration(), 0.3);
    canvas->createCanvasWindow();
    canvas->cancel();
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_TRUE(KestrelAdCanvasViewController::getOpenCanvasController()) << "still sliding";
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
    EXPECT_EQ(delegate.calls.back(), "close");
}

TEST_F(KestrelAdCanvasTest, ConfirmationAlertAnswers) {
    parseViewsReply(1);
    for (int answer : {0, 1}) {
        auto canvas = open(0, 2);
        ui::AlertView* alert = nullptr;
        EXPECT_EQ(takeAlert(&alert), KestrelAdCanvasViewController::confirmationMessage);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->title(), "");
        EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
        canvas->clickedButtonAtIndex(*alert, answer);
        alert->removeFromSuperview();
        if (answer == 0) {
            EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2, 7})) << "Don't Allow";
            EXPECT_TRUE(canvas->transparentView()->isHidden());
            EXPECT_FALSE(canvas->appStoreConnection());
        } else {
            EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2, 7, 6})) << "OK";
            EXPECT_FALSE(canvas->transparentView()->isHidden()) << "the veil while it loads";
            EXPECT_TRUE(canvas->loadingView()->isAnimating());
            EXPECT_FALSE(canvas->backView()->isUserInteractionEnabled());
            EXPECT_TRUE(canvas->appStoreConnection());
        }
        canvas->cancel();
        EXPECT_FALSE(canvas->appStoreConnection()) << "cancel stops the hand-off";
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_EQ(impression->currentState(), answer == 0 ? 7 : 6) << "no state 8";
    }
}

TEST_F(KestrelAdCanvasTest, StoreLinksOfThePageStartTheHandOff) {
    parseViewsReply(1);
    auto canvas = open(5, 1);
    auto* web = canvas->webView();
    ASSERT_TRUE(web);
    EXPECT_TRUE(canvas->shouldStartLoadWithRequest(*web,
        foundation::URLRequest("http://ads.test/other.html"),
        ui::WebViewNavigationType::LinkClicked));
    EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2}));
    EXPECT_FALSE(canvas->shouldStartLoadWithRequest(*web,
        foundation::URLRequest("http://ads.test/getIPhoneApp.do?adid=5"),
        ui::WebViewNavigationType::LinkClicked));
    EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2, 6}));
    EXPECT_TRUE(canvas->appStoreConnection());
}

TEST_F(KestrelAdCanvasTest, FinishedLoadsReplaceThePanelAndRecordOneStateFive) {
    parseViewsReply(3);
    KestrelAdProperties::setPortraitAdsShownAtStart(1.5);
    auto canvas = open(5, 1);
    auto* web = canvas->webView();
    ASSERT_TRUE(web);
    auto webFrame = web->frame();
    // The web view leaves room for the bar, the status bar and the panel.
    expectRect(webFrame, makeRect(0, 44, 320, 480.1f + 20 - 44 - 145), "web view");
    canvas->webViewDidStartLoad(*web);
    EXPECT_TRUE(canvas->loadingView()->isAnimating());
    EXPECT_TRUE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    for (int i = 0; i < 3; ++i)
        canvas->webViewDidFinishLoad(*web);
    EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2, 5}));
    EXPECT_EQ(countViews<ads::kestrel::KestrelAdListView>(*canvas->backView()), 1);
    EXPECT_FALSE(canvas->loadingView()->isAnimating());
    EXPECT_FALSE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    EXPECT_EQ(web->alpha(), 1);
    auto* panel = canvas->adListView();
    ASSERT_TRUE(panel);
    int maxCount = KestrelAdProperties::getPortraitAdsMaxShown();
    ASSERT_GE(maxCount, 3);
    EXPECT_FALSE(panel->isHidden());
    ASSERT_EQ(canvas->banners().size(), 3u);
    EXPECT_EQ(canvas->banners()[1]->frame().origin.y, 48 + 29);
    EXPECT_EQ(canvas->banners()[2]->ad()->adText(), "Extra 3");
    int lower = int(480.1f - 29);
    EXPECT_EQ(panel->lowerLocationLimit(), lower);
    EXPECT_EQ(panel->upperLocationLimit(), lower - 3 * 48);
    EXPECT_EQ(panel->frame().size.height, float(maxCount) * 48 + 29);
    EXPECT_EQ(panel->frame().origin.y, float(lower) - 1.5f * 48) << "opened by 1.5 rows";
}

TEST_F(KestrelAdCanvasTest, PanelWithoutAdsIsHiddenAndIgnoresTouches) {
    parseViewsReply(0);
    auto canvas = open(5, 1);
    canvas->webViewDidFinishLoad(*canvas->webView());
    auto* panel = canvas->adListView();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(panel->isUserInteractionEnabled());
    EXPECT_TRUE(canvas->banners().empty());
}

TEST_F(KestrelAdCanvasTest, FailedLoadShowsInternetUnavailable) {
    parseViewsReply(1);
    auto canvas = open(5, 1);
    canvas->webViewDidStartLoad(*canvas->webView());
    canvas->didFailLoadWithError(*canvas->webView(),
        foundation::URLError::make(foundation::URLError::NotConnectedToInternet, "http://x"));
    EXPECT_FALSE(canvas->loadingView()->isAnimating());
    EXPECT_FALSE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    auto* failure = canvas->failureView();
    ASSERT_TRUE(failure);
    auto* label = findView<ui::Label>(
        *failure, [](ui::Label& l) { return l.text() == "Internet unavailable"; });
    ASSERT_TRUE(label);
    expectRect(label->frame(), makeRect(60, 240.05f - 50 + 44 + 20, 200, 50), "label");
    auto* button = findView<ui::Button>(*failure);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->titleForState(ui::ControlState::Normal), "Cancel");
    button->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
}

TEST_F(KestrelAdCanvasTest, TabletPageListsTheFurtherAdsWithFillers) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    struct Case {
        int hooks;
        char const* orientation;
        std::size_t banners;
        bool filler;
    };
    for (auto const& c : {Case {1, "portrait", 1, true}, Case {2, "portrait", 2, false},
             Case {3, "landscapeRight", 3, true}, Case {4, "portrait", 4, false},
             Case {0, "portrait", 0, false}}) {
        parseViewsReply(c.hooks);
        auto canvas = open(5, 1, c.orientation);
        std::string what = std::to_string(c.hooks) + " " + c.orientation;
        bool landscape = std::string(c.orientation) != "portrait";
        EXPECT_FALSE(canvas->webView()) << what;
        EXPECT_EQ(statesOf(impression.get()), (std::vector<int> {1, 2, 5})) << what;
        ASSERT_EQ(canvas->banners().size(), c.banners) << what;
        for (std::size_t i = 0; i < c.banners; ++i) {
            auto const& banner = canvas->banners()[i];
            float x = (landscape ? 70 : 20) + float(i % 2) * (landscape ? 434 : 364);
            float y = (landscape ? 490 : 654) + float(i / 2) * 106;
            EXPECT_EQ(banner->frame().origin.x, x) << what << " banner " << i;
            EXPECT_EQ(banner->frame().origin.y, y) << what << " banner " << i;
            EXPECT_EQ(banner->altColor(), i >= 2) << what;
            EXPECT_EQ(banner->ad()->adText(), "Extra " + std::to_string(i + 1)) << what;
        }
        EXPECT_EQ(bool(canvas->filler()), c.filler) << what;
        if (c.filler) {
            EXPECT_EQ(canvas->filler()->frame().size.width, landscape ? 434 : 364) << what;
            EXPECT_EQ(canvas->filler()->image(),
                KestrelAdParser::fastImageWithCode(c.banners < 2 ? 20 : 22).get())
                << what;
        }
        auto table = canvas->canvasBannersTableFrame();
        EXPECT_EQ(canvas->bannersTable()->frame().size.height,
            c.banners < 3 ? table.size.height - 106 : table.size.height)
            << what;
        EXPECT_EQ(canvas->bannersTable()->isHidden(), c.banners == 0) << what;
        EXPECT_EQ(canvas->bannerSellMessage()->isHidden(), c.banners == 0) << what;
        canvas->cancel();
        foundation::RunLoop::main().runFor(0.1);
    }
}

TEST_F(KestrelAdCanvasTest, TabletFramesFollowTheOrientation) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    auto canvas = KestrelAdCanvasViewController::init();
    using Frame = Rect (KestrelAdCanvasViewController::*)() const;
    struct Case {
        char const* name;
        Frame frame;
        Rect portrait;
        Rect landscape;
    };
    for (auto const& c :
        {
            Case {"sellMessage", &KestrelAdCanvasViewController::sellMessageFrame,
                makeRect(19, 76, 335, 28), makeRect(28, 62, 335, 28)},
            Case {"appIcon", &KestrelAdCanvasViewController::appIconFrame,
                makeRect(40, 132, 112, 112), makeRect(68, 107, 112, 112)},
            Case {"appIconMask", &KestrelAdCanvasViewController::appIconMaskFrame,
                makeRect(30, 123, 131, 130), makeRect(59, 99, 131, 130)},
            Case {"appTitle", &KestrelAdCanvasViewController::appTitleFrame,
                makeRect(171, 168, 386, 26), makeRect(200, 154, 386, 26)},
            Case {"appPublisher", &KestrelAdCanvasViewController::appPublisherFrame,
                makeRect(171, 135, 386, 25), makeRect(200, 122, 386, 25)},
            Case {"appStoreButton", &KestrelAdCanvasViewController::appStoreButtonFrame,
                makeRect(576, 132, 153, 122), makeRect(783, 106, 153, 122)},
            Case {"appDescription", &KestrelAdCanvasViewController::appDescriptionFrame,
                makeRect(171, 276, 542, 286), makeRect(70, 241, 859, 145)},
            Case {"bannerSellMessage", &KestrelAdCanvasViewController::canvasBannerSellMessageFrame,
                makeRect(19, 573, 335, 28), makeRect(28, 417, 335, 28)},
            Case {"bannersTable", &KestrelAdCanvasViewController::canvasBannersTableFrame,
                makeRect(21, 622, 728, 276), makeRect(69, 458, 868, 276)},
            Case {"filler", &KestrelAdCanvasViewController::canvasBannerFillerFrame,
                makeRect(0, 0, 364, 106), makeRect(0, 0, 434, 106)},
        }) {
        canvas->setCanvasOrientation("portrait");
        expectRect((canvas.get()->*c.frame)(), c.portrait, std::string(c.name) + " portrait");
        canvas->setCanvasOrientation("landscapeLeft");
        expectRect((canvas.get()->*c.frame)(), c.landscape, std::string(c.name) + " landscape");
    }
}

TEST_F(KestrelAdCanvasTest, CanvasBannerUsesItsOwnArt) {
    parseViewsReply(2);
    for (bool alt : {false, true}) {
        for (int i : {1, 2}) {
            auto hook = "Kestrel_Canvas_Hook_" + std::to_string(i);
            auto ad = KestrelAdParser::fastAdWithHook(hook, std::nullopt);
            ASSERT_TRUE(ad);
            auto banner = KestrelAdCanvasView::initWithAltColor(alt, ad, hook, 0, 0, host.get(),
                false, "portrait", "portrait", false, std::nullopt);
            std::string what = hook + (alt ? " alt" : "");
            EXPECT_FALSE(banner->sellMessageLabel()) << what;
            ASSERT_TRUE(banner->actionButton()) << what;
            // Extra 1 is free (15), Extra 2 costs (16).
            EXPECT_EQ(banner->actionButton()->image(),
                KestrelAdParser::fastImageWithCode(i == 1 ? 15 : 16).get())
                << what;
            expectRect(banner->actionButton()->frame(), makeRect(288, 43, 60, 25), what);
            expectRect(banner->landscapeActionButtonFrame(), makeRect(358, 43, 60, 25), what);
            auto* expected = alt ? KestrelAdParser::fastImageWithCode(18).get()
                                 : banner->theme()->portraitAdImage().get();
            EXPECT_EQ(banner->portraitBackground()->image(), expected) << what;
            // Icon, both backgrounds, name, advertiser, then the badge on top.
            ASSERT_EQ(banner->subviews().size(), 6u) << what;
            EXPECT_EQ(banner->subviews().front().get(), banner->icon()) << what;
            EXPECT_EQ(banner->subviews().back().get(), banner->actionButton()) << what;
            EXPECT_EQ(banner->appNameLabel()->text(), "Extra " + std::to_string(i)) << what;
        }
    }
}

}

namespace {

TEST_F(KestrelAdCanvasTest, BannerInANavigationPushesTheCanvasOnIt) {
    parseViewsReply(1);
    auto root = ui::ViewController::create();
    auto navigation = ui::NavigationController::create(root);
    window->addSubview(base::Ref<ui::View>(navigation->view()));
    auto ad = KestrelAdParser::fastAdWithHook("Kestrel_Canvas_Hook_1", std::nullopt);
    ad->setCanvasId(5);
    auto banner = KestrelAdView::initWithAd(ad, "Kestrel_Canvas_Hook_1", 0, 100, navigation.get(),
        true, "portrait", "portrait", false, std::nullopt);
    auto touch = ui::Touch::create(banner.get(), banner->window(), {10, 110}, 1, 0);
    banner->touchesEnded(ui::TouchSet({touch}), nullptr);
    auto* canvas = dynamic_cast<KestrelAdCanvasViewController*>(navigation->topViewController());
    ASSERT_TRUE(canvas) << "pushed on the banner's navigation";
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController()) << "no window";
    EXPECT_TRUE(canvas->isCanvasMode());
    EXPECT_EQ(canvas->webUrl(), banner->webUrl());
    EXPECT_EQ(canvas->adImpression(), banner->adImpression());
}

TEST_F(KestrelAdCanvasTest, MemoryWarningWhileHiddenLetsThePageGo) {
    parseViewsReply(1);
    auto canvas = open(5, 1);
    canvas->didReceiveMemoryWarning();
    EXPECT_TRUE(canvas->webView()) << "shown: kept";
    canvas->viewWillDisappear(false);
    canvas->didReceiveMemoryWarning();
    EXPECT_FALSE(canvas->webView());
    EXPECT_FALSE(canvas->backView());
    EXPECT_FALSE(canvas->navBar());
    EXPECT_FALSE(canvas->loadingView());
    canvas->cancel();
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
}

}

namespace {

TEST_F(KestrelAdCanvasTest, WindowTurnsAndSlidesByOrientation) {
    parseViewsReply(1);
    auto screen = ui::Screen::mainScreen().bounds();
    struct Case {
        char const* orientation;
        graphics::Point closed;
    };
    for (auto const& c : {Case {"portrait", {0, screen.size.height}},
             Case {"portraitUpsideDown", {0, screen.size.height}},
             Case {"landscapeRight", {-screen.size.width, 0}},
             Case {"landscapeLeft", {screen.size.width, 0}}}) {
        auto canvas = open(5, 1, c.orientation);
        auto* navigation = canvas->canvasNavigationController();
        ASSERT_TRUE(navigation) << c.orientation;
        EXPECT_EQ(navigation->view()->transform(), KestrelAdView::surfaceTransform(c.orientation))
            << c.orientation;
        auto* canvasWindow = KestrelAdCanvasViewController::canvasWindow();
        expectRect(canvasWindow->frame(), screen, std::string(c.orientation) + " open");
        canvas->cancel();
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_EQ(canvasWindow->frame().origin.x, c.closed.x) << c.orientation;
        EXPECT_EQ(canvasWindow->frame().origin.y, c.closed.y) << c.orientation;
        EXPECT_FALSE(canvas->canvasNavigationController()) << c.orientation;
    }
}

}
