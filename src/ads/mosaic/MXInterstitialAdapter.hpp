#pragma once

#include <ads/mosaic/MXBaseAdapter.hpp>

namespace ads::mosaic {

// The banner-side adapter of ad type "interstitial": it loads nothing. The reply's
// request ends and the load stays under way; for a full-screen ad the interstitial
// controller does the work from the same headers and ends the load.
class MXInterstitialAdapter final : public MXBaseAdapter {
public:
    static base::Ref<MXInterstitialAdapter> initWithAdapterDelegate(MXAdapterDelegate* delegate) {
        return base::make<MXInterstitialAdapter>(delegate);
    }

    char const* className() const override { return "MXInterstitialAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const&) override { }

private:
    friend base::Factory;
    explicit MXInterstitialAdapter(MXAdapterDelegate* delegate)
        : MXBaseAdapter(delegate) { }
};

}
