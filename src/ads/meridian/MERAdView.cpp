#include <ads/meridian/MERAdView.hpp>

#include <ads/meridian/MERGenericAdView.hpp>
#include <ads/meridian/MERHandshake.hpp>
#include <foundation/Format.hpp>

#include <string_view>

namespace ads::meridian {

base::Ref<MERAdView> MERAdView::adWithFrame(graphics::Rect frame, int type, std::string const& apid,
    MERAdDelegate* delegate, bool loadAd, bool startTimer) {
    if (!delegate) {
        foundation::log("MERSDK: Invalid delegate: delegate must not be nil");
        return nullptr;
    }
    base::Ref<MERGenericAdView> view;
    switch (type) {
    case bannerAdTop:
    case bannerAdBottom:
        view = base::make<MERBannerAdView>(frame, apid, type, delegate);
        break;
    case bannerAdRectangle:
        view = base::make<MERBannerAdView>(
            graphics::Rect {frame.origin, {300, 250}}, apid, type, delegate);
        break;
    case fullScreenAdLaunch:
    case fullScreenAdTransition:
        view = base::make<MERIntersticialAdView>(graphics::Rect {}, apid, type, delegate);
        break;
    default:
        view = base::make<MERBannerAdView>(
            graphics::Rect {frame.origin, {320, 53}}, apid, bannerAdTop, delegate);
        break;
    }
    view->initAdWithTimer(startTimer, loadAd);
    return view;
}

base::Ref<MERAdView> MERAdView::interstitialWithType(
    int type, std::string const& apid, MERAdDelegate* delegate, bool loadAd) {
    if (!delegate) {
        foundation::log("MERSDK: Invalid delegate: delegate must not be nil");
        return nullptr;
    }
    if (type != fullScreenAdLaunch && type != fullScreenAdTransition)
        return nullptr;
    base::Ref<MERGenericAdView> view
        = base::make<MERIntersticialAdView>(graphics::Rect {}, apid, type, delegate);
    view->initAdWithTimer(false, loadAd);
    return view;
}

std::string MERAdView::version() {
    std::string_view const full = MERHandshake::sdkVersion;
    auto dash = full.find('-');
    if (dash == std::string_view::npos || full.find('-', dash + 1) != std::string_view::npos)
        return std::string(full);
    return std::string(full.substr(0, dash));
}

char const* MERAdView::adTypeName(int type) {
    switch (type) {
    case bannerAdBottom:
        return "MERBannerAdBottom";
    case bannerAdRectangle:
        return "MERBannerAdRectangle";
    case fullScreenAdLaunch:
        return "MERFullScreenAdLaunch";
    case fullScreenAdTransition:
        return "MERFullScreenAdTransition";
    default:
        return "MERBannerAdTop";
    }
}

}
