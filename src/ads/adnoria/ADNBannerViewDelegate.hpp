#pragma once

#include <ads/adnoria/ADNRequestError.hpp>

namespace ads::adnoria {

class ADNBannerView;
class ADNInterstitial;

// What a banner tells the application. Every operation is optional; each gets the
// banner first. Not retained by the banner.
class ADNBannerViewDelegate {
public:
    virtual ~ADNBannerViewDelegate() = default;
    virtual void adViewDidReceiveAd(ADNBannerView*) { }
    virtual void adViewDidFailToReceiveAdWithError(ADNBannerView*, ADNRequestError const&) { }
    virtual void adViewWillPresentScreen(ADNBannerView*) { }
    virtual void adViewWillDismissScreen(ADNBannerView*) { }
    virtual void adViewDidDismissScreen(ADNBannerView*) { }
    virtual void adViewWillLeaveApplication(ADNBannerView*) { }
};

// What an interstitial tells the application (and the client's own launch-time
// listener). Every operation is optional; each gets the interstitial first.
class ADNInterstitialDelegate {
public:
    virtual ~ADNInterstitialDelegate() = default;
    virtual void interstitialWillLeaveApplication(ADNInterstitial*) { }
    virtual void interstitialDidDismissScreen(ADNInterstitial*) { }
    virtual void interstitialWillDismissScreen(ADNInterstitial*) { }
    virtual void interstitialWillPresentScreen(ADNInterstitial*) { }
    virtual void interstitialDidFailToReceiveAdWithError(ADNInterstitial*, ADNRequestError const&) {
    }
    virtual void interstitialDidReceiveAd(ADNInterstitial*) { }
};

}
