#include <ads/adnoria/ADNViewController.hpp>

#include <ads/adnoria/ADNNotificationCenter.hpp>
#include <ads/adnoria/ADNStatistics.hpp>

#include <base/Log.hpp>
#include <foundation/Perform.hpp>
#include <ui/Application.hpp>
#include <ui/Color.hpp>
#include <ui/Screen.hpp>
#include <ui/View.hpp>
#include <ui/Window.hpp>

namespace ads::adnoria {

int ADNViewController::orientationFromString(std::string_view text) {
    if (text == "any")
        return Any;
    if (text == "portrait")
        return Portrait;
    if (text == "landscape")
        return Landscape;
    return NotSet;
}

base::Ref<ADNViewController> ADNViewController::create() {
    return base::make<ADNViewController>();
}

ADNViewController::ADNViewController() {
    setModalTransitionStyle(ui::ModalTransitionStyle::CoverVertical);
}

ADNViewController::~ADNViewController() {
    settings_.cancel();
    if (wasFirst_ && delegateManager_)
        delegateManager_->didDismissScreen();
}

void ADNViewController::loadView() {
    ui::ViewController::loadView();
    auto* root = view();
    root->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    root->setOpaque(true);
    root->setBackgroundColor(ui::Color::blackColor());
    root->setClipsToBounds(true);
    // Page settings reach only the controller they name (their sender is its view).
    settings_ = ADNNotificationCenter::defaultCenter().observe(
        "settings", [this](auto const& notification) { settingsChanged(notification); }, root);
}

ADNDelegateManager& ADNViewController::delegateManager() {
    if (!delegateManager_)
        delegateManager_ = ADNDelegateManager::create();
    return *delegateManager_;
}

void ADNViewController::setSupportedOrientations(int code) {
    if (code != NotSet)
        supportedOrientations_ = code;
}

void ADNViewController::settingsChanged(foundation::Notification const& notification) {
    auto const* info = notification.userInfo().dictionary();
    if (!info)
        return;
    setSupportedOrientations(
        orientationFromString(info->objectForKey("supportedorientations").stringValue()));
}

bool ADNViewController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    bool portrait = orientation == ui::InterfaceOrientation::Portrait
        || orientation == ui::InterfaceOrientation::PortraitUpsideDown;
    if (supportedOrientations_ == Portrait)
        return portrait;
    if (supportedOrientations_ == Landscape)
        return !portrait;
    return true;
}

bool ADNViewController::isFirstADNViewController() const {
    return !dynamic_cast<ADNViewController*>(parentViewController());
}

void ADNViewController::presentFromViewController(ui::ViewController* controller) {
    if (!controller) {
        base::logLine("<Adnoria> No UIViewController supplied to the ad.  Cannot continue.");
        return;
    }
    view()->setUserInteractionEnabled(false);
    keepAlive_ = base::Ref<ADNViewController>(this);
    foundation::NotificationCenter::defaultCenter().postNotification(
        WillPresentFullScreenNotification, this);
    if (dynamic_cast<ADNViewController*>(controller)) {
        controller->presentModalViewController(base::Ref<ADNViewController>(this), true);
        return;
    }
    wasFirst_ = true;
    delegateManager().willPresentScreen();
    auto& application = ui::Application::sharedApplication();
    statusBarWasHidden_ = application.isStatusBarHidden();
    if (modalPresentationStyle() == ui::ModalPresentationStyle::FullScreen && !statusBarWasHidden_)
        application.setStatusBarHidden(true);
    presentSelfFrom(*controller);
}

void ADNViewController::presentSelfFrom(ui::ViewController& controller) {
    auto* window = ui::Application::sharedApplication().keyWindow();
    if (window && window->rootViewController()) {
        window->rootViewController()->presentModalViewController(
            base::Ref<ADNViewController>(this), true);
        return;
    }
    controller.presentModalViewController(base::Ref<ADNViewController>(this), true);
    base::WeakRef<ADNViewController> weak(this);
    foundation::performAfterDelay(
        this,
        [weak] {
            if (auto self = weak.strong())
                self->viewDidAppear(false);
        },
        0.6);
}

void ADNViewController::relinquishScreen() {
    base::Ref<ADNViewController> keep(this);
    view()->setUserInteractionEnabled(false);
    keepAlive_ = nullptr;
    if (wasFirst_) {
        delegateManager().willDismissScreen();
        if (!statusBarWasHidden_
            && modalPresentationStyle() == ui::ModalPresentationStyle::FullScreen)
            ui::Application::sharedApplication().setStatusBarHidden(false);
    }
    if (auto* parent = parentViewController())
        parent->dismissModalViewController(true);
    foundation::NotificationCenter::defaultCenter().postNotification(
        DidRelinquishFullScreenNotification, this);
}

void ADNViewController::viewDidAppear(bool animated) {
    if (view()->isUserInteractionEnabled())
        return;
    ui::ViewController::viewDidAppear(animated);
    view()->setUserInteractionEnabled(true);
}

void ADNViewController::viewDidDisappear(bool animated) {
    ui::ViewController::viewDidDisappear(animated);
    auto& statistics = ADNStatistics::sharedStatistics();
    statistics.endTimingNamed("plpd");
    statistics.endTimingNamed("pcl");
}

}
