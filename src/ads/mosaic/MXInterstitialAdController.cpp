#include <ads/mosaic/MXInterstitialAdController.hpp>

#include <ads/mosaic/MXAdapterMap.hpp>
#include <ads/mosaic/MXLogging.hpp>
#include <ui/Application.hpp>
#include <ui/Image.hpp>
#include <ui/NavigationController.hpp>
#include <ui/Screen.hpp>

#include <algorithm>
#include <mutex>

namespace ads::mosaic {

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<base::Ref<MXInterstitialAdController>> controllers;
};

Registry& registry() {
    static Registry* shared = new Registry;
    return *shared;
}

}

std::vector<base::Ref<MXInterstitialAdController>> const&
MXInterstitialAdController::sharedInterstitialAdControllers() {
    return registry().controllers;
}

MXInterstitialAdController& MXInterstitialAdController::interstitialAdControllerForAdUnitId(
    std::string const& adUnitId) {
    auto& shared = registry();
    std::lock_guard lock(shared.mutex);
    for (auto const& controller : shared.controllers)
        if (controller->adUnitId() == adUnitId)
            return *controller;
    shared.controllers.push_back(initWithAdUnitId(adUnitId, nullptr));
    return *shared.controllers.back();
}

void MXInterstitialAdController::removeSharedInterstitialAdController(
    MXInterstitialAdController& controller) {
    base::Ref<MXInterstitialAdController> keep(&controller);
    auto& shared = registry();
    std::lock_guard lock(shared.mutex);
    std::erase_if(shared.controllers,
        [&](auto const& registered) { return registered.get() == &controller; });
}

void MXInterstitialAdController::removeAllSharedInterstitialAdControllers() {
    std::vector<base::Ref<MXInterstitialAdController>> gone;
    {
        auto& shared = registry();
        std::lock_guard lock(shared.mutex);
        gone.swap(shared.controllers);
    }
}

base::Ref<MXInterstitialAdController> MXInterstitialAdController::initWithAdUnitId(
    std::string const& adUnitId, ui::ViewController* parent) {
    return base::make<MXInterstitialAdController>(adUnitId, parent);
}

MXInterstitialAdController::MXInterstitialAdController(
    std::string const& adUnitId, ui::ViewController* parent)
    : adView_(
        MXInterstitialAdView::initWithAdUnitId(adUnitId, ui::Screen::mainScreen().bounds().size))
    , parent_(parent)
    , adUnitId_(adUnitId) {
    adView_->setIgnoresAutorefresh(true);
    adView_->setDelegate(this);
    adView_->setAutoresizingMask(
        ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
}

MXInterstitialAdController::~MXInterstitialAdController() {
    adView_->setDelegate(nullptr);
    if (currentAdapter_)
        currentAdapter_->unregisterDelegate();
}

MXInterstitialAdControllerDelegate* MXInterstitialAdController::parentDelegate() const {
    return dynamic_cast<MXInterstitialAdControllerDelegate*>(parent_.get());
}

void MXInterstitialAdController::loadView() {
    auto view = ui::View::create(ui::Screen::mainScreen().bounds());
    view->setBackgroundColor(ui::Color::blackColor());
    view->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    view->addSubview(adView_);
    setView(view);
    layoutCloseButton();
}

void MXInterstitialAdController::viewDidAppear(bool animated) {
    ui::ViewController::viewDidAppear(animated);
    adView_->adViewDidAppear();
}

void MXInterstitialAdController::viewDidDisappear(bool animated) {
    ui::ViewController::viewDidDisappear(animated);
    if (!presentedViewController())
        interstitialDidDisappearForAdapter(nullptr);
}

void MXInterstitialAdController::viewDidUnload() {
    ui::ViewController::viewDidUnload();
    closeButton_ = nullptr;
}

bool MXInterstitialAdController::shouldAutorotateToInterfaceOrientation(
    ui::InterfaceOrientation orientation) {
    bool const portrait = orientation == ui::InterfaceOrientation::Portrait
        || orientation == ui::InterfaceOrientation::PortraitUpsideDown;
    bool const landscape = orientation == ui::InterfaceOrientation::LandscapeLeft
        || orientation == ui::InterfaceOrientation::LandscapeRight;
    switch (orientationType_) {
    case PortraitOnly:
        return portrait;
    case LandscapeOnly:
        return landscape;
    default:
        return true;
    }
}

void MXInterstitialAdController::didRotateFromInterfaceOrientation(ui::InterfaceOrientation from) {
    ui::ViewController::didRotateFromInterfaceOrientation(from);
    adView_->rotateToOrientation(interfaceOrientation());
}

void MXInterstitialAdController::setCloseButtonImageNamed(std::string const& name) {
    if (!closeButton_)
        return;
    closeButton_->setImage(ui::Image::imageNamed(name), ui::ControlState::Normal);
    closeButton_->sizeToFit();
}

void MXInterstitialAdController::layoutCloseButton() {
    auto* root = view();
    if (!closeButton_) {
        closeButton_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        closeButton_->setAutoresizingMask(
            ui::Autoresizing::FlexibleLeftMargin | ui::Autoresizing::FlexibleBottomMargin);
        closeButton_->addTarget(
            this, [this](ui::Control&, ui::Event*) { closeButtonPressed(); },
            ui::ControlEvents::TouchUpInside);
        setCloseButtonImageNamed(closeButtonImageName);
        auto const size = closeButton_->frame().size;
        closeButton_->setFrame(
            graphics::makeRect(root->bounds().size.width - (size.width + closeButtonInset),
                closeButtonInset, size.width, size.height));
        root->addSubview(closeButton_);
        root->bringSubviewToFront(closeButton_.get());
    }
    if (closeButtonType_ == CloseButtonShown) {
        setCloseButtonImageNamed(closeButtonImageName);
        closeButton_->setHidden(false);
    } else {
        closeButton_->setHidden(true);
    }
}

void MXInterstitialAdController::loadAd() {
    ready_ = false;
    adView_->loadAd();
}

void MXInterstitialAdController::show() {
    if (currentAdapter_) {
        base::Ref<MXBaseInterstitialAdapter> adapter = currentAdapter_;
        adapter->showInterstitialFromViewController(parent_.get());
        return;
    }
    auto* parent = parent_.get();
    if (!parent) {
        MXLogErrorMessage("Interstitial ad controller (%p) has no parent to be shown over.", this);
        return;
    }
    base::Ref<MXInterstitialAdController> self(this);
    interstitialWillAppearForAdapter(nullptr);
    auto& application = ui::Application::sharedApplication();
    statusBarWasHidden_ = application.isStatusBarHidden();
    application.setStatusBarHidden(true);
    auto* navigation = parent->navigationController();
    navigationBarWasHidden_ = navigation && navigation->isNavigationBarHidden();
    if (navigation)
        navigation->setNavigationBarHidden(true, true);
    barsHiddenByShow_ = true;
    parent->presentModalViewController(self, true);
    interstitialDidAppearForAdapter(nullptr);
}

void MXInterstitialAdController::closeButtonPressed() {
    base::Ref<MXInterstitialAdController> self(this);
    // Only what show changed is put back: a close without a show leaves the bars alone.
    if (barsHiddenByShow_) {
        barsHiddenByShow_ = false;
        ui::Application::sharedApplication().setStatusBarHidden(statusBarWasHidden_);
        if (auto* navigation = parent_.get() ? parent_.get()->navigationController() : nullptr)
            navigation->setNavigationBarHidden(navigationBarWasHidden_, false);
    }
    interstitialWillDisappearForAdapter(nullptr);
    if (auto* delegate = parentDelegate())
        delegate->dismissInterstitial(*this);
}

void MXInterstitialAdController::adViewDidLoadAd(MXAdView&) {
    ready_ = true;
    if (auto* delegate = parentDelegate())
        delegate->interstitialDidLoadAd(*this);
}

void MXInterstitialAdController::adViewDidFailToLoadAd(MXAdView&) {
    ready_ = false;
    if (auto* delegate = parentDelegate())
        delegate->interstitialDidFailToLoadAd(*this);
}

void MXInterstitialAdController::willPresentModalViewForAd(MXAdView& view) {
    if (auto* delegate = parentDelegate())
        delegate->willPresentModalViewForAd(view);
}

void MXInterstitialAdController::didDismissModalViewForAd(MXAdView& view) {
    if (auto* delegate = parentDelegate())
        delegate->didDismissModalViewForAd(view);
}

void MXInterstitialAdController::adViewDidReceiveResponseParams(
    MXAdView&, foundation::HTTPHeaderFields const& headers) {
    base::Ref<MXInterstitialAdController> self(this);
    closeButtonType_
        = headers.valueForKey("X-Closebutton") == "None" ? CloseButtonNone : CloseButtonShown;
    layoutCloseButton();

    auto const orientation = headers.valueForKey("X-Orientation");
    orientationType_ = orientation == "p" ? PortraitOnly
        : orientation == "l"              ? LandscapeOnly
                                          : AnyOrientation;

    auto const fullAdType = headers.valueForKey("X-Fulladtype");
    if (fullAdType.empty())
        return;
    auto factory = MXAdapterMap::sharedAdapterMap().interstitialClassForAdapterType(fullAdType);
    if (!factory) {
        // No full-screen adapter of that type in the program (a banner adapter is none).
        adapterDidFailToLoadAdWithError(nullptr, {});
        return;
    }
    if (currentAdapter_)
        currentAdapter_->unregisterDelegate();
    currentAdapter_ = factory(*this);
    if (!currentAdapter_) {
        adapterDidFailToLoadAdWithError(nullptr, {});
        return;
    }
    base::Ref<MXBaseInterstitialAdapter> adapter = currentAdapter_;
    adapter->getAdWithParams(headers);
}

void MXInterstitialAdController::adViewShouldClose(MXAdView&) {
    closeButtonPressed();
}

void MXInterstitialAdController::adapterDidFinishLoadingAd(MXBaseInterstitialAdapter*) {
    ready_ = true;
    if (auto* manager = adView_->adManager())
        manager->setIsLoading(false);
    if (auto* delegate = parentDelegate())
        delegate->interstitialDidLoadAd(*this);
}

void MXInterstitialAdController::adapterDidFailToLoadAdWithError(
    MXBaseInterstitialAdapter* adapter, std::string const& error) {
    base::Ref<MXInterstitialAdController> self(this);
    ready_ = false;
    MXLogErrorMessage("Interstitial adapter (%p) failed to load ad. Error: %@", adapter, error);
    if (currentAdapter_) {
        currentAdapter_->unregisterDelegate();
        currentAdapter_ = nullptr;
    }
    if (auto* manager = adView_->adManager())
        manager->adapterDidFailToLoadAdWithError(nullptr, error);
}

void MXInterstitialAdController::interstitialWillAppearForAdapter(MXBaseInterstitialAdapter*) {
    if (auto* manager = adView_->adManager())
        manager->trackImpression();
    if (auto* delegate = parentDelegate())
        delegate->interstitialWillAppear(*this);
}

void MXInterstitialAdController::interstitialDidAppearForAdapter(MXBaseInterstitialAdapter*) {
    if (auto* delegate = parentDelegate())
        delegate->interstitialDidAppear(*this);
}

void MXInterstitialAdController::interstitialWillDisappearForAdapter(MXBaseInterstitialAdapter*) {
    if (auto* delegate = parentDelegate())
        delegate->interstitialWillDisappear(*this);
}

void MXInterstitialAdController::interstitialDidDisappearForAdapter(MXBaseInterstitialAdapter*) {
    if (auto* delegate = parentDelegate())
        delegate->interstitialDidDisappear(*this);
}

}
