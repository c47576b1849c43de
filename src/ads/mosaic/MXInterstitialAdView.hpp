#pragma once

#include <ads/mosaic/MXAdManager.hpp>
#include <ads/mosaic/MXAdView.hpp>

namespace ads::mosaic {

// The full-screen ad's manager: as the banner's, but a failed request only hides the
// view and reports the failure (nothing is asked again by itself), and its web views
// follow the view's size.
class MXInterstitialAdManager final : public MXAdManager {
public:
    static base::Ref<MXInterstitialAdManager> initWithAdView(MXAdView& view);

    base::Ref<ui::WebView> adWebViewWithFrame(graphics::Rect frame) override;

protected:
    void failAndRetry() override;

private:
    friend base::Factory;
    explicit MXInterstitialAdManager(MXAdView& view)
        : MXAdManager(view) { }
};

// A banner view stretched over the screen, with the full-screen manager. A web view
// creative fills the view.
class MXInterstitialAdView final : public MXAdView {
public:
    static base::Ref<MXInterstitialAdView> initWithAdUnitId(
        std::string const& adUnitId, graphics::Size size);

    void setAdContentView(base::Ref<ui::View> view) override;

private:
    friend base::Factory;
    MXInterstitialAdView(std::string const& adUnitId, graphics::Size size)
        : MXAdView(adUnitId, size) { }
};

}
