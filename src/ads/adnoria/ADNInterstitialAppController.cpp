#include <ads/adnoria/ADNInterstitialAppController.hpp>

#include <ads/adnoria/ADNInterstitial.hpp>
#include <ads/adnoria/ADNObjectPrivate.hpp>
#include <ads/adnoria/ADNStatistics.hpp>

#include <base/Log.hpp>
#include <foundation/Perform.hpp>
#include <ui/Application.hpp>

namespace ads::adnoria {

base::Ref<ADNInterstitialAppController> ADNInterstitialAppController::initWithWindow(
    ui::Window& window, base::Ref<ui::Image> image, int timeout, ADNInterstitial& interstitial) {
    auto controller = base::make<ADNInterstitialAppController>();
    controller->interstitial_ = base::Ref<ADNInterstitial>(&interstitial);
    controller->window_ = &window;
    controller->storedUserViews_ = window.subviews();
    for (auto const& view : controller->storedUserViews_)
        view->removeFromSuperview();
    auto& application = ui::Application::sharedApplication();
    controller->hideStatusBar_ = application.isStatusBarHidden();
    application.setStatusBarHidden(true);
    base::WeakRef<ADNInterstitialAppController> weak(controller.get());
    controller->timeout_ = foundation::Timer::scheduledTimer(
        double(timeout),
        [weak](foundation::Timer&) {
            if (auto self = weak.strong())
                self->timeout();
        },
        false);
    auto frame = window.frame();
    controller->setView(ui::View::create(graphics::Rect {{0, 0}, frame.size}));
    window.addSubview(base::Ref<ui::View>(controller->view()));
    controller->imageView_ = ui::ImageView::imageViewWithImage(std::move(image));
    controller->view()->addSubview(controller->imageView_);
    // The creator's reference: given up when the window is restored.
    controller->self_ = controller;
    return controller;
}

ADNInterstitialAppController::~ADNInterstitialAppController() {
    if (timeout_)
        timeout_->invalidate();
    if (imageView_)
        imageView_->removeFromSuperview();
}

void ADNInterstitialAppController::interstitialDidReceiveAd(ADNInterstitial*) {
    if (timeout_)
        timeout_->invalidate();
    base::Ref<ADNInterstitialAppController> keep(this);
    interstitial_->presentFromRootViewController(this);
}

void ADNInterstitialAppController::interstitialDidFailToReceiveAdWithError(
    ADNInterstitial*, ADNRequestError const& error) {
    if (timeout_)
        timeout_->invalidate();
    if (error.code() == ADNRequestError::NoFill)
        ADNStatistics::sharedStatistics().setAppOpenInterstitialNoFill();
    removeSelfAsDelegate();
    restoreWindowAndRelease();
}

void ADNInterstitialAppController::interstitialWillDismissScreen(ADNInterstitial*) {
    removeSelfAsDelegate();
    restoreWindowAndRelease();
}

void ADNInterstitialAppController::timeout() {
    ADNStatistics::sharedStatistics().setAppOpenInterstitialTimeOut();
    base::logLine("<Adnoria> Interstitial request timed out.");
    interstitialWillDismissScreen(interstitial_.get());
}

void ADNInterstitialAppController::removeSelfAsDelegate() {
    if (interstitial_)
        interstitial_->objectPrivate().delegateManager().setSdkInterstitialDelegate(nullptr);
}

void ADNInterstitialAppController::restoreWindowAndRelease() {
    if (!self_)
        return;
    ui::Application::sharedApplication().setStatusBarHidden(hideStatusBar_);
    if (imageView_)
        imageView_->removeFromSuperview();
    // The covering view goes too, so the window is left as it was found.
    if (isViewLoaded() && view()->superview() == window_.get())
        view()->removeFromSuperview();
    if (auto* window = window_.get()) {
        for (auto const& stored : storedUserViews_)
            window->addSubview(stored);
    }
    // Let go on the next turn: a caller up the stack may still be using this.
    auto self = std::move(self_);
    foundation::performAfterDelay(
        nullptr, [self] {}, 0);
}

bool ADNInterstitialAppController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    return orientation == ui::InterfaceOrientation::Portrait;
}

}
