#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <foundation/RunLoop.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/View.hpp>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace ui {

namespace {

double now() {
    return foundation::Clock::current().monotonic();
}

base::Value errorInfo(long code, std::string description) {
    return base::Dictionary::create({{"domain", MoviePlayerController::ErrorDomain}, {"code", code},
        {"localizedDescription", std::move(description)}});
}

}

base::Ref<MoviePlayerController> MoviePlayerController::create(std::string contentURL) {
    return base::make<MoviePlayerController>(std::move(contentURL));
}

MoviePlayerController::MoviePlayerController(std::string contentURL)
    : contentURL_(std::move(contentURL)) {
}

MoviePlayerController::~MoviePlayerController() {
    stopClock();
}

void MoviePlayerController::post(char const* name, base::Value userInfo) {
    // The pending notification keeps the player alive until it is out.
    foundation::RunLoop::current().perform(
        [player = base::Ref<MoviePlayerController>(this), name, userInfo = std::move(userInfo)] {
            foundation::NotificationCenter::defaultCenter().postNotification(
                name, player.get(), userInfo);
        });
}

View* MoviePlayerController::view() {
    if (!view_) {
        view_ = View::create();
        backgroundView_ = View::create();
        view_->addSubview(backgroundView_);
    }
    return view_.get();
}

View* MoviePlayerController::backgroundView() {
    view();
    return backgroundView_.get();
}

bool MoviePlayerController::contentIsMissing() const {
    std::string path;
    if (contentURL_.starts_with("file://"))
        path = contentURL_.substr(7);
    else if (contentURL_.starts_with("/"))
        path = contentURL_;
    else
        return contentURL_.empty();
    std::error_code error;
    return !std::filesystem::is_regular_file(path, error);
}

void MoviePlayerController::setContentURL(std::string url) {
    stop();
    contentURL_ = std::move(url);
    ++content_;
    preparing_ = false;
    prepared_ = false;
    loadState_ = MovieLoadState::Unknown;
    post(NowPlayingMovieDidChangeNotification);
}

void MoviePlayerController::prepareToPlay() {
    if (preparing_ || prepared_)
        return;
    preparing_ = true;
    foundation::RunLoop::current().perform(
        [player = base::Ref<MoviePlayerController>(this), content = content_] {
            if (player->content_ == content && player->preparing_)
                player->loaded();
        });
}

void MoviePlayerController::loaded() {
    preparing_ = false;
    if (contentIsMissing()) {
        playRequested_ = false;
        end(MovieFinishReason::PlaybackError, errorInfo(1, "The movie could not be opened"));
        return;
    }
    prepared_ = true;
    loadState_ = MovieLoadState::Playable | MovieLoadState::PlaythroughOK;
    if (sourceType_ == MovieSourceType::Unknown)
        sourceType_
            = contentURL_.starts_with("http") ? MovieSourceType::Streaming : MovieSourceType::File;
    post(LoadStateDidChangeNotification);
    post(ContentPreloadDidFinishNotification);
    post(DurationAvailableNotification);
    if (playRequested_ || shouldAutoplay_)
        startPlaying();
}

void MoviePlayerController::play() {
    if (state_ == MoviePlaybackState::Playing)
        return;
    playRequested_ = true;
    if (prepared_)
        startPlaying();
    else
        prepareToPlay();
}

void MoviePlayerController::startPlaying() {
    if (state_ == MoviePlaybackState::Playing)
        return;
    if (position_ >= simulatedDuration_)
        position_ = 0;
    setState(MoviePlaybackState::Playing);
    runClock();
}

void MoviePlayerController::runClock() {
    stopClock();
    playingSince_ = now();
    // The clock holds the player only through the pointer; the destructor stops it.
    endTimer_ = foundation::Timer::scheduledTimer(
        simulatedDuration_ - position_,
        [this](foundation::Timer&) {
            position_ = simulatedDuration_;
            end(MovieFinishReason::PlaybackEnded, {});
        },
        false);
}

void MoviePlayerController::pause() {
    if (state_ != MoviePlaybackState::Playing)
        return;
    position_ = currentPlaybackTime();
    stopClock();
    setState(MoviePlaybackState::Paused);
}

void MoviePlayerController::stop() {
    playRequested_ = false;
    preparing_ = false;
    stopClock();
    position_ = 0;
    setState(MoviePlaybackState::Stopped);
}

double MoviePlayerController::currentPlaybackTime() const {
    if (state_ != MoviePlaybackState::Playing)
        return position_;
    return std::min(simulatedDuration_, position_ + (now() - playingSince_));
}

void MoviePlayerController::setCurrentPlaybackTime(double seconds) {
    position_ = std::clamp(seconds, 0.0, simulatedDuration_);
    if (state_ == MoviePlaybackState::Playing)
        runClock();
}

void MoviePlayerController::setSimulatedDuration(double seconds) {
    simulatedDuration_ = std::max(0.0, seconds);
    position_ = std::min(position_, simulatedDuration_);
}

void MoviePlayerController::setScalingMode(MovieScalingMode mode) {
    if (mode == scalingMode_)
        return;
    scalingMode_ = mode;
    post(ScalingModeDidChangeNotification);
}

void MoviePlayerController::setFullscreen(bool fullscreen, bool) {
    if (fullscreen == fullscreen_)
        return;
    fullscreen_ = fullscreen;
    post(fullscreen ? WillEnterFullscreenNotification : WillExitFullscreenNotification);
    post(fullscreen ? DidEnterFullscreenNotification : DidExitFullscreenNotification);
}

void MoviePlayerController::finishPlayback(MovieFinishReason reason) {
    if (state_ == MoviePlaybackState::Playing)
        position_ = currentPlaybackTime();
    end(reason, {});
}

void MoviePlayerController::failPlayback(long code, std::string description) {
    end(MovieFinishReason::PlaybackError, errorInfo(code, std::move(description)));
}

void MoviePlayerController::setState(MoviePlaybackState state) {
    if (state == state_)
        return;
    state_ = state;
    post(PlaybackStateDidChangeNotification);
}

void MoviePlayerController::end(MovieFinishReason reason, base::Value error) {
    stopClock();
    playRequested_ = false;
    setState(MoviePlaybackState::Stopped);
    auto info = base::Dictionary::create({{PlaybackDidFinishReasonUserInfoKey, int(reason)}});
    info->setObject(ErrorUserInfoKey, std::move(error));
    post(PlaybackDidFinishNotification, std::move(info));
}

void MoviePlayerController::stopClock() {
    if (endTimer_)
        std::exchange(endTimer_, nullptr)->invalidate();
}

}
