#include <ads/meridian/MERHTMLAd.hpp>

#include "MeridianTestSupport.hpp"

#include <ads/meridian/MERGenericAdView.hpp>
#include <support/ScriptedWebView.hpp>

using ads::meridian::MERHTMLAd;

namespace {

// The ad view's owner, answering whether motion may go to the page.
class AdOwner final : public ads::meridian::MERAdDelegate {
public:
    std::optional<bool> accelerometerEnabled() override { return enabled; }
    bool enabled {true};
};

class MERHTMLAdTest : public test::MeridianTest {
protected:
    base::Ref<MERHTMLAd> makeAd(bool accelerometer = false) {
        return MERHTMLAd::initWithAdContents("<p>ad</p>", page, accelerometer);
    }
    int count(std::string const& script) const {
        int n = 0;
        for (auto const& asked : page->evaluatedScripts())
            n += asked == script;
        return n;
    }

    base::Ref<test::ScriptedWebView> page = test::ScriptedWebView::create();
};

}

TEST_F(MERHTMLAdTest, WithoutAPageEveryAnswerIsTheNoPageValue) {
    auto ad = MERHTMLAd::initWithAdContents(std::nullopt, page, true);
    EXPECT_EQ(ad->ad(), "");
    EXPECT_TRUE(ad->shouldShowModal());
    EXPECT_FALSE(ad->showTitlebar());
    EXPECT_TRUE(ad->showBottomBar());
    EXPECT_TRUE(ad->isBottomBarEnabled());
    EXPECT_FALSE(ad->shouldMakeOverlayTransparent());
    EXPECT_FALSE(ad->shouldAccelerate());
    EXPECT_EQ(ad->overlayTitle(), "Advertisement");
    EXPECT_EQ(ad->overlayTransition(), "SlideUp");
    EXPECT_FLOAT_EQ(ad->transitionDuration(), 0.6f);
    EXPECT_EQ(ad->alphaForModalBorder(), 1);
    EXPECT_EQ(ad->titlebarColor(), ui::Color::blackColor());
    EXPECT_EQ(ad->modalSize(), graphics::Size {});
    EXPECT_EQ(ad->openURL(), std::nullopt);
    EXPECT_FALSE(ad->isResizePolling());
    EXPECT_EQ(services::Accelerometer::sharedAccelerometer().delegate(), nullptr);
    EXPECT_TRUE(page->evaluatedScripts().empty());
}

TEST_F(MERHTMLAdTest, TheAdIsTheBodyStyleAndTheHTML) {
    auto ad = makeAd();
    EXPECT_EQ(ad->ad(),
        "<style type=\"text/css\">body{ margin-left:auto; margin-right:auto; margin:0; "
        "padding:0; text-align:left;}</style><p>ad</p>");
    EXPECT_TRUE(ad->isResizePolling());
}

TEST_F(MERHTMLAdTest, AnswersFollowThePageForEveryKindOfAnswer) {
    struct Case {
        char const* answer;
        bool modal;
        bool bottomBar;
        float duration;
        ui::Color title;
        graphics::Point location;
        graphics::Size size;
        int lock;
    };
    auto black = ui::Color::blackColor();
    std::initializer_list<Case> cases {
        {"", false, true, 0.8f, black, {}, {}, 0},
        {"YES", true, true, 0, black, {}, {}, 0},
        {"false", false, false, 0, black, {}, {}, 0},
        {"#FF8000", false, false, 0, ui::Color::colorWithBytes(255, 128, 0), {}, {}, 0},
        {"1,0,0", true, true, 1, ui::Color::redColor(), {}, {1, 0}, 0},
        {"10,20", true, true, 10, black, {10, 20}, {10, 20}, 0},
        {"garbage", false, false, 0, black, {}, {}, 0},
        {"portrait", false, false, 0, black, {}, {}, 1},
        {"landscape", false, false, 0, black, {}, {}, 3},
    };
    for (auto const& c : cases) {
        auto scripted = test::ScriptedWebView::create();
        scripted->setScriptHandler([&](std::string const&) { return std::string(c.answer); });
        auto ad = MERHTMLAd::initWithAdContents("<p>ad</p>", scripted, false);
        EXPECT_EQ(ad->shouldShowModal(), c.modal) << c.answer;
        EXPECT_EQ(ad->showBottomBar(), c.bottomBar) << c.answer;
        EXPECT_FLOAT_EQ(ad->transitionDuration(), c.duration) << c.answer;
        EXPECT_EQ(ad->titlebarColor(), c.title) << c.answer;
        EXPECT_EQ(ad->modalLocation(), c.location) << c.answer;
        EXPECT_EQ(ad->modalSize(), c.size) << c.answer;
        EXPECT_EQ(ad->orientationLock(), c.lock) << c.answer;
        EXPECT_EQ(ad->overlayTitle(), *c.answer ? c.answer : "Advertisement") << c.answer;
    }
}

TEST_F(MERHTMLAdTest, AYesIsStickyAndANoIsAskedAgain) {
    auto ad = makeAd();
    page->answerScript("shouldShowModal()", "NO");
    EXPECT_FALSE(ad->shouldShowModal());
    EXPECT_FALSE(ad->shouldShowModal());
    EXPECT_EQ(count("shouldShowModal()"), 2);
    page->answerScript("shouldShowModal()", "YES");
    EXPECT_TRUE(ad->shouldShowModal());
    page->answerScript("shouldShowModal()", "NO");
    EXPECT_TRUE(ad->shouldShowModal());
    EXPECT_EQ(count("shouldShowModal()"), 3);
    // Asked at every call.
    page->answerScript("shouldEnableBottomBar()", "YES");
    EXPECT_TRUE(ad->isBottomBarEnabled());
    page->answerScript("shouldEnableBottomBar()", "NO");
    EXPECT_FALSE(ad->isBottomBarEnabled());
}

TEST_F(MERHTMLAdTest, TheResizePollPostsEachSecondUntilThePageStopsAnswering) {
    std::vector<double> heights;
    auto token = foundation::NotificationCenter::defaultCenter().observe(
        MERHTMLAd::resizeNotification, [&](foundation::Notification const& posted) {
            heights.push_back(posted.userInfo().doubleValue());
        });
    auto ad = makeAd();
    page->answerScript("shouldResizeAdTo()", "250");
    foundation::RunLoop::main().runFor(2.5);
    EXPECT_EQ(heights, (std::vector<double> {250, 250}));
    page->answerScript("shouldResizeAdTo()", "0");
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(heights.size(), 2u);
    EXPECT_TRUE(ad->isResizePolling());
    page->answerScript("shouldResizeAdTo()", "");
    foundation::RunLoop::main().runFor(1);
    EXPECT_FALSE(ad->isResizePolling());
    foundation::RunLoop::main().runFor(3);
    EXPECT_EQ(count("shouldResizeAdTo()"), 4);
}

TEST_F(MERHTMLAdTest, BarAndClosePollsPostAtTheirTicksAndStopWhenTheOverlayCloses) {
    std::vector<std::string> posted;
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto shown = center.observe(
        MERHTMLAd::bottomBarNotification, [&](auto const&) { posted.push_back("bar"); });
    auto closed = center.observe(
        MERHTMLAd::closeNotification, [&](auto const&) { posted.push_back("close"); });
    auto ad = makeAd();
    page->answerScript("shouldResizeAdTo()", "0");
    page->answerScript("shouldShowBottomBar()", "false");
    page->answerScript("shouldCloseOverlay()", "false");
    ad->startBottomBarTimer();
    ad->startCloseOverlayTimer();
    foundation::RunLoop::main().runFor(2);
    EXPECT_TRUE(posted.empty());
    page->answerScript("shouldShowBottomBar()", "true");
    page->answerScript("shouldCloseOverlay()", "true");
    foundation::RunLoop::main().runFor(2);
    // The bar poll ends with its post; the close poll goes on posting.
    EXPECT_EQ(posted, (std::vector<std::string> {"bar", "close", "close"}));
    EXPECT_FALSE(ad->isBottomBarPolling());
    center.postNotification(MERHTMLAd::overlayWillCloseNotification);
    EXPECT_FALSE(ad->isClosePolling());
    EXPECT_TRUE(ad->isResizePolling());
}

TEST_F(MERHTMLAdTest, MotionIsSmoothedAndSentOnlyWhenEveryGateIsOpen) {
    AdOwner owner;
    auto view
        = ads::meridian::MERAdView::adWithFrame({{0, 0}, {320, 50}}, 1, "7", &owner, false, false);
    auto ad = makeAd(true);
    ad->setAdView(static_cast<ads::meridian::MERGenericAdView*>(view.get()));
    auto& accelerometer = services::Accelerometer::sharedAccelerometer();
    EXPECT_DOUBLE_EQ(accelerometer.updateInterval(), 1.0 / 60);
    accelerometer.report(1, 0, 0, 0);
    EXPECT_EQ(ad->accelX(), 0); // the page has not loaded and not asked for motion
    page->answerScript("shouldAccelerate()", "true");
    ASSERT_TRUE(ad->shouldAccelerate());
    ad->htmlDidLoad();
    accelerometer.report(1, 0.5, -1, 0);
    accelerometer.report(1, 0.5, -1, 0);
    EXPECT_NEAR(ad->accelX(), 0.19, 1e-12);
    EXPECT_EQ(page->evaluatedScripts().back(), "didAccelerate(0.190000,0.095000,-0.190000)");
    owner.enabled = false;
    accelerometer.report(1, 1, 1, 0);
    EXPECT_NEAR(ad->accelX(), 0.19, 1e-12);
    ad = nullptr;
    EXPECT_EQ(accelerometer.delegate(), nullptr);
}

TEST_F(MERHTMLAdTest, AnOpenURLIsTheEscapedAnswer) {
    auto ad = makeAd();
    page->answerScript("shouldOpen()", "http://shop.test/a b");
    EXPECT_EQ(ad->openURL(), "http://shop.test/a%20b");
}
