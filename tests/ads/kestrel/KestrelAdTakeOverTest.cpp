#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdParser.hpp>
#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>

#include <ui/Screen.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>

using ads::kestrel::KestrelAd;
using ads::kestrel::KestrelAdDelegate;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdTakeOverViewController;
using graphics::makeRect;
using graphics::Rect;
using test::expectRect;

namespace {

struct RecordingDelegate : KestrelAdDelegate {
    std::vector<std::string> calls;
    void takeoverWillDisplay(std::optional<std::string> const& hook) override {
        calls.push_back("display " + hook.value_or("(null)"));
    }
    void takeoverWillClose() override { calls.push_back("close"); }
};

// The four layouts: iPad landscape, iPad portrait, phone landscape, phone portrait.
struct Layout {
    bool pad;
    char const* orientation;
};
constexpr Layout layouts[4]
    = {{true, "landscapeRight"}, {true, "portrait"}, {false, "landscapeLeft"}, {false, "portrait"}};

class KestrelAdTakeOverTest : public test::KestrelViewsTest {
protected:
    ~KestrelAdTakeOverTest() override {
        KestrelAdTakeOverViewController::freeOpenTakeOverController();
    }

    void setPad(bool pad) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
    }

    // A takeover filled as the ad-space operations fill it: the "banner" hook's ad and
    // the given further-app slots' ads of the canvas hooks (on any device).
    base::Ref<KestrelAdTakeOverViewController> open(std::string orientation,
        std::optional<std::string> reward, std::array<bool, 3> slots = {false, false, false}) {
        auto takeover = KestrelAdTakeOverViewController::init();
        takeover->setAdImpression(KestrelAdImpression::initWithHook(
            "banner", KestrelAdImpression::formatTakeover, KestrelAdParser::instance()));
        takeover->setRewardMessage(reward);
        takeover->setRewardImage(KestrelAdParser::fastImageWithCode(12));
        takeover->setOrientation(orientation);
        takeover->setHook("banner");
        for (int slot = 1; slot <= 3; ++slot) {
            auto hook = "Kestrel_Canvas_Hook_" + std::to_string(slot);
            takeover->setSubAdHook(slot, hook);
            if (slots[std::size_t(slot - 1)])
                takeover->setSubAd(slot, KestrelAdParser::fastAdWithHook(hook, std::nullopt));
        }
        takeover->setAdDelegate(&delegate);
        takeover->setAd(KestrelAdParser::fastAdWithHook("banner", std::nullopt));
        takeover->adImpression()->updateWithAd(*takeover->ad());
        takeover->createWindow();
        ui::Application::sharedApplication().keyWindow()->addSubview(
            base::Ref<ui::View>(takeover->view()));
        return takeover;
    }

    RecordingDelegate delegate;
};

TEST_F(KestrelAdTakeOverTest, FramesMatchTheirTablesInEveryLayout) {
    struct Row {
        char const* name;
        std::array<Rect, 4> frames;
    };
    Rect const zero {};
    Row const rows[] = {
        {"takeOverBackgroundFrame",
            {makeRect(0, 0, 1024, 768), makeRect(0, 0, 768, 1024), makeRect(0, 0, 480, 320),
                makeRect(0, 0, 320, 480)}},
        {"takeOverRewardModFrame",
            {makeRect(15, 134, 370, 500), makeRect(44, 120, 680, 306), makeRect(10, 45, 168, 230),
                makeRect(10, 60, 300, 153)}},
        {"takeOverRecommendationModFrame",
            {makeRect(390, 134, 619, 500), makeRect(44, 500, 680, 400), makeRect(188, 45, 282, 230),
                makeRect(10, 250, 300, 200)}},
        {"takeOverNoRewardRecommendationModFrame",
            {makeRect(202, 134, 619, 500), makeRect(44, 326, 680, 400), makeRect(99, 45, 282, 230),
                makeRect(10, 165, 300, 200)}},
        {"takeOverRecommendationModWithSubAppsFrame",
            {makeRect(390, 134, 619, 500), makeRect(44, 500, 680, 440), makeRect(10, 165, 300, 200),
                makeRect(10, 165, 300, 200)}},
        {"takeOverNoRewardRecommendationModWithSubAppsFrame",
            {makeRect(202, 134, 619, 500), makeRect(44, 326, 680, 440), makeRect(10, 165, 300, 200),
                makeRect(10, 165, 300, 200)}},
        {"takeOverCancelXFrame",
            {makeRect(977, 90, 32, 32), makeRect(689, 76, 32, 32), makeRect(454, 23, 16, 16),
                makeRect(293, 38, 16, 16)}},
        {"takeOverNoRewardCancelXFrame",
            {makeRect(789, 92, 32, 32), makeRect(689, 286, 32, 32), makeRect(365, 23, 16, 16),
                makeRect(293, 143, 16, 16)}},
        {"takeOverCancelXLabelFrame",
            {makeRect(840, 65, 185, 57), makeRect(575, 34, 185, 72), makeRect(376, 0, 105, 41),
                makeRect(215, 0, 105, 56)}},
        {"takeOverNoRewardCancelXLabelFrame",
            {makeRect(652, 67, 185, 57), makeRect(575, 244, 185, 72), makeRect(287, 0, 105, 41),
                makeRect(215, 105, 105, 56)}},
        {"takeOverArrowCircleFrame",
            {makeRect(367, 374, 40, 40), makeRect(364, 444, 40, 40), makeRect(170, 147, 26, 26),
                makeRect(147, 219, 26, 26)}},
        {"rewardFrameHeadingLabelFrame",
            {makeRect(22, 20, 250, 40), makeRect(22, 16, 250, 40), makeRect(11, 8, 125, 20),
                makeRect(11, 8, 125, 20)}},
        {"takeOverRewardLeadInMessageViewFrame",
            {makeRect(24, 115, 322, 50), makeRect(24, 72, 656, 32), makeRect(12, 56, 144, 40),
                makeRect(12, 36, 276, 16)}},
        {"takeOverRewardDescriptionLabelFrame",
            {makeRect(24, 190, 322, 60), makeRect(24, 112, 632, 40), makeRect(12, 100, 144, 40),
                makeRect(12, 56, 276, 20)}},
        {"rewardImageViewFrame",
            {makeRect(125, 290, 120, 120), makeRect(280, 162, 120, 120), makeRect(54, 153, 60, 60),
                makeRect(120, 81, 60, 60)}},
        {"recommendationFrameHeadingLabelFrame",
            {makeRect(16, 20, 494, 40), makeRect(16, 14, 494, 40), makeRect(8, 7, 247, 20),
                makeRect(8, 7, 247, 20)}},
        {"appStoreButtonFrame",
            {makeRect(503, 154, 100, 45), makeRect(560, 154, 100, 45), makeRect(226, 75, 50, 25),
                makeRect(243, 75, 50, 25)}},
        {"loadingViewFrame",
            {makeRect(0, 0, 32, 32), makeRect(0, 0, 32, 32), makeRect(0, 0, 32, 32),
                makeRect(0, 0, 32, 32)}},
        {"appIconViewFrame",
            {makeRect(22, 96, 100, 100), makeRect(22, 96, 100, 100), makeRect(11, 48, 50, 50),
                makeRect(11, 48, 50, 50)}},
        {"iconMaskViewFrame",
            {makeRect(19, 94, 105, 105), makeRect(19, 94, 105, 105), makeRect(9, 46, 54, 54),
                makeRect(9, 46, 54, 54)}},
        {"takeOverAppTitleViewFrame",
            {makeRect(140, 112, 459, 32), makeRect(140, 112, 520, 32), makeRect(70, 50, 207, 16),
                makeRect(70, 50, 220, 16)}},
        {"takeOverAppCompanyViewFrame",
            {makeRect(140, 150, 308, 28), makeRect(140, 150, 308, 28), makeRect(70, 75, 154, 14),
                makeRect(70, 75, 154, 14)}},
        {"takeOverAppDescriptionViewFrame",
            {makeRect(20, 218, 579, 250), makeRect(20, 218, 640, 150), makeRect(10, 114, 262, 105),
                makeRect(10, 114, 280, 75)}},
        {"takeOverAppDescriptionViewWithSubAppsFrame",
            {makeRect(20, 218, 579, 130), makeRect(20, 218, 640, 70), makeRect(10, 105, 280, 75),
                makeRect(10, 105, 280, 75)}},
        {"takeOverDivideLineViewFrame",
            {makeRect(100, 360, 419, 1), makeRect(100, 300, 478, 1), zero, zero}},
        {"subAdSellMessageFrame",
            {makeRect(0, 380, 619, 21), makeRect(0, 320, 680, 21), zero, zero}},
    };
    auto takeover = KestrelAdTakeOverViewController::init();
    for (std::size_t column = 0; column < 4; ++column) {
        setPad(layouts[column].pad);
        takeover->setOrientation(layouts[column].orientation);
        for (auto const& row : rows) {
            expectRect(takeover->frameNamed(row.name), row.frames[column],
                std::string(row.name) + " in layout " + std::to_string(column));
        }
    }
    expectRect(takeover->frameNamed("noSuchFrame"), zero, "unknown");
}

TEST_F(KestrelAdTakeOverTest, FurtherAppIconsSitInTheirLayouts) {
    struct Case {
        int count;
        int slot;
        float landscapeX;
        float portraitX;
    };
    auto takeover = KestrelAdTakeOverViewController::init();
    for (auto const& c : {Case {1, 1, 280, 310}, Case {2, 1, 228, 258}, Case {2, 2, 332, 362},
             Case {3, 1, 176, 206}, Case {3, 2, 280, 310}, Case {3, 3, 384, 414}}) {
        std::string what = std::to_string(c.count) + "/" + std::to_string(c.slot);
        setPad(true);
        takeover->setOrientation("landscapeLeft");
        expectRect(takeover->subAdIconFrame(c.count, c.slot, false),
            makeRect(c.landscapeX, 417, 60, 60), what);
        expectRect(takeover->subAdIconFrame(c.count, c.slot, true),
            makeRect(c.landscapeX - 4, 413, 68, 68), what);
        takeover->setOrientation("portrait");
        expectRect(takeover->subAdIconFrame(c.count, c.slot, false),
            makeRect(c.portraitX, 357, 60, 60), what);
        expectRect(takeover->subAdIconFrame(c.count, c.slot, true),
            makeRect(c.portraitX - 4, 353, 68, 68), what);
        setPad(false);
        expectRect(takeover->subAdIconFrame(c.count, c.slot, false), Rect {}, what + " phone");
    }
}

TEST_F(KestrelAdTakeOverTest, RewardLayoutAndTheNoRewardLayout) {
    parseViewsReply(3);
    for (bool reward : {true, false}) {
        auto takeover
            = open("portrait", reward ? std::optional<std::string>("100 gems") : std::nullopt);
        std::string what = reward ? "reward" : "no reward";
        EXPECT_EQ(bool(takeover->rewardView()), reward) << what;
        EXPECT_EQ(bool(takeover->arrowView()), reward) << what;
        expectRect(takeover->closeButton()->frame(),
            reward ? makeRect(293, 38, 16, 16) : makeRect(293, 143, 16, 16), what);
        expectRect(takeover->noThanksLabel()->frame(),
            reward ? makeRect(215, 0, 105, 56) : makeRect(215, 105, 105, 56), what);
        expectRect(takeover->recommendationView()->frame(),
            reward ? makeRect(10, 250, 300, 200) : makeRect(10, 165, 300, 200), what);
        EXPECT_EQ(takeover->noThanksLabel()->text(), "No Thanks");
        EXPECT_EQ(takeover->noThanksLabel()->tag(), 1000);
        EXPECT_EQ(takeover->closeButton()->tag(), 10);
        EXPECT_EQ(takeover->appStoreButton()->tag(), 11);
        // The hook's rotation: Puppy Spa first, then Cat Cafe (no description).
        auto* ad = takeover->ad();
        EXPECT_EQ(takeover->appTitleView()->text(), reward ? "Puppy Spa" : "Cat Cafe");
        EXPECT_EQ(takeover->appCompanyView()->text(), ad->advertiser().value_or(""));
        EXPECT_EQ(takeover->appDescriptionView()->text(), ad->appDescription().value_or(""));
        EXPECT_EQ(takeover->appIconView()->image(), ad->adImage().get());
        EXPECT_EQ(takeover->appStoreButton()->currentBackgroundImage(),
            KestrelAdParser::fastImageWithCode(reward ? 5 : 33).get())
            << "a paid app, then one without a price";
        EXPECT_EQ(
            takeover->backgroundView()->image(), KestrelAdParser::fastImageWithCode(44).get());
        if (reward) {
            EXPECT_EQ(takeover->rewardView()->image(), KestrelAdParser::fastImageWithCode(43).get())
                << "the portrait reward panel";
            std::vector<std::string> texts;
            for (auto const& child : takeover->rewardView()->subviews()) {
                if (auto* text = dynamic_cast<ui::Label*>(child.get()))
                    texts.push_back(text->text());
            }
            EXPECT_EQ(texts,
                (std::vector<std::string> {
                    "Earn a Reward!", "Download and launch this app to receive:", "100 gems"}));
        }
        // Shown: state 3 on the impression after the ad was attached.
        EXPECT_EQ(statesOf(takeover->adImpression()), (std::vector<int> {1, 2, 3})) << what;
        takeover->removeWindow();
    }
}

TEST_F(KestrelAdTakeOverTest, PhonesNeverShowFurtherApps) {
    parseViewsReply(3);
    auto takeover = open("portrait", std::nullopt, {true, true, true});
    for (int slot = 1; slot <= 3; ++slot)
        EXPECT_FALSE(takeover->iconButton(slot)) << slot;
    EXPECT_FALSE(takeover->dividerView());
    EXPECT_FALSE(takeover->subAdSellMessageView());
    expectRect(takeover->appDescriptionView()->frame(), makeRect(10, 114, 280, 75), "description");
}

TEST_F(KestrelAdTakeOverTest, FurtherAppsAfterAnEmptySlotTakeTheNextFrames) {
    parseViewsReply(3);
    setPad(true);
    struct Case {
        std::array<bool, 3> slots;
        // Per slot: the icon's x in portrait, or 0 when the slot shows nothing.
        std::array<float, 3> x;
    };
    for (auto const& c :
        {Case {{true, false, false}, {310, 0, 0}}, Case {{false, true, false}, {0, 310, 0}},
            Case {{false, true, true}, {0, 258, 362}}, Case {{true, false, true}, {258, 0, 362}},
            Case {{true, true, true}, {206, 310, 414}}}) {
        auto takeover = open("portrait", std::nullopt, c.slots);
        for (int slot = 1; slot <= 3; ++slot) {
            std::string what = "slot " + std::to_string(slot);
            auto x = c.x[std::size_t(slot - 1)];
            ASSERT_EQ(bool(takeover->iconButton(slot)), x > 0) << what;
            if (x == 0)
                continue;
            expectRect(takeover->iconButton(slot)->frame(), makeRect(x, 357, 60, 60), what);
            expectRect(takeover->iconMaskView(slot)->frame(), makeRect(x - 4, 353, 68, 68), what);
            EXPECT_EQ(takeover->iconButton(slot)->tag(), slot) << what;
        }
        ASSERT_TRUE(takeover->subAdSellMessageView());
        EXPECT_EQ(takeover->subAdSellMessageView()->text(), "People who use this app also use:");
        expectRect(takeover->recommendationView()->frame(), makeRect(44, 326, 680, 440), "panel");
        expectRect(takeover->appDescriptionView()->frame(), makeRect(20, 218, 640, 70), "text");
        takeover->removeWindow();
    }
}

TEST_F(KestrelAdTakeOverTest, TappingAFurtherAppSwapsItIn) {
    parseViewsReply(3);
    setPad(true);
    auto takeover = open("landscapeRight", std::nullopt, {false, true, false});
    auto* main = takeover->ad();
    auto* first = takeover->adImpression();
    EXPECT_EQ(takeover->appStoreButton()->currentBackgroundImage(),
        KestrelAdParser::fastImageWithCode(5).get())
        << "Puppy Spa costs";
    takeover->subAd2Press();
    EXPECT_EQ(takeover->ad()->adText(), "Extra 2");
    EXPECT_EQ(takeover->hook(), "Kestrel_Canvas_Hook_2");
    EXPECT_EQ(takeover->subAd(2), main);
    EXPECT_EQ(takeover->subAdHook(2), "banner");
    EXPECT_NE(takeover->adImpression(), first);
    EXPECT_EQ(takeover->adImpression()->adFormat(), 4);
    EXPECT_EQ(takeover->adImpression()->hook(), "Kestrel_Canvas_Hook_2");
    EXPECT_EQ(statesOf(takeover->adImpression()), (std::vector<int> {1, 2, 3}));
    EXPECT_EQ(takeover->appTitleView()->text(), "Extra 2");
    EXPECT_EQ(takeover->iconButton(2)->currentBackgroundImage(), main->adImage().get());
    EXPECT_EQ(takeover->appStoreButton()->currentBackgroundImage(),
        KestrelAdParser::fastImageWithCode(5).get())
        << "Extra 2 costs 2";
    takeover->subAd2Press();
    EXPECT_EQ(takeover->ad(), main) << "swapped back";
    // A free app shows the free button.
    takeover->changeDisplayAd(
        KestrelAdParser::fastAdWithHook("Kestrel_Canvas_Hook_1", std::nullopt),
        "Kestrel_Canvas_Hook_1");
    EXPECT_EQ(takeover->appStoreButton()->currentBackgroundImage(),
        KestrelAdParser::fastImageWithCode(33).get());
}

TEST_F(KestrelAdTakeOverTest, WindowRotatesAndClosesByNoThanksOrTheCloseButton) {
    parseViewsReply(3);
    constexpr float pi = std::numbers::pi_v<float>;
    struct Case {
        bool pad;
        char const* orientation;
        float angle;
        float shift;
    };
    for (auto const& c :
        {Case {false, "landscapeRight", pi / 2, 80}, Case {true, "landscapeRight", pi / 2, 128},
            Case {false, "landscapeLeft", 3 * pi / 2, -80},
            Case {true, "LANDSCAPELEFT", 3 * pi / 2, -128},
            Case {false, "portraitUpsideDown", pi, 0}, Case {false, "portrait", 0, 0}}) {
        setPad(c.pad);
        delegate.calls.clear();
        auto takeover = open(c.orientation, std::nullopt);
        std::string what = std::string(c.orientation) + (c.pad ? " pad" : " phone");
        auto expected
            = graphics::AffineTransform::makeRotation(c.angle).translated(c.shift, c.shift);
        auto actual = takeover->view()->transform();
        EXPECT_NEAR(actual.a, expected.a, 1e-5) << what;
        EXPECT_NEAR(actual.b, expected.b, 1e-5) << what;
        EXPECT_NEAR(actual.tx, expected.tx, 1e-3) << what;
        EXPECT_NEAR(actual.ty, expected.ty, 1e-3) << what;
        EXPECT_TRUE(KestrelAdTakeOverViewController::takeOverWindow()->isKeyWindow()) << what;
        EXPECT_EQ(KestrelAdTakeOverViewController::getOpenTakeOverController(), takeover.get());
        // A touch on the background leaves it open; one on "No Thanks" closes it.
        auto touchOn = [&](ui::View* view) {
            auto touch = ui::Touch::create(view, view->window(), {5, 5}, 1, 0);
            takeover->touchesEnded(ui::TouchSet({touch}), nullptr);
        };
        touchOn(takeover->backgroundView());
        EXPECT_TRUE(KestrelAdTakeOverViewController::getOpenTakeOverController()) << what;
        touchOn(takeover->noThanksLabel());
        EXPECT_FALSE(KestrelAdTakeOverViewController::getOpenTakeOverController()) << what;
        EXPECT_TRUE(window->isKeyWindow()) << what;
        EXPECT_TRUE(KestrelAdTakeOverViewController::takeOverWindow()->isHidden()) << what;
        EXPECT_EQ(delegate.calls, (std::vector<std::string> {"display banner", "close"})) << what;
    }
    auto takeover = open("portrait", std::nullopt);
    takeover->closeButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_FALSE(KestrelAdTakeOverViewController::getOpenTakeOverController());
}

TEST_F(KestrelAdTakeOverTest, StoreButtonStartsTheHandOffAndClosingCancelsIt) {
    parseViewsReply(3);
    ads::kestrel::KestrelAdLoop::setAdServiceBaseURL("http://127.0.0.1:9");
    auto takeover = open("portrait", std::nullopt);
    takeover->appStoreButton()->sendActionsForControlEvents(ui::ControlEvents::TouchUpInside);
    EXPECT_EQ(statesOf(takeover->adImpression()), (std::vector<int> {1, 2, 3, 4, 6}));
    EXPECT_TRUE(takeover->appStoreButton()->isHidden());
    EXPECT_TRUE(takeover->loadingView()->isAnimating());
    EXPECT_FALSE(takeover->loadingView()->isHidden());
    EXPECT_TRUE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    ASSERT_TRUE(takeover->appStoreConnection());
    takeover->removeWindow();
    EXPECT_FALSE(takeover->appStoreConnection());
    EXPECT_FALSE(ui::Application::sharedApplication().isNetworkActivityIndicatorVisible());
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(takeover->adImpression()->currentState(), 6) << "no state 8";
}

}
