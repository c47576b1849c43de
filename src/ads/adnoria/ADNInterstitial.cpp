#include <ads/adnoria/ADNInterstitial.hpp>

#include <ads/adnoria/ADNInterstitialAppController.hpp>
#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNPrivateUtilities.hpp>
#include <ads/adnoria/ADNWebAppViewController.hpp>
#include <ads/adnoria/ADNWebViewDelegate.hpp>

#include <base/Log.hpp>
#include <foundation/UserDefaults.hpp>
#include <ui/Screen.hpp>

namespace ads::adnoria {

void ADNInterstitial::initialize() {
    ADNObjectPrivate::registerApplicationTimeoutDefault();
}

base::Ref<ADNInterstitial> ADNInterstitial::init() {
    initialize();
    auto interstitial = base::make<ADNInterstitial>();
    auto controller = ADNObjectPrivate::initWithFrame(ui::Screen::mainScreen().bounds());
    interstitial->private_ = controller.get();
    ADNPrivateUtilities::setPrivateObject(controller, *interstitial);
    auto& center = ADNNotificationCenter::defaultCenter();
    base::WeakRef<ADNInterstitial> weak(interstitial.get());
    interstitial->observations_.push_back(center.observe("settings", [weak](auto const& n) {
        if (auto self = weak.strong())
            self->settingsChanged(n);
    }));
    interstitial->observations_.push_back(center.observe(
        ADNWebViewDelegate::DidReceiveWebActionNotification,
        [weak](auto const& n) {
            if (auto self = weak.strong())
                self->webAction(n);
        },
        controller->webView()));
    return interstitial;
}

ADNInterstitial::~ADNInterstitial() {
    observations_.clear();
    base::Ref<ADNObjectPrivate> controller(private_);
    controller->cancelPendingActions();
    ADNPrivateUtilities::removePrivateObjectForKey(*this);
}

std::string const& ADNInterstitial::adUnitID() const {
    return private_->adUnitID();
}

void ADNInterstitial::setAdUnitID(std::string adUnitID) {
    private_->setAdUnitID(std::move(adUnitID));
}

ADNInterstitialDelegate* ADNInterstitial::delegate() const {
    return private_->delegateManager().interstitialDelegate();
}

void ADNInterstitial::setDelegate(ADNInterstitialDelegate* delegate) {
    private_->delegateManager().setInterstitialDelegate(delegate);
    private_->delegateManager().setInterstitial(this);
}

void ADNInterstitial::loadRequest(ADNRequest* request) {
    private_->loadInterstitialRequest(request);
}

bool ADNInterstitial::isReady() const {
    return private_->state() == ADNObjectPrivate::AdReady;
}

void ADNInterstitial::presentFromRootViewController(ui::ViewController* controller) {
    if (!isReady()) {
        base::logLine("<Adnoria> Cannot present interstitial.  It is not ready.");
        return;
    }
    auto webApp = ADNWebAppViewController::create();
    webApp->setDelegateManager(base::Ref<ADNDelegateManager>(&private_->delegateManager()));
    webApp->setSupportedOrientations(private_->supportedOrientations());
    webApp->loadHTML(private_->adHTMLString(), private_->adHTMLBaseURL());
    private_->trackURLs(private_->pendingTrackingURLs());
    webApp->presentFromViewController(controller);
}

void ADNInterstitial::loadAndDisplayRequest(
    ADNRequest* request, ui::Window& window, base::Ref<ui::Image> initialImage) {
    float timeout
        = foundation::UserDefaults::standardUserDefaults().floatForKey(ApplicationTimeoutKey);
    if (!(timeout > 0)) {
        base::logLine("<Adnoria> Interstitial has zero timeout.  Not displaying.");
        return;
    }
    auto controller = ADNInterstitialAppController::initWithWindow(
        window, std::move(initialImage), int(timeout), *this);
    private_->delegateManager().setSdkInterstitialDelegate(controller.get());
    private_->loadInterstitialRequest(request);
}

void ADNInterstitial::settingsChanged(foundation::Notification const& notification) {
    auto const* info = notification.userInfo().dictionary();
    if (!info)
        return;
    // The bridge hands query keys over in lower case.
    auto const* value = info->find(ApplicationTimeoutKey);
    if (!value)
        value = info->find("applicationtimeout");
    if (!value || value->stringValue().empty())
        return;
    foundation::UserDefaults::standardUserDefaults().setFloat(
        value->floatValue(), ApplicationTimeoutKey);
}

void ADNInterstitial::webAction(foundation::Notification const& notification) {
    auto const* info = notification.userInfo().dictionary();
    auto const* action = info ? info->find("a") : nullptr;
    if (!action || action->stringValue() == "open")
        private_->cancelPendingActions();
}

}
