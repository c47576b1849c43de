#include <ads/mosaic/MXIAdAdapter.hpp>

#include <ads/mosaic/MXLogging.hpp>

namespace ads::mosaic {

void MXIAdAdapter::getAdWithParams(foundation::HTTPHeaderFields const&) {
    // No banner class on this system: the load fails with no banner and no error.
    bannerViewDidFailToReceiveAdWithError({});
}

void MXIAdAdapter::bannerViewDidFailToReceiveAdWithError(std::string const& error) {
    MXLogInfoMessage("iAd failed in trying to load or refresh an ad.");
    reportDidFailToLoadAd(error);
}

}
