#include <ads/mosaic/MXAdView.hpp>

#include <ads/mosaic/MXLogging.hpp>
#include <foundation/Clock.hpp>
#include <ui/ScrollView.hpp>
#include <ui/WebView.hpp>

#include <cmath>
#include <cstdio>
#include <mutex>
#include <random>

namespace ads::mosaic {

namespace {

struct RandomSource {
    std::mutex mutex;
    std::minstd_rand generator {static_cast<unsigned>(foundation::Clock::current().wallTime())};
};

RandomSource& randomSource() {
    static RandomSource* source = new RandomSource;
    return *source;
}

// A coordinate narrowed to a float, with at most precision fraction digits and no
// trailing zeros, as a number formatter writes it.
std::string coordinateText(double coordinate, unsigned precision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", int(std::min(precision, 15u)),
        double(static_cast<float>(coordinate)));
    std::string text(buffer);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

}

int MXAdView::randomAnimationType() {
    auto& source = randomSource();
    std::lock_guard lock(source.mutex);
    return int(source.generator() % 5) + 2;
}

void MXAdView::seedRandomAnimationType(unsigned seed) {
    auto& source = randomSource();
    std::lock_guard lock(source.mutex);
    source.generator.seed(seed);
}

base::Ref<MXAdView> MXAdView::initWithAdUnitId(std::string const& adUnitId, graphics::Size size) {
    auto view = base::make<MXAdView>(adUnitId, size);
    view->adManager_ = MXAdManager::initWithAdView(*view);
    return view;
}

MXAdView::MXAdView(std::string const& adUnitId, graphics::Size size)
    : View(graphics::makeRect(0, 0, size.width, size.height))
    , adUnitId_(adUnitId.empty() ? defaultAdUnitId : adUnitId)
    , originalSize_(size)
    , creativeSize_(size) {
    setBackgroundColor(ui::Color::clearColor());
    setClipsToBounds(true);
}

MXAdView::~MXAdView() {
    delegate_ = nullptr;
    if (auto* webView = dynamic_cast<ui::WebView*>(adContentView_.get()))
        webView->setDelegate(nullptr);
    if (adManager_)
        adManager_->setAdView(nullptr);
}

void MXAdView::setAdUnitId(std::string adUnitId) {
    adUnitId_ = std::move(adUnitId);
    if (adManager_)
        adManager_->setAdUnitId(adUnitId_);
}

std::string MXAdView::keywords() const {
    return adManager_ && adManager_->keywords() ? *adManager_->keywords() : std::string();
}

void MXAdView::setKeywords(std::optional<std::string> keywords) {
    if (adManager_)
        adManager_->setKeywords(std::move(keywords));
}

void MXAdView::setLocation(std::optional<MXLocation> location) {
    if (location == location_)
        return;
    location_ = location;
    recomputeLocationPair();
}

void MXAdView::setLocationEnabled(bool enabled) {
    locationEnabled_ = enabled;
    recomputeLocationPair();
}

void MXAdView::setLocationPrecision(unsigned precision) {
    locationPrecision_ = precision;
    recomputeLocationPair();
}

void MXAdView::recomputeLocationPair() {
    if (location_ && locationEnabled_)
        locationDescriptionPair_
            = std::array<std::string, 2> {coordinateText(location_->latitude, locationPrecision_),
                coordinateText(location_->longitude, locationPrecision_)};
    else
        locationDescriptionPair_.reset();
}

void MXAdView::setIgnoresAutorefresh(bool ignores) {
    ignoresAutorefresh_ = ignores;
    if (adManager_)
        adManager_->setIgnoresAutorefresh(ignores);
}

void MXAdView::loadAd() {
    loadAdWithURL(std::nullopt);
}

void MXAdView::refreshAd() {
    if (adManager_)
        adManager_->refreshAd();
}

void MXAdView::forceRefreshAd() {
    if (adManager_)
        adManager_->forceRefreshAd();
}

void MXAdView::loadAdWithURL(std::optional<std::string> url) {
    if (adManager_)
        adManager_->loadAdWithURL(std::move(url));
}

void MXAdView::rotateToOrientation(ui::InterfaceOrientation orientation) {
    if (adManager_)
        adManager_->rotateToOrientation(orientation);
}

void MXAdView::adViewDidAppear() {
    if (auto* webView = dynamic_cast<ui::WebView*>(adContentView_.get()))
        webView->stringByEvaluatingJavaScriptFromString("webviewDidAppear();");
}

void MXAdView::didCloseAd() {
    base::Ref<MXAdView> self(this);
    if (auto* webView = dynamic_cast<ui::WebView*>(adContentView_.get()))
        webView->stringByEvaluatingJavaScriptFromString("webviewDidClose();");
    if (delegate_)
        delegate_->adViewShouldClose(*this);
}

void MXAdView::backFillWithNothing() {
    setBackgroundColor(ui::Color::clearColor());
    setHidden(true);
    if (delegate_)
        delegate_->adViewDidFailToLoadAd(*this);
}

void MXAdView::customEventDidLoadAd() {
    if (adManager_)
        adManager_->customEventDidLoadAd();
}

void MXAdView::customEventDidFailToLoadAd() {
    if (adManager_)
        adManager_->customEventDidFailToLoadAd();
}

graphics::Size MXAdView::adContentViewSize() const {
    return adContentView_ ? adContentView_->bounds().size : originalSize_;
}

void MXAdView::applyScrollSetting(ui::View& view) {
    if (dynamic_cast<ui::WebView*>(&view)) {
        for (auto const& subview : view.subviews()) {
            if (auto* scroll = dynamic_cast<ui::ScrollView*>(subview.get())) {
                scroll->setScrollEnabled(scrollable_);
                scroll->setBounces(scrollable_);
            }
        }
    } else if (auto* scroll = dynamic_cast<ui::ScrollView*>(&view)) {
        scroll->setScrollEnabled(scrollable_);
    }
}

void MXAdView::setAdContentView(base::Ref<ui::View> view) {
    if (!view)
        return;
    setHidden(false);
    applyScrollSetting(*view);

    int type = adContentView_ ? animationType_ : 0;
    if (type == 1)
        type = randomAnimationType();
    MXLogDebugMessage("Ad view (%p) is using animationType: %d", this, type);
    // Types the server does not define show the creative at once.
    if (type < 2 || type > 6) {
        addSubview(view);
        finishTransition(view);
        return;
    }
    base::Ref<MXAdView> self(this);
    ui::View::beginAnimations(transitionAnimationID, view.get());
    ui::View::setAnimationDelegate(this);
    ui::View::setAnimationDuration(1.0);
    ui::View::setAnimationDidStopSelector(
        [self, view](std::string const& animationID, bool, void*) {
            if (animationID == transitionAnimationID)
                self->finishTransition(view);
        });
    if (type == 6) {
        ui::View::setAnimationCurve(ui::AnimationCurve::Linear);
        view->setAlpha(0);
        addSubview(view);
        view->setAlpha(1.0f);
    } else {
        addSubview(view);
        auto const transition = type == 2 ? ui::AnimationTransition::FlipFromLeft
            : type == 3                   ? ui::AnimationTransition::FlipFromRight
            : type == 4                   ? ui::AnimationTransition::CurlUp
                                          : ui::AnimationTransition::CurlDown;
        ui::View::setAnimationTransition(transition, this, true);
    }
    ui::View::commitAnimations();
}

void MXAdView::finishTransition(base::Ref<ui::View> view) {
    if (adContentView_ && adContentView_ != view) {
        adContentView_->removeFromSuperview();
        if (auto* webView = dynamic_cast<ui::WebView*>(adContentView_.get())) {
            webView->setDelegate(nullptr);
            webView->stopLoading();
            if (adManager_)
                adManager_->removeWebviewFromPool(webView);
        }
    }
    adContentView_ = std::move(view);
}

}
