#include <ads/meridian/MERJSONAdView.hpp>

#include <ads/meridian/MERHandshake.hpp>
#include <ads/meridian/MERLog.hpp>
#include <ads/meridian/MERValues.hpp>
#include <foundation/Clock.hpp>
#include <foundation/NotificationCenter.hpp>
#include <ui/LayerAnimation.hpp>

#include <utility>

namespace ads::meridian {

namespace {

void logEach(base::Value const& urls) {
    auto const* list = urls.array();
    if (!list)
        return;
    for (auto const& url : *list) {
        if (auto text = textOf(url))
            MERLog::logURL(*text);
    }
}

base::Date now() {
    return {foundation::Clock::current().wallTime()};
}

}

base::Ref<MERJSONAdView> MERJSONAdView::initWithFrame(
    graphics::Rect frame, MERJSONAdViewDelegate* delegate) {
    return base::make<MERJSONAdView>(frame, delegate);
}

MERJSONAdView::MERJSONAdView(graphics::Rect frame, MERJSONAdViewDelegate* delegate)
    : MERBasicAdView(frame)
    , delegate_(delegate) {
    graphics::Rect const inside {{0, 0}, frame.size};
    imageAdView_ = MERJSONImageAdView::initWithFrame(inside, this);
    addSubview(imageAdView_);
    showingAdView_ = imageAdView_.get();
    setAutoresizingMask(ui::Autoresizing::FlexibleWidth);
    videoAdView_ = MERJSONVideoAdView::initWithFrame(inside, this);
    videoAdView_->setHidden(true);
    addSubview(videoAdView_);
    hiddenAdView_ = videoAdView_.get();
}

MERJSONAdView::~MERJSONAdView() {
    imageAdView_->setDelegate(nullptr);
    videoAdView_->setDelegate(nullptr);
}

void MERJSONAdView::loadWithAdContents(std::string const& data) {
    base::Ref<MERJSONAdView> keep(this);
    int const oldKind = showingAdView_->ad() ? showingAdView_->ad()->adType() : 0;
    auto ad = MERJSONAd::initWithJSONAd(
        foundation::ByteView(reinterpret_cast<std::uint8_t const*>(data.data()), data.size()),
        this);
    int const kind = ad->adType();
    if (kind == MERJSONAd::Image) {
        imageAdView_->setAd(ad);
        imageAdView_->loadWithURL(ad->imageContentURL().value_or(""));
    } else if (kind == MERJSONAd::Video) {
        MERHandshake::sharedHandshake().setLastVideoRequestMadeAt(now());
        videoAdView_->setAd(ad);
        if (delegate_)
            delegate_->jsonAdViewWillLoadVideoURL(*this);
        videoAdView_->loadFullScreenVideoFromURL(ad->videoContentURL().value_or(""));
    } else if (kind == MERJSONAd::Other) {
        if (delegate_)
            delegate_->jsonAdViewRequestFailed(*this);
    }
    if (kind == oldKind) {
        if (delegate_)
            delegate_->jsonAdViewWantsToMoveToTheFront(*this);
        return;
    }
    if (delegate_)
        delegate_->jsonAdViewTransitionAnimationWillBegin(*this);
    crossfadeWithAd(*ad);
}

void MERJSONAdView::crossfadeWithAd(MERJSONAd& ad) {
    auto fade = ui::Transition::animation();
    fade->setType(ui::Transition::Type::Fade);
    fade->setTimingFunction(ui::TimingFunction::easeInEaseOut());
    fade->setDuration(ad.transitionDuration());
    fade->setDelegate(this);
    fade->setDidStop([this](ui::LayerAnimation const&, bool) { animationDidStop(); });
    layer().addAnimation(*fade, transitionKey);
    // The shown role follows the child on screen, so that the next reply of the same
    // kind is recognised and setFrame brings the visible child to the front.
    switch (ad.adType()) {
    case MERJSONAd::Image:
        imageAdView_->setHidden(false);
        videoAdView_->setHidden(true);
        showingAdView_ = imageAdView_.get();
        hiddenAdView_ = videoAdView_.get();
        break;
    case MERJSONAd::Video:
        videoAdView_->setHidden(false);
        imageAdView_->setHidden(true);
        showingAdView_ = videoAdView_.get();
        hiddenAdView_ = imageAdView_.get();
        break;
    case 3:
        imageAdView_->setHidden(true);
        videoAdView_->setHidden(true);
        std::swap(showingAdView_, hiddenAdView_);
        break;
    default:
        showingAdView_->setHidden(false);
        hiddenAdView_->setHidden(true);
        std::swap(showingAdView_, hiddenAdView_);
        break;
    }
}

void MERJSONAdView::animationDidStop() {
    if (delegate_)
        delegate_->jsonAdViewTransitionAnimationDidEnd(*this);
}

void MERJSONAdView::playVideoAdWithCache(MERVideoCache& cache) {
    base::Ref<MERJSONAdView> keep(this);
    base::Ref<MERVideoCache> held(&cache);
    if (delegate_)
        delegate_->jsonAdViewWillPlayChachedVideo(*this);
    base::Ref<MERJSONAd> ad(&cache.ad());
    videoAdView_->setAd(ad);
    videoAdView_->loadFullScreenVideoFromURL(cache.url().value_or(""));
    cache.incrementNumPlaysBy(1);
    cache.save();
    if (delegate_)
        delegate_->jsonAdViewTransitionAnimationWillBegin(*this);
    crossfadeWithAd(*ad);
}

void MERJSONAdView::setFrame(graphics::Rect frame) {
    graphics::Rect const inside {{0, 0}, frame.size};
    showingAdView_->setFrame(inside);
    bringSubviewToFront(showingAdView_);
    hiddenAdView_->setFrame(inside);
    View::setFrame(frame);
}

void MERJSONAdView::imageAdDidLoadNewAd(MERJSONImageAdView&, MERJSONAd& ad) {
    jsonAd_ = &ad;
}

void MERJSONAdView::videoAdDidLoadNewAd(MERJSONVideoAdView&, MERJSONAd& ad) {
    jsonAd_ = &ad;
}

void MERJSONAdView::imageAdViewFailed(MERJSONImageAdView&) {
    if (delegate_)
        delegate_->jsonAdViewRequestFailed(*this);
}

void MERJSONAdView::imageAdViewSucceeded(MERJSONImageAdView&) {
    if (delegate_)
        delegate_->jsonAdViewRequestSucceeded(*this);
}

void MERJSONAdView::imageAdViewWasTapped(MERJSONImageAdView&) {
    if (!delegate_ || !jsonAd_)
        return;
    delegate_->jsonAdViewWasTapped(
        *this, foundation::URLRequest::requestWithURL(jsonAd_->imageTapThroughURL().value_or("")));
}

void MERJSONAdView::videoAdWillClose(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoAdWillDisappear(*this);
}

void MERJSONAdView::videoAdDidAppear(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoAdDidAppear(*this);
}

void MERJSONAdView::videoAdWillAppear(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoAdWillAppear(*this);
}

void MERJSONAdView::videoAdFailed(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoAdFailed(*this);
}

void MERJSONAdView::videoAdSucceeded(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoAdSucceeded(*this);
}

void MERJSONAdView::videoCacheSucceeded(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoCacheSucceeded(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(cachingEndedNotification);
}

void MERJSONAdView::videoCacheFailed(MERJSONVideoAdView&) {
    if (delegate_)
        delegate_->jsonAdViewVideoCacheFailed(*this);
    foundation::NotificationCenter::defaultCenter().postNotification(cachingEndedNotification);
}

void MERJSONAdView::videoAdStarted(MERJSONVideoAdView& view, ui::MoviePlayerController&) {
    MERHandshake::sharedHandshake().setLastVideoPlayedAt(now());
    if (auto* ad = view.ad())
        logEach(ad->startActivity());
}

void MERJSONAdView::videoAdFinished(
    MERJSONVideoAdView& view, ui::MoviePlayerController*, bool enableAdRefresh, bool log) {
    if (log && view.ad())
        logEach(view.ad()->endActivity());
    if (delegate_)
        delegate_->jsonAdViewVideoAdFinishedPlaying(*this, enableAdRefresh);
}

void MERJSONAdView::videoAdLoadOnCompletionWithRequest(
    MERJSONVideoAdView& view, foundation::URLRequest const& request, int orientation) {
    if (delegate_)
        delegate_->jsonAdViewWantToShowOverlayWithRequest(
            *this, view, request, orientation, false, true);
}

void MERJSONAdView::videoAdLoadOnCompletionWithHTML(
    MERJSONVideoAdView& view, std::string const& html, int orientation) {
    if (delegate_)
        delegate_->jsonAdViewWantToShowOverlayWithHTML(*this, view, html, orientation, false, true);
}

void MERJSONAdView::videoButtonWasPressed(MERJSONVideoAdView& view, MERJSONVideoButton& button) {
    base::Ref<MERJSONAdView> keep(this);
    base::Ref<MERJSONVideoButton> pressed(&button);
    logEach(button.activity());
    view.pauseVideo();
    std::string const url = button.tapURL().value_or("");
    if (url == "mersdk://endVideo") {
        view.showStatusBar();
        view.endMovieWithNotification(true, true, false, true);
        return;
    }
    if (url == "mersdk://restartVideo") {
        view.restartVideo();
        return;
    }
    if (url == "mersdk://pauseVideo") {
        view.pauseVideo();
        return;
    }
    if (url == "mersdk://playVideo") {
        view.playVideo();
        return;
    }
    auto const colon = url.find(':');
    std::string const scheme = colon == std::string::npos ? "" : url.substr(0, colon);
    if (scheme == "sms" || scheme == "tel" || scheme == "merbrowser") {
        if (delegate_)
            delegate_->jsonAdViewWantsToOpenURL(*this, url);
        return;
    }
    int const orientation = MERJSONVideoAdView::orientationForVideo();
    if (delegate_)
        delegate_->jsonAdViewWantToShowOverlayWithRequest(
            *this, view, foundation::URLRequest::requestWithURL(url), orientation, false, false);
}

}
