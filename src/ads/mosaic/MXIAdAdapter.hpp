#pragma once

#include <ads/mosaic/MXBaseAdapter.hpp>

#include <string>

namespace ads::mosaic {

// The adapter of ad type "iAd". The platform's own banner class is not available on
// this system, so every load fails at once (logged as the banner's failure would be)
// and the ad manager moves on to the reply's fail URL.
class MXIAdAdapter final : public MXBaseAdapter {
public:
    static base::Ref<MXIAdAdapter> initWithAdapterDelegate(MXAdapterDelegate* delegate) {
        return base::make<MXIAdAdapter>(delegate);
    }

    char const* className() const override { return "MXIAdAdapter"; }
    void getAdWithParams(foundation::HTTPHeaderFields const& params) override;
    // Nothing to turn: no banner is ever held.
    void rotateToOrientation(ui::InterfaceOrientation) override { }

    // The banner's failure report: logged, then passed on with its error.
    void bannerViewDidFailToReceiveAdWithError(std::string const& error);

private:
    friend base::Factory;
    explicit MXIAdAdapter(MXAdapterDelegate* delegate)
        : MXBaseAdapter(delegate) { }
};

}
