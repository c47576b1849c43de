#include <ads/bountix/BTXVideoView.hpp>

#include <ads/bountix/BTXLog.hpp>
#include <ads/bountix/BTXOffers.hpp>
#include <ads/bountix/BTXUtil.hpp>
#include <ads/bountix/BTXVideoLayer.hpp>
#include <ads/bountix/BTXViewCommons.hpp>
#include <ads/bountix/BTXViews.hpp>
#include <ads/bountix/BountixConnect.hpp>
#include <base/Verify.hpp>
#include <foundation/Perform.hpp>
#include <ui/Button.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/Screen.hpp>
#include <ui/View.hpp>
#include <ui/ViewController.hpp>

#include <algorithm>
#include <numbers>

namespace ads::bountix {

base::Ref<BTXVideoView> BTXVideoView::initWithDelegate(BTXVideoAdDelegate* delegate) {
    auto view = base::make<BTXVideoView>();
    view->adDelegate_ = delegate;
    view->build();
    return view;
}

BTXVideoView::~BTXVideoView() {
    for (auto* layer : {iPhoneLayer_.get(), iPadLayer_.get()})
        if (layer)
            layer->cleanupVideo();
}

void BTXVideoView::build() {
    // The player's top view holds both screens; the device's own is used and the other
    // kept invisible.
    mainView_ = ui::View::create({0, 0, 480, 320});
    mainView_->setBackgroundColor(ui::Color::blackColor());
    iPhoneLayer_ = BTXVideoLayer::create();
    iPadLayer_ = BTXVideoLayer::create();
    mainView_->addSubview(iPhoneLayer_);
    mainView_->addSubview(iPadLayer_);
    bindControls(*iPhoneLayer_);
    bindControls(*iPadLayer_);
    bool const pad = BTXUtil::isPad();
    mainVideoLayer_ = pad ? iPadLayer_ : iPhoneLayer_;
    (pad ? iPhoneLayer_ : iPadLayer_)->setAlpha(0);
    loadingViewController_ = BTXLoadingViewController::initWithFrame({});
    mainView_->addSubview(base::Ref<ui::View>(loadingViewController_->view()));
    mainVideoLayer_->cleanupVideo();
    mainVideoLayer_->setVideoView(mainView_.get());
    isVideoReady_ = false;
}

void BTXVideoView::bindControls(BTXVideoLayer& layer) {
    auto bind = [this](ui::Button* button, auto action) {
        button->addTarget(
            this, [this, action](ui::Control&, ui::Event*) { (this->*action)(); },
            ui::ControlEvents::TouchUpInside);
    };
    bind(layer.replayButton(), &BTXVideoView::playActiveVideo);
    bind(layer.backToVideoButton(), &BTXVideoView::backToVideo);
    bind(layer.doneButton(), &BTXVideoView::closeVideoView);
    bind(layer.backButton(), &BTXVideoView::closeVideoView);
}

void BTXVideoView::refreshViewWithFrame(graphics::Rect rect) {
    auto const screen = ui::Screen::mainScreen().bounds().size;
    float const longer = std::max(screen.width, screen.height);
    float const shorter = std::min(screen.width, screen.height);
    mainView_->setTransform(graphics::AffineTransform::identity());
    mainView_->setFrame(rect);
    // The screen of this platform may already be landscape; the quarter turn is only
    // for a place that stands upright.
    if (rect.size.height > rect.size.width)
        mainView_->setTransform(
            graphics::AffineTransform::makeRotation(float(std::numbers::pi / 2)));
    mainView_->setBounds({0, 0, longer, shorter});
    mainVideoLayer_->setVideoView(mainView_.get());
    // The overlay lies inside the turned view, so it takes the view's own bounds.
    loadingViewController_->view()->setFrame(mainView_->bounds());
}

bool BTXVideoView::playVideoWithOfferID(std::string const& offerID) {
    auto cached = BTXVideoManager::sharedBTXVideoManager().getCachedVideoDictonary();
    auto const* entry = cached ? cached->objectForKey(offerID).dictionary() : nullptr;
    auto const* path = entry ? entry->objectForKey(BTXVideoObjDataLocation).string() : nullptr;
    if (!path || path->empty()) {
        BTXLog::logWithLevel(BTXLog::Error, "Error: no video on the device for offer " + offerID);
        return false;
    }
    bufferVideoWithPath(*path);
    mainVideoLayer_->setOfferID(offerID);
    return true;
}

void BTXVideoView::bufferVideoWithPath(std::string const& path) {
    mainVideoLayer_->prepareVideoWithDelegate(adDelegate_, path);
    isVideoReady_ = false;
    auto* player = mainVideoLayer_->videoFeed();
    loadStateObserver_ = foundation::NotificationCenter::defaultCenter().observe(
        ui::MoviePlayerController::LoadStateDidChangeNotification,
        [this](auto const&) { loadStateChanged(); }, player);
    // The stand-in player loads when asked to; a real one starts loading on its own.
    player->prepareToPlay();
}

void BTXVideoView::loadStateChanged() {
    auto* player = mainVideoLayer_->videoFeed();
    if (!player || !(player->loadState() & ui::MovieLoadState::PlaythroughOK))
        return;
    isVideoReady_ = true;
    loadStateObserver_.cancel();
    loadingViewController_->disable();
    mainVideoLayer_->setVideoView(mainView_.get());
    playActiveVideo();
}

void BTXVideoView::playActiveVideo() {
    if (adDelegate_)
        adDelegate_->videoAdBegan();
    mainVideoLayer_->playVideo();
}

void BTXVideoView::stopActiveVideo() {
    mainVideoLayer_->stopVideo();
}

bool BTXVideoView::videoAdCurrentlyPlaying() const {
    return mainVideoLayer_->isVideoPlaying();
}

void BTXVideoView::customButtonAction1() {
    mainVideoLayer_->buttonAction1();
}

void BTXVideoView::customButtonAction2() {
    mainVideoLayer_->buttonAction2();
}

void BTXVideoView::backToVideo() {
    mainVideoLayer_->transitionToVideoView();
}

void BTXVideoView::closeVideoView() {
    if (auto* player = mainVideoLayer_->videoFeed()) {
        player->stop();
        player->setShouldAutoplay(false);
    }
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        mainView_.get(), commons.getReverseTransitionEffect(), commons.getTransitionDelay());
    foundation::performAfterDelay(
        this, [this] { giveBackNotification(); }, commons.getTransitionDelay());
    // Only a wall that exists is refreshed: making one here would load a page nobody
    // shows.
    if (auto* wall = BTXOffersWebView::sharedIfMade())
        wall->refreshWebView();
}

void BTXVideoView::giveBackNotification() {
    base::Ref<BTXVideoView> keep(this);
    if (adDelegate_)
        adDelegate_->videoAdClosed();
    mainView_->setTransform(graphics::AffineTransform::identity());
    mainView_->removeFromSuperview();
    auto& center = foundation::NotificationCenter::defaultCenter();
    center.postNotification(ViewClosedNotification);
    center.postNotification(ShowBoxNotification);
}

// --- placing the player ---

namespace {

BTXVideoView* player() {
    return BTXVideoManager::sharedBTXVideoManager().videoView();
}

void bringIn(ui::View* view) {
    auto& commons = BTXViewCommons::sharedObject();
    BTXViewCommons::animateBTXView(
        view, commons.getCurrentTransitionEffect(), commons.getTransitionDelay());
}

}

ui::View* BTXVideoViewHandler::showVideoAdWithFrame(
    graphics::Rect frame, std::string const& offerID) {
    auto* video = player();
    if (!video) {
        BTXLog::logWithLevel(BTXLog::Error, "Error: the video player is not set up");
        return nullptr;
    }
    video->mainView()->removeFromSuperview();
    video->refreshViewWithFrame(frame);
    if (!video->playVideoWithOfferID(offerID))
        return nullptr;
    bringIn(video->mainView());
    return video->mainView();
}

ui::View* BTXVideoViewHandler::showVideoAdWithOfferID(std::string const& offerID) {
    return showVideoAdWithFrame(ui::Screen::mainScreen().bounds(), offerID);
}

void BTXVideoViewHandler::showVideoAdWithViewController(
    ui::ViewController* controller, std::string const& offerID) {
    VERIFY_MSG(
        controller != nullptr, "View Controller provided must not be nil or some other object");
    auto* video = player();
    if (!video) {
        BTXLog::logWithLevel(BTXLog::Error, "Error: the video player is not set up");
        return;
    }
    base::Ref<ui::View> view(video->mainView());
    view->removeFromSuperview();
    video->refreshViewWithFrame(controller->view()->bounds());
    if (!video->playVideoWithOfferID(offerID))
        return;
    controller->view()->addSubview(view);
    bringIn(view.get());
}

// --- through the view host ---

ui::View* BTXCallsWrapper::showVideoAdWithFrame(graphics::Rect frame, std::string const& offerID) {
    // The host stays transparent and behind when there is nothing to show.
    auto* shown = BTXVideoViewHandler::showVideoAdWithFrame(frame, offerID);
    if (!shown)
        return nullptr;
    moveViewToFront();
    view()->setAlpha(1);
    view()->addSubview(base::Ref<ui::View>(shown));
    return shown;
}

ui::View* BTXCallsWrapper::showVideoAdWithOfferID(std::string const& offerID) {
    return showVideoAdWithFrame(view()->bounds(), offerID);
}

void BTXCallsWrapper::showVideoAdWithViewController(
    ui::ViewController* controller, std::string const& offerID) {
    BTXVideoViewHandler::showVideoAdWithViewController(controller, offerID);
}

// --- the facade ---

ui::View* BountixConnect::showVideoAdWithFrame(graphics::Rect frame, std::string const& offerID) {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showVideoAdWithFrame(frame, offerID);
}

ui::View* BountixConnect::showVideoAdWithOfferID(std::string const& offerID) {
    return BTXCallsWrapper::sharedBTXCallsWrapper().showVideoAdWithOfferID(offerID);
}

void BountixConnect::showVideoAdWithViewController(
    ui::ViewController* controller, std::string const& offerID) {
    BTXCallsWrapper::sharedBTXCallsWrapper().showVideoAdWithViewController(controller, offerID);
}

}
