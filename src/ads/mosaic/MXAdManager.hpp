#pragma once

#include <ads/mosaic/MXAdBrowserController.hpp>
#include <ads/mosaic/MXBaseAdapter.hpp>
#include <ads/mosaic/MXTimer.hpp>
#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/URLConnection.hpp>
#include <ui/WebView.hpp>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ads::mosaic {

class MXAdView;
class MXStore;

// What the ad server's reply headers ask for, read as the platform reads header
// texts. A header that is absent leaves its field empty. Sizes that are not finite
// or below zero count as absent, and the refresh interval is at least
// MXAdManager::minimumRefreshInterval.
struct MXAdResponseHeaders {
    std::string clickURL;
    std::string interceptURL;
    std::string failURL;
    std::string impTrackerURL;
    std::optional<bool> interceptLinks;
    std::optional<bool> scrollable;
    std::optional<graphics::Size> creativeSize;
    std::optional<double> refreshInterval;
    std::optional<int> animationType;
    std::string networkType;
    // None means an HTML ad, as "html" does.
    std::optional<std::string> adType;

    static MXAdResponseHeaders parse(foundation::HTTPHeaderFields const& headers);
};

// Fetches the banner's ads: asks the ad server ("/m/ad") for one, reads the reply's
// headers, and renders an HTML body in a web view of its pool or hands the ad to a
// network adapter. It owns the refresh timer, pings the impression and click trackers
// and retries after failures. Owned by its ad view, which clears adView when it goes.
// Main thread: connection, timer and web-view callbacks arrive on the main run loop.
//
// Kept from the server's protocol: with no keywords the request carries "q=(null)",
// which the server may rely on. Departures, so that a hostile or broken server cannot
// wedge or flood the client: a new request cancels the one still running, and an
// unknown adapter type with no fail URL fails and waits for the retry timer rather
// than asking again at once.
//
// HTML creatives talk back by navigating to "mosaic://COMMAND?QUERY" URLs, which are
// never loaded. A creative may call the delegate's operations by name ("custom") only
// for the names the delegate lists; a creative that reports neither "finishLoad" nor
// "failLoad" within creativeLoadTimeout fails as if it had reported "failLoad".
class MXAdManager : public base::Object,
                    public MXAdapterDelegate,
                    private foundation::URLConnectionDelegate,
                    public ui::WebViewDelegate,
                    public MXAdBrowserControllerDelegate {
public:
    static constexpr char const* autorefreshNotification = "Autorefresh";
    // Seconds before a failed or unanswered request is made again without a timer.
    static constexpr double retryInterval = 60.0;
    // The shortest refresh interval a reply may ask for.
    static constexpr double minimumRefreshInterval = 5.0;
    // Seconds an HTML creative has to report that it loaded or failed.
    static constexpr double creativeLoadTimeout = 30.0;
    static constexpr char const* commandScheme = "mosaic";

    static base::Ref<MXAdManager> initWithAdView(MXAdView& view);

    MXAdView* adView() override { return adView_; }
    void setAdView(MXAdView* view) { adView_ = view; }

    void loadAdWithURL(std::optional<std::string> url);
    void refreshAd();
    void forceRefreshAd();
    // The request URL of a default ad request; none while no ad server is configured.
    std::optional<std::string> serverRequestURL() const;
    void trackClick();
    void trackImpression();
    void setIgnoresAutorefresh(bool ignores);
    bool ignoresAutorefresh() const { return ignoresAutorefresh_; }
    void rotateToOrientation(ui::InterfaceOrientation orientation);
    void scheduleAutorefreshTimerIfEnabled();
    void scheduleAutorefreshTimer();
    void cancelPendingAutorefreshTimer();
    void replaceCurrentAdapterWithAdapter(base::Ref<MXBaseAdapter> adapter);
    void setAdContentView(base::Ref<ui::View> view);
    void customEventDidLoadAd();
    void customEventDidFailToLoadAd();

    void applicationDidEnterBackground();
    void applicationWillEnterForeground();

    // The ad web views made and not yet discarded.
    std::vector<base::Ref<ui::WebView>> const& webviewPool() const { return webviewPool_; }
    void removeWebviewFromPool(ui::WebView* webView);
    void destroyWebviewPool();
    virtual base::Ref<ui::WebView> adWebViewWithFrame(graphics::Rect frame);

    // The ad web views' delegate: commands and link interception.
    bool shouldStartLoadWithRequest(ui::WebView& webView, foundation::URLRequest const& request,
        ui::WebViewNavigationType navigationType) override;
    // Opens the ad browser on the click-through URL for a link of the creative.
    void adLinkClicked(std::string const& url);
    void customLinkClickedForSelectorString(
        std::optional<std::string> const& name, std::optional<std::string> const& data);
    // "key=value" pairs joined by "&": split at the first "=", keys and values
    // unescaped (a piece that cannot be unescaped stays as it came); a piece without
    // "=" is its own key and value; later keys win.
    static std::map<std::string, std::string> dictionaryFromQueryString(std::string const& query);
    void fireOrientationChangedEventInWebview(ui::WebView& webView);

    // MXAdBrowserControllerDelegate
    void dismissBrowserController(MXAdBrowserController& browser) override;
    void dismissBrowserController(MXAdBrowserController& browser, bool animated) override;

    // MXAdapterDelegate
    graphics::Size maximumAdSize() override;
    ui::ViewController* viewControllerForPresentingModalView() override;
    int allowedNativeAdsOrientation() override;
    void adapterDidFinishLoadingAd(
        MXBaseAdapter* adapter, base::Ref<ui::View> view, bool shouldTrackImpression) override;
    void adapterDidFailToLoadAdWithError(MXBaseAdapter* adapter, std::string const& error) override;
    void userActionWillBeginForAdapter(MXBaseAdapter* adapter) override;
    void userActionDidEndForAdapter(MXBaseAdapter* adapter) override;

    // Plain accessors.
    std::string const& adUnitId() const { return adUnitId_; }
    void setAdUnitId(std::string id) { adUnitId_ = std::move(id); }
    std::optional<std::string> const& keywords() const { return keywords_; }
    void setKeywords(std::optional<std::string> keywords) { keywords_ = std::move(keywords); }
    std::string const& URL() const { return url_; }
    bool isLoading() const { return isLoading_; }
    void setIsLoading(bool loading) { isLoading_ = loading; }
    bool adActionInProgress() const { return adActionInProgress_; }
    void setAdActionInProgress(bool inProgress) { adActionInProgress_ = inProgress; }
    foundation::URLConnection* conn() const { return conn_.get(); }
    std::string const& clickURL() const { return clickURL_; }
    std::string const& interceptURL() const { return interceptURL_; }
    std::string const& failURL() const { return failURL_; }
    std::string const& impTrackerURL() const { return impTrackerURL_; }
    bool shouldInterceptLinks() const { return shouldInterceptLinks_; }
    MXTimer* autorefreshTimer() const { return autorefreshTimer_.get(); }
    MXTimerTarget* timerTarget() const { return timerTarget_.get(); }
    bool autorefreshTimerNeedsScheduling() const { return autorefreshTimerNeedsScheduling_; }
    MXBaseAdapter* currentAdapter() const { return currentAdapter_.get(); }
    MXBaseAdapter* previousAdapter() const { return previousAdapter_.get(); }
    MXStore* store() const { return store_; }
    // The creative that has yet to report whether it loaded; null when none.
    ui::WebView* loadingWebView() const { return loadingWebView_; }

protected:
    explicit MXAdManager(MXAdView& view);
    ~MXAdManager() override;

    // The owed-schedule rule at the end of an ad action.
    void resumeRefreshAfterAdAction();
    // A failed request: hide, report, and try again after the timer's interval or 60 s.
    virtual void failAndRetry();
    // After a failed adapter or custom event: the fail URL, or the retry without one.
    void loadFailURL();

private:
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const& error) override;
    void cancelConnection();
    base::Ref<MXTimer> makeRefreshTimer(double interval);
    void runCommand(ui::WebView& webView, std::string const& command, std::string const& query);
    void creativeDidFinishLoad(ui::WebView& webView);
    void creativeDidFailLoad(ui::WebView& webView);
    void creativeTimedOut();
    void cancelCreativeTimeout();
    static void ping(std::string const& url);

    MXAdView* adView_;
    std::string adUnitId_;
    std::optional<std::string> keywords_;
    std::string url_;
    bool isLoading_ {false};
    bool adActionInProgress_ {false};
    base::Ref<foundation::URLConnection> conn_;
    base::Bytes data_;
    std::vector<base::Ref<ui::WebView>> webviewPool_;
    base::Ref<MXBaseAdapter> currentAdapter_;
    base::Ref<MXBaseAdapter> previousAdapter_;
    std::string clickURL_;
    std::string interceptURL_;
    std::string failURL_;
    std::string impTrackerURL_;
    bool shouldInterceptLinks_ {true};
    base::Ref<MXTimer> autorefreshTimer_;
    // The creative that has yet to report, and its deadline.
    ui::WebView* loadingWebView_ {nullptr};
    base::Ref<foundation::Timer> creativeTimeout_;
    // The browser a link opened; the presenter owns it.
    base::WeakRef<MXAdBrowserController> browser_;
    base::Ref<MXTimerTarget> timerTarget_;
    bool ignoresAutorefresh_ {false};
    bool autorefreshTimerNeedsScheduling_ {false};
    MXStore* store_ {nullptr};
    std::vector<foundation::ObservationToken> observations_;

    friend base::Factory;
};

}
