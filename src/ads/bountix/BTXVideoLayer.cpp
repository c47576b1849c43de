#include <ads/bountix/BTXVideoLayer.hpp>

#include <ads/bountix/BTXUtil.hpp>
#include <foundation/Format.hpp>
#include <foundation/Perform.hpp>
#include <foundation/Thread.hpp>
#include <foundation/Timer.hpp>
#include <foundation/URLConnection.hpp>
#include <foundation/URLRequest.hpp>
#include <graphics/Font.hpp>
#include <ui/Button.hpp>
#include <ui/Image.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>
#include <ui/MoviePlayerController.hpp>
#include <ui/NavigationBar.hpp>
#include <ui/WebView.hpp>

#include <algorithm>
#include <cmath>

namespace ads::bountix {

namespace {

constexpr double CountdownInterval = 0.25;
constexpr double FadeDuration = 0.3;
constexpr float NavBarHeight = 44;

base::Ref<ui::Button> boxButton(std::string title) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::RoundedRect);
    button->setTitle(std::move(title), ui::ControlState::Normal);
    return button;
}

// Fades view's alpha from one value to another.
void fade(ui::View* view, float from, float to) {
    if (!view)
        return;
    base::Ref<ui::View> keep(view);
    view->setAlpha(from);
    ui::View::animateWithDuration(FadeDuration, [keep, to] { keep->setAlpha(to); });
}

std::string countdownText(double seconds) {
    return foundation::format("%d seconds left", int(seconds));
}

}

base::Ref<BTXVideoLayer> BTXVideoLayer::create() {
    return base::make<BTXVideoLayer>();
}

BTXVideoLayer::BTXVideoLayer()
    : ui::View({0, 0, 480, 320}) {
    statusLabel_ = ui::Label::create();
    statusLabel_->setBackgroundColor(ui::Color::clearColor());
    statusLabel_->setTextColor(ui::Color::whiteColor());
    videoCompleteView_ = ui::View::create();
    videoCompleteView_->setBackgroundColor(ui::Color::colorWithWhite(0.1f, 1));
    messageView_ = ui::View::create();
    messageView_->setBackgroundColor(ui::Color::whiteColor());
    videoCompleteView_->addSubview(messageView_);
    iconImageView_ = ui::ImageView::create();
    messageView_->addSubview(iconImageView_);
    currencyLabelWebView_ = ui::WebView::create();
    messageView_->addSubview(currencyLabelWebView_);
    replayButton_ = boxButton("Replay");
    customButton1_ = boxButton("");
    customButton2_ = boxButton("");
    backButton_ = boxButton("Back");
    for (auto const& button : {replayButton_, customButton1_, customButton2_, backButton_})
        videoCompleteView_->addSubview(button);
    customButton1_->addTarget(
        this, [this](ui::Control&, ui::Event*) { buttonAction1(); },
        ui::ControlEvents::TouchUpInside);
    customButton2_->addTarget(
        this, [this](ui::Control&, ui::Event*) { buttonAction2(); },
        ui::ControlEvents::TouchUpInside);
    // The bar over the completion screen holds Done; over a button's page the way back
    // to the video stands in its place.
    navBar_ = ui::NavigationBar::create({0, 0, 480, NavBarHeight});
    videoCompleteView_->addSubview(navBar_);
    doneButton_ = boxButton("Done");
    navBar_->addSubview(doneButton_);
    backToVideoButton_ = boxButton("Back to Video");
    backToVideoButton_->setAlpha(0);
    backToVideoButton_->setEnabled(false);
    addSubview(backToVideoButton_);
    bountixLogo_ = ui::ImageView::create();
    bountixLogo_->setImage(ui::Image::imageNamed("bountix_icon.png"));
    layOutControls(bounds().size);
}

void BTXVideoLayer::layOutControls(graphics::Size size) {
    // The phone's layout, scaled up on a larger screen and centred.
    float const s = std::max(1.0f, std::min(size.width / 480, size.height / 320));
    float const left = std::floor((size.width - 400 * s) / 2);
    navBar_->setFrame({0, 0, size.width, NavBarHeight});
    doneButton_->setFrame({size.width - 80, 7, 70, 30});
    backToVideoButton_->setFrame({10, 7, 120, 30});
    messageView_->setFrame({left, 64 * s, 400 * s, 130 * s});
    iconImageView_->setFrame({10 * s, 10 * s, 57 * s, 57 * s});
    currencyLabelWebView_->setFrame({77 * s, 10 * s, 313 * s, 110 * s});
    float x = left;
    for (auto const& button : {replayButton_, customButton1_, customButton2_, backButton_}) {
        button->setFrame({x, 214 * s, 92 * s, 40 * s});
        x += 102.666f * s;
    }
    statusLabel_->setFrame({10 * s, size.height - 34 * s, 200 * s, 24 * s});
    bountixLogo_->setFrame({size.width - 60 * s, size.height - 34 * s, 50 * s, 24 * s});
}

BTXVideoLayer::~BTXVideoLayer() {
    stopCountdown();
}

void BTXVideoLayer::setVideoView(ui::View* view) {
    if (!view)
        return;
    auto const bounds = view->bounds();
    setFrame(bounds);
    if (videoFeed_)
        videoFeed_->view()->setFrame(bounds);
    float const navHeight = navBar_->frame().size.height;
    if (webView_) {
        webView_->setFrame({0, navHeight, bounds.size.width, bounds.size.height - navHeight});
        webView_->setBackgroundColor(ui::Color::colorWithWhite(0.44f, 1));
    }
    videoCompleteView_->setFrame(bounds);
    layOutControls(bounds.size);
    if (videoFeed_)
        addSubview(base::Ref<ui::View>(videoFeed_->view()));
    if (webView_)
        addSubview(webView_);
    addSubview(videoCompleteView_);
    addSubview(statusLabel_);
    bringSubviewToFront(statusLabel_.get());
    addSubview(bountixLogo_);
    bringSubviewToFront(bountixLogo_.get());

    bool const pad = BTXUtil::isPad();
    for (ui::View* box :
        {messageView_.get(), static_cast<ui::View*>(replayButton_.get()),
            static_cast<ui::View*>(backButton_.get()), static_cast<ui::View*>(customButton1_.get()),
            static_cast<ui::View*>(customButton2_.get())}) {
        box->layer().setCornerRadius(pad ? 10.0f : 5.0f);
        box->layer().setBorderWidth(pad ? 1.0f : 0.5f);
        box->layer().setBorderColor(ui::Color::colorWithRed(0.2862745f, 0.2862745f, 0.2862745f, 1));
        box->setClipsToBounds(true);
    }
    customButton1_->setAlpha(0);
    customButton2_->setAlpha(0);
    buttons_ = {customButton1_, customButton2_};
    buttonURLs_.clear();
    if (webView_)
        webView_->setAlpha(0);
    videoCompleteView_->setAlpha(0);
}

void BTXVideoLayer::prepareVideoWithDelegate(
    BTXVideoAdDelegate* delegate, std::string const& path) {
    delegate_ = delegate;
    isVideoPlaying_ = false;
    videoFeed_ = ui::MoviePlayerController::create(path);
    videoFeed_->setControlStyle(ui::MovieControlStyle::None);
    videoFeed_->setShouldAutoplay(false);
    videoFeed_->view()->setUserInteractionEnabled(false);
    webView_ = ui::WebView::create();
    // Only this layer's own player: another movie ending (the game's, say) is no
    // watched offer.
    auto& center = foundation::NotificationCenter::defaultCenter();
    durationObserver_ = center.observe(
        ui::MoviePlayerController::DurationAvailableNotification,
        [this](auto const&) { movieDurationAvailable(); }, videoFeed_.get());
    finishObserver_ = center.observe(
        ui::MoviePlayerController::PlaybackDidFinishNotification,
        [this](foundation::Notification const& notification) {
            auto const* info = notification.userInfo().dictionary();
            auto reason = info
                ? info->objectForKey(ui::MoviePlayerController::PlaybackDidFinishReasonUserInfoKey)
                      .intValue()
                : 0;
            movieDidFinishWatching(ui::MovieFinishReason(reason));
        },
        videoFeed_.get());
    didIconDownload_ = false;
}

void BTXVideoLayer::playVideo() {
    enableShowVideoCompleteScreen(false);
    enableShowBackToVideoButton(false);
    if (videoFeed_) {
        videoFeed_->stop();
        videoFeed_->play();
    }
    enableShowStatusLabel(true);
    stopCountdown();
    // The timer is invalidated before the layer goes, so it may call it unretained.
    countdown_ = foundation::Timer::scheduledTimer(
        CountdownInterval, [this](foundation::Timer&) { updateStatusText(); }, true);
    isVideoPlaying_ = true;
    if (offerID_ && !didIconDownload_)
        loadIconImage();
}

void BTXVideoLayer::loadIconImage() {
    auto cached = BTXVideoManager::sharedBTXVideoManager().getCachedVideoDictonary();
    auto const* entry = cached && offerID_ ? cached->objectForKey(*offerID_).dictionary() : nullptr;
    auto url = entry ? entry->objectForKey(BTXVideoObjIconURL).stringValue() : std::string();
    if (url.empty() || url == "NO_ICON") {
        // Views change on the main thread only, this one as well.
        iconImageView_->setImage(ui::Image::imageNamed("bountix_icon.png"));
        return;
    }
    base::Ref<BTXVideoLayer> self(this);
    foundation::Thread::detach([self = std::move(self), url]() mutable {
        auto result = foundation::URLConnection::sendSynchronousRequest(
            foundation::URLRequest::requestWithURL(url));
        auto data = std::move(result.data);
        // The layer is released on the main thread, where it lives.
        foundation::performOnMainThread(
            [self = std::move(self), data = std::move(data)] {
                if (auto image = ui::Image::imageWithData(data))
                    self->displayIcon(image);
            },
            false);
    });
}

void BTXVideoLayer::displayIcon(base::Ref<ui::Image> image) {
    didIconDownload_ = true;
    iconImageView_->setImage(std::move(image));
}

void BTXVideoLayer::stopVideo() {
    if (videoFeed_)
        videoFeed_->stop();
}

void BTXVideoLayer::cleanupVideo() {
    isVideoPlaying_ = false;
    stopCountdown();
    videoFeed_ = nullptr;
    webView_ = nullptr;
    durationObserver_.cancel();
    finishObserver_.cancel();
}

void BTXVideoLayer::stopCountdown() {
    if (countdown_)
        countdown_->invalidate();
    countdown_ = nullptr;
}

void BTXVideoLayer::movieDurationAvailable() {
    if (!videoFeed_)
        return;
    duration_ = videoFeed_->duration();
    statusLabel_->setText(countdownText(duration_));
}

void BTXVideoLayer::updateStatusText() {
    double left = duration_ - (videoFeed_ ? videoFeed_->currentPlaybackTime() : 0);
    if (left < 0)
        stopCountdown();
    statusLabel_->setText(countdownText(left));
}

void BTXVideoLayer::movieDidFinishWatching(ui::MovieFinishReason reason) {
    base::Ref<BTXVideoLayer> keep(this);
    enableShowVideoCompleteScreen(true);
    enableShowStatusLabel(false);
    stopCountdown();
    isVideoPlaying_ = false;
    // A movie that could not be played was not watched: nothing is reported, and the
    // offer stays open for another try.
    if (!offerID_ || reason == ui::MovieFinishReason::PlaybackError)
        return;
    auto offer = *offerID_;
    BTXVideoManager::sharedBTXVideoManager().requestHandler().requestVideoCompleteWithOfferID(
        offer);
    updateViewPropertiesWithOfferID(offer);
    offerID_ = std::nullopt;
}

void BTXVideoLayer::updateViewPropertiesWithOfferID(std::string const& offerID) {
    auto cached = BTXVideoManager::sharedBTXVideoManager().getCachedVideoDictonary();
    auto const* entry = cached ? cached->objectForKey(offerID).dictionary() : nullptr;
    if (!entry)
        return;
    if (auto const* list = entry->objectForKey(BTXVideoObjButtons).array()) {
        for (std::size_t i = 0; i < list->size() && i < buttons_.size(); ++i) {
            auto const* button = list->at(i).dictionary();
            if (!button)
                continue;
            auto label = button->objectForKey(BTXVideoButtonLabelKey).stringValue();
            for (auto state : {ui::ControlState::Normal, ui::ControlState::Highlighted,
                     ui::ControlState::Selected})
                buttons_[i]->setTitle(label, state);
            buttons_[i]->setAlpha(1);
            buttonURLs_.push_back(button->objectForKey(BTXVideoButtonURLKey).stringValue());
        }
    }
    currencyLabelWebView_->loadHTMLString(
        getDescriptionWithAmountString(entry->objectForKey(BTXVideoObjCurrencyAmount).stringValue(),
            entry->objectForKey(BTXVideoObjCurrencyName).stringValue(),
            entry->objectForKey(BTXVideoObjName).stringValue()));
}

std::string BTXVideoLayer::getDescriptionWithAmountString(
    std::string const& amount, std::string const& currencyName, std::string const& adText) {
    bool const pad = BTXUtil::isPad();
    return foundation::format(
        "<html><body><font face=%@ color=%@ size=%@><p>You just earned <font color=%@><b>%@</b>"
        "</font> %@! <br /> <font color=%@ size=%@><b>%@</b></font></p></font></body></html>",
        "\"helvetica\"", "\"black\"", pad ? "\"6\"" : "\"3\"", "#004194", amount, currencyName,
        "#909090", pad ? "\"5\"" : "\"2\"", adText);
}

void BTXVideoLayer::buttonAction1() {
    if (buttonURLs_.empty())
        return;
    loadWebViewWithURL(buttonURLs_[0]);
    transitionToWebView();
}

void BTXVideoLayer::buttonAction2() {
    if (buttonURLs_.size() < 2)
        return;
    loadWebViewWithURL(buttonURLs_[1]);
    transitionToWebView();
}

std::string BTXVideoLayer::webAddress(std::string const& address) {
    auto colon = address.find("://");
    auto scheme = colon == std::string::npos ? std::string() : address.substr(0, colon);
    for (auto& c : scheme)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (scheme == "http" || scheme == "https")
        return address;
    return foundation::format("http://%@", address);
}

void BTXVideoLayer::loadWebViewWithURL(std::string const& address) {
    if (webView_)
        webView_->loadRequest(foundation::URLRequest::requestWithURL(webAddress(address)));
}

void BTXVideoLayer::transitionToWebView() {
    if (webView_) {
        webView_->setAlpha(1);
        bringSubviewToFront(webView_.get());
    }
    doneButton_->setHidden(true);
    bringSubviewToFront(backToVideoButton_.get());
    backToVideoButton_->setAlpha(1);
    enableShowBackToVideoButton(true);
}

void BTXVideoLayer::transitionToVideoView() {
    if (webView_) {
        webView_->setAlpha(0);
        sendSubviewToBack(webView_.get());
    }
    doneButton_->setHidden(false);
    sendSubviewToBack(backToVideoButton_.get());
    backToVideoButton_->setAlpha(0);
    backToVideoButton_->setEnabled(false);
}

void BTXVideoLayer::enableShowBackToVideoButton(bool show) {
    backToVideoButton_->setEnabled(show);
    if (show)
        fade(backToVideoButton_.get(), 0, 1);
}

void BTXVideoLayer::enableShowVideoCompleteScreen(bool show) {
    float const target = show ? 1 : 0;
    if (videoCompleteView_->alpha() == target)
        return;
    fade(videoCompleteView_.get(), 1 - target, target);
}

void BTXVideoLayer::enableShowStatusLabel(bool show) {
    float const target = show ? 1 : 0;
    fade(statusLabel_.get(), 1 - target, target);
    fade(bountixLogo_.get(), 1 - target, target);
}

}
