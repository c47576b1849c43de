#include "KestrelViewsFixture.hpp"

#include <ads/kestrel/KestrelAdLoop.hpp>
#include <ads/kestrel/KestrelAdView.hpp>

#include <analytics/KestrelHeartBeater.hpp>

#include <ui/AlertView.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using ads::kestrel::KestrelAdLoop;
using ads::kestrel::KestrelAdParser;
using ads::kestrel::KestrelAdView;
using ads::kestrel::KestrelOffer;

namespace {

class KestrelAdLoopTest : public test::KestrelViewsTest {
protected:
    ~KestrelAdLoopTest() override {
        analytics::KestrelHeartBeater::resetInstance();
        foundation::NotificationCenter::defaultCenter().removeAllObservers();
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
