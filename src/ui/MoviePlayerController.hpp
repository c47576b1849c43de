#pragma once

#include <base/Object.hpp>
#include <base/Ref.hpp>
#include <base/Value.hpp>
#include <foundation/Timer.hpp>
#include <graphics/Geometry.hpp>
#include <ui/Forward.hpp>

#include <string>

namespace ui {

// The movie player's states and settings, numbered as the platform numbers them.
enum class MoviePlaybackState {
    Stopped = 0,
    Playing = 1,
    Paused = 2,
    Interrupted = 3,
    SeekingForward = 4,
    SeekingBackward = 5,
};

struct MovieLoadState {
    static constexpr unsigned Unknown = 0;
    static constexpr unsigned Playable = 1;
    static constexpr unsigned PlaythroughOK = 2;
    static constexpr unsigned Stalled = 4;
};

enum class MovieFinishReason {
    PlaybackEnded = 0,
    PlaybackError = 1,
    UserExited = 2,
};

enum class MovieControlStyle {
    None = 0,
    Embedded = 1,
    Fullscreen = 2,
};

enum class MovieControlMode {
    Default = 0,
    VolumeOnly = 1,
    Hidden = 2,
};

enum class MovieScalingMode {
    None = 0,
    AspectFit = 1,
    AspectFill = 2,
    Fill = 3,
};

enum class MovieSourceType {
    Unknown = 0,
    File = 1,
    Streaming = 2,
};

// The stand-in for the platform's movie player. It shows no picture and plays no
// sound, but goes through a player's life and posts the platform's notifications,
// with the player as sender, on the default notification centre, each on a pass
// of the run loop after the call that caused it, so callers written for a real
// player behave the same:
// - play (or prepareToPlay) loads: LoadStateDidChange (playable and playthrough),
//   ContentPreloadDidFinish and DurationAvailable; a file that does not exist ends
//   the movie with PlaybackDidFinish, reason PlaybackError and an "error";
// - playing: PlaybackStateDidChange; after the simulated duration on the run
//   loop's clock (0 unless set: the movie ends as it starts) PlaybackStateDidChange
//   and PlaybackDidFinish with reason PlaybackEnded;
// - pause and stop change the state quietly apart from PlaybackStateDidChange;
// - finishPlayback and failPlayback drive the end for tests (the user's Done
//   button, a broken stream).
// The user info of PlaybackDidFinish holds the reason under
// PlaybackDidFinishReasonUserInfoKey and, for errors, a dictionary with "domain",
// "code" and "localizedDescription" under "error". Main thread only.
class MoviePlayerController : public base::Object {
public:
    static constexpr char const* PlaybackDidFinishNotification
        = "MPMoviePlayerPlaybackDidFinishNotification";
    static constexpr char const* PlaybackDidFinishReasonUserInfoKey
        = "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey";
    static constexpr char const* ErrorUserInfoKey = "error";
    static constexpr char const* PlaybackStateDidChangeNotification
        = "MPMoviePlayerPlaybackStateDidChangeNotification";
    static constexpr char const* LoadStateDidChangeNotification
        = "MPMoviePlayerLoadStateDidChangeNotification";
    static constexpr char const* ContentPreloadDidFinishNotification
        = "MPMoviePlayerContentPreloadDidFinishNotification";
    static constexpr char const* DurationAvailableNotification
        = "MPMovieDurationAvailableNotification";
    static constexpr char const* ScalingModeDidChangeNotification
        = "MPMoviePlayerScalingModeDidChangeNotification";
    static constexpr char const* NowPlayingMovieDidChangeNotification
        = "MPMoviePlayerNowPlayingMovieDidChangeNotification";
    static constexpr char const* WillEnterFullscreenNotification
        = "MPMoviePlayerWillEnterFullscreenNotification";
    static constexpr char const* DidEnterFullscreenNotification
        = "MPMoviePlayerDidEnterFullscreenNotification";
    static constexpr char const* WillExitFullscreenNotification
        = "MPMoviePlayerWillExitFullscreenNotification";
    static constexpr char const* DidExitFullscreenNotification
        = "MPMoviePlayerDidExitFullscreenNotification";
    static constexpr char const* ErrorDomain = "MediaPlayerErrorDomain";

    // initWithContentURL: a URL ("file://...", "http://...") or a file path.
    static base::Ref<MoviePlayerController> create(std::string contentURL);

    ~MoviePlayerController() override;

    std::string const& contentURL() const { return contentURL_; }
    // Stops the movie and takes another: NowPlayingMovieDidChange.
    void setContentURL(std::string url);

    // The view the movie would show in, made on first use, with a background view
    // behind the picture.
    View* view();
    View* backgroundView();

    void prepareToPlay();
    bool isPreparedToPlay() const { return prepared_; }
    void play();
    void pause();
    void stop();

    MoviePlaybackState playbackState() const { return state_; }
    unsigned loadState() const { return loadState_; }
    double duration() const { return prepared_ ? simulatedDuration_ : 0; }
    double currentPlaybackTime() const;
    void setCurrentPlaybackTime(double seconds);
    graphics::Size naturalSize() const { return {}; }

    bool shouldAutoplay() const { return shouldAutoplay_; }
    void setShouldAutoplay(bool autoplay) { shouldAutoplay_ = autoplay; }
    MovieControlStyle controlStyle() const { return controlStyle_; }
    void setControlStyle(MovieControlStyle style) { controlStyle_ = style; }
    MovieControlMode movieControlMode() const { return controlMode_; }
    void setMovieControlMode(MovieControlMode mode) { controlMode_ = mode; }
    MovieScalingMode scalingMode() const { return scalingMode_; }
    void setScalingMode(MovieScalingMode mode);
    MovieSourceType movieSourceType() const { return sourceType_; }
    void setMovieSourceType(MovieSourceType type) { sourceType_ = type; }
    bool isFullscreen() const { return fullscreen_; }
    void setFullscreen(bool fullscreen, bool animated = false);
    bool useApplicationAudioSession() const { return useApplicationAudioSession_; }
    void setUseApplicationAudioSession(bool use) { useApplicationAudioSession_ = use; }

    // How long the stand-in pretends the movie lasts.
    void setSimulatedDuration(double seconds);
    // Ends the movie now, as the user or the stream would.
    void finishPlayback(MovieFinishReason reason = MovieFinishReason::PlaybackEnded);
    void failPlayback(long code, std::string description);

private:
    void post(char const* name, base::Value userInfo = {});
    void loaded();
    void startPlaying();
    // Counts the movie on from position_, ending it when it reaches its duration.
    void runClock();
    void setState(MoviePlaybackState state);
    void end(MovieFinishReason reason, base::Value error);
    void stopClock();
    bool contentIsMissing() const;

    std::string contentURL_;
    base::Ref<View> view_;
    base::Ref<View> backgroundView_;
    base::Ref<foundation::Timer> endTimer_;
    MoviePlaybackState state_ {MoviePlaybackState::Stopped};
    unsigned loadState_ {MovieLoadState::Unknown};
    double simulatedDuration_ {0};
    // Where the movie stands while not playing, and the clock when playing began.
    double position_ {0};
    double playingSince_ {0};
    // Counts content changes, so that a load under way for old content is dropped.
    unsigned content_ {0};
    bool preparing_ {false};
    bool prepared_ {false};
    bool playRequested_ {false};
    bool shouldAutoplay_ {true};
    bool fullscreen_ {false};
    bool useApplicationAudioSession_ {true};
    MovieControlStyle controlStyle_ {MovieControlStyle::Embedded};
    MovieControlMode controlMode_ {MovieControlMode::Default};
    MovieScalingMode scalingMode_ {MovieScalingMode::AspectFit};
    MovieSourceType sourceType_ {MovieSourceType::Unknown};

    friend base::Factory;

    explicit MoviePlayerController(std::string contentURL);
};

}
