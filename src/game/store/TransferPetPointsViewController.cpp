#include <game/store/TransferPetPointsViewController.hpp>

#include <foundation/Format.hpp>
#include <game/interface/Interface.hpp>
#include <game/shell/DataConrtoller.hpp>
#include <game/shell/GameGlobals.hpp>
#include <game/shell/RootViewController.hpp>
#include <game/shell/Utilities.hpp>
#include <game/store/InAppPurchaseViewController.hpp>
#include <ui/Button.hpp>
#include <ui/ImageView.hpp>
#include <ui/Label.hpp>

namespace game {

namespace {

ui::Color const inkColor = ui::Color::colorWithBytes(120, 20, 50);
ui::Color const moneyColor = ui::Color::colorWithBytes(30, 130, 60);
ui::Color const spentColor = ui::Color::colorWithBytes(210, 30, 50);

// A white rounded box behind a balance or a rate.
base::Ref<ui::View> makeBox(graphics::Rect frame, float radius) {
    auto box = ui::View::create(frame);
    box->setBackgroundColor(ui::Color::whiteColor());
    box->layer().setCornerRadius(radius);
    return box;
}

}

base::Ref<TransferPetPointsViewController> TransferPetPointsViewController::create() {
    return base::make<TransferPetPointsViewController>();
}

TransferPetPointsViewController::~TransferPetPointsViewController() = default;

// The screen's layout: the title bar with the back button, the two balances side by side
// with the rate under them, OK and cancel, then the buy and earn buttons.
void TransferPetPointsViewController::loadView() {
    auto root = makeBackground(iTitleLabel_, iBackButton_);
    iTitleLabel_->setText("Vov Azavuz to Coins");
    onTap(*iBackButton_, &TransferPetPointsViewController::closeOnClick);

    root->addSubview(makeBox(place(30, 58, 190, 56), 10 * scale()));
    root->addSubview(makeBox(place(260, 58, 190, 56), 10 * scale()));
    root->addSubview(makeCoin(42, 74, 24));
    iPetPointsLabel_ = makeLabel(place(70, 62, 140, 48), 28, inkColor, "0");
    iPetPointsLabel_->setAdjustsFontSizeToFitWidth(true);
    root->addSubview(iPetPointsLabel_);
    iMoneyLabel_ = makeLabel(place(270, 62, 170, 48), 28, moneyColor, "$0");
    iMoneyLabel_->setAdjustsFontSizeToFitWidth(true);
    root->addSubview(iMoneyLabel_);

    iTransferPetPointsLabel_ = makeLabel(place(90, 126, 110, 34), 22, inkColor);
    root->addSubview(iTransferPetPointsLabel_);
    root->addSubview(makeLabel(place(200, 126, 80, 34), 22, inkColor, "=", false));
    iTransferMoneyLabel_ = makeLabel(place(280, 126, 110, 34), 22, moneyColor);
    root->addSubview(iTransferMoneyLabel_);

    iOKButton_
        = makeButton(place(110, 172, 120, 40), ui::Color::colorWithBytes(40, 160, 90), "OK", 18);
    onTap(*iOKButton_, &TransferPetPointsViewController::okOnClick);
    root->addSubview(iOKButton_);
    iCancelButton_ = makeButton(
        place(250, 172, 120, 40), ui::Color::colorWithBytes(150, 150, 160), "Cancel", 18);
    onTap(*iCancelButton_, &TransferPetPointsViewController::closeOnClick);
    root->addSubview(iCancelButton_);
    iBuyButton_ = makeButton(
        place(60, 250, 170, 42), ui::Color::colorWithBytes(240, 150, 20), "Buy Vov Azavuz", 17);
    onTap(*iBuyButton_, &TransferPetPointsViewController::inAppPurchaseOnClick);
    root->addSubview(iBuyButton_);
    iEarnButton_ = makeButton(
        place(250, 250, 170, 42), ui::Color::colorWithBytes(30, 140, 170), "Earn Free", 17);
    onTap(*iEarnButton_, &TransferPetPointsViewController::earnFreeOnClick);
    root->addSubview(iEarnButton_);

    // The changes drift over everything else.
    iChangePetPointsLabel_ = makeLabel(place(0, 0, 140, 40), 26, spentColor);
    root->addSubview(iChangePetPointsLabel_);
    iChangeMoneyLabel_ = makeLabel(place(0, 0, 170, 40), 26, moneyColor);
    root->addSubview(iChangeMoneyLabel_);
    setView(root);
}

void TransferPetPointsViewController::viewDidLoad() {
    StoreScreen::viewDidLoad();
    iTransferPetPointsLabel_->setText(foundation::format("%d", petPointsPerLot));
    iTransferMoneyLabel_->setText(foundation::format("$%d", moneyPerLot));
    iChangePetPointsLabel_->setText(foundation::format("-%d", petPointsPerLot));
    iChangeMoneyLabel_->setText(foundation::format("+$%d", moneyPerLot));
    iChangePetPointsLabel_->setAlpha(0);
    iChangeMoneyLabel_->setAlpha(0);

    if (titleStr_)
        iTitleLabel_->setText(*titleStr_);
    setTitleWhenSet(iBackButton_.get(), backStr_);
    setTitleWhenSet(iOKButton_.get(), okStr_);
    setTitleWhenSet(iCancelButton_.get(), cancelStr_);
    setTitleWhenSet(iBuyButton_.get(), buyStr_);
    setTitleWhenSet(iEarnButton_.get(), earnStr_);
    iBuyButton_->titleLabel()->setAdjustsFontSizeToFitWidth(true);
    iTitleLabel_->setExclusiveTouch(true);
    for (auto* button : {iBackButton_.get(), iOKButton_.get(), iCancelButton_.get(),
             iBuyButton_.get(), iEarnButton_.get()})
        button->setExclusiveTouch(true);
    startUpdates();
}

void TransferPetPointsViewController::update() {
    updateCurrentPetPoints();
}

void TransferPetPointsViewController::updateCurrentPetPoints() {
    if (!iPetPointsLabel_)
        return;
    auto const& globals = GameGlobals::shared();
    iPetPointsLabel_->setText(foundation::format("%d", globals.petPoints));
    iMoneyLabel_->setText(foundation::format("$%d", globals.money));
    iOKButton_->setEnabled(globals.petPoints >= petPointsPerLot);
}

bool TransferPetPointsViewController::transferPetPointsToMoney() {
    auto& globals = GameGlobals::shared();
    auto interface = globals.interface;
    if (globals.petPoints < petPointsPerLot || !interface)
        return false;
    globals.petPoints -= petPointsPerLot;
    DataConrtoller::logPetPointsSpent(petPointsPerLot);
    globals.petPointsChanged = true;
    interface->updateGameplayMoney(moneyPerLot);
    DataConrtoller::savePetPoints();
    DataConrtoller::saveMoney();
    updateCurrentPetPoints();
    return true;
}

void TransferPetPointsViewController::playTransferAnimation() {
    iChangePetPointsLabel_->setCenter(iPetPointsLabel_->center());
    iChangeMoneyLabel_->setCenter(iMoneyLabel_->center());
    iChangePetPointsLabel_->setAlpha(1);
    iChangeMoneyLabel_->setAlpha(1);
    ui::View::beginAnimations();
    ui::View::setAnimationDuration(changeDuration);
    ui::View::setAnimationCurve(ui::AnimationCurve::EaseOut);
    auto spent = iChangePetPointsLabel_->center();
    iChangePetPointsLabel_->setCenter(graphics::makePoint(spent.x, spent.y + changeDrift));
    auto earned = iChangeMoneyLabel_->center();
    iChangeMoneyLabel_->setCenter(graphics::makePoint(earned.x, earned.y - changeDrift));
    iChangePetPointsLabel_->setAlpha(0);
    iChangeMoneyLabel_->setAlpha(0);
    ui::View::commitAnimations();
}

void TransferPetPointsViewController::okOnClick() {
    if (!transferPetPointsToMoney())
        return;
    playTransferAnimation();
    playSound("Money");
}

void TransferPetPointsViewController::inAppPurchaseOnClick() {
    playSound("Click");
    auto screen = InAppPurchaseViewController::create();
    auto* root = pRootViewController();
    screen->setPRootViewController(root);
    if (root)
        root->createLocalizedInAppPurchaseImages(*screen);
    open(*this, screen);
}

void TransferPetPointsViewController::earnFreeOnClick() {
    auto* root = pRootViewController();
    if (!root)
        return;
    playSound("Click");
    root->showBountixOffersWithViewController(
        Utilities::isiPad() ? static_cast<ui::ViewController*>(root) : this);
}

void TransferPetPointsViewController::closeOnClick() {
    close();
}

}
