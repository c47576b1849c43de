#pragma once

#include <base/Ref.hpp>
#include <base/WeakRef.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/Application.hpp>
#include <ui/MoviePlayerViewController.hpp>

#include <functional>
#include <string>

namespace game {

// The one movie player of the program: plays a file of the bundle full screen in the
// key window with an optional overlay above it, and calls a callback when the movie
// ends. While the controls are enabled it turns the status bar to landscape and
// restores it when the player goes. One per process once made; main thread.
class MoviePlayer {
public:
    static MoviePlayer& sharedManager();
    // Removes the player and forgets the callback (tests).
    static void resetSharedManager();

    MoviePlayer();
    ~MoviePlayer();
    MoviePlayer(MoviePlayer const&) = delete;
    MoviePlayer& operator=(MoviePlayer const&) = delete;

    // Makes the player for the file, or gives the existing one the new file.
    void setContentPath(std::string const& path);
    // The view shown above the movie (not retained).
    void setOverlayView(ui::View* view) { _overlayView = view; }
    void removeOverlayView();
    void enableController(bool enable) { _bEnableController = enable; }
    void play();
    void stop();
    // Puts the player's view, and the overlay above it, over the key window.
    void updateOrientation();
    void removePlayer();
    void setMovieFinishedCallBack(std::function<void()> callback) {
        callback_ = std::move(callback);
    }
    void removeMovieFinishedCallBack() { callback_ = {}; }

    ui::MoviePlayerController* player() const { return _pMoviePlayerController.get(); }
    ui::View* overlayView() const { return _overlayView.get(); }

private:
    void movieFinishedCallback();

    base::Ref<ui::MoviePlayerViewController> _pMoviePlayerViewController;
    base::Ref<ui::MoviePlayerController> _pMoviePlayerController;
    base::WeakRef<ui::View> _overlayView;
    bool _bEnableController {true};
    bool _bChangedOrientation {false};
    ui::InterfaceOrientation _originalOrientation {ui::InterfaceOrientation::LandscapeRight};
    std::function<void()> callback_;
    foundation::ObservationToken finished_;
};

// The intro movie's screen: presented modally, it plays the movie over the game and
// dismisses itself when the movie ends or is skipped, calling its finish callback
// once. The game skips the intro and never shows it. Main thread.
class MoviePlayerViewController : public ui::ViewController {
public:
    static base::Ref<MoviePlayerViewController> create();

    void viewDidAppear(bool animated) override;
    void playMovie();
    void playMoiveDidFinished();
    // Called once, when the movie ends.
    void setMovieFinishedCallBack(std::function<void()> callback) {
        callback_ = std::move(callback);
    }
    // Ends the movie, only while it plays.
    void skipOnClick();
    bool isPlaying() const { return _isPlaying; }
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) override;

protected:
    friend base::Factory;
    MoviePlayerViewController();
    ~MoviePlayerViewController() override;

private:
    bool bCanRotate {true};
    std::function<void()> callback_;
    bool _isPlaying {false};
};

}
