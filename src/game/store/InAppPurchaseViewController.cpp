#include <game/store/InAppPurchaseViewController.hpp>

#include <foundation/Format.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/GameServerClient.hpp>
#include <game/shell/InAppPurchaseSetting.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

namespace game {

namespace {

ui::Color const packageColor = ui::Color::colorWithBytes(240, 150, 20);
ui::Color const earnColor = ui::Color::colorWithBytes(40, 160, 90);
ui::Color const inkColor = ui::Color::colorWithBytes(120, 20, 50);

// The offer-wall settings' switch; off when the settings or the value are missing.
bool offerWallOn() {
    auto settings = GameServerClient::shared().objectForKey("btx_datastore");
    return settings && settings->objectForKey("offerwall").boolValue();
}

}

base::Ref<InAppPurchaseViewController> InAppPurchaseViewController::create() {
    return base::make<InAppPurchaseViewController>();
}

InAppPurchaseViewController::~InAppPurchaseViewController() = default;

// The screen's layout: the title bar with the back button and the balance, the five
// packages in a row, the earn button with its coin under them, and the loading panel
// over everything.
void InAppPurchaseViewController::loadView() {
    auto root = makeBackground(iTitleLabel_, iBackButton_);
    iTitleLabel_->setText("Vov Azavuz");
    onTap(*iBackButton_, &InAppPurchaseViewController::closeOnClick);

    root->addSubview(makeCoin(392, 11, 22));
    iPetPointsLabel_ = makeLabel(place(420, 7, 56, 30), 18, ui::Color::whiteColor(), "0");
    iPetPointsLabel_->setTextAlignment(ui::TextAlignment::Left);
    iPetPointsLabel_->setAdjustsFontSizeToFitWidth(true);
    root->addSubview(iPetPointsLabel_);

    root->addSubview(makeLabel(place(0, 58, 480, 24), 16, inkColor, "Pick a package", false));
    using Action = void (InAppPurchaseViewController::*)();
    constexpr Action actions[] = {&InAppPurchaseViewController::buyButton1OnClick,
        &InAppPurchaseViewController::buyButton2OnClick,
        &InAppPurchaseViewController::buyButton3OnClick,
        &InAppPurchaseViewController::buyButton4OnClick,
        &InAppPurchaseViewController::buyButton5OnClick};
    for (int index = 0; index < 5; ++index) {
        auto button = makeButton(place(12 + index * 93.0f, 92, 84, 100), packageColor, "", 19);
        button->titleLabel()->setAdjustsFontSizeToFitWidth(true);
        onTap(*button, actions[index]);
        root->addSubview(button);
        iBuyButtons_[std::size_t(index)] = std::move(button);
    }

    iEarnIcon_ = makeCoin(148, 234, 34);
    root->addSubview(iEarnIcon_);
    iEarnButton_ = makeButton(place(192, 230, 140, 42), earnColor, "Earn Free", 18);
    onTap(*iEarnButton_, &InAppPurchaseViewController::earnFreeOnClick);
    root->addSubview(iEarnButton_);

    iLoadingView_ = ui::View::create(root->bounds());
    iLoadingView_->setBackgroundColor(ui::Color::colorWithWhite(0, 0.7f));
    iLoadingLabel_ = makeLabel(place(0, 110, 480, 40), 22, ui::Color::whiteColor());
    iLoadingView_->addSubview(iLoadingLabel_);
    iCancelPurchaseButton_ = makeButton(
        place(180, 170, 120, 40), ui::Color::colorWithBytes(200, 40, 60), "Cancel", 17);
    onTap(*iCancelPurchaseButton_, &InAppPurchaseViewController::cancelPurchaseOnClick);
    iLoadingView_->addSubview(iCancelPurchaseButton_);
    iLoadingView_->setHidden(true);
    root->addSubview(iLoadingView_);
    setView(root);
}

void InAppPurchaseViewController::viewDidLoad() {
    StoreScreen::viewDidLoad();
    updateCurrentPetPoints();
    for (int package = 1; package <= int(iBuyButtons_.size()); ++package)
        iBuyButton(package)->setTitle(
            foundation::format("+%dPP", InAppPurchaseSetting::getPackagePoints(package)),
            ui::ControlState::Normal);
    if (titleStr_)
        iTitleLabel_->setText(*titleStr_);
    setTitleWhenSet(iBackButton_.get(), backStr_);
    setTitleWhenSet(iCancelPurchaseButton_.get(), cancelStr_);
    setTitleWhenSet(iEarnButton_.get(), earnStr_);
    iEarnButton_->titleLabel()->setAdjustsFontSizeToFitWidth(true);
    if (!offerWallOn()) {
        iEarnButton_->setAlpha(0);
        iEarnIcon_->setAlpha(0);
        iEarnButton_->setEnabled(false);
    }
    startUpdates();
}

void InAppPurchaseViewController::updateCurrentPetPoints() {
    if (iPetPointsLabel_)
        iPetPointsLabel_->setText(foundation::format("%d", GameGlobals::shared().petPoints));
}

void InAppPurchaseViewController::update() {
    updateCurrentPetPoints();
    if (!iLoadingView_)
        return;
    auto* root = pRootViewController();
    if (root && root->isBuyingPackage()) {
        iLoadingView_->setHidden(false);
        bool requesting = root->canCancelBuyingPackage();
        iCancelPurchaseButton_->setHidden(!requesting);
        iLoadingLabel_->setText(requesting ? "Connecting..." : "Loading purchase item...");
    } else {
        iLoadingView_->setHidden(true);
    }
}

ui::Button* InAppPurchaseViewController::iBuyButton(int package) const {
    if (package < 1 || package > int(iBuyButtons_.size()))
        return nullptr;
    return iBuyButtons_[std::size_t(package - 1)].get();
}

bool InAppPurchaseViewController::canAct() const {
    auto* root = pRootViewController();
    return root && !root->isBuyingPackage();
}

void InAppPurchaseViewController::buyButtonOnClick(int package) {
    auto product = InAppPurchaseSetting::getPackageProductID(package);
    if (product.empty() || !canAct())
        return;
    playSound("Click");
    pRootViewController()->buyPackage(product);
}

void InAppPurchaseViewController::earnFreeOnClick() {
    if (!canAct())
        return;
    playSound("Click");
    auto* root = pRootViewController();
    root->showBountixOffersWithViewController(
        Utilities::isiPad() ? static_cast<ui::ViewController*>(root) : this);
}

void InAppPurchaseViewController::cancelPurchaseOnClick() {
    if (!iLoadingView_ || iLoadingView_->isHidden())
        return;
    auto* root = pRootViewController();
    if (root && root->canCancelBuyingPackage()) {
        playSound("Cancel");
        root->cancelBuyingPackage();
    }
}

void InAppPurchaseViewController::closeOnClick() {
    if (!canAct())
        return;
    close();
}

}
