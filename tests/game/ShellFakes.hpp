#pragma once

// The real game server client against the stand-in game server, the real marketing kit
// pointed at a stand-in marketing service, the real offer-wall client pointed at a
// stand-in offer service, the real cross-promotion panel on a stand-in store web site
// (its pages in scripted web views), the real purchase manager over the scripted device store, and
// recording stand-ins of the other ad clients and the alerts, for the tests of the
// application delegate and the root view controller; each recorded call is one line of
// the shared CallLog ("ads.spend 15"), the server calls are read from the stand-in
// ("server.AuthToken"), and each request the marketing kit sends is a line too ("marketing.start",
// "marketing.requestUnreadCredits").

#include "ShellStates.hpp"

#include <ads/bountix/BTXConfiguration.hpp>
#include <ads/bountix/BTXFeaturedApp.hpp>
#include <ads/bountix/BTXFeaturedAppView.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXUserAccountManager.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <ads/mosaic/MXConfiguration.hpp>
#include <ads/mosaic/MXStore.hpp>

#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/URLConnection.hpp>
#include <game/server/GameServerConnection.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/shell/MarketingKit.hpp>
#include <game/shell/PurchaseManager.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/InAppPurchase.hpp>
#include <serverkit/marketing/CHKManager.hpp>
#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>
#include <services/StoreKit.hpp>
#include <support/LoopbackServer.hpp>
#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <foundation/RunLoop.hpp>
#include <serverkit/APICall.hpp>
#include <serverkit/QBYConnect.hpp>
#include <serverkit/RVCCrossPromoteView.hpp>
#include <support/GameServerStandIn.hpp>
#include <support/ScriptedWebView.hpp>
#include <toolkit/json/JSONDecoder.hpp>
#include <ui/WebView.hpp>

#include <csignal>
#include <filesystem>
#include <map>
#include <optional>

namespace test {

// The real game server connection and server kit against the stand-in game server.
// calls() gives what reached the stand-in as "server.<call>
// <arguments>" lines ("server.CheckReward zorel"), once each.
class ServerUnderTest final : public game::GameServerClient {
public:
    // Writes straight into the server kit's data store: stores["key"] = dictionary.
    class Stores {
    public:
        class Entry {
        public:
            explicit Entry(std::string key)
                : key_(std::move(key)) { }
            Entry& operator=(base::Ref<base::Dictionary> value) {
                serverkit::QBYConnect::sharedManager().setObject(
                    value ? base::Value(value) : base::Value(), key_);
                return *this;
            }

        private:
            std::string key_;
        };
        Entry operator[](std::string key) { return Entry(std::move(key)); }
        void erase(std::string const& key) {
            serverkit::QBYConnect::sharedManager().setObject({}, key);
        }
        void clear() {
            for (auto const& key : serverkit::QBYConnect::sharedManager().dataStore()->keys())
                erase(key);
        }
    };

    // The bundle gets the stand-in's certificate, so that its token blocks open.
    ServerUnderTest(std::filesystem::path const& bundle, std::filesystem::path const& dataFolder) {
        std::filesystem::create_directories(bundle);
        std::filesystem::copy_file(GameServerStandIn::certificateFile(), bundle / "qby.1.der",
            std::filesystem::copy_options::overwrite_existing);
        serverkit::QBYConnect::resetSharedManager();
        std::filesystem::create_directories(dataFolder);
        connection_.setUp({gameServer.host(), "test-udid", dataFolder.string(),
            gameServer.marketingHost(), GameServerStandIn::MarketingPassword});
        game::GameServerClient::setShared(this);
    }
    ~ServerUnderTest() override {
        game::GameServerClient::setShared(nullptr);
        serverkit::QBYConnect::resetSharedManager();
    }

    void callAPIMethod(game::ServerCall call) override {
        connection_.callAPIMethod(std::move(call));
    }
    base::Ref<base::Dictionary> objectForKey(std::string const& key) override {
        return connection_.objectForKey(key);
    }
    // Lets the queued calls go out and end (the stand-in answers at once).
    static void drain() {
        foundation::RunLoop::main().runUntil(
            [] { return !serverkit::QBYConnect::sharedManager().isLoading(); }, 20);
    }
    // The calls that reached the stand-in since the last calls() or take().
    std::vector<std::string> calls() {
        drain();
        auto received = gameServer.calls();
        std::vector<std::string> lines;
        for (std::size_t i = taken_; i < received.size(); ++i)
            lines.push_back(lineOf(received[i]));
        taken_ = received.size();
        return lines;
    }
    void take() { calls(); }

    GameServerStandIn gameServer;
    game::GameServerConnection& connection() { return connection_; }
    Stores stores;

private:
    static std::string lineOf(GameServerCall const& call) {
        static std::map<std::string, std::string> const names = {{"btxomponents", "BTXComponents"},
            {"checkdirectives", "CheckDirectives"}, {"authtoken", "AuthToken"},
            {"checkrestore", "CheckRestore"}, {"checkreward", "CheckReward"},
            {"confirmrestore", "ConfirmRestore"}, {"confirmreward", "ConfirmReward"},
            {"rejectreward", "RejectReward"}, {"events", "Event"}, {"savedata", "PushSaveData"},
            {"listdlc", "ListDLC"}, {"reportdl", "ReportDL"}};
        auto found = names.find(call.method);
        std::string line = "server." + (found == names.end() ? call.method : found->second);
        auto data = toolkit::json::objectFromJSONString(call.data);
        auto const* object = data.dictionary();
        for (char const* key : {"srcappid", "status"}) {
            if (auto const* value = object ? object->objectForKey(key).string() : nullptr)
                line += " " + *value;
        }
        return line;
    }

    game::GameServerConnection connection_;
    std::size_t taken_ {0};
};

// Records every call; the offer wall's connect, pay-per-actions, points, wall and featured app
// go on to the real offer-wall client (so to the stand-in offer service), the rest stops here.
class RecordingAds final : public game::AdClients {
public:
    explicit RecordingAds(CallLog& log)
        : log_(log) { }

    void requestBountixConnect(std::string const& id, std::string const& secret) override {
        log_.add("ads.connect " + id + " " + secret);
        AdClients::requestBountixConnect(id, secret);
    }
    void setFeaturedAppDisplayCount(int count) override {
        log_.add("ads.featuredCount " + std::to_string(count));
        AdClients::setFeaturedAppDisplayCount(count);
    }
    void setTransitionEffect(int effect) override {
        log_.add("ads.transition " + std::to_string(effect));
        AdClients::setTransitionEffect(effect);
    }
    void setUserDefinedColor(int r, int g, int b) override {
        log_.add(
            "ads.colour " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b));
        AdClients::setUserDefinedColor(r, g, b);
    }
    void showOffersWithViewController(ui::ViewController* controller) override {
        log_.add("ads.showOffers");
        AdClients::showOffersWithViewController(controller);
    }
    void getOfferPoints() override {
        log_.add("ads.getOfferPoints");
        AdClients::getOfferPoints();
    }
    void spendOfferPoints(int points) override {
        log_.add("ads.spend " + std::to_string(points));
        AdClients::spendOfferPoints(points);
    }
    void actionComplete(std::string const& action) override {
        log_.add("ads.action " + action);
        AdClients::actionComplete(action);
    }
    void getFeaturedApp() override {
        log_.add("ads.getFeaturedApp");
        AdClients::getFeaturedApp();
    }
    void getDisplayAdWithDelegate(game::BTXAdDelegate* delegate) override {
        log_.add("ads.getDisplayAd");
        displayAdDelegate = delegate;
    }
    void setUpMarquee(std::string const& id, std::string const& signature,
        game::MarqueeDelegate* delegate) override {
        log_.add("ads.marquee " + id + " " + signature);
        marqueeDelegate = delegate;
    }
    void loadInterstitial() override { log_.add("ads.interstitial"); }
    void startHowdyWithAppId(std::string const& id) override { log_.add("ads.howdy " + id); }

    game::BTXAdDelegate* displayAdDelegate {nullptr};
    game::MarqueeDelegate* marqueeDelegate {nullptr};

private:
    CallLog& log_;
};

// Keeps every alert and question; a test answers a question by its title.
class RecordingAlerts final : public game::AlertPresenter {
public:
    explicit RecordingAlerts(CallLog& log)
        : log_(log) { }

    void showAlert(std::string_view title, std::string_view message, std::string_view) override {
        log_.add("alert " + std::string(title));
        messages.emplace_back(message);
    }
    void showQuestion(std::string_view title, std::string_view, std::string_view cancel,
        std::string_view other, std::function<void(int)> answer) override {
        log_.add("question " + std::string(title) + " [" + std::string(cancel) + "|"
            + std::string(other) + "]");
        questions.push_back({std::string(title), std::move(answer)});
    }
    // Answers the open question of that title; false when there is none.
    bool answer(std::string const& title, int index) {
        for (auto it = questions.begin(); it != questions.end(); ++it) {
            if (it->title == title) {
                auto callback = std::move(it->answer);
                questions.erase(it);
                callback(index);
                return true;
            }
        }
        return false;
    }

    struct Question {
        std::string title;
        std::function<void(int)> answer;
    };
    std::vector<Question> questions;
    std::vector<std::string> messages;

private:
    CallLog& log_;
};

// The state tests' bundle and engine, with the real server client (against the
// stand-in), the purchase manager over the scripted store, the recording ads and alerts installed,
// the marketing kit pointed at a stand-in service (which registers with 201 and has no credits
// unless a test routes some), the offer wall's hosts set to a stand-in offer service (which accepts
// every connect and pay-per-action, answers a balance of 0 unless a test routes another, and
// confirms every spend), and the network forced reachable (setOnline changes it).
class AppShellTest : public ShellStateTest {
protected:
    AppShellTest() {
        // Cancelling a request closes the socket under the TLS stand-ins' writes.
        std::signal(SIGPIPE, SIG_IGN);
        resetOfferWall();
        game::DataManager::setString(offers.baseURL(), game::ServerConfig::offerWallBaseURLDefault);
        game::DataManager::setString(
            offers.baseURL(), game::ServerConfig::offerWallFallbackURLDefault);
        offers.route("GET", "/connect", HttpResponse::text("<ok/>"));
        routeOfferBalance(0);
        routeOfferSpend(HttpResponse::text(offerAccount(0)));
        // The device's store sells the five packages and answers at once.
        ads::mosaic::MXStore::resetSharedStore();
        ads::mosaic::MXConfiguration::reset();
        services::SKPaymentQueue::reset();
        storeQueue().script().products = {game::InAppPurchaseSetting::getPackage1ProductID(),
            game::InAppPurchaseSetting::getPackage2ProductID(),
            game::InAppPurchaseSetting::getPackage3ProductID(),
            game::InAppPurchaseSetting::getPackage4ProductID(),
            game::InAppPurchaseSetting::getPackage5ProductID()};
        game::AdClients::setShared(&ads);
        game::AlertPresenter::setShared(&alerts);
        // The publisher's store site: the cross-promotion's entry page, and its final page
        // naming the post published.
        serverkit::RVCCrossPromoteView::resetShared();
        ui::WebView::setFactory([](graphics::Rect frame) -> base::Ref<ui::WebView> {
            return ScriptedWebView::create(frame);
        });
        storeSite.route("GET", serverkit::RVCCrossPromoteView::EntryPage,
            HttpResponse::text("<html>offer</html>", 200, "text/html"));
        storeSite.route("GET", serverkit::RVCCrossPromoteView::FinalPage,
            HttpResponse::text(
                "<html><div id=\"QbyRvcAPI_result\">77</div></html>", 200, "text/html"));
        game::DataManager::setString(
            storeSite.baseURL(), game::ServerConfig::productWebBaseURLDefault);
        setOnline(true);
        clearMarketing();
        foundation::URLConnection::setCertificateAuthorityFile(LoopbackServer::caFile());
        game::DataManager::setString(
            marketing.baseURL(), game::ServerConfig::marketingBaseURLDefault);
        marketing.route("POST", "/api/tessaline/newInstallations/", HttpResponse::text("", 201));
        routeCredits("[]");
        marketingSent = foundation::NotificationCenter::defaultCenter().observe(
            toolkit::rest::RLRequestSentNotification, [this](foundation::Notification const& sent) {
                // Only requests post it.
                auto const* request = static_cast<toolkit::rest::RLRequest const*>(sent.object());
                auto path = request->resourcePath().value_or("");
                if (path.find("/newInstallations/") != std::string::npos)
                    log.add("marketing.start");
                else if (path.find("/queuedCredits/unread/") != std::string::npos)
                    log.add("marketing.requestUnreadCredits");
            });
    }
    ~AppShellTest() override {
        serverkit::RVCCrossPromoteView::resetShared();
        ui::WebView::setFactory(nullptr);
        resetOfferWall();
        marketingSent.cancel();
        clearMarketing();
        foundation::URLConnection::setCertificateAuthorityFile({});
        foundation::Reachability::clearForcedStatus();
        game::AlertPresenter::setShared(nullptr);
        game::AdClients::setShared(nullptr);
        game::InAppPurchase::releaseSharedManager();
        ads::mosaic::MXStore::resetSharedStore();
        ads::mosaic::MXConfiguration::reset();
        services::SKPaymentQueue::reset();
    }

    // The cross-promotion panel, and the page it shows.
    static serverkit::RVCCrossPromoteView& crossPromotion() {
        return serverkit::RVCCrossPromoteView::sharedRVCCrossPromote();
    }
    static ScriptedWebView& crossPromotionPage() {
        return dynamic_cast<ScriptedWebView&>(*crossPromotion().cpAPIWebView());
    }
    // Runs until the panel's page has loaded; false when it never did.
    static bool crossPromotionLoaded() {
        return foundation::RunLoop::main().runUntil(
            [] {
                auto* page = crossPromotion().cpAPIWebView();
                return page && !page->isLoading();
            },
            20);
    }
    // The panel's page goes on to the final page, whose result element reads postId, and
    // that page loads (the panel may be gone by then).
    bool finishCrossPromotion(std::string const& postId) {
        if (!crossPromotionLoaded())
            return false;
        base::Ref<ScriptedWebView> page(&crossPromotionPage());
        page->answerScript(serverkit::RVCCrossPromoteView::ResultScript, postId);
        return page->fireNavigation(storeSite.url(serverkit::RVCCrossPromoteView::FinalPage))
            && foundation::RunLoop::main().runUntil([page] { return !page->isLoading(); }, 20);
    }

    static services::SKPaymentQueue& storeQueue() {
        return services::SKPaymentQueue::defaultQueue();
    }

    static void setOnline(bool online) {
        foundation::Reachability::setForcedStatus(online
                ? foundation::Reachability::NetworkStatus::ReachableViaWiFi
                : foundation::Reachability::NetworkStatus::NotReachable);
    }

    // The stand-in's unread credits: body as JSON, or with another content type.
    void routeCredits(std::string body, std::string contentType = "application/json") {
        marketing.route("POST",
            "/api/tessaline/users/ios:" + game::Utilities::getUDID() + "/apps/ios:bundleId:"
                + foundation::Bundle::mainBundle().bundleIdentifier() + "/queuedCredits/unread/",
            HttpResponse::text(std::move(body), 200, std::move(contentType)));
    }
    // Runs the main loop until the marketing kit's requests have ended.
    static bool marketingSettled() {
        return foundation::RunLoop::main().runUntil(
            [] { return toolkit::rest::RLRequestQueue::sharedQueue().count() == 0; }, 10);
    }

    // The offer service's account reply with a balance.
    static std::string offerAccount(int points) {
        return "<BountixConnectReturnObject><UserAccountObject><OfferPoints>"
            + std::to_string(points)
            + "</OfferPoints><CurrencyName>Gems</CurrencyName><PointsID>pid</PointsID>"
              "</UserAccountObject></BountixConnectReturnObject>";
    }
    void routeOfferBalance(int points) {
        offers.route(
            "GET", "/get_vg_store_items/user_account", HttpResponse::text(offerAccount(points)));
    }
    void routeOfferSpend(HttpResponse response) {
        offers.route("GET", "/points/spend", std::move(response));
    }
    // The requests of that path that reached the stand-in offer service.
    std::vector<HttpRequest> offerRequests(std::string const& path) const {
        std::vector<HttpRequest> found;
        for (auto& request : offers.requests())
            if (request.path == path)
                found.push_back(std::move(request));
        return found;
    }
    // Frames until every offer-wall request has been answered and what their
    // notifications started has run too; false when they were still running after
    // the time-out.
    static bool offersSettled(double timeoutSeconds = 20) {
        auto idle = [] {
            return ads::bountix::BountixConnect::sharedBountixConnect().runningRequests() == 0
                && !ads::bountix::BTXUserAccountManager::sharedBTXUserAccountManager()
                        .waitingForResponse();
        };
        for (int pass = 0; pass < 20; ++pass) {
            if (!foundation::RunLoop::main().runUntil(idle, timeoutSeconds))
                return false;
            frame();
            if (idle())
                return true;
        }
        return false;
    }
    static void resetOfferWall() {
        ads::bountix::BTXFeaturedAppManager::resetShared();
        ads::bountix::BTXFeaturedAppView::resetShared();
        ads::bountix::BTXOffersWebView::resetShared();
        ads::bountix::BTXCallsWrapper::resetShared();
        ads::bountix::BTXViewCommons::resetShared();
        ads::bountix::BTXUserAccountManager::resetShared();
        ads::bountix::BountixConnect::resetShared();
        ads::bountix::BTXConfiguration::reset();
    }

    static void clearMarketing() {
        game::MarketingKit::shared().setDelegate(nullptr);
        toolkit::rest::RLRequestQueue::setSharedQueue(nullptr);
        toolkit::rest::RLClient::setSharedClient(nullptr);
        toolkit::rest::RLApplication::setShared(nullptr);
        serverkit::CHKManager::resetSharedManager();
        serverkit::CHKQueuedCreditsManager::resetSharedManager();
    }

    LoopbackServer marketing {LoopbackServer::Tls::Trusted};
    foundation::ObservationToken marketingSent;
    LoopbackServer offers {LoopbackServer::Tls::Trusted};
    // Plain HTTP, as the store site is.
    LoopbackServer storeSite;

    ServerUnderTest server {bundle, dir / "home/Library/Marrowby"};
    RecordingAds ads {log};
    RecordingAlerts alerts {log};
};

}
