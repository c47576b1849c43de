#pragma once

#include <ads/adnoria/ADNCachedFile.hpp>
#include <ads/adnoria/ADNClickTracker.hpp>
#include <ads/adnoria/ADNDelegateManager.hpp>
#include <ads/adnoria/ADNRequest.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <graphics/Geometry.hpp>
#include <ui/ViewController.hpp>
#include <ui/WebView.hpp>

#include <optional>
#include <string>
#include <vector>

namespace ui {
class View;
class ViewController;
class WebView;
}

namespace ads::adnoria {

class ADNBannerView;
class ADNBannerWebViewDelegate;
class ADNWebViewDelegate;

// The engine behind one banner or interstitial. Given a request it makes sure the
// core script is on hand (fetched from the script host, revalidated at most once a
// day), runs it in a hidden web view that answers the ad URL through the bridge,
// fetches the ad, reads the reply headers that steer tracking, orientation, the
// interstitial time-out and the refresh, and loads the ad into the visible web
// view. Outcomes go to the delegates through the delegate manager.
//
// States: 0 idle, 1 fetching the script, 2 script failed, 3 building the URL, 4
// fetching the ad, 5 ad loading, 6 ad ready, 7 failed. A load is refused without a
// word while one is in progress (1, 3, 4, 5) and while the application is inactive
// after its launch.
//
// Where the text leaves a load waiting for ever, this one ends: a script page that
// answers nothing within "applicationTimeout" seconds fails with code 5 (so a plain
// web view, which runs no script, gives a clean failure). A reload timer that fires
// while a load runs or the application is inactive is armed again with the same
// interval instead of being dropped, so refreshing never stops by itself.
//
// Owned by the facade through the private-object table; the facade calls
// cancelPendingActions before it lets go. Main thread.
class ADNObjectPrivate final : public base::Object,
                               private ADNCachedFileDelegate,
                               private ADNClickTrackerDelegate {
public:
    enum State {
        Idle = 0,
        FetchingScript = 1,
        ScriptFailed = 2,
        BuildingURL = 3,
        FetchingAd = 4,
        AdLoading = 5,
        AdReady = 6,
        Failed = 7,
    };

    static constexpr char const* ScriptPath = "/anma/sdk-core-v40.js";
    static constexpr char const* BuildFunction = "ANMA_buildAdURL";
    static constexpr double ScriptLifetime = 86400;
    static constexpr double DefaultApplicationTimeout = 5.0;

    static base::Ref<ADNObjectPrivate> initWithFrame(graphics::Rect frame);
    static base::Ref<ADNObjectPrivate> initWithView(ADNBannerView& view);
    ~ADNObjectPrivate() override;

    // Registers "applicationTimeout" = 5.0 in the standard user defaults.
    static void registerApplicationTimeoutDefault();
    // The launch-finished flag: set when the application reports its launch.
    static bool launchFinished();
    static void setLaunchFinished(bool finished);

    ADNBannerView* adView() const { return adView_; }
    std::string const& adUnitID() const { return adUnitID_; }
    void setAdUnitID(std::string adUnitID) { adUnitID_ = std::move(adUnitID); }
    ui::ViewController* rootViewController() const;
    void setRootViewController(ui::ViewController* controller);
    ADNDelegateManager& delegateManager() const { return *delegateManager_; }
    ui::WebView* webView() const { return webView_.get(); }
    ui::WebView* buildAdWebView() const { return buildAdWebView_.get(); }
    ADNRequestPrivate* request() const { return request_.get(); }
    int state() const { return state_; }
    bool hasAutoRefreshed() const { return hasAutoRefreshed_; }
    int supportedOrientations() const { return supportedOrientations_; }
    double reloadSeconds() const { return reloadSeconds_; }
    foundation::Timer* reloadTimer() const { return reloadTimer_.get(); }
    ADNCachedFile* buildAdJS() const { return buildAdJS_.get(); }
    ADNCachedFile* adHTML() const { return adHTML_.get(); }
    void setAdHTML(base::Ref<ADNCachedFile> file);
    std::vector<std::string> const& pendingTrackingURLs() const { return pendingTrackingURLs_; }
    std::vector<std::string> const& pendingClickURLs() const { return pendingClickURLs_; }
    std::optional<std::string> adHTMLString() const;
    std::string adHTMLBaseURL() const;

    void loadRequest(ADNRequest* request);
    void loadInterstitialRequest(ADNRequest* request);
    void loadPrivateRequest(ADNRequestPrivate* request, bool autoRefresh);
    void reloadCurrentRequest();
    void cancelPendingActions();
    bool isMakingRequest() const;
    bool isAppActive() const;
    bool supportsMinimumRequirementsForRequest(ADNRequestPrivate* request);
    void changeState(int state);

    void trackURLs(std::vector<std::string> const& urls);
    std::vector<base::Ref<ADNClickTracker>> const& pendingTrackers() const { return trackers_; }
    void cleanupTrackers();

    // The reload timer.
    void scheduleReloadTimer(double seconds);
    void resetReloadTimer();
    void activateReloadTimer() { scheduleReloadTimer(reloadSeconds_); }
    void deactivateReloadTimer() { resetReloadTimer(); }
    void addReloadInformationFromHeaders();

    // Splits a header at single spaces into URLs (pieces trimmed, empty ones skipped)
    // and appends them to urls.
    static void createOrReuseArray(std::vector<std::string>& urls, std::string const& header);

    // The URL-building page for the script text and the JSON parameters.
    static std::string buildPageText(std::string const& script, std::string const& json);

private:
    friend base::Factory;
    ADNObjectPrivate() = default;

    void setUp(graphics::Rect frame);

    void ensureSupportFiles();
    void failedToDownloadJavaScriptWithError();
    void buildAdUrl();
    void addAdditionalParameters(base::Dictionary& parameters) const;
    void setupBuildAdWebView();
    void resetBuildAdWebView();
    void buildTimedOut();
    void loadAdURL(foundation::Notification const& notification);
    void scriptRefused(foundation::Notification const& notification, char const* logFormat);
    void loadHTMLFromURL(std::string const& url);
    void processHTTPHeaders(ADNCachedFile& file);
    void showAd();
    void failedAdRequestWithError(ADNCachedFile& file);
    void report(int code, ADNRequestPrivate* request);

    void cachedFileDownloadDidEnd(ADNCachedFile& file) override;
    void cachedFileDownloadDidFail(
        ADNCachedFile& file, std::optional<foundation::URLError> error) override;
    std::optional<foundation::URLError> cachedFileShouldRedirectToURL(
        ADNCachedFile& file, std::string const& url) override;
    void trackerDidRedirect(ADNClickTracker&, std::string const&) override;
    void trackerDidFailWithError(
        ADNClickTracker&, std::optional<foundation::URLError> const&) override;

    ADNBannerView* adView_ {nullptr};
    std::string adUnitID_;
    base::Ref<ADNDelegateManager> delegateManager_;
    base::WeakRef<ui::ViewController> rootViewController_;
    base::Ref<ui::WebView> webView_;
    base::Ref<ui::WebView> buildAdWebView_;
    base::Ref<ADNBannerWebViewDelegate> webViewDelegate_;
    base::Ref<ADNWebViewDelegate> buildAdWebViewDelegate_;
    base::Ref<ADNCachedFile> buildAdJS_;
    base::Ref<ADNCachedFile> adHTML_;
    base::Ref<ADNRequestPrivate> request_;
    int state_ {Idle};
    std::vector<base::Ref<ADNClickTracker>> trackers_;
    std::vector<std::string> pendingTrackingURLs_;
    std::vector<std::string> pendingClickURLs_;
    base::Ref<foundation::Timer> reloadTimer_;
    double reloadSeconds_ {0};
    bool hasAutoRefreshed_ {false};
    int supportedOrientations_ {1};

    std::vector<foundation::ObservationToken> appObservations_;
    std::vector<foundation::ObservationToken> buildObservations_;
};

}
