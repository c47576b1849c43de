#include <ads/mosaic/MXCustomEventAdapter.hpp>

#include <ads/mosaic/MXAdView.hpp>
#include <ads/mosaic/MXLogging.hpp>

#include <algorithm>

namespace ads::mosaic {

base::Ref<MXCustomEventAdapter> MXCustomEventAdapter::initWithAdapterDelegate(
    MXAdapterDelegate* delegate) {
    return base::make<MXCustomEventAdapter>(delegate);
}

void MXCustomEventAdapter::getAdWithParams(foundation::HTTPHeaderFields const& params) {
    auto const* name = params.find(selectorHeader);
    if (!name) {
        MXLogErrorMessage("Custom event requested, but no custom selector was provided.");
        reportDidFailToLoadAd();
        return;
    }
    base::Ref<MXCustomEventAdapter> self(this);
    auto* adView = delegate() ? delegate()->adView() : nullptr;
    auto* viewDelegate = adView ? adView->delegate() : nullptr;
    std::string const withColon = *name + ":";
    if (viewDelegate && !name->empty()) {
        // Only the operations the delegate offers may be named by the ad server.
        auto const allowed = viewDelegate->allowedCustomSelectors();
        auto const offers = [&](std::string const& selector) {
            return std::find(allowed.begin(), allowed.end(), selector) != allowed.end();
        };
        if (offers(*name)) {
            viewDelegate->performCustomEvent(*name, nullptr);
            return;
        }
        if (offers(withColon)) {
            base::Ref<MXAdView> keep(adView);
            viewDelegate->performCustomEvent(withColon, adView);
            return;
        }
    }
    MXLogErrorMessage(
        "Ad view delegate does not implement custom event selectors %@ or %@.", *name, withColon);
    reportDidFailToLoadAd();
}

}
