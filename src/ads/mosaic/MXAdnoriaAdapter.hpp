#pragma once

#include <ads/adnoria/ADNBannerView.hpp>
#include <ads/adnoria/ADNBannerViewDelegate.hpp>
#include <ads/mosaic/MXBaseAdapter.hpp>
#include <ads/mosaic/MXNativeParams.hpp>

namespace ads::mosaic {

// The adapter of ad type "adnoria_native": loads an Adnoria banner sized and aimed by
// "X-Nativeparams" and passes the banner's events on. It owns the banner and is its
// delegate until it goes.
class MXAdnoriaAdapter final : public MXBaseAdapter, private adnoria::ADNBannerViewDelegate {
public:
    static base::Ref<MXAdnoriaAdapter> initWithAdapterDelegate(MXAdapterDelegate* delegate);

    char const* className() const override { return "MXAdnoriaAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override;

    adnoria::ADNBannerView* adBannerView() const { return adBannerView_.get(); }
    // 320 x 50 unless the parameters ask for at least 320 wide or 50 high.
    static graphics::Rect bannerFrameForParams(MXNativeParams const& params);

private:
    friend base::Factory;
    explicit MXAdnoriaAdapter(MXAdapterDelegate* delegate);
    ~MXAdnoriaAdapter() override;

    void adViewDidReceiveAd(adnoria::ADNBannerView* banner) override;
    void adViewDidFailToReceiveAdWithError(
        adnoria::ADNBannerView* banner, adnoria::ADNRequestError const& error) override;
    void adViewWillPresentScreen(adnoria::ADNBannerView* banner) override;
    void adViewDidDismissScreen(adnoria::ADNBannerView* banner) override;
    void adViewWillLeaveApplication(adnoria::ADNBannerView* banner) override;

    base::Ref<adnoria::ADNBannerView> adBannerView_;
};

}
