#pragma once

// Recording stand-ins of the server, store and ad clients and of the alerts, for the
// tests of the application delegate and the root view controller; each call is one
// line of the shared CallLog ("server.AuthToken", "store.request p1", "ads.spend 15").
// The marketing kit is the real one, pointed at a stand-in marketing service; each
// request it sends is a line too ("marketing.start", "marketing.requestUnreadCredits").

#include "ShellStates.hpp"

#include <foundation/NotificationCenter.hpp>
#include <foundation/Reachability.hpp>
#include <foundation/URLConnection.hpp>
#include <game/shell/AdClients.hpp>
#include <game/shell/AlertPresenter.hpp>
#include <game/shell/DataManager.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/MarketingKit.hpp>
#include <game/shell/PurchaseManager.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/ServerConfig.hpp>
#include <game/shell/Utilities.hpp>
#include <serverkit/marketing/CHKManager.hpp>
#include <serverkit/marketing/CHKQueuedCreditsManager.hpp>
#include <support/LoopbackServer.hpp>
#include <toolkit/rest/RLApplication.hpp>
#include <toolkit/rest/RLClient.hpp>
#include <toolkit/rest/RLRequest.hpp>
#include <toolkit/rest/RLRequestQueue.hpp>

#include <map>
#include <optional>

namespace test {

class RecordingServer final : public game::GameServerClient {
public:
    explicit RecordingServer(CallLog& log)
        : log_(log) { }

    void callAPIMethod(game::ServerCall call) override {
        std::string line = "server." + call.name;
        for (auto const& argument : call.arguments)
            line += " " + argument;
        log_.add(line);
    }
    base::Ref<base::Dictionary> objectForKey(std::string const& key) override {
        auto found = stores.find(key);
        return found == stores.end() ? nullptr : found->second;
    }
    void presentCrossPromote(std::function<void(bool)> done, std::function<void()> close,
        std::string const& buttonLabel, ui::View*) override {
        log_.add("crosspromote.present " + buttonLabel);
        crossPromoteDone = std::move(done);
        crossPromoteClose = std::move(close);
    }
    void dismissCrossPromote() override { log_.add("crosspromote.dismiss"); }

    std::map<std::string, base::Ref<base::Dictionary>> stores;
    std::function<void(bool)> crossPromoteDone;
    std::function<void()> crossPromoteClose;

private:
    CallLog& log_;
};

class RecordingStore final : public game::PurchaseManager {
public:
    explicit RecordingStore(CallLog& log)
        : log_(log) { }

    void createSharedManager() override { log_.add("store.create"); }
    void requestProductData(std::string const& product) override {
        log_.add("store.request " + product);
        requesting = true;
    }
    void purchaseProduct(std::string const& product) override {
        log_.add("store.purchase " + product);
        requesting = false;
        purchasing = true;
    }
    bool isRequestingProductData() override { return requesting; }
    bool isPurchasingProduct() override { return purchasing; }
    void cancelRequestingProductData() override {
        log_.add("store.cancel");
        requesting = false;
    }
    void releaseManager() override {
        log_.add("store.release");
        PurchaseManager::releaseManager();
    }

    bool requesting {false};
    bool purchasing {false};

private:
    CallLog& log_;
};

// A banner that records its loads; the test tells its delegate when an ad arrives.
class FakeBanner final : public game::BannerAdView {
public:
    void loadAd() override { log_.add("banner.load"); }
    void arrive() {
        if (delegate())
            delegate()->adViewDidLoadAd(*this);
    }

private:
    friend base::Factory;
    explicit FakeBanner(CallLog& log)
        : log_(log) { }

    CallLog& log_;
};

class RecordingAds final : public game::AdClients {
public:
    explicit RecordingAds(CallLog& log)
        : log_(log) { }

    void requestBountixConnect(std::string const& id, std::string const& secret) override {
        log_.add("ads.connect " + id + " " + secret);
    }
    void setFeaturedAppDisplayCount(int count) override {
        log_.add("ads.featuredCount " + std::to_string(count));
    }
    void setTransitionEffect(int effect) override {
        log_.add("ads.transition " + std::to_string(effect));
    }
    void setUserDefinedColor(int r, int g, int b) override {
        log_.add(
            "ads.colour " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b));
    }
    void showOffersWithViewController(ui::ViewController*) override { log_.add("ads.showOffers"); }
    void getOfferPoints() override { log_.add("ads.getOfferPoints"); }
    void spendOfferPoints(int points) override { log_.add("ads.spend " + std::to_string(points)); }
    void actionComplete(std::string const& action) override { log_.add("ads.action " + action); }
    void getFeaturedApp() override { log_.add("ads.getFeaturedApp"); }
    base::Ref<ui::ViewController> makeFeaturedAppViewController(base::Value const&) override {
        log_.add("ads.makeFeaturedApp");
        return ui::ViewController::create();
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
    base::Ref<game::BannerAdView> makeBannerView(std::string const&, graphics::Size) override {
        log_.add("ads.makeBanner");
        banner = base::make<FakeBanner>(log_);
        return banner;
    }

    game::BTXAdDelegate* displayAdDelegate {nullptr};
    game::MarqueeDelegate* marqueeDelegate {nullptr};
    base::Ref<FakeBanner> banner;

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

// The state tests' bundle and engine, with the recording server, store, ads and alerts
// installed, the marketing kit pointed at a stand-in service (which registers with 201
// and has no credits unless a test routes some), and the network forced reachable
// (setOnline changes it).
class AppShellTest : public ShellStateTest {
protected:
    AppShellTest() {
        game::GameServerClient::setShared(&server);
        game::PurchaseManager::setShared(&store);
        game::AdClients::setShared(&ads);
        game::AlertPresenter::setShared(&alerts);
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
        marketingSent.cancel();
        clearMarketing();
        foundation::URLConnection::setCertificateAuthorityFile({});
        foundation::Reachability::clearForcedStatus();
        game::AlertPresenter::setShared(nullptr);
        game::AdClients::setShared(nullptr);
        game::PurchaseManager::setShared(nullptr);
        game::GameServerClient::setShared(nullptr);
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

    RecordingServer server {log};
    RecordingStore store {log};
    RecordingAds ads {log};
    RecordingAlerts alerts {log};
};

}
