#include <ads/adnoria/ADNDelegateManager.hpp>

#include <foundation/Perform.hpp>
#include <foundation/Thread.hpp>

namespace ads::adnoria {

void ADNDelegateManager::dispatch(
    std::function<void(ADNBannerViewDelegate&, ADNBannerView*)> const& banner,
    std::function<void(ADNInterstitialDelegate&, ADNInterstitial*)> const& interstitial) {
    if (!foundation::Thread::isMainThread()) {
        base::Ref<ADNDelegateManager> keep(this);
        foundation::performOnMainThread([&] { keep->dispatch(banner, interstitial); }, true);
        return;
    }
    base::Ref<ADNDelegateManager> keep(this);
    if (auto* delegate = bannerDelegate_)
        banner(*delegate, adView_);
    if (auto* delegate = sdkInterstitialDelegate_)
        interstitial(*delegate, interstitial_);
    if (auto* delegate = interstitialDelegate_)
        interstitial(*delegate, interstitial_);
}

void ADNDelegateManager::didReceiveAd() {
    dispatch([](auto& delegate, auto* view) { delegate.adViewDidReceiveAd(view); },
        [](auto& delegate, auto* ad) { delegate.interstitialDidReceiveAd(ad); });
}

void ADNDelegateManager::didFailToReceiveAdWithError(ADNRequestError const& error) {
    dispatch([&](auto& delegate,
                 auto* view) { delegate.adViewDidFailToReceiveAdWithError(view, error); },
        [&](auto& delegate, auto* ad) {
            delegate.interstitialDidFailToReceiveAdWithError(ad, error);
        });
}

void ADNDelegateManager::willPresentScreen() {
    dispatch([](auto& delegate, auto* view) { delegate.adViewWillPresentScreen(view); },
        [](auto& delegate, auto* ad) { delegate.interstitialWillPresentScreen(ad); });
}

void ADNDelegateManager::willDismissScreen() {
    dispatch([](auto& delegate, auto* view) { delegate.adViewWillDismissScreen(view); },
        [](auto& delegate, auto* ad) { delegate.interstitialWillDismissScreen(ad); });
}

void ADNDelegateManager::didDismissScreen() {
    dispatch([](auto& delegate, auto* view) { delegate.adViewDidDismissScreen(view); },
        [](auto& delegate, auto* ad) { delegate.interstitialDidDismissScreen(ad); });
}

void ADNDelegateManager::willLeaveApplication() {
    dispatch([](auto& delegate, auto* view) { delegate.adViewWillLeaveApplication(view); },
        [](auto& delegate, auto* ad) { delegate.interstitialWillLeaveApplication(ad); });
}

}
