#include <ads/mosaic/MXInterstitialAdView.hpp>

#include <ads/mosaic/MXLogging.hpp>
#include <ui/WebView.hpp>

namespace ads::mosaic {

base::Ref<MXInterstitialAdManager> MXInterstitialAdManager::initWithAdView(MXAdView& view) {
    return base::make<MXInterstitialAdManager>(view);
}

base::Ref<ui::WebView> MXInterstitialAdManager::adWebViewWithFrame(graphics::Rect frame) {
    auto webView = MXAdManager::adWebViewWithFrame(frame);
    webView->setAutoresizingMask(webView->autoresizingMask() | ui::Autoresizing::FlexibleWidth
        | ui::Autoresizing::FlexibleHeight);
    return webView;
}

void MXInterstitialAdManager::failAndRetry() {
    // A full-screen ad is asked for by its controller only.
    base::Ref<MXAdManager> self(this);
    setIsLoading(false);
    if (adView())
        adView()->backFillWithNothing();
}

base::Ref<MXInterstitialAdView> MXInterstitialAdView::initWithAdUnitId(
    std::string const& adUnitId, graphics::Size size) {
    auto view = base::make<MXInterstitialAdView>(adUnitId, size);
    view->setAdManager(MXInterstitialAdManager::initWithAdView(*view));
    return view;
}

void MXInterstitialAdView::setAdContentView(base::Ref<ui::View> view) {
    if (!view)
        return;
    if (dynamic_cast<ui::WebView*>(view.get()))
        view->setFrame(bounds());
    MXAdView::setAdContentView(std::move(view));
}

}
