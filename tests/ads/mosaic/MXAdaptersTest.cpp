// The network adapters through the banner: the ad server's reply names a type, the
// manager makes that adapter, and the ad loads from the network's own client (the
// Adnoria client against scripted pages, the Meridian client against a loopback ad
// server) or fails over to the reply's fail URL.
#include "../adnoria/AdnoriaServerTest.hpp"
#include "MosaicTestSupport.hpp"

#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/meridian/MERConfiguration.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXAdapterMap.hpp>
#include <ads/mosaic/MXAdnoriaAdapter.hpp>
#include <ads/mosaic/MXCustomEventAdapter.hpp>
#include <ads/mosaic/MXIAdAdapter.hpp>
#include <ads/mosaic/MXInterstitialAdapter.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <ads/mosaic/MXMeridianAdapter.hpp>
#include <foundation/RunLoop.hpp>
#include <services/Accelerometer.hpp>
#include <support/LogCapture.hpp>
#include <support/LoopbackServer.hpp>
#include <ui/Animator.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace ads::mosaic;
using test::HttpResponse;

namespace {

// The game's side of the banner: offers the custom operations it is told to and
// writes down every event.
class Recorder final : public MXAdViewDelegate {
public:
    ui::ViewController* viewControllerForPresentingModalView() override { return root; }
    void adViewDidFailToLoadAd(MXAdView&) override { events.push_back("fail"); }
    void adViewDidLoadAd(MXAdView&) override { events.push_back("load"); }
    void willPresentModalViewForAd(MXAdView&) override { events.push_back("present"); }
    void didDismissModalViewForAd(MXAdView&) override { events.push_back("dismiss"); }
    void adViewDidReceiveResponseParams(MXAdView&, foundation::HTTPHeaderFields const&) override {
        events.push_back("params");
    }
    std::vector<std::string> allowedCustomSelectors() override { return allowed; }
    void performCustomEvent(std::string const& selector, MXAdView* view) override {
        events.push_back("custom " + selector + (view ? " with view" : ""));
    }

    ui::ViewController* root {nullptr};
    std::vector<std::string> allowed;
    std::vector<std::string> events;
};

constexpr char const* handshakeReply = R"({"merishake":{"deferredviewtimeout":1800,"kill":false,
    "handshakecallback":86400,"adtypes":{"MERBannerAdTop":{"adrefresh":"sdk"}}}})";

HttpResponse reply(std::vector<std::pair<std::string, std::string>> headers) {
    auto response = HttpResponse::text("");
    for (auto const& [name, value] : headers)
        response.header(name, value);
    return response;
}

// The Adnoria client's script and ad servers (from its own tests), the Meridian
// client's and the banner's ad server on one more loopback server, scripted web views
// for every page, and a banner whose delegate presents from the root controller.
class MXAdaptersTest : public test::AdnoriaServerTest {
protected:
    MXAdaptersTest() {
        recorder.root = root.get();
        ads::meridian::MERConfiguration configuration;
        configuration.adServerBaseURL = server.baseURL() + "/";
        configuration.pixelBaseURL = server.baseURL();
        configuration.livePixelBaseURL = server.baseURL() + "/live";
        configuration.installationIdentifier = "INSTALL-1";
        ads::meridian::MERConfiguration::setUp(configuration);
        server.route("GET", "/appConfigServlet", HttpResponse::text(handshakeReply));
        server.route("GET", "/getAd.php5", [](test::HttpRequest const&) {
            return HttpResponse::text("<p>mer</p>", 200, "text/html");
        });
        server.route("GET", "/fail", HttpResponse::text("<html>fallback</html>"));
        server.route("GET", "/m/ad", [this](test::HttpRequest const&) {
            std::lock_guard lock(mutex);
            return replies.empty() ? HttpResponse::text("", 404) : replies.front();
        });
        ads.route(
            "GET", "/ad", HttpResponse::text("<html><body>ad</body></html>", 200, "text/html"));
    }
    ~MXAdaptersTest() override {
        view = nullptr;
        MXAdapterMap::resetAdapterClasses();
        ads::meridian::MERHandshake::purgeSharedHandshake();
        ads::meridian::MERConfiguration::reset();
        services::Accelerometer::purgeSharedAccelerometer();
        ui::Animator::reset();
    }

    void answer(HttpResponse response) {
        std::lock_guard lock(mutex);
        replies = {std::move(response)};
    }
    void makeView() {
        view = MXAdView::initWithAdUnitId("unit-1", graphics::makeSize(320, 50));
        view->setDelegate(&recorder);
        view->setIgnoresAutorefresh(false);
    }
    void start() {
        if (!view)
            makeView();
        view->loadAd();
    }
    MXAdManager& manager() const { return *view->adManager(); }
    std::size_t requestsTo(std::string const& path) const {
        return AdnoriaServerTest::requestsTo(server, path);
    }
    // Runs the loop until count banner requests ("/m/ad" and "/fail") came and the
    // client has dealt with them.
    void waitForBannerRequests(std::size_t count) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return requestsTo("/m/ad") + requestsTo("/fail") >= count && !manager().conn(); },
            10))
            << requestsTo("/m/ad");
        settle();
    }
    static void settle() {
        for (int pass = 0; pass < 20; ++pass)
            foundation::RunLoop::main().runUntil([] { return false; }, 0.01);
    }
    template<typename Adapter> Adapter* current() const {
        return dynamic_cast<Adapter*>(manager().currentAdapter());
    }

    test::LoopbackServer server;
    test::MosaicScope scope {test::hostOf(server.baseURL())};
    std::mutex mutex;
    std::vector<HttpResponse> replies;
    Recorder recorder;
    base::Ref<MXAdView> view;
};

}

TEST(MXAdapterMap, NineRowsAndOnlyTheProgramsClassesAreFound) {
    auto const& map = MXAdapterMap::sharedAdapterMap();
    EXPECT_EQ(&map, &MXAdapterMap::sharedAdapterMap());
    struct Row {
        char const* type;
        char const* className;
        bool present;
    } const rows[] = {
        {"iAd", "MXIAdAdapter", true},
        {"adnoriatext", "MXAdnoriaTextAdapter", false},
        {"adnoria_native", "MXAdnoriaAdapter", true},
        {"meridian_native", "MXMeridianAdapter", true},
        {"custom", "MXCustomEventAdapter", true},
        {"adnoria_full", "MXAdnoriaInterstitialAdapter", false},
        {"meridian_full", "MXMeridianInterstitialAdapter", false},
        {"interstitial", "MXInterstitialAdapter", true},
        {"ORMMA", "MXORMMAAdapter", false},
    };
    EXPECT_EQ(map.map().size(), std::size(rows));
    for (auto const& row : rows) {
        EXPECT_EQ(map.classStringForAdapterType(row.type), row.className) << row.type;
        EXPECT_EQ(bool(map.classForAdapterType(row.type)), row.present) << row.type;
        // No full-screen adapter is part of the program.
        EXPECT_FALSE(map.interstitialClassForAdapterType(row.type)) << row.type;
    }
    for (auto const* type : {"", "html", "clear", "IAD", "bogus"}) {
        EXPECT_FALSE(map.classStringForAdapterType(type)) << type;
        EXPECT_FALSE(map.classForAdapterType(type)) << type;
    }
    // Each class made by the map is the one its row names.
    for (auto const& row : rows) {
        if (!row.present)
            continue;
        auto adapter = map.classForAdapterType(row.type)(nullptr);
        ASSERT_TRUE(adapter) << row.type;
        EXPECT_STREQ(adapter->className(), row.className);
    }
}

TEST(MXBaseAdapter, ReportsGoNowhereOnceUnregisteredAndRotationIsLogged) {
    test::LogCapture log;
    MXSetLogThreshold(MXLogLevelDebug);
    auto adapter = MXIAdAdapter::initWithAdapterDelegate(nullptr);
    adapter->getAd(); // no delegate: nothing to report to, and nothing breaks
    auto other = MXInterstitialAdapter::initWithAdapterDelegate(nullptr);
    other->rotateToOrientation(ui::InterfaceOrientation::LandscapeLeft);
    EXPECT_TRUE(log.contains("rotateToOrientation 4 called for adapter MXInterstitialAdapter ("));
    EXPECT_TRUE(log.contains("iAd failed in trying to load or refresh an ad."));
    MXSetLogThreshold(MXLogLevelInfo);
}

// --- the table of simple types ---

struct TypeCase {
    char const* name;
    std::vector<std::pair<std::string, std::string>> headers;
    std::vector<std::string> allowed;
    bool withFailURL;
    // The delegate's events after the reply (and the fail URL's reply, if asked).
    std::vector<std::string> events;
    bool failURLAsked;
    bool stillLoading;
};

class MXAdapterTypeTest : public MXAdaptersTest, public ::testing::WithParamInterface<TypeCase> { };

TEST_P(MXAdapterTypeTest, EachTypeLoadsOrFailsOverAsItShould) {
    auto const& c = GetParam();
    recorder.allowed = c.allowed;
    auto headers = c.headers;
    if (c.withFailURL)
        headers.emplace_back("X-Failurl", server.url("/fail"));
    answer(reply(headers));
    start();
    waitForBannerRequests(c.failURLAsked ? 2 : 1);
    settle();
    EXPECT_EQ(recorder.events, c.events);
    EXPECT_EQ(requestsTo("/fail"), c.failURLAsked ? 1u : 0u);
    EXPECT_EQ(requestsTo("/m/ad"), 1u);
    EXPECT_EQ(manager().isLoading(), c.stillLoading);
    // The fail URL's page loads as an HTML ad.
    EXPECT_EQ(manager().webviewPool().size(), c.failURLAsked ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Types, MXAdapterTypeTest,
    ::testing::Values(
        // No iAd banner on this system: the load fails at once.
        TypeCase {
            "IAdWithFailURL", {{"X-Adtype", "iAd"}}, {}, true, {"params", "params"}, true, true},
        TypeCase {"IAdWithoutFailURL", {{"X-Adtype", "iAd"}}, {}, false, {"params", "fail"}, false,
            false},
        // A custom operation is called only when the game offers it.
        TypeCase {"CustomAllowed", {{"X-Adtype", "custom"}, {"X-Customselector", "showHouseAd"}},
            {"showHouseAd"}, true, {"params", "custom showHouseAd"}, false, true},
        TypeCase {"CustomAllowedWithColon",
            {{"X-Adtype", "custom"}, {"X-Customselector", "showHouseAd"}}, {"showHouseAd:"}, true,
            {"params", "custom showHouseAd: with view"}, false, true},
        TypeCase {"CustomNotAllowed", {{"X-Adtype", "custom"}, {"X-Customselector", "dealloc"}},
            {"showHouseAd"}, true, {"params", "params"}, true, true},
        TypeCase {"CustomWithoutSelector", {{"X-Adtype", "custom"}}, {""}, true,
            {"params", "params"}, true, true},
        // Types whose class the program lacks, and types not in the map.
        TypeCase {"AdnoriaText", {{"X-Adtype", "adnoriatext"}}, {}, true, {"params", "params"},
            true, true},
        TypeCase {"Unknown", {{"X-Adtype", "bogus"}}, {}, true, {"params", "params"}, true, true},
        // The interstitial type loads nothing for a banner: the load stays under way.
        TypeCase {
            "Interstitial", {{"X-Adtype", "interstitial"}}, {}, true, {"params"}, false, true}),
    [](auto const& param) { return std::string(param.param.name); });

TEST_F(MXAdaptersTest, ACustomEventEndsWhenTheGameReports) {
    recorder.allowed = {"showHouseAd"};
    answer(reply({{"X-Adtype", "custom"}, {"X-Customselector", "showHouseAd"},
        {"X-Imptracker", server.url("/imp")}}));
    server.route("GET", "/imp", HttpResponse::text("ok"));
    start();
    waitForBannerRequests(1);
    ASSERT_TRUE(current<MXCustomEventAdapter>());
    EXPECT_TRUE(manager().isLoading());
    view->customEventDidLoadAd();
    EXPECT_FALSE(manager().isLoading());
    EXPECT_TRUE(foundation::RunLoop::main().runUntil([&] { return requestsTo("/imp") == 1; }, 10));
    // The ping keeps itself alive until its reply ends, which nothing can watch: give
    // the reply time to come back so the ping ends before the test does.
    foundation::RunLoop::main().runUntil([] { return false; }, 1);
}

TEST_F(MXAdaptersTest, AnAdapterFailingForeverWithoutAFailURLWaitsForTheRetry) {
    answer(reply({{"X-Adtype", "iAd"}}));
    start();
    waitForBannerRequests(1);
    foundation::RunLoop::main().runFor(MXAdManager::retryInterval - 1);
    settle();
    EXPECT_EQ(requestsTo("/m/ad"), 1u);
    foundation::RunLoop::main().runFor(2);
    waitForBannerRequests(2);
    EXPECT_EQ(requestsTo("/m/ad"), 2u);
}

// --- Adnoria ---

TEST_F(MXAdaptersTest, AnAdnoriaBannerLoadsFromItsScriptedPage) {
    makeView();
    view->setLocation(MXLocation {37.5, -122.25});
    answer(reply({{"X-Adtype", "adnoria_native"},
        {"X-Nativeparams", R"({"adWidth": 300, "adHeight": 250, "adUnitID": "adn-unit"})"},
        {"X-Failurl", server.url("/fail")}}));
    start();
    waitForBannerRequests(1);
    auto* adapter = current<MXAdnoriaAdapter>();
    ASSERT_TRUE(adapter);
    auto* banner = adapter->adBannerView();
    EXPECT_EQ(banner->frame(), graphics::makeRect(0, 0, 300, 250));
    EXPECT_EQ(banner->adUnitID(), "adn-unit");
    EXPECT_EQ(banner->rootViewController(), root.get());
    answerAdURL(banner->objectPrivate(), "/ad", "banner");
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return std::count(recorder.events.begin(), recorder.events.end(), "load") > 0; },
        20));
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"params", "load"}));
    EXPECT_EQ(view->adContentView(), banner);
    EXPECT_FALSE(manager().isLoading());
    EXPECT_EQ(requestsTo("/fail"), 0u);
}

TEST_F(MXAdaptersTest, AnAdnoriaFailureGoesToTheFailURL) {
    answer(reply({{"X-Adtype", "adnoria_native"}, {"X-Failurl", server.url("/fail")}}));
    start();
    waitForBannerRequests(1);
    auto* adapter = current<MXAdnoriaAdapter>();
    ASSERT_TRUE(adapter);
    EXPECT_EQ(adapter->adBannerView()->frame(), graphics::makeRect(0, 0, 320, 50));
    auto* page = waitForBuildPage(adapter->adBannerView()->objectPrivate());
    ASSERT_TRUE(page);
    page->fireNavigation("anmsg:///unableToServe?reason=none", ui::WebViewNavigationType::Other);
    waitForBannerRequests(2);
    EXPECT_EQ(requestsTo("/fail"), 1u);
    EXPECT_EQ(manager().currentAdapter(), nullptr);
    // The fail URL's reply is heard as any reply.
    EXPECT_EQ(recorder.events, (std::vector<std::string> {"params", "params"}));
}

// --- Meridian ---

TEST_F(MXAdaptersTest, AMeridianBannerLoadsWithItsTypeSizeAndRequestData) {
    struct Case {
        char const* params;
        int type;
        graphics::Size size;
    } const cases[] = {
        {R"({"adWidth": 300, "adHeight": 250, "adUnitID": "mer-7"})", 3,
            graphics::makeSize(300, 250)},
        {R"({"adWidth": 320, "adHeight": 50, "adUnitID": "mer-7"})", 1,
            graphics::makeSize(320, 53)},
        {nullptr, 1, graphics::makeSize(320, 53)},
    };
    makeView();
    view->setLocation(MXLocation {37.5, -122.25});
    view->setLocationPrecision(2);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.params ? c.params : "no header");
        std::vector<std::pair<std::string, std::string>> headers {
            {"X-Adtype", "meridian_native"}, {"X-Failurl", server.url("/fail")}};
        if (c.params)
            headers.emplace_back("X-Nativeparams", c.params);
        answer(reply(headers));
        recorder.events.clear();
        server.clearRequests();
        view->forceRefreshAd();
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return std::count(recorder.events.begin(), recorder.events.end(), "load") > 0; },
            20));
        auto* adapter = current<MXMeridianAdapter>();
        ASSERT_TRUE(adapter);
        EXPECT_EQ(adapter->merAdType(), c.type);
        EXPECT_EQ(adapter->merAdSize(), c.size);
        EXPECT_EQ(adapter->merAdApid(), c.params ? "mer-7" : "");
        ASSERT_TRUE(adapter->merAdView());
        EXPECT_EQ(adapter->merAdView()->frame().size, c.size);
        EXPECT_EQ(view->adContentView(), adapter->merAdView());
        EXPECT_FALSE(adapter->merAdView()->refreshTimerEnabled());
        // One request from the adapter, with the vendor and the banner's location.
        ASSERT_EQ(requestsTo("/getAd.php5"), 1u);
        auto const requests = server.requests();
        auto found = std::find_if(requests.begin(), requests.end(),
            [](auto const& request) { return request.path == "/getAd.php5"; });
        EXPECT_NE(found->query.find("&vendor=mosaicsdk&lat=37.5&lon=-122.25"), std::string::npos)
            << found->query;
        EXPECT_EQ(requestsTo("/fail"), 0u);
    }
    auto* adapter = current<MXMeridianAdapter>();
    view->setLocationEnabled(false);
    auto const data = adapter->requestData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, (ads::meridian::MERRequestData {{"vendor", "mosaicsdk"}}));
}

TEST_F(MXAdaptersTest, AReplacedMeridianViewStopsAndALateFailureChangesNothing) {
    answer(reply({{"X-Adtype", "meridian_native"}, {"X-Failurl", server.url("/fail")}}));
    start();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return std::count(recorder.events.begin(), recorder.events.end(), "load") > 0; },
        20));
    base::Ref<MXMeridianAdapter> first(current<MXMeridianAdapter>());
    ASSERT_TRUE(first);
    base::Ref<ads::meridian::MERAdView> firstView(first->merAdView());
    firstView->setRefreshTimerEnabled(true);

    // The next ad is a custom event that stays under way; the Meridian adapter is now the
    // previous one, and its view fails late.
    recorder.allowed = {"showHouseAd"};
    answer(reply({{"X-Adtype", "custom"}, {"X-Customselector", "showHouseAd"},
        {"X-Failurl", server.url("/fail")}}));
    view->forceRefreshAd();
    waitForBannerRequests(2);
    EXPECT_EQ(manager().previousAdapter(), first.get());
    ASSERT_TRUE(current<MXCustomEventAdapter>());
    auto const before = recorder.events;
    ads::meridian::MERConfiguration::reset(); // every Meridian request now fails at once
    firstView->refreshAd();
    settle();
    EXPECT_EQ(recorder.events, before);
    EXPECT_TRUE(manager().isLoading());
    EXPECT_TRUE(current<MXCustomEventAdapter>());
    EXPECT_EQ(requestsTo("/fail"), 0u);

    // One more switch lets the Meridian adapter go: its view's timer is off and the
    // view no longer reports to it.
    answer(reply({{"X-Adtype", "clear"}}));
    view->forceRefreshAd();
    waitForBannerRequests(3);
    first = nullptr;
    EXPECT_FALSE(firstView->refreshTimerEnabled());
    EXPECT_EQ(firstView->delegate(), nullptr);
}
