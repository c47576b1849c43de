#include <game/shell/MoviePlayer.hpp>

#include <foundation/Bundle.hpp>
#include <foundation/Perform.hpp>
#include <game/shell/Utilities.hpp>
#include <ui/Window.hpp>

#include <memory>

namespace game {

namespace {

std::unique_ptr<MoviePlayer>& instance() {
    static std::unique_ptr<MoviePlayer> player;
    return player;
}

}

MoviePlayer& MoviePlayer::sharedManager() {
    auto& player = instance();
    if (!player)
        player = std::make_unique<MoviePlayer>();
    return *player;
}

void MoviePlayer::resetSharedManager() {
    instance().reset();
}

MoviePlayer::MoviePlayer() = default;

MoviePlayer::~MoviePlayer() {
    removePlayer();
}

void MoviePlayer::setContentPath(std::string const& path) {
    if (_pMoviePlayerController) {
        _pMoviePlayerController->setContentURL(path);
        return;
    }
    _pMoviePlayerViewController = ui::MoviePlayerViewController::create(path);
    _pMoviePlayerController
        = base::Ref<ui::MoviePlayerController>(_pMoviePlayerViewController->moviePlayer());
    _pMoviePlayerController->setControlStyle(ui::MovieControlStyle::None);
    finished_ = foundation::NotificationCenter::defaultCenter().observe(
        ui::MoviePlayerController::PlaybackDidFinishNotification,
        [this](foundation::Notification const&) { movieFinishedCallback(); },
        _pMoviePlayerController.get());
}

void MoviePlayer::removeOverlayView() {
    if (auto* overlay = _overlayView.get())
        overlay->removeFromSuperview();
    _overlayView = nullptr;
}

void MoviePlayer::play() {
    if (!_pMoviePlayerController)
        return;
    _pMoviePlayerController->setControlStyle(
        _bEnableController ? ui::MovieControlStyle::Fullscreen : ui::MovieControlStyle::None);
    updateOrientation();
    _pMoviePlayerController->setMovieSourceType(ui::MovieSourceType::File);
    auto& application = ui::Application::sharedApplication();
    if (!_bChangedOrientation && _bEnableController) {
        _originalOrientation = application.statusBarOrientation();
        application.setStatusBarOrientation(ui::InterfaceOrientation::LandscapeRight);
        _bChangedOrientation = true;
    }
    _pMoviePlayerController->play();
}

void MoviePlayer::stop() {
    if (_pMoviePlayerController)
        _pMoviePlayerController->stop();
}

// The window is already as wide as the landscape screen here, so the player's view
// takes the window's bounds as they are, with no quarter turn.
void MoviePlayer::updateOrientation() {
    if (!_pMoviePlayerViewController)
        return;
    auto* window = ui::Application::sharedApplication().keyWindow();
    if (!window)
        return;
    auto* movieView = _pMoviePlayerViewController->view();
    movieView->removeFromSuperview();
    movieView->setFrame(window->bounds());
    window->addSubview(base::Ref<ui::View>(movieView));
    if (auto* overlay = _overlayView.get()) {
        overlay->setFrame(movieView->frame());
        window->addSubview(base::Ref<ui::View>(overlay));
    }
}

void MoviePlayer::removePlayer() {
    if (_bChangedOrientation) {
        ui::Application::sharedApplication().setStatusBarOrientation(_originalOrientation);
        _bChangedOrientation = false;
    }
    removeOverlayView();
    finished_.cancel();
    if (_pMoviePlayerController) {
        _pMoviePlayerController->stop();
        _pMoviePlayerController = nullptr;
    }
    if (_pMoviePlayerViewController) {
        if (_pMoviePlayerViewController->isViewLoaded())
            _pMoviePlayerViewController->view()->removeFromSuperview();
        _pMoviePlayerViewController = nullptr;
    }
}

void MoviePlayer::movieFinishedCallback() {
    if (callback_) {
        auto callback = callback_;
        callback();
    }
}

base::Ref<MoviePlayerViewController> MoviePlayerViewController::create() {
    return base::make<MoviePlayerViewController>();
}

MoviePlayerViewController::MoviePlayerViewController() {
    setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
}

MoviePlayerViewController::~MoviePlayerViewController() {
    callback_ = {};
}

void MoviePlayerViewController::viewDidAppear(bool) {
    view()->setBackgroundColor(ui::Color::clearColor());
    auto name = Utilities::isiPad() ? "ZurOziv_Quality_M.mov" : "Intro.mp4";
    auto& player = MoviePlayer::sharedManager();
    // A missing file ends the movie as soon as it is played.
    player.setContentPath(Utilities::getPathForResource(name).value_or(
        foundation::Bundle::mainBundle().bundlePath() + "/" + name));
    base::Ref<MoviePlayerViewController> self(this);
    player.setMovieFinishedCallBack([self] { self->playMoiveDidFinished(); });
    player.setOverlayView(view());
    player.enableController(false);
    foundation::performAfterDelay(
        this, [this] { playMovie(); }, 0.5);
}

void MoviePlayerViewController::playMovie() {
    MoviePlayer::sharedManager().play();
    bCanRotate = false;
    _isPlaying = true;
}

// The player may report the end more than once (a skip, then the stopped movie); the
// callback runs and the screen goes only the first time.
void MoviePlayerViewController::playMoiveDidFinished() {
    if (!_isPlaying)
        return;
    _isPlaying = false;
    // The player's view goes with the movie, so that it does not stay over the game.
    auto& player = MoviePlayer::sharedManager();
    player.removeMovieFinishedCallBack();
    player.removePlayer();
    bCanRotate = true;
    if (auto callback = std::exchange(callback_, {}))
        callback();
    dismissViewController(true);
}

void MoviePlayerViewController::skipOnClick() {
    if (_isPlaying)
        playMoiveDidFinished();
}

bool MoviePlayerViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return bCanRotate
        && (orientation == ui::InterfaceOrientation::LandscapeRight
            || orientation == ui::InterfaceOrientation::LandscapeLeft);
}

}
