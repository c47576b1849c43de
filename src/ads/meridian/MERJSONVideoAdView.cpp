#include <ads/meridian/MERJSONVideoAdView.hpp>

#include <ads/meridian/MERLog.hpp>
#include <ads/meridian/MERValues.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/Application.hpp>
#include <ui/Window.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string_view>
#include <utility>

namespace ads::meridian {

namespace {

std::string countdownText(int seconds) {
    char text[64];
    std::snprintf(text, sizeof text, MERJSONVideoAdView::countdownFormat, seconds);
    return text;
}

// A field of a dictionary; null for anything else.
base::Value const& field(base::Value const& value, std::string_view key) {
    static base::Value const none;
    auto const* dictionary = value.dictionary();
    return dictionary ? dictionary->objectForKey(key) : none;
}

// Each URL of an array of URL texts, to the tracking pixels.
void logEach(base::Value const& urls) {
    auto const* list = urls.array();
    if (!list)
        return;
    for (auto const& url : *list) {
        if (auto text = textOf(url))
            MERLog::logURL(*text);
    }
}

}

base::Ref<MERJSONVideoAdView> MERJSONVideoAdView::initWithFrame(
    graphics::Rect frame, MERJSONVideoAdViewDelegate* delegate) {
    return base::make<MERJSONVideoAdView>(frame, delegate);
}

MERJSONVideoAdView::MERJSONVideoAdView(graphics::Rect frame, MERJSONVideoAdViewDelegate* delegate)
    : MERJSONBasicAdView(frame)
    , delegate_(delegate) {
    auto& center = foundation::NotificationCenter::defaultCenter();
    overlayWillClose_ = center.observe(
        overlayWillCloseNotification, [this](foundation::Notification const&) { resume(); });
    showStatusBar_ = center.observe(
        showStatusBarNotification, [this](foundation::Notification const&) { showStatusBar(); });
    isStatusBarHidden_ = ui::Application::sharedApplication().isStatusBarHidden();
}

MERJSONVideoAdView::~MERJSONVideoAdView() {
    overlayWillClose_ = {};
    showStatusBar_ = {};
    stopObservingPlayer();
    stopPlaybackTimer();
    showStatusBar();
    if (player_) {
        player_->stop();
        player_->view()->removeFromSuperview();
    }
    ad_ = nullptr;
}

void MERJSONVideoAdView::setAd(base::Ref<MERJSONAd> ad) {
    ad_ = std::move(ad);
    if (ad_ && delegate_)
        delegate_->videoAdDidLoadNewAd(*this, *ad_);
}

MERJSONAd* MERJSONVideoAdView::shownAd() const {
    return cache_ ? &cache_->ad() : ad_.get();
}

void MERJSONVideoAdView::loadFullScreenVideoFromURL(std::string const&) {
    base::Ref<MERJSONVideoAdView> keep(this);
    firstPlay_ = false;
    if (player_)
        stopAndRemove();
    stopObservingPlayer();
    stopPlaybackTimer();
    cache_ = nullptr;
    if (!ad_)
        return;

    bool ready = false;
    base::Ref<MERVideoCache> cache;
    if (ad_->videoId())
        cache = MERVideoCache::loadFromArchive(*ad_->videoId());
    if (cache) {
        ready = !cache->isCacheExpired() && cache->isDownloadComplete();
        cache->updateWithNewAd(ad_);
    } else {
        cache = MERVideoCache::initWithAd(ad_);
    }
    cache_ = cache;

    logs_.clear();
    sentLogs_.clear();
    endLogsHaveBeenSent_ = false;
    if (auto const* entries = ad_->logs().array()) {
        for (auto const& entry : *entries) {
            auto const& time = field(entry, "time");
            // Only a time given as text is ever looked up.
            if (auto const* text = time.string())
                logs_[*text] = entry;
        }
    }

    if (!ready) {
        foundation::NotificationCenter::defaultCenter().postNotification(cachingBeganNotification);
        if (delegate_)
            delegate_->videoAdFailed(*this);
        cache_->startOrFinishDownloadWithDelegate(this);
        return;
    }

    player_ = ui::MoviePlayerController::create("file://" + cache_->localPath());
    if (delegate_)
        delegate_->videoAdSucceeded(*this);
    player_->setShouldAutoplay(true);
    player_->setControlStyle(ui::MovieControlStyle(ad_->controlStyle()));
    player_->setFullscreen(false);
    observePlayer();
    showPlayer(*player_);
    playVideo();
}

void MERJSONVideoAdView::observePlayer() {
    stopObservingPlayer();
    auto& center = foundation::NotificationCenter::defaultCenter();
    auto const* player = player_.get();
    using Player = ui::MoviePlayerController;
    playerObservations_.push_back(center.observe(
        Player::PlaybackDidFinishNotification,
        [this](foundation::Notification const& n) { moviePlayBackDidFinish(n); }, player));
    playerObservations_.push_back(center.observe(
        Player::PlaybackStateDidChangeNotification,
        [this](foundation::Notification const&) { moviePlayBackStateDidChange(); }, player));
    playerObservations_.push_back(center.observe(
        Player::LoadStateDidChangeNotification,
        [this](foundation::Notification const&) { movieLoadStateDidChange(); }, player));
    playerObservations_.push_back(center.observe(
        Player::DidExitFullscreenNotification,
        [this](foundation::Notification const&) { resume(); }, player));
    playerObservations_.push_back(center.observe(ui::Application::WillResignActiveNotification,
        [this](foundation::Notification const&) { pauseVideo(); }));
    backgroundObservations_.push_back(
        center.observe(ui::Application::DidEnterBackgroundNotification,
            [this](foundation::Notification const&) { pauseVideo(); }));
    backgroundObservations_.push_back(
        center.observe(ui::Application::WillEnterForegroundNotification,
            [this](foundation::Notification const&) { resume(); }));
}

void MERJSONVideoAdView::stopObservingPlayer() {
    playerObservations_.clear();
    backgroundObservations_.clear();
}

void MERJSONVideoAdView::resume() {
    playVideo();
}

int MERJSONVideoAdView::orientationForVideo() {
    auto orientation = ui::Application::sharedApplication().statusBarOrientation();
    return orientation == ui::InterfaceOrientation::LandscapeLeft ? 4 : 3;
}

void MERJSONVideoAdView::showPlayer(ui::MoviePlayerController& player) {
    base::Ref<MERJSONVideoAdView> keep(this);
    if (delegate_)
        delegate_->videoAdWillAppear(*this);
    auto& application = ui::Application::sharedApplication();
    ui::Window* window = application.keyWindow();
    graphics::Size const bounds = window ? window->bounds().size : graphics::Size {};
    float const W = bounds.width;
    float const H = bounds.height;
    ui::View* view = player.view();
    view->setFrame({{0, 0}, {H, W}});
    float constexpr quarter = std::numbers::pi_v<float> / 2;
    if (application.statusBarOrientation() == ui::InterfaceOrientation::LandscapeLeft)
        view->setTransform(graphics::AffineTransform::makeRotation(-quarter).translated(-80, -80));
    else
        view->setTransform(graphics::AffineTransform::makeRotation(quarter).translated(80, 80));

    isStatusBarHidden_ = application.isStatusBarHidden();
    application.setStatusBarHidden(true);

    MERJSONAd& ad = *shownAd();
    auto overlay = MERJSONVideoOverlayControlView::initWithFrame(
        {{0, 0}, {H, W}}, ad.videoButtons(), ad.showCountdownHUD(), this);
    if (auto* label = overlay->countdownLabel())
        label->setText(countdownText(int(ad_->videoDuration())));
    videoControlOverlay_ = overlay.get();
    view->addSubview(overlay);
    if (window)
        window->addSubview(base::Ref<ui::View>(view));
    if (delegate_)
        delegate_->videoAdDidAppear(*this);
}

void MERJSONVideoAdView::playVideo() {
    if (!player_ || (videoControlOverlay_ && videoControlOverlay_->isVideoFinishedPlaying()))
        return;
    startPlaybackTimer();
    player_->play();
}

void MERJSONVideoAdView::pauseVideo() {
    if (!player_)
        return;
    stopPlaybackTimer();
    player_->pause();
}

void MERJSONVideoAdView::restartVideo() {
    if (!player_)
        return;
    pauseVideo();
    player_->setCurrentPlaybackTime(0);
    // A new playback sends its timed entries again.
    sentLogs_.clear();
    if (videoControlOverlay_)
        videoControlOverlay_->restart();
    playVideo();
}

void MERJSONVideoAdView::startPlaybackTimer() {
    stopPlaybackTimer();
    playbackObserverTimer_ = foundation::Timer::scheduledTimer(
        playbackTimerInterval, [this](foundation::Timer&) { playbackTimerCheck(); }, true);
}

void MERJSONVideoAdView::stopPlaybackTimer() {
    if (playbackObserverTimer_)
        playbackObserverTimer_->invalidate();
    playbackObserverTimer_ = nullptr;
}

void MERJSONVideoAdView::playbackTimerCheck() {
    double const duration = ad_ ? ad_->videoDuration() : 0;
    if (!player_ || player_->currentPlaybackTime() >= duration) {
        stopPlaybackTimer();
        return;
    }
    int const elapsed = int(player_->currentPlaybackTime());
    if (videoControlOverlay_ && videoControlOverlay_->countdownLabel())
        videoControlOverlay_->countdownLabel()->setText(countdownText(int(duration) - elapsed - 1));
    auto const key = std::to_string(elapsed);
    auto entry = logs_.find(key);
    // Each timed entry goes once per playback, however many ticks fall in its second.
    if (entry == logs_.end() || !sentLogs_.insert(key).second)
        return;
    logEach(field(entry->second, "urls"));
}

void MERJSONVideoAdView::moviePlayBackStateDidChange() {
    if (!player_ || player_->playbackState() != ui::MoviePlaybackState::Playing || firstPlay_)
        return;
    firstPlay_ = true;
    base::Ref<ui::MoviePlayerController> player = player_;
    if (delegate_)
        delegate_->videoAdStarted(*this, *player);
}

void MERJSONVideoAdView::movieLoadStateDidChange() {
    if (!player_)
        return;
    unsigned const state = player_->loadState();
    if (state & (ui::MovieLoadState::Playable | ui::MovieLoadState::PlaythroughOK))
        placeButtons();
}

void MERJSONVideoAdView::placeButtons() {
    if (videoControlOverlay_)
        videoControlOverlay_->showButtons();
}

void MERJSONVideoAdView::moviePlayBackDidFinish(foundation::Notification const& notification) {
    base::Ref<MERJSONVideoAdView> keep(this);
    auto const& info = notification.userInfo();
    int const reason
        = field(info, ui::MoviePlayerController::PlaybackDidFinishReasonUserInfoKey).intValue();
    if (reason == int(ui::MovieFinishReason::UserExited)) {
        showStatusBar();
        endMovieAndRemoveWithNotification(true);
    } else if (reason == int(ui::MovieFinishReason::PlaybackError)) {
        showStatusBar();
        endMovieAndRemoveWithNotification(false);
        long const code
            = field(field(info, ui::MoviePlayerController::ErrorUserInfoKey), "code").intValue();
        if (code == cannotPlayFileError && cache_)
            cache_->restartDownloadWithDelegate(this);
    } else {
        backgroundObservations_.clear();
        stopPlaybackTimer();
        if (videoControlOverlay_)
            videoControlOverlay_->videoFinishedPlaying();
        if (ad_ && ad_->onCompletion().isDictionary()) {
            showOnCompletionView();
        } else {
            showStatusBar();
            endMovieAndRemoveWithNotification(true);
        }
    }
}

void MERJSONVideoAdView::endMovieWithNotification(
    bool notify, bool enableAdRefresh, bool log, bool closeVideo) {
    base::Ref<MERJSONVideoAdView> keep(this);
    base::Ref<ui::MoviePlayerController> player = player_;
    stopObservingPlayer();
    stopPlaybackTimer();
    if (closeVideo)
        stopAndRemove();
    if (enableAdRefresh && delegate_)
        delegate_->videoAdWillClose(*this);
    if (notify && delegate_)
        delegate_->videoAdFinished(*this, player.get(), enableAdRefresh, log);
}

void MERJSONVideoAdView::endMovieAndRemoveWithNotification(bool notify, bool enableAdRefresh) {
    endMovieWithNotification(notify, enableAdRefresh, !endLogsHaveBeenSent_, true);
}

void MERJSONVideoAdView::stopAndRemove() {
    stopPlaybackTimer();
    if (player_) {
        player_->stop();
        player_->view()->removeFromSuperview();
    }
    player_ = nullptr;
    // The overlay's pending fades and timeouts go with it.
    if (videoControlOverlay_)
        foundation::RunLoop::main().cancelPerformRequests(videoControlOverlay_);
    videoControlOverlay_ = nullptr;
}

void MERJSONVideoAdView::showOnCompletionView() {
    base::Ref<MERJSONVideoAdView> keep(this);
    base::Value const onCompletion = ad_ ? ad_->onCompletion() : base::Value();
    if (!onCompletion.isDictionary()) {
        showStatusBar();
        endMovieAndRemoveWithNotification(true, true);
        return;
    }
    if (flagOf(field(onCompletion, "stayInPlayer"))) {
        endLogsHaveBeenSent_ = true;
        if (delegate_)
            delegate_->videoAdFinished(*this, player_.get(), false, true);
        return;
    }
    int const orientation = orientationForVideo();
    if (delegate_) {
        if (auto url = textOf(field(onCompletion, "url")))
            delegate_->videoAdLoadOnCompletionWithRequest(
                *this, foundation::URLRequest::requestWithURL(*url), orientation);
        else if (auto html = textOf(field(onCompletion, "html")))
            delegate_->videoAdLoadOnCompletionWithHTML(*this, *html, orientation);
    }
    endMovieAndRemoveWithNotification(true, false);
}

void MERJSONVideoAdView::showStatusBar() {
    if (!isStatusBarHidden_)
        ui::Application::sharedApplication().setStatusBarHidden(false);
}

void MERJSONVideoAdView::downloadDidFinish(MERURLDownload& download) {
    base::Ref<MERJSONVideoAdView> keep(this);
    if (cache_)
        cache_->downloadDidFinish(download);
    if (delegate_)
        delegate_->videoCacheSucceeded(*this);
}

void MERJSONVideoAdView::downloadDidFail(
    MERURLDownload& download, foundation::URLError const& error) {
    base::Ref<MERJSONVideoAdView> keep(this);
    if (cache_)
        cache_->downloadDidFail(download, error);
    if (delegate_)
        delegate_->videoCacheFailed(*this);
}

void MERJSONVideoAdView::jsonVideoButtonWasTappedInOverlay(
    MERJSONVideoButton& button, MERJSONVideoOverlayControlView&) {
    if (delegate_)
        delegate_->videoButtonWasPressed(*this, button);
}

}
