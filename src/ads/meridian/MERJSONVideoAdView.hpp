#pragma once

#include <ads/meridian/MERJSONBasicAdView.hpp>
#include <ads/meridian/MERJSONVideoOverlayControlView.hpp>
#include <ads/meridian/MERURLDownload.hpp>
#include <ads/meridian/MERVideoCache.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/Timer.hpp>
#include <foundation/URLRequest.hpp>
#include <ui/MoviePlayerController.hpp>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ads::meridian {

class MERJSONVideoAdView;

// What the video view tells the JSON banner. Every operation is optional.
class MERJSONVideoAdViewDelegate {
public:
    virtual ~MERJSONVideoAdViewDelegate() = default;
    virtual void videoAdFailed(MERJSONVideoAdView&) { }
    virtual void videoAdSucceeded(MERJSONVideoAdView&) { }
    virtual void videoAdWillClose(MERJSONVideoAdView&) { }
    virtual void videoAdDidAppear(MERJSONVideoAdView&) { }
    virtual void videoAdWillAppear(MERJSONVideoAdView&) { }
    virtual void videoAdFinished(
        MERJSONVideoAdView&, ui::MoviePlayerController*, bool /*enableAdRefresh*/, bool /*log*/) { }
    virtual void videoAdStarted(MERJSONVideoAdView&, ui::MoviePlayerController&) { }
    virtual void videoButtonWasPressed(MERJSONVideoAdView&, MERJSONVideoButton&) { }
    virtual void videoAdLoadOnCompletionWithRequest(
        MERJSONVideoAdView&, foundation::URLRequest const&, int /*orientation*/) { }
    virtual void videoAdLoadOnCompletionWithHTML(
        MERJSONVideoAdView&, std::string const& /*html*/, int /*orientation*/) { }
    virtual void videoAdDidLoadNewAd(MERJSONVideoAdView&, MERJSONAd&) { }
    virtual void videoCacheFailed(MERJSONVideoAdView&) { }
    virtual void videoCacheSucceeded(MERJSONVideoAdView&) { }
};

// The full-screen video ad. A video is played only from its finished cache file;
// otherwise the view reports the ad as failed and starts or continues the download,
// whose outcome it reports. Playing, the player turns a quarter turn over the key
// window (landscape on a portrait window) with the control overlay on it; a 1-second
// timer counts down and sends each timed tracking entry once per playback (a restart
// plays them again). The end of the video follows the player's finish reason and
// the ad's "onCompletion". Going to the background pauses, coming back resumes.
// Main thread only.
class MERJSONVideoAdView final : public MERJSONBasicAdView,
                                 public MERURLDownloadDelegate,
                                 private MERJSONVideoOverlayControlViewDelegate {
public:
    static constexpr char const* cachingBeganNotification = "MERCachingBeganNotification";
    static constexpr char const* overlayWillCloseNotification = "MEROverlayWillClose";
    static constexpr char const* showStatusBarNotification
        = "MERShowStatusBarIfNeededFromVideoOverlay";
    static constexpr char const* countdownFormat = "%d seconds remaining...";
    static constexpr double playbackTimerInterval = 1.0;
    static constexpr long cannotPlayFileError = -50;

    static base::Ref<MERJSONVideoAdView> initWithFrame(
        graphics::Rect frame, MERJSONVideoAdViewDelegate* delegate);
    ~MERJSONVideoAdView() override;

    void setAd(base::Ref<MERJSONAd> ad) override;
    // Plays the ad's cached video, or starts caching it. url is not consulted.
    void loadFullScreenVideoFromURL(std::string const& url);
    void playVideo();
    void pauseVideo();
    void restartVideo();
    // The status bar's orientation when landscape (3 or 4), else 3.
    static int orientationForVideo();

    void showPlayer(ui::MoviePlayerController& player);
    void showOnCompletionView();
    void showStatusBar();
    void stopAndRemove();
    void placeButtons();
    void startPlaybackTimer();
    void stopPlaybackTimer();
    void playbackTimerCheck();
    void endMovieWithNotification(bool notify, bool enableAdRefresh, bool log, bool closeVideo);
    void endMovieAndRemoveWithNotification(bool notify, bool enableAdRefresh = true);

    void downloadDidFinish(MERURLDownload& download) override;
    void downloadDidFail(MERURLDownload& download, foundation::URLError const& error) override;

    MERJSONVideoAdViewDelegate* delegate() const { return delegate_; }
    void setDelegate(MERJSONVideoAdViewDelegate* delegate) { delegate_ = delegate; }
    ui::MoviePlayerController* player() const { return player_.get(); }
    MERJSONVideoOverlayControlView* overlay() const { return videoControlOverlay_; }
    MERVideoCache* cache() const { return cache_.get(); }
    bool isPlaybackTimerRunning() const { return playbackObserverTimer_ != nullptr; }

private:
    void jsonVideoButtonWasTappedInOverlay(
        MERJSONVideoButton& button, MERJSONVideoOverlayControlView& overlay) override;
    void observePlayer();
    void stopObservingPlayer();
    void moviePlayBackDidFinish(foundation::Notification const& notification);
    void moviePlayBackStateDidChange();
    void movieLoadStateDidChange();
    void resume();
    MERJSONAd* shownAd() const;

    base::Ref<ui::MoviePlayerController> player_;
    MERJSONVideoOverlayControlView* videoControlOverlay_ {nullptr};
    MERJSONVideoAdViewDelegate* delegate_ {nullptr};
    bool firstPlay_ {false};
    bool endLogsHaveBeenSent_ {false};
    base::Ref<foundation::Timer> playbackObserverTimer_;
    base::Ref<MERVideoCache> cache_;
    bool isStatusBarHidden_ {false};
    std::map<std::string, base::Value> logs_;
    // The timed entries already sent in this playback.
    std::set<std::string> sentLogs_;
    std::vector<foundation::ObservationToken> playerObservations_;
    std::vector<foundation::ObservationToken> backgroundObservations_;
    foundation::ObservationToken overlayWillClose_;
    foundation::ObservationToken showStatusBar_;

    friend base::Factory;
    MERJSONVideoAdView(graphics::Rect frame, MERJSONVideoAdViewDelegate* delegate);
};

}
