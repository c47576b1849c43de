#include <ads/mosaic/MXMeridianAdapter.hpp>

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXLogging.hpp>

namespace ads::mosaic {

base::Ref<MXMeridianAdapter> MXMeridianAdapter::initWithAdapterDelegate(
    MXAdapterDelegate* delegate) {
    return base::make<MXMeridianAdapter>(delegate);
}

MXMeridianAdapter::~MXMeridianAdapter() {
    tearDownExistingAdView();
}

void MXMeridianAdapter::applyNativeParams(MXNativeParams const& params) {
    if (params.adWidth == 300 && params.adHeight == 250) {
        merAdSize_ = graphics::makeSize(300, 250);
        merAdType_ = meridian::MERAdView::bannerAdRectangle;
    } else {
        merAdSize_ = graphics::makeSize(320, 53);
        merAdType_ = meridian::MERAdView::bannerAdTop;
    }
    merAdApid_ = params.adUnitID.value_or("");
}

void MXMeridianAdapter::getAdWithParams(foundation::HTTPHeaderFields const& params) {
    auto const native = nativeParamsOrFail(params, "Meridian");
    if (!native)
        return;
    applyNativeParams(*native);
    tearDownExistingAdView();
    merAdView_ = meridian::MERAdView::adWithFrame(
        graphics::makeRect(0, 0, merAdSize_.width, merAdSize_.height), merAdType_, merAdApid_, this,
        false, false);
    if (!merAdView_) {
        reportDidFailToLoadAd();
        return;
    }
    base::Ref<meridian::MERAdView> view = merAdView_;
    view->refreshAd();
}

void MXMeridianAdapter::tearDownExistingAdView() {
    if (!merAdView_)
        return;
    auto view = std::move(merAdView_);
    view->setRefreshTimerEnabled(false);
    view->setDelegate(nullptr);
}

std::optional<meridian::MERRequestData> MXMeridianAdapter::requestData() {
    meridian::MERRequestData data {{"vendor", vendorName}};
    auto* adView = delegate() ? delegate()->adView() : nullptr;
    if (adView && adView->locationDescriptionPair()) {
        auto const& pair = *adView->locationDescriptionPair();
        data.emplace_back("lat", pair[0]);
        data.emplace_back("lon", pair[1]);
    }
    return data;
}

void MXMeridianAdapter::adRequestSucceeded(meridian::MERAdView& view) {
    reportDidFinishLoadingAd(base::Ref<ui::View>(&view), true);
}

void MXMeridianAdapter::adRequestFailed(meridian::MERAdView&) {
    reportDidFailToLoadAd();
}

void MXMeridianAdapter::adWasTapped(meridian::MERAdView&) {
    reportUserActionWillBegin();
}

void MXMeridianAdapter::applicationWillTerminateFromAd() {
    reportUserWillLeaveApplication();
}

void MXMeridianAdapter::adModalWasDismissed() {
    reportUserActionDidEnd();
}

}
