#include "MosaicTestSupport.hpp"

#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXAdapterMap.hpp>
#include <foundation/Clock.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Animator.hpp>

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

using namespace ads::mosaic;
using test::HttpResponse;
using test::LoopbackServer;

namespace {

class Recorder final : public MXAdViewDelegate {
public:
    ui::ViewController* viewControllerForPresentingModalView() override { return nullptr; }
    void adViewDidFailToLoadAd(MXAdView&) override { events.push_back("fail"); }
    void adViewDidLoadAd(MXAdView&) override { events.push_back("load"); }
    void willPresentModalViewForAd(MXAdView&) override { events.push_back("present"); }
    void didDismissModalViewForAd(MXAdView&) override { events.push_back("dismiss"); }
    void adViewDidReceiveResponseParams(MXAdView&, foundation::HTTPHeaderFields const&) override {
        events.push_back("params");
    }
    std::vector<std::string> events;
};

// A network adapter that records what it is asked and reports when told; it stands
// in for a class the program lacks ("ORMMA"), so that a test can play reports that no
// real network would send when asked.
class FakeAdapter final : public MXBaseAdapter {
public:
    char const* className() const override { return "MXORMMAAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override {
        asked.push_back(params.valueForKey("X-Adtype"));
    }
    std::vector<std::string> asked;

private:
    friend base::Factory;
    explicit FakeAdapter(MXAdapterDelegate* delegate)
        : MXBaseAdapter(delegate) { }
};

class MXAdManagerTest : public ::testing::Test {
protected:
    MXAdManagerTest() {
        server.route("GET", "/m/ad", [this](test::HttpRequest const&) {
            std::lock_guard lock(mutex);
            if (replies.size() > 1) {
                auto reply = replies.front();
                replies.pop_front();
                return reply;
            }
            return replies.empty() ? HttpResponse::text("", 404) : replies.front();
        });
        server.route("GET", "/fail", HttpResponse::text("<html>fallback</html>"));
        MXAdapterMap::registerAdapterClass("MXORMMAAdapter", [this](MXAdapterDelegate* delegate) {
            auto adapter = base::make<FakeAdapter>(delegate);
            adapters.push_back(adapter);
            return base::Ref<MXBaseAdapter>(adapter);
        });
    }
    ~MXAdManagerTest() override {
        view = nullptr;
        MXAdapterMap::resetAdapterClasses();
        ui::Animator::reset();
    }

    void answer(std::vector<HttpResponse> sequence) {
        std::lock_guard lock(mutex);
        replies.assign(sequence.begin(), sequence.end());
    }
    void start() {
        view = MXAdView::initWithAdUnitId("unit-1", graphics::makeSize(320, 50));
        view->setDelegate(&recorder);
        view->setIgnoresAutorefresh(false);
        view->loadAd();
    }
    // Runs the loop until count requests came and the client has dealt with them.
    void waitForRequests(std::size_t count) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return server.requestCount() >= count && !view->adManager()->conn(); }, 10))
            << server.requestCount();
        settle();
    }
    static void settle() {
        auto& loop = foundation::RunLoop::main();
        for (int pass = 0; pass < 20; ++pass)
            loop.runUntil([] { return false; }, 0.01);
    }
    std::string hostRoot() const { return server.baseURL(); }

    LoopbackServer server;
    test::MosaicScope scope {test::hostOf(server.baseURL())};
    foundation::ScopedManualClock clock;
    std::mutex mutex;
    std::deque<HttpResponse> replies;
    Recorder recorder;
    std::vector<base::Ref<FakeAdapter>> adapters;
    base::Ref<MXAdView> view;
};

TEST_F(MXAdManagerTest, TheRequestCarriesTheDeviceTheKeywordsAndTheLocation) {
    answer({HttpResponse::text("", 404)});
    start();
    waitForRequests(1);
    auto const query = server.requests()[0].query;
    EXPECT_EQ(query.substr(0, query.find("&z=")),
        std::string("v=6&udid=") + test::MosaicHashedId + "&q=(null)&id=unit-1&o=p&sc=1.0");
    EXPECT_EQ(query.find("&ll="), std::string::npos);
    EXPECT_EQ(server.requests()[0].headers.get("User-Agent"), MXFallbackUserAgent);

    view->setKeywords("pets & more");
    view->setLocation(MXLocation {37.5, -122.25});
    view->setLocationPrecision(1);
    auto url = view->adManager()->serverRequestURL();
    ASSERT_TRUE(url);
    EXPECT_NE(url->find("&q=pets%20%26%20more&id=unit-1"), std::string::npos) << *url;
    EXPECT_TRUE(url->ends_with("&ll=37.5,-122.2") || url->ends_with("&ll=37.5,-122.3")) << *url;
    view->setLocationEnabled(false);
    EXPECT_EQ(view->adManager()->serverRequestURL()->find("&ll="), std::string::npos);
}

struct HeaderCase {
    char const* name;
    HttpResponse reply;
    std::vector<std::string> events;
    bool hidden;
    std::size_t pooled;
    // Requests after the first reply, at the given seconds later.
    double nextAfter;
};

class MXAdManagerHeaderTest : public MXAdManagerTest,
                              public ::testing::WithParamInterface<HeaderCase> { };

TEST_P(MXAdManagerHeaderTest, RepliesGiveTheirRequestsTimersAndDelegateCalls) {
    auto const& c = GetParam();
    answer({c.reply, HttpResponse::text("", 404)});
    start();
    waitForRequests(1);
    EXPECT_EQ(recorder.events, c.events);
    EXPECT_EQ(view->isHidden(), c.hidden);
    EXPECT_EQ(view->adManager()->webviewPool().size(), c.pooled);
    if (c.nextAfter > 0) {
        foundation::RunLoop::main().runFor(c.nextAfter - 0.5);
        settle();
        EXPECT_EQ(server.requestCount(), 1u);
        foundation::RunLoop::main().runFor(1.0);
        waitForRequests(2);
    } else {
        foundation::RunLoop::main().runFor(600);
        settle();
        EXPECT_EQ(server.requestCount(), 1u);
    }
}

HttpResponse withHeaders(
    std::vector<std::pair<std::string, std::string>> headers, std::string body = "") {
    auto reply = HttpResponse::text(std::move(body));
    for (auto& [name, value] : headers)
        reply.header(name, value);
    return reply;
}

INSTANTIATE_TEST_SUITE_P(Cases, MXAdManagerHeaderTest,
    ::testing::Values(
        // An HTML ad waits for its creative, whose refresh waits for the ad to show; a
        // creative that never reports fails after its time-out and the ad is asked again.
        HeaderCase {"Html",
            withHeaders({{"X-Adtype", "html"}, {"X-Refreshtime", "300"}}, "<b>ad</b>"), {"params"},
            false, 1, MXAdManager::creativeLoadTimeout},
        HeaderCase {"ClearWithRefresh",
            withHeaders({{"X-Adtype", "clear"}, {"X-Refreshtime", "30"}}), {"params", "fail"}, true,
            0, 30},
        HeaderCase {"ClearRefreshBelowFive",
            withHeaders({{"X-Adtype", "clear"}, {"X-Refreshtime", "2"}}), {"params", "fail"}, true,
            0, 5},
        HeaderCase {"ClearRefreshNotANumber",
            withHeaders({{"X-Adtype", "clear"}, {"X-Refreshtime", "soon"}}), {"params", "fail"},
            true, 0, 5},
        HeaderCase {"ClearWithoutRefresh", withHeaders({{"X-Adtype", "clear"}}), {"params", "fail"},
            true, 0, 0},
        HeaderCase {"NotFound", HttpResponse::text("", 404), {"fail"}, true, 0, 60},
        HeaderCase {"UnknownTypeNoFailURL", withHeaders({{"X-Adtype", "adnoriatext"}}),
            {"params", "fail"}, true, 0, 60}),
    [](auto const& param) { return std::string(param.param.name); });

TEST_F(MXAdManagerTest, SizeScrollingAndAnimationComeFromTheReply) {
    answer({withHeaders(
        {{"X-Width", "300"}, {"X-Height", "250"}, {"X-Scrollable", "YES"}, {"X-Animation", "4"},
            {"X-Interceptlinks", "0"}, {"X-Clickthrough", "http://c.test/click"}},
        "<b>ad</b>")});
    start();
    waitForRequests(1);
    EXPECT_EQ(view->creativeSize().width, 300);
    EXPECT_EQ(view->creativeSize().height, 250);
    EXPECT_TRUE(view->scrollable());
    EXPECT_EQ(view->animationType(), 4);
    EXPECT_FALSE(view->adManager()->shouldInterceptLinks());
    EXPECT_EQ(view->adManager()->clickURL(), "http://c.test/click");
    ASSERT_EQ(view->adManager()->webviewPool().size(), 1u);
    EXPECT_EQ(view->adManager()->webviewPool()[0]->frame().size.width, 300);

    // The first creative shows at once, whatever the animation.
    view->setAdContentView(view->adManager()->webviewPool()[0]);
    EXPECT_EQ(view->adContentView(), view->adManager()->webviewPool()[0].get());
}

TEST_F(MXAdManagerTest, AnUnknownTypeAnsweredForeverCostsOneRequestPerRetryPeriod) {
    answer({withHeaders({{"X-Adtype", "meridian_full"}})});
    start();
    waitForRequests(1);
    for (int period = 0; period < 5; ++period) {
        foundation::RunLoop::main().runFor(MXAdManager::retryInterval);
        waitForRequests(std::size_t(period) + 2);
    }
    settle();
    EXPECT_EQ(server.requestCount(), 6u);
}

TEST_F(MXAdManagerTest, AnUnknownTypeWithAFailURLAsksItAtOnce) {
    answer({withHeaders({{"X-Adtype", "adnoria_full"}, {"X-Failurl", server.url("/fail")}})});
    start();
    waitForRequests(2);
    EXPECT_EQ(server.requests()[1].path, "/fail");
    EXPECT_EQ(view->adManager()->webviewPool().size(), 1u);
}

TEST_F(MXAdManagerTest, ASecondLoadWaitsAndAForcedOneCancelsTheFirst) {
    answer({withHeaders({{"X-Adtype", "clear"}})});
    test::LogCapture log;
    view = MXAdView::initWithAdUnitId("unit-1", graphics::makeSize(320, 50));
    view->setDelegate(&recorder);
    view->loadAd();
    base::Ref<foundation::URLConnection> first(view->adManager()->conn());
    view->loadAd();
    EXPECT_TRUE(log.contains("MOSAIC: Ad view (") && log.contains("already loading an ad."));
    EXPECT_EQ(view->adManager()->conn(), first.get());
    view->forceRefreshAd();
    EXPECT_NE(view->adManager()->conn(), first.get());
    EXPECT_FALSE(first->isLoading()); // cancelled, so it cannot feed the new reply
    waitForRequests(1);
    settle();
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"params", "fail"}));
}

TEST_F(MXAdManagerTest, AdaptersLoadAndALateFailureOfThePreviousOneIsIgnored) {
    answer({withHeaders({{"X-Adtype", "ORMMA"}}), withHeaders({{"X-Adtype", "ORMMA"}})});
    start();
    waitForRequests(1);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->asked, std::vector<std::string> {"ORMMA"});
    auto* manager = view->adManager();
    EXPECT_TRUE(manager->isLoading());
    auto content = ui::View::create(graphics::makeRect(0, 0, 320, 50));
    manager->adapterDidFinishLoadingAd(adapters[0].get(), content, false);
    EXPECT_EQ(view->adContentView(), content.get());
    EXPECT_FALSE(manager->isLoading());

    view->forceRefreshAd();
    waitForRequests(2);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(manager->previousAdapter(), adapters[0].get());
    manager->adapterDidFailToLoadAdWithError(adapters[0].get(), "late");
    EXPECT_TRUE(manager->isLoading());
    EXPECT_EQ(manager->currentAdapter(), adapters[1].get());
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"params", "load", "params"}));
}

TEST_F(MXAdManagerTest, AnAdActionOwesTheRefreshUntilItEnds) {
    answer({withHeaders({{"X-Adtype", "ORMMA"}, {"X-Refreshtime", "30"}})});
    start();
    waitForRequests(1);
    auto* manager = view->adManager();
    manager->userActionWillBeginForAdapter(adapters[0].get());
    manager->adapterDidFinishLoadingAd(adapters[0].get(), ui::View::create(), false);
    EXPECT_TRUE(manager->autorefreshTimerNeedsScheduling());
    EXPECT_FALSE(manager->autorefreshTimer()->isScheduled());
    manager->userActionDidEndForAdapter(adapters[0].get());
    EXPECT_FALSE(manager->autorefreshTimerNeedsScheduling());
    EXPECT_TRUE(manager->autorefreshTimer()->isScheduled());
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"params", "present", "load", "dismiss"}));
}

TEST_F(MXAdManagerTest, ComingBackToTheForegroundAsksAgain) {
    answer({withHeaders({{"X-Adtype", "clear"}})});
    start();
    waitForRequests(1);
    foundation::NotificationCenter::defaultCenter().postNotification(
        ui::Application::WillEnterForegroundNotification);
    waitForRequests(2);
    view->setIgnoresAutorefresh(true);
    foundation::NotificationCenter::defaultCenter().postNotification(
        ui::Application::WillEnterForegroundNotification);
    settle();
    EXPECT_EQ(server.requestCount(), 2u);
}

}

TEST(MXAdResponseHeaders, SizesNoFrameCanHaveAndShortRefreshesAreMended) {
    struct Case {
        char const* width;
        char const* height;
        std::optional<graphics::Size> size;
    } const cases[] = {
        {"300", "250", graphics::makeSize(300, 250)},
        {"0", "0", graphics::makeSize(0, 0)},
        {"wide", "tall", graphics::makeSize(0, 0)},
        {"-1", "50", std::nullopt},
        {"inf", "50", std::nullopt},
        {"320", "nan", std::nullopt},
        {"1e300", "50", std::nullopt},
    };
    for (auto const& c : cases) {
        auto const reply
            = MXAdResponseHeaders::parse({{"X-Width", c.width}, {"X-Height", c.height}});
        EXPECT_EQ(reply.creativeSize.has_value(), c.size.has_value()) << c.width << " " << c.height;
        if (reply.creativeSize && c.size) {
            EXPECT_EQ(reply.creativeSize->width, c.size->width);
            EXPECT_EQ(reply.creativeSize->height, c.size->height);
        }
    }
    EXPECT_FALSE(MXAdResponseHeaders::parse({{"X-Width", "300"}}).creativeSize);

    for (auto const& [text, interval] : std::vector<std::pair<std::string, double>> {
             {"30", 30}, {"4.9", 5}, {"-10", 5}, {"nan", 5}, {"", 5}, {"12abc", 12}}) {
        auto const reply = MXAdResponseHeaders::parse({{"X-Refreshtime", text}});
        EXPECT_EQ(reply.refreshInterval, interval) << text;
    }
    auto const bare = MXAdResponseHeaders::parse({});
    EXPECT_FALSE(bare.refreshInterval);
    EXPECT_FALSE(bare.adType);
    EXPECT_FALSE(bare.interceptLinks);
    EXPECT_EQ(MXAdResponseHeaders::parse({{"X-Adtype", "clear"}}).adType, "clear");
    EXPECT_EQ(MXAdResponseHeaders::parse({{"X-Interceptlinks", "0"}}).interceptLinks, false);
    EXPECT_EQ(MXAdResponseHeaders::parse({{"X-Scrollable", " yes"}}).scrollable, true);
}
