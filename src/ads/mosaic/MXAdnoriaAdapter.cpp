#include <ads/mosaic/MXAdnoriaAdapter.hpp>

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXLogging.hpp>

#include <cstdlib>

namespace ads::mosaic {

base::Ref<MXAdnoriaAdapter> MXAdnoriaAdapter::initWithAdapterDelegate(MXAdapterDelegate* delegate) {
    return base::make<MXAdnoriaAdapter>(delegate);
}

MXAdnoriaAdapter::MXAdnoriaAdapter(MXAdapterDelegate* delegate)
    : MXBaseAdapter(delegate)
    , adBannerView_(adnoria::ADNBannerView::initWithFrame({})) {
    adBannerView_->setDelegate(this);
}

MXAdnoriaAdapter::~MXAdnoriaAdapter() {
    adBannerView_->setDelegate(nullptr);
}

graphics::Rect MXAdnoriaAdapter::bannerFrameForParams(MXNativeParams const& params) {
    if (params.adWidth < 320 && params.adHeight < 50)
        return graphics::makeRect(0, 0, 320, 50);
    return graphics::makeRect(0, 0, params.adWidth, params.adHeight);
}

void MXAdnoriaAdapter::getAdWithParams(foundation::HTTPHeaderFields const& params) {
    auto const native = nativeParamsOrFail(params, "Adnoria");
    if (!native)
        return;
    adBannerView_->setFrame(bannerFrameForParams(*native));
    adBannerView_->setAdUnitID(native->adUnitID.value_or(""));
    adBannerView_->setRootViewController(
        delegate() ? delegate()->viewControllerForPresentingModalView() : nullptr);

    auto request = adnoria::ADNRequest::request();
    auto* adView = delegate() ? delegate()->adView() : nullptr;
    if (adView && adView->locationDescriptionPair()) {
        auto const& pair = *adView->locationDescriptionPair();
        request->setLocationWithLatitude(
            std::strtof(pair[0].c_str(), nullptr), std::strtof(pair[1].c_str(), nullptr), 100.0f);
    }
    request->setTestDevices(std::vector<std::string> {"Simulator"});
    adBannerView_->loadRequest(request.get());
}

void MXAdnoriaAdapter::adViewDidReceiveAd(adnoria::ADNBannerView* banner) {
    reportDidFinishLoadingAd(base::Ref<ui::View>(banner), true);
}

void MXAdnoriaAdapter::adViewDidFailToReceiveAdWithError(
    adnoria::ADNBannerView*, adnoria::ADNRequestError const&) {
    // The network's own error stays with the network.
    reportDidFailToLoadAd();
}

void MXAdnoriaAdapter::adViewWillPresentScreen(adnoria::ADNBannerView*) {
    reportUserActionWillBegin();
}

void MXAdnoriaAdapter::adViewDidDismissScreen(adnoria::ADNBannerView*) {
    reportUserActionDidEnd();
}

void MXAdnoriaAdapter::adViewWillLeaveApplication(adnoria::ADNBannerView*) {
    reportUserWillLeaveApplication();
}

}
