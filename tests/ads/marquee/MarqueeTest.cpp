#include "MarqueeTestSupport.hpp"

#include <ads/marquee/MQDefaultViewController.hpp>
#include <ads/marquee/Marquee.hpp>

#include <foundation/Clock.hpp>
#include <foundation/RunLoop.hpp>
#include <foundation/Strings.hpp>
#include <foundation/URLConnection.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Animator.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <gtest/gtest.h>

using ads::marquee::Marquee;
using ads::marquee::MQDefaultViewController;
using ads::marquee::MQView;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

class Recorder final : public ads::marquee::MarqueeDelegate {
public:
    bool shouldRequestInterstitial() override {
        log.push_back("shouldRequest");
        return allowRequest;
    }
    bool shouldDisplayInterstitial(MQView&) override {
        log.push_back("shouldDisplayInterstitial");
        return allowDisplay;
    }
    void didReturnWithNoInterstitial() override { log.push_back("noInterstitial"); }
    void didDismissInterstitial(MQView&) override { log.push_back("dismissInterstitial"); }
    void didCloseInterstitial(MQView&) override { log.push_back("closeInterstitial"); }
    void didClickInterstitial(MQView&) override { log.push_back("clickInterstitial"); }
    bool shouldDisplayMoreApps(MQView&) override {
        log.push_back("shouldDisplayMoreApps");
        return allowDisplay;
    }
    void didReturnWithNoMoreAppsPage() override { log.push_back("noMoreApps"); }
    void didDismissMoreApps(MQView&) override { log.push_back("dismissMoreApps"); }
    void didCloseMoreApps(MQView&) override { log.push_back("closeMoreApps"); }
    void didClickMoreApps(MQView&) override { log.push_back("clickMoreApps"); }

    std::vector<std::string> log;
    bool allowRequest {true};
    bool allowDisplay {true};
};

std::string const pageReply = R"({"status":200,"html":"<html><body>ad</body></html>",)"
                              R"("ad_id":"42","to":"app 7","cgn":"c&1","creative":9})";

class MarqueeTest : public ::testing::Test {
protected:
    MarqueeTest() {
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        window = ui::Window::create({{0, 0}, {480, 320}});
        window->makeKeyAndVisible();
        ui::Application::sharedApplication().setStatusBarOrientation(
            ui::InterfaceOrientation::Portrait);
        ui::WebView::setFactory([this](graphics::Rect frame) {
            auto view = test::ScriptedWebView::create(frame);
            webViews.push_back(view);
            return view;
        });
        auto& marquee = Marquee::sharedMarquee();
        marquee.setAppId(test::MarqueeAppId);
        marquee.setAppSignature(test::MarqueeAppSignature);
        marquee.setDelegate(&recorder);
        server.route("POST", "/api/click.json", HttpResponse::text("{}"));
        server.route("POST", "/api/install.json", HttpResponse::text("{}"));
    }
    ~MarqueeTest() override {
        Marquee::purgeSharedMarquee();
        MQDefaultViewController::purgeSharedController();
        ui::WebView::setFactory(nullptr);
        ui::Animator::reset();
        foundation::RunLoop::main().reset();
        ui::Application::reset();
        foundation::URLConnection::setCertificateAuthorityFile({});
    }

    static Marquee& marquee() { return Marquee::sharedMarquee(); }
    static MQDefaultViewController& presenter() {
        return MQDefaultViewController::sharedController();
    }

    bool waitFor(std::function<bool()> done) {
        return foundation::RunLoop::main().runUntil(std::move(done), 20);
    }
    bool logHas(std::string const& entry) const {
        return std::find(recorder.log.begin(), recorder.log.end(), entry) != recorder.log.end();
    }
    // Lets late news arrive.
    void settle() {
        foundation::RunLoop::main().runUntil([] { return false; }, 0.2);
    }
    void animate(double seconds) { foundation::RunLoop::main().runFor(seconds); }

    // Loads an interstitial from reply and waits until it is on screen (or declined).
    MQView* showPage(std::string const& reply = pageReply) {
        server.route("POST", "/api/get.json", HttpResponse::text(reply));
        marquee().loadInterstitial();
        if (!waitFor([&] { return logHas("shouldDisplayInterstitial"); }))
            return nullptr;
        return marquee().pages().empty() ? nullptr : marquee().pages().back().get();
    }
    MQView* showMoreApps() {
        server.route("POST", "/api/more.json", HttpResponse::text(pageReply));
        marquee().loadMoreApps();
        if (!waitFor([&] { return logHas("shouldDisplayMoreApps"); }))
            return nullptr;
        return marquee().pages().empty() ? nullptr : marquee().pages().back().get();
    }
    static test::ScriptedWebView& scripted(MQView& page) {
        return dynamic_cast<test::ScriptedWebView&>(page.webView());
    }
    bool loadingViewInWindow() const {
        for (auto const& view : window->subviews()) {
            if (dynamic_cast<ads::marquee::MQLoadingView*>(view.get()))
                return true;
        }
        return false;
    }
    std::vector<test::HttpRequest> requestsTo(std::string const& path) const {
        std::vector<test::HttpRequest> found;
        for (auto const& request : server.requests()) {
            if (request.path == path)
                found.push_back(request);
        }
        return found;
    }
    static std::vector<std::string> opened() {
        return ui::Application::sharedApplication().openedExternalURLs();
    }

    foundation::ScopedManualClock clock;
    LoopbackServer server {LoopbackServer::Tls::Trusted};
    LoopbackServer links;
    test::MarqueeDeviceScope scope {server.baseURL() + "/"};
    base::Ref<ui::Window> window;
    std::vector<base::Ref<test::ScriptedWebView>> webViews;
    Recorder recorder;
};

}

TEST_F(MarqueeTest, InstallAndGetSendGoldenSignedBodies) {
    server.route("POST", "/api/get.json", HttpResponse::text(R"({"status":404})"));
    marquee().install();
    marquee().loadInterstitial("Main Menu & Shop=1+2 \xC3\xA9");
    ASSERT_TRUE(waitFor([&] { return logHas("noInterstitial"); }));
    // The install goes out on a connection of its own, whose reply nobody waits for.
    ASSERT_TRUE(server.waitForRequests(2, 10));
    // curl sends a request again once when a kept-alive connection it reused was
    // closed, so a body may come twice; each must be the golden one.
    auto install = requestsTo("/api/install.json");
    ASSERT_FALSE(install.empty());
    EXPECT_EQ(install.back().body,
        "model=iPhone&os=4.3.1&ui=0&uuid=0F1E2D3C-uuid&country=DE&language=de&bundle=1.0&"
        "sdk=2.5.7&app=5b1c9e0a7d3f42e86a0b7c13&signature=560d052ad0b4b4cef0beee25119f199d&");
    auto get = requestsTo("/api/get.json");
    ASSERT_FALSE(get.empty());
    EXPECT_EQ(get.back().body,
        "model=iPhone&os=4.3.1&ui=0&uuid=0F1E2D3C-uuid&country=DE&language=de&bundle=1.0&"
        "sdk=2.5.7&location=Main%20Menu%20%26%20Shop%3D1%2B2%20%C3%A9&"
        "app=5b1c9e0a7d3f42e86a0b7c13&signature=ef06d5a9cd582640d67e56533631e50c&");
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"shouldRequest", "noInterstitial"}));
    EXPECT_TRUE(marquee().pages().empty());
}

TEST_F(MarqueeTest, CacheAddsItsPairToGetAndMore) {
    server.route("POST", "/api/get.json", HttpResponse::text("{}"));
    server.route("POST", "/api/more.json", HttpResponse::text("{}"));
    marquee().setCache(true);
    marquee().loadInterstitial();
    marquee().loadMoreApps();
    ASSERT_TRUE(waitFor([&] { return logHas("noInterstitial") && logHas("noMoreApps"); }));
    EXPECT_NE(requestsTo("/api/get.json")[0].body.find("&location=Default&cache=1&app="),
        std::string::npos);
    EXPECT_NE(
        requestsTo("/api/more.json")[0].body.find("&sdk=2.5.7&cache=1&app="), std::string::npos);
}

TEST_F(MarqueeTest, ADecliningDelegateCancelsTheGetCall) {
    recorder.allowRequest = false;
    marquee().loadInterstitial();
    settle();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"shouldRequest"}));
}

TEST_F(MarqueeTest, AnInterstitialPopsInAndClosesThroughItsCloseLink) {
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    base::Ref<MQView> held(page);
    EXPECT_EQ(page->state(), MQView::OnScreen);
    EXPECT_EQ(page->type(), MQView::Interstitial);
    EXPECT_EQ(page->superview(), window.get());
    // The page has no file base: it reaches nothing local.
    EXPECT_EQ(page->webView().request().URL(), "about:blank");
    EXPECT_EQ(page->webView().pageContent(), "<html><body>ad</body></html>");
    animate(MQDefaultViewController::AnimationDuration / 2);
    EXPECT_GT(page->presentation().transform.a, 0.95f);

    // A second finished load (a frame) is not offered again.
    page->webView().loadHTMLString("<p>frame</p>", "about:blank");
    settle();
    EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(), "shouldDisplayInterstitial"), 1);

    recorder.log.clear();
    EXPECT_TRUE(scripted(*page).fireNavigation("marquee://close"));
    EXPECT_EQ(
        recorder.log, (std::vector<std::string> {"dismissInterstitial", "closeInterstitial"}));
    EXPECT_EQ(page->state(), MQView::Dismissing);
    EXPECT_TRUE(marquee().pages().empty());
    animate(1);
    EXPECT_EQ(page->superview(), nullptr);
    EXPECT_EQ(page->state(), MQView::Loaded);
}

TEST_F(MarqueeTest, ALinkReportsTheClickFollowsRedirectsAndOpensTheLastSender) {
    links.route("GET", "/r1", HttpResponse::redirect(302, "/r2"));
    links.route("GET", "/r2", HttpResponse::redirect(302, "/r3"));
    links.route("GET", "/r3", HttpResponse::redirect(302, "/store"));
    links.route("GET", "/store", HttpResponse::text("store"));
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    base::Ref<MQView> held(page);
    animate(1);
    recorder.log.clear();
    auto target = foundation::addingStrictPercentEscapes(links.url("/r1"));
    EXPECT_TRUE(scripted(*page).fireNavigation("marquee://link/" + target));
    EXPECT_EQ(
        recorder.log, (std::vector<std::string> {"dismissInterstitial", "clickInterstitial"}));
    EXPECT_TRUE(presenter().loadingViewIsVisible());
    EXPECT_TRUE(marquee().pages().empty());
    ASSERT_TRUE(waitFor([&] { return !opened().empty(); }));
    EXPECT_EQ(opened(), (std::vector<std::string> {links.url("/r3")}));
    EXPECT_FALSE(loadingViewInWindow());
    auto clicks = requestsTo("/api/click.json");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_NE(
        clicks[0].body.find("&sdk=2.5.7&to=app%207&cgn=c%261&creative=9&app="), std::string::npos)
        << clicks[0].body;
    animate(1);
    EXPECT_EQ(page->superview(), nullptr);
}

TEST_F(MarqueeTest, AnOpenableDeepUrlIsPreferredAndAnUnopenableOneFallsBack) {
    links.route("GET", "/deep", HttpResponse::text("deep"));
    links.route("GET", "/escaped", HttpResponse::text("escaped"));
    struct Case {
        std::string deepURL;
        std::string expected;
    };
    std::vector<Case> cases {
        {links.url("/deep"), links.url("/deep")},
        {"store-app://item/5", links.url("/escaped")},
    };
    for (auto const& c : cases) {
        ui::Application::reset();
        window->makeKeyAndVisible();
        recorder.log.clear();
        auto* page = showPage(R"({"status":200,"html":"<p>","deep_url":")" + c.deepURL + "\"}");
        ASSERT_NE(page, nullptr);
        scripted(*page).fireNavigation(
            "marquee://link/" + foundation::addingStrictPercentEscapes(links.url("/escaped")));
        ASSERT_TRUE(waitFor([&] { return !opened().empty(); }));
        EXPECT_EQ(opened(), (std::vector<std::string> {c.expected}));
        animate(1);
    }
}

TEST_F(MarqueeTest, OtherActionsOnlyNotifyAndShortLinksAreIgnored) {
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    recorder.log.clear();
    EXPECT_TRUE(scripted(*page).fireNavigation("marquee://other"));
    EXPECT_TRUE(scripted(*page).fireNavigation("marquee:"));
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"dismissInterstitial"}));
    EXPECT_EQ(page->state(), MQView::OnScreen);
    EXPECT_EQ(marquee().pages().size(), 1u);
}

TEST_F(MarqueeTest, CloseOnAPageThatIsNotOnScreenStartsNoDismissal) {
    recorder.allowDisplay = false;
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    base::Ref<MQView> held(page);
    EXPECT_EQ(page->state(), MQView::Loaded);
    EXPECT_EQ(page->superview(), nullptr);
    recorder.log.clear();
    scripted(*page).fireNavigation("marquee://close");
    EXPECT_EQ(
        recorder.log, (std::vector<std::string> {"dismissInterstitial", "closeInterstitial"}));
    EXPECT_EQ(page->state(), MQView::Loaded);
    EXPECT_TRUE(marquee().pages().empty());
}

TEST_F(MarqueeTest, ShowInterstitialPutsALoadedPageOnScreenAndReportsIt) {
    server.route("POST", "/api/show.json", HttpResponse::text("{}"));
    recorder.allowDisplay = false;
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    marquee().showInterstitial(window.get());
    marquee().showInterstitial(page);
    EXPECT_EQ(page->state(), MQView::OnScreen);
    EXPECT_EQ(page->superview(), window.get());
    ASSERT_TRUE(waitFor([&] { return requestsTo("/api/show.json").size() == 1; }));
    EXPECT_NE(
        requestsTo("/api/show.json")[0].body.find("&sdk=2.5.7&ad_id=42&app="), std::string::npos);
}

TEST_F(MarqueeTest, TheMoreAppsPageReplacesTheLoadingViewAndItsLinkCarriesTheJsonPairs) {
    links.route("GET", "/more", HttpResponse::text("store"));
    auto* page = showMoreApps();
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(loadingViewInWindow());
    EXPECT_EQ(page->state(), MQView::OnScreen);
    animate(1);
    recorder.log.clear();
    // Four parts: ignored without a word.
    scripted(*page).fireNavigation("marquee://link/x");
    EXPECT_TRUE(recorder.log.empty());
    auto json = foundation::addingStrictPercentEscapes(
        R"({"to":"t","cgn":"g","creative":"c","type":"more","more_type":3,"extra":"no"})");
    scripted(*page).fireNavigation("marquee://link/"
        + foundation::addingStrictPercentEscapes(links.url("/more")) + "/" + json);
    EXPECT_EQ(recorder.log, (std::vector<std::string> {"dismissMoreApps", "clickMoreApps"}));
    ASSERT_TRUE(waitFor([&] { return !opened().empty(); }));
    EXPECT_EQ(opened(), (std::vector<std::string> {links.url("/more")}));
    EXPECT_NE(requestsTo("/api/click.json")[0].body.find(
                  "&sdk=2.5.7&to=t&cgn=g&creative=c&type=more&more_type=3&app="),
        std::string::npos);
    EXPECT_FALSE(loadingViewInWindow());
}

// Each way a loading view can be left up ends with it gone.
TEST_F(MarqueeTest, EveryFailureTakesTheLoadingViewDown) {
    links.route("GET", "/gone", HttpResponse::dropped());
    struct Case {
        char const* name;
        std::function<void()> play;
        std::vector<std::string> log;
    };
    auto moreReply = [&](HttpResponse response) {
        return [this, response] {
            server.route("POST", "/api/more.json", response);
            marquee().loadMoreApps();
            EXPECT_TRUE(presenter().loadingViewIsVisible());
            EXPECT_TRUE(waitFor([&] { return server.requestCount() > 0; }));
        };
    };
    auto linkFrom = [&](std::string url, HttpResponse clickReply) {
        return [this, url, clickReply] {
            auto* page = showPage();
            ASSERT_NE(page, nullptr);
            server.route("POST", "/api/click.json", clickReply);
            recorder.log.clear();
            scripted(*page).fireNavigation(url);
            EXPECT_TRUE(presenter().loadingViewIsVisible());
            EXPECT_TRUE(waitFor([&] { return requestsTo("/api/click.json").size() == 1; }));
        };
    };
    std::vector<Case> cases {
        {"more not 2xx", moreReply(HttpResponse::text("{}", 500)), {"shouldRequest"}},
        {"more not an object", moreReply(HttpResponse::text("[1]")), {"shouldRequest"}},
        {"more dropped", moreReply(HttpResponse::dropped()), {"shouldRequest"}},
        {"more without a page", moreReply(HttpResponse::text(R"({"status":200})")),
            {"shouldRequest", "noMoreApps"}},
        {"more status as text", moreReply(HttpResponse::text(R"({"status":"200","html":"x"})")),
            {"shouldRequest", "noMoreApps"}},
        {"more html not text", moreReply(HttpResponse::text(R"({"status":200,"html":7})")),
            {"shouldRequest", "noMoreApps"}},
        {"more declined",
            [this] {
                recorder.allowDisplay = false;
                showMoreApps();
            },
            {"shouldRequest", "shouldDisplayMoreApps"}},
        {"click fails",
            linkFrom(
                "marquee://link/" + foundation::addingStrictPercentEscapes(links.url("/store")),
                HttpResponse::text("{}", 503)),
            {"dismissInterstitial", "clickInterstitial"}},
        {"opener fails",
            linkFrom("marquee://link/" + foundation::addingStrictPercentEscapes(links.url("/gone")),
                HttpResponse::text("{}")),
            {"dismissInterstitial", "clickInterstitial"}},
        {"no target", linkFrom("marquee://link", HttpResponse::text("{}")),
            {"dismissInterstitial", "clickInterstitial"}},
    };
    for (auto& c : cases) {
        server.clearRequests();
        recorder.log.clear();
        recorder.allowDisplay = true;
        c.play();
        settle();
        EXPECT_FALSE(loadingViewInWindow()) << c.name;
        EXPECT_FALSE(presenter().loadingViewIsVisible()) << c.name;
        EXPECT_EQ(recorder.log, c.log) << c.name;
        EXPECT_TRUE(opened().empty()) << c.name;
        animate(1);
        Marquee::purgeSharedMarquee();
        marquee().setAppId(test::MarqueeAppId);
        marquee().setAppSignature(test::MarqueeAppSignature);
        marquee().setDelegate(&recorder);
    }
}

TEST_F(MarqueeTest, WithoutAnApiRootNothingIsSentAndTheLoadingViewComesDown) {
    test::LogCapture logs;
    ads::marquee::MQConfiguration::setUp({{}, test::MarqueeInstallation});
    Marquee::purgeSharedMarquee();
    marquee().setAppId(test::MarqueeAppId);
    marquee().setAppSignature(test::MarqueeAppSignature);
    marquee().setDelegate(&recorder);
    marquee().install();
    marquee().loadMoreApps();
    EXPECT_TRUE(presenter().loadingViewIsVisible());
    settle();
    EXPECT_FALSE(presenter().loadingViewIsVisible());
    EXPECT_EQ(server.requestCount(), 0u);
    // The refusal is logged, without the signatures.
    EXPECT_TRUE(logs.contains("no API root"));
    EXPECT_FALSE(logs.contains(test::MarqueeAppSignature));
    EXPECT_FALSE(logs.contains("signature="));
}

TEST(MarqueeActionURL, SplitsAtEverySlash) {
    struct Case {
        std::string url;
        std::vector<std::string> parts;
    };
    std::vector<Case> cases {
        {"marquee://close", {"marquee:", "", "close"}},
        {"marquee://link/http%3A%2F%2Fx/%7B%7D",
            {"marquee:", "", "link", "http%3A%2F%2Fx", "%7B%7D"}},
        {"marquee:", {"marquee:"}},
        {"", {""}},
        {"marquee://link/", {"marquee:", "", "link", ""}},
    };
    for (auto const& c : cases)
        EXPECT_EQ(Marquee::actionURLParts(c.url), c.parts) << c.url;
}

TEST(MarqueeActionURL, LinkJsonGivesOnlyItsTextAndNumberFields) {
    struct Case {
        std::string part;
        std::vector<ads::marquee::MQParams::Entry> click;
        std::optional<std::string> deepURL;
    };
    std::vector<Case> cases {
        {"%7B%22to%22%3A%22a%22%2C%22cgn%22%3A2%2C%22deep_url%22%3A%22s%3A%2F%2Fx%22%7D",
            {{"to", "a"}, {"cgn", "2"}}, "s://x"},
        {"%7B%22to%22%3A%5B1%5D%2C%22type%22%3Anull%2C%22creative%22%3Atrue%7D", {}, std::nullopt},
        {"not json", {}, std::nullopt},
        {"%5B1%5D", {}, std::nullopt},
        {"%ZZ", {}, std::nullopt},
        {"%C3%A9", {}, std::nullopt},
    };
    for (auto const& c : cases) {
        auto fields = Marquee::linkFieldsFromJSONPart(c.part);
        EXPECT_EQ(fields.click.entries(), c.click) << c.part;
        EXPECT_EQ(fields.deepURL, c.deepURL) << c.part;
    }
}

TEST_F(MarqueeTest, APageLetGoOutlivesTheClientSafely) {
    auto* page = showPage();
    ASSERT_NE(page, nullptr);
    base::Ref<MQView> held(page);
    scripted(*page).fireNavigation("marquee://close");
    EXPECT_TRUE(marquee().pages().empty());
    Marquee::purgeSharedMarquee();
    EXPECT_EQ(held->delegate(), nullptr);
    recorder.log.clear();
    EXPECT_TRUE(scripted(*held).fireNavigation("marquee://close"));
    EXPECT_TRUE(recorder.log.empty());
}
