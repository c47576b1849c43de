#include <ads/adnoria/ADNBannerView.hpp>

#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNPrivateUtilities.hpp>

#include <base/Log.hpp>
#include <ui/Color.hpp>

namespace ads::adnoria {

base::Ref<ADNBannerView> ADNBannerView::initWithFrame(graphics::Rect frame) {
    auto view = base::make<ADNBannerView>(frame);
    view->commonInitializer();
    return view;
}

ADNBannerView::ADNBannerView(graphics::Rect frame)
    : ui::View(frame) {
}

void ADNBannerView::commonInitializer() {
    setBackgroundColor(ui::Color::clearColor());
    auto controller = ADNObjectPrivate::initWithView(*this);
    private_ = controller.get();
    ADNPrivateUtilities::setPrivateObject(controller, *this);
}

ADNBannerView::~ADNBannerView() {
    // The table's key is this view, which is going: take the controller out by hand.
    base::Ref<ADNObjectPrivate> controller(private_);
    controller->cancelPendingActions();
    ADNPrivateUtilities::removePrivateObjectForKey(*this);
}

ADNObjectPrivate& ADNBannerView::objectPrivate() const {
    return *private_;
}

std::string const& ADNBannerView::adUnitID() const {
    return private_->adUnitID();
}

void ADNBannerView::setAdUnitID(std::string adUnitID) {
    private_->setAdUnitID(std::move(adUnitID));
}

ui::ViewController* ADNBannerView::rootViewController() const {
    return private_->rootViewController();
}

void ADNBannerView::setRootViewController(ui::ViewController* controller) {
    private_->setRootViewController(controller);
}

ADNBannerViewDelegate* ADNBannerView::delegate() const {
    return private_->delegateManager().bannerDelegate();
}

void ADNBannerView::setDelegate(ADNBannerViewDelegate* delegate) {
    private_->delegateManager().setBannerDelegate(delegate);
    private_->delegateManager().setAdView(this);
}

bool ADNBannerView::hasAutoRefreshed() const {
    return private_->hasAutoRefreshed();
}

ui::WebView* ADNBannerView::webView() const {
    return private_->webView();
}

void ADNBannerView::loadRequest(ADNRequest* request) {
    if (rootViewController()) {
        private_->loadRequest(request);
        return;
    }
    base::logLine("<Adnoria> Must set the rootViewController property of ADNBannerView before "
                  "calling loadRequest:");
    auto* given = dynamic_cast<ADNRequestPrivate*>(request);
    private_->delegateManager().didFailToReceiveAdWithError(
        ADNRequestError::errorWithCode(ADNRequestError::InvalidRequest, given));
}

}
