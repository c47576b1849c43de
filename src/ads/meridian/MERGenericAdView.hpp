#pragma once

#include <ads/meridian/MERAdView.hpp>
#include <ads/meridian/MERHTMLAdView.hpp>
#include <ads/meridian/MERJSONAdView.hpp>
#include <ads/meridian/MEROverlayView.hpp>
#include <base/Ref.hpp>
#include <foundation/HTTPHeaderFields.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <foundation/URLConnection.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ads::meridian {

class MERBasicAd;

// What the headers of an ad reply ask for. The headers are outside input: a
// Content-Length that is not a plain positive integer makes the others unread.
struct MERAdReplyHeaders {
    // The lower-cased Content-Type, when there is one.
    std::optional<std::string> mimeType;
    // "X-MER-Refresh": restart the refresh timer (at the computed interval).
    bool restartTimer {false};
    // "X-MER-Video" or "X-Mm-Video": a video ad is on its way.
    bool videoAd {false};
    // "X-Openinbrowser": taps leave the program instead of opening the overlay.
    bool openClickInBrowser {false};

    static MERAdReplyHeaders read(foundation::HTTPHeaderFields const& fields);
};

// The targeting string of an ad request ("&key=value" per entry, each key and value
// escaped on its own), or the reason the data is refused: one of the four checked
// keys with a value outside its list.
struct MERTargeting {
    std::string query;
    std::optional<std::string> invalid;

    static MERTargeting fromRequestData(MERRequestData const& data);
};

// The ad view engine under both concrete views: it asks the ad server for an ad,
// shows it through its two inner views (HTML and JSON, one visible at a time),
// refreshes on its timer, and routes taps to a landing overlay inside the program
// or out of it. It is the delegate of its inner views and of the overlay it opens,
// and answers the ad models' questions.
//
// One ad request runs at a time; a new one cancels the running one. The refresh
// timer runs only while automatic refresh is on, and every refresh (timed or asked
// for) is skipped while a video is being cached. Targeting data that the server
// would refuse, a missing ad server, a failed or empty reply all end as
// adRequestFailed to the delegate. The view keeps itself alive while an inner view's
// cross-fade runs and owns at most one overlay. Main thread and its run loop only.
class MERGenericAdView : public MERAdView,
                         private MERHTMLAdViewDelegate,
                         private MERJSONAdViewDelegate,
                         private MEROverlayDelegate,
                         private foundation::URLConnectionDelegate {
public:
    static constexpr char const* userAgent = "MERSDK/4.2.6";
    static constexpr char const* requestPath = "getAd.php5";
    static constexpr char const* showStatusBarNotification = "MERShowStatusBarIfNeeded";
    static constexpr char const* showStatusBarFromVideoNotification
        = "MERShowStatusBarIfNeededFromVideoOverlay";
    static constexpr char const* updateStatusBarNotification = "MERUpdateStatusBarVisibility";
    static constexpr char const* cachingBeganNotification = "MERCachingBeganNotification";
    static constexpr char const* cachingEndedNotification = "MERCachingEndedNotification";
    static constexpr char const* resizeNotification = "MERResizeAdToHeight";
    static constexpr char const* defaultApid = "846";
    static constexpr char const* fadeKey = "fade";
    static constexpr double fadeDuration = 0.5;
    static constexpr double resizeDuration = 0.6;
    // The largest reply body read; a longer one fails the request.
    static constexpr std::uint64_t maximumReplyBytes = std::uint64_t(2) << 20;

    ~MERGenericAdView() override;

    // --- settings ---
    void setDelegate(MERAdDelegate* delegate) override { delegate_ = delegate; }
    std::string const& getApid() const { return apid_; }
    // A non-empty apid replaces the stored one; an empty one keeps it, or takes the
    // main bundle's "APID" or else the default when none is stored. The result is
    // written to the user defaults ("MERApid").
    void setApid(std::string const& apid);
    void setRequestData(MERRequestData data) { additionalRequestParameters_ = std::move(data); }
    MERRequestData const& requestData() const { return additionalRequestParameters_; }
    int adTypeNumber() const { return adType_; }
    std::string adType() const { return adTypeName(adType_); }
    graphics::Rect overlayFrame() const { return overlayFrame_; }
    void setOverlayFrame(graphics::Rect frame) { overlayFrame_ = frame; }
    graphics::Size overlaySize() const { return overlaySize_; }
    void setOverlaySize(graphics::Size size) { overlaySize_ = size; }
    int overlayOrientation() const { return overlayOrientation_; }
    void setOverlayOrientation(int orientation) { overlayOrientation_ = orientation; }
    bool openClickInBrowser() const { return openClickInBrowser_; }
    std::optional<std::string> const& adMimeType() const { return adMimeType_; }
    void setAdMimeType(std::optional<std::string> type) { adMimeType_ = std::move(type); }
    // Gives both inner views the whole of the new size, then takes the frame.
    void setFrame(graphics::Rect frame);
    bool isAccelerometerEnabled() const;

    // --- requests and refresh ---
    void connectOrPlayCache();
    // The ad request for the current settings, or none (and a log line) when the
    // targeting data is refused or no ad server is configured.
    std::optional<foundation::URLRequest> buildRequestUrl();
    // The targeting string, or none when the data is refused.
    std::optional<std::string> extraParams();
    void connect(foundation::URLRequest request);
    bool isRequestRunning() const { return connection_ != nullptr; }
    void updateTimerDuration();
    int refreshAdTime() const { return refreshAdTime_; }
    void startTimer();
    void stopTimer();
    bool isTimerRunning() const { return refreshAdTimer_ != nullptr; }
    void timerRefreshAd();
    void refreshAd() override;
    void enableAdRefresh() override { setRefreshTimerEnabled(true); }
    void disableAdRefresh() override { setRefreshTimerEnabled(false); }
    void setRefreshTimerEnabled(bool enabled) override;
    bool isAutomaticRefreshOn() const { return enableAdRefresh_; }
    bool isManualRefreshAllowed() const { return enableManualAdRefresh_; }
    void resizeToHeight(double height);

    // --- taps, overlays and the inner views ---
    MERHTMLAdView& htmlAdView() const { return *htmlAdView_; }
    MERJSONAdView& jsonAdView() const { return *jsonAdView_; }
    MEROverlayView* overlayView() const { return overlayView_.get(); }
    // Opens the landing overlay for ad with content (a request or an HTML text).
    void showOverlayWithAd(MERBasicAd* ad,
        std::variant<foundation::URLRequest, std::string> const& content, int orientation,
        bool notifyOpenDelegates, bool notifyCloseDelegates, bool shownFromVideo);
    // Hands url to the system (after telling the delegate).
    void openURL(std::string const& url);
    // Cross-fades to the inner view that asks, when it is the hidden one.
    void fadeAdView(ui::View& adView);
    void showStatusBar();
    bool isStatusBarHidden() const { return isStatusBarHidden_; }

protected:
    MERGenericAdView(
        graphics::Rect frame, std::string const& apid, int type, MERAdDelegate* delegate);

public:
    // The set-up that may call the delegate back, once the view is made: the refresh
    // setting, the targeting data, the apid, then the timer and the first request
    // when asked.
    void initAdWithTimer(bool startTimer, bool getAd);

private:
    void failRequest();
    void routeTap(MERBasicAd* ad, std::string const& url, bool jsonView);
    void routeURL(MERBasicAd* ad, std::string const& url);
    int tapOrientation(bool jsonView) const;
    void keepAliveForTransition();
    void transitionEnded(ui::View& adView);

    // Inner HTML view.
    bool htmlAdViewAccelerometerEnabled() override { return isAccelerometerEnabled(); }
    void htmlAdViewRequestFailed(MERHTMLAdView&) override;
    void htmlAdViewRequestSucceeded(MERHTMLAdView&) override;
    void htmlAdViewWasTapped(MERHTMLAdView&, foundation::URLRequest const& request) override;
    void htmlAdViewWantsToOpenURL(MERHTMLAdView&, std::string const& url) override;
    void htmlAdViewTransitionAnimationDidEnd(MERHTMLAdView& view) override;
    void htmlAdViewTransitionAnimationWillBegin(MERHTMLAdView&) override;
    // Inner JSON view.
    void jsonAdViewRequestFailed(MERJSONAdView&) override;
    void jsonAdViewRequestSucceeded(MERJSONAdView&) override;
    void jsonAdViewVideoAdFinishedPlaying(MERJSONAdView&, bool startTimer) override;
    void jsonAdViewVideoAdSucceeded(MERJSONAdView&) override;
    void jsonAdViewVideoAdFailed(MERJSONAdView&) override;
    void jsonAdViewWantsToMoveToTheFront(MERJSONAdView& view) override;
    void jsonAdViewVideoCacheSucceeded(MERJSONAdView&) override { startTimer(); }
    void jsonAdViewVideoCacheFailed(MERJSONAdView&) override { startTimer(); }
    void jsonAdViewWantToShowOverlayWithRequest(MERJSONAdView& view, MERJSONVideoAdView&,
        foundation::URLRequest const& request, int orientation, bool notifyOpenDelegates,
        bool notifyCloseDelegates) override;
    void jsonAdViewWantToShowOverlayWithHTML(MERJSONAdView& view, MERJSONVideoAdView&,
        std::string const& html, int orientation, bool notifyOpenDelegates,
        bool notifyCloseDelegates) override;
    void jsonAdViewWillLoadVideoURL(MERJSONAdView&) override { stopTimer(); }
    void jsonAdViewWillPlayChachedVideo(MERJSONAdView&) override { stopTimer(); }
    void jsonAdViewVideoAdDidAppear(MERJSONAdView&) override;
    void jsonAdViewVideoAdWillAppear(MERJSONAdView&) override;
    void jsonAdViewVideoAdWillDisappear(MERJSONAdView&) override;
    void jsonAdViewWasTapped(MERJSONAdView&, foundation::URLRequest const& request) override;
    void jsonAdViewWantsToOpenURL(MERJSONAdView&, std::string const& url) override;
    void jsonAdViewTransitionAnimationDidEnd(MERJSONAdView& view) override;
    void jsonAdViewTransitionAnimationWillBegin(MERJSONAdView&) override;
    // Overlay.
    void overlayWantsToTerminateAppToOpenURL(MEROverlayView&, std::string const& url) override;
    void overlayDidDisappear(MEROverlayView& overlay) override;
    void overlayWillDisappear(MEROverlayView&) override { startTimer(); }
    void overlayDidAppear(MEROverlayView& overlay) override;
    void overlayWillAppear(MEROverlayView& overlay) override;
    // Ad connection.
    void didReceiveResponse(
        foundation::URLConnection& connection, foundation::URLResponse const& response) override;
    void didReceiveData(foundation::URLConnection& connection, base::Bytes const& data) override;
    void connectionDidFinishLoading(foundation::URLConnection& connection) override;
    void didFailWithError(
        foundation::URLConnection& connection, foundation::URLError const&) override;

    std::string apid_;
    bool enableAdRefresh_ {false};
    bool enableManualAdRefresh_ {true};
    int refreshAdTime_ {60};
    MERRequestData additionalRequestParameters_;
    base::Ref<foundation::Timer> refreshAdTimer_;
    base::Ref<foundation::URLConnection> connection_;
    base::Bytes adData_;
    // A reply that is not a success is dropped whatever its body.
    bool replyRefused_ {false};
    bool openClickInBrowser_ {false};
    bool isStatusBarHidden_ {false};
    std::optional<std::string> adMimeType_;
    int adType_ {bannerAdTop};
    base::Ref<MEROverlayView> overlayView_;
    base::Ref<MERHTMLAdView> htmlAdView_;
    base::Ref<MERJSONAdView> jsonAdView_;
    int overlayOrientation_ {0};
    graphics::Size overlaySize_ {};
    graphics::Rect overlayFrame_ {};
    // Held from an inner view's transition start to its end.
    std::vector<base::Ref<MERGenericAdView>> transitionHolds_;
    std::vector<foundation::ObservationToken> observations_;
};

// A banner (types 1 to 3).
class MERBannerAdView final : public MERGenericAdView {
private:
    friend base::Factory;
    MERBannerAdView(
        graphics::Rect frame, std::string const& apid, int type, MERAdDelegate* delegate)
        : MERGenericAdView(frame, apid, type, delegate) { }
};

// A full-screen ad (types 4 and 5).
class MERIntersticialAdView final : public MERGenericAdView {
private:
    friend base::Factory;
    MERIntersticialAdView(
        graphics::Rect frame, std::string const& apid, int type, MERAdDelegate* delegate)
        : MERGenericAdView(frame, apid, type, delegate) { }
};

}
