#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelProtocolData.hpp>

#include <ui/ScrollView.hpp>
#include <ui/Touch.hpp>

#include <gtest/gtest.h>

#include <string>

using ads::kestrel::KestrelAd;
using ads::kestrel::KestrelAdImpression;
using ads::kestrel::KestrelAdLoop;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdProperties;
using ads::kestrel::KestrelAdView;
using ads::kestrel::KestrelCookies;
using graphics::makeRect;
using graphics::Rect;

namespace {

void expectRect(Rect const& actual, Rect const& expected, std::string const& what) {
    EXPECT_EQ(actual.origin.x, expected.origin.x) << what;
    EXPECT_EQ(actual.origin.y, expected.origin.y) << what;
    EXPECT_EQ(actual.size.width, expected.size.width) << what;
    EXPECT_EQ(actual.size.height, expected.size.height) << what;
}

class KestrelAdViewTest : public test::KestrelViewsTest {
protected:
    base::Ref<KestrelAdView> banner(std::string hook = "banner", bool autoRefresh = false,
        std::optional<std::string> orientation = "portrait",
        std::optional<std::string> reward = std::nullopt, ui::View* parent = nullptr) {
        auto ad = KestrelAdParser::fastAdWithHook(hook, std::nullopt);
        auto view = KestrelAdView::initWithAd(ad, hook, 0, 100, parent ? parent : host.get(), true,
            orientation, "portrait", autoRefresh, reward);
        // A banner is first found on screen at the heartbeat after it was placed.
        heartBeat();
        return view;
    }

    static void tap(KestrelAdView& view, int tapCount = 1) {
        auto touch = ui::Touch::create(&view, view.window(), {10, 110}, tapCount, 0);
        view.touchesEnded(ui::TouchSet({touch}), nullptr);
    }
};

TEST_F(KestrelAdViewTest, ShowsTheAdDressedByItsTheme) {
    parseViewsReply();
    auto view = banner();
    auto* theme = view->theme();
    ASSERT_TRUE(theme);
    EXPECT_FALSE(view->isHidden());
    EXPECT_EQ(view->adImpression()->adFormat(), 1);
    auto dimension = theme->portraitAdDimension();
    expectRect(view->frame(),
        makeRect(
            0, 100, float(dimension->width().value_or(0)), float(dimension->height().value_or(0))),
        "banner");
    expectRect(view->appNameLabel()->frame(), theme->portraitAppNameTextStyle()->frame(), "name");
    expectRect(view->sellMessageLabel()->frame(), theme->portraitSellMessageTextStyle()->frame(),
        "sell message");
    auto location = theme->portraitAppImageLocation();
    auto iconSize = theme->portraitAppImageDimension();
    expectRect(view->icon()->frame(),
        makeRect(float(location->x().value_or(0)), float(location->y().value_or(0)),
            float(iconSize->width().value_or(0)), float(iconSize->height().value_or(0))),
        "icon");
    EXPECT_EQ(view->appNameLabel()->text(), "Puppy Spa");
    EXPECT_EQ(view->advertiserLabel()->text(), "Kestrel Games");
    EXPECT_EQ(view->sellMessageLabel()->text(), "Play now!");
    EXPECT_EQ(view->sellMessageLabel()->numberOfLines(), 2);
    EXPECT_TRUE(view->advertiserLabel()->isHidden()) << "a phone in portrait hides it";
    EXPECT_FALSE(view->portraitBackground()->isHidden());
    EXPECT_TRUE(view->landscapeBackground()->isHidden());
    EXPECT_EQ(view->portraitBackground()->image(), theme->portraitAdImage().get());
    EXPECT_EQ(view->icon()->image(), view->ad()->adImage().get());
    EXPECT_EQ(view->backgroundColor(), ui::Color::grayColor());
    // The badge lies inside the phone banner.
    ASSERT_TRUE(view->actionButton());
    auto badge = view->actionButton()->frame();
    EXPECT_GE(badge.origin.x, 0);
    EXPECT_LE(badge.origin.x + badge.size.width, view->frame().size.width);
    EXPECT_LE(badge.origin.y + badge.size.height, view->frame().size.height);
    expectRect(view->frame(), makeRect(0, 100, 320, 48), "the reply's banner size");
}

TEST_F(KestrelAdViewTest, LayoutFollowsTheOrientationAndDevice) {
    parseViewsReply();
    struct Case {
        char const* orientation;
        bool pad;
        bool advertiserShown;
        bool landscape;
    };
    for (auto const& c :
        {Case {"portrait", false, false, false}, Case {"portrait", true, true, false},
            Case {"LANDSCAPE", false, true, true}, Case {"landscapeLeft", false, false, false}}) {
        ui::Device::currentDevice().setUserInterfaceIdiom(
            c.pad ? ui::Device::Idiom::Pad : ui::Device::Idiom::Phone);
        auto view = banner("banner", false, c.orientation);
        std::string what = std::string(c.orientation) + (c.pad ? " pad" : " phone");
        auto* theme = view->theme();
        EXPECT_EQ(!view->advertiserLabel()->isHidden(), c.advertiserShown) << what;
        EXPECT_EQ(!view->landscapeBackground()->isHidden(), c.landscape) << what;
        EXPECT_EQ(view->portraitBackground()->isHidden(), c.landscape) << what;
        auto nameStyle
            = c.landscape ? theme->landscapeAppNameTextStyle() : theme->portraitAppNameTextStyle();
        expectRect(view->appNameLabel()->frame(), nameStyle->frame(), what);
        auto size = c.landscape ? theme->landscapeAdDimension() : theme->portraitAdDimension();
        EXPECT_EQ(view->frame().size.width, float(size->width().value_or(0))) << what;
        if (c.pad) {
            expectRect(view->actionButton()->frame(), makeRect(648, 50, 73, 32), what);
            expectRect(view->landscapeActionButtonFrame(), makeRect(880, 50, 73, 32), what);
        }
        view->removeFromSuperview();
        ads::kestrel::KestrelAdAssignment::instance()->removeAdsOnParentName(
            KestrelAdView::descriptionOf(host.get(), "View"));
    }
}

TEST_F(KestrelAdViewTest, BadgeImageFollowsPriceOrientationAndReward) {
    parseViewsReply();
    struct Case {
        std::optional<std::int32_t> price;
        char const* orientation;
        bool reward;
        std::int16_t code;
    };
    for (auto const& c : {Case {0, "portrait", false, 8}, Case {199, "portrait", false, 9},
             Case {std::nullopt, "portrait", false, 9}, Case {0, "landscape", true, 10},
             Case {5, "landscape", true, 11}, Case {5, "portrait", true, 9},
             Case {0, "landscape", false, 8}}) {
        auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
        ad->setAppPrice(c.price);
        auto view = KestrelAdView::initWithAd(ad, "banner", 0, 0, host.get(), false, c.orientation,
            "portrait", false, c.reward ? std::optional<std::string>("Earn 5 gems") : std::nullopt);
        std::string what = std::string(c.orientation) + " code " + std::to_string(c.code);
        ASSERT_TRUE(view->actionButton()) << what;
        EXPECT_EQ(view->actionButton()->image(), KestrelAdParser::fastImageWithCode(c.code).get())
            << what;
        if (c.reward) {
            EXPECT_EQ(view->sellMessageLabel()->text(), "Earn 5 gems") << what;
        }
        ads::kestrel::KestrelAdAssignment::resetInstance();
    }
}

TEST_F(KestrelAdViewTest, MissingBadgeImageLeavesTheBadgeOut) {
    ASSERT_TRUE(parse(test::goldenReply().bytes));
    auto view = banner();
    EXPECT_FALSE(view->isHidden());
    EXPECT_FALSE(view->actionButton());
    EXPECT_EQ(view->subviews().size(), 6u);
}

TEST_F(KestrelAdViewTest, RecordsShownOnlyWhenOnScreenInTheKeyWindow) {
    parseViewsReply();
    auto other = ui::Window::create(makeRect(0, 0, 320, 480));
    auto scroller = ui::View::create(makeRect(0, 0, 320, 200));
    scroller->setClipsToBounds(true);
    host->addSubview(scroller);
    struct Case {
        char const* name;
        std::function<void(KestrelAdView&)> place;
        bool shown;
    };
    std::vector<Case> cases {
        {"visible", [](KestrelAdView&) {}, true},
        {"hidden", [](KestrelAdView& v) { v.setHidden(true); }, false},
        {"below the window", [](KestrelAdView& v) { v.setFrame(makeRect(0, 600, 320, 48)); },
            false},
        {"in another window", [&](KestrelAdView& v) { other->addSubview(base::Ref<ui::View>(&v)); },
            false},
        {"clipped away",
            [&](KestrelAdView& v) {
                scroller->addSubview(base::Ref<ui::View>(&v));
                v.setFrame(makeRect(0, 300, 320, 48));
            },
            false},
        {"detached", [](KestrelAdView& v) { v.removeFromSuperview(); }, false},
    };
    for (auto const& c : cases) {
        auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
        auto view = KestrelAdView::initWithAd(
            ad, "banner", 0, 0, host.get(), false, "portrait", "portrait", false, std::nullopt);
        host->addSubview(view);
        c.place(*view);
        view->checkBannerLocation();
        EXPECT_EQ(view->adImpression()->currentState(), c.shown ? 3 : 2) << c.name;
        view->removeFromSuperview();
        ads::kestrel::KestrelAdAssignment::resetInstance();
    }
}

TEST_F(KestrelAdViewTest, LaterVisibilityChecksNeverLowerATappedImpression) {
    parseViewsReply();
    auto view = banner();
    EXPECT_EQ(view->adImpression()->currentState(), 3);
    tap(*view);
    // "banner" asks for the store confirmation (state 7) after the tap.
    auto afterTap = statesOf(view->adImpression());
    EXPECT_EQ(afterTap, (std::vector<int> {1, 2, 3, 4, 7}));
    heartBeat();
    view->checkBannerLocation();
    EXPECT_EQ(statesOf(view->adImpression()), afterTap);
}

TEST_F(KestrelAdViewTest, RefreshesOnScheduleAndKeepsOneSetOfSubviews) {
    parseViewsReply();
    auto seconds = double(KestrelAdProperties::getBannerRefreshInSeconds());
    ASSERT_GT(seconds, 1);
    auto view = banner("banner", true);
    auto first = view->ad()->adId();
    auto subviews = view->subviews().size();
    foundation::RunLoop::main().runFor(seconds - 0.5);
    EXPECT_EQ(view->ad()->adId(), first) << "not before the interval";
    foundation::RunLoop::main().runFor(1);
    EXPECT_NE(view->ad()->adId(), first) << "the next ad of the rotation";
    EXPECT_EQ(view->adImpression()->currentState(), 3) << "a fresh impression, shown";
    for (int i = 0; i < 9; ++i)
        foundation::RunLoop::main().runFor(seconds);
    EXPECT_EQ(view->ad()->adId(), first) << "ten changes of a block of two";
    EXPECT_EQ(view->subviews().size(), subviews);
    EXPECT_EQ(view->subviews().size(), 7u);
}

TEST_F(KestrelAdViewTest, LeavingTheScreenPausesAndReturningReschedulesTheFullInterval) {
    parseViewsReply();
    auto seconds = double(KestrelAdProperties::getBannerRefreshInSeconds());
    auto view = banner("banner", true);
    auto first = view->ad()->adId();
    foundation::RunLoop::main().runFor(seconds / 2);
    view->setFrame(makeRect(0, 900, 320, 48));
    heartBeat();
    EXPECT_TRUE(view->refreshTimerPaused());
    foundation::RunLoop::main().runFor(seconds);
    EXPECT_EQ(view->ad()->adId(), first) << "no refresh while off screen";
    auto states = view->adImpression()->adStates().size();
    view->setFrame(makeRect(0, 100, 320, 48));
    heartBeat();
    EXPECT_FALSE(view->refreshTimerPaused());
    EXPECT_EQ(view->adImpression()->adStates().size(), states) << "already shown";
    foundation::RunLoop::main().runFor(seconds - 0.5);
    EXPECT_EQ(view->ad()->adId(), first);
    foundation::RunLoop::main().runFor(1);
    EXPECT_NE(view->ad()->adId(), first);
}

TEST_F(KestrelAdViewTest, NilAdGivesAHiddenEmptyBannerThatIgnoresTheHeartbeat) {
    parseViewsReply();
    auto view = KestrelAdView::initWithAd(
        nullptr, "banner", 0, 0, host.get(), true, "portrait", "portrait", true, std::nullopt);
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isHidden());
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_FALSE(view->superview()) << "the rest of the set-up is skipped";
    heartBeat();
    foundation::RunLoop::main().runFor(100);
    EXPECT_FALSE(view->ad());
}

TEST_F(KestrelAdViewTest, HeartbeatFillsABannerMadeBeforeTheReply) {
    auto ad = KestrelAd::create();
    ad->setAdId(5);
    auto view = KestrelAdView::initWithAd(
        ad, "banner", 0, 0, host.get(), true, "portrait", "portrait", false, std::nullopt);
    EXPECT_TRUE(view->isHidden());
    EXPECT_FALSE(view->adHook());
    heartBeat();
    EXPECT_TRUE(view->isHidden()) << "still no reply";
    parseViewsReply();
    heartBeat();
    EXPECT_FALSE(view->isHidden());
    ASSERT_TRUE(view->ad());
    EXPECT_EQ(view->ad()->adText(), "Puppy Spa");
    EXPECT_EQ(view->adImpression()->currentState(), 3);
}

TEST_F(KestrelAdViewTest, TapRecordsStateFourAndBuildsTheClickThroughUrl) {
    parseViewsReply();
    struct Case {
        char const* hook;
        std::int64_t canvasId;
        char const* expectedBase;
        // What the canvas records after the tap: the confirmation (7), nothing until
        // its page has loaded, or the store hand-off's request (6).
        std::vector<int> canvasStates;
    };
    // "banner" has click action 2, other hooks fall back to the unnamed hook (no click
    // action, so 1).
    for (auto const& c : {Case {"banner", 77, "http://ads.test/getIPhoneApp.do?", {7}},
             Case {"other", 77, "http://ads.test/getCanvas.do?", {}},
             Case {"other", 0, "http://ads.test/getIPhoneApp.do?", {6}}}) {
        auto ad = KestrelAdParser::fastAdWithHook(c.hook, std::nullopt);
        ad->setCanvasId(c.canvasId);
        auto view = KestrelAdView::initWithAd(
            ad, c.hook, 0, 0, host.get(), true, "portrait", "portrait", false, std::nullopt);
        tap(*view, 0);
        EXPECT_FALSE(view->webUrl()) << "a touch without taps does nothing";
        tap(*view);
        auto expected = std::vector<int> {1, 2, 4};
        expected.insert(expected.end(), c.canvasStates.begin(), c.canvasStates.end());
        EXPECT_EQ(statesOf(view->adImpression()), expected) << c.hook << " " << c.canvasId;
        auto* canvas = ads::kestrel::KestrelAdCanvasViewController::getOpenCanvasController();
        ASSERT_TRUE(canvas);
        EXPECT_EQ(canvas->webUrl(), view->webUrl());
        canvas->cancel();
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_FALSE(ads::kestrel::KestrelAdCanvasViewController::getOpenCanvasController());
        EXPECT_TRUE(window->isKeyWindow()) << "the application's window is key again";
        ASSERT_TRUE(view->webUrl());
        EXPECT_EQ(view->webUrl()->rfind(c.expectedBase, 0), 0u) << *view->webUrl();
        view->removeFromSuperview();
        ads::kestrel::KestrelAdAssignment::resetInstance();
    }
}

TEST_F(KestrelAdViewTest, ClickThroughUrlCarriesEveryField) {
    parseViewsReply();
    clock->setWallTime(1000);
    auto session = startSession("KEY1");
    auto ad = KestrelAdParser::fastAdWithHook("banner", std::nullopt);
    ad->setCanvasId(77);
    auto impression = KestrelAdImpression::initWithHook("banner", 1, KestrelAdParser::instance());
    clock->advance(2.5);
    KestrelCookies cookies {{"my key", "a&b"}, {"n", "1"}};
    auto url = KestrelAdView::webUrlForCanvas(
        true, "my hook", ad.get(), impression.get(), "Portrait", &cookies);
    auto start = analytics::KestrelProtocolData::millisecondsSince1970(*session->startTime());
    auto now = start + 2500;
    EXPECT_EQ(url,
        "http://ads.test/getCanvas.do?apik=KEY1&cid=77&adid=" + std::to_string(*ad->adId())
            + "&pid=" + analytics::KestrelSession::phoneID() + "&sid=" + std::to_string(start)
            + "&its=" + std::to_string(impression->timeIntervalSinceSessionStart())
            + "&hid=my%20hook&ac=" + ad->adCookieString() + "&ats=" + std::to_string(now)
            + "&c_my%20key=a%26b&c_n=1");
    auto offer = KestrelAdView::webUrlForOffer("my hook", ad.get(), impression.get(), nullptr);
    auto store = KestrelAdView::webUrlForCanvas(
        false, "my hook", ad.get(), impression.get(), "Portrait", nullptr);
    ASSERT_TRUE(offer && store);
    auto cid = store->find("&cid=77&");
    ASSERT_NE(cid, std::string::npos);
    EXPECT_EQ(*offer, store->substr(0, cid) + "&cid=0&" + store->substr(cid + 8));
}

TEST_F(KestrelAdViewTest, CanvasOrientationChoosesTheCanvasUrl) {
    struct Case {
        std::optional<std::string> orientation;
        char const* base;
    };
    for (auto const& c : {Case {std::nullopt, "http://ads.test/getCanvas.do?"},
             Case {"portrait", "http://ads.test/getCanvas.do?"},
             Case {"PORTRAIT", "http://ads.test/getCanvas.do?"},
             Case {"landscapeLeft", "http://ads.test/getCanvasLandscape.do?"},
             Case {"portraitUpsideDown", "http://ads.test/getCanvasLandscape.do?"}}) {
        auto url
            = KestrelAdView::webUrlForCanvas(true, "h", nullptr, nullptr, c.orientation, nullptr);
        ASSERT_TRUE(url);
        EXPECT_EQ(url->rfind(c.base, 0), 0u) << c.orientation.value_or("nil");
    }
}

TEST_F(KestrelAdViewTest, NoUrlWithoutAConfiguredAdService) {
    KestrelAdLoop::reset();
    EXPECT_FALSE(KestrelAdView::webUrlForCanvas(true, "h", nullptr, nullptr, "portrait", nullptr));
    EXPECT_FALSE(KestrelAdView::webUrlForCanvas(false, "h", nullptr, nullptr, "portrait", nullptr));
    EXPECT_FALSE(KestrelAdView::webUrlForOffer("h", nullptr, nullptr, nullptr));
}

TEST_F(KestrelAdViewTest, UserCookiesAreAppendedEscaped) {
    KestrelCookies empty;
    KestrelCookies cookies {{"a b", "x&y=z"}, {"k", "!*'();:@&=+$,/?%#[]"}};
    EXPECT_EQ(KestrelAdView::appendWebUrl("http://u?q=1", nullptr), "http://u?q=1");
    EXPECT_EQ(KestrelAdView::appendWebUrl("http://u?q=1", &empty), "http://u?q=1");
    EXPECT_EQ(KestrelAdView::appendWebUrl("http://u?q=1", &cookies),
        "http://u?q=1&c_a%20b=x%26y%3Dz&c_k=%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%"
        "5B%5D");
}

TEST_F(KestrelAdViewTest, ReleasingTheBannerGivesItsAdBack) {
    parseViewsReply();
    auto parentName = KestrelAdView::descriptionOf(host.get(), "View");
    {
        auto ad = KestrelAdParser::fastAdWithHook("banner", parentName);
        auto view = KestrelAdView::initWithAd(
            ad, "banner", 0, 0, host.get(), true, "portrait", "portrait", false, std::nullopt);
        EXPECT_EQ(view->parentName(), parentName);
        EXPECT_EQ(
            ads::kestrel::KestrelAdAssignment::instance()->assignedAdIds(parentName).size(), 1u);
        view->removeFromSuperview();
    }
    EXPECT_TRUE(ads::kestrel::KestrelAdAssignment::instance()->assignedAdIds(parentName).empty());
}

}
