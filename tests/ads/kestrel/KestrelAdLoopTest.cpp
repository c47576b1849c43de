#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdTakeOverViewController.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelHeartBeater.hpp>
#include <analytics/KestrelUtil.hpp>

#include <ui/AlertView.hpp>

#include <support/LogCapture.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using ads::kestrel::KestrelAdCanvasViewController;
using ads::kestrel::KestrelAdLoop;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdTakeOverViewController;
using ads::kestrel::KestrelAdView;
using ads::kestrel::KestrelOffer;

namespace {

class KestrelAdLoopTest : public test::KestrelViewsTest {
protected:
    ~KestrelAdLoopTest() override {
        analytics::KestrelHeartBeater::resetInstance();
        foundation::NotificationCenter::defaultCenter().removeAllObservers();
    }

    // Whether a canvas or a takeover was open; closes them as a resigning application
    // does and gives the key back to the test's window.
    bool closeSurfaces() {
        bool open = KestrelAdCanvasViewController::getOpenCanvasController()
            || KestrelAdTakeOverViewController::getOpenTakeOverController();
        ui::Application::sharedApplication().resignActive();
        foundation::RunLoop::main().runFor(0.1);
        EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
        EXPECT_FALSE(KestrelAdTakeOverViewController::getOpenTakeOverController());
        EXPECT_TRUE(window->isKeyWindow());
        window->makeKeyAndVisible();
        return open;
    }

    // The message of the alert on screen, taken away; "" when none is shown.
    std::string takeAlert() {
        std::function<ui::AlertView*(ui::View&)> find = [&](ui::View& view) -> ui::AlertView* {
            if (auto* alert = dynamic_cast<ui::AlertView*>(&view))
                return alert;
            for (auto const& child : view.subviews()) {
                if (auto* found = find(*child))
                    return found;
            }
            return nullptr;
        };
        auto* alert = find(*window);
        if (!alert)
            return "";
        auto message = alert->message();
        EXPECT_EQ(alert->title(), "");
        EXPECT_EQ(alert->firstOtherButtonIndex(), -1);
        alert->removeFromSuperview();
        return message;
    }
};

TEST_F(KestrelAdLoopTest, GuardsShowTheirAlertsAndReturnTheFailureValue) {
    parseViewsReply();
    auto offer = KestrelOffer::create();
    struct Case {
        char const* name;
        std::function<int(std::optional<std::string> const&)> call;
        int disabledValue;
        int blankValue;
        std::string disabled;
        std::string blank;
    };
    std::string const enable = "KestrelAdLoop: AdLoop is disabled. Please enable AdLoop from "
                               "Kestrel SDK before using AdLoop ";
    auto blankText = [](char const* op) {
        return std::string("KestrelAdLoop: Attempting to pass blank hook name to ") + op
            + ". Please use a non-blank string for hook name.";
    };
    std::vector<Case> cases {
        {"appAdIsAvailable", [](auto const& h) { return int(KestrelAdLoop::appAdIsAvailable(h)); },
            0, 0, enable + "appAdIsAvailable.", blankText("appAdIsAvailable")},
        {"getAppAdCount", [](auto const& h) { return KestrelAdLoop::getAppAdCount(h); }, 0, -1,
            "KestrelAdLoop: Please enable AdLoop from Kestrel SDK before using getAppAdCount.",
            blankText("getAppAdCount")},
        {"getOfferCount", [](auto const& h) { return KestrelAdLoop::getOfferCount(h); }, 0, -1,
            "KestrelAdLoop: Please enable AdLoop from Kestrel SDK before using getOfferCount.",
            blankText("getOfferCount")},
        {"getHook",
            [&](auto const& h) { return int(bool(KestrelAdLoop::getHook(h, 0, 0, host.get()))); },
            0, 0, enable + "banners.", blankText("getHook")},
        {"getOffer", [&](auto const& h) { return int(KestrelAdLoop::getOffer(h, offer.get())); }, 0,
            0, enable + "getOffer.", blankText("getOffer")},
        {"peekOffer", [&](auto const& h) { return int(KestrelAdLoop::peekOffer(h, offer.get())); },
            0, 0, enable + "peekOffer.", blankText("peekOffer")},
        {"openCatalog",
            [&](auto const& h) {
                KestrelAdLoop::openCatalog(h, "portrait", false);
                return int(closeSurfaces());
            },
            0, 0, enable + "openCatalog.", blankText("openCatalog")},
        {"openTakeover",
            [&](auto const& h) {
                KestrelAdLoop::openTakeover(h, "portrait", nullptr, std::nullopt, std::nullopt);
                return int(closeSurfaces());
            },
            0, 0, enable + "openTakeover.", blankText("openTakeover")},
    };
    for (auto const& c : cases) {
        KestrelAdLoop::setAdLoopEnabled(false);
        EXPECT_EQ(c.call("banner"), c.disabledValue) << c.name;
        EXPECT_EQ(takeAlert(), c.disabled) << c.name;
        KestrelAdLoop::setAdLoopEnabled(true);
        for (auto const& blank : {std::optional<std::string>(), std::optional<std::string>(""),
                 std::optional<std::string>("   ")}) {
            EXPECT_EQ(c.call(blank), c.blankValue) << c.name;
            EXPECT_EQ(takeAlert(), c.blank) << c.name;
        }
        EXPECT_NE(c.call("banner"), c.blankValue) << c.name << " with a hook";
        EXPECT_EQ(takeAlert(), "") << c.name;
    }
}

TEST_F(KestrelAdLoopTest, DisablingStartsNothing) {
    KestrelAdLoop::setAdLoopEnabled(false);
    EXPECT_FALSE(KestrelAdLoop::adLoopEnabled());
    EXPECT_FALSE(analytics::KestrelHeartBeater::instance());
    KestrelAdLoop::setAdLoopEnabled(true);
    EXPECT_TRUE(KestrelAdLoop::adLoopEnabled());
    EXPECT_TRUE(analytics::KestrelHeartBeater::instance());
}

TEST_F(KestrelAdLoopTest, CountsComeFromTheParsedReply) {
    KestrelAdLoop::setAdLoopEnabled(true);
    EXPECT_EQ(KestrelAdLoop::getAppAdCount("banner"), 0) << "no reply yet";
    EXPECT_FALSE(KestrelAdLoop::appAdIsAvailable("banner"));
    parseViewsReply();
    EXPECT_EQ(KestrelAdLoop::getAppAdCount("banner"), 2);
    EXPECT_EQ(KestrelAdLoop::getOfferCount("banner"), 2);
    EXPECT_TRUE(KestrelAdLoop::appAdIsAvailable("banner"));
}

TEST_F(KestrelAdLoopTest, GetHookPlacesOneThemedBannerPerHookAndView) {
    KestrelAdLoop::setAdLoopEnabled(true);
    parseViewsReply();
    auto banner = KestrelAdLoop::getHook("banner", 0, 100, host.get());
    ASSERT_TRUE(banner);
    EXPECT_EQ(banner->superview(), host.get());
    EXPECT_TRUE(banner->theme());
    EXPECT_TRUE(banner->canvasAnimated());
    EXPECT_EQ(banner->adImpression()->currentState(), 2) << "not yet found on screen";
    // The heartbeat runs on its timer under the manual clock.
    foundation::RunLoop::main().runFor(1.1);
    EXPECT_EQ(banner->adImpression()->currentState(), 3);
    EXPECT_EQ(KestrelAdLoop::getHook("banner", 0, 0, host.get()), banner);
    auto other = ui::View::create(graphics::makeRect(0, 0, 320, 200));
    host->addSubview(other);
    auto second = KestrelAdLoop::getHook("banner", 0, 0, other.get());
    ASSERT_TRUE(second);
    EXPECT_NE(second, banner);
    KestrelAdLoop::removeHook(banner.get());
    auto again = KestrelAdLoop::getHook("banner", 0, 0, host.get());
    ASSERT_TRUE(again);
    EXPECT_NE(again, banner);
    EXPECT_NE(again->ad()->adId(), banner->ad()->adId()) << "the view already shows that ad";
}

TEST_F(KestrelAdLoopTest, UpdateHookMovesToTheNextAd) {
    KestrelAdLoop::setAdLoopEnabled(true);
    parseViewsReply();
    auto banner = KestrelAdLoop::getHook("banner", 0, 100, host.get());
    ASSERT_TRUE(banner);
    auto first = banner->ad()->adId();
    KestrelAdLoop::updateHook(banner.get());
    EXPECT_NE(banner->ad()->adId(), first);
    KestrelAdLoop::updateHook(nullptr);
}

TEST_F(KestrelAdLoopTest, OffersRotateOrPeek) {
    KestrelAdLoop::setAdLoopEnabled(true);
    parseViewsReply();
    auto offer = KestrelOffer::create();
    EXPECT_TRUE(KestrelAdLoop::peekOffer("banner", offer.get()));
    auto peeked = offer->appName;
    EXPECT_TRUE(KestrelAdLoop::peekOffer("banner", offer.get()));
    EXPECT_EQ(offer->appName, peeked);
    EXPECT_FALSE(offer->referralUrl);
    ads::kestrel::KestrelCookies cookies {{"u", "a b"}};
    EXPECT_TRUE(KestrelAdLoop::getOffer("banner", offer.get(), &cookies));
    EXPECT_EQ(offer->appName, peeked);
    ASSERT_TRUE(offer->referralUrl);
    EXPECT_EQ(offer->referralUrl->substr(offer->referralUrl->size() - 10), "&c_u=a%20b");
    EXPECT_TRUE(KestrelAdLoop::getOffer("banner", offer.get()));
    EXPECT_NE(offer->appName, peeked);
    EXPECT_FALSE(KestrelAdLoop::getOffer("banner", nullptr));
}

}

namespace {

struct SurfaceDelegate : ads::kestrel::KestrelAdDelegate {
    std::vector<std::string> calls;
    void canvasWillDisplay(std::optional<std::string> const& hook) override {
        calls.push_back("canvas " + hook.value_or("(null)"));
    }
    void canvasWillClose() override { calls.push_back("canvas closed"); }
    void takeoverWillDisplay(std::optional<std::string> const& hook) override {
        calls.push_back("takeover " + hook.value_or("(null)"));
    }
    void takeoverWillClose() override { calls.push_back("takeover closed"); }
};

TEST_F(KestrelAdLoopTest, ResignActiveClosesCanvasAndTakeover) {
    parseViewsReply(3);
    KestrelAdLoop::setAdLoopEnabled(true);
    SurfaceDelegate delegate;
    KestrelAdLoop::setAdLoopDelegate(&delegate);
    KestrelAdLoop::openCatalog("banner", "portrait", false);
    auto* canvas = KestrelAdCanvasViewController::getOpenCanvasController();
    ASSERT_TRUE(canvas);
    EXPECT_EQ(canvas->clickAction(), 1);
    EXPECT_TRUE(canvas->isCanvasMode() || canvas->ad()->canvasId().value_or(0) == 0);
    EXPECT_EQ(canvas->adImpression()->adFormat(), 2);
    EXPECT_EQ(canvas->adImpression()->hook(), "banner");
    ASSERT_TRUE(canvas->webUrl());
    EXPECT_EQ(canvas->webUrl()->rfind("http://ads.test/getCanvas.do?", 0), 0u);
    EXPECT_EQ(canvas->appStoreUrl()->rfind("http://ads.test/getIPhoneApp.do?", 0), 0u);
    KestrelAdLoop::openTakeover("banner", "portrait", nullptr, "10 coins", std::nullopt);
    auto* takeover = KestrelAdTakeOverViewController::getOpenTakeOverController();
    ASSERT_TRUE(takeover);
    EXPECT_EQ(takeover->adImpression()->adFormat(), 4);
    EXPECT_EQ(takeover->rewardMessage(), "10 coins");
    EXPECT_EQ(takeover->subAdHook(3), "Kestrel_Canvas_Hook_3");
    EXPECT_FALSE(takeover->subAd(1)) << "a phone has no further apps";
    EXPECT_EQ(takeover->view()->window(), KestrelAdTakeOverViewController::takeOverWindow());
    ui::Application::sharedApplication().resignActive();
    foundation::RunLoop::main().runFor(0.1);
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
    EXPECT_FALSE(KestrelAdTakeOverViewController::getOpenTakeOverController());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(delegate.calls,
        (std::vector<std::string> {
            "canvas banner", "takeover banner", "takeover closed", "canvas closed"}));
}

TEST_F(KestrelAdLoopTest, TakeoverOnATabletCarriesTheFurtherApps) {
    ui::Device::currentDevice().setUserInterfaceIdiom(ui::Device::Idiom::Pad);
    for (int hooks : {2, 0}) {
        parseViewsReply(hooks);
        KestrelAdLoop::setAdLoopEnabled(true);
        KestrelAdLoop::openTakeover("banner", "portrait", nullptr, std::nullopt, std::nullopt);
        auto* takeover = KestrelAdTakeOverViewController::getOpenTakeOverController();
        ASSERT_TRUE(takeover) << hooks;
        EXPECT_EQ(bool(takeover->subAd(1)), hooks >= 1) << hooks;
        EXPECT_EQ(bool(takeover->subAd(2)), hooks >= 2) << hooks;
        EXPECT_FALSE(takeover->subAd(3)) << hooks;
        EXPECT_EQ(bool(takeover->iconButton(2)), hooks >= 2) << hooks;
        EXPECT_TRUE(closeSurfaces());
    }
}

TEST_F(KestrelAdLoopTest, NoAdOpensNothing) {
    parseViewsReply(0);
    KestrelAdLoop::setAdLoopEnabled(true);
    KestrelAdLoop::openCatalog("Kestrel_Canvas_Hook_1", "portrait", false);
    KestrelAdLoop::openTakeover(
        "Kestrel_Canvas_Hook_1", "portrait", nullptr, std::nullopt, std::nullopt);
    EXPECT_FALSE(KestrelAdCanvasViewController::getOpenCanvasController());
    EXPECT_FALSE(KestrelAdTakeOverViewController::getOpenTakeOverController());
    EXPECT_EQ(takeAlert(), "");
}

}

namespace {

TEST_F(KestrelAdLoopTest, TheCatalogLogsNeitherTheKeyNorTheCookie) {
    parseViewsReply(0);
    startSession("SECRETKEY");
    KestrelAdLoop::setAdLoopEnabled(true);
    analytics::KestrelUtil::setDebugLogEnabled(true);
    test::LogCapture log;
    KestrelAdLoop::openCatalog("banner", "portrait", false);
    auto* canvas = KestrelAdCanvasViewController::getOpenCanvasController();
    ASSERT_TRUE(canvas);
    ASSERT_TRUE(canvas->webUrl());
    EXPECT_NE(canvas->webUrl()->find("apik=SECRETKEY"), std::string::npos);
    canvas->didFailLoadWithError(*canvas->webView(),
        foundation::URLError::make(foundation::URLError::CannotFindHost, *canvas->webUrl()));
    EXPECT_TRUE(log.contains("KestrelAdLoop: Click url[http://ads.test/getCanvas.do]"));
    EXPECT_TRUE(log.contains("Kestrel: fail to load canvas screen"));
    auto cookie = canvas->ad()->adCookieString();
    for (auto const& line : log.lines()) {
        EXPECT_EQ(line.find("SECRETKEY"), std::string::npos) << line;
        if (!cookie.empty()) {
            EXPECT_EQ(line.find(cookie), std::string::npos) << line;
        }
    }
    analytics::KestrelUtil::setDebugLogEnabled(false);
    EXPECT_TRUE(closeSurfaces());
}

}
