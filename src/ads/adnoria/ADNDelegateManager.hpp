#pragma once

#include <ads/adnoria/ADNBannerViewDelegate.hpp>

#include <base/Object.hpp>
#include <base/Ref.hpp>

#include <functional>

namespace ads::adnoria {

// Hands every ad event to the three listeners of one ad, in this order: the
// application's banner delegate (with the banner), the client's own interstitial
// listener and the application's interstitial delegate (both with the
// interstitial). None of them is retained. The events may be raised on any thread:
// off the main thread they run on the main thread while the caller waits. A
// listener may clear itself or another from inside its call; the rest of the
// round reads the fields anew.
class ADNDelegateManager final : public base::Object {
public:
    static base::Ref<ADNDelegateManager> create() { return base::make<ADNDelegateManager>(); }

    ADNBannerViewDelegate* bannerDelegate() const { return bannerDelegate_; }
    void setBannerDelegate(ADNBannerViewDelegate* delegate) { bannerDelegate_ = delegate; }
    ADNBannerView* adView() const { return adView_; }
    void setAdView(ADNBannerView* view) { adView_ = view; }
    ADNInterstitialDelegate* interstitialDelegate() const { return interstitialDelegate_; }
    void setInterstitialDelegate(ADNInterstitialDelegate* delegate) {
        interstitialDelegate_ = delegate;
    }
    ADNInterstitial* interstitial() const { return interstitial_; }
    void setInterstitial(ADNInterstitial* interstitial) { interstitial_ = interstitial; }
    ADNInterstitialDelegate* sdkInterstitialDelegate() const { return sdkInterstitialDelegate_; }
    void setSdkInterstitialDelegate(ADNInterstitialDelegate* delegate) {
        sdkInterstitialDelegate_ = delegate;
    }

    void didReceiveAd();
    void didFailToReceiveAdWithError(ADNRequestError const& error);
    void willPresentScreen();
    void willDismissScreen();
    void didDismissScreen();
    void willLeaveApplication();

private:
    friend base::Factory;
    ADNDelegateManager() = default;

    void dispatch(std::function<void(ADNBannerViewDelegate&, ADNBannerView*)> const& banner,
        std::function<void(ADNInterstitialDelegate&, ADNInterstitial*)> const& interstitial);

    ADNBannerViewDelegate* bannerDelegate_ {nullptr};
    ADNBannerView* adView_ {nullptr};
    ADNInterstitialDelegate* interstitialDelegate_ {nullptr};
    ADNInterstitial* interstitial_ {nullptr};
    ADNInterstitialDelegate* sdkInterstitialDelegate_ {nullptr};
};

}
