#include <ads/meridian/MERGenericAdView.hpp>

#include "MeridianTestSupport.hpp"

#include <foundation/Strings.hpp>
#include <foundation/SystemInfo.hpp>
#include <graphics/Image.hpp>
#include <support/LoopbackServer.hpp>
#include <support/ScriptedWebView.hpp>
#include <ui/Device.hpp>
#include <ui/Window.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using ads::meridian::MERAdView;
using ads::meridian::MERGenericAdView;
using ads::meridian::MERHandshake;
using ads::meridian::MERRequestData;
using test::HttpResponse;

namespace {

// The embedding application's side: answers the three questions as told and writes
// down every event, in order.
class RecordingOwner final : public ads::meridian::MERAdDelegate {
public:
    std::optional<MERRequestData> requestData() override { return data; }
    std::optional<int> adRefreshDuration() override { return refresh; }
    std::optional<bool> accelerometerEnabled() override { return accelerometer; }
    void adRequestSucceeded(MERAdView&) override { add("succeeded"); }
    void adRequestFailed(MERAdView&) override { add("failed"); }
    void adDidRefresh(MERAdView&) override { add("refreshed"); }
    void adWasTapped(MERAdView&) override { add("tapped"); }
    void adRequestIsCaching(MERAdView&) override { add("caching"); }
    void applicationWillTerminateFromAd() override { add("leaving"); }
    void adModalWillAppear() override { add("modalWillAppear"); }
    void adModalDidAppear() override { add("modalDidAppear"); }
    void adModalWasDismissed() override { add("modalDismissed"); }

    void add(std::string event) { events.push_back(std::move(event)); }
    bool heard(std::string const& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }

    std::optional<MERRequestData> data;
    std::optional<int> refresh;
    std::optional<bool> accelerometer;
    std::vector<std::string> events;
};

constexpr char const* handshakeReply = R"({"merishake":{"deferredviewtimeout":1800,"kill":false,
    "handshakecallback":86400,"adtypes":{"MERBannerAdTop":{"adrefresh":"sdk"}}}})";

std::string png() {
    graphics::Image bitmap(8, 8);
    std::fill(bitmap.pixels().begin(), bitmap.pixels().end(), std::uint8_t(200));
    auto bytes = bitmap.encodePNG();
    return std::string(bytes->begin(), bytes->end());
}

class MERGenericAdViewTest : public test::MeridianTest {
protected:
    MERGenericAdViewTest() {
        configure(server.baseURL());
        ui::WebView::setFactory([this](graphics::Rect frame) -> base::Ref<ui::WebView> {
            auto page = test::ScriptedWebView::create(frame);
            pages.push_back(page);
            return page;
        });
        window = ui::Window::create({{0, 0}, {320, 480}});
        window->makeKeyAndVisible();
        root = ui::View::create(window->bounds());
        window->addSubview(root);
        server.route("GET", "/appConfigServlet", HttpResponse::text(handshakeReply));
        server.route("GET", "/getAd.php5", [this](test::HttpRequest const&) { return reply(); });
        server.route("GET", "/banner.png", HttpResponse::text(png(), 200, "image/png"));
        server.route("GET", "/landing", HttpResponse::text("<p>landing</p>", 200, "text/html"));
    }
    ~MERGenericAdViewTest() override {
        if (view) {
            view->setRefreshTimerEnabled(false);
            view->setDelegate(nullptr);
            view->removeFromSuperview();
        }
    }

    // The mediation's way: no request and no timer until asked. The view sits in the
    // window, and the handshake it starts has ended.
    void make(int type = 1, graphics::Rect frame = {{0, 0}, {320, 50}}) {
        auto made = MERAdView::adWithFrame(frame, type, "apid-7", &owner, false, false);
        ASSERT_NE(made, nullptr);
        view = base::Ref<MERGenericAdView>(static_cast<MERGenericAdView*>(made.get()));
        root->addSubview(view);
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [] { return !MERHandshake::sharedHandshake().isRequestRunning(); }, 20));
        server.clearRequests();
    }
    std::vector<test::HttpRequest> adRequests() const {
        std::vector<test::HttpRequest> found;
        for (auto const& request : server.requests())
            if (request.path == "/getAd.php5")
                found.push_back(request);
        return found;
    }
    void waitFor(std::string const& event) {
        ASSERT_TRUE(foundation::RunLoop::main().runUntil([&] { return owner.heard(event); }, 20))
            << "never heard " << event;
    }
    // Asks for an ad and lets it arrive (and any cross-fade end).
    void refreshWith(std::function<HttpResponse()> answer, std::string const& until) {
        reply = std::move(answer);
        owner.events.clear();
        view->refreshAd();
        waitFor(until);
        foundation::RunLoop::main().runFor(2);
    }
    static HttpResponse html(std::string body = "<p>ad</p>") {
        return HttpResponse::text(std::move(body), 200, "text/html");
    }
    std::string imageAd() const {
        return R"({"type":"image","image":{"content-url":")" + server.url("/banner.png")
            + R"(","tap-through":"http://example.com/tap"}})";
    }
    test::ScriptedWebView& shownPage() const {
        return static_cast<test::ScriptedWebView&>(*view->htmlAdView().showingWebView()->webView());
    }

    test::LoopbackServer server;
    RecordingOwner owner;
    std::vector<base::Ref<test::ScriptedWebView>> pages;
    base::Ref<ui::Window> window;
    // What the application shows; the ad view sits in it.
    base::Ref<ui::View> root;
    std::function<HttpResponse()> reply = [] { return html(); };
    base::Ref<MERGenericAdView> view;
};

}

// --- the factory ---

TEST_F(MERGenericAdViewTest, TheFactoryPicksTheViewAndItsFrameByType) {
    struct Case {
        int type;
        graphics::Rect frame;
        int adType;
        std::string name;
        bool interstitial;
    };
    graphics::Rect const given {{10, 20}, {320, 50}};
    std::vector<Case> const cases {
        {1, given, 1, "MERBannerAdTop", false},
        {2, given, 2, "MERBannerAdBottom", false},
        {3, {{10, 20}, {300, 250}}, 3, "MERBannerAdRectangle", false},
        {4, {}, 4, "MERFullScreenAdLaunch", true},
        {5, {}, 5, "MERFullScreenAdTransition", true},
        {7, {{10, 20}, {320, 53}}, 1, "MERBannerAdTop", false},
    };
    for (auto const& c : cases) {
        auto made = MERAdView::adWithFrame(given, c.type, "apid-7", &owner, false, true);
        ASSERT_NE(made, nullptr) << c.type;
        auto* engine = static_cast<MERGenericAdView*>(made.get());
        EXPECT_EQ(made->frame(), c.frame) << c.type;
        EXPECT_EQ(engine->adTypeNumber(), c.adType) << c.type;
        EXPECT_EQ(engine->adType(), c.name) << c.type;
        EXPECT_EQ(dynamic_cast<ads::meridian::MERIntersticialAdView*>(made.get()) != nullptr,
            c.interstitial)
            << c.type;
        // The timer flag is honoured whatever the type; the frame reaches both inner views.
        EXPECT_TRUE(engine->isTimerRunning()) << c.type;
        EXPECT_EQ(engine->htmlAdView().frame(), (graphics::Rect {{0, 0}, c.frame.size}));
        EXPECT_FALSE(engine->htmlAdView().isHidden());
        EXPECT_TRUE(engine->jsonAdView().isHidden());
        made->setRefreshTimerEnabled(false);
    }
    EXPECT_EQ(MERAdView::adWithFrame(given, 1, "apid-7", nullptr, false, false), nullptr);
    EXPECT_EQ(MERAdView::interstitialWithType(1, "apid-7", &owner, false), nullptr);
    EXPECT_EQ(MERAdView::interstitialWithType(4, "apid-7", nullptr, false), nullptr);
    auto interstitial = MERAdView::interstitialWithType(5, "apid-7", &owner, false);
    ASSERT_NE(interstitial, nullptr);
    EXPECT_FALSE(static_cast<MERGenericAdView&>(*interstitial).isTimerRunning());
    EXPECT_EQ(MERAdView::version(), "4.2.6");
    EXPECT_TRUE(std::filesystem::is_directory(ads::meridian::meridianFolderPath()));
}

TEST_F(MERGenericAdViewTest, TheApidFallsBackToTheDefaultAndIsRemembered) {
    auto made = MERAdView::adWithFrame({{0, 0}, {320, 50}}, 1, "", &owner, false, false);
    auto& engine = static_cast<MERGenericAdView&>(*made);
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    EXPECT_EQ(engine.getApid(), "846");
    EXPECT_EQ(defaults.stringForKey("MERApid"), "846");
    EXPECT_EQ(MERHandshake::sharedHandshake().apid(), "846");
    engine.setApid("");
    EXPECT_EQ(engine.getApid(), "846");
    engine.setApid("apid-9");
    engine.setApid("");
    EXPECT_EQ(engine.getApid(), "apid-9");
    EXPECT_EQ(defaults.stringForKey("MERApid"), "apid-9");
}

// --- the mediation's use ---

TEST_F(MERGenericAdViewTest, TheMediationAsksForEachAdAndHearsNothingAfterTeardown) {
    make();
    foundation::RunLoop::main().runFor(300);
    EXPECT_TRUE(adRequests().empty());
    EXPECT_FALSE(view->isTimerRunning());
    EXPECT_TRUE(owner.events.empty());

    view->refreshAd();
    EXPECT_EQ(owner.events, (std::vector<std::string> {"refreshed"}));
    EXPECT_TRUE(view->isRequestRunning());
    waitFor("succeeded");
    ASSERT_EQ(adRequests().size(), 1u);
    ASSERT_NE(view->htmlAdView().getAd(), nullptr);
    EXPECT_EQ(view->htmlAdView().getAd()->adView(), view.get());

    // Teardown while the next ad is on its way: nothing more reaches the owner.
    view->refreshAd();
    view->setRefreshTimerEnabled(false);
    view->setDelegate(nullptr);
    MERGenericAdView* gone = view.get();
    view->removeFromSuperview();
    view = nullptr;
    (void)gone;
    owner.events.clear();
    foundation::RunLoop::main().runFor(300);
    server.waitForRequests(server.requestCount(), 1);
    foundation::RunLoop::main().runFor(1);
    EXPECT_TRUE(owner.events.empty());
}

// --- the request ---

TEST_F(MERGenericAdViewTest, TheRequestURLCarriesEveryValueEscapedOnItsOwn) {
    struct Case {
        MERRequestData data;
        std::string targeting;
        std::optional<bool> accelerometer;
    };
    std::vector<Case> const cases {
        {{}, "", std::nullopt},
        {{{"gender", "male"}, {"age", "30"}}, "&gender=male&age=30", true},
        {{{"kw", "hair & nails=fun"}}, "&kw=hair%20%26%20nails%3Dfun", false},
        {{{"vendor", "x"}, {"na me", "a/b"}}, "&vendor=x&na%20me=a%2Fb", std::nullopt},
        {{{"marital", "engaged"}, {"orientation", "notsure"}, {"ethnicity", "other"}},
            "&marital=engaged&orientation=notsure&ethnicity=other", std::nullopt},
    };
    make();
    auto const video = MERHandshake::sharedHandshake().isVideoAdRequestAllowed();
    auto const prefix = std::string("/getAd.php5?medialets=false&sdkapid=apid-7&auid=INSTALL-1")
        + "&merisdk=4.2.6-11.6.13.i&ua=iPhone%204.3.1&dv=4.3.1&dm="
        + foundation::addingStrictPercentEscapes(foundation::hardwareMachineName())
        + "&adtype=MERBannerAdTop&hswd=320&hsht=50&accelerometer=";
    auto const suffix = std::string("&video=") + (video ? "true" : "false")
        + "&language=fr&country=CA&cachedvideo=true";
    for (auto const& c : cases) {
        owner.data = c.data;
        owner.accelerometer = c.accelerometer;
        owner.events.clear();
        server.clearRequests();
        view->refreshAd();
        waitFor("succeeded");
        auto requests = adRequests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].target,
            prefix + (c.accelerometer.value_or(true) ? "true" : "false") + c.targeting + suffix);
        EXPECT_EQ(requests[0].headers.get("User-Agent"), "MERSDK/4.2.6");
        EXPECT_EQ(requests[0].headers.get("User_Agent"), "MERSDK/4.2.6");
    }
}

TEST_F(MERGenericAdViewTest, AnOldSystemAsksForNoCachedVideo) {
    ui::Device::currentDevice().setSystemVersion("3.1.3");
    make();
    view->refreshAd();
    waitFor("succeeded");
    ui::Device::reset();
    ASSERT_EQ(adRequests().size(), 1u);
    EXPECT_TRUE(adRequests()[0].target.ends_with("&cachedvideo=false"));
    EXPECT_NE(adRequests()[0].target.find("&ua=iPhone%203.1.3&dv=3.1.3&"), std::string::npos);
}

TEST_F(MERGenericAdViewTest, RefusedTargetingFailsTheRequestAndSendsNothing) {
    for (MERRequestData data : {MERRequestData {{"gender", "Male"}},
             MERRequestData {{"age", "30"}, {"marital", "complicated"}},
             MERRequestData {{"ethnicity", ""}}, MERRequestData {{"orientation", "gay "}}}) {
        auto targeting = ads::meridian::MERTargeting::fromRequestData(data);
        EXPECT_TRUE(targeting.invalid.has_value()) << data.back().first;
        EXPECT_TRUE(targeting.query.empty());
    }
    EXPECT_EQ(*ads::meridian::MERTargeting::fromRequestData({{"gender", "Male"}}).invalid,
        "The key provided gender must have one of the following value male,female,unknown");

    make();
    owner.data = MERRequestData {{"gender", "Male"}};
    view->refreshAd();
    EXPECT_EQ(owner.events, (std::vector<std::string> {"refreshed", "failed"}));
    // The same from the timer: each timed refresh fails, and nothing is sent.
    view->setRefreshTimerEnabled(true);
    foundation::RunLoop::main().runFor(121);
    EXPECT_EQ(owner.events,
        (std::vector<std::string> {
            "refreshed", "failed", "refreshed", "failed", "refreshed", "failed"}));
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_TRUE(adRequests().empty());
}

TEST_F(MERGenericAdViewTest, WithoutAnAdServerEveryRequestFailsAndNothingIsSent) {
    make();
    ads::meridian::MERConfiguration::reset();
    view->refreshAd();
    EXPECT_EQ(owner.events, (std::vector<std::string> {"refreshed", "failed"}));
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_TRUE(adRequests().empty());
}

// --- the reply ---

TEST_F(MERGenericAdViewTest, EachReplyGoesToItsViewOrFails) {
    enum class Shown { Html, Json, None };
    struct Case {
        char const* name;
        std::function<HttpResponse()> answer;
        char const* event;
        Shown shown;
        bool openInBrowser;
        // A JSON reply brings the JSON view forward before its ad is read.
        bool jsonInFront {false};
    };
    auto typed = [](std::string body, std::string type) {
        return [body, type] { return HttpResponse::text(body, 200, type); };
    };
    std::vector<Case> const cases {
        {"html", typed("<p>ad</p>", "text/html"), "succeeded", Shown::Html, false},
        {"json image", typed(imageAd(), "application/json"), "succeeded", Shown::Json, false, true},
        {"json with a charset", typed(imageAd(), "Application/JSON; charset=utf-8"), "succeeded",
            Shown::Html, false},
        {"wrong type", typed("<p>ad</p>", "image/png"), "succeeded", Shown::Html, false},
        {"no type",
            [] {
                HttpResponse response;
                response.body("<p>ad</p>");
                return response;
            },
            "succeeded", Shown::Html, false},
        {"empty body", typed("", "text/html"), "failed", Shown::None, false},
        {"not found", [] { return HttpResponse::text("<p>gone</p>", 404, "text/html"); }, "failed",
            Shown::None, false},
        {"json that is no ad", typed("{\"type\":", "application/json"), "failed", Shown::None,
            false, true},
        {"cut off", [] { return HttpResponse::dropped(); }, "failed", Shown::None, false},
        {"open in browser", [] { return html().header("X-Openinbrowser", "YES"); }, "succeeded",
            Shown::Html, true},
        {"open in browser, any case", [] { return html().header("x-openINBROWSER", "true"); },
            "succeeded", Shown::Html, true},
        {"open in browser without a length",
            [] {
                auto response = html().header("X-Openinbrowser", "YES");
                response.chunked = true;
                return response;
            },
            "succeeded", Shown::Html, false},
        {"open in browser, no", [] { return html().header("X-Openinbrowser", "no"); }, "succeeded",
            Shown::Html, false},
    };
    for (auto const& c : cases) {
        make();
        owner.events.clear();
        refreshWith(c.answer, c.event);
        EXPECT_EQ(owner.events, (std::vector<std::string> {"refreshed", c.event})) << c.name;
        EXPECT_EQ(view->htmlAdView().getAd() != nullptr, c.shown == Shown::Html) << c.name;
        EXPECT_EQ(view->jsonAdView().getAd() != nullptr, c.shown == Shown::Json) << c.name;
        EXPECT_EQ(view->jsonAdView().isHidden(), !c.jsonInFront) << c.name;
        EXPECT_EQ(view->htmlAdView().isHidden(), c.jsonInFront) << c.name;
        EXPECT_EQ(view->openClickInBrowser(), c.openInBrowser) << c.name;
        EXPECT_FALSE(view->isRequestRunning()) << c.name;
        view->removeFromSuperview();
        view = nullptr;
    }
}

TEST_F(MERGenericAdViewTest, AVideoHeaderRecordsTheVideoAndARefreshHeaderRestartsTheTimer) {
    make();
    EXPECT_FALSE(MERHandshake::sharedHandshake().lastVideoPlayedAt().has_value());
    auto const arrival = foundation::Clock::current().wallTime();
    refreshWith([] { return html().header("X-Mm-Video", "1"); }, "succeeded");
    ASSERT_TRUE(MERHandshake::sharedHandshake().lastVideoPlayedAt().has_value());
    EXPECT_EQ(MERHandshake::sharedHandshake().lastVideoPlayedAt()->seconds, arrival);

    // The timer starts at 0 with 60 s; a reply at 30 s restarts it (at 60 s, not at
    // the header's 5), so the next timed request comes at 90 s.
    view->setRefreshTimerEnabled(true);
    foundation::RunLoop::main().runFor(30);
    server.clearRequests();
    reply = [] { return html().header("X-MER-Refresh", "5"); };
    auto request = view->buildRequestUrl();
    ASSERT_TRUE(request);
    owner.events.clear();
    view->connect(*request);
    waitFor("succeeded");
    foundation::RunLoop::main().runFor(31);
    EXPECT_EQ(adRequests().size(), 1u);
    owner.events.clear();
    foundation::RunLoop::main().runFor(30);
    EXPECT_TRUE(owner.heard("refreshed"));
}

TEST_F(MERGenericAdViewTest, AVideoReplyIsCachedFirstThenPlayedWithoutAskingTheServer) {
    server.route("GET", "/video.mp4", HttpResponse::text("VIDEO", 200, "video/mp4"));
    make();
    view->setRefreshTimerEnabled(true);
    auto const video = R"({"type":"video","video":{"id":"v9","content-url":")"
        + server.url("/video.mp4") + R"(","expiration":"2030-01-01 00:00:00 +0000","duration":5}})";
    reply = [video] { return HttpResponse::text(video, 200, "application/json"); };
    owner.events.clear();
    view->refreshAd();
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return owner.heard("succeeded") || owner.heard("failed"); }, 20));
    ASSERT_NE(view->jsonAdView().getAd(), nullptr);
    EXPECT_EQ(view->jsonAdView().getAd()->adType(), ads::meridian::MERJSONAd::Video);
    // The first showing of a video not cached fails and caches it; refreshing waits
    // for the download, then the timer comes back.
    EXPECT_EQ(owner.events, (std::vector<std::string> {"refreshed", "failed", "caching"}));
    EXPECT_FALSE(view->isTimerRunning());
    EXPECT_FALSE(view->isManualRefreshAllowed());
    ASSERT_TRUE(foundation::RunLoop::main().runUntil(
        [&] { return view->isManualRefreshAllowed() && view->isTimerRunning(); }, 20));

    // The next refresh plays the cached video and asks the server nothing.
    auto const asked = adRequests().size();
    owner.events.clear();
    view->refreshAd();
    foundation::RunLoop::main().runUntil(nullptr, 0.5);
    EXPECT_EQ(adRequests().size(), asked);
    EXPECT_FALSE(std::filesystem::exists(ads::meridian::MERVideoCache::markerPath()));
    ASSERT_GE(owner.events.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(owner.events.begin(), owner.events.begin() + 4),
        (std::vector<std::string> {"refreshed", "succeeded", "modalWillAppear", "modalDidAppear"}));
    EXPECT_FALSE(view->jsonAdView().isHidden());
}

// --- refresh ---

TEST_F(MERGenericAdViewTest, TheRefreshIntervalComesFromTheHandshakeThenTheOwner) {
    struct Case {
        char const* adRefresh;
        std::optional<int> owner;
        int seconds;
    };
    std::vector<Case> const cases {
        {"\"sdk\"", 10, 15},
        {"\"sdk\"", 14, 15},
        {"\"sdk\"", 15, 15},
        {"\"sdk\"", 30, 30},
        {"\"sdk\"", 45, 45},
        {"\"sdk\"", 61, 60},
        {"\"sdk\"", 90, 60},
        {"\"sdk\"", 600, 60},
        {"\"sdk\"", std::nullopt, 60},
        {"45", 10, 45},
        {"45", std::nullopt, 45},
        {"30.7", 90, 30},
        {"0", 20, 20},
    };
    make();
    for (auto const& c : cases) {
        MERHandshake::sharedHandshake().takeReply(
            std::string(R"({"merishake":{"adtypes":{"MERBannerAdTop":{"adrefresh":)") + c.adRefresh
                + "}}}}",
            false);
        owner.refresh = c.owner;
        view->updateTimerDuration();
        EXPECT_EQ(view->refreshAdTime(), c.seconds) << c.adRefresh << " " << c.owner.value_or(-1);
    }
}

TEST_F(MERGenericAdViewTest, TheTimerRefreshesAtItsIntervalAndAManualRefreshPushesItBack) {
    owner.refresh = 20;
    make();
    view->setRefreshTimerEnabled(true);
    EXPECT_TRUE(view->refreshTimerEnabled());
    foundation::RunLoop::main().runFor(19.5);
    EXPECT_TRUE(owner.events.empty());
    foundation::RunLoop::main().runFor(0.5);
    // The loopback reply may already have landed too.
    ASSERT_FALSE(owner.events.empty());
    EXPECT_EQ(owner.events.front(), "refreshed");
    waitFor("succeeded");
    // A manual refresh at 30 s: the next timed one comes at 50 s, not 40 s.
    foundation::RunLoop::main().runFor(10);
    view->refreshAd();
    owner.events.clear();
    foundation::RunLoop::main().runFor(19.5);
    EXPECT_FALSE(owner.heard("refreshed"));
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_TRUE(owner.heard("refreshed"));
    view->disableAdRefresh();
    EXPECT_FALSE(view->isTimerRunning());
    view->enableAdRefresh();
    EXPECT_TRUE(view->isTimerRunning());
}

TEST_F(MERGenericAdViewTest, TheKillSwitchStopsEveryRequest) {
    make();
    MERHandshake::sharedHandshake().takeReply(R"({"merishake":{"kill":true}})", false);
    view->setRefreshTimerEnabled(true);
    view->refreshAd();
    foundation::RunLoop::main().runFor(200);
    foundation::RunLoop::main().runFor(0.5);
    EXPECT_TRUE(adRequests().empty());
    // The manual refresh, then the timer at 60, 120 and 180 s.
    EXPECT_EQ(owner.events,
        (std::vector<std::string> {"refreshed", "refreshed", "refreshed", "refreshed"}));
}

TEST_F(MERGenericAdViewTest, NoRefreshWhileAVideoIsBeingCached) {
    make();
    auto& center = foundation::NotificationCenter::defaultCenter();
    view->setRefreshTimerEnabled(true);
    center.postNotification(MERGenericAdView::cachingBeganNotification);
    EXPECT_FALSE(view->isManualRefreshAllowed());
    view->refreshAd();
    foundation::RunLoop::main().runFor(130);
    EXPECT_TRUE(owner.events.empty());
    center.postNotification(MERGenericAdView::cachingEndedNotification);
    view->refreshAd();
    waitFor("succeeded");
    EXPECT_EQ(adRequests().size(), 1u);
}

TEST_F(MERGenericAdViewTest, AnExpandedAdStopsTheTimerAndABannerHeightRestartsIt) {
    make();
    view->setRefreshTimerEnabled(true);
    auto& center = foundation::NotificationCenter::defaultCenter();
    struct Case {
        double asked;
        float height;
        bool timer;
    };
    for (auto const& c : {Case {54, 54, false}, Case {53.9, 53, true}, Case {250, 250, false},
             Case {10, 53, true}}) {
        center.postNotification(MERGenericAdView::resizeNotification, nullptr, c.asked);
        // The resize comes on the next pass of the loop, animated over 0.6 s.
        foundation::RunLoop::main().runFor(0.01);
        EXPECT_EQ(view->isTimerRunning(), c.timer) << c.asked;
        EXPECT_EQ(view->frame().size.height, c.height) << c.asked;
        EXPECT_EQ(view->htmlAdView().frame().size.height, c.height) << c.asked;
        EXPECT_EQ(view->backgroundColor(), ui::Color::whiteColor());
        foundation::RunLoop::main().runFor(0.6);
    }
}

// --- taps and the overlay ---

TEST_F(MERGenericAdViewTest, ATapOpensTheOverlayOrLeavesTheProgram) {
    struct Case {
        std::string link;
        bool openInBrowser;
        std::optional<std::string> outside;
    };
    std::vector<Case> const cases {
        {server.url("/landing"), false, std::nullopt},
        {"sms:5551234", false, "sms:5551234"},
        {"tel:5551234", false, "tel:5551234"},
        {"merbrowser://http://shop.test/a?b=c", false, "http://shop.test/a?b=c"},
        {server.url("/landing"), true, server.url("/landing")},
        {"sms:5551234", true, "sms:5551234"},
    };
    for (auto const& c : cases) {
        make();
        auto const& opened = ui::Application::sharedApplication().openedExternalURLs();
        auto const before = opened.size();
        refreshWith(
            [&] {
                auto response = html();
                if (c.openInBrowser)
                    response.header("X-Openinbrowser", "1");
                return response;
            },
            "succeeded");
        view->setRefreshTimerEnabled(true);
        owner.events.clear();
        shownPage().fireNavigation(c.link);
        std::vector<std::string> const now(opened.begin() + long(before), opened.end());
        if (c.outside) {
            EXPECT_EQ(owner.events, (std::vector<std::string> {"tapped", "leaving"})) << c.link;
            EXPECT_EQ(now, (std::vector<std::string> {*c.outside})) << c.link;
            EXPECT_EQ(view->overlayView(), nullptr) << c.link;
        } else {
            EXPECT_TRUE(now.empty()) << c.link;
            ASSERT_NE(view->overlayView(), nullptr) << c.link;
            EXPECT_EQ(view->overlayView()->superview(), root.get()) << c.link;
            EXPECT_EQ(
                view->overlayView()->overlayType(), ads::meridian::MEROverlayView::fullScreenType);
            EXPECT_TRUE(view->overlayView()->notifyCloseDelegates);
            EXPECT_FALSE(view->overlayView()->shownFromVideo);
            EXPECT_EQ(owner.events.front(), "tapped") << c.link;
        }
        EXPECT_FALSE(view->isTimerRunning()) << c.link;
        if (view->overlayView())
            view->overlayView()->closeWithAnimation(false);
        view->removeFromSuperview();
        view = nullptr;
    }
}

TEST_F(MERGenericAdViewTest, TheOverlayReportsItsLifeToTheOwnerInOrder) {
    make();
    refreshWith([] { return html(); }, "succeeded");
    view->setOverlayOrientation(3);
    view->setRefreshTimerEnabled(true);
    std::vector<std::string> posted;
    auto statusBar = foundation::NotificationCenter::defaultCenter().observe(
        MERGenericAdView::showStatusBarNotification,
        [&](foundation::Notification const&) { posted.push_back("statusBar"); });
    owner.events.clear();
    shownPage().fireNavigation(server.url("/landing"));
    foundation::RunLoop::main().runFor(1);
    auto overlay = base::Ref<ads::meridian::MEROverlayView>(view->overlayView());
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->overlayOrientation, 3);
    EXPECT_EQ(
        owner.events, (std::vector<std::string> {"tapped", "modalWillAppear", "modalDidAppear"}));
    EXPECT_FALSE(view->isTimerRunning());

    overlay->close();
    foundation::RunLoop::main().runFor(1);
    EXPECT_EQ(owner.events,
        (std::vector<std::string> {
            "tapped", "modalWillAppear", "modalDidAppear", "modalDismissed"}));
    EXPECT_EQ(posted, (std::vector<std::string> {"statusBar"}));
    EXPECT_EQ(view->overlayView(), nullptr);
    EXPECT_EQ(overlay->superview(), nullptr);
    EXPECT_TRUE(view->isTimerRunning());
}

TEST_F(MERGenericAdViewTest, ALinkTheOverlayCannotOpenLeavesAfterTheOverlayCloses) {
    make();
    refreshWith([] { return html(); }, "succeeded");
    shownPage().fireNavigation(server.url("/landing"));
    foundation::RunLoop::main().runFor(0.1);
    auto overlay = base::Ref<ads::meridian::MEROverlayView>(view->overlayView());
    ASSERT_NE(overlay, nullptr);
    owner.events.clear();
    static_cast<test::ScriptedWebView&>(*overlay->webView()).fireNavigation("tel:5550000");
    foundation::RunLoop::main().runFor(0.6);
    EXPECT_EQ(overlay->superview(), nullptr);
    EXPECT_TRUE(ui::Application::sharedApplication().openedExternalURLs().empty());
    foundation::RunLoop::main().runFor(0.2);
    EXPECT_EQ(ui::Application::sharedApplication().openedExternalURLs(),
        (std::vector<std::string> {"tel:5550000"}));
    EXPECT_EQ(owner.events.back(), "leaving");
}

TEST_F(MERGenericAdViewTest, AModalAdGetsAPanelAndNoViewController) {
    make();
    refreshWith([] { return html(); }, "succeeded");
    auto* ad = view->htmlAdView().getAd();
    ASSERT_NE(ad, nullptr);
    static_cast<test::ScriptedWebView&>(*ad->webView()).answerScript("shouldShowModal()", "true");
    shownPage().fireNavigation(server.url("/landing"));
    ASSERT_NE(view->overlayView(), nullptr);
    EXPECT_EQ(view->overlayView()->overlayType(), ads::meridian::MEROverlayView::modalType);
    EXPECT_EQ(view->overlayView()->parentViewController(), nullptr);
}

TEST_F(MERGenericAdViewTest, TheInnerViewsSwapOnlyWhenTheOtherOneIsShown) {
    make();
    // An HTML ad while the HTML view is shown: no fade of the ad view.
    refreshWith([] { return html(); }, "succeeded");
    EXPECT_EQ(view->layer().animationForKey(MERGenericAdView::fadeKey), nullptr);
    view->fadeAdView(view->htmlAdView());
    EXPECT_EQ(view->layer().animationForKey(MERGenericAdView::fadeKey), nullptr);

    // A JSON ad brings the JSON view forward with a half-second fade.
    reply = [this] { return HttpResponse::text(imageAd(), 200, "application/json"); };
    owner.events.clear();
    view->refreshAd();
    waitFor("succeeded");
    foundation::RunLoop::main().runFor(0.8);
    EXPECT_FALSE(view->jsonAdView().isHidden());
    EXPECT_TRUE(view->htmlAdView().isHidden());

    // And the next HTML ad brings the HTML view back.
    refreshWith([] { return html("<p>two</p>"); }, "succeeded");
    EXPECT_FALSE(view->htmlAdView().isHidden());
    EXPECT_TRUE(view->jsonAdView().isHidden());
}

TEST_F(MERGenericAdViewTest, TheViewOutlivesItsOwnerUntilTheFadeEnds) {
    make();
    reply = [] { return html(); };
    view->refreshAd();
    waitFor("succeeded");
    // The HTML view's cross-fade runs; the owner lets the view go at once.
    view->setDelegate(nullptr);
    view->removeFromSuperview();
    base::WeakRef<MERGenericAdView> weak(view.get());
    view = nullptr;
    EXPECT_NE(weak.get(), nullptr);
    foundation::RunLoop::main().runFor(2);
    EXPECT_EQ(weak.get(), nullptr);
}

TEST_F(MERGenericAdViewTest, TheStatusBarComesBackUnlessTheApplicationHidIt) {
    make();
    auto& application = ui::Application::sharedApplication();
    auto& center = foundation::NotificationCenter::defaultCenter();
    application.setStatusBarHidden(true);
    center.postNotification(MERGenericAdView::showStatusBarNotification);
    EXPECT_FALSE(application.isStatusBarHidden());
    center.postNotification(MERGenericAdView::updateStatusBarNotification, nullptr, true);
    application.setStatusBarHidden(true);
    center.postNotification(MERGenericAdView::showStatusBarNotification);
    EXPECT_TRUE(application.isStatusBarHidden());
}

// --- the conversion tracker ---

TEST_F(MERGenericAdViewTest, TheConversionReportIsRepeatedUntilItSucceeds) {
    auto config = ads::meridian::MERConfiguration::current();
    config.conversionBaseURL = server.baseURL() + "/";
    ads::meridian::MERConfiguration::setUp(config);
    int status = 500;
    server.route("GET", "/handleConversion",
        [&status](test::HttpRequest const&) { return HttpResponse::text("ok", status); });
    auto const key = MERAdView::conversionRegisterKey();
    auto& defaults = foundation::UserDefaults::standardUserDefaults();
    auto report = [&](std::string const& goal) {
        auto const before = server.requestCount();
        MERAdView::startSynchronousConversionTrackerWithGoalId(goal);
        ASSERT_TRUE(foundation::RunLoop::main().runUntil(
            [&] { return server.requestCount() > before; }, 20));
        foundation::RunLoop::main().runUntil(nullptr, 0.3);
    };

    // A failed report leaves the first launch to be reported again.
    MERAdView::startSynchronousConversionTrackerWithGoalId("goal 1&x");
    ASSERT_TRUE(
        foundation::RunLoop::main().runUntil([&] { return server.requestCount() == 1; }, 20));
    foundation::RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(server.requests()[0].target,
        "/handleConversion?goalid=goal%201%26x&auid=INSTALL-1&firstlaunch=1");
    EXPECT_FALSE(defaults.boolForKey(key));
    status = 200;
    report("g");
    EXPECT_EQ(server.requests().back().query, "goalid=g&auid=INSTALL-1&firstlaunch=1");
    EXPECT_TRUE(defaults.boolForKey(key));
    report("g");
    EXPECT_EQ(server.requests().back().query, "goalid=g&auid=INSTALL-1&firstlaunch=0");

    // No goal, or no tracker: nothing goes out.
    auto const sent = server.requestCount();
    MERAdView::startSynchronousConversionTrackerWithGoalId("");
    config.conversionBaseURL.clear();
    ads::meridian::MERConfiguration::setUp(config);
    MERAdView::startSynchronousConversionTrackerWithGoalId("g");
    foundation::RunLoop::main().runUntil(nullptr, 0.3);
    EXPECT_EQ(server.requestCount(), sent);
}
