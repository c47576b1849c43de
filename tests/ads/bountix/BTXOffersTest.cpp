#include "BountixTestSupport.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXVideo.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>

#include <foundation/RunLoop.hpp>
#include <foundation/UserDefaults.hpp>
#include <support/LogCapture.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ads::bountix;
using test::HttpResponse;

namespace {

class BTXOffersTest : public test::BountixTest {
protected:
    BTXOffersTest() {
        ui::Application::reset();
        ui::Animator::reset();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return test::ScriptedWebView::create(frame);
        });
        window = ui::Window::create({0, 0, 320, 480});
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        BountixConnect::sharedBountixConnect().initConnectWithAppID(AppID, SecretKey);
        primary.route("GET", "/get_offers/webpage",
            HttpResponse::text("<html><title>Earn</title></html>", 200, "text/html"));
    }
    ~BTXOffersTest() override {
        BTXOffersWebView::setVideoStarter(nullptr);
        BTXVideoManager::resetShared();
        BTXOffersWebView::resetShared();
        BTXCallsWrapper::resetShared();
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        ui::Application::reset();
    }

    static BTXOffersWebView& wall() { return BTXOffersWebView::sharedBTXOffersWebView(); }
    static test::ScriptedWebView& page() {
        return dynamic_cast<test::ScriptedWebView&>(wall().webView());
    }
    static bool runUntil(std::function<bool()> done) {
        return foundation::RunLoop::main().runUntil(std::move(done), 20);
    }
    // Moves the clock on and lets the run loop fire what fell due.
    void advance(double seconds) {
        clock->advance(seconds);
        foundation::RunLoop::main().runUntil([] { return false; }, 0.01);
    }
    std::vector<test::HttpRequest> wallRequests() const {
        std::vector<test::HttpRequest> found;
        for (auto const& request : primary.requests())
            if (request.path == "/get_offers/webpage")
                found.push_back(request);
        return found;
    }
    // The game's way in: effect 0, its colour, the wall over its root controller.
    void openAsTheGameDoes() {
        BountixConnect::setTransitionEffect(0);
        BountixConnect::setUserDefinedColorWithRed(255, 54, 90);
        BountixConnect::showOffersWithViewController(root.get());
    }

    base::Ref<ui::ViewController> root = ui::ViewController::create();
    base::Ref<ui::Window> window;
};

TEST_F(BTXOffersTest, TheGameOpensTheWallOverItsRootControllerSlidingUpInTheGamesColour) {
    openAsTheGameDoes();
    ASSERT_EQ(wall().superview(), root->view());
    EXPECT_EQ(BTXCallsWrapper::sharedBTXCallsWrapper().view()->alpha(), 0.0f);
    EXPECT_EQ(wall().parentVController(), root.get());
    ASSERT_NE(wall().navBar(), nullptr);
    EXPECT_EQ(wall().navBar()->tintColor(), ui::Color::colorWithBytes(255, 54, 90));
    EXPECT_EQ(wall().navBar()->navBarLeftBtn()->title(), "Back");
    EXPECT_EQ(wall().webView().frame(), (graphics::Rect {0, 44, 320, 436}));
    EXPECT_NEAR(wall().presentation().frame().origin.y, 480, 0.5) << "starts below the screen";
    advance(0.2);
    EXPECT_NEAR(wall().presentation().frame().origin.y, 240, 0.5);
    advance(0.25);
    EXPECT_NEAR(wall().presentation().frame().origin.y, 0, 0.5);

    ASSERT_TRUE(runUntil([&] { return wall().webPageRendered(); }));
    EXPECT_EQ(page().request().timeoutInterval(), 35);
    ASSERT_EQ(wallRequests().size(), 1u);
    auto const query = wallRequests()[0].query;
    EXPECT_NE(query.find(std::string("&app_id=") + AppID + "&"), std::string::npos) << query;
    EXPECT_TRUE(query.ends_with("&publisher_user_id=" + BountixConnect::getUserID())) << query;
    EXPECT_TRUE(wall().isViewVisible());
}

TEST_F(BTXOffersTest, TheOffersURLCarriesTheCurrencyPairsAndCachedVideos) {
    auto offer = [](std::string const& id) {
        auto entry = base::Dictionary::create();
        entry->setObject(BTXVideoObjOfferID, base::Value(id));
        return entry;
    };
    auto const base = primary.url("/");
    auto const head = BTXUIWebPageView::appendGenericParamsWithURL(base + "get_offers/webpage?")
        + "&publisher_user_id=" + BountixConnect::getUserID();
    struct Case {
        char const* currency;
        char const* selector;
        std::vector<std::string> videos;
        std::string tail;
    };
    std::vector<Case> const cases {
        {"", "", {}, ""},
        {"currency_id=gems", "currency_selector=1", {}, "&currency_id=gems&currency_selector=1"},
        {"currency_id=pièces", "", {}, "&currency_id=pièces"},
        {"", "currency_selector=0", {"A"}, "&currency_selector=0&video_offer_ids=A"},
        {"", "", {"A", "B"}, "&video_offer_ids=A,B"},
    };
    wall().setPublisherUserID(BountixConnect::getUserID());
    for (auto const& c : cases) {
        BTXVideoManager::resetShared();
        foundation::UserDefaults::resetStandardUserDefaults();
        for (auto const& id : c.videos)
            BTXVideoManager::sharedBTXVideoManager().setCachedVideoObjectDict(offer(id), id);
        wall().setCurrencyID(c.currency);
        wall().setIsSelectorVisible(c.selector);
        EXPECT_EQ(wall().setUpOffersURLWithServiceURL(base), head + c.tail) << c.tail;
    }
}

TEST_F(BTXOffersTest, ACurrencyShowIsRememberedByALaterPlainShow) {
    BountixConnect::setTransitionEffect(-1);
    auto& shown = BountixConnect::showOffersWithCurrencyID("gems", {0, 0, 320, 480}, false);
    EXPECT_EQ(shown.superview(), BTXCallsWrapper::sharedBTXCallsWrapper().view());
    EXPECT_EQ(BTXCallsWrapper::sharedBTXCallsWrapper().view()->alpha(), 1.0f);
    ASSERT_TRUE(runUntil([&] { return wallRequests().size() == 1; }));
    BountixConnect::showOffersWithViewController(root.get());
    ASSERT_TRUE(runUntil([&] { return wallRequests().size() == 2; }));
    for (auto const& request : wallRequests())
        EXPECT_TRUE(request.query.ends_with("&currency_id=gems&currency_selector=0"))
            << request.query;
    EXPECT_EQ(wall().superview(), root->view()) << "the second show moved the wall";
}

TEST_F(BTXOffersTest, WithoutItsBarTheWallUsesTheWholeHeight) {
    BountixConnect::setTransitionEffect(-1);
    BountixConnect::showOffersWithViewController(root.get());
    ASSERT_NE(wall().navBar(), nullptr);
    BountixConnect::showOffersWithViewController(root.get(), false);
    EXPECT_EQ(wall().navBar()->superview(), nullptr);
    EXPECT_FALSE(wall().isNavBarEnabled());
    EXPECT_EQ(wall().webView().frame(), (graphics::Rect {0, 0, 320, 480}));
}

TEST_F(BTXOffersTest, LinksStayInsideLeaveTheGameOrAreRefused) {
    BountixConnect::setTransitionEffect(-1);
    BountixConnect::showOffersWithViewController(root.get());
    BTXConfiguration configuration = BTXConfiguration::current();
    configuration.affiliateHost = "https://service-host.example/";
    BTXConfiguration::setUp(configuration);
    struct Case {
        std::string url;
        bool loads;
        bool leaves;
    };
    std::vector<Case> const cases {
        {primary.url("/get_offers/webpage?page=2"), true, false},
        {"https://service-host.example/click?o=1", true, false},
        {"https://track.service-host.example/click", true, false},
        {"https://evil-service-host.example/click", false, true},
        {"https://service-host.example.evil.net/", false, true},
        {"itms-apps://itunes.example/app/id1", false, true},
        {"btxvideo://video_id=V1", false, false},
    };
    for (auto const& c : cases) {
        ui::Application::reset();
        window = ui::Window::create({0, 0, 320, 480});
        EXPECT_EQ(page().fireNavigation(c.url), c.loads) << c.url;
        if (c.loads) {
            EXPECT_EQ(wall().lastURL(), c.url);
        }
        if (c.leaves) {
            ASSERT_TRUE(runUntil([] {
                return !ui::Application::sharedApplication().openedExternalURLs().empty();
            })) << c.url;
            EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs().front(), c.url);
            EXPECT_EQ(wall().superview(), root->view()) << "leaving the game keeps the wall";
        }
    }
}

TEST_F(BTXOffersTest, VideoLinksStartTheVideoRecordTheClickAndNameTheReward) {
    std::vector<std::string> started;
    BTXOffersWebView::setVideoStarter([&](std::string const& id) { started.push_back(id); });
    primary.route("GET", "/click", HttpResponse::text("OK"));
    struct Case {
        std::string link;
        std::vector<std::string> started;
        char const* name;
        char const* amount;
        char const* logged;
    };
    std::vector<Case> const cases {
        {"btxvideo://video_id=A&click_url=" + primary.url("/click"), {"A"}, "currency", "some",
            nullptr},
        {"BTXVIDEO://video_id=A&amount=25&currency_name=pi%C3%A8ces%20d%27or&click_url="
                + primary.url("/click") + "&video_id=B",
            {"B"}, "pièces d'or", "25", nullptr},
        {"btxvideo://click_url=" + primary.url("/click"), {}, nullptr, nullptr,
            "Error: Video Offer ID not set"},
        {"btxvideo://video_id=A&amount=5", {}, nullptr, nullptr,
            "Error: Video Offer click URL not set"},
    };
    auto clicks = [&] {
        std::size_t count = 0;
        for (auto const& request : primary.requests())
            count += request.path == "/click";
        return count;
    };
    std::size_t expectedClicks = 0;
    for (auto const& c : cases) {
        started.clear();
        test::LogCapture log;
        EXPECT_FALSE(page().fireNavigation(c.link)) << c.link;
        expectedClicks += c.started.size();
        EXPECT_TRUE(runUntil([&] { return clicks() == expectedClicks; }))
            << "each started video records its click: " << c.link;
        EXPECT_EQ(started, c.started) << c.link;
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.link;
        }
        if (!c.name)
            continue;
        auto cached = BTXVideoManager::sharedBTXVideoManager().getCachedVideoDictonary();
        ASSERT_TRUE(cached);
        auto const* offer = cached->objectForKey(c.started.front()).dictionary();
        ASSERT_NE(offer, nullptr);
        EXPECT_EQ(*offer->objectForKey(BTXVideoObjCurrencyName).string(), c.name);
        EXPECT_EQ(*offer->objectForKey(BTXVideoObjCurrencyAmount).string(), c.amount);
    }
}

TEST_F(BTXOffersTest, VideoLinkPiecesAreReadAsTheyCome) {
    struct Case {
        char const* link;
        std::optional<std::string> id, click, amount, name;
    };
    Case const cases[] {
        {"btxvideo://", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"btxvideo://video_id", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"btxvideo://video_id=&click_url=", "", "", std::nullopt, std::nullopt},
        {"btxvideo://amount=99999999999999999999999&currency_name=%E2%82%AC", std::nullopt,
            std::nullopt, "99999999999999999999999", "€"},
        {"btxvideo://currency_name=%ZZ", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {"btxvideo://video_id=1&&x=2&video_id=3", "3", std::nullopt, std::nullopt, std::nullopt},
    };
    for (auto const& c : cases) {
        auto link = BTXVideoLink::parse(c.link);
        EXPECT_EQ(link.offerID, c.id) << c.link;
        EXPECT_EQ(link.clickURL, c.click) << c.link;
        EXPECT_EQ(link.amount, c.amount) << c.link;
        EXPECT_EQ(link.currencyName, c.name) << c.link;
    }
}

TEST_F(BTXOffersTest, BackSlidesTheWallOutThenPostsBothNotificationsInOrder) {
    openAsTheGameDoes();
    ASSERT_TRUE(runUntil([&] { return wall().webPageRendered(); }));
    advance(0.5);
    EXPECT_EQ(wall().navBar()->shownTitle(), "") << "the stand-in page answers no title";
    notifications.clear();
    wall().navBar()->navBarLeftBtn()->sendAction();
    advance(0.2);
    EXPECT_NEAR(wall().presentation().frame().origin.y, 240, 0.5);
    EXPECT_TRUE(notifications.empty()) << "nothing is said before the effect ends";
    advance(0.21);
    EXPECT_EQ(notifications,
        (std::vector<std::string> {"BTX_VIEW_CLOSED_NOTIFICATION", "BTX_SHOW_BOX_NOTIFICATION"}));
    EXPECT_EQ(wall().superview(), nullptr);
    EXPECT_FALSE(wall().isViewVisible());
    EXPECT_TRUE(wall().transform().isIdentity());
}

TEST_F(BTXOffersTest, TheBarTakesThePagesTitle) {
    BountixConnect::setTransitionEffect(-1);
    BountixConnect::showOffersWithViewController(root.get());
    page().answerScript("document.title", "Earn Vov Azavuz");
    ASSERT_TRUE(runUntil([&] { return wall().webPageRendered(); }));
    EXPECT_EQ(wall().navBar()->shownTitle(), "Earn Vov Azavuz");
    EXPECT_TRUE(wall().webView().isUserInteractionEnabled());
}

TEST_F(BTXOffersTest, RetryLoadsTheLastPageReachedOrAFreshOffersURL) {
    BountixConnect::setTransitionEffect(-1);
    primary.route("GET", "/get_offers/webpage", HttpResponse::dropped());
    BountixConnect::showOffersWithViewController(root.get());
    ASSERT_TRUE(runUntil([&] { return wall().retryAlert() != nullptr; }));
    EXPECT_FALSE(wall().webView().isUserInteractionEnabled());

    primary.route("GET", "/offer/7", HttpResponse::text("<html></html>", 200, "text/html"));
    wall().setLastURL(primary.url("/offer/7"));
    wall().clickedButtonAtIndex(*wall().retryAlert(), 1);
    EXPECT_EQ(wall().webView().request().URL(), primary.url("/offer/7"));
    ASSERT_TRUE(runUntil([&] { return wall().webPageRendered(); }));

    wall().setLastURL("not a url");
    auto alert = ui::AlertView::create("", "", nullptr, "Cancel", {"Retry"});
    wall().clickedButtonAtIndex(*alert, 1);
    EXPECT_TRUE(wall().webView().request().URL().starts_with(primary.url("/get_offers/webpage?")));
}

TEST_F(BTXOffersTest, ComingBackToTheForegroundReloadsAVisibleWall) {
    BountixConnect::setTransitionEffect(-1);
    primary.route("GET", "/connect", HttpResponse::text("<ok/>"));
    primary.route("GET", "/get_vg_store_items/user_account", HttpResponse::text("<ok/>"));
    BountixConnect::showOffersWithViewController(root.get());
    ASSERT_TRUE(runUntil([&] { return wallRequests().size() == 1; }));
    ASSERT_TRUE(runUntil([&] { return wall().isViewVisible(); }));
    BountixConnect::deviceNotificationReceived();
    ASSERT_TRUE(runUntil([&] { return wallRequests().size() == 2; }));
}

TEST_F(BTXOffersTest, TheViewControllerFormsNeedAController) {
    EXPECT_DEATH(BTXOffersViewHandler::showOffersWithViewController(nullptr),
        "View Controller provided must not be nil or some other object");
}

}
